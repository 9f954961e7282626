// The race's water surface: one animated grid mesh under every race and the title scene, shaped
// every tick by the wave settings in gWaterSettings (filled by the course's water settings file or
// by the title scene), plus the shared texture offset that scrolls the level's own water objects.
#pragma once
#include <cstdint>

struct EngineObject;
struct ViewComponents;

enum WaterMode : int32_t {
  kWaterModeNone = 0,
  kWaterModeSingularSine = 100,
  kWaterModeRandomPlop = 101,
  kWaterModeStaggeredDualSine = 102,
  kWaterModePlanar = 103,
  kWaterModeStaggeredSine = 104,
};

enum WaterFlags : uint8_t {
  kWaterSpecular = 0x1,
  kWaterHeightToUV = 0x2,
  kWaterUVPoint = 0x4,
  kWaterCyclicUV = 0x8,
};

// Angles and phases are in 4096ths of a turn, stored unmasked.
struct WaterSettings {
  float textureTileFactor;  // the grid's UV scale is this x 255
  int32_t waterMode;        // WaterMode
  int32_t* phases;          // one a grid point
  float waveHeightMultiplier;
  int32_t waveAngleAdd;
  float basisY;
  int32_t planarPhase;
  float heightToSpecularRatio;  // already multiplied by gColourMaxAlpha
  float minHeightToSpecularThresh;
  float heightToTextureUVRatio[2];
  float waterUVPoint[2];
  float waterUVAddPoint[2];
  int32_t uvCyclicAngle;
  int32_t uvCyclicAddAngle;
  float uvCyclicMultiplier;
  float* uvs;  // one (u, v) pair a grid point
  float singularTexUV[2];
  uint8_t flags;  // WaterFlags
};

inline WaterSettings gWaterSettings{};
inline EngineObject* gWaterGrid = nullptr;
inline int32_t gWaterTextureIndex = -1;
inline float gWaterBoundsMin[3] = {0.0f, 0.0f, 0.0f};
inline float gWaterBoundsMax[3] = {0.0f, 0.0f, 0.0f};
// The texture offset of every corner of the level's water-surface objects.
inline float gWaterScrollUV[2] = {0.0f, 0.0f};

// Settings to their reset values, no grid, no water texture, empty water-marker bounds. 0.
int32_t WaterworksReset(ViewComponents* view);

// Each stores its value(s) unchecked and returns 0; the specular, height-to-UV, UV-point and cyclic
// setters also set their WaterFlags bit.
int32_t WaterworksSetTextureTileFactor(float factor);
int32_t WaterworksSetWaterMode(int32_t mode);
int32_t WaterworksSetWaveHeightMultiplier(float multiplier);
int32_t WaterworksSetWaveAngleAdd(int32_t angle);
int32_t WaterworksSetBasisY(float y);
int32_t WaterworksSetHeightToSpecularRatio(float ratio);
int32_t WaterworksSetMinHeightToSpecularThresh(float threshold);
int32_t WaterworksSetHeightToTextureUVRatio(float u, float v);
int32_t WaterworksSetWaterUVPoint(float u, float v);
int32_t WaterworksSetWaterUVAddPoint(float u, float v);
int32_t WaterworksSetUVCyclicMultiplier(float multiplier);
int32_t WaterworksSetUVCyclicAngle(int32_t angle);
int32_t WaterworksSetUVCyclicAddAngle(int32_t angle);
int32_t WaterworksSetSingularTexUV(float u, float v);

// Widens the water-marker bounds by the object's world points after updating them. The update's
// result; -1000 for a null object (bounds unchanged).
int32_t WaterBoundsAddObject(EngineObject* object);

// Builds the grid into the view's world: cells x cells of cellSize (11 x 11 of 10000 when either is
// not above 0), with a far-plane quad when farPlane is set. Returns the first failing engine result,
// -5000 when a per-point array cannot be had, else the polygon tree build's result.
int32_t WaterworksStart(ViewComponents* view, float cells, float cellSize, uint8_t farPlane);

// One tick of wave motion (nothing while the race is paused); a process callback, the argument unused.
void WaterworksUpdate(void* argument);
// Scrolls gWaterScrollUV (v by 0.1, wrapping above 1); a process callback, not paused.
void WaterScrollProcess();

// Takes the grid out of the world and disposes it, and frees the per-point arrays. The first
// failure of the two engine calls, else 0.
int32_t WaterworksExit(ViewComponents* view);

// Points a row of the grid built by WaterworksStart (0 without a grid).
int32_t WaterGridColumns();
