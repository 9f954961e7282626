// The game's data tree as the generator writes it: the same bytes on every run, the save folder and
// still-valid route files left alone, and every file read without error by the engine's own
// readers, each set of texture lists loaded together as the game loads them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/startup/engine.h"
#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/world.h"
#include "engine/data/codex.h"
#include "engine/data/course.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/model.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"
#include "engine/data/texture_list.h"
#include "engine/data/wave.h"
#include "engine/data/world_file.h"
#include "engine/render/camera.h"
#include "platform/plat_avi.h"
#include "platform/plat_backend.h"
#include "platform/plat_cdaudio.h"
#include "platform/test/plat_cdaudio.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"
#include "support/temp_dir.h"
#include "tools/datagen/game_tree.h"
#include "tools/datagen/level_water.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kLevels[10] = {"amazon", "bahama", "bermuda", "colorado", "hongkong",
                                     "lakeside", "nile",   "penguin", "venice",   "victoria"};

std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = TempDir::Read(e.path());
  return files;
}

class GameTree : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    ok_ = DatagenWriteTree(dir_->str());
  }
  static void TearDownTestSuite() { delete dir_; }
  static fs::path Data() { return dir_->path() / "data"; }
  static inline TempDir* dir_ = nullptr;
  static inline bool ok_ = false;
};

TEST_F(GameTree, RunsAgainToTheSameBytesKeepingSavesAndValidRoutes) {
  ASSERT_TRUE(ok_);
  TempDir again;
  ASSERT_TRUE(DatagenWriteTree(again.str()));
  const auto first = Snapshot(Data());
  EXPECT_EQ(first, Snapshot(again.path() / "data"));
  EXPECT_GT(first.size(), 900u);
  size_t bytes = 0;
  for (const auto& [name, content] : first) bytes += content.size();
  EXPECT_LT(bytes, 16u << 20);

  // The game's own files: saves are never touched; a route stays while its course file is unchanged
  // and goes when the course file is written with other bytes.
  again.Write("data/prefs/prefs.qz", "saved");
  again.Write("data/courses/amazon/qz_route_ 0.qz", "route");
  again.Write("data/courses/bermuda/qz_route_14.qz", "route");
  again.Write("data/courses/bermuda/course.dat", "// an older course file\r\n");
  ASSERT_TRUE(DatagenWriteTree(again.str()));
  EXPECT_EQ(TempDir::Read(again.path() / "data/prefs/prefs.qz"), "saved");
  EXPECT_TRUE(fs::exists(again.path() / "data/courses/amazon/qz_route_ 0.qz"));
  EXPECT_FALSE(fs::exists(again.path() / "data/courses/bermuda/qz_route_14.qz"));
  EXPECT_EQ(TempDir::Read(again.path() / "data/courses/bermuda/course.dat"),
            TempDir::Read(Data() / "courses/bermuda/course.dat"));
}

// Reads the water lines of a world file the way the game's handler does: a known token word and
// its values.
int32_t WaterLine(const char** text, int32_t* remaining) {
  static const std::map<std::string, int32_t> kValues = {
      {"vQZQZ_Ignore", 0}, {"vqz_Waterworks_TextureTileFactor", 1}, {"vqz_Waterworks_WaterMode", -1},
      {"vqz_Waterworks_WaveHeightMultiplier", 1}, {"vqz_Waterworks_WaveAngleAdd", 1}, {"vqz_Waterworks_BasisY", 1},
      {"vqz_Waterworks_HeightToSpecularRatio", 1}, {"vqz_Waterworks_MinHeightToSpecularThresh", 1},
      {"vqz_Waterworks_HeightToTextureUVRatio", 2}, {"vqz_Waterworks_WaterUVPoint", 2},
      {"vqz_Waterworks_WaterUVAddPoint", 2}, {"vqz_Waterworks_UVCyclicMultiplier", 1},
      {"vqz_Waterworks_UVCyclicAngle", 1}, {"vqz_Waterworks_UVCyclicAddAngle", 1}, {"vqz_Waterworks_SingularTexUV", 2}};
  char word[256];
  if (wre_CodexReadString(text, remaining, word, sizeof(word)) != 0) return 7;
  const auto it = kValues.find(word);
  if (it == kValues.end()) return 7;
  if (it->second < 0) {
    if (wre_CodexReadString(text, remaining, word, sizeof(word)) != 0) return 7;
    return std::strncmp(word, "vqz_WaterMode_", 14) == 0 ? 0 : 7;
  }
  for (int32_t i = 0; i < it->second; ++i) {
    float v = 0;
    if (wre_CodexReadFloat(text, remaining, &v) != 0) return 7;
  }
  return 0;
}

