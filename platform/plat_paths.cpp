#include "platform/plat_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/plat_files.h"

namespace {

std::string gDrives[26];
std::string gModuleOverride;
std::string gWindowsOverride;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

int DriveIndex(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// `folder` + "/" + `name`, with a single "/" also when `folder` is the root.
std::string Below(std::string folder, const char* name) {
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder + "/" + name;
}

// The variable's value when it is an absolute path; an empty or relative one counts as unset, as the
// XDG base directory rule has it.
std::string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string PasswordHome() {
  std::vector<char> buffer(16384);
  passwd entry {};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir) {
    return found->pw_dir;
  }
  return "";
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    if (!MakeFolders(folder.substr(0, slash))) return false;
  }
  if (mkdir(folder.c_str(), 0755) == 0) return true;
  return errno == EEXIST && stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void plat_PathsSetDrive(char letter, const char* nativeRoot) {
  int index = DriveIndex(letter);
  if (index < 0) return;
  gDrives[index] = nativeRoot ? StripTrailingSlashes(nativeRoot) : std::string();
}

void plat_PathsClearDrives() {
  for (std::string& drive : gDrives) drive.clear();
}

bool plat_PathHasDrive(const std::string& path) {
  return path.size() >= 2 && DriveIndex(path[0]) >= 0 && path[1] == ':';
}

bool plat_PathIsAbsolute(const std::string& path) {
  std::string trimmed = TrimBlanks(path);
  if (plat_PathHasDrive(trimmed)) return true;
  return !trimmed.empty() && (trimmed[0] == '\\' || trimmed[0] == '/');
}

std::string plat_PathJoin(const std::string& base, const std::string& path) {
  std::string trimmed = TrimBlanks(path);
  if (trimmed.empty()) return base;
  if (base.empty() || plat_PathIsAbsolute(trimmed)) return trimmed;
  if (base.back() == '\\' || base.back() == '/') return base + trimmed;
  return base + "\\" + trimmed;
}

bool plat_PathToNative(const std::string& windowsPath, std::string* native) {
  std::string path = TrimBlanks(windowsPath);
  if (path.empty()) return false;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (plat_PathHasDrive(path)) {
    const std::string& root = gDrives[DriveIndex(path[0])];
    if (root.empty()) return false;
    std::string rest = path.substr(2);
    if (rest.empty() || rest[0] != '/') rest = "/" + rest;
    path = (root == "/" ? std::string() : root) + rest;
  }
  std::string resolved;
  plat_ResolvePath(path.c_str(), &resolved);
  if (native) *native = resolved;
  return true;
}

std::string plat_PathFromNative(const std::string& native) {
  std::string path = native;
  int bestDrive = -1;
  size_t bestLength = 0;
  for (int i = 0; i < 26; ++i) {
    const std::string& root = gDrives[i];
    if (root.empty() || root == "/") continue;
    if (path.compare(0, root.size(), root) != 0) continue;
    if (path.size() > root.size() && path[root.size()] != '/') continue;
    if (root.size() > bestLength) {
      bestDrive = i;
      bestLength = root.size();
    }
  }
  if (bestDrive >= 0) {
    std::string rest = path.substr(bestLength);
    if (rest.empty()) rest = "/";
    path = std::string(1, static_cast<char>('A' + bestDrive)) + ":" + rest;
  }
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

bool plat_ModuleFileName(std::string* windowsPath) {
  std::string native = gModuleOverride;
  if (native.empty()) {
    std::vector<char> buffer(4096);
    for (;;) {
      ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (n <= 0) return false;
      if (static_cast<size_t>(n) < buffer.size()) {
        native.assign(buffer.data(), static_cast<size_t>(n));
        break;
      }
      if (buffer.size() >= (1u << 20)) return false;
      buffer.resize(buffer.size() * 2);
    }
  }
  if (windowsPath) *windowsPath = plat_PathFromNative(native);
  return true;
}

bool plat_UseProgramFolder() {
  std::string program;
  if (!plat_ModuleFileName(&program)) return false;
  std::string native;
  if (!plat_PathToNative(program, &native)) return false;
  const size_t slash = native.find_last_of('/');
  if (slash == std::string::npos) return false;
  const std::string folder = slash == 0 ? "/" : native.substr(0, slash);
  return chdir(folder.c_str()) == 0;
}

void plat_SetModuleFileName(const char* nativePath) { gModuleOverride = nativePath ? nativePath : ""; }

std::string plat_LauncherFolder() {
  std::string state = AbsoluteFromEnvironment("XDG_STATE_HOME");
  if (state.empty()) {
    std::string home = AbsoluteFromEnvironment("HOME");
    if (home.empty()) home = PasswordHome();
    if (home.empty()) home = "/tmp";
    state = Below(home, ".local/state");
  }
  return Below(state, "cdfront");
}

std::string plat_WindowsDirectoryNative() {
  if (!gWindowsOverride.empty()) return gWindowsOverride;
  return Below(plat_LauncherFolder(), "windows");
}

std::string plat_WindowsDirectory() {
  std::string path = plat_PathFromNative(plat_WindowsDirectoryNative());
  while (path.size() > 1 && path.back() == '\\' && !(path.size() == 3 && path[1] == ':')) {
    path.pop_back();
  }
  return path;
}

void plat_SetWindowsDirectory(const char* nativeFolder) {
  gWindowsOverride = nativeFolder ? StripTrailingSlashes(nativeFolder) : std::string();
}

bool plat_WindowsDirectoryCreate() { return MakeFolders(plat_WindowsDirectoryNative()); }
