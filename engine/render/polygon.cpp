#include "engine/render/polygon.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "engine/core/colour_scale.h"
#include "engine/core/detail.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/clip.h"
#include "engine/render/context.h"
#include "engine/render/light_poly.h"

PolyQueue gPolyQueueOpaque{};
PolyQueue gPolyQueueKeyed{};
PolyQueue gPolyQueueTranslucent{};
int32_t gPolyQueueCapacity = 0;
PolyPointerList gPolyPointerList{};
PolygonRecord gClipScratchPolygon{};

namespace {

constexpr float kCentroidWeight = 0.3333f;

bool Textured(uint8_t kind) { return kind >= kPolyTextured && kind <= kPolyTexturedSmooth; }

// The texture a polygon's record carries: -1 for the untextured kinds.
int16_t TextureOf(const ObjectPolygon* polygon) {
  return Textured(polygon->kind) ? static_cast<int16_t>(polygon->texture) : int16_t{-1};
}

void ToClipVertex(const PolygonRecord* record, int corner, ClipVertex* out) {
  const Point4& p = record->v[corner];
  out->x = p.x;
  out->y = p.y;
  out->z = p.z;
  out->w = p.w;
  if (record->texture != -1) {
    out->u = record->uv[corner][0];
    out->v = record->uv[corner][1];
  } else {
    out->u = out->v = 0.0f;
  }
  out->r = record->colour[corner][0];
  out->g = record->colour[corner][1];
  out->b = record->colour[corner][2];
  out->a = record->colour[corner][3];
}

void Project(Camera* camera, PolygonRecord* slot) {
  if (camera->projectPolygon) camera->projectPolygon(camera, slot);
}

// Corners, material, texture and UVs of a polygon (the colours are the caller's).
void FillGeometry(PolygonRecord* out, ObjectPolygon* polygon, const Point4* cameraPoints, const float* textureCoords) {
  out->kind = polygon->kind;
  out->flags = polygon->flags;
  polygon->flags &= ~kPolyFrameBits;
  for (int i = 0; i < 3; ++i) out->v[i] = cameraPoints[polygon->points[i]];
  out->material = static_cast<int16_t>(polygon->material);
  if (Textured(polygon->kind)) {
    const float* uv = textureCoords ? textureCoords + static_cast<ptrdiff_t>(polygon->index) * 6 : nullptr;
    for (int i = 0; i < 3; ++i) {
      out->uv[i][0] = uv ? uv[2 * i] : 0.0f;
      out->uv[i][1] = uv ? uv[2 * i + 1] : 0.0f;
      if ((out->flags & kPolyVirtualTexturePoint) && polygon->virtualTexturePoint[i]) {
        out->uv[i][0] += polygon->virtualTexturePoint[i][0];
        out->uv[i][1] += polygon->virtualTexturePoint[i][1];
      }
    }
    out->texture = TextureOf(polygon);
  } else {
    out->texture = -1;
  }
}

void ColoursFromPoints(PolygonRecord* out, const ObjectPolygon* polygon, const PointAttachment* colours) {
  for (int i = 0; i < 3; ++i) {
    if (colours) {
      std::memcpy(out->colour[i], colours[polygon->points[i]].value, sizeof(out->colour[i]));
    } else {
      std::memset(out->colour[i], 0, sizeof(out->colour[i]));
    }
  }
}

// The flag byte of the texture a polygon names, through the texture index map; 0 for none.
uint8_t TextureFlags(int32_t texture) {
  if (texture < 0 || !gTextureModuleStarted || !gTextureTable || texture >= gTextureCount) return 0;
  const int32_t slot = gTextureIndexMap ? gTextureIndexMap[texture] : texture;
  if (slot < 0 || slot >= gTextureCount) return 0;
  return gTextureTable[slot].flags;
}

const PointAttachment* WorkColours(const EngineObject* object) {
  return object->vertexWork ? object->vertexWork->buffer : nullptr;
}

// One polygon of a vertex-work object straight into its queue, projected.
int32_t QueueLitDirect(EngineObject* object, ObjectPolygon* polygon, const Point4* cameraPoints, Camera* camera) {
  PolygonRecord* slot = wre_PolygonTakeSlot(polygon->material, TextureOf(polygon));
  if (!slot) return kWreQueueFull;
  FillGeometry(slot, polygon, cameraPoints, object->textureCoords);
  ColoursFromPoints(slot, polygon, WorkColours(object));
  Project(camera, slot);
  return 0;
}

}  // namespace

int32_t wre_CameraRendererKind(const Camera* camera) {
  if (camera && camera->context) return camera->context->kind;
  return gRendererSettings.selectedKind;
}

