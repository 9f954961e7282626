// Depth ordering of the software back end: the sort, groups, moves and splits of the resolve.
#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "soft_frame_fixture.h"

namespace {

using SoftDepth = SoftFrameTest;

std::vector<SoftPolygon> Keys(const std::vector<float>& keys) {
  std::vector<SoftPolygon> records(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) records[i].maxZ = keys[i];
  return records;
}

TEST(SoftDepthSort, AscendingByFarthestDepthWithEqualKeysReversedInSmallParts) {
  std::vector<SoftPolygon> records = Keys({5, 5, 5});
  std::vector<SoftPolygon*> order = {&records[0], &records[1], &records[2]};
  wre_SoftDepthSort(3, order.data());
  EXPECT_EQ(order, (std::vector<SoftPolygon*>{&records[2], &records[1], &records[0]}));

  std::mt19937 random(12);
  for (int n : {2, 7, 8, 9, 50, 1000, 20000}) {
    for (int spread : {3, 1000000}) {
      std::vector<float> keys(static_cast<size_t>(n));
      for (float& k : keys) k = static_cast<float>(random() % static_cast<unsigned>(spread));
      if (spread == 3 && n > 100) std::sort(keys.begin(), keys.end(), std::greater<>());  // a hostile input
      records = Keys(keys);
      order.clear();
      for (SoftPolygon& r : records) order.push_back(&r);
      wre_SoftDepthSort(n, order.data());
      std::vector<float> reference = keys;
      std::sort(reference.begin(), reference.end());
      std::vector<float> got;
      for (SoftPolygon* r : order) got.push_back(r->maxZ);
      EXPECT_EQ(got, reference) << n;
      EXPECT_EQ(std::set<SoftPolygon*>(order.begin(), order.end()).size(), static_cast<size_t>(n));
    }
  }
}

TEST_F(SoftDepth, GroupsOfOneAndLaterGroupsInFront) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  Queue(gPolyQueueOpaque, Triangle(At(100, 100, 50), At(300, 100, 50), At(100, 300, 50)));
  wre_SoftPolyListSort(camera);
  wre_PolyQueuesReset();
  ASSERT_EQ(DrawList().size(), 1u);
  SoftPolygon* sky = DrawList()[0];
  EXPECT_EQ(gSoftPolyBuffer.end, wre_SoftBufferTop());
  Queue(gPolyQueueOpaque, Triangle(At(100, 100, 900), At(300, 100, 900), At(100, 300, 900)));
  Queue(gPolyQueueOpaque, Triangle(At(150, 100, 600), At(300, 100, 600), At(150, 300, 600)));
  wre_SoftPolyListSort(camera);
  const auto list = DrawList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], sky);  // drawn first although it is the nearest
  EXPECT_EQ(list[1]->maxZ, 900.0f);
  EXPECT_EQ(list[2]->maxZ, 600.0f);
  EXPECT_EQ(gSoftDrawLast, list[2]);
  EXPECT_EQ(list[2]->next, &gSoftDrawHead);
  EXPECT_EQ(gSoftDrawHead.prev, list[2]);
}

// A floor below the eye and a smaller plate under it: the floor reaches farther, but hides the plate.
void QueueFloorAndPlate(SoftFrameTest& t, float plateLift) {
  (void)t;
  SoftFrameTest::Queue(gPolyQueueOpaque, SoftFrameTest::Triangle(Point4{-400, -50, 100, 0}, Point4{400, -50, 100, 0},
                                                                 Point4{0, -50, 600, 0}));
  SoftFrameTest::Queue(gPolyQueueOpaque,
                       SoftFrameTest::Triangle(Point4{-40, -80 + plateLift, 250, 0}, Point4{40, -80 + plateLift, 250, 0},
                                               Point4{0, -80 + plateLift, 300, 0}));
}

