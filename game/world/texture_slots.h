// Reference-counted texture slots for craft liveries and rider skins: racers that share a livery
// or skin share one texture, released when its last user lets go. The tables are made once at game
// start-up and cleared around every race.
#pragma once
#include <cstdint>

#include "game/world/craft_models.h"

struct TextureSlot {
  int16_t count;    // users; 0 = empty
  int16_t texture;  // engine texture index, -1 none
};

constexpr int kRiderSlots = 41;
constexpr int kLiverySlots = 50;

// Null outside the start-up / shut-down bracket.
inline TextureSlot* gRiderSlots = nullptr;                // kRiderSlots entries
inline TextureSlot* gLiverySlots[kCraftModelCount] = {};  // kLiverySlots entries each

// Makes the rider table and the five livery tables and empties them all. -5000 when one cannot
// be made (the tables already made stay for TextureSlotsFree); else 0.
int32_t TextureSlotsAlloc();
// Frees the tables that exist. Always 0.
int32_t TextureSlotsFree();
// Every slot of every existing table: no users, no texture. Releases nothing.
void TextureSlotsReset();
