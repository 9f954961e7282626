#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/memory.h"
#include "engine/data/offscreen.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Px16(uint16_t v) { return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>(v >> 8)}; }

uint16_t Get16(const Offscreen* o, int x, int y) {
  uint16_t v;
  std::memcpy(&v, o->pixels + y * o->rowBytes + x * 2, 2);
  return v;
}

void Set16(Offscreen* o, int x, int y, uint16_t v) { std::memcpy(o->pixels + y * o->rowBytes + x * 2, &v, 2); }

class OffscreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    gColourMax = 255.0f;
    gColourMaxAlpha = 255.0f;
    gColourToByte = 1.0f;
    wre_OffscreenSetRendererHooks(nullptr);
  }
  void TearDown() override {
    for (Offscreen* o : made_) wre_OffscreenDispose(o);
    wre_OffscreenSetRendererHooks(nullptr);
    gColourToByte = 1.0f;
  }

  // A memory offscreen of width x height whose rows are all filled with the given pixel bytes.
  Offscreen* Make(int32_t depth, int32_t flags, const Bytes& pixel, int32_t width = 1, int32_t height = 1) {
    WreRect rect{0, 0, width, height};
    Offscreen* o = wre_OffscreenNew(kOffscreenMemory, &rect, flags, depth, 256, nullptr, nullptr);
    EXPECT_NE(o, nullptr);
    if (!o) return nullptr;
    o->flags = flags;  // exactly these flags (creation gives a bare 16-bit image the 555 flag)
    for (int32_t y = 0; depth >= 8 && y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        std::memcpy(o->pixels + y * o->rowBytes + x * static_cast<int32_t>(pixel.size()), pixel.data(), pixel.size());
      }
    }
    made_.push_back(o);
    return o;
  }

  std::vector<Offscreen*> made_;
};

// ---- The conversion matrix ----

enum Target { k555, k565, k4444, k24, k32, kGL };

int32_t ConvertTo(Offscreen* o, Target target) {
  switch (target) {
    case k555: return wre_OffscreenConvertTo_555_16Bit(o);
    case k565: return wre_OffscreenConvertTo_565_16Bit(o);
    case k4444: return wre_OffscreenConvertTo_4444_16Bit(o);
    case k24: return wre_OffscreenConvertTo24Bit(o);
    case k32: return wre_OffscreenConvertTo32Bit(o);
    case kGL: return wre_OffscreenConvertToGL(o);
  }
  return -99;
}

struct ConversionCase {
  const char* name;
  int32_t depth;
  int32_t flags;
  Bytes pixel;
  Target target;
  int32_t result;
  Bytes expected;      // the pixel after the conversion (the source pixel when refused)
  int32_t depthAfter;
  int32_t flagsAfter;
};

// Test listings show a case by its name rather than as a dump of its bytes.
void PrintTo(const ConversionCase& c, std::ostream* out) { *out << c.name; }

constexpr int32_t A = kOffscreenAlpha;

