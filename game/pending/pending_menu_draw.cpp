#include "game/shell/menu_draw.h"
int32_t MenuQuadPictureDraw(int32_t, int32_t, float, int32_t, float, float, ViewComponents*) { return 0; }
