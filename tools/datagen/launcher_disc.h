// Sample data: a launcher disc in a folder, for tests and for trying the launcher by hand.
//
// Layout below the root folder:
//   disc/ostrel.ini            every [Configs] key and five products, one of each kind
//   disc/art/backdrop.bmp      640 x 480, 8 bits, 256 colours, pixels at 1078: an evening over
//                              water with the product's title, darker behind the text block
//   disc/eula/game.txt         CRLF lines; disc/eula/extras.txt LF lines with one 0xA9 byte;
//                              disc/eula/readme.txt is absent on purpose (an empty agreement)
//   disc/docs/catalog.txt, disc/docs/readme.sh, disc/media/movie.sh, disc/media/cleanup.sh
//   disc/setup/install_game.sh, install_tools.sh, uninstall_tools.sh, install_extras.sh
//   disc/game/                 the game as built (Velloran_Hydrel and its data tree, without saves
//                              or route files) and its uninstaller uninstall_game.sh
//   windows/                   the Windows directory (the state file appears here)
//   registry.ini               the registry store, with an unrelated [SOFTWARE\Other] section
// The scripts are small /bin/sh stand-ins for installers and programs: install_game.sh copies
// disc/game into Programs/Game and adds the game's key to registry.ini; uninstall_game.sh removes
// the program and its data but keeps data/prefs; install_tools.sh makes windows/Tools/tools,
// uninstall_tools.sh removes it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The disc's backdrop picture as a bitmap file, and its colour at x, y (0x00RRGGBB, 0 outside).
std::vector<uint8_t> datagen_LauncherBackdrop();
uint32_t datagen_LauncherBackdropColour(int x, int y);

// A test pattern for picture readers: the colour index at x, y (counted from the top-left corner),
// the colour of index i as 0x00RRGGBB, and the pattern as an 8-bit bitmap file with a full
// 256-entry colour table and its pixels at 1078, rows padded to 4 bytes, bottom-up (or top-down
// with a negative height when `topDown`).
uint8_t datagen_LauncherBitmapIndex(int x, int y);
uint32_t datagen_LauncherBitmapColour(int index);
std::vector<uint8_t> datagen_LauncherBitmap(int width, int height, bool topDown = false);

// The disc's "ostrel.ini", with `rootWindows` (the root folder in Windows form) filled in.
std::string datagen_LauncherDiscIni(const std::string& rootWindows);

// The folder to write the disc below: `folder` when it is given (not null or empty), else the
// launcher's own folder, whose Windows directory and registry store the launcher reads by default.
std::string datagen_LauncherDiscFolder(const char* folder);

// Writes the whole disc below `nativeRoot`, with the game copied from `gameFolder` (a folder holding
// the built Velloran_Hydrel and its data tree); with no game folder disc/game holds only the
// uninstaller. False when a file cannot be written or the game folder lacks the program or its tree.
bool datagen_WriteLauncherDisc(const std::string& nativeRoot, const std::string& gameFolder = "");