// The source colour in every format: red 200, green 100, blue 50, alpha 144 (as far as each holds it).
// Palette index 1 (alpha, red, green, blue entry bytes) holds it in full.
const ConversionCase kConversions[] = {
    // 8-bit palette with a key or alpha: the palette alpha is carried.
    {"pal_555", 8, A, {1}, k555, 0, Px16(0xE586), 16, A | 0x01},
    {"pal_565", 8, A, {1}, k565, 0, Px16(0xCB26), 16, 0x02},
    {"pal_4444", 8, A, {1}, k4444, 0, Px16(0x9C63), 16, A | 0x40},
    {"pal_24", 8, A, {1}, k24, 0, {0xC8, 0x64, 0x32}, 24, 0},
    {"pal_32", 8, A, {1}, k32, 0, {0x90, 0xC8, 0x64, 0x32}, 32, A},
    {"pal_gl", 8, A, {1}, kGL, 0, {0xC8, 0x64, 0x32, 0x90}, 32, A | 0x80},
    // Without flag 0x04 the palette alpha (a bitmap's reserved byte) does not hide anything.
    {"pal_plain_555", 8, 0, {1}, k555, 0, Px16(0xE586), 16, 0x01},
    {"pal_plain_4444", 8, 0, {1}, k4444, 0, Px16(0xFC63), 16, A | 0x40},
    {"pal_plain_32", 8, 0, {1}, k32, 0, {0xFF, 0xC8, 0x64, 0x32}, 32, 0},
    {"pal_plain_gl", 8, 0, {1}, kGL, 0, {0xC8, 0x64, 0x32, 0xFF}, 32, A | 0x80},
    // 1555: red 25, green 12, blue 6 in five bits each.
    {"1555_555", 16, A | 0x01, Px16(0xE586), k555, 0, Px16(0xE586), 16, A | 0x01},
    {"1555_565", 16, A | 0x01, Px16(0xE586), k565, 0, Px16(0xCB06), 16, 0x02},
    {"1555_4444", 16, A | 0x01, Px16(0xE586), k4444, 0, Px16(0xFC63), 16, A | 0x40},
    {"1555_clear_4444", 16, A | 0x01, Px16(0x6586), k4444, 0, Px16(0x0C63), 16, A | 0x40},
    {"1555_24", 16, A | 0x01, Px16(0xE586), k24, 0, {0xC8, 0x60, 0x30}, 24, 0},
    {"1555_32", 16, A | 0x01, Px16(0xE586), k32, 0, {0xFF, 0xC8, 0x60, 0x30}, 32, A},
    {"1555_clear_32", 16, A | 0x01, Px16(0x6586), k32, 0, {0x00, 0xC8, 0x60, 0x30}, 32, A},
    {"1555_gl", 16, A | 0x01, Px16(0xE586), kGL, 0, {0xC8, 0x60, 0x30, 0xFF}, 32, A | 0x80},
    {"555_plain_32", 16, 0x01, Px16(0x6586), k32, 0, {0xFF, 0xC8, 0x60, 0x30}, 32, 0},
    {"555_plain_4444", 16, 0x01, Px16(0x6586), k4444, 0, Px16(0xFC63), 16, A | 0x40},
    // 565: red 25, green 25 (six bits), blue 6.
    {"565_555", 16, 0x02, Px16(0xCB26), k555, 0, Px16(0x6586), 16, 0x01},
    {"565_white_555", 16, 0x02, Px16(0xFFFF), k555, 0, Px16(0x7FFF), 16, 0x01},
    {"565_565", 16, 0x02, Px16(0xCB26), k565, 0, Px16(0xCB26), 16, 0x02},
    {"565_4444", 16, 0x02, Px16(0xCB26), k4444, 0, Px16(0xFC63), 16, A | 0x40},
    {"565_24", 16, 0x02, Px16(0xCB26), k24, 0, {0xC8, 0x64, 0x30}, 24, 0},
    {"565_32", 16, 0x02, Px16(0xCB26), k32, 0, {0xFF, 0xC8, 0x64, 0x30}, 32, 0},
    {"565_gl", 16, 0x02, Px16(0xCB26), kGL, 0, {0xC8, 0x64, 0x30, 0xFF}, 32, A | 0x80},
    // 4444: alpha 9, red 12, green 6, blue 3.
    {"4444_555", 16, A | 0x40, Px16(0x9C63), k555, 0, Px16(0xE186), 16, A | 0x01},
    {"4444_half_555", 16, A | 0x40, Px16(0xF0F0), k555, 0, Px16(0x83C0), 16, A | 0x01},
    {"4444_565", 16, A | 0x40, Px16(0x9C63), k565, kOffscreenErrConvertDepth, Px16(0x9C63), 16, A | 0x40},
    {"4444_4444", 16, A | 0x40, Px16(0x9C63), k4444, 0, Px16(0x9C63), 16, A | 0x40},
    {"4444_24", 16, A | 0x40, Px16(0x9C63), k24, kOffscreenErrConvertDepth, Px16(0x9C63), 16, A | 0x40},
    {"4444_32", 16, A | 0x40, Px16(0x9C63), k32, 0, {0x90, 0xC0, 0x60, 0x30}, 32, A},
    {"4444_gl", 16, A | 0x40, Px16(0x9C63), kGL, 0, {0xC0, 0x60, 0x30, 0x90}, 32, A | 0x80},
    // 1555 0x8000 (alpha only) to 4444.
    {"1555_alpha_4444", 16, A | 0x01, Px16(0x8000), k4444, 0, Px16(0xF000), 16, A | 0x40},
    // 24-bit red, green, blue.
    {"24_555", 24, 0, {0xC8, 0x64, 0x32}, k555, 0, Px16(0x6586), 16, 0x01},
    {"24_565", 24, 0, {0xC8, 0x64, 0x32}, k565, 0, Px16(0xCB26), 16, 0x02},
    {"24_4444", 24, 0, {0xC8, 0x64, 0x32}, k4444, 0, Px16(0xFC63), 16, A | 0x40},
    {"24_24", 24, 0, {0xC8, 0x64, 0x32}, k24, 0, {0xC8, 0x64, 0x32}, 24, 0},
    {"24_32", 24, 0, {0xC8, 0x64, 0x32}, k32, 0, {0xFF, 0xC8, 0x64, 0x32}, 32, 0},
    {"24_keyed_32", 24, A, {0xC8, 0x64, 0x32}, k32, 0, {0xFF, 0xC8, 0x64, 0x32}, 32, A},
    {"24_gl", 24, 0, {0xC8, 0x64, 0x32}, kGL, 0, {0xC8, 0x64, 0x32, 0xFF}, 32, A | 0x80},
    // 32-bit alpha, red, green, blue.
    {"32_555", 32, A, {0x90, 0xC8, 0x64, 0x32}, k555, 0, Px16(0xE586), 16, A | 0x01},
    {"32_keyed_555", 32, A, {0x00, 0xC8, 0x64, 0x32}, k555, 0, Px16(0x6586), 16, A | 0x01},
    {"32_plain_555", 32, 0, {0x00, 0xC8, 0x64, 0x32}, k555, 0, Px16(0xE586), 16, 0x01},
    {"32_565", 32, A, {0x90, 0xC8, 0x64, 0x32}, k565, 0, Px16(0xCB26), 16, 0x02},
    {"32_4444", 32, A, {0x90, 0xC8, 0x64, 0x32}, k4444, 0, Px16(0x9C63), 16, A | 0x40},
    {"32_24", 32, A, {0x90, 0xC8, 0x64, 0x32}, k24, 0, {0xC8, 0x64, 0x32}, 24, 0},
    {"32_32", 32, A, {0x90, 0xC8, 0x64, 0x32}, k32, 0, {0x90, 0xC8, 0x64, 0x32}, 32, A},
    {"32_gl", 32, A, {0x90, 0xC8, 0x64, 0x32}, kGL, 0, {0xC8, 0x64, 0x32, 0x90}, 32, A | 0x80},
    {"32_plain_gl", 32, 0, {0x00, 0xC8, 0x64, 0x32}, kGL, 0, {0xC8, 0x64, 0x32, 0xFF}, 32, A | 0x80},
    // 32-bit red, green, blue, alpha (an OpenGL copy).
    {"rgba_555", 32, A | 0x80, {0xC8, 0x64, 0x32, 0x90}, k555, 0, Px16(0xE586), 16, A | 0x01},
    {"rgba_24", 32, A | 0x80, {0xC8, 0x64, 0x32, 0x90}, k24, 0, {0xC8, 0x64, 0x32}, 24, 0},
    {"rgba_gl", 32, A | 0x80, {0xC8, 0x64, 0x32, 0x90}, kGL, 0, {0xC8, 0x64, 0x32, 0x90}, 32, A | 0x80},
    // Sources no conversion reads.
    {"bare16_555", 16, 0, Px16(0x1234), k555, kOffscreenErrConvertDepth, Px16(0x1234), 16, 0},
    {"bare16_32", 16, 0, Px16(0x1234), k32, kOffscreenErrConvertDepth, Px16(0x1234), 16, 0},
    {"4bit_24", 4, 0, {0x12}, k24, kOffscreenErrConvertDepth, {0x12}, 4, 0},
    {"4bit_gl", 4, 0, {0x12}, kGL, kOffscreenErrConvertDepth, {0x12}, 4, 0},
};

class ConversionTest : public OffscreenTest, public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(ConversionTest, GivesTheExactTexelsAndFlags) {
  const ConversionCase& c = GetParam();
  // Two rows of two pixels, so that rows and columns both advance.
  Offscreen* o = Make(c.depth, c.flags, c.pixel, c.depth == 4 ? 1 : 2, 2);
  ASSERT_NE(o, nullptr);
  const uint8_t argb[4] = {0x90, 0xC8, 0x64, 0x32};
  std::memcpy(o->paletteB[1], argb, 4);
  EXPECT_EQ(ConvertTo(o, c.target), c.result);
  EXPECT_EQ(o->depth, c.depthAfter);
  EXPECT_EQ(o->flags, c.flagsAfter);
  int32_t bytes = c.depthAfter / 8;
  if (c.depthAfter == 4) return;
  EXPECT_EQ(o->rowBytes, 2 * bytes);
  EXPECT_EQ(o->pixelBytes, 4 * bytes);
  EXPECT_EQ(o->kind, kOffscreenMemory);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      Bytes got(o->pixels + y * o->rowBytes + x * bytes, o->pixels + y * o->rowBytes + (x + 1) * bytes);
      EXPECT_EQ(got, c.expected) << "pixel " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Matrix, ConversionTest, ::testing::ValuesIn(kConversions),
                         [](const ::testing::TestParamInfo<ConversionCase>& info) { return std::string(info.param.name); });

