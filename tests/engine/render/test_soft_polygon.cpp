// The software polygon stage: buffer sizing, light and blend words, gradients, frustum clipping,
// texture batches.
#include <cmath>
#include <cstdlib>

#include "engine/core/memory.h"
#include "soft_frame_fixture.h"

namespace {

size_t gHeapLimit = 0;
void* LimitedHeap(size_t size) { return size > gHeapLimit ? nullptr : std::malloc(size); }

using SoftPolygonStage = SoftFrameTest;

TEST_F(SoftPolygonStage, BufferSizeFollowsTheEstimateDoublesAfterOverflowAndShrinksWhenMemoryIsShort) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  EXPECT_EQ(gSoftPolyBuffer.size, 403456);  // 1.5 x 262144 + 10240
  EXPECT_EQ(gSoftPolyBuffer.end - gSoftPolyBuffer.base, 403456);
  EXPECT_EQ(gSoftDrawLast, &gSoftDrawHead);

  gSoftOverflow = 1;
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  EXPECT_EQ(gSoftBufferEstimate, 2 * 403456);
  EXPECT_EQ(gSoftPolyBuffer.size, (806912 + 403456 + 10240) & ~3);
  EXPECT_EQ(gSoftOverflow, 0);

  // Persistent overflow stops at the cap instead of running past the int32 range.
  for (int i = 0; i < 40; ++i) {
    gSoftOverflow = 1;
    wre_SoftFrameBegin(camera, 0);
  }
  EXPECT_LE(gSoftPolyBuffer.size, kSoftMaximumBuffer);
  EXPECT_GT(gSoftPolyBuffer.size, 0);
  wre_SoftBufferFree();

  gSoftBufferEstimate = kSoftInitialEstimate;
  gHeapLimit = 200000 + 64;
  wre_MemorySetHeap(LimitedHeap);
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  EXPECT_EQ(gSoftPolyBuffer.size, 170208);  // 403456 -> 302592 -> 226944 -> 170208
  gHeapLimit = 1000;
  EXPECT_EQ(wre_SoftFrameBegin(camera, 0), -1);
  EXPECT_EQ(gSoftOverflow, 1);
  EXPECT_EQ(gSoftPolyBuffer.base, nullptr);
  wre_MemorySetHeap(nullptr);
  // Without a buffer every step does nothing.
  Queue(gPolyQueueOpaque, Triangle(At(10, 10, 320), At(50, 10, 320), At(10, 50, 320)));
  wre_SoftFrameRender(camera);
  EXPECT_EQ(gSoftDrawLast, &gSoftDrawHead);
}

TEST_F(SoftPolygonStage, LightAndBlendWords) {
  EXPECT_EQ(wre_SoftFrameWeight(255.0f), 512);
  EXPECT_EQ(wre_SoftFrameWeight(252.0f), 897);
  EXPECT_EQ(wre_SoftFrameWeight(251.0f), 1026);
  EXPECT_EQ(wre_SoftFrameWeight(0.0f), 33280);
  EXPECT_EQ(wre_SoftLightWord(255.0f, 255.0f), 33279);  // just below "unchanged"
  EXPECT_EQ(wre_SoftLightWord(255.0f, 0.0f), 512);
  EXPECT_EQ(wre_SoftLightWord(128.0f, 255.0f), 512 + 16448);
  EXPECT_EQ(wre_SoftLightWord(-3.0f, 255.0f), 512);
  float colours[3][4] = {{255, 0, 30, 0}, {255, 10, 30, 0}, {255, 0, 30, 0}};
  EXPECT_EQ(wre_SoftAdditive(colours), 31 << 10 | 0 << 5 | 3);
  colours[0][0] = 1e30f;
  colours[0][1] = NAN;
  EXPECT_EQ(wre_SoftAdditive(colours) >> 5, 31 << 5);
}

