// The ini reader and writer on arbitrary text: no crash, and what is written reads back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/plat_ini.h"

namespace {

// A name of letters and digits taken from the input, so that it always round-trips.
std::string Name(const uint8_t* data, size_t size, size_t* pos) {
  std::string name = "n";
  while (*pos < size && name.size() < 8) {
    uint8_t c = data[(*pos)++];
    if (c == 0) break;
    name += static_cast<char>('a' + c % 26);
  }
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t pos = 0;
  std::string section = Name(data, size, &pos);
  std::string key = Name(data, size, &pos);
  std::string text(reinterpret_cast<const char*>(data) + pos, size - pos);

  std::string found;
  plat_IniFind(text, section.c_str(), key.c_str(), &found);
  plat_IniFind(text, "", "", &found);

  std::string updated = text;
  if (!plat_IniUpdate(&updated, section.c_str(), key.c_str(), "fuzz value")) __builtin_trap();
  std::string value;
  if (!plat_IniFind(updated, section.c_str(), key.c_str(), &value) || value != "fuzz value") {
    __builtin_trap();
  }
  // The bytes before the changed place are kept.
  size_t same = 0;
  while (same < text.size() && same < updated.size() && text[same] == updated[same]) ++same;
  if (updated.size() < same) __builtin_trap();
  // Writing the same value again changes nothing.
  std::string again = updated;
  if (!plat_IniUpdate(&again, section.c_str(), key.c_str(), "fuzz value") || again != updated) {
    __builtin_trap();
  }
  return 0;
}
