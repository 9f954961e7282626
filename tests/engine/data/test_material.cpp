#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/core/colour_scale.h"
#include "engine/core/memory.h"
#include "engine/core/wre_types.h"
#include "engine/data/material.h"

namespace {

class MaterialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    SetRange(255.0f);
    wre_MaterialSetAmbientReader(nullptr);
    ASSERT_EQ(wre_MaterialTableInit(8), 0);
  }
  void TearDown() override {
    wre_MaterialTableFree();
    wre_MaterialSetAmbientReader(nullptr);
    SetRange(255.0f);
  }
  static void SetRange(float max) {
    gColourMax = max;
    gColourMaxAlpha = max;
    gColourToByte = max == 255.0f ? 1.0f : 255.0f;
  }
  static const Material& Slot(int32_t index) { return gMaterialTable[index]; }
};

TEST_F(MaterialTest, TableLifecycle) {
  EXPECT_EQ(gMaterialCount, 8);
  EXPECT_EQ(gMaterialModuleStarted, 1);
  EXPECT_EQ(wre_MaterialFindFree(), 0);
  ASSERT_EQ(wre_MaterialTableFree(), 0);
  EXPECT_EQ(gMaterialTable, nullptr);
  EXPECT_EQ(gMaterialIndexMap, nullptr);
  EXPECT_EQ(gMaterialCount, 0);
  EXPECT_EQ(wre_MaterialTableFree(), -1);
  EXPECT_EQ(wre_MaterialFindFree(), -1);
  EXPECT_EQ(wre_MaterialReleaseAll(), kMaterialErrNotStarted);
  EXPECT_EQ(wre_MaterialCreate(1, 1, 1, 1, 1, 1, 1, 1, "x"), -1);
  EXPECT_EQ(wre_MaterialFind(0, 0, 0, 0, 1, 0, 0, 0, 0), -1);
  EXPECT_EQ(wre_MaterialOpacityResetAll(nullptr), -1);
  EXPECT_EQ(wre_MaterialTableInit(0), -1);
  EXPECT_EQ(gMaterialModuleStarted, 0);
  EXPECT_EQ(wre_MaterialTableInit(-3), -1);
  ASSERT_EQ(wre_MaterialTableInit(2), 0);
  // A second start replaces the table.
  ASSERT_EQ(wre_MaterialTableInit(3), 0);
  EXPECT_EQ(gMaterialCount, 3);
}

TEST_F(MaterialTest, DefineStoresColoursUnscaledWithDefaults) {
  gLightingDirty = 0;
  ColourFloat a{300.0f, -5.0f, 10.0f, 255.0f};
  ColourFloat b{1.0f, 2.0f, 3.0f, 4.0f};
  ASSERT_EQ(wre_MaterialDefine(3, &a, &b, nullptr), 0);
  const Material& m = Slot(3);
  EXPECT_EQ(m.inUse, 1);
  EXPECT_EQ(m.colourA.red, 300.0f);
  EXPECT_EQ(m.colourA.green, -5.0f);
  EXPECT_EQ(m.colourB.alpha, 4.0f);
  EXPECT_STREQ(m.name, "material");
  EXPECT_STREQ(m.ident, " ");
  EXPECT_EQ(m.ambientResponse, 1.0f);
  EXPECT_TRUE(wre_MaterialIsShareable(3));
  EXPECT_EQ(gMaterialIndexMap[3], 3);
  EXPECT_EQ(gLightingDirty, 1);

  // A slot in use is not redefined; handles outside the table are refused.
  ColourFloat other{9.0f, 9.0f, 9.0f, 9.0f};
  EXPECT_EQ(wre_MaterialDefine(3, &other, &other, "again"), -1);
  EXPECT_EQ(Slot(3).colourA.red, 300.0f);
  EXPECT_STREQ(Slot(3).name, "material");
  EXPECT_EQ(wre_MaterialDefine(8, &other, &other, "x"), -1);
  EXPECT_EQ(wre_MaterialDefine(-1, &other, &other, "x"), -1);
  EXPECT_EQ(wre_MaterialFindFree(), 0);
}

