#include "game/menus/menu_frame.h"

#include "engine/core/fatal.h"
#include "engine/core/frame_tick.h"
#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/frame.h"
#include "game/menus/front_end_input.h"
#include "game/menus/front_end_pages.h"
#include "game/menus/menu_draw.h"
#include "game/menus/menu_select.h"
#include "game/menus/menu_shell.h"
#include "game/state/game_view.h"
#include "game/state/menu_state.h"
#include "game/world/game_sounds.h"
#include "platform/plat_input.h"

namespace {

constexpr uint32_t kIdleTicks = 5;  // input is looked at once every 6 ticks or more
// A quick click falls between two looks at the input: its release waits for the next look.
bool gClickLooked = true;
bool gClickReleaseDue = false;

void CheckStep(int32_t result, const char* message) {
  if (result != 0) wre_SystemFatalError(message);
}

}  // namespace

void MenuMouseButton(bool down) {
  if (down) {
    gMouseLeftButton = 1;
    gClickLooked = !gMenuLoaded;
    gClickReleaseDue = false;
  } else if (gClickLooked) {
    gMouseLeftButton = 0;
  } else {
    gClickReleaseDue = true;
  }
}

void MenuIdleInputCheck() {
  if (!gMenuLoaded) return;
  // A button released outside the window may never reach the window procedure; the live state
  // settles it, so the menus do not see a click at every poll.
  if (gClickLooked && gMouseLeftButton && !plat_AsyncKeyDown(kPlatVkLButton)) gMouseLeftButton = 0;
  const KeyCode typed = wre_KeyBufferGet(0);
  const KeyCode held = wre_KeyFirstDown();
  gClickLooked = true;
  if (typed != 0 || wre_MouseButtonState() || held != 0) FrontEndPageInput(typed, held, gView);
  if (gClickReleaseDue) {
    gMouseLeftButton = 0;
    gClickReleaseDue = false;
  }
}

int32_t MenuFrameRender() {
  wre_TimerTick();
  wre_TextureAnimateAll(0);
  wre_MessagePump();
  Camera* camera = gView->camera;
  CheckStep(wre_FrameBegin(camera, 0), "Error during render start");
  CheckStep(wre_CameraRender(camera), "Error rendering camera");
  FrontEndPageDraw(gView);
  MenuTabColumnDraw(gView);
  CheckStep(wre_FrameFlush(camera), "Error during render mid");
  CheckStep(wre_FrameEnd(camera), "Error during render end");
  gFrameTick = gEngineTick;
  if (gMenuState->idleTick + kIdleTicks < gEngineTick) {
    gMenuState->idleTick = gEngineTick;
    MenuIdleInputCheck();
  }
  if (MenuScreenIsTab()) MenuMusicUpdate();
  MenuFrameUpdate(gView);
  return 0;
}
