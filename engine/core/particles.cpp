#include "engine/core/particles.h"

#include <cmath>
#include <climits>
#include <cstring>
#include <initializer_list>

#include "engine/core/colour_scale.h"
#include "engine/core/detail.h"
#include "engine/core/frame_tick.h"
#include "engine/core/memory.h"

namespace {

ParticleTextureCheck gTextureCheck = nullptr;
ParticleMaterialCheck gMaterialCheck = nullptr;

void FreeArrays(ParticleSet* set) {
  wre_MemoryRelease(set->positions);
  wre_MemoryRelease(set->worldPositions);
  wre_MemoryRelease(set->extra);
  wre_MemoryRelease(set->size);
  wre_MemoryRelease(set->colour);
  wre_MemoryRelease(set->velocity);
  wre_MemoryRelease(set->acceleration);
  wre_MemoryRelease(set->sizeChange);
  wre_MemoryRelease(set->expiry);
}

bool MaterialUsable(int32_t material) { return gMaterialCheck && gMaterialCheck(material); }

bool TextureResolves(int32_t texture) {
  if (texture < 0) return false;
  return gTextureCheck ? gTextureCheck(texture) : true;
}

void MarkChanged(EngineObject* object) {
  object->transform.changed = 1;
  if (!object->detailGroup) return;
  for (EngineObject* member = object->detailGroup->members; member; member = member->next) {
    member->transform.changed = 1;
  }
}

void Add4(Point4& to, const Point4& by) {
  to.x += by.x;
  to.y += by.y;
  to.z += by.z;
  to.w += by.w;
}

// Every array of the set, the four-float ones first.
template <typename F>
void EachVectorArray(ParticleSet* set, F&& each) {
  Point4* arrays[] = {set->positions, set->worldPositions, set->extra,        set->size,
                      set->colour,    set->velocity,       set->acceleration, set->sizeChange};
  for (Point4* array : arrays) {
    if (array) each(array);
  }
}

}  // namespace

void wre_ParticlesSetTextureCheck(ParticleTextureCheck check) { gTextureCheck = check; }
void wre_ParticlesSetMaterialCheck(ParticleMaterialCheck check) { gMaterialCheck = check; }

int32_t wre_ParticlesNew(EngineObject* object, int32_t particleKind, int32_t capacity, int32_t material,
                         int32_t texture) {
  if (!object) return kWreErrNull;
  if (capacity < 1 || (material == -1 && texture == -1)) return kWreErrRange;
  // The set's arrays become the object's points: only a particle object without a set takes one.
  if (object->kind != kObjectParticles || object->particles) return kWreErrRange;
  if (material != -1 && !MaterialUsable(material)) return kParticlesErrMaterial;
  if (texture != -1 && !TextureResolves(texture)) return kParticlesErrTexture;
  if (particleKind == kParticlesFlat || particleKind == kParticlesSpare) return kParticlesErrKind;
  if (particleKind != kParticlesServed) return kParticlesErrBadKind;
  if (texture == -1) return kParticlesErrTexture;

  auto* set = wre_MemoryNewArray<ParticleSet>(1);
  if (!set) return kWreErrNoMemory;
  set->kind = particleKind;
  set->owner = object;
  set->texture = texture;
  set->material = material;
  set->capacity = capacity;
  set->positions = wre_MemoryNewArray<Point4>(capacity);
  set->worldPositions = wre_MemoryNewArray<Point4>(capacity);
  set->size = wre_MemoryNewArray<Point4>(capacity);
  set->colour = wre_MemoryNewArray<Point4>(capacity);
  set->velocity = wre_MemoryNewArray<Point4>(capacity);
  set->acceleration = wre_MemoryNewArray<Point4>(capacity);
  set->sizeChange = wre_MemoryNewArray<Point4>(capacity);
  set->expiry = wre_MemoryNewArray<int32_t>(capacity);
  if (!set->positions || !set->worldPositions || !set->size || !set->colour || !set->velocity ||
      !set->acceleration || !set->sizeChange || !set->expiry) {
    // Nothing obtained so far is kept.
    FreeArrays(set);
    wre_MemoryDispose(set);
    return kWreErrNoMemory;
  }
  object->particles = set;
  object->localPoints = set->positions;
  object->worldPoints = set->worldPositions;
  object->pointCapacity = capacity;
  object->pointCount = 0;
  object->creationFlags |= kObjectLocalShared | kObjectWorldShared;
  return 0;
}

