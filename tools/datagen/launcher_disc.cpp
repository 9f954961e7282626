#include "tools/datagen/launcher_disc.h"

#include <filesystem>
#include <fstream>
#include <system_error>

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

const char kIni[] = R"(; Demo disc for the launcher
[Configs]
numberofinstalls=5
windowtitle=Demo Disc
buttonsize=110,26
backgroundart=Yes
backgroundartpath=art\backdrop.bmp
exitposition=516,420
text=Welcome. Install a product with its button on the right; once installed the same button starts it. Documents are at the bottom.
textcolor=255,255,0
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
exename=velloran_hydrel
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
    uint32_t colour = datagen_LauncherBitmapColour(i);
    size_t at = 54 + 4 * static_cast<size_t>(i);
    file[at] = static_cast<uint8_t>(colour);
    file[at + 1] = static_cast<uint8_t>(colour >> 8);
    file[at + 2] = static_cast<uint8_t>(colour >> 16);
  }
  for (int y = 0; y < height; ++y) {
    int fileRow = topDown ? y : height - 1 - y;
    uint8_t* row = file.data() + 1078 + stride * static_cast<size_t>(fileRow);
    for (int x = 0; x < width; ++x) row[x] = datagen_LauncherBitmapIndex(x, y);
  }
  return file;
}

std::string datagen_LauncherDiscIni(const std::string& rootWindows) {
  return Replace(kIni, "@ROOT@", rootWindows);
}

bool datagen_WriteLauncherDisc(const std::string& nativeRoot) {
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
  std::vector<uint8_t> picture = datagen_LauncherBitmap(640, 480);
  std::string rootText = root.string();

  const std::string installGame =
      "#!/bin/sh\n"
      "mkdir -p '" + rootText + "/Programs/Game'\n"
      "printf '#!/bin/sh\\nexit 0\\n' > '" + rootText + "/Programs/Game/velloran_hydrel'\n"
      "chmod +x '" + rootText + "/Programs/Game/velloran_hydrel'\n"
      "printf '#!/bin/sh\\nrm -f \"" + rootText + "/Programs/Game/velloran_hydrel\"\\n' > '" + rootText +
      "/Programs/Game/uninstall_game.sh'\n"
      "chmod +x '" + rootText + "/Programs/Game/uninstall_game.sh'\n"
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
      {disc / "setup" / "install_tools.sh", installTools, true},
      {disc / "setup" / "uninstall_tools.sh", uninstallTools, true},
      {disc / "setup" / "install_extras.sh", stub, true},
      {root / "registry.ini", "[SOFTWARE\\Other]\r\nVersion=1\r\n", false},
  };
  for (const Entry& entry : entries) {
    if (!WriteFile(entry.path, entry.bytes, entry.executable)) return false;
  }
  return true;
}
