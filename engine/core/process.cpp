#include "engine/core/process.h"

#include "engine/core/memory.h"
#include "engine/core/test/census.h"
#include "engine/core/timer.h"
#include "engine/core/wre_types.h"

namespace {

ProcessNode* gHead = nullptr;
bool gStarted = false;

// Each running pass keeps the node it will visit next here, so that a callback removing that node
// moves the pass on to the node after it instead of leaving it on freed memory.
struct RunFrame {
  ProcessNode* next;
  RunFrame* outer;
};
RunFrame* gRunFrames = nullptr;

ProcessNode* Tail() {
  ProcessNode* node = gHead;
  while (node && node->next) node = node->next;
  return node;
}

void Unlink(ProcessNode* node) {
  for (RunFrame* frame = gRunFrames; frame; frame = frame->outer) {
    if (frame->next == node) frame->next = node->next;
  }
  if (node->prev) node->prev->next = node->next;
  if (node->next) node->next->prev = node->prev;
  if (gHead == node) gHead = node->next;
  node->prev = nullptr;
  node->next = nullptr;
  node->flags &= static_cast<uint8_t>(~kProcessOnList);
}

int32_t CreateNode(int32_t kind, ProcessCallback callback, ProcessNode** out, void* argument, uint32_t interval) {
  if (!gStarted) return kProcessNotStarted;
  if (!callback || !out) return kWreErrNull;
  if (kind == kProcessKindArg && !argument) return kWreErrNull;
  ProcessNode* node = wre_ProcessNew();
  *out = node;
  if (!node) return kWreErrNoMemory;
  wre_ProcessSetKind(node, kind);
  int32_t result = wre_ProcessSetCallback(node, callback);
  if (result != 0) return result;
  wre_ProcessSetArg(node, argument);
  result = wre_ProcessSetInterval(node, interval);
  if (result != 0) return result;
  return wre_ProcessListAdd(node, 1);
}

void RunCallback(ProcessNode* node) {
  switch (node->kind) {
    case kProcessKindPlain: reinterpret_cast<ProcessCallbackPlain>(node->callback)(); break;
    case kProcessKindSelf: reinterpret_cast<ProcessCallbackSelf>(node->callback)(node); break;
    case kProcessKindArg: reinterpret_cast<ProcessCallbackArg>(node->callback)(node->argument); break;
    default: break;  // fired, but there is nothing to call
  }
}

}  // namespace

int32_t wre_ProcessListInit() {
  if (gStarted) return kProcessAlreadyStarted;
  gHead = nullptr;
  gStarted = true;
  return 0;
}

int32_t wre_ProcessListExit(uint8_t dispose) {
  if (!gStarted) return kProcessNotStarted;
  if (dispose) {
    wre_ProcessListDisposeAll();
  } else {
    while (gHead) Unlink(gHead);
  }
  gStarted = false;
  return 0;
}

void wre_ProcessListDisposeAll() {
  if (!gStarted) return;
  while (ProcessNode* node = Tail()) {
    Unlink(node);
    wre_MemoryDispose(node);
  }
}

int32_t wre_TestProcessCount() {
  int32_t count = 0;
  for (const ProcessNode* node = gStarted ? gHead : nullptr; node; node = node->next) ++count;
  return count;
}

void wre_ProcessListMarkNotStarted() {
  gHead = nullptr;
  gStarted = false;
}

int32_t wre_ProcessCreate(ProcessCallbackPlain callback, ProcessNode** node, uint32_t interval) {
  return CreateNode(kProcessKindPlain, reinterpret_cast<ProcessCallback>(callback), node, nullptr, interval);
}

int32_t wre_ProcessCreateWithSelf(ProcessCallbackSelf callback, ProcessNode** node, uint32_t interval) {
  return CreateNode(kProcessKindSelf, reinterpret_cast<ProcessCallback>(callback), node, nullptr, interval);
}

int32_t wre_ProcessCreateWithArg(ProcessCallbackArg callback, ProcessNode** node, void* argument, uint32_t interval) {
  return CreateNode(kProcessKindArg, reinterpret_cast<ProcessCallback>(callback), node, argument, interval);
}