TEST_F(SoftPolygonStage, GradientsGiveTheTextureCoordinatesAtPixelCentres) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  const int16_t texture = AddTexture(8, 8, std::vector<uint16_t>(256 * 256, 0x8000));
  // A screen-parallel triangle: u runs with screen x, v with screen y over 256 pixels each.
  PolygonRecord record = Triangle(At(100, 100, 320), At(356, 100, 320), At(100, 356, 320), texture);
  record.uv[0][0] = 0.0f, record.uv[0][1] = 1.0f;
  record.uv[1][0] = 1.0f, record.uv[1][1] = 1.0f;
  record.uv[2][0] = 0.0f, record.uv[2][1] = 0.0f;
  wre_SoftPolygonSetup(camera, LookupTexture(texture), &record, nullptr);
  ASSERT_EQ(DrawList().size(), 0u);
  auto** pointers = reinterpret_cast<SoftPolygon**>(gSoftPolyBuffer.end);
  const SoftGradients* g = pointers[0]->gradients;
  EXPECT_NEAR(g->plane.z, -1.0f, 1e-6f);  // faces the eye
  EXPECT_NEAR(g->plane.w, -320.0f, 1e-3f);
  for (int y : {100, 150, 220}) {
    for (int x : {100, 101, 177, 250}) {
      const double w = g->invZDx * x + g->invZDy * y + g->invZOrigin;
      const double u = (g->uOverZDx * x + g->uOverZDy * y + g->uOverZOrigin) / w - g->uOffset;
      const double v = (g->vOverZDx * x + g->vOverZDy * y + g->vOverZOrigin) / w - g->vOffset;
      // Pixel centre, plus half a texel.
      EXPECT_NEAR(u, (x + 0.5 - 100) * 65536.0 + 32768.0, 2.0) << x << "," << y;
      EXPECT_NEAR(v, (y + 0.5 - 100) * 65536.0 + 32768.0, 2.0) << x << "," << y;
    }
  }
}

TEST_F(SoftPolygonStage, LUFactoringSolvesAndReportsSingularSystems) {
  float m[16] = {2, 1, 0, 0, 1, 3, 1, 0, 0, 1, 4, 1, 0, 0, 1, 5};
  const float original[16] = {2, 1, 0, 0, 1, 3, 1, 0, 0, 1, 4, 1, 0, 0, 1, 5};
  int32_t permutation[4];
  ASSERT_NE(wre_SoftLUDecompose4(m, permutation), 0.0f);
  float b[4] = {1, 2, 3, 4};
  wre_SoftLUSolve4(m, permutation, b);
  for (int i = 0; i < 4; ++i) {
    float sum = 0;
    for (int j = 0; j < 4; ++j) sum += original[i * 4 + j] * b[j];
    EXPECT_NEAR(sum, i + 1.0f, 1e-5f);
  }
  // A pivot search that has to swap rows.
  float swapped[16] = {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0};
  EXPECT_EQ(wre_SoftLUDecompose4(swapped, permutation), 1.0f);  // two swaps
  float c[4] = {5, 6, 7, 8};
  wre_SoftLUSolve4(swapped, permutation, c);
  EXPECT_EQ(c[0], 6.0f);
  EXPECT_EQ(c[1], 5.0f);
  EXPECT_EQ(c[2], 8.0f);
  EXPECT_EQ(c[3], 7.0f);
  float zeroRow[16] = {1, 2, 3, 4, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0};
  EXPECT_EQ(wre_SoftLUDecompose4(zeroRow, permutation), 0.0f);
  float dependent[16] = {1, 2, 3, 4, 2, 4, 6, 8, 1, 0, 0, 0, 0, 1, 0, 0};
  EXPECT_EQ(wre_SoftLUDecompose4(dependent, permutation), 0.0f);
}

