// Helpers the three model readers share.
#pragma once
#include <cstddef>
#include <cstdint>

struct EngineObject;
struct UserData;

// Puts the record at the head of the object's user-data list. Objects free their user data
// through the object services; the readers make sure that entry is there before they attach any.
int32_t ModelAttachUserData(EngineObject* object, UserData* record);
