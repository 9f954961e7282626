#include "tools/datagen/launcher_disc.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/plat_canvas.h"
#include "platform/plat_font.h"
#include "platform/plat_paths.h"

namespace {

void Put16(std::vector<uint8_t>* out, size_t at, uint32_t value) {
  (*out)[at] = static_cast<uint8_t>(value);
  (*out)[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>* out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*out)[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes, bool executable) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return false;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
  }
  if (executable) {
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add, error);
    if (error) return false;
  }
  return true;
}

std::string ToWindows(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// An 8-bit bitmap file with a full 256-entry colour table and its pixels at 1078, rows padded to
// 4 bytes, bottom-up (or top-down).
template <typename IndexFn>
std::vector<uint8_t> Bitmap8File(int width, int height, bool topDown, const uint32_t* colours,
                                 IndexFn index) {
  size_t stride = (static_cast<size_t>(width) + 3) & ~static_cast<size_t>(3);
  size_t bitsSize = stride * static_cast<size_t>(height);
  std::vector<uint8_t> file(1078 + bitsSize, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(&file, 2, static_cast<uint32_t>(file.size()));
  Put32(&file, 10, 1078);
  Put32(&file, 14, 40);
  Put32(&file, 18, static_cast<uint32_t>(width));
  Put32(&file, 22, static_cast<uint32_t>(topDown ? -height : height));
  Put16(&file, 26, 1);
  Put16(&file, 28, 8);
  Put32(&file, 30, 0);
  Put32(&file, 34, static_cast<uint32_t>(bitsSize));
  Put32(&file, 46, 256);
  Put32(&file, 50, 256);
  for (int i = 0; i < 256; ++i) {
    size_t at = 54 + 4 * static_cast<size_t>(i);
    file[at] = static_cast<uint8_t>(colours[i]);
    file[at + 1] = static_cast<uint8_t>(colours[i] >> 8);
    file[at + 2] = static_cast<uint8_t>(colours[i] >> 16);
  }
  for (int y = 0; y < height; ++y) {
    int fileRow = topDown ? y : height - 1 - y;
    uint8_t* row = file.data() + 1078 + stride * static_cast<size_t>(fileRow);
    for (int x = 0; x < width; ++x) row[x] = index(x, y);
  }
  return file;
}

// The backdrop: an evening sky over calm water, a low sun with its glitter on the water, the
// product's title over the water and a darker panel where the disc's text block lies. Its colour
// table is laid out in runs, so every pixel's index follows from what lies there.
constexpr int kBackdropWidth = 640;
constexpr int kBackdropHeight = 480;
constexpr int kHorizon = 288;
constexpr int kSkyFirst = 0, kSkyCount = 96;
constexpr int kSeaFirst = 96, kSeaCount = 80;
constexpr int kPanelFirst = 176, kPanelCount = 32;
constexpr int kSunFirst = 208, kSunCount = 16;
constexpr int kTitleFirst = 224, kTitleCount = 32;
constexpr PlatRect kPanel{14, 14, 380, 260};  // the text block (24, 24, 360 x 240) and a margin
constexpr int kSunX = 540, kSunRadius = 30, kGlowRadius = 64;
constexpr int kTitleX = 26, kTitleY = 318, kTitleHeight = 60;
constexpr const char* kTitle = "Velloran Hydrel";

struct Backdrop {
  uint32_t colours[256] = {};
  std::vector<uint8_t> index;
};

uint32_t Mix(uint32_t a, uint32_t b, double t) {
  auto channel = [t](int p, int q) { return static_cast<int>(std::lround(p + (q - p) * t)); };
  return plat_Rgb(channel(plat_RgbRed(a), plat_RgbRed(b)), channel(plat_RgbGreen(a), plat_RgbGreen(b)),
                  channel(plat_RgbBlue(a), plat_RgbBlue(b)));
}

// Entry `step` of `count` along a run from `from` to `to`.
uint32_t RunColour(uint32_t from, uint32_t to, int step, int count) {
  return Mix(from, to, static_cast<double>(step) / (count - 1));
}

int SkyStep(int y) { return std::clamp(y * kSkyCount / kHorizon, 0, kSkyCount - 1); }
int SeaStep(int y) {
  return std::clamp((y - kHorizon) * kSeaCount / (kBackdropHeight - kHorizon), 0, kSeaCount - 1);
}

Backdrop MakeBackdrop() {
  Backdrop b;
  const uint32_t skyTop = plat_Rgb(16, 28, 68), skyMid = plat_Rgb(70, 86, 150);
  const uint32_t skyLow = plat_Rgb(236, 168, 120);
  for (int i = 0; i < kSkyCount; ++i) {
    b.colours[kSkyFirst + i] = i < kSkyCount / 2 ? RunColour(skyTop, skyMid, i, kSkyCount / 2)
                                                 : RunColour(skyMid, skyLow, i - kSkyCount / 2, kSkyCount / 2);
  }
  const uint32_t seaHigh = plat_Rgb(96, 98, 136), seaLow = plat_Rgb(6, 24, 52);
  for (int i = 0; i < kSeaCount; ++i) b.colours[kSeaFirst + i] = RunColour(seaHigh, seaLow, i, kSeaCount);
  // The panel darkens the sky it covers, a shade of it per three sky rows' colours.
  for (int i = 0; i < kPanelCount; ++i) {
    uint32_t sky = b.colours[kSkyFirst + std::min(kSkyCount - 1, i * kSkyCount / kPanelCount + 1)];
    b.colours[kPanelFirst + i] = Mix(sky, plat_Rgb(4, 8, 24), 0.62);
  }
  const uint32_t sunCore = plat_Rgb(255, 240, 200);
  for (int i = 0; i < kSunCount; ++i)
    b.colours[kSunFirst + i] = RunColour(sunCore, skyLow, i, kSunCount);
  const int titleRow = kTitleY + kTitleHeight / 2;
  const uint32_t titleInk = plat_Rgb(250, 246, 232);
  for (int i = 0; i < kTitleCount; ++i)
    b.colours[kTitleFirst + i] = RunColour(b.colours[kSeaFirst + SeaStep(titleRow)], titleInk, i, kTitleCount);

  b.index.resize(static_cast<size_t>(kBackdropWidth) * kBackdropHeight);
  for (int y = 0; y < kBackdropHeight; ++y) {
    for (int x = 0; x < kBackdropWidth; ++x) {
      int index = 0;
      if (y < kHorizon) {
        index = kSkyFirst + SkyStep(y);
        const int dx = x - kSunX, dy = y - kHorizon;
        if (dx * dx + dy * dy < kGlowRadius * kGlowRadius) {
          const double sun = std::sqrt(static_cast<double>(dx * dx + dy * dy));
          const double glow = sun <= kSunRadius ? 0.0 : (sun - kSunRadius) / (kGlowRadius - kSunRadius);
          index = kSunFirst + std::min(kSunCount - 1, static_cast<int>(glow * kSunCount));
        }
        if (plat_RectContains(kPanel, x, y)) index = kPanelFirst + SkyStep(y) * kPanelCount / kSkyCount;
      } else {
        index = kSeaFirst + SeaStep(y);
        // Glitter: a few short strokes of the sun's light under it, fading towards the viewer.
        const int depth = y - kHorizon;
        const int reach = kSunRadius - 6 + depth / 5;
        const int stroke = (x - kSunX + 4 * kGlowRadius) / 14 + depth * 7;
        if (std::abs(x - kSunX) < reach && depth % 9 == 3 && stroke % 4 == 1)
          index = kSunFirst + std::min(kSunCount - 1, 6 + depth / 24);
      }
      b.index[static_cast<size_t>(y) * kBackdropWidth + static_cast<size_t>(x)] = static_cast<uint8_t>(index);
    }
  }

  // The title, drawn white on black so that each pixel's red is its coverage.
  if (PlatFont* font = plat_FontCreate("DejaVu Serif", kTitleHeight, 700)) {
    PlatCanvas ink;
    plat_CanvasResize(&ink, kBackdropWidth, kBackdropHeight, 0);
    plat_DrawTextLine(&ink, font, kTitle, std::char_traits<char>::length(kTitle), kTitleX, kTitleY,
                      PlatRect{0, 0, kBackdropWidth, kBackdropHeight}, plat_Rgb(255, 255, 255));
    plat_FontDestroy(font);
    for (size_t i = 0; i < b.index.size(); ++i) {
      int coverage = plat_RgbRed(ink.pixels[i]);
      if (coverage > 0) b.index[i] = static_cast<uint8_t>(kTitleFirst + coverage * (kTitleCount - 1) / 255);
    }
  }
  return b;
}

const Backdrop& TheBackdrop() {
  static const Backdrop backdrop = MakeBackdrop();
  return backdrop;
}

const char kIni[] = R"(; Demo disc for the launcher
[Configs]
numberofinstalls=5
windowtitle=Demo Disc
buttonsize=110,26
backgroundart=Yes
backgroundartpath=art\backdrop.bmp
exitposition=516,420
text=Welcome. Install a product with its button on the right; once installed the same button starts it. Documents are at the bottom.
textcolor=245,240,225
textsize=18
textfont=DejaVu Sans
textposition=24,24
textboxsize=360,240
catalog=yes
catalogtext=Catalog
catalogfile=docs\catalog.txt
catalogposition=24,420
manual=Y
manualtext=Manual
manualfile=http://localhost/manual.html
manualposition=144,420
registration=yes
registrationtext=Register
registrationlink=http://localhost/register
registrationposition=264,420
windowsize=640,480

; registry-tracked; the uninstall command line comes from the registry
[Install1]
install=yes
installkey=yes
installpath=setup
installexe=install_game.sh
exename=Velloran_Hydrel
installkeypath=SOFTWARE\DemoHouse\Game
installkeyname=InstallDir
run=yes
runbypath=no
installbuttontext=Install Game
runbuttontext=Play Game
uninstall=yes
uninstallkey=yes
uninstallkeypath=SOFTWARE\DemoHouse\Game
uninstallkeyname=UninstallString
uninstallbuttontext=Remove Game
uninstallbypath=yes
eula=yes
eulatext=eula\game.txt
installposition=400,60
uninstallposition=510,60
runposition=400,60
buttonsize=100,28

; path-tracked below the Windows directory; an uninstall program in its own folder
[Install2]
install=Y
installkey=no
runbypath=Y
installpath=setup
installexe=install_tools.sh
exename=tools
runpath=[WINDIR]\Tools
run=yes
installbuttontext=Install Tools
runbuttontext=Start Tools
uninstall=yes
uninstallkey=no
uninstallpath=@ROOT@\disc\setup
uninstallexe=uninstall_tools.sh
uninstallbuttontext=Remove Tools
installposition=400,100
runposition=400,104
uninstallposition=510,100
buttonsize=100,28

; state-tracked with run=no: starting its installer records the install and ends the launcher
[Install3]
install=yes
installkey=no
runbypath=no
installpath=setup
installexe=install_extras.sh
exename=extras
run=no
eula=yes
eulatext=eula\extras.txt
installbuttontext=Add Extras
runbuttontext=Extras
installposition=400,140
runposition=400,140
buttonsize=100,28

; run-only with run=yes: always installed; the agreement is asked for once
[Install4]
install=no
exename=readme.sh
runpath=docs
run=yes
eula=yes
eulatext=eula\readme.txt
installbuttontext=Readme?
runbuttontext=Read Me
installposition=400,180
runposition=400,180
buttonsize=100,28

; run-only with run=no: installed while media\movie.sh exists; the uninstall line is a command
[Install5]
install=no
exename=movie.sh
runpath=media
run=no
installbuttontext=Movie (absent)
runbuttontext=Watch Movie
uninstall=yes
uninstallkey=no
uninstallpath=@ROOT@\disc\media\cleanup.sh -all
uninstallexe=0UNINST.EXE
uninstallbuttontext=Remove Movie
installposition=400,220
runposition=400,220
uninstallposition=510,220
buttonsize=100,28
)";

// The game's uninstaller: removes the data tree but the player's saves, then the program, whose
// absence is what the launcher watches for.
const char kUninstallGame[] =
    "#!/bin/sh\n"
    "cd \"$(dirname \"$0\")\" || exit 1\n"
    "find data -mindepth 1 -maxdepth 1 ! -name prefs -exec rm -rf {} +\n"
    "rm -f Velloran_Hydrel\n";

// Copies the built program and its data tree from `from` into the disc's `to`, leaving out what a
// run of the game wrote there: the saves in data/prefs (the folder stays) and the route files.
bool CopyGame(const std::filesystem::path& from, const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path program = from / "Velloran_Hydrel";
  if (!fs::is_regular_file(program, error) || !fs::is_directory(from / "data", error)) return false;
  fs::create_directories(to, error);
  if (error) return false;
  fs::copy_file(program, to / "Velloran_Hydrel", fs::copy_options::overwrite_existing, error);
  if (error) return false;
  fs::copy(from / "data", to / "data", fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
  if (error) return false;
  std::vector<fs::path> leftOut;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(to / "data", error)) {
    const fs::path relative = entry.path().lexically_relative(to / "data");
    const std::string name = entry.path().filename().string();
    const bool save = relative.parent_path() == "prefs";
    const bool route = name.rfind("qz_route_", 0) == 0;
    if (entry.is_regular_file() && (save || route)) leftOut.push_back(entry.path());
  }
  if (error) return false;
  for (const fs::path& path : leftOut) fs::remove(path, error);
  fs::create_directories(to / "data" / "prefs", error);
  return !error;
}

}  // namespace

