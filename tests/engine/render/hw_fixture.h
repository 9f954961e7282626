// Set-up shared by the hardware back ends' tests: a material table, the polygon queues, texture
// flag bytes and the texture look-up, and helpers that put records straight into the queues.
#pragma once
#include <gtest/gtest.h>

#include "engine/core/colour_scale.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/hw_texture.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "render_fixture.h"

namespace hw_test {

// Textures 0..15: flag bytes, Direct3D handles (100 + index), OpenGL names, lost surfaces.
inline uint8_t gFlags[16] = {};
inline uint32_t gGlNames[16] = {};
inline bool gLost[16] = {};
inline int32_t gRestoreResult = 0;
inline int32_t gRestores = 0;

inline uint8_t Flags(int32_t t) { return t >= 0 && t < 16 ? gFlags[t] : 0; }
inline uint32_t Handle(int32_t t) { return t >= 0 && t < 16 ? 100u + static_cast<uint32_t>(t) : 0u; }
inline uint32_t GlName(int32_t t) { return t >= 0 && t < 16 ? gGlNames[t] : 0u; }
inline bool Lost(int32_t t) { return t >= 0 && t < 16 && gLost[t]; }
inline int32_t Restore(int32_t t) {
  ++gRestores;
  if (gRestoreResult == 0 && t >= 0 && t < 16) gLost[t] = false;
  return gRestoreResult;
}

// A triangle of the given kind; corners (x, y) in viewport pixels at depth z with rhw w.
inline PolygonRecord Triangle(uint8_t kind, int16_t material, int16_t texture, float x0, float y0, float x1, float y1,
                              float x2, float y2, float z = 0.5f, float w = 1.0f) {
  PolygonRecord r{};
  r.kind = kind;
  r.flags = 0;
  r.material = material;
  r.texture = texture;
  const float xy[3][2] = {{x0, y0}, {x1, y1}, {x2, y2}};
  for (int i = 0; i < 3; ++i) r.v[i] = Point4{xy[i][0], xy[i][1], z, w};
  return r;
}

inline void Push(PolyQueue& queue, const PolygonRecord& record) {
  *queue.write++ = record;
  ++queue.count;
}

class HwFixture : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    ASSERT_EQ(wre_MaterialTableInit(16), 0);
    ASSERT_EQ(wre_PolyQueuesInit(32), 0);
    for (int i = 0; i < 16; ++i) {
      gFlags[i] = 0;
      gGlNames[i] = 0;
      gLost[i] = false;
    }
    gRestoreResult = 0;
    gRestores = 0;
    static constexpr HwTextureLookup kLookup{Flags, Handle, Lost, Restore, GlName};
    wre_HwTextureInstall(&kLookup);
    for (int32_t i = 0; i < gMaterialCount; ++i) gMaterialIndexMap[i] = i;
    savedMax_ = gColourMax;
    savedMaxAlpha_ = gColourMaxAlpha;
  }
  void TearDown() override {
    gColourMax = savedMax_;
    gColourMaxAlpha = savedMaxAlpha_;
    wre_HwTextureInstall(nullptr);
    wre_PolyQueuesFree();
    wre_MaterialTableFree();
    RenderFixture::TearDown();
  }
  static void SetMaterial(int32_t index, float r, float g, float b, float a) {
    Material& m = gMaterialTable[index];
    m.inUse = 1;
    m.colourA = ColourFloat{r, g, b, a};
    m.lit = m.colourA;
  }

 private:
  float savedMax_ = 255.0f;
  float savedMaxAlpha_ = 255.0f;
};

}  // namespace hw_test
