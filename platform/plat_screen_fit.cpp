#include "platform/plat_screen_fit.h"

#include <algorithm>
#include <cmath>

#include "platform/plat_present.h"

PlatScreenFit plat_ScreenFitIn(int32_t windowWidth, int32_t windowHeight) {
  if (windowWidth <= 0 || windowHeight <= 0) return PlatScreenFit{1.0, 0, 0};
  const double scale = std::min(static_cast<double>(windowWidth) / kPlatScreenWidth,
                                static_cast<double>(windowHeight) / kPlatScreenHeight);
  return PlatScreenFit{scale, static_cast<int32_t>((windowWidth - kPlatScreenWidth * scale) / 2),
                       static_cast<int32_t>((windowHeight - kPlatScreenHeight * scale) / 2)};
}

void plat_ScreenFitToScreen(const PlatScreenFit& fit, int32_t windowX, int32_t windowY, int32_t* x, int32_t* y) {
  const auto toScreen = [&](int32_t v, int32_t edge, int32_t size) {
    const auto s = static_cast<int32_t>(std::floor((v - edge) / fit.scale));
    return std::clamp(s, 0, size - 1);
  };
  *x = toScreen(windowX, fit.left, kPlatScreenWidth);
  *y = toScreen(windowY, fit.top, kPlatScreenHeight);
}

void plat_ScreenFitToWindow(const PlatScreenFit& fit, int32_t x, int32_t y, int32_t* windowX, int32_t* windowY) {
  *windowX = fit.left + static_cast<int32_t>(std::floor((x + 0.5) * fit.scale));
  *windowY = fit.top + static_cast<int32_t>(std::floor((y + 0.5) * fit.scale));
}
