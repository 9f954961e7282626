#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/data/texture_list.h"
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

}  // namespace