class GameTreeLoad : public GameTree {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
    ASSERT_EQ(wre_Init(kRendererSoftware, 128, 128, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240), 0);
    const WreRect view{0, 0, 320, 240}, screen{0, 0, 640, 480};
    Transform placement{};
    wre_TransformReset(&placement);
    const float background[4] = {0, 0, 0, 255};
    camera_ = wre_CameraNew(&view, 16, &placement, background, 1, 1.0f, 1000.0f, 160.0f, 320, nullptr, 0, nullptr, 0,
                            0, 0, 0, 0, 0, 0, &screen);
    ASSERT_NE(camera_, nullptr);
    material_ = wre_MaterialCreate(255, 255, 255, 255, 0, 0, 0, 255, "white");
  }
  void TearDown() override {
    wre_TextureReleaseAll();
    if (camera_) wre_CameraDispose(camera_, 1);
    wre_FolderSet(nullptr);
    if (gEngineStarted) wre_Shutdown();
    wre_MemoryInit();
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
  }

  void Enter(const std::string& folder) { ASSERT_EQ(wre_FolderSet((Data() / folder).c_str()), 0) << folder; }

  // Loads the folder's texture list, then its fonts and models; the textures stay loaded.
  void LoadFolder(const std::string& folder) {
    Enter(folder);
    if (fs::exists(Data() / folder / "texture.codx")) {
      wre_CodexSetMode(0);
      EXPECT_EQ(wre_CodexLoadTextures("texture.codx", 0, camera_->context), 0) << folder;
    }
    for (const auto& e : fs::directory_iterator(Data() / folder)) {
      const std::string name = e.path().filename().string();
      if (name.rfind("font_", 0) == 0) {
        Font* font = nullptr;
        EXPECT_EQ(wre_FontLoadDefinition(&font, name.c_str(), material_), 0) << folder << "/" << name;
        int32_t w = 0, h = 0;
        EXPECT_EQ(wre_FontGetCharSize(font, &w, &h), 0);
        EXPECT_EQ(w, folder.rfind("menu", 0) == 0 ? 10 : 12) << name;  // the menus' letters are narrower
        if (font) wre_FontDispose(font);
      } else if (e.path().extension() == ".c4d") {
        EngineObject* object = nullptr;
        EXPECT_EQ(wre_ModelLoad(name.c_str(), &object, 1, 1, 0, 1, 1, 0, 2), 0) << folder << "/" << name;
        if (object) wre_ModelDispose(&object, nullptr);
      } else if (name == "level.brp") {
        ModelList* list = nullptr;
        EXPECT_EQ(wre_ModelListLoad(name.c_str(), &list, 0, 0, 0, 1, 1, 0, 0), 0) << folder;
        int32_t markers = 0, objects = 0;
        for (ModelList* r = list; r; r = r->next, ++objects) markers += wre_ObjectGetUserValue(r->object) == 5000;
        EXPECT_GE(markers, 1) << folder;
        EXPECT_GT(objects, 40) << folder;
        if (list) wre_ModelListDispose(&list, nullptr);
      }
    }
  }

  void UnloadAll() { wre_TextureReleaseAll(); }

  Camera* camera_ = nullptr;
  int32_t material_ = -1;
};

