// 3DS import: hand-made bytes, generator scenes, materials, keyframer placement and bad files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/maths.h"
#include "engine/data/model_3ds.h"
#include "model_test_support.h"
#include "tools/datagen/model_writer.h"

namespace {

using model_test::ByteWriter;
using model_test::ExpectPoint;
using Bytes = std::vector<uint8_t>;

class TdsModel : public model_test::ModelTest {
 protected:
  static EngineObject* Import(const Bytes& file, uint8_t makeMissing = 0) {
    return wre_ObjectIO3DSImport(file.data(), static_cast<int32_t>(file.size()), 0, makeMissing);
  }
};

// [u16 id][u32 length with the header] body, little-endian.
Bytes Chunk(uint16_t id, const Bytes& body) {
  ByteWriter w;
  w.Le16(id).Le32(static_cast<uint32_t>(body.size() + 6));
  w.bytes.insert(w.bytes.end(), body.begin(), body.end());
  return w.bytes;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// One textured triangle: material "mat1" with map "tex.bmp", object "box" with points (1, 2, 3),
// (4, 5, 6), (7, 8, 9), coordinates (0, 0), (1, 0), (0, 1) and the face (0, 1, 2) in "mat1".
Bytes OneTriangle() {
  const Bytes material =
      Chunk(0xAFFF, Cat({Chunk(0xA000, ByteWriter().Text("mat1").bytes),
                         Chunk(0xA200, Chunk(0xA300, ByteWriter().Text("tex.bmp").bytes))}));
  ByteWriter vertices;
  vertices.Le16(3);
  for (float f : {1.f, 2.f, 3.f, 4.f, 5.f, 6.f, 7.f, 8.f, 9.f}) vertices.LeFloat(f);
  ByteWriter mapping;
  mapping.Le16(3);
  for (float f : {0.f, 0.f, 1.f, 0.f, 0.f, 1.f}) mapping.LeFloat(f);
  ByteWriter faces;
  faces.Le16(1).Le16(0).Le16(1).Le16(2).Le16(0);
  const Bytes group = Chunk(0x4130, ByteWriter().Text("mat1").Le16(1).Le16(0).bytes);
  faces.bytes.insert(faces.bytes.end(), group.begin(), group.end());
  const Bytes mesh =
      Chunk(0x4100, Cat({Chunk(0x4110, vertices.bytes), Chunk(0x4140, mapping.bytes), Chunk(0x4120, faces.bytes)}));
  const Bytes object = Chunk(0x4000, Cat({ByteWriter().Text("box").bytes, mesh}));
  return Chunk(0x4D4D, Cat({Chunk(0x0002, ByteWriter().Le32(3).bytes), Chunk(0x3D3D, Cat({material, object}))}));
}

TEST_F(TdsModel, AHandMadeTriangleTurnsIntoTheEngineAxes) {
  model_test::gTextures["TEX.BMP"] = 9;
  const Bytes file = OneTriangle();
  ASSERT_TRUE(wre_ObjectIO3DSCheck(file.data(), static_cast<int32_t>(file.size())));
  EngineObject* o = Import(file);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->kind, 100);
  ASSERT_EQ(o->pointCount, 3);
  ExpectPoint(o->localPoints[0], -1, 3, -2);
  ExpectPoint(o->localPoints[2], -7, 9, -8);
  ASSERT_EQ(o->polygonCount, 1);
  const ObjectPolygon& p = o->polygons[0];
  EXPECT_EQ(p.kind, 202);
  EXPECT_EQ(p.points[0], 2);
  EXPECT_EQ(p.points[1], 1);
  EXPECT_EQ(p.points[2], 0);
  EXPECT_EQ(p.texture, 9);
  // Corner 0 is vertex 2 with (0, 1).
  EXPECT_FLOAT_EQ(o->textureCoords[0], 0.0f);
  EXPECT_FLOAT_EQ(o->textureCoords[1], 1.0f);
  EXPECT_FLOAT_EQ(o->textureCoords[2], 1.0f);
  EXPECT_GT(o->radius, 0.0f);
  wre_ObjectDispose(o);
}

TEST_F(TdsModel, GeneratorMeshesComeBackAsWritten) {
  TdsSceneDef scene;
  TdsObjectDef a;
  a.mesh = MeshCylinder(1, 2, 6);
  TdsObjectDef b;
  b.name = "arch";
  b.mesh = MeshArch(4, 3, 1, 0.5f);
  scene.objects = {a, b};
  EngineObject* o = Import(TdsWriteScene(scene));
  ASSERT_NE(o, nullptr);
  const auto aPoints = static_cast<int32_t>(a.mesh.points.size());
  ASSERT_EQ(o->pointCount, aPoints + static_cast<int32_t>(b.mesh.points.size()));
  ASSERT_EQ(o->polygonCount, static_cast<int32_t>(a.mesh.triangles.size() + b.mesh.triangles.size()));
  for (size_t i = 0; i < b.mesh.points.size(); ++i) {
    const auto& p = b.mesh.points[i];
    ExpectPoint(o->localPoints[aPoints + static_cast<int32_t>(i)], p[0], p[1], p[2]);
  }
  for (size_t i = 0; i < b.mesh.triangles.size(); ++i) {
    const ObjectPolygon& polygon = o->polygons[a.mesh.triangles.size() + i];
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(polygon.points[k], b.mesh.triangles[i][static_cast<size_t>(k)] + aPoints);
      const auto& uv = b.mesh.uvs[static_cast<size_t>(b.mesh.triangles[i][static_cast<size_t>(k)])];
      EXPECT_NEAR(o->textureCoords[6 * (a.mesh.triangles.size() + i) + 2 * static_cast<size_t>(k)], uv[0], 1e-6);
    }
  }
  wre_ObjectDispose(o);
}

