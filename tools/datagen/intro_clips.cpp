#include "tools/datagen/intro_clips.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/datagen/raster.h"

namespace {

constexpr int32_t kWidth = 128, kHeight = 96, kHorizon = 44;
constexpr uint32_t kFoam = 0xF4F8FF;

// The sea below the horizon at time t (seconds): three wave trains seen in perspective, their crests
// lit, their troughs darkened, and a glitter path under the sun.
void DrawSea(Canvas& c, const IntroClipLook& look, float t) {
  const float sunX = look.sunX * kWidth;
  for (int32_t y = kHorizon; y < kHeight; ++y) {
    const float d = static_cast<float>(y - kHorizon) / static_cast<float>(kHeight - kHorizon);
    const float z = 6.0f / (d + 0.06f);  // distance into the picture
    const uint32_t base = CanvasMix(look.seaHorizon, look.seaDeep, std::pow(d, 0.6f));
    for (int32_t x = 0; x < kWidth; ++x) {
      const float wx = (static_cast<float>(x) - kWidth / 2.0f) / kWidth * z;
      const float wave = 0.5f * std::sin(wx * 1.9f + z * 1.1f - t * 2.6f) +
                         0.3f * std::sin(wx * 0.8f - z * 2.3f + t * 1.7f) +
                         0.2f * std::sin(z * 4.1f + wx * 0.5f - t * 3.9f);
      uint32_t p = base;
      if (wave < -0.35f) p = CanvasMix(p, look.seaDeep, std::min(1.0f, (-0.35f - wave) * 1.2f));
      if (wave > 0.45f) p = CanvasMix(p, CanvasMix(look.seaHorizon, kFoam, 0.3f), std::min(1.0f, (wave - 0.45f) * 1.4f));
      const float path = std::abs(static_cast<float>(x) - sunX) / (3.0f + 12.0f * d);
      if (path < 1.0f && wave > 0.3f) p = CanvasMix(p, look.sun, (1.0f - path) * std::min(1.0f, (wave - 0.3f) * 2.5f));
      c.pixels[static_cast<size_t>(y) * kWidth + x] = p;
    }
  }
  CanvasFill(c, 0, kHorizon, kWidth, kHorizon + 1, CanvasMix(look.seaHorizon, look.skyHorizon, 0.5f));
}

// The craft at (cx, cy), the water line under its hull, pointing right (dir 1) or left (dir -1);
// its wake spreads behind it over the water.
void DrawCraft(Canvas& c, const IntroClipLook& look, float cx, float cy, float dir, uint32_t frame) {
  auto X = [&](float dx) { return cx + dir * dx; };
  const uint32_t wash = CanvasMix(look.seaDeep, kFoam, 0.55f);
  for (int32_t k = 0; k < 12; ++k) {  // the wake: two arms of foam widening behind the stern
    const float back = 10.0f + static_cast<float>(k) * 4.0f, spread = 1.0f + static_cast<float>(k) * 0.55f;
    const float fade = 1.0f - static_cast<float>(k) / 12.0f;
    const uint32_t foam = CanvasMix(look.seaDeep, kFoam, 0.25f + 0.6f * fade);
    CanvasDisc(c, X(-back), cy - spread * 0.5f, 1.6f * fade + 0.4f, foam);
    CanvasDisc(c, X(-back), cy + spread, 1.6f * fade + 0.4f, foam);
  }
  CanvasLine(c, X(-30), cy + 0.5f, X(-8), cy + 0.5f, 2.0f, wash);
  DataRandom spray{look.seed * 97u + frame};
  for (int32_t k = 0; k < 10; ++k) {  // spray thrown up behind
    const float back = 9.0f + spray.Unit() * 10.0f, up = spray.Unit() * 6.0f;
    CanvasDisc(c, X(-back), cy - up, 0.6f + spray.Unit() * 0.9f, kFoam);
  }
  const uint32_t hull = 0xF2F2F2, shade = 0x6A7080;
  CanvasLine(c, X(-11), cy, X(9), cy, 3.0f, shade);              // the hull's dark lower side
  CanvasLine(c, X(-11), cy - 2, X(10), cy - 2, 2.5f, hull);      // its white upper side
  CanvasLine(c, X(8), cy - 2.5f, X(14), cy - 4.5f, 2.0f, hull);  // the bow rising
  CanvasLine(c, X(-9), cy - 4, X(5), cy - 4, 2.0f, look.livery); // the cowl
  CanvasLine(c, X(4), cy - 5, X(7), cy - 7, 1.2f, 0x303030);      // the handlebar post
  CanvasLine(c, X(-4), cy - 5, X(-2), cy - 11, 3.0f, 0x1E2A44);   // the rider, leaning forward
  CanvasLine(c, X(-2), cy - 10, X(6), cy - 7.5f, 1.4f, 0x1E2A44);  // arms to the bars
  CanvasDisc(c, X(-1), cy - 13, 2.2f, look.livery);               // helmet
  CanvasLine(c, X(0), cy - 13.5f, X(2), cy - 13, 1.0f, 0x202020);  // visor
}

}  // namespace

