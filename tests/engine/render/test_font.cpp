#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/core/files.h"
#include "engine/data/font.h"
#include "engine/render/font_draw.h"
#include "pipeline_fixture.h"

namespace {

using pipeline_test::PipelineFixture;

class Fonts : public PipelineFixture {
 protected:
  void SetUp() override {
    PipelineFixture::SetUp();
    ASSERT_EQ(wre_FontInit(), 0);
    folder_ = std::filesystem::temp_directory_path() /
              ("vh_font_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    ASSERT_EQ(wre_FolderSet(folder_.c_str()), 0);
  }
  void TearDown() override {
    wre_FolderSet(nullptr);
    std::filesystem::remove_all(folder_);
    EXPECT_EQ(wre_FontTerm(), 0);
    PipelineFixture::TearDown();
  }
  void Write(const char* name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }
  Font* NewFont() {
    Font* font = nullptr;
    EXPECT_EQ(wre_FontNew(&font), 0);
    return font;
  }
  static void Glyph(Font* font, char c, float width, float height) {
    const float rect[4] = {0, 0, width, height};
    ASSERT_EQ(wre_FontSetGlyph(font, 1, 0, static_cast<uint8_t>(c), rect), 0);
  }
  std::filesystem::path folder_;
};

TEST_F(Fonts, DefinitionsLoadWithQuotedSeparatorCharacters) {
  Write("font_test.codx",
        "// a font\r\n"
        "kVKT_FontCharacterDef A tex1 0 0 10 20\r\n"
        "kVKT_FontCharacterDef \" \" tex1 10 0 14 20\r\n"
        "kVKT_FontCharacterDef \",\" \"tex1\" 14, 0, 16, 20\r\n"
        "kVKT_FontCharacterDef \"\"\" tex2 16 0 18 20\r\n"
        "kVKT_Other 1 2 3\r\n"
        "\tkVKT_FontCharacterDef 0 tex1 20.5 30 30 5\n");
  Font* font = nullptr;
  ASSERT_EQ(wre_FontLoadDefinition(&font, "font_test.codx", 0), 0);
  ASSERT_NE(font, nullptr);
  for (char c : std::string("A ,\"0")) {
    EXPECT_TRUE(font->glyphs[static_cast<uint8_t>(c)].flags & kGlyphDefined) << c;
  }
  EXPECT_EQ(font->glyphs['"'].texture, 2);
  EXPECT_FLOAT_EQ(font->glyphs[','].left, 14.0f);
  EXPECT_FLOAT_EQ(font->glyphs[','].width, 2.0f);
  const FontGlyph& zero = font->glyphs['0'];
  EXPECT_FLOAT_EQ(zero.width, 9.5f);
  EXPECT_FLOAT_EQ(zero.height, 25.0f);  // |bottom - top|
  EXPECT_EQ(zero.material, 0);
  EXPECT_FALSE(font->glyphs['k'].flags & kGlyphDefined);

  // A texture that is not loaded ends the load; what was read stays, and the font stays listed.
  Write("font_bad.codx",
        "kVKT_FontCharacterDef A tex1 0 0 10 20\n"
        "kVKT_FontCharacterDef B nosuch.bmp 0 0 10 20\n"
        "kVKT_FontCharacterDef C tex1 0 0 10 20\n");
  Font* bad = nullptr;
  EXPECT_EQ(wre_FontLoadDefinition(&bad, "font_bad.codx", 0), kFontErrNoTexture);
  ASSERT_NE(bad, nullptr);
  EXPECT_TRUE(bad->glyphs['A'].flags & kGlyphDefined);
  EXPECT_FALSE(bad->glyphs['C'].flags & kGlyphDefined);
  EXPECT_EQ(wre_FontDispose(bad), 0);
  EXPECT_EQ(wre_FontDispose(bad), kFontErrNotListed);  // only the pointer is compared

  Font* missing = nullptr;
  EXPECT_EQ(wre_FontLoadDefinition(&missing, "font_none.codx", 0), kFontErrNoFile);
  EXPECT_EQ(wre_FontLoadDefinition(nullptr, "font_test.codx", 0), kFontErrArgument);
}

TEST_F(Fonts, AGlyphNeedsAMaterialInUse) {
  Font* font = NewFont();
  const float rect[4] = {0, 0, 5, 5};
  EXPECT_EQ(wre_FontSetGlyph(font, 1, 9, 'x', rect), kFontErrMaterial);
  EXPECT_FALSE(font->glyphs['x'].flags & kGlyphDefined);
  EXPECT_EQ(wre_FontSetGlyph(font, 1, 0, 'x', rect), 0);
  EXPECT_TRUE(font->glyphs['x'].flags & kGlyphDefined);
}

TEST_F(Fonts, StringsPlaceGlyphRectanglesAndAdvanceThePen) {
  Camera* camera = Cam(kRendererDirect3D);  // screen-space records are queued as they come
  Font* font = NewFont();
  Glyph(font, 'A', 10, 8);
  ASSERT_EQ(wre_FontSetScale(font, 2.0f, 1.0f), 0);
  EXPECT_FLOAT_EQ(font->scaledSpacing, 2.0f);
  font->penX = 10.7f;
  font->penY = 20.9f;
  font->depth = 5.0f;
  ASSERT_EQ(wre_FontDrawString(font, "AB", camera, 0), 0);  // B is not defined
  ASSERT_EQ(gPolyQueueOpaque.count, 2);  // one quad
  const PolygonRecord& first = gPolyQueueOpaque.base[0];
  EXPECT_FLOAT_EQ(first.v[0].x, 10.0f);
  EXPECT_FLOAT_EQ(first.v[0].y, 20.0f);
  EXPECT_FLOAT_EQ(first.v[1].x, 30.0f);  // trunc(10.7 + 20)
  EXPECT_FLOAT_EQ(first.v[2].y, 28.0f);  // trunc(20.9 + 8)
  EXPECT_FLOAT_EQ(font->penX, 10.7f + 22.0f);  // width x 2 + spacing x 2, once
  // Consecutive calls continue the line.
  ASSERT_EQ(wre_FontDrawString(font, "A", camera, 0), 0);
  EXPECT_FLOAT_EQ(gPolyQueueOpaque.base[2].v[0].x, 32.0f);
  ASSERT_EQ(wre_FontSetSpacing(font, 3.0f), 0);
  EXPECT_FLOAT_EQ(font->scaledSpacing, 6.0f);

  // At most 1024 characters of a longer string.
  ASSERT_EQ(wre_PolyQueuesInit(4096), 0);
  const std::string longText(1500, 'A');
  ASSERT_EQ(wre_FontDrawString(font, longText.c_str(), camera, 0), 0);
  EXPECT_EQ(gPolyQueueOpaque.count, 2048);
  EXPECT_EQ(wre_FontDrawString(nullptr, "A", camera, 0), kWreErrNull);
}

TEST_F(Fonts, RectanglesMapDepthAndCoordinatesPerRenderer) {
  const float source[4] = {51, 102, 204, 153};
  const float target[4] = {100, 50, 200, 80};
  gMaterialTable[0].colourB = ColourFloat{10, 20, 30, 99};
  Camera* d3d = Cam(kRendererDirect3D);
  ASSERT_EQ(wre_CameraDrawRect2D(3, 0, source, target, 4.0f, d3d, 0), 0);
  ASSERT_EQ(gPolyQueueOpaque.count, 2);
  const PolygonRecord& r = gPolyQueueOpaque.base[0];
  EXPECT_EQ(r.kind, kPolyTexturedFlat);
  EXPECT_EQ(r.flags, 0x14u);
  EXPECT_EQ(r.texture, 3);
  const float depth = (1.0f / 4.0f) * (4.0f * d3d->depthScale + d3d->depthOffset);
  EXPECT_FLOAT_EQ(r.v[0].z, depth);
  EXPECT_FLOAT_EQ(r.v[0].w, 1.0f);
  EXPECT_FLOAT_EQ(r.uv[0][0], 0.2f);              // left / 255
  EXPECT_FLOAT_EQ(r.uv[1][0], 0.8f);              // right / 255
  EXPECT_FLOAT_EQ(r.uv[0][1], 153.0f / 255.0f);   // (255 - top) / 255
  EXPECT_FLOAT_EQ(r.uv[2][1], 102.0f / 255.0f);   // (255 - bottom) / 255
  EXPECT_FLOAT_EQ(r.colour[1][1], 20.0f);
  EXPECT_FLOAT_EQ(r.colour[1][3], 0.0f);
  const PolygonRecord& second = gPolyQueueOpaque.base[1];
  EXPECT_FLOAT_EQ(second.v[0].x, 200.0f);
  EXPECT_FLOAT_EQ(second.v[1].y, 80.0f);
  EXPECT_FLOAT_EQ(second.uv[1][0], 0.2f);

  wre_PolyQueuesReset();
  Camera* gl = Cam(kRendererOpenGL);
  ASSERT_EQ(wre_CameraDrawRect2D(-1, 0, source, target, 4.0f, gl, 0), 0);
  ASSERT_EQ(gPolyQueueOpaque.count, 2);
  EXPECT_EQ(gPolyQueueOpaque.base[0].kind, kPolyPlain);
  EXPECT_EQ(gPolyQueueOpaque.base[0].texture, -1);
  EXPECT_FLOAT_EQ(gPolyQueueOpaque.base[0].v[0].z, depth * 2.0f - 1.0f);

  // Software: the depth stays a distance and the corners go back to camera space.
  wre_PolyQueuesReset();
  Camera* soft = Cam(kRendererSoftware);
  ASSERT_EQ(wre_CameraDrawRect2D(3, 0, source, target, 4.0f, soft, 0), 0);
  const PolygonRecord& s = gPolyQueueOpaque.base[0];
  EXPECT_FLOAT_EQ(s.v[0].z, 4.0f);
  EXPECT_FLOAT_EQ(s.v[0].x, 4.0f / soft->projectionScale * (100.0f - soft->halfWidth));

  // Outside the clip range nothing is drawn; a null rectangle is refused.
  EXPECT_EQ(wre_CameraDrawRect2D(3, 0, source, target, 0.5f, soft, 0), kFontErrDepth);
  EXPECT_EQ(wre_CameraDrawRect2D(3, 0, source, target, 1001.0f, soft, 0), kFontErrDepth);
  EXPECT_EQ(wre_CameraDrawRect2D(-1, 0, nullptr, target, 4.0f, soft, 0), kWreErrNull);
  EXPECT_EQ(gPolyQueueOpaque.count, 2);
  Font* font = NewFont();
  Glyph(font, 'A', 10, 8);
  font->depth = 0.0f;
  EXPECT_EQ(wre_FontDrawString(font, "AA", soft, 0), kFontErrDepth);
  EXPECT_FLOAT_EQ(font->penX, 0.0f);  // the first failure ended the string
}

TEST_F(Fonts, CharacterSizeAveragesGlyphsFromZeroUpward) {
  Font* font = NewFont();
  int32_t w = -1, h = -1;
  EXPECT_EQ(wre_FontGetCharSize(font, &w, &h), 0);  // no glyph from '0' on: no average
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  Glyph(font, '/', 500, 500);  // below '0': not counted
  Glyph(font, '0', 10, 7);
  Glyph(font, '1', 11, 8);
  ASSERT_EQ(wre_FontSetScale(font, 1.0f, 2.0f), 0);
  EXPECT_EQ(wre_FontGetCharSize(font, &w, &h), 0);
  EXPECT_FLOAT_EQ(font->averageWidth, 10.5f);
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 15);
  EXPECT_EQ(wre_FontGetCharSize(font, nullptr, nullptr), 0);
  // Only the first 25 defined glyphs count.
  for (int c = '2'; c < '0' + 25; ++c) Glyph(font, static_cast<char>(c), 10.5f, 7.5f);
  Glyph(font, static_cast<char>('0' + 25), 1000, 1000);
  EXPECT_EQ(wre_FontGetCharSize(font, &w, &h), 0);
  EXPECT_FLOAT_EQ(font->averageWidth, 10.5f);
}

TEST_F(Fonts, TheModuleMustBeStarted) {
  Font* font = NewFont();
  ASSERT_EQ(wre_FontTerm(), 0);  // frees the font
  EXPECT_EQ(wre_FontTerm(), kFontErrNotStarted);
  EXPECT_EQ(wre_FontNew(&font), kFontErrNotStarted);
  EXPECT_EQ(wre_FontDrawString(font, "A", nullptr, 0), kFontErrNotStarted);
  ASSERT_EQ(wre_FontInit(), 0);
}

}  // namespace
