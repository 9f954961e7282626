// Reads user-data records from arbitrary bytes, one after another, as the model reader does.
#include <cstddef>
#include <cstdint>

#include "engine/core/memory.h"
#include "engine/core/userdata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  wre_MemoryInit();
  const uint8_t* cursor = data;
  const uint8_t* end = data + size;
  UserData* head = nullptr;
  while (cursor < end) {
    UserData* record = wre_UserDataRead(&cursor, static_cast<int32_t>(end - cursor));
    if (!record) break;
    wre_UserDataListAdd(record, &head);
  }
  while (head) {
    UserData* record = head;
    wre_UserDataListRemove(record, &head);
    wre_UserDataDispose(record, 1);
  }
  return 0;
}
