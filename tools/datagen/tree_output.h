// The data tree being written: files go below a root folder, and what the generator states about
// them (texture lists, the textures each model names, courses, level objects) is recorded so that
// the self-checks can hold the tree to the rules the game's loaders depend on.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/datagen/codex_writer.h"

struct TreeTextureList {
  std::string folder;  // relative to data/, e.g. "menu/m_startup"
  std::vector<std::string> files;
  std::vector<std::string> idents;
};

struct TreeModel {
  std::string folder;
  std::string file;
  std::vector<std::string> textures;  // file names the model's materials name
  int32_t materials = 0;
};

// A picture loaded by the game by its file name, outside any texture list.
struct TreeLooseTexture {
  std::string folder;
  std::string file;
};

// A lane of a level's water: the line down its middle (world units, a point every few thousand)
// and how far the water reaches either side of it.
struct TreeLane {
  std::vector<std::array<float, 2>> middle;
  bool closed = false;
  float radius = 0;
};

// A course as the course file gives it: image pixels.
struct TreeCoursePixels {
  int32_t startX = 0, startY = 0;
  std::vector<std::pair<int32_t, int32_t>> waypoints;
  bool operator==(const TreeCoursePixels&) const = default;
};

// A level's fifteen courses, five for each mode in this order: rally ways, treasure hunts, derbies.
constexpr size_t kTreeCoursesPerMode = 5;

struct TreeLevelFacts {
  std::string level;
  bool oneLap = false;               // its rally courses are one lap long, and it offers the linear hunt
  float unitsPerPixel = 0;           // world units a course-image pixel
  int32_t imageWidth = 0, imageHeight = 0;  // the course image
  int32_t waterMarkers = 0;
  int32_t unknownIdObjects = 0;      // objects with an id the level loader does not know (which could
                                   // put them in the markers' collision group 0x10)
  float minY = 0, maxY = 0;        // the level model's height span, before the load's lift
  float minX = 0, maxX = 0, minZ = 0, maxZ = 0;  // and its extent across the water plane
  float waterY = 0;
  std::vector<int32_t> rallyWaypointCounts;  // courses 0-4
  std::vector<TreeCoursePixels> courses;     // all fifteen
  // The land's top as the level file gives it: triangles (x, z, x, z, x, z) in world units.
  std::vector<std::array<float, 6>> land;
  std::vector<TreeLane> lanes;  // the water's lanes that run somewhere (not round pools)
};

struct TreeOutput {
  std::string root;  // the folder holding data/
  bool ok = true;
  std::vector<std::string> files;  // every written file, relative to root
  std::vector<TreeTextureList> lists;
  std::vector<TreeModel> models;
  std::vector<TreeLooseTexture> loose;
  std::vector<TreeLevelFacts> levels;
};

// Where root/data/<relative> is.
std::filesystem::path TreeDataPath(const TreeOutput& tree, const std::string& relative);
// Writes bytes to root/data/<path>, making folders; a failure is reported and clears ok.
void TreePut(TreeOutput& tree, const std::string& path, const std::vector<uint8_t>& bytes);
void TreePutText(TreeOutput& tree, const std::string& path, const std::string& text);
// Makes an empty folder root/data/<path>.
void TreeFolder(TreeOutput& tree, const std::string& path);
// Text with CR LF line ends, from text written with '\n'.
std::string TreeCrLf(const std::string& text);

// A texture list being built: each add writes the list line and records the file.
struct TreeListBuilder {
  TreeTextureList list;
  CodexWriter writer;
};
TreeListBuilder TreeListStart(const std::string& folder, const std::string& comment);
void TreeListAdd(TreeListBuilder& b, const std::string& file);                 // plain
void TreeListAddKeyed(TreeListBuilder& b, const std::string& file);            // magenta key
void TreeListAddDepthKeyed(TreeListBuilder& b, const std::string& file, int32_t depth);
void TreeListAddDepth(TreeListBuilder& b, const std::string& file, int32_t depth);
void TreeListAddProcedural(TreeListBuilder& b, const std::string& file);
void TreeListAddMip(TreeListBuilder& b, const std::string& file, int32_t depth);
void TreeListAddMipKeyed(TreeListBuilder& b, const std::string& file, int32_t depth);
void TreeListIdent(TreeListBuilder& b, const std::string& ident);
// Writes <folder>/texture.codx and records the list.
void TreeListFinish(TreeOutput& tree, TreeListBuilder& b);

// Each writes one part of the tree.
void TreeWriteMenus(TreeOutput& tree);       // menu/, winlose/, loading/, circuit/
void TreeWriteInterface(TreeOutput& tree);   // interface/ (sheets and fonts), textures/
void TreeWriteCraft(TreeOutput& tree);       // hydrels/, riders/, gameplay/
void TreeWriteIntro(TreeOutput& tree);       // intro/quill, intro/hydrel
void TreeWriteLevels(TreeOutput& tree);      // levels/, skybox/, courses/, interface/coursemaps/

// The self-checks; each broken rule is printed to standard error. True when all hold.
bool TreeCheck(const TreeOutput& tree);
