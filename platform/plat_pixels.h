// Platform layer: 16-bit pixel words packed from 8-bit channels, for the presenter, the engine's
// colours and textures, and the software renderer's frame.
//
// Each channel keeps its top bits. The words are native integers; callers store them in the byte
// order of their own surfaces. Inline because the texture converters pack every texel.
#pragma once
#include <cstdint>

// red << 10 | green << 5 | blue, 5 bits each; bit 15 (alpha in 1555) is left to the caller.
inline uint16_t plat_Pack555(uint32_t red, uint32_t green, uint32_t blue) {
  return static_cast<uint16_t>((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
}
// red << 11 | green << 5 | blue, with 6 bits of green.
inline uint16_t plat_Pack565(uint32_t red, uint32_t green, uint32_t blue) {
  return static_cast<uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
}
// alpha << 12 | red << 8 | green << 4 | blue, 4 bits each.
inline uint16_t plat_Pack4444(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue) {
  return static_cast<uint16_t>((alpha >> 4) << 12 | (red >> 4) << 8 | (green >> 4) << 4 | (blue >> 4));
}

// A 555 word as 565: red and green move up one bit and blue with the lowest green bit stays, so the
// new lowest green bit repeats the old one (white stays white). Bit 15 is dropped. The masks serve
// converters that take several pixels at once.
constexpr uint32_t kPlat555To565Keep = 0x003F;
constexpr uint32_t kPlat555To565Move = 0x7FE0;
inline uint16_t plat_Convert555To565(uint32_t pixel) {
  return static_cast<uint16_t>((pixel & kPlat555To565Keep) + ((pixel & kPlat555To565Move) << 1));
}