TEST_F(GameTreeLoad, EverySetLoadsTogetherThroughTheEngine) {
  ASSERT_TRUE(ok_);
  // The menus: the start-up folder with each screen in turn.
  for (const char* screen : {"m_disclaimer", "m_circuit", "m_newgame", "m_player", "m_controls", "m_options",
                             "m_highscores", "m_credits", "m_quit"}) {
    LoadFolder("menu/m_startup");
    LoadFolder(std::string("menu/") + screen);
    EXPECT_GE(wre_TextureFindByIdent("vqz_OptionsTextureIdent0"), 0);
    EXPECT_GE(wre_TextureFindByIdent("vqz_CursorTexture"), 0);
    UnloadAll();
  }
  LoadFolder("intro/quill");
  UnloadAll();
  LoadFolder("intro/hydrel");
  for (const char* ident : {"tl", "tm", "tr", "bl", "bm", "br", "vqz_WaterworksTexIdent0"})
    EXPECT_GE(wre_TextureFindByIdent(ident), 0) << ident;
  UnloadAll();
  // A race on every level, with every mode's markers, the craft, riders and their pictures.
  for (const char* level : kLevels) {
    for (const char* folder : {"textures", "interface", "gameplay/rally", "gameplay/treasure", "gameplay/derby"})
      LoadFolder(folder);
    LoadFolder(std::string("skybox/") + level);
    LoadFolder(std::string("levels/") + level);
    EXPECT_GE(wre_TextureFindByIdent("vqz_WaterworksTexIdent0"), 0);
    Enter("interface");
    int32_t handle = -1;
    for (const char* sheet : {"qz_interface", "qz_menu"})
      EXPECT_EQ(wre_TextureLoadFile((std::string(sheet) + ".BMP").c_str(), 1, nullptr, 0, 0, camera_->context,
                                    &handle, 0, 0, 0, 0, 0, 16, (std::string(sheet) + "_opacity.BMP").c_str(), 0),
                0);
    Enter(std::string("interface/coursemaps/") + level);
    for (int32_t c = 1; c <= 5; ++c) {
      const std::string map = "c" + std::to_string(c);
      EXPECT_EQ(wre_TextureLoadFile((map + ".bmp").c_str(), 1, nullptr, 0, 0, camera_->context, &handle, 0, 0, 0, 0,
                                    0, 16, (map + "_opacity.bmp").c_str(), 0),
                0);
    }
    Enter(std::string("levels/") + level);
    const Point4 origin{0, 0, 0, 0};
    const float ambient[4] = {255, 255, 255, 255};
    World* world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, ambient, 70.0f, 0);
    for (int32_t n = 1; n <= 15; ++n) {
      char name[32];
      std::snprintf(name, sizeof(name), "environs_%02d.codx", n);
      EXPECT_EQ(wre_CodexLoadWorld(name, 0, world, WaterLine), 0) << level << "/" << name;
    }
    wre_WorldDispose(world);
    Enter(std::string("courses/") + level);
    int32_t count = 0;
    EXPECT_EQ(CourseCount("course.dat", &count), 0);
    EXPECT_EQ(count, 15) << level;
    for (int32_t n = 0; n < 15; ++n) {
      Course* course = nullptr;
      using levelgen::kMin, levelgen::kMax;
      ASSERT_EQ(CourseLoad("course.dat", n, &course, kMin, kMax, 96000, 113000, kMin, kMax, 1, 0, 0), 0);
      int32_t waypoints = 0;
      for (CourseWaypoint* w = course->waypoints; w; w = w->next, ++waypoints) {
        EXPECT_GT(w->position.x, kMin + levelgen::kEdgeLand) << level << " course " << n;
        EXPECT_LT(w->position.z, kMax - levelgen::kEdgeLand) << level << " course " << n;
      }
      EXPECT_GE(waypoints, 2);
      if (n < 5) {
        EXPECT_EQ(waypoints % 2, 0);
      }
      CourseFree(course);
    }
    UnloadAll();
  }
  for (const char* model : {"alder", "dogwood", "elm", "birch", "cedar"}) {
    LoadFolder(std::string("hydrels/") + model);
    int32_t handle = -1;
    for (int32_t n = 1; n <= 50; ++n) {
      char name[32];
      std::snprintf(name, sizeof(name), "%s_%02d.BMP", model, n);
      EXPECT_EQ(wre_TextureLoad(name, camera_->context, &handle), 0) << name;
      wre_TextureUnloadByFile(name);
    }
  }
  LoadFolder("riders/common");
  LoadFolder("riders/cedar");
  Enter("riders/common");
  for (int32_t n = 1; n <= 41; ++n) {
    int32_t handle = -1;
    char name[32];
    std::snprintf(name, sizeof(name), "male_%02d.BMP", n);
    EXPECT_EQ(wre_TextureLoad(name, camera_->context, &handle), 0) << name;
  }
}

