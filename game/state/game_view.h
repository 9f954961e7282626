// The one ViewComponents record of a top-level run, on the engine's tracked allocator.
#pragma once
#include "game/state/view_components.h"

// Valid from GameEngineStartup to GameEngineShutdown; null outside.
inline ViewComponents* gView = nullptr;

// A zero-filled record (the tracked allocator ends the program when memory runs out).
ViewComponents* GameViewNew();
// Frees a record from GameViewNew; null is ignored.
void GameViewDispose(ViewComponents* view);
