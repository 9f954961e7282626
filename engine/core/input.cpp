#include "engine/core/input.h"

#include <array>

#include "engine/core/memory.h"
#include "platform/plat_input.h"
#include "platform/plat_window.h"

namespace {

struct SpecialKey {
  uint8_t code;
  uint8_t vk;
  const char* name;
};

constexpr SpecialKey kSpecialKeys[] = {
    {129, 112, "F1"},        {130, 113, "F2"},         {131, 114, "F3"},          {132, 115, "F4"},
    {133, 116, "F5"},        {134, 117, "F6"},         {135, 118, "F7"},          {136, 119, "F8"},
    {137, 120, "F9"},        {138, 121, "F10"},        {139, 122, "F11"},         {140, 123, "F12"},
    {141, 124, "F13"},       {142, 125, "F14"},        {143, 126, "F15"},         {144, 8, "BackSpace"},
    {145, 27, "Escape"},     {146, 9, "Tab"},          {147, 13, "Return"},       {148, 162, "L.Ctrl"},
    {149, 163, "R.Ctrl"},    {150, 160, "L.Shift"},    {151, 161, "R.Shift"},     {152, 164, "L.Alt"},
    {153, 165, "R.Alt"},     {154, 91, "L.Win"},       {155, 92, "R.Win"},        {156, 97, "KeyPad 1"},
    {157, 98, "KeyPad 2"},   {158, 99, "KeyPad 3"},    {159, 100, "KeyPad 4"},    {160, 101, "KeyPad 5"},
    {161, 102, "KeyPad 6"},  {162, 103, "KeyPad 7"},   {163, 104, "KeyPad 8"},    {164, 105, "KeyPad 9"},
    {165, 96, "KeyPad 0"},   {166, 111, "KeyPad /"},   {167, 106, "KeyPad *"},    {168, 109, "KeyPad -"},
    {169, 107, "KeyPad +"},  {170, 110, "KeyPad ."},   {171, 38, "Up"},           {172, 37, "Left"},
    {173, 39, "Right"},      {174, 40, "Down"},        {175, 36, "Home"},         {176, 35, "End"},
    {177, 33, "PageUp"},     {178, 34, "PageDown"},    {179, 45, "Insert"},       {180, 46, "Delete"},
    {181, 108, "Enter"},     {182, 20, "CapsLock"},    {183, 144, "NumLock"},     {184, 145, "ScrollLock"},
    {185, 93, "Apps"},       {186, 42, "Print Scrn"},  {187, 19, "Pause"},
};
static_assert(sizeof(kSpecialKeys) / sizeof(kSpecialKeys[0]) == 187 - 129 + 1);

constexpr std::array<uint8_t, 256> MakeVKToKeyCode() {
  std::array<uint8_t, 256> table{};
  table[32] = 32;
  for (int vk = 48; vk <= 90; ++vk) table[vk] = static_cast<uint8_t>(vk);
  for (const auto& key : kSpecialKeys) table[key.vk] = key.code;
  return table;
}
constexpr std::array<uint8_t, 256> kVKToKeyCode = MakeVKToKeyCode();

constexpr int kRingSize = 256;

struct LockState {
  bool locked = false;
  bool filterInstalled = false;  // the keyboard hook
};
LockState gLock;

char gOneCharName[2] = {0, 0};

constexpr int kFlushPumps = 10;
constexpr int kFlushPumpLimit = 1000;

// Takes one waiting message to its window procedure; false when none waited.
bool PumpOne(intptr_t* result) {
  wre_IdleHook();
  PlatMessage msg{};
  if (!plat_PeekMessage(&msg, true)) return false;
  plat_TranslateMessage(&msg);
  const intptr_t dispatched = plat_DispatchMessage(&msg);
  if (result) *result = dispatched;
  return true;
}

}  // namespace

