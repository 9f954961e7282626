// Whole software frames: coverage and its edge rules, see-through polygons, groups, overflow, the
// 565 conversion and the frame steps' back-end table.
#include <algorithm>
#include <map>
#include <random>

#include "engine/core/memory.h"
#include "engine/core/world.h"
#include "engine/data/texture.h"
#include "engine/render/frame.h"
#include "engine/render/spans/span_shade.h"
#include "platform/test/plat_display.h"
#include "soft_frame_fixture.h"

namespace {

using SoftFrame = SoftFrameTest;

constexpr uint16_t kBackground555 = (10 >> 3) << 10 | (20 >> 3) << 5 | (30 >> 3);

// A coverage pass of its own over a width x height area, in the frame's buffer.
struct ManualCoverage {
  SoftCoverage coverage{};
  std::vector<uint64_t> freeColumns;
  ManualCoverage(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    coverage.scanLeft = left;
    coverage.scanTop = top;
    coverage.scanRight = right;
    coverage.scanBottom = bottom;
    freeColumns.resize(static_cast<size_t>(bottom) * static_cast<size_t>(wre_SoftCoverageRowWords(right)));
    wre_SoftCoverageStart(&coverage, freeColumns.data());
  }
  // Spans emitted by one call, as (y -> [x, x + count)) sorted.
  template <typename Fn>
  std::vector<std::tuple<int, int, int>> Spans(Fn fn) {
    uint8_t* before = gSoftPolyBuffer.end;
    fn(&coverage);
    std::vector<std::tuple<int, int, int>> spans;
    for (auto* s = reinterpret_cast<SoftSpan*>(gSoftPolyBuffer.end); s < reinterpret_cast<SoftSpan*>(before); ++s) {
      spans.emplace_back(s->y, s->x, s->x + s->count);
    }
    std::sort(spans.begin(), spans.end());
    return spans;
  }
};

using Span = std::tuple<int, int, int>;

TEST_F(SoftFrame, EdgeRules) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  ManualCoverage m(0, 2, 64, 40);
  // Flat top: the right edge is exclusive, the bottom row is not drawn.
  auto spans = m.Spans([](SoftCoverage* c) { wre_SoftCoverTriangle(c, {10, 5}, {20, 5}, {10, 15}); });
  ASSERT_EQ(spans.size(), 10u);
  EXPECT_EQ(spans.front(), Span(5, 10, 20));
  EXPECT_EQ(spans.back(), Span(14, 10, 11));
  // Flat bottom from a pointed top: the first row is empty (left = right), the last row is 14.
  spans = m.Spans([](SoftCoverage* c) { wre_SoftSeeThroughTriangle(c, {30, 5}, {40, 15}, {20, 15}); });
  ASSERT_EQ(spans.size(), 9u);
  EXPECT_EQ(spans.front(), Span(6, 29, 31));
  EXPECT_EQ(spans.back(), Span(14, 21, 39));
  // A pointed top with a kink: the shorter edge switches to the third point. The left edge meets
  // x = 42 at row 25, where five steps of its truncated slope (0.4) fall short of it by a hair.
  spans = m.Spans([](SoftCoverage* c) { wre_SoftSeeThroughTriangle(c, {40, 20}, {50, 25}, {44, 30}); });
  ASSERT_EQ(spans.size(), 9u);
  EXPECT_EQ(spans[4], Span(25, 42, 50));
  EXPECT_EQ(spans[5], Span(26, 42, 48));
  // Three points on one row, and rows without width: nothing, and no division by a zero height.
  EXPECT_TRUE(m.Spans([](SoftCoverage* c) { wre_SoftCoverTriangle(c, {10, 30}, {20, 30}, {30, 30}); }).empty());
  EXPECT_TRUE(m.Spans([](SoftCoverage* c) { wre_SoftCoverTriangle(c, {10, 30}, {10, 31}, {10, 35}); }).empty());
  // Clipped to the scan rectangle: rows 2..39, columns 0..63.
  spans = m.Spans([](SoftCoverage* c) { wre_SoftSeeThroughTriangle(c, {0, 0}, {100, 0}, {0, 100}); });
  EXPECT_EQ(spans.front(), Span(2, 0, 64));
  EXPECT_EQ(std::get<0>(spans.back()), 39);
  // What the opaque one took (rows 5..14) is gone for later polygons; the rest of the row is free.
  spans = m.Spans([](SoftCoverage* c) { wre_SoftCoverTriangle(c, {0, 5}, {30, 5}, {0, 6}); });
  EXPECT_EQ(spans, (std::vector<Span>{Span(5, 0, 10), Span(5, 20, 30)}));
  spans = m.Spans([](SoftCoverage* c) { wre_SoftSeeThroughTriangle(c, {0, 5}, {64, 5}, {0, 6}); });
  EXPECT_EQ(spans, (std::vector<Span>{Span(5, 30, 64)}));
}

