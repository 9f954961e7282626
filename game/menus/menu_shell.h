// The front end's screen machine and the resources its screens share: the menu state's creation
// and release, the shared menu resources (materials, start-up textures, fonts, backdrop, logo,
// light, pointer and sounds) loaded around every race, entering, leaving and switching screens,
// and the per-frame step that applies a pending switch and loads whatever is missing.
#pragma once
#include <cstdint>

struct ViewComponents;

// Builds gMenuState for gView and loads the shared menu resources (whose failures are fatal). The
// first screen of a run is the disclaimer. 0, or -5000 when the record cannot be allocated.
int32_t MenuStateCreate();
// Releases the shared resources, every material and texture, and the record.
void MenuStateFree();

// Loads the shared menu resources for gView; every failure ends the program with its message.
void MenuResourcesLoad();
// Releases them, leaving the current screen first; nothing when they are not loaded.
void MenuResourcesUnload();

// Loads the current screen's own textures and objects once. 0, or the first error; a failed entry
// releases what it loaded and leaves the screen not entered.
int32_t MenuScreenEnter(ViewComponents* view);
// Releases them. 0, or the first error (the screen then stays entered).
int32_t MenuScreenLeave(ViewComponents* view);
// Leaves the current screen and enters the id, playing the menu-change sound on success. Nothing
// (0) for the current id, or for an id other than the tab screens 100..107 without force. The
// leave's error keeps the old screen; otherwise the entry's result.
int32_t MenuScreenSwitch(ViewComponents* view, int32_t id, bool force);
// The last step of every menu frame: the program's quit request ends the menus, a pending switch
// is applied, the shared resources are loaded when they are not, and a screen not yet entered is
// entered (a screen that failed to enter is tried again once a second). The entry's result or 0.
int32_t MenuFrameUpdate(ViewComponents* view);

// The player page's turntable racer from the settings, placed at previewYaw and shown with its
// rider seated, after hiding and freeing any racer before it. 0; -1 when it cannot be built.
int32_t PreviewRacerBuild(ViewComponents* view);
// Hides and frees the turntable racer; nothing when there is none.
void PreviewRacerFree(ViewComponents* view);
