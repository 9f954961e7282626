#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "engine/data/ripple.h"
#include "engine/data/texture.h"
#include "platform/test/plat_gl.h"
#include "tests/engine/core/object_test_support.h"
#include "tests/engine/data/texture_test_support.h"

namespace {

using texture_test::gGl;
using texture_test::TextureTest;
using texture_test::Word;

int32_t& At(int32_t* field, int32_t x, int32_t y) { return field[x + y * 8]; }

class Ripples : public TextureTest {
 protected:
  // An 8 x 8 ripple texture of the given context (default: one that keeps no renderer copy).
  Texture* Make(DrawingContext* context = nullptr, Offscreen* image = nullptr) {
    int32_t handle = -1;
    EXPECT_EQ(wre_TextureFindFree(&handle), 0);
    EXPECT_EQ(wre_TextureDefine(handle, image ? image : Indexed(8, 8), context ? context : &none_,
                                kTextureCreateRipple, "water.bmp", nullptr, kRippleKind, kRippleKind, 0, 0, 0,
                                nullptr),
              0);
    Texture* t = &gTextureTable[handle];
    EXPECT_NE(t->ripple, nullptr);
    return t;
  }
};

TEST_F(Ripples, WaveStepSumsTwelveNeighboursAndLeavesTheBorder) {
  Texture* t = Make();
  RippleRender* render = t->ripple->render;
  RippleSimulation* sim = t->ripple->simulation;
  EXPECT_EQ(render->rowShift, 3);
  EXPECT_EQ(render->columnMask, 7);
  EXPECT_EQ(render->coordShiftX, 5);
  int32_t* current = render->current;
  int32_t* previous = render->previous;
  At(current, 4, 4) = 32 << 16;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if (x < 2 || x > 5 || y < 2 || y > 5) At(previous, x, y) = 77;
    }
  }
  At(previous, 4, 3) = 1000;
  wre_RippleSimulate(sim, 0);
  // c = 2097152 for every cell that has (4, 4) among its twelve: n = c/8 + c/32 - previous.
  EXPECT_EQ(At(previous, 4, 3), 262144 + 65536 - 1000);
  EXPECT_EQ(At(previous, 4, 2), 327680);  // two above
  EXPECT_EQ(At(previous, 2, 4), 327680);  // two left
  EXPECT_EQ(At(previous, 3, 3), 327680);  // diagonal
  EXPECT_EQ(At(previous, 5, 5), 327680);
  EXPECT_EQ(At(previous, 4, 4), 0);  // a cell is not its own neighbour
  EXPECT_EQ(At(previous, 2, 2), 0);
  EXPECT_EQ(At(previous, 3, 2), 0);
  EXPECT_EQ(At(previous, 0, 0), 77);
  EXPECT_EQ(At(previous, 6, 4), 77);
  EXPECT_EQ(At(previous, 4, 7), 77);
  EXPECT_EQ(At(previous, 1, 4), 77);
  EXPECT_EQ(At(current, 4, 4), 32 << 16);  // the current field is only read
  EXPECT_EQ(render->changed, 1);

  // Damping 0.5 halves each new value: n - (32768 n >> 16).
  std::memset(previous, 0, 64 * sizeof(int32_t));
  At(previous, 4, 3) = 1000;
  wre_RippleSetDamping(sim, 0.5f);
  wre_RippleSimulate(sim, 0);
  EXPECT_EQ(At(previous, 4, 2), 163840);
  EXPECT_EQ(At(previous, 4, 3), 326680 - 163340);
}

TEST_F(Ripples, DampingMakesTheWaveDieDownFaster) {
  auto energy = [this](float damping) {
    Texture* t = Make();
    wre_RippleSetDamping(t->ripple->simulation, damping);
    At(t->ripple->render->current, 4, 4) = 100 << 16;
    for (int step = 0; step < 12; ++step) {
      wre_RippleSimulate(t->ripple->simulation, 0);
      wre_RippleRedraw(t->ripple->render);
    }
    int64_t sum = 0;
    for (int i = 0; i < 64; ++i) sum += std::llabs(t->ripple->render->current[i]);
    return sum;
  };
  int64_t undamped = energy(0.0f);
  int64_t damped = energy(0.5f);
  EXPECT_GT(undamped, 0);
  EXPECT_LT(damped, undamped / 4);
}

