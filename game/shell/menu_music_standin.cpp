#include "game/shell/menu_music_standin.h"

void MenuMusicUpdate() {}
