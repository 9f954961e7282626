#include "engine/data/ripple.h"

#include <cmath>
#include <cstring>

#include "engine/core/frame_tick.h"
#include "engine/core/memory.h"
#include "engine/core/wre_types.h"
#include "engine/data/texture.h"

namespace {

// Heights are 32-bit values that wrap; sums and products are taken wide so that nothing overflows
// before the wrap.
int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

int32_t Log2Exact(int32_t n) {
  for (int32_t k = 0; k <= 8; ++k) {
    if (n == (1 << k)) return k;
  }
  return -1;
}

void FreeRender(RippleRender* render) {
  if (!render) return;
  wre_OffscreenDispose(render->source);
  wre_OffscreenDispose(render->output);
  for (int32_t* field : render->heightFields) {
    if (field) wre_MemoryDispose(field);
  }
  wre_MemoryDispose(render);
}

// The damping as a 16.16 factor; a value that is not a number or beyond the 32-bit range is clamped.
int64_t DampingFactor(float damping) {
  double d = std::rint(static_cast<double>(damping) * 65536.0);
  if (d != d) return 0;
  if (d > 2147483647.0) return 2147483647;
  if (d < -2147483648.0) return -2147483648LL;
  return static_cast<int64_t>(d);
}

}  // namespace

int32_t wre_RippleNew(Texture* texture, int32_t renderKind, int32_t simulationKind, int32_t, int32_t,
                      const Offscreen* source) {
  if (renderKind != kRippleKind) return kRippleErrRenderKind;
  if (simulationKind != kRippleKind) return kRippleErrSimulationKind;
  auto* ripple = wre_MemoryNewArray<Ripple>(1);
  if (!ripple) return kWreErrNoMemory;
  if (!texture || !source) {
    wre_MemoryDispose(ripple);
    return kWreErrNull;
  }
  // The drop cells are bytes and the grid is addressed by power-of-two shifts: sides 1 to 256.
  int32_t log2W = Log2Exact(source->width);
  int32_t log2H = Log2Exact(source->height);
  if (log2W < 0 || log2H < 0) {
    wre_MemoryDispose(ripple);
    return kTextureErrSize;
  }
  ripple->renderKind = renderKind;
  ripple->simulationKind = simulationKind;
  ripple->startTick = gFrameTick;
  ripple->texture = texture;

  auto* render = wre_MemoryNewArray<RippleRender>(1);
  auto* simulation = wre_MemoryNewArray<RippleSimulation>(1);
  if (!render || !simulation) {
    if (render) wre_MemoryDispose(render);
    if (simulation) wre_MemoryDispose(simulation);
    wre_MemoryDispose(ripple);
    return kWreErrNoMemory;
  }
  render->source = wre_OffscreenDuplicate(source);
  render->output = wre_OffscreenDuplicate(source);
  if (!render->source || !render->output) {
    FreeRender(render);
    wre_MemoryDispose(simulation);
    wre_MemoryDispose(ripple);
    return kTextureErrGLCopy;
  }
  int32_t cells = source->width * source->height;
  render->heightFields[0] = wre_MemoryNewArray<int32_t>(cells);
  render->heightFields[1] = wre_MemoryNewArray<int32_t>(cells);
  if (!render->heightFields[0] || !render->heightFields[1]) {
    FreeRender(render);
    wre_MemoryDispose(simulation);
    wre_MemoryDispose(ripple);
    return kWreErrNoMemory;
  }
  render->width = static_cast<uint16_t>(source->width);
  render->height = static_cast<uint16_t>(source->height);
  render->rowShift = log2W;
  render->log2Height = log2H;
  render->columnMask = source->width - 1;
  render->rowMask = source->height - 1;
  render->coordShiftX = 8 - log2W;
  render->coordShiftY = 8 - log2H;
  render->current = render->heightFields[0];
  render->previous = render->heightFields[1];
  render->owner = ripple;

  simulation->width = render->width;
  simulation->height = render->height;
  simulation->rowShift = render->rowShift;
  simulation->log2Height = render->log2Height;
  simulation->columnMask = render->columnMask;
  simulation->rowMask = render->rowMask;
  simulation->coordShiftX = render->coordShiftX;
  simulation->coordShiftY = render->coordShiftY;
  simulation->heightFields = render->heightFields;
  simulation->current = &render->current;
  simulation->previous = &render->previous;
  simulation->changed = &render->changed;
  simulation->owner = ripple;

  ripple->render = render;
  ripple->simulation = simulation;
  texture->ripple = ripple;
  return 0;
}

int32_t wre_RippleDispose(Texture* texture) {
  if (!texture) return kWreErrNull;
  while (Ripple* ripple = texture->ripple) {
    texture->ripple = nullptr;
    if (ripple->simulation) wre_MemoryDispose(ripple->simulation);
    FreeRender(ripple->render);
    wre_MemoryDispose(ripple);
  }
  return 0;
}

int32_t wre_RippleGet(Texture* texture, Ripple** out) {
  if (!texture || !out) return kWreErrNull;
  *out = texture->ripple;
  return 0;
}

