// C4D import: generator scenes in every output mode, materials, hierarchy rules and bad files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/data/model_c4d.h"
#include "model_test_support.h"
#include "tools/datagen/model_writer.h"

namespace {

using model_test::ByteWriter;
using model_test::ExpectPoint;
using Bytes = std::vector<uint8_t>;

class C4DModel : public model_test::ModelTest {
 protected:
  static EngineObject* Import(const Bytes& file, uint32_t flags) {
    return wre_ObjectIOC4DImport(file.data(), static_cast<int32_t>(file.size()), flags);
  }
  static int32_t ChainLength(EngineObject* head) {
    int32_t n = 0;
    for (; head; head = head->next) ++n;
    return n;
  }
  static void DisposeChain(EngineObject* head) {
    while (head) {
      EngineObject* next = head->next;
      head->next = head->prev = nullptr;
      wre_ObjectDispose(head);
      head = next;
    }
  }
  static C4DNodeDef Node(uint32_t level, ModelMesh mesh, std::array<float, 3> position = {0, 0, 0}) {
    C4DNodeDef n;
    n.level = level;
    n.mesh = std::move(mesh);
    n.position = position;
    return n;
  }
};

// One triangle with one textured material, written byte by byte.
Bytes OneTriangle() {
  ByteWriter w;
  w.Text("MC50", 4).Be32(0).Text("DOK5", 4).Be32(5300);
  // Material: name "m" and channel 0 on; colour (1, 0.5, 0) brightness 1, texture "t.bmp".
  w.Be32(5703).Be32(15 + 8 + 23 + 8 + 8);
  w.Be32(5704).Be32(15).Be32(0x00016D01).Zero(11);  // length 1, "m", channel 0 on, 11 more channels
  w.Be32(5900).Be32(23).BeFloat(1).BeFloat(0.5f).BeFloat(0).BeFloat(1).Be32(0x0005742E).Text("bmp").bytes.pop_back();
  w.Be32(0).Be32(0);
  // Object list: a node, its points, coordinates and one triangle.
  const uint32_t node = 8 + 48 + 36 + 2 + 1;
  w.Be32(5020).Be32(8 + node + 8 + 44 + 8 + 34 + 8 + 14 + 8);
  w.Be32(5021).Be32(node).Be32(0).Be32(0);
  for (float f : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f}) w.BeFloat(f);
  for (float f : {0.f, 0.f, 0.f, 1.f, 1.f, 1.f, 0.f, 0.f, 0.f}) w.BeFloat(f);
  w.Be32(0x00016E00).bytes.resize(w.bytes.size() - 1);  // name: length 1, "n"
  w.Be32(5600).Be32(44).Be32(3).Be32(0);
  for (float f : {0.f, 0.f, 0.f, 4.f, 0.f, 0.f, 0.f, 4.f, 0.f}) w.BeFloat(f);
  w.Be32(5618).Be32(34).Be32(3).Be32(0).Zero(2);
  for (float f : {0.f, 1.f, 1.f, 1.f, 0.f, 0.f}) w.BeFloat(f);
  w.Be32(5601).Be32(14).Be32(1).Be32(0).Zero(1);
  w.bytes.push_back(0);
  w.bytes.insert(w.bytes.end(), {0, 1, 0, 2});
  w.Be32(0).Be32(0);
  w.Be32(0).Be32(0);
  return w.bytes;
}

TEST_F(C4DModel, AHandMadeTriangleReads) {
  model_test::gTextures["T.BMP"] = 6;
  const Bytes file = OneTriangle();
  ASSERT_TRUE(wre_ObjectIOC4DCheck(file.data(), static_cast<int32_t>(file.size())));
  EngineObject* o = Import(file, kC4DWholeScene);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->next, nullptr);
  ASSERT_EQ(o->pointCount, 3);
  ASSERT_EQ(o->polygonCount, 1);
  const ObjectPolygon& p = o->polygons[0];
  EXPECT_EQ(p.kind, 202);
  EXPECT_EQ(p.texture, 6);
  // (u, v) = (0, 1) at the top of the image becomes (0, 0); (1, 1) becomes (1, 0).
  EXPECT_FLOAT_EQ(o->textureCoords[1], 0.0f);
  EXPECT_FLOAT_EQ(o->textureCoords[2], 1.0f);
  EXPECT_FLOAT_EQ(o->textureCoords[5], 1.0f);
  const Material& m = gMaterialTable[p.material];
  EXPECT_STREQ(m.name, "m");
  EXPECT_FLOAT_EQ(m.colourA.red, gColourMax);
  EXPECT_FLOAT_EQ(m.colourA.green, 0.5f * gColourMax);
  wre_ObjectDispose(o);
}

