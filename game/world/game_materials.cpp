#include "game/world/game_materials.h"

#include <algorithm>

#include "engine/core/colour_scale.h"
#include "engine/core/wre_types.h"
#include "engine/data/colour.h"
#include "engine/data/material.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "game/state/game_view.h"

namespace {

struct MaterialRow {
  int32_t* index;
  const char* name;
  ColourFloat a;
  ColourFloat b;
  bool noAmbient;  // lit by nothing but its own colour
};

// The water's alpha factor stands in the table as 0.8; in software it is drawn opaque.
constexpr float kWaterAlpha = 0.8f;
constexpr float kWaterAlphaSoftware = 1.0f;

const MaterialRow kRows[kGameMaterialCount] = {
    {&gtheWhiteMaterial, "gtheWhiteMaterial", {1, 1, 1, 1}, {0, 0, 0, 1}, false},
    {&gtheBlackMaterial, "gtheBlackMaterial", {0, 0, 0, 1}, {0, 0, 0, 1}, false},
    {&gtheGreyMaterial, "gtheGreyMaterial", {0.78f, 0.78f, 0.78f, 1}, {0, 0, 0, 1}, false},
    {&gtheWhiteTranspMaterial, "gtheWhiteTranspMaterial", {0.6f, 0.6f, 0.6f, 0.8f}, {0, 0, 0, 1},
     false},
    {&gtheWaterSplashMaterial, "gtheWaterSplashMaterial", {0.88f, 0.88f, 1, 0.6f},
     {0, 0, 0, 0.6f}, false},
    {&gtheDarkGreyMaterial, "gtheDarkGreyMaterial", {0.48f, 0.48f, 0.48f, 1}, {0, 0, 0, 1}, false},
    {&gtheWhiteSplashMaterial, "gtheWhiteSplashMaterial", {0.8f, 0.8f, 1, 0.9f}, {0, 0, 0, 0.6f},
     false},
    {&gtheLightBlueMaterial, "gtheLightBlueMaterial", {0.2f, 0.2f, 1, 1}, {0, 0, 1, 1}, false},
    {&gtheWaterMaterial, "gtheWaterMaterial", {0.8f, 0.8f, 1, kWaterAlpha}, {0, 0, 0, 0}, false},
    {&gtheInterfaceMaterial, "gtheInterfaceMaterial", {1, 1, 1, 1}, {0, 0, 0, 1}, true},
    {&gtheAlphaInterfaceMaterial, "gtheAlphaInterfaceMaterial", {1, 1, 1, 0.86f},
     {0.1f, 0.1f, 0.1f, 1}, false},
    {&gtheBlueMaterial, "gtheBlueMaterial", {0, 0, 1, 1}, {0, 0, 0, 1}, false},
    {&gtheOrangeMaterial, "gtheOrangeMaterial", {1, 0.533f, 0.216f, 1}, {0, 0, 0, 0}, false},
    {&gtheRedMaterial, "gtheRedMaterial", {1, 0, 0, 1}, {0, 0, 0, 0}, false},
    {&gtheGreenMaterial, "gtheGreenMaterial", {0, 1, 0, 1}, {0, 0, 0, 0}, false},
    {&gtheYellowMaterial, "gtheYellowMaterial", {1, 1, 0, 1}, {0, 0, 0, 0}, false},
    {&gtheIndigoMaterial, "gtheIndigoMaterial", {0.5f, 0, 1, 1}, {0, 0, 0, 0}, false},
    {&gtheVioletMaterial, "gtheVioletMaterial", {1, 0, 1, 1}, {0, 0, 0, 0}, false},
    {&gtheWaterParticleMaterial, "gtheWaterParticleMaterial", {1, 1, 1, 1}, {0, 0, 0, 0}, true},
    {&gtheTreasureHuntDollarMaterial, "gtheTreasureHuntDollarMaterial", {1, 1, 0, 1},
     {0, 0, 0, 0}, true},
    {&gtheRallyDerbyMaterial, "gtheRallyDerbyMaterial", {1, 1, 1, 1}, {0, 0, 0, 0}, true},
};

bool DrawsInSoftware() {
  return gView && gView->camera && gView->camera->context &&
         gView->camera->context->kind == kRendererSoftware;
}

float Scaled(float factor) { return std::clamp(factor * gColourMax, 0.0f, gColourMaxAlpha); }

}  // namespace

ColourFloat MaterialColourScaled(const ColourFloat& c) {
  return ColourFloat{Scaled(c.red), Scaled(c.green), Scaled(c.blue), Scaled(c.alpha)};
}

bool MaterialsCreate() {
  for (const MaterialRow& row : kRows) {
    *row.index = wre_MaterialFindFree();
    ColourFloat a = row.a;
    if (row.index == &gtheWaterMaterial && DrawsInSoftware()) a.alpha = kWaterAlphaSoftware;
    const ColourFloat scaledA = MaterialColourScaled(a);
    const ColourFloat scaledB = MaterialColourScaled(row.b);
    if (wre_MaterialDefine(*row.index, &scaledA, &scaledB, row.name) != 0) return false;
    if (row.noAmbient) wre_MaterialSetAmbientPercent(*row.index, 0);
  }
  return true;
}

int32_t MaterialsFree() {
  int32_t result = 0;
  for (const MaterialRow& row : kRows) result = wre_MaterialRelease(*row.index);
  return result;
}

int32_t MaterialDefineScaled(const char* name, const ColourFloat& a, const ColourFloat& b) {
  const int32_t index = wre_MaterialFindFree();
  if (index == -1) return -1;
  const ColourFloat scaledA = MaterialColourScaled(a);
  const ColourFloat scaledB = MaterialColourScaled(b);
  return wre_MaterialDefine(index, &scaledA, &scaledB, name) == 0 ? index : -1;
}
