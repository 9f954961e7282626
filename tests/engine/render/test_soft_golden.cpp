// Golden frames: the generated scenes rendered at 160x120 and compared with reviewed BMPs kept
// next to this file (golden/soft_<scene>.bmp). A missing file is written and the test fails, so a
// new image is looked at before it is committed.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "soft_frame_fixture.h"
#include "tools/datagen/bmp_writer.h"
#include "tools/datagen/soft_scenes.h"

namespace {

using SoftGolden = SoftFrameTest;

std::filesystem::path GoldenPath(const char* name) {
  return std::filesystem::path(__FILE__).parent_path() / "golden" / (std::string("soft_") + name + ".bmp");
}

TEST_F(SoftGolden, GeneratedScenesMatchTheReviewedFrames) {
  UseCamera(SmallCamera(160, 120));
  for (int kind = 0; kind < kSoftSceneCount; ++kind) {
    SCOPED_TRACE(SoftSceneName(kind));
    const SoftSceneData scene = SoftSceneBuild(kind);
    textures().clear();
    for (const SoftSceneTexture& t : scene.textures) AddTexture(t.log2Width, t.log2Height, t.texels, !t.keyed);
    for (size_t m = 0; m < scene.materials.size(); ++m) {
      const SoftSceneMaterial& c = scene.materials[m];
      SetMaterial(static_cast<int>(m), c.red, c.green, c.blue, c.alpha);
    }
    gSoftBufferEstimate = 4 << 20;
    ASSERT_EQ(wre_SoftFrameBegin(camera, 1), 0);
    for (const PolygonRecord& r : scene.sky) Queue(gPolyQueueOpaque, r);
    wre_SoftPolyListSort(camera);
    wre_PolyQueuesReset();
    for (const PolygonRecord& r : scene.opaque) Queue(gPolyQueueOpaque, r);
    for (const PolygonRecord& r : scene.keyed) Queue(gPolyQueueKeyed, r);
    for (const PolygonRecord& r : scene.translucent) Queue(gPolyQueueTranslucent, r);
    RenderFrame();
    ASSERT_EQ(gSoftOverflow, 0);
    const auto view = Presented();
    std::vector<uint8_t> rgb;
    for (uint16_t p : view) {
      rgb.push_back(static_cast<uint8_t>((p >> 11) << 3));
      rgb.push_back(static_cast<uint8_t>(((p >> 5) & 63) << 2));
      rgb.push_back(static_cast<uint8_t>((p & 31) << 3));
    }
    const std::vector<uint8_t> bmp = BmpWriteRgb(160, 120, rgb.data());
    const auto path = GoldenPath(SoftSceneName(kind));
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::filesystem::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()),
                                                  static_cast<std::streamsize>(bmp.size()));
      ADD_FAILURE() << "wrote " << path << ": look at it, then commit it";
      continue;
    }
    const std::vector<uint8_t> golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(golden == bmp) << "differs from " << path;
  }
}

}  // namespace
