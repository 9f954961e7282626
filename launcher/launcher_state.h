// Disc launcher: its records.
//
// Everything the launcher knows lives in one LauncherState: the [Configs] values
// (LauncherSettings), the products of the [Install<n>] sections (LauncherProduct), the Windows
// directory, the state file, the poll clock and the agreement in progress. The window is reached
// only through LauncherWindowOps, a table of functions the window code fills in (tests fill it
// with recorders).
//
// Paths are in Windows form ("\" separators); the platform makes them native. Texts whose width
// the configuration format fixes are cut to that width (the terminating zero counted); paths that
// the launcher composes have no limit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A block read from a file: its bytes followed by one zero byte.
using LauncherBlock = std::vector<uint8_t>;

// Button slots of the main window.
constexpr int kLauncherSlotExit = 0;
constexpr int kLauncherSlotCatalog = 1;
constexpr int kLauncherSlotRegistration = 2;
constexpr int kLauncherSlotManual = 3;
constexpr int kLauncherSlotMainFirst = 4;        // main button of product j: 4 + j
constexpr int kLauncherSlotUninstallFirst = 14;  // uninstall button of product j: 14 + j
constexpr int kLauncherSlotCount = 45;           // slots 24 to 44 are never used
// Products read from the configuration, each with a main and an uninstall slot.
constexpr int kLauncherMaxProducts = 10;

inline int LauncherSlotMain(int product) { return kLauncherSlotMainFirst + product; }
inline int LauncherSlotUninstall(int product) { return kLauncherSlotUninstallFirst + product; }

// Widths of the product's text fields, terminating zero included.
constexpr size_t kLauncherNameWidth = 128;     // exename, installexe, uninstallexe
constexpr size_t kLauncherCaptionWidth = 32;   // the three button captions
constexpr size_t kLauncherKeyPathWidth = 256;  // installkeypath, uninstallkeypath, uninstallkeyname
constexpr size_t kLauncherKeyNameWidth = 64;   // installkeyname
constexpr size_t kLauncherPathWidth = 512;     // installpath, runpath and uninstallpath as read

enum LauncherProductKind : int {
  kLauncherRunOnly = 0,          // no install step
  kLauncherRegistryTracked = 1,  // install directory from the registry
  kLauncherPathTracked = 2,      // program file in runpath
  kLauncherStateTracked = 3,     // "doneinstall" in the state file
};

enum LauncherAgreementAnswer : int {
  kLauncherAgreementDecline = 0,
  kLauncherAgreementAccept = 1,
  kLauncherAgreementClosed = 2,  // close box or Escape: taken as Decline
};

// What a button action asks of the program.
enum LauncherActionEnd : int {
  kLauncherStayOpen = 0,
  kLauncherQuitPosted = 1,  // a quit with code 0 was posted to the window
  kLauncherExitNow = 2,     // the process ends at once with code 0
};

struct LauncherRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// One palette entry as a logical palette holds it.
struct LauncherPaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t flags = 0;
};

// The logical palette made from the picture's colour table: all 256 entries filled, 236 in use.
struct LauncherPalette {
  uint16_t version = 0;
  uint16_t entryCount = 0;
  LauncherPaletteEntry entries[256];
};

// A picture whose header passed the checks, ready to draw: `bits` points at the first byte of the
// top row's pixels; each following row is `rowStep` bytes on (negative for bottom-up files).
struct LauncherBitmapView {
  int32_t width = 0;
  int32_t height = 0;
  const uint8_t* bits = nullptr;
  ptrdiff_t rowStep = 0;
  uint32_t colours[256] = {};  // 0x00RRGGBB for each index; missing entries are black
};

// A document button of [Configs] (catalog, manual, registration link).
struct LauncherDocButton {
  int32_t enabled = 0;
  std::string caption = "0";  // up to 30 characters
  std::string file = "0";     // up to 255 characters
  int32_t x = 0;
  int32_t y = 0;
};

// The [Configs] values.
struct LauncherSettings {
  int32_t productCount = 0;            // numberofinstalls, limited to 0..10
  std::string windowTitle = "0";       // up to 61 characters
  int32_t buttonWidth = 0;             // Exit and document buttons
  int32_t buttonHeight = 0;
  int32_t pictureEnabled = 0;          // backgroundart
  std::string picturePath;             // launcher directory + backgroundartpath
  bool hasPictureHeader = false;
  uint8_t pictureHeader[1078] = {};    // the first 1078 bytes of the picture file, zero-filled
  bool hasPalette = false;
  LauncherPalette palette;
  bool hasPicture = false;
  LauncherBlock picture;               // the whole picture file and a zero byte
  int32_t exitX = 0;
  int32_t exitY = 0;
  std::string text = "0";              // up to 510 characters
  uint32_t textColour = 0;             // red in the low byte, then green, then blue
  int32_t textHeight = 0;              // font height: 0 default, else |h| in 4..200 (sign kept)
  std::string textFont = "0";          // font face name, up to 49 characters
  LauncherRect textRect;
  LauncherDocButton catalog;
  LauncherDocButton manual;
  LauncherDocButton registration;
  int32_t windowWidth = 0;             // outer size as configured (the window code applies the
  int32_t windowHeight = 0;            // smallest sensible size)
  std::string directory;               // launcher directory, ends with "\"
};

// One [Install<n>] product.
struct LauncherProduct {
  int32_t installkey = 0;
  int32_t install = 0;
  int32_t runbypath = 0;
  int32_t uninstall = 0;
  int32_t uninstallkey = 0;
  int32_t eula = 0;
  int32_t run = 0;
  int32_t installX = 0, installY = 0;
  int32_t uninstallX = 0, uninstallY = 0;
  int32_t runX = 0, runY = 0;
  int32_t doneeula = 0;   // the agreement was accepted (state file)
  int32_t installed = 0;  // counts as installed; for state-tracked products the stored number
  int32_t buttonHeight = 0;
  int32_t buttonWidth = 0;
  bool hasAgreement = false;
  std::string agreementText;  // the agreement file's bytes (up to its first zero byte)
  std::string exename = "0";
  std::string installbuttontext = "0";
  std::string uninstallbuttontext = "0";
  std::string runbuttontext = "0";
  std::string installkeypath = "0";
  std::string installkeyname = "0";
  std::string runpath = " ";
  std::string installexe = "0";
  std::string installpath = " ";
  std::string uninstallexe;
  std::string uninstallkeypath = "0";
  std::string uninstallkeyname = "0";
  std::string uninstallpath = " ";
  std::string programPath;  // runpath + "\" + exename
};

// The launcher's whole state.
struct LauncherState {
  LauncherSettings settings;
  std::vector<LauncherProduct> products;  // settings.productCount records
  std::string configPath;                 // launcher directory + "ostrel.ini"
  std::string windowsDirectory;           // Windows form, no trailing "\"
  std::string statePath;                  // Windows directory + "\ostrel_launcher.ini"
  uint32_t pollClock = 0;                 // milliseconds: the time base of the next poll
  int agreementProduct = -1;              // the product whose agreement is shown
  int agreementAnswer = 0;                // 1 accepted, 0 declined
};

// The launcher's view of its window. Slot numbers are those above; a slot without a button is the
// window code's to ignore.
struct LauncherWindowOps {
  void* context;
  void (*setCaption)(void* context, int slot, const char* caption);
  void (*showSlot)(void* context, int slot, bool visible);
  // Shows the agreement text modally (null: an empty agreement) and returns the answer.
  LauncherAgreementAnswer (*askAgreement)(void* context, int product, const char* text);
  void (*postQuit)(void* context, int code);
};
