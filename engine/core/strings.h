// Strings and byte buffers. Case folding is ASCII only.
#pragma once
#include <cstdint>

void wre_StringCopyPlain(const char* source, char* destination);
int32_t wre_StringCopy(const char* source, char* destination);
int32_t wre_StringCopyN(const char* source, char* destination, int32_t count, uint8_t terminate);

// 1 when text is a prefix of subject, 0 when not, -1 when either is null.
int32_t wre_StringMatch(const char* text, const char* subject, uint8_t caseSensitive, uint8_t exactLength);
bool wre_StringEqualNoCase(const char* text, const char* other);
bool wre_StringContainsNoCase(const char* subject, const char* needle);

// Reads one line up to a carriage return (consumed, not stored) or the end of the data. At most
// size - 2 characters are stored; the rest of a longer line is passed over. 0, or 1 for a null
// cursor, count or destination, or a destination size below 1.
int32_t wre_BufferReadLine(const char** cursor, int32_t* remaining, char* destination, int32_t size);

const char* wre_BoolToString(bool flag);
int32_t wre_StringToInt(const char* text);
float wre_StringToFloat(const char* text);
int32_t wre_BytesPerPixel(int32_t bitsPerPixel);

struct ByteBuffer {
  int32_t size;
  uint8_t* data;
};

ByteBuffer* wre_BufferNew(int32_t size);
int32_t wre_BufferDispose(ByteBuffer* buffer);
void wre_BufferToString(const ByteBuffer* buffer, char* destination);
ByteBuffer* wre_BufferDuplicate(const ByteBuffer* buffer);
