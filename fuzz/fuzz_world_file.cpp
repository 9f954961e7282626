// Loads arbitrary bytes as a world file into a world holding one named object, with an
// external-reference handler that reads fields of its line the way the game's does, then reads the
// same bytes again in the remove-lights mode. The first byte picks the world flags of the first
// read. Allocations are held to a budget per input, so large grids also reach the out-of-memory
// paths instead of exhausting the fuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/world.h"
#include "engine/data/codex.h"
#include "engine/data/material.h"
#include "engine/data/world_file.h"

namespace {

constexpr size_t kBudget = size_t{64} << 20;
size_t gSpent = 0;

void* BudgetAlloc(size_t size) {
  if (size > kBudget - gSpent) return nullptr;
  gSpent += size;
  return std::malloc(size);
}

int32_t Handler(const char** text, int32_t* remaining) {
  char word[256];
  float value = 0.0f;
  int32_t result = wre_CodexReadString(text, remaining, word, sizeof(word));
  if (result == 0) result = wre_CodexReadFloat(text, remaining, &value);
  // A field the handler misses ends the read with its code, as the game's handler does.
  return result;
}

bool Start() {
  wre_MemoryInit();
  wre_MathTablesInit();
  gColourMax = gColourMaxAlpha = 255.0f;
  wre_MaterialTableInit(4);
  int32_t water = wre_MaterialCreate(0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, "water");
  wre_MaterialSetIdent(water, "water");
  wre_MemorySetHeap(BudgetAlloc);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Start();
  (void)ready;
  if (size == 0 || size > (1u << 20)) return 0;
  gSpent = 0;
  World* world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, nullptr, nullptr, 0.0f, 0);
  if (!world) return 0;
  EngineObject* buoy = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  if (buoy) {
    wre_ObjectSetName(buoy, "buoy01");
    wre_WorldAddObject(buoy, world);
  }
  // The text is copied into a block of exactly its size, so a read past the end is caught.
  std::vector<char> bytes(data + 1, data + size);
  const char* text = bytes.data();
  const int32_t length = static_cast<int32_t>(bytes.size());

  wre_CodexSetWorldFlags(data[0] & (kCodexWorldRemoveLights | kCodexWorldSkipValues));
  (void)WorldFileLoadData(text, length, world, (data[0] & 4) ? nullptr : Handler);
  wre_CodexSetWorldFlags(kCodexWorldRemoveLights | kCodexWorldSkipValues);
  (void)WorldFileLoadData(text, length, world, nullptr);
  wre_CodexSetWorldFlags(0);

  wre_WorldDisposeObjects(world);
  wre_WorldDisposeLights(world);
  wre_WorldDispose(world);
  return 0;
}