TEST_F(TdsModel, FacesOfALaterMeshAreOffsetByItsFirstVertex) {
  TdsSceneDef scene;
  TdsObjectDef four;
  four.mesh = MeshPlane(1, 1, 1, 1);  // 4 points
  TdsObjectDef three;
  three.mesh.points = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  three.mesh.uvs = {{0, 0}, {1, 0}, {0, 1}};
  three.mesh.triangles = {{2, 1, 0}};  // written as the file face (0, 1, 2)
  scene.objects = {four, three};
  EngineObject* o = Import(TdsWriteScene(scene));
  ASSERT_NE(o, nullptr);
  const ObjectPolygon& p = o->polygons[2];
  EXPECT_EQ(p.points[0], 6);
  EXPECT_EQ(p.points[1], 5);
  EXPECT_EQ(p.points[2], 4);
  wre_ObjectDispose(o);
}

TEST_F(TdsModel, MaterialGroupsSetTexturesAndTurnCoordinates) {
  model_test::gTextures["A.BMP"] = 2;
  TdsSceneDef scene;
  TdsMaterialDef turned90{"m90", "a.bmp", true, 90.0f};
  TdsMaterialDef turned180{"m180", "a.bmp", true, 180.0f};
  TdsMaterialDef unloaded{"m0", "b.bmp", false, 0.0f};
  scene.materials = {turned90, turned180, unloaded};
  ModelMesh tri;
  tri.points = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  tri.uvs = {{0.25f, 0.0f}, {1.0f, 0.5f}, {0.0f, 1.0f}};
  tri.triangles = {{0, 1, 2}};
  for (const char* name : {"m90", "m180", "m0", "none"}) {
    TdsObjectDef o;
    o.mesh = tri;
    o.material = name;
    scene.objects.push_back(o);
  }
  EngineObject* o = Import(TdsWriteScene(scene));
  ASSERT_NE(o, nullptr);
  ASSERT_EQ(o->polygonCount, 4);
  EXPECT_EQ(o->polygons[0].texture, 2);
  EXPECT_EQ(o->polygons[2].texture, 0);  // map not loaded
  EXPECT_EQ(o->polygons[3].texture, 0);  // no such material
  // Corner 0 of each polygon is (0.25, 0): 90 gives (v, 1 - u), 180 gives (1 - u, 1 - v).
  EXPECT_FLOAT_EQ(o->textureCoords[0], 0.0f);
  EXPECT_FLOAT_EQ(o->textureCoords[1], 0.75f);
  EXPECT_FLOAT_EQ(o->textureCoords[6], 0.75f);
  EXPECT_FLOAT_EQ(o->textureCoords[7], 1.0f);
  EXPECT_FLOAT_EQ(o->textureCoords[12], 0.25f);
  EXPECT_FLOAT_EQ(o->textureCoords[13], 0.0f);
  wre_ObjectDispose(o);

  o = Import(TdsWriteScene(scene), 1);  // the map that is not loaded gets a texture record
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->polygons[2].texture, 1);
  wre_ObjectDispose(o);
  model_test::gRefuseCreate = true;
  model_test::gTextures.erase("B.BMP");
  EXPECT_EQ(Import(TdsWriteScene(scene), 1), nullptr);
}

