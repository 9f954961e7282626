// Whole frames through the two hardware back ends on the machine's OpenGL (llvmpipe without a
// graphics card): the Direct3D back end on the 3D device stand-in, and the OpenGL back end. The
// scenes are the software renderer's (tools/datagen/soft_scenes.h) at 640x480: camera-space
// records, so every frame projects and clips them into the queues the way the engine does for a
// hardware renderer, then draws them. Prints frames per second and the time of each stage.
//
//   bench_hw_backends [frames] [bmp-prefix]
// frames defaults to 60; with a prefix the last frame of each scene and back end is written as
// <prefix><back end>-<scene>.bmp. A frame begins with a full clear and ends with the picture
// finished (Direct3D: the end of the scene, which copies it into the render target; OpenGL:
// glFinish).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/d3d_backend.h"
#include "engine/render/gl_backend.h"
#include "engine/render/hw_texture.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "engine/render/submit.h"
#include "platform/plat_backend.h"
#include "platform/plat_d3d_draw.h"
#include "platform/plat_gl.h"
#include "tools/datagen/bmp_writer.h"
#include "tools/datagen/soft_scenes.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int32_t kTextureSlots = 16;
// The scenes' camera: projection scale half the view's width. The view volume's sides lie at
// x = +-z . halfWidth / (field of view / 2), so a field of view of twice the projection scale puts
// them on the view's edges (the outcodes then cull what falls outside the picture, nothing more).
constexpr float kProjectionScale = 320.0f;
constexpr int32_t kFieldOfView = 640;

// The scene being drawn; textures are named by their index in it.
const SoftSceneData* gScene = nullptr;
std::vector<uint32_t> gGlNames;

bool Known(int32_t texture) {
  return gScene && texture >= 0 && static_cast<size_t>(texture) < gScene->textures.size();
}
uint8_t Flags(int32_t texture) {
  return Known(texture) && gScene->textures[static_cast<size_t>(texture)].keyed ? kTextureHasAlpha : 0;
}
uint32_t Handle(int32_t texture) { return Known(texture) ? static_cast<uint32_t>(texture) + 1 : 0; }
uint32_t GlName(int32_t texture) {
  return Known(texture) && static_cast<size_t>(texture) < gGlNames.size() ? gGlNames[static_cast<size_t>(texture)] : 0;
}

// The 3D device reads a handle's pixels straight from the scene: 1555 rows top first, the top bit
// as alpha for the colour-keyed textures.
bool Source(const PlatD3DDevice*, uint32_t handle, PlatD3DTextureImage* image) {
  const auto texture = static_cast<int32_t>(handle) - 1;
  if (handle == 0 || !Known(texture)) return false;
  const SoftSceneTexture& t = gScene->textures[static_cast<size_t>(texture)];
  const int32_t width = 1 << t.log2Width, height = 1 << t.log2Height;
  const uint32_t alpha = t.keyed ? kPlatPixelAlpha : 0u;
  *image = PlatD3DTextureImage{t.texels.data(), width, height, width * 2,
                               PlatPixelFormat{kPlatPixelRgb | alpha, 16, 0x7C00, 0x03E0, 0x001F, t.keyed ? 0x8000u : 0u},
                               1, nullptr};
  return true;
}

uint8_t Expand5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

// The scene's records with their colours in the engine's colour scale of the back end.
struct ScaledScene {
  std::vector<PolygonRecord> records;  // sky, opaque, colour-keyed, translucent
};

ScaledScene Scale(const SoftSceneData& scene, float scale) {
  ScaledScene out;
  for (const auto* group : {&scene.sky, &scene.opaque, &scene.keyed, &scene.translucent}) {
    for (PolygonRecord r : *group) {
      for (auto& corner : r.colour) {
        for (float& c : corner) c *= scale;
      }
      out.records.push_back(r);
    }
  }
  return out;
}

