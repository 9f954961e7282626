// Draw records of the software back end: what the polygon stage builds in its per-frame buffer and
// what the span fillers read. Native layouts; sizes come from sizeof, never from fixed byte counts.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct SoftPolygon;

// One run of pixels on one scanline: columns x .. x + count - 1 of row y.
struct SoftSpan {
  int16_t x;
  int16_t y;
  int32_t count;
};

// Perspective set-up of one polygon. At pixel (x, y):
//   u = (uOverZDx x + uOverZDy y + uOverZOrigin) / (invZDx x + invZDy y + invZOrigin) - uOffset
// and v likewise; u and v are fixed point in which 2^24 spans the whole texture.
struct SoftGradients {
  Point4 plane;  // unit normal facing the eye and d = n.p0 (d <= 0), camera space
  float uOverZDx;
  float uOverZDy;
  float uOverZOrigin;
  float uOffset;
  float vOverZDx;
  float vOverZDy;
  float vOverZOrigin;
  float vOffset;
  float invZDx;
  float invZDy;
  float invZOrigin;
};

// One vertex of a draw record's ring: camera space, then screen position.
struct SoftVertex {
  float x;
  float y;
  float z;
  float screenX;
  float screenY;
};

// One texture batch: every polygon of the frame that uses the same texels.
struct SoftTexture {
  SoftPolygon* firstPolygon;  // the most recently built first; linked through nextInBatch
  SoftTexture* nextInBucket;
  const uint16_t* texels;     // 1555, row-major, 2^log2Width texels a row
  float uScale;               // 2^(24 - log2Width): one texel in u
  float vScale;               // 2^(24 - log2Height): one texel in v
  uint8_t log2Width;
  uint8_t log2Height;
  uint8_t opaqueCapable;      // 1 unless the texture is colour-keyed
};

// The draw record of one polygon (or of a piece split from one). Its vertex ring follows it
// directly in memory; see wre_SoftPolygonVertices.
struct SoftPolygon {
  uint8_t vertexCount;
  uint8_t moved;             // set by depth ordering; 0 when built
  uint8_t seeThrough;        // 0: drawn by the opaque fillers; 1: by the blended or colour-keyed ones
  uint8_t clamp;             // non-zero: u and v are clamped into the texture instead of wrapping
  SoftTexture* texture;
  SoftPolygon* nextInBatch;  // null ends the batch
  SoftSpan* firstSpan;       // the polygon's spans lie one after another from here; null: none
  int32_t spanCount;
  float minX;
  float minY;
  float minZ;
  float maxX;
  float maxY;
  float maxZ;
  SoftPolygon* next;         // draw list, toward the eye
  SoftPolygon* prev;         // draw list, away from the eye
  SoftGradients* gradients;  // split pieces share their parent's
  uint16_t frameWeight;      // 32768 = 1.0 of the frame pixel; 1024 and more select the blended fillers
  uint16_t lightRed;         // 32768 = 1.0
  uint16_t lightGreen;
  uint16_t lightBlue;
  uint16_t additive;         // 555: red << 10 | green << 5 | blue
};

static_assert(alignof(SoftVertex) <= alignof(SoftPolygon) && sizeof(SoftPolygon) % alignof(SoftVertex) == 0,
              "the vertex ring starts right behind its polygon");

inline SoftVertex* wre_SoftPolygonVertices(SoftPolygon* polygon) {
  return reinterpret_cast<SoftVertex*>(polygon + 1);
}

// Every span filler: (polygon or batch head, frame pixel (0, 0), frame row bytes, texels). The
// result carries no meaning; callers ignore it.
using SpanFillFn = int32_t (*)(SoftPolygon* polygon, uint16_t* frameFirstPixel, int32_t framePitch,
                               const uint16_t* texels);
