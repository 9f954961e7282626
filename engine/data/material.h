// Materials: one fixed table of colour records that polygons name by handle.
#pragma once
#include <cstdint>

#include "engine/core/light.h"

#include "engine/data/colour.h"

struct World;  // the engine's world: its ambient light relights every material

struct Material {
  int32_t inUse;             // 0 free, 1 in use
  ColourFloat colourA;       // engine range; its alpha is the opacity
  ColourFloat colourB;       // read for objects of kind 101
  ColourFloat lit;           // written only by wre_MaterialUpdateLitColours
  float ambientResponse;     // 1.0 = 100 percent
  char name[256];            // default "material"
  char ident[32];            // default " "
  uint8_t flags;             // bit 0: shareable
};

enum : int32_t {
  kMaterialErrHandle = -4600,      // bad handle
  kMaterialErrNotStarted = -4601,  // release-all before the table exists
};

constexpr uint8_t kMaterialShareable = 0x01;

extern Material* gMaterialTable;
extern int32_t* gMaterialIndexMap;
extern int32_t gMaterialCount;
extern uint8_t gMaterialModuleStarted;

// The world's ambient light as the lit colours use it: the colour as the world stores it and the
// level (percent x 0.01).
struct MaterialAmbient {
  float red;
  float green;
  float blue;
  float level;
};

// The engine's start-up installs the reader of a world's ambient light; without one, or for a null
// world, the ambient light is black at level 0.
using WreWorldAmbientReader = bool (*)(const World* world, MaterialAmbient* ambient);
void wre_MaterialSetAmbientReader(WreWorldAmbientReader reader);
// The reader of a real world record: its ambient colour and level; false for a null argument.
bool wre_MaterialReadWorldAmbient(const World* world, MaterialAmbient* ambient);

int32_t wre_MaterialTableInit(int32_t count);
int32_t wre_MaterialTableFree();
int32_t wre_MaterialFindFree();

int32_t wre_MaterialDefine(int32_t handle, const ColourFloat* colourA, const ColourFloat* colourB, const char* name);
// Components in 0..1; returns the new handle or -1.
int32_t wre_MaterialCreate(float aRed, float aGreen, float aBlue, float aAlpha, float bRed, float bGreen, float bBlue,
                           float bAlpha, const char* name);
int32_t wre_MaterialRelease(int32_t handle);
int32_t wre_MaterialReleaseAll();

int32_t wre_MaterialSetAmbientPercent(int32_t handle, float percent);
int32_t wre_MaterialSetOpacity(int32_t handle, float opacity);
// Names longer than the field are cut to 255 characters.
void wre_MaterialSetName(int32_t handle, const char* name);
int32_t wre_MaterialSetIdent(int32_t handle, const char* ident);
int32_t wre_MaterialRecordSetIdent(Material* record, const char* ident);
int32_t wre_MaterialSetShareable(int32_t handle, int32_t on);
bool wre_MaterialIsShareable(int32_t handle);
// Points the handle at another record; 0, or -1 when either number is outside the table.
int32_t wre_MaterialMapIndex(int32_t handle, int32_t recordIndex);
bool wre_MaterialIndexValid(int32_t index);
void wre_MaterialSetInUse(Material* record, int32_t value);

// Arguments in the stored range; the lowest in-use shareable handle with exactly these values, or -1.
int32_t wre_MaterialFind(float aRed, float aGreen, float aBlue, float aAlpha, float ambientResponse, float bRed,
                         float bGreen, float bBlue, float bAlpha);
// The lowest in-use material whose ident equals the text ignoring case, or -1.
int32_t wre_MaterialFindByIdent(const char* ident);

int32_t wre_MaterialUpdateLitColours(const World* world);
// The recompute itself, from an ambient light given directly.
int32_t wre_MaterialUpdateLitColoursWith(const MaterialAmbient* ambient);
int32_t wre_MaterialOpacityResetAll(const World* world);
