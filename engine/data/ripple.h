// The water ripple: a wave simulation on a grid the size of a texture, disturbed by drops that fire
// at fixed intervals, whose slopes displace the texture's 8-bit source image. Heights are 16.16
// fixed point.
#pragma once
#include <cstdint>

#include "engine/data/offscreen.h"

struct Texture;
struct Ripple;

enum : int32_t {
  kRippleKind = 100,  // the only render and simulation kind
  kRippleErrRenderKind = -40000,
  kRippleErrSimulationKind = -40001,
  kRippleErrNone = -40002,      // the texture has no ripple
  kRippleErrDropsFull = -40010,
};

constexpr int32_t kRippleDropSlots = 256;
constexpr int32_t kRippleDropLimit = 255;

struct RippleRender {
  Offscreen* source;
  Offscreen* output;
  uint16_t width;
  uint16_t height;
  int32_t rowShift;     // log2 of the width
  int32_t log2Height;
  int32_t columnMask;   // width - 1
  int32_t rowMask;      // height - 1
  int32_t coordShiftX;  // 0-255 texture coordinates to cells
  int32_t coordShiftY;
  int32_t* heightFields[2];  // owned, 16.16 heights; current and previous take turns at them
  int32_t* current;
  int32_t* previous;
  uint8_t changed;
  Ripple* owner;
};

struct RippleDrop {
  uint8_t cellX;
  uint8_t cellY;
  uint32_t lastTick;
  int32_t interval;
  int32_t strength;
};

struct RippleSimulation {
  int32_t dropCount;
  RippleDrop drops[kRippleDropSlots];
  float damping;
  uint16_t width;
  uint16_t height;
  int32_t rowShift;
  int32_t log2Height;
  int32_t columnMask;
  int32_t rowMask;
  int32_t coordShiftX;
  int32_t coordShiftY;
  int32_t** heightFields;  // the render part's two fields
  int32_t** current;
  int32_t** previous;
  uint8_t* changed;
  Ripple* owner;
};

struct Ripple {
  int32_t renderKind;
  int32_t simulationKind;
  RippleRender* render;
  RippleSimulation* simulation;
  uint32_t startTick;
  Texture* texture;
};

int32_t wre_RippleNew(Texture* texture, int32_t renderKind, int32_t simulationKind, int32_t unused1, int32_t unused2,
                      const Offscreen* source);
int32_t wre_RippleDispose(Texture* texture);
int32_t wre_RippleGet(Texture* texture, Ripple** out);
int32_t wre_RippleSetDamping(RippleSimulation* simulation, float damping);
// x and y in 0-255 texture coordinates.
int32_t wre_RippleAddDrop(RippleSimulation* simulation, int32_t x, int32_t y, int32_t strength, int32_t interval);
// One simulation step and one render.
int32_t wre_RippleStep(Texture* texture, int32_t force);

// The two halves of a step, for tests and benchmarks.
void wre_RippleSimulate(RippleSimulation* simulation, int32_t force);
// Swaps the fields and redraws the output image when the simulation changed; no upload.
bool wre_RippleRedraw(RippleRender* render);
