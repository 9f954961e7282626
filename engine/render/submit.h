// Object submission: for each visible object its kind's routine takes the points into camera
// space, picks the triangles that face the eye, marks the planes they cross and queues them.
#pragma once
#include <cstdint>

#include "engine/core/object.h"
#include "engine/core/wre_types.h"

struct Camera;

enum : int32_t {
  kSubmitErrScratch = -10020,       // more points than the vertex scratch holds
  kSubmitErrNoParticles = -25970,   // a particle object without a particle set
  kSubmitErrParticleKind = -25968,  // the particle set is not of kind 101
};

// The most tiles a grid mesh is laid out in along one axis.
constexpr int32_t kGridTileLimit = 4096;

int32_t wre_MeshDraw(EngineObject* object, Camera* camera, uint8_t attachedPass);
int32_t wre_ParticlesDraw(EngineObject* object, Camera* camera);
int32_t wre_SpriteDraw(EngineObject* object, Camera* camera);
int32_t wre_GridMeshDraw(EngineObject* object, Camera* camera);
// 8 (visible) with bit 0 for a far crossing, bit 1 near, bit 2 a side plane; 0 when all three
// corners lie beyond one of them.
int32_t wre_PolygonFaceTest(const ObjectPolygon* polygon, const Camera* camera, const Point4* cameraPoints);
// 2 when any of the eight corners lies outside any world frustum plane, else 0.
int32_t wre_CullBoxTest(const Point4* corners, const Camera* camera);
// The next integer up / down; magnitudes of 2^24 or more come back unchanged.
float wre_FloatCeil(float x);
float wre_FloatFloor(float x);