TEST_F(SoftDepth, HiddenOverlapMovesOnceAndWithinTolerancePlanesKeepTheirOrder) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  QueueFloorAndPlate(*this, 0.0f);
  wre_SoftPolyListSort(camera);
  auto list = DrawList();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->maxZ, 300.0f);  // the plate went first
  EXPECT_EQ(list[0]->moved, 1);
  EXPECT_EQ(list[1]->maxZ, 600.0f);
  EXPECT_EQ(list[1]->moved, 0);
  // Resolving the ordered pair again changes nothing: no swapping back.
  gSoftDrawTail.prev = list[1];
  list[1]->next = &gSoftDrawTail;
  EXPECT_EQ(wre_SoftDepthResolve(camera, list[0]), list[1]);
  EXPECT_EQ(list[0]->next, list[1]);
  EXPECT_EQ(list[0]->moved, 1);
  list[1]->next = &gSoftDrawHead;

  // Within 7.5 of the floor's plane the plate is neither in front nor behind: the sorted order stays.
  wre_SoftFrameDiscard();
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  QueueFloorAndPlate(*this, 25.0f);
  wre_SoftPolyListSort(camera);
  list = DrawList();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->maxZ, 600.0f);
  EXPECT_EQ(list[0]->moved + list[1]->moved, 0);

  // Depth ranges apart: sorted order, nothing compared.
  wre_SoftFrameDiscard();
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  Queue(gPolyQueueOpaque, Triangle(At(100, 100, 200), At(300, 100, 200), At(100, 300, 210)));
  Queue(gPolyQueueOpaque, Triangle(At(100, 100, 400), At(300, 100, 400), At(100, 300, 410)));
  wre_SoftPolyListSort(camera);
  list = DrawList();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->maxZ, 410.0f);
  EXPECT_EQ(list[1]->maxZ, 210.0f);
}

// Two triangles crossing at x = 0: the first lies in z = 400 + x, the second in z = 400 - x.
void QueueCrossing(float scale, int16_t textureA, int16_t textureB) {
  const float s = scale;
  SoftFrameTest::Queue(gPolyQueueOpaque,
                       SoftFrameTest::Triangle(Point4{-100 * s, -60 * s, 300 * s, 0}, Point4{100 * s, -60 * s, 500 * s, 0},
                                               Point4{0, 80 * s, 400 * s, 0}, textureA));
  SoftFrameTest::Queue(gPolyQueueOpaque,
                       SoftFrameTest::Triangle(Point4{-100 * s, -70 * s, 500 * s, 0}, Point4{100 * s, -70 * s, 300 * s, 0},
                                               Point4{0, 60 * s, 400 * s, 0}, textureB));
}

TEST_F(SoftDepth, CrossingPolygonsAreSplitOnceAndThePieceInheritsItsParent) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
  const int16_t red = SolidTexture(0x7c00);
  const int16_t blue = SolidTexture(0x001f);
  SetMaterial(3, 255, 200, 255, 255);
  QueueCrossing(1.0f, red, blue);
  for (int i = 0; i < 2; ++i) {
    gPolyQueueOpaque.base[i].material = 3;
    gPolyQueueOpaque.base[i].flags = 0x10;
  }
  wre_SoftPolyListSort(camera);
  const auto list = DrawList();
  ASSERT_EQ(list.size(), 3u);
  int redPieces = 0;
  for (SoftPolygon* p : list) {
    EXPECT_EQ(p->moved, 0);
    EXPECT_EQ(p->lightGreen, wre_SoftLightWord(255, 200));
    EXPECT_EQ(p->clamp, 0x10);
    redPieces += p->texture->texels == LookupTexture(red)->texels;
  }
  // The first of the two (equal farthest depths) straddles and is the one split.
  SoftTexture* batch = wre_SoftTextureBatch(LookupTexture(redPieces == 2 ? red : blue));
  SoftPolygon* parent = batch->firstPolygon;
  ASSERT_NE(parent->nextInBatch, nullptr);
  SoftPolygon* piece = parent->nextInBatch;
  EXPECT_EQ(piece->nextInBatch, nullptr);
  EXPECT_EQ(piece->gradients, parent->gradients);
  EXPECT_EQ(piece->frameWeight, parent->frameWeight);
  EXPECT_EQ(piece->additive, parent->additive);
  // Each piece lies on one side of the other triangle's plane (z = 400 - x), within the tolerance.
  for (SoftPolygon* p : {parent, piece}) {
    float lowest = 1e9f, highest = -1e9f;
    const SoftVertex* ring = wre_SoftPolygonVertices(p);
    for (int i = 0; i < p->vertexCount; ++i) {
      lowest = std::min(lowest, ring[i].z + ring[i].x - 400.0f);
      highest = std::max(highest, ring[i].z + ring[i].x - 400.0f);
    }
    EXPECT_TRUE(lowest > -7.5f * 1.5f || highest < 7.5f * 1.5f) << lowest << " " << highest;
  }

  // The frame shows the red triangle in front on the left, the blue one on the right.
  RenderFrame();
  const auto view = Presented();
  const float f = camera->projectionScale;
  auto probe = [&](float x, float y, float z) {
    const int sx = static_cast<int>(camera->halfWidth + f * x / z);
    const int sy = static_cast<int>(camera->halfHeight - f * y / z);
    return view[static_cast<size_t>(sy) * 640 + sx];
  };
  EXPECT_EQ(probe(-50, -20, 400), To565(0x7c00));
  EXPECT_EQ(probe(50, -20, 400), To565(0x001f));
}

