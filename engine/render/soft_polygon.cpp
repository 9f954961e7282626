// The software back end's per-frame buffer, frame begin, clear and present, texture batches and
// the set-up of one queued polygon as a draw record.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/memory.h"
#include "engine/data/offscreen.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/frame_convert.h"
#include "engine/render/polygon.h"
#include "engine/render/soft_render.h"
#include "platform/plat_display.h"
#include "platform/plat_pixels.h"

SoftPolyBuffer gSoftPolyBuffer{};
int32_t gSoftOverflow = 0;
int32_t gSoftBufferEstimate = kSoftInitialEstimate;
int32_t gSoftDroppedFrames = 0;
SoftTexture* gSoftTextureBuckets[kSoftTextureBuckets] = {};
SoftPolygon gSoftDrawHead{};
SoftPolygon gSoftDrawTail{};
SoftPolygon* gSoftDrawLast = &gSoftDrawHead;
alignas(4) const uint16_t gSoftWhiteTexel[2] = {0xffff, 0xffff};

namespace {

SoftTextureLookupFn gTextureLookup = nullptr;

// A fraction truncated toward zero and held in 0 .. limit (a NaN gives 0).
int32_t TruncClamp(float value, int32_t limit) {
  if (!(value > 0.0f)) return 0;
  if (value >= static_cast<float>(limit)) return limit;
  return static_cast<int32_t>(value);
}

void ResetBatchesAndList() {
  for (SoftTexture*& bucket : gSoftTextureBuckets) bucket = nullptr;
  gSoftDrawHead.next = gSoftDrawHead.prev = &gSoftDrawHead;
  gSoftDrawLast = &gSoftDrawHead;
}

void ProjectVertex(const Camera* camera, SoftVertex* v) {
  const float f = camera->projectionScale;
  v->screenX = camera->halfWidth + f * v->x / v->z;
  v->screenY = camera->halfHeight - f * v->y / v->z;
}

void ComputeBox(SoftPolygon* polygon) {
  const SoftVertex* ring = wre_SoftPolygonVertices(polygon);
  polygon->minX = polygon->maxX = ring[0].screenX;
  polygon->minY = polygon->maxY = ring[0].screenY;
  polygon->minZ = polygon->maxZ = ring[0].z;
  for (int i = 1; i < polygon->vertexCount; ++i) {
    const SoftVertex& v = ring[i];
    polygon->minX = std::fmin(polygon->minX, v.screenX);
    polygon->maxX = std::fmax(polygon->maxX, v.screenX);
    polygon->minY = std::fmin(polygon->minY, v.screenY);
    polygon->maxY = std::fmax(polygon->maxY, v.screenY);
    polygon->minZ = std::fmin(polygon->minZ, v.z);
    polygon->maxZ = std::fmax(polygon->maxZ, v.z);
  }
}

}  // namespace

void wre_SoftPolygonBox(SoftPolygon* polygon) { ComputeBox(polygon); }
void wre_SoftProjectVertex(const Camera* camera, SoftVertex* vertex) { ProjectVertex(camera, vertex); }

void wre_SoftTextureLookupInstall(SoftTextureLookupFn lookup) { gTextureLookup = lookup; }

const SoftTexture* wre_SoftTextureLookup(int32_t texture) {
  if (texture < 0 || !gTextureLookup) return nullptr;
  return gTextureLookup(texture);
}

void wre_SoftBufferFree() {
  if (gSoftPolyBuffer.base) wre_MemoryDispose(gSoftPolyBuffer.base);
  gSoftPolyBuffer.base = gSoftPolyBuffer.write = gSoftPolyBuffer.end = nullptr;
}

int32_t wre_SoftFrameBegin(Camera* camera, uint8_t clear) {
  if (clear && camera) wre_SoftFrameClear(camera->context, camera->background);
  int64_t estimate = gSoftBufferEstimate;
  if (gSoftOverflow) estimate = int64_t{2} * gSoftPolyBuffer.size;
  // Held in 64 bits and capped, so persistent overflow cannot run the sizes past the int32 range.
  if (estimate > kSoftMaximumBuffer) estimate = kSoftMaximumBuffer;
  if (estimate < 0) estimate = 0;
  gSoftBufferEstimate = static_cast<int32_t>(estimate);
  int64_t size = (estimate + (estimate >> 1) + kSoftEstimateSlack) & ~int64_t{3};
  if (size > kSoftMaximumBuffer) size = kSoftMaximumBuffer;
  wre_SoftBufferFree();
  ResetBatchesAndList();
  for (;;) {
    gSoftPolyBuffer.size = static_cast<int32_t>(size);
    gSoftPolyBuffer.base = static_cast<uint8_t*>(wre_MemoryNew(static_cast<int32_t>(size)));
    if (gSoftPolyBuffer.base) break;
    size = (size - size / 4) & ~int64_t{3};
    if (size < kSoftMinimumBuffer) {
      gSoftOverflow = 1;
      return -1;
    }
  }
  gSoftOverflow = 0;
  gSoftPolyBuffer.write = gSoftPolyBuffer.base;
  gSoftPolyBuffer.end = wre_SoftBufferTop();
  return 0;
}