TEST_F(C4DModel, OneObjectPerNodeAppliesEachNodesOwnTransformOnly) {
  C4DSceneDef scene;
  C4DNodeDef a = Node(0, MeshBox(2, 2, 2), {10, 0, 0});
  a.scale = {2, 1, 1};
  C4DNodeDef child = Node(1, MeshBox(1, 1, 1), {0, 5, 0});
  child.rotation = {0, static_cast<float>(M_PI / 2), 0};  // about y; stored as the x turn
  C4DNodeDef empty = Node(0, ModelMesh{});
  scene.nodes = {a, child, empty};
  EngineObject* head = Import(C4DWriteScene(scene), 0);
  ASSERT_NE(head, nullptr);
  ASSERT_EQ(ChainLength(head), 2);  // the node without points gives none
  // First the parent: points scaled by (2, 1, 1) and moved by (10, 0, 0); angles 0.
  float bounds[2] = {1e9f, -1e9f};
  for (int32_t i = 0; i < head->pointCount; ++i) {
    bounds[0] = std::fmin(bounds[0], head->localPoints[i].x);
    bounds[1] = std::fmax(bounds[1], head->localPoints[i].x);
  }
  EXPECT_NEAR(bounds[0], 8.0f, 1e-4);
  EXPECT_NEAR(bounds[1], 12.0f, 1e-4);
  EXPECT_EQ(head->transform.angleX, 0);
  EXPECT_EQ(head->pointCount, 8);  // corners merged
  EXPECT_EQ(head->polygonCount, 12);
  // The child ignores its parent: only its own turn and position.
  EngineObject* second = head->next;
  float y = 0;
  for (int32_t i = 0; i < second->pointCount; ++i) y += second->localPoints[i].y;
  EXPECT_NEAR(y / static_cast<float>(second->pointCount), 5.0f, 1e-3);
  // Without a material every triangle is plain (texture -1 is not set: material 0, texture 0).
  EXPECT_EQ(second->polygons[0].kind, 202);
  DisposeChain(head);
}

TEST_F(C4DModel, PerTopNodeChainsInReverseAndWholeSceneMergesEverything) {
  C4DSceneDef scene;
  C4DNodeDef a = Node(0, MeshBox(1, 1, 1), {1, 0, 0});
  a.name = "A";
  C4DNodeDef a1 = Node(1, MeshWedge(1, 1, 1));
  a1.frame[0] = {0, 3, 0};  // the child's frame moves it up by 3
  C4DNodeDef b = Node(0, MeshDisc(1, 5), {2, 0, 0});
  C4DNodeDef c = Node(0, MeshPlane(1, 1, 2, 2), {3, 0, 0});
  a.hasUserData = true;
  a.userA = "kind";
  a.userB = "12";
  scene.nodes = {a, a1, b, c};
  const Bytes file = C4DWriteScene(scene);
  Watch();
  EngineObject* head = Import(file, kC4DPerTopNode | kC4DWholeScene);
  ASSERT_NE(head, nullptr);
  ASSERT_EQ(ChainLength(head), 3);
  EXPECT_EQ(head->polygonCount, static_cast<int32_t>(c.mesh.triangles.size()));
  EXPECT_FLOAT_EQ(head->transform.position[0], 3.0f);
  EngineObject* last = head->next->next;
  EXPECT_EQ(last->polygonCount, static_cast<int32_t>(a.mesh.triangles.size() + a1.mesh.triangles.size()));
  EXPECT_FLOAT_EQ(last->transform.position[0], 1.0f);
  // The frame positions the child; the object's position is taken off every point.
  float top = -1e9f;
  for (int32_t i = 0; i < last->pointCount; ++i) top = std::fmax(top, last->localPoints[i].y);
  EXPECT_NEAR(top, 4.0f, 1e-4);
  ASSERT_NE(last->userData, nullptr);
  EXPECT_EQ(last->userData->kind, 1994);
  EXPECT_STREQ(static_cast<UserDataBody*>(last->userData->body)->textB, "12");
  DisposeChain(head);

  EngineObject* scene1 = Import(file, kC4DWholeScene);
  ASSERT_NE(scene1, nullptr);
  EXPECT_EQ(scene1->next, nullptr);
  EXPECT_EQ(scene1->polygonCount, static_cast<int32_t>(a.mesh.triangles.size() + a1.mesh.triangles.size() +
                                                       b.mesh.triangles.size() + c.mesh.triangles.size()));
  DisposeChain(scene1);
  EXPECT_EQ(Leaks(), 0);
}