TEST_F(GameTree, SoundsClipsAndTracksOpen) {
  ASSERT_TRUE(ok_);
  plat_UseBackend(kPlatBackendTest);
  wre_MemoryInit();
  int32_t sounds = 0;
  for (const auto& e : fs::directory_iterator(Data() / "sounds")) {
    WaveFile* f = nullptr;
    WaveFormat* format = nullptr;
    PlatRiffChunk riff{}, data{};
    ASSERT_EQ(WaveOpenFile(e.path().c_str(), &f, &format, &riff), 0) << e.path();
    EXPECT_EQ(format->samplesPerSec, 22050u);
    EXPECT_EQ(WaveFindData(f, &data, &riff), 0);
    WaveClose(&f);
    WaveFormatFree(format);
    ++sounds;
  }
  EXPECT_EQ(sounds, 24);
  plat_TestCdReset();
  plat_CdSetTrackFolder((Data() / "cdaudio").c_str());
  uint32_t device = 0, count = 0;
  ASSERT_EQ(plat_CdOpen(&device), kPlatCdOk);
  EXPECT_EQ(plat_CdTrackCount(device, &count), kPlatCdOk);
  EXPECT_EQ(count, 10u);
  plat_CdClose(device);
  plat_CdSetTrackFolder(nullptr);
  for (const char* clip : {"intro/ostrel/ost8Xhi.avi", "intro/tarnwick/Tarnwick.avi"}) {
    PlatAvi* avi = nullptr;
    ASSERT_EQ(plat_AviOpen((Data() / clip).c_str(), &avi), kPlatAviOk) << clip;
    // Played unscaled in the middle of the 640 x 480 screen: a quarter of it, two seconds.
    const PlatAviInfo* info = plat_AviInfo(avi);
    EXPECT_EQ(info->width, 320) << clip;
    EXPECT_EQ(info->height, 240) << clip;
    EXPECT_EQ(info->frameCount, 20u) << clip;
    plat_AviClose(avi);
  }
  for (const char* page : {"menu/m_disclaimer/disclaimer.txt", "menu/m_credits/credits.txt"}) {
    const std::string text = TempDir::Read(Data() / page);
    EXPECT_NE(text.find("\r\n"), std::string::npos) << page;
  }
  // The disclaimer is drawn from x 60 without wrapping: a longer line runs off the screen.
  std::istringstream disclaimer(TempDir::Read(Data() / "menu/m_disclaimer/disclaimer.txt"));
  for (std::string line; std::getline(disclaimer, line);) EXPECT_LE(line.size(), 29u) << line;
  EXPECT_TRUE(fs::is_directory(Data() / "prefs"));
  EXPECT_TRUE(fs::is_empty(Data() / "prefs"));
  plat_UseBackend(kPlatBackendReal);
}

}  // namespace
