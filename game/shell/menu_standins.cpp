#include "game/shell/menu_standins.h"

#include "engine/core/memory.h"
#include "game/shell/menu_state.h"
#include "platform/plat_window.h"

int32_t MenuStateCreate(WindowRecord*, int32_t) {
  gMenuState = static_cast<MenuState*>(TrackedAlloc(static_cast<int32_t>(sizeof(MenuState))));
  TrackedClear(gMenuState, static_cast<int32_t>(sizeof(MenuState)));
  gMenuQuit = 0;
  gMenuLoaded = 1;
  return 0;
}

void MenuStateFree() {
  gMenuLoaded = 0;
  if (gMenuState) TrackedFree(gMenuState);
  gMenuState = nullptr;
}

void FrontEndPageInput(int32_t, int32_t, ViewComponents*) {}

void MenuFrameUpdate(ViewComponents*) {
  if (plat_QuitRequested()) gMenuQuit = 1;
}