TEST_F(MaterialTest, CreateScalesAndClampsInBothRanges) {
  int32_t h = wre_MaterialCreate(0.5f, 1.5f, -0.25f, 1.0f, 0.0f, 2.0f, 0.2f, -1.0f, "hull");
  ASSERT_EQ(h, 0);
  const Material& m = Slot(h);
  EXPECT_EQ(m.colourA.red, 127.5f);
  EXPECT_EQ(m.colourA.green, 255.0f);
  EXPECT_EQ(m.colourA.blue, 0.0f);
  EXPECT_EQ(m.colourA.alpha, 255.0f);
  EXPECT_EQ(m.colourB.green, 255.0f);
  EXPECT_EQ(m.colourB.alpha, 0.0f);
  EXPECT_STREQ(m.name, "hull");

  SetRange(1.0f);
  int32_t g = wre_MaterialCreate(0.5f, 1.5f, -0.25f, 1.0f, 0.0f, 2.0f, 0.2f, std::nanf(""), "gl");
  ASSERT_EQ(g, 1);
  EXPECT_EQ(Slot(g).colourA.red, 0.5f);
  EXPECT_EQ(Slot(g).colourA.green, 1.0f);
  EXPECT_EQ(Slot(g).colourA.blue, 0.0f);
  EXPECT_EQ(Slot(g).colourB.blue, 0.2f);
  EXPECT_EQ(Slot(g).colourB.alpha, 0.0f);

  // The table fills up from the lowest free slot.
  for (int i = 2; i < 8; ++i) EXPECT_EQ(wre_MaterialCreate(0, 0, 0, 1, 0, 0, 0, 1, nullptr), i);
  EXPECT_EQ(wre_MaterialCreate(0, 0, 0, 1, 0, 0, 0, 1, nullptr), -1);
  ASSERT_EQ(wre_MaterialRelease(4), 0);
  EXPECT_EQ(wre_MaterialCreate(0, 0, 0, 1, 0, 0, 0, 1, nullptr), 4);
}

TEST_F(MaterialTest, FindReturnsTheLowestIdenticalShareableMaterial) {
  int32_t first = wre_MaterialCreate(0.2f, 0.4f, 0.6f, 1.0f, 0.1f, 0.1f, 0.1f, 1.0f, "a");
  int32_t second = wre_MaterialCreate(0.2f, 0.4f, 0.6f, 1.0f, 0.1f, 0.1f, 0.1f, 1.0f, "b");
  ASSERT_NE(first, second);
  const Material& m = Slot(first);
  auto find = [&](float response) {
    return wre_MaterialFind(m.colourA.red, m.colourA.green, m.colourA.blue, m.colourA.alpha, response,
                            m.colourB.red, m.colourB.green, m.colourB.blue, m.colourB.alpha);
  };
  EXPECT_EQ(find(1.0f), first);
  EXPECT_EQ(find(0.5f), -1);
  EXPECT_EQ(wre_MaterialFind(m.colourA.red, m.colourA.green, m.colourA.blue, m.colourA.alpha, 1.0f, m.colourB.red,
                             m.colourB.green, m.colourB.blue, 254.0f),
            -1);
  ASSERT_EQ(wre_MaterialSetShareable(first, 0), 0);
  EXPECT_FALSE(wre_MaterialIsShareable(first));
  EXPECT_EQ(find(1.0f), second);
  ASSERT_EQ(wre_MaterialSetShareable(first, 0x100), 0);  // only the low byte counts
  EXPECT_EQ(find(1.0f), second);
  ASSERT_EQ(wre_MaterialSetShareable(first, 1), 0);
  EXPECT_EQ(find(1.0f), first);
  ASSERT_EQ(wre_MaterialRelease(first), 0);
  EXPECT_EQ(find(1.0f), second);
  ASSERT_EQ(wre_MaterialSetAmbientPercent(second, 50.0f), 0);
  EXPECT_EQ(find(0.5f), second);
}

TEST_F(MaterialTest, LitColoursFollowTheWorldsAmbientLight) {
  int32_t h = wre_MaterialCreate(0.4f, 0.8f, 1.0f, 0.5f, 0, 0, 0, 1, "lit");
  int32_t flat = wre_MaterialCreate(0.4f, 0.8f, 1.0f, 0.5f, 0, 0, 0, 1, "flat");
  ASSERT_EQ(wre_MaterialSetAmbientPercent(flat, 0.0f), 0);
  const Material& m = Slot(h);

  // Black ambient at 100 percent and response 1: half of colour A; alpha as colour A.
  MaterialAmbient black{0.0f, 0.0f, 0.0f, 1.0f};
  gLightingDirty = 1;
  ASSERT_EQ(wre_MaterialUpdateLitColoursWith(&black), 0);
  EXPECT_EQ(gLightingDirty, 0);
  EXPECT_EQ(m.lit.red, 51.0f);
  EXPECT_EQ(m.lit.green, 102.0f);
  EXPECT_EQ(m.lit.blue, 127.5f);
  EXPECT_EQ(m.lit.alpha, 127.5f);
  // Response 0: colour A unchanged.
  EXPECT_EQ(Slot(flat).lit.red, 102.0f);
  EXPECT_EQ(Slot(flat).lit.alpha, 127.5f);

  // (A + ambient) x level x 0.5 x response, clamped to the range.
  ASSERT_EQ(wre_MaterialSetAmbientPercent(h, 50.0f), 0);
  MaterialAmbient bright{100.0f, 400.0f, -400.0f, 2.0f};
  ASSERT_EQ(wre_MaterialUpdateLitColoursWith(&bright), 0);
  EXPECT_EQ(m.lit.red, (102.0f + 100.0f) * 1.0f * 0.5f);
  EXPECT_EQ(m.lit.green, 255.0f);
  EXPECT_EQ(m.lit.blue, 0.0f);

  // A free slot keeps its old lit colour.
  float before = Slot(flat).lit.red;
  ASSERT_EQ(wre_MaterialRelease(flat), 0);
  gMaterialTable[flat].colourA.red = 1.0f;
  ASSERT_EQ(wre_MaterialUpdateLitColoursWith(&black), 0);
  EXPECT_EQ(Slot(flat).lit.red, before);
}

