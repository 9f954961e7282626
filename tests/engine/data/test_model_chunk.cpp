// The engine's chunk model format: hand-made bytes, generator output and malformed files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/data/model.h"
#include "engine/data/model_chunk.h"
#include "model_test_support.h"
#include "tools/datagen/model_writer.h"

namespace {

using model_test::ByteWriter;
using model_test::ExpectPoint;
using Bytes = std::vector<uint8_t>;

ChunkUserDataDef Value(int32_t kind, int32_t value) {
  ChunkUserDataDef u;
  u.kind = kind;
  u.value = value;
  return u;
}

class ChunkModel : public model_test::ModelTest {
 protected:
  static EngineObject* Read(const Bytes& file, const uint8_t** next = nullptr, uint32_t flags = 0) {
    return wre_ObjectIOBinaryRead(file.data(), static_cast<int32_t>(file.size()), next, flags);
  }
  // A textured box with two materials of equal colours, two textures and a user value.
  static ChunkObjectDef Box() {
    ChunkObjectDef o;
    o.mesh = MeshBox(2, 4, 6);
    o.position = {10, 20, 30};
    o.angles = {0, 512, 0};
    o.textures = {{0, "grass.bmp"}, {3, "ROCK.BMP"}};
    o.materials = {{0, "red", "R1", 0.5f, {1, 0, 0, 1}, {0, 0, 0, 1}}, {1, "red again", "R2", 0.5f, {1, 0, 0, 1}, {0, 0, 0, 1}}};
    for (size_t i = 0; i < o.mesh.triangles.size(); ++i) {
      o.triangleTexture.push_back(i % 3 == 0 ? 0 : (i % 3 == 1 ? 3 : -1));
      o.triangleMaterial.push_back(static_cast<int32_t>(i % 2));
    }
    o.userData = {Value(1, 7)};
    return o;
  }
};

// One triangle written byte by byte.
Bytes OneTriangle() {
  ByteWriter w;
  w.Be32(0x3D3D3D3D).Be32(884);
  w.Be32(0xF001).Be32(96).Be32(100).Be32(0).Be32(0).Be32(0).Be32(1).Be32(0).Be32(0).Be32(3).Be32(1);
  w.Be32(0).BeFloat(0.0f).Be32(0).Zero(16).BeFloat(1).BeFloat(2).BeFloat(3).Be32(0).Be32(1024).Be32(0);
  w.Be32(0xA001).Be32(60).Be32(3);
  w.BeFloat(0).BeFloat(0).BeFloat(0).BeFloat(9).BeFloat(10).BeFloat(0).BeFloat(0).BeFloat(9);
  w.BeFloat(0).BeFloat(10).BeFloat(0).BeFloat(9);
  w.Be32(0xB001).Be32(40).Be32(1).Be32(202).Be32(0).Be32(0).Be32(1).Be32(2).Be32(0).Be32(0);
  w.Be32(0xC001).Be32(36).Be32(3).BeFloat(0).BeFloat(0).BeFloat(255).BeFloat(0).BeFloat(0).BeFloat(255);
  w.Be32(0xD001).Be32(272).Be32(1).Be32(0).Text("grass.bmp", 256);
  w.Be32(0xD002).Be32(344).Be32(1).Be32(0).Text("mat", 256).Text("id", 32).BeFloat(1.0f).Be32(0);
  w.BeFloat(1).BeFloat(0).BeFloat(0).BeFloat(1).BeFloat(0).BeFloat(0).BeFloat(0).BeFloat(1);
  w.Be32(0xA0000).Be32(20).Be32(1).Be32(0).Be32(7);
  w.Be32(0xDEADBEEF).Be32(8);
  return w.bytes;
}

TEST_F(ChunkModel, AHandMadeTriangleReadsCompletely) {
  model_test::gTextures["GRASS.BMP"] = 5;
  const Bytes file = OneTriangle();
  ASSERT_EQ(file.size(), 884u);
  ASSERT_TRUE(wre_ObjectIOBinaryCheck(file.data(), 884));
  const uint8_t* next = nullptr;
  EngineObject* o = Read(file, &next);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(next, file.data() + file.size());
  EXPECT_EQ(o->kind, 100);
  EXPECT_EQ(o->pointCount, 3);
  ExpectPoint(o->localPoints[1], 10, 0, 0);
  EXPECT_EQ(o->localPoints[1].w, 0.0f);
  ASSERT_EQ(o->polygonCount, 1);
  EXPECT_EQ(o->polygons[0].kind, 202);
  EXPECT_EQ(o->polygons[0].texture, 5);
  EXPECT_FLOAT_EQ(o->textureCoords[2], 1.0f);
  EXPECT_FLOAT_EQ(o->textureCoords[5], 1.0f);
  const int32_t material = o->polygons[0].material;
  ASSERT_TRUE(gMaterialTable[material].inUse);
  EXPECT_STREQ(gMaterialTable[material].name, "mat");
  EXPECT_STREQ(gMaterialTable[material].ident, "id");
  EXPECT_FLOAT_EQ(gMaterialTable[material].colourA.red, gColourMax);
  EXPECT_EQ(wre_ObjectGetUserValue(o), 7);
  EXPECT_EQ(o->transform.angleY, 1024);
  EXPECT_FLOAT_EQ(o->transform.position[2], 3.0f);
  EXPECT_TRUE(o->status & kStatusActive);
  EXPECT_GT(o->radius, 9.9f);
  wre_ObjectDispose(o);
}

TEST_F(ChunkModel, GeneratorOutputRoundTripsWithSharedMaterialsAndTexturesByName) {
  model_test::gTextures["GRASS.BMP"] = 4;
  const ChunkObjectDef def = Box();
  EngineObject* o = Read(ChunkWriteObject(def));
  ASSERT_NE(o, nullptr);
  ASSERT_EQ(o->pointCount, static_cast<int32_t>(def.mesh.points.size()));
  for (size_t i = 0; i < def.mesh.points.size(); ++i) {
    ExpectPoint(o->localPoints[i], def.mesh.points[i][0], def.mesh.points[i][1], def.mesh.points[i][2]);
  }
  ASSERT_EQ(o->polygonCount, static_cast<int32_t>(def.mesh.triangles.size()));
  const int32_t shared = o->polygons[0].material;
  EXPECT_EQ(MaterialsInUse(), 1);  // equal colours and response: one engine material
  for (int32_t i = 0; i < o->polygonCount; ++i) {
    const ObjectPolygon& p = o->polygons[i];
    EXPECT_EQ(p.material, shared);
    // Loaded "grass.bmp" maps to its index; "ROCK.BMP" is not loaded and maps to 0; -1 stays untextured.
    EXPECT_EQ(p.texture, i % 3 == 0 ? 4 : (i % 3 == 1 ? 0 : kNoTexture));
    for (int k = 0; k < 3; ++k) {
      const auto& uv = def.mesh.uvs[static_cast<size_t>(def.mesh.triangles[i][k])];
      EXPECT_NEAR(o->textureCoords[6 * i + 2 * k], uv[0], 1e-6);
      EXPECT_NEAR(o->textureCoords[6 * i + 2 * k + 1], uv[1], 1e-6);
    }
  }
  EXPECT_FLOAT_EQ(gMaterialTable[shared].ambientResponse, 0.5f);
  EXPECT_EQ(wre_ObjectGetUserValue(o), 7);
  wre_ObjectDispose(o);
}

TEST_F(ChunkModel, FlagBitZeroGivesMaterialZeroAndMakesNone) {
  EngineObject* o = Read(ChunkWriteObject(Box()), nullptr, kChunkReadIgnoreMaterials);
  ASSERT_NE(o, nullptr);
  for (int32_t i = 0; i < o->polygonCount; ++i) EXPECT_EQ(o->polygons[i].material, 0);
  EXPECT_EQ(MaterialsInUse(), 0);
  wre_ObjectDispose(o);
}

TEST_F(ChunkModel, MaterialMinusOneStaysInvalidAndUnlistedNumbersMapToZero) {
  ChunkObjectDef def = Box();
  def.triangleMaterial.assign(def.mesh.triangles.size(), 1);
  def.triangleMaterial[0] = -1;
  def.triangleMaterial[1] = 9;  // not listed
  def.triangleTexture.assign(def.mesh.triangles.size(), 0);
  def.triangleTexture[2] = 77;  // not listed
  EngineObject* o = Read(ChunkWriteObject(def));
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->polygons[0].material, 0xFFFF);
  EXPECT_EQ(o->polygons[1].material, 0);
  EXPECT_EQ(o->polygons[2].texture, 0);
  wre_ObjectDispose(o);
}

