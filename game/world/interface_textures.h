// The race interface's textures: the shared and interface texture lists, the pause prompt's
// texture and the two sheets the head-up display draws from. They live from the race's texture
// step to its teardown.
#pragma once
#include <cstdint>

struct ViewComponents;

// -1 when not loaded.
inline int32_t gQuitPauseTexture = -1;  // the texture named "vqz_QuitPauseTexture"
inline int32_t gInterfaceTexture = -1;  // "qz_interface.BMP"
inline int32_t gMenuSheetTexture = -1;  // "qz_menu.BMP", loaded only while a race is active

// Loads the textures of "data:textures" and "data:interface", finds the pause texture and loads the
// interface sheet, and the menu sheet while a race is active. Returns true; every failure is fatal,
// its message naming the file that failed on the next line.
// Leaves "data:interface" current.
bool InterfaceTexturesLoad(ViewComponents* view);
// Unloads what the load made (the menu sheet only while a race is active). Always 0. Leaves
// "data:interface" current.
int32_t InterfaceTexturesUnload(ViewComponents* view);