TEST_F(Ripples, HugeStrengthsWrapInsteadOfOverflowing) {
  Texture* t = Make();
  RippleSimulation* sim = t->ripple->simulation;
  wre_RippleSetDamping(sim, 0.9f);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(wre_RippleAddDrop(sim, 64 * i, 96, INT_MAX, 0), 0);
  for (int step = 0; step < 30; ++step) {
    gFrameTick = static_cast<uint32_t>(step + 1);
    ASSERT_EQ(wre_RippleStep(t, 1), 0);
  }
  wre_RippleSetDamping(sim, 1e30f);  // a factor beyond 32 bits is held at the largest one
  ASSERT_EQ(wre_RippleStep(t, 1), 0);
}

TEST_F(Ripples, DropsFireAfterTheirIntervalOrWhenForced) {
  gFrameTick = 100;
  Texture* t = Make();
  EXPECT_EQ(t->ripple->startTick, 100u);
  RippleSimulation* sim = t->ripple->simulation;
  RippleRender* render = t->ripple->render;
  ASSERT_EQ(wre_RippleAddDrop(sim, 128, 64, 3, 10), 0);
  EXPECT_EQ(sim->drops[0].cellX, 4);
  EXPECT_EQ(sim->drops[0].cellY, 2);
  EXPECT_EQ(sim->drops[0].lastTick, 100u);

  auto fired = [&](uint32_t tick, int32_t force) {
    gFrameTick = tick;
    std::memset(render->current, 0, 64 * sizeof(int32_t));
    std::memset(render->previous, 0, 64 * sizeof(int32_t));
    wre_RippleSimulate(sim, force);
    return At(render->previous, 4, 2) == 3 << 16;
  };
  EXPECT_FALSE(fired(110, 0));  // 100 + 10 is not below 110
  EXPECT_EQ(sim->drops[0].lastTick, 100u);
  EXPECT_TRUE(fired(111, 0));
  EXPECT_EQ(sim->drops[0].lastTick, 111u);
  EXPECT_TRUE(fired(111, 1));  // force fires whatever the tick

  sim->drops[0].interval = 0;
  EXPECT_FALSE(fired(111, 0));
  EXPECT_TRUE(fired(112, 0));

  // The sum of last tick and interval wraps like the tick count does.
  sim->drops[0].lastTick = 0xFFFFFFF0u;
  sim->drops[0].interval = 0x20;
  EXPECT_FALSE(fired(0x10, 0));
  EXPECT_TRUE(fired(0x11, 0));
}

TEST_F(Ripples, DropCellsStayOnTheGridAnd255AreHeld) {
  Texture* t = Make();
  RippleSimulation* sim = t->ripple->simulation;
  ASSERT_EQ(wre_RippleAddDrop(sim, 300, -40, 1, 1), 0);
  EXPECT_EQ(sim->drops[0].cellX, 1);  // 300 >> 5 = 9, wrapped to the 8 columns
  EXPECT_EQ(sim->drops[0].cellY, 6);  // -40 >> 5 = -2, wrapped to the 8 rows
  for (int i = 1; i < 255; ++i) ASSERT_EQ(wre_RippleAddDrop(sim, i, i, 1, 1), 0) << i;
  EXPECT_EQ(wre_RippleAddDrop(sim, 0, 0, 1, 1), kRippleErrDropsFull);
  EXPECT_EQ(sim->dropCount, 255);
  EXPECT_EQ(wre_RippleAddDrop(nullptr, 0, 0, 1, 1), kWreErrNull);
  EXPECT_EQ(wre_RippleSetDamping(nullptr, 0.1f), kWreErrNull);
}

TEST_F(Ripples, SlopesDisplaceTheSourceImageWithWrap) {
  Texture* t = Make();
  RippleRender* render = t->ripple->render;
  EXPECT_FALSE(wre_RippleRedraw(render));  // nothing changed, nothing drawn
  At(render->previous, 3, 3) = 2 << 16;
  At(render->previous, 0, 0) = 3 << 16;
  At(render->previous, 5, 6) = -1;
  render->changed = 1;
  ASSERT_TRUE(wre_RippleRedraw(render));
  EXPECT_EQ(render->changed, 0);
  EXPECT_EQ(At(render->current, 3, 3), 2 << 16);  // the new field became the current one
  auto out = [render](int x, int y) { return render->output->pixels[y * render->output->rowBytes + x]; };
  // The source pixel at (x, y) is index x + 8 y.
  EXPECT_EQ(out(2, 3), 0 + 24);   // dx = -2
  EXPECT_EQ(out(4, 3), 6 + 24);   // dx = +2
  EXPECT_EQ(out(3, 2), 3 + 0);    // dy = -2
  EXPECT_EQ(out(3, 4), 3 + 48);   // dy = +2
  EXPECT_EQ(out(3, 3), 27);       // flat where the slopes cancel
  EXPECT_EQ(out(7, 0), 4);        // (7 - 3) across the right edge
  EXPECT_EQ(out(1, 0), 4);
  EXPECT_EQ(out(0, 7), 32);       // row (7 - 3) across the bottom edge
  EXPECT_EQ(out(6, 6), 5 + 48);   // -1 >> 16 is -1: one column left
  EXPECT_EQ(out(4, 6), 4 + 48);   // +1 >> 16 is 0
  EXPECT_EQ(render->source->pixels[3 * 8 + 2], 26);  // the source stays as it was
}

