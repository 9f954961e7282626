// Test hook of the intro sequences (game/menus/intro_sequences.h): tests that are about the menus
// and races start the program without sitting through the intros.
//
// Test-only: the module's own source and the tests include it; the program never sets the hook.
#pragma once

#include "game/menus/intro_sequences.h"

// While set, IntroSequencesRun returns 0 at once, as if every intro had been cut short.
void IntroSequencesSetSkipped(bool skipped);
