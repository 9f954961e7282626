#include "engine/core/userdata.h"

#include <cstring>

#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/stream.h"

namespace {

UserData* Fail(UserData* record) {
  wre_UserDataDispose(record, 1);
  return nullptr;
}

// A block of the image: its length, then its bytes. False when the length does not fit what is left
// or the block cannot be allocated.
bool ReadBlock(StreamReader* reader, ByteBuffer** block) {
  int32_t length = wre_StreamReadInt32(reader);
  if (reader->overrun || length < 0 || static_cast<size_t>(length) > wre_StreamReaderLeft(reader)) return false;
  if (length == 0) return true;
  ByteBuffer* buffer = wre_BufferNew(length);
  if (!buffer) return false;
  wre_StreamReadBytes(reader, buffer->data, static_cast<size_t>(length));
  *block = buffer;
  return true;
}

}  // namespace

UserData* wre_UserDataNew(int32_t kind) {
  if (kind >= 2 && kind <= 65535 && kind != kUserDataText) return nullptr;
  auto* record = static_cast<UserData*>(wre_MemoryNew(static_cast<int32_t>(sizeof(UserData))));
  if (!record) return nullptr;
  *record = UserData{};
  if (kind == kUserDataValue) {
    record->kind = kind;
  } else if (kind == kUserDataText) {
    auto* body = static_cast<UserDataBody*>(wre_MemoryNew(static_cast<int32_t>(sizeof(UserDataBody))));
    if (!body) {
      wre_MemoryDispose(record);
      return nullptr;
    }
    std::memset(body, 0, sizeof(UserDataBody));
    body->owner = record;
    record->kind = kind;
    record->bodySize = static_cast<int32_t>(sizeof(UserDataBody));
    record->body = body;
  }
  return record;
}

int32_t wre_UserDataDispose(UserData* record, uint8_t freeBody) {
  if (!record) return -1;
  if (freeBody && record->body) {
    if (record->kind == kUserDataText) {
      auto* body = static_cast<UserDataBody*>(record->body);
      if (body->dataA) wre_BufferDispose(body->dataA);
      if (body->dataB) wre_BufferDispose(body->dataB);
    }
    wre_MemoryDispose(record->body);
    record->body = nullptr;
  }
  wre_MemoryDispose(record);
  return 0;
}

int32_t wre_UserDataListAdd(UserData* record, UserData** head) {
  if (!record || !head) return -1;
  if (record == *head || record->prev || record->next) return -1;
  record->prev = nullptr;
  record->next = *head;
  if (*head) (*head)->prev = record;
  *head = record;
  return 0;
}

int32_t wre_UserDataListRemove(UserData* record, UserData** head) {
  if (!record || !head) return -1;
  if (*head == record) *head = record->next;
  if (record->prev) record->prev->next = record->next;
  if (record->next) record->next->prev = record->prev;
  record->prev = nullptr;
  record->next = nullptr;
  return 0;
}

int32_t wre_ObjectAddUserData(UserData* record, EngineObject* object) {
  if (!record || !object) return -1;
  return wre_UserDataListAdd(record, &object->userData);
}

int32_t wre_ObjectRemoveUserData(UserData* record, EngineObject* object) {
  if (!record || !object) return -1;
  return wre_UserDataListRemove(record, &object->userData);
}

void wre_ObjectDisposeUserData(EngineObject* object) {
  if (!object) return;
  while (UserData* record = object->userData) {
    wre_UserDataListRemove(record, &object->userData);
    wre_UserDataDispose(record, 1);
  }
}

UserData* wre_UserDataRead(const uint8_t** stream, int32_t available) {
  if (!stream || !*stream || available <= 0) return nullptr;
  StreamReader reader = wre_StreamReaderMake(*stream, static_cast<size_t>(available));
  int32_t kind = wre_StreamReadInt32(&reader);
  if (reader.overrun) return nullptr;
  UserData* record = wre_UserDataNew(kind);
  if (!record) return nullptr;
  wre_StreamReadInt32(&reader);  // a word the format carries and nothing reads
  record->value = wre_StreamReadInt32(&reader);
  if (reader.overrun) return Fail(record);
  if (record->body && record->kind == kUserDataText) {
    auto* body = static_cast<UserDataBody*>(record->body);
    if (!ReadBlock(&reader, &body->dataA) || !ReadBlock(&reader, &body->dataB)) return Fail(record);
    wre_StreamReadBytes(&reader, body->textA, sizeof(body->textA));
    wre_StreamReadBytes(&reader, body->textB, sizeof(body->textB));
    body->textA[sizeof(body->textA) - 1] = 0;
    body->textB[sizeof(body->textB) - 1] = 0;
    body->numberA = wre_StreamReadInt32(&reader);
    body->numberB = wre_StreamReadInt32(&reader);
    if (reader.overrun) return Fail(record);
  }
  *stream = reader.next;
  return record;
}
