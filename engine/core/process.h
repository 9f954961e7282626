// The process list: timed callbacks run in fixed tick steps, with catch-up.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

enum : int32_t {
  kProcessNotStarted = 10000,
  kProcessAlreadyStarted = 10001,
  kProcessNullCallback = 10050,
  kProcessAlreadyListed = 10100,
  kProcessNotListed = 10101,
  kProcessZeroInterval = 10200,
};

enum : int32_t {
  kProcessKindPlain = 100,  // callback takes no argument
  kProcessKindSelf = 101,   // callback takes the node
  kProcessKindArg = 102,    // callback takes the node's argument
};

enum : uint8_t {
  kProcessOnList = 0x01,
  kProcessFired = 0x02,
};

// The callback's real signature follows the kind; it is stored as this type and its result ignored.
using ProcessCallback = void (*)();

struct ProcessNode {
  int32_t kind;
  ProcessCallback callback;
  void* argument;
  void* user1;
  void* user2;
  void* user3;
  int32_t userValue;
  uint32_t lastTick;
  uint32_t interval;
  ProcessNode* prev;
  ProcessNode* next;
  uint8_t flags;
};

using ProcessCallbackPlain = void (*)();
using ProcessCallbackSelf = void (*)(ProcessNode* node);
using ProcessCallbackArg = void (*)(void* argument);

int32_t wre_ProcessListInit();
// Without dispose the nodes stay allocated, taken off the forgotten list (links and bit 0 cleared).
int32_t wre_ProcessListExit(uint8_t dispose);
void wre_ProcessListDisposeAll();
// Marks the list as not started, forgetting any nodes (the system start-up does this).
void wre_ProcessListMarkNotStarted();

int32_t wre_ProcessCreate(ProcessCallbackPlain callback, ProcessNode** node, uint32_t interval);
int32_t wre_ProcessCreateWithSelf(ProcessCallbackSelf callback, ProcessNode** node, uint32_t interval);
int32_t wre_ProcessCreateWithArg(ProcessCallbackArg callback, ProcessNode** node, void* argument, uint32_t interval);

ProcessNode* wre_ProcessNew();
// A node still on the list is removed first.
int32_t wre_ProcessDispose(ProcessNode* node);
int32_t wre_ProcessSetArgs(ProcessNode* node, void* user1, void* user2, void* user3, int32_t userValue);
int32_t wre_ProcessSetKind(ProcessNode* node, int32_t kind);
int32_t wre_ProcessSetCallback(ProcessNode* node, ProcessCallback callback);
int32_t wre_ProcessSetArg(ProcessNode* node, void* argument);
int32_t wre_ProcessSetInterval(ProcessNode* node, uint32_t interval);
int32_t wre_ProcessStampTick(ProcessNode* node);

int32_t wre_ProcessListAdd(ProcessNode* node, uint8_t atEnd);
int32_t wre_ProcessListRemove(ProcessNode* node);
// A callback may remove or dispose any node, its own included, and add nodes.
int32_t wre_ProcessListRun(uint8_t passLimit, uint8_t reset);
int32_t wre_ProcessListResetTicks();