// Materials in the colour scale; the texture table's flag bytes choose the colour-keyed queue.
void SceneTables(const SoftSceneData& scene, float scale) {
  gColourMax = gColourMaxAlpha = 255.0f * scale;
  for (size_t m = 0; m < scene.materials.size(); ++m) {
    const SoftSceneMaterial& c = scene.materials[m];
    Material& record = gMaterialTable[m];
    record.inUse = 1;
    record.lit = record.colourA = ColourFloat{c.red * scale, c.green * scale, c.blue * scale, c.alpha * scale};
  }
  for (int32_t i = 0; i < kTextureSlots; ++i) gTextureTable[i].flags = Flags(i);
}

// What the engine does with a camera-space triangle on a hardware renderer: the outcodes against
// the view volume, then projected (and clipped where it crosses a plane) into its queue.
int32_t Submit(Camera* camera, const ScaledScene& scene) {
  static const ObjectPolygon kCorners{0, 0, {0, 1, 2}, {}, 0, 0, 0};
  int32_t dropped = 0;
  for (const PolygonRecord& r : scene.records) {
    const int32_t outcodes = wre_PolygonFaceTest(&kCorners, camera, r.v);
    if (outcodes == 0) continue;
    PolygonRecord record = r;
    record.flags = static_cast<uint32_t>(outcodes);
    if (wre_PolygonSubmit(camera, &record, 0) != 0) ++dropped;
  }
  return dropped;
}

struct Result {
  double fps = 0.0;
  double frameMs = 0.0;
  double submitMs = 0.0;
  double drawMs = 0.0;
  int32_t queued = 0;
  int32_t dropped = 0;
  bool ok = false;
};

void WriteBmp(const std::string& path, const std::vector<uint8_t>& rgb) {
  const std::vector<uint8_t> bmp = BmpWriteRgb(kWidth, kHeight, rgb.data());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
}

int32_t QueuedCount() { return gPolyQueueOpaque.count + gPolyQueueKeyed.count + gPolyQueueTranslucent.count; }

// The scenes' camera at the origin, for the given renderer kind and background alpha.
Camera* SceneCamera(int32_t kind, float backgroundAlpha) {
  gRendererSettings.selectedKind = kind;
  const WreRect view{0, 0, kWidth, kHeight};
  Transform placement{};
  wre_TransformReset(&placement);
  const float background[4] = {0, 0, 0, backgroundAlpha};
  return wre_CameraNew(&view, 16, &placement, background, 1, 1.0f, 1000.0f, kProjectionScale, kFieldOfView, nullptr, 0,
                       nullptr, 0, 0, 0, 0, 0, 0, 0, &view);
}

Result Direct3D(const SoftSceneData& data, int frames, const std::string& bmp) {
  Result result;
  Camera* camera = SceneCamera(kRendererDirect3D, 255);
  if (!camera || !camera->context || !camera->context->device) {
    if (camera) wre_CameraDispose(camera, 1);
    return result;
  }
  wre_CameraMakeD3DBackground(camera);
  SceneTables(data, 1.0f);
  const ScaledScene scene = Scale(data, 1.0f);
  double submit = 0.0, draw = 0.0, whole = 0.0;
  for (int frame = -3; frame < frames; ++frame) {
    const Clock::time_point start = Clock::now();
    wre_PolyQueuesReset();
    wre_D3DSceneBegin(camera);
    wre_D3DFrameBegin(camera, 1, 1);
    const Clock::time_point submitStart = Clock::now();
    result.dropped = Submit(camera, scene);
    const Clock::time_point drawStart = Clock::now();
    wre_D3DPolygonsDraw(camera);
    wre_D3DSceneEnd(camera);
    const Clock::time_point end = Clock::now();
    if (frame < 0) continue;
    submit += std::chrono::duration<double, std::milli>(drawStart - submitStart).count();
    draw += std::chrono::duration<double, std::milli>(end - drawStart).count();
    whole += std::chrono::duration<double, std::milli>(end - start).count();
  }
  result.queued = QueuedCount();
  if (!bmp.empty()) {
    PlatSurface* target = plat_D3DDeviceTarget(camera->context->device);
    int32_t width = 0, height = 0;
    PlatPixelFormat format{};
    plat_SurfaceDescribe(target, &width, &height, &format);
    void* pixels = nullptr;
    int32_t pitch = 0;
    if (width == kWidth && height == kHeight && format.bitCount == 16 && plat_SurfaceLock(target, &pixels, &pitch) == 0) {
      const bool green6 = format.greenMask == 0x07E0;
      std::vector<uint8_t> rgb;
      for (int y = 0; y < kHeight; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(pixels) + y * pitch);
        for (int x = 0; x < kWidth; ++x) {
          const uint16_t p = row[x];
          rgb.push_back(Expand5(green6 ? p >> 11 : (p >> 10) & 31));
          rgb.push_back(green6 ? static_cast<uint8_t>(((p >> 5) & 63) << 2) : Expand5((p >> 5) & 31));
          rgb.push_back(Expand5(p & 31));
        }
      }
      plat_SurfaceUnlock(target);
      WriteBmp(bmp, rgb);
    }
  }
  wre_CameraDispose(camera, 1);
  result.fps = 1000.0 * frames / whole;
  result.frameMs = whole / frames;
  result.submitMs = submit / frames;
  result.drawMs = draw / frames;
  result.ok = true;
  return result;
}

