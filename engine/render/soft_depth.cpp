// Depth ordering of the software back end: the polygons queued since the last group are set up,
// sorted by their farthest depth and walked, moving or splitting overlapping records until no
// record comes before one that it hides. Each group is appended in front of every earlier group.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/data/material.h"
#include "engine/render/camera.h"
#include "engine/render/polygon.h"
#include "engine/render/soft_render.h"

namespace {

constexpr float kPlaneTolerance = 7.5f;
constexpr float kEdgeTolerance = 7.5f;
constexpr float kSplitDepthLimit = 50000.0f;
constexpr int kInsertionLimit = 7;
constexpr int kSortStackPairs = 250;
constexpr int kPieceLimit = 30;  // a piece may hold at most this many before one more is added

void Unlink(SoftPolygon* record) {
  record->prev->next = record->next;
  record->next->prev = record->prev;
}

void InsertBefore(SoftPolygon* record, SoftPolygon* before) {
  record->prev = before->prev;
  record->next = before;
  before->prev->next = record;
  before->prev = record;
}

// From the mark on, past every record farther than X; X goes in front of the first that is not.
void InsertByDepth(SoftPolygon* record, SoftPolygon*& mark, SoftPolygon* end) {
  SoftPolygon* at = mark;
  while (at != end && at->maxZ > record->maxZ) at = at->next;
  InsertBefore(record, at);
  if (at == mark) mark = record;
}

// Bits of the vertices in front of (more than the tolerance) and behind the plane; the plain dot
// products n.v go to dots.
void Classify(const SoftPolygon* polygon, const Point4& plane, uint32_t* front, uint32_t* behind, float* dots) {
  const SoftVertex* ring = wre_SoftPolygonVertices(const_cast<SoftPolygon*>(polygon));
  uint32_t f = 0;
  uint32_t b = 0;
  for (int i = 0; i < polygon->vertexCount; ++i) {
    const float dot = plane.x * ring[i].x + plane.y * ring[i].y + plane.z * ring[i].z;
    dots[i] = dot;
    const float s = dot - plane.w;
    if (s > kPlaneTolerance) f |= 1u << i;
    if (s < -kPlaneTolerance) b |= 1u << i;
  }
  *front = f;
  *behind = b;
}

// True when one of a's screen edges has every vertex of b on its outer side (within the tolerance).
bool EdgeSeparates(const SoftPolygon* a, const SoftPolygon* b) {
  const SoftVertex* ra = wre_SoftPolygonVertices(const_cast<SoftPolygon*>(a));
  const SoftVertex* rb = wre_SoftPolygonVertices(const_cast<SoftPolygon*>(b));
  const int count = a->vertexCount;
  for (int k = 0; k < count; ++k) {
    const SoftVertex& p = ra[k == 0 ? count - 1 : k - 1];
    const SoftVertex& q = ra[k];
    float g = p.screenX - q.screenX;
    float h = q.screenY - p.screenY;
    float i = q.screenY * g + h * q.screenX;
    const SoftVertex& inner = ra[(count / 2 + k) % count];
    if (g * inner.screenY + h * inner.screenX > i) {
      g = -g;
      h = -h;
      i = -i;
    }
    bool anyInside = false;
    for (int j = 0; j < b->vertexCount && !anyInside; ++j) {
      anyInside = g * rb[j].screenY + h * rb[j].screenX < i - kEdgeTolerance;
    }
    if (!anyInside) return true;
  }
  return false;
}

bool Straddles(uint32_t front, uint32_t behind, const SoftPolygon* polygon) {
  return front != 0 && behind != 0 && polygon->minZ < kSplitDepthLimit;
}

// A record with its sort key, the farthest depth.
struct DepthEntry {
  float maxZ;
  SoftPolygon* record;
};

const Material* MaterialOf(int32_t handle) { return wre_PolygonMaterial(handle); }

}  // namespace