TEST_F(SoftFrame, CutIntervalsTakeRoomThatWholeOnesGiveBack) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  ManualCoverage m(0, 2, 64, 40);
  // Opaque rows x0 .. x1 - 1 of row y.
  auto cover = [&m](int x0, int x1, int y) {
    m.Spans([=](SoftCoverage* c) { wre_SoftCoverTriangle(c, {x0, y}, {x1, y}, {x0, y + 1}); });
  };
  const auto interval = static_cast<ptrdiff_t>(wre_SoftAlign(sizeof(SoftInterval)));
  uint8_t* const start = gSoftPolyBuffer.write;
  cover(10, 20, 5);  // cut in its middle: a new interval
  EXPECT_EQ(gSoftPolyBuffer.write - start, interval);
  cover(20, 30, 5);  // shortened
  cover(0, 10, 5);   // taken out whole
  EXPECT_EQ(gSoftPolyBuffer.write - start, interval);
  cover(40, 50, 6);  // the cut reuses the room of the one taken out
  EXPECT_EQ(gSoftPolyBuffer.write - start, interval);
  cover(40, 50, 7);
  EXPECT_EQ(gSoftPolyBuffer.write - start, 2 * interval);
}

TEST_F(SoftFrame, EveryPixelGoesToTheNearestOpaquePolygonOnlyOnce) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> sx(-40, 680), sy(-40, 520);
  struct Tri {
    float x[3], y[3], z;
  };
  std::vector<Tri> tris;
  for (int i = 0; i < 40; ++i) {
    Tri t{{sx(random), sx(random), sx(random)}, {sy(random), sy(random), sy(random)}, 100.0f + 17.0f * i};
    tris.push_back(t);
  }
  tris.push_back(Tri{{200, 260, 200}, {200, 200, 260}, 990.0f});  // hidden behind the first large ones?
  std::vector<int16_t> colours;
  for (size_t i = 0; i < tris.size(); ++i) colours.push_back(SolidTexture(static_cast<uint16_t>(i * 797 + 1) & 0x7fff));
  std::map<const uint16_t*, int> byTexels;
  for (size_t i = 0; i < tris.size(); ++i) byTexels[LookupTexture(colours[i])->texels] = static_cast<int>(i);
  auto queue = [&](size_t i) {
    const Tri& t = tris[i];
    Queue(gPolyQueueOpaque, Triangle(At(t.x[0], t.y[0], t.z), At(t.x[1], t.y[1], t.z), At(t.x[2], t.y[2], t.z),
                                     colours[i]));
  };
  auto masks = [&](std::vector<int>& owner, std::vector<int>& hits) {
    owner.assign(640 * 480, -1);
    hits.assign(640 * 480, 0);
    for (SoftPolygon* p : DrawList()) {
      const int index = byTexels.at(p->texture->texels);
      for (int s = 0; s < p->spanCount; ++s) {
        const SoftSpan& span = p->firstSpan[s];
        for (int x = span.x; x < span.x + span.count; ++x) {
          owner[span.y * 640 + x] = index;
          ++hits[span.y * 640 + x];
        }
      }
    }
  };
  // Each alone.
  std::vector<std::vector<int>> alone(tris.size());
  for (size_t i = 0; i < tris.size(); ++i) {
    gSoftBufferEstimate = kSoftInitialEstimate;
    ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
    queue(i);
    wre_SoftPolyListSort(camera);
    std::vector<int> hits;
    if (wre_SoftFrameCover(camera)) {
      masks(alone[i], hits);
    } else {
      ASSERT_EQ(gSoftOverflow, 0);
      alone[i].assign(640 * 480, -1);
    }
    wre_SoftFrameDiscard();
  }
  // All together, in a buffer of the first frame's size (the estimate followed the small frames).
  gSoftBufferEstimate = kSoftInitialEstimate;
  ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
  for (size_t i = 0; i < tris.size(); ++i) queue(i);
  wre_SoftPolyListSort(camera);
  ASSERT_EQ(gSoftOverflow, 0);
  ASSERT_NE(gSoftDrawLast, &gSoftDrawHead);
  ASSERT_TRUE(wre_SoftFrameCover(camera));
  std::vector<int> owner, hits;
  masks(owner, hits);
  int64_t covered = 0;
  for (int pixel = 0; pixel < 640 * 480; ++pixel) {
    ASSERT_LE(hits[pixel], 1) << pixel;
    int nearest = -1;
    for (size_t i = 0; i < tris.size() && nearest < 0; ++i) {
      if (alone[i][pixel] >= 0) nearest = static_cast<int>(i);
    }
    ASSERT_EQ(owner[pixel], nearest) << pixel;
    covered += nearest >= 0;
  }
  EXPECT_GT(covered, 100000);
  const auto visible = DrawList();
  EXPECT_LT(visible.size(), tris.size());  // the hidden ones left the list
  wre_SoftFrameFill(camera);
  wre_SoftFramePresent(camera);
  const auto view = Presented();
  for (int pixel = 0; pixel < 640 * 480; pixel += 7) {
    const uint16_t want = owner[pixel] >= 0 ? To565(LookupTexture(colours[owner[pixel]])->texels[0] & 0x7fff)
                                            : To565(kBackground555);
    ASSERT_EQ(view[pixel], want) << pixel;
  }
}

