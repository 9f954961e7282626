#include "platform/plat_ini.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/plat_files.h"
#include "platform/plat_paths.h"

namespace {

struct Line {
  size_t start;     // first byte of the line
  size_t end;       // one past its last byte, line end excluded
  size_t next;      // first byte of the following line
  bool terminated;  // the line has a line end of its own
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

void Trim(const std::string& text, size_t* first, size_t* last) {
  while (*first < *last && IsSpace(text[*first])) ++(*first);
  while (*last > *first && IsSpace(text[*last - 1])) --(*last);
}

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  size_t pos = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos < text.size()) {
    size_t newline = text.find('\n', pos);
    Line line{};
    line.start = pos;
    line.terminated = newline != std::string::npos;
    if (!line.terminated) {
      line.end = text.size();
      line.next = text.size();
    } else {
      line.end = newline;
      line.next = newline + 1;
    }
    if (line.end > line.start && text[line.end - 1] == '\r') --line.end;
    lines.push_back(line);
    pos = line.next;
  }
  return lines;
}

bool EqualNoCase(const std::string& text, size_t first, size_t last, const char* name) {
  size_t length = std::strlen(name);
  return last - first == length && strncasecmp(text.data() + first, name, length) == 0;
}

// When the line is a section header: true with the trimmed name's bounds.
bool SectionName(const std::string& text, const Line& line, size_t* first, size_t* last) {
  size_t a = line.start;
  size_t b = line.end;
  Trim(text, &a, &b);
  if (a >= b || text[a] != '[') return false;
  size_t close = text.find(']', a + 1);
  size_t stop = (close == std::string::npos || close > b) ? b : close;
  *first = a + 1;
  *last = stop;
  Trim(text, first, last);
  return true;
}

// When the line is a key line: true with the trimmed key's bounds and the position of "=".
bool KeyLine(const std::string& text, const Line& line, size_t* first, size_t* last, size_t* equals) {
  size_t a = line.start;
  size_t b = line.end;
  Trim(text, &a, &b);
  if (a >= b || text[a] == ';') return false;
  const void* found = std::memchr(text.data() + a, '=', b - a);
  if (!found) return false;
  *equals = static_cast<size_t>(static_cast<const char*>(found) - text.data());
  *first = a;
  *last = *equals;
  Trim(text, first, last);
  return true;
}

// Index range of the first matching section's lines (after its header), or false.
bool FindSection(const std::string& text, const std::vector<Line>& lines, const char* section,
                 size_t* header, size_t* endLine) {
  bool inside = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t first = 0;
    size_t last = 0;
    if (!SectionName(text, lines[i], &first, &last)) continue;
    if (inside) {
      *endLine = i;
      return true;
    }
    if (EqualNoCase(text, first, last, section)) {
      inside = true;
      *header = i;
    }
  }
  if (inside) *endLine = lines.size();
  return inside;
}

bool HasLineBreak(const char* text) { return std::strpbrk(text, "\r\n") != nullptr; }

bool NamesRoundTrip(const char* section, const char* key, const char* value) {
  if (!section || !key || !value) return false;
  if (!*section || std::strchr(section, ']') || HasLineBreak(section)) return false;
  if (!*key || std::strchr(key, '=') || HasLineBreak(key) || key[0] == ';' || key[0] == '[') {
    return false;
  }
  return !HasLineBreak(value);
}

}  // namespace

bool plat_IniFind(const std::string& text, const char* section, const char* key, std::string* value) {
  if (!section || !key) return false;
  std::vector<Line> lines = SplitLines(text);
  size_t header = 0;
  size_t endLine = 0;
  if (!FindSection(text, lines, section, &header, &endLine)) return false;
  for (size_t i = header + 1; i < endLine; ++i) {
    size_t first = 0;
    size_t last = 0;
    size_t equals = 0;
    if (!KeyLine(text, lines[i], &first, &last, &equals)) continue;
    if (!EqualNoCase(text, first, last, key)) continue;
    size_t a = equals + 1;
    size_t b = lines[i].end;
    Trim(text, &a, &b);
    if (b - a >= 2 && (text[a] == '"' || text[a] == '\'') && text[b - 1] == text[a]) {
      ++a;
      --b;
    }
    if (value) value->assign(text, a, b - a);
    return true;
  }
  return false;
}

