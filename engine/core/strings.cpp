#include "engine/core/strings.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/core/memory.h"
#include "engine/core/wre_types.h"

namespace {

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

void wre_StringCopyPlain(const char* source, char* destination) { std::strcpy(destination, source); }

int32_t wre_StringCopy(const char* source, char* destination) {
  if (!source || !destination) return kWreErrNull;
  std::strcpy(destination, source);
  return 0;
}

int32_t wre_StringCopyN(const char* source, char* destination, int32_t count, uint8_t terminate) {
  if (!source || !destination) return kWreErrNull;
  if (count < 1) return kWreErrRange;
  int32_t n = 0;
  while (n < count - 1 && source[n] != '\0') {
    destination[n] = source[n];
    ++n;
  }
  if (terminate) destination[n] = '\0';
  return 0;
}

int32_t wre_StringMatch(const char* text, const char* subject, uint8_t caseSensitive, uint8_t exactLength) {
  if (!text || !subject) return -1;
  if (exactLength && std::strlen(text) != std::strlen(subject)) return 0;
  for (size_t i = 0; text[i] != '\0'; ++i) {
    char a = text[i];
    char b = subject[i];
    if (b == '\0') return 0;
    if (caseSensitive ? a != b : Fold(a) != Fold(b)) return 0;
  }
  return 1;
}

bool wre_StringEqualNoCase(const char* text, const char* other) {
  if (!text || !other) return false;
  size_t i = 0;
  for (; text[i] != '\0' && other[i] != '\0'; ++i) {
    if (Fold(text[i]) != Fold(other[i])) return false;
  }
  return text[i] == '\0' && other[i] == '\0';
}

bool wre_StringContainsNoCase(const char* subject, const char* needle) {
  if (!subject || !needle) return false;
  size_t ns = std::strlen(subject);
  size_t nn = std::strlen(needle);
  if (nn > ns) return false;
  for (size_t start = 0; start + nn <= ns; ++start) {
    size_t k = 0;
    while (k < nn && Fold(subject[start + k]) == Fold(needle[k])) ++k;
    if (k == nn) return true;
  }
  return false;
}

int32_t wre_BufferReadLine(const char** cursor, int32_t* remaining, char* destination, int32_t size) {
  if (!cursor || !*cursor || !remaining || !destination || size < 1) return 1;
  const char* in = *cursor;
  int32_t left = *remaining;
  int32_t keep = size - 2 > 0 ? size - 2 : 0;
  int32_t stored = 0;
  while (left > 0) {
    char c = *in++;
    --left;
    if (c == '\r') break;
    if (stored < keep) destination[stored++] = c;
  }
  destination[stored] = '\0';
  *cursor = in;
  *remaining = left;
  return 0;
}

const char* wre_BoolToString(bool flag) {
  static char text[8];
  std::snprintf(text, sizeof(text), "%s", flag ? "True" : "False");
  return text;
}

int32_t wre_StringToInt(const char* text) {
  if (!text) return 0;
  errno = 0;
  long v = std::strtol(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

float wre_StringToFloat(const char* text) {
  if (!text) return 0.0f;
  return static_cast<float>(std::strtod(text, nullptr));
}

int32_t wre_BytesPerPixel(int32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8: return 1;
    case 16: return 2;
    case 32: return 4;
    default: return 0;
  }
}

ByteBuffer* wre_BufferNew(int32_t size) {
  if (size < 0) return nullptr;
  auto* buffer = static_cast<ByteBuffer*>(wre_MemoryNew(sizeof(ByteBuffer)));
  if (!buffer) return nullptr;
  buffer->size = size;
  buffer->data = nullptr;
  if (size > 0) {
    buffer->data = static_cast<uint8_t*>(wre_MemoryNew(size));
    if (!buffer->data) {
      wre_MemoryDispose(buffer);
      return nullptr;
    }
    wre_MemoryClear(buffer->data, size);
  }
  return buffer;
}

int32_t wre_BufferDispose(ByteBuffer* buffer) {
  if (!buffer) return -1;
  if (buffer->data) wre_MemoryDispose(buffer->data);
  wre_MemoryDispose(buffer);
  return 0;
}

void wre_BufferToString(const ByteBuffer* buffer, char* destination) {
  if (!destination) return;
  if (!buffer || !buffer->data) {
    destination[0] = '\0';
    return;
  }
  int32_t n = buffer->size < 255 ? buffer->size : 255;
  std::memcpy(destination, buffer->data, static_cast<size_t>(n));
  destination[n] = '\0';
}

ByteBuffer* wre_BufferDuplicate(const ByteBuffer* buffer) {
  if (!buffer) return nullptr;
  ByteBuffer* copy = wre_BufferNew(buffer->size);
  if (copy && buffer->size > 0 && buffer->data) wre_MemoryCopy(buffer->data, copy->data, buffer->size);
  return copy;
}