// A record of count vertices around the view's centre; vertex i at depth z[i]. Its plane of split is
// z = 400 (normal (0, 0, -1), d = -400): a vertex at 380 is in front, at 420 behind, at 400 on it.
SoftPolygon* RingRecord(const std::vector<float>& z, SoftGradients* gradients) {
  auto* record = reinterpret_cast<SoftPolygon*>(gSoftPolyBuffer.write);
  const int count = static_cast<int>(z.size());
  gSoftPolyBuffer.write += wre_SoftPieceBytes(count);
  *record = SoftPolygon{};
  record->vertexCount = static_cast<uint8_t>(count);
  record->texture = wre_SoftTextureBatch(nullptr);
  record->gradients = gradients;
  record->frameWeight = 777;
  record->seeThrough = 1;
  record->moved = 1;
  SoftVertex* ring = wre_SoftPolygonVertices(record);
  for (int i = 0; i < count; ++i) {
    const float angle = 6.2831853f * static_cast<float>(i) / static_cast<float>(count);
    ring[i] = SoftVertex{100.0f * std::cos(angle), 100.0f * std::sin(angle), z[static_cast<size_t>(i)], 0, 0};
  }
  return record;
}

TEST_F(SoftDepth, SplitPiecesThatDoNotFitTheRecordGetRecordsOfTheirOwnAndOverlongPiecesFail) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  SoftGradients gradients{};
  const std::vector<float> z = {380, 420, 380, 420, 400, 400};
  SoftPolygon* record = RingRecord(z, &gradients);
  uint32_t front = 0, behind = 0;
  std::vector<float> dots;
  for (size_t i = 0; i < z.size(); ++i) {
    dots.push_back(-z[i]);
    if (z[i] < 392.5f) front |= 1u << i;
    if (z[i] > 407.5f) behind |= 1u << i;
  }
  SoftPolygon* first = nullptr;
  SoftPolygon* second = nullptr;
  ASSERT_EQ(wre_SoftPolygonSplit(camera, record, front, behind, dots.data(), &first, &second, -400.0f), 1);
  // Both pieces hold 7 vertices, more than the record's 6: neither is written over its ring.
  EXPECT_NE(first, record);
  EXPECT_NE(second, record);
  EXPECT_EQ(first->vertexCount, 7);
  EXPECT_EQ(second->vertexCount, 7);
  EXPECT_EQ(record->vertexCount, 6);
  EXPECT_EQ(record->moved, 0);
  for (SoftPolygon* piece : {first, second}) {
    EXPECT_EQ(piece->gradients, &gradients);
    EXPECT_EQ(piece->frameWeight, 777);
    EXPECT_EQ(piece->seeThrough, 1);
    EXPECT_EQ(piece->moved, 0);
    EXPECT_EQ(piece->firstSpan, nullptr);
    EXPECT_GE(piece->minZ, 380.0f - 0.01f);
    EXPECT_LE(piece->maxZ, 420.0f + 0.01f);
  }
  EXPECT_EQ(record->nextInBatch, first);
  EXPECT_EQ(first->nextInBatch, second);

  // Thirty vertices alternating in front and behind: a piece would need more than 31.
  std::vector<float> zigzag;
  for (int i = 0; i < 30; ++i) zigzag.push_back(i % 2 ? 420.0f : 380.0f);
  SoftPolygon* long_ = RingRecord(zigzag, &gradients);
  front = behind = 0;
  dots.clear();
  for (size_t i = 0; i < zigzag.size(); ++i) {
    dots.push_back(-zigzag[i]);
    (i % 2 ? behind : front) |= 1u << i;
  }
  const uint8_t* write = gSoftPolyBuffer.write;
  EXPECT_EQ(wre_SoftPolygonSplit(camera, long_, front, behind, dots.data(), &first, &second, -400.0f), 0);
  EXPECT_EQ(gSoftOverflow, 0);
  EXPECT_EQ(gSoftPolyBuffer.write, write);
  EXPECT_EQ(long_->vertexCount, 30);
  EXPECT_EQ(long_->moved, 1);
}

