// The software back end's flush: the last depth group is closed, every record of the draw list is
// turned into scanline spans nearest first (each pixel goes to at most one opaque record, the
// nearest, through per-row lists of free intervals) and the spans are handed to the fillers.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "engine/data/offscreen.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/polygon.h"
#include "engine/render/soft_render.h"
#include "engine/render/spans/span_opaque.h"
#include "engine/render/spans/span_fill.h"

namespace {

constexpr int32_t kOne = 1 << 20;  // 12.20 fixed point

// A cut takes an interval's room: one taken out whole if there is one, else the buffer's. Room for
// one comes from the reserve that the room test after every row keeps.
void NewInterval(SoftCoverage* coverage) {
  if (coverage->spareIntervals > 0) {
    --coverage->spareIntervals;
  } else {
    gSoftPolyBuffer.write += wre_SoftAlign(sizeof(SoftInterval));
  }
}

void EmitSpan(int32_t x, int32_t y, int32_t count) {
  gSoftPolyBuffer.end -= sizeof(SoftSpan);
  const SoftSpan span{static_cast<int16_t>(x), static_cast<int16_t>(y), count};
  std::memcpy(gSoftPolyBuffer.end, &span, sizeof(span));
}

// The bits below `bit` (0..64) of a column word.
uint64_t LowBits(int32_t bit) { return bit ? ~uint64_t{0} >> (64 - bit) : 0; }

// Marks columns from .. to - 1 taken.
void TakeColumns(uint64_t* columns, int32_t from, int32_t to) {
  int32_t w = from >> 6;
  const int32_t last = (to - 1) >> 6;
  const uint64_t first = ~uint64_t{0} << (from & 63);
  const uint64_t final = ~uint64_t{0} >> (63 - ((to - 1) & 63));
  if (w == last) {
    columns[w] &= ~(first & final);
    return;
  }
  columns[w] &= ~first;
  while (++w < last) columns[w] = 0;
  columns[last] &= ~final;
}

bool FreeColumn(const uint64_t* columns, int32_t x) { return (columns[x >> 6] >> (x & 63)) & 1u; }

// An opaque row's span from .. to - 1 of the range start .. end - 1, emitted: its columns are taken,
// and the interval records counted as if the free runs were linked intervals. One taken out whole
// gives its room back, one cut in its middle needs a new one for its right part; only the range's
// ends can lie inside a free run that goes on beyond them.
[[gnu::always_inline]] inline void TakeSpan(SoftCoverage* coverage, uint64_t* columns, int32_t start, int32_t end, int32_t from, int32_t to) {
  const bool leftOpen = from == start && from > coverage->scanLeft && FreeColumn(columns, from - 1);
  const bool rightOpen = to == end && to < coverage->scanRight && FreeColumn(columns, to);
  if (!leftOpen && !rightOpen) {
    ++coverage->spareIntervals;
  } else if (leftOpen && rightOpen) {
    NewInterval(coverage);
  }
  TakeColumns(columns, from, to);
}

// Spans of row y for columns xl .. xr - 1 wherever the row is still free, one per run of free
// columns met, left to right; an opaque row takes them. The row's words in the range are walked
// one by one: a range is at most a row, and most are one or two words. A range still wholly free,
// the common case, is tested first and gives its one span at once.
template <bool kOpaque>
void CoverRow(SoftCoverage* coverage, int32_t y, int32_t xl, int32_t xr) {
  if (xl >= xr || xl >= coverage->scanRight || coverage->scanLeft >= xr) return;
  uint64_t* const columns =
      coverage->freeColumns + static_cast<size_t>(y) * static_cast<size_t>(coverage->rowWords);
  const int32_t start = std::max(xl, coverage->scanLeft);
  const int32_t end = std::min(xr, coverage->scanRight);
  const int32_t last = (end - 1) >> 6;
  const uint64_t lastMask = ~uint64_t{0} >> (63 - ((end - 1) & 63));
  int32_t w = start >> 6;
  const uint64_t firstMask = ~uint64_t{0} << (start & 63);
  // The free columns of word w from the walk's position on, none at or beyond `end`.
  uint64_t word = columns[w] & firstMask;
  bool whole = word == (w == last ? firstMask & lastMask : firstMask);
  for (int32_t k = w + 1; whole && k < last; ++k) whole = columns[k] == ~uint64_t{0};
  if (whole && w != last) whole = (columns[last] & lastMask) == lastMask;
  if (whole) {
    EmitSpan(start, y, end - start);
    if constexpr (kOpaque) TakeSpan(coverage, columns, start, end, start, end);
    return;
  }
  for (;;) {
    if (w == last) word &= lastMask;
    while (!word) {
      if (++w > last) return;
      word = columns[w];
      if (w == last) word &= lastMask;
    }
    const int32_t from = w * 64 + std::countr_zero(word);
    // The first taken column from `from` on; the run ends at `end` at the latest.
    uint64_t taken = ~word & (~uint64_t{0} << (from & 63));
    int32_t t = w;
    uint64_t at = word;
    while (!taken) {
      if (++t > last) break;
      at = columns[t];
      if (t == last) at &= lastMask;
      taken = ~at;
    }
    const int32_t to = t > last ? end : t * 64 + std::countr_zero(taken);
    EmitSpan(from, y, to - from);
    if constexpr (kOpaque) TakeSpan(coverage, columns, start, end, from, to);
    if (t > last) return;
    w = t;
    word = at & ~LowBits(to & 63);
  }
}

struct Edges {
  int32_t left;
  int32_t right;
  int32_t slopeLeft;
  int32_t slopeRight;
};

// Rows y0 .. y1 - 1 between the two edges, which end stepped past y1 - 1. False on overflow.
template <bool kOpaque>
bool RunRows(SoftCoverage* coverage, Edges& e, int32_t y0, int32_t y1) {
  if (y0 < coverage->scanTop) {
    const int32_t skip = std::min(coverage->scanTop, y1) - y0;
    if (skip > 0) {
      e.left += skip * e.slopeLeft;
      e.right += skip * e.slopeRight;
      y0 += skip;
    }
  }
  for (int32_t y = y0; y < y1; ++y) {
    CoverRow<kOpaque>(coverage, y, e.left >> 20, e.right >> 20);
    if (gSoftPolyBuffer.end - gSoftPolyBuffer.write < kSoftReserve) {
      gSoftOverflow = 1;
      return false;
    }
    e.left += e.slopeLeft;
    e.right += e.slopeRight;
  }
  return true;
}

int32_t Slope(SoftScreenPoint from, SoftScreenPoint to) { return (to.x - from.x) * kOne / (to.y - from.y); }

template <bool kOpaque>
void WalkTriangle(SoftCoverage* coverage, SoftScreenPoint a, SoftScreenPoint b, SoftScreenPoint c) {
  if (b.y < a.y) std::swap(a, b);
  if (c.y < a.y) std::swap(a, c);
  const int32_t bottom = coverage->scanBottom;
  if (a.y >= bottom) return;
  Edges e{};
  if (a.y < b.y && a.y < c.y) {
    e.left = e.right = a.x * kOne;
    const int32_t slopeB = Slope(a, b);
    const int32_t slopeC = Slope(a, c);
    SoftScreenPoint leftEnd = b;
    SoftScreenPoint rightEnd = c;
    e.slopeLeft = slopeB;
    e.slopeRight = slopeC;
    if (slopeC < slopeB) {
      std::swap(leftEnd, rightEnd);
      std::swap(e.slopeLeft, e.slopeRight);
    }
    const int32_t firstEnd = std::min(b.y, c.y);
    if (!RunRows<kOpaque>(coverage, e, a.y, std::min(firstEnd, bottom))) return;
    if (firstEnd >= bottom || b.y == c.y) return;
    SoftScreenPoint third{};
    if (leftEnd.y == firstEnd) {
      third = rightEnd;
      e.left = leftEnd.x * kOne;
      e.slopeLeft = Slope(leftEnd, third);
    } else {
      third = leftEnd;
      e.right = rightEnd.x * kOne;
      e.slopeRight = Slope(rightEnd, third);
    }
    RunRows<kOpaque>(coverage, e, firstEnd, std::min(third.y, bottom));
    return;
  }
  // Flat top: a shares its row with another point. The height is tested before any division, so
  // three points on one row give nothing.
  const SoftScreenPoint other = a.y == b.y ? b : c;
  const SoftScreenPoint third = a.y == b.y ? c : b;
  const int32_t dy = third.y - a.y;
  if (dy <= 0) return;
  const SoftScreenPoint topLeft = a.x <= other.x ? a : other;
  const SoftScreenPoint topRight = a.x <= other.x ? other : a;
  e.left = topLeft.x * kOne;
  e.right = topRight.x * kOne;
  e.slopeLeft = (third.x - topLeft.x) * kOne / dy;
  e.slopeRight = (third.x - topRight.x) * kOne / dy;
  const int32_t end = std::min(third.y, bottom);
  if (end <= a.y) return;
  RunRows<kOpaque>(coverage, e, a.y, end);
}

// Screen positions truncated toward zero, held inside what the 12.20 edges can carry. A position a
// hair short of the view's far side (edge) is taken as on it: the frustum clip puts its cut points
// there, and the projection's rounding must not cost a polygon the view's last column or row that
// its unclipped neighbours reach.
int32_t ScreenInt(float value, float edge, int32_t limit) {
  constexpr float kEdgeSnap = 1.0f / 256.0f;
  if (!(value > 0.0f)) return 0;
  if (value < edge && value >= edge - kEdgeSnap) value = edge;
  if (value >= static_cast<float>(limit)) return limit;
  return static_cast<int32_t>(value);
}

}  // namespace

