// Text and picture drawing of the dialog toolkit over arbitrary bytes: decoding, word wrapping
// and 8-bit pictures must stay in bounds and always finish.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/plat_canvas.h"
#include "platform/plat_font.h"

namespace {

// Byte widths from 0 to 15 pixels, so zero-width runs and wide words both occur.
int Measure(const char* text, size_t length, void*) {
  int width = 0;
  for (size_t i = 0; i < length; ++i) width += static_cast<unsigned char>(text[i]) & 15;
  return width;
}

void CheckWrap(const std::string& text, int width) {
  std::vector<PlatTextLine> lines;
  plat_WrapText(text.data(), text.size(), width, Measure, nullptr, &lines);
  size_t previousEnd = 0;
  for (const PlatTextLine& line : lines) {
    if (line.start < previousEnd || line.start + line.length > text.size()) __builtin_trap();
    for (size_t i = line.start; i < line.start + line.length; ++i)
      if (text[i] == '\r' || text[i] == '\n') __builtin_trap();
    previousEnd = line.start + line.length;
  }
  // Every non-blank byte that is not a line end is on some line.
  size_t covered = 0;
  for (const PlatTextLine& line : lines)
    for (size_t i = line.start; i < line.start + line.length; ++i)
      if (text[i] != ' ') ++covered;
  size_t wanted = 0;
  for (char c : text)
    if (c != ' ' && c != '\r' && c != '\n') ++wanted;
  if (covered != wanted) __builtin_trap();
}

void CheckPicture(const uint8_t* data, size_t size) {
  if (size < 12) return;
  PlatBitmap8 bitmap;
  bitmap.width = static_cast<int8_t>(data[0]) * 3;
  bitmap.height = static_cast<int8_t>(data[1]) * 3;
  bitmap.stride = data[2];
  bitmap.colourCount = data[3] + 1;
  int x = static_cast<int8_t>(data[4]);
  int y = static_cast<int8_t>(data[5]);
  std::vector<uint8_t> table(static_cast<size_t>(bitmap.colourCount) * 4, 0x5A);
  bitmap.colourTable = table.data();
  bitmap.bits = data + 12;
  bitmap.bitsSize = size - 12;
  PlatCanvas canvas;
  plat_CanvasResize(&canvas, 37, 29, 0);
  plat_CanvasDrawBitmap8(&canvas, &bitmap, x, y);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string display = plat_TextForDisplay(reinterpret_cast<const char*>(data), size);
  // Everything displayable is valid UTF-8 again, so a second pass keeps it unchanged.
  if (plat_TextForDisplay(display.data(), display.size()) != display) __builtin_trap();
  int width = size > 0 ? data[0] : 0;
  CheckWrap(std::string(reinterpret_cast<const char*>(data), size), width);
  CheckWrap(display, width);
  CheckPicture(data, size);
  return 0;
}
