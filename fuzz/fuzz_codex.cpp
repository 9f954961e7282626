// Walks arbitrary bytes with the codex tokenizer, the word reader and the field readers: every walk
// must end, and nothing may be read past the data.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/data/codex.h"

namespace {

int32_t FindNone(const char*) { return -1; }

void WalkTokens(const std::vector<char>& bytes, uint8_t skipRest, bool withBuffer) {
  const char* text = bytes.data();
  int32_t remaining = static_cast<int32_t>(bytes.size());
  static char buffer[kCodexTextSize];
  int32_t i[4];
  float f[3];
  for (size_t guard = 0; guard <= bytes.size() + 1; ++guard) {
    int32_t id = 0;
    int32_t before = remaining;
    int32_t result = wre_CodexReadToken(&text, &remaining, &id, withBuffer ? buffer : nullptr, &i[0], &i[1], &i[2],
                                        &i[3], &f[0], &f[1], &f[2], skipRest);
    if (id == kCodexEnd || result != 0) return;
    if (remaining >= before) __builtin_trap();  // every line read moves the cursor
  }
  __builtin_trap();
}

void WalkWords(const std::vector<char>& bytes) {
  const char* text = bytes.data();
  int32_t remaining = static_cast<int32_t>(bytes.size());
  char word[kCodexWordSize];
  for (size_t guard = 0; guard <= bytes.size() + 1; ++guard) {
    int32_t id = 0;
    if (wre_CodexReadTokenWord(&text, &remaining, &id, word) != 0) return;  // empty data: no text
    if (id == kCodexEnd) return;
    // Read a few fields of the line the way the course and font readers do.
    int32_t value = 0;
    float number = 0.0f;
    uint8_t flag = 0;
    char field[16];
    wre_CodexReadInt(&text, &remaining, &value);
    wre_CodexReadFloat(&text, &remaining, &number);
    wre_CodexReadBool(&text, &remaining, &flag);
    wre_CodexReadString(&text, &remaining, field, sizeof(field));
    wre_CodexSkipLine(&text, &remaining);
  }
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  wre_CodexSetIdentFinders(FindNone, FindNone);
  // An exact-size copy, so a read one byte past the data is caught.
  std::vector<char> bytes(data, data + size);
  WalkTokens(bytes, 0, true);
  WalkTokens(bytes, 1, false);
  WalkWords(bytes);
  return 0;
}
