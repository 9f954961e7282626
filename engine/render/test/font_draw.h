// Test hook of the string drawing (engine/render/font_draw.h): a test of what the pages print sees
// every string drawn, with its font, as the game draws it.
//
// Test-only: the module's own source and the tests include it; the program never sets the hook.
#pragma once

#include "engine/data/font.h"

using FontStringWatcher = void (*)(const Font* font, const char* text);
// Called with each string wre_FontDrawString draws, before its letters; null (the default) for none.
void wre_TestWatchFontStrings(FontStringWatcher watcher);