TEST_F(OffscreenTest, PaletteLayoutsAreReadByTheirFlags) {
  // Red 200, green 100, blue 50, alpha 144 stored red-first and blue-first.
  Offscreen* rgba = Make(8, A | kOffscreenPaletteRGBA, {3});
  const uint8_t rgbaEntry[4] = {0xC8, 0x64, 0x32, 0x90};
  std::memcpy(rgba->paletteB[3], rgbaEntry, 4);
  ASSERT_EQ(wre_OffscreenConvertTo32Bit(rgba), 0);
  EXPECT_EQ(Bytes(rgba->pixels, rgba->pixels + 4), (Bytes{0x90, 0xC8, 0x64, 0x32}));

  Offscreen* bgra = Make(8, A | kOffscreenPaletteBGRA, {3});
  const uint8_t bgraEntry[4] = {0x32, 0x64, 0xC8, 0x90};
  std::memcpy(bgra->paletteB[3], bgraEntry, 4);
  ASSERT_EQ(wre_OffscreenConvertToGL(bgra), 0);
  EXPECT_EQ(Bytes(bgra->pixels, bgra->pixels + 4), (Bytes{0xC8, 0x64, 0x32, 0x90}));
}

TEST_F(OffscreenTest, ConversionsTakeOnlyMemoryAndBorrowedOffscreens) {
  WreRect rect{0, 0, 2, 2};
  Offscreen* description = wre_OffscreenNew(kOffscreenDescription, &rect, 0, 16, 0, nullptr, nullptr);
  ASSERT_NE(description, nullptr);
  made_.push_back(description);
  EXPECT_EQ(description->pixels, nullptr);
  EXPECT_EQ(wre_OffscreenConvertTo24Bit(description), -1);
  EXPECT_EQ(wre_OffscreenConvertTo_555_16Bit(nullptr), -1);
}

