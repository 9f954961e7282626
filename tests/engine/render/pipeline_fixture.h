// The polygon pipeline's set-up for tests: a headless software camera, small pools, a material
// table, a stand-in for the texture module's flag bytes and a recording back end for every kind.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/light.h"
#include "engine/core/object.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/clip.h"
#include "engine/render/frame.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "render_fixture.h"

namespace pipeline_test {

// Every back-end step of every kind, as "<kind>:<step>", in call order.
inline std::vector<std::string>* gCalls = nullptr;
inline int32_t gFailStep = 0;  // a step whose name is gFailName returns this
inline std::string gFailName;
inline int32_t Note(int32_t kind, const char* step) {
  if (gCalls) gCalls->push_back(std::to_string(kind) + ":" + step);
  return gFailName == step ? gFailStep : 0;
}
// What the opaque queue held when a back end last drew or sorted it.
inline int32_t gSeenCount = 0;
inline PolygonRecord gSeenFirst{};
inline int32_t Seen(int32_t kind, const char* step) {
  gSeenCount = gPolyQueueOpaque.count;
  if (gSeenCount > 0) gSeenFirst = gPolyQueueOpaque.base[0];
  return Note(kind, step);
}
template <int32_t kKind>
struct Recorder {
  static int32_t BeginScene(Camera*) { return Note(kKind, "scene"); }
  // Direct3D's frame begin clears the viewport ("d3dbegin"); the others note the clear request.
  static int32_t BeginFrame(Camera*, uint8_t clear) {
    if (kKind == kRendererDirect3D) return Note(kKind, "d3dbegin");
    return Note(kKind, clear ? "begin+clear" : "begin");
  }
  static int32_t DrawQueues(Camera*) { return Seen(kKind, "draw"); }
  static int32_t EndScene(Camera*) { return Note(kKind, "sceneend"); }
  static int32_t EndFrame(Camera*) { return Note(kKind, "present"); }
  static int32_t ClearFrame(DrawingContext*, const float*) { return Note(kKind, "clear"); }
  // The software kind groups its queued polygons by depth; the others clear the depth buffer.
  static int32_t ClearDepth(Camera*) { return kKind == kRendererSoftware ? Seen(kKind, "sort") : Note(kKind, "depthclear"); }
  // As the real back ends: OpenGL switches its test, and either hardware kind restarts the depth
  // buffer when the test is switched on (Direct3D by a depth-only viewport clear, "zclear").
  static void SetDepthTest(Camera*, uint8_t on) {
    if (kKind == kRendererOpenGL) Note(kKind, on ? "depth on" : "depth off");
    if (on) Note(kKind, kKind == kRendererOpenGL ? "depthclear" : "zclear");
  }
  static constexpr RenderBackend kTable{
      kKind == kRendererDirect3D ? BeginScene : nullptr,
      BeginFrame,
      DrawQueues,
      kKind == kRendererDirect3D ? EndScene : nullptr,
      EndFrame,
      kKind == kRendererDirect3D ? nullptr : ClearFrame,
      ClearDepth,
      kKind == kRendererSoftware ? nullptr : SetDepthTest,
      nullptr,
      nullptr,
      kKind == kRendererSoftware,
  };
};

class PipelineFixture : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    ASSERT_EQ(wre_MaterialTableInit(16), 0);
    ASSERT_EQ(wre_VisibleListInit(8), 0);
    ASSERT_EQ(wre_VertexScratchInit(64), 0);
    ASSERT_EQ(wre_PolyQueuesInit(16), 0);
    // Sixteen texture records "tex0" .. "tex15", in use, without images.
    ASSERT_EQ(wre_TextureTableInit(16), 0);
    for (int32_t i = 0; i < 16; ++i) {
      gTextureIndexMap[i] = i;
      gTextureTable[i].flags = kTextureInUse;
      wre_TextureSetFileName(i, ("tex" + std::to_string(i)).c_str());
    }
    wre_RenderBackendInstall(kRendererSoftware, &Recorder<kRendererSoftware>::kTable);
    wre_RenderBackendInstall(kRendererOpenGL, &Recorder<kRendererOpenGL>::kTable);
    wre_RenderBackendInstall(kRendererDirect3D, &Recorder<kRendererDirect3D>::kTable);
    wre_FrameControlInstall();
    gCalls = &calls_;
    gFailName.clear();
    for (int32_t i = 0; i < gMaterialCount; ++i) gMaterialIndexMap[i] = i;
    // Material 0: opaque, colour B (10, 20, 30).
    Material& m = gMaterialTable[0];
    m.inUse = 1;
    m.colourA = ColourFloat{255, 255, 255, 255};
    m.colourB = ColourFloat{10, 20, 30, 255};
  }
  void TearDown() override {
    gCalls = nullptr;
    for (Camera* camera : cameras_) {
      camera->context->kind = kRendererSoftware;
      wre_CameraDispose(camera, 1);
    }
    for (EngineObject* object : objects_) {
      if (object->status & kStatusInWorld) wre_WorldRemoveObject(object, object->world);
      wre_ObjectDispose(object);
    }
    for (Light* light : lights_) {
      if (light->world) wre_LightListRemove(light, light->world);
      wre_LightDispose(light);
    }
    for (World* world : worlds_) wre_WorldDispose(world);
    for (int32_t kind : {kRendererSoftware, kRendererOpenGL, kRendererDirect3D}) wre_RenderBackendInstall(kind, nullptr);
    for (int32_t i = 0; i < gTextureCount; ++i) gTextureTable[i].flags = 0;  // no images to release
    wre_TextureTableFree();
    wre_WorldSetCullBinder(nullptr);
    wre_PolyQueuesFree();
    wre_VertexScratchFree();
    wre_VisibleListFree();
    wre_MaterialTableFree();
    RenderFixture::TearDown();
  }

  static void SetTextureFlags(int32_t texture, uint8_t flags) {
    gTextureTable[texture].flags = static_cast<uint8_t>(kTextureInUse | flags);
  }
  // A software camera at the origin looking down +z (near 1, far 1000, 640x480, scale 320); the
  // kind given is put on its context afterwards and the projection bound again.
  Camera* Cam(int32_t kind = kRendererSoftware) {
    Camera* camera = GameCamera();
    EXPECT_NE(camera, nullptr);
    cameras_.push_back(camera);
    camera->context->kind = kind;
    wre_CameraBindProjection(camera);
    return camera;
  }
  World* NewWorld(int32_t type = kWorldObjectList) {
    Point4 origin{0, 0, 0, 0};
    float ambient[4] = {0, 0, 0, 0};
    World* world = wre_WorldCreate(type, 100.0f, 4, 0, 4, 0, &origin, ambient, 0.0f, 0);
    EXPECT_NE(world, nullptr);
    if (world) worlds_.push_back(world);
    return world;
  }
  Light* DirectionalLight(World* world, float x, float y, float z, float percent, float rgb = 255.0f) {
    Transform t{};
    wre_TransformReset(&t);
    float colour[4] = {rgb, rgb, rgb, 255.0f};
    Light* light = wre_LightCreate(kLightDirectional, &t, colour, percent);
    wre_LightSetPosition(light, x, y, z, 0, 0, 0);
    wre_LightSetOn(light, 1);
    wre_LightListAdd(light, world);
    lights_.push_back(light);
    return light;
  }
  Light* PointLight(World* world, float x, float y, float z, float percent, float rgb = 255.0f) {
    Transform t{};
    wre_TransformReset(&t);
    float colour[4] = {rgb, rgb, rgb, 255.0f};
    Light* light = wre_LightCreate(kLightPoint, &t, colour, percent);
    wre_LightSetPosition(light, x, y, z, 0, 0, 0);
    wre_LightSetOn(light, 1);
    wre_LightListAdd(light, world);
    lights_.push_back(light);
    return light;
  }
  // A mesh of one triangle per three given points (x, y, z each), kind and texture as given.
  EngineObject* Mesh(const std::vector<float>& xyz, int32_t kind = kPolyPlain, int32_t texture = -1,
                     uint32_t creationFlags = 0) {
    const auto points = static_cast<int32_t>(xyz.size() / 3);
    EngineObject* object = wre_ObjectNew(kObjectMesh, points / 3, points, 0, 0, creationFlags);
    EXPECT_NE(object, nullptr);
    objects_.push_back(object);
    for (int32_t i = 0; i < points; ++i) wre_ObjectAddPoint(object, xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], 0);
    const float uv0[2] = {0, 0}, uv1[2] = {255, 0}, uv2[2] = {0, 255};
    for (int32_t p = 0; p + 2 < points; p += 3) {
      EXPECT_EQ(wre_ObjectAddPoly(object, 0, texture, kind, p, p + 1, p + 2, uv0, uv1, uv2, 1), 0);
    }
    wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
    object->status |= kStatusActive;
    wre_ObjectUpdate(object, 1, 1);
    return object;
  }
  std::vector<std::string> calls_;
  std::vector<Camera*> cameras_;
  std::vector<EngineObject*> objects_;
  std::vector<Light*> lights_;
  std::vector<World*> worlds_;
};

inline PolygonRecord Triangle(float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2, float z2,
                              uint32_t flags = 0, int16_t material = 0, int16_t texture = -1) {
  PolygonRecord r{};
  r.kind = texture == -1 ? kPolyPlain : kPolyTexturedFlat;
  r.flags = flags;
  r.material = material;
  r.texture = texture;
  r.v[0] = Point4{x0, y0, z0, 0};
  r.v[1] = Point4{x1, y1, z1, 0};
  r.v[2] = Point4{x2, y2, z2, 0};
  return r;
}

}  // namespace pipeline_test
