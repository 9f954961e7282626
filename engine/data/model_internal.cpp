#include "engine/data/model_internal.h"

#include "engine/core/object.h"
#include "engine/core/userdata.h"

int32_t ModelAttachUserData(EngineObject* object, UserData* record) {
  if (!object || !record) return -1;
  return wre_UserDataListAdd(record, &object->userData);
}
