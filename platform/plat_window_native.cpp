#include "platform/plat_internal.h"

namespace {
void* gWindowNative = nullptr;
}

void* plat_WindowNative() { return gWindowNative; }
void plat_SetWindowNative(void* window) { gWindowNative = window; }
