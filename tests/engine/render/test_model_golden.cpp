// A generated model through the whole engine: the sample-data writers make a chunk-format file of
// three shapes (box, cylinder, wedge), a 3DS floor and a C4D ball, all textured; the real loaders
// read them into a world lit by ambient light and one directional light; the engine is started
// for the software renderer on the platform's test display, and one frame goes through the four
// frame steps. The presented frame must equal golden/model_shapes.bmp bit for bit;
// a missing or differing golden gets the frame written next to the build (model_shapes.bmp in the
// working folder) so it can be looked at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/startup/engine.h"
#include "engine/core/files.h"
#include "engine/core/light.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/data/model.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/frame.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"
#include "support/temp_dir.h"
#include "tools/datagen/bmp_writer.h"
#include "tools/datagen/mesh_builder.h"
#include "tools/datagen/model_writer.h"

namespace {

constexpr int32_t kWidth = 160;
constexpr int32_t kHeight = 120;

std::filesystem::path GoldenPath() {
  return std::filesystem::path(__FILE__).parent_path() / "golden" / "model_shapes.bmp";
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A 32x32 555 checker of two tones, made into the texture table's record for the file name; its handle.
int32_t MakeCheckerTexture(DrawingContext* context, const char* fileName, uint16_t light, uint16_t dark) {
  const WreRect rect{0, 0, 32, 32};
  Offscreen* image = wre_OffscreenNew(kOffscreenMemory, &rect, kOffscreen555, 16, 0, nullptr, nullptr);
  if (!image) return -1;
  for (int32_t y = 0; y < 32; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(image->pixels + static_cast<size_t>(y) * image->rowBytes);
    for (int32_t x = 0; x < 32; ++x) row[x] = ((x / 8 + y / 8) & 1) ? dark : light;
  }
  const int32_t result = wre_TextureCreate(image, context, 0, fileName);
  wre_OffscreenDispose(image);
  return result == 0 ? wre_TextureFindByFile(fileName) : -1;
}

ChunkObjectDef Shape(ModelMesh mesh, float x, float y, float z, const char* texture, std::array<float, 4> colour) {
  ChunkObjectDef object;
  object.mesh = std::move(mesh);
  object.position = {x, y, z};
  ChunkTextureDef t;
  t.file = texture;
  object.textures.push_back(t);
  ChunkMaterialDef m;
  m.name = "paint";
  m.colourA = colour;
  object.materials.push_back(m);
  return object;
}

class ModelGolden : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
  }
  void TearDown() override {
    if (list) wre_ModelListDispose(&list, world);
    if (floor) wre_ModelDispose(&floor, world);
    if (ball) wre_ModelDispose(&ball, world);
    // The textures were made for the camera's context: they go before it.
    if (gEngineStarted) wre_TextureReleaseAll();
    if (camera) {
      wre_CameraSetWorld(camera, nullptr);
      wre_CameraDispose(camera, 1);
    }
    if (light) {
      wre_LightListRemove(light, world);
      wre_LightDispose(light);
    }
    if (world) wre_WorldDispose(world);
    wre_FolderSet(nullptr);
    if (gEngineStarted) wre_Shutdown();
    wre_MemoryInit();
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
  }

  TempDir dir;
  World* world = nullptr;
  Camera* camera = nullptr;
  Light* light = nullptr;
  ModelList* list = nullptr;
  EngineObject* floor = nullptr;
  EngineObject* ball = nullptr;
};

