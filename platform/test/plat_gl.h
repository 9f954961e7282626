// Test hooks of the OpenGL layer (platform/plat_gl.h): a recording table in place of the entry points, and
// whether a context can be made.
//
// Test-only: platform/test/plat_gl.h holds what only tests use of platform/plat_gl.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_gl.h"

// Puts a recording table in place of the entry points (null: the real entry points again).
void plat_GlSetFunctions(const PlatGlFunctions* functions);
// Whether a context can be made.
void plat_TestGlSetAvailable(bool available);