const Material* wre_PolygonMaterial(int32_t material) {
  if (!gMaterialModuleStarted || !gMaterialTable || material < 0 || material >= gMaterialCount) return nullptr;
  const int32_t index = gMaterialIndexMap ? gMaterialIndexMap[material] : material;
  if (index < 0 || index >= gMaterialCount) return nullptr;
  return &gMaterialTable[index];
}

PolyQueue* wre_PolygonChooseQueue(int32_t material, int32_t texture) {
  const Material* record = wre_PolygonMaterial(material);
  const uint8_t textureFlags = TextureFlags(texture);
  if ((record && record->colourA.alpha < gColourMax) || (textureFlags & kTextureTranslucent)) {
    return &gPolyQueueTranslucent;
  }
  if (textureFlags & kTextureHasAlpha) return &gPolyQueueKeyed;
  return &gPolyQueueOpaque;
}

PolygonRecord* wre_PolygonTakeSlot(int32_t material, int32_t texture) {
  PolyQueue* queue = wre_PolygonChooseQueue(material, texture);
  if (!queue->base || queue->count >= gPolyQueueCapacity - 1) return nullptr;
  PolygonRecord* slot = queue->write;
  ++queue->write;
  ++queue->count;
  return slot;
}

void wre_PolyQueuesReset() {
  for (PolyQueue* queue : {&gPolyQueueOpaque, &gPolyQueueKeyed, &gPolyQueueTranslucent}) {
    queue->write = queue->base;
    queue->count = 0;
  }
  gPolyPointerList.count = 0;
}

int32_t wre_PolygonInsertCorners(const PolygonRecord* record, const ClipVertex* a, const ClipVertex* b,
                                 const ClipVertex* c) {
  PolygonRecord* slot = wre_PolygonTakeSlot(record->material, record->texture);
  if (!slot) return kWreQueueFull;
  slot->kind = record->kind;
  slot->flags = record->flags;
  slot->material = record->material;
  slot->texture = record->texture;
  const ClipVertex* corners[3] = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    const ClipVertex* v = corners[i];
    slot->v[i] = Point4{v->x, v->y, v->z, v->w};
    slot->colour[i][0] = v->r;
    slot->colour[i][1] = v->g;
    slot->colour[i][2] = v->b;
    slot->colour[i][3] = v->a;
    if (record->texture != -1) {
      slot->uv[i][0] = v->u;
      slot->uv[i][1] = v->v;
    } else {
      slot->uv[i][0] = slot->uv[i][1] = 0.0f;
    }
  }
  return 0;
}

int32_t wre_PolygonSubmit(Camera* camera, const PolygonRecord* record, uint8_t screenSpace) {
  if (!camera || !record) return kWreErrNull;
  if (!screenSpace && !(record->flags & kPolyClipBits)) {
    PolygonRecord* slot = wre_PolygonTakeSlot(record->material, record->texture);
    if (!slot) return kWreQueueFull;
    *slot = *record;
    Project(camera, slot);
    return 0;
  }
  ClipVertex c[3];
  for (int i = 0; i < 3; ++i) ToClipVertex(record, i, &c[i]);
  // The clipping stage and the projection callbacks take the record they work for.
  PolygonRecord held = *record;
  const bool software = wre_CameraRendererKind(camera) == kRendererSoftware;
  if (screenSpace) {
    if (software) {
      // Back into camera space: the software stage projects and clips for itself.
      for (ClipVertex& v : c) {
        const float k = v.z / camera->projectionScale;
        v.x = k * (v.x - camera->halfWidth);
        v.y = -(k * (v.y - camera->halfHeight));
      }
    } else if (record->flags & kPolyClipEdge) {
      return wre_ClipEdgeLeft(camera, &held, &c[0], &c[1], &c[2]);
    }
  } else if (!software) {
    if (record->flags & kPolyClipFar) return wre_ClipFar(camera, &held, &c[0], &c[1], &c[2]);
    if (record->flags & kPolyClipNear) return wre_ClipNear(camera, &held, &c[0], &c[1], &c[2]);
    if (camera->projectTriangle) camera->projectTriangle(camera, &held, &c[0], &c[1], &c[2]);
    return wre_ClipEdgeLeft(camera, &held, &c[0], &c[1], &c[2]);
  }
  return wre_PolygonInsertCorners(record, &c[0], &c[1], &c[2]);
}