TEST_F(OffscreenTest, ABorrowedBlockIsReadRowByRowAndNeverFreed) {
  // Two rows of one 24-bit pixel, 8 bytes apart, in memory the offscreen does not own.
  uint8_t borrowed[16] = {0xC8, 0x64, 0x32, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                          0x10, 0x20, 0x30, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  const Bytes before(borrowed, borrowed + 16);
  WreRect rect{0, 0, 1, 2};
  Offscreen* o = wre_OffscreenNew(kOffscreenDescription, &rect, 0, 24, 0, nullptr, nullptr);
  ASSERT_NE(o, nullptr);
  made_.push_back(o);
  wre_OffscreenSetKind(o, kOffscreenBorrowed);
  o->pixels = borrowed;
  o->rowBytes = 8;
  o->pixelBytes = 16;
  ASSERT_EQ(wre_OffscreenConvertTo_565_16Bit(o), 0);
  EXPECT_EQ(o->kind, kOffscreenMemory);
  EXPECT_NE(o->pixels, borrowed);
  EXPECT_EQ(o->rowBytes, 2);
  EXPECT_EQ(Get16(o, 0, 0), 0xCB26);
  EXPECT_EQ(Get16(o, 0, 1), (0x10 >> 3) << 11 | (0x20 >> 2) << 5 | (0x30 >> 3));
  EXPECT_EQ(Bytes(borrowed, borrowed + 16), before);
}

TEST_F(OffscreenTest, RowsThatDoNotFitTheBlockAreRefused) {
  WreRect rect{0, 0, 4, 4};
  uint8_t small[8] = {};
  Offscreen* o = wre_OffscreenNew(kOffscreenDescription, &rect, 0x01, 16, 0, nullptr, nullptr);
  ASSERT_NE(o, nullptr);
  made_.push_back(o);
  wre_OffscreenSetKind(o, kOffscreenBorrowed);
  o->pixels = small;
  o->rowBytes = 8;
  o->pixelBytes = 8;  // one row of the four it claims
  EXPECT_EQ(wre_OffscreenConvertTo24Bit(o), -1);
  EXPECT_EQ(o->pixels, small);
}

TEST_F(OffscreenTest, ConvertChoosesTheTargetByDepthAndFlags) {
  Offscreen* o = Make(24, 0, {0xC8, 0x64, 0x32});
  EXPECT_EQ(wre_OffscreenConvert(o, 16, nullptr, 0x02), 0);
  EXPECT_EQ(o->flags, 0x02);
  EXPECT_EQ(wre_OffscreenConvert(o, 16, nullptr, 0x40), 0);
  EXPECT_EQ(o->flags, A | 0x40);
  EXPECT_EQ(wre_OffscreenConvert(o, 16, nullptr, 0), 0);
  EXPECT_EQ(o->flags, A | 0x01);
  EXPECT_EQ(wre_OffscreenConvert(o, 32, nullptr, 0), 0);
  EXPECT_EQ(o->depth, 32);
  EXPECT_EQ(wre_OffscreenConvert(o, 24, nullptr, 0), 0);
  EXPECT_EQ(o->depth, 24);
  EXPECT_EQ(wre_OffscreenConvert(o, 8, nullptr, 0), -1);
  EXPECT_EQ(wre_OffscreenConvert(o, 15, nullptr, 0), -1);
  EXPECT_EQ(o->depth, 24);
}

// ---- Colour keys ----

TEST_F(OffscreenTest, KeyOnAPaletteClearsTheAlphaOfMatchingEntriesUpToTheCount) {
  ColourFloat magenta{255.0f, 0.0f, 255.0f, 255.0f};
  Offscreen* o = Make(8, 0, {0});
  o->paletteCount = 3;
  const uint8_t entries[4][4] = {{7, 255, 0, 255}, {7, 10, 20, 30}, {7, 255, 0, 255}, {0x77, 255, 0, 255}};
  std::memcpy(o->paletteB, entries, sizeof(entries));
  ASSERT_EQ(wre_OffscreenSetColourKey(o, &magenta), 0);
  EXPECT_EQ(o->paletteB[0][0], 0);
  EXPECT_EQ(o->paletteB[1][0], 255);
  EXPECT_EQ(o->paletteB[2][0], 0);
  EXPECT_EQ(o->paletteB[3][0], 0x77);  // beyond the palette count
  EXPECT_EQ(o->flags, A);
  EXPECT_EQ(o->keyColour.blue, 255.0f);

  // Red-first entries keep their alpha in the fourth byte.
  Offscreen* rgba = Make(8, kOffscreenPaletteRGBA, {0});
  rgba->paletteCount = 2;
  const uint8_t rgbaEntries[2][4] = {{255, 0, 255, 9}, {1, 2, 3, 9}};
  std::memcpy(rgba->paletteB, rgbaEntries, sizeof(rgbaEntries));
  ASSERT_EQ(wre_OffscreenSetColourKey(rgba, &magenta), 0);
  EXPECT_EQ(rgba->paletteB[0][3], 0);
  EXPECT_EQ(rgba->paletteB[0][0], 255);
  EXPECT_EQ(rgba->paletteB[1][3], 255);
}

TEST_F(OffscreenTest, KeyOn16BitImagesFollowsTheLayout) {
  ColourFloat magenta{255.0f, 0.0f, 255.0f, 255.0f};
  Offscreen* o1555 = Make(16, 0x01, Px16(0), 3, 1);
  Set16(o1555, 0, 0, 0xFC1F);  // the key with bit 15 already set
  Set16(o1555, 1, 0, 0x1234);
  Set16(o1555, 2, 0, 0x7C1F);
  ASSERT_EQ(wre_OffscreenSetColourKey(o1555, &magenta), 0);
  EXPECT_EQ(Get16(o1555, 0, 0), 0x7C1F);
  EXPECT_EQ(Get16(o1555, 1, 0), 0x9234);
  EXPECT_EQ(Get16(o1555, 2, 0), 0x7C1F);
  EXPECT_EQ(o1555->flags, 0x01 | A);

  Offscreen* o4444 = Make(16, 0x40, Px16(0), 2, 1);
  Set16(o4444, 0, 0, 0xFF0F);
  Set16(o4444, 1, 0, 0x0123);
  ASSERT_EQ(wre_OffscreenSetColourKey(o4444, &magenta), 0);
  EXPECT_EQ(Get16(o4444, 0, 0), 0x0F0F);
  EXPECT_EQ(Get16(o4444, 1, 0), 0xF123);

  // 565 has no room for alpha: the pixels stay, only the flag is set.
  Offscreen* o565 = Make(16, 0x02, Px16(0xF81F));
  ASSERT_EQ(wre_OffscreenSetColourKey(o565, &magenta), 0);
  EXPECT_EQ(Get16(o565, 0, 0), 0xF81F);
  EXPECT_EQ(o565->flags, 0x02 | A);

  Offscreen* bare = Make(16, 0, Px16(0xF81F));
  EXPECT_EQ(wre_OffscreenSetColourKey(bare, &magenta), -1);
  EXPECT_EQ(bare->flags, 0);
}

TEST_F(OffscreenTest, KeyOn24And32BitImages) {
  ColourFloat magenta{255.0f, 0.0f, 255.0f, 255.0f};
  Offscreen* o24 = Make(24, 0, {255, 0, 255});
  ASSERT_EQ(wre_OffscreenSetColourKey(o24, &magenta), 0);
  EXPECT_EQ(Bytes(o24->pixels, o24->pixels + 3), (Bytes{255, 0, 255}));
  EXPECT_EQ(o24->flags, A);

  Offscreen* o32 = Make(32, 0, {0x12, 255, 0, 255}, 2, 1);
  const uint8_t other[4] = {0x00, 1, 2, 3};
  std::memcpy(o32->pixels + 4, other, 4);
  ASSERT_EQ(wre_OffscreenSetColourKey(o32, &magenta), 0);
  EXPECT_EQ(Bytes(o32->pixels, o32->pixels + 8), (Bytes{0, 255, 0, 255, 255, 1, 2, 3}));

  Offscreen* o4 = Make(4, 0, {0});
  EXPECT_EQ(wre_OffscreenSetColourKey(o4, &magenta), -1);
  EXPECT_EQ(wre_OffscreenSetColourKey(nullptr, &magenta), -1);
}

TEST_F(OffscreenTest, KeyComponentsAreScaledToBytesInTheUnitRange) {
  gColourToByte = 255.0f;
  ColourFloat magenta{1.0f, 0.0f, 1.0f, 1.0f};
  Offscreen* o = Make(32, 0, {0x12, 255, 0, 255});
  ASSERT_EQ(wre_OffscreenSetColourKey(o, &magenta), 0);
  EXPECT_EQ(o->pixels[0], 0);
}

// A keyed 24-bit image goes to 32 bits, is keyed, and comes out of the software upload (555) with
// the key texels hidden and every other texel visible.
TEST_F(OffscreenTest, AKeyed24BitImageStaysVisibleIn555) {
  ColourFloat magenta{255.0f, 0.0f, 255.0f, 255.0f};
  Offscreen* o = Make(24, 0, {255, 0, 255}, 2, 1);
  o->pixels[3] = 10;
  ASSERT_EQ(wre_OffscreenConvertTo32Bit(o), 0);
  ASSERT_EQ(wre_OffscreenSetColourKey(o, &magenta), 0);
  ASSERT_EQ(wre_OffscreenConvertTo_555_16Bit(o), 0);
  EXPECT_EQ(Get16(o, 0, 0) & 0x8000, 0);
  EXPECT_EQ(Get16(o, 1, 0) & 0x8000, 0x8000);
}

// A 565 or 24-bit image keyed before its conversion to 555 (the key leaves its pixels alone) comes
// out keyed, not invisible.
TEST_F(OffscreenTest, AKeyedImageWithoutAlphaKeepsItsKeyIn555) {
  ColourFloat magenta{255.0f, 0.0f, 255.0f, 255.0f};
  Offscreen* o24 = Make(24, 0, {255, 0, 255}, 2, 1);
  o24->pixels[3] = 10;
  ASSERT_EQ(wre_OffscreenSetColourKey(o24, &magenta), 0);
  ASSERT_EQ(wre_OffscreenConvertTo_555_16Bit(o24), 0);
  EXPECT_EQ(Get16(o24, 0, 0), 0x7C1F);
  EXPECT_EQ(Get16(o24, 1, 0), 0x8000 | 1 << 10 | 0x1F);
  EXPECT_EQ(o24->flags, A | 0x01);

  Offscreen* o565 = Make(16, 0x02, Px16(0xF81F), 2, 1);
  Set16(o565, 1, 0, 0xF81E);
  ASSERT_EQ(wre_OffscreenSetColourKey(o565, &magenta), 0);
  ASSERT_EQ(wre_OffscreenConvertTo_555_16Bit(o565), 0);
  EXPECT_EQ(Get16(o565, 0, 0), 0x7C1F);
  EXPECT_EQ(Get16(o565, 1, 0), 0xFC1E);
}

// ---- Opacity maps ----

TEST_F(OffscreenTest, OpacityFromBrightness) {
  // Brightness 128 (384 / 3) is opaque for 1555; 127.67 truncates to 127 and is not.
  Offscreen* image = Make(24, 0, {128, 128, 128}, 3, 1);
  const uint8_t dim[3] = {127, 128, 128};
  const uint8_t full[3] = {255, 255, 255};
  std::memcpy(image->pixels + 3, dim, 3);
  std::memcpy(image->pixels + 6, full, 3);

  Offscreen* t1555 = Make(16, 0x01, Px16(0x1234), 3, 1);
  ASSERT_EQ(wre_OffscreenApplyOpacity(t1555, image), 0);
  EXPECT_EQ(Get16(t1555, 0, 0), 0x9234);
  EXPECT_EQ(Get16(t1555, 1, 0), 0x1234);
  EXPECT_EQ(Get16(t1555, 2, 0), 0x9234);
  EXPECT_EQ(t1555->flags, 0x01 | A);

  Offscreen* t4444 = Make(16, 0x40, Px16(0xF123), 3, 1);
  ASSERT_EQ(wre_OffscreenApplyOpacity(t4444, image), 0);
  EXPECT_EQ(Get16(t4444, 0, 0), 0x8123);
  EXPECT_EQ(Get16(t4444, 1, 0), 0x7123);
  EXPECT_EQ(Get16(t4444, 2, 0), 0xF123);

  Offscreen* t32 = Make(32, 0, {0xAA, 1, 2, 3}, 3, 1);
  t32->keyColour = {9.0f, 9.0f, 9.0f, 9.0f};
  ASSERT_EQ(wre_OffscreenApplyOpacity(t32, image), 0);
  EXPECT_EQ(t32->pixels[0], 128);
  EXPECT_EQ(t32->pixels[4], 127);
  EXPECT_EQ(t32->pixels[8], 255);
  EXPECT_EQ(t32->pixels[9], 1);
  EXPECT_EQ(t32->flags, A);
  EXPECT_EQ(t32->keyColour.red, 0.0f);
}

TEST_F(OffscreenTest, OpacityImagesOfEveryDepthAreRead) {
  Offscreen* target = Make(32, 0, {0, 0, 0, 0});
  // 565 white widens to 248, 252, 248: 748 / 3 = 249.33.
  ASSERT_EQ(wre_OffscreenApplyOpacity(target, Make(16, 0x02, Px16(0xFFFF))), 0);
  EXPECT_EQ(target->pixels[0], 249);
  // 555 white: 248 each.
  ASSERT_EQ(wre_OffscreenApplyOpacity(target, Make(16, 0x01, Px16(0x7FFF))), 0);
  EXPECT_EQ(target->pixels[0], 248);
  // 4444: nibbles widened by four bits: 0x0888 gives 128 each.
  ASSERT_EQ(wre_OffscreenApplyOpacity(target, Make(16, 0x40, Px16(0x0888))), 0);
  EXPECT_EQ(target->pixels[0], 128);
  // A palette pixel through palette B.
  Offscreen* palette = Make(8, 0, {2});
  const uint8_t entry[4] = {0, 30, 60, 90};
  std::memcpy(palette->paletteB[2], entry, 4);
  ASSERT_EQ(wre_OffscreenApplyOpacity(target, palette), 0);
  EXPECT_EQ(target->pixels[0], 60);
  // An image without pixels reads black.
  WreRect rect{0, 0, 1, 1};
  Offscreen* empty = wre_OffscreenNew(kOffscreenDescription, &rect, 0, 24, 0, nullptr, nullptr);
  made_.push_back(empty);
  ASSERT_EQ(wre_OffscreenApplyOpacity(target, empty), 0);
  EXPECT_EQ(target->pixels[0], 0);
}

TEST_F(OffscreenTest, OpacityRefusals) {
  Offscreen* image = Make(24, 0, {255, 255, 255}, 2, 2);
  Offscreen* other = Make(16, 0x01, Px16(0x1234), 2, 1);
  EXPECT_EQ(wre_OffscreenApplyOpacity(other, image), kOffscreenErrOpacitySize);
  EXPECT_EQ(Get16(other, 0, 0), 0x1234);
  EXPECT_EQ(other->flags, 0x01);
  EXPECT_EQ(wre_OffscreenApplyOpacity(nullptr, image), kWreErrNull);
  EXPECT_EQ(wre_OffscreenApplyOpacity(other, nullptr), kWreErrNull);
  EXPECT_EQ(wre_OffscreenApplyOpacity(Make(8, 0, {0}, 2, 2), image), kOffscreenErrOpacityTarget);
  EXPECT_EQ(wre_OffscreenApplyOpacity(Make(16, 0x02, Px16(0), 2, 2), image), kOffscreenErrOpacityTarget);
  EXPECT_EQ(wre_OffscreenApplyOpacity(Make(24, 0, {0, 0, 0}, 2, 2), image), kOffscreenErrOpacityTarget);
  EXPECT_EQ(wre_OffscreenApplyOpacity(Make(16, 0, Px16(0), 2, 2), image), kOffscreenErrOpacityDepth);
  EXPECT_EQ(wre_OffscreenApplyOpacity(Make(4, 0, {0}, 2, 2), image), kOffscreenErrOpacityDepth);
}

// ---- Blits ----

class BlitTest : public OffscreenTest {
 protected:
  // A 4 x 4 16-bit image whose pixel (x, y) is base + y * 16 + x.
  Offscreen* Numbered(int32_t flags, uint16_t base) {
    Offscreen* o = Make(16, flags, Px16(0), 4, 4);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) Set16(o, x, y, static_cast<uint16_t>(base + y * 16 + x));
    }
    return o;
  }
};

