#include "game/race/race_hud.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/core/fatal.h"
#include "engine/core/files.h"
#include "engine/core/frame_tick.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/core/wre_types.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/font_draw.h"
#include "engine/render/frame.h"
#include "engine/render/polygon.h"
#include "game/state/gate_record.h"
#include "game/state/laps_table.h"
#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/game_materials.h"
#include "game/world/game_object.h"
#include "game/world/gate_arrow.h"
#include "game/world/interface_textures.h"
#include "game/world/watercraft.h"

namespace {

constexpr const char* kFontFolder = "data:interface";
constexpr const char* kBlankTime = "   //://://";
constexpr float kCompassOffset[3] = {0.0f, 430.0f, 1300.0f};
constexpr int32_t kCompassDeadZone = 85;  // yaw units either side of straight ahead
constexpr float kCompassOpacityScale = 1.0f / 1024.0f;
constexpr float kSpeedScale = 0.05f;
constexpr int32_t kCountdownSeconds = 3;

// A panel: source rectangle on the 0..255 texture scale, then the screen rectangle.
struct Panel {
  float source[4];
  float screen[4];
};

constexpr Panel kLapPanel = {{192, 230, 235, 253}, {500, 20, 543, 41}};
constexpr Panel kPlacePanel = {{1, 231, 63, 254}, {300, 20, 360, 41}};
constexpr Panel kTiePanel = {{216, 99, 246, 122}, {435, 20, 465, 43}};
constexpr Panel kDerbyPanel = {{3, 2, 116, 25}, {40, 20, 153, 43}};
constexpr Panel kDollarPanel = {{125, 3, 214, 25}, {40, 20, 129, 42}};
constexpr Panel kCornerPanel = {{223, 73, 254, 88}, {610, 450, 641, 465}};
constexpr Panel kSpeedPanel = {{121, 231, 185, 254}, {440, 420, 503, 441}};
constexpr Panel kTimePanel = {{66, 231, 115, 255}, {20, 440, 69, 462}};
constexpr Panel kQuitPicture = {{0, 0, 256, 128}, {200, 150, 456, 278}};
constexpr Panel kPausePicture = {{0, 128, 256, 256}, {200, 150, 456, 278}};

bool IsRally() { return GameModeIsRally(gGameMode); }
bool IsTreasure() { return GameModeIsTreasure(gGameMode); }

Watercraft* PlayerCraft(const ViewComponents* view) {
  return view && view->player ? view->player->craft : nullptr;
}

int32_t DrawPanel(int32_t texture, const Panel& panel, Camera* camera) {
  return wre_CameraDrawRect2D(texture, gtheInterfaceMaterial, panel.source, panel.screen, kHudDepth, camera, 0);
}

void DrawText(Font* font, float scale, float x, float y, const char* text, Camera* camera) {
  if (!font) return;
  wre_FontSetScale(font, scale, scale);
  font->penX = x;
  font->penY = y;
  font->depth = kHudDepth;
  wre_FontDrawString(font, text, camera, 0);
}

int32_t LoadFont(Font** font, const char* file) {
  return wre_FontLoadDefinition(font, file, gtheInterfaceMaterial);
}

void DisposeFont(Font** font) {
  if (*font) wre_FontDispose(*font);
  *font = nullptr;
}

// The rally panels: laps, place and the tie marker.
int32_t DrawRallyPanels(const Watercraft* craft, Camera* camera) {
  char text[32];
  const int32_t laps = craft ? craft->laps : 0;
  const bool known = gLevel >= 0 && gLevel < kLevelCount && gCourse >= 0 && gCourse < kLapsColumns;
  if (const int32_t r = DrawPanel(gMenuSheetTexture, kLapPanel, camera); r != 0) return r;
  std::snprintf(text, sizeof text, "%1d/%1d", laps, known ? kLapsTable[gLevel][gCourse] : 0);
  DrawText(gFontLap, 0.9f, 555, 20, text, camera);

  bool tied = false;
  const int32_t place = craft ? HudPlace(craft, &tied) : 1;
  if (const int32_t r = DrawPanel(gMenuSheetTexture, kPlacePanel, camera); r != 0) return r;
  std::snprintf(text, sizeof text, "%1d/%1d", place, gRacerCount);
  DrawText(gFontLap, 0.9f, 370, 20, text, camera);
  if (craft && !gCountdownActive && tied) return DrawPanel(gMenuSheetTexture, kTiePanel, camera);
  return 0;
}

int32_t DrawScorePanel(int32_t texture, const Panel& panel, float penX, const Watercraft* craft,
                       Camera* camera) {
  if (const int32_t r = DrawPanel(texture, panel, camera); r != 0) return r;
  char text[16];
  std::snprintf(text, sizeof text, "%1d", craft ? craft->score : 0);
  DrawText(gFontLap, 1.0f, penX, 20, text, camera);
  return 0;
}

}  // namespace

void RenderStepCheck(int32_t result, const char* message) {
  // A full polygon queue only drops what did not fit: the frame goes on.
  if (result != 0 && result != kWreQueueFull) wre_SystemFatalError(message);
}

void HudTimeFormat(char* text, uint32_t elapsed, bool blank) {
  if (blank) {
    std::snprintf(text, kHudTimeTextSize, "%s", kBlankTime);
    return;
  }
  const int32_t minutes = static_cast<int32_t>(elapsed / 3600u);
  const int32_t seconds = static_cast<int32_t>(elapsed % 3600u / 60u);
  const int32_t sixtieths = static_cast<int32_t>(elapsed % 60u);
  std::snprintf(text, kHudTimeTextSize, "% 3d:%2.2d:%2.2d", minutes, seconds, sixtieths);
}