const World* const kWorld = reinterpret_cast<const World*>(&kWorld);

bool ReadAmbient(const World* world, MaterialAmbient* ambient) {
  if (world != kWorld) return false;
  *ambient = MaterialAmbient{10.0f, 20.0f, 30.0f, 1.0f};
  return true;
}

TEST_F(MaterialTest, TheWorldsAmbientLightComesThroughItsReader) {
  int32_t h = wre_MaterialCreate(0.0f, 0.0f, 0.0f, 1.0f, 0, 0, 0, 1, nullptr);
  // Without a reader the world is dark.
  ASSERT_EQ(wre_MaterialUpdateLitColours(kWorld), 0);
  EXPECT_EQ(Slot(h).lit.red, 0.0f);
  wre_MaterialSetAmbientReader(ReadAmbient);
  gLightingDirty = 1;
  ASSERT_EQ(wre_MaterialUpdateLitColours(kWorld), 0);
  EXPECT_EQ(gLightingDirty, 0);
  EXPECT_EQ(Slot(h).lit.red, 5.0f);
  EXPECT_EQ(Slot(h).lit.green, 10.0f);
  EXPECT_EQ(Slot(h).lit.blue, 15.0f);
  ASSERT_EQ(wre_MaterialUpdateLitColours(nullptr), 0);
  EXPECT_EQ(Slot(h).lit.red, 0.0f);
}

TEST_F(MaterialTest, OpacityChangesAndTheReset) {
  int32_t h = wre_MaterialCreate(0.5f, 0.5f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 0.25f, nullptr);
  gLightingDirty = 0;
  ASSERT_EQ(wre_MaterialSetOpacity(h, 0.5f), 0);
  EXPECT_EQ(Slot(h).colourA.alpha, 127.5f);
  EXPECT_EQ(gLightingDirty, 1);
  ASSERT_EQ(wre_MaterialSetOpacity(h, 1.5f), 0);
  EXPECT_EQ(Slot(h).colourA.alpha, 255.0f);
  ASSERT_EQ(wre_MaterialSetOpacity(h, -0.2f), 0);
  EXPECT_EQ(Slot(h).colourA.alpha, 0.0f);
  // Out-of-range colours given through a definition are clamped with the opacity.
  ColourFloat wild{400.0f, -1.0f, 7.0f, 0.0f};
  ASSERT_EQ(wre_MaterialDefine(5, &wild, &wild, nullptr), 0);
  ASSERT_EQ(wre_MaterialSetOpacity(5, 0.2f), 0);
  EXPECT_EQ(Slot(5).colourA.red, 255.0f);
  EXPECT_EQ(Slot(5).colourA.green, 0.0f);
  EXPECT_EQ(Slot(5).colourA.blue, 7.0f);
  EXPECT_EQ(Slot(5).colourA.alpha, 0.2f * 255.0f);

  gLightingDirty = 1;
  ASSERT_EQ(wre_MaterialOpacityResetAll(nullptr), 0);
  EXPECT_EQ(Slot(h).colourA.alpha, 255.0f);
  EXPECT_EQ(Slot(h).colourB.alpha, 255.0f);
  EXPECT_EQ(Slot(h).lit.alpha, 255.0f);
  EXPECT_EQ(gLightingDirty, 0);
}