int32_t wre_SoftFrameClear(DrawingContext* context, const float* colour) {
  if (!context || !context->frame || !colour) return 0;
  Offscreen* frame = context->frame;
  if (!frame->pixels) return 0;
  // The frame is 555 whatever the display; the conversion to 565 happens once, when it is shown.
  const ColourFloat c{colour[0], colour[1], colour[2], colour[3]};
  const uint32_t r = wre_ColourComponentByte(c.red);
  const uint32_t g = wre_ColourComponentByte(c.green);
  const uint32_t b = wre_ColourComponentByte(c.blue);
  const uint16_t value = plat_Pack555(r, g, b);
  const int32_t rowBytes = frame->width * ((frame->depth + 7) / 8);
  for (int32_t y = 0; y < frame->height; ++y) {
    wre_MemoryFill16(frame->pixels + static_cast<size_t>(y) * static_cast<size_t>(frame->rowBytes), rowBytes, value);
  }
  return 0;
}

int32_t wre_SoftFramePresent(Camera* camera) {
  wre_SoftBufferFree();
  if (!camera || !camera->context) return -1;
  DrawingContext* context = camera->context;
  Offscreen* frame = context->frame;
  if (!frame || !context->back || !context->primary) return -1;
  auto* source = reinterpret_cast<PlatSurface*>(frame->systemSurface ? frame->systemSurface : frame->videoSurface);
  const PlatEdgeRect rect{frame->blitRect.left, frame->blitRect.top, frame->blitRect.right, frame->blitRect.bottom};
  const int32_t blit = plat_SurfaceBltFast(context->back, context->view.left, context->view.top, source, &rect);
  if (blit == kPlatDisplaySurfaceBusy) {
    // The frame is not shown; the step still counts as done.
    ++gSoftDroppedFrames;
    return 0;
  }
  if (blit != kPlatDisplayOk) return -1;
  if (context->displayBits & kDisplay565) {
    // Exactly once per shown frame, on the copy: the 555 frame itself stays as drawn.
    void* pixels = nullptr;
    int32_t pitch = 0;
    if (plat_SurfaceLock(context->back, &pixels, &pitch) == kPlatDisplayOk && pixels) {
      int32_t backWidth = 0;
      int32_t backHeight = 0;
      plat_SurfaceDescribe(context->back, &backWidth, &backHeight, nullptr);
      const int32_t x = context->view.left;
      const int32_t y = context->view.top;
      const int32_t width = std::min(rect.right - rect.left, backWidth - x);
      const int32_t height = std::min(rect.bottom - rect.top, backHeight - y);
      if (x >= 0 && y >= 0 && width > 0 && height > 0) {
        auto* first = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(pixels) + static_cast<size_t>(y) * pitch) + x;
        wre_SoftFrameConvert565(first, width, height, pitch);
      }
      plat_SurfaceUnlock(context->back);
    }
  }
  return plat_SurfaceFlip(context->primary) == kPlatDisplayOk ? 0 : -1;
}

SoftTexture* wre_SoftTextureBatch(const SoftTexture* texture) {
  if (gSoftOverflow || !gSoftPolyBuffer.base) return nullptr;
  const bool white = !texture || !texture->texels;
  // The fillers' tables stop at 256 texels a side.
  if (!white && (texture->log2Width > 8 || texture->log2Height > 8)) return nullptr;
  const uint16_t* key = white ? gSoftWhiteTexel : texture->texels;
  const uint32_t bucket = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(key)) % kSoftTextureBuckets;
  for (SoftTexture* batch = gSoftTextureBuckets[bucket]; batch; batch = batch->nextInBucket) {
    if (batch->texels == key) return batch;
  }
  // No room test of its own: the set-up's room test leaves room for one.
  auto* batch = reinterpret_cast<SoftTexture*>(gSoftPolyBuffer.write);
  gSoftPolyBuffer.write += wre_SoftAlign(sizeof(SoftTexture));
  std::memset(batch, 0, sizeof(*batch));
  batch->texels = key;
  batch->nextInBucket = gSoftTextureBuckets[bucket];
  gSoftTextureBuckets[bucket] = batch;
  batch->log2Width = white ? 0 : texture->log2Width;
  batch->log2Height = white ? 0 : texture->log2Height;
  batch->opaqueCapable = white ? 1 : texture->opaqueCapable;
  batch->uScale = static_cast<float>(1u << (24 - batch->log2Width));
  batch->vScale = static_cast<float>(1u << (24 - batch->log2Height));
  return batch;
}