SoftShade ShadeOf(float r, float g, float b, float a) {
  SoftPolygon p{};
  p.frameWeight = wre_SoftFrameWeight(a);
  p.lightRed = wre_SoftLightWord(a, r);
  p.lightGreen = wre_SoftLightWord(a, g);
  p.lightBlue = wre_SoftLightWord(a, b);
  return wre_ShadePrepare(p);
}

TEST_F(SoftFrame, SeeThroughPolygonsBlendFarToNearOverTheOpaqueOnes) {
  SetMaterial(1, 255, 255, 255, 128);
  SetMaterial(2, 255, 128, 255, 64);
  const int16_t red = SolidTexture(0x7c00);
  const int16_t green = SolidTexture(0x03e0);
  const int16_t blue = SolidTexture(0x001f);
  // A keyed texture whose second texel is see-through.
  const int16_t keyed = AddTexture(1, 0, {0x8000 | 0x7fff, 0x0000}, false);
  ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
  QueueRect(gPolyQueueOpaque, 100, 100, 300, 300, 600, red);
  QueueRect(gPolyQueueTranslucent, 150, 150, 250, 250, 300, blue, 2);  // nearer, queued first
  QueueRect(gPolyQueueTranslucent, 120, 120, 220, 220, 400, green, 1);
  PolygonRecord k = Triangle(At(400, 100, 320), At(464, 100, 320), At(400, 164, 320), keyed);
  k.uv[0][0] = 0, k.uv[1][0] = 1, k.uv[2][0] = 0;
  Queue(gPolyQueueKeyed, k);
  RenderFrame();
  const auto view = Presented();
  const uint16_t redOnly = To565(0x7c00);
  const uint32_t greenOverRed = wre_ShadeBlend(0x8000 | 0x03e0, 0x7c00, ShadeOf(255, 255, 255, 128));
  const uint32_t blueOverBoth = wre_ShadeBlend(0x8000 | 0x001f, greenOverRed, ShadeOf(255, 128, 255, 64));
  const uint32_t blueOverRed = wre_ShadeBlend(0x8000 | 0x001f, 0x7c00, ShadeOf(255, 128, 255, 64));
  EXPECT_EQ(view[110 * 640 + 110], redOnly);
  EXPECT_EQ(view[130 * 640 + 130], To565(static_cast<uint16_t>(greenOverRed)));
  EXPECT_EQ(view[200 * 640 + 200], To565(static_cast<uint16_t>(blueOverBoth)));
  EXPECT_EQ(view[240 * 640 + 240], To565(static_cast<uint16_t>(blueOverRed)));
  EXPECT_NE(blueOverBoth, wre_ShadeBlend(0x8000 | 0x03e0, blueOverRed, ShadeOf(255, 255, 255, 128)));
  // The keyed triangle: its left texel drawn, its right one leaves the background.
  EXPECT_EQ(view[110 * 640 + 405], To565(0x7fff));
  EXPECT_EQ(view[101 * 640 + 440], To565(kBackground555));
}

