// Whole frames through the two hardware back ends on the machine's OpenGL (llvmpipe without a
// graphics card): the Direct3D back end on the 3D device stand-in, and the OpenGL back end.
// Three fixed scenes of projected polygons, put straight into the queues:
//   grid: a textured 48 x 32 grid of quads (3072 triangles) under a two-triangle sky;
//   sprites: the grid and 300 translucent textured sprites (600 triangles) over it;
//   tiny: 10000 small smooth-lit triangles.
// Frames per second = the items_per_second counter. Every frame begins with a full clear and ends
// with the picture finished (Direct3D: copied into the back buffer; OpenGL: glFinish).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/d3d_backend.h"
#include "engine/render/gl_backend.h"
#include "engine/render/hw_texture.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "platform/plat_backend.h"
#include "platform/plat_d3d_draw.h"
#include "platform/plat_gl.h"

namespace {

constexpr int kTextureSize = 64;
std::vector<uint16_t> gTexels;  // 565
uint32_t gGlTexture = 0;

uint8_t Flags(int32_t texture) { return texture == 1 ? kTextureTranslucent : 0; }
uint32_t Handle(int32_t texture) { return texture >= 0 ? 1u : 0u; }
uint32_t GlName(int32_t) { return gGlTexture; }
bool Source(const PlatD3DDevice*, uint32_t handle, PlatD3DTextureImage* image) {
  if (handle != 1) return false;
  *image = PlatD3DTextureImage{gTexels.data(), kTextureSize, kTextureSize, kTextureSize * 2,
                               PlatPixelFormat{kPlatPixelRgb, 16, 0xF800, 0x07E0, 0x001F, 0}, 1, nullptr};
  return true;
}

uint32_t gSeed = 12345;
float Random(float low, float high) {
  gSeed = gSeed * 1664525u + 1013904223u;
  return low + (high - low) * static_cast<float>(gSeed >> 8) / 16777216.0f;
}

PolygonRecord Record(uint8_t kind, int16_t material, int16_t texture, const float xy[3][2], float z,
                     const float uv[3][2]) {
  PolygonRecord r{};
  r.kind = kind;
  r.material = material;
  r.texture = texture;
  for (int i = 0; i < 3; ++i) {
    r.v[i] = Point4{xy[i][0], xy[i][1], z, 1.0f / (0.1f + z)};
    for (int k = 0; k < 3; ++k) r.colour[i][k] = Random(0.0f, gColourMax * 0.3f);
    r.uv[i][0] = uv[i][0];
    r.uv[i][1] = uv[i][1];
  }
  return r;
}

// The scene's records, in the engine's colour scale (filled once per back end).
void BuildScene(int scene, std::vector<PolygonRecord>* opaque, std::vector<PolygonRecord>* translucent) {
  gSeed = 12345;
  opaque->clear();
  translucent->clear();
  if (scene == 2) {
    for (int i = 0; i < 10000; ++i) {
      const float x = Random(0, 636), y = Random(0, 476);
      const float xy[3][2] = {{x, y}, {x + 4, y + 1}, {x + 1, y + 4}};
      const float uv[3][2] = {};
      opaque->push_back(Record(102, 0, -1, xy, Random(0.1f, 0.9f), uv));
    }
    return;
  }
  const float sky[2][3][2] = {{{0, 0}, {640, 0}, {0, 160}}, {{640, 0}, {640, 160}, {0, 160}}};
  const float skyUv[2][3][2] = {{{0, 0}, {4, 0}, {0, 1}}, {{4, 0}, {4, 1}, {0, 1}}};
  for (int t = 0; t < 2; ++t) opaque->push_back(Record(200, 0, 0, sky[t], 0.99f, skyUv[t]));
  const int across = 48, down = 32;
  for (int j = 0; j < down; ++j) {
    for (int i = 0; i < across; ++i) {
      const float x0 = 640.0f * i / across, x1 = 640.0f * (i + 1) / across;
      const float y0 = 160.0f + 320.0f * j / down, y1 = 160.0f + 320.0f * (j + 1) / down;
      const float z = 0.9f - 0.8f * j / down;
      const float a[3][2] = {{x0, y0}, {x1, y0}, {x0, y1}};
      const float b[3][2] = {{x1, y0}, {x1, y1}, {x0, y1}};
      const float ua[3][2] = {{0, 0}, {1, 0}, {0, 1}};
      const float ub[3][2] = {{1, 0}, {1, 1}, {0, 1}};
      opaque->push_back(Record(202, 0, 0, a, z, ua));
      opaque->push_back(Record(202, 0, 0, b, z, ub));
    }
  }
  if (scene == 1) {
    for (int s = 0; s < 300; ++s) {
      const float x = Random(0, 620), y = Random(0, 460), size = Random(8, 24), z = Random(0.05f, 0.5f);
      const float a[3][2] = {{x, y}, {x + size, y}, {x, y + size}};
      const float b[3][2] = {{x + size, y}, {x + size, y + size}, {x, y + size}};
      const float ua[3][2] = {{0, 0}, {1, 0}, {0, 1}};
      const float ub[3][2] = {{1, 0}, {1, 1}, {0, 1}};
      translucent->push_back(Record(200, 1, 1, a, z, ua));
      translucent->push_back(Record(200, 1, 1, b, z, ub));
    }
  }
}

void Fill(const std::vector<PolygonRecord>& opaque, const std::vector<PolygonRecord>& translucent) {
  wre_PolyQueuesReset();
  for (const PolygonRecord& r : opaque) {
    *gPolyQueueOpaque.write++ = r;
    ++gPolyQueueOpaque.count;
  }
  for (const PolygonRecord& r : translucent) {
    *gPolyQueueTranslucent.write++ = r;
    ++gPolyQueueTranslucent.count;
  }
}

struct Engine {
  bool ready = false;
  Engine() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    plat_UseBackend(kPlatBackendReal);
    if (!plat_GlAvailable()) return;
    wre_MemoryInit();
    wre_MathTablesInit();
    wre_RendererSettingsInit(4096, 4096);
    wre_ContextListInit();
    gRendererSettings.available = 0x1f;
    if (wre_MaterialTableInit(4) != 0 || wre_PolyQueuesInit(16384) != 0) return;
    for (int32_t i = 0; i < gMaterialCount; ++i) gMaterialIndexMap[i] = i;
    gTexels.resize(kTextureSize * kTextureSize);
    for (int y = 0; y < kTextureSize; ++y) {
      for (int x = 0; x < kTextureSize; ++x) gTexels[y * kTextureSize + x] = ((x ^ y) & 8) ? 0xFFE0 : 0x2945;
    }
    static constexpr HwTextureLookup kLookup{Flags, Handle, nullptr, nullptr, GlName};
    wre_HwTextureInstall(&kLookup);
    plat_D3DSetTextureSource(Source);
    ready = true;
  }
  void Materials(float max) {
    gColourMax = gColourMaxAlpha = max;
    for (int m = 0; m < 2; ++m) {
      Material& record = gMaterialTable[m];
      record.inUse = 1;
      record.colourA = ColourFloat{0.9f * max, 0.8f * max, 0.7f * max, m == 1 ? 0.5f * max : max};
      record.lit = record.colourA;
    }
  }
};

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

