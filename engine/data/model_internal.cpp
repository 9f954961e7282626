#include "engine/data/model_internal.h"

#include "engine/core/object.h"
#include "engine/core/userdata.h"

void ModelDisposeAllUserData(EngineObject* object) {
  if (!object) return;
  while (object->userData) {
    UserData* record = object->userData;
    wre_UserDataListRemove(record, &object->userData);
    wre_UserDataDispose(record, 1);
  }
}

int32_t ModelAttachUserData(EngineObject* object, UserData* record) {
  if (!object || !record) return -1;
  if (!gObjectServices.userDataDisposeAll) gObjectServices.userDataDisposeAll = &ModelDisposeAllUserData;
  return wre_UserDataListAdd(record, &object->userData);
}