void wre_SoftDepthSort(int32_t count, SoftPolygon** records) {
  if (count < 2 || !records) return;
  // The keys sit beside their records in one array, so that the sort does not wait on records
  // spread through the polygon buffer; the order is the one the records themselves would get.
  static std::vector<DepthEntry> entries;
  entries.resize(static_cast<size_t>(count));
  DepthEntry* const a = entries.data();
  for (int32_t i = 0; i < count; ++i) a[i] = DepthEntry{records[i]->maxZ, records[i]};
  int32_t stack[2 * kSortStackPairs];
  int top = 0;
  int32_t l = 0;
  int32_t r = count - 1;
  auto key = [a](int32_t i) { return a[i].maxZ; };
  for (;;) {
    if (r - l < kInsertionLimit) {
      for (int32_t i = l + 1; i <= r; ++i) {
        const DepthEntry x = a[i];
        int32_t j = i - 1;
        while (j >= l && a[j].maxZ >= x.maxZ) {
          a[j + 1] = a[j];
          --j;
        }
        a[j + 1] = x;
      }
      if (top == 0) break;
      r = stack[--top];
      l = stack[--top];
      continue;
    }
    std::swap(a[(l + r) / 2], a[l + 1]);
    if (key(l + 1) > key(r)) std::swap(a[l + 1], a[r]);
    if (key(l) > key(r)) std::swap(a[l], a[r]);
    if (key(l + 1) > key(l)) std::swap(a[l + 1], a[l]);
    const DepthEntry pivot = a[l];
    const float pivotKey = pivot.maxZ;
    int32_t i = l + 1;
    int32_t j = r;
    for (;;) {
      do ++i;
      while (key(i) < pivotKey);
      do --j;
      while (key(j) > pivotKey);
      if (j < i) break;
      std::swap(a[i], a[j]);
    }
    a[l] = a[j];
    a[j] = pivot;
    // The larger part waits on the stack; the stack of 250 pairs is far deeper than log2 of any count.
    if (r - i + 1 >= j - l) {
      stack[top++] = i;
      stack[top++] = r;
      r = j - 1;
    } else {
      stack[top++] = l;
      stack[top++] = j - 1;
      l = i;
    }
  }
  for (int32_t i = 0; i < count; ++i) records[i] = a[i].record;
}

