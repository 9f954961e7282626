// The front end's screen machine and the resources its screens share: the shared menu resources
// loaded around every race, and switching screens.
#pragma once
#include <cstdint>

struct ViewComponents;

// Loads the shared menu resources for gView; every failure ends the program with its message.
void MenuResourcesLoad();
// Releases them, leaving the current screen first; nothing when they are not loaded.
void MenuResourcesUnload();

// Leaves the current screen and enters the id, playing the menu-change sound on success. Nothing
// (0) for the current id, or for an id other than the tab screens 100..107 without force. The
// leave's error keeps the old screen; otherwise the entry's result.
int32_t MenuScreenSwitch(ViewComponents* view, int32_t id, bool force);