bool plat_IniUpdate(std::string* text, const char* section, const char* key, const char* value) {
  if (!text || !NamesRoundTrip(section, key, value)) return false;
  std::vector<Line> lines = SplitLines(*text);
  std::string eol = "\r\n";
  for (const Line& line : lines) {
    if (line.terminated) {
      eol = (*text)[line.end] == '\r' ? "\r\n" : "\n";
      break;
    }
  }
  std::string entry = std::string(key) + "=" + value;
  size_t header = 0;
  size_t endLine = 0;
  if (!FindSection(*text, lines, section, &header, &endLine)) {
    std::string tail;
    if (!text->empty() && text->back() != '\n') tail += eol;
    tail += "[" + std::string(section) + "]" + eol + entry + eol;
    text->append(tail);
    return true;
  }
  size_t lastKey = header;
  for (size_t i = header + 1; i < endLine; ++i) {
    size_t first = 0;
    size_t last = 0;
    size_t equals = 0;
    if (!KeyLine(*text, lines[i], &first, &last, &equals)) continue;
    lastKey = i;
    if (EqualNoCase(*text, first, last, key)) {
      text->replace(lines[i].start, lines[i].end - lines[i].start, entry);
      return true;
    }
  }
  const Line& after = lines[lastKey];
  if (!after.terminated) {
    // The last line of the file has no line end of its own.
    text->insert(after.next, eol + entry);
  } else {
    text->insert(after.next, entry + eol);
  }
  return true;
}

bool plat_ReadWholeNative(const std::string& nativePath, std::string* bytes) {
  int fd = open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  std::string data;
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  if (ok && bytes) bytes->swap(data);
  return ok;
}

std::string plat_ProfileLoad(const char* windowsPath) {
  std::string native;
  std::string text;
  if (windowsPath && plat_PathToNative(windowsPath, &native)) plat_ReadWholeNative(native, &text);
  return text;
}

uint32_t plat_ProfileTextGetString(const std::string& fileText, const char* section, const char* key,
                                   const char* defaultValue, char* out, uint32_t size) {
  std::string value;
  if (!plat_IniFind(fileText, section, key, &value)) value = defaultValue ? defaultValue : "";
  if (!out || size == 0) return 0;
  size_t count = std::min<size_t>(value.size(), size - 1);
  std::memcpy(out, value.data(), count);
  out[count] = '\0';
  return static_cast<uint32_t>(count);
}

std::string plat_ProfileTextGet(const std::string& fileText, const char* section, const char* key,
                                const char* defaultValue, uint32_t size) {
  if (size == 0) return std::string();
  std::vector<char> buffer(size);
  uint32_t count =
      plat_ProfileTextGetString(fileText, section, key, defaultValue, buffer.data(), size);
  return std::string(buffer.data(), count);
}

uint32_t plat_ProfileGetString(const char* section, const char* key, const char* defaultValue,
                               char* out, uint32_t size, const char* windowsPath) {
  return plat_ProfileTextGetString(plat_ProfileLoad(windowsPath), section, key, defaultValue, out,
                                   size);
}

std::string plat_ProfileGetText(const char* section, const char* key, const char* defaultValue,
                                uint32_t size, const char* windowsPath) {
  return plat_ProfileTextGet(plat_ProfileLoad(windowsPath), section, key, defaultValue, size);
}

bool plat_ProfileWriteString(const char* section, const char* key, const char* value,
                             const char* windowsPath) {
  std::string native;
  if (!windowsPath || !plat_PathToNative(windowsPath, &native)) return false;
  std::string text;
  struct stat st {};
  if (stat(native.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || access(native.c_str(), W_OK) != 0) return false;
    if (!plat_ReadWholeNative(native, &text)) return false;
  } else if (errno != ENOENT) {
    return false;
  }
  if (!plat_IniUpdate(&text, section, key, value)) return false;
  return plat_FileSaveWhole(native.c_str(), text.data(), text.size());
}