int32_t HudPlace(const Watercraft* craft, bool* tied) {
  int32_t place = 1;
  bool tie = false;
  for (const Watercraft* other = gRacerChainHead; other; other = other->chainNext) {
    if (other == craft) continue;
    if (other->laps > craft->laps || (other->laps == craft->laps && other->score > craft->score)) ++place;
    if (other->laps == craft->laps && other->score == craft->score) tie = true;
  }
  if (tied) *tied = tie;
  return place;
}

int32_t HudFontsLoad() {
  if (gHudFontsLoaded) return kHudFontsAlreadyLoaded;
  wre_FolderSet(kFontFolder);
  gFontBigYellow = gFontLap = gFontSpeed = nullptr;
  for (auto [font, file] : {std::pair{&gFontBigYellow, "font_bigyellow.codx"}, std::pair{&gFontLap, "font_lap.codx"},
                            std::pair{&gFontSpeed, "font_speed.codx"}}) {
    if (const int32_t r = LoadFont(font, file); r != 0) return r;
  }
  gHudFontsLoaded = 1;
  return 0;
}

int32_t HudFontsUnload() {
  if (!gHudFontsLoaded) return kHudFontsNotLoaded;
  wre_FolderSet(kFontFolder);
  DisposeFont(&gFontBigYellow);
  DisposeFont(&gFontLap);
  DisposeFont(&gFontSpeed);
  gHudFontsLoaded = 0;
  return 0;
}

int32_t CompassSetup(ViewComponents* view) {
  EngineObject* compass = gCompassArrow;
  if (!IsRally() || !compass || !view || !view->camera) return 0;
  wre_ObjectPlaceRelative(compass, &view->camera->transform, kCompassOffset[0], kCompassOffset[1],
                          kCompassOffset[2]);
  const Watercraft* craft = PlayerCraft(view);
  if (!craft || !craft->nextGate) return 0;
  Transform& t = compass->transform;
  const int32_t before = t.angleY & 0xfff;
  const Point4& centre = craft->nextGate->centre;
  wre_TransformPointAt(&t, centre.x, centre.y, centre.z);
  wre_ObjectSetTransform(compass, t.angleX, t.angleY, t.angleZ, t.position[0], t.position[1], t.position[2]);
  const int32_t turn = std::abs(wre_AngleDelta(before, t.angleY));
  const float opacity = turn <= kCompassDeadZone ? 0.0f : static_cast<float>(turn) * kCompassOpacityScale;
  if (compass->polygonCount > 0) wre_MaterialSetOpacity(compass->polygons[0].material, opacity);
  return 0;
}

int32_t HudDraw(ViewComponents* view) {
  Camera* camera = view->camera;
  const Watercraft* craft = PlayerCraft(view);
  char text[32];

  int32_t r = 0;
  if (IsRally()) {
    r = DrawRallyPanels(craft, camera);
  } else if (gGameMode == kModeDerby) {
    r = DrawScorePanel(gInterfaceTexture, kDerbyPanel, 163, craft, camera);
  } else if (IsTreasure()) {
    r = DrawScorePanel(gInterfaceTexture, kDollarPanel, 139, craft, camera);
  }
  if (r != 0) return r;

  if ((r = DrawPanel(gMenuSheetTexture, kCornerPanel, camera)) != 0) return r;
  if ((r = DrawPanel(gMenuSheetTexture, kSpeedPanel, camera)) != 0) return r;
  const Point4 v = craft ? craft->physics.velocity : Point4{};
  const double across = std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.z) * v.z);
  std::snprintf(text, sizeof text, "%3d", static_cast<int32_t>(kSpeedScale * across));
  DrawText(gFontSpeed, 1.0f, 510, 390, text, camera);
  if ((r = DrawPanel(gMenuSheetTexture, kTimePanel, camera)) != 0) return r;
  HudTimeFormat(text, gEngineTick - gRaceStartTick, gPaused || gCountdownActive);
  DrawText(gFontLap, 0.7f, 90, 440, text, camera);

  if (gQuitPauseTexture != -1) {
    if (gQuitPrompt) {
      r = DrawPanel(gQuitPauseTexture, kQuitPicture, camera);
    } else if (gPaused) {
      r = DrawPanel(gQuitPauseTexture, kPausePicture, camera);
    }
  }
  if (gCountdownActive) {
    // Before the countdown's first pass its second is still -1: show the first digit, not one more.
    const int32_t second = gCountdownSecond < 0 ? 0 : gCountdownSecond;
    std::snprintf(text, sizeof text, "%3d", kCountdownSeconds - second);
    DrawText(gFontSpeed, 2.0f, 280, 200, text, camera);
  }
  return r;
}

int32_t RaceFrameRender(ViewComponents* view, uint8_t beginFlag) {
  Camera* camera = view->camera;
  const bool racing = RaceActiveGet();
  wre_TextureAnimateAll(0);
  RenderStepCheck(wre_FrameBegin(camera, beginFlag), "Error during render start");
  if (racing) RenderStepCheck(CompassSetup(view), "Error at setup camera interface objects");
  RenderStepCheck(wre_CameraRender(camera), "Error rendering camera");
  if (wre_CameraRendererKind(camera) != kRendererSoftware) RenderStepCheck(wre_FrameFlush(camera), "Error during render mid");
  wre_CameraSetDepthTest(camera, 0);
  if (racing) RenderStepCheck(HudDraw(view), "Error at render camera interface");
  RenderStepCheck(wre_FrameFlush(camera), "Error during render mid");
  wre_CameraSetDepthTest(camera, 1);
  RenderStepCheck(wre_FrameEnd(camera), "Error during render end");
  gFrameTick = gEngineTick;
  return 0;
}