TEST_F(TdsModel, TheKeyframerPlacesEachNamedObject) {
  TdsSceneDef scene;
  scene.keyframer = true;
  TdsObjectDef still;
  still.mesh.points = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  still.mesh.uvs = {{0, 0}, {1, 0}, {0, 1}};
  still.mesh.triangles = {{0, 1, 2}};
  TdsObjectDef moved = still;
  moved.name = "moved";
  moved.position = {10, 20, 30};
  moved.scale = {2, 3, 4};
  moved.pivot = {1, 1, 1};
  TdsObjectDef turned = still;
  turned.name = "turned";
  turned.rotation = {static_cast<float>(M_PI / 2), 0, 0, 1};
  scene.objects = {still, moved, turned};
  EngineObject* o = Import(TdsWriteScene(scene));
  ASSERT_NE(o, nullptr);
  ASSERT_EQ(o->pointCount, 9);
  ExpectPoint(o->localPoints[0], 1, 0, 0);
  // Engine point (1, 0, 0) is file (-1, 0, 0): 2 (-1 - 1) + 10, 3 (0 - 1) + 20, 4 (0 - 1) + 30
  // = (6, 17, 26), back in the engine's axes (-6, 26, -17).
  ExpectPoint(o->localPoints[3], -6, 26, -17);
  // The turn about the file's z axis is the engine's turn about y.
  float r[16];
  wre_MatrixRotationAxis(0, 0, 1, static_cast<float>(M_PI / 2), r);
  const Point4 file{-1, 0, 0, 0};
  Point4 out;
  wre_MatrixTransformPoint(r, &file, &out);
  ExpectPoint(o->localPoints[6], -out.x, out.z, -out.y);
  EXPECT_NEAR(std::fabs(o->localPoints[6].z), 1.0f, 1e-5);
  wre_ObjectDispose(o);
}

TEST_F(TdsModel, TheMeshMatrixIsUndone) {
  // Points written in a frame moved by (5, 0, 0) with axes X = (0, 1, 0), Y = (-1, 0, 0).
  ByteWriter vertices;
  vertices.Le16(3);
  for (float f : {5.f, 1.f, 0.f, 5.f, 0.f, 0.f, 4.f, 0.f, 0.f}) vertices.LeFloat(f);
  ByteWriter matrix;
  for (float f : {0.f, 1.f, 0.f, -1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 5.f, 0.f, 0.f}) matrix.LeFloat(f);
  ByteWriter faces;
  faces.Le16(1).Le16(0).Le16(1).Le16(2).Le16(0);
  const Bytes mesh = Chunk(0x4100, Cat({Chunk(0x4110, vertices.bytes), Chunk(0x4160, matrix.bytes),
                                        Chunk(0x4120, faces.bytes)}));
  const Bytes file =
      Chunk(0x4D4D, Chunk(0x3D3D, Chunk(0x4000, Cat({ByteWriter().Text("m").bytes, mesh}))));
  EngineObject* o = Import(file);
  ASSERT_NE(o, nullptr);
  // File (5, 1, 0) is (1, 0, 0) in the mesh frame; the engine's axes make it (-1, 0, 0).
  ExpectPoint(o->localPoints[0], -1, 0, 0);
  ExpectPoint(o->localPoints[2], 0, 0, -1);
  wre_ObjectDispose(o);
}

TEST_F(TdsModel, BadFilesGiveNullWithoutLeaks) {
  Watch();
  // Vertices but no faces.
  ByteWriter vertices;
  vertices.Le16(1).LeFloat(1).LeFloat(2).LeFloat(3);
  EXPECT_EQ(Import(Chunk(0x4D4D, Chunk(0x4100, Chunk(0x4110, vertices.bytes)))), nullptr);
  // A face index at the vertex total: null, not the end of the program.
  Bytes file = OneTriangle();
  Bytes bad = file;
  const Bytes face = {1, 0, 0, 0, 1, 0, 2, 0};  // one face (0, 1, 2) ...
  auto at = std::search(bad.begin(), bad.end(), face.begin(), face.end());
  ASSERT_NE(at, bad.end());
  at[2] = 3;  // ... becomes (3, 1, 2)
  EXPECT_EQ(Import(bad), nullptr);
  // Out-of-range face numbers in a material group are passed over.
  Bytes group = file;
  const Bytes tail = {'m', 'a', 't', '1', 0, 1, 0, 0, 0};
  auto g = std::search(group.begin(), group.end(), tail.begin(), tail.end());
  ASSERT_NE(g, group.end());
  g[7] = 40;
  EngineObject* o = Import(group);
  ASSERT_NE(o, nullptr);
  wre_ObjectDispose(o);
  // Cut anywhere and every byte spoiled: never a crash, never a leak.
  for (size_t size = 0; size <= file.size(); ++size) {
    EngineObject* cut = wre_ObjectIO3DSImport(file.data(), static_cast<int32_t>(size), 1, 0);
    if (cut) wre_ObjectDispose(cut);
  }
  for (size_t i = 0; i < file.size(); ++i) {
    Bytes spoiled = file;
    spoiled[i] ^= 0xA5;
    EngineObject* s = Import(spoiled);
    if (s) wre_ObjectDispose(s);
  }
  EXPECT_EQ(Leaks(), 0);
  EXPECT_FALSE(wre_ObjectIO3DSCheck(file.data(), 1));
}

}  // namespace
