// Stand-in for the menu music until the game's sounds are built: the tab screens call it every
// frame; it plays nothing yet.
#pragma once

void MenuMusicUpdate();
