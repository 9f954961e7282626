// Pictures of the generated data for people to look at: converts bitmaps of the tree to PNG (a
// list of bitmaps given together becomes one sheet, side by side, small ones enlarged), and draws a
// level with the software renderer from behind a craft at the start of its first rally course, and
// lays a clip's frames out on a sheet, five to a row, twice their size.
//   data_snapshot png OUT.png FILE.bmp [FILE.bmp ...]
//   data_snapshot clip OUT.png FILE.avi
//   data_snapshot level ROOT LEVEL OUT.png      (ROOT holds data/)
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <cmath>
#include <filesystem>

#include "engine/startup/engine.h"
#include "engine/core/files.h"
#include "engine/core/light.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/data/bmp.h"
#include "engine/data/codex.h"
#include "engine/data/course.h"
#include "engine/data/model.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"
#include "engine/data/texture_list.h"
#include "engine/render/camera.h"
#include "engine/render/frame.h"
#include "platform/plat_avi.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"
#include "tools/datagen/mesh_builder.h"
#include "tools/datagen/model_writer.h"
#include "tools/datagen/png_writer.h"

namespace {

struct Rgb {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> bytes;
};

bool LoadBmp(const char* path, Rgb* out) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Offscreen* o = wre_OffscreenLoadBMPMemory(data.data(), static_cast<int32_t>(data.size()));
  if (!o) return false;
  out->width = o->width;
  out->height = o->height;
  out->bytes.clear();
  for (int32_t y = 0; y < o->height; ++y) {
    const uint8_t* row = o->pixels + static_cast<size_t>(y) * o->rowBytes;
    for (int32_t x = 0; x < o->width; ++x) {
      if (o->depth == 8) {
        out->bytes.insert(out->bytes.end(), o->paletteA[row[x]], o->paletteA[row[x]] + 3);
      } else {
        out->bytes.insert(out->bytes.end(), row + x * 3, row + x * 3 + 3);
      }
    }
  }
  wre_OffscreenDispose(o);
  return true;
}

bool Save(const char* path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Nearest-neighbour enlargement until the picture is at least 128 tall.
void Enlarge(Rgb& p) {
  int32_t k = 1;
  while (p.height * k < 128) ++k;
  if (k == 1) return;
  Rgb big{p.width * k, p.height * k, {}};
  for (int32_t y = 0; y < big.height; ++y)
    for (int32_t x = 0; x < big.width; ++x) {
      const uint8_t* from = &p.bytes[(static_cast<size_t>(y / k) * p.width + x / k) * 3];
      big.bytes.insert(big.bytes.end(), from, from + 3);
    }
  p = big;
}

int Sheet(int count, char** files, const char* outPath) {
  std::vector<Rgb> pictures(static_cast<size_t>(count));
  int32_t width = 0, height = 0;
  for (int i = 0; i < count; ++i) {
    if (!LoadBmp(files[i], &pictures[static_cast<size_t>(i)])) {
      std::fprintf(stderr, "data_snapshot: cannot read %s\n", files[i]);
      return 1;
    }
    Enlarge(pictures[static_cast<size_t>(i)]);
    width += pictures[static_cast<size_t>(i)].width + (i ? 4 : 0);
    height = std::max(height, pictures[static_cast<size_t>(i)].height);
  }
  std::vector<uint8_t> sheet(static_cast<size_t>(width) * height * 3, 40);
  int32_t left = 0;
  for (const Rgb& p : pictures) {
    for (int32_t y = 0; y < p.height; ++y)
      std::memcpy(&sheet[(static_cast<size_t>(y) * width + left) * 3], &p.bytes[static_cast<size_t>(y) * p.width * 3],
                  static_cast<size_t>(p.width) * 3);
    left += p.width + 4;
  }
  return Save(outPath, PngWriteRgb(width, height, sheet.data())) ? 0 : 1;
}

int Clip(const char* file, const char* outPath) {
  PlatAvi* avi = nullptr;
  if (plat_AviOpen(file, &avi) != kPlatAviOk) {
    std::fprintf(stderr, "data_snapshot: cannot read %s\n", file);
    return 1;
  }
  const PlatAviInfo* info = plat_AviInfo(avi);
  const int32_t w = info->width * 2, h = info->height * 2, across = 5;
  const int32_t rows = (static_cast<int32_t>(info->frameCount) + across - 1) / across;
  const int32_t width = across * (w + 4) - 4, height = rows * (h + 4) - 4;
  std::vector<uint8_t> sheet(static_cast<size_t>(width) * height * 3, 40);
  for (uint32_t f = 0; f < info->frameCount; ++f) {
    std::vector<uint8_t> pixels;
    PlatImageFormat format{};
    if (plat_AviReadFrame(avi, f, &pixels, &format) != kPlatAviOk || format != kPlatImageBgr24) break;
    const int32_t left = static_cast<int32_t>(f) % across * (w + 4), top = static_cast<int32_t>(f) / across * (h + 4);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const uint8_t* p = &pixels[(static_cast<size_t>(y / 2) * info->width + x / 2) * 3];
        uint8_t* q = &sheet[(static_cast<size_t>(top + y) * width + left + x) * 3];
        q[0] = p[2], q[1] = p[1], q[2] = p[0];
      }
  }
  plat_AviClose(avi);
  return Save(outPath, PngWriteRgb(width, height, sheet.data())) ? 0 : 1;
}

