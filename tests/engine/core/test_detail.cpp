#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/detail.h"
#include "engine/core/polytree.h"
#include "object_test_support.h"

namespace {

using object_test::BlockWatch;
using object_test::EngineTest;
using object_test::ExpectPoint;
using object_test::NewBoxMesh;

class DetailTest : public EngineTest {};

EngineObject* NewMesh() { return NewBoxMesh(kObjectMesh, -1, 1, -1, 1, -1, 1); }

TEST_F(DetailTest, MembersAreAppendedAndCounted) {
  BlockWatch watch;
  EngineObject* parent = NewMesh();
  EngineObject* first = NewMesh();
  EngineObject* second = NewMesh();
  EXPECT_EQ(wre_ObjectDetailSetAdd(parent, nullptr), kWreErrNull);
  EXPECT_EQ(wre_ObjectDetailSetValue(parent, 1.0f), kWreErrNoDetailGroup);
  EXPECT_EQ(wre_ObjectDetailSetDistance(parent, 1.0f), kWreErrNoDetailGroup);
  EXPECT_EQ(wre_ObjectDetailSetDispose(parent), kWreErrNoDetailGroup);

  ASSERT_EQ(wre_ObjectDetailSetAdd(parent, first), 0);
  ASSERT_NE(parent->detailGroup, nullptr);
  EXPECT_EQ(parent->detailGroup->count, 1);
  EXPECT_EQ(parent->detailGroup->value, 0.0f);
  ASSERT_EQ(wre_ObjectDetailSetAdd(parent, second), 0);
  EXPECT_EQ(parent->detailGroup->count, 2);
  EXPECT_EQ(parent->detailGroup->members, first);
  EXPECT_EQ(first->next, second);

  EXPECT_EQ(wre_ObjectDetailSetValue(parent, 0.75f), 0);
  EXPECT_EQ(parent->detailGroup->value, 0.75f);
  EXPECT_EQ(wre_ObjectDetailSetDistance(parent, 0.0f), kWreErrRange);
  EXPECT_EQ(wre_ObjectDetailSetDistance(parent, -3.0f), kWreErrRange);
  EXPECT_EQ(wre_ObjectDetailSetDistance(parent, 8.0f), 0);
  EXPECT_EQ(parent->detailGroup->stepReciprocal, 0.125f);
  EXPECT_EQ(wre_ObjectDetailSetCount(parent, 1), 0);
  EXPECT_EQ(parent->detailGroup->count, 1);

  // Members share what the parent is told.
  wre_ObjectSetRenderFlags(parent, kRenderPointColours);
  EXPECT_EQ(second->renderFlags, kRenderPointColours);
  wre_ObjectSetBackfaceCull(parent, 0);
  EXPECT_NE(second->renderFlags & kRenderTwoSided, 0u);
  wre_ObjectSetAllPolyMaterialIndex(parent, 12);
  EXPECT_EQ(second->polygons[11].material, 12);

  // Members go with the group.
  EXPECT_EQ(wre_ObjectDispose(parent), 0);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(DetailTest, MembersThatWouldCorruptALinkAreRefused) {
  BlockWatch watch;
  EngineObject* parent = NewMesh();
  EngineObject* other = NewMesh();
  EngineObject* member = NewMesh();
  EngineObject* placed = NewMesh();
  EXPECT_EQ(wre_ObjectDetailSetAdd(parent, parent), kWreErrRange);
  placed->status |= kStatusInWorld;
  EXPECT_EQ(wre_ObjectDetailSetAdd(parent, placed), kWreErrRange);
  placed->status = 0;
  ASSERT_EQ(wre_ObjectDetailSetAdd(parent, member), 0);
  // Already in a group; and a group inside a group would let the setters go round for ever.
  EXPECT_EQ(wre_ObjectDetailSetAdd(other, member), kWreErrRange);
  EXPECT_EQ(wre_ObjectDetailSetAdd(other, parent), kWreErrRange);
  EXPECT_EQ(parent->detailGroup->count, 1);
  EXPECT_EQ(member->next, nullptr);
  // A member is freed with its group, never on its own.
  EXPECT_EQ(wre_ObjectDispose(member), kWreErrRange);
  EXPECT_EQ(parent->detailGroup->members, member);
  for (EngineObject* o : {parent, other, placed}) EXPECT_EQ(wre_ObjectDispose(o), 0);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(DetailTest, TheDrawnMemberFollowsTheDistance) {
  EngineObject* parent = NewMesh();
  EngineObject* near = NewMesh();
  EngineObject* far = NewMesh();
  wre_ObjectDetailSetAdd(parent, near);
  wre_ObjectDetailSetAdd(parent, far);
  wre_ObjectDetailSetDistance(parent, 10.0f);
  wre_ObjectSetTransform(parent, 0, 0, 0, 100, 0, 0);
  parent->radius = 2.0f;

  // Distance = largest axis difference + a quarter of the other two, less the radius.
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 100, 0, 0), parent);
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 111, 0, 0), parent);           // 11 - 2 = 9: level 0
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 112, 0, 0), near);             // level 1
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 100, 0, -20), near);           // 18: level 1
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 120, 4, -4), far);             // 20 + 1 + 1 - 2 = 20
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 100 + 52, 0, 0), far);         // level 5, held at count 2
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 1e30f, 0, 0), far);
  // A stored count above the members stops at the end of the list.
  wre_ObjectDetailSetCount(parent, 5);
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 100 + 52, 0, 0), far);
  wre_ObjectDetailSetCount(parent, 0);
  EXPECT_EQ(wre_ObjectDetailSelect(parent, 100 + 52, 0, 0), parent);
  EXPECT_EQ(wre_ObjectDetailSelect(near, 1000, 0, 0), near);
  wre_ObjectDispose(parent);
}

