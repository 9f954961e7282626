// Livery and rider-skin textures shared through the reference-counted slot tables: the first
// racer to ask for a slot loads its picture, later ones share the texture, and the texture goes
// when the last one lets go.
#pragma once
#include <cstdint>

struct ViewComponents;

// The texture of livery slot 0..49 of craft model 0..4, loading "<word>_NN.BMP" (NN the slot
// counted from 1) from "data:hydrels:<word>" when the slot is empty; the current data folder is
// restored. -1 for a slot or model out of range, tables not made, or a picture that would not load
// (the slot then stays empty, so the next call tries again).
int32_t LiveryTextureAcquire(int32_t slot, int32_t model, ViewComponents* view);
// Drops one user of the livery slot and releases its texture with the last. -1010 for a slot or
// model out of range; else 0. An empty slot frees nothing.
int32_t LiveryTextureRelease(int32_t slot, int32_t model);

// As the livery acquire for rider slot 0..40, from "male_NN.BMP" of "data:riders:common".
int32_t RiderTextureAcquire(int32_t slot, ViewComponents* view);
// As the livery release for rider slot 0..40.
int32_t RiderTextureRelease(int32_t slot);