TEST_F(BlitTest, CopiesTheRectangleAndClipsWhatReachesPastEitherImage) {
  Offscreen* source = Numbered(0x01, 0x100);
  Offscreen* dest = Numbered(0x01, 0);
  // Source columns 0..2, rows 1..2 to destination columns 2..4 (column 4 lies outside).
  WreRect from{0, 1, 3, 3};
  WreRect to{2, 0, 5, 2};
  ASSERT_EQ(wre_OffscreenBlit(source, &from, dest, &to, 0), 0);
  EXPECT_EQ(Get16(dest, 2, 0), 0x110);
  EXPECT_EQ(Get16(dest, 3, 0), 0x111);
  EXPECT_EQ(Get16(dest, 2, 1), 0x120);
  EXPECT_EQ(Get16(dest, 3, 1), 0x121);
  EXPECT_EQ(Get16(dest, 1, 0), 0x001);
  EXPECT_EQ(Get16(dest, 2, 2), 0x022);

  // A destination reaching past the top-left corner cuts the first rows and columns of the source.
  Offscreen* dest2 = Numbered(0x01, 0);
  WreRect all{0, 0, 4, 4};
  WreRect shifted{-1, -2, 3, 2};
  ASSERT_EQ(wre_OffscreenBlit(source, &all, dest2, &shifted, 0), 0);
  EXPECT_EQ(Get16(dest2, 0, 0), 0x121);
  EXPECT_EQ(Get16(dest2, 2, 1), 0x133);
  EXPECT_EQ(Get16(dest2, 3, 0), 0x003);
  EXPECT_EQ(Get16(dest2, 0, 2), 0x020);
}

