// The sample mesh shapes through the three model writers and back through the engine's readers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/data/material.h"
#include "engine/data/model_3ds.h"
#include "engine/data/model_c4d.h"
#include "engine/data/model_chunk.h"
#include "tools/datagen/mesh_builder.h"
#include "tools/datagen/model_writer.h"

namespace {

struct Shape {
  std::string name;
  ModelMesh mesh;
  float facing;  // 1 faces outward, -1 inward, 0 open
};

std::vector<Shape> Shapes() {
  return {{"box", MeshBox(2, 3, 4), 1},          {"wedge", MeshWedge(2, 1, 3), 1},
          {"cylinder", MeshCylinder(1, 2, 8), 1}, {"sphere", MeshSphere(2, 6, 8), 1},
          {"disc", MeshDisc(1, 7), 0},            {"arch", MeshArch(6, 4, 1, 1), 0},
          {"plane", MeshPlane(4, 4, 2, 3), 0},    {"sky", MeshSkyCube(100), -1}};
}

class ModelWriters : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    ASSERT_EQ(wre_MathTablesInit(), 0);
    ASSERT_EQ(wre_MaterialTableInit(16), 0);
  }
  void TearDown() override {
    wre_MaterialTableFree();
    wre_MathTablesExit();
  }
  // Every triangle of the object as three points, for comparing with the mesh.
  static void ExpectSameTriangles(const EngineObject* o, const ModelMesh& mesh) {
    ASSERT_EQ(o->polygonCount, static_cast<int32_t>(mesh.triangles.size()));
    for (int32_t i = 0; i < o->polygonCount; ++i) {
      for (int k = 0; k < 3; ++k) {
        const Point4& p = o->localPoints[o->polygons[i].points[k]];
        const auto& q = mesh.points[static_cast<size_t>(mesh.triangles[static_cast<size_t>(i)][static_cast<size_t>(k)])];
        ASSERT_NEAR(p.x, q[0], 1e-4);
        ASSERT_NEAR(p.y, q[1], 1e-4);
        ASSERT_NEAR(p.z, q[2], 1e-4);
      }
    }
  }
  // Each plane's normal points away from (or, inward, towards) the middle of a closed shape.
  static void ExpectFacing(const EngineObject* o, float facing) {
    if (facing == 0.0f) return;
    float centre[3] = {0, 0, 0};
    for (int32_t i = 0; i < o->pointCount; ++i) {
      centre[0] += o->localPoints[i].x / static_cast<float>(o->pointCount);
      centre[1] += o->localPoints[i].y / static_cast<float>(o->pointCount);
      centre[2] += o->localPoints[i].z / static_cast<float>(o->pointCount);
    }
    for (int32_t i = 0; i < o->polygonCount; ++i) {
      const Point4& n = o->planes[i];
      const float side = n.x * centre[0] + n.y * centre[1] + n.z * centre[2] + n.w;
      EXPECT_LT(side * facing, 0.0f) << "polygon " << i;
    }
  }
};

TEST_F(ModelWriters, EveryShapeRoundTripsThroughTheChunkFormat) {
  for (const Shape& shape : Shapes()) {
    SCOPED_TRACE(shape.name);
    ChunkObjectDef def;
    def.mesh = shape.mesh;
    const std::vector<uint8_t> file = ChunkWriteObject(def);
    EngineObject* o = wre_ObjectIOBinaryRead(file.data(), static_cast<int32_t>(file.size()), nullptr, 0);
    ASSERT_NE(o, nullptr);
    ExpectSameTriangles(o, shape.mesh);
    ExpectFacing(o, shape.facing);
    for (size_t i = 0; i < shape.mesh.triangles.size(); ++i) {
      const auto& uv = shape.mesh.uvs[static_cast<size_t>(shape.mesh.triangles[i][1])];
      EXPECT_NEAR(o->textureCoords[6 * i + 2], uv[0], 1e-6);
      EXPECT_NEAR(o->textureCoords[6 * i + 3], uv[1], 1e-6);
    }
    wre_ObjectDispose(o);
  }
}

TEST_F(ModelWriters, EveryShapeRoundTripsThroughC4DAnd3DS) {
  for (const Shape& shape : Shapes()) {
    SCOPED_TRACE(shape.name);
    C4DSceneDef scene;
    C4DMaterialDef material;
    material.texture = "x.bmp";
    scene.materials = {material};
    C4DNodeDef node;
    node.mesh = shape.mesh;
    node.material = 1;
    scene.nodes = {node};
    const std::vector<uint8_t> c4d = C4DWriteScene(scene);
    EngineObject* o = wre_ObjectIOC4DImport(c4d.data(), static_cast<int32_t>(c4d.size()), kC4DWholeScene);
    ASSERT_NE(o, nullptr);
    ExpectSameTriangles(o, shape.mesh);
    ExpectFacing(o, shape.facing);
    // v is measured from the image's bottom again.
    const auto& uv = shape.mesh.uvs[static_cast<size_t>(shape.mesh.triangles[0][0])];
    EXPECT_NEAR(o->textureCoords[0], uv[0], 1e-5);
    EXPECT_NEAR(o->textureCoords[1], uv[1], 1e-5);
    wre_ObjectDispose(o);

    TdsSceneDef tds;
    TdsObjectDef object;
    object.mesh = shape.mesh;
    tds.objects = {object};
    const std::vector<uint8_t> file = TdsWriteScene(tds);
    o = wre_ObjectIO3DSImport(file.data(), static_cast<int32_t>(file.size()), 0, 0);
    ASSERT_NE(o, nullptr);
    ExpectSameTriangles(o, shape.mesh);
    ExpectFacing(o, shape.facing);
    EXPECT_NEAR(o->textureCoords[0], uv[0], 1e-5);
    EXPECT_NEAR(o->textureCoords[1], uv[1], 1e-5);
    wre_ObjectDispose(o);
  }
}

}  // namespace