int32_t wre_PolygonSetup(PolygonRecord* out, ObjectPolygon* polygon, const Point4* worldPoints,
                         const Point4* cameraPoints, const Point4* planes, const Point4* normals,
                         const float* textureCoords, Camera* camera, const PointAttachment* pointColours,
                         uint32_t colourMode) {
  if (!out || !polygon || !cameraPoints) return kWreErrNull;
  FillGeometry(out, polygon, cameraPoints, textureCoords);
  if (colourMode & kRenderPointColours) {
    ColoursFromPoints(out, polygon, pointColours);
    return 0;
  }
  std::memset(out->colour, 0, sizeof(out->colour));
  const World* world = camera ? camera->world : nullptr;
  const uint16_t* p = polygon->points;
  switch (polygon->kind) {
    case kPolyPlain:
    case kPolyTexturedFlat: {
      if (!worldPoints || !planes) break;
      const Point4& a = worldPoints[p[0]];
      const Point4& b = worldPoints[p[1]];
      const Point4& c = worldPoints[p[2]];
      const Point4 centroid{(a.x + b.x + c.x) * kCentroidWeight, (a.y + b.y + c.y) * kCentroidWeight,
                            (a.z + b.z + c.z) * kCentroidWeight, 0.0f};
      wre_LightPolygonFlat(&planes[polygon->index], &centroid, world, out->colour[0]);
      std::memcpy(out->colour[1], out->colour[0], sizeof(out->colour[0]));
      std::memcpy(out->colour[2], out->colour[0], sizeof(out->colour[0]));
      break;
    }
    case kPolyPlainSmooth:
    case kPolyTexturedSmooth:
      if (!worldPoints || !normals || !world) break;
      wre_LightPolygonSmooth(&normals[p[0]], &normals[p[1]], &normals[p[2]], &worldPoints[p[0]], &worldPoints[p[1]],
                             &worldPoints[p[2]], world->lights, out->colour);
      break;
    default:
      break;
  }
  return 0;
}

int32_t wre_PolygonQueueObjectPoly(ObjectPolygon* polygon, const Point4* worldPoints, const Point4* cameraPoints,
                                   const Point4* planes, const Point4* normals, const float* textureCoords,
                                   Camera* camera, const PointAttachment* pointColours, uint32_t colourMode) {
  if (!polygon || !camera) return kWreErrNull;
  if (!(polygon->flags & kPolyClipBits)) {
    PolygonRecord* slot = wre_PolygonTakeSlot(polygon->material, TextureOf(polygon));
    if (!slot) return kWreQueueFull;
    wre_PolygonSetup(slot, polygon, worldPoints, cameraPoints, planes, normals, textureCoords, camera, pointColours,
                     colourMode);
    Project(camera, slot);
    return 0;
  }
  wre_PolygonSetup(&gClipScratchPolygon, polygon, worldPoints, cameraPoints, planes, normals, textureCoords, camera,
                   pointColours, colourMode);
  return wre_PolygonSubmit(camera, &gClipScratchPolygon, 0);
}

int32_t wre_PolygonQueueList(EngineObject* object, const Point4* cameraPoints, const Point4* normals, Camera* camera) {
  if (!object || !cameraPoints || !camera) return kWreErrNull;
  const Point4* worldPoints = (object->renderFlags & kRenderStatic) ? object->localPoints : object->worldPoints;
  int32_t result = 0;
  for (int32_t i = 0; i < gPolyPointerList.count; ++i) {
    result = wre_PolygonQueueObjectPoly(gPolyPointerList.entries[i], worldPoints, cameraPoints, object->planes,
                                        normals, object->textureCoords, camera, object->pointAttachments,
                                        object->renderFlags);
    if (result == kWreQueueFull) return result;
  }
  return result;
}

int32_t wre_PolygonQueueListLitClip(EngineObject* object, const Point4* cameraPoints, Camera* camera) {
  if (!object || !cameraPoints || !camera) return kWreErrNull;
  for (int32_t i = 0; i < gPolyPointerList.count; ++i) {
    ObjectPolygon* polygon = gPolyPointerList.entries[i];
    if (!(polygon->flags & kPolyClipBits)) {
      const int32_t result = QueueLitDirect(object, polygon, cameraPoints, camera);
      if (result != 0) return result;
      continue;
    }
    FillGeometry(&gClipScratchPolygon, polygon, cameraPoints, object->textureCoords);
    ColoursFromPoints(&gClipScratchPolygon, polygon, WorkColours(object));
    const int32_t result = wre_PolygonSubmit(camera, &gClipScratchPolygon, 0);
    if (result != 0) return result;
  }
  return 0;
}

int32_t wre_PolygonQueueListLit(EngineObject* object, const Point4* cameraPoints, Camera* camera) {
  if (!object || !cameraPoints || !camera) return kWreErrNull;
  for (int32_t i = 0; i < gPolyPointerList.count; ++i) {
    const int32_t result = QueueLitDirect(object, gPolyPointerList.entries[i], cameraPoints, camera);
    if (result != 0) return result;
  }
  return 0;
}
