#include "launcher/launcher_config.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "launcher/launcher_files.h"
#include "launcher/launcher_install.h"
#include "platform/plat_ini.h"
#include "platform/plat_paths.h"

namespace {

// Pairs and colours look at no more than this many characters, the terminating zero included.
constexpr int kScanLimit = 12;

// Scans up to `count` comma-separated digit runs; true when the scan ended within the limit.
bool ScanNumbers(const char* value, int count, int32_t* out) {
  std::string digits[3];
  int current = 0;
  bool ended = false;
  for (int i = 0; i < kScanLimit && value; ++i) {
    char c = value[i];
    if (c == '\0') {
      ended = true;
      break;
    }
    if (c >= '0' && c <= '9') {
      digits[current] += c;
    } else if (c == ',') {
      if (current == count - 1) {
        ended = true;
        break;
      }
      ++current;
    }
  }
  if (!value) ended = true;
  if (!ended) return false;
  for (int i = 0; i < count; ++i) out[i] = LauncherAtol(digits[i].c_str());
  return true;
}

int32_t SaturatingAdd(int32_t a, int32_t b) {
  int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

std::string Cut(std::string text, size_t width) {
  if (text.size() > width - 1) text.resize(width - 1);
  return text;
}

// Look-ups in one section of the configuration text, which is read once for the whole start.
struct Reader {
  const std::string* fileText;
  const char* section;

  std::string Text(const char* key, uint32_t size, const char* fallback = "0") const {
    return plat_ProfileTextGet(*fileText, section, key, fallback, size);
  }
  int32_t Flag(const char* key, uint32_t size) const { return LauncherFlag(Text(key, size).c_str()); }
  int32_t Number(const char* key, uint32_t size) const { return LauncherAtol(Text(key, size).c_str()); }
  void Pair(const char* key, int32_t* first, int32_t* second) const {
    LauncherParsePair(Text(key, 10).c_str(), first, second);
  }
};

int32_t FontHeight(int32_t size) {
  if (size == 0) return 0;
  int64_t magnitude = std::clamp<int64_t>(size < 0 ? -static_cast<int64_t>(size) : size, 4, 200);
  return static_cast<int32_t>(size < 0 ? -magnitude : magnitude);
}

void ReadDocButton(const Reader& in, const char* flag, const char* caption, const char* file,
                   const char* position, LauncherDocButton* button) {
  button->enabled = in.Flag(flag, 62);
  button->caption = in.Text(caption, 31);
  button->file = in.Text(file, 256);
  in.Pair(position, &button->x, &button->y);
}

void ReadSettings(LauncherState* state, const std::string& fileText) {
  LauncherSettings& s = state->settings;
  Reader in{&fileText, "Configs"};
  s.productCount = std::clamp<int32_t>(in.Number("numberofinstalls", 50), 0, kLauncherMaxProducts);
  s.windowTitle = in.Text("windowtitle", 62);
  in.Pair("buttonsize", &s.buttonWidth, &s.buttonHeight);
  s.pictureEnabled = in.Flag("backgroundart", 62);
  if (s.pictureEnabled) {
    s.picturePath = s.directory + in.Text("backgroundartpath", 256);
    if (!s.hasPictureHeader) {
      s.hasPictureHeader = LauncherBitmapHeaderRead(s.picturePath.c_str(), s.pictureHeader) == 1;
      if (s.hasPictureHeader) s.hasPalette = LauncherPaletteCreate(s.pictureHeader, &s.palette) == 1;
    }
    s.hasPicture = LauncherFileLoad(s.picturePath.c_str(), &s.picture) == 1;
  }
  in.Pair("exitposition", &s.exitX, &s.exitY);
  s.text = in.Text("text", 511);
  int32_t rgb[3] = {0, 0, 0};
  LauncherParseColour(in.Text("textcolor", 31).c_str(), &rgb[0], &rgb[1], &rgb[2]);
  s.textColour = LauncherColourValue(rgb[0], rgb[1], rgb[2]);
  s.textHeight = FontHeight(in.Number("textsize", 50));
  s.textFont = in.Text("textfont", 50);
  int32_t textX = 0, textY = 0, boxWidth = 0, boxHeight = 0;
  in.Pair("textposition", &textX, &textY);
  in.Pair("textboxsize", &boxWidth, &boxHeight);
  s.textRect.left = textX;
  s.textRect.top = textY;
  s.textRect.right = SaturatingAdd(textX, boxWidth);
  s.textRect.bottom = SaturatingAdd(textY, boxHeight);
  ReadDocButton(in, "catalog", "catalogtext", "catalogfile", "catalogposition", &s.catalog);
  ReadDocButton(in, "manual", "manualtext", "manualfile", "manualposition", &s.manual);
  ReadDocButton(in, "registration", "registrationtext", "registrationlink", "registrationposition",
                &s.registration);
  in.Pair("windowsize", &s.windowWidth, &s.windowHeight);
}

void ReadProduct(LauncherState* state, const std::string& fileText, const char* section,
                 LauncherProduct* p) {
  Reader in{&fileText, section};
  p->install = in.Flag("install", 10);
  p->installkey = in.Flag("installkey", 10);
  p->installpath = in.Text("installpath", 255, " ");
  p->installexe = Cut(in.Text("installexe", 255), kLauncherNameWidth);
  p->exename = Cut(in.Text("exename", 255), kLauncherNameWidth);
  p->installkeypath = in.Text("installkeypath", 255);
  p->installkeyname = in.Text("installkeyname", 64);
  p->run = in.Flag("run", 10);
  p->runbypath = in.Flag("runbypath", 10);
  p->installbuttontext = in.Text("installbuttontext", 32);
  p->runbuttontext = in.Text("runbuttontext", 32);
  p->runpath = in.Text("runpath", 511, " ");
  if (p->runpath.compare(0, 8, "[WINDIR]") == 0) p->runpath = LauncherWindowsDirPath(*state, p->runpath);
  p->uninstall = in.Flag("uninstall", 10);
  p->uninstallkey = in.Flag("uninstallkey", 10);
  p->uninstallkeypath = in.Text("uninstallkeypath", 255);
  p->uninstallkeyname = in.Text("uninstallkeyname", 255);
  p->uninstallbuttontext = in.Text("uninstallbuttontext", 32);
  in.Text("uninstallbypath", 10);  // read, and of no effect
  p->uninstallpath = in.Text("uninstallpath", 511, " ");
  std::string uninstallexe = in.Text("uninstallexe", 511);
  p->uninstallexe = uninstallexe.empty() || uninstallexe[0] == '0'
                        ? std::string()
                        : Cut(uninstallexe, kLauncherNameWidth);
  p->eula = in.Flag("eula", 10);
  if (p->eula) {
    std::string path = state->settings.directory + in.Text("eulatext", 255);
    LauncherBlock text;
    if (LauncherFileLoad(path.c_str(), &text) == 1) {
      p->hasAgreement = true;
      p->agreementText = reinterpret_cast<const char*>(text.data());
    }
  }
  in.Pair("installposition", &p->installX, &p->installY);
  in.Pair("uninstallposition", &p->uninstallX, &p->uninstallY);
  in.Pair("runposition", &p->runX, &p->runY);
  in.Pair("buttonsize", &p->buttonWidth, &p->buttonHeight);
}

}  // namespace

int32_t LauncherAtol(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t LauncherFlag(const char* text) { return text && (text[0] == 'y' || text[0] == 'Y') ? 1 : 0; }

void LauncherParsePair(const char* value, int32_t* first, int32_t* second) {
  int32_t numbers[2];
  if (!ScanNumbers(value, 2, numbers)) return;
  if (first) *first = numbers[0];
  if (second) *second = numbers[1];
}

void LauncherParseColour(const char* value, int32_t* red, int32_t* green, int32_t* blue) {
  int32_t numbers[3];
  if (!ScanNumbers(value, 3, numbers)) return;
  if (red) *red = numbers[0];
  if (green) *green = numbers[1];
  if (blue) *blue = numbers[2];
}

uint32_t LauncherColourValue(int32_t red, int32_t green, int32_t blue) {
  return (static_cast<uint32_t>(red) & 0xFF) | (static_cast<uint32_t>(green) & 0xFF) << 8 |
         (static_cast<uint32_t>(blue) & 0xFF) << 16;
}

std::string LauncherDirectoryFromModule(const std::string& moduleFileName) {
  std::string directory = moduleFileName;
  size_t slash = directory.rfind('\\');
  if (slash != std::string::npos) directory.resize(slash + 1);
  // A build folder anywhere in the path stands for the disc folder that holds it.
  for (const char* folder : {"\\DEBUG\\", "\\RELEASE\\"}) {
    size_t at = directory.find(folder);
    if (at != std::string::npos) directory.resize(at + 1);
  }
  return directory;
}

bool LauncherDirectoryGet(std::string* directory) {
  std::string module;
  if (!plat_ModuleFileName(&module)) return false;
  *directory = LauncherDirectoryFromModule(module);
  return true;
}

std::string LauncherWindowsDirPath(const LauncherState& state, const std::string& value) {
  return state.windowsDirectory + (value.size() > 8 ? value.substr(8) : std::string());
}

bool LauncherConfigReadFile(LauncherState* state) {
  *state = LauncherState{};
  state->windowsDirectory = plat_WindowsDirectory();
  if (!LauncherDirectoryGet(&state->settings.directory)) return false;
  state->configPath = state->settings.directory + "ostrel.ini";
  const std::string fileText = plat_ProfileLoad(state->configPath.c_str());
  ReadSettings(state, fileText);
  state->products.resize(static_cast<size_t>(state->settings.productCount));
  for (int32_t n = 1; n <= state->settings.productCount; ++n) {
    char section[32];
    std::snprintf(section, sizeof section, "Install%d", static_cast<int>(n));
    ReadProduct(state, fileText, section, &state->products[static_cast<size_t>(n - 1)]);
  }
  return true;
}

LauncherStart LauncherConfigRead(LauncherState* state) {
  if (!LauncherConfigReadFile(state)) return kLauncherStartEnd;
  return LauncherInstallStartup(state);
}
