// Pictures of the generated data for people to look at: converts bitmaps of the tree to PNG (a
// list of bitmaps given together becomes one sheet, side by side, small ones enlarged), and draws a
// level with the software renderer from behind a craft at the start of its first rally course, and
// lays a clip's frames out on a sheet, five to a row, twice their size, and draws a level from
// straight above with all fifteen of its courses over it.
//   data_snapshot png OUT.png FILE.bmp [FILE.bmp ...]
//   data_snapshot clip OUT.png FILE.avi
//   data_snapshot level ROOT LEVEL OUT.png      (ROOT holds data/)
//   data_snapshot map ROOT LEVEL OUT.png
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
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
#include "tools/datagen/raster.h"

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

// The software renderer on the test display, whose presented frames can be read back; its one
// driver offers only pictures of the given size.
bool StartEngine(int32_t width, int32_t height) {
  plat_UseBackend(kPlatBackendTest);
  plat_TestDisplayReset();
  PlatDisplayDriver driver = plat_TestDisplayDefaultDriver();
  for (int32_t m = 0; m < driver.modeCount; ++m) driver.modes[m].width = width, driver.modes[m].height = height;
  plat_TestDisplaySetDrivers(&driver, 1);
  return wre_Init(kRendererSoftware, 128, 128, 1, 4096, 65536, 32768, 4096, 4096, 1024, 10240) == 0 ||
         Fail("the engine did not start");
}

// A camera filling a width x height picture; the frustum is as wide as the projection draws.
Camera* NewCamera(int32_t width, int32_t height, float nearClip, float farClip, float projectionScale,
                  const float background[4]) {
  const WreRect view{0, 0, width, height};
  Transform placement{};
  wre_TransformReset(&placement);
  return wre_CameraNew(&view, 16, &placement, background, 1, nearClip, farClip, projectionScale,
                       static_cast<int32_t>(projectionScale * 2), nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0, 0, &view);
}

// The camera's world, lit by the sun shining along -(x, y, z) over an even ambient light.
World* NewWorld(Camera* camera, float ambientLevel, float x, float y, float z) {
  const Point4 origin{0, 0, 0, 0};
  const float ambient[4] = {255, 255, 255, 255};
  World* world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, ambient, ambientLevel, 0);
  Transform lightPlacement{};
  wre_TransformReset(&lightPlacement);
  const float sun[4] = {255, 250, 235, 255};
  Light* light = wre_LightCreate(kLightDirectional, &lightPlacement, sun, 30.0f);
  wre_LightSetPosition(light, x, y, z, 0, 0, 0);
  wre_LightSetOn(light, 1);
  wre_LightListAdd(light, world);
  wre_CameraSetWorld(camera, world);
  return world;
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

// The race water is a grid the game draws with the level's water texture at the markers' height;
// here a plain plane of 10 x 10 tiles over the given rectangle stands in for it (the level's water
// texture list must be loaded). The texture repeats 20 times a tile, as on the race's grid.
bool LoadWater(World* world, const std::string& level, float minX, float maxX, float minZ, float maxZ, float y) {
  const float across = (maxX - minX) / 10, down = (maxZ - minZ) / 10;
  std::vector<ChunkObjectDef> tiles;
  for (int32_t i = 0; i < 10; ++i)
    for (int32_t j = 0; j < 10; ++j) {
      ChunkObjectDef water;
      water.mesh = MeshPlane(across, down, 2, 2);
      for (auto& uv : water.mesh.uvs) uv = {uv[0] * 20, uv[1] * 20};
      water.position = {minX + across * (static_cast<float>(i) + 0.5f), y, minZ + down * (static_cast<float>(j) + 0.5f)};
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
  const bool loaded = wre_ModelListLoadIntoWorld(scratch.filename().c_str(), &sea, world, 0, 0, 0, 0, 0, 0, 0) == 0;
  std::filesystem::remove(scratch);
  return loaded || Fail("no water");
}

// Draws a few frames and reads the last presented one back as RGB. The software renderer sizes its
// span buffer from the frames before: the first frames of a scene may come out short, as in the
// game's first frames.
bool Shoot(Camera* camera, int32_t width, int32_t height, Rgb* out) {
  for (int32_t frame = 0; frame < 4; ++frame)
    if (wre_FrameBegin(camera, 1) != 0 || wre_CameraRender(camera) != 0 || wre_FrameFlush(camera) != 0 ||
        wre_FrameEnd(camera) != 0)
      return Fail("the frame failed");
  PlatFrame frame;
  if (!plat_TestLastPresented(&frame)) return Fail("nothing presented");
  *out = Rgb{width, height, {}};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const uint16_t p = frame.pixels[static_cast<size_t>(y) * frame.width + x];
      out->bytes.push_back(static_cast<uint8_t>((p >> 11) << 3));
      out->bytes.push_back(static_cast<uint8_t>(((p >> 5) & 63) << 2));
      out->bytes.push_back(static_cast<uint8_t>((p & 31) << 3));
    }
  return true;
}