uint8_t datagen_LauncherBitmapIndex(int x, int y) {
  // A gradient with a solid block in the top-left and one in the bottom-right corner.
  if (x < 32 && y < 32) return 250;
  if (x >= 600 && y >= 440) return 5;
  return static_cast<uint8_t>((x / 4 + y) & 0xFF);
}

uint32_t datagen_LauncherBitmapColour(int index) {
  uint32_t i = static_cast<uint32_t>(index) & 0xFF;
  uint32_t red = (i * 37u) & 0xFF;
  uint32_t green = 255u - i;
  uint32_t blue = i;
  return red << 16 | green << 8 | blue;
}

std::vector<uint8_t> datagen_LauncherBitmap(int width, int height, bool topDown) {
  uint32_t colours[256];
  for (int i = 0; i < 256; ++i) colours[i] = datagen_LauncherBitmapColour(i);
  return Bitmap8File(width, height, topDown, colours, datagen_LauncherBitmapIndex);
}

uint32_t datagen_LauncherBackdropColour(int x, int y) {
  const Backdrop& b = TheBackdrop();
  if (x < 0 || y < 0 || x >= kBackdropWidth || y >= kBackdropHeight) return 0;
  return b.colours[b.index[static_cast<size_t>(y) * kBackdropWidth + static_cast<size_t>(x)]];
}

