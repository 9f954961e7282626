#include "game/shell/menu_standins.h"

void FrontEndPageDraw(ViewComponents*) {}
void MenuTabColumnDraw(ViewComponents*) {}
