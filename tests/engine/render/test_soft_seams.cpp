// Abutting polygons leave no gap: a pixel on an edge that two polygons share goes to one of them,
// also where the frustum clip or a depth split cuts that edge in one or both (screen tiles running
// off the frame, a ground grid cut by the near plane and the screen sides, and split around posts).
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "soft_frame_fixture.h"

namespace {

using SoftSeams = SoftFrameTest;

constexpr uint16_t kGround555 = 0x03e0;
constexpr uint16_t kBackground555 = (10 >> 3) << 10 | (20 >> 3) << 5 | (30 >> 3);

// The presented pixels from row firstRow down that still show the background, the first few named.
::testing::AssertionResult NoGapBelow(const std::vector<uint16_t>& view, int firstRow) {
  int gaps = 0;
  std::string first;
  for (int y = firstRow; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (view[static_cast<size_t>(y) * 640 + x] != To565(kBackground555)) continue;
      if (++gaps <= 8) first += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
    }
  }
  if (gaps == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << gaps << " background pixels:" << first;
}

// Whole-pixel tiles laid over the frame as a loading screen lays them, the outer ones running off
// every side, each a quad of two triangles.
TEST_F(SoftSeams, TilesRunningOffTheFrameLeaveNoGap) {
  const int16_t ground = SolidTexture(kGround555);
  for (int origin = -200; origin < 0; origin += 13) {
    for (int size : {64, 128, 200, 256}) {
      gSoftBufferEstimate = 1 << 20;
      ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
      for (int y = origin; y < 480; y += size) {
        for (int x = origin / 2; x < 640; x += size) {
          QueueRect(gPolyQueueOpaque, static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + size),
                    static_cast<float>(y + size), 900.0f, ground);
        }
      }
      RenderFrame();
      ASSERT_EQ(gSoftOverflow, 0);
      EXPECT_TRUE(NoGapBelow(Presented(), 0)) << "origin " << origin << ", tiles of " << size;
    }
  }
}

// A ground grid 20 below the eye, turned about the vertical, reaching behind the eye and past the
// far plane, in cells of two triangles; with posts, upright quads standing through it.
void QueueGround(SoftSeams* test, int turn, bool posts) {
  const int16_t ground = test->SolidTexture(kGround555);
  constexpr float kCell = 40.0f;
  const float c = std::cos(static_cast<float>(turn) * 0.0174533f);
  const float s = std::sin(static_cast<float>(turn) * 0.0174533f);
  const float shift = 0.37f * static_cast<float>(turn);
  auto point = [&](float gx, float gz) { return Point4{c * gx + s * gz + shift, -20.0f, -s * gx + c * gz, 0.0f}; };
  auto quad = [](Point4 a, Point4 b, Point4 d, Point4 e, int16_t texture) {
    SoftSeams::Queue(gPolyQueueOpaque, SoftSeams::Triangle(a, b, d, texture));
    SoftSeams::Queue(gPolyQueueOpaque, SoftSeams::Triangle(a, d, e, texture));
  };
  for (float gz = -120.0f; gz < 1400.0f; gz += kCell) {
    for (float gx = -1600.0f; gx < 1600.0f; gx += kCell) {
      quad(point(gx, gz), point(gx + kCell, gz), point(gx + kCell, gz + kCell), point(gx, gz + kCell), ground);
    }
  }
  if (!posts) return;
  const int16_t post = test->SolidTexture(0x7c00);
  for (int k = 0; k < 12; ++k) {
    const float x = -300.0f + 53.0f * static_cast<float>(k), z = 60.0f + 37.0f * static_cast<float>(k);
    quad(Point4{x, -45.0f, z, 0}, Point4{x + 30.0f, -45.0f, z + 9.0f, 0}, Point4{x + 30.0f, 10.0f, z + 9.0f, 0},
         Point4{x, 10.0f, z, 0}, post);
  }
}

