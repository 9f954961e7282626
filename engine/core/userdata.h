// User-data attachments: small typed records that model files bring along with an object.
#pragma once
#include <cstdint>

#include "engine/core/strings.h"

enum : int32_t {
  kUserDataValue = 1,     // a plain value
  kUserDataText = 1994,   // a value with a body of two byte blocks, two texts and two numbers
};

struct UserData {
  int32_t kind;  // 1, 1994, or 0 for a record made with an unsupported kind
  int32_t bodySize;
  int32_t value;
  void* body;  // UserDataBody for kind 1994
  UserData* prev;
  UserData* next;
};

struct UserDataBody {
  ByteBuffer* dataA;  // null when empty
  ByteBuffer* dataB;
  char textA[256];
  char textB[256];
  int32_t numberA;
  int32_t numberB;
  UserData* owner;
};

// Kind 1: a record; 1994: a record with a zeroed body; any other kind 2-65535: null; kind 0,
// 65536 and above (and below 0): a record of kind 0.
UserData* wre_UserDataNew(int32_t kind);
// Frees the record; with freeBody also its body (and a kind-1994 body's two blocks). -1 for null.
int32_t wre_UserDataDispose(UserData* record, uint8_t freeBody);

// An object's list of records, by the address of its head: adding puts the record at the head;
// removing moves the head on when the record is the head, and clears the record's links.
// -1 for a null record or head address; adding a record that is already on a list is refused (-1).
int32_t wre_UserDataListAdd(UserData* record, UserData** head);
int32_t wre_UserDataListRemove(UserData* record, UserData** head);

// Reads one record from a big-endian image of at most `available` bytes at *stream (kind, a word
// that is skipped, value; for kind 1994 the two blocks with their lengths, the two 256-byte texts
// and the two numbers) and moves *stream past it. Null for a null stream, no bytes, an unsupported
// kind, an image that ends early or a block length outside the bytes left, or no memory; nothing
// is kept then and *stream does not move. The texts are kept NUL-terminated.
UserData* wre_UserDataRead(const uint8_t** stream, int32_t available);

// The same list, held by an engine object. -1 when either is null.
struct EngineObject;
int32_t wre_ObjectAddUserData(UserData* record, EngineObject* object);
int32_t wre_ObjectRemoveUserData(UserData* record, EngineObject* object);
// Disposes every record of the object's list, bodies included.
void wre_ObjectDisposeUserData(EngineObject* object);
