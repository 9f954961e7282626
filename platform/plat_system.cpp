#include "platform/plat_system.h"

#include <SDL.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/plat_internal.h"
#include "platform/test/plat_system.h"

namespace {

bool gTestBackend = false;
bool gTestIsNT = false;
PlatTerminateHook gTerminateHook = nullptr;

// A message box only makes sense where SDL runs a real display.
bool DisplayAvailable() {
  if (gTestBackend || !SDL_WasInit(SDL_INIT_VIDEO)) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) return false;
  return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

}  // namespace

void plat_SystemSelectBackend(PlatBackend backend) { gTestBackend = backend == kPlatBackendTest; }

bool plat_IsWindowsNT() { return gTestBackend && gTestIsNT; }
void plat_TestSetWindowsNT(bool isNT) { gTestIsNT = isNT; }

void plat_SetTerminateHook(PlatTerminateHook hook) { gTerminateHook = hook; }

void plat_FatalAppExit(const char* message) {
  const char* text = message ? message : "";
  if (gTerminateHook) gTerminateHook(text);
  std::fprintf(stderr, "%s\n", text);
  std::fflush(stderr);
  if (DisplayAvailable()) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Fatal error", text, nullptr);
  _exit(3);
}

void plat_QuietExit(int code) {
  if (gTerminateHook) gTerminateHook("");
  std::fflush(stderr);
  _exit(code);
}

bool plat_ModulePresent(const char* name) {
  if (!name || !*name) return false;
  void* handle = dlopen(name, RTLD_LAZY | RTLD_NOLOAD);
  if (!handle) handle = dlopen(name, RTLD_LAZY);
  if (!handle) return false;
  dlclose(handle);
  return true;
}
