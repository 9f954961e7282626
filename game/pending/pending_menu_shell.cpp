#include "game/shell/menu_shell.h"
#include "game/shell/menu_standins.h"
#include "game/shell/menu_state.h"
void MenuResourcesLoad() { gMenuLoaded = 1; }
void MenuResourcesUnload() { gMenuLoaded = 0; }
int32_t MenuScreenSwitch(ViewComponents*, int32_t id, bool force) {
  if (id == gMenuScreen || ((id < kScreenNewGame || id > kScreenQuit) && !force)) return 0;
  gMenuScreen = id;
  return 0;
}