// The scene's textures as OpenGL textures: RGBA, rows bottom first as the texture module uploads
// them, nearest texels like the software renderer.
void GlTexturesCreate(const SoftSceneData& data) {
  const PlatGlFunctions& gl = *plat_Gl();
  gGlNames.assign(data.textures.size(), 0);
  for (size_t i = 0; i < data.textures.size(); ++i) {
    const SoftSceneTexture& t = data.textures[i];
    const int width = 1 << t.log2Width, height = 1 << t.log2Height;
    std::vector<uint8_t> rgba;
    for (int y = height - 1; y >= 0; --y) {
      for (int x = 0; x < width; ++x) {
        const uint16_t p = t.texels[static_cast<size_t>(y) * width + x];
        rgba.push_back(Expand5((p >> 10) & 31));
        rgba.push_back(Expand5((p >> 5) & 31));
        rgba.push_back(Expand5(p & 31));
        rgba.push_back(!t.keyed || (p & 0x8000) ? 255 : 0);
      }
    }
    gl.GenTextures(1, &gGlNames[i]);
    gl.BindTexture(kGlTexture2D, gGlNames[i]);
    gl.PixelStorei(kGlUnpackAlignment, 1);
    gl.TexParameteri(kGlTexture2D, kGlTextureMinFilter, static_cast<int32_t>(kGlNearest));
    gl.TexParameteri(kGlTexture2D, kGlTextureMagFilter, static_cast<int32_t>(kGlNearest));
    gl.TexImage2D(kGlTexture2D, 0, static_cast<int32_t>(kGlRgba), width, height, 0, kGlRgba, kGlUnsignedByte,
                  rgba.data());
  }
}

