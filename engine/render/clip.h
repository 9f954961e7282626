// Projection callbacks and the clipping stage of the hardware back ends: camera-space triangles are
// clipped against the far and near planes, projected, clipped against the viewport's four edges and
// queued. The planes lie 0.2 inside the limits: z = far - 0.2, z = near + 0.2, x = 0.2,
// x = width - 0.2, y = 0.2, y = height - 0.2.
#pragma once
#include <cstdint>

#include "engine/render/polygon.h"

constexpr float kClipInset = 0.2f;

// Direct3D mapping: w' = 1/z, depth = (z . depthScale + depthOffset) . w' (0 at near, 1 at far),
// x' = halfWidth + x . projectionScale . w', y' = halfHeight - y . projectionScale . w'.
void wre_ProjectTriD3D(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c);
void wre_ProjectQuadD3D(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c,
                        ClipVertex* d);
void wre_ProjectPolyD3D(Camera* camera, PolygonRecord* polygon);
// The same, then w' x 65535 unless the polygon was near-clipped (flag bit 1).
void wre_ProjectTriD3DAlt(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c);
void wre_ProjectQuadD3DAlt(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c,
                           ClipVertex* d);
void wre_ProjectPolyD3DAlt(Camera* camera, PolygonRecord* polygon);
// OpenGL mapping: the same x', y', w'; depth x 2 - 1 (-1 at near, 1 at far).
void wre_ProjectTriGL(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c);
void wre_ProjectQuadGL(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c,
                       ClipVertex* d);
// Does nothing unless the camera's context is an OpenGL one.
void wre_ProjectPolyGL(Camera* camera, PolygonRecord* polygon);
// The software renderer projects for itself.
void wre_ProjectTriSoft(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c);
void wre_ProjectQuadSoft(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c,
                         ClipVertex* d);
void wre_ProjectPolySoft(Camera* camera, PolygonRecord* polygon);

// Each takes the record the corners belong to and three corners; 0, or -10011 from a full queue
// (the first non-zero result of the pieces).
int32_t wre_ClipFar(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2);
int32_t wre_ClipNear(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2);
int32_t wre_ClipEdgeLeft(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2);
int32_t wre_ClipEdgeRight(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2);
int32_t wre_ClipEdgeTop(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2);
int32_t wre_ClipEdgeBottom(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2);

// out = t . a + (1 - t) . b for position and colour (alpha included), and u, v when textured.
void wre_ClipInterpolate(const ClipVertex* a, const ClipVertex* b, ClipVertex* out, float t, uint8_t textured);

// Points the camera's projection steps at its renderer kind's: OpenGL, software, or Direct3D (the
// alternative steps on a display with the 3dfx bit) for every other kind.
int32_t wre_CameraBindProjection(Camera* camera);