int32_t wre_SoftPolygonSplit(Camera* camera, SoftPolygon* polygon, uint32_t frontBits, uint32_t behindBits,
                             const float* dots, SoftPolygon** firstPiece, SoftPolygon** secondPiece, float planeD) {
  const int count = polygon->vertexCount;
  const int limit = std::min(count + 1, kPieceLimit);
  SoftVertex front[kSoftMaxSplitVertices + 1];
  SoftVertex back[kSoftMaxSplitVertices + 1];
  int nf = 0;
  int nb = 0;
  const SoftVertex* ring = wre_SoftPolygonVertices(polygon);
  for (int cur = 0; cur < count; ++cur) {
    const int prev = cur == 0 ? count - 1 : cur - 1;
    const bool prevFront = (frontBits >> prev) & 1;
    const bool prevBehind = (behindBits >> prev) & 1;
    const bool curFront = (frontBits >> cur) & 1;
    const bool curBehind = (behindBits >> cur) & 1;
    if ((prevFront && curBehind) || (prevBehind && curFront)) {
      // Always from the front end toward the one behind, as the frustum clip does: a neighbour split
      // by the same plane walks the shared edge the other way round and must get the same point.
      const int from = prevFront ? prev : cur;
      const int to = prevFront ? cur : prev;
      const SoftVertex& p = ring[from];
      const SoftVertex& c = ring[to];
      const float t = (planeD - dots[from]) / (dots[to] - dots[from]);
      SoftVertex v{p.x + t * (c.x - p.x), p.y + t * (c.y - p.y), p.z + t * (c.z - p.z), 0.0f, 0.0f};
      wre_SoftProjectVertex(camera, &v);
      if (nf > limit || nb > limit) return 0;
      front[nf++] = v;
      back[nb++] = v;
    }
    if (!curFront) {
      if (nb > limit) return 0;
      back[nb++] = ring[cur];
    }
    if (!curBehind) {
      if (nf > limit) return 0;
      front[nf++] = ring[cur];
    }
  }
  if (nf < 3 || nb < 3) return 0;

  // The record keeps the front piece unless it holds more than the record, or the back piece is the
  // larger and fits. A kept piece that does not fit the record's ring gets a header of its own too.
  const bool keepBack = nf > count || (nb > nf && nb <= count);
  const SoftVertex* kept = keepBack ? back : front;
  const SoftVertex* other = keepBack ? front : back;
  const int nKept = keepBack ? nb : nf;
  const int nOther = keepBack ? nf : nb;
  const bool keptFits = nKept <= count;
  const size_t bytes = wre_SoftPieceBytes(nOther) + (keptFits ? 0 : wre_SoftPieceBytes(nKept));
  if (gSoftPolyBuffer.end - gSoftPolyBuffer.write < static_cast<ptrdiff_t>(bytes) + kSoftReserve) {
    gSoftOverflow = 1;
    return 0;
  }
  auto newPiece = [polygon](int vertices) {
    auto* piece = reinterpret_cast<SoftPolygon*>(gSoftPolyBuffer.write);
    gSoftPolyBuffer.write += wre_SoftPieceBytes(vertices);
    std::memset(piece, 0, sizeof(*piece));
    piece->seeThrough = polygon->seeThrough;
    piece->clamp = polygon->clamp;
    piece->texture = polygon->texture;
    piece->gradients = polygon->gradients;
    piece->frameWeight = polygon->frameWeight;
    piece->lightRed = polygon->lightRed;
    piece->lightGreen = polygon->lightGreen;
    piece->lightBlue = polygon->lightBlue;
    piece->additive = polygon->additive;
    piece->nextInBatch = polygon->nextInBatch;
    polygon->nextInBatch = piece;
    return piece;
  };
  SoftPolygon* second = newPiece(nOther);
  SoftPolygon* first = keptFits ? polygon : newPiece(nKept);
  polygon->moved = 0;
  std::memcpy(wre_SoftPolygonVertices(first), kept, sizeof(SoftVertex) * static_cast<size_t>(nKept));
  first->vertexCount = static_cast<uint8_t>(nKept);
  std::memcpy(wre_SoftPolygonVertices(second), other, sizeof(SoftVertex) * static_cast<size_t>(nOther));
  second->vertexCount = static_cast<uint8_t>(nOther);
  wre_SoftPolygonBox(first);
  wre_SoftPolygonBox(second);
  *firstPiece = first;
  *secondPiece = second;
  return 1;
}

