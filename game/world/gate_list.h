// The course's gate list: records made zero-filled from the engine's tagged allocator, appended
// in course order, unlinked one by one, and relinked once complete so that walking back from the
// head reaches the tail. Racers walk it forward, wrapping from the tail to the head.
#pragma once
#include <cstdint>

#include "game/state/gate_record.h"

struct GameObject;

// A new zero-filled record with holder -1; null when memory runs out.
GateRecord* GateRecordNew();
// Frees the referenced record and clears the reference; nothing when either is null.
void GateRecordFree(GateRecord** record);

// Appends the record at the tail (it becomes the head of an empty list). 0; -1 for a null argument.
int32_t GateListAppend(GateRecord* record, GateRecord** head);
// Takes the record out of the list and clears its links. 0; -1 for a null argument or a record
// that is not in the list (nothing changes then).
int32_t GateListUnlink(GateRecord* record, GateRecord** head);
// Sets every record's prev from the next chain and makes the head's prev the tail; next stays
// open at the tail. 0; -1000 for a null head.
int32_t GateListRelink(GateRecord* head);

// The first gate of the running course (gGateListHead). A human driver's arrow moves over it.
GateRecord* GateListFirst(GameObject* driver);
// The gate after the given one; the head again after the tail or for null. A human driver's
// arrow moves over the gate returned.
GateRecord* GateListNext(GateRecord* gate, GameObject* driver);
