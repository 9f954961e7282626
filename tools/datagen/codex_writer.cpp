#include "tools/datagen/codex_writer.h"

#include <charconv>
#include <cmath>
#include <fstream>

namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

bool CodexFieldText(std::string_view field, std::string* out) {
  if (field.empty() || !out) return false;
  bool quote = field.front() == '"';
  for (size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (c == '\r' || c == '\n') return false;
    if (c == '"' && i > 0) return false;
    if (c == ' ' || c == '\t' || c == ',') quote = true;
  }
  if (quote) {
    *out = "\"" + std::string(field) + "\"";
  } else {
    *out = std::string(field);
  }
  return true;
}

std::string CodexInt(int32_t value) { return std::to_string(value); }

std::string CodexFloat(float value) {
  if (!std::isfinite(value)) return std::string();
  char text[64];
  auto [end, error] = std::to_chars(text, text + sizeof(text), value, std::chars_format::fixed);
  if (error != std::errc()) return std::string();
  return std::string(text, end);
}

std::string CodexTruth(bool value) { return value ? "kVKT_True" : "kVKT_False"; }

void CodexWriteLine(CodexWriter& writer, std::string_view token, const std::vector<std::string>& fields) {
  std::string line(token);
  for (const std::string& field : fields) {
    std::string text;
    if (!CodexFieldText(field, &text)) {
      writer.ok = false;
      return;
    }
    line += ' ';
    line += text;
  }
  writer.text += line;
  writer.text += kLineEnd;
}

void CodexWriteComment(CodexWriter& writer, std::string_view comment) {
  for (char c : comment) {
    if (c == '\r' || c == '\n') {
      writer.ok = false;
      return;
    }
  }
  writer.text += "// ";
  writer.text += comment;
  writer.text += kLineEnd;
}

std::string CodexFinish(CodexWriter& writer) {
  CodexWriteComment(writer, "end of file");
  return writer.text;
}

bool CodexSaveFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}