TEST_F(C4DModel, MergedObjectsTakeTheTopNodesTurnUnlessKeptInWorldOrientation) {
  C4DSceneDef scene;
  C4DNodeDef a = Node(0, MeshBox(2, 2, 2));
  a.rotation = {static_cast<float>(M_PI / 2), 0, 0};  // a y turn in the file is the engine's x turn
  a.mesh.points.push_back({5, 0, 0});
  a.mesh.uvs.push_back({0, 0});
  scene.nodes = {a};
  const Bytes file = C4DWriteScene(scene);
  EngineObject* turned = Import(file, kC4DWholeScene);
  ASSERT_NE(turned, nullptr);
  EXPECT_EQ(turned->transform.angleY, static_cast<int32_t>(-M_PI / 2 * 651.8987f));
  // The world points are where the file has them.
  wre_ObjectUpdate(turned, 0, 0);
  bool found = false;
  for (int32_t i = 0; i < turned->pointCount; ++i) {
    found |= std::fabs(turned->worldPoints[i].x - 1.0f) < 1e-3f && std::fabs(turned->worldPoints[i].y - 1.0f) < 1e-3f &&
             std::fabs(turned->worldPoints[i].z - 1.0f) < 1e-3f;
  }
  EXPECT_TRUE(found);
  EngineObject* kept = Import(file, kC4DWholeScene | kC4DKeepWorldOrientation);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->transform.angleY, 0);
  ExpectPoint(kept->localPoints[0], turned->worldPoints[0].x, turned->worldPoints[0].y, turned->worldPoints[0].z,
              1e-3f);
  DisposeChain(turned);
  DisposeChain(kept);
}

TEST_F(C4DModel, MaterialsConvertColoursAndShareUnlessAskedNotTo) {
  C4DSceneDef scene;
  C4DMaterialDef m1;
  m1.name = "dim";
  m1.colour = {0.5f, 0.25f, 0.0f};
  m1.brightness = 0.8f;  // 0.8 (c + 1 - 0.5)
  m1.transparencyChannel = true;
  m1.transparency = 0.25f;
  m1.secondColourChannel = true;
  m1.secondColour = {1.0f, 0.5f, 0.0f};
  m1.secondBrightness = 0.5f;
  C4DMaterialDef m2 = m1;
  m2.name = "same";
  C4DMaterialDef white;
  white.brightness = 0.0f;
  white.colour = {0.1f, 0.2f, 0.3f};
  white.texture = "missing.bmp";
  C4DMaterialDef off;
  off.colourChannel = false;
  scene.materials = {m1, m2, white, off};
  C4DNodeDef n = Node(0, MeshBox(1, 1, 1));
  n.material = 1;
  scene.nodes = {n};
  const Bytes file = C4DWriteScene(scene);

  EngineObject* o = Import(file, kC4DWholeScene);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(MaterialsInUse(), 2);  // m1 and m2 share; so do the white and the channel-off ones
  const Material& m = gMaterialTable[o->polygons[0].material];
  EXPECT_STREQ(m.name, "dim");
  EXPECT_NEAR(m.colourA.red, 0.8f * gColourMax, 1e-3);
  EXPECT_NEAR(m.colourA.green, 0.6f * gColourMax, 1e-3);
  EXPECT_NEAR(m.colourA.blue, 0.4f * gColourMax, 1e-3);
  EXPECT_NEAR(m.colourA.alpha, 0.75f * gColourMaxAlpha, 1e-3);
  EXPECT_NEAR(m.colourB.red, 0.5f * gColourMax, 1e-3);
  EXPECT_NEAR(m.colourB.green, 0.25f * gColourMax, 1e-3);
  // The material has no texture (-1): plain triangles although the node has coordinates.
  EXPECT_EQ(o->polygons[0].kind, 102);
  EXPECT_EQ(o->polygons[0].texture, kNoTexture);
  // Brightness 0 is white; an unloaded texture maps to 0.
  bool sawWhite = false;
  for (int32_t i = 0; i < gMaterialCount; ++i) {
    const Material& w = gMaterialTable[i];
    if (w.inUse && w.colourA.red == gColourMax && w.colourA.green == gColourMax && w.colourB.red == 0.0f) sawWhite = true;
  }
  EXPECT_TRUE(sawWhite);
  DisposeChain(o);

  wre_MaterialReleaseAll();
  o = Import(file, kC4DWholeScene | kC4DAlwaysNewMaterial);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(MaterialsInUse(), 4);
  DisposeChain(o);

  wre_MaterialReleaseAll();
  o = Import(file, kC4DWholeScene | kC4DMaterialZero);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(MaterialsInUse(), 0);
  EXPECT_EQ(o->polygons[0].material, 0);
  DisposeChain(o);
}

