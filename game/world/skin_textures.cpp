#include "game/world/skin_textures.h"

#include <cstdio>

#include "engine/core/files.h"
#include "engine/core/wre_types.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"
#include "engine/render/camera.h"
#include "game/state/view_components.h"
#include "game/world/craft_models.h"
#include "game/world/texture_slots.h"

namespace {

constexpr const char* kRiderFolder = "data:riders:common";
constexpr const char* kRiderPrefix = "male_";

TextureSlot* LiverySlot(int32_t slot, int32_t model) {
  if (slot < 0 || slot >= kLiverySlots || model < 0 || model >= kCraftModelCount) return nullptr;
  TextureSlot* table = gLiverySlots[model];
  return table ? &table[slot] : nullptr;
}

TextureSlot* RiderSlot(int32_t slot) {
  if (slot < 0 || slot >= kRiderSlots || !gRiderSlots) return nullptr;
  return &gRiderSlots[slot];
}

int32_t Acquire(TextureSlot* entry, int32_t number, const char* folder, const char* prefix, ViewComponents* view) {
  if (!entry) return -1;
  if (entry->count > 0) {
    ++entry->count;
    return entry->texture;
  }
  char file[64];
  std::snprintf(file, sizeof(file), "%s%02d.BMP", prefix, static_cast<int>(number));
  wre_FolderPush();
  wre_FolderSet(folder);
  int32_t handle = -1;
  const int32_t result =
      wre_TextureLoad(file, view && view->camera ? view->camera->context : nullptr, &handle);
  wre_FolderPop();
  if (result != 0 || handle < 0) return -1;
  *entry = TextureSlot{1, static_cast<int16_t>(handle)};
  return handle;
}

// A slot with no users holds nothing of its own: its old index may belong to another texture by now.
void Release(TextureSlot* entry) {
  if (entry->count <= 0) return;
  if (--entry->count > 0) return;
  wre_TextureRelease(entry->texture);
  entry->texture = -1;
}

}  // namespace

int32_t LiveryTextureAcquire(int32_t slot, int32_t model, ViewComponents* view) {
  TextureSlot* entry = LiverySlot(slot, model);
  if (!entry) return -1;
  const char* word = kCraftModelTable[model].folderWord;
  char folder[48];
  char prefix[24];
  std::snprintf(folder, sizeof(folder), "data:hydrels:%s", word);
  std::snprintf(prefix, sizeof(prefix), "%s_", word);
  return Acquire(entry, slot + 1, folder, prefix, view);
}

int32_t LiveryTextureRelease(int32_t slot, int32_t model) {
  TextureSlot* entry = LiverySlot(slot, model);
  if (!entry) return kWreErrRange;
  Release(entry);
  return 0;
}

int32_t RiderTextureAcquire(int32_t slot, ViewComponents* view) {
  return Acquire(RiderSlot(slot), slot + 1, kRiderFolder, kRiderPrefix, view);
}

int32_t RiderTextureRelease(int32_t slot) {
  TextureSlot* entry = RiderSlot(slot);
  if (!entry) return kWreErrRange;
  Release(entry);
  return 0;
}
