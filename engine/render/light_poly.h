// Lighting on the processor: the world's lights (no ambient term, no material colour) at a point
// with a unit normal. A light adds intensity x (n . L) x its colour when n . L > 0; a point light's
// intensity falls with the approximate distance a + b/4 + c/4 (a >= b >= c the axis differences).
// Point lights do not light the camera-attached objects.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct Light;
struct World;
struct Camera;
struct EngineObject;

// Adds the lights into the three corner colours (set to 0 by the caller), then clamps each of red,
// green and blue to gColourMax.
void wre_LightPolygonSmooth(const Point4* normal0, const Point4* normal1, const Point4* normal2, const Point4* point0,
                            const Point4* point1, const Point4* point2, const Light* lights, float colours[3][4]);
// Sets the colour to the lights at the centroid, clamped to 0 .. gColourMax (alpha untouched).
void wre_LightPolygonFlat(const Point4* normal, const Point4* centroid, const World* world, float colour[4]);
// Relights the object's vertex work buffer; -1010 when it has none, else 0.
int32_t wre_LightObjectPoints(EngineObject* object, Camera* camera);
// on: every active light's working vector is taken into the static object's own frame; off: every
// active light's working copy is restored from its transform. 0.
int32_t wre_LightsToObjectFrame(Camera* camera, EngineObject* object, uint8_t on);
