#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "engine/core/grid_mesh.h"
#include "world_test_support.h"

namespace {

using object_test::BlockWatch;
using object_test::ExpectPoint;
using world_test::WorldTest;

class GridMeshTest : public WorldTest {};

TEST_F(GridMeshTest, ArgumentsAreChecked) {
  BlockWatch watch;
  EngineObject* out = reinterpret_cast<EngineObject*>(1);
  EXPECT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 0, 0, kObjectStatic, nullptr, 0, 255.0f), kWreErrNull);
  EXPECT_EQ(wre_ObjectNewGrid(0, 0, 10.0f, 0, 0, kObjectStatic, &out, 0, 255.0f), kWreErrRange);
  EXPECT_EQ(out, nullptr);
  // Either count below 1 is refused, not only both.
  EXPECT_EQ(wre_ObjectNewGrid(4, 0, 10.0f, 0, 0, kObjectStatic, &out, 0, 255.0f), kWreErrRange);
  EXPECT_EQ(wre_ObjectNewGrid(-3, 2, 10.0f, 0, 0, kObjectStatic, &out, 0, 255.0f), kWreErrRange);
  EXPECT_EQ(wre_ObjectNewGrid(1, 1, 0.0f, 0, 0, kObjectStatic, &out, 0, 255.0f), kWreErrRange);
  EXPECT_EQ(wre_ObjectNewGrid(1, 1, NAN, 0, 0, kObjectStatic, &out, 0, 255.0f), kWreErrRange);
  EXPECT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, -1, 0, kObjectStatic, &out, 0, 255.0f), kWreErrRange);
  // Point indices are 16 bits: a grid of more than 65536 points cannot be indexed.
  EXPECT_EQ(wre_ObjectNewGrid(256, 256, 1.0f, 0, 0, kObjectStatic, &out, 0, 255.0f), kWreErrRange);
  EXPECT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 0, 0, kObjectParticles, &out, 0, 255.0f), kWreErrCreate);
  EXPECT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 0, 0, 99, &out, 0, 255.0f), kWreErrCreate);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(GridMeshTest, OneCellHasFourCornersTwoTrianglesAndItsTextureOnce) {
  BlockWatch watch;
  EngineObject* grid = nullptr;
  ASSERT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 3, 5, kObjectStatic, &grid, 0, 255.0f), 0);
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(grid->pointCount, 4);
  ASSERT_EQ(grid->polygonCount, 2);
  ExpectPoint(grid->localPoints[0], -5, 0, -5);
  ExpectPoint(grid->localPoints[1], 5, 0, -5);
  ExpectPoint(grid->localPoints[2], -5, 0, 5);
  ExpectPoint(grid->localPoints[3], 5, 0, 5);
  const ObjectPolygon& first = grid->polygons[0];
  const ObjectPolygon& second = grid->polygons[1];
  EXPECT_EQ(first.kind, kPolyTexturedSmooth);
  EXPECT_EQ(first.material, 3);
  EXPECT_EQ(first.texture, 5);
  // (P0, P1, P2) and (P2, P3, P0), P0 the cell's corner at the lowest x and z, P1 one step on z.
  EXPECT_EQ(first.points[0], 0);
  EXPECT_EQ(first.points[1], 2);
  EXPECT_EQ(first.points[2], 3);
  EXPECT_EQ(second.points[0], 3);
  EXPECT_EQ(second.points[1], 1);
  EXPECT_EQ(second.points[2], 0);
  const float expected[12] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(grid->textureCoords[i], expected[i]) << i;
  // Recalculated: the planes face up, the radius reaches the corners, the grid is static.
  ExpectPoint(grid->planes[0], 0, 1, 0);
  ExpectPoint(grid->planes[1], 0, 1, 0);
  EXPECT_NEAR(grid->radius, std::sqrt(50.0f), 1e-4f);
  EXPECT_NE(grid->renderFlags & kRenderStatic, 0u);
  EXPECT_FLOAT_EQ(grid->gridExtent[0], 10.0f);
  wre_ObjectDispose(grid);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(GridMeshTest, CellSizesThatFloatsCannotHoldLeaveNoHoles) {
  BlockWatch watch;
  for (float size : {0.1f, 0.3f, 1.7f, 33.3f}) {
    EngineObject* grid = nullptr;
    ASSERT_EQ(wre_ObjectNewGrid(3, 2, size, 0, -1, kObjectMesh, &grid, 0, 85.0f), 0);
    EXPECT_EQ(grid->pointCount, 12) << size;
    ASSERT_EQ(grid->polygonCount, 12) << size;
    // Every triangle has three distinct corners, and the triangles cover the whole grid.
    double area = 0.0;
    std::set<std::tuple<int, int, int>> seen;
    for (int i = 0; i < grid->polygonCount; ++i) {
      const ObjectPolygon& p = grid->polygons[i];
      EXPECT_NE(p.points[0], p.points[1]);
      EXPECT_NE(p.points[1], p.points[2]);
      EXPECT_NE(p.points[0], p.points[2]);
      const Point4& a = grid->localPoints[p.points[0]];
      const Point4& b = grid->localPoints[p.points[1]];
      const Point4& c = grid->localPoints[p.points[2]];
      area += 0.5 * std::fabs((b.x - a.x) * (c.z - a.z) - (c.x - a.x) * (b.z - a.z));
      seen.insert({p.points[0], p.points[1], p.points[2]});
    }
    EXPECT_EQ(seen.size(), 12u);
    EXPECT_NEAR(area, 6.0 * size * size, 1e-4 * size * size) << size;
    // Untextured: kind 102, no coordinates.
    EXPECT_EQ(grid->polygons[0].kind, kPolyPlainSmooth);
    EXPECT_EQ(grid->polygons[0].texture, kNoTexture);
    EXPECT_EQ(grid->renderFlags & kRenderStatic, 0u);
    wre_ObjectDispose(grid);
  }
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(GridMeshTest, TextureCoordinatesStepPerCellAndRow) {
  EngineObject* grid = nullptr;
  ASSERT_EQ(wre_ObjectNewGrid(2, 2, 1.0f, 0, 0, kObjectStatic, &grid, 0, 51.0f), 0);
  // Polygon 2 is the first triangle of the second cell of the first row: u starts at e.
  EXPECT_FLOAT_EQ(grid->textureCoords[6 * 2 + 0], 0.2f);
  EXPECT_FLOAT_EQ(grid->textureCoords[6 * 2 + 1], 0.0f);
  // Polygon 4 starts the second row: u is back at 0, v is e.
  EXPECT_FLOAT_EQ(grid->textureCoords[6 * 4 + 0], 0.0f);
  EXPECT_FLOAT_EQ(grid->textureCoords[6 * 4 + 1], 0.2f);
  EXPECT_FLOAT_EQ(grid->textureCoords[6 * 4 + 3], 0.4f);
  wre_ObjectDispose(grid);
}

TEST_F(GridMeshTest, TheSoftwareRendererGetsItsOwnUntexturedKind) {
  UseSoftwareRenderer();
  EngineObject* grid = nullptr;
  ASSERT_EQ(wre_ObjectNewGrid(1, 1, 2.0f, 0, -1, kObjectStatic, &grid, 0, 255.0f), 0);
  EXPECT_EQ(grid->polygons[0].kind, kPolyPlain);
  wre_ObjectDispose(grid);
}

TEST_F(GridMeshTest, ASharedCloneDrawsTheSourcesPoints) {
  BlockWatch watch;
  EngineObject* source = nullptr;
  ASSERT_EQ(wre_ObjectNewGrid(2, 3, 0.7f, 0, 4, kObjectStatic, &source, 0, 255.0f), 0);
  EngineObject* holder = source;
  EngineObject* clone = nullptr;
  ASSERT_EQ(wre_ObjectNewGridShared(2, 3, 0.7f, 1, 4, kObjectStatic, &clone, 0, 255.0f, &holder), 0);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->localPoints, holder->localPoints);
  EXPECT_EQ(clone->pointCount, 12);
  EXPECT_EQ(holder->pointCount, 12);
  EXPECT_EQ(clone->polygonCount, 12);
  EXPECT_EQ(clone->polygons[0].material, 1);
  EXPECT_FLOAT_EQ(holder->textureCoords[2 * 2 + 0], 1.0f);  // the source's coordinates are untouched
  EngineObject* none = nullptr;
  EXPECT_EQ(wre_ObjectNewGridShared(2, 3, 0.7f, 1, 4, kObjectStatic, &none, 0, 255.0f, nullptr), kWreErrNull);
  wre_ObjectDispose(clone);
  wre_ObjectDispose(holder);
  EXPECT_EQ(watch.Left(), 0);
}

}  // namespace
