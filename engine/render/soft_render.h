// The software back end: queued polygons become draw records in one per-frame byte buffer (set-up
// with frustum clipping, projection, plane and perspective gradients, light words, texture
// batches), are put in a painter's order (depth sort, overlap resolve, splitting), turned into
// scanline spans with exact hidden-surface removal (per-row free intervals) and filled into the
// 16-bit 555 frame by the span fillers. The frame is shown by blitting it onto the display's back
// buffer, converted to 565 there when the display asks for it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/data/colour.h"
#include "engine/render/spans/soft_records.h"

struct Camera;
struct DrawingContext;
struct Offscreen;
struct PolygonRecord;
struct RenderBackend;
struct Texture;

// The per-frame polygon buffer. Records are carved upward from write; pointers to new draw records
// and, later, spans are stored downward from end.
struct SoftPolyBuffer {
  uint8_t* base;
  int32_t size;  // bytes; the last size asked for, kept when the buffer is given back
  uint8_t* write;
  uint8_t* end;
};

extern SoftPolyBuffer gSoftPolyBuffer;
// Where the pointers and spans start, going down: the buffer's end kept to pointer alignment.
inline uint8_t* wre_SoftBufferTop() {
  return gSoftPolyBuffer.base + (static_cast<size_t>(gSoftPolyBuffer.size) & ~size_t{7});
}
extern int32_t gSoftOverflow;        // the frame ran out of room: it draws nothing
extern int32_t gSoftBufferEstimate;  // bytes the next frame is expected to use
extern int32_t gSoftDroppedFrames;   // frames not shown because the back buffer was busy
constexpr int kSoftTextureBuckets = 97;
extern SoftTexture* gSoftTextureBuckets[kSoftTextureBuckets];
// The draw list runs from gSoftDrawHead (far end) along next links; gSoftDrawLast is its nearest
// record (gSoftDrawHead itself while empty). While a group is ordered it ends at gSoftDrawTail;
// after coverage the fill list starts behind gSoftDrawTail.
extern SoftPolygon gSoftDrawHead;
extern SoftPolygon gSoftDrawTail;
extern SoftPolygon* gSoftDrawLast;
// One 1x1 texel 0xffff: the texels of untextured polygons.
extern const uint16_t gSoftWhiteTexel[2];

// Sizes. Every record size comes from sizeof; the reserve is the room each step keeps free between
// the write pointer and the lowest pointer or span, checked against the worst case of each step.
constexpr int32_t kSoftInitialEstimate = 262144;
constexpr int32_t kSoftEstimateSlack = 10240;
constexpr int32_t kSoftMinimumBuffer = 65536;
constexpr int64_t kSoftMaximumBuffer = int64_t{1} << 28;
constexpr int32_t kSoftReserve = 10240;
constexpr int32_t kSoftMaxViewWidth = 2047;  // edge x positions are 12.20 fixed point in an int32
constexpr int32_t kSoftMaxViewRows = 4096;
constexpr int kSoftMaxSetupVertices = 9;   // a triangle clipped by six planes
constexpr int kSoftMaxSplitVertices = 31;  // a piece split off by depth ordering

constexpr size_t wre_SoftAlign(size_t bytes) { return (bytes + 7) & ~size_t{7}; }
// Bytes of a draw record: gradients, header and ring.
constexpr size_t wre_SoftRecordBytes(int vertices) {
  return wre_SoftAlign(sizeof(SoftGradients)) + wre_SoftAlign(sizeof(SoftPolygon) + sizeof(SoftVertex) * vertices);
}
// Bytes of a split piece: header and ring.
constexpr size_t wre_SoftPieceBytes(int vertices) {
  return wre_SoftAlign(sizeof(SoftPolygon) + sizeof(SoftVertex) * vertices);
}
// Room a set-up asks for before it starts: its record and a batch record besides the reserve.
constexpr int32_t kSoftSetupRoom =
    kSoftReserve + static_cast<int32_t>(wre_SoftRecordBytes(kSoftMaxSetupVertices) + wre_SoftAlign(sizeof(SoftTexture)));

// A free interval of one scanline: columns x0 .. x1 - 1. Coverage keeps the free columns as bits
// instead (below); a record's size is what an interval takes of the buffer, so that the buffer is
// used, and runs out, as with linked intervals.
struct SoftInterval {
  int16_t x0;
  int16_t x1;  // exclusive
  SoftInterval* left;
  SoftInterval* right;
};

// A screen position in whole pixels, as wre_SoftCoverTriangle and wre_SoftSeeThroughTriangle take
// it; the flush itself walks the vertices' positions to 1/4096 pixel.
struct SoftScreenPoint {
  int32_t x;
  int32_t y;
};

// Scanline state of one coverage pass. The free intervals of a row are the runs of set bits of its
// column words: bit x % 64 of word x / 64 is set while column x is free.
struct SoftCoverage {
  uint64_t* freeColumns;  // rowWords words per row from row 0
  int32_t rowWords;
  int32_t scanLeft;
  int32_t scanTop;
  int32_t scanRight;
  int32_t scanBottom;
  int32_t spareIntervals;  // intervals taken out whole, whose room a cut reuses before the buffer's
};