TEST_F(ChunkModel, ObjectsBackToBackGiveTheirNextPositions) {
  ChunkObjectDef a = Box();
  ChunkObjectDef b;
  b.mesh = MeshWedge(1, 1, 1);
  b.collidable = 0;
  const Bytes file = ChunkWriteFile({a, b}, 40);
  const uint8_t* next = nullptr;
  EngineObject* first = Read(file, &next);
  ASSERT_NE(first, nullptr);
  const auto firstSize = static_cast<size_t>(next - file.data());
  EXPECT_EQ(firstSize, ChunkWriteObject(a).size());
  EngineObject* second =
      wre_ObjectIOBinaryRead(next, static_cast<int32_t>(file.size() - firstSize), &next, 0);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->pointCount, static_cast<int32_t>(b.mesh.points.size()));
  EXPECT_FALSE(second->status & kStatusActive);
  EXPECT_EQ(static_cast<size_t>(file.data() + file.size() - next), 40u);
  wre_ObjectDispose(first);
  wre_ObjectDispose(second);
}

TEST_F(ChunkModel, GivenArraysAreKeptAndMissingOnesComputed) {
  ChunkObjectDef def;
  def.mesh = MeshBox(2, 2, 2);
  def.position = {100, 0, 0};
  EngineObject* computed = Read(ChunkWriteObject(def));
  ASSERT_NE(computed, nullptr);
  EXPECT_NEAR(computed->worldPoints[0].x, def.mesh.points[0][0] + 100, 1e-4);
  EXPECT_NEAR(computed->radius, std::sqrt(3.0f), 1e-4);
  const Point4 computedPlane = computed->planes[0];

  def.writeWorldPoints = true;
  def.position = {0, 0, 0};  // world points written as local ones, unlike what a recompute gives
  def.mesh.points[0][0] += 0;
  def.planes.assign(def.mesh.triangles.size(), {0, 0, 0, 42});
  def.radius = 99.0f;
  ChunkObjectDef moved = def;
  moved.position = {0, 0, 0};
  Bytes file = ChunkWriteObject(moved);
  EngineObject* given = Read(file);
  ASSERT_NE(given, nullptr);
  EXPECT_FLOAT_EQ(given->radius, 99.0f);
  EXPECT_FLOAT_EQ(given->planes[0].w, 42.0f);
  EXPECT_NE(computedPlane.w, 42.0f);
  wre_ObjectDispose(computed);
  wre_ObjectDispose(given);
}