TEST_F(Ripples, EachStepHandsTheRedrawnImageToTheRenderer) {
  Texture* t = Make(&software_);
  ASSERT_EQ(wre_RippleAddDrop(t->ripple->simulation, 96, 96, 2, 1000), 0);  // cell (3, 3)
  ASSERT_EQ(wre_RippleStep(t, 1), 0);
  ASSERT_NE(t->pixels, nullptr);
  EXPECT_EQ(t->ripple->render->output->pixels[3 * 8 + 2], 24);
  // Index 24 is (24, 231, 12) in 555 with the top bit set.
  EXPECT_EQ(Word(t->pixels + t->offscreen->rowBytes * 3 + 4), 0x8000 | (3 << 10) | (28 << 5) | 1);

  // A 16-bit image is not displaced but still goes to the renderer on every step.
  plat_GlSetFunctions(&recorder_);
  Offscreen* wide = Image(16, kOffscreen555, 8, 8, [](int32_t x, int32_t y) {
    return std::vector<uint8_t>{static_cast<uint8_t>(x * 8 + y), 0x80};
  });
  Texture* g = Make(&opengl_, wide);
  ASSERT_EQ(wre_RippleAddDrop(g->ripple->simulation, 96, 96, 50, 0), 0);
  ASSERT_EQ(gGl.images.size(), 1u);
  for (int step = 1; step <= 3; ++step) {
    gFrameTick = static_cast<uint32_t>(step);
    ASSERT_EQ(wre_RippleStep(g, 1), 0);
    ASSERT_EQ(gGl.images.size(), static_cast<size_t>(step + 1));
    EXPECT_EQ(gGl.images.back(), gGl.images.front());
  }
}

TEST_F(Ripples, CreationChecksAndDisposalFreesEverything) {
  Texture bare{};
  Offscreen* image = Indexed(8, 8);
  EXPECT_EQ(wre_RippleNew(&bare, 5, kRippleKind, 0, 0, image), kRippleErrRenderKind);
  EXPECT_EQ(wre_RippleNew(&bare, kRippleKind, 5, 0, 0, image), kRippleErrSimulationKind);
  EXPECT_EQ(wre_RippleNew(nullptr, kRippleKind, kRippleKind, 0, 0, image), kWreErrNull);
  EXPECT_EQ(wre_RippleNew(&bare, kRippleKind, kRippleKind, 0, 0, nullptr), kWreErrNull);
  // Drop cells are bytes: grids wider than 256 are refused.
  EXPECT_EQ(wre_RippleNew(&bare, kRippleKind, kRippleKind, 0, 0, Plain(8, 512, 8)), kTextureErrSize);
  EXPECT_EQ(bare.ripple, nullptr);

  Ripple* got = reinterpret_cast<Ripple*>(&bare);
  EXPECT_EQ(wre_RippleGet(&bare, &got), 0);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(wre_RippleGet(nullptr, &got), kWreErrNull);
  EXPECT_EQ(wre_RippleStep(nullptr, 0), kWreErrNull);
  EXPECT_EQ(wre_RippleStep(&bare, 0), kRippleErrNone);

  Offscreen* water = Indexed(8, 8);
  object_test::BlockWatch watch;
  Texture* t = Make(nullptr, water);
  t->ripple->renderKind = 3;
  EXPECT_EQ(wre_RippleStep(t, 0), kRippleErrRenderKind);
  t->ripple->renderKind = kRippleKind;
  EXPECT_EQ(wre_RippleGet(t, &got), 0);
  EXPECT_EQ(got, t->ripple);
  EXPECT_EQ(wre_TextureRelease(t->handle), 0);
  EXPECT_EQ(watch.Left(), 0);
}

}  // namespace
