#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/data/ripple.h"
#include "engine/data/texture.h"
#include "engine/data/texture_list.h"
#include "tests/engine/data/texture_test_support.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/texture_images.h"
#include "tools/datagen/texture_list_writer.h"

namespace {

std::string Fixture(const char* name) {
  std::filesystem::path path = std::filesystem::path(__FILE__).parent_path() / "fixtures" / name;
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Every token line of the data with the result of its read; stops at the end or the first error.
struct Lines {
  std::vector<TextureListLine> lines;
  int32_t result = 0;
};

Lines ReadAll(const std::string& data, bool unload = false) {
  std::vector<char> bytes(data.begin(), data.end());
  const char* text = bytes.data();
  int32_t remaining = static_cast<int32_t>(bytes.size());
  Lines out;
  for (int guard = 0; guard < 1000; ++guard) {
    TextureListLine line;
    out.result = unload ? TextureListReadUnloadLine(&text, &remaining, &line)
                        : TextureListReadLine(&text, &remaining, &line);
    if (out.result != 0 || line.id == kCodexEnd) break;
    if (line.id > 0) out.lines.push_back(line);
  }
  return out;
}

TEST(TextureListTest, EveryLineYieldsItsFields) {
  Lines all = ReadAll(Fixture("texture.codx"));
  ASSERT_EQ(all.result, 0);
  std::vector<int32_t> ids;
  for (const auto& line : all.lines) ids.push_back(line.id);
  std::vector<int32_t> expected = {1, 10, 2, 5, 6, 7, 8, 9, 3, 10, 4, 11, 12, 13};
  ASSERT_EQ(ids, expected);
  const auto& l = all.lines;
  EXPECT_STREQ(l[0].file, "sky.bmp");
  EXPECT_STREQ(l[1].file, "vqz_SkyTexture");
  EXPECT_EQ(l[2].red, 255);
  EXPECT_EQ(l[2].green, 0);
  EXPECT_EQ(l[2].blue, 255);
  EXPECT_EQ(l[3].depth, 16);
  // Depth first on a keyed depth line, depth last on a keyed mip line.
  EXPECT_EQ(l[4].depth, 16);
  EXPECT_EQ(l[4].red, 250);
  EXPECT_EQ(l[4].blue, 249);
  EXPECT_EQ(l[5].depth, 24);
  EXPECT_STREQ(l[5].opacityFile, "spray_opacity.bmp");
  EXPECT_EQ(l[6].depth, 16);
  EXPECT_EQ(l[7].red, 251);
  EXPECT_EQ(l[7].blue, 248);
  EXPECT_EQ(l[7].depth, 32);
  EXPECT_EQ(l[8].modifierKind, kTextureModifierDisplacementMap);
  EXPECT_EQ(l[8].effectKind, kTextureEffectDropWavelet);
  EXPECT_STREQ(l[10].file, "ripple two.bmp");
  EXPECT_EQ(l[10].red, 1);
  EXPECT_EQ(l[10].effectKind, kTextureEffectDropWavelet);
  EXPECT_STREQ(l[11].file, "ripple");
  EXPECT_EQ(l[11].damping, 0.05f);
  EXPECT_EQ(l[12].dropX, 128);
  EXPECT_EQ(l[12].dropY, 64);
  EXPECT_EQ(l[12].dropStrength, 300);
  EXPECT_EQ(l[12].dropInterval, 30);
}

TEST(TextureListTest, ProceduralLinesCheckModifierAndEffect) {
  const std::string tail = "// end of file\n";
  EXPECT_EQ(ReadAll("kVKT_ProceduralTexture r.bmp kVKT_TextureModifier_Other x\n" + tail).result,
            kTextureListErrModifier);
  EXPECT_EQ(ReadAll("kVKT_ProceduralTexture r.bmp kVKT_TextureModifier_DisplacementMap Other\n" + tail).result,
            kTextureListErrEffect);
  EXPECT_EQ(ReadAll("kVKT_ProceduralTexture r.bmp kVKT_TextureModifier_DisplacementMap\n" + tail).result,
            kCodexErrLineEnded);
  // Trailing words after the effect are skipped with the line.
  Lines extra = ReadAll(
      "kVKT_ProceduralTexture r.bmp kVKT_TextureModifier_DisplacementMapX KVKT_TextureEffect_DropWaveletY more\n"
      "kVKT_Texture next.bmp\n" +
      tail);
  ASSERT_EQ(extra.result, 0);
  ASSERT_EQ(extra.lines.size(), 2u);
  EXPECT_STREQ(extra.lines[1].file, "next.bmp");

  int32_t kind = 0;
  const char* text = "KVKT_TEXTUREMODIFIER_DISPLACEMENTMAP";
  int32_t remaining = 36;
  EXPECT_EQ(wre_CodexReadModifierKind(&text, &remaining, &kind), 0);
  EXPECT_EQ(kind, kTextureModifierDisplacementMap);
  EXPECT_EQ(wre_CodexReadEffectKind(&text, &remaining, nullptr), kCodexErrNull);
  EXPECT_EQ(wre_CodexReadEffectKind(&text, &remaining, &kind), kCodexErrNothing);
}

TEST(TextureListTest, MalformedLinesAreErrorsNotTheEnd) {
  const std::string tail = "// end of file\n";
  Lines partial = ReadAll("kVKT_Texture a.bmp\nkVKT_BasicAlpha_Texture b.bmp 1 2\nkVKT_Texture c.bmp\n" + tail);
  EXPECT_EQ(partial.result, kCodexErrLineEnded);
  ASSERT_EQ(partial.lines.size(), 1u);
  EXPECT_EQ(ReadAll("kVKT_OpacityRequestDepthTexture s.bmp 16\n" + tail).result, kCodexErrLineEnded);
  // A malformed world line in a texture list is still an error.
  EXPECT_EQ(ReadAll("kVKT_AmbientLightColor 1 2\n" + tail).result, kCodexErrLineEnded);
}

TEST(TextureListTest, UnloadReadsEveryFileName) {
  Lines all = ReadAll(Fixture("texture.codx"), true);
  ASSERT_EQ(all.result, 0);
  std::vector<std::string> files;
  for (const auto& line : all.lines) {
    if (line.id >= kCodexTexture && line.id <= kCodexAlphaMipDepthRequestTexture) files.push_back(line.file);
  }
  std::vector<std::string> expected = {"sky.bmp",    "buoy.bmp",   "water.bmp",  "flag.bmp",      "spray.bmp",
                                       "ground.bmp", "fence.bmp",  "ripple.bmp", "ripple two.bmp"};
  EXPECT_EQ(files, expected);
  EXPECT_EQ(all.lines.size(), 14u);  // the rest of every line is skipped whole
}

TEST(TextureListTest, GeneratedListReadsBack) {
  CodexWriter writer;
  CodexWriteComment(writer, "textures of this folder");
  TextureListAddTexture(writer, "sky.bmp");
  TextureListSetIdent(writer, "vqz_SkyTexture");
  TextureListAddKeyed(writer, "buoy one.bmp", 255, 0, 255);
  TextureListAddProcedural(writer, "ripple.bmp");
  TextureListSetIdent(writer, "ripple");
  TextureListSetDamping(writer, "ripple", 0.05f);
  TextureListAddDrop(writer, "ripple", 128, 200, 300, 30);
  TextureListAddProceduralKeyed(writer, "ripple2.bmp", 1, 2, 3);
  TextureListAddDepth(writer, "water.bmp", 16);
  TextureListAddDepthKeyed(writer, "flag.bmp", 24, 9, 8, 7);
  TextureListAddOpacity(writer, "spray.bmp", 32, "spray_opacity.bmp");
  TextureListAddMip(writer, "ground.bmp", 16);
  TextureListAddMipKeyed(writer, "fence,wire.bmp", 6, 5, 4, 16);
  std::string data = CodexFinish(writer);
  ASSERT_TRUE(writer.ok);

  Lines all = ReadAll(data);
  ASSERT_EQ(all.result, 0);
  std::vector<int32_t> ids;
  for (const auto& line : all.lines) ids.push_back(line.id);
  std::vector<int32_t> expected = {1, 10, 2, 3, 10, 11, 12, 4, 5, 6, 7, 8, 9};
  ASSERT_EQ(ids, expected);
  const auto& l = all.lines;
  EXPECT_STREQ(l[2].file, "buoy one.bmp");
  EXPECT_EQ(l[2].blue, 255);
  EXPECT_EQ(l[3].effectKind, kTextureEffectDropWavelet);
  EXPECT_EQ(l[5].damping, 0.05f);
  EXPECT_EQ(l[6].dropY, 200);
  EXPECT_EQ(l[7].blue, 3);
  EXPECT_EQ(l[7].modifierKind, kTextureModifierDisplacementMap);
  EXPECT_EQ(l[9].depth, 24);
  EXPECT_EQ(l[9].red, 9);
  EXPECT_STREQ(l[10].opacityFile, "spray_opacity.bmp");
  EXPECT_EQ(l[10].depth, 32);
  EXPECT_STREQ(l[12].file, "fence,wire.bmp");
  EXPECT_EQ(l[12].red, 6);
  EXPECT_EQ(l[12].depth, 16);
  EXPECT_EQ(ReadAll(data, true).lines.size(), expected.size());
}

// Texture lists loaded through the texture module, from images written into a temporary data folder.
class TextureListLoad : public texture_test::TextureTest {
 protected:
  void SetUp() override {
    TextureTest::SetUp();
    wre_TextureTableFree();
    ASSERT_EQ(wre_TextureTableInit(16), 0);
    wre_CodexFlagsReset();
    ASSERT_EQ(wre_FolderSet(dir_.str().c_str()), 0);
    for (const char* file : {"sky.bmp", "buoy.bmp", "ripple.bmp", "ripple2.bmp", "water.bmp", "flag.bmp"}) {
      ASSERT_TRUE(TextureImagesWrite(dir_.str(), TextureImageSpec{file, 16, 16, 0, "", 3}));
    }
    ASSERT_TRUE(TextureImagesWrite(dir_.str(), TextureImageSpec{"spray.bmp", 16, 16, 0, "spray_opacity.bmp", 4}));
    ASSERT_TRUE(TextureImagesWrite(dir_.str(), TextureImageSpec{"ground.bmp", 16, 16, 4, "", 5}));
    ASSERT_TRUE(TextureImagesWrite(dir_.str(), TextureImageSpec{"fence.bmp", 16, 16, 4, "", 6}));
  }
  void TearDown() override {
    wre_FolderSet(nullptr);
    wre_CodexFlagsReset();
    TextureTest::TearDown();
  }

  int32_t LoadList(const std::string& text) {
    // Read, as the game does, from the current data folder that holds the images.
    dir_.Write("texture.codx", text);
    return wre_CodexLoadTextures("texture.codx", 0, &software_);
  }
  static int32_t InUse() {
    int32_t count = 0;
    for (int32_t i = 0; i < gTextureCount; ++i) count += (gTextureTable[i].flags & kTextureInUse) ? 1 : 0;
    return count;
  }
  static Texture* ByFile(const char* file) { return wre_TextureGet(wre_TextureFindByFile(file)); }

  TempDir dir_;
};

std::string EveryTokenList() {
  CodexWriter writer;
  TextureListAddTexture(writer, "sky.bmp");
  TextureListSetIdent(writer, "vqz_SkyTexture");
  TextureListAddKeyed(writer, "buoy.bmp", 255, 0, 255);
  TextureListAddProcedural(writer, "ripple.bmp");
  TextureListSetIdent(writer, "ripple");
  TextureListSetDamping(writer, "RIPPLE", 0.25f);
  TextureListAddDrop(writer, "ripple", 128, 64, 300, 30);
  TextureListAddProceduralKeyed(writer, "ripple2.bmp", 1, 2, 3);
  TextureListSetIdent(writer, "ripple2");
  TextureListAddDepth(writer, "water.bmp", 16);
  TextureListSetIdent(writer, "water");
  TextureListAddDepthKeyed(writer, "flag.bmp", 16, 255, 0, 255);
  TextureListAddOpacity(writer, "spray.bmp", 16, "spray_opacity.bmp");
  TextureListAddMip(writer, "ground.bmp", 16);
  TextureListAddMipKeyed(writer, "fence.bmp", 255, 0, 255, 16);
  // After mip textures an ident still names the last texture of the other kinds.
  TextureListSetIdent(writer, "spray");
  std::string data = CodexFinish(writer);
  EXPECT_TRUE(writer.ok);
  return data;
}

TEST_F(TextureListLoad, EveryTokenLoadsWhatItNamesAndUnloadReleasesIt) {
  const std::string list = EveryTokenList();
  ASSERT_EQ(LoadList(list), 0);
  EXPECT_EQ(InUse(), 9);
  for (const char* file : {"sky.bmp", "buoy.bmp", "ripple.bmp", "ripple2.bmp", "water.bmp", "flag.bmp", "spray.bmp",
                           "ground.bmp", "fence.bmp"}) {
    SCOPED_TRACE(file);
    ASSERT_NE(ByFile(file), nullptr);
    EXPECT_EQ(ByFile(file)->context, &software_);
  }
  EXPECT_STREQ(ByFile("sky.bmp")->ident, "vqz_SkyTexture");
  EXPECT_STREQ(ByFile("ripple2.bmp")->ident, "ripple2");
  EXPECT_STREQ(ByFile("water.bmp")->ident, "water");
  EXPECT_STREQ(ByFile("spray.bmp")->ident, "spray");
  EXPECT_STREQ(ByFile("fence.bmp")->ident, " ");
  EXPECT_EQ(wre_TextureGetByIdent("Ripple"), ByFile("ripple.bmp"));

  // Keys: the colour-keyed lines carry alpha, the plain ones and the keyed procedural one do not.
  for (const char* file : {"buoy.bmp", "flag.bmp", "spray.bmp", "fence.bmp"}) {
    EXPECT_TRUE(ByFile(file)->flags & kTextureHasAlpha) << file;
  }
  for (const char* file : {"sky.bmp", "ripple.bmp", "ripple2.bmp", "water.bmp", "ground.bmp"}) {
    EXPECT_FALSE(ByFile(file)->flags & kTextureHasAlpha) << file;
  }

  // Procedural lines get a drop-wavelet ripple, set up by the effect lines.
  for (const char* file : {"ripple.bmp", "ripple2.bmp"}) {
    Texture* t = ByFile(file);
    ASSERT_NE(t->ripple, nullptr) << file;
    EXPECT_EQ(t->ripple->simulationKind, kRippleKind);
    EXPECT_TRUE(t->flags & kTextureAnimated);
  }
  const RippleSimulation* sim = ByFile("ripple.bmp")->ripple->simulation;
  EXPECT_EQ(sim->damping, 0.25f);
  ASSERT_EQ(sim->dropCount, 1);
  EXPECT_EQ(sim->drops[0].cellX, 8);  // 128 of 256 on a 16-cell grid
  EXPECT_EQ(sim->drops[0].cellY, 4);
  EXPECT_EQ(sim->drops[0].strength, 300);
  EXPECT_EQ(sim->drops[0].interval, 30);
  EXPECT_EQ(ByFile("sky.bmp")->ripple, nullptr);

  // Unloading the same file releases every texture it made, by file name.
  ASSERT_EQ(wre_CodexSetMode(1), 0);
  EXPECT_EQ(LoadList(list), 0);
  EXPECT_EQ(InUse(), 0);
  EXPECT_EQ(gAnimatedTextures, nullptr);

  // Any other mode reads the file and does nothing.
  gCodexMode = 2;
  EXPECT_EQ(LoadList(list), 0);
  EXPECT_EQ(InUse(), 0);
}

TEST_F(TextureListLoad, FailuresEndTheLoadWithTheirCode) {
  const std::string tail = "// end of file\n";
  EXPECT_EQ(wre_CodexLoadTextures("missing.codx", 0, &software_), -1);
  EXPECT_EQ(wre_TextureCodexLoad(nullptr, 10, &software_), -1);
  EXPECT_EQ(wre_TextureCodexLoad("x", 0, &software_), -1);
  EXPECT_EQ(wre_TextureCodexUnload(nullptr, 10, &software_), -1);

  // An ident before any texture.
  EXPECT_EQ(LoadList("kVKT_SetTextureIdent sky\nkVKT_Texture sky.bmp\n" + tail), kTextureListErrNoTarget);
  EXPECT_EQ(InUse(), 0);
  // Mip textures are no target either.
  EXPECT_EQ(LoadList("kVKT_MipDepthRequest_Texture ground.bmp 16\nkVKT_SetTextureIdent g\n" + tail),
            kTextureListErrNoTarget);
  EXPECT_EQ(InUse(), 1);
  EXPECT_EQ(wre_TextureReleaseAll(), 0);

  // A malformed line ends the load with the reader's code, not with success; what came before stays.
  EXPECT_EQ(LoadList("kVKT_Texture sky.bmp\nkVKT_BasicAlpha_Texture buoy.bmp 255 0\nkVKT_Texture water.bmp\n" + tail),
            kCodexErrLineEnded);
  EXPECT_EQ(InUse(), 1);
  EXPECT_NE(ByFile("sky.bmp"), nullptr);
  // Unloading the same list releases what the load made and stops at the same line.
  ASSERT_EQ(LoadList("kVKT_Texture water.bmp\n" + tail), 0);
  ASSERT_EQ(wre_CodexSetMode(1), 0);
  EXPECT_EQ(LoadList("kVKT_Texture sky.bmp\nkVKT_BasicAlpha_Texture buoy.bmp 255 0\nkVKT_Texture water.bmp\n" + tail),
            0);
  EXPECT_EQ(InUse(), 1);
  EXPECT_NE(ByFile("water.bmp"), nullptr);
  ASSERT_EQ(wre_CodexSetMode(0), 0);
  EXPECT_EQ(wre_TextureReleaseAll(), 0);

  // Procedural lines must name the displacement map and the drop wavelet.
  EXPECT_EQ(LoadList("kVKT_ProceduralTexture ripple.bmp kVKT_TextureModifier_Other KVKT_TextureEffect_DropWavelet\n" +
                     tail),
            kTextureListErrModifier);
  EXPECT_EQ(LoadList("kVKT_ProceduralTexture ripple.bmp kVKT_TextureModifier_DisplacementMap wobble\n" + tail),
            kTextureListErrEffect);
  EXPECT_EQ(InUse(), 0);

  // A loader's own failure: an image file that is not there.
  EXPECT_EQ(LoadList("kVKT_Texture sky.bmp\nkVKT_Texture nowhere.bmp\nkVKT_Texture water.bmp\n" + tail),
            kFileErrOpenRead);
  EXPECT_EQ(InUse(), 1);
  // A world line inside a texture list is read and does nothing; a malformed one still ends the load.
  EXPECT_EQ(LoadList("kVKT_AmbientLightPercentage 50\nkVKT_Texture water.bmp\n" + tail), 0);
  EXPECT_EQ(InUse(), 2);
  EXPECT_EQ(LoadList("kVKT_AmbientLightColor 1 1\nkVKT_Texture flag.bmp\n" + tail), kCodexErrLineEnded);
  EXPECT_EQ(InUse(), 2);
  // Light and reference lines are passed over whole: nothing in their rest is taken for a line.
  EXPECT_EQ(LoadList("kVKT_PointLightSource kVKT_Texture flag.bmp 1 2 3 4 5 6 7 8 9 10\n"
                     "kVKT_ExternalRef kVKT_Texture flag.bmp\n" + tail),
            0);
  EXPECT_EQ(InUse(), 2);
  EXPECT_EQ(wre_TextureFindByFile("flag.bmp"), -1);
}

TEST_F(TextureListLoad, EffectLinesNeedADropWaveletTexture) {
  ASSERT_EQ(LoadList("kVKT_ProceduralTexture ripple.bmp kVKT_TextureModifier_DisplacementMap "
                     "KVKT_TextureEffect_DropWavelet\nkVKT_SetTextureIdent ripple\n"
                     "kVKT_Texture sky.bmp\nkVKT_SetTextureIdent sky\n// end of file\n"),
            0);
  EXPECT_EQ(wre_CodexRippleSetDamping(nullptr, 0.5f), kCodexErrNull);
  EXPECT_EQ(wre_CodexRippleSetDamping("nobody", 0.5f), kTextureListErrNoSuchIdent);
  EXPECT_EQ(wre_CodexRippleAddDrop("sky", 1, 1, 1, 1), kTextureListErrNotDropWavelet);
  EXPECT_EQ(LoadList("kVKT_EffectMod_DropWavelet_AddDrop sky 1 1 1 1\nkVKT_Texture water.bmp\n// end of file\n"),
            kTextureListErrNotDropWavelet);
  EXPECT_EQ(wre_TextureFindByFile("water.bmp"), -1);

  Ripple* ripple = ByFile("ripple.bmp")->ripple;
  ASSERT_NE(ripple, nullptr);
  for (int32_t i = 0; i < kRippleDropLimit; ++i) ASSERT_EQ(wre_CodexRippleAddDrop("ripple", i, i, 10, 5), 0);
  EXPECT_EQ(wre_CodexRippleAddDrop("ripple", 0, 0, 10, 5), kRippleErrDropsFull);
  EXPECT_EQ(ripple->simulation->dropCount, kRippleDropLimit);

  RippleSimulation* simulation = ripple->simulation;
  ripple->simulation = nullptr;
  EXPECT_EQ(wre_CodexRippleSetDamping("ripple", 0.5f), kTextureListErrNoSimulation);
  ripple->simulationKind = kRippleKind + 1;
  EXPECT_EQ(wre_CodexRippleSetDamping("ripple", 0.5f), kTextureListErrNotDropWavelet);
  ripple->simulationKind = kRippleKind;
  ripple->simulation = simulation;
  EXPECT_EQ(wre_CodexRippleSetDamping("ripple", 0.5f), 0);
  EXPECT_EQ(simulation->damping, 0.5f);
}

}  // namespace