Result OpenGL(const SoftSceneData& data, int frames, const std::string& bmp) {
  Result result;
  Camera* camera = SceneCamera(kRendererOpenGL, 1);
  if (!camera || !camera->context || !camera->context->glContext) {
    if (camera) wre_CameraDispose(camera, 1);
    return result;
  }
  DrawingContext* context = camera->context;
  const PlatGlFunctions& gl = *plat_Gl();
  GlTexturesCreate(data);
  SceneTables(data, 1.0f / 255.0f);
  const ScaledScene scene = Scale(data, 1.0f / 255.0f);
  double submit = 0.0, draw = 0.0, whole = 0.0;
  for (int frame = -3; frame < frames; ++frame) {
    const Clock::time_point start = Clock::now();
    wre_PolyQueuesReset();
    wre_GLFrameBegin(camera, context, 1);
    const Clock::time_point submitStart = Clock::now();
    result.dropped = Submit(camera, scene);
    const Clock::time_point drawStart = Clock::now();
    wre_GLPolygonsDraw(camera, context);
    gl.Finish();
    const Clock::time_point end = Clock::now();
    if (frame < 0) continue;
    submit += std::chrono::duration<double, std::milli>(drawStart - submitStart).count();
    draw += std::chrono::duration<double, std::milli>(end - drawStart).count();
    whole += std::chrono::duration<double, std::milli>(end - start).count();
  }
  result.queued = QueuedCount();
  if (!bmp.empty()) {
    std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4), rgb;
    gl.ReadPixels(0, 0, kWidth, kHeight, kGlRgba, kGlUnsignedByte, rgba.data());
    for (int y = kHeight - 1; y >= 0; --y) {
      for (int x = 0; x < kWidth; ++x) {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
        rgb.insert(rgb.end(), p, p + 3);
      }
    }
    WriteBmp(bmp, rgb);
  }
  gl.DeleteTextures(static_cast<int32_t>(gGlNames.size()), gGlNames.data());
  gGlNames.clear();
  wre_CameraDispose(camera, 1);
  result.fps = 1000.0 * frames / whole;
  result.frameMs = whole / frames;
  result.submitMs = submit / frames;
  result.drawMs = draw / frames;
  result.ok = true;
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  const std::string prefix = argc > 2 ? argv[2] : "";

  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  plat_UseBackend(kPlatBackendReal);
  if (!plat_GlAvailable()) {
    std::printf("no OpenGL\n");
    return 1;
  }
  wre_MemoryInit();
  wre_MathTablesInit();
  wre_RendererSettingsInit(4096, 4096);
  wre_ContextListInit();
  gRendererSettings.available = 0x1f;
  if (wre_MaterialTableInit(8) != 0 || wre_PolyQueuesInit(20000) != 0 || wre_TextureTableInit(kTextureSlots) != 0) {
    return 1;
  }
  for (int32_t i = 0; i < gMaterialCount; ++i) gMaterialIndexMap[i] = i;
  for (int32_t i = 0; i < kTextureSlots; ++i) gTextureIndexMap[i] = i;
  static constexpr HwTextureLookup kLookup{Flags, Handle, nullptr, nullptr, GlName};
  wre_HwTextureInstall(&kLookup);
  plat_D3DSetTextureSource(Source);

  const char* threads = std::getenv("LP_NUM_THREADS");
  std::printf("%d frames of %dx%d per scene and back end; llvmpipe threads: %s (%u CPUs)\n", frames, kWidth, kHeight,
              threads ? threads : "default", std::thread::hardware_concurrency());
  std::printf("%-8s %-9s %7s %7s %9s %9s %12s %9s %8s\n", "scene", "back end", "records", "queued", "fps", "ms/frame",
              "project+clip", "draw", "dropped");
  int status = 0;
  for (int kind = 0; kind < kSoftSceneCount; ++kind) {
    const SoftSceneData scene = SoftSceneBuild(kind);
    gScene = &scene;
    const size_t records = scene.sky.size() + scene.opaque.size() + scene.keyed.size() + scene.translucent.size();
    for (int backend = 0; backend < 2; ++backend) {
      const char* name = backend == 0 ? "direct3d" : "opengl";
      const std::string bmp = prefix.empty() ? "" : prefix + name + "-" + SoftSceneName(kind) + ".bmp";
      const Result r = backend == 0 ? Direct3D(scene, frames, bmp) : OpenGL(scene, frames, bmp);
      if (!r.ok) {
        std::printf("%-8s %-9s no context\n", SoftSceneName(kind), name);
        status = 1;
        continue;
      }
      std::printf("%-8s %-9s %7zu %7d %9.1f %9.3f %12.3f %9.3f %8d\n", SoftSceneName(kind), name, records, r.queued,
                  r.fps, r.frameMs, r.submitMs, r.drawMs, r.dropped);
      std::fflush(stdout);
    }
    gScene = nullptr;
  }
  plat_D3DSetTextureSource(nullptr);
  wre_HwTextureInstall(nullptr);
  wre_TextureTableFree();
  wre_PolyQueuesFree();
  wre_MaterialTableFree();
  wre_MathTablesExit();
  return status;
}