TEST_F(C4DModel, TexturedTrianglesFollowTheTagOrTheLastMaterial) {
  model_test::gTextures["SKY.BMP"] = 3;
  C4DSceneDef scene;
  C4DMaterialDef sky;
  sky.texture = "sky.bmp";
  sky.colour = {1, 1, 1};
  C4DMaterialDef plain;
  plain.colour = {0, 1, 0};
  scene.materials = {sky, plain};
  C4DNodeDef tagged = Node(0, MeshPlane(2, 2, 1, 1));
  tagged.material = 1;
  // Before any tag: the last material of the file, plain. A tag's choice holds for what follows.
  C4DNodeDef untagged = Node(0, MeshPlane(2, 2, 1, 1), {0, 1, 0});
  C4DNodeDef bad = Node(0, MeshPlane(2, 2, 1, 1), {0, 2, 0});
  bad.material = 9;  // no such material: texture 0, material 0
  C4DNodeDef noUv = Node(0, MeshPlane(2, 2, 1, 1), {0, 3, 0});
  noUv.material = 1;
  noUv.writeUvs = false;
  scene.nodes = {untagged, tagged, bad, noUv};
  EngineObject* head = Import(C4DWriteScene(scene), 0);
  ASSERT_NE(head, nullptr);
  ASSERT_EQ(ChainLength(head), 4);
  EXPECT_EQ(head->polygons[0].kind, 102);
  EXPECT_EQ(head->next->polygons[0].kind, 202);
  EXPECT_EQ(head->next->polygons[0].texture, 3);
  EXPECT_EQ(head->next->next->polygons[0].kind, 202);
  EXPECT_EQ(head->next->next->polygons[0].texture, 0);
  EXPECT_EQ(head->next->next->polygons[0].material, 0);
  EXPECT_EQ(head->next->next->next->polygons[0].kind, 102);
  DisposeChain(head);
}

TEST_F(C4DModel, TagScalesAndVisibility) {
  C4DSceneDef scene;
  C4DMaterialDef m;
  m.texture = "a.bmp";
  scene.materials = {m};
  C4DNodeDef n = Node(0, MeshPlane(2, 2, 1, 1));
  n.material = 1;
  n.tagScales = {2.0f, 0.0f};  // 0 counts as 1
  n.tagScaling = true;
  n.visibility = 0;
  scene.nodes = {n};
  EngineObject* o = Import(C4DWriteScene(scene), kC4DWholeScene);
  ASSERT_NE(o, nullptr);
  EXPECT_TRUE(o->renderFlags & kRenderTwoSided);
  float uMax = 0, vMax = 0;
  for (int32_t i = 0; i < 6 * o->polygonCount; i += 2) {
    uMax = std::fmax(uMax, o->textureCoords[i]);
    vMax = std::fmax(vMax, o->textureCoords[i + 1]);
  }
  EXPECT_FLOAT_EQ(uMax, 0.5f);
  EXPECT_FLOAT_EQ(vMax, 1.0f);
  DisposeChain(o);
}

TEST_F(C4DModel, LevelRulesAndTheVersionWord) {
  C4DSceneDef scene;
  scene.nodes = {Node(1, MeshBox(1, 1, 1))};
  EXPECT_EQ(Import(C4DWriteScene(scene), kC4DWholeScene), nullptr);  // first node not at level 0
  scene.nodes = {Node(0, MeshBox(1, 1, 1)), Node(2, MeshBox(1, 1, 1)), Node(1, MeshBox(1, 1, 1))};
  EXPECT_EQ(Import(C4DWriteScene(scene), kC4DWholeScene), nullptr);  // no ancestor of level 1
  scene.nodes = {Node(0, MeshBox(1, 1, 1)), Node(2, MeshBox(1, 1, 1)), Node(2, MeshBox(1, 1, 1)),
                 Node(0, MeshBox(1, 1, 1))};
  EngineObject* head = Import(C4DWriteScene(scene), kC4DPerTopNode);
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(ChainLength(head), 2);
  EXPECT_EQ(head->next->polygonCount, 36);
  DisposeChain(head);

  scene.nodes = {Node(0, MeshBox(1, 1, 1))};
  scene.version = 5209;
  EXPECT_EQ(Import(C4DWriteScene(scene), kC4DWholeScene), nullptr);
  scene.version = 5210;
  head = Import(C4DWriteScene(scene), kC4DWholeScene);
  EXPECT_NE(head, nullptr);
  DisposeChain(head);
  scene.nodes = {Node(0, ModelMesh{})};
  EXPECT_EQ(Import(C4DWriteScene(scene), kC4DWholeScene), nullptr);  // nothing to make
}

