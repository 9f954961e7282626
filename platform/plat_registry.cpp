#include "platform/plat_registry.h"

#include <strings.h>

#include "platform/plat_ini.h"
#include "platform/plat_paths.h"

namespace {

std::string gStore;

std::string SubkeySection(const char* subkey) {
  std::string name = subkey ? subkey : "";
  size_t first = 0;
  size_t last = name.size();
  while (first < last && (name[first] == ' ' || name[first] == '\\')) ++first;
  while (last > first && (name[last - 1] == ' ' || name[last - 1] == '\\')) --last;
  return name.substr(first, last - first);
}

}  // namespace

void plat_RegistrySetStore(const char* nativePath) { gStore = nativePath ? nativePath : ""; }

std::string plat_RegistryStorePath() {
  if (!gStore.empty()) return gStore;
  std::string windows = plat_WindowsDirectoryNative();
  size_t slash = windows.rfind('/');
  std::string parent = slash == std::string::npos ? "." : slash == 0 ? "" : windows.substr(0, slash);
  return parent + "/registry.ini";
}

bool plat_RegistryReadString(const char* subkey, const char* name, size_t room, std::string* out) {
  if (out) out->clear();
  std::string section = SubkeySection(subkey);
  if (section.empty()) return false;
  std::string text;
  if (!plat_ReadWholeNative(plat_RegistryStorePath(), &text)) return false;
  std::string key = (name && *name) ? name : "@";
  std::string value;
  if (!plat_IniFind(text, section.c_str(), key.c_str(), &value)) return false;
  if (strncasecmp(value.c_str(), "dword:", 6) == 0 || strncasecmp(value.c_str(), "hex:", 4) == 0 ||
      strncasecmp(value.c_str(), "hex(", 4) == 0) {
    return false;
  }
  if (value.find('\0') != std::string::npos) return false;
  if (value.size() + 1 > room) return false;
  if (out) *out = value;
  return true;
}