void wre_SoftCoverTriangle(SoftCoverage* coverage, SoftScreenPoint a, SoftScreenPoint b, SoftScreenPoint c) {
  WalkTriangle<true>(coverage, a, b, c);
}

void wre_SoftSeeThroughTriangle(SoftCoverage* coverage, SoftScreenPoint a, SoftScreenPoint b, SoftScreenPoint c) {
  WalkTriangle<false>(coverage, a, b, c);
}

void wre_SoftCoverageStart(SoftCoverage* coverage, uint64_t* freeColumns) {
  coverage->freeColumns = freeColumns;
  coverage->rowWords = wre_SoftCoverageRowWords(coverage->scanRight);
  coverage->spareIntervals = 0;
  if (coverage->scanTop >= coverage->scanBottom) return;
  const size_t words = static_cast<size_t>(coverage->rowWords);
  // Word by word down the rows: each word's value is made once, and no row is copied.
  for (size_t w = 0; w < words; ++w) {
    const int32_t x0 = std::clamp(coverage->scanLeft - static_cast<int32_t>(64 * w), 0, 64);
    const int32_t x1 = std::clamp(coverage->scanRight - static_cast<int32_t>(64 * w), 0, 64);
    const uint64_t free = x0 < x1 ? LowBits(x1) & ~LowBits(x0) : 0;
    for (int32_t y = coverage->scanTop; y < coverage->scanBottom; ++y) {
      freeColumns[static_cast<size_t>(y) * words + w] = free;
    }
  }
}

