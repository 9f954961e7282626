#include "engine/core/stream.h"

#include <cstring>
#include <initializer_list>

namespace {

void PutBE32(uint8_t* out, uint32_t v) {
  out[0] = static_cast<uint8_t>(v >> 24);
  out[1] = static_cast<uint8_t>(v >> 16);
  out[2] = static_cast<uint8_t>(v >> 8);
  out[3] = static_cast<uint8_t>(v);
}

uint32_t GetBE32(const uint8_t* in) {
  return (static_cast<uint32_t>(in[0]) << 24) | (static_cast<uint32_t>(in[1]) << 16) |
         (static_cast<uint32_t>(in[2]) << 8) | static_cast<uint32_t>(in[3]);
}

uint32_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return bits;
}

float BitsFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

bool Writable(uint8_t** stream) { return stream && *stream; }
bool Readable(const uint8_t** stream) { return stream && *stream; }

}  // namespace

int32_t wre_StreamPutInt32(uint8_t** stream, int32_t value) {
  if (!Writable(stream)) return 0;
  PutBE32(*stream, static_cast<uint32_t>(value));
  *stream += 4;
  return 0;
}

int32_t wre_StreamPutFloat(uint8_t** stream, float value) {
  if (!Writable(stream)) return 0;
  PutBE32(*stream, FloatBits(value));
  *stream += 4;
  return 0;
}

int32_t wre_StreamPutColour(uint8_t** stream, float a, float b, float c, float d) {
  if (!Writable(stream)) return 0;
  for (float v : {a, b, c, d}) {
    PutBE32(*stream, FloatBits(v));
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
  int32_t v = static_cast<int32_t>(GetBE32(*stream));
  *stream += 4;
  return v;
}

float wre_StreamGetFloat(const uint8_t** stream) {
  if (!Readable(stream)) return 0.0f;
  float v = BitsFloat(GetBE32(*stream));
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
    float v = BitsFloat(GetBE32(*stream));
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

StreamReader wre_StreamReaderMake(const void* data, size_t size) {
  auto* begin = static_cast<const uint8_t*>(data);
  return StreamReader{begin, begin ? begin + size : nullptr, false};
}

size_t wre_StreamReaderLeft(const StreamReader* reader) {
  if (!reader || !reader->cursor) return 0;
  return static_cast<size_t>(reader->end - reader->cursor);
}

void wre_StreamReadBytes(StreamReader* reader, void* destination, size_t count) {
  auto* out = static_cast<uint8_t*>(destination);
  size_t left = wre_StreamReaderLeft(reader);
  size_t take = count <= left ? count : left;
  if (out && take) std::memcpy(out, reader->cursor, take);
  if (out && take < count) std::memset(out + take, 0, count - take);
  if (!reader) return;
  if (take < count) reader->overrun = true;
  if (reader->cursor) reader->cursor += take;
}

int32_t wre_StreamReadInt32(StreamReader* reader) {
  uint8_t bytes[4];
  wre_StreamReadBytes(reader, bytes, 4);
  return static_cast<int32_t>(GetBE32(bytes));
}

float wre_StreamReadFloat(StreamReader* reader) {
  uint8_t bytes[4];
  wre_StreamReadBytes(reader, bytes, 4);
  return BitsFloat(GetBE32(bytes));
}

void wre_StreamReadColour(StreamReader* reader, float destination[4]) {
  for (int k = 0; k < 4; ++k) {
    float v = wre_StreamReadFloat(reader);
    if (destination) destination[k] = v;
  }
}
