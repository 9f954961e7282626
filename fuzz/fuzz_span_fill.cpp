// Span fillers of every family and size on arbitrary gradients (NaN and infinities included),
// light words and spans inside a small frame: no read or write outside the texture or the spans.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/render/spans/span_opaque.h"
#include "engine/render/spans/span_fill.h"

namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 6;

struct Input {
  const uint8_t* data;
  size_t size;
  template <typename T>
  T Take() {
    T value{};
    const size_t n = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  SoftGradients gradients{};
  gradients.uOverZDx = in.Take<float>();
  gradients.uOverZDy = in.Take<float>();
  gradients.uOverZOrigin = in.Take<float>();
  gradients.uOffset = in.Take<float>();
  gradients.vOverZDx = in.Take<float>();
  gradients.vOverZDy = in.Take<float>();
  gradients.vOverZOrigin = in.Take<float>();
  gradients.vOffset = in.Take<float>();
  gradients.invZDx = in.Take<float>();
  gradients.invZDy = in.Take<float>();
  gradients.invZOrigin = in.Take<float>();

  SoftPolygon head{}, tail{}, polygon{};
  head.next = &polygon;
  polygon.prev = &head;
  polygon.next = &tail;
  tail.prev = &polygon;
  polygon.gradients = &gradients;
  polygon.clamp = in.Take<uint8_t>();
  const uint8_t family = in.Take<uint8_t>() % 3;
  const int index = in.Take<uint8_t>() % kSpanFillCount;
  polygon.lightRed = in.Take<uint16_t>();
  polygon.lightGreen = in.Take<uint16_t>();
  polygon.lightBlue = in.Take<uint16_t>();
  polygon.frameWeight = in.Take<uint16_t>();
  polygon.additive = in.Take<uint16_t>() & 0x7FFF;

  std::vector<SoftSpan> spans;
  std::vector<uint8_t> covered(kWidth * kHeight, 0);
  while (in.size >= 3 && spans.size() < 16) {
    const int x = in.Take<uint8_t>() % kWidth;
    const int y = in.Take<uint8_t>() % kHeight;
    const int count = 1 + in.Take<uint8_t>() % (kWidth - x);
    spans.push_back(SoftSpan{static_cast<int16_t>(x), static_cast<int16_t>(y), count});
    std::memset(&covered[y * kWidth + x], 1, static_cast<size_t>(count));
  }
  polygon.firstSpan = spans.empty() ? nullptr : spans.data();
  polygon.spanCount = static_cast<int32_t>(spans.size());

  // Exactly sized texture and frame, so that any stray access leaves its block.
  std::vector<uint16_t> texels(size_t{1} << (index % 9 + index / 9));
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<uint16_t>(i * 40503u);
  std::vector<uint16_t> frame(kWidth * kHeight, 0x5A5A);

  const SpanFillFn filler = family == 0   ? kSpanFillOpaque[index]
                            : family == 1 ? kSpanFillBlend[index]
                                          : kSpanFillKeyed[index];
  filler(&polygon, frame.data(), kWidth * 2, texels.data());

  for (size_t i = 0; i < frame.size(); ++i) {
    if (!covered[i] && frame[i] != 0x5A5A) __builtin_trap();
  }
  if (family == 0 && !spans.empty() && (head.next != &tail || tail.prev != &head)) __builtin_trap();
  return 0;
}
