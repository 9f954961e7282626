#include "engine/render/clip.h"

#include <initializer_list>

#include "engine/render/camera.h"
#include "engine/render/context.h"

namespace {

constexpr float kAltDepthScale = 65535.0f;

void MapD3D(const Camera* camera, ClipVertex* v) {
  const float w = 1.0f / v->z;
  const float depth = (v->z * camera->depthScale + camera->depthOffset) * w;
  v->x = camera->halfWidth + v->x * camera->projectionScale * w;
  v->y = camera->halfHeight - v->y * camera->projectionScale * w;
  v->z = depth;
  v->w = w;
}

void MapD3D(const Camera* camera, Point4* p) {
  ClipVertex v{p->x, p->y, p->z, p->w, 0, 0, 0, 0, 0, 0};
  MapD3D(camera, &v);
  *p = Point4{v.x, v.y, v.z, v.w};
}

void MapGL(const Camera* camera, ClipVertex* v) {
  const float w = 1.0f / v->z;
  const float depth = ((camera->depthOffset + camera->depthScale * v->z) * w) * 2.0f - 1.0f;
  v->x = camera->halfWidth + v->x * camera->projectionScale * w;
  v->y = camera->halfHeight - v->y * camera->projectionScale * w;
  v->z = depth;
  v->w = w;
}

void MapGL(const Camera* camera, Point4* p) {
  ClipVertex v{p->x, p->y, p->z, p->w, 0, 0, 0, 0, 0, 0};
  MapGL(camera, &v);
  *p = Point4{v.x, v.y, v.z, v.w};
}

bool NearClipped(const PolygonRecord* polygon) { return polygon && (polygon->flags & kPolyClipNear); }

// The stages a piece passes through, in order.
enum Stage { kStageFar, kStageNear, kStageLeft, kStageRight, kStageTop, kStageBottom, kStageQueue };

struct Plane {
  int axis;        // 0 x, 1 y, 2 z
  float value;     // where the plane lies
  bool outsideAbove;  // outside is greater than the value
};

float Axis(const ClipVertex* v, int axis) { return axis == 0 ? v->x : axis == 1 ? v->y : v->z; }

void SetAxis(ClipVertex* v, int axis, float value) {
  if (axis == 0) v->x = value;
  else if (axis == 1) v->y = value;
  else v->z = value;
}

bool Outside(const ClipVertex* v, const Plane& plane) {
  const float a = Axis(v, plane.axis);
  return plane.outsideAbove ? a > plane.value : a < plane.value;
}

Plane PlaneOf(const Camera* camera, Stage stage) {
  switch (stage) {
    case kStageFar: return Plane{2, camera->farClip - kClipInset, true};
    case kStageNear: return Plane{2, camera->nearClip + kClipInset, false};
    case kStageLeft: return Plane{0, kClipInset, false};
    case kStageRight: return Plane{0, camera->width - kClipInset, true};
    case kStageTop: return Plane{1, kClipInset, false};
    default: return Plane{1, camera->height - kClipInset, true};
  }
}

// The corner on the edge from the outside corner to the inside one that lies on the plane; the
// clipped coordinate is set to the plane itself so rounding cannot leave it a hair outside.
void Cut(const ClipVertex* outside, const ClipVertex* inside, const Plane& plane, bool textured, ClipVertex* out) {
  const float o = Axis(outside, plane.axis);
  const float i = Axis(inside, plane.axis);
  const float t = (plane.value - i) / (o - i);
  wre_ClipInterpolate(outside, inside, out, t, textured ? 1 : 0);
  SetAxis(out, plane.axis, plane.value);
}

int32_t Run(Camera* camera, PolygonRecord* polygon, Stage stage, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2);

int32_t FirstFailure(int32_t first, int32_t second) { return first != 0 ? first : second; }

// Where a triangle goes after passing the far or near plane (projected first).
int32_t AfterDepth(Camera* camera, PolygonRecord* polygon, Stage done, ClipVertex* a, ClipVertex* b, ClipVertex* c) {
  if (done == kStageFar && (polygon->flags & kPolyClipNear)) return Run(camera, polygon, kStageNear, a, b, c);
  if (camera->projectTriangle) camera->projectTriangle(camera, polygon, a, b, c);
  return Run(camera, polygon, (polygon->flags & kPolyClipEdge) ? kStageLeft : kStageQueue, a, b, c);
}

// The two triangles of a one-out quad (A, B, P, Q): (A, P, Q) and (B, A, Q).
int32_t AfterDepthQuad(Camera* camera, PolygonRecord* polygon, Stage done, ClipVertex* a, ClipVertex* b,
                       ClipVertex* p, ClipVertex* q) {
  if (done == kStageFar && (polygon->flags & kPolyClipNear)) {
    // Each piece is near-clipped in camera space; copies, since the first piece's clip must not
    // move the corners the second one shares.
    ClipVertex a2 = *a, q2 = *q;
    const int32_t first = Run(camera, polygon, kStageNear, a, p, q);
    const int32_t second = Run(camera, polygon, kStageNear, b, &a2, &q2);
    return FirstFailure(first, second);
  }
  if (camera->projectQuad) camera->projectQuad(camera, polygon, a, b, p, q);
  const Stage next = (polygon->flags & kPolyClipEdge) ? kStageLeft : kStageQueue;
  ClipVertex a2 = *a, q2 = *q;
  const int32_t first = Run(camera, polygon, next, a, p, q);
  const int32_t second = Run(camera, polygon, next, b, &a2, &q2);
  return FirstFailure(first, second);
}

int32_t Next(Camera* camera, PolygonRecord* polygon, Stage done, ClipVertex* a, ClipVertex* b, ClipVertex* c) {
  if (done == kStageFar || done == kStageNear) return AfterDepth(camera, polygon, done, a, b, c);
  return Run(camera, polygon, static_cast<Stage>(done + 1), a, b, c);
}

int32_t NextQuad(Camera* camera, PolygonRecord* polygon, Stage done, ClipVertex* a, ClipVertex* b, ClipVertex* p,
                 ClipVertex* q) {
  if (done == kStageFar || done == kStageNear) return AfterDepthQuad(camera, polygon, done, a, b, p, q);
  ClipVertex a2 = *a, q2 = *q;
  const int32_t first = Run(camera, polygon, static_cast<Stage>(done + 1), a, p, q);
  const int32_t second = Run(camera, polygon, static_cast<Stage>(done + 1), b, &a2, &q2);
  return FirstFailure(first, second);
}

int32_t Run(Camera* camera, PolygonRecord* polygon, Stage stage, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2) {
  if (stage == kStageQueue) return wre_PolygonInsertCorners(polygon, c0, c1, c2);
  // The device clips to its viewport itself.
  if (stage == kStageLeft && wre_CameraRendererKind(camera) == kRendererDirect3D) {
    return wre_PolygonInsertCorners(polygon, c0, c1, c2);
  }
  const Plane plane = PlaneOf(camera, stage);
  ClipVertex* c[3] = {c0, c1, c2};
  int outside[3];
  int inside[3];
  int outCount = 0, inCount = 0;
  for (int i = 0; i < 3; ++i) {
    if (Outside(c[i], plane)) outside[outCount++] = i;
    else inside[inCount++] = i;
  }
  const bool textured = polygon->texture != -1;
  if (outCount == 3) return 0;
  if (outCount == 0) return Next(camera, polygon, stage, c0, c1, c2);
  if (outCount == 2) {
    ClipVertex* k = c[inside[0]];
    ClipVertex a, b;
    Cut(c[outside[0]], k, plane, textured, &a);
    Cut(c[outside[1]], k, plane, textured, &b);
    ClipVertex kept = *k;
    return Next(camera, polygon, stage, &a, &b, &kept);
  }
  ClipVertex* o = c[outside[0]];
  ClipVertex p = *c[inside[0]];
  ClipVertex q = *c[inside[1]];
  ClipVertex a, b;
  Cut(o, &p, plane, textured, &a);
  Cut(o, &q, plane, textured, &b);
  return NextQuad(camera, polygon, stage, &a, &b, &p, &q);
}

}  // namespace