AviClipSpec IntroClip(const IntroClipLook& look, uint32_t frames) {
  // The sky's clouds are drawn once, twice as wide, and drifts to the side frame by frame.
  Canvas sky = CanvasNew(kWidth * 2, kHorizon, 0);
  CanvasGradient(sky, 0, 0, sky.width, kHorizon, look.skyTop, look.skyHorizon);
  CanvasClouds(sky, 0, 2, sky.width, kHorizon - 4, CanvasMix(look.skyHorizon, kFoam, 0.7f), 0.4f, look.seed);
  std::vector<Canvas> pictures;
  for (uint32_t f = 0; f < frames; ++f) {
    const float t = static_cast<float>(f) / 10.0f, along = static_cast<float>(f) / static_cast<float>(std::max(1u, frames - 1));
    Canvas c = CanvasNew(kWidth, kHeight, 0);
    for (int32_t y = 0; y < kHorizon; ++y)
      for (int32_t x = 0; x < kWidth; ++x) c.pixels[static_cast<size_t>(y) * kWidth + x] = CanvasGet(sky, x + static_cast<int32_t>(f), y);
    // The sun low over the sea, inside a glow, its lower rim behind the horizon.
    CanvasDisc(c, look.sunX * kWidth, kHorizon - 2.0f, 7.5f, CanvasMix(look.sun, look.skyHorizon, 0.6f));
    CanvasDisc(c, look.sunX * kWidth, kHorizon - 2.0f, 5.0f, look.sun);
    DrawSea(c, look, t);
    const float dir = look.craftHeadsLeft ? -1.0f : 1.0f;
    const float cx = kWidth / 2.0f + dir * (along - 0.5f) * (kWidth + 50.0f);
    DrawCraft(c, look, cx, 74.0f + std::sin(t * 7.0f), dir, f);
    // The name drops in from above over the first half second and then stands; its letters are
    // drawn in the key colour first and then filled with a gradient from white into the name's colour.
    const int32_t scale = CanvasTextWidth(look.title, 3) <= kWidth - 8 ? 3 : 2;
    const int32_t top = 8 - static_cast<int32_t>(std::lround(30.0f * std::pow(std::max(0.0f, 1.0f - t / 0.5f), 2.0f)));
    const int32_t left = (kWidth - CanvasTextWidth(look.title, scale)) / 2;
    CanvasText(c, left + scale - 1, top + scale - 1, look.title, scale, CanvasMix(look.seaDeep, 0, 0.5f));
    CanvasText(c, left, top, look.title, scale, kKeyColour);
    for (int32_t y = std::max(0, top); y < top + 7 * scale; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        uint32_t& p = c.pixels[static_cast<size_t>(y) * kWidth + x];
        if (p == kKeyColour)
          p = CanvasMix(0xFFFFFF, look.titleColour, std::min(1.0f, 0.3f + static_cast<float>(y - top) / (5.0f * scale)));
      }
    if (t >= 0.6f) CanvasTextCentred(c, kWidth / 2, 12 + 7 * scale, look.subtitle, 1, 0xFFFFFF);
    pictures.push_back(std::move(c));
  }
  AviClipSpec clip;
  clip.width = kWidth;
  clip.height = kHeight;
  clip.bits = 8;
  clip.fps = 10;
  clip.frames = frames;
  clip.palette = CanvasSharedPalette(pictures, &clip.pictures);
  return clip;
}