bool wre_SoftFrameCover(Camera* camera) {
  if (gSoftOverflow || !gSoftPolyBuffer.base || gSoftDrawLast == &gSoftDrawHead || !camera) return false;
  const Offscreen* frame = camera->context ? camera->context->frame : nullptr;
  if (!frame || !frame->pixels) return false;
  SoftCoverage coverage{};
  // Spans never leave the frame offscreen, whatever the camera's scan limits say.
  coverage.scanLeft = std::max(camera->scanLimits.left, 0);
  coverage.scanTop = std::max(camera->scanLimits.top, 0);
  coverage.scanRight = std::min({camera->scanLimits.right, frame->width, kSoftMaxViewWidth});
  coverage.scanBottom = std::min({camera->scanLimits.bottom, frame->height, kSoftMaxViewRows});
  if (coverage.scanLeft >= coverage.scanRight || coverage.scanTop >= coverage.scanBottom) return false;

  // The scanline table and one free interval per row, with the reserve still free behind them.
  const size_t tableBytes = wre_SoftAlign(sizeof(SoftInterval*) * static_cast<size_t>(coverage.scanBottom));
  const size_t rowBytes =
      wre_SoftAlign(sizeof(SoftInterval)) * static_cast<size_t>(coverage.scanBottom - coverage.scanTop);
  if (gSoftPolyBuffer.end - gSoftPolyBuffer.write < static_cast<ptrdiff_t>(tableBytes + rowBytes) + kSoftReserve) {
    gSoftOverflow = 1;
    return false;
  }
  gSoftPolyBuffer.write += tableBytes + rowBytes;
  static std::vector<uint64_t> freeColumns;
  freeColumns.resize(static_cast<size_t>(coverage.scanBottom) *
                     static_cast<size_t>(wre_SoftCoverageRowWords(coverage.scanRight)));
  wre_SoftCoverageStart(&coverage, freeColumns.data());

  // The frustum's sides (wre_SoftClipFrustum) on the right and at the bottom.
  const float viewRight = 2.0f * camera->halfWidth;
  const float viewBottom = 2.0f * camera->halfHeight;
  SoftPolygon* farthest = nullptr;
  SoftScreenPoint points[kSoftMaxSplitVertices + 1];
  for (SoftPolygon* record = gSoftDrawLast; record != &gSoftDrawHead;) {
    SoftPolygon* const previous = record->prev;
    // The records lie in the buffer in set-up order, not depth order: the next one is fetched while
    // this one is walked.
    for (int line = 0; line < 3; ++line) __builtin_prefetch(reinterpret_cast<const char*>(previous) + 64 * line);
    const SoftVertex* ring = wre_SoftPolygonVertices(record);
    const int count = record->vertexCount;
    for (int i = 0; i < count; ++i) {
      points[i] = SoftScreenPoint{ScreenInt(ring[i].screenX, viewRight, kSoftMaxViewWidth),
                                  ScreenInt(ring[i].screenY, viewBottom, kSoftMaxViewRows)};
    }
    uint8_t* const before = gSoftPolyBuffer.end;
    for (int j = 2; j < count; ++j) {
      if (record->seeThrough) {
        WalkTriangle<false>(&coverage, points[0], points[j - 1], points[j]);
      } else {
        WalkTriangle<true>(&coverage, points[0], points[j - 1], points[j]);
      }
      if (gSoftOverflow) return false;
    }
    if (gSoftPolyBuffer.end != before) {
      record->firstSpan = reinterpret_cast<SoftSpan*>(gSoftPolyBuffer.end);
      record->spanCount = static_cast<int32_t>((before - gSoftPolyBuffer.end) / static_cast<ptrdiff_t>(sizeof(SoftSpan)));
      farthest = record;
    } else {
      record->prev->next = record->next;
      record->next->prev = record->prev;
      record->firstSpan = nullptr;
      record->spanCount = 0;
    }
    record = previous;
  }
  // The fill list: from behind the tail sentinel along next links, far to near, to the head.
  if (farthest) {
    farthest->prev = &gSoftDrawTail;
    gSoftDrawTail.next = farthest;
  } else {
    gSoftDrawTail.next = &gSoftDrawHead;
  }
  gSoftBufferEstimate =
      gSoftPolyBuffer.size - static_cast<int32_t>(gSoftPolyBuffer.end - gSoftPolyBuffer.write);
  return true;
}