TEST_F(SoftPolygonStage, FrustumClipping) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  // Wholly left of the screen: no record, the batch made for it stays with no polygons.
  const int16_t texture = SolidTexture(0x1234);
  wre_SoftPolygonSetup(camera, LookupTexture(texture),
                       ptr(Triangle(At(-50, 10, 320), At(-10, 10, 320), At(-30, 50, 320), texture)), nullptr);
  EXPECT_EQ(gSoftPolyBuffer.end, wre_SoftBufferTop());
  SoftTexture* batch = wre_SoftTextureBatch(LookupTexture(texture));
  ASSERT_NE(batch, nullptr);
  EXPECT_EQ(batch->firstPolygon, nullptr);
  // A vertex exactly on the left plane counts as outside: an edge along it leaves nothing.
  wre_SoftPolygonSetup(camera, nullptr, ptr(Triangle(At(0, 10, 320), At(0, 60, 320), At(-40, 30, 320))), nullptr);
  EXPECT_EQ(gSoftPolyBuffer.end, wre_SoftBufferTop());
  // Behind the near plane, and exactly at it.
  wre_SoftPolygonSetup(camera, nullptr, ptr(Triangle(At(10, 10, 1), At(50, 10, 1), At(10, 50, 1))), nullptr);
  EXPECT_EQ(gSoftPolyBuffer.end, wre_SoftBufferTop());

  // A large triangle through every side plane: at most 9 vertices, all inside the screen.
  PolygonRecord big = Triangle(Point4{-5000, -3000, 400, 0}, Point4{5000, -3000, 400, 0}, Point4{0, 6000, 400, 0});
  wre_SoftPolygonSetup(camera, nullptr, &big, nullptr);
  auto** pointers = reinterpret_cast<SoftPolygon**>(gSoftPolyBuffer.end);
  ASSERT_EQ(wre_SoftBufferTop() - gSoftPolyBuffer.end, static_cast<ptrdiff_t>(sizeof(void*)));
  SoftPolygon* clipped = pointers[0];
  EXPECT_GE(clipped->vertexCount, 4);
  EXPECT_LE(clipped->vertexCount, 9);
  EXPECT_GE(clipped->minX, -0.01f);
  EXPECT_LE(clipped->maxX, 640.01f);
  EXPECT_GE(clipped->minY, -0.01f);
  EXPECT_LE(clipped->maxY, 480.01f);
  // Crossing the near plane: cut there.
  PolygonRecord nearCut = Triangle(Point4{-10, -10, 0.5f, 0}, Point4{10, -10, 50, 0}, Point4{0, 10, 50, 0});
  wre_SoftPolygonSetup(camera, nullptr, &nearCut, nullptr);
  pointers = reinterpret_cast<SoftPolygon**>(gSoftPolyBuffer.end);
  EXPECT_GT(pointers[0]->minZ, 1.0f - 1e-5f);
  // A polygon without area is dropped.
  wre_SoftPolygonSetup(camera, nullptr, ptr(Triangle(At(10, 10, 320), At(20, 20, 320), At(30, 30, 320))), nullptr);
  EXPECT_EQ(reinterpret_cast<SoftPolygon**>(gSoftPolyBuffer.end), pointers);
}

TEST_F(SoftPolygonStage, BatchesByTexelsAndTheSeeThroughRule) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  const int16_t a = SolidTexture(0x001f);
  const int16_t keyed = SolidTexture(0x03e0, false);
  SetMaterial(1, 255, 255, 255, 252);
  SetMaterial(2, 255, 255, 255, 251);
  Queue(gPolyQueueOpaque, Triangle(At(10, 10, 320), At(50, 10, 320), At(10, 50, 320), a));
  Queue(gPolyQueueOpaque, Triangle(At(60, 10, 320), At(90, 10, 320), At(60, 50, 320), a, 1));
  Queue(gPolyQueueOpaque, Triangle(At(110, 10, 320), At(150, 10, 320), At(110, 50, 320), a, 2));
  Queue(gPolyQueueKeyed, Triangle(At(210, 10, 320), At(250, 10, 320), At(210, 50, 320), keyed));
  Queue(gPolyQueueOpaque, Triangle(At(310, 10, 320), At(350, 10, 320), At(310, 50, 320)));
  wre_SoftPolyListSort(camera);
  const auto list = DrawList();
  ASSERT_EQ(list.size(), 5u);
  SoftTexture* batchA = wre_SoftTextureBatch(LookupTexture(a));
  SoftTexture* white = wre_SoftTextureBatch(nullptr);
  ASSERT_NE(batchA, nullptr);
  EXPECT_EQ(white->texels, gSoftWhiteTexel);
  EXPECT_EQ(white->log2Width, 0);
  EXPECT_EQ(white->log2Height, 0);
  EXPECT_EQ(white->opaqueCapable, 1);
  int inBatch = 0;
  for (SoftPolygon* p = batchA->firstPolygon; p; p = p->nextInBatch) {
    ++inBatch;
    EXPECT_EQ(p->texture, batchA);
  }
  EXPECT_EQ(inBatch, 3);
  for (SoftPolygon* p : list) {
    const bool keyedOne = p->texture->texels == LookupTexture(keyed)->texels;
    const bool blended = p->frameWeight >= 1024;
    EXPECT_EQ(p->seeThrough, keyedOne || blended ? 1 : 0);
  }
  // Textures above 256 texels a side have no filler: not drawn at all.
  SoftTexture tooLarge = *LookupTexture(a);
  tooLarge.log2Width = 9;
  EXPECT_EQ(wre_SoftTextureBatch(&tooLarge), nullptr);
}

}  // namespace