TEST_F(SoftDepth, FarPolygonsAreNeverSplit) {
  wre_CameraSetClip(camera, 300000.0f, 1.0f);
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  QueueCrossing(200.0f, -1, -1);
  wre_SoftPolyListSort(camera);
  EXPECT_EQ(DrawList().size(), 2u);
}

TEST_F(SoftDepth, OverflowWhileSplittingDrawsNothingAndDoublesTheNextBuffer) {
  ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
  const int16_t red = SolidTexture(0x7c00);
  QueueCrossing(1.0f, red, red);
  wre_SoftGroupSetup(camera);
  // Leave no more than the reserve: the split's new piece does not fit.
  gSoftPolyBuffer.write = gSoftPolyBuffer.end - kSoftReserve - 8;
  wre_SoftGroupOrder(camera);
  EXPECT_EQ(gSoftOverflow, 1);
  const int32_t size = gSoftPolyBuffer.size;
  RenderFrame();
  const auto view = Presented();
  const uint16_t background = To565(static_cast<uint16_t>((10 >> 3) << 10 | (20 >> 3) << 5 | (30 >> 3)));
  EXPECT_EQ(std::count(view.begin(), view.end(), background), static_cast<ptrdiff_t>(view.size()));
  ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
  EXPECT_EQ(gSoftBufferEstimate, 2 * size);
}

TEST_F(SoftDepth, RandomInterpenetratingSetsResolveWithEveryRecordOnTheList) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> across(-300, 300), deep(150, 700);
  for (int round = 0; round < 20; ++round) {
    ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
    const int n = 2 + round * 3;
    for (int i = 0; i < n; ++i) {
      const float cx = across(random) * 0.5f, cy = across(random) * 0.4f, cz = deep(random);
      Queue(gPolyQueueOpaque, Triangle(Point4{cx + across(random) * 0.4f, cy + across(random) * 0.3f, cz + across(random) * 0.5f, 0},
                                       Point4{cx + across(random) * 0.4f, cy + across(random) * 0.3f, cz + across(random) * 0.5f, 0},
                                       Point4{cx + across(random) * 0.4f, cy + across(random) * 0.3f, cz + across(random) * 0.5f, 0}));
    }
    wre_SoftGroupSetup(camera);
    const size_t built = static_cast<size_t>(reinterpret_cast<SoftPolygon**>(wre_SoftBufferTop()) -
                                             reinterpret_cast<SoftPolygon**>(gSoftPolyBuffer.end));
    wre_SoftGroupOrder(camera);
    ASSERT_EQ(gSoftOverflow, 0);
    const auto list = DrawList();
    EXPECT_GE(list.size(), built);
    EXPECT_EQ(std::set<SoftPolygon*>(list.begin(), list.end()).size(), list.size());
    for (size_t i = 1; i < list.size(); ++i) EXPECT_EQ(list[i]->prev, list[i - 1]);
    wre_SoftFrameRender(camera);
    wre_PolyQueuesReset();
  }
}

}  // namespace
