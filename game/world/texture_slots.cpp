#include "game/world/texture_slots.h"

#include "engine/core/memory.h"
#include "engine/core/wre_types.h"

namespace {

TextureSlot* NewTable(int slots) {
  return static_cast<TextureSlot*>(wre_MemoryNew(static_cast<int32_t>(sizeof(TextureSlot)) * slots));
}

void Empty(TextureSlot* table, int slots) {
  if (!table) return;
  for (int i = 0; i < slots; ++i) table[i] = TextureSlot{0, -1};
}

void Free(TextureSlot*& table) {
  if (table) wre_MemoryDispose(table);
  table = nullptr;
}

}  // namespace

int32_t TextureSlotsAlloc() {
  gRiderSlots = NewTable(kRiderSlots);
  bool made = gRiderSlots != nullptr;
  for (TextureSlot*& table : gLiverySlots) {
    table = NewTable(kLiverySlots);
    made = made && table;
  }
  TextureSlotsReset();
  return made ? 0 : kWreErrNoMemory;
}

int32_t TextureSlotsFree() {
  Free(gRiderSlots);
  for (TextureSlot*& table : gLiverySlots) Free(table);
  return 0;
}

void TextureSlotsReset() {
  Empty(gRiderSlots, kRiderSlots);
  for (TextureSlot* table : gLiverySlots) Empty(table, kLiverySlots);
}
