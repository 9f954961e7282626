#include "game/menus/confirm_prompt.h"

#include <cstring>

#include "engine/core/fatal.h"
#include "engine/core/frame_tick.h"
#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/sound.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/font_draw.h"
#include "engine/render/frame.h"
#include "game/menus/menu_draw.h"
#include "game/state/menu_state.h"
#include "game/state/view_components.h"
#include "game/world/game_materials.h"
#include "platform/plat_window.h"

namespace {

constexpr const char* kAnswerLine = "Confirm: Y/N";
constexpr uint32_t kAnswerTicks = 3600;  // one minute
constexpr float kMessageIndent = 45.0f;
constexpr float kMessageY = 200.0f;
constexpr float kAnswerX = 235.0f;
constexpr float kAnswerY = 290.0f;
constexpr int32_t kPictureX = 15;
constexpr int32_t kPictureY = 100;
constexpr float kPictureScaleX = 1.6f;
constexpr float kPictureScaleY = 0.8f;
constexpr float kPictureDepth = 5.0f;  // beyond the near clip
constexpr float kTextDepth = 0.1f;

void Check(int32_t result, const char* message) {
  if (result != 0) wre_SystemFatalError(message);
}

void TextDraw(Font* font, const char* text, float x, float y, float depth, Camera* camera) {
  font->penX = x;
  font->penY = y;
  font->depth = depth;
  wre_FontDrawString(font, text, camera, 0);
}

}  // namespace

bool ConfirmPromptShow(const char* message, ViewComponents* view) {
  if (!message || !view || !view->camera) return false;
  Camera* camera = view->camera;
  const ColourFloat white = {1, 1, 1, 1};
  const int32_t material = MaterialDefineScaled("theWhiteMaterial", white, white);
  if (material == -1) return false;
  wre_TimerTick();
  wre_InputFlush();
  const uint32_t start = gEngineTick;

  MenuState* menu = gMenuState;
  Font* font = menu ? menu->typeFont : nullptr;
  int32_t averageWidth = 0, averageHeight = 0;
  if (font) {
    wre_FontSetScale(font, 1.0f, 1.0f);
    wre_FontGetCharSize(font, &averageWidth, &averageHeight);
  }
  const auto halfLength = static_cast<int32_t>(std::strlen(message) / 2);
  const auto messageX = static_cast<float>(
      static_cast<int32_t>(camera->halfWidth - static_cast<float>(halfLength * averageWidth) + kMessageIndent));
  if (menu) wre_SoundPlay(menu->changeSound, 0);

  KeyCode key = 0;
  // A window closed meanwhile answers no at once instead of after the minute.
  while (key == 0 && gEngineTick - start < kAnswerTicks && !plat_QuitRequested()) {
    wre_TimerTick();
    wre_MessagePump();
    key = wre_KeyBufferGet(0);
    wre_TextureAnimateAll(0);
    Check(wre_FrameBegin(camera, 0), "Error during render start");
    Check(wre_CameraRender(camera), "Error rendering camera");
    MenuQuadPictureDraw(kPictureX, kPictureY, camera->nearClip + kPictureDepth, material, kPictureScaleX,
                        kPictureScaleY, view);
    if (font) {
      TextDraw(font, message, messageX, kMessageY, camera->nearClip + kTextDepth, camera);
      TextDraw(font, kAnswerLine, kAnswerX, kAnswerY, camera->nearClip + kTextDepth, camera);
    }
    Check(wre_FrameFlush(camera), "Error during render mid");
    Check(wre_FrameEnd(camera), "Error during render end");
    gFrameTick = gEngineTick;
  }
  wre_MaterialRelease(material);
  wre_TimerTick();
  wre_InputFlush();
  return key == 'y' || key == 'Y';
}
