// Platform layer: the fixed-width values of file formats, and a bounded cursor over bytes in memory.
//
// Every file reader of the engine, the platform and the launcher takes its integers and floats from
// here: little-endian ones (RIFF, WAV, AVI, BMP, 3DS) and big-endian ones (C4D, the engine's own
// streams and model chunks), at any alignment. The plain readers trust the caller to have checked
// that the bytes are there; the cursor checks for itself and never reads past its end. Everything is
// inline because the model readers call it for every value of a mesh.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// The value in the bytes at p; the caller has checked that they are there.
inline uint16_t plat_Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t plat_Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
inline uint16_t plat_Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t plat_Be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         static_cast<uint32_t>(p[3]);
}

inline int32_t plat_LeInt32(const uint8_t* p) { return static_cast<int32_t>(plat_Le32(p)); }
inline int32_t plat_BeInt32(const uint8_t* p) { return static_cast<int32_t>(plat_Be32(p)); }

// The float whose IEEE-754 bits are given, and the bits of a float.
inline float plat_FloatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}
inline uint32_t plat_BitsFromFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}
inline float plat_LeFloat(const uint8_t* p) { return plat_FloatFromBits(plat_Le32(p)); }
inline float plat_BeFloat(const uint8_t* p) { return plat_FloatFromBits(plat_Be32(p)); }

// Writes the value into the four bytes at p.
inline void plat_PutBe32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

// Reading forward through bytes in memory. A read that wants more bytes than are left reads nothing,
// gives 0 and marks the overrun; from then on every read gives 0, so a reader may take a whole record
// and check the mark once.
struct PlatByteCursor {
  const uint8_t* next;  // the next byte to read (null for no bytes)
  const uint8_t* end;   // one past the last byte
  bool overrun;
};

// A cursor over size bytes from data (over nothing when data is null).
inline PlatByteCursor plat_CursorOver(const void* data, size_t size) {
  const auto* begin = static_cast<const uint8_t*>(data);
  return PlatByteCursor{begin, begin ? begin + size : nullptr, false};
}

// The bytes between the cursor and its end.
inline size_t plat_CursorLeft(const PlatByteCursor* c) { return c->next ? static_cast<size_t>(c->end - c->next) : 0; }

// The address of the next count bytes, the cursor moved past them; null (the overrun marked, the
// cursor where it was) when fewer are left or the cursor has overrun.
inline const uint8_t* plat_CursorTake(PlatByteCursor* c, size_t count) {
  if (c->overrun || plat_CursorLeft(c) < count) {
    c->overrun = true;
    return nullptr;
  }
  const uint8_t* at = c->next;
  c->next += count;
  return at;
}

inline void plat_CursorSkip(PlatByteCursor* c, size_t count) { plat_CursorTake(c, count); }

// A cursor over the next count bytes (a chunk inside a chunk), the cursor moved past them; when fewer
// are left, the cursor is marked and so is the one returned, which holds nothing.
inline PlatByteCursor plat_CursorSplit(PlatByteCursor* c, size_t count) {
  const uint8_t* at = plat_CursorTake(c, count);
  return at ? plat_CursorOver(at, count) : PlatByteCursor{nullptr, nullptr, true};
}

// The value in the next bytes (as many as Value has), or 0 when the cursor cannot give them.
template <typename Value>
inline Value plat_CursorRead(PlatByteCursor* c, Value (*read)(const uint8_t*)) {
  const uint8_t* p = plat_CursorTake(c, sizeof(Value));
  return p ? read(p) : Value{0};
}

inline uint8_t plat_CursorU8(PlatByteCursor* c) {
  const uint8_t* p = plat_CursorTake(c, 1);
  return p ? p[0] : 0;
}
inline uint16_t plat_CursorLe16(PlatByteCursor* c) { return plat_CursorRead(c, plat_Le16); }
inline uint32_t plat_CursorLe32(PlatByteCursor* c) { return plat_CursorRead(c, plat_Le32); }
inline uint16_t plat_CursorBe16(PlatByteCursor* c) { return plat_CursorRead(c, plat_Be16); }
inline uint32_t plat_CursorBe32(PlatByteCursor* c) { return plat_CursorRead(c, plat_Be32); }
inline float plat_CursorLeFloat(PlatByteCursor* c) { return plat_FloatFromBits(plat_CursorLe32(c)); }
inline float plat_CursorBeFloat(PlatByteCursor* c) { return plat_FloatFromBits(plat_CursorBe32(c)); }

// Copies the next count bytes into destination (when it is not null). Where fewer are left it copies
// those, zero-fills the rest, marks the overrun and stops at the end.
inline void plat_CursorCopy(PlatByteCursor* c, void* destination, size_t count) {
  auto* out = static_cast<uint8_t*>(destination);
  const size_t left = c->overrun ? 0 : plat_CursorLeft(c);
  const size_t take = count <= left ? count : left;
  if (out && take) std::memcpy(out, c->next, take);
  if (out && take < count) std::memset(out + take, 0, count - take);
  if (take < count) c->overrun = true;
  if (c->next) c->next += take;
}
