#include "game/world/gate_list.h"

#include "engine/core/memory.h"
#include "engine/core/wre_types.h"
#include "game/world/game_object.h"
#include "game/world/gate_arrow.h"

GateRecord* GateRecordNew() {
  auto* record = static_cast<GateRecord*>(wre_MemoryNew(sizeof(GateRecord)));
  if (!record) return nullptr;
  *record = GateRecord{};
  record->holder = -1;
  return record;
}

void GateRecordFree(GateRecord** record) {
  if (!record || !*record) return;
  wre_MemoryDispose(*record);
  *record = nullptr;
}

int32_t GateListAppend(GateRecord* record, GateRecord** head) {
  if (!record || !head) return -1;
  record->prev = nullptr;
  record->next = nullptr;
  if (!*head) {
    *head = record;
    return 0;
  }
  GateRecord* tail = *head;
  while (tail->next) tail = tail->next;
  tail->next = record;
  record->prev = tail;
  return 0;
}

int32_t GateListUnlink(GateRecord* record, GateRecord** head) {
  if (!record || !head || !*head) return -1;
  if (*head == record) {
    *head = record->next;
    if (*head) (*head)->prev = nullptr;
  } else {
    GateRecord* before = *head;
    while (before->next && before->next != record) before = before->next;
    if (!before->next) return -1;
    before->next = record->next;
    if (record->next) record->next->prev = before;
    // In a relinked list the head's prev is the tail: it must not keep pointing at a freed record.
    if ((*head)->prev == record) (*head)->prev = before;
  }
  record->prev = nullptr;
  record->next = nullptr;
  return 0;
}

int32_t GateListRelink(GateRecord* head) {
  if (!head) return kWreErrNull;
  GateRecord* tail = head;
  for (; tail->next; tail = tail->next) tail->next->prev = tail;
  head->prev = tail;
  return 0;
}

namespace {

// The arrow shows the way to the human player only (the replay kind has the human bit too).
void ArrowFollow(const GameObject* driver, const GateRecord* gate) {
  if (driver && (driver->controlKind & kControlHuman)) ArrowPlaceAtGate(gate);
}

}  // namespace

GateRecord* GateListFirst(GameObject* driver) {
  ArrowFollow(driver, gGateListHead);
  return gGateListHead;
}

GateRecord* GateListNext(GateRecord* gate, GameObject* driver) {
  if (!gate || !gate->next) return GateListFirst(driver);
  ArrowFollow(driver, gate->next);
  return gate->next;
}