int32_t wre_SoftClipPlane(SoftPolygon* polygon, const float plane[4]) {
  SoftVertex* ring = wre_SoftPolygonVertices(polygon);
  const int count = polygon->vertexCount;
  float dist[kSoftMaxSplitVertices + 1];
  uint32_t inside = 0;
  for (int i = 0; i < count; ++i) {
    dist[i] = plane[0] * ring[i].x + plane[1] * ring[i].y + plane[2] * ring[i].z - plane[3];
    if (dist[i] > 0.0f) inside |= 1u << i;
  }
  if (inside == 0) return 0;
  if (inside == (1u << count) - 1) return 1;
  SoftVertex out[kSoftMaxSplitVertices + 2];
  int n = 0;
  // The NaN vertices that optimised g++ 12.2 builds once gave here came from that compiler's fault
  // with bit comparisons (cmake/VhCompilerGuard.cmake), not from how this loop carries its index.
  for (int cur = 0; cur < count; ++cur) {
    const int prev = cur == 0 ? count - 1 : cur - 1;
    const float before = dist[prev];
    const float after = dist[cur];
    const bool curIn = after > 0.0f;
    if ((before > 0.0f) != curIn) {
      // Always from the kept end toward the dropped one: a neighbour walks the shared edge the
      // other way round, and must get the very same point or a seam opens between the two.
      const bool fromPrev = !curIn;
      const SoftVertex& p = fromPrev ? ring[prev] : ring[cur];
      const SoftVertex& c = fromPrev ? ring[cur] : ring[prev];
      const float dp = fromPrev ? before : after;
      const float dc = fromPrev ? after : before;
      const float t = -dp / (dc - dp);
      out[n++] = SoftVertex{(1.0f - t) * p.x + t * c.x, (1.0f - t) * p.y + t * c.y, (1.0f - t) * p.z + t * c.z, 0.0f,
                            0.0f};
    }
    if (curIn) out[n++] = ring[cur];
  }
  std::memcpy(ring, out, sizeof(SoftVertex) * static_cast<size_t>(n));
  polygon->vertexCount = static_cast<uint8_t>(n);
  return 1;
}

int32_t wre_SoftClipFrustum(const Camera* camera, SoftPolygon* polygon) {
  const float f = camera->projectionScale;
  const float hw = camera->halfWidth;
  const float hh = camera->halfHeight;
  const float planes[6][4] = {
      {0.0f, 0.0f, 1.0f, camera->nearClip}, {0.0f, 0.0f, -1.0f, -camera->farClip}, {0.0f, f, hh, 0.0f},
      {0.0f, -f, hh, 0.0f},                 {f, 0.0f, hw, 0.0f},                    {-f, 0.0f, hw, 0.0f},
  };
  for (const auto& plane : planes) {
    if (!wre_SoftClipPlane(polygon, plane)) return 0;
  }
  return 1;
}

