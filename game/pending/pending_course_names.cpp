#include "game/shell/game_modes.h"
int32_t CourseNamesRead(char (*names)[256], int32_t) { return names ? 0 : -1000; }
