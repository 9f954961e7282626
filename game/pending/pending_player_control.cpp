#include "game/world/player_control.h"
int32_t MouseCursorCentre(ViewComponents* view) { return view ? 0 : -1000; }
void PlayerControlProcess(void*) {}