void wre_ClipInterpolate(const ClipVertex* a, const ClipVertex* b, ClipVertex* out, float t, uint8_t textured) {
  const float s = 1.0f - t;
  out->x = t * a->x + s * b->x;
  out->y = t * a->y + s * b->y;
  out->z = t * a->z + s * b->z;
  out->w = t * a->w + s * b->w;
  out->r = t * a->r + s * b->r;
  out->g = t * a->g + s * b->g;
  out->b = t * a->b + s * b->b;
  // Alpha follows the other channels, so a cut corner blends as its neighbours do.
  out->a = t * a->a + s * b->a;
  if (textured) {
    out->u = t * a->u + s * b->u;
    out->v = t * a->v + s * b->v;
  } else {
    out->u = out->v = 0.0f;
  }
}

int32_t wre_ClipFar(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2) {
  return Run(camera, polygon, kStageFar, c0, c1, c2);
}
int32_t wre_ClipNear(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2) {
  return Run(camera, polygon, kStageNear, c0, c1, c2);
}
int32_t wre_ClipEdgeLeft(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2) {
  return Run(camera, polygon, kStageLeft, c0, c1, c2);
}
int32_t wre_ClipEdgeRight(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2) {
  return Run(camera, polygon, kStageRight, c0, c1, c2);
}
int32_t wre_ClipEdgeTop(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2) {
  return Run(camera, polygon, kStageTop, c0, c1, c2);
}
int32_t wre_ClipEdgeBottom(Camera* camera, PolygonRecord* polygon, ClipVertex* c0, ClipVertex* c1, ClipVertex* c2) {
  return Run(camera, polygon, kStageBottom, c0, c1, c2);
}

