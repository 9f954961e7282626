// The engine's wiring: the lower layers (core, data) reach the higher ones only through hook tables,
// and this fills every one of them.
#pragma once

// Installs the fatal path's shut-down steps, the object services of data and render, the world
// ambient reader of the materials, the sound listener's camera heading, the texture uploads and
// the back-end table of every renderer kind.
// wre_SystemStartup and wre_Init call it; a test that works a layer without them calls it from its
// fixture. Safe to call any number of times.
void wre_EngineInstallHooks();