void wre_SoftFrameDiscard() {
  if (gSoftPolyBuffer.base) {
    gSoftPolyBuffer.write = gSoftPolyBuffer.base;
    gSoftPolyBuffer.end = wre_SoftBufferTop();
  }
  for (SoftTexture*& bucket : gSoftTextureBuckets) bucket = nullptr;
  // The list is emptied and the queues with it, so a later flush in the same frame sets up and
  // draws only polygons queued after this one, in front of what is drawn now.
  gSoftDrawHead.next = gSoftDrawHead.prev = &gSoftDrawHead;
  gSoftDrawTail.next = gSoftDrawTail.prev = &gSoftDrawTail;
  gSoftDrawLast = &gSoftDrawHead;
  wre_PolyQueuesReset();
}

void wre_SoftFrameFill(Camera* camera) {
  Offscreen* frame = camera && camera->context ? camera->context->frame : nullptr;
  if (frame && frame->pixels) {
    auto* pixels = reinterpret_cast<uint16_t*>(frame->pixels);
    const int32_t pitch = frame->rowBytes;
    for (SoftTexture* bucket : gSoftTextureBuckets) {
      for (SoftTexture* batch = bucket; batch; batch = batch->nextInBucket) {
        if (!batch->firstPolygon || !batch->opaqueCapable) continue;
        kSpanFillOpaque[wre_SpanFillIndex(batch->log2Width, batch->log2Height)](batch->firstPolygon, pixels, pitch,
                                                                               batch->texels);
      }
    }
    for (SoftPolygon* record = gSoftDrawTail.next; record != &gSoftDrawHead;) {
      SoftPolygon* const next = record->next;
      const SoftTexture* batch = record->texture;
      wre_SpanFillLookup(record->frameWeight, batch->log2Width, batch->log2Height)(record, pixels, pitch,
                                                                                  batch->texels);
      record = next;
    }
  }
  wre_SoftFrameDiscard();
}

void wre_SoftFrameRender(Camera* camera) {
  wre_SoftPolyListSort(camera);
  if (wre_SoftFrameCover(camera)) {
    wre_SoftFrameFill(camera);
  } else {
    wre_SoftFrameDiscard();
  }
}