void wre_ProjectTriD3D(Camera* camera, PolygonRecord*, ClipVertex* a, ClipVertex* b, ClipVertex* c) {
  for (ClipVertex* v : {a, b, c}) MapD3D(camera, v);
}
void wre_ProjectQuadD3D(Camera* camera, PolygonRecord*, ClipVertex* a, ClipVertex* b, ClipVertex* c, ClipVertex* d) {
  for (ClipVertex* v : {a, b, c, d}) MapD3D(camera, v);
}
void wre_ProjectPolyD3D(Camera* camera, PolygonRecord* polygon) {
  for (Point4& p : polygon->v) MapD3D(camera, &p);
}

void wre_ProjectTriD3DAlt(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c) {
  const bool scale = !NearClipped(polygon);
  for (ClipVertex* v : {a, b, c}) {
    MapD3D(camera, v);
    if (scale) v->w *= kAltDepthScale;
  }
}
void wre_ProjectQuadD3DAlt(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c,
                           ClipVertex* d) {
  const bool scale = !NearClipped(polygon);
  for (ClipVertex* v : {a, b, c, d}) {
    MapD3D(camera, v);
    if (scale) v->w *= kAltDepthScale;
  }
}
void wre_ProjectPolyD3DAlt(Camera* camera, PolygonRecord* polygon) {
  const bool scale = !NearClipped(polygon);
  for (Point4& p : polygon->v) {
    MapD3D(camera, &p);
    if (scale) p.w *= kAltDepthScale;
  }
}

void wre_ProjectTriGL(Camera* camera, PolygonRecord*, ClipVertex* a, ClipVertex* b, ClipVertex* c) {
  for (ClipVertex* v : {a, b, c}) MapGL(camera, v);
}
void wre_ProjectQuadGL(Camera* camera, PolygonRecord*, ClipVertex* a, ClipVertex* b, ClipVertex* c, ClipVertex* d) {
  for (ClipVertex* v : {a, b, c, d}) MapGL(camera, v);
}
void wre_ProjectPolyGL(Camera* camera, PolygonRecord* polygon) {
  if (wre_CameraRendererKind(camera) != kRendererOpenGL) return;
  for (Point4& p : polygon->v) MapGL(camera, &p);
}

void wre_ProjectTriSoft(Camera*, PolygonRecord*, ClipVertex*, ClipVertex*, ClipVertex*) {}
void wre_ProjectQuadSoft(Camera*, PolygonRecord*, ClipVertex*, ClipVertex*, ClipVertex*, ClipVertex*) {}
void wre_ProjectPolySoft(Camera*, PolygonRecord*) {}

int32_t wre_CameraBindProjection(Camera* camera) {
  if (!camera) return kWreErrNull;
  const int32_t kind = wre_CameraRendererKind(camera);
  if (kind == kRendererOpenGL) {
    camera->projectTriangle = wre_ProjectTriGL;
    camera->projectQuad = wre_ProjectQuadGL;
    camera->projectPolygon = wre_ProjectPolyGL;
  } else if (kind == kRendererSoftware) {
    camera->projectTriangle = wre_ProjectTriSoft;
    camera->projectQuad = wre_ProjectQuadSoft;
    camera->projectPolygon = wre_ProjectPolySoft;
  } else if (camera->context && (camera->context->displayBits & kDisplay3dfx)) {
    camera->projectTriangle = wre_ProjectTriD3DAlt;
    camera->projectQuad = wre_ProjectQuadD3DAlt;
    camera->projectPolygon = wre_ProjectPolyD3DAlt;
  } else {
    camera->projectTriangle = wre_ProjectTriD3D;
    camera->projectQuad = wre_ProjectQuadD3D;
    camera->projectPolygon = wre_ProjectPolyD3D;
  }
  return 0;
}
