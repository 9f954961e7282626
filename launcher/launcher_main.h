// Disc launcher: start-up, the message loop and the ways the program ends.
//
// A second launcher is refused through a single-instance lock named after the launcher's window
// class: while another holds it, the launcher ends with 0 before reading anything. Otherwise it
// reads the screen size and the configuration (which may end it at once), makes its window and
// runs the loop until a quit is posted; every end gives the exit code 0.
#pragma once
#include <cstdint>

#include "launcher/launcher_state.h"
#include "launcher/launcher_window.h"

// The name of the launcher's window class, which also names its single-instance lock.
constexpr const char* kLauncherClassName = "ostrelclass";

struct LauncherApp {
  LauncherState state;
  LauncherWindow window;
  LauncherWindowOps ops{};
  int16_t screenWidth = 0;
  int16_t screenHeight = 0;
};

// The whole program: lock, set-up, loop, and the tidy-up before the end. Returns the exit code.
int LauncherWinMain();

// Reads the screen size and the configuration and makes the window. 1 when the loop is to run;
// 0 when the launcher ends at once (the configuration says so, or there is no window).
int LauncherInitInstance(LauncherApp* app);
// One pass of the message loop: waits for input at most until the install poll is due, handles
// it, then runs the poll and collects ended child processes. True when the loop has ended, with
// the exit code in `exitCode`.
bool LauncherLoopPass(LauncherApp* app, int* exitCode);
// Runs passes until the loop ends; returns the exit code.
int LauncherMessageLoop(LauncherApp* app);
// Destroys the window and forgets a posted quit.
void LauncherShutdown(LauncherApp* app);