TEST_F(MaterialTest, BadHandlesAndReleasedSlots) {
  int32_t h = wre_MaterialCreate(0, 0, 0, 1, 0, 0, 0, 1, "boat");
  ASSERT_EQ(wre_MaterialSetIdent(h, "HULL"), 0);
  for (int32_t bad : {-1, 8, 1000, 2}) {
    EXPECT_EQ(wre_MaterialSetAmbientPercent(bad, 10.0f), kMaterialErrHandle) << bad;
    EXPECT_EQ(wre_MaterialSetOpacity(bad, 0.5f), kMaterialErrHandle);
    EXPECT_EQ(wre_MaterialSetIdent(bad, "x"), kMaterialErrHandle);
    EXPECT_EQ(wre_MaterialSetShareable(bad, 1), kMaterialErrHandle);
    EXPECT_FALSE(wre_MaterialIsShareable(bad));
    EXPECT_EQ(wre_MaterialRelease(bad), -1);
    wre_MaterialSetName(bad, "ignored");
  }
  EXPECT_EQ(wre_MaterialRelease(h), 0);
  EXPECT_EQ(wre_MaterialRelease(h), -1);
  EXPECT_EQ(Slot(h).inUse, 0);
  // The slot keeps its name, ident and colours, but it is no longer a material to find or change.
  EXPECT_STREQ(Slot(h).name, "boat");
  EXPECT_STREQ(Slot(h).ident, "HULL");
  EXPECT_EQ(wre_MaterialSetIdent(h, "deck"), kMaterialErrHandle);
  EXPECT_EQ(wre_MaterialFindByIdent("hull"), -1);

  // Redefinition takes fresh defaults.
  ColourFloat c{1.0f, 2.0f, 3.0f, 4.0f};
  ASSERT_EQ(wre_MaterialDefine(h, &c, &c, "new"), 0);
  EXPECT_STREQ(Slot(h).ident, " ");
  EXPECT_STREQ(Slot(h).name, "new");

  ASSERT_EQ(wre_MaterialReleaseAll(), 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Slot(i).inUse, 0);
}

TEST_F(MaterialTest, IdentsAndNames) {
  int32_t a = wre_MaterialCreate(0, 0, 0, 1, 0, 0, 0, 1, nullptr);
  int32_t b = wre_MaterialCreate(0, 0, 0, 1, 0, 0, 0, 1, nullptr);
  ASSERT_EQ(wre_MaterialSetIdent(a, "Water"), 0);
  ASSERT_EQ(wre_MaterialSetIdent(b, "water"), 0);
  EXPECT_EQ(wre_MaterialFindByIdent("WATER"), a);
  EXPECT_EQ(wre_MaterialFindByIdent("wat"), -1);
  EXPECT_EQ(wre_MaterialFindByIdent(nullptr), -1);
  EXPECT_EQ(wre_MaterialFindByIdent(" "), -1);  // no material in use has the default ident left

  const std::string forty(40, 'k');
  ASSERT_EQ(wre_MaterialSetIdent(a, forty.c_str()), 0);
  EXPECT_EQ(std::string(Slot(a).ident), forty.substr(0, 31));
  EXPECT_EQ(wre_MaterialFindByIdent(forty.substr(0, 31).c_str()), a);
  ASSERT_EQ(wre_MaterialSetIdent(a, nullptr), 0);
  EXPECT_STREQ(Slot(a).ident, " ");
  EXPECT_EQ(wre_MaterialRecordSetIdent(nullptr, "x"), kWreErrNull);

  // Names are cut to the field and always terminated.
  const std::string long_name(400, 'n');
  wre_MaterialSetName(a, long_name.c_str());
  EXPECT_EQ(std::strlen(Slot(a).name), 255u);
  EXPECT_EQ(Slot(a).ident[0], ' ');  // the field after the name is untouched
  wre_MaterialSetName(a, nullptr);
  EXPECT_STREQ(Slot(a).name, "material");
}

TEST_F(MaterialTest, IndexMapAndInUse) {
  int32_t a = wre_MaterialCreate(0.1f, 0, 0, 1, 0, 0, 0, 1, nullptr);
  int32_t b = wre_MaterialCreate(0.2f, 0, 0, 1, 0, 0, 0, 1, nullptr);
  // Handle a now reaches record b: its accessors change b.
  ASSERT_EQ(wre_MaterialMapIndex(a, b), 0);
  ASSERT_EQ(wre_MaterialSetAmbientPercent(a, 30.0f), 0);
  EXPECT_FLOAT_EQ(Slot(b).ambientResponse, 0.3f);
  EXPECT_FLOAT_EQ(Slot(a).ambientResponse, 1.0f);
  EXPECT_EQ(wre_MaterialMapIndex(a, 8), -1);
  EXPECT_EQ(wre_MaterialMapIndex(a, -1), -1);
  EXPECT_EQ(wre_MaterialMapIndex(8, 0), -1);
  EXPECT_EQ(wre_MaterialMapIndex(-1, 0), -1);
  EXPECT_EQ(gMaterialIndexMap[a], b);
  EXPECT_TRUE(wre_MaterialIndexValid(7));
  EXPECT_FALSE(wre_MaterialIndexValid(8));
  EXPECT_FALSE(wre_MaterialIndexValid(-1));
  wre_MaterialSetInUse(&gMaterialTable[6], 1);
  EXPECT_EQ(Slot(6).inUse, 1);
  wre_MaterialSetInUse(nullptr, 1);
}

}  // namespace
