// Model loading: a model file of the current data folder becomes EngineObjects, optionally placed
// in a world. The format is recognised by the file's first bytes: 3DS, then C4D, then the engine's
// chunk format. Every loaded object then gets the same post-load options.
//
// The seven options, in the order both loaders take them:
//   rebuild          non-zero: the object is rebuilt twice, first with its own creation flags, then
//                    with them ORed with extraFlags; the rebuilt copy replaces it
//   centre           non-zero: the middle of the points' bounds moves to the origin
//   extraFlags       creation flags for the second rebuild
//   collidable       the collidable bit (see each loader)
//   numericUserData  non-zero: every text user-data record becomes a value record holding the
//                    decimal number of its second text
//   bakeRotation     non-zero: the points are turned by the object's angles, which become 0
//   c4dFlags         given to the C4D reader with 2 (single object) or 1 (list) ORed in
//
// Worlds are reached through the object services' worldAdd and worldRemove entries, which the
// world module installs; a load into a world fails (-1) while they are missing.
#pragma once
#include <cstdint>

struct EngineObject;
struct World;

// One record a loaded object, in the order the reader delivered them; the list owns its objects.
struct ModelList {
  ModelList* prev;
  ModelList* next;
  EngineObject* object;
};

// 0, or -1 on any failure, the file then noted (wre_FileNoteFailed); *object is null until the load
// succeeds. A C4D file that yields a chain of objects gives its first; the others are freed.
int32_t wre_ModelLoad(const char* fileName, EngineObject** object, uint8_t rebuild, uint8_t centre,
                      uint32_t extraFlags, uint8_t collidable, uint8_t numericUserData, uint8_t bakeRotation,
                      uint32_t c4dFlags);
// wre_ModelLoad, then the object goes into the world; a failure to add it is returned and the
// object stays in *object.
int32_t wre_ModelLoadIntoWorld(const char* fileName, EngineObject** object, World* world, uint8_t rebuild,
                               uint8_t centre, uint32_t extraFlags, uint8_t collidable, uint8_t numericUserData,
                               uint8_t bakeRotation, uint32_t c4dFlags);
// Every object of a C4D file (one per top-level node) or of a chunk-format file of objects back to
// back (read on while more than 88 bytes remain). 3DS files are refused. *list is null first and
// grows record by record; after a failure it holds the objects read so far, and the file is noted
// (wre_FileNoteFailed). Collidable 0 leaves the bit as the file set it.
int32_t wre_ModelListLoad(const char* fileName, ModelList** list, uint8_t rebuild, uint8_t centre,
                          uint32_t extraFlags, uint8_t collidable, uint8_t numericUserData, uint8_t bakeRotation,
                          uint32_t c4dFlags);
// wre_ModelListLoad, then every object into the world in list order; the first failure is returned.
int32_t wre_ModelListLoadIntoWorld(const char* fileName, ModelList** list, World* world, uint8_t rebuild,
                                   uint8_t centre, uint32_t extraFlags, uint8_t collidable, uint8_t numericUserData,
                                   uint8_t bakeRotation, uint32_t c4dFlags);
// Takes the object out of the world (when given) and frees it; *object becomes null when the free
// succeeds. Returns the free's result, -1 for a null pointer or object.
int32_t wre_ModelDispose(EngineObject** object, World* world);
// Takes every object out of the world (when given), then frees objects and records from the tail
// back to the head; *list becomes null. -1 for a null pointer or empty list.
int32_t wre_ModelListDispose(ModelList** list, World* world);
// The value of the last value record met walking the object's user data from its head; -1 for a
// null object or none.
int32_t wre_ObjectGetUserValue(const EngineObject* object);