TEST_F(C4DModel, AListEndingIdStopsTheNodesButLaterMaterialsAreRead) {
  C4DSceneDef scene;
  C4DNodeDef after = Node(0, MeshBox(1, 1, 1));
  after.chunksBefore = {{5102, {}}};
  scene.nodes = {Node(0, MeshBox(1, 1, 1)), after};
  C4DMaterialDef m;
  m.name = "late";
  scene.materials = {m};
  scene.materialsAfterObjects = true;
  EngineObject* o = Import(C4DWriteScene(scene), 0);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(ChainLength(o), 1);  // the node after 5102 is not imported
  EXPECT_EQ(MaterialsInUse(), 1);
  // A triangle before any tag takes the last material of the file, even one after the objects.
  EXPECT_STREQ(gMaterialTable[o->polygons[0].material].name, "late");
  DisposeChain(o);
}

TEST_F(C4DModel, WideIndicesAndBadFilesAreRefusedWithoutLeaks) {
  C4DSceneDef scene;
  C4DNodeDef n = Node(0, MeshSphere(1, 4, 6));
  n.wideIndices = true;
  scene.nodes = {n};
  EngineObject* o = Import(C4DWriteScene(scene), kC4DWholeScene);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->polygonCount, static_cast<int32_t>(n.mesh.triangles.size()));
  DisposeChain(o);

  Watch();
  C4DNodeDef badIndex = Node(0, MeshBox(1, 1, 1));
  badIndex.mesh.triangles[3][1] = 24;  // one past the points
  scene.nodes = {badIndex};
  EXPECT_EQ(Import(C4DWriteScene(scene), kC4DWholeScene), nullptr);
  C4DNodeDef fewUvs = Node(0, MeshBox(1, 1, 1));
  fewUvs.mesh.uvs.pop_back();  // fewer coordinate pairs than points
  scene.nodes = {fewUvs};
  EXPECT_EQ(Import(C4DWriteScene(scene), kC4DWholeScene), nullptr);
  scene.nodes = {Node(0, MeshBox(1, 1, 1)), Node(0, MeshBox(1, 1, 1))};
  scene.nodes[1].chunksBefore = {{5616, std::vector<uint8_t>(70, 0)}};  // the first node's tag, one byte short
  EXPECT_EQ(Import(C4DWriteScene(scene), kC4DWholeScene), nullptr);
  scene.nodes.pop_back();
  scene.nodes[0].material = 1;
  const Bytes good = C4DWriteScene(scene);
  for (size_t size = 0; size < good.size(); size += 5) {
    EngineObject* cut = wre_ObjectIOC4DImport(good.data(), static_cast<int32_t>(size), kC4DWholeScene);
    if (cut) DisposeChain(cut);
  }
  // Every byte of the chunk headers turned to 0xFF, one at a time.
  for (size_t at = 16; at < good.size(); at += 3) {
    Bytes bad = good;
    bad[at] = 0xFF;
    EngineObject* chain = Import(bad, kC4DPerTopNode);
    if (chain) DisposeChain(chain);
  }
  EXPECT_EQ(Leaks(), 0);
  EXPECT_FALSE(wre_ObjectIOC4DCheck(good.data(), 15));
  EXPECT_FALSE(wre_ObjectIOC4DCheck(nullptr, 100));
}

TEST_F(C4DModel, TheTexturePassMakesATextureForEveryColourChannel) {
  C4DSceneDef scene;
  C4DMaterialDef m;
  m.texture = "new.bmp";
  C4DMaterialDef off;
  off.colourChannel = false;
  scene.materials = {m, off};
  C4DNodeDef n = Node(0, MeshPlane(1, 1, 1, 1));
  n.material = 1;
  scene.nodes = {n};
  EngineObject* o = Import(C4DWriteScene(scene), kC4DWholeScene | kC4DMakeTextures);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(model_test::gNextTexture, 2);  // only the material whose colour channel was read
  EXPECT_EQ(o->polygons[0].texture, 1);
  DisposeChain(o);
  model_test::gRefuseCreate = true;
  EXPECT_EQ(Import(C4DWriteScene(scene), kC4DWholeScene | kC4DMakeTextures), nullptr);
}

}  // namespace