// Every loop is unrolled whole (the sizes are fixed), which takes a quarter off the set-up; the
// operations and their order stay those of the loops, and so do the results.
float wre_SoftLUDecompose4(float a[16], int32_t permutation[4]) {
  float scale[4];
  #pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    float big = 0.0f;
    // What fmax would give, NaNs passed over, without its library call.
    #pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
      const float size = std::fabs(a[i * 4 + j]);
      if (size > big) big = size;
    }
    if (big == 0.0f) return 0.0f;
    scale[i] = 1.0f / big;
  }
  float sign = 1.0f;
  #pragma GCC unroll 4
  for (int j = 0; j < 4; ++j) {
    #pragma GCC unroll 4
    for (int i = 0; i < j; ++i) {
      float sum = a[i * 4 + j];
      #pragma GCC unroll 4
      for (int k = 0; k < i; ++k) sum -= a[i * 4 + k] * a[k * 4 + j];
      a[i * 4 + j] = sum;
    }
    float big = 0.0f;
    int pivot = j;
    #pragma GCC unroll 4
    for (int i = j; i < 4; ++i) {
      float sum = a[i * 4 + j];
      #pragma GCC unroll 4
      for (int k = 0; k < j; ++k) sum -= a[i * 4 + k] * a[k * 4 + j];
      a[i * 4 + j] = sum;
      const float weight = scale[i] * std::fabs(sum);
      if (weight > big) {
        big = weight;
        pivot = i;
      }
    }
    if (!(big > 0.0f)) return 0.0f;
    if (pivot != j) {
      #pragma GCC unroll 4
      for (int k = 0; k < 4; ++k) std::swap(a[pivot * 4 + k], a[j * 4 + k]);
      sign = -sign;
      scale[pivot] = scale[j];
    }
    permutation[j] = pivot;
    if (j < 3) {
      const float inverse = 1.0f / a[j * 4 + j];
      #pragma GCC unroll 4
      for (int i = j + 1; i < 4; ++i) a[i * 4 + j] *= inverse;
    }
  }
  return sign;
}

void wre_SoftLUSolve4(const float a[16], const int32_t permutation[4], float b[4]) {
  #pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    const int p = permutation[i];
    float sum = b[p];
    b[p] = b[i];
    #pragma GCC unroll 4
    for (int j = 0; j < i; ++j) sum -= a[i * 4 + j] * b[j];
    b[i] = sum;
  }
  #pragma GCC unroll 4
  for (int i = 3; i >= 0; --i) {
    float sum = b[i];
    #pragma GCC unroll 4
    for (int j = i + 1; j < 4; ++j) sum -= a[i * 4 + j] * b[j];
    b[i] = sum / a[i * 4 + i];
  }
}

uint16_t wre_SoftFrameWeight(float alpha) {
  constexpr float kScale = 32768.0f / 255.0f;
  return static_cast<uint16_t>(512 + TruncClamp((255.0f - alpha) * kScale, 32768));
}

uint16_t wre_SoftLightWord(float alpha, float channel) {
  // Formed in double: in single precision 65025 x (32768 / 65025) rounds up to 32768 and full
  // colour at full alpha would no longer stay just below "unchanged".
  constexpr float kScale = 32768.0f / 65025.0f;
  const double product = static_cast<double>(alpha) * static_cast<double>(channel) * static_cast<double>(kScale);
  int32_t word = 0;
  if (product > 0.0) word = product >= 32768.0 ? 32768 : static_cast<int32_t>(product);
  return static_cast<uint16_t>(512 + word);
}

uint16_t wre_SoftAdditive(const float colours[3][4]) {
  constexpr float kScale = 32.0f / 765.0f;
  int32_t channel[3];
  for (int c = 0; c < 3; ++c) {
    const float sum = colours[0][c] + colours[1][c] + colours[2][c];
    channel[c] = TruncClamp(sum * kScale, 31);
  }
  return static_cast<uint16_t>(channel[0] << 10 | channel[1] << 5 | channel[2]);
}