TEST_F(BlitTest, RefusesMismatchesAndIgnoresRectanglesOutside) {
  Offscreen* source = Numbered(0x01, 0x100);
  Offscreen* dest = Numbered(0x01, 0);
  WreRect outside{10, 10, 12, 12};
  WreRect inside{0, 0, 2, 2};
  EXPECT_EQ(wre_OffscreenBlit(source, &outside, dest, &inside, 0), 0);
  EXPECT_EQ(wre_OffscreenBlit(source, &inside, dest, &outside, 0), 0);
  EXPECT_EQ(Get16(dest, 0, 0), 0);
  WreRect wider{0, 0, 3, 2};
  EXPECT_EQ(wre_OffscreenBlit(source, &inside, dest, &wider, 0), -1);
  Offscreen* deep = Make(32, 0, {0, 0, 0, 0}, 4, 4);
  EXPECT_EQ(wre_OffscreenBlit(source, &inside, deep, &inside, 0), -1);
  Offscreen* pal = Make(8, 0, {0}, 4, 4);
  Offscreen* pal2 = Make(8, 0, {0}, 4, 4);
  EXPECT_EQ(wre_OffscreenBlit(pal, &inside, pal2, &inside, 0), -1);
}

TEST_F(BlitTest, KeyedCopies) {
  WreRect all{0, 0, 4, 4};
  // 1555 with flags bit 1: only pixels with bit 15 set.
  Offscreen* s1555 = Numbered(0x01 | A, 0x100);
  Set16(s1555, 1, 0, 0x8ABC);
  Offscreen* d = Numbered(0x01, 0);
  ASSERT_EQ(wre_OffscreenBlit(s1555, &all, d, &all, 2), 0);
  EXPECT_EQ(Get16(d, 0, 0), 0x000);
  EXPECT_EQ(Get16(d, 1, 0), 0x8ABC);

  // The same source without flags bit 1 copies nothing; with bit 0 everything.
  Offscreen* d2 = Numbered(0x01, 0);
  ASSERT_EQ(wre_OffscreenBlit(s1555, &all, d2, &all, 0), 0);
  EXPECT_EQ(Get16(d2, 1, 0), 0x001);
  ASSERT_EQ(wre_OffscreenBlit(s1555, &all, d2, &all, 1 | 2), 0);
  EXPECT_EQ(Get16(d2, 0, 0), 0x100);

  // 565: every pixel but the key colour's.
  Offscreen* s565 = Numbered(0x02 | A, 0x100);
  s565->keyColour = {255.0f, 0.0f, 255.0f, 255.0f};
  Set16(s565, 2, 0, 0xF81F);
  Offscreen* d3 = Numbered(0x02, 0);
  ASSERT_EQ(wre_OffscreenBlit(s565, &all, d3, &all, 2), 0);
  EXPECT_EQ(Get16(d3, 0, 0), 0x100);
  EXPECT_EQ(Get16(d3, 2, 0), 0x002);

  // 4444: every pixel whose alpha is not zero.
  Offscreen* s4444 = Numbered(0x40 | A, 0x100);
  Set16(s4444, 3, 0, 0x1FFF);
  Offscreen* d4 = Numbered(0x40, 0);
  ASSERT_EQ(wre_OffscreenBlit(s4444, &all, d4, &all, 2), 0);
  EXPECT_EQ(Get16(d4, 0, 0), 0x000);
  EXPECT_EQ(Get16(d4, 3, 0), 0x1FFF);

  // Without alpha the rows are copied whole.
  Offscreen* plain = Numbered(0x02, 0x200);
  Offscreen* d5 = Numbered(0x02, 0);
  ASSERT_EQ(wre_OffscreenBlit(plain, &all, d5, &all, 2), 0);
  EXPECT_EQ(Get16(d5, 3, 3), 0x233);
}

TEST_F(BlitTest, BlitAtMovesTheSourceRectangleByTheTruncatedOffset) {
  Offscreen* source = Make(24, 0, {1, 2, 3}, 1, 1);
  Offscreen* dest = Make(24, 0, {0, 0, 0}, 4, 4);
  Point4 offset{2.9f, 1.2f, 0.0f, 0.0f};
  ASSERT_EQ(wre_OffscreenBlitAt(source, dest, &offset, 0), 0);
  EXPECT_EQ(Bytes(dest->pixels + dest->rowBytes + 6, dest->pixels + dest->rowBytes + 9), (Bytes{1, 2, 3}));
  Point4 far{1e30f, 0.0f, 0.0f, 0.0f};
  EXPECT_EQ(wre_OffscreenBlitAt(source, dest, &far, 0), 0);
  EXPECT_EQ(Bytes(dest->pixels, dest->pixels + 3), (Bytes{0, 0, 0}));
}

// ---- Creation, duplication, disposal ----

TEST_F(OffscreenTest, CreationRules) {
  WreRect rect{0, 0, 3, 2};
  EXPECT_EQ(wre_OffscreenNew(101, &rect, 0, 16, 0, nullptr, nullptr), nullptr);
  EXPECT_EQ(wre_OffscreenNew(kOffscreenBorrowed, &rect, 0, 16, 0, nullptr, nullptr), nullptr);
  EXPECT_EQ(wre_OffscreenNew(kOffscreenMemory, &rect, 0, 16, 300, nullptr, nullptr), nullptr);
  WreRect empty{5, 5, 5, 9};
  EXPECT_EQ(wre_OffscreenNew(kOffscreenMemory, &empty, 0, 16, 0, nullptr, nullptr), nullptr);
  EXPECT_EQ(wre_OffscreenNew(kOffscreenMemory, &rect, 0, 12, 0, nullptr, nullptr), nullptr);

  Offscreen* o = wre_OffscreenNew(kOffscreenMemory, &rect, 0, 16, 256, nullptr, nullptr);
  ASSERT_NE(o, nullptr);
  made_.push_back(o);
  EXPECT_EQ(o->flags, 0x01);  // a bare 16-bit image is 555
  EXPECT_EQ(o->rowBytes, 6);
  EXPECT_EQ(o->pixelBytes, 12);
  EXPECT_EQ(o->width, 3);
  EXPECT_EQ(o->height, 2);
  EXPECT_EQ(o->pixels[11], 0);
  wre_OffscreenSetPaletteCount(o, 300);
  EXPECT_EQ(o->paletteCount, 256);

  // A 4-bit image of odd width keeps whole bytes per row.
  Offscreen* nibbles = wre_OffscreenNew(kOffscreenMemory, &rect, 0, 4, 16, nullptr, nullptr);
  ASSERT_NE(nibbles, nullptr);
  made_.push_back(nibbles);
  EXPECT_EQ(nibbles->rowBytes, 2);
  EXPECT_EQ(nibbles->pixelBytes, 4);

  WreRect moved{10, 20, 14, 21};
  wre_OffscreenSetRect(o, &moved);
  EXPECT_EQ(o->width, 4);
  EXPECT_EQ(o->height, 1);
  EXPECT_EQ(o->rect.top, 20);
}

