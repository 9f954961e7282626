#include "engine/core/collide.h"

#include <cmath>
#include <climits>
#include <cstring>
#include <initializer_list>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/polytree.h"
#include "engine/core/world.h"

namespace {

constexpr float kFar = 1.8e38f;

// One entry of a candidate list: an object and, for a tiled grid mesh, the tile's position.
struct Candidate {
  EngineObject* object;
  int32_t record;
  bool tiled;
  float tile[3];
};

struct CollisionRecord {
  Point4 hit;         // where the sweeping sphere's centre meets the candidate
  float distance;     // along the move
  int32_t polygon;    // -1 for none
  Point4 contact;     // in the candidate's frame
  Point4 start;       // start, end and reached point of the move that hit (for the move fraction)
  Point4 end;
  Point4 reached;
  Transform frame;    // the placement of a static candidate's local points
  bool hasFrame;
  bool hasFraction;   // start, end and reached are set
};

struct CandidateList {
  Candidate* entries;
  int32_t count;
};

struct Buffers {
  bool ready;
  int32_t capacity;
  int32_t pointCapacity;
  CandidateList lists[2];
  CandidateList* current;
  CandidateList* next;
  CandidateList collected;
  CollisionRecord* records;
  int32_t recordsUsed;
  Point4* scratch[4];
};

Buffers gCollide = {};

// What one sweep needs to know.
struct Sweep {
  Point4 from;
  Point4 to;
  Point4 direction;
  float length;
  float radius;
  float box[6];  // swept box: minx, maxx, miny, maxy, minz, maxz
  EngineObject* mover;
  const Transform* target;  // where the mover ends (object sweeps)
  uint32_t groupMask;
  uint32_t flags;
};

Point4 Sub(const Point4& a, const Point4& b) { return Point4{a.x - b.x, a.y - b.y, a.z - b.z, 0.0f}; }
float Dot(const Point4& a, const Point4& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(const Point4& a) { return std::sqrt(Dot(a, a)); }
Point4 PositionOf(const Transform& t) { return Point4{t.position[0], t.position[1], t.position[2], 0.0f}; }

bool IsStatic(const EngineObject* object) { return (object->renderFlags & kRenderStatic) != 0; }

void EmptyBounds(float* b) {
  b[0] = b[2] = b[4] = kFar;
  b[1] = b[3] = b[5] = -kFar;
}

void TakeIn(float* b, float x, float y, float z) {
  if (x < b[0]) b[0] = x;
  if (x > b[1]) b[1] = x;
  if (y < b[2]) b[2] = y;
  if (y > b[3]) b[3] = y;
  if (z < b[4]) b[4] = z;
  if (z > b[5]) b[5] = z;
}

bool Overlaps(const float* a, const float* b, bool withY) {
  if (a[0] > b[1] || a[1] < b[0]) return false;
  if (a[4] > b[5] || a[5] < b[4]) return false;
  if (withY && (a[2] > b[3] || a[3] < b[2])) return false;
  return true;
}

// The placement a candidate's local points stand at: its own, or its tile's.
Transform FrameOf(const Candidate& candidate) {
  Transform frame = candidate.object->transform;
  if (candidate.tiled) {
    for (int i = 0; i < 3; ++i) frame.position[i] = candidate.tile[i];
  }
  return frame;
}

// World points into a frame: minus its position, then the inverse of its angles.
void ToFrame(const Transform& frame, int32_t count, Point4* points) {
  if (count <= 0) return;
  wre_PointsTranslate(-frame.position[0], -frame.position[1], -frame.position[2], count, points, points);
  wre_PointsRotateInverse(-frame.angleX, -frame.angleY, -frame.angleZ, count, points, points);
}

// Local points placed by a transform.
void Place(const Transform& t, int32_t count, const Point4* source, Point4* destination) {
  if (count <= 0) return;
  wre_PointsRotate(t.angleX, t.angleY, t.angleZ, count, source, destination);
  wre_PointsTranslate(t.position[0], t.position[1], t.position[2], count, destination, destination);
}

// The separating-axis test of a segment against a box given by centre and half-size: the three
// box axes, then the segment direction crossed with each of them. The box is widened by a hair so
// that rounding never loses a polygon lying on its face.
bool SegmentMeetsBox(const Point4& centre, const Point4& half, const Point4& a, const Point4& b) {
  const float slack =
      1e-4f + 1e-5f * (std::fabs(centre.x) + std::fabs(centre.y) + std::fabs(centre.z) + half.x + half.y + half.z);
  const float hx = half.x + slack, hy = half.y + slack, hz = half.z + slack;
  const float dx = (b.x - a.x) * 0.5f, dy = (b.y - a.y) * 0.5f, dz = (b.z - a.z) * 0.5f;
  const float mx = a.x + dx - centre.x, my = a.y + dy - centre.y, mz = a.z + dz - centre.z;
  const float ax = std::fabs(dx), ay = std::fabs(dy), az = std::fabs(dz);
  if (std::fabs(mx) > hx + ax || std::fabs(my) > hy + ay || std::fabs(mz) > hz + az) return false;
  if (std::fabs(my * dz - mz * dy) > hy * az + hz * ay) return false;
  if (std::fabs(mz * dx - mx * dz) > hx * az + hz * ax) return false;
  if (std::fabs(mx * dy - my * dx) > hx * ay + hy * ax) return false;
  return true;
}

// The next node of a walk that passes over everything below the given node.
const PolyTreeNode* NextSkipping(const PolyTreeNode* node, const PolyTreeNode* root) {
  while (node != root && node->parent) {
    const PolyTreeNode* parent = node->parent;
    if (node == parent->first && parent->second) return parent->second;
    node = parent;
  }
  return nullptr;
}

// Every polygon of every leaf whose box the segment meets, depth first, first child first.
template <typename F>
void SearchTree(const PolyTreeNode* root, const Point4& a, const Point4& b, F&& each) {
  const PolyTreeNode* node = root;
  while (node) {
    if (SegmentMeetsBox(node->centre, node->half, a, b)) {
      for (int32_t k = 0; k < node->polygonCount; ++k) each(static_cast<int32_t>(node->polygons[k]));
      if (node->first) {
        node = node->first;
        continue;
      }
      if (node->second) {
        node = node->second;
        continue;
      }
    }
    node = NextSkipping(node, root);
  }
}

// The polygons a segment may cross: through the tree, or every one of them.
template <typename F>
void EachPolygon(const EngineObject* object, bool useTree, const Point4& a, const Point4& b, F&& each) {
  if (useTree && object->polyTree) {
    SearchTree(object->polyTree, a, b, each);
    return;
  }
  for (int32_t i = 0; i < object->polygonCount; ++i) each(i);
}

// The segment a -> b against polygon i of the object; the crossing point or false.
bool CrossPolygon(const EngineObject* object, const Point4* points, int32_t i, const Point4& a, const Point4& b,
                  Point4* crossing) {
  if (!object->planes || !points || i < 0 || i >= object->polygonCount) return false;
  const ObjectPolygon& polygon = object->polygons[i];
  return wre_CollideTriangleSegment(&points[polygon.points[0]], &points[polygon.points[1]],
                                    &points[polygon.points[2]], &object->planes[i], &a, &b, crossing) == 1;
}

// The points a candidate's polygons are made of in the frame a test works in.
const Point4* PointsOf(const EngineObject* object) {
  return IsStatic(object) ? object->localPoints : object->worldPoints;
}

CollisionRecord& RecordOf(const Candidate& candidate) { return gCollide.records[candidate.record]; }

// A candidate that no narrow test examines (a query whose flags run none on it) survives with this
// record and can win: its hit point is the sweep's end, where a sweep that met nothing on the way
// stops, rather than whatever an earlier query left in the record.
void ResetRecord(CollisionRecord& record, const Point4& sweepEnd) {
  record.hit = sweepEnd;
  record.distance = 0.0f;
  record.polygon = -1;
  record.contact = Point4{0.0f, 0.0f, 0.0f, 0.0f};
  record.start = record.end = record.reached = Point4{0.0f, 0.0f, 0.0f, 0.0f};
  record.hasFrame = false;
  record.hasFraction = false;
}

// A hit is recorded with its distance and where the sweeping sphere's centre then is; a static
// candidate keeps its frame so the result can be taken back to world space.
void RecordHit(const Sweep& sweep, const Candidate& candidate, float distance) {
  CollisionRecord& record = RecordOf(candidate);
  record.distance = distance;
  record.hit.x = sweep.from.x + distance * sweep.direction.x;
  record.hit.y = sweep.from.y + distance * sweep.direction.y;
  record.hit.z = sweep.from.z + distance * sweep.direction.z;
  if (IsStatic(candidate.object)) {
    record.frame = FrameOf(candidate);
    record.hasFrame = true;
  }
}

int32_t AddCandidate(CandidateList& list, int32_t limit, EngineObject* object, const float* tile) {
  if (list.count >= limit) return kCollideErrListFull;
  Candidate& entry = list.entries[list.count++];
  entry.object = object;
  entry.record = -1;
  entry.tiled = tile != nullptr;
  if (tile) std::memcpy(entry.tile, tile, sizeof(entry.tile));
  return 0;
}

bool Eligible(const EngineObject* object, const EngineObject* mover, uint32_t groupMask) {
  return object->kind == kObjectMesh && (object->status & kStatusActive) && object != mover &&
         (object->collisionGroup & groupMask) != 0;
}

// The grid meshes of the world, once for every tile position the box covers. A mesh without an
// extent on x or z has no tile step and is passed over.
int32_t AddTiles(World* world, CandidateList& list, int32_t limit, const float* box, uint32_t groupMask) {
  for (EngineObject* mesh = world->gridMeshes; mesh; mesh = mesh->next) {
    if (!(mesh->collisionGroup & groupMask)) continue;
    const float stepX = mesh->gridExtent[0], stepZ = mesh->gridExtent[2];
    if (!(stepX > 0.0f) || !(stepZ > 0.0f)) continue;
    float local[6];
    wre_BoxBoundsOf8(mesh->localBox, local);
    const float* p = mesh->transform.position;
    const double firstX = std::ceil((static_cast<double>(box[0]) - p[0] - local[1]) / stepX);
    const double lastX = std::floor((static_cast<double>(box[1]) - p[0] - local[0]) / stepX);
    const double firstZ = std::ceil((static_cast<double>(box[4]) - p[2] - local[5]) / stepZ);
    const double lastZ = std::floor((static_cast<double>(box[5]) - p[2] - local[4]) / stepZ);
    if (!std::isfinite(firstX) || !std::isfinite(lastX) || !std::isfinite(firstZ) || !std::isfinite(lastZ)) continue;
    for (double kz = firstZ; kz <= lastZ; kz += 1.0) {
      for (double kx = firstX; kx <= lastX; kx += 1.0) {
        const float tile[3] = {static_cast<float>(p[0] + kx * stepX), p[1], static_cast<float>(p[2] + kz * stepZ)};
        if (AddCandidate(list, limit, mesh, tile) != 0) return kCollideErrListFull;
      }
    }
  }
  return 0;
}

// Objects of the world whose bounds meet the box: the covered cells of a grid world (x and z
// overlap) or the object list (x, z and y overlap). The cell range is widened by the world's
// largest radius, since objects are filed by their centre.
int32_t CollectFromWorld(World* world, CandidateList& list, int32_t limit, const float* box, uint32_t groupMask,
                         const EngineObject* mover, bool walkGrid) {
  if (walkGrid && world->type == kWorldCellGrid && world->cells) {
    const float margin = world->largestRadius;
    int32_t c0 = 0, r0 = 0, c1 = 0, r1 = 0;
    wre_WorldCellOf(world, box[0] - margin, box[4] - margin, &c0, &r0);
    wre_WorldCellOf(world, box[1] + margin, box[5] + margin, &c1, &r1);
    for (int32_t row = r0; row <= r1; ++row) {
      for (int32_t column = c0; column <= c1; ++column) {
        for (EngineObject* object = world->cells[column + row * world->cellsX]; object; object = object->cellNext) {
          if (!Eligible(object, mover, groupMask) || !Overlaps(object->worldBounds, box, false)) continue;
          if (AddCandidate(list, limit, object, nullptr) != 0) return kCollideErrListFull;
        }
      }
    }
    return 0;
  }
  for (EngineObject* object = world->objects; object; object = object->next) {
    if (!Eligible(object, mover, groupMask) || !Overlaps(object->worldBounds, box, true)) continue;
    if (AddCandidate(list, limit, object, nullptr) != 0) return kCollideErrListFull;
  }
  return 0;
}

void BroadPhase(World* world, const Sweep& sweep, bool walkGrid) {
  CandidateList& list = *gCollide.current;
  list.count = 0;
  const int32_t limit = gCollide.capacity - 1;
  if (sweep.flags & kCollidePreCollected) {
    for (int32_t i = 0; i < gCollide.collected.count; ++i) {
      const Candidate& entry = gCollide.collected.entries[i];
      EngineObject* object = entry.object;
      if (object->kind != kObjectMesh && object->kind != kObjectStatic) continue;
      if (!(object->status & kStatusActive) || object == sweep.mover || !(object->collisionGroup & sweep.groupMask)) {
        continue;
      }
      if (object->kind == kObjectMesh && !Overlaps(object->worldBounds, sweep.box, true)) continue;
      if (list.count >= limit) break;
      list.entries[list.count++] = entry;
    }
  } else {
    int32_t result = 0;
    if (world && !(sweep.flags & kCollideNoObjects)) {
      result = CollectFromWorld(world, list, limit, sweep.box, sweep.groupMask, sweep.mover, walkGrid);
    }
    if (result == 0 && world && (sweep.flags & kCollideTiledMeshes)) {
      AddTiles(world, list, limit, sweep.box, sweep.groupMask);
    }
  }
  gCollide.recordsUsed = 0;
  for (int32_t i = 0; i < list.count; ++i) {
    list.entries[i].record = gCollide.recordsUsed++;
    ResetRecord(gCollide.records[list.entries[i].record], sweep.to);
  }
}

// The sweep against a candidate's bounding sphere. The distance is where the spheres first touch
// along the move; a sweep that starts inside gives minus the depth.
bool TestSphere(const Sweep& sweep, const Candidate& candidate) {
  const EngineObject* object = candidate.object;
  const Point4 centre = candidate.tiled ? Point4{candidate.tile[0], candidate.tile[1], candidate.tile[2], 0.0f}
                                        : PositionOf(object->transform);
  const float reach = sweep.radius + object->radius;
  float t = 0.0f;
  const float d = wre_MathPointSegmentDistance(&centre, &sweep.from, &sweep.to, &t);
  const Point4 toCentre = Sub(centre, sweep.from);
  float distance;
  if (t > 0.0f && t < 1.0f) {
    if (!(reach > d)) return false;
    distance = wre_MathSqrtDiffSquares(Length(toCentre), d) - wre_MathSqrtDiffSquares(reach, d);
  } else {
    const float m = Length(toCentre);
    if (m < reach) {
      distance = -(reach - m);
    } else {
      const float e = Length(Sub(sweep.to, centre));
      if (!(reach > e)) return false;
      // Touching only near the end of the move: the entry point on the line of the move, found as
      // in mid-move from the distance of the centre to that line.
      const float along = Dot(toCentre, sweep.direction);
      const float line = wre_MathSqrtDiffSquares(m, along);
      distance = along - wre_MathSqrtDiffSquares(reach, line);
    }
  }
  RecordHit(sweep, candidate, distance);
  return true;
}

// The sweep's centre path against the candidate's polygons; the distance is that of the crossing
// less the sweep's radius and half a unit.
bool TestPolygons(const Sweep& sweep, const Candidate& candidate) {
  const EngineObject* object = candidate.object;
  Point4 ends[2] = {sweep.from, sweep.to};
  if (IsStatic(object)) ToFrame(FrameOf(candidate), 2, ends);
  const Point4* points = PointsOf(object);
  float best = kFar;
  int32_t bestPolygon = -1;
  Point4 bestPoint{0.0f, 0.0f, 0.0f, 0.0f};
  EachPolygon(object, !(sweep.flags & kCollideIgnoreTrees), ends[0], ends[1], [&](int32_t i) {
    Point4 x;
    if (!CrossPolygon(object, points, i, ends[0], ends[1], &x)) return;
    const float distance = Length(Sub(x, ends[0])) - sweep.radius - 0.5f;
    if (distance < best) {
      best = distance;
      bestPolygon = i;
      bestPoint = x;
    }
  });
  if (!(best < kFar)) return false;
  RecordHit(sweep, candidate, best);
  CollisionRecord& record = RecordOf(candidate);
  record.polygon = bestPolygon;
  record.contact = bestPoint;
  return true;
}

// The mover's eight box corners now and where the target transform puts them, in the candidate's
// frame when the candidate is static.
void CornerMoves(const Sweep& sweep, const Candidate& candidate, Point4* start, Point4* end) {
  std::memcpy(start, sweep.mover->worldBox, 8 * sizeof(Point4));
  Place(*sweep.target, 8, sweep.mover->localBox, end);
  if (IsStatic(candidate.object)) {
    const Transform frame = FrameOf(candidate);
    ToFrame(frame, 8, start);
    ToFrame(frame, 8, end);
  }
}

struct MoveHit {
  float distance = kFar;
  int32_t polygon = -1;
  Point4 point{};
  Point4 start{};
  Point4 end{};
};

void SearchMove(const EngineObject* object, bool useTree, const Point4& a, const Point4& b, MoveHit* best,
                float (*distanceOf)(const Point4& x, const Point4& a, const Sweep& sweep), const Sweep& sweep) {
  const Point4* points = PointsOf(object);
  EachPolygon(object, useTree, a, b, [&](int32_t i) {
    Point4 x;
    if (!CrossPolygon(object, points, i, a, b, &x)) return;
    const float distance = distanceOf(x, a, sweep);
    if (distance < best->distance) {
      best->distance = distance;
      best->polygon = i;
      best->point = x;
      best->start = a;
      best->end = b;
    }
  });
}

float PointDistance(const Point4& x, const Point4& a, const Sweep&) { return Length(Sub(x, a)) - 0.5f; }

void RecordMoveHit(const Sweep& sweep, const Candidate& candidate, const MoveHit& hit) {
  RecordHit(sweep, candidate, hit.distance);
  CollisionRecord& record = RecordOf(candidate);
  record.polygon = hit.polygon;
  record.contact = hit.point;
  record.start = hit.start;
  record.end = hit.end;
  record.reached = hit.point;
  record.hasFraction = true;
}

// Each box corner's move through the candidate's tree. The second search (the candidate's
// attribute bit 1, or the query's flag) runs from the sweep's start point to each corner's end,
// and its hits count by how far along the move the crossing lies.
bool TestBoxCorners(const Sweep& sweep, const Candidate& candidate) {
  const EngineObject* object = candidate.object;
  if (!object->polyTree) return false;
  Point4 start[8], end[8];
  CornerMoves(sweep, candidate, start, end);
  MoveHit best;
  for (int k = 0; k < 8; ++k) SearchMove(object, true, start[k], end[k], &best, &PointDistance, sweep);
  if ((object->attributes & kAttrSecondSearch) || (sweep.flags & kCollideSecondSearch)) {
    Point4 origin = sweep.from;
    Point4 direction = sweep.direction;
    if (IsStatic(object)) {
      const Transform frame = FrameOf(candidate);
      ToFrame(frame, 1, &origin);
      wre_PointsRotateInverse(-frame.angleX, -frame.angleY, -frame.angleZ, 1, &direction, &direction);
    }
    for (int k = 0; k < 8; ++k) {
      MoveHit second;
      SearchMove(object, true, origin, end[k], &second, &PointDistance, sweep);
      if (second.polygon < 0) continue;
      second.distance = Dot(Sub(second.point, origin), direction) - 0.5f;
      if (second.distance < best.distance) best = second;
    }
  }
  if (best.polygon < 0) return false;
  RecordMoveHit(sweep, candidate, best);
  return true;
}

// Every point of the mover, from where it is to where the target transform puts it.
bool TestPoints(const Sweep& sweep, const Candidate& candidate) {
  const EngineObject* object = candidate.object;
  const EngineObject* mover = sweep.mover;
  if (object->polyTree) {
    Point4 start[8], end[8];
    CornerMoves(sweep, candidate, start, end);
    bool meets = false;
    for (int k = 0; k < 8 && !meets; ++k) {
      meets = SegmentMeetsBox(object->polyTree->centre, object->polyTree->half, start[k], end[k]);
    }
    if (!meets) return false;
  }
  int32_t count = mover->pointCount;
  if (count > gCollide.pointCapacity) count = gCollide.pointCapacity;
  if (count <= 0 || !mover->localPoints) return false;
  Point4* start = gCollide.scratch[0];
  Point4* end = gCollide.scratch[1];
  if (IsStatic(mover) || !mover->worldPoints) {
    Place(mover->transform, count, mover->localPoints, start);
  } else {
    std::memcpy(start, mover->worldPoints, static_cast<size_t>(count) * sizeof(Point4));
  }
  Place(*sweep.target, count, mover->localPoints, end);
  if (IsStatic(object)) {
    const Transform frame = FrameOf(candidate);
    ToFrame(frame, count, start);
    ToFrame(frame, count, end);
  }
  const bool useTree = !(sweep.flags & kCollideIgnoreTrees);
  MoveHit best;
  for (int32_t i = 0; i < count; ++i) SearchMove(object, useTree, start[i], end[i], &best, &PointDistance, sweep);
  if (best.polygon < 0) return false;
  RecordMoveHit(sweep, candidate, best);
  return true;
}

// Runs one narrow test over the current list; the hits become the current list.
void Narrow(const Sweep& sweep, bool (*test)(const Sweep&, const Candidate&)) {
  CandidateList& in = *gCollide.current;
  CandidateList& out = *gCollide.next;
  out.count = 0;
  for (int32_t i = 0; i < in.count; ++i) {
    if (test(sweep, in.entries[i])) out.entries[out.count++] = in.entries[i];
  }
  gCollide.current = &out;
  gCollide.next = &in;
}

void ClearResult(CollisionResult* result) {
  if (!result) return;
  result->object = nullptr;
  result->distance = 0.0f;
  result->hit[0] = result->hit[1] = result->hit[2] = 0.0f;
  result->polygon = -1;
  result->contact[0] = result->contact[1] = result->contact[2] = 0.0f;
  result->contactWord = 0.0f;
  result->moveFraction = 0.0f;
}

// The nearest survivor fills the result; of equal distances the first collected stays.
void Choose(const Sweep& sweep, CollisionResult* result) {
  const CandidateList& list = *gCollide.current;
  int32_t best = 0;
  for (int32_t i = 1; i < list.count; ++i) {
    if (RecordOf(list.entries[i]).distance < RecordOf(list.entries[best]).distance) best = i;
  }
  if (!result) return;
  const Candidate& winner = list.entries[best];
  const CollisionRecord& record = RecordOf(winner);
  result->object = winner.object;
  result->distance = record.distance;
  result->hit[0] = record.hit.x;
  result->hit[1] = record.hit.y;
  result->hit[2] = record.hit.z;
  result->hit[3] = record.hit.w;
  result->polygon = record.polygon;
  Point4 contact = record.contact;
  if (record.hasFrame) Place(record.frame, 1, &contact, &contact);
  result->contact[0] = contact.x;
  result->contact[1] = contact.y;
  result->contact[2] = contact.z;
  result->contactWord = record.contact.w;
  if (record.hasFraction) {
    const float span = Length(Sub(record.end, record.start));
    result->moveFraction = span > 0.0f ? (Length(Sub(record.reached, record.start)) - 0.5f) / span : 0.0f;
  } else {
    result->moveFraction = (record.distance - 0.5f) / sweep.length;
  }
}

// The shared part of the sweeps, once the swept box is known.
int32_t RunSweep(World* world, Sweep& sweep, CollisionResult* result, uint8_t gridWalk) {
  BroadPhase(world, sweep, gridWalk != 0);
  if (gCollide.current->count == 0) return 0;
  if (sweep.flags & kCollideSpheres) Narrow(sweep, &TestSphere);
  if (sweep.flags & kCollidePolygons) Narrow(sweep, &TestPolygons);
  if (sweep.mover && (sweep.flags & kCollideBoxCorners)) Narrow(sweep, &TestBoxCorners);
  if (sweep.mover && (sweep.flags & kCollidePoints)) Narrow(sweep, &TestPoints);
  if (gCollide.current->count == 0) return 0;
  Choose(sweep, result);
  return 1;
}

// Length and direction of the move; false for a move of length zero.
bool StartSweep(Sweep& sweep, const Transform* from, const Transform* to) {
  sweep.from = PositionOf(*from);
  sweep.to = PositionOf(*to);
  const Point4 delta = Sub(sweep.to, sweep.from);
  sweep.length = Length(delta);
  if (!(sweep.length > 0.0f) || !std::isfinite(sweep.length)) return false;
  const float scale = 1.0f / sweep.length;
  sweep.direction = Point4{delta.x * scale, delta.y * scale, delta.z * scale, 0.0f};
  return true;
}

// Each axis of the box extended towards the move.
void ExtendTowardsMove(Sweep& sweep) {
  const float delta[3] = {sweep.to.x - sweep.from.x, sweep.to.y - sweep.from.y, sweep.to.z - sweep.from.z};
  for (int axis = 0; axis < 3; ++axis) {
    if (delta[axis] < 0.0f) sweep.box[2 * axis] += delta[axis];
    if (delta[axis] > 0.0f) sweep.box[2 * axis + 1] += delta[axis];
  }
}

void ClearRecordsAndLists() {
  gCollide.current->count = 0;
  gCollide.recordsUsed = 0;
}

}  // namespace

int32_t wre_CollideTriangleSegment(const Point4* p0, const Point4* p1, const Point4* p2, const Point4* plane,
                                   const Point4* from, const Point4* to, Point4* crossing) {
  if (!p0 || !p1 || !p2 || !plane || !from || !to) return 0;
  const float startValue = plane->x * from->x + plane->y * from->y + plane->z * from->z + plane->w;
  const float endValue = plane->x * to->x + plane->y * to->y + plane->z * to->z + plane->w;
  if (!(startValue > 0.0f) || !(endValue < -0.0f)) return 0;
  const Point4 delta = Sub(*to, *from);
  const float t = -startValue / (plane->x * delta.x + plane->y * delta.y + plane->z * delta.z);
  const Point4 x{from->x + t * delta.x, from->y + t * delta.y, from->z + t * delta.z, 0.0f};
  // In two dimensions: the axis of the normal's largest component is dropped.
  const float nx = std::fabs(plane->x), ny = std::fabs(plane->y), nz = std::fabs(plane->z);
  int drop = 2;
  if (nx > ny && nx > nz) {
    drop = 0;
  } else if (ny > nx && ny > nz) {
    drop = 1;
  }
  const auto u = [drop](const Point4& p) { return drop == 0 ? p.y : p.x; };
  const auto v = [drop](const Point4& p) { return drop == 2 ? p.y : p.z; };
  const Point4* corners[3] = {p0, p1, p2};
  const float px = u(x), py = v(x);
  bool inside = false;
  for (int i = 0, j = 2; i < 3; j = i++) {
    const float xi = u(*corners[i]), yi = v(*corners[i]);
    const float xj = u(*corners[j]), yj = v(*corners[j]);
    if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
  }
  if (!inside) return 0;
  if (crossing) *crossing = x;
  return 1;
}

int32_t wre_CollideInit(int32_t candidateCapacity, int32_t pointCapacity) {
  if (gCollide.ready || candidateCapacity < 1 || pointCapacity < 1) return -1;
  if (pointCapacity < 8) return kCollideErrPoints;
  const auto bytes = [](int32_t count, size_t size) -> int32_t {
    const int64_t total = static_cast<int64_t>(count) * static_cast<int64_t>(size);
    return total > INT32_MAX ? -1 : static_cast<int32_t>(total);
  };
  const int32_t listBytes = bytes(candidateCapacity, sizeof(Candidate));
  const int32_t recordBytes = bytes(candidateCapacity, sizeof(CollisionRecord));
  const int32_t pointBytes = bytes(pointCapacity, sizeof(Point4));
  if (listBytes < 0 || recordBytes < 0 || pointBytes < 0) return -1;
  Buffers b = {};
  b.capacity = candidateCapacity;
  b.pointCapacity = pointCapacity;
  b.lists[0].entries = static_cast<Candidate*>(wre_MemoryNew(listBytes));
  b.lists[1].entries = static_cast<Candidate*>(wre_MemoryNew(listBytes));
  b.collected.entries = static_cast<Candidate*>(wre_MemoryNew(listBytes));
  b.records = static_cast<CollisionRecord*>(wre_MemoryNew(recordBytes));
  bool failed = !b.lists[0].entries || !b.lists[1].entries || !b.collected.entries || !b.records;
  for (Point4*& scratch : b.scratch) {
    scratch = static_cast<Point4*>(wre_MemoryNew(pointBytes));
    failed = failed || !scratch;
  }
  if (failed) {
    for (void* block : {static_cast<void*>(b.lists[0].entries), static_cast<void*>(b.lists[1].entries),
                        static_cast<void*>(b.collected.entries), static_cast<void*>(b.records)}) {
      if (block) wre_MemoryDispose(block);
    }
    for (Point4* scratch : b.scratch) {
      if (scratch) wre_MemoryDispose(scratch);
    }
    return -1;
  }
  std::memset(b.records, 0, static_cast<size_t>(recordBytes));
  gCollide = b;
  gCollide.current = &gCollide.lists[0];
  gCollide.next = &gCollide.lists[1];
  gCollide.ready = true;
  return 0;
}

int32_t wre_CollideExit() {
  if (!gCollide.ready) return -1;
  wre_MemoryDispose(gCollide.lists[0].entries);
  wre_MemoryDispose(gCollide.lists[1].entries);
  wre_MemoryDispose(gCollide.collected.entries);
  wre_MemoryDispose(gCollide.records);
  for (Point4* scratch : gCollide.scratch) wre_MemoryDispose(scratch);
  gCollide = Buffers{};
  return 0;
}

int32_t wre_CollideObjectMove(EngineObject* object, World* world, const Transform* from, const Transform* to,
                              uint32_t groupMask, uint32_t flags, CollisionResult* result, uint8_t gridWalk) {
  ClearResult(result);
  if (!gCollide.ready) return 0;
  ClearRecordsAndLists();
  if (!object || !from || !to) return 0;
  Sweep sweep{};
  if (!StartSweep(sweep, from, to)) return 0;
  sweep.radius = object->radius;
  sweep.mover = object;
  sweep.target = to;
  sweep.groupMask = groupMask;
  sweep.flags = flags;
  // The mover's bounds, taken to the start of the move, with its sphere at both ends and its box
  // where the target puts it, so that every move a narrow test makes lies inside the swept box.
  EmptyBounds(sweep.box);
  const float shift[3] = {from->position[0] - object->transform.position[0],
                          from->position[1] - object->transform.position[1],
                          from->position[2] - object->transform.position[2]};
  const float* b = object->worldBounds;
  if (b[0] <= b[1] && b[2] <= b[3] && b[4] <= b[5]) {
    TakeIn(sweep.box, b[0] + shift[0], b[2] + shift[1], b[4] + shift[2]);
    TakeIn(sweep.box, b[1] + shift[0], b[3] + shift[1], b[5] + shift[2]);
  }
  const float r = sweep.radius;
  for (const Point4& p : {sweep.from, sweep.to}) {
    TakeIn(sweep.box, p.x - r, p.y - r, p.z - r);
    TakeIn(sweep.box, p.x + r, p.y + r, p.z + r);
  }
  if (flags & (kCollideBoxCorners | kCollidePoints)) {
    Point4 end[8];
    Place(*to, 8, object->localBox, end);
    for (const Point4& p : end) TakeIn(sweep.box, p.x, p.y, p.z);
    for (const Point4& p : object->worldBox) TakeIn(sweep.box, p.x, p.y, p.z);
  }
  ExtendTowardsMove(sweep);
  return RunSweep(world, sweep, result, gridWalk);
}

int32_t wre_CollideSphereMove(const Transform* from, const Transform* to, float radius, World* world,
                              uint32_t groupMask, uint32_t flags, CollisionResult* result, uint8_t gridWalk) {
  ClearResult(result);
  if (!gCollide.ready) return 0;
  ClearRecordsAndLists();
  if (!from || !to) return 0;
  Sweep sweep{};
  if (!StartSweep(sweep, from, to)) return 0;
  sweep.radius = radius;
  sweep.groupMask = groupMask;
  sweep.flags = flags & ~(kCollideBoxCorners | kCollidePoints);
  sweep.box[0] = sweep.from.x - radius;
  sweep.box[1] = sweep.from.x + radius;
  sweep.box[2] = sweep.from.y - radius;
  sweep.box[3] = sweep.from.y + radius;
  sweep.box[4] = sweep.from.z - radius;
  sweep.box[5] = sweep.from.z + radius;
  ExtendTowardsMove(sweep);
  return RunSweep(world, sweep, result, gridWalk);
}

int32_t wre_CollideSpheresMove(const Transform* froms, const Transform* tos, float radius, World* world,
                               uint32_t groupMask, uint32_t flags, CollisionResult* results, uint8_t gridWalk,
                               int32_t count, uint8_t* hits) {
  if (!froms || !tos || !results) return 0;
  int32_t any = 0;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t hit =
        wre_CollideSphereMove(&froms[i], &tos[i], radius, world, groupMask, flags, &results[i], gridWalk);
    if (hits) hits[i] = static_cast<uint8_t>(hit);
    any |= hit;
  }
  return any;
}

int32_t wre_GridQueryBox(World* world, const float* box, uint32_t groupMask, uint32_t flags,
                         const EngineObject* mover) {
  if (!gCollide.ready) return 0;
  gCollide.collected.count = 0;
  if (!world || !box) return 0;
  const int32_t limit = gCollide.capacity;
  int32_t result = 0;
  if (!(flags & kCollideNoObjects)) {
    result = CollectFromWorld(world, gCollide.collected, limit, box, groupMask, mover, true);
  }
  if (result == 0 && (flags & kCollideTiledMeshes)) AddTiles(world, gCollide.collected, limit, box, groupMask);
  return gCollide.collected.count;
}

int32_t wre_CollideCandidateCount() { return gCollide.ready ? gCollide.current->count : 0; }

void wre_CollideSetCandidateCount(int32_t count) {
  if (!gCollide.ready) return;
  if (count < 0) count = 0;
  if (count > gCollide.current->count) count = gCollide.current->count;
  gCollide.current->count = count;
}
