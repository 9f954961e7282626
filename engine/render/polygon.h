// The polygon record every drawn triangle passes through, the three polygon queues (opaque,
// colour-keyed, translucent) the back ends drain, and the routines that fill and queue records.
#pragma once
#include <cstdint>

#include "engine/core/object.h"
#include "engine/core/wre_types.h"

struct Camera;

// Per-frame bits of a record's (and an ObjectPolygon's) flags; the other bits are the polygon's own.
enum : uint32_t {
  kPolyClipFar = 0x01,
  kPolyClipNear = 0x02,
  kPolyClipEdge = 0x04,
  kPolyVisible = 0x08,
  kPolyClipBits = 0x07,
  kPolyFrameBits = 0x0F,
};

// One triangle. Corners are camera-space (x, y, z, w) when built, and screen x, screen y, depth
// 0..1 and 1/z once projected. Colours are red, green, blue, alpha in 0 .. gColourMax.
struct PolygonRecord {
  uint8_t kind;
  uint32_t flags;
  int16_t material;
  int16_t texture;  // -1: none
  Point4 v[3];
  float colour[3][4];
  float uv[3][2];
};

struct ClipVertex {
  float x, y, z, w;
  float u, v;
  float r, g, b, a;
};

struct PolyQueue {
  PolygonRecord* base;
  PolygonRecord* write;
  int32_t count;
};

extern PolyQueue gPolyQueueOpaque;
extern PolyQueue gPolyQueueKeyed;
extern PolyQueue gPolyQueueTranslucent;
// One capacity for all three; a queue holds at most capacity - 1 records.
extern int32_t gPolyQueueCapacity;

struct PolyPointerList {
  ObjectPolygon** entries;
  int32_t count;
};
// The polygons of the mesh in hand selected for drawing (at most gPolyQueueCapacity).
extern PolyPointerList gPolyPointerList;

// A record outside the queues for a polygon that is clipped before it is queued.
extern PolygonRecord gClipScratchPolygon;

// The queue a polygon of this material and texture goes to: translucent for a material opacity
// below gColourMax or a texture carrying opacity, else colour-keyed for a keyed texture, else opaque.
PolyQueue* wre_PolygonChooseQueue(int32_t material, int32_t texture);
// The next slot of the chosen queue, or null when it is full (count reached capacity - 1).
PolygonRecord* wre_PolygonTakeSlot(int32_t material, int32_t texture);
// Queue counts and the pointer-list count to 0, write positions to their bases.
void wre_PolyQueuesReset();

// Gets a finished record into a queue: projected in place, handed to the clipping stage, or (on
// the software renderer, which projects and clips for itself) queued as it is. screenSpace: the
// corners are already screen coordinates. 0, or -10011 when the queue was full.
int32_t wre_PolygonSubmit(Camera* camera, const PolygonRecord* record, uint8_t screenSpace);

// Fills a record from an object polygon and its object's arrays; colourMode bit 0 takes the colours
// from the per-point colours, else they are lit (flat or smooth by kind). Clears the polygon's
// per-frame bits.
int32_t wre_PolygonSetup(PolygonRecord* out, ObjectPolygon* polygon, const Point4* worldPoints,
                         const Point4* cameraPoints, const Point4* planes, const Point4* normals,
                         const float* textureCoords, Camera* camera, const PointAttachment* pointColours,
                         uint32_t colourMode);
int32_t wre_PolygonQueueObjectPoly(ObjectPolygon* polygon, const Point4* worldPoints, const Point4* cameraPoints,
                                   const Point4* planes, const Point4* normals, const float* textureCoords,
                                   Camera* camera, const PointAttachment* pointColours, uint32_t colourMode);

// The list variants walk gPolyPointerList for one object.
int32_t wre_PolygonQueueList(EngineObject* object, const Point4* cameraPoints, const Point4* normals, Camera* camera);
// Colours from the object's vertex work buffer; polygons with clip bits go through wre_PolygonSubmit.
int32_t wre_PolygonQueueListLitClip(EngineObject* object, const Point4* cameraPoints, Camera* camera);
// Colours from the vertex work buffer; every polygon is queued and projected directly.
int32_t wre_PolygonQueueListLit(EngineObject* object, const Point4* cameraPoints, Camera* camera);

// The renderer kind of the camera's drawing context (the selected kind when it has none).
int32_t wre_CameraRendererKind(const Camera* camera);

// Takes a slot by the queue choice and writes three corners (position, colour, and u, v when the
// record is textured) with the record's kind, flags, material and texture. 0 or -10011.
int32_t wre_PolygonInsertCorners(const PolygonRecord* record, const ClipVertex* a, const ClipVertex* b,
                                 const ClipVertex* c);

struct Material;
// The material record a polygon's material index names (through the index map), or null.
const Material* wre_PolygonMaterial(int32_t material);