TEST_F(DetailTest, UpdatesCarryTheParentTransformToMembers) {
  EngineObject* parent = NewMesh();
  EngineObject* member = NewBoxMesh(kObjectMesh, -2, 2, -2, 2, -2, 2);
  wre_ObjectRecalc(parent, 0, 1, 1, 1, 1);
  wre_ObjectRecalc(member, 0, 1, 1, 1, 1);
  wre_ObjectDetailSetAdd(parent, member);
  ASSERT_EQ(wre_ObjectNewVertexWork(parent), kWreErrNoVertexWork);  // untextured
  wre_ObjectSetAllPolyTexture(parent, 0);
  ASSERT_EQ(wre_ObjectNewVertexWork(parent), 0);
  parent->vertexWork->lastTick = 55;

  wre_ObjectSetTransform(parent, 0, 0, 0, 0, 30, 0);
  wre_ObjectUpdate(parent, 1, 1);
  EXPECT_EQ(member->transform.changed, 0);
  EXPECT_EQ(member->transform.position[1], 30.0f);
  ExpectPoint(member->worldPoints[0], -2, 32, 2, 0);
  EXPECT_EQ(member->worldBounds[3], 32.0f);
  EXPECT_EQ(parent->vertexWork->lastTick, -1);
  wre_ObjectDispose(parent);
}

bool AlwaysUnlit(const ObjectPolygon*) { return true; }

