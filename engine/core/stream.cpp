#include "engine/core/stream.h"

#include <cstring>
#include <initializer_list>

#include "platform/plat_bytes.h"

namespace {

bool Writable(uint8_t** stream) { return stream && *stream; }
bool Readable(const uint8_t** stream) { return stream && *stream; }

}  // namespace

int32_t wre_StreamPutInt32(uint8_t** stream, int32_t value) {
  if (!Writable(stream)) return 0;
  plat_PutBe32(*stream, static_cast<uint32_t>(value));
  *stream += 4;
  return 0;
}

int32_t wre_StreamPutFloat(uint8_t** stream, float value) {
  if (!Writable(stream)) return 0;
  plat_PutBe32(*stream, plat_BitsFromFloat(value));
  *stream += 4;
  return 0;
}

int32_t wre_StreamPutColour(uint8_t** stream, float a, float b, float c, float d) {
  if (!Writable(stream)) return 0;
  for (float v : {a, b, c, d}) {
    plat_PutBe32(*stream, plat_BitsFromFloat(v));
    *stream += 4;
  }
  return 0;
}

int32_t wre_StreamPutString32(uint8_t** stream, const void* source) {
  if (!Writable(stream)) return 0;
  if (source) {
    std::memcpy(*stream, source, 32);
  } else {
    std::memset(*stream, 0, 32);
  }
  *stream += 32;
  return 0;
}

int32_t wre_StreamGetInt32(const uint8_t** stream) {
  if (!Readable(stream)) return 0;
  int32_t v = plat_BeInt32(*stream);
  *stream += 4;
  return v;
}

float wre_StreamGetFloat(const uint8_t** stream) {
  if (!Readable(stream)) return 0.0f;
  float v = plat_BeFloat(*stream);
  *stream += 4;
  return v;
}

void wre_StreamGetColour(float destination[4], const uint8_t** stream) {
  if (!Readable(stream)) {
    // Zeros, and a null stream pointer is not advanced into a wild one.
    if (destination) destination[0] = destination[1] = destination[2] = destination[3] = 0.0f;
    return;
  }
  for (int k = 0; k < 4; ++k) {
    float v = plat_BeFloat(*stream);
    if (destination) destination[k] = v;
    *stream += 4;
  }
}

void wre_StreamGetString32(const uint8_t** stream, void* destination) {
  if (!Readable(stream)) return;
  if (destination) std::memcpy(destination, *stream, 32);
  *stream += 32;
}

void wre_StreamGetString256(const uint8_t** stream, void* destination) {
  if (!Readable(stream)) return;
  if (destination) std::memcpy(destination, *stream, 256);
  *stream += 256;
}

StreamReader wre_StreamReaderMake(const void* data, size_t size) { return plat_CursorOver(data, size); }

size_t wre_StreamReaderLeft(const StreamReader* reader) { return reader ? plat_CursorLeft(reader) : 0; }

void wre_StreamReadBytes(StreamReader* reader, void* destination, size_t count) {
  if (reader) {
    plat_CursorCopy(reader, destination, count);
  } else if (destination) {
    std::memset(destination, 0, count);
  }
}

int32_t wre_StreamReadInt32(StreamReader* reader) {
  uint8_t bytes[4];
  wre_StreamReadBytes(reader, bytes, 4);
  return plat_BeInt32(bytes);
}

float wre_StreamReadFloat(StreamReader* reader) {
  uint8_t bytes[4];
  wre_StreamReadBytes(reader, bytes, 4);
  return plat_BeFloat(bytes);
}

void wre_StreamReadColour(StreamReader* reader, float destination[4]) {
  for (int k = 0; k < 4; ++k) {
    float v = wre_StreamReadFloat(reader);
    if (destination) destination[k] = v;
  }
}
