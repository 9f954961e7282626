#include "game/state/game_view.h"

#include "engine/core/memory.h"

ViewComponents* GameViewNew() {
  auto* view = static_cast<ViewComponents*>(TrackedAlloc(static_cast<int32_t>(sizeof(ViewComponents))));
  if (view) TrackedClear(view, static_cast<int32_t>(sizeof(ViewComponents)));
  return view;
}

void GameViewDispose(ViewComponents* view) {
  if (view) TrackedFree(view);
}