const uint8_t gVKToKeyCode[256] = {
#define ROW(i) kVKToKeyCode[i], kVKToKeyCode[i + 1], kVKToKeyCode[i + 2], kVKToKeyCode[i + 3]
#define ROW16(i) ROW(i), ROW(i + 4), ROW(i + 8), ROW(i + 12)
    ROW16(0),   ROW16(16),  ROW16(32),  ROW16(48),  ROW16(64),  ROW16(80),  ROW16(96),  ROW16(112),
    ROW16(128), ROW16(144), ROW16(160), ROW16(176), ROW16(192), ROW16(208), ROW16(224), ROW16(240),
#undef ROW16
#undef ROW
};
uint16_t gKeyCodeToVK[256];

KeyCode gKeyRing[256];
int32_t gKeyRingWrite = 0;
int32_t gKeyRingRead = 0;

int32_t gMouseX = 0;
int32_t gMouseY = 0;
uint8_t gMouseLeftButton = 0;

void wre_InputInit() {
  gMouseLeftButton = 0;
  gLock = LockState{};
  wre_KeyTableBuild();
  wre_InputPoll();
}

void wre_KeyTableBuild() {
  for (int code = 0; code < 256; ++code) gKeyCodeToVK[code] = static_cast<uint16_t>(wre_KeyCodeToVK(code));
}

int32_t wre_KeyCodeToVK(int32_t code) {
  if (code >= 'a' && code <= 'z') return code - 'a' + 'A';
  if (code >= 129 && code <= 187) return kSpecialKeys[code - 129].vk;
  return code;
}

KeyCode wre_KeyFromVirtualKey(int32_t vk) {
  if (vk < 0 || vk > 255) return 0;
  return gVKToKeyCode[vk];
}

int32_t wre_KeyToVirtualKey(int32_t code) {
  for (int vk = 0; vk < 256; ++vk) {
    if (gVKToKeyCode[vk] == code) return vk;
  }
  return 255;
}

const char* wre_KeyName(int32_t vk) {
  if (vk < 0 || vk > 255) return "ILLEGAL";
  int code = gVKToKeyCode[vk];
  if (code == 0 || code > 187) return "ILLEGAL";
  if (code == 32) return "Space";
  if (code >= 129) return kSpecialKeys[code - 129].name;
  gOneCharName[0] = static_cast<char>(code);
  gOneCharName[1] = 0;
  return gOneCharName;
}

bool wre_KeyIsDown(int32_t code) {
  if (code < 0 || code > 255) return false;
  return plat_AsyncKeyDown(gKeyCodeToVK[code]);
}

KeyCode wre_KeyFirstDown() {
  wre_InputPoll();
  for (int vk = 0; vk < 256; ++vk) {
    // A held key without a code (the generic Shift, Ctrl and Alt, the mouse button) must not hide
    // the keys after it: the left and right modifiers come later in the scan.
    if (gVKToKeyCode[vk] != 0 && plat_AsyncKeyDown(vk)) return gVKToKeyCode[vk];
  }
  return 0;
}

void wre_InputPoll() {}

void wre_KeyRingPut(KeyCode code) {
  int32_t next = (gKeyRingWrite + 1) % kRingSize;
  if (next == gKeyRingRead) return;  // full: the newest key is lost, the unread ones stay
  gKeyRing[gKeyRingWrite] = code;
  gKeyRingWrite = next;
}

void wre_KeyRingKeyDown(int32_t vk) {
  if (vk == 32 || (vk >= 48 && vk <= 90)) return;  // these arrive as characters
  wre_KeyRingPut(wre_KeyFromVirtualKey(vk));
}

void wre_KeyRingChar(int32_t character) {
  if (character >= 32 && character <= 126) wre_KeyRingPut(static_cast<KeyCode>(character));
}

bool wre_KeyBufferPending() {
  wre_MessagePump();
  return gKeyRingRead != gKeyRingWrite;
}

KeyCode wre_KeyBufferGet(uint8_t wait) {
  while (gKeyRingRead == gKeyRingWrite) {
    if (!wait || plat_QuitPosted()) return 0;
    // Rather than spin, let the system have the processor until something comes.
    if (!plat_WaitMessage(10)) continue;
    wre_MessagePump();
  }
  KeyCode code = gKeyRing[gKeyRingRead];
  gKeyRingRead = (gKeyRingRead + 1) % kRingSize;
  return code;
}

void wre_KeyBufferClear() { gKeyRingWrite = gKeyRingRead; }