void wre_SoftPolygonSetup(Camera* camera, const SoftTexture* texture, const PolygonRecord* record,
                          const ColourFloat* lit) {
  if (gSoftOverflow || !gSoftPolyBuffer.base || !camera || !record) return;
  SoftTexture* batch = wre_SoftTextureBatch(texture);
  if (!batch) return;
  if (gSoftPolyBuffer.end - gSoftPolyBuffer.write < kSoftSetupRoom) {
    gSoftOverflow = 1;
    return;
  }
  auto* gradients = reinterpret_cast<SoftGradients*>(gSoftPolyBuffer.write);
  auto* polygon = reinterpret_cast<SoftPolygon*>(gSoftPolyBuffer.write + wre_SoftAlign(sizeof(SoftGradients)));
  std::memset(polygon, 0, sizeof(*polygon));
  polygon->gradients = gradients;
  polygon->vertexCount = 3;
  SoftVertex* ring = wre_SoftPolygonVertices(polygon);
  for (int i = 0; i < 3; ++i) ring[i] = SoftVertex{record->v[i].x, record->v[i].y, record->v[i].z, 0.0f, 0.0f};
  if (!wre_SoftClipFrustum(camera, polygon)) return;
  for (int i = 0; i < polygon->vertexCount; ++i) ProjectVertex(camera, &ring[i]);

  // The plane of the three corners as queued: the corners of the clipped ring may lie (nearly) on
  // one line. A polygon without area is dropped.
  const Point4* p = record->v;
  const float e1[3] = {p[1].x - p[0].x, p[1].y - p[0].y, p[1].z - p[0].z};
  const float e2[3] = {p[2].x - p[0].x, p[2].y - p[0].y, p[2].z - p[0].z};
  const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
  const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (!(length > 0.0f) || !std::isfinite(length)) return;
  float s = 1.0f / length;
  const float d = n[0] * p[0].x + n[1] * p[0].y + n[2] * p[0].z;
  if (d > 0.0f) s = -s;
  gradients->plane = Point4{n[0] * s, n[1] * s, n[2] * s, d * s};
  const Point4& plane = gradients->plane;

  const float f = camera->projectionScale;
  const float cx = camera->halfWidth;
  const float cy = camera->halfHeight;
  float m[16] = {p[0].x, p[0].y, p[0].z, -1.0f, p[1].x, p[1].y, p[1].z, -1.0f,
                 p[2].x, p[2].y, p[2].z, -1.0f, plane.x, plane.y, plane.z, 0.0f};
  int32_t permutation[4] = {0, 1, 2, 3};
  if (wre_SoftLUDecompose4(m, permutation) == 0.0f) {
    gradients->uOverZDx = gradients->uOverZDy = gradients->vOverZDx = gradients->vOverZDy = 0.0f;
    gradients->invZDx = gradients->invZDy = 0.0f;
    gradients->uOffset = gradients->vOffset = 0.0f;
    gradients->uOverZOrigin = gradients->vOverZOrigin = gradients->invZOrigin = 1.0f;
  } else {
    const bool textured = record->texture != -1;
    float u[4];
    float v[4];
    for (int i = 0; i < 3; ++i) {
      const float tu = textured ? record->uv[i][0] : 0.0f;
      const float tv = textured ? record->uv[i][1] : 0.0f;
      u[i] = tu * 16777216.0f + 0.5f * batch->uScale;
      v[i] = 16777216.0f + 0.5f * batch->vScale - tv * 16777216.0f;
    }
    u[3] = v[3] = 0.0f;
    wre_SoftLUSolve4(m, permutation, u);
    wre_SoftLUSolve4(m, permutation, v);
    const float pd = plane.w;
    gradients->uOverZDx = u[0] * pd / f;
    gradients->uOverZDy = -u[1] * pd / f;
    gradients->uOverZOrigin = u[2] * pd - cx * gradients->uOverZDx - cy * gradients->uOverZDy +
                              0.5f * (gradients->uOverZDx + gradients->uOverZDy);
    gradients->uOffset = u[3];
    gradients->vOverZDx = v[0] * pd / f;
    gradients->vOverZDy = -v[1] * pd / f;
    gradients->vOverZOrigin = v[2] * pd - cx * gradients->vOverZDx - cy * gradients->vOverZDy +
                              0.5f * (gradients->vOverZDx + gradients->vOverZDy);
    gradients->vOffset = v[3];
    gradients->invZDx = plane.x / f;
    gradients->invZDy = -plane.y / f;
    gradients->invZOrigin =
        plane.z - cx * gradients->invZDx - cy * gradients->invZDy + 0.5f * (gradients->invZDx + gradients->invZDy);
  }

  const ColourFloat white{255.0f, 255.0f, 255.0f, 255.0f};
  const ColourFloat& c = lit ? *lit : white;
  polygon->frameWeight = wre_SoftFrameWeight(c.alpha);
  polygon->lightRed = wre_SoftLightWord(c.alpha, c.red);
  polygon->lightGreen = wre_SoftLightWord(c.alpha, c.green);
  polygon->lightBlue = wre_SoftLightWord(c.alpha, c.blue);
  polygon->additive = wre_SoftAdditive(record->colour);
  polygon->clamp = static_cast<uint8_t>(record->flags & 0x10);
  polygon->texture = batch;
  polygon->nextInBatch = batch->firstPolygon;
  batch->firstPolygon = polygon;
  polygon->moved = 0;
  polygon->seeThrough = (batch->opaqueCapable && polygon->frameWeight < 1024) ? 0 : 1;
  gSoftPolyBuffer.write += wre_SoftRecordBytes(polygon->vertexCount);
  gSoftPolyBuffer.end -= sizeof(SoftPolygon*);
  std::memcpy(gSoftPolyBuffer.end, &polygon, sizeof(polygon));
  ComputeBox(polygon);
}
