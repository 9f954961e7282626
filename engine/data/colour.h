// Colour records and packers: float colours in the engine range turned into bytes and pixel words.
#pragma once
#include <cstdint>

// A colour of four floats in the engine range (see engine/core/colour_scale.h).
struct ColourFloat {
  float red;
  float green;
  float blue;
  float alpha;
};

// Four bytes and the packed word alpha << 24 | red << 16 | green << 8 | blue.
struct ColourRecord {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t alpha;
  uint32_t packed;
};

// Fills the record (a null record is left alone).
void wre_ColourSet(ColourRecord* record, int32_t red, int32_t green, int32_t blue, int32_t alpha);
// alpha << 24 | red << 16 | green << 8 | blue, each masked to a byte.
uint32_t wre_ColourPackARGB(int32_t red, int32_t green, int32_t blue, int32_t alpha);
// Each float becomes byte / gColourToByte.
void wre_ColourFromU8(const ColourRecord* bytes, ColourFloat* colour);

// A stored component times gColourToByte, truncated, low byte kept.
uint8_t wre_ColourComponentByte(float component);

// Pixel words from a float colour: top bit of alpha, then 5-bit red, green, blue.
uint16_t wre_ColourTo1555(const ColourFloat* colour);
uint16_t wre_ColourTo565(const ColourFloat* colour);
uint16_t wre_ColourTo4444(const ColourFloat* colour);

// A channel mask of a pixel format: the position of its lowest bit (0 for an empty mask), and the
// bits an 8-bit channel loses in it, trunc(log2(255 / (mask >> shift))) in integers (8 for an empty
// mask).
int32_t wre_ChannelShift(uint32_t mask);
int32_t wre_ChannelDrop(uint32_t mask);