SoftPolygon* wre_SoftDepthResolve(Camera* camera, SoftPolygon* first) {
  SoftPolygon* const end = &gSoftDrawTail;
  SoftPolygon* p = first;
  SoftPolygon* mark = first;
  float dotsP[kSoftMaxSplitVertices + 1];
  float dotsQ[kSoftMaxSplitVertices + 1];
  for (;;) {
    SoftPolygon* q = p->next;
    if (q == end) return p;
    if (!p->moved) mark = p;
    bool restart = false;
    while (q != end) {
      if (q->maxZ <= p->minZ && !q->moved) break;
      if (q->maxX < p->minX || q->minX > p->maxX || q->maxY < p->minY || q->minY > p->maxY) {
        q = q->next;
        continue;
      }
      uint32_t frontP, behindP, frontQ, behindQ;
      Classify(p, q->gradients->plane, &frontP, &behindP, dotsP);
      if (frontP == 0) {
        q = q->next;
        continue;
      }
      Classify(q, p->gradients->plane, &frontQ, &behindQ, dotsQ);
      if (behindQ == 0 || EdgeSeparates(p, q) || EdgeSeparates(q, p)) {
        q = q->next;
        continue;
      }
      if (!q->moved && (frontQ == 0 || behindP == 0)) {
        // Q hides part of P without being cut by it: Q goes first.
        if (q == mark) mark = q->next;
        Unlink(q);
        InsertBefore(q, p);
        q->moved = 1;
        p = q;
        q = p->next;
        continue;
      }
      const bool splitP = Straddles(frontP, behindP, p);
      if (!splitP && !Straddles(frontQ, behindQ, q)) {
        q = q->next;
        continue;
      }
      SoftPolygon* pieceA = nullptr;
      SoftPolygon* pieceB = nullptr;
      const int32_t split = splitP ? wre_SoftPolygonSplit(camera, p, frontP, behindP, dotsP, &pieceA, &pieceB,
                                                          q->gradients->plane.w)
                                   : wre_SoftPolygonSplit(camera, q, frontQ, behindQ, dotsQ, &pieceA, &pieceB,
                                                          p->gradients->plane.w);
      if (!split) {
        if (gSoftOverflow) return &gSoftDrawHead;
        q = q->next;
        continue;
      }
      // Both leave the list; the mark moves on past them.
      SoftPolygon* r = p->next;
      if (mark == p) mark = p->next;
      Unlink(p);
      if (mark == q) mark = q->next;
      Unlink(q);
      SoftPolygon* whole = splitP ? q : p;
      whole->moved = 0;
      InsertByDepth(whole, mark, end);
      InsertByDepth(pieceA, mark, end);
      InsertByDepth(pieceB, mark, end);
      p = r->moved ? r : mark;
      restart = true;
      break;
    }
    if (restart) continue;
    p = p->next;
  }
}

void wre_SoftGroupSetup(Camera* camera) {
  if (gSoftOverflow || !gSoftPolyBuffer.base) return;
  int32_t textureHandle = -1;
  const SoftTexture* texture = nullptr;
  int32_t materialHandle = INT32_MIN;
  const Material* material = nullptr;
  for (PolyQueue* queue : {&gPolyQueueOpaque, &gPolyQueueKeyed, &gPolyQueueTranslucent}) {
    if (!queue->base) continue;
    for (int32_t i = 0; i < queue->count; ++i) {
      const PolygonRecord* record = &queue->base[i];
      if (record->texture != textureHandle) {
        textureHandle = record->texture;
        texture = wre_SoftTextureLookup(textureHandle);
      }
      if (record->material != materialHandle) {
        materialHandle = record->material;
        material = MaterialOf(materialHandle);
      }
      wre_SoftPolygonSetup(camera, texture, record, material ? &material->lit : nullptr);
      if (gSoftOverflow) return;
    }
  }
}

void wre_SoftGroupOrder(Camera* camera) {
  if (gSoftOverflow || !gSoftPolyBuffer.base) return;
  uint8_t* const top = wre_SoftBufferTop();
  const auto n = static_cast<int32_t>((top - gSoftPolyBuffer.end) / static_cast<ptrdiff_t>(sizeof(SoftPolygon*)));
  if (n == 0) return;
  auto** records = reinterpret_cast<SoftPolygon**>(gSoftPolyBuffer.end);
  SoftPolygon* last = nullptr;
  if (n >= 2) {
    wre_SoftDepthSort(n, records);
    // Farthest first, ending at the tail sentinel, behind the list's last record.
    SoftPolygon* before = gSoftDrawLast;
    for (int32_t i = n - 1; i >= 0; --i) {
      before->next = records[i];
      records[i]->prev = before;
      before = records[i];
    }
    before->next = &gSoftDrawTail;
    gSoftDrawTail.prev = before;
    last = wre_SoftDepthResolve(camera, records[n - 1]);
    if (gSoftOverflow) return;
  } else {
    last = records[0];
    last->prev = gSoftDrawLast;
    gSoftDrawLast->next = last;
  }
  last->next = &gSoftDrawHead;
  gSoftDrawHead.prev = last;
  gSoftDrawLast = last;
  gSoftPolyBuffer.end = top;
}

void wre_SoftPolyListSort(Camera* camera) {
  wre_SoftGroupSetup(camera);
  wre_SoftGroupOrder(camera);
}
