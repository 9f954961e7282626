// Big-endian streams over a caller-held byte pointer that each operation advances.
//
// The unbounded operations trust the caller to size the image. Readers of files use the bounded
// reader below, which never reads past the end of the data.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/plat_bytes.h"

int32_t wre_StreamPutInt32(uint8_t** stream, int32_t value);
int32_t wre_StreamPutFloat(uint8_t** stream, float value);
int32_t wre_StreamPutColour(uint8_t** stream, float a, float b, float c, float d);
int32_t wre_StreamPutString32(uint8_t** stream, const void* source);

int32_t wre_StreamGetInt32(const uint8_t** stream);
float wre_StreamGetFloat(const uint8_t** stream);
void wre_StreamGetColour(float destination[4], const uint8_t** stream);
void wre_StreamGetString32(const uint8_t** stream, void* destination);
void wre_StreamGetString256(const uint8_t** stream, void* destination);

// Bounded reading: a field that runs past the end keeps the bytes that are there, reads zeros for
// the rest and sets the overrun mark; every later field reads as zeros.
using StreamReader = PlatByteCursor;

StreamReader wre_StreamReaderMake(const void* data, size_t size);
size_t wre_StreamReaderLeft(const StreamReader* reader);
int32_t wre_StreamReadInt32(StreamReader* reader);
float wre_StreamReadFloat(StreamReader* reader);
void wre_StreamReadColour(StreamReader* reader, float destination[4]);
void wre_StreamReadBytes(StreamReader* reader, void* destination, size_t count);
