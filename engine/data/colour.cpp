#include "engine/data/colour.h"

#include <bit>
#include <cmath>

#include "engine/core/colour_scale.h"
#include "platform/plat_pixels.h"

void wre_ColourSet(ColourRecord* record, int32_t red, int32_t green, int32_t blue, int32_t alpha) {
  if (!record) return;
  record->red = static_cast<uint8_t>(red & 0xFF);
  record->green = static_cast<uint8_t>(green & 0xFF);
  record->blue = static_cast<uint8_t>(blue & 0xFF);
  record->alpha = static_cast<uint8_t>(alpha & 0xFF);
  record->packed = wre_ColourPackARGB(red, green, blue, alpha);
}

uint32_t wre_ColourPackARGB(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
  return (static_cast<uint32_t>(alpha) & 0xFF) << 24 | (static_cast<uint32_t>(red) & 0xFF) << 16 |
         (static_cast<uint32_t>(green) & 0xFF) << 8 | (static_cast<uint32_t>(blue) & 0xFF);
}

void wre_ColourFromU8(const ColourRecord* bytes, ColourFloat* colour) {
  if (!bytes || !colour) return;
  colour->red = static_cast<float>(bytes->red) / gColourToByte;
  colour->green = static_cast<float>(bytes->green) / gColourToByte;
  colour->blue = static_cast<float>(bytes->blue) / gColourToByte;
  colour->alpha = static_cast<float>(bytes->alpha) / gColourToByte;
}

uint8_t wre_ColourComponentByte(float component) {
  float scaled = std::trunc(component * gColourToByte);
  // Out-of-range values keep their low byte as an integer would; a value no integer holds is 0.
  if (!(scaled > -2147483648.0f && scaled < 2147483648.0f)) return 0;
  return static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int32_t>(scaled)) & 0xFF);
}

namespace {

struct ChannelBytes {
  uint32_t red, green, blue, alpha;
};

ChannelBytes BytesOf(const ColourFloat& colour) {
  return {wre_ColourComponentByte(colour.red), wre_ColourComponentByte(colour.green),
          wre_ColourComponentByte(colour.blue), wre_ColourComponentByte(colour.alpha)};
}

}  // namespace

uint16_t wre_ColourTo1555(const ColourFloat* colour) {
  if (!colour) return 0;
  const ChannelBytes c = BytesOf(*colour);
  return static_cast<uint16_t>((c.alpha >> 7) << 15 | plat_Pack555(c.red, c.green, c.blue));
}

uint16_t wre_ColourTo565(const ColourFloat* colour) {
  if (!colour) return 0;
  const ChannelBytes c = BytesOf(*colour);
  return plat_Pack565(c.red, c.green, c.blue);
}

uint16_t wre_ColourTo4444(const ColourFloat* colour) {
  if (!colour) return 0;
  const ChannelBytes c = BytesOf(*colour);
  return plat_Pack4444(c.alpha, c.red, c.green, c.blue);
}

int32_t wre_ChannelShift(uint32_t mask) { return mask == 0 ? 0 : std::countr_zero(mask); }

int32_t wre_ChannelDrop(uint32_t mask) {
  const uint32_t top = mask >> wre_ChannelShift(mask);
  if (top == 0) return 8;
  uint32_t ratio = 255u / top;
  int32_t drop = 0;
  while (ratio > 1) {
    ratio >>= 1;
    ++drop;
  }
  return drop;
}