TEST_F(SoftFrame, TheSkyGroupShowsOnlyInGapsAndASecondFlushDrawsOnlyNewPolygonsInFront) {
  const int16_t sky = SolidTexture(0x001f);
  const int16_t world = SolidTexture(0x03e0);
  const int16_t hud = SolidTexture(0x7c00);
  ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
  QueueRect(gPolyQueueOpaque, 0, 0, 640, 480, 50, sky);
  wre_SoftPolyListSort(camera);
  wre_PolyQueuesReset();
  QueueRect(gPolyQueueOpaque, 0, 0, 320, 480, 800, world);
  wre_SoftFrameRender(camera);
  EXPECT_EQ(gSoftDrawLast, &gSoftDrawHead);
  EXPECT_EQ(gPolyQueueOpaque.count, 0);
  // A later flush in the same frame: far away, yet drawn over what is there.
  QueueRect(gPolyQueueOpaque, 300, 200, 340, 240, 990, hud);
  wre_SoftFrameRender(camera);
  wre_SoftFramePresent(camera);
  const auto view = Presented();
  EXPECT_EQ(view[100 * 640 + 100], To565(0x03e0));
  EXPECT_EQ(view[100 * 640 + 500], To565(0x001f));
  EXPECT_EQ(view[220 * 640 + 310], To565(0x7c00));
  EXPECT_EQ(view[220 * 640 + 330], To565(0x7c00));
  EXPECT_EQ(view[250 * 640 + 330], To565(0x001f));
}

TEST_F(SoftFrame, OverflowGivesAnEmptyFrameThenTheBufferGrowsUntilASteadySceneFits) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> sx(0, 640), sy(0, 480), dz(100, 900);
  std::vector<PolygonRecord> scene;
  for (int i = 0; i < 4000; ++i) {
    const float x = sx(random), y = sy(random), z = dz(random);
    scene.push_back(Triangle(At(x, y, z), At(x + 12, y + 3, z), At(x + 2, y + 11, z)));
  }
  int overflows = 0;
  int steady = 0;
  for (int frame = 0; frame < 12; ++frame) {
    ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
    for (const PolygonRecord& r : scene) Queue(gPolyQueueOpaque, r);
    const int32_t size = gSoftPolyBuffer.size;
    RenderFrame();
    const auto view = Presented();
    const auto background = std::count(view.begin(), view.end(), To565(kBackground555));
    if (gSoftOverflow) {
      ++overflows;
      ASSERT_EQ(steady, 0) << "overflow after a frame that fitted";
      EXPECT_EQ(background, static_cast<ptrdiff_t>(view.size()));
      ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
      EXPECT_EQ(gSoftBufferEstimate, 2 * size);
      wre_SoftBufferFree();
    } else {
      ++steady;
      EXPECT_LT(background, static_cast<ptrdiff_t>(view.size()));
    }
  }
  EXPECT_GE(overflows, 1);  // 4000 records do not fit the first buffer
  EXPECT_GE(steady, 8);
}