// Where the level stands: the box around every level object's points, and the water's height, the
// middle of the water markers' heights as in the race (0 when there is none).
struct Extent {
  float minX = 1e30f, maxX = -1e30f, minY = 1e30f, maxY = -1e30f, minZ = 1e30f, maxZ = -1e30f;
  float water = 0;
};

Extent Measure(World* world) {
  constexpr int32_t kWaterMarker = 5000;  // the level objects' user value of a water marker
  Extent e;
  float markerLow = 1e30f, markerHigh = -1e30f;
  for (EngineObject* list : {world->objects, world->gridMeshes})
    for (EngineObject* o = list; o; o = o->next) {
      wre_ObjectUpdate(o, 1, 1);
      wre_ObjectExtendBounds(o, o->worldPoints, &e.minX, &e.maxX, &e.minY, &e.maxY, &e.minZ, &e.maxZ);
      if (wre_ObjectGetUserValue(o) == kWaterMarker)
        wre_ObjectExtendBounds(o, o->worldPoints, nullptr, nullptr, &markerLow, &markerHigh, nullptr, nullptr);
    }
  if (markerLow <= markerHigh) e.water = (markerLow + markerHigh) / 2;
  return e;
}

bool Level(const std::filesystem::path& root, const std::string& level, const char* outPath) {
  if (!StartEngine(kWidth, kHeight)) return false;
  const float background[4] = {0, 0, 0, 255};
  Camera* camera = NewCamera(kWidth, kHeight, 50.0f, 600000.0f, kWidth * 0.5f, background);
  if (!camera) return Fail("no camera");
  World* world = NewWorld(camera, 80.0f, -0.4f, 1.0f, 0.3f);

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
  const Extent e = Measure(world);
  if (!LoadWater(world, level, e.minX, e.maxX, e.minZ, e.maxZ, 0)) return false;

  // The first rally course's gates, mapped onto the level's extent as the race maps them.
  if (!Folder(root, "courses/" + level, camera, false)) return false;
  Course* course = nullptr;
  if (CourseLoad("course.dat", 0, &course, e.minX, e.maxX, e.minY, e.maxY, e.minZ, e.maxZ, 1, 0, 0) != 0)
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
  Rgb picture;
  return Shoot(camera, kWidth, kHeight, &picture) &&
         Save(outPath, PngWriteRgb(kWidth, kHeight, picture.bytes.data()));
}

// The picture as a canvas, to draw over it with the data tree's own drawing (raster.h), and back.
Canvas ToCanvas(const Rgb& p) {
  Canvas c = CanvasNew(p.width, p.height, 0);
  for (size_t i = 0; i < c.pixels.size(); ++i)
    c.pixels[i] = static_cast<uint32_t>(p.bytes[3 * i] << 16 | p.bytes[3 * i + 1] << 8 | p.bytes[3 * i + 2]);
  return c;
}