void wre_InputFlush() {
  // Not ten pumps only, as a flush once was, but on while messages still wait (up to a bound, as
  // the system may keep adding pointer moves): the repeats of keys held to the end of a race
  // outnumber ten, and whatever a flush of ten left behind moved the menus by itself after the
  // race.
  for (int i = 0; i < kFlushPumpLimit; ++i) {
    if (!PumpOne(nullptr) && i >= kFlushPumps - 1) break;
  }
  gMouseLeftButton = 0;
  wre_KeyBufferClear();
}

uint8_t wre_MouseButtonState() { return gMouseLeftButton; }

bool wre_MouseButtonDown() { return plat_AsyncKeyDown(kPlatVkLButton); }

// Read from the pointer itself, not from the last move message handled: the menus and the race
// take one message a frame and put the pointer back at the centre after each read, so a frame
// whose message was a click or a key would read the last move a second time, and a move still
// waiting behind it would be overwritten by the centring's own. Read and centring side by side,
// every motion counts once.
void wre_MouseGetPos(int32_t* position) {
  if (!position) return;
  int x = 0, y = 0;
  plat_GetCursorPos(&x, &y);
  gMouseX = x;
  gMouseY = y;
  position[0] = gMouseX;
  position[1] = gMouseY;
}

void wre_MouseSetPos(int32_t x, int32_t y) { plat_SetCursorPos(static_cast<int16_t>(x), static_cast<int16_t>(y)); }

void wre_CursorSetPos(int32_t x, int32_t y) { plat_SetCursorPos(static_cast<int16_t>(x), static_cast<int16_t>(y)); }

void wre_CursorHide() {
  while (plat_ShowCursor(false) >= 0) {
  }
  wre_MessagePump();
}

void wre_CursorShow() {
  while (plat_ShowCursor(true) < 0) {
  }
  wre_MessagePump();
}

void wre_IdleHook() {}

intptr_t wre_MessagePump() {
  intptr_t result = 0;
  PumpOne(&result);
  return result;
}

bool wre_SystemKeyFilter(int vk, bool down, bool altHeld) {
  (void)down;
  if (vk == kPlatVkEscape && plat_AsyncKeyDown(kPlatVkControl)) return true;
  if (vk == kPlatVkTab && altHeld) return true;
  if (vk == kPlatVkEscape && altHeld) return true;
  return vk == kPlatVkLWin || vk == kPlatVkRWin;
}

int32_t wre_SystemKeysLock() {
  if (gLock.locked) return 0;
  gLock.filterInstalled = plat_SystemKeysLock(wre_SystemKeyFilter);
  gLock.locked = true;
  return gLock.filterInstalled ? 1 : 0;
}

int32_t wre_SystemKeysUnlock() {
  if (!gLock.locked) return 0;
  if (gLock.filterInstalled) plat_SystemKeysUnlock();
  gLock.filterInstalled = false;
  gLock.locked = false;
  return 1;
}

void wre_SystemKeysRelease() {
  wre_SystemKeysUnlock();
  gLock.locked = false;
}

WindowRecord* wre_WindowCreate(int32_t x, int32_t y, int32_t width, int32_t height, int32_t userA, int32_t userB,
                               const char* className, const char* title, uint32_t style, PlatWindow parent,
                               void* menu, void* instance, void* param) {
  (void)menu;
  (void)instance;
  auto* record = static_cast<WindowRecord*>(TrackedAlloc(static_cast<int32_t>(sizeof(WindowRecord))));
  if (!record) return nullptr;
  record->x = static_cast<int16_t>(x);
  record->y = static_cast<int16_t>(y);
  record->width = static_cast<int16_t>(width);
  record->height = static_cast<int16_t>(height);
  record->userB = userB;
  record->userA = userA;
  record->window = plat_CreateWindow(className, title, style, x, y, width, height, parent, param);
  if (!record->window) {
    TrackedFree(record);
    return nullptr;
  }
  return record;
}

void wre_WindowDestroy(WindowRecord* record) {
  if (!record) return;
  plat_DestroyWindow(record->window);
  TrackedFree(record);
}
