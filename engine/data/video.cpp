#include "engine/data/video.h"

#include <string>

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "platform/plat_present.h"
#include "platform/plat_video.h"

void IntroVideoPlace(int32_t screenLeft, int32_t screenTop, int32_t screenRight, int32_t screenBottom, int32_t width,
                     int32_t height, int32_t* left, int32_t* top) {
  const int64_t screenWidth = static_cast<int64_t>(screenRight) - screenLeft;
  const int64_t screenHeight = static_cast<int64_t>(screenBottom) - screenTop;
  if (left) *left = static_cast<int32_t>(screenLeft + (screenWidth / 2 - width / 2));
  if (top) *top = static_cast<int32_t>(screenTop + (screenHeight / 2 - height / 2));
}

int32_t IntroVideoPlay(const char* name, const void* view) {
  // The folder may be as long as its buffer: the path is built without a fixed limit.
  std::string path = std::string(gCurrentFolder) + (name ? name : "");
  if (!view) return -1;

  PlatEdgeRect screen{};
  plat_PresentScreenRect(&screen);

  PlatVideo* video = plat_VideoCreate();
  if (!video) {
    wre_InputFlush();
    return -1;
  }
  // A missing or unreadable file shows up when the sample is made.
  plat_VideoOpenFile(video, path.c_str());
  int32_t width = 0, height = 0;
  plat_VideoGetFormat(video, &width, &height);
  PlatEdgeRect rect{0, 0, width, height};
  if (plat_VideoCreateSample(video, &rect) != kPlatVideoOk) {
    plat_VideoRelease(video);
    wre_InputFlush();
    return -1;
  }
  IntroVideoPlace(screen.left, screen.top, screen.right, screen.bottom, width, height, &rect.left, &rect.top);
  rect.right = rect.left + width;
  rect.bottom = rect.top + height;
  plat_VideoSetRect(video, &rect);

  plat_VideoRun(video);
  // The window stays responsive and the clock runs while the video plays; a click or a typed key
  // ends it.
  for (;;) {
    if (plat_VideoUpdate(video) != kPlatVideoOk) break;
    if (wre_MouseButtonState() || wre_KeyBufferPending()) break;
    wre_MessagePump();
    wre_TimerTick();
  }
  plat_VideoStop(video);
  plat_VideoRelease(video);
  wre_InputFlush();
  return 0;
}
