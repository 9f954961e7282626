// Decodes arbitrary bytes as a bitmap and, when they decode, puts the image through the
// conversions a texture load uses; every read and write must stay inside its block.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/bmp.h"
#include "engine/data/offscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (wre_MemoryInit(), true);
  (void)ready;
  if (size > (1u << 20)) return 0;
  std::vector<uint8_t> file(data, data + size);
  int32_t length = static_cast<int32_t>(file.size());
  int32_t width = 0;
  int32_t height = 0;
  (void)wre_BitmapReadHeader(file.data(), length, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr);
  Offscreen* image = wre_OffscreenLoadBMPMemory(file.data(), length);
  if (!image) return 0;
  // Small images only: the conversions are linear in the pixel count.
  if (image->width * image->height <= 4096) {
    ColourFloat magenta{255.0f, 0.0f, 255.0f, 255.0f};
    Offscreen* keyed = wre_OffscreenDuplicate(image);
    if (keyed) {
      (void)wre_OffscreenConvertTo_555_16Bit(keyed);
      (void)wre_OffscreenSetColourKey(keyed, &magenta);
      (void)wre_OffscreenConvertTo32Bit(keyed);
      (void)wre_OffscreenApplyOpacity(keyed, image);
      (void)wre_OffscreenConvertToGL(keyed);
      wre_OffscreenDispose(keyed);
    }
    (void)wre_OffscreenConvertTo_4444_16Bit(image);
    (void)wre_OffscreenConvertTo24Bit(image);
  }
  wre_OffscreenDispose(image);
  return 0;
}
