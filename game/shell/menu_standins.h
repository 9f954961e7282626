// Stand-ins for the front-end menus until they are built: the menu state is made and freed, the
// pages take no input, and the menu loop ends when the program is asked to quit
// (a window-manager close or a terminate signal), as the quit tab will end it.
#pragma once
#include <cstdint>

struct ViewComponents;
struct WindowRecord;

inline uint8_t gMenuQuit = 0;    // ends the menu loop of the top-level run
inline uint8_t gMenuLoaded = 0;  // the menus take input
inline uint8_t gIntroPlayed = 0;

// 0 after making gMenuState; the menus then take input.
int32_t MenuStateCreate(WindowRecord* window, int32_t rendererKind);
void MenuStateFree();
void FrontEndPageInput(int32_t typed, int32_t held, ViewComponents* view);
// The pending screen switch; a quit request of the program quits the menus.
void MenuFrameUpdate(ViewComponents* view);