TEST_F(ModelGolden, GeneratedShapesLoadedAndDrawnBySoftwareMatchTheReviewedFrame) {
  // The game's start for the software renderer.
  ASSERT_EQ(wre_Init(kRendererSoftware, 128, 128, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240), 0);

  const WreRect view{0, 0, kWidth, kHeight};
  const WreRect screen{0, 0, 640, 480};  // the display mode; the view is its top-left corner
  Transform placement{};
  wre_TransformReset(&placement);
  const float background[4] = {40, 60, 110, 255};
  camera = wre_CameraNew(&view, 16, &placement, background, 1, 1.0f, 1000.0f, kWidth * 0.5f, kWidth, nullptr, 0,
                         nullptr, 0, 0, 0, 0, 0, 0, 0, &screen);
  ASSERT_NE(camera, nullptr);
  wre_CameraSetTransform(camera, 380, 0, 0, 0.0f, 5.0f, -5.0f);

  // Textures first, so the models' texture names resolve against them.
  const int32_t checker = MakeCheckerTexture(camera->context, "checker.bmp", 0x7fff, 0x4210);
  const int32_t tiles = MakeCheckerTexture(camera->context, "tiles.bmp", 0x03e0, 0x0140);
  ASSERT_GE(checker, 0);
  ASSERT_GE(tiles, 0);

  const Point4 origin{0, 0, 0, 0};
  const float ambient[4] = {255, 255, 255, 255};
  world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, ambient, 70.0f, 0);
  ASSERT_NE(world, nullptr);
  Transform lightPlacement{};
  wre_TransformReset(&lightPlacement);
  const float white[4] = {255, 255, 255, 255};
  light = wre_LightCreate(kLightDirectional, &lightPlacement, white, 45.0f);
  ASSERT_NE(light, nullptr);
  wre_LightSetPosition(light, -0.5f, 1.0f, -0.7f, 0, 0, 0);
  wre_LightSetOn(light, 1);
  ASSERT_EQ(wre_LightListAdd(light, world), 0);
  ASSERT_EQ(wre_CameraSetWorld(camera, world), 0);

  // The model files, written by the sample-data writers into the data folder.
  const std::vector<ChunkObjectDef> shapes = {
      Shape(MeshBox(2.0f, 2.0f, 2.0f), -3.0f, 1.0f, 2.0f, "checker.bmp", {1.0f, 0.4f, 0.4f, 1.0f}),
      Shape(MeshCylinder(1.1f, 2.5f, 12), 0.0f, 0.0f, 4.0f, "checker.bmp", {1.0f, 1.0f, 1.0f, 1.0f}),
      Shape(MeshWedge(2.0f, 2.0f, 2.5f), 3.0f, 0.0f, 2.0f, "checker.bmp", {0.5f, 0.6f, 1.0f, 1.0f}),
  };
  const std::vector<uint8_t> chunkFile = ChunkWriteFile(shapes);
  dir.Write("shapes.brp", std::string(chunkFile.begin(), chunkFile.end()));

  TdsSceneDef scene;
  TdsMaterialDef tiled;
  tiled.name = "tiles";
  tiled.texture = "tiles.bmp";
  scene.materials.push_back(tiled);
  TdsObjectDef plane;
  plane.name = "floor";
  plane.mesh = MeshPlane(12.0f, 12.0f, 6, 6);
  MeshTranslate(plane.mesh, 0.0f, 0.0f, 3.0f);
  plane.material = "tiles";
  scene.objects.push_back(plane);
  const std::vector<uint8_t> tdsFile = TdsWriteScene(scene);
  dir.Write("floor.3ds", std::string(tdsFile.begin(), tdsFile.end()));

  C4DSceneDef ballScene;
  C4DMaterialDef yellow;
  yellow.name = "yellow";
  yellow.colour = {1.0f, 0.9f, 0.2f};
  yellow.texture = "checker.bmp";
  ballScene.materials.push_back(yellow);
  C4DNodeDef node;
  node.name = "ball";
  node.mesh = MeshSphere(1.0f, 8, 12);
  MeshTranslate(node.mesh, -2.6f, 1.0f, 7.0f);
  node.material = 1;
  ballScene.nodes.push_back(node);
  const std::vector<uint8_t> c4dFile = C4DWriteScene(ballScene);
  dir.Write("ball.c4d", std::string(c4dFile.begin(), c4dFile.end()));

  ASSERT_EQ(wre_FolderSet(dir.str().c_str()), 0);
  ASSERT_EQ(wre_ModelListLoadIntoWorld("shapes.brp", &list, world, 0, 0, 0, 1, 0, 0, 0), 0);
  int32_t loaded = 0;
  for (const ModelList* r = list; r; r = r->next, ++loaded) EXPECT_EQ(r->object->polygons[0].texture, checker);
  ASSERT_EQ(loaded, 3);
  ASSERT_EQ(wre_ModelLoadIntoWorld("floor.3ds", &floor, world, 0, 0, 0, 1, 0, 0, 0), 0);
  ASSERT_EQ(wre_ModelLoadIntoWorld("ball.c4d", &ball, world, 0, 0, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(floor->polygons[0].texture, tiles);
  EXPECT_EQ(ball->polygons[0].texture, checker);

  // One frame through the frame steps.
  ASSERT_EQ(wre_FrameBegin(camera, 1), 0);
  ASSERT_EQ(wre_CameraRender(camera), 0);
  ASSERT_EQ(wre_FrameFlush(camera), 0);
  ASSERT_EQ(wre_FrameEnd(camera), 0);

  PlatFrame frame;
  ASSERT_TRUE(plat_TestLastPresented(&frame));
  ASSERT_GE(frame.width, kWidth);
  ASSERT_GE(frame.height, kHeight);
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(kWidth) * kHeight * 3);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      const uint16_t p = frame.pixels[static_cast<size_t>(y) * frame.width + x];
      rgb.push_back(static_cast<uint8_t>((p >> 11) << 3));
      rgb.push_back(static_cast<uint8_t>(((p >> 5) & 63) << 2));
      rgb.push_back(static_cast<uint8_t>((p & 31) << 3));
    }
  }
  const std::vector<uint8_t> bmp = BmpWriteRgb(kWidth, kHeight, rgb.data());

  std::ifstream in(GoldenPath(), std::ios::binary);
  const std::vector<uint8_t> golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (golden != bmp) {
    const auto written = std::filesystem::current_path() / "model_shapes.bmp";
    WriteFile(written, bmp);
    ADD_FAILURE() << (golden.empty() ? "no golden frame " : "the frame differs from ") << GoldenPath()
                  << "; this frame was written to " << written << ": look at it before taking it as the golden";
  }
}

}  // namespace