TEST_F(DetailTest, VertexWorkRecords) {
  BlockWatch watch;
  EXPECT_EQ(wre_ObjectNewVertexWork(nullptr), kWreErrNull);
  EXPECT_EQ(wre_ObjectDisposeVertexWork(nullptr), kWreErrNull);
  EngineObject* empty = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  EXPECT_EQ(wre_ObjectNewVertexWork(empty), kWreErrNoVertexWork);
  EXPECT_EQ(wre_ObjectDisposeVertexWork(empty), kWreErrRange);
  wre_ObjectDispose(empty);

  // Its own buffer is sized for every point the object can hold, not just those it has now.
  EngineObject* object = wre_ObjectNew(kObjectMesh, 4, 10, 0, 0, 0);
  for (int i = 0; i < 3; ++i) wre_ObjectAddPoint(object, static_cast<float>(i), 0, static_cast<float>(i & 1), 0);
  wre_ObjectAddPoly(object, 0, 2, kPolyTextured, 0, 1, 2, nullptr, nullptr, nullptr, 0);
  ASSERT_EQ(wre_ObjectNewVertexWork(object), 0);
  VertexWork* work = object->vertexWork;
  EXPECT_EQ(work->flags, kVertexWorkLit | kVertexWorkOwnsBuffer);
  ASSERT_NE(work->buffer, nullptr);
  for (int i = 0; i < 10; ++i) work->buffer[i].value[3] = 1.0f;  // in bounds (AddressSanitizer)
  EXPECT_EQ(wre_ObjectNewVertexWork(object), kWreErrRange);
  EXPECT_EQ(object->vertexWork, work);
  EXPECT_EQ(wre_ObjectDisposeVertexWork(object), 0);
  EXPECT_EQ(object->vertexWork, nullptr);

  // Per-point colours serve as the buffer, borrowed; an unlit first polygon clears the lit bit.
  gObjectServices.polygonUnlit = &AlwaysUnlit;
  wre_ObjectAllocPointAttachments(object);
  object->renderFlags |= kRenderPointColours;
  ASSERT_EQ(wre_ObjectNewVertexWork(object), 0);
  EXPECT_EQ(object->vertexWork->buffer, object->pointAttachments);
  EXPECT_EQ(object->vertexWork->flags, 0u);
  wre_ObjectFreePointAttachments(object);
  EXPECT_EQ(object->vertexWork->buffer, nullptr);
  wre_ObjectDispose(object);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(DetailTest, ClonesShareThePointsAndFreeOnlyTheirOwn) {
  BlockWatch watch;
  EngineObject* source = wre_ObjectNew(kObjectMesh, 2, 4, 5, 0, 0);
  const float a[3] = {0, 0, 0}, b[3] = {4, 0, 0}, c[3] = {0, 0, 4}, d[3] = {4, 0, 4};
  const float uv0[2] = {0, 0}, uv1[2] = {255, 0}, uv2[2] = {0, 255};
  wre_ObjectAddTriangle(source, 0, 1, kPolyTextured, a, b, c, uv0, uv1, uv2);
  wre_ObjectAddTriangle(source, 0, 1, kPolyTextured, b, d, c, uv0, uv1, uv2);
  source->userData = reinterpret_cast<UserData*>(source);
  EngineObject* holder = source;
  EngineObject* clone = reinterpret_cast<EngineObject*>(&holder);

  EXPECT_EQ(wre_ObjectCloneShared(&clone, nullptr), kWreErrNull);
  EXPECT_EQ(clone, nullptr);
  ASSERT_EQ(wre_ObjectCloneShared(&clone, &holder), 0);
  ASSERT_NE(clone, nullptr);
  ASSERT_NE(holder, nullptr);
  EXPECT_NE(clone, holder);
  EXPECT_EQ(clone->localPoints, holder->localPoints);
  EXPECT_EQ(clone->worldPoints, holder->worldPoints);
  EXPECT_NE(clone->polygons, holder->polygons);
  EXPECT_EQ(clone->creationFlags & (kObjectUserDataShared | kObjectLocalShared | kObjectWorldShared),
            kObjectUserDataShared | kObjectLocalShared | kObjectWorldShared);
  EXPECT_EQ(holder->creationFlags & kObjectLocalShared, 0u);
  EXPECT_EQ(clone->renderFlags, holder->renderFlags);
  EXPECT_EQ(clone->userData, holder->userData);
  // The coordinates were scaled for the copies, never in the source.
  EXPECT_FLOAT_EQ(holder->textureCoords[2], 1.0f);
  EXPECT_FLOAT_EQ(clone->textureCoords[2], 1.0f);

  // The clone draws the source's points where the clone stands.
  wre_ObjectSetTransform(clone, 0, 0, 0, 0, 7, 0);
  wre_ObjectUpdate(clone, 1, 1);
  EXPECT_EQ(holder->worldPoints[0].y, 7.0f);

  const Point4 kept = holder->localPoints[3];
  EXPECT_EQ(wre_ObjectDispose(clone), 0);
  ExpectPoint(holder->localPoints[3], kept.x, kept.y, kept.z, 0);
  holder->userData = nullptr;
  EXPECT_EQ(wre_ObjectDispose(holder), 0);

  // Sprites are never rebuilt, so they cannot be cloned.
  EngineObject* sprite = wre_ObjectNew(kObjectSprite, 2, 7, 0, 0, 0);
  EngineObject* spriteHolder = sprite;
  EXPECT_EQ(wre_ObjectCloneShared(&clone, &spriteHolder), kWreErrRange);
  EXPECT_EQ(clone, nullptr);
  EXPECT_EQ(spriteHolder, sprite);
  wre_ObjectDispose(sprite);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(DetailTest, CloneOfAGroupParentKeepsTheMembers) {
  BlockWatch watch;
  EngineObject* parent = NewMesh();
  EngineObject* member = NewMesh();
  wre_ObjectDetailSetAdd(parent, member);
  EngineObject* holder = parent;
  EngineObject* clone = nullptr;
  ASSERT_EQ(wre_ObjectCloneShared(&clone, &holder), 0);
  // The rebuilt source took the group over; the clone has none.
  ASSERT_NE(holder->detailGroup, nullptr);
  EXPECT_EQ(holder->detailGroup->members, member);
  EXPECT_EQ(clone->detailGroup, nullptr);
  wre_ObjectDispose(clone);
  wre_ObjectDispose(holder);
  EXPECT_EQ(watch.Left(), 0);
}

}  // namespace