std::vector<uint8_t> datagen_LauncherBackdrop() {
  return Bitmap8File(kBackdropWidth, kBackdropHeight, false, TheBackdrop().colours, [](int x, int y) {
    return TheBackdrop().index[static_cast<size_t>(y) * kBackdropWidth + static_cast<size_t>(x)];
  });
}

std::string datagen_LauncherDiscIni(const std::string& rootWindows) {
  return Replace(kIni, "@ROOT@", rootWindows);
}

std::string datagen_LauncherDiscFolder(const char* folder) {
  return folder && *folder ? std::string(folder) : plat_LauncherFolder();
}

bool datagen_WriteLauncherDisc(const std::string& nativeRoot, const std::string& gameFolder) {
  namespace fs = std::filesystem;
  fs::path root = nativeRoot;
  fs::path disc = root / "disc";
  std::error_code error;
  fs::create_directories(root / "windows", error);
  if (error) return false;

  std::string game;
  for (int i = 1; i <= 80; ++i) {
    game += "Line " + std::to_string(i) + " of the game's licence agreement. Read it all.\r\n";
  }
  std::string extras = "Extras licence.\nCopyright \xA9 the makers.\nAccept to add the extras.\n";
  std::vector<uint8_t> picture = datagen_LauncherBackdrop();
  std::string rootText = root.string();

  // The installer copies the disc's game folder (program, data tree and uninstaller), then records
  // the install folder and the uninstall command line in the registry, which the launcher watches.
  const std::string installGame =
      "#!/bin/sh\n"
      "mkdir -p '" + rootText + "/Programs/Game' || exit 1\n"
      "cp -R '" + disc.string() + "/game/.' '" + rootText + "/Programs/Game/' || exit 1\n"
      "printf '[SOFTWARE\\\\DemoHouse\\\\Game]\\nInstallDir=" + rootText +
      "/Programs/Game\\nUninstallString=" + rootText + "/Programs/Game/uninstall_game.sh -q\\n' >> '" +
      rootText + "/registry.ini'\n";
  const std::string installTools =
      "#!/bin/sh\nmkdir -p '" + rootText + "/windows/Tools'\n"
      "printf '#!/bin/sh\\nexit 0\\n' > '" + rootText + "/windows/Tools/tools'\n"
      "chmod +x '" + rootText + "/windows/Tools/tools'\n";
  const std::string uninstallTools = "#!/bin/sh\nrm -f '" + rootText + "/windows/Tools/tools'\n";
  const std::string stub = "#!/bin/sh\nexit 0\n";

  struct Entry {
    fs::path path;
    std::string bytes;
    bool executable;
  };
  const Entry entries[] = {
      {disc / "ostrel.ini", datagen_LauncherDiscIni(ToWindows(rootText)), false},
      {disc / "art" / "backdrop.bmp", std::string(picture.begin(), picture.end()), false},
      {disc / "eula" / "game.txt", game, false},
      {disc / "eula" / "extras.txt", extras, false},
      {disc / "docs" / "catalog.txt", "The catalog of the demo disc.\n", false},
      {disc / "docs" / "readme.sh", stub, true},
      {disc / "media" / "movie.sh", stub, true},
      {disc / "media" / "cleanup.sh", stub, true},
      {disc / "setup" / "install_game.sh", installGame, true},
      {disc / "game" / "uninstall_game.sh", kUninstallGame, true},
      {disc / "setup" / "install_tools.sh", installTools, true},
      {disc / "setup" / "uninstall_tools.sh", uninstallTools, true},
      {disc / "setup" / "install_extras.sh", stub, true},
      {root / "registry.ini", "[SOFTWARE\\Other]\r\nVersion=1\r\n", false},
  };
  for (const Entry& entry : entries) {
    if (!WriteFile(entry.path, entry.bytes, entry.executable)) return false;
  }
  return gameFolder.empty() || CopyGame(gameFolder, disc / "game");
}