TEST_F(OffscreenTest, ADuplicateIsIndependent) {
  Offscreen* o = Make(8, kOffscreenPaletteRGBA, {5}, 2, 2);
  o->paletteA[5][1] = 11;
  o->paletteB[5][2] = 22;
  o->keyColour = {1.0f, 2.0f, 3.0f, 4.0f};
  Offscreen* copy = wre_OffscreenDuplicate(o);
  ASSERT_NE(copy, nullptr);
  made_.push_back(copy);
  EXPECT_NE(copy->pixels, o->pixels);
  EXPECT_EQ(Bytes(copy->pixels, copy->pixels + 4), (Bytes{5, 5, 5, 5}));
  EXPECT_EQ(copy->paletteA[5][1], 11);
  EXPECT_EQ(copy->paletteB[5][2], 22);
  EXPECT_EQ(copy->keyColour.alpha, 4.0f);
  EXPECT_EQ(copy->flags, kOffscreenPaletteRGBA);
  copy->pixels[0] = 9;
  ASSERT_EQ(wre_OffscreenConvertTo32Bit(copy), 0);
  EXPECT_EQ(o->pixels[0], 5);
  EXPECT_EQ(o->depth, 8);

  // Pixel blocks that differ (a converted image whose rows were packed differently) give null.
  Offscreen* odd = Make(24, 0, {1, 2, 3}, 1, 1);
  odd->pixelBytes = 2;
  EXPECT_EQ(wre_OffscreenDuplicate(odd), nullptr);
  odd->pixelBytes = 3;
}

TEST_F(OffscreenTest, DisposeTakesTheChainedOffscreenAlong) {
  WreRect rect{0, 0, 2, 2};
  Offscreen* first = wre_OffscreenNew(kOffscreenMemory, &rect, 0, 24, 0, nullptr, nullptr);
  Offscreen* second = wre_OffscreenNew(kOffscreenMemory, &rect, 0, 8, 0, nullptr, nullptr);
  ASSERT_TRUE(first && second);
  first->chained = second;
  uint8_t* secondPixels = second->pixels;
  EXPECT_EQ(wre_OffscreenDispose(first), 0);
  // Both records and both pixel blocks are gone: the memory layer no longer knows them.
  EXPECT_EQ(wre_MemoryDispose(second), -1);
  EXPECT_EQ(wre_MemoryDispose(secondPixels), -1);
  EXPECT_EQ(wre_OffscreenDispose(nullptr), 0);
}

// ---- Renderer surfaces and contexts ----

struct FakeSurface {
  std::vector<uint8_t> memory;
  int32_t pitch;
  bool video;
  int locks;
};

int gReleased = 0;
int gSelected = 100;
bool gVideoFails = false;
int32_t gContextKind = 100;
int32_t gDisplayFlags = 0;

OffscreenSurface* FakeCreate(DrawingContext*, int32_t width, int32_t height, bool video, const OffscreenSurface*) {
  if (video && gVideoFails) return nullptr;
  auto* s = new FakeSurface{};
  s->pitch = width * 2 + 4;
  s->memory.assign(static_cast<size_t>(s->pitch) * static_cast<size_t>(height), 0);
  s->video = video;
  return reinterpret_cast<OffscreenSurface*>(s);
}

int32_t FakeLock(OffscreenSurface* surface, uint8_t** pixels, int32_t* pitch) {
  auto* s = reinterpret_cast<FakeSurface*>(surface);
  ++s->locks;
  *pixels = s->memory.data();
  *pitch = s->pitch;
  return 0;
}

void FakeUnlock(OffscreenSurface* surface) { --reinterpret_cast<FakeSurface*>(surface)->locks; }

void FakeRelease(OffscreenSurface* surface) {
  ++gReleased;
  delete reinterpret_cast<FakeSurface*>(surface);
}

void FakeMasks(const OffscreenSurface*, uint32_t* red, uint32_t* green, uint32_t* blue) {
  *red = 0xF800;
  *green = 0x07E0;
  *blue = 0x001F;
}

int32_t FakeBlit(OffscreenSurface* destination, OffscreenSurface* source, const WreRect*) {
  reinterpret_cast<FakeSurface*>(destination)->memory = reinterpret_cast<FakeSurface*>(source)->memory;
  return 0;
}

int32_t FakeSelected() { return gSelected; }

bool FakeContextInfo(const DrawingContext*, int32_t* kind, int32_t* flags) {
  *kind = gContextKind;
  *flags = gDisplayFlags;
  return true;
}

const OffscreenRendererHooks kFakeRenderer = {FakeSelected, FakeContextInfo, FakeCreate, FakeLock,
                                              FakeUnlock,   FakeRelease,     FakeMasks,  FakeBlit};

DrawingContext* FakeContext() {
  static int context;
  return reinterpret_cast<DrawingContext*>(&context);
}

class SurfaceTest : public OffscreenTest {
 protected:
  void SetUp() override {
    OffscreenTest::SetUp();
    wre_OffscreenSetRendererHooks(&kFakeRenderer);
    gReleased = 0;
    gSelected = 100;
    gVideoFails = false;
    gContextKind = 100;
    gDisplayFlags = 0;
  }
};

