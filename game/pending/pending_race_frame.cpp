#include "engine/core/fatal.h"
#include "engine/core/frame_tick.h"
#include "engine/core/timer.h"
#include "engine/data/texture.h"
#include "engine/render/frame.h"
#include "game/shell/race_hud.h"
#include "game/shell/view_components.h"
int32_t RaceFrameRender(ViewComponents* view, uint8_t beginFlag) {
  auto check = [](int32_t result, const char* text) {
    if (result != 0 && result != -10011) wre_SystemFatalError(text);
  };
  wre_TextureAnimateAll(0);
  check(wre_FrameBegin(view->camera, beginFlag), "Error during render start");
  check(wre_CameraRender(view->camera), "Error rendering camera");
  check(wre_FrameFlush(view->camera), "Error during render mid");
  check(wre_FrameEnd(view->camera), "Error during render end");
  gFrameTick = gEngineTick;
  return 0;
}
