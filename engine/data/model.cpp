#include "engine/data/model.h"

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/strings.h"
#include "engine/core/userdata.h"
#include "engine/data/model_3ds.h"
#include "engine/data/model_c4d.h"
#include "engine/data/model_chunk.h"
#include "engine/data/model_internal.h"

namespace {

// The list loader reads on while more than this many bytes remain.
constexpr int32_t kListTrailingBytes = 88;

struct Options {
  uint8_t rebuild;
  uint8_t centre;
  uint32_t extraFlags;
  uint8_t collidable;
  uint8_t numericUserData;
  uint8_t bakeRotation;
  uint32_t c4dFlags;
};

// Frees the objects linked behind the first one.
void DisposeChainTail(EngineObject* first) {
  EngineObject* rest = first->next;
  first->next = nullptr;
  while (rest) {
    EngineObject* next = rest->next;
    rest->prev = rest->next = nullptr;
    wre_ObjectDispose(rest);
    rest = next;
  }
}

// Both rebuilds; null when one fails (the object is freed then).
EngineObject* Rebuild(EngineObject* object, uint32_t extraFlags) {
  EngineObject* first = wre_ObjectRebuild(object, object->creationFlags);
  if (!first) {
    wre_ObjectDispose(object);
    return nullptr;
  }
  EngineObject* second = wre_ObjectRebuild(first, first->creationFlags | extraFlags);
  if (!second) wre_ObjectDispose(first);
  return second;
}

// Replaces every text record by a value record holding the decimal number of its second text.
int32_t NumericUserData(EngineObject* object) {
  UserData* record = object->userData;
  while (record) {
    if (record->kind != kUserDataText) {
      record = record->next;
      continue;
    }
    UserData* value = wre_UserDataNew(kUserDataValue);
    if (!value) return -1;
    wre_UserDataListRemove(record, &object->userData);
    const auto* body = static_cast<const UserDataBody*>(record->body);
    value->value = body ? wre_StringToInt(body->textB) : 0;
    wre_UserDataDispose(record, 1);
    ModelAttachUserData(object, value);
    record = object->userData;
  }
  return 0;
}

int32_t WorldAdd(World* world, EngineObject* object) {
  if (!gObjectServices.worldAdd) return -1;
  return gObjectServices.worldAdd(world, object);
}

void WorldRemove(EngineObject* object, World* world) {
  if (!gObjectServices.worldRemove || !(object->status & kStatusInWorld) || object->world != world) return;
  gObjectServices.worldRemove(object);
}

int32_t LoadSingle(const char* fileName, EngineObject** out, const Options& o) {
  if (!fileName || !out) return -1;
  *out = nullptr;
  FileRecord* file = wre_FileLoad(fileName, 1);
  if (!file) return -1;
  const uint8_t* data = file->data;
  const int32_t size = file->size;
  EngineObject* object = nullptr;
  if (wre_ObjectIO3DSCheck(data, size)) {
    object = wre_ObjectIO3DSImport(data, size, 0, 0);
  } else if (wre_ObjectIOC4DCheck(data, size)) {
    object = wre_ObjectIOC4DImport(data, size, o.c4dFlags | kC4DWholeScene);
  } else if (wre_ObjectIOBinaryCheck(data, size)) {
    object = wre_ObjectIOBinaryRead(data, size, nullptr, 0);
  }
  wre_FileDispose(file);
  if (!object) return -1;
  // One object is the model: the rest of a chain would be lost once the object's list links are
  // used by a world or a rebuild, so it is freed here.
  DisposeChainTail(object);
  if (o.rebuild) {
    object = Rebuild(object, o.extraFlags);
    if (!object) return -1;
  }
  if (o.centre) wre_ObjectCentre(object, 0);
  if (o.bakeRotation) wre_ObjectBakeRotation(object);
  if (o.numericUserData && NumericUserData(object) != 0) {
    wre_ObjectDispose(object);
    return -1;
  }
  wre_ObjectSetCollidable(object, o.collidable);
  *out = object;
  return 0;
}

// Appends a record for the object; the object is freed when no record can be made.
bool Append(ModelList** list, EngineObject* object) {
  auto* record = static_cast<ModelList*>(wre_MemoryNew(static_cast<int32_t>(sizeof(ModelList))));
  if (!record) {
    wre_ObjectDispose(object);
    return false;
  }
  *record = ModelList{nullptr, nullptr, object};
  wre_RecordListAppend(record, list, &ModelList::prev, &ModelList::next);
  return true;
}

int32_t ReadList(const uint8_t* data, int32_t size, ModelList** list, uint32_t c4dFlags) {
  if (wre_ObjectIOC4DCheck(data, size)) {
    EngineObject* chain = wre_ObjectIOC4DImport(data, size, c4dFlags | kC4DPerTopNode);
    if (!chain) return -1;
    while (chain) {
      EngineObject* object = chain;
      chain = chain->next;
      object->prev = object->next = nullptr;
      if (chain) chain->prev = nullptr;
      if (!Append(list, object)) {
        if (chain) {
          DisposeChainTail(chain);
          wre_ObjectDispose(chain);
        }
        return -1;
      }
    }
    return 0;
  }
  if (!wre_ObjectIOBinaryCheck(data, size)) return -1;
  const uint8_t* position = data;
  int32_t remaining = size;
  while (remaining > kListTrailingBytes) {
    const uint8_t* next = nullptr;
    EngineObject* object = wre_ObjectIOBinaryRead(position, remaining, &next, 0);
    if (!object) return -1;
    if (!Append(list, object)) return -1;
    // The reader only accepts objects that lie inside the data and hold a header and an end chunk,
    // so every step moves on.
    remaining -= static_cast<int32_t>(next - position);
    position = next;
  }
  return 0;
}

int32_t LoadList(const char* fileName, ModelList** list, const Options& o) {
  if (!fileName || !list) return -1;
  *list = nullptr;
  FileRecord* file = wre_FileLoad(fileName, 1);
  if (!file) return -1;
  const int32_t result = ReadList(file->data, file->size, list, o.c4dFlags);
  wre_FileDispose(file);
  if (result != 0) return result;
  if (o.rebuild) {
    for (ModelList* r = *list; r; r = r->next) {
      r->object = Rebuild(r->object, o.extraFlags);
      if (!r->object) return -1;
    }
  }
  if (o.numericUserData) {
    for (ModelList* r = *list; r; r = r->next) {
      if (NumericUserData(r->object) != 0) return -1;
    }
  }
  if (o.centre) {
    for (ModelList* r = *list; r; r = r->next) wre_ObjectCentre(r->object, 0);
  }
  if (o.collidable) {
    for (ModelList* r = *list; r; r = r->next) wre_ObjectSetCollidable(r->object, 1);
  }
  if (o.bakeRotation) {
    for (ModelList* r = *list; r; r = r->next) wre_ObjectBakeRotation(r->object);
  }
  return 0;
}

}  // namespace

