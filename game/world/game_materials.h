// The game's shared materials: plain interface colours, translucent splash and water colours and
// marker colours, defined together in the engine's material table. Each index lives in a global of
// the material's name and is valid only between MaterialsCreate and MaterialsFree.
#pragma once
#include <cstdint>

#include "engine/data/colour.h"

inline int32_t gtheWhiteMaterial = -1;
inline int32_t gtheBlackMaterial = -1;
inline int32_t gtheGreyMaterial = -1;
inline int32_t gtheWhiteTranspMaterial = -1;
inline int32_t gtheWaterSplashMaterial = -1;
inline int32_t gtheDarkGreyMaterial = -1;
inline int32_t gtheWhiteSplashMaterial = -1;
inline int32_t gtheLightBlueMaterial = -1;
inline int32_t gtheWaterMaterial = -1;
inline int32_t gtheInterfaceMaterial = -1;
inline int32_t gtheAlphaInterfaceMaterial = -1;
inline int32_t gtheBlueMaterial = -1;
inline int32_t gtheOrangeMaterial = -1;
inline int32_t gtheRedMaterial = -1;
inline int32_t gtheGreenMaterial = -1;
inline int32_t gtheYellowMaterial = -1;
inline int32_t gtheIndigoMaterial = -1;
inline int32_t gtheVioletMaterial = -1;
inline int32_t gtheWaterParticleMaterial = -1;
inline int32_t gtheTreasureHuntDollarMaterial = -1;
inline int32_t gtheRallyDerbyMaterial = -1;

constexpr int kGameMaterialCount = 21;

// Defines all 21 in table order, each colour factor times gColourMax clamped to
// [0, gColourMaxAlpha]. The water is opaque when gView's camera draws in software. True when all
// were defined; false at the first failure (the earlier ones stay defined).
bool MaterialsCreate();

// Colour factors (0..1) in the stored range: each times gColourMax, clamped to [0, gColourMaxAlpha].
ColourFloat MaterialColourScaled(const ColourFloat& factors);

// Releases the 21; returns the result of the last release.
int32_t MaterialsFree();

// Defines a material of the name in the first free slot, its two colours given as factors
// (MaterialColourScaled). The index; -1 when no slot is free or the definition fails.
int32_t MaterialDefineScaled(const char* name, const ColourFloat& a, const ColourFloat& b);