// Words of one row of free columns for a scan right edge (at most kSoftMaxViewWidth).
constexpr int32_t wre_SoftCoverageRowWords(int32_t scanRight) { return (scanRight + 63) / 64; }

// Marks columns scan left .. scan right - 1 free and the rest taken on rows scan top .. scan bottom
// - 1 of `freeColumns` (scan bottom x wre_SoftCoverageRowWords(scan right) words); the rows above
// are never read.
void wre_SoftCoverageStart(SoftCoverage* coverage, uint64_t* freeColumns);

// Reserve checks: one row of spans and one new interval between two room tests; a split's new
// piece; a set-up's record and batch record.
static_assert(kSoftReserve >= static_cast<int32_t>((kSoftMaxViewWidth / 2 + 2) * sizeof(SoftSpan) +
                                                   2 * sizeof(SoftInterval)),
              "a row of spans fits in the reserve");
static_assert(kSoftReserve >= static_cast<int32_t>(wre_SoftPieceBytes(kSoftMaxSplitVertices)),
              "a split piece fits in the reserve");

// What the back end needs of a texture, described in a SoftTexture record: texels, log2 width and
// height (0..8) and opaque-capable. wre_SoftBackendInstall installs the look-up in the texture
// table; tests may install their own. Null (or a record without texels) draws untextured.
using SoftTextureLookupFn = const SoftTexture* (*)(int32_t texture);
void wre_SoftTextureLookupInstall(SoftTextureLookupFn lookup);
const SoftTexture* wre_SoftTextureLookup(int32_t texture);

// Starts the software back end afresh (buffer, overflow, texture look-up) and installs its table
// for kind 100.
void wre_SoftBackendInstall();
// The software kind's table of operations.
const RenderBackend& wre_SoftBackend();

// The software copy of a texture (555 words, 1555 with a key; sizes powers of two up to 256); 0, or
// -1 for another size or when the copy cannot be made.
int32_t wre_SoftTextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                              Offscreen* const* mipOffscreens);
// Frees the software copy; kWreErrNull when there is none.
int32_t wre_SoftTextureRelease(Texture* texture);

// Polygon stage.
int32_t wre_SoftFrameBegin(Camera* camera, uint8_t clear);
int32_t wre_SoftFrameClear(DrawingContext* context, const float* colour);
int32_t wre_SoftFramePresent(Camera* camera);
// Gives the buffer back (also what the shut-down path uses).
void wre_SoftBufferFree();
SoftTexture* wre_SoftTextureBatch(const SoftTexture* texture);
void wre_SoftPolygonSetup(Camera* camera, const SoftTexture* texture, const PolygonRecord* record,
                          const ColourFloat* lit);
int32_t wre_SoftClipFrustum(const Camera* camera, SoftPolygon* polygon);
int32_t wre_SoftClipPlane(SoftPolygon* polygon, const float plane[4]);
float wre_SoftLUDecompose4(float matrix[16], int32_t permutation[4]);
void wre_SoftLUSolve4(const float matrix[16], const int32_t permutation[4], float values[4]);
// The words of the light and blend set-up from a lit colour (0..255 per channel).
uint16_t wre_SoftFrameWeight(float alpha);
uint16_t wre_SoftLightWord(float alpha, float channel);
uint16_t wre_SoftAdditive(const float colours[3][4]);
// Screen position of a camera-space vertex; box of a record over its ring.
void wre_SoftProjectVertex(const Camera* camera, SoftVertex* vertex);
void wre_SoftPolygonBox(SoftPolygon* polygon);

// Depth ordering.
void wre_SoftPolyListSort(Camera* camera);
// Sets up every queued polygon (opaque, colour-keyed, translucent queue) as a draw record.
void wre_SoftGroupSetup(Camera* camera);
// Sorts, orders and appends the records set up since the last group.
void wre_SoftGroupOrder(Camera* camera);
void wre_SoftDepthSort(int32_t count, SoftPolygon** records);
SoftPolygon* wre_SoftDepthResolve(Camera* camera, SoftPolygon* first);
int32_t wre_SoftPolygonSplit(Camera* camera, SoftPolygon* polygon, uint32_t frontBits, uint32_t behindBits,
                             const float* dots, SoftPolygon** firstPiece, SoftPolygon** secondPiece, float planeD);

// Coverage and flush.
void wre_SoftFrameRender(Camera* camera);
// The coverage pass: every record of the draw list gets its spans, nearest first; hidden records
// leave the list. False when nothing is to be filled (overflow, no buffer, empty list).
bool wre_SoftFrameCover(Camera* camera);
// The fill passes (opaque per batch, then blended and keyed far to near) and the end of the
// frame's records: buffer, batches, draw list and the polygon queues are emptied.
void wre_SoftFrameFill(Camera* camera);
// Ends the frame's records without filling (buffer rewound, batches, list and queues emptied).
void wre_SoftFrameDiscard();
void wre_SoftCoverTriangle(SoftCoverage* coverage, SoftScreenPoint a, SoftScreenPoint b, SoftScreenPoint c);
void wre_SoftSeeThroughTriangle(SoftCoverage* coverage, SoftScreenPoint a, SoftScreenPoint b, SoftScreenPoint c);
