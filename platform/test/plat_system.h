// Test hooks of system queries and the fatal exit (platform/plat_system.h): the claimed system family and the
// final exit.
//
// Test-only: platform/test/plat_system.h holds what only tests use of platform/plat_system.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_system.h"

// The system family plat_IsWindowsNT reports on the test back end.
void plat_TestSetWindowsNT(bool isNT);

// Tests replace the final exit: the hook is called with the message instead of ending the process.
// A hook must not return (it may throw); if it does, the process ends as usual.
using PlatTerminateHook = void (*)(const char* message);
void plat_SetTerminateHook(PlatTerminateHook hook);