constexpr int32_t kWidth = 640, kHeight = 480;
constexpr float kTurn = 4096.0f / 6.28318530718f;  // angle units a radian

bool Fail(const char* what) {
  std::fprintf(stderr, "data_snapshot: %s\n", what);
  return false;
}

// Loads a folder's texture list (the data folder given as a path below the root).
bool Folder(const std::filesystem::path& root, const std::string& folder, Camera* camera, bool list = true) {
  if (wre_FolderSet((root / "data" / folder).c_str()) != 0) return Fail("no such folder");
  wre_CodexSetMode(0);
  return !list || wre_CodexLoadTextures("texture.codx", 0, camera->context) == 0 || Fail("a texture list failed");
}

EngineObject* Place(const char* file, World* world, float x, float y, float z, float yaw, uint8_t centre = 1) {
  EngineObject* object = nullptr;
  if (wre_ModelLoadIntoWorld(file, &object, world, 1, centre, 0, 1, 1, 0, 2) != 0) {
    std::fprintf(stderr, "data_snapshot: cannot load %s\n", file);
    return nullptr;
  }
  wre_ObjectSetTransform(object, 0, static_cast<int32_t>(std::lround(yaw * kTurn)), 0, x, y, z);
  return object;
}

bool Level(const std::filesystem::path& root, const std::string& level, const char* outPath) {
  plat_UseBackend(kPlatBackendTest);
  plat_TestDisplayReset();
  if (wre_Init(kRendererSoftware, 128, 128, 1, 4096, 65536, 32768, 4096, 4096, 1024, 10240) != 0)
    return Fail("the engine did not start");
  const WreRect view{0, 0, kWidth, kHeight};
  Transform placement{};
  wre_TransformReset(&placement);
  const float background[4] = {0, 0, 0, 255};
  Camera* camera = wre_CameraNew(&view, 16, &placement, background, 1, 50.0f, 600000.0f, kWidth * 0.5f, kWidth,
                                 nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0, 0, &view);
  if (!camera) return Fail("no camera");
  const Point4 origin{0, 0, 0, 0};
  const float ambient[4] = {255, 255, 255, 255};
  World* world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, ambient, 80.0f, 0);
  Transform lightPlacement{};
  wre_TransformReset(&lightPlacement);
  const float sun[4] = {255, 250, 235, 255};
  Light* light = wre_LightCreate(kLightDirectional, &lightPlacement, sun, 30.0f);
  wre_LightSetPosition(light, -0.4f, 1.0f, 0.3f, 0, 0, 0);
  wre_LightSetOn(light, 1);
  wre_LightListAdd(light, world);
  wre_CameraSetWorld(camera, world);

  // The sky around the camera, drawn first and clamped, as the race does.
  if (!Folder(root, "skybox/" + level, camera)) return false;
  EngineObject* sky = nullptr;
  if (wre_ModelLoad("SkyDayN.c4d", &sky, 1, 1, 0, 1, 0, 1, 0) != 0) return Fail("no sky");
  wre_ObjectSetAllPolyKinds(sky, 200);
  wre_ObjectSetAllPolyFlags(sky, 0x10);
  wre_CameraAddObject(camera, sky);

  if (!Folder(root, "levels/" + level, camera)) return false;
  ModelList* objects = nullptr;
  if (wre_ModelListLoadIntoWorld("level.brp", &objects, world, 0, 0, 0, 1, 1, 0, 0) != 0) return Fail("no level");
  // The race water is a grid the game draws with the level's water texture at the markers' height;
  // here a plain tiled plane stands in for it.
  std::vector<ChunkObjectDef> tiles;
  for (int32_t i = 0; i < 10; ++i)
    for (int32_t j = 0; j < 10; ++j) {
      ChunkObjectDef water;
      water.mesh = MeshPlane(42000, 42000, 2, 2);
      for (auto& uv : water.mesh.uvs) uv = {uv[0] * 20, uv[1] * 20};  // the grid's tiling
      water.position = {40000 + 42000 * (static_cast<float>(i) + 0.5f), 0, 40000 + 42000 * (static_cast<float>(j) + 0.5f)};
      water.textures.push_back({0, level + "_water.bmp"});
      water.materials.push_back({});
      tiles.push_back(water);
    }
  const std::vector<uint8_t> waterFile = ChunkWriteFile(tiles);
  const auto scratch = std::filesystem::temp_directory_path() / "data_snapshot_water.brp";
  std::ofstream(scratch, std::ios::binary)
      .write(reinterpret_cast<const char*>(waterFile.data()), static_cast<std::streamsize>(waterFile.size()));
  wre_FolderSet(scratch.parent_path().c_str());
  ModelList* sea = nullptr;
  const bool seaLoaded = wre_ModelListLoadIntoWorld(scratch.filename().c_str(), &sea, world, 0, 0, 0, 0, 0, 0, 0) == 0;
  std::filesystem::remove(scratch);
  if (!seaLoaded) return Fail("no water");

  // The first rally course's gates, mapped inside the arena's walls.
  if (!Folder(root, "courses/" + level, camera, false)) return false;
  Course* course = nullptr;
  if (CourseLoad("course.dat", 0, &course, 48000, 452000, 96000, 113000, 48000, 452000, 1, 0, 0) != 0)
    return Fail("no course");
  std::vector<Point4> buoys;
  for (CourseWaypoint* w = course->waypoints; w; w = w->next) buoys.push_back(w->position);
  const Point4 start = course->startGatePosition;
  CourseFree(course);
  if (!Folder(root, "gameplay/rally", camera)) return false;
  for (const Point4& b : buoys) Place("bouy01.c4d", world, b.x, 0, b.z, 0);
  const Point4 a = buoys[buoys.size() - 4], b = buoys[buoys.size() - 3], c = buoys[buoys.size() - 2],
               d = buoys[buoys.size() - 1];
  const float fx = (c.x + d.x) / 2, fz = (c.z + d.z) / 2;
  Place("finish_line.c4d", world, fx, 2250, fz, std::atan2(fx - (a.x + b.x) / 2, fz - (a.z + b.z) / 2));

  // The player's craft and rider at the start gate, facing the first gate.
  const float gx = (buoys[0].x + buoys[1].x) / 2, gz = (buoys[0].z + buoys[1].z) / 2;
  const float yaw = std::atan2(gx - start.x, gz - start.z);
  const float dx = std::sin(yaw), dz = std::cos(yaw);
  if (!Folder(root, "hydrels/alder", camera, false)) return false;
  int32_t livery = -1;
  if (wre_TextureLoad("alder_07.BMP", camera->context, &livery) != 0) return Fail("no livery");
  EngineObject* craft = Place("hydrel_01.c4d", world, start.x, 60, start.z, yaw);
  if (!craft) return false;
  wre_ObjectSetAllPolyTexture(craft, livery);
  if (!Folder(root, "riders/common", camera, false)) return false;
  int32_t suit = -1;
  if (wre_TextureLoad("male_03.BMP", camera->context, &suit) != 0) return Fail("no rider suit");
  EngineObject* rider = Place("male.c4d", world, start.x - dx * 120, 130, start.z - dz * 120, yaw, 0);
  if (!rider) return false;
  wre_ObjectSetAllPolyTexture(rider, suit);

  // The chase camera: behind and above the craft, looking a little ahead of it.
  wre_CameraSetTransform(camera, 0, 0, 0, start.x - dx * 2900, 900, start.z - dz * 2900);
  wre_TransformPointAt(&camera->transform, start.x + dx * 4000, 200, start.z + dz * 4000);
  wre_CameraMarkChanged(camera);
  // The software renderer sizes its span buffer from the frames before: the first frames of a
  // scene may come out short, as in the game's first frames.
  for (int32_t frame = 0; frame < 4; ++frame)
    if (wre_FrameBegin(camera, 1) != 0 || wre_CameraRender(camera) != 0 || wre_FrameFlush(camera) != 0 ||
        wre_FrameEnd(camera) != 0)
      return Fail("the frame failed");
  PlatFrame frame;
  if (!plat_TestLastPresented(&frame)) return Fail("nothing presented");
  std::vector<uint8_t> rgb;
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) {
      const uint16_t p = frame.pixels[static_cast<size_t>(y) * frame.width + x];
      rgb.push_back(static_cast<uint8_t>((p >> 11) << 3));
      rgb.push_back(static_cast<uint8_t>(((p >> 5) & 63) << 2));
      rgb.push_back(static_cast<uint8_t>((p & 31) << 3));
    }
  return Save(outPath, PngWriteRgb(kWidth, kHeight, rgb.data()));
}

}  // namespace

int main(int argc, char** argv) {
  wre_MemoryInit();
  if (argc >= 4 && std::strcmp(argv[1], "png") == 0) return Sheet(argc - 3, argv + 3, argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "clip") == 0) return Clip(argv[3], argv[2]);
  if (argc == 5 && std::strcmp(argv[1], "level") == 0) return Level(argv[2], argv[3], argv[4]) ? 0 : 1;
  std::fprintf(stderr, "usage: data_snapshot png OUT.png FILE.bmp...\n       data_snapshot clip OUT.png FILE.avi\n"
               "       data_snapshot level ROOT LEVEL OUT.png\n");
  return 2;
}