void Direct3D(benchmark::State& state) {
  Engine& engine = TheEngine();
  if (!engine.ready) {
    state.SkipWithError("no OpenGL");
    return;
  }
  gRendererSettings.selectedKind = kRendererDirect3D;
  engine.Materials(255.0f);
  WreRect view{0, 0, 640, 480};
  Transform placement{};
  wre_TransformReset(&placement);
  float background[4] = {40, 60, 200, 255};
  Camera* camera = wre_CameraNew(&view, 16, &placement, background, 1, 1.0f, 1000.0f, 320.0f, 1024, nullptr, 0,
                                 nullptr, 0, 0, 0, 0, 0, 0, 0, &view);
  if (!camera || !camera->context || !camera->context->device) {
    state.SkipWithError("no Direct3D context");
    return;
  }
  wre_CameraMakeD3DBackground(camera);
  std::vector<PolygonRecord> opaque, translucent;
  BuildScene(static_cast<int>(state.range(0)), &opaque, &translucent);
  PlatD3DDevice* device = camera->context->device;
  for (auto _ : state) {
    Fill(opaque, translucent);
    plat_D3DDeviceBeginScene(device);
    wre_D3DFrameBegin(camera, 1, 1);
    wre_D3DPolygonsDraw(camera);
    plat_D3DDeviceEndScene(device);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["triangles"] = static_cast<double>(opaque.size() + translucent.size());
  wre_CameraDispose(camera, 1);
}

void OpenGL(benchmark::State& state) {
  Engine& engine = TheEngine();
  if (!engine.ready) {
    state.SkipWithError("no OpenGL");
    return;
  }
  engine.Materials(1.0f);
  Camera camera{};
  camera.width = 640;
  camera.height = 480;
  camera.background[0] = 0.15f;
  camera.background[1] = 0.25f;
  camera.background[2] = 0.8f;
  camera.background[3] = 1.0f;
  DrawingContext context{};
  context.kind = kRendererOpenGL;
  context.view = WreRect{0, 0, 640, 480};
  context.display = WreRect{0, 0, 640, 480};
  context.glContext = plat_GlContextCreate(nullptr, nullptr);
  if (!context.glContext) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  const PlatGlFunctions& gl = *plat_Gl();
  gl.Enable(kGlDepthTest);
  std::vector<uint8_t> rgba(kTextureSize * kTextureSize * 4);
  for (size_t i = 0; i < gTexels.size(); ++i) {
    rgba[i * 4 + 0] = static_cast<uint8_t>((gTexels[i] >> 11) << 3);
    rgba[i * 4 + 1] = static_cast<uint8_t>(((gTexels[i] >> 5) & 0x3F) << 2);
    rgba[i * 4 + 2] = static_cast<uint8_t>((gTexels[i] & 0x1F) << 3);
    rgba[i * 4 + 3] = 255;
  }
  gl.GenTextures(1, &gGlTexture);
  gl.BindTexture(kGlTexture2D, gGlTexture);
  gl.TexParameteri(kGlTexture2D, kGlTextureMinFilter, static_cast<int32_t>(kGlNearest));
  gl.TexParameteri(kGlTexture2D, kGlTextureMagFilter, static_cast<int32_t>(kGlNearest));
  gl.TexImage2D(kGlTexture2D, 0, static_cast<int32_t>(kGlRgba), kTextureSize, kTextureSize, 0, kGlRgba,
                kGlUnsignedByte, rgba.data());
  std::vector<PolygonRecord> opaque, translucent;
  BuildScene(static_cast<int>(state.range(0)), &opaque, &translucent);
  for (auto _ : state) {
    Fill(opaque, translucent);
    wre_GLFrameBegin(&camera, &context, 1);
    wre_GLPolygonsDraw(&camera, &context);
    gl.Finish();
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["triangles"] = static_cast<double>(opaque.size() + translucent.size());
  gl.DeleteTextures(1, &gGlTexture);
  gGlTexture = 0;
  plat_GlContextDelete(context.glContext);
}

BENCHMARK(Direct3D)->ArgName("scene")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OpenGL)->ArgName("scene")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