TEST_F(ChunkModel, UserDataRecordsComeOutInReverseFileOrder) {
  ChunkObjectDef def;
  def.mesh = MeshDisc(1, 6);
  ChunkUserDataDef text;
  text.kind = 1994;
  text.blockA = "ab";
  text.textB = "12";
  def.userData = {Value(1, 1), text, Value(1, 3), Value(5, 0)};  // kind 5 is not supported: nothing is added
  Watch();
  EngineObject* o = Read(ChunkWriteObject(def));
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(UserValues(o), (std::vector<int32_t>{3, -1994, 1}));
  const auto* body = static_cast<const UserDataBody*>(o->userData->next->body);
  ASSERT_NE(body->dataA, nullptr);
  EXPECT_EQ(body->dataA->size, 2);
  EXPECT_STREQ(body->textB, "12");
  wre_ObjectDispose(o);
  EXPECT_EQ(Leaks(), 0);
}

TEST_F(ChunkModel, UnknownChunksAreSkippedAndTheAlternativeEndWorks) {
  ChunkObjectDef def;
  def.mesh = MeshPlane(4, 4, 1, 1);
  def.endId = 0xFFFFFFFFu;
  Bytes file = ChunkWriteObject(def);
  // An unknown chunk of 12 bytes in front of the end chunk.
  const Bytes unknown = {0, 0, 0x77, 0x77, 0, 0, 0, 12, 1, 2, 3, 4};
  file.insert(file.end() - 8, unknown.begin(), unknown.end());
  const uint32_t length = static_cast<uint32_t>(file.size());
  file[4] = static_cast<uint8_t>(length >> 24);
  file[5] = static_cast<uint8_t>(length >> 16);
  file[6] = static_cast<uint8_t>(length >> 8);
  file[7] = static_cast<uint8_t>(length);
  EngineObject* o = Read(file);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->polygonCount, 2);
  wre_ObjectDispose(o);
}