int32_t wre_ParticleObjectNew(EngineObject** out, int32_t particleKind, int32_t capacity, int32_t material,
                              int32_t texture, int32_t spare) {
  (void)spare;
  if (!out) return kWreErrNull;
  *out = nullptr;
  uint32_t flags = 0;
  const bool software = wre_ObjectRendererKind() == kRendererSoftware;
  if (software) flags |= kObjectSoftware;
  auto* object = static_cast<EngineObject*>(wre_MemoryNew(sizeof(EngineObject)));
  if (!object) return kWreErrNoMemory;
  wre_ObjectClear(object, 0);
  object->kind = kObjectParticles;
  object->creationFlags = flags;
  const int32_t result = wre_ParticlesNew(object, particleKind, capacity, material, texture);
  if (result != 0) {
    wre_ObjectDispose(object);
    return result;
  }
  if (software) object->renderFlags |= kRenderNoNormals;
  object->transform.changed = 1;
  *out = object;
  return 0;
}

int32_t wre_ParticlesDispose(EngineObject* object) {
  if (!object) return kWreErrNull;
  ParticleSet* set = object->particles;
  if (!set) return 0;
  // The object's points were the set's arrays: they go with it.
  if (object->localPoints == set->positions) object->localPoints = nullptr;
  if (object->worldPoints == set->worldPositions) object->worldPoints = nullptr;
  object->pointCount = 0;
  FreeArrays(set);
  wre_MemoryDispose(set);
  object->particles = nullptr;
  return 0;
}

int32_t wre_ObjectAddParticle(EngineObject* object, const Point4* position, int32_t spare, int32_t lifetime,
                              const Point4* size, const Point4* velocity, const Point4* acceleration,
                              const Point4* sizeChange, const Point4* colour) {
  (void)spare;
  if (!object || !object->particles) return kWreErrNull;
  ParticleSet* set = object->particles;
  if (set->kind != kParticlesServed) return kParticlesErrKind;
  if (set->count >= set->capacity) return kParticlesErrFull;
  const int32_t i = set->count;
  const Point4 zero{0.0f, 0.0f, 0.0f, 0.0f};
  const auto put = [&](Point4* array, const Point4* value) {
    if (array) array[i] = value ? *value : zero;
  };
  put(set->positions, position);
  put(set->worldPositions, position);
  put(set->extra, nullptr);
  put(set->size, size);
  put(set->velocity, velocity);
  put(set->acceleration, acceleration);
  put(set->sizeChange, sizeChange);
  Point4 c = colour ? *colour : Point4{0.0f, 0.0f, 0.0f, gColourMax};
  for (float* component : {&c.x, &c.y, &c.z, &c.w}) {
    if (!(*component >= 0.0f)) *component = 0.0f;
    if (*component > gColourMaxAlpha) *component = gColourMaxAlpha;
  }
  set->colour[i] = c;
  set->expiry[i] = static_cast<int32_t>(gFrameTick + static_cast<uint32_t>(lifetime));
  set->count = i + 1;
  object->pointCount = set->count;
  return 0;
}

int32_t wre_ObjectRemoveParticle(ParticleSet* set, int32_t index) {
  if (!set) return kWreErrNull;
  if (set->kind != kParticlesServed) return kParticlesErrKind;
  // Only a live particle can be removed; anything else would shrink the count past its entries.
  if (index < 0 || index >= set->count) return kWreErrRange;
  const int32_t last = set->count - 1;
  if (index != last) {
    EachVectorArray(set, [&](Point4* array) { array[index] = array[last]; });
    set->expiry[index] = set->expiry[last];
  }
  set->count = last;
  if (set->owner) set->owner->pointCount = set->count;
  return 0;
}

int32_t wre_ObjectMoveParticles(EngineObject* object, float dx, float dy, float dz, float dw) {
  if (!object || !object->particles) return kWreErrNull;
  ParticleSet* set = object->particles;
  const Point4 offset{dx, dy, dz, dw};
  for (int32_t i = 0; i < set->count; ++i) Add4(set->positions[i], offset);
  MarkChanged(object);
  return 0;
}

int32_t wre_ObjectUpdateParticles(EngineObject* object) {
  if (!object || !object->particles) return kWreErrNull;
  ParticleSet* set = object->particles;
  const uint32_t now = gFrameTick;
  for (int32_t i = 0; i < set->count; ++i) {
    if (static_cast<uint32_t>(set->expiry[i]) < now) wre_ObjectRemoveParticle(set, i);
    // The particle moved into the slot is advanced now; its expiry is tested next time.
    if (i < set->count) {
      Add4(set->positions[i], set->velocity[i]);
      Add4(set->velocity[i], set->acceleration[i]);
      Add4(set->size[i], set->sizeChange[i]);
    }
  }
  MarkChanged(object);
  wre_ObjectCalcRadius(object);
  return 0;
}

float wre_ParticlesExtent(const EngineObject* object) {
  if (!object || !object->particles || !object->particles->size) return 0.0f;
  const ParticleSet* set = object->particles;
  float extent = 0.0f;
  for (int32_t i = 0; i < set->count; ++i) {
    const Point4& s = set->size[i];
    const float e = std::sqrt(s.x * s.x + s.y * s.y);
    if (e > extent) extent = e;
  }
  return extent;
}
