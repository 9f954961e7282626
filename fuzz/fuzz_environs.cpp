// Reads arbitrary bytes as a course's water settings file: the engine's world reader with the
// game's water-line handler, into a world, then again in the release mode that removes the lights
// the first read made and sets no water values. Every water setting the reader accepts must be a
// finite number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/world.h"
#include "engine/data/codex.h"
#include "engine/data/world_file.h"
#include "game/world/environs.h"
#include "game/world/water_surface.h"

namespace {

bool Start() {
  wre_MemoryInit();
  wre_MathTablesInit();
  gColourMax = gColourMaxAlpha = 255.0f;
  return true;
}

bool Finite(const float* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(values[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Start();
  (void)ready;
  if (size > (1u << 20)) return 0;
  WaterworksReset(nullptr);
  World* world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, nullptr, nullptr, 0.0f, 0);
  if (!world) return 0;
  // The text is copied into a block of exactly its size, so a read past the end is caught.
  std::vector<char> bytes(data, data + size);
  const char* text = bytes.data();
  const int32_t length = static_cast<int32_t>(bytes.size());

  wre_CodexSetWorldFlags(0);
  (void)WorldFileLoadData(text, length, world, EnvironsTokenHandler);
  const WaterSettings& w = gWaterSettings;
  const float scalars[] = {w.textureTileFactor, w.waveHeightMultiplier, w.basisY, w.heightToSpecularRatio,
                           w.minHeightToSpecularThresh, w.uvCyclicMultiplier};
  if (!Finite(scalars, 6) || !Finite(w.heightToTextureUVRatio, 2) || !Finite(w.waterUVPoint, 2) ||
      !Finite(w.waterUVAddPoint, 2) || !Finite(w.singularTexUV, 2)) {
    std::abort();
  }
  wre_CodexSetWorldFlags(kCodexWorldRemoveLights | kCodexWorldSkipValues);
  (void)WorldFileLoadData(text, length, world, EnvironsTokenHandler);
  wre_CodexSetWorldFlags(0);

  wre_WorldDisposeObjects(world);
  wre_WorldDisposeLights(world);
  wre_WorldDispose(world);
  return 0;
}