// Every row below the horizon (row 240; the far plane cuts the ground 6.4 rows below it) is ground,
// whichever way the grid is turned.
void ExpectGroundWhole(SoftSeams* test, bool posts) {
  for (int turn = -40; turn <= 40; turn += 5) {
    gSoftBufferEstimate = 8 << 20;
    ASSERT_EQ(wre_SoftFrameBegin(test->camera, 1), 0);
    QueueGround(test, turn, posts);
    test->RenderFrame();
    ASSERT_EQ(gSoftOverflow, 0);
    EXPECT_TRUE(NoGapBelow(test->Presented(), 248)) << "turned " << turn;
  }
}

TEST_F(SoftSeams, GroundGridCutByTheNearPlaneAndTheScreenSidesLeavesNoGap) { ExpectGroundWhole(this, false); }

// A depth split puts a cut point on an edge that the unsplit neighbour keeps whole.
TEST_F(SoftSeams, GroundSplitAroundPostsLeavesNoGap) { ExpectGroundWhole(this, true); }

// Two triangles on either side of the edge p-q, both split by one plane that crosses the edge: the
// two pieces' cut points on it are the same point.
TEST_F(SoftSeams, NeighboursSplitByOnePlaneGetOneCutPointOnTheirSharedEdge) {
  std::mt19937 random(1);
  std::uniform_real_distribution<float> spread(-100.0f, 100.0f);
  const Point4 plane{0.3f, 0.2f, -0.9f, -270.0f};
  auto vertex = [&] { return SoftVertex{spread(random), spread(random), 300.0f + spread(random), 0, 0}; };
  int compared = 0;
  for (int k = 0; k < 400; ++k) {
    ASSERT_EQ(wre_SoftFrameBegin(camera, 0), 0);
    const SoftVertex p = vertex(), q = vertex();
    const SoftVertex sides[2][3] = {{p, q, vertex()}, {q, p, vertex()}};
    std::vector<SoftVertex> cuts;
    for (const auto& corners : sides) {
      auto* record = reinterpret_cast<SoftPolygon*>(gSoftPolyBuffer.write);
      gSoftPolyBuffer.write += wre_SoftPieceBytes(3);
      *record = SoftPolygon{};
      record->vertexCount = 3;
      record->texture = wre_SoftTextureBatch(nullptr);
      float dots[3];
      uint32_t front = 0, behind = 0;
      for (int i = 0; i < 3; ++i) {
        wre_SoftPolygonVertices(record)[i] = corners[i];
        dots[i] = plane.x * corners[i].x + plane.y * corners[i].y + plane.z * corners[i].z;
        if (dots[i] - plane.w > 7.5f) front |= 1u << i;
        if (dots[i] - plane.w < -7.5f) behind |= 1u << i;
      }
      // Only edges p-q with one end in front and one behind are cut.
      if (((front | behind) & 3u) != 3u || (front & 3u) == 3u || (behind & 3u) == 3u) break;
      SoftPolygon* first = nullptr;
      SoftPolygon* second = nullptr;
      ASSERT_EQ(wre_SoftPolygonSplit(camera, record, front, behind, dots, &first, &second, plane.w), 1);
      // The first piece's cut point on p-q: the one that follows p or q in the piece's ring.
      const SoftVertex* ring = wre_SoftPolygonVertices(first);
      for (int i = 0; i < first->vertexCount; ++i) {
        const SoftVertex& v = ring[i];
        const float t = (v.x - p.x) / (q.x - p.x);
        const bool onEdge =
            std::fabs(p.y + t * (q.y - p.y) - v.y) < 0.01f && std::fabs(p.z + t * (q.z - p.z) - v.z) < 0.01f;
        if (onEdge && t > 0.0f && t < 1.0f) cuts.push_back(v);
      }
    }
    wre_SoftFrameDiscard();
    if (cuts.size() != 2) continue;
    ++compared;
    EXPECT_EQ(std::memcmp(&cuts[0], &cuts[1], sizeof(SoftVertex)), 0) << "pair " << k;
  }
  EXPECT_GT(compared, 100);
}

}  // namespace