TEST_F(SoftFrame, ConversionTo565RunsOncePerShownFrameAndOnlyForA565Display) {
  const int16_t colour = SolidTexture(0x4321 & 0x7fff);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_EQ(wre_SoftFrameBegin(camera, frame == 0), 0);
    if (frame < 2) QueueRect(gPolyQueueOpaque, 10, 10, 50, 50, 320, colour);
    RenderFrame();
    const auto view = Presented();
    EXPECT_EQ(view[20 * 640 + 20], To565(0x4321 & 0x7fff)) << frame;
    EXPECT_EQ(view[300 * 640 + 300], To565(kBackground555)) << frame;
    EXPECT_EQ(FramePixel(20, 20), 0x4321 & 0x7fff);  // the frame itself stays 555
  }
  camera->context->displayBits &= static_cast<uint8_t>(~kDisplay565);
  ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
  RenderFrame();
  EXPECT_EQ(Presented()[300 * 640 + 300], kBackground555);
  // A busy back buffer: the frame is dropped, reported as done and counted.
  const int32_t shown = plat_TestPresentCount();
  const int32_t dropped = gSoftDroppedFrames;
  plat_TestDisplaySetBusyBlits(1);
  ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
  wre_SoftFrameRender(camera);
  EXPECT_EQ(wre_SoftFramePresent(camera), 0);
  EXPECT_EQ(plat_TestPresentCount(), shown);
  EXPECT_EQ(gSoftDroppedFrames, dropped + 1);
}

TEST_F(SoftFrame, FrameStepsReachTheSoftwareBackEnd) {
  const float colour[4] = {255, 0, 0, 255};
  EXPECT_EQ(wre_CameraClear(camera, colour), 0);
  EXPECT_EQ(Presented()[0], To565(0x7c00));
}

}  // namespace

namespace {

TEST_F(SoftFrame, TexturesOfTheTextureTableAreDrawnFromTheirSoftwareCopy) {
  ASSERT_EQ(wre_TextureTableInit(4), 0);
  const WreRect rect{0, 0, 4, 4};
  Offscreen* image = wre_OffscreenNew(kOffscreenMemory, &rect, kOffscreen555, 16, 0, nullptr, nullptr);
  ASSERT_NE(image, nullptr);
  for (int32_t y = 0; y < 4; ++y) wre_MemoryFill16(image->pixels + y * image->rowBytes, 8, 0x1234);
  ASSERT_EQ(wre_TextureCreate(image, camera->context, 0, "wall"), 0);
  wre_OffscreenDispose(image);
  wre_SoftBackendInstall();  // the texture table's look-up instead of the test's own
  ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
  QueueRect(gPolyQueueOpaque, 100, 100, 200, 200, 320, 0);
  RenderFrame();
  EXPECT_EQ(Presented()[150 * 640 + 150], To565(0x1234));
  wre_TextureReleaseAll();
  wre_TextureTableFree();
}

}  // namespace

namespace {

TEST_F(SoftFrame, TheFrameStepsDrawQueuedAndScreenSpacePolygons) {
  World* world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, nullptr, nullptr, 0.0f, 0);
  ASSERT_NE(world, nullptr);
  ASSERT_EQ(wre_CameraSetWorld(camera, world), 0);
  const int16_t green = SolidTexture(0x03e0);
  const int16_t red = SolidTexture(0x7c00);
  for (int frame = 0; frame < 2; ++frame) {
    gLightingDirty = 0;
    ASSERT_EQ(wre_FrameBegin(camera, 1), 0);
    ASSERT_EQ(wre_CameraRender(camera), 0);
    ASSERT_EQ(wre_PolygonSubmit(camera, ptr(Triangle(At(100, 100, 500), At(300, 100, 500), At(100, 300, 500), green)), 0),
              0);
    ASSERT_EQ(wre_FrameFlush(camera), 0);
    // The overlay: screen-space, far away yet drawn over the world by the second flush.
    PolygonRecord overlay = Triangle(Point4{120, 120, 900, 0}, Point4{200, 120, 900, 0}, Point4{120, 200, 900, 0}, red);
    ASSERT_EQ(wre_PolygonSubmit(camera, &overlay, 1), 0);
    ASSERT_EQ(wre_FrameFlush(camera), 0);
    ASSERT_EQ(wre_FrameEnd(camera), 0);
    const auto view = Presented();
    EXPECT_EQ(view[110 * 640 + 110], To565(0x03e0));
    EXPECT_EQ(view[130 * 640 + 130], To565(0x7c00));
    EXPECT_EQ(view[400 * 640 + 400], To565(kBackground555));
    EXPECT_EQ(gSoftPolyBuffer.base, nullptr);  // given back at the end of the frame
  }
  wre_CameraSetWorld(camera, nullptr);
  wre_WorldDispose(world);
}

}  // namespace