int32_t wre_ModelLoad(const char* fileName, EngineObject** object, uint8_t rebuild, uint8_t centre,
                      uint32_t extraFlags, uint8_t collidable, uint8_t numericUserData, uint8_t bakeRotation,
                      uint32_t c4dFlags) {
  const int32_t result = LoadSingle(
      fileName, object, Options{rebuild, centre, extraFlags, collidable, numericUserData, bakeRotation, c4dFlags});
  if (result != 0) wre_FileNoteFailed(fileName);
  return result;
}

int32_t wre_ModelLoadIntoWorld(const char* fileName, EngineObject** object, World* world, uint8_t rebuild,
                               uint8_t centre, uint32_t extraFlags, uint8_t collidable, uint8_t numericUserData,
                               uint8_t bakeRotation, uint32_t c4dFlags) {
  if (!world) return -1;
  const int32_t result = wre_ModelLoad(fileName, object, rebuild, centre, extraFlags, collidable, numericUserData,
                                       bakeRotation, c4dFlags);
  if (result != 0) return result;
  return WorldAdd(world, *object);
}

int32_t wre_ModelListLoad(const char* fileName, ModelList** list, uint8_t rebuild, uint8_t centre,
                          uint32_t extraFlags, uint8_t collidable, uint8_t numericUserData, uint8_t bakeRotation,
                          uint32_t c4dFlags) {
  const int32_t result = LoadList(
      fileName, list, Options{rebuild, centre, extraFlags, collidable, numericUserData, bakeRotation, c4dFlags});
  if (result != 0) wre_FileNoteFailed(fileName);
  return result;
}

int32_t wre_ModelListLoadIntoWorld(const char* fileName, ModelList** list, World* world, uint8_t rebuild,
                                   uint8_t centre, uint32_t extraFlags, uint8_t collidable, uint8_t numericUserData,
                                   uint8_t bakeRotation, uint32_t c4dFlags) {
  if (!world) return -1;
  const int32_t result = wre_ModelListLoad(fileName, list, rebuild, centre, extraFlags, collidable, numericUserData,
                                           bakeRotation, c4dFlags);
  if (result != 0) return result;
  for (ModelList* r = *list; r; r = r->next) {
    const int32_t added = WorldAdd(world, r->object);
    if (added != 0) return added;
  }
  return 0;
}

int32_t wre_ModelDispose(EngineObject** object, World* world) {
  if (!object || !*object) return -1;
  if (world) WorldRemove(*object, world);
  const int32_t result = wre_ObjectDispose(*object);
  if (result == 0) *object = nullptr;
  return result;
}

int32_t wre_ModelListDispose(ModelList** list, World* world) {
  if (!list || !*list) return -1;
  ModelList* last = *list;
  for (ModelList* r = *list; r; r = r->next) {
    if (world && r->object) WorldRemove(r->object, world);
    last = r;
  }
  while (last) {
    ModelList* prev = last->prev;
    if (last->object) wre_ObjectDispose(last->object);
    wre_MemoryDispose(last);
    last = prev;
  }
  *list = nullptr;
  return 0;
}

int32_t wre_ObjectGetUserValue(const EngineObject* object) {
  if (!object) return -1;
  int32_t value = -1;
  for (const UserData* r = object->userData; r; r = r->next) {
    if (r->kind == kUserDataValue) value = r->value;
  }
  return value;
}
