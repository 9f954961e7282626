// Water ripple steps per second: one wave step and one displacement redraw of an 8-bit image, with
// the hand-over to the renderer (kind 104 keeps no copy; the software kind converts to 1555 each step).
#include <benchmark/benchmark.h>

#include <cstring>

#include "engine/core/colour_scale.h"
#include "engine/core/frame_tick.h"
#include "engine/core/memory.h"
#include "engine/data/ripple.h"
#include "engine/data/texture.h"
#include "engine/render/context.h"

namespace {

Offscreen* WaterImage(int32_t side) {
  WreRect rect{0, 0, side, side};
  Offscreen* image = wre_OffscreenNew(kOffscreenMemory, &rect, 0, 8, 256, nullptr, nullptr);
  for (int32_t y = 0; y < side; ++y) {
    for (int32_t x = 0; x < side; ++x) image->pixels[y * image->rowBytes + x] = static_cast<uint8_t>(x ^ y);
  }
  for (int i = 0; i < 256; ++i) {
    uint8_t entry[4] = {255, static_cast<uint8_t>(i / 4), static_cast<uint8_t>(64 + i / 2),
                        static_cast<uint8_t>(128 + i / 2)};
    std::memcpy(image->paletteB[i], entry, 4);
  }
  return image;
}

void RippleSteps(benchmark::State& state, int32_t rendererKind) {
  wre_MemoryInit();
  gColourToByte = 1.0f;
  wre_TextureTableInit(4);
  auto side = static_cast<int32_t>(state.range(0));
  DrawingContext context{};
  context.kind = rendererKind;
  Offscreen* image = WaterImage(side);
  int32_t handle = -1;
  wre_TextureFindFree(&handle);
  if (wre_TextureDefine(handle, image, &context, kTextureCreateRipple, "water.bmp", nullptr, kRippleKind, kRippleKind,
                        0, 0, 0, nullptr) != 0) {
    state.SkipWithError("ripple texture not made");
    return;
  }
  Texture* texture = &gTextureTable[handle];
  RippleSimulation* simulation = texture->ripple->simulation;
  wre_RippleSetDamping(simulation, 0.05f);
  for (int i = 0; i < 8; ++i) wre_RippleAddDrop(simulation, 30 * i, 255 - 29 * i, 300, 15 + i);
  uint32_t tick = 1;
  for (auto _ : state) {
    gFrameTick = tick++;
    benchmark::DoNotOptimize(wre_RippleStep(texture, 0));
  }
  state.SetItemsProcessed(state.iterations());
  wre_TextureTableFree();
  wre_OffscreenDispose(image);
  gFrameTick = 0;
}

void BM_RippleStep(benchmark::State& state) { RippleSteps(state, kRenderer3dfx); }
void BM_RippleStepSoftwareUpload(benchmark::State& state) { RippleSteps(state, kRendererSoftware); }

BENCHMARK(BM_RippleStep)->Arg(64)->Arg(256);
BENCHMARK(BM_RippleStepSoftwareUpload)->Arg(64)->Arg(256);

}  // namespace

BENCHMARK_MAIN();
