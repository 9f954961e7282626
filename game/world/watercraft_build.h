// Building and releasing a racer's watercraft: its body with the model's livery and, in a race,
// its levels of detail; its rider with the rider's skin; in a race its spray emitters, motor
// sound, racer-chain entry and first gate; and putting its models into the world or taking them out.
// Outside a race the same build gives the front end's preview craft without the race-only parts.
#pragma once
#include <cstdint>

struct GameObject;
struct ViewComponents;
struct Watercraft;

enum : int32_t {
  kBuildErrRacerSlot = 350205,  // a racer slot outside 0..5
};

// Collision groups of a racer's own models, shifted left by its racer slot.
constexpr uint32_t kCraftBodyGroup = 0x200;
constexpr uint32_t kCraftRiderGroup = 0x80000;

// The particle kind and capacity of each of a craft's four spray emitters.
constexpr int32_t kSprayParticleKind = 101;
constexpr int32_t kSprayParticles = 32;

// Builds the object's craft of model 0..4 in racer slot 0..5, livery and rider texture clamped to
// their tables. 0 with object->craft set; 350205 for a bad slot, -1010 for a bad model, -1000 for a
// null object or view, -5000 when out of memory, or the failing load's code; a failed build has
// released everything it took.
int32_t WatercraftBuild(GameObject* object, ViewComponents* view, int32_t controlKind, int32_t model, int32_t livery,
                        int32_t riderSex, int32_t riderTexture, int32_t racerSlot);
// The file whose load failed the last craft build ("data/hydrels/.../hydrel_01.c4d"), or "" when
// that build failed otherwise or did not fail: the race set-up names it when it must stop.
const char* WatercraftFailedFile();
// Releases the object's craft (chain entry, motor, spray, rider, body, textures, its racer-slot
// entry) and clears object->craft. 0; 1 when the object has no craft; -1000 for a null object.
int32_t WatercraftDestroy(GameObject* object, ViewComponents* view);

// The body of the craft's model with livery T, polygon tree and vertex work; in a race also the
// levels of detail that exist, switching at a distance set by the detail setting. 0, -1010 for a
// bad model, or the load's or the polygon tree's code (the livery is then let go).
int32_t CraftModelLoad(Watercraft* craft, ViewComponents* view, int32_t model, int32_t livery);
// Disposes the body with its levels of detail and lets go of the livery. 0; -1000 without a body.
int32_t CraftModelFree(Watercraft* craft, ViewComponents* view);

// The rider of the sex for the model, wearing rider texture 0..40. 0, or the load's code (the
// texture is then let go).
int32_t RiderModelLoad(Watercraft* craft, ViewComponents* view, int32_t riderSex, int32_t riderTexture,
                       int32_t model);
// Disposes the rider and lets go of its texture. 0; -1000 without a rider.
int32_t RiderModelFree(Watercraft* craft, ViewComponents* view);

// The four spray emitters with their mounts in the craft's own axes. 0, the first emitter's
// failure (the emitters made so far stay, for the free), or -1000 for a null argument.
int32_t SprayEmittersCreate(Watercraft* craft, ViewComponents* view);
// Disposes every emitter. 0.
int32_t SprayEmittersFree(Watercraft* craft, ViewComponents* view);

// Sets the body's angles and position. 0; -1000 for an object without a craft body.
int32_t CraftPlace(GameObject* object, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y, float z);
// Puts the body, the rider and the emitters into the view's world, or takes them out, and sets or
// clears the object's shown bit. 0; -1000 for a null argument or an object without craft.
int32_t CraftModelsShow(GameObject* object, ViewComponents* view);
int32_t CraftModelsHide(GameObject* object, ViewComponents* view);
