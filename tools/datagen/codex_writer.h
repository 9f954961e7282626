// Writes codex token text the way the engine's reader takes it: one token per line, fields
// separated by one blank, CR LF line ends, and a closing comment line long enough that no reader
// mistakes the last token line for the end of the data.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CodexWriter {
  std::string text;
  bool ok = true;  // false once a field could not be written
};

// One field as written: bare when it can be, quoted when it holds a blank, tab or comma or begins
// with a quote. There is no escape, so an empty field, a line end, or a quote after the first
// character cannot be written: then false and out is left alone.
bool CodexFieldText(std::string_view field, std::string* out);

std::string CodexInt(int32_t value);
// Plain decimal, no exponent, the shortest text that reads back to the same float. NaN and the
// infinities cannot be written and give an empty text (which CodexWriteLine refuses).
std::string CodexFloat(float value);
std::string CodexTruth(bool value);

void CodexWriteLine(CodexWriter& writer, std::string_view token, const std::vector<std::string>& fields);
void CodexWriteComment(CodexWriter& writer, std::string_view comment);
// Adds the closing comment line and returns the text.
std::string CodexFinish(CodexWriter& writer);

// Writes bytes to a file, replacing it; false on failure.
bool CodexSaveFile(const std::string& path, const std::string& bytes);
