// Whole frames of the software renderer on three fixed, generated scenes (a textured grid under a
// sky; the same with 300 translucent and colour-keyed sprites; 10,000 small triangles) at 640x480,
// headless through the display stand-in. Prints frames per second and the time of each stage.
//
//   bench_soft_scene [frames] [bmp-prefix]
// frames defaults to 300; with a prefix the last frame of each scene is written as <prefix><scene>.bmp.
#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/data/material.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/frame_convert.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "engine/render/soft_render.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"
#include "tools/datagen/bmp_writer.h"
#include "tools/datagen/soft_scenes.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<SoftTexture> gTextures;

const SoftTexture* Lookup(int32_t texture) {
  return texture >= 0 && static_cast<size_t>(texture) < gTextures.size() ? &gTextures[static_cast<size_t>(texture)]
                                                                         : nullptr;
}

void Queue(PolyQueue& queue, const std::vector<PolygonRecord>& records) {
  for (const PolygonRecord& r : records) {
    if (queue.count >= gPolyQueueCapacity - 1) break;
    *queue.write++ = r;
    ++queue.count;
  }
}

enum Stage { kBegin, kSetup, kOrder, kCover, kFill, kPresent, kConvert, kStages };
const char* const kStageNames[kStages] = {"begin+clear", "set-up",  "sort+resolve", "coverage",
                                          "fill",        "present", "(565 alone)"};

struct Timer {
  Clock::time_point start = Clock::now();
  double Lap() {
    const Clock::time_point now = Clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - start).count();
    start = now;
    return ms;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  const std::string prefix = argc > 2 ? argv[2] : "";

  plat_UseBackend(kPlatBackendTest);
  plat_TestDisplayReset();
  wre_MemoryInit();
  wre_MathTablesInit();
  wre_RendererSettingsInit(4096, 4096);
  wre_ContextListInit();
  gRendererSettings.selectedKind = kRendererSoftware;
  gRendererSettings.available = 0x1f;
  if (wre_PolyQueuesInit(20000) != 0 || wre_MaterialTableInit(8) != 0) return 1;
  wre_SoftBackendInstall();
  wre_SoftTextureLookupInstall(Lookup);
  WreRect view{0, 0, 640, 480};
  Transform placement{};
  wre_TransformReset(&placement);
  const float background[4] = {0, 0, 0, 255};
  Camera* camera = wre_CameraNew(&view, 16, &placement, background, 1, 1.0f, 1000.0f, 320.0f, 1024, nullptr, 0,
                                 nullptr, 0, 0, 0, 0, 0, 0, 0, &view);
  if (!camera) return 1;
  std::vector<uint16_t> convertScratch(640 * 480);

  std::printf("%d frames of 640x480 per scene, one thread\n", frames);
  std::printf("%-8s %7s %9s %9s", "scene", "records", "fps", "ms/frame");
  for (int s = 0; s < kStages; ++s) std::printf(" %12s", kStageNames[s]);
  std::printf(" %9s\n", "overflows");
  for (int kind = 0; kind < kSoftSceneCount; ++kind) {
    const SoftSceneData scene = SoftSceneBuild(kind);
    gTextures.clear();
    for (const SoftSceneTexture& t : scene.textures) {
      SoftTexture source{};
      source.texels = t.texels.data();
      source.log2Width = t.log2Width;
      source.log2Height = t.log2Height;
      source.opaqueCapable = t.keyed ? 0 : 1;
      gTextures.push_back(source);
    }
    for (size_t m = 0; m < scene.materials.size(); ++m) {
      gMaterialIndexMap[m] = static_cast<int32_t>(m);
      gMaterialTable[m].inUse = 1;
      const SoftSceneMaterial& c = scene.materials[m];
      gMaterialTable[m].lit = gMaterialTable[m].colourA = ColourFloat{c.red, c.green, c.blue, c.alpha};
    }
    double total[kStages] = {};
    double whole = 0.0;
    int overflows = 0;
    // The buffer estimate settles in the first frames (an overflowed frame doubles it); they are not
    // counted, and every counted frame that overflows is reported.
    for (int frame = -3; frame < frames; ++frame) {
      double lap[kStages] = {};
      const Clock::time_point frameStart = Clock::now();
      Timer timer;
      wre_SoftFrameBegin(camera, 1);
      lap[kBegin] += timer.Lap();
      Queue(gPolyQueueOpaque, scene.sky);
      timer.Lap();
      wre_SoftGroupSetup(camera);
      lap[kSetup] += timer.Lap();
      wre_SoftGroupOrder(camera);
      lap[kOrder] += timer.Lap();
      wre_PolyQueuesReset();
      Queue(gPolyQueueOpaque, scene.opaque);
      Queue(gPolyQueueKeyed, scene.keyed);
      Queue(gPolyQueueTranslucent, scene.translucent);
      timer.Lap();
      wre_SoftGroupSetup(camera);
      lap[kSetup] += timer.Lap();
      wre_SoftGroupOrder(camera);
      lap[kOrder] += timer.Lap();
      const bool drawn = wre_SoftFrameCover(camera);
      lap[kCover] += timer.Lap();
      if (drawn) {
        wre_SoftFrameFill(camera);
      } else {
        wre_SoftFrameDiscard();
      }
      lap[kFill] += timer.Lap();
      const bool overflowed = gSoftOverflow != 0;
      wre_SoftFramePresent(camera);
      lap[kPresent] += timer.Lap();
      // The conversion on its own, on a copy of the frame.
      const Offscreen* image = camera->context->frame;
      for (int y = 0; y < 480; ++y) {
        std::memcpy(&convertScratch[static_cast<size_t>(y) * 640], image->pixels + static_cast<size_t>(y) * image->rowBytes,
                    640 * 2);
      }
      timer.Lap();
      wre_SoftFrameConvert565(convertScratch.data(), 640, 480, 640 * 2);
      lap[kConvert] += timer.Lap();
      const double frameMs =
          std::chrono::duration<double, std::milli>(Clock::now() - frameStart).count() - lap[kConvert];
      if (frame < 0) continue;
      overflows += overflowed;
      whole += frameMs;
      for (int s = 0; s < kStages; ++s) total[s] += lap[s];
    }
    const size_t records = scene.sky.size() + scene.opaque.size() + scene.keyed.size() + scene.translucent.size();
    std::printf("%-8s %7zu %9.1f %9.3f", SoftSceneName(kind), records, 1000.0 * frames / whole, whole / frames);
    for (int s = 0; s < kStages; ++s) std::printf(" %12.3f", total[s] / frames);
    std::printf(" %9d\n", overflows);
    if (!prefix.empty()) {
      PlatFrame shown;
      if (plat_TestLastPresented(&shown)) {
        std::vector<uint8_t> rgb;
        for (uint16_t p : shown.pixels) {
          rgb.push_back(static_cast<uint8_t>((p >> 11) << 3));
          rgb.push_back(static_cast<uint8_t>(((p >> 5) & 63) << 2));
          rgb.push_back(static_cast<uint8_t>((p & 31) << 3));
        }
        const std::vector<uint8_t> bmp = BmpWriteRgb(shown.width, shown.height, rgb.data());
        const std::string path = prefix + SoftSceneName(kind) + ".bmp";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()),
                                                    static_cast<std::streamsize>(bmp.size()));
      }
    }
  }
  wre_CameraDispose(camera, 1);
  wre_SoftTextureLookupInstall(nullptr);
  wre_MaterialTableFree();
  wre_PolyQueuesFree();
  wre_MathTablesExit();
  plat_TestDisplayReset();
  return 0;
}