ProcessNode* wre_ProcessNew() {
  auto* node = static_cast<ProcessNode*>(wre_MemoryNew(static_cast<int32_t>(sizeof(ProcessNode))));
  if (node) *node = ProcessNode{};
  return node;
}

int32_t wre_ProcessDispose(ProcessNode* node) {
  if (!node) return kWreErrNull;
  if (node->flags & kProcessOnList) Unlink(node);
  return wre_MemoryDispose(node) == 0 ? 0 : -1;
}

int32_t wre_ProcessSetArgs(ProcessNode* node, void* user1, void* user2, void* user3, int32_t userValue) {
  if (!node) return kWreErrNull;
  node->user1 = user1;
  node->user2 = user2;
  node->user3 = user3;
  node->userValue = userValue;
  return 0;
}

int32_t wre_ProcessSetKind(ProcessNode* node, int32_t kind) {
  if (!node) return kWreErrNull;
  node->kind = kind;
  return 0;
}

int32_t wre_ProcessSetCallback(ProcessNode* node, ProcessCallback callback) {
  if (!node) return kWreErrNull;
  if (!callback) return kProcessNullCallback;
  node->callback = callback;
  return 0;
}

int32_t wre_ProcessSetArg(ProcessNode* node, void* argument) {
  if (!node) return kWreErrNull;
  node->argument = argument;
  return 0;
}

int32_t wre_ProcessSetInterval(ProcessNode* node, uint32_t interval) {
  if (!node) return kWreErrNull;
  if (interval == 0) return kProcessZeroInterval;
  node->interval = interval;
  return 0;
}

int32_t wre_ProcessStampTick(ProcessNode* node) {
  if (!node) return kWreErrNull;
  node->lastTick = gEngineTick;
  return 0;
}

int32_t wre_ProcessListAdd(ProcessNode* node, uint8_t atEnd) {
  if (!gStarted) return kProcessNotStarted;
  if (!node) return kWreErrNull;
  if (node->flags & kProcessOnList) return kProcessAlreadyListed;
  node->prev = nullptr;
  node->next = nullptr;
  if (!gHead) {
    gHead = node;
  } else if (atEnd) {
    ProcessNode* tail = Tail();
    tail->next = node;
    node->prev = tail;
  } else {
    node->next = gHead;
    gHead->prev = node;
    gHead = node;
  }
  node->flags |= kProcessOnList;
  wre_ProcessStampTick(node);
  return 0;
}

int32_t wre_ProcessListRemove(ProcessNode* node) {
  if (!gStarted) return kProcessNotStarted;
  if (!node) return kWreErrNull;
  if (!(node->flags & kProcessOnList)) return kProcessNotListed;
  Unlink(node);
  return 0;
}

int32_t wre_ProcessListRun(uint8_t passLimit, uint8_t reset) {
  if (!gStarted) return kProcessNotStarted;
  RunFrame frame{nullptr, gRunFrames};
  gRunFrames = &frame;
  bool fired = true;
  for (uint32_t pass = 0; fired && pass < passLimit; ++pass) {
    fired = false;
    for (ProcessNode* node = gHead; node; node = frame.next) {
      frame.next = node->next;
      if (node->lastTick + node->interval > gEngineTick) continue;
      node->lastTick += node->interval;
      node->flags |= kProcessFired;
      fired = true;
      RunCallback(node);  // may free node: it is not touched again
    }
  }
  gRunFrames = frame.outer;
  if (reset) {
    for (ProcessNode* node = gHead; node; node = node->next) {
      if (node->flags & kProcessFired) {
        node->lastTick = gEngineTick;
        node->flags &= static_cast<uint8_t>(~kProcessFired);
      }
    }
  }
  return 0;
}

int32_t wre_ProcessListResetTicks() {
  if (!gStarted) return kProcessNotStarted;
  for (ProcessNode* node = gHead; node; node = node->next) wre_ProcessStampTick(node);
  return 0;
}
