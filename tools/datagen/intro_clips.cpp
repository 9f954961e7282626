#include "tools/datagen/intro_clips.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/datagen/raster.h"

namespace {

constexpr int32_t kWidth = 320, kHeight = 240, kHorizon = 110;
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
      const float path = std::abs(static_cast<float>(x) - sunX) / (7.5f + 30.0f * d);
      if (path < 1.0f && wave > 0.3f) p = CanvasMix(p, look.sun, (1.0f - path) * std::min(1.0f, (wave - 0.3f) * 2.5f));
      c.pixels[static_cast<size_t>(y) * kWidth + x] = p;
    }
  }
  CanvasFill(c, 0, kHorizon, kWidth, kHorizon + 2, CanvasMix(look.seaHorizon, look.skyHorizon, 0.5f));
}

// The craft at (cx, cy), the water line under its hull, pointing right (dir 1) or left (dir -1);
// its wake spreads behind it over the water.
void DrawCraft(Canvas& c, const IntroClipLook& look, float cx, float cy, float dir, uint32_t frame) {
  auto X = [&](float dx) { return cx + dir * dx; };
  const uint32_t wash = CanvasMix(look.seaDeep, kFoam, 0.55f);
  for (int32_t k = 0; k < 24; ++k) {  // the wake: two arms of foam widening behind the stern
    const float back = 25.0f + static_cast<float>(k) * 5.0f, spread = 2.5f + static_cast<float>(k) * 0.9f;
    const float fade = 1.0f - static_cast<float>(k) / 24.0f;
    const uint32_t foam = CanvasMix(look.seaDeep, kFoam, 0.25f + 0.6f * fade);
    CanvasDisc(c, X(-back), cy - spread * 0.5f, 4.0f * fade + 1.0f, foam);
    CanvasDisc(c, X(-back), cy + spread, 4.0f * fade + 1.0f, foam);
  }
  CanvasLine(c, X(-75), cy + 1, X(-20), cy + 1, 5.0f, wash);
  DataRandom spray{look.seed * 97u + frame};
  for (int32_t k = 0; k < 24; ++k) {  // spray thrown up behind
    const float back = 22.0f + spray.Unit() * 25.0f, up = spray.Unit() * 15.0f;
    CanvasDisc(c, X(-back), cy - up, 1.0f + spray.Unit() * 1.8f, kFoam);
  }
  const uint32_t hull = 0xF2F2F2, shade = 0x6A7080, rider = 0x1E2A44;
  CanvasLine(c, X(-28), cy, X(22), cy, 7.0f, shade);                  // the hull's dark lower side
  CanvasLine(c, X(-28), cy - 5, X(25), cy - 5, 6.0f, hull);           // its white upper side
  CanvasLine(c, X(20), cy - 6, X(35), cy - 11, 5.0f, hull);           // the bow rising
  CanvasLine(c, X(-26), cy - 2, X(30), cy - 4, 1.5f, look.livery);    // a stripe along the side
  CanvasLine(c, X(-22), cy - 10, X(12), cy - 10, 5.0f, look.livery);  // the cowl
  CanvasLine(c, X(-22), cy - 13, X(-2), cy - 13, 3.0f, 0x202830);     // the seat
  CanvasLine(c, X(10), cy - 12, X(17), cy - 19, 3.0f, 0x303030);      // the handlebar post
  CanvasLine(c, X(12), cy - 20, X(20), cy - 18, 2.5f, 0x303030);      // the bars
  CanvasLine(c, X(-10), cy - 13, X(3), cy - 10, 5.0f, rider);         // thigh
  CanvasLine(c, X(3), cy - 10, X(5), cy - 4, 4.0f, rider);            // shin
  CanvasLine(c, X(-10), cy - 13, X(-5), cy - 28, 8.0f, rider);        // the rider, leaning forward
  CanvasLine(c, X(-5), cy - 27, X(8), cy - 24, 3.5f, rider);          // arms to the bars
  CanvasLine(c, X(8), cy - 24, X(16), cy - 20, 3.0f, rider);
  CanvasDisc(c, X(-2.5f), cy - 33, 5.5f, look.livery);                // helmet
  CanvasLine(c, X(0), cy - 34, X(5), cy - 32.5f, 2.5f, 0x202020);     // visor
}

}  // namespace

AviClipSpec IntroClip(const IntroClipLook& look, uint32_t frames) {
  // The sky's clouds are drawn once, twice as wide, and drifts to the side frame by frame.
  Canvas sky = CanvasNew(kWidth * 2, kHorizon, 0);
  CanvasGradient(sky, 0, 0, sky.width, kHorizon, look.skyTop, look.skyHorizon);
  CanvasClouds(sky, 0, 5, sky.width, kHorizon - 10, CanvasMix(look.skyHorizon, kFoam, 0.7f), 0.4f, look.seed);
  std::vector<Canvas> pictures;
  for (uint32_t f = 0; f < frames; ++f) {
    const float t = static_cast<float>(f) / 10.0f, along = static_cast<float>(f) / static_cast<float>(std::max(1u, frames - 1));
    Canvas c = CanvasNew(kWidth, kHeight, 0);
    const int32_t drift = static_cast<int32_t>(f) * 5 / 2;
    for (int32_t y = 0; y < kHorizon; ++y)
      for (int32_t x = 0; x < kWidth; ++x) c.pixels[static_cast<size_t>(y) * kWidth + x] = CanvasGet(sky, x + drift, y);
    // The sun low over the sea, inside a glow, its lower rim behind the horizon.
    CanvasDisc(c, look.sunX * kWidth, kHorizon - 5.0f, 19.0f, CanvasMix(look.sun, look.skyHorizon, 0.6f));
    CanvasDisc(c, look.sunX * kWidth, kHorizon - 5.0f, 12.5f, look.sun);
    DrawSea(c, look, t);
    const float dir = look.craftHeadsLeft ? -1.0f : 1.0f;
    const float cx = kWidth / 2.0f + dir * (along - 0.5f) * (kWidth + 125.0f);
    DrawCraft(c, look, cx, 185.0f + 2.5f * std::sin(t * 7.0f), dir, f);
    // The name drops in from above over the first half second and then stands; its letters are
    // drawn in the key colour first and then filled with a gradient from white into the name's colour.
    int32_t scale = 8;
    while (scale > 2 && CanvasTextWidth(look.title, scale) > kWidth - 20) --scale;
    const int32_t top = 20 - static_cast<int32_t>(std::lround(75.0f * std::pow(std::max(0.0f, 1.0f - t / 0.5f), 2.0f)));
    const int32_t left = (kWidth - CanvasTextWidth(look.title, scale)) / 2;
    CanvasText(c, left + scale / 2, top + scale / 2, look.title, scale, CanvasMix(look.seaDeep, 0, 0.5f));
    CanvasText(c, left, top, look.title, scale, kKeyColour);
    for (int32_t y = std::max(0, top); y < top + 7 * scale; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        uint32_t& p = c.pixels[static_cast<size_t>(y) * kWidth + x];
        if (p == kKeyColour)
          p = CanvasMix(0xFFFFFF, look.titleColour, std::min(1.0f, 0.3f + static_cast<float>(y - top) / (5.0f * scale)));
      }
    if (t >= 0.6f) CanvasTextCentred(c, kWidth / 2, 30 + 7 * scale, look.subtitle, 2, 0xFFFFFF);
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