TEST_F(SurfaceTest, ASurfaceOffscreenTakesItsLayoutFromTheSurface) {
  WreRect rect{0, 0, 3, 2};
  EXPECT_EQ(wre_OffscreenNew(kOffscreenSurface, &rect, 0, 24, 0, FakeContext(), nullptr), nullptr);
  Offscreen* o = wre_OffscreenNew(kOffscreenSurface, &rect, 0, 16, 0, FakeContext(), nullptr);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->rowBytes, 10);
  EXPECT_EQ(o->pixelBytes, 20);
  EXPECT_EQ(o->flags, 0x02);
  EXPECT_EQ(o->greenShift, 5);
  EXPECT_EQ(o->greenDrop, 2);
  EXPECT_EQ(o->redShift, 11);
  EXPECT_EQ(o->redDrop, 3);
  EXPECT_EQ(o->blitRect.right, 3);
  EXPECT_NE(o->systemSurface, nullptr);
  EXPECT_EQ(wre_OffscreenConvertTo_555_16Bit(o), -1);
  wre_OffscreenDispose(o);
  EXPECT_EQ(gReleased, 1);

  wre_OffscreenSetRendererHooks(nullptr);
  EXPECT_EQ(wre_OffscreenNew(kOffscreenSurface, &rect, 0, 16, 0, FakeContext(), nullptr), nullptr);
}

TEST_F(SurfaceTest, UnderTheDirect3DRendererTheSourceMovesToVideoMemory) {
  gSelected = 103;
  WreRect rect{0, 0, 2, 1};
  Offscreen* source = Make(16, 0x02, Px16(0xABCD), 2, 1);
  Offscreen* o = wre_OffscreenNew(kOffscreenSurface, &rect, 0, 16, 0, FakeContext(), source);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->systemSurface, nullptr);
  ASSERT_NE(o->videoSurface, nullptr);
  auto* video = reinterpret_cast<FakeSurface*>(o->videoSurface);
  EXPECT_TRUE(video->video);
  EXPECT_EQ(video->memory[0], 0xCD);
  EXPECT_EQ(video->memory[3], 0xAB);
  EXPECT_EQ(video->locks, 0);
  EXPECT_EQ(gReleased, 1);  // the system-memory surface
  wre_OffscreenDispose(o);
  EXPECT_EQ(gReleased, 2);

  // Without video memory the offscreen keeps its system-memory surface.
  gVideoFails = true;
  Offscreen* kept = wre_OffscreenNew(kOffscreenSurface, &rect, 0, 16, 0, FakeContext(), source);
  ASSERT_NE(kept, nullptr);
  EXPECT_NE(kept->systemSurface, nullptr);
  EXPECT_EQ(Get16(kept, 1, 0), 0xABCD);
  wre_OffscreenDispose(kept);
}

TEST_F(SurfaceTest, MatchesContextByRendererKind) {
  int32_t kind = 0;
  int32_t depth = 0;
  Offscreen* o16 = Make(16, 0x01, Px16(0));
  EXPECT_TRUE(wre_OffscreenMatchesContext(o16, FakeContext(), &kind, &depth));
  EXPECT_EQ(kind, 100);
  EXPECT_EQ(depth, 16);
  gContextKind = 101;
  EXPECT_FALSE(wre_OffscreenMatchesContext(o16, FakeContext(), &kind, &depth));
  EXPECT_EQ(depth, 32);
  EXPECT_TRUE(wre_OffscreenMatchesContext(Make(32, 0, {0, 0, 0, 0}), FakeContext(), nullptr, nullptr));
  gContextKind = 102;
  EXPECT_FALSE(wre_OffscreenMatchesContext(o16, FakeContext(), &kind, nullptr));
  EXPECT_EQ(kind, 104);
  gContextKind = 103;
  EXPECT_FALSE(wre_OffscreenMatchesContext(o16, FakeContext(), &kind, &depth));
  EXPECT_EQ(kind, 103);
  gContextKind = 104;
  EXPECT_TRUE(wre_OffscreenMatchesContext(o16, FakeContext(), nullptr, nullptr));
  gContextKind = 105;
  EXPECT_FALSE(wre_OffscreenMatchesContext(o16, FakeContext(), nullptr, nullptr));
  EXPECT_FALSE(wre_OffscreenMatchesContext(nullptr, FakeContext(), nullptr, nullptr));
  EXPECT_FALSE(wre_OffscreenMatchesContext(o16, nullptr, nullptr, nullptr));
}

TEST_F(SurfaceTest, ConvertKeepsTheLayoutTheContextShows) {
  Offscreen* o = Make(16, 0x02, Px16(0xFFFF));
  gDisplayFlags = 1;  // a 565 display
  EXPECT_EQ(wre_OffscreenConvert(o, 16, FakeContext(), 0), 0);
  EXPECT_EQ(o->flags, 0x02);
  gDisplayFlags = 0;
  EXPECT_EQ(wre_OffscreenConvert(o, 16, FakeContext(), 0), 0);
  EXPECT_EQ(o->flags, 0x01);
  EXPECT_EQ(Get16(o, 0, 0), 0x7FFF);
  EXPECT_EQ(wre_OffscreenBackgroundBegin(nullptr, o), -1);
  EXPECT_EQ(wre_OffscreenBackgroundEnd(), -1);
}

// ---- Colour records and packers ----

TEST_F(OffscreenTest, Packers) {
  ColourRecord record{};
  wre_ColourSet(&record, 0x112, 0x34, 0x56, 0x78);
  EXPECT_EQ(record.red, 0x12);
  EXPECT_EQ(record.alpha, 0x78);
  EXPECT_EQ(record.packed, 0x78123456u);
  wre_ColourSet(nullptr, 1, 2, 3, 4);
  EXPECT_EQ(wre_ColourPackARGB(-1, 0x100, 0x1AB, 0x2CD), 0xCDFF00ABu);

  ColourFloat colour{200.0f, 100.0f, 50.0f, 144.0f};
  EXPECT_EQ(wre_ColourTo1555(&colour), 0xE586);
  EXPECT_EQ(wre_ColourTo565(&colour), 0xCB26);
  EXPECT_EQ(wre_ColourTo4444(&colour), 0x9C63);
  colour.alpha = 127.9f;
  EXPECT_EQ(wre_ColourTo1555(&colour), 0x6586);
  // Out of range: the low byte of the truncated value.
  ColourFloat wide{256.0f + 200.0f, -1.0f, 1e20f, 0.0f};
  EXPECT_EQ(wre_ColourTo565(&wide), (200 >> 3) << 11 | (255 >> 2) << 5 | 0);

  gColourToByte = 255.0f;
  ColourFloat unit{1.0f, 0.5f, 0.0f, 1.0f};
  EXPECT_EQ(wre_ColourTo4444(&unit), 0xFF70);
  ColourFloat back{};
  ColourRecord bytes{};
  wre_ColourSet(&bytes, 255, 51, 0, 255);
  wre_ColourFromU8(&bytes, &back);
  EXPECT_FLOAT_EQ(back.red, 1.0f);
  EXPECT_FLOAT_EQ(back.green, 0.2f);
  gColourToByte = 1.0f;
  wre_ColourFromU8(&bytes, &back);
  EXPECT_EQ(back.green, 51.0f);
}

}  // namespace
