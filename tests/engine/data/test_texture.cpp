#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/particles.h"
#include "engine/core/colour_scale.h"
#include "engine/data/material.h"
#include "engine/data/ripple.h"
#include "engine/data/texture.h"
#include "platform/test/plat_d3d.h"
#include "platform/test/plat_gl.h"
#include "tests/engine/core/object_test_support.h"
#include "tests/engine/data/texture_test_support.h"

namespace {

using texture_test::gGl;
using texture_test::TextureTest;
using texture_test::Word;
using Px = std::vector<uint8_t>;

class Textures : public TextureTest {};

// ---- Table, creation and look-ups ----

TEST_F(Textures, TableStartsOnceAndReportsFullness) {
  EXPECT_EQ(wre_TextureTableInit(8), -1);  // already started
  int32_t slot = 99;
  EXPECT_EQ(wre_TextureFindFree(nullptr), kWreErrNull);
  for (int32_t i = 0; i < 8; ++i) {
    ASSERT_EQ(wre_TextureFindFree(&slot), 0);
    EXPECT_EQ(slot, i);
    ASSERT_EQ(wre_TextureDefine(slot, nullptr, nullptr, kTextureCreateRecordOnly, "f", nullptr, 0, 0, 0, 0, 0, nullptr),
              0);
  }
  EXPECT_EQ(wre_TextureFindFree(&slot), kTextureErrTableFull);
  EXPECT_EQ(slot, -1);
  EXPECT_EQ(wre_TextureCreate(Plain(16, 4, 4), &software_, 0, "x"), kTextureErrTableFull);

  wre_TextureTableFree();
  EXPECT_EQ(wre_TextureFindFree(&slot), kTextureErrNotStarted);
  EXPECT_EQ(wre_TextureDefine(0, Plain(16, 4, 4), &software_, 0, "x", nullptr, 0, 0, 0, 0, 0, nullptr),
            kTextureErrNotStarted);
  EXPECT_EQ(wre_TextureRelease(0), kTextureErrNotStarted);
  EXPECT_EQ(wre_TextureTableInit(-1), -1);
  EXPECT_EQ(wre_TextureTableInit(0), 0);
  EXPECT_EQ(gTextureModuleStarted, 0);
  EXPECT_EQ(wre_TextureTableInit(2), 0);
}

TEST_F(Textures, DefineChecksInOrderAndLeavesARefusedSlotAlone) {
  Offscreen* image = Plain(16, 4, 4);
  EXPECT_EQ(wre_TextureDefine(0, nullptr, &software_, 0, "a", nullptr, 0, 0, 0, 0, 0, nullptr), kWreErrNull);
  EXPECT_EQ(wre_TextureDefine(0, image, nullptr, 0, "a", nullptr, 0, 0, 0, 0, 0, nullptr), kWreErrNull);
  EXPECT_EQ(wre_TextureDefine(8, image, &software_, 0, "a", nullptr, 0, 0, 0, 0, 0, nullptr), kTextureErrHandle);
  EXPECT_EQ(wre_TextureDefine(-1, image, &software_, 0, "a", nullptr, 0, 0, 0, 0, 0, nullptr), kTextureErrHandle);
  // A 100 x 64 image fails before anything is stored.
  EXPECT_EQ(wre_TextureDefine(0, Plain(16, 100, 64), &software_, 0, "a", nullptr, 0, 0, 0, 0, 0, nullptr),
            kTextureErrSize);
  EXPECT_FALSE(wre_TextureInUse(0));
  EXPECT_EQ(gTextureTable[0].width, 0);

  ASSERT_EQ(wre_TextureDefine(0, image, &software_, 0, "first.bmp", "water", 0, 0, 0, 0, 0, nullptr), 0);
  EXPECT_STREQ(gTextureTable[0].ident, " ");  // idents are given afterwards
  EXPECT_EQ(wre_TextureDefine(0, Plain(16, 8, 8), &software_, 0, "second.bmp", nullptr, 0, 0, 0, 0, 0, nullptr),
            kTextureErrInUse);
  EXPECT_STREQ(gTextureTable[0].file, "first.bmp");
  EXPECT_EQ(gTextureTable[0].width, 4);
  EXPECT_EQ(gTextureTable[0].glName, 1u);  // never OpenGL's default texture 0
}

TEST_F(Textures, AlphaFlagsFollowTheImagesKeyAndDepth) {
  struct Case {
    int32_t depth;
    int32_t flags;
    uint8_t expected;
  } cases[] = {
      {32, kOffscreenAlpha, kTextureHasAlpha | kTextureTranslucent},
      {16, kOffscreen555 | kOffscreenAlpha, kTextureHasAlpha},
      {16, kOffscreen4444 | kOffscreenAlpha, kTextureHasAlpha | kTextureTranslucent},
      {32, 0, 0},
      {8, 0, 0},
  };
  int32_t handle = 0;
  for (const Case& c : cases) {
    Offscreen* image = Image(c.depth, c.flags, 2, 2, [&](int32_t, int32_t) { return Px(4, 0); });
    ASSERT_EQ(wre_TextureDefine(handle, image, &none_, kTextureCreateFlag0, "f", nullptr, 0, 0, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(gTextureTable[handle].flags & (kTextureHasAlpha | kTextureTranslucent), c.expected) << c.depth;
    EXPECT_TRUE(gTextureTable[handle].flags & kTextureFlag0);
    ++handle;
  }
  // Record only: no image, no context, no size check, in use.
  ASSERT_EQ(wre_TextureDefine(handle, nullptr, nullptr, kTextureCreateRecordOnly, nullptr, nullptr, 0, 0, 0, 0, 0,
                              nullptr),
            0);
  EXPECT_TRUE(wre_TextureInUse(handle));
  EXPECT_EQ(gTextureTable[handle].offscreen, nullptr);
  EXPECT_STREQ(gTextureTable[handle].file, " ");
  EXPECT_EQ(wre_TextureRelease(handle), 0);
}

TEST_F(Textures, ShiftsMasksAndLogsPerAxisCapAt256) {
  Texture t{};
  const int32_t sizes[] = {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024};
  const int32_t shift[] = {8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0};
  const int32_t log2[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 8, 8};
  const int32_t mask[] = {0, 1, 3, 7, 15, 31, 63, 127, 255, 255, 255};
  for (int i = 0; i < 11; ++i) {
    t.width = sizes[i];
    t.height = sizes[10 - i];
    wre_TextureComputeShifts(&t);
    EXPECT_EQ(t.shiftX, shift[i]) << sizes[i];
    EXPECT_EQ(t.log2X, log2[i]) << sizes[i];
    EXPECT_EQ(t.maskX, mask[i]) << sizes[i];
    EXPECT_EQ(t.shiftY, shift[10 - i]);
    EXPECT_EQ(t.maskY, mask[10 - i]);
    EXPECT_EQ(wre_TextureCheckSize(sizes[i]), 0);
  }
  for (int32_t bad : {0, 3, 100, 2048, -4}) EXPECT_EQ(wre_TextureCheckSize(bad), kTextureErrSize) << bad;
}

TEST_F(Textures, LookUpsIgnoreCaseAndNamesAreCut) {
  ASSERT_EQ(wre_TextureCreate(Plain(16, 4, 4), &software_, 0, "Water.BMP"), 0);
  ASSERT_EQ(wre_TextureCreate(Plain(16, 4, 4), &software_, 0, "ground.bmp"), 0);
  EXPECT_EQ(wre_TextureFindByFile("water.bmp"), 0);
  EXPECT_EQ(wre_TextureFindByFile("GROUND.bmp"), 1);
  EXPECT_EQ(wre_TextureFindByFile("sky.bmp"), -1);
  EXPECT_EQ(wre_TextureFindByFile(nullptr), -1);

  EXPECT_EQ(wre_TextureSetIdent(&gTextureTable[1], "Ripple"), 0);
  EXPECT_EQ(wre_TextureFindByIdent("RIPPLE"), 1);
  EXPECT_EQ(wre_TextureGetByIdent("ripple"), &gTextureTable[1]);
  EXPECT_EQ(wre_TextureGetByIdent("none"), nullptr);
  EXPECT_EQ(wre_TextureFindByIdent(nullptr), -1);

  std::string longIdent(40, 'i');
  std::string longFile(300, 'f');
  EXPECT_EQ(wre_TextureSetIdent(&gTextureTable[1], longIdent.c_str()), 0);
  EXPECT_EQ(std::strlen(gTextureTable[1].ident), 31u);
  EXPECT_EQ(wre_TextureSetFileName(1, longFile.c_str()), 0);
  EXPECT_EQ(std::strlen(gTextureTable[1].file), 255u);
  EXPECT_EQ(wre_TextureSetFileName(1, nullptr), 0);
  EXPECT_STREQ(gTextureTable[1].file, " ");
  EXPECT_EQ(wre_TextureSetFileName(8, "x"), kTextureErrHandle);
  EXPECT_EQ(wre_TextureSetFileName(-1, "x"), kTextureErrHandle);
  EXPECT_EQ(wre_TextureSetIdent(nullptr, "x"), kWreErrNull);

  // A released texture is no longer found.
  EXPECT_EQ(wre_TextureRelease(0), 0);
  EXPECT_EQ(wre_TextureFindByFile("water.bmp"), -1);
  EXPECT_STREQ(gTextureTable[0].file, " ");
}

TEST_F(Textures, ReleaseChecksTheHandleAndFreesTheSoftwareCopy) {
  EXPECT_EQ(wre_TextureRelease(8), kTextureErrHandle);
  EXPECT_EQ(wre_TextureRelease(-2), kTextureErrHandle);
  EXPECT_EQ(wre_TextureRelease(-1), kTextureErrNotInUse);
  EXPECT_EQ(wre_TextureRelease(3), kTextureErrNotInUse);

  object_test::BlockWatch watch;
  Offscreen* image = Image(24, 0, 4, 4, [](int32_t, int32_t) { return Px{1, 2, 3}; });
  Forget(image);
  ASSERT_EQ(wre_TextureCreate(image, &software_, 0, "a.bmp"), 0);
  wre_OffscreenDispose(image);  // the texture keeps its own copy
  ASSERT_NE(gTextureTable[0].pixels, nullptr);
  EXPECT_EQ(Word(gTextureTable[0].pixels) & 0x7FFF, 0u);
  EXPECT_EQ(wre_TextureRelease(0), 0);
  EXPECT_EQ(wre_TextureRelease(0), kTextureErrNotInUse);
  EXPECT_EQ(watch.Left(), 0);
}

// ---- Software copy ----

TEST_F(Textures, SoftwareCopyHolds555WordsAndTheKeyBit) {
  Offscreen* rgb = Image(24, 0, 2, 2, [](int32_t x, int32_t y) {
    const Px px[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {8, 16, 24}};
    return px[x + 2 * y];
  });
  ASSERT_EQ(wre_TextureCreate(rgb, &software_, 0, "rgb"), 0);
  const Texture& t = gTextureTable[0];
  EXPECT_EQ(t.pixelClass, kTexturePixel555);
  EXPECT_EQ(t.formatCode, kTextureCode555);
  EXPECT_EQ(t.depth, 16);
  const uint16_t expected[4] = {0x7C00, 0x03E0, 0x001F, 0x0443};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Word(t.pixels + 2 * i) & 0x7FFF, expected[i]) << i;

  // A keyed 8-bit image: key texels lose bit 15, the rest keep it; class 103.
  Offscreen* keyed = Image(8, 0, 2, 1, [](int32_t x, int32_t) { return Px{static_cast<uint8_t>(x)}; });
  const uint8_t magenta[4] = {255, 255, 0, 255};
  const uint8_t white[4] = {255, 255, 255, 255};
  std::memcpy(keyed->paletteB[0], magenta, 4);
  std::memcpy(keyed->paletteB[1], white, 4);
  ColourFloat key{255, 0, 255, 255};
  ASSERT_EQ(wre_OffscreenSetColourKey(keyed, &key), 0);
  ASSERT_EQ(wre_TextureCreate(keyed, &software_, 0, "keyed"), 0);
  const Texture& k = gTextureTable[1];
  EXPECT_EQ(k.pixelClass, kTexturePixel1555);
  EXPECT_EQ(k.formatCode, kTextureCode555 | kTextureCodeKeyed);
  EXPECT_EQ(Word(k.pixels), 0x7C1F);
  EXPECT_EQ(Word(k.pixels + 2), 0xFFFF);
  EXPECT_EQ(k.shiftX, 7);
  EXPECT_EQ(k.shiftY, 8);

  // A 4444 image keeps the top bit of its alpha nibble as bit 15.
  Offscreen* quads = Image(16, kOffscreen4444 | kOffscreenAlpha, 2, 1, [](int32_t x, int32_t) {
    return x == 0 ? Px{0x56, 0x74} : Px{0x56, 0x84};  // 0x7456, 0x8456
  });
  ASSERT_EQ(wre_TextureCreate(quads, &none_, 0, "placeholder"), 0);  // takes slot 2
  ASSERT_EQ(wre_TextureCreate(quads, &software_, 0, "quads"), 0);
  const Texture& q = gTextureTable[3];
  EXPECT_EQ(q.pixelClass, kTexturePixel1555);
  EXPECT_EQ(Word(q.pixels), (4 << 11) | (5 << 6) | (6 << 1));
  EXPECT_EQ(Word(q.pixels + 2), 0x8000 | (4 << 11) | (5 << 6) | (6 << 1));
  EXPECT_EQ(wre_TextureRelease(2), 0);

  // 512 x 512 is a valid texture size, but not for the software renderer; the slot stays free.
  EXPECT_EQ(wre_TextureCreate(Plain(16, 512, 512), &software_, 0, "big"), -1);
  EXPECT_FALSE(wre_TextureInUse(2));
  EXPECT_EQ(wre_TextureCreate(Plain(16, 512, 512), &none_, 0, "big"), 0);
  EXPECT_EQ(gTextureTable[2].shiftX, 0);
  EXPECT_EQ(gTextureTable[2].maskX, 255);
}

TEST_F(Textures, UploadRefusesOtherOffscreenKindsAndUnknownRenderers) {
  Offscreen* image = Plain(16, 4, 4);
  image->kind = kOffscreenBorrowed;
  EXPECT_EQ(wre_TextureCreate(image, &software_, 0, "a"), kTextureErrOffscreenKind);
  image->kind = kOffscreenMemory;
  DrawingContext other{};
  other.kind = kRendererNone;
  EXPECT_EQ(wre_TextureCreate(image, &other, 0, "a"), -1);
  other.kind = kRendererDirect3D;  // no device
  EXPECT_EQ(wre_TextureCreate(image, &other, 0, "a"), -1);
  EXPECT_FALSE(wre_TextureInUse(0));
}

// ---- OpenGL ----

TEST_F(Textures, OpenGLUploadBindsOwnNameAndChoosesFilterByContextFlag) {
  plat_GlSetFunctions(&recorder_);
  Offscreen* image = Indexed(2, 2);
  ASSERT_EQ(wre_TextureCreate(image, &opengl_, 0, "a"), 0);
  opengl_.flags = kContextLinearFilter;
  ASSERT_EQ(wre_TextureCreate(image, &opengl_, 0, "b"), 0);
  const std::vector<std::string> expected = {
      "store 3317 1", "bind 3553 1", "param 3553 10241 9728", "param 3553 10240 9728",
      "image 3553 0 6408 2x2 0 6408 5121",
      "store 3317 1", "bind 3553 2", "param 3553 10241 9729", "param 3553 10240 9729",
      "image 3553 0 6408 2x2 0 6408 5121"};
  EXPECT_EQ(gGl.calls, expected);
  ASSERT_EQ(gGl.images.size(), 2u);
  // Red, green, blue, alpha per texel, top row first: index 3 is (3, 252, 1, 255).
  EXPECT_EQ(gGl.images[0][12], 3);
  EXPECT_EQ(gGl.images[0][13], 252);
  EXPECT_EQ(gGl.images[0][14], 1);
  EXPECT_EQ(gGl.images[0][15], 255);
  EXPECT_EQ(gTextureTable[0].depth, 32);
  // Releasing keeps the name for the next texture of that slot; nothing is called.
  gGl.calls.clear();
  EXPECT_EQ(wre_TextureRelease(0), 0);
  EXPECT_TRUE(gGl.calls.empty());
}

TEST_F(Textures, OpenGLTextureReadsBackFromARealContext) {
  plat_UseBackend(kPlatBackendReal);
  bool available = plat_GlAvailable();
  plat_UseBackend(kPlatBackendTest);
  if (!available) GTEST_SKIP() << "no OpenGL on this machine";
  plat_TestGlSetAvailable(true);
  PlatGlPixelFormat request{0, 32, 8, 8, 8, 8, 16, 0, 0};
  PlatGlContext* context = plat_GlContextCreate(&request, nullptr);
  ASSERT_NE(context, nullptr);
  const PlatGlFunctions* gl = plat_Gl();
  ASSERT_NE(gl->GetTexImage, nullptr);

  // A keyed 4 x 2 image: the key texel reads back with alpha 0, in its neighbours' mean colour
  // (the rows wrap: of a two-row image the other row counts twice).
  Offscreen* image = Indexed(4, 2);
  ColourFloat key{5, 250, 2, 255};
  ASSERT_EQ(wre_OffscreenSetColourKey(image, &key), 0);
  ASSERT_EQ(wre_TextureCreate(image, &opengl_, 0, "a"), 0);
  ASSERT_EQ(wre_TextureCreate(image, &opengl_, 0, "b"), 0);

  gl->BindTexture(kGlTexture2D, gTextureTable[0].glName);
  int32_t width = 0, height = 0, minFilter = 0;
  gl->GetTexLevelParameteriv(kGlTexture2D, 0, kGlTextureWidth, &width);
  gl->GetTexLevelParameteriv(kGlTexture2D, 0, kGlTextureHeight, &height);
  gl->GetTexParameteriv(kGlTexture2D, kGlTextureMinFilter, &minFilter);
  EXPECT_EQ(width, 4);
  EXPECT_EQ(height, 2);
  EXPECT_EQ(minFilter, static_cast<int32_t>(kGlNearest));
  std::vector<uint8_t> texels(4 * 2 * 4, 0xEE);
  gl->PixelStorei(kGlPackAlignment, 1);
  gl->GetTexImage(kGlTexture2D, 0, kGlRgba, kGlUnsignedByte, texels.data());
  for (int i = 0; i < 8; ++i) {
    const int neighbours = 8;  // texels 0, 1, 2 twice, 4 and 6
    EXPECT_EQ(texels[i * 4 + 0], i == 5 ? (2 * (0 + 1 + 2) + 4 + 6) / neighbours : i) << i;
    EXPECT_EQ(texels[i * 4 + 1], i == 5 ? 253 : 255 - i) << i;
    EXPECT_EQ(texels[i * 4 + 2], i == 5 ? 1 : i / 2) << i;
    EXPECT_EQ(texels[i * 4 + 3], i == 5 ? 0 : 255) << i;
  }
  // The second texture is its own texture object.
  int32_t bound = 0;
  gl->BindTexture(kGlTexture2D, gTextureTable[1].glName);
  gl->GetTexLevelParameteriv(kGlTexture2D, 0, kGlTextureWidth, &bound);
  EXPECT_EQ(bound, 4);
  EXPECT_NE(gTextureTable[0].glName, gTextureTable[1].glName);
  plat_GlContextDelete(context);
  plat_TestGlSetAvailable(false);
}

// ---- Direct3D format choice ----

constexpr PlatPixelFormat k555{kPlatPixelRgb, 16, 0x7c00, 0x03e0, 0x001f, 0};
constexpr PlatPixelFormat k565{kPlatPixelRgb, 16, 0xf800, 0x07e0, 0x001f, 0};
constexpr PlatPixelFormat k1555{kPlatPixelRgb | kPlatPixelAlpha, 16, 0x7c00, 0x03e0, 0x001f, 0x8000};
constexpr PlatPixelFormat k4444{kPlatPixelRgb | kPlatPixelAlpha, 16, 0x0f00, 0x00f0, 0x000f, 0xf000};
constexpr PlatPixelFormat k8888{kPlatPixelRgb | kPlatPixelAlpha, 32, 0xff0000, 0xff00, 0xff, 0xff000000};
constexpr PlatPixelFormat kPal8{kPlatPixelPalette8, 8, 0, 0, 0, 0};
constexpr PlatPixelFormat k888{kPlatPixelRgb, 32, 0xff0000, 0xff00, 0xff, 0};

bool SameFormat(const PlatPixelFormat& a, const PlatPixelFormat& b) {
  return a.flags == b.flags && a.bitCount == b.bitCount && a.redMask == b.redMask && a.alphaMask == b.alphaMask;
}

// The format the callback settles on for a source image of this depth and class over the offered list.
PlatPixelFormat Choose(int32_t depth, int32_t pixelClass, uint8_t flags, const std::vector<PlatPixelFormat>& offered) {
  Offscreen source{};
  source.depth = depth;
  Texture t{};
  t.pixelClass = pixelClass;
  t.flags = flags;
  t.offscreen = &source;
  for (const PlatPixelFormat& f : offered) EXPECT_EQ(wre_TextureFormatCallback(&f, &t), 1);
  return t.surfaceDesc.format;
}

TEST(TextureFormats, CallbackPrefersTheSmallestFittingFormat) {
  const std::vector<PlatPixelFormat> all = {k555, k565, k1555, k4444, k8888, kPal8};
  EXPECT_TRUE(SameFormat(Choose(24, kTexturePixel24, 0, all), k555));
  EXPECT_TRUE(SameFormat(Choose(16, kTexturePixel565, 0, all), k555));
  EXPECT_TRUE(SameFormat(Choose(8, kTexturePixel8, 0, all), kPal8));  // only an 8-bit source takes a palette
  EXPECT_TRUE(SameFormat(Choose(16, kTexturePixel1555, kTextureHasAlpha, all), k1555));
  EXPECT_TRUE(SameFormat(Choose(16, kTexturePixel4444, kTextureHasAlpha, all), k4444));     // 1 alpha bit is too few
  EXPECT_TRUE(SameFormat(Choose(32, kTexturePixel32Alpha, kTextureHasAlpha, all), k4444));  // smaller than 8888
  EXPECT_TRUE(SameFormat(Choose(8, kTexturePixel8, kTextureHasAlpha, all), k1555));         // keyed 8-bit
  // The first fitting format stays unless a smaller one fits: order matters only among equals.
  EXPECT_TRUE(SameFormat(Choose(24, kTexturePixel24, 0, {k888, k565, k555}), k565));
  EXPECT_TRUE(SameFormat(Choose(32, kTexturePixel32Alpha, kTextureHasAlpha, {k8888, k1555}), k8888));
  EXPECT_TRUE(SameFormat(Choose(24, kTexturePixel24, 0, {kPal8, k555}), kPal8));  // first taken, 16 is not smaller
  // Nothing fits: nothing is chosen.
  EXPECT_EQ(Choose(32, kTexturePixel32Alpha, kTextureHasAlpha, {k555, k565, kPal8}).bitCount, 0);
  EXPECT_EQ(Choose(24, kTexturePixel24, 0, {k1555, k8888}).bitCount, 0);
}

TEST(TextureFormats, FormatCodesFromImagesAndDeviceFormats) {
  Texture t{};
  Offscreen o{};
  struct Case {
    int32_t depth, flags, code;
  } cases[] = {{8, 0, 32},   {8, kOffscreenDistinct8, 16}, {16, kOffscreen555, 64}, {16, kOffscreen565, 128},
               {16, kOffscreen4444 | kOffscreenAlpha, 256 | kTextureCodeKeyed}, {24, 0, 512}, {32, 0, 1024}};
  for (const Case& c : cases) {
    o.depth = c.depth;
    o.flags = c.flags;
    ASSERT_EQ(wre_TextureSetFormat(&t, &o), 0);
    EXPECT_EQ(t.formatCode, c.code) << c.depth;
    EXPECT_EQ(t.depth, c.depth);
  }
  o.depth = 16;
  o.flags = 0;
  EXPECT_EQ(wre_TextureSetFormat(&t, &o), kTextureErrFormat);
  o.depth = 4;
  EXPECT_EQ(wre_TextureSetFormat(&t, &o), kTextureErrFormat);
  EXPECT_EQ(t.depth, 32);  // unchanged by failures

  ASSERT_EQ(wre_TextureSetFormatD3D(&t, &k565), 0);
  EXPECT_EQ(t.formatCode, 128);
  t.flags = kTextureHasAlpha;
  ASSERT_EQ(wre_TextureSetFormatD3D(&t, &k4444), 0);
  EXPECT_EQ(t.formatCode, 256 | kTextureCodeKeyed);
  ASSERT_EQ(wre_TextureSetFormatD3D(&t, &k1555), 0);
  EXPECT_EQ(t.formatCode, 64 | kTextureCodeKeyed);
  PlatPixelFormat odd{kPlatPixelRgb, 16, 0xfc00, 0x03e0, 0x001f, 0};  // 6-5-5
  EXPECT_EQ(wre_TextureSetFormatD3D(&t, &odd), kTextureErrFormat);
  EXPECT_EQ(wre_TextureSetFormatD3D(nullptr, &odd), kWreErrNull);
}

TEST(TextureFormats, FillPacksChannelsBottomRowFirst) {
  // A 2 x 2 24-bit source into 565 and into 24-bit surfaces; the surface's first row is the image's last.
  uint8_t pixels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 8, 16, 24};
  Offscreen o{};
  o.depth = 24;
  o.width = o.height = 2;
  o.rowBytes = 6;
  o.pixelBytes = 12;
  o.pixels = pixels;
  Texture t{};
  t.surfaceDesc.format = k565;
  uint8_t surface[2 * 8] = {};
  ASSERT_EQ(wre_TextureFillSurface(&t, &o, surface, 8, 2, 2), 0);
  EXPECT_EQ(Word(surface + 0), 0x001F);                    // blue, from the last row
  EXPECT_EQ(Word(surface + 2), (1 << 11) | (4 << 5) | 3);  // 8, 16, 24
  EXPECT_EQ(Word(surface + 8), 0xF800);
  EXPECT_EQ(Word(surface + 10), 0x07E0);
  EXPECT_EQ(t.formatCode, 128);

  // A 24-bit target takes three bytes per texel and writes nothing past the row.
  PlatPixelFormat f24{kPlatPixelRgb, 24, 0xff0000, 0xff00, 0xff, 0};
  t.surfaceDesc.format = f24;
  uint8_t wide[2 * 8];
  std::memset(wide, 0xAA, sizeof(wide));
  ASSERT_EQ(wre_TextureFillSurface(&t, &o, wide, 8, 2, 2), 0);
  const uint8_t row0[8] = {255, 0, 0, 24, 16, 8, 0xAA, 0xAA};  // blue then (8, 16, 24), little-endian
  EXPECT_EQ(std::memcmp(wide, row0, 8), 0);
  EXPECT_EQ(wide[14], 0xAA);

  // Alpha is packed only for textures with alpha; 4444 source with alpha into 1555: bit from the top.
  uint16_t quads[2] = {0xF123, 0x7456};
  Offscreen q{};
  q.depth = 16;
  q.flags = kOffscreen4444 | kOffscreenAlpha;
  q.width = 2;
  q.height = 1;
  q.rowBytes = 4;
  q.pixelBytes = 4;
  q.pixels = reinterpret_cast<uint8_t*>(quads);
  t.surfaceDesc.format = k1555;
  t.flags = kTextureHasAlpha;
  uint8_t out[4] = {};
  ASSERT_EQ(wre_TextureFillSurface(&t, &q, out, 4, 2, 1), 0);
  EXPECT_EQ(Word(out), 0x8000 | (2 << 10) | (4 << 5) | 6);  // 0x10, 0x20, 0x30 -> 2, 4, 6 in 5 bits
  EXPECT_EQ(Word(out + 2) & 0x8000, 0);
  // A level of another size than its surface is refused.
  EXPECT_EQ(wre_TextureFillSurface(&t, &q, out, 4, 1, 1), kTextureErrSize);
  q.depth = 12;
  EXPECT_EQ(wre_TextureFillSurface(&t, &q, out, 4, 2, 1), kTextureErrConvertDepth);
}

// ---- Direct3D through the device stand-in ----

class Direct3DTextures : public TextureTest {
 protected:
  void SetUp() override {
    TextureTest::SetUp();
    UseKind(kRendererDirect3D);
    camera_ = GameCamera();
    ASSERT_NE(camera_, nullptr);
    context_ = camera_->context;
    ASSERT_NE(context_->device, nullptr);
    live_ = plat_TestD3DLiveObjects();
  }
  void TearDown() override {
    wre_TextureReleaseAll();
    EXPECT_EQ(plat_TestD3DLiveObjects(), live_);
    wre_CameraDispose(camera_, 1);
    TextureTest::TearDown();
  }
  std::vector<uint8_t> Read(PlatD3DTexture* surface, int32_t* pitch) {
    void* pixels = nullptr;
    PlatSurfaceDesc desc{};
    plat_D3DTextureDescribe(surface, &desc);
    EXPECT_EQ(plat_D3DTextureLock(surface, &pixels, pitch), 0);
    auto* p = static_cast<uint8_t*>(pixels);
    std::vector<uint8_t> bytes(p, p + static_cast<size_t>(*pitch) * static_cast<size_t>(desc.height));
    plat_D3DTextureUnlock(surface);
    return bytes;
  }
  Camera* camera_ = nullptr;
  DrawingContext* context_ = nullptr;
  int32_t live_ = 0;
};

TEST_F(Direct3DTextures, VideoMemoryTextureIsLoadedFromItsStagingCopy) {
  Offscreen* rgb = Image(24, 0, 2, 2, [](int32_t x, int32_t y) {
    const Px px[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {8, 16, 24}};
    return px[x + 2 * y];
  });
  ASSERT_EQ(wre_TextureCreate(rgb, context_, 0, "rgb"), 0);
  const Texture& t = gTextureTable[0];
  EXPECT_TRUE(wre_TextureInVideoMemory(&t));
  ASSERT_NE(t.surface, nullptr);
  EXPECT_NE(t.staging, t.surface);
  EXPECT_EQ(t.surfaceDesc.flags, 0x1007u);
  EXPECT_EQ(t.surfaceDesc.caps, 0x4005000u);
  EXPECT_TRUE(SameFormat(t.surfaceDesc.format, k555));
  EXPECT_EQ(t.pixelClass, kTexturePixel24);
  EXPECT_EQ(t.formatCode, kTextureCode555);
  EXPECT_NE(t.d3dHandle, 0u);
  EXPECT_EQ(plat_D3DDeviceTextureFromHandle(context_->device, t.d3dHandle), t.surface);
  int32_t pitch = 0;
  std::vector<uint8_t> texels = Read(t.surface, &pitch);
  EXPECT_EQ(Word(&texels[0]), 0x001F);
  EXPECT_EQ(Word(&texels[2]), 0x0443);
  EXPECT_EQ(Word(&texels[pitch]), 0x7C00);
  EXPECT_EQ(Word(&texels[pitch + 2]), 0x03E0);

  // Without video memory the texture lies in system memory and is its own staging copy.
  plat_TestD3DFailTextures(true, false, false);
  ASSERT_EQ(wre_TextureCreate(rgb, context_, 0, "system"), 0);
  const Texture& s = gTextureTable[1];
  EXPECT_FALSE(wre_TextureInVideoMemory(&s));
  EXPECT_EQ(s.staging, s.surface);
  EXPECT_EQ(s.surfaceDesc.caps, 0x1800u);
  std::vector<uint8_t> same = Read(s.surface, &pitch);
  EXPECT_EQ(Word(&same[2]), 0x0443);
  // No surface at all: the creation fails and the slot stays free.
  plat_TestD3DFailTextures(false, false, true);
  EXPECT_EQ(wre_TextureCreate(rgb, context_, 0, "none"), -1);
  EXPECT_FALSE(wre_TextureInUse(2));
  EXPECT_EQ(wre_TextureRelease(0), 0);
  EXPECT_EQ(plat_D3DDeviceTextureFromHandle(context_->device, t.d3dHandle), nullptr);
}

TEST_F(Direct3DTextures, PaletteFormatsCarryTheIndicesAndThePalette) {
  Offscreen* image = Indexed(4, 2);
  image->paletteCount = 8;
  ASSERT_EQ(wre_TextureCreate(image, context_, 0, "pal"), 0);
  const Texture& t = gTextureTable[0];
  EXPECT_TRUE(SameFormat(t.surfaceDesc.format, kPal8));
  EXPECT_EQ(t.formatCode, kTextureCode8);
  int32_t pitch = 0;
  std::vector<uint8_t> texels = Read(t.surface, &pitch);
  const uint8_t bottom[4] = {4, 5, 6, 7};
  const uint8_t top[4] = {0, 1, 2, 3};
  EXPECT_EQ(std::memcmp(&texels[0], bottom, 4), 0);
  EXPECT_EQ(std::memcmp(&texels[pitch], top, 4), 0);
  PlatPaletteEntry entries[256];
  ASSERT_TRUE(plat_D3DPaletteGetEntries(plat_D3DTextureGetPalette(t.surface), entries));
  EXPECT_EQ(entries[3].red, 3);
  EXPECT_EQ(entries[3].green, 252);
  EXPECT_EQ(entries[3].blue, 1);
  EXPECT_EQ(entries[3].flags, 255);
  EXPECT_EQ(entries[8].flags, 0);  // past the image's palette count
}

TEST_F(Direct3DTextures, KeyedImagesKeepTheirAlphaInTheChosenFormat) {
  // 32-bit keyed (alpha, red, green, blue bytes) goes to 4444 with the alpha nibble; the clear
  // texel takes its opaque neighbour's colour.
  Offscreen* image = Image(32, kOffscreenAlpha, 2, 1, [](int32_t x, int32_t) {
    return x == 0 ? Px{0, 0x10, 0x20, 0x30} : Px{0xFF, 0x40, 0x50, 0x60};
  });
  ASSERT_EQ(wre_TextureCreate(image, context_, 0, "a"), 0);
  const Texture& t = gTextureTable[0];
  EXPECT_TRUE(SameFormat(t.surfaceDesc.format, k4444));
  EXPECT_EQ(t.flags & (kTextureHasAlpha | kTextureTranslucent), kTextureHasAlpha | kTextureTranslucent);
  int32_t pitch = 0;
  std::vector<uint8_t> texels = Read(t.surface, &pitch);
  EXPECT_EQ(Word(&texels[0]), 0x0456);
  EXPECT_EQ(Word(&texels[2]), 0xF456);
  EXPECT_EQ(t.formatCode, kTextureCode4444 | kTextureCodeKeyed);
}

TEST_F(Direct3DTextures, MipLevelsFillTheAttachedChainOrAreDroppedWithIt) {
  Offscreen* top = Plain(16, 4, 4);
  Offscreen* half = Image(16, kOffscreen555, 2, 2, [](int32_t x, int32_t y) {
    return Px{static_cast<uint8_t>(x + 2 * y), 0};
  });
  Offscreen* quarter = Image(16, kOffscreen555, 1, 1, [](int32_t, int32_t) { return Px{0x1F, 0}; });
  Offscreen* mips[2] = {half, quarter};
  int32_t handle = 0;
  ASSERT_EQ(wre_TextureFindFree(&handle), 0);
  ASSERT_EQ(wre_TextureDefine(handle, top, context_, 0, "m", nullptr, 0, 0, 0, 0, 2, mips), 0);
  const Texture& t = gTextureTable[handle];
  EXPECT_EQ(t.surfaceDesc.flags, 0x21007u);
  EXPECT_EQ(t.surfaceDesc.caps, 0x4405008u);
  EXPECT_EQ(t.surfaceDesc.mipCount, 3);
  PlatD3DTexture* level1 = plat_D3DTextureGetAttached(t.surface, 0x401000);
  ASSERT_NE(level1, nullptr);
  PlatD3DTexture* level2 = plat_D3DTextureGetAttached(level1, 0x401000);
  ASSERT_NE(level2, nullptr);
  EXPECT_EQ(plat_D3DTextureGetAttached(level2, 0x401000), nullptr);
  int32_t pitch = 0;
  std::vector<uint8_t> one = Read(level1, &pitch);
  EXPECT_EQ(Word(&one[0]), 2);  // the level's last row first
  EXPECT_EQ(Word(&one[pitch + 2]), 1);
  EXPECT_EQ(Word(&Read(level2, &pitch)[0]), 0x1F);

  // A device that refuses mip chains gets the top level alone.
  plat_TestD3DFailTextures(false, true, false);
  ASSERT_EQ(wre_TextureFindFree(&handle), 0);
  ASSERT_EQ(wre_TextureDefine(handle, top, context_, 0, "n", nullptr, 0, 0, 0, 0, 2, mips), 0);
  EXPECT_EQ(gTextureTable[handle].surfaceDesc.caps, 0x4005000u);
  EXPECT_EQ(plat_D3DTextureGetAttached(gTextureTable[handle].surface, 0x401000), nullptr);

  // A level of the wrong size is refused instead of written past its surface.
  plat_TestD3DFailTextures(false, false, false);
  Offscreen* wrong[2] = {quarter, half};
  ASSERT_EQ(wre_TextureFindFree(&handle), 0);
  EXPECT_EQ(wre_TextureDefine(handle, top, context_, 0, "w", nullptr, 0, 0, 0, 0, 2, wrong), kTextureErrSize);
  EXPECT_FALSE(wre_TextureInUse(handle));
}

// ---- Animated list and ripple textures ----

TEST_F(Textures, RippleTexturesStepInCreationOrderAndStopAtTheFirstError) {
  for (const char* name : {"a", "b", "c"}) {
    ASSERT_EQ(wre_TextureCreateEx(Indexed(8, 8), &none_, kTextureCreateRipple, name, nullptr, kRippleKind,
                                  kRippleKind, 0, 0),
              0);
  }
  ASSERT_EQ(gAnimatedTextures, &gTextureTable[0]);
  EXPECT_EQ(gTextureTable[0].animatedNext, &gTextureTable[1]);
  EXPECT_EQ(gTextureTable[1].animatedNext, &gTextureTable[2]);
  EXPECT_TRUE(gTextureTable[2].flags & kTextureAnimated);
  EXPECT_EQ(wre_TextureAnimatedAdd(&gTextureTable[1]), kTextureErrAnimatedLinked);

  EXPECT_EQ(wre_TextureRelease(1), 0);
  EXPECT_EQ(gTextureTable[1].ripple, nullptr);
  EXPECT_EQ(gTextureTable[0].animatedNext, &gTextureTable[2]);
  EXPECT_EQ(gTextureTable[2].animatedPrev, &gTextureTable[0]);
  EXPECT_EQ(wre_TextureAnimatedRemove(&gTextureTable[1]), kTextureErrAnimatedNotLinked);

  // A step with force fires every drop; a failing texture ends the round before the next one.
  for (int32_t h : {0, 2}) ASSERT_EQ(wre_RippleAddDrop(gTextureTable[h].ripple->simulation, 0, 0, 1, 1000), 0);
  gFrameTick = 50;
  EXPECT_EQ(wre_TextureAnimateAll(1), 0);
  EXPECT_EQ(gTextureTable[0].ripple->simulation->drops[0].lastTick, 50u);
  EXPECT_EQ(gTextureTable[2].ripple->simulation->drops[0].lastTick, 50u);
  gFrameTick = 60;
  gTextureTable[0].ripple->simulationKind = 7;
  EXPECT_EQ(wre_TextureAnimateAll(1), kRippleErrSimulationKind);
  EXPECT_EQ(gTextureTable[2].ripple->simulation->drops[0].lastTick, 50u);
  gTextureTable[0].ripple->simulationKind = kRippleKind;

  wre_TextureTableFree();
  EXPECT_EQ(wre_TextureAnimateAll(0), -1);
  EXPECT_EQ(gAnimatedTextures, nullptr);
}

TEST_F(Textures, ARippleThatCannotBeMadeGivesTheSlotBack) {
  object_test::BlockWatch watch;
  Offscreen* image = Indexed(8, 8);
  Forget(image);
  EXPECT_EQ(wre_TextureCreateEx(image, &software_, kTextureCreateRipple, "r", nullptr, 5, kRippleKind, 0, 0),
            kRippleErrRenderKind);
  EXPECT_FALSE(wre_TextureInUse(0));
  EXPECT_EQ(gAnimatedTextures, nullptr);
  // Mip levels rule the ripple out.
  Offscreen* mip = Indexed(4, 4);
  Forget(mip);
  ASSERT_EQ(wre_TextureDefine(0, image, &software_, kTextureCreateRipple, "m", nullptr, 5, 5, 0, 0, 1, &mip), 0);
  EXPECT_EQ(gTextureTable[0].ripple, nullptr);
  EXPECT_EQ(wre_TextureRelease(0), 0);
  wre_OffscreenDispose(image);
  wre_OffscreenDispose(mip);
  EXPECT_EQ(watch.Left(), 0);
}

TEST(TextureHelpers, UVScaleAndSmallAccessors) {
  float uv[2] = {255.0f, 51.0f};
  wre_UVScaleFrom255(uv);
  EXPECT_FLOAT_EQ(uv[0], 1.0f);
  EXPECT_FLOAT_EQ(uv[1], 0.2f);
  Texture t{};
  EXPECT_EQ(wre_TextureSetCreateFlags(nullptr, 1), kWreErrNull);
  wre_TextureSetVideoMemory(&t, true);
  EXPECT_TRUE(wre_TextureInVideoMemory(&t));
  wre_TextureSetVideoMemory(&t, false);
  EXPECT_FALSE(wre_TextureInVideoMemory(&t));
  EXPECT_EQ(wre_TexturePixelClass(nullptr), kTexturePixelNone);
  Offscreen o{};
  o.depth = 16;
  EXPECT_EQ(wre_TexturePixelClass(&o), kTexturePixelNone);
  o.flags = kOffscreen565;
  EXPECT_EQ(wre_TexturePixelClass(&o), kTexturePixel565);
  o.depth = 4;
  EXPECT_EQ(wre_TexturePixelClass(&o), kTexturePixel4);
}

}  // namespace

