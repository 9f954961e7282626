// Particle sets: a particle object is an engine object of kind 101 whose points are its particles.
// The set keeps per particle a position, a size, a colour, a velocity, an acceleration, a size
// change and an expiry tick; its two position arrays are the owner's local and world points, so
// the renderer draws the particles as the object's points. Particles expire against gFrameTick.
#pragma once
#include <cstdint>

#include "engine/core/object.h"
#include "engine/core/wre_types.h"

enum : int32_t {
  kParticlesFlat = 100,
  kParticlesServed = 101,  // the one kind the sets serve
  kParticlesSpare = 102,
};

enum : int32_t {
  kParticlesErrKind = -26000,      // a set kind that is accepted but not served
  kParticlesErrBadKind = -26001,   // not a set kind
  kParticlesErrFull = -26003,      // no room for another particle
  kParticlesErrTexture = -30000,   // the texture does not resolve
  kParticlesErrMaterial = -4600,   // the material handle names no material in use (the material module's code)
};

struct ParticleSet {
  int32_t kind;
  int32_t spare;
  EngineObject* owner;
  int32_t texture;   // entry of the texture index map
  int32_t material;  // entry of the material table, or -1
  int32_t count;     // live particles, 0..capacity
  int32_t capacity;
  Point4* positions;       // the owner's local points
  Point4* worldPositions;  // the owner's world points
  Point4* extra;           // optional, kept in step when present
  Point4* size;            // x and y: the particle's extent
  Point4* colour;
  Point4* velocity;
  Point4* acceleration;
  Point4* sizeChange;
  int32_t* expiry;  // the tick at which the particle ends
};

// Creates a kind-101 object without polygons (collision group 0, creation flags 0) and attaches a
// set to it; *out is the object, or null with the failure returned.
int32_t wre_ParticleObjectNew(EngineObject** out, int32_t particleKind, int32_t capacity, int32_t material,
                              int32_t texture, int32_t spare);
// Attaches a set to a kind-101 object that has none (-1010 otherwise).
int32_t wre_ParticlesNew(EngineObject* object, int32_t particleKind, int32_t capacity, int32_t material,
                         int32_t texture);
int32_t wre_ParticlesDispose(EngineObject* object);
// Any of the vectors may be null (zero; a null colour is opaque black).
int32_t wre_ObjectAddParticle(EngineObject* object, const Point4* position, int32_t spare, int32_t lifetime,
                              const Point4* size, const Point4* velocity, const Point4* acceleration,
                              const Point4* sizeChange, const Point4* colour);
// -1010 unless 0 <= index < count; the last particle moves into the slot.
int32_t wre_ObjectRemoveParticle(ParticleSet* set, int32_t index);
int32_t wre_ObjectMoveParticles(EngineObject* object, float dx, float dy, float dz, float dw);
int32_t wre_ObjectUpdateParticles(EngineObject* object);
// The largest sqrt(size.x^2 + size.y^2) over the live particles.
float wre_ParticlesExtent(const EngineObject* object);

// The texture module installs the test that a texture index resolves through its index map;
// without one, any index from 0 up is taken.
using ParticleTextureCheck = bool (*)(int32_t texture);
void wre_ParticlesSetTextureCheck(ParticleTextureCheck check);
// The material module installs the test that a material handle names a material in use; without
// one (no material table), no material is usable.
using ParticleMaterialCheck = bool (*)(int32_t material);
void wre_ParticlesSetMaterialCheck(ParticleMaterialCheck check);