int32_t wre_RippleSetDamping(RippleSimulation* simulation, float damping) {
  if (!simulation) return kWreErrNull;
  simulation->damping = damping;
  return 0;
}

int32_t wre_RippleAddDrop(RippleSimulation* simulation, int32_t x, int32_t y, int32_t strength, int32_t interval) {
  if (!simulation) return kWreErrNull;
  if (simulation->dropCount > kRippleDropLimit - 1) return kRippleErrDropsFull;
  RippleDrop& drop = simulation->drops[simulation->dropCount];
  // Coordinates outside 0-255 wrap onto the grid instead of reaching past it.
  drop.cellX = static_cast<uint8_t>((x >> simulation->coordShiftX) & simulation->columnMask);
  drop.cellY = static_cast<uint8_t>((y >> simulation->coordShiftY) & simulation->rowMask);
  drop.strength = strength;
  drop.interval = interval;
  drop.lastTick = gFrameTick;
  ++simulation->dropCount;
  return 0;
}

void wre_RippleSimulate(RippleSimulation* s, int32_t force) {
  if (!s || !s->current || !s->previous) return;
  const int32_t* cur = *s->current;
  int32_t* prev = *s->previous;
  const int64_t d = DampingFactor(s->damping);
  const int32_t w = s->width;
  const int32_t h = s->height;
  const int32_t shift = s->rowShift;
  const int64_t row = int64_t{1} << shift;
  for (int32_t i = 2; i <= h - 3; ++i) {
    const int32_t* up2 = cur + ((static_cast<int64_t>(i) - 2) << shift);
    const int32_t* up1 = up2 + row;
    const int32_t* mid = up1 + row;
    const int32_t* dn1 = mid + row;
    const int32_t* dn2 = dn1 + row;
    int32_t* out = prev + (static_cast<int64_t>(i) << shift);
    for (int32_t j = 2; j <= w - 3; ++j) {
      int64_t c = int64_t{mid[j - 2]} + mid[j + 2] + up2[j] + dn2[j] + mid[j - 1] + mid[j + 1] + up1[j] + dn1[j] +
                  up1[j - 1] + up1[j + 1] + dn1[j - 1] + dn1[j + 1];
      int32_t n = Wrap32((c >> 3) + (c >> 5) - out[j]);
      out[j] = Wrap32(int64_t{n} - ((d * n) >> 16));
    }
  }
  for (int32_t k = 0; k < s->dropCount; ++k) {
    RippleDrop& drop = s->drops[k];
    uint32_t due = drop.lastTick + static_cast<uint32_t>(drop.interval);
    if (due < gFrameTick || force) {
      int64_t cell = (drop.cellX & s->columnMask) + (static_cast<int64_t>(drop.cellY & s->rowMask) << shift);
      prev[cell] = Wrap32(int64_t{prev[cell]} + int64_t{drop.strength} * 65536);
      drop.lastTick = gFrameTick;
    }
  }
  *s->changed = 1;
}

bool wre_RippleRedraw(RippleRender* r) {
  if (!r || !r->changed) return false;
  int32_t* swap = r->current;
  r->current = r->previous;
  r->previous = swap;
  r->changed = 0;
  const Offscreen* source = r->source;
  Offscreen* output = r->output;
  if (source->depth != 8 || !source->pixels || !output->pixels) return true;
  const int32_t* f = r->current;
  const int32_t shift = r->rowShift;
  const int32_t rowMask = r->rowMask;
  const int32_t colMask = r->columnMask;
  for (int32_t i = 0; i < r->height; ++i) {
    const int32_t* above = f + (static_cast<int64_t>((i - 1) & rowMask) << shift);
    const int32_t* below = f + (static_cast<int64_t>((i + 1) & rowMask) << shift);
    const int32_t* here = f + (static_cast<int64_t>(i) << shift);
    uint8_t* out = output->pixels + static_cast<size_t>(i) * static_cast<size_t>(output->rowBytes);
    for (int32_t j = 0; j < r->width; ++j) {
      auto dy = static_cast<int32_t>((int64_t{above[j]} - below[j]) >> 16);
      auto dx = static_cast<int32_t>((int64_t{here[(j - 1) & colMask]} - here[(j + 1) & colMask]) >> 16);
      int32_t sy = (i + dy) & rowMask;
      int32_t sx = (j + dx) & colMask;
      out[j] = source->pixels[static_cast<size_t>(sy) * static_cast<size_t>(source->rowBytes) + static_cast<size_t>(sx)];
    }
  }
  return true;
}

int32_t wre_RippleStep(Texture* texture, int32_t force) {
  if (!texture) return kWreErrNull;
  Ripple* ripple = texture->ripple;
  if (!ripple) return kRippleErrNone;
  if (ripple->simulationKind != kRippleKind) return kRippleErrSimulationKind;
  if (ripple->renderKind != kRippleKind) return kRippleErrRenderKind;
  wre_RippleSimulate(ripple->simulation, force);
  if (!wre_RippleRedraw(ripple->render)) return 0;
  return wre_TextureReupload(texture, ripple->render->output, texture->context);
}
