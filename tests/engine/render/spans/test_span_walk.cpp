// The perspective walk: exact points, the two step plans, clamping and texel addressing.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/render/spans/span_sizes.h"
#include "engine/render/spans/span_walk.h"

namespace {

// Every value passed through the clamp, u then v, at every exact point of the walk.
std::vector<int32_t> gExactPoints;
int32_t RecordExact(int32_t x) {
  gExactPoints.push_back(x);
  return x;
}

struct Segment {
  int32_t count;  // 8 for a chunk
  bool chunk;
  int32_t du;
  bool operator==(const Segment&) const = default;
};

struct Recorder {
  mutable std::vector<Segment> segments;
  mutable std::vector<int32_t> u;  // the u of every pixel, left to right
  void Chunk(uint16_t*, uint32_t u0, uint32_t, int32_t du, int32_t) const { Record(true, u0, du, 8); }
  void Tail(uint16_t*, uint32_t u0, uint32_t, int32_t du, int32_t, int32_t count) const {
    Record(false, u0, du, count);
  }
  void Record(bool chunk, uint32_t u0, int32_t du, int32_t count) const {
    segments.push_back(Segment{count, chunk, du});
    for (int32_t j = 0; j < count; ++j) u.push_back(static_cast<int32_t>(u0 + static_cast<uint32_t>(du * j)));
  }
};

struct Walk {
  std::vector<Segment> segments;
  std::vector<int32_t> u;
  std::vector<int32_t> exactU;  // u at every exact point, in the order taken
};

template <SpanPlan kPlan, SpanClampFn kClamp = RecordExact>
Walk WalkSpan(const SoftGradients& g, int32_t n, bool clamp = true) {
  gExactPoints.clear();
  Recorder recorder;
  std::vector<uint16_t> frame(64);
  wre_SpanWalk<kPlan, SpanPrecision::kRoundedOnce, kClamp>(g, clamp, 0, 0, n, frame.data(), recorder);
  Walk walk{recorder.segments, recorder.u, {}};
  for (size_t i = 0; i < gExactPoints.size(); i += 2) walk.exactU.push_back(gExactPoints[i]);
  return walk;
}

SoftGradients Linear(float perPixel, float atZero) {
  SoftGradients g{};
  g.uOverZDx = perPixel;
  g.uOverZOrigin = atZero;
  g.invZOrigin = 1.0f;
  return g;
}

TEST(SpanWalk, FloatToIntRoundsToNearestEvenAndFlagsOutOfRange) {
  EXPECT_EQ(wre_FloatToIntRound(2.5f), 2);
  EXPECT_EQ(wre_FloatToIntRound(3.5f), 4);
  EXPECT_EQ(wre_FloatToIntRound(-2.5f), -2);
  EXPECT_EQ(wre_FloatToIntRound(-0.75f), -1);
  EXPECT_EQ(wre_FloatToIntRound(2147483520.0f), 2147483520);
  EXPECT_EQ(wre_FloatToIntRound(2147483648.0f), INT32_MIN);
  EXPECT_EQ(wre_FloatToIntRound(-3.0e9f), INT32_MIN);
  EXPECT_EQ(wre_FloatToIntRound(std::nanf("")), INT32_MIN);
  EXPECT_EQ(wre_FloatToIntRound(INFINITY), INT32_MIN);
}

TEST(SpanWalk, Clamp24) {
  EXPECT_EQ(wre_UVClamp24(-5), 0);
  EXPECT_EQ(wre_UVClamp24(INT32_MIN), 0);
  EXPECT_EQ(wre_UVClamp24(0), 0);
  EXPECT_EQ(wre_UVClamp24(0xFFFFFF), 0xFFFFFF);
  EXPECT_EQ(wre_UVClamp24(1 << 24), 0xFFFFFF);
  EXPECT_EQ(wre_UVClamp24((1 << 24) + 100), 0xFFFFFF);
  EXPECT_EQ(wre_UVClamp24((1 << 25) - 1), 0xFFFFFF);
  // From 2^25 on some low bits are cleared; the texel is still the last one.
  EXPECT_EQ(wre_UVClamp24(1 << 25), 0xFFFFFE);
  EXPECT_EQ(wre_UVClamp24(INT32_MAX), 0xFFFFFF);
  EXPECT_EQ(wre_UVClamp24(0x40000000), 0xFFFFC0);
}

struct PlanRow {
  int32_t n;
  std::vector<int32_t> exactOffsets;
  std::vector<int32_t> segments;  // pixel counts; 8 with chunk = true first
  int32_t chunks;
};

void ExpectPlan(const Walk& walk, const PlanRow& row) {
  std::vector<int32_t> offsets;
  for (int32_t u : walk.exactU) offsets.push_back(u / 1000);
  EXPECT_EQ(offsets, row.exactOffsets) << "n = " << row.n;
  std::vector<int32_t> counts;
  int32_t chunks = 0;
  for (const Segment& s : walk.segments) {
    counts.push_back(s.count);
    chunks += s.chunk;
  }
  EXPECT_EQ(counts, row.segments) << "n = " << row.n;
  EXPECT_EQ(chunks, row.chunks) << "n = " << row.n;
  EXPECT_FALSE(walk.segments.back().chunk);
  ASSERT_EQ(walk.u.size(), static_cast<size_t>(row.n));
  for (int32_t j = 0; j < row.n; ++j) EXPECT_EQ(walk.u[j], 1000 * j) << "n = " << row.n << " pixel " << j;
}

TEST(SpanWalk, BlendedPlanChunksWhileMoreThanEightRemain) {
  const SoftGradients g = Linear(1000.0f, 0.0f);
  const PlanRow rows[] = {
      {1, {0, 1}, {1}, 0},
      {8, {0, 8}, {8}, 0},
      {9, {0, 8, 9}, {8, 1}, 1},
      {11, {0, 8, 11}, {8, 3}, 1},
      {12, {0, 8, 12}, {8, 4}, 1},
      {16, {0, 8, 16}, {8, 8}, 1},
      {17, {0, 8, 16, 17}, {8, 8, 1}, 2},
      {20, {0, 8, 16, 20}, {8, 8, 4}, 2},
      {27, {0, 8, 16, 24, 27}, {8, 8, 8, 3}, 3},
      {28, {0, 8, 16, 24, 28}, {8, 8, 8, 4}, 3},
  };
  for (const PlanRow& row : rows) ExpectPlan(WalkSpan<SpanPlan::kBlended>(g, row.n), row);
}

TEST(SpanWalk, KeyedPlanChunksWhileTwelveOrMoreRemain) {
  const SoftGradients g = Linear(1000.0f, 0.0f);
  const PlanRow rows[] = {
      {1, {0, 1}, {1}, 0},
      {8, {0, 8}, {8}, 0},
      {9, {0, 9}, {9}, 0},
      {11, {0, 11}, {11}, 0},
      {12, {0, 8, 12}, {8, 4}, 1},
      {16, {0, 8, 16}, {8, 8}, 1},
      {17, {0, 8, 17}, {8, 9}, 1},
      {20, {0, 8, 16, 20}, {8, 8, 4}, 2},
      // Look-aheads of 8 and then 11 during the two chunks.
      {27, {0, 8, 16, 27}, {8, 8, 11}, 2},
      {28, {0, 8, 16, 24, 28}, {8, 8, 8, 4}, 3},
  };
  for (const PlanRow& row : rows) ExpectPlan(WalkSpan<SpanPlan::kKeyed>(g, row.n), row);
}

TEST(SpanWalk, ChunkStepsShiftAndTailStepsDivide) {
  // Exact u: 0 at offset 0, -1 at offset 8 (and at 9, rounded).
  const SoftGradients g = Linear(-0.125f, 0.0f);
  const Walk tail8 = WalkSpan<SpanPlan::kBlended>(g, 8);
  EXPECT_EQ(tail8.segments, (std::vector<Segment>{{8, false, 0}}));  // -1 / 8 truncates to 0
  const Walk blended9 = WalkSpan<SpanPlan::kBlended>(g, 9);
  // The chunk steps by -1 >> 3 = -1 and ends at -8; the tail of 1 starts there.
  EXPECT_EQ(blended9.segments, (std::vector<Segment>{{8, true, -1}, {1, false, 7}}));
  EXPECT_EQ(blended9.u, (std::vector<int32_t>{0, -1, -2, -3, -4, -5, -6, -7, -8}));
  const Walk keyed9 = WalkSpan<SpanPlan::kKeyed>(g, 9);
  EXPECT_EQ(keyed9.segments, (std::vector<Segment>{{9, false, 0}}));

  // A difference of -9: -2 a pixel in a chunk, -1 in a tail of 8.
  const SoftGradients steep = Linear(-1.125f, 8.0f);
  EXPECT_EQ(WalkSpan<SpanPlan::kKeyed>(steep, 12).segments.front(), (Segment{8, true, -2}));
  EXPECT_EQ(WalkSpan<SpanPlan::kKeyed>(steep, 8).segments.front(), (Segment{8, false, -1}));
}

TEST(SpanWalk, ClampedSteppingUndershootsAndIsNeverClamped) {
  // Exact u 3 at offset 0, clamped to 0 from offset 8 on.
  const SoftGradients g = Linear(-0.5f, 3.0f);
  const Walk walk = WalkSpan<SpanPlan::kBlended, wre_UVClamp24>(g, 24);
  const std::vector<int32_t> expected = {3,  2,  1,  0,  -1, -2, -3, -4, -5, -5, -5, -5,
                                         -5, -5, -5, -5, -5, -5, -5, -5, -5, -5, -5, -5};
  EXPECT_EQ(walk.u, expected);
  // Without the clamp the exact points are followed.
  const Walk wrapped = WalkSpan<SpanPlan::kBlended, wre_UVClamp24>(g, 24, false);
  EXPECT_EQ(wrapped.u[16], 3 - 8);
  EXPECT_EQ(wrapped.u[23], -5);  // exact -9 at 24: a tail step of -4 / 8 = 0
}

TEST(SpanWalk, ZeroInverseDepthGivesTheOutOfRangeValue) {
  SoftGradients g = Linear(0.0f, 5.0f);
  g.invZOrigin = 0.0f;
  const Walk clamped = WalkSpan<SpanPlan::kKeyed, wre_UVClamp24>(g, 12);
  for (int32_t u : clamped.u) EXPECT_EQ(u, 0);
  const Walk wrapped = WalkSpan<SpanPlan::kKeyed, wre_UVClamp24>(g, 12, false);
  for (int32_t u : wrapped.u) EXPECT_EQ(u, INT32_MIN);
  EXPECT_EQ((wre_TexelOffset<8, 8>(0x80000000u, 0x80000000u)), 0u);
}

TEST(SpanWalk, ExactPointsAreReachedByChainedSingleAdditions) {
  // Near 2^23 single precision keeps whole units: three additions of 2.4 land on ...614, one of
  // 7.2 would land on ...615.
  const SoftGradients g = Linear(0.3f, 8388608.0f);
  const Walk blended = WalkSpan<SpanPlan::kBlended>(g, 25);
  EXPECT_EQ(blended.exactU, (std::vector<int32_t>{8388608, 8388610, 8388612, 8388614, 8388614}));
  // The keyed plan takes the same points the same way.
  const Walk keyed = WalkSpan<SpanPlan::kKeyed>(g, 28);
  const Walk blended28 = WalkSpan<SpanPlan::kBlended>(g, 28);
  EXPECT_EQ(keyed.exactU, blended28.exactU);
  EXPECT_EQ(keyed.exactU[3], 8388614);
}

float FromBits(uint32_t bits) { return std::bit_cast<float>(bits); }
uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

// Expected values are the exact rational results rounded once to single; where noted, rounding each
// operation to single gives another value.
TEST(SpanWalk, BlendedAndKeyedValuesAreRoundedOnce) {
  SoftGradients g{};
  g.uOverZDy = FromBits(0xC1DB1DA6);
  g.uOverZDx = FromBits(0xC39786DD);
  g.uOverZOrigin = FromBits(0x48940A3E);
  g.invZOrigin = 1.0f;
  EXPECT_EQ(Bits(SpanRoundedOnce::Start(g, 214, 48).UOverZ()), 0x48677671u);  // single steps: 0x48677672

  g = Linear(FromBits(0x7E400000), -FLT_MAX);  // the per-pixel value times 8 overflows single
  SpanRoundedOnce p = SpanRoundedOnce::Start(g, 0, 0);
  p.Advance(8.0f);
  EXPECT_EQ(Bits(p.UOverZ()), 0x7F000001u);  // single steps: infinity

  g = Linear(FromBits(0x44C5C697), FromBits(0x4757DAD4));
  p = SpanRoundedOnce::Start(g, 0, 0);
  p.Advance(7.0f);
  EXPECT_EQ(Bits(p.UOverZ()), 0x47818F23u);  // single steps: 0x47818F22

  g = Linear(0.0f, FromBits(0x4781358D));
  g.invZOrigin = FromBits(0x3B37E988);
  g.uOffset = FromBits(0x498254F5);
  uint32_t u, v;
  SpanRoundedOnce::Start(g, 0, 0).ExactUV<RecordExact>(false, u, v);
  EXPECT_EQ(u, 22506288u);  // single steps: 22506290
}

TEST(SpanWalk, BothPlansAdvanceByTheTailRoundedOnce) {
  // u/z from 95996632 by 0x48D94E37 a pixel, 1/z = 1: the exact points are u/z itself.
  const SoftGradients g = Linear(FromBits(0x48D94E37), FromBits(0x4CB7195B));
  for (const Walk& walk : {WalkSpan<SpanPlan::kBlended>(g, 7), WalkSpan<SpanPlan::kKeyed>(g, 7)}) {
    EXPECT_EQ(walk.exactU, (std::vector<int32_t>{95996632, 99111928}));  // single steps: 99111920 at 7
  }
  // The keyed look-ahead of 7 taken during the chunk reaches the same point as the blended tail.
  for (const Walk& walk : {WalkSpan<SpanPlan::kBlended>(g, 15), WalkSpan<SpanPlan::kKeyed>(g, 15)}) {
    EXPECT_EQ(walk.exactU, (std::vector<int32_t>{95996632, 99556968, 102672264}));  // single: 102672256 at 15
  }
}

TEST(SpanWalk, PerspectiveDivisionAndOffsets) {
  // u/z = 3000 x + 1000, 1/z = 0.5 + 0.5 x: u = (3000 x + 1000) / (0.5 + 0.5 x) - 100.
  SoftGradients g{};
  g.uOverZDx = 3000.0f;
  g.uOverZOrigin = 1000.0f;
  g.uOffset = 100.0f;
  g.invZDx = 0.5f;
  g.invZOrigin = 0.5f;
  const Walk walk = WalkSpan<SpanPlan::kBlended>(g, 8);
  EXPECT_EQ(walk.exactU, (std::vector<int32_t>{1900, 5456}));  // 2000 - 100; 25000 / 4.5 - 100
}

TEST(SpanWalk, SpansOfNoPixelsDrawNothing) {
  const Walk walk = WalkSpan<SpanPlan::kKeyed>(Linear(1.0f, 0.0f), 0);
  EXPECT_TRUE(walk.segments.empty());
}

// ---- texel addressing ----

template <int kW, int kH>
void ExpectConstants() {
  using A = SpanTexelAddress<kW, kH>;
  EXPECT_EQ(A::kUShift, 23 - kW);
  EXPECT_EQ(A::kUMask, ((1u << kW) - 1u) << 1);
  EXPECT_EQ(A::kVShift, 23 - kW - kH);
  EXPECT_EQ(A::kVMask, ((1u << kH) - 1u) << (kW + 1));
  if (kW > 0) {
    EXPECT_TRUE(A::kUShift >= 15 && A::kUShift <= 22);
  }
  if (kH > 0) {
    EXPECT_TRUE(A::kVShift >= 7 && A::kVShift <= 22);
  }
  // The offset is twice the texel number of the column and row that hold (u, v).
  uint32_t seed = 12345u + kW * 9u + kH;
  for (int i = 0; i < 200; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const uint32_t u = seed;
    seed = seed * 1664525u + 1013904223u;
    const uint32_t v = seed;
    const uint32_t column = static_cast<uint32_t>(static_cast<int32_t>(u) >> (24 - kW)) & ((1u << kW) - 1u);
    const uint32_t row = static_cast<uint32_t>(static_cast<int32_t>(v) >> (24 - kH)) & ((1u << kH) - 1u);
    ASSERT_EQ(A::Offset(u, v), 2u * ((row << kW) + column)) << kW << "x" << kH;
  }
}

template <size_t... kIndex>
void ExpectAllConstants(std::index_sequence<kIndex...>) {
  (ExpectConstants<static_cast<int>(kIndex % 9), static_cast<int>(kIndex / 9)>(), ...);
}

TEST(SpanTexelAddress, FourConstantsOfEverySize) { ExpectAllConstants(std::make_index_sequence<81>{}); }

TEST(SpanTexelAddress, TellingInstances) {
  struct Row {
    int w, h, entry, uShift;
    uint32_t uMask;
    int vShift;
    uint32_t vMask, lastOffset;
  };
  auto constants = [](auto address) {
    using A = decltype(address);
    return Row{0, 0, 0, A::kUShift, A::kUMask, A::kVShift, A::kVMask, A::Offset(0xFFFFFFu, 0xFFFFFFu)};
  };
  struct Expected {
    Row got;
    int entry, uShift;
    uint32_t uMask;
    int vShift;
    uint32_t vMask, lastOffset;
  };
  const Expected rows[] = {
      {constants(SpanTexelAddress<1, 0>{}), 1, 22, 0x2, -1, 0, 2},
      {constants(SpanTexelAddress<8, 0>{}), 8, 15, 0x1FE, -1, 0, 510},
      {constants(SpanTexelAddress<0, 1>{}), 9, -1, 0, 22, 0x2, 2},
      {constants(SpanTexelAddress<0, 8>{}), 72, -1, 0, 15, 0x1FE, 510},
      {constants(SpanTexelAddress<1, 1>{}), 10, 22, 0x2, 21, 0x4, 6},
      {constants(SpanTexelAddress<4, 4>{}), 40, 19, 0x1E, 15, 0x1E0, 510},
      {constants(SpanTexelAddress<6, 4>{}), 42, 17, 0x7E, 13, 0x780, 2046},
      {constants(SpanTexelAddress<5, 6>{}), 59, 18, 0x3E, 12, 0xFC0, 4094},
      {constants(SpanTexelAddress<6, 6>{}), 60, 17, 0x7E, 11, 0x1F80, 8190},
      {constants(SpanTexelAddress<8, 5>{}), 53, 15, 0x1FE, 10, 0x3E00, 16382},
      {constants(SpanTexelAddress<5, 8>{}), 77, 18, 0x3E, 10, 0x3FC0, 16382},
      {constants(SpanTexelAddress<8, 8>{}), 80, 15, 0x1FE, 7, 0x1FE00, 131070},
      {constants(SpanTexelAddress<8, 4>{}), 44, 15, 0x1FE, 11, 0x1E00, 8190},
      {constants(SpanTexelAddress<0, 4>{}), 36, -1, 0, 19, 0x1E, 30},
  };
  for (const Expected& e : rows) {
    SCOPED_TRACE(e.entry);
    if (e.uMask != 0) {
      EXPECT_EQ(e.got.uShift, e.uShift);
    }
    EXPECT_EQ(e.got.uMask, e.uMask);
    if (e.vMask != 0) {
      EXPECT_EQ(e.got.vShift, e.vShift);
    }
    EXPECT_EQ(e.got.vMask, e.vMask);
    EXPECT_EQ(e.got.lastOffset, e.lastOffset);
  }
  EXPECT_EQ((SpanTexelAddress<0, 0>::kUMask | SpanTexelAddress<0, 0>::kVMask), 0u);
  EXPECT_EQ(wre_SpanFillIndex(6, 4), 42);
  EXPECT_EQ(wre_SpanFillIndex(4, 6), 58);
}

TEST(SpanTexelAddress, Examples) {
  EXPECT_EQ((wre_TexelOffset<6, 4>(5u * (1u << 18) + 12345u, 3u * (1u << 20) + 7u)), 394u);
  EXPECT_EQ((wre_TexelOffset<6, 4>(0xFFFFFFFFu, 0)), 126u);
  EXPECT_EQ((wre_TexelOffset<6, 4>(1u << 24, 0)), 0u);
  EXPECT_EQ((wre_TexelOffset<6, 4>(static_cast<uint32_t>(-(1 << 18)), static_cast<uint32_t>(-(1 << 20)))), 2046u);
  EXPECT_EQ((wre_TexelOffset<8, 8>(0xFFFFFFu, 0xFFFFFFu)), 131070u);
  EXPECT_EQ((wre_TexelOffset<0, 8>(0x12345678u, 1u << 23)), 256u);
  EXPECT_EQ((wre_TexelOffset<1, 0>(1u << 23, 0x7654321u)), 2u);
  EXPECT_EQ((wre_TexelOffset<0, 0>(static_cast<uint32_t>(-77), 99999999u)), 0u);
  // 32 x 32 and 1 x 256 and 256 x 256 by their written-out formulas.
  const uint32_t u = 0x9E3779B9u, v = 0x7F4A7C15u;
  EXPECT_EQ((wre_TexelOffset<5, 5>(u, v)),
            ((static_cast<uint32_t>(static_cast<int32_t>(u) >> 18) & 0x3E) +
             (static_cast<uint32_t>(static_cast<int32_t>(v) >> 13) & 0x7C0)));
  EXPECT_EQ((wre_TexelOffset<0, 8>(u, v)), static_cast<uint32_t>(static_cast<int32_t>(v) >> 15) & 0x1FE);
  EXPECT_EQ((wre_TexelOffset<8, 8>(u, v)),
            ((static_cast<uint32_t>(static_cast<int32_t>(u) >> 15) & 0x1FE) +
             (static_cast<uint32_t>(static_cast<int32_t>(v) >> 7) & 0x1FE00)));
}

}  // namespace
