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

// An edge position moved on by `rows` steps. Within the edge's rows it stays inside what 12.20
// holds; stepped past its last row, an edge less than a row high (whose step may be as wide as the
// view) can leave that range, and such a position is never drawn, so the sum wraps.
int32_t Stepped(int32_t x, int32_t step, int32_t rows) {
  return static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(int64_t{step} * rows));
}

// Rows y0 .. y1 - 1 between the two edges, which end stepped past y1 - 1. False on overflow.
template <bool kOpaque>
bool RunRows(SoftCoverage* coverage, Edges& e, int32_t y0, int32_t y1) {
  if (y0 < coverage->scanTop) {
    const int32_t skip = std::min(coverage->scanTop, y1) - y0;
    if (skip > 0) {
      e.left = Stepped(e.left, e.slopeLeft, skip);
      e.right = Stepped(e.right, e.slopeRight, skip);
      y0 += skip;
    }
  }
  for (int32_t y = y0; y < y1; ++y) {
    CoverRow<kOpaque>(coverage, y, e.left >> 20, e.right >> 20);
    if (gSoftPolyBuffer.end - gSoftPolyBuffer.write < kSoftReserve) {
      gSoftOverflow = 1;
      return false;
    }
    e.left = Stepped(e.left, e.slopeLeft, 1);
    e.right = Stepped(e.right, e.slopeRight, 1);
  }
  return true;
}

// A vertex's screen position in 1/4096 pixels. Edges run between the positions themselves, not
// between whole pixels: a point that a clip or split puts on an edge then stays on it, so the pieces
// on either side of the edge and the neighbour that keeps it whole cover its pixels alike.
constexpr int kSubBits = 12;
struct FinePoint {
  int32_t x;
  int32_t y;
};

// Every edge is moved right by 1/512 pixel: an edge that runs through whole pixel positions, as the
// edges of whole-pixel corners do, then keeps them when a cut point on it lies a hair to its left.
constexpr int32_t kEdgeLean = 1 << 11;

// The first row whose top (rows are sampled at their whole y) lies at or below y.
int32_t RowAtOrBelow(int32_t y) { return (y + (1 << kSubBits) - 1) >> kSubBits; }

// The edge from top to bottom at the top of `row` (12.20) and its step per row, both from one
// division: between whole-pixel ends they are what ((dx << 20) / dy) stepping from the top gives.
// The step is held to what whole-pixel ends can give (a view's width a row): only an edge less than
// a row high gets a larger one, and it is never stepped within its rows.
void StartEdge(FinePoint top, FinePoint bottom, int32_t row, int32_t* x, int32_t* step) {
  const int64_t slope = ((static_cast<int64_t>(bottom.x) - top.x) << 20) / (static_cast<int64_t>(bottom.y) - top.y);
  const int64_t down = (static_cast<int64_t>(row) << kSubBits) - top.y;  // 0 .. one row
  const int64_t start = (static_cast<int64_t>(top.x) << (20 - kSubBits)) + ((slope * down) >> kSubBits);
  *x = static_cast<int32_t>(start) + kEdgeLean;
  constexpr int64_t kSteepest = int64_t{kSoftMaxViewWidth} << 20;
  *step = static_cast<int32_t>(std::clamp<int64_t>(slope, -kSteepest, kSteepest));
}

template <bool kOpaque>
void WalkTriangle(SoftCoverage* coverage, FinePoint top, FinePoint middle, FinePoint low) {
  if (middle.y < top.y) std::swap(top, middle);
  if (low.y < top.y) std::swap(top, low);
  if (low.y < middle.y) std::swap(middle, low);
  const int32_t bottom = coverage->scanBottom;
  const int32_t first = RowAtOrBelow(top.y);
  const int32_t turn = RowAtOrBelow(middle.y);
  const int32_t last = std::min(RowAtOrBelow(low.y), bottom);
  if (first >= last) return;
  // The middle point lies left of the long edge when the cross product is negative.
  const int64_t cross = (static_cast<int64_t>(middle.x) - top.x) * (static_cast<int64_t>(low.y) - top.y) -
                        (static_cast<int64_t>(low.x) - top.x) * (static_cast<int64_t>(middle.y) - top.y);
  const bool middleLeft = cross < 0;
  Edges e{};
  int32_t* longX = middleLeft ? &e.right : &e.left;
  int32_t* longStep = middleLeft ? &e.slopeRight : &e.slopeLeft;
  int32_t* shortX = middleLeft ? &e.left : &e.right;
  int32_t* shortStep = middleLeft ? &e.slopeLeft : &e.slopeRight;
  StartEdge(top, low, first, longX, longStep);
  if (first < turn) {
    StartEdge(top, middle, first, shortX, shortStep);
    if (!RunRows<kOpaque>(coverage, e, first, std::min(turn, bottom))) return;
  }
  if (turn >= last) return;
  StartEdge(middle, low, turn, shortX, shortStep);
  RunRows<kOpaque>(coverage, e, turn, last);
}

// Screen positions in 1/4096 pixels truncated toward zero, held inside what the 12.20 edges carry.
// A position a hair inside the view's first or far side (0 or side) is taken as on it: the frustum
// clip puts its cut points there, and the projection's rounding must not cost a clipped polygon the
// view's first row or last column that its unclipped neighbours reach.
int32_t ScreenFine(float value, float side, int32_t limit) {
  constexpr float kSideSnap = 1.0f / 256.0f;
  if (!(value > kSideSnap)) return 0;
  if (value < side && value > side - kSideSnap) value = side;
  if (value >= static_cast<float>(limit)) return limit << kSubBits;
  return static_cast<int32_t>(value * static_cast<float>(1 << kSubBits));
}

FinePoint Fine(SoftScreenPoint p) { return FinePoint{p.x * (1 << kSubBits), p.y * (1 << kSubBits)}; }

}  // namespace

void wre_SoftCoverTriangle(SoftCoverage* coverage, SoftScreenPoint a, SoftScreenPoint b, SoftScreenPoint c) {
  WalkTriangle<true>(coverage, Fine(a), Fine(b), Fine(c));
}

void wre_SoftSeeThroughTriangle(SoftCoverage* coverage, SoftScreenPoint a, SoftScreenPoint b, SoftScreenPoint c) {
  WalkTriangle<false>(coverage, Fine(a), Fine(b), Fine(c));
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
  FinePoint points[kSoftMaxSplitVertices + 1];
  for (SoftPolygon* record = gSoftDrawLast; record != &gSoftDrawHead;) {
    SoftPolygon* const previous = record->prev;
    // The records lie in the buffer in set-up order, not depth order: the next one is fetched while
    // this one is walked.
    for (int line = 0; line < 3; ++line) __builtin_prefetch(reinterpret_cast<const char*>(previous) + 64 * line);
    const SoftVertex* ring = wre_SoftPolygonVertices(record);
    const int count = record->vertexCount;
    for (int i = 0; i < count; ++i) {
      points[i] = FinePoint{ScreenFine(ring[i].screenX, viewRight, kSoftMaxViewWidth),
                            ScreenFine(ring[i].screenY, viewBottom, kSoftMaxViewRows)};
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