namespace {

TEST(TextureParticles, AParticleSetMustNameATextureOfTheTable) {
  wre_MemoryInit();
  ASSERT_EQ(wre_TextureTableInit(4), 0);
  EngineObject* object = nullptr;
  // An index outside the table resolves to nothing; one inside it does.
  EXPECT_EQ(wre_ParticleObjectNew(&object, kObjectParticles, 8, -1, 7, 0), -30000);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(wre_ParticleObjectNew(&object, kObjectParticles, 8, -1, 2, 0), 0);
  if (object) wre_ObjectDispose(object);
  wre_TextureTableFree();
}

}  // namespace

namespace {

TEST(TexturePolygons, KeyedTexturesAndTranslucentMaterialsAreDrawnUnlit) {
  wre_MemoryInit();
  ASSERT_EQ(wre_TextureTableInit(4), 0);
  ASSERT_EQ(wre_MaterialTableInit(4), 0);
  for (int32_t h = 0; h < 4; ++h) {
    wre_TextureMapIndex(h, h);
    wre_MaterialMapIndex(h, h);
  }
  gTextureTable[1].flags |= kTextureHasAlpha;
  gMaterialTable[0].colourA.alpha = gColourMax;
  gMaterialTable[2].colourA.alpha = gColourMax * 0.5f;
  ObjectPolygon polygon{};
  polygon.texture = kNoTexture;
  polygon.material = 0;
  EXPECT_FALSE(wre_PolygonDrawnUnlit(&polygon));
  polygon.texture = 0;
  EXPECT_FALSE(wre_PolygonDrawnUnlit(&polygon));
  polygon.texture = 1;
  EXPECT_TRUE(wre_PolygonDrawnUnlit(&polygon));
  polygon.texture = kNoTexture;
  polygon.material = 2;
  EXPECT_TRUE(wre_PolygonDrawnUnlit(&polygon));
  EXPECT_FALSE(wre_PolygonDrawnUnlit(nullptr));
  wre_MaterialTableFree();
  wre_TextureTableFree();
}

}  // namespace
