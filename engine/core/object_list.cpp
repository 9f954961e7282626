// Lists of objects through their list links and through their cell links.
#include "engine/core/memory.h"
#include "engine/core/object.h"

namespace {

bool InList(EngineObject* head, const EngineObject* object) {
  for (EngineObject* at = head; at; at = at->next) {
    if (at == object) return true;
  }
  return false;
}

}  // namespace

int32_t wre_ObjectListPrepend(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  object->prev = nullptr;
  object->next = *head;
  if (*head) (*head)->prev = object;
  *head = object;
  return 0;
}

int32_t wre_ObjectListAppend(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  wre_RecordListAppend(object, head, &EngineObject::prev, &EngineObject::next);
  return 0;
}

int32_t wre_ObjectListRemove(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  if (!InList(*head, object)) return kWreErrNotInList;
  if (object->prev) object->prev->next = object->next;
  if (object->next) object->next->prev = object->prev;
  if (*head == object) *head = object->next;
  object->prev = nullptr;
  object->next = nullptr;
  return 0;
}

int32_t wre_ObjectCellPrepend(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  object->cellPrev = nullptr;
  object->cellNext = *head;
  if (*head) (*head)->cellPrev = object;
  *head = object;
  object->cellHead = head;
  return 0;
}

int32_t wre_ObjectCellAppend(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  object->cellHead = head;
  wre_RecordListAppend(object, head, &EngineObject::cellPrev, &EngineObject::cellNext);
  return 0;
}

int32_t wre_ObjectCellRemove(EngineObject* object) {
  if (!object) return kWreErrNull;
  EngineObject** head = object->cellHead;
  if (!head) return kWreErrNotInList;
  bool found = false;
  for (EngineObject* at = *head; at; at = at->cellNext) {
    if (at == object) {
      found = true;
      break;
    }
  }
  if (!found) return kWreErrNotInList;
  if (object->cellPrev) object->cellPrev->cellNext = object->cellNext;
  if (object->cellNext) object->cellNext->cellPrev = object->cellPrev;
  if (*head == object) *head = object->cellNext;
  object->cellPrev = nullptr;
  object->cellNext = nullptr;
  object->cellHead = nullptr;
  return 0;
}