std::vector<uint8_t> ToRgb(const Canvas& c) {
  std::vector<uint8_t> bytes;
  for (uint32_t v : c.pixels) bytes.insert(bytes.end(), {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
  return bytes;
}

constexpr int32_t kMapSize = 800;
constexpr float kMapScale = 2047;  // the projection; the field of view (twice it) is held in 12 bits
constexpr float kMapBackground[4] = {24, 24, 32, 255};

// The levels whose races run four laps; a rally there closes back to its first gate.
bool FourLaps(const std::string& level) {
  for (const char* name : {"bermuda", "hongkong", "lakeside", "venice", "victoria"})
    if (level == name) return true;
  return false;
}

// Where a world point lands on the picture: into the camera's axes, then the software renderer's
// projection.
void Project(const Camera* camera, const Point4& point, float y, int32_t* px, int32_t* py) {
  const Transform& t = camera->transform;
  const float d[3] = {point.x - t.position[0], y - t.position[1], point.z - t.position[2]};
  auto along = [&d](const Point4& axis) { return d[0] * axis.x + d[1] * axis.y + d[2] * axis.z; };
  const float depth = along(t.axisZ);
  *px = static_cast<int32_t>(std::lround(camera->halfWidth + camera->projectionScale * along(t.axisX) / depth));
  *py = static_cast<int32_t>(std::lround(camera->halfHeight - camera->projectionScale * along(t.axisY) / depth));
}

struct Mark {
  int32_t x, y;
};

// A course's start gate and waypoints, as picture pixels at the water's height.
bool CourseMarks(int32_t number, const Extent& e, const Camera* camera, Mark* start, std::vector<Mark>* marks) {
  Course* course = nullptr;
  if (CourseLoad("course.dat", number, &course, e.minX, e.maxX, e.minY, e.maxY, e.minZ, e.maxZ, 1, 0, 0) != 0)
    return Fail("a course is missing");
  Project(camera, course->startGatePosition, e.water, &start->x, &start->y);
  marks->clear();
  for (CourseWaypoint* w = course->waypoints; w; w = w->next) {
    marks->push_back({});
    Project(camera, w->position, e.water, &marks->back().x, &marks->back().y);
  }
  CourseFree(course);
  return true;
}

// Where a course number's label goes: courses may start at one place, so a label moves down until
// it clears those already placed.
Mark LabelSpot(const std::vector<Mark>& placed, Mark at) {
  for (bool moved = true; moved;) {
    moved = false;
    for (const Mark& p : placed)
      if (std::abs(p.x - at.x) < 20 && std::abs(p.y - at.y) < 12) at.y += 12, moved = true;
  }
  return at;
}

// A rally: the path through its gates' centres (closed on four-lap levels), its buoys and its start.
void DrawRally(Canvas& p, const Mark& start, const std::vector<Mark>& buoys, bool closed, uint32_t c) {
  std::vector<Mark> gates;
  for (size_t i = 0; i + 1 < buoys.size(); i += 2)
    gates.push_back({(buoys[i].x + buoys[i + 1].x) / 2, (buoys[i].y + buoys[i + 1].y) / 2});
  for (size_t i = 0; i + 1 < gates.size(); ++i)
    CanvasLine(p, gates[i].x, gates[i].y, gates[i + 1].x, gates[i + 1].y, 2, c);
  if (closed && gates.size() > 2) CanvasLine(p, gates.back().x, gates.back().y, gates[0].x, gates[0].y, 2, c);
  for (const Mark& b : buoys) CanvasDisc(p, b.x, b.y, 2.5f, c);
  CanvasFill(p, start.x - 4, start.y - 4, start.x + 5, start.y + 5, c);
}

// A treasure hunt: its dollars in order on a thin line, the last one larger.
void DrawTreasure(Canvas& p, const std::vector<Mark>& dollars, uint32_t c) {
  for (size_t i = 0; i + 1 < dollars.size(); ++i)
    CanvasLine(p, dollars[i].x, dollars[i].y, dollars[i + 1].x, dollars[i + 1].y, 1, c);
  for (const Mark& d : dollars) CanvasDisc(p, d.x, d.y, 2.5f, c);
  if (!dollars.empty()) CanvasRing(p, dollars.back().x, dollars.back().y, 7, 1.2f, c);
}

// A derby: its waypoints as rings.
void DrawDerby(Canvas& p, const std::vector<Mark>& waypoints, uint32_t c) {
  for (const Mark& w : waypoints) CanvasRing(p, w.x, w.y, 5, 1.2f, c);
}

using Colour = std::array<uint8_t, 3>;

// Lays `over` on `under` but where `over` shows the key colour.
void Overlay(Rgb& under, const Rgb& over, const Colour& key) {
  for (size_t i = 0; i < under.bytes.size(); i += 3)
    if (std::memcmp(&over.bytes[i], key.data(), 3) != 0) std::memcpy(&under.bytes[i], &over.bytes[i], 3);
}

// The level from straight above, filling the picture: high above the centre looking down, +x to
// the right and +z up as on the course image, the larger side of the level across the picture but
// for a thin border at the water's height. Two pictures make it, what stands above the water
// (everything deeper clipped off by the far plane, on a key colour), then the water alone, the
// first laid over the second: the software renderer splits crossing polygons only near the camera,
// so from this far a water plane drawn with the land could hide the land standing out of it.
bool Aerial(const std::filesystem::path& root, const std::string& level, Camera* camera, Extent* e, Rgb* out) {
  const float ambient = 45.0f, sun[3] = {-0.5f, 1.0f, 0.6f};  // from above at a slant, for relief
  World* land = NewWorld(camera, ambient, sun[0], sun[1], sun[2]);
  if (!Folder(root, "levels/" + level, camera)) return false;
  ModelList* objects = nullptr;
  if (wre_ModelListLoadIntoWorld("level.brp", &objects, land, 0, 0, 0, 1, 1, 0, 0) != 0) return Fail("no level");
  *e = Measure(land);
  if (e->minX > e->maxX) return Fail("the level is empty");
  const float half = std::max(e->maxX - e->minX, e->maxZ - e->minZ) * 0.5f * 1.03f;
  const float height = e->water + half * kMapScale / (kMapSize * 0.5f);
  const float nearest = height - std::max(e->maxY, e->water), water = height - e->water;
  wre_CameraSetTransform(camera, 1024, 0, 0, (e->minX + e->maxX) / 2, height, (e->minZ + e->maxZ) / 2);
  constexpr Colour kKey{248, 0, 248};  // exact in 16 bits
  if (wre_CameraSetClip(camera, water, nearest * 0.9f) != 0 ||
      wre_CameraSetBackgroundRGBA(camera, kKey[0], kKey[1], kKey[2], 255) != 0)
    return Fail("the camera refused its clip");
  Rgb above;
  if (!Shoot(camera, kMapSize, kMapSize, &above)) return false;

  World* sea = NewWorld(camera, ambient, sun[0], sun[1], sun[2]);
  if (!LoadWater(sea, level, e->minX, e->maxX, e->minZ, e->maxZ, e->water)) return false;
  wre_CameraSetClip(camera, water * 1.01f, nearest * 0.9f);
  wre_CameraSetBackground(camera, kMapBackground);
  if (!Shoot(camera, kMapSize, kMapSize, out)) return false;
  Overlay(*out, above, kKey);
  return true;
}

// The level from above with its fifteen courses drawn over it: the rallies (0-4) as paths through
// their gates, the treasure hunts (5-9) as chains of dollars, the derbies (10-14) as rings; each
// labelled with its number at its start (a rally) or first marker.
bool Map(const std::filesystem::path& root, const std::string& level, const char* outPath) {
  if (!StartEngine(kMapSize, kMapSize)) return false;
  Camera* camera = NewCamera(kMapSize, kMapSize, 1, 2, kMapScale, kMapBackground);  // clipped once measured
  if (!camera) return Fail("no camera");
  Extent e;
  Rgb picture;
  if (!Aerial(root, level, camera, &e, &picture)) return false;

  static constexpr uint32_t kBright[5] = {0xFF2828, 0xFFE600, 0x28FF3C, 0x00E6FF, 0xFF3CFF};
  static constexpr uint32_t kPale[5] = {0xFF9600, 0xFFFFFF, 0xFFA0C8, 0xBEFF8C, 0xB496FF};
  if (!Folder(root, "courses/" + level, camera, false)) return false;
  Canvas canvas = ToCanvas(picture);
  Mark start;
  std::vector<Mark> marks, labels;
  for (int32_t number = 0; number < 15; ++number) {
    if (!CourseMarks(number, e, camera, &start, &marks)) return false;
    const int32_t mode = number / 5;
    const uint32_t colour = mode == 1 ? kPale[number % 5] : kBright[number % 5];
    if (mode == 0) DrawRally(canvas, start, marks, FourLaps(level), colour);
    if (mode == 1) DrawTreasure(canvas, marks, colour);
    if (mode == 2) DrawDerby(canvas, marks, colour);
    const Mark at = mode == 0 || marks.empty() ? start : marks[0];
    const Mark label = LabelSpot(labels, {at.x + 7, at.y - 12});
    labels.push_back(label);
    CanvasText(canvas, label.x + 1, label.y + 1, std::to_string(number), 1, 0);
    CanvasText(canvas, label.x, label.y, std::to_string(number), 1, colour);
  }
  picture.bytes = ToRgb(canvas);
  return Save(outPath, PngWriteRgb(kMapSize, kMapSize, picture.bytes.data()));
}

}  // namespace

int main(int argc, char** argv) {
  wre_MemoryInit();
  if (argc >= 4 && std::strcmp(argv[1], "png") == 0) return Sheet(argc - 3, argv + 3, argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "clip") == 0) return Clip(argv[3], argv[2]);
  if (argc == 5 && std::strcmp(argv[1], "level") == 0) return Level(argv[2], argv[3], argv[4]) ? 0 : 1;
  if (argc == 5 && std::strcmp(argv[1], "map") == 0) return Map(argv[2], argv[3], argv[4]) ? 0 : 1;
  std::fprintf(stderr, "usage: data_snapshot png OUT.png FILE.bmp...\n       data_snapshot clip OUT.png FILE.avi\n"
               "       data_snapshot level ROOT LEVEL OUT.png\n       data_snapshot map ROOT LEVEL OUT.png\n");
  return 2;
}
