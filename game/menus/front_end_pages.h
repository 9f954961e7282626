// The front-end pages: what each menu screen shows over the live scene, drawn once per menu frame
// between the camera step and the tab column. The pages show the menu and game state; they advance
// only their own animation (the globe turning to the chosen level, the player page's turntable, the
// caret blink, the scrolling texts), the software cursor, the logo spin, and the hand-over from the
// disclaimer to the new-game page once its text has scrolled away.
#pragma once
#include <cstdint>

struct ViewComponents;

// Draws the page of gMenuScreen and then the software cursor and the logo spin (the credits and
// disclaimer pages without their text draw nothing at all). Always 0; nothing is drawn without a
// menu state.
int32_t FrontEndPageDraw(ViewComponents* view);
