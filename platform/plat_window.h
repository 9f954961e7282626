// Platform layer: windows, the message queue, the mouse and the cursor.
//
// Windows belong to a registered class that names their window procedure. Everything the user does
// reaches a window as a message (id, wParam, lParam) with the numbers the game's code was written
// against; messages wait in one queue until a pump point takes them. Consecutive mouse moves wait
// as one message holding the latest position, and a held key's unread repeats as one key-down
// that counts them.
#pragma once
#include <cstddef>
#include <cstdint>

struct PlatWindowRec;
using PlatWindow = PlatWindowRec*;

using PlatWindowProc = intptr_t (*)(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Message ids.
enum : uint32_t {
  kPlatMsgDestroy = 0x0002,
  kPlatMsgSetText = 0x000C,
  kPlatMsgPaint = 0x000F,
  kPlatMsgClose = 0x0010,
  kPlatMsgQuit = 0x0012,
  kPlatMsgEraseBackground = 0x0014,
  kPlatMsgNcPaint = 0x0085,
  kPlatMsgNcMouseMove = 0x00A0,
  kPlatMsgKeyDown = 0x0100,
  kPlatMsgKeyUp = 0x0101,
  kPlatMsgChar = 0x0102,
  kPlatMsgSysKeyDown = 0x0104,
  kPlatMsgSysKeyUp = 0x0105,
  kPlatMsgSysChar = 0x0106,
  kPlatMsgCommand = 0x0111,
  kPlatMsgSysCommand = 0x0112,
  kPlatMsgMouseMove = 0x0200,
  kPlatMsgLButtonDown = 0x0201,
  kPlatMsgLButtonUp = 0x0202,
  kPlatMsgUser = 0x0400,
};

// Key messages: wParam is the virtual key (Shift, Ctrl and Alt come as the generic 16, 17, 18);
// lParam is the key data: repeat count (bits 0-15), scan code (16-23), extended key (24), Alt
// held (29), key was down before (30), key going up (31). The repeat count is 1, except that a
// repeat of a held key whose newest key-down still waits in the queue (with no key-up of that key
// after it) adds one to that message's count, up to 0xFFFF, instead of queuing another; the
// repeat's character message is dropped with it, the waiting key-down's own character standing
// for both.
// Character messages: wParam is the character, 32-126 only.
// Mouse messages: lParam holds the client position, x in the low and y in the high 16 bits;
// wParam bit 0 is the left button.
constexpr uint32_t kPlatKeyDataAlt = 1u << 29;
constexpr uint32_t kPlatKeyDataPrevious = 1u << 30;
constexpr uint32_t kPlatKeyDataUp = 1u << 31;

struct PlatMessage {
  PlatWindow window;  // null for the quit message
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

// Window styles understood here.
constexpr uint32_t kPlatStylePopup = 0x80000000u;    // no frame
constexpr uint32_t kPlatStyleVisible = 0x10000000u;  // shown at creation
// A position or size of kPlatUseDefault lets the system choose.
constexpr int kPlatUseDefault = INT32_MIN;

// Classes: the window procedure of every window created with the class name (ASCII letter case
// ignored). Registering a name again replaces its procedure.
bool plat_RegisterClass(const char* className, PlatWindowProc proc);

// Creates a window of a registered class. The real back end's window can always take an OpenGL
// context (the renderer is chosen after the window exists). Null when the class is unknown or the
// system refuses the window.
PlatWindow plat_CreateWindow(const char* className, const char* title, uint32_t style, int x, int y,
                             int width, int height, PlatWindow parent, void* param);
// Sends the destroy message to the window's procedure, then closes the window; its waiting messages
// are dropped. False for a handle that is not a live window.
bool plat_DestroyWindow(PlatWindow window);
bool plat_IsWindow(PlatWindow window);
bool plat_ShowWindow(PlatWindow window, bool show);
bool plat_SetWindowTitle(PlatWindow window, const char* title);
// The window's system handle (an SDL_Window* on the real back end), for the renderer's use.
void* plat_WindowNative(PlatWindow window);
// Client size of the window; false for a handle that is not a live window.
bool plat_GetClientSize(PlatWindow window, int* width, int* height);
// Converts a client position of the window to screen coordinates. The program's first window shows
// the virtual 640x480 screen: its client and screen positions are both that screen's, whatever
// the window's size and place on the desktop (the real back end maps the pointer through the
// picture's scale and offset).
bool plat_ClientToScreen(PlatWindow window, int* x, int* y);
// Size of the screen the windows stand on.
void plat_GetScreenSize(int* width, int* height);

// The queue. Peek first moves what the system has waiting into the queue. It fills msg and returns
// true when a message waits (removing it with remove set); the quit message comes when nothing else
// waits. GetMessage waits for a message: 0 for the quit message, 1 for any other, -1 when nothing
// can come any more (the test back end with an empty queue).
bool plat_PeekMessage(PlatMessage* msg, bool remove);
int plat_GetMessage(PlatMessage* msg);
// Waits up to timeoutMs for the system to have something for the queue (at once on the test back
// end); true when a message waits.
bool plat_WaitMessage(int timeoutMs);
// Character messages are made from the system's text input when it arrives; true for key messages.
bool plat_TranslateMessage(const PlatMessage* msg);
// Calls the window procedure of the message's window; 0 for the quit message and dead windows.
intptr_t plat_DispatchMessage(const PlatMessage* msg);
// Calls the window procedure at once, bypassing the queue; 0 for a handle that is not a live window.
intptr_t plat_SendMessage(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
bool plat_PostMessage(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Default handling: the close message destroys the window; everything else is ignored (0).
intptr_t plat_DefWindowProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Posts the quit message (once, with its exit code as wParam).
void plat_PostQuitMessage(int exitCode);
// True from the first plat_PostQuitMessage on, also after the quit message was taken.
bool plat_QuitPosted();
// True once the user closed a window through the window manager or the system asked the program
// to end (SIGTERM, SIGINT); it stays set. The program is expected to wind down normally.
bool plat_QuitRequested();

// Mouse and cursor.
// Moves the pointer to a screen position; the window under it then gets a mouse-move message.
void plat_SetCursorPos(int x, int y);
void plat_GetCursorPos(int* x, int* y);
// Raises (show) or lowers the cursor display count and returns the new count; the cursor is
// visible while the count is 0 or more. The count starts at 0.
int plat_ShowCursor(bool show);
void plat_ReleaseCapture();