// Overwrites the big-endian word at offset.
void Poke(Bytes& file, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) file[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

TEST_F(ChunkModel, MalformedFilesAreRefusedWithoutLeaks) {
  const Bytes good = OneTriangle();
  struct Case {
    const char* what;
    size_t offset;
    uint32_t value;
  };
  const Case cases[] = {
      {"object length below the smallest object", 4, 0},
      {"object length 7", 4, 7},
      {"object length past the data", 4, 885},
      {"chunk length below its header", 104 + 4, 4},
      {"chunk length past the object", 104 + 4, 2000},
      {"points count above the chunk", 104 + 8, 4},
      {"polygon count above the chunk", 164 + 8, 2},
      {"coordinate count above the capacity", 204 + 8, 0x40000000},
      {"points above the point capacity", 8 + 36, 2},
      {"a point index outside the points", 164 + 12 + 12, 3},
      {"a negative point index", 164 + 12 + 8, 0xFFFFFFFF},
      {"a polygon kind the engine does not draw", 164 + 12, 7},
      {"negative count", 104 + 8, 0xFFFFFFFF},
      {"point capacity zero", 8 + 36, 0},
      {"point capacity above 16-bit indices", 8 + 36, 70000},
      {"polygon capacity negative", 8 + 40, 0x80000000},
      {"a second object chunk inside", 104, 0x3D3D3D3D},
      {"end chunk missing", 876, 0x12345678},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes file = good;
    Poke(file, c.offset, c.value);
    Watch();
    EngineObject* o = Read(file);
    EXPECT_EQ(o, nullptr);
    if (o) wre_ObjectDispose(o);
    EXPECT_EQ(Leaks(), 0);
  }
  // More polygons or coordinates than the header's capacities.
  ChunkObjectDef small;
  small.mesh = MeshBox(1, 1, 1);
  small.polygonCapacity = static_cast<int32_t>(small.mesh.triangles.size()) - 1;
  EXPECT_EQ(Read(ChunkWriteObject(small)), nullptr);
  // A texture name and a material ident without a terminator.
  Bytes name = good;
  std::memset(&name[240 + 16], 'x', 256);
  EXPECT_EQ(Read(name), nullptr);
  Bytes ident = good;
  std::memset(&ident[512 + 16 + 256], 'y', 32);
  EXPECT_EQ(Read(ident), nullptr);
  // Cut short anywhere: never an object, never a read past the end.
  for (size_t size = 0; size < good.size(); size += 7) {
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(wre_ObjectIOBinaryRead(cut.data(), static_cast<int32_t>(size), nullptr, 0), nullptr);
  }
}

TEST_F(ChunkModel, FillingChunksBeforeTheHeaderAreSkipped) {
  // Moving the points chunk in front of the header: the object has no points.
  Bytes file = OneTriangle();
  Bytes points(file.begin() + 104, file.begin() + 164);
  file.erase(file.begin() + 104, file.begin() + 164);
  file.insert(file.begin() + 8, points.begin(), points.end());
  EngineObject* o = Read(file);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->pointCount, 0);
  wre_ObjectDispose(o);
  EXPECT_FALSE(wre_ObjectIOBinaryCheck(nullptr, 10));
  EXPECT_FALSE(wre_ObjectIOBinaryCheck(file.data(), 7));
}

}  // namespace
