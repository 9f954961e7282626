// The self-checks of a written tree: the names the game opens, picture sizes, the textures models
// name, unique names and table counts within each set of files loaded together, and the course
// and level rules the race depends on.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>

#include "tools/datagen/tree_output.h"

namespace {

constexpr const char* kLevelWords[10] = {"amazon", "bahama", "bermuda", "colorado", "hongkong",
                                         "lakeside", "nile",   "penguin", "venice",   "victoria"};
constexpr const char* kModelWords[5] = {"alder", "dogwood", "elm", "birch", "cedar"};
constexpr int32_t kTableSize = 128;  // textures, and materials, loaded at one time

// Names the game opens, exactly as it spells them ("%L" stands for each level word, "%M" for
// each craft model word).
constexpr const char* kRequired[] = {
    "sounds/water.wav", "sounds/motor.wav", "sounds/bumpsplash.wav", "sounds/claim.wav", "sounds/buoybump.wav",
    "sounds/coin_hit.WAV", "sounds/derby_hit.WAV", "sounds/first_place.WAV", "sounds/start_countdwn.WAV",
    "sounds/start_countgo.WAV", "sounds/start_cheer.WAV", "sounds/nice_try.WAV", "sounds/rider_splash.WAV",
    "sounds/menu_change.WAV", "sounds/page_flip.WAV", "sounds/ground_hit.WAV", "sounds/jump_splash.WAV",
    "sounds/ramp_jump.WAV", "sounds/Music_1.wav", "sounds/Music_2.wav", "sounds/Music_3.wav", "sounds/Music_4.wav",
    "sounds/QL_Snd.wav", "sounds/Hydrel_Intro.wav",
    "intro/ostrel/ost8Xhi.avi", "intro/quill/texture.codx", "intro/quill/QLmascot.c4d", "intro/tarnwick/Tarnwick.avi",
    "intro/hydrel/texture.codx", "intro/hydrel/SkyDayN.c4d", "intro/hydrel/logo01.c4d",
    "menu/m_startup/texture.codx", "menu/m_startup/font_globe.codx", "menu/m_startup/font_type.codx",
    "menu/m_startup/font_blue.codx", "menu/m_startup/font_level.codx", "menu/m_startup/background.c4d",
    "menu/m_startup/logo01.c4d", "menu/m_startup/newgame_tl.bmp", "menu/m_startup/newgame_tr.bmp",
    "menu/m_startup/newgame_bl.bmp", "menu/m_startup/newgame_br.bmp",
    "menu/m_disclaimer/texture.codx", "menu/m_disclaimer/disclaimer.txt", "menu/m_circuit/texture.codx",
    "menu/m_newgame/texture.codx", "menu/m_newgame/m_chooseglobe.c4d", "menu/m_player/texture.codx",
    "menu/m_controls/texture.codx", "menu/m_controls/joytex.bmp", "menu/m_options/texture.codx",
    "menu/m_highscores/texture.codx", "menu/m_credits/texture.codx", "menu/m_credits/credits.txt",
    "menu/m_quit/texture.codx",
    "winlose/win_1st_tl.bmp", "winlose/win_2nd_tl.bmp", "winlose/win_3rd_tl.bmp", "winlose/win_tm.bmp",
    "winlose/win_tr.bmp", "winlose/win_bl.bmp", "winlose/win_bm.bmp", "winlose/win_br.bmp", "winlose/lose_tl.bmp",
    "winlose/lose_tm.bmp", "winlose/lose_tr.bmp", "winlose/lose_bl.bmp", "winlose/lose_bm.bmp", "winlose/lose_br.bmp",
    "loading/load_tl.bmp", "loading/load_tm.bmp", "loading/load_tr.bmp", "loading/load_bl.bmp", "loading/load_bm.bmp",
    "loading/load_br.bmp", "circuit/circuit_win_tl.bmp", "circuit/circuit_win_tm.bmp", "circuit/circuit_win_tr.bmp",
    "circuit/circuit_win_bl.bmp", "circuit/circuit_win_bm.bmp", "circuit/circuit_win_br.bmp",
    "textures/texture.codx", "interface/texture.codx", "interface/font_bigyellow.codx", "interface/font_lap.codx",
    "interface/font_speed.codx", "interface/qz_interface.BMP", "interface/qz_interface_opacity.BMP",
    "interface/qz_menu.BMP", "interface/qz_menu_opacity.BMP",
    "interface/coursemaps/%L/c1.bmp", "interface/coursemaps/%L/c2.bmp", "interface/coursemaps/%L/c3.bmp",
    "interface/coursemaps/%L/c4.bmp", "interface/coursemaps/%L/c5.bmp", "interface/coursemaps/%L/c1_opacity.bmp",
    "interface/coursemaps/%L/c2_opacity.bmp", "interface/coursemaps/%L/c3_opacity.bmp",
    "interface/coursemaps/%L/c4_opacity.bmp", "interface/coursemaps/%L/c5_opacity.bmp",
    "gameplay/rally/texture.codx", "gameplay/rally/bouy01.c4d", "gameplay/rally/bouy02.c4d",
    "gameplay/rally/bouy03.c4d", "gameplay/rally/bouy04.c4d", "gameplay/rally/bouy05.c4d",
    "gameplay/rally/finish_line.c4d", "gameplay/rally/arrow.c4d", "gameplay/rally/dir_arrow.c4d",
    "gameplay/treasure/texture.codx", "gameplay/treasure/dollar02.bmp", "gameplay/treasure/dollar03.bmp",
    "gameplay/treasure/sdolr01.c4d", "gameplay/treasure/sdolr02.c4d", "gameplay/treasure/sdolr03.c4d",
    "gameplay/treasure/sdolr04.c4d", "gameplay/treasure/finish_line.c4d", "gameplay/derby/texture.codx",
    "gameplay/derby/wypnt01.c4d", "gameplay/derby/wypnt02.c4d", "gameplay/derby/wypnt03.c4d",
    "gameplay/derby/wypnt04.c4d",
    "hydrels/%M/hydrel_01.c4d", "hydrels/%M/hydrel_02.c4d", "hydrels/%M/hydrel_03.c4d", "hydrels/%M/hydrel_04.c4d",
    "hydrels/%M/hydrel_05.c4d", "hydrels/%M/%M_01.BMP", "hydrels/%M/%M_50.BMP",
    "riders/common/male.c4d", "riders/common/female.c4d", "riders/common/male_01.BMP", "riders/common/male_41.BMP",
    "riders/cedar/male.c4d", "riders/cedar/female.c4d",
    "skybox/%L/texture.codx", "skybox/%L/SkyDayN.c4d", "levels/%L/texture.codx", "levels/%L/level.brp",
    "levels/%L/environs_01.codx", "levels/%L/environs_15.codx", "courses/%L/course.dat",
};

struct Checker {
  const TreeOutput& tree;
  bool ok = true;
  void Fail(const std::string& what) {
    std::fprintf(stderr, "datagen check: %s\n", what.c_str());
    ok = false;
  }
  std::filesystem::path Data(const std::string& relative) const {
    return std::filesystem::path(tree.root) / "data" / relative;
  }
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
  return s;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The exact name must be in its folder's listing (a case-insensitive file system would hide a
// wrong case from a plain existence test).
bool ExactlyPresent(const std::filesystem::path& path) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error))
    if (entry.path().filename() == path.filename() && entry.file_size(error) > 0) return true;
  return false;
}

bool PowerOfTwoUpTo256(int32_t v) { return v >= 1 && v <= 256 && (v & (v - 1)) == 0; }

// A bitmap's width and height from its header; false when the file is not a bitmap.
bool PictureSize(const Checker& c, const std::string& relative, int32_t* width, int32_t* height) {
  std::ifstream in(c.Data(relative), std::ios::binary);
  uint8_t h[26] = {};
  in.read(reinterpret_cast<char*>(h), sizeof(h));
  auto le32 = [&](int at) { return static_cast<int32_t>(h[at] | h[at + 1] << 8 | h[at + 2] << 16 | h[at + 3] << 24); };
  const bool core = le32(14) == 12;
  *width = core ? (h[18] | h[19] << 8) : le32(18);
  *height = std::abs(core ? (h[20] | h[21] << 8) : le32(22));
  return h[0] == 'B' && h[1] == 'M';
}

void CheckPicture(Checker& c, const std::string& relative) {
  int32_t w = 0, h = 0;
  if (!PictureSize(c, relative, &w, &h) || !PowerOfTwoUpTo256(w) || !PowerOfTwoUpTo256(h))
    c.Fail(relative + ": not a bitmap of power-of-two sides up to 256");
}

// A sky's faces span a quarter of the view and more: its pictures are as large as a texture may be,
// or their pixels show as blocks.
void CheckSkyPictures(Checker& c) {
  for (const TreeModel& m : c.tree.models) {
    if (m.file != "SkyDayN.c4d") continue;
    for (const std::string& t : m.textures) {
      int32_t w = 0, h = 0;
      if (PictureSize(c, m.folder + "/" + t, &w, &h) && (w != 256 || h != 256))
        c.Fail(m.folder + "/" + t + ": a sky picture of " + std::to_string(w) + " x " + std::to_string(h) +
               ", not 256 x 256");
    }
  }
}

struct LoadSet {
  std::string name;
  std::vector<std::string> folders;   // whose texture lists and models load together
  int32_t extraTextures = 0;          // pictures loaded by name, outside the lists
};

void CheckSet(Checker& c, const LoadSet& set) {
  std::map<std::string, std::string> seen;  // lower-case name -> folder
  std::set<std::string> idents;
  int32_t textures = set.extraTextures, materials = 0;
  for (const TreeTextureList& l : c.tree.lists) {
    if (std::find(set.folders.begin(), set.folders.end(), l.folder) == set.folders.end()) continue;
    for (const std::string& f : l.files) {
      if (!seen.emplace(Lower(f), l.folder).second) c.Fail(set.name + ": texture " + f + " is listed twice");
      ++textures;
    }
    for (const std::string& i : l.idents)
      if (!idents.insert(i).second) c.Fail(set.name + ": ident " + i + " is given twice");
  }
  for (const TreeLooseTexture& t : c.tree.loose)
    if (std::find(set.folders.begin(), set.folders.end(), t.folder) != set.folders.end() &&
        t.file.find("_opacity") == std::string::npos) {
      if (!seen.emplace(Lower(t.file), t.folder).second) c.Fail(set.name + ": texture " + t.file + " is loaded twice");
    }
  for (const TreeModel& m : c.tree.models)
    if (std::find(set.folders.begin(), set.folders.end(), m.folder) != set.folders.end()) materials += m.materials;
  if (textures > kTableSize || materials > kTableSize)
    c.Fail(set.name + ": " + std::to_string(textures) + " textures and " + std::to_string(materials) +
           " materials exceed the tables");
}

// The linear hunt is offered on the one-lap levels and ends at the last waypoint of the treasure
// course it draws (5 to 9): that waypoint must be the one furthest from the start, far from it, and
// far along the way: more than 40 seconds at the default craft's top speed of some 62,000 units a
// second.
constexpr size_t kTreasureFirst = 5, kTreasureCourses = 5;
constexpr float kLinearFinishLeast = 250000;    // world units, straight from the start
constexpr float kLinearRouteLeast = 2500000;    // world units, from the start through every waypoint
// A rider sliding wide of the way must not reach the finish arch early: every waypoint but the one
// before the finish stands this far from it.
constexpr float kLinearFinishClear = 50000;     // world units

void CheckLinearFinishes(Checker& c, const TreeLevelFacts& l) {
  for (size_t n = kTreasureFirst; n < kTreasureFirst + kTreasureCourses && n < l.courses.size(); ++n) {
    const TreeCoursePixels& course = l.courses[n];
    std::vector<float> away;
    for (const auto& [x, y] : course.waypoints)
      away.push_back(std::hypot(static_cast<float>(x - course.startX), static_cast<float>(y - course.startY)) *
                     l.unitsPerPixel);
    const std::string name = l.level + " course " + std::to_string(n + 1);
    if (away.empty()) {
      c.Fail(name + ": no waypoints");
      continue;
    }
    if (std::max_element(away.begin(), away.end()) != away.end() - 1)
      c.Fail(name + ": the linear finish is not the waypoint furthest from the start");
    float route = 0;
    for (size_t i = 0; i < course.waypoints.size(); ++i) {
      const auto [fromX, fromY] = i ? course.waypoints[i - 1] : std::pair{course.startX, course.startY};
      route += std::hypot(static_cast<float>(course.waypoints[i].first - fromX),
                          static_cast<float>(course.waypoints[i].second - fromY)) * l.unitsPerPixel;
    }
    if (route < kLinearRouteLeast)
      c.Fail(name + ": the linear hunt's way is " + std::to_string(static_cast<int32_t>(route)) + " long, less than " +
             std::to_string(static_cast<int32_t>(kLinearRouteLeast)));
    if (away.back() < kLinearFinishLeast)
      c.Fail(name + ": the linear finish is " + std::to_string(static_cast<int32_t>(away.back())) +
             " from the start, less than " + std::to_string(static_cast<int32_t>(kLinearFinishLeast)));
    const auto [finishX, finishY] = course.waypoints.back();
    for (size_t i = 0; i + 2 < course.waypoints.size(); ++i)
      if (std::hypot(static_cast<float>(course.waypoints[i].first - finishX),
                     static_cast<float>(course.waypoints[i].second - finishY)) * l.unitsPerPixel < kLinearFinishClear)
        c.Fail(name + ": waypoint " + std::to_string(i + 1) + " stands near the linear finish");
  }
}

// The land as a course sees it: how far a place on the water plane is from the land's top.
class Shore {
 public:
  explicit Shore(const TreeLevelFacts& l) : low_{l.minX, l.minZ} {
    columns_ = std::max(1, static_cast<int32_t>((l.maxX - l.minX) / kCell) + 1);
    rows_ = std::max(1, static_cast<int32_t>((l.maxZ - l.minZ) / kCell) + 1);
    cells_.resize(static_cast<size_t>(columns_ * rows_));
    for (size_t t = 0; t < l.land.size(); ++t) {
      const auto& q = l.land[t];
      const int32_t i0 = Column(std::min({q[0], q[2], q[4]})), i1 = Column(std::max({q[0], q[2], q[4]}));
      const int32_t j0 = Row(std::min({q[1], q[3], q[5]})), j1 = Row(std::max({q[1], q[3], q[5]}));
      for (int32_t j = j0; j <= j1; ++j)
        for (int32_t i = i0; i <= i1; ++i) cells_[static_cast<size_t>(j * columns_ + i)].push_back(t);
    }
    land_ = &l.land;
  }

  // The distance from (x, z) to the land, 0 on it, or `enough` when there is none that near.
  float Distance(float x, float z, float enough) const {
    float best = enough;
    const int32_t ci = Column(x), cj = Row(z);
    for (int32_t ring = 0; static_cast<float>(ring - 1) * kCell < best && ring <= columns_ + rows_; ++ring)
      for (int32_t j = cj - ring; j <= cj + ring; ++j)
        for (int32_t i = ci - ring; i <= ci + ring; ++i) {
          if (std::max(std::abs(i - ci), std::abs(j - cj)) != ring || i < 0 || j < 0 || i >= columns_ || j >= rows_) continue;
          for (size_t t : cells_[static_cast<size_t>(j * columns_ + i)]) best = std::min(best, TriangleDistance((*land_)[t], x, z));
        }
    return best;
  }

  // How far the water reaches from (x, z) in the direction (dx, dz) (a unit), up to `enough`.
  float Reach(float x, float z, float dx, float dz, float enough) const {
    float along = 0;
    while (along < enough) {
      const float d = Distance(x + dx * along, z + dz * along, enough - along);
      if (d < 100) return along;
      along += d;
    }
    return enough;
  }

 private:
  static constexpr float kCell = 20000;
  int32_t Column(float x) const { return std::clamp(static_cast<int32_t>((x - low_[0]) / kCell), 0, columns_ - 1); }
  int32_t Row(float z) const { return std::clamp(static_cast<int32_t>((z - low_[1]) / kCell), 0, rows_ - 1); }

  static float TriangleDistance(const std::array<float, 6>& q, float x, float z) {
    auto side = [&](int32_t a, int32_t b) {
      return (q[2 * b] - q[2 * a]) * (z - q[2 * a + 1]) - (q[2 * b + 1] - q[2 * a + 1]) * (x - q[2 * a]);
    };
    const float s0 = side(0, 1), s1 = side(1, 2), s2 = side(2, 0);
    if ((s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0)) return 0;
    float best = 1e30f;
    for (int32_t a = 0; a < 3; ++a) {
      const int32_t b = (a + 1) % 3;
      const float ex = q[2 * b] - q[2 * a], ez = q[2 * b + 1] - q[2 * a + 1], len2 = ex * ex + ez * ez;
      const float t = len2 > 0 ? std::clamp(((x - q[2 * a]) * ex + (z - q[2 * a + 1]) * ez) / len2, 0.0f, 1.0f) : 0.0f;
      best = std::min(best, std::hypot(x - q[2 * a] - ex * t, z - q[2 * a + 1] - ez * t));
    }
    return best;
  }

  std::array<float, 2> low_;
  int32_t columns_ = 1, rows_ = 1;
  std::vector<std::vector<size_t>> cells_;
  const std::vector<std::array<float, 6>>* land_ = nullptr;
};

struct Spot {
  float x, z;
};

// A course pixel where the game maps it: onto the level's extent, as the course reader does.
Spot World(const TreeLevelFacts& l, std::pair<int32_t, int32_t> pixel) {
  const float sx = (l.maxX - l.minX) / static_cast<float>(l.imageWidth + 1);
  const float sz = (l.maxZ - l.minZ) / static_cast<float>(l.imageHeight + 1);
  const float u = std::max(0.0f, static_cast<float>(pixel.first) - 0.5f);
  const float v = std::max(0.0f, static_cast<float>(l.imageHeight - 1 - pixel.second) - 0.5f);
  return {l.minX + u * sx, l.minZ + v * sz};
}

float Apart(Spot a, Spot b) { return std::hypot(b.x - a.x, b.z - a.z); }

// Room for a rider at speed. A rally way (the start, then each gate's centre, round again on a
// four-lap level) has water at least kWayWidth wide across it, sampled every kWayStep; the middle of
// any lane it runs in bends there on a radius of at least kLaneRadius (a circle through three points
// kLaneArc apart along the middle). Its legs and
// buoys keep kRallyShoreClear from the land, its gates kGateApart from the gate before, their half
// width kGateHalf; the first gate stands kFirstGateLeast from the start, its crossing within
// kFirstGateTurn of the way there. Dollars and derby markers keep kMarkerShoreClear from the
// land, the legs between them kMarkerLegClear.
constexpr float kWayWidth = 110000, kWayStep = 2000, kLaneRadius = 60000, kLaneArc = 20000;
constexpr float kRallyShoreClear = 30000, kGateApart = 60000, kGateHalf = 9000;
constexpr float kFirstGateLeast = 90000, kFirstGateTurn = 0.35f;  // radians, some 20 degrees
constexpr float kMarkerShoreClear = 20000, kMarkerLegClear = 12000;

// The least distance from the land along the straight way from a to b, and where it is.
float LegClear(const Shore& shore, Spot a, Spot b, float enough, Spot* where) {
  const int32_t steps = std::max(1, static_cast<int32_t>(Apart(a, b) / 1000));
  float best = enough;
  for (int32_t i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    const Spot p{a.x + (b.x - a.x) * t, a.z + (b.z - a.z) * t};
    const float d = shore.Distance(p.x, p.z, best);
    if (d < best) best = d, *where = p;
  }
  return best;
}

std::string Place(Spot p) { return " at (" + std::to_string(std::lround(p.x / 1000)) + "k, " + std::to_string(std::lround(p.z / 1000)) + "k)"; }

float CircleRadius(Spot a, Spot b, Spot c) {
  const float area2 = std::fabs((b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x));
  return area2 < 1e-3f ? 1e30f : Apart(a, b) * Apart(b, c) * Apart(c, a) / (2 * area2);
}

// How each lane's middle bends at each of its points: the radius of the circle through the points
// kLaneArc before it, at it and kLaneArc after it along the middle.
std::vector<std::vector<float>> LaneBends(const TreeLevelFacts& l) {
  std::vector<std::vector<float>> bends;
  for (const TreeLane& lane : l.lanes) {
    const auto& m = lane.middle;
    const size_t n = m.size();
    std::vector<float> along{0};
    for (size_t i = 1; i < n; ++i) along.push_back(along.back() + Apart({m[i - 1][0], m[i - 1][1]}, {m[i][0], m[i][1]}));
    const float total = along.back() + (lane.closed ? Apart({m[n - 1][0], m[n - 1][1]}, {m[0][0], m[0][1]}) : 0);
    // The point at a distance along the middle (round again on a closed lane).
    auto at = [&](float d) -> std::optional<Spot> {
      if (lane.closed) d = std::fmod(std::fmod(d, total) + total, total);
      if (d < 0 || d > along.back()) {
        if (!lane.closed) return std::nullopt;
        const float t = (d - along.back()) / std::max(1.0f, total - along.back());
        return Spot{m[n - 1][0] + (m[0][0] - m[n - 1][0]) * t, m[n - 1][1] + (m[0][1] - m[n - 1][1]) * t};
      }
      const size_t i = std::clamp<size_t>(static_cast<size_t>(std::upper_bound(along.begin(), along.end(), d) - along.begin()), 1, n - 1);
      const float t = (d - along[i - 1]) / std::max(1e-3f, along[i] - along[i - 1]);
      return Spot{m[i - 1][0] + (m[i][0] - m[i - 1][0]) * t, m[i - 1][1] + (m[i][1] - m[i - 1][1]) * t};
    };
    bends.emplace_back();
    for (size_t i = 0; i < n; ++i) {
      const auto a = at(along[i] - kLaneArc), b = at(along[i]), c = at(along[i] + kLaneArc);
      bends.back().push_back(a && c ? CircleRadius(*a, *b, *c) : 1e30f);
    }
  }
  return bends;
}

std::string Whole(float v) { return std::to_string(static_cast<int64_t>(std::lround(v))); }

void CheckRallyRoom(Checker& c, const TreeLevelFacts& l, const Shore& shore, size_t n) {
  const TreeCoursePixels& course = l.courses[n];
  const std::string name = l.level + " course " + std::to_string(n + 1);
  const Spot start = World(l, {course.startX, course.startY});
  std::vector<Spot> buoys, gates;
  for (const auto& w : course.waypoints) buoys.push_back(World(l, w));
  for (size_t i = 0; i + 1 < buoys.size(); i += 2) {
    gates.push_back({(buoys[i].x + buoys[i + 1].x) / 2, (buoys[i].z + buoys[i + 1].z) / 2});
    const float half = Apart(buoys[i], buoys[i + 1]) / 2;
    if (std::fabs(half - kGateHalf) > l.unitsPerPixel)
      c.Fail(name + ": gate " + std::to_string(i / 2 + 1) + " is " + Whole(half) + " to either side, not " + Whole(kGateHalf));
  }
  if (gates.empty()) return;
  std::vector<Spot> way{start};
  way.insert(way.end(), gates.begin(), gates.end());
  if (!l.oneLap) way.push_back(gates.front());

  const float first = Apart(start, gates.front());
  if (first < kFirstGateLeast) c.Fail(name + ": the first gate stands " + Whole(first) + " from the start");
  const Spot across{buoys[1].x - buoys[0].x, buoys[1].z - buoys[0].z}, ahead{gates[0].x - start.x, gates[0].z - start.z};
  const float turn = std::fabs(std::asin(std::clamp((across.x * ahead.x + across.z * ahead.z) /
                                                        std::max(1.0f, Apart({0, 0}, across) * Apart({0, 0}, ahead)),
                                                    -1.0f, 1.0f)));
  if (turn > kFirstGateTurn)
    c.Fail(name + ": the first gate is crossed " + Whole(turn * 180 / 3.14159265f) + " degrees off the way from the start");
  for (size_t i = 1; i < gates.size() + (l.oneLap ? 0 : 1); ++i) {
    const float apart = Apart(gates[i - 1], gates[i % gates.size()]);
    if (apart < kGateApart)
      c.Fail(name + ": gates " + std::to_string(i) + " and " + std::to_string(i % gates.size() + 1) + " stand " + Whole(apart) + " apart");
  }
  float legs = kRallyShoreClear, buoyClear = kRallyShoreClear;
  Spot legAt{}, buoyAt{};
  for (size_t i = 0; i + 1 < way.size(); ++i) legs = std::min(legs, LegClear(shore, way[i], way[i + 1], legs, &legAt));
  for (Spot b : buoys) {
    const float d = shore.Distance(b.x, b.z, buoyClear);
    if (d < buoyClear) buoyClear = d, buoyAt = b;
  }
  if (legs < kRallyShoreClear) c.Fail(name + ": a leg passes " + Whole(legs) + " from the shore" + Place(legAt));
  if (buoyClear < kRallyShoreClear) c.Fail(name + ": a buoy stands " + Whole(buoyClear) + " from the shore" + Place(buoyAt));

  // Across the way: the water's width, and how the lane it runs in bends.
  const std::vector<std::vector<float>> bends = LaneBends(l);
  int32_t narrow = 0, tight = 0;
  float narrowest = 1e30f, tightest = 1e30f;
  for (size_t i = 0; i + 1 < way.size(); ++i) {
    const float length = Apart(way[i], way[i + 1]);
    if (length < 1) continue;
    const float dx = (way[i + 1].x - way[i].x) / length, dz = (way[i + 1].z - way[i].z) / length;
    for (float at = 0; at < length; at += kWayStep) {
      const Spot p{way[i].x + dx * at, way[i].z + dz * at};
      const float width = shore.Reach(p.x, p.z, -dz, dx, kWayWidth) + shore.Reach(p.x, p.z, dz, -dx, kWayWidth);
      if (width < kWayWidth) ++narrow, narrowest = std::min(narrowest, width);
      for (size_t k = 0; k < l.lanes.size(); ++k) {
        const auto& middle = l.lanes[k].middle;
        size_t nearest = 0;
        float best = 1e30f;
        for (size_t m = 0; m < middle.size(); ++m) {
          const float d = Apart(p, {middle[m][0], middle[m][1]});
          if (d < best) best = d, nearest = m;
        }
        if (best > l.lanes[k].radius || bends[k][nearest] >= kLaneRadius) continue;
        ++tight;
        tightest = std::min(tightest, bends[k][nearest]);
      }
    }
  }
  if (narrow) c.Fail(name + ": the water is " + Whole(narrowest) + " wide across its way (" + std::to_string(narrow) + " places)");
  if (tight) c.Fail(name + ": its lane bends on a radius of " + Whole(tightest) + " (" + std::to_string(tight) + " places)");
}

void CheckMarkerRoom(Checker& c, const TreeLevelFacts& l, const Shore& shore, size_t n) {
  const TreeCoursePixels& course = l.courses[n];
  const std::string name = l.level + " course " + std::to_string(n + 1);
  Spot from = World(l, {course.startX, course.startY});
  float legs = kMarkerLegClear, marks = kMarkerShoreClear;
  Spot legAt{}, markAt{};
  for (const auto& w : course.waypoints) {
    const Spot at = World(l, w);
    legs = std::min(legs, LegClear(shore, from, at, legs, &legAt));
    const float d = shore.Distance(at.x, at.z, marks);
    if (d < marks) marks = d, markAt = at;
    from = at;
  }
  if (legs < kMarkerLegClear) c.Fail(name + ": a leg passes " + Whole(legs) + " from the shore" + Place(legAt));
  if (marks < kMarkerShoreClear) c.Fail(name + ": a marker stands " + Whole(marks) + " from the shore" + Place(markAt));
}

void CheckRoom(Checker& c, const TreeLevelFacts& l) {
  const Shore shore(l);
  for (size_t n = 0; n < l.courses.size(); ++n) {
    if (n < kTreasureFirst) {
      CheckRallyRoom(c, l, shore, n);
    } else {
      CheckMarkerRoom(c, l, shore, n);
    }
  }
}

// Each level is a place of its own: no course of one level runs through the same pixels as a course
// of another (more than half of either's waypoints in common).
void CheckLevelsDiffer(Checker& c, const std::vector<TreeLevelFacts>& levels) {
  using Pixels = std::set<std::pair<int32_t, int32_t>>;
  std::vector<std::vector<Pixels>> sets;
  for (const TreeLevelFacts& l : levels) {
    sets.emplace_back();
    for (const TreeCoursePixels& course : l.courses) sets.back().emplace_back(course.waypoints.begin(), course.waypoints.end());
  }
  for (size_t a = 0; a < levels.size(); ++a)
    for (size_t b = a + 1; b < levels.size(); ++b)
      for (size_t i = 0; i < sets[a].size(); ++i)
        for (size_t j = 0; j < sets[b].size(); ++j) {
          const Pixels& mine = sets[a][i];
          const auto& theirs = levels[b].courses[j].waypoints;
          const auto shared = std::count_if(theirs.begin(), theirs.end(), [&](const auto& w) { return mine.count(w) > 0; });
          if (shared * 2 > static_cast<std::ptrdiff_t>(std::min(mine.size(), theirs.size())))
            c.Fail(levels[a].level + " course " + std::to_string(i + 1) + " and " + levels[b].level + " course " +
                   std::to_string(j + 1) + " share " + std::to_string(shared) + " waypoints");
        }
}

}  // namespace

bool TreeCheck(const TreeOutput& tree) {
  Checker c{tree};
  for (const char* pattern : kRequired) {
    const std::string p = pattern;
    std::vector<std::string> names;
    if (p.find("%L") != std::string::npos) {
      for (const char* w : kLevelWords) names.push_back(Replace(p, "%L", w));
    } else if (p.find("%M") != std::string::npos) {
      for (const char* w : kModelWords) names.push_back(Replace(p, "%M", w));
    } else {
      names.push_back(p);
    }
    for (const std::string& n : names)
      if (!ExactlyPresent(c.Data(n))) c.Fail("data/" + n + " is missing (or not spelt exactly so)");
  }
  std::set<std::string> listed;
  for (const TreeTextureList& l : tree.lists)
    for (const std::string& f : l.files) {
      if (!ExactlyPresent(c.Data(l.folder + "/" + f))) c.Fail(l.folder + "/texture.codx names a missing " + f);
      CheckPicture(c, l.folder + "/" + f);
      listed.insert(l.folder + "/" + Lower(f));
    }
  for (const TreeLooseTexture& t : tree.loose) {
    CheckPicture(c, t.folder + "/" + t.file);
    listed.insert(t.folder + "/" + Lower(t.file));
  }
  for (const TreeModel& m : tree.models)
    for (const std::string& t : m.textures)
      // Model 4's riders wear the suits of the common folder, as every rider does.
      if (!listed.count((m.folder == "riders/cedar" ? "riders/common" : m.folder) + "/" + Lower(t))) c.Fail(m.folder + "/" + m.file + " names " + t + ", not loaded there");
  CheckSkyPictures(c);
  for (const TreeLevelFacts& l : tree.levels) {
    if (l.courses.size() != 15) c.Fail(l.level + ": " + std::to_string(l.courses.size()) + " courses, not 15");
    for (int32_t n : l.rallyWaypointCounts)
      if (n % 2 != 0 || n < 4) c.Fail(l.level + ": a rally course of " + std::to_string(n) + " waypoints");
    if (l.waterMarkers < 1) c.Fail(l.level + ": no water marker");
    if (l.unknownIdObjects > 0) c.Fail(l.level + ": level objects in the markers' collision group");
    if (!(l.minY < l.waterY && l.waterY < l.maxY)) c.Fail(l.level + ": the level does not reach above and below the water");
    if (l.oneLap) CheckLinearFinishes(c, l);
    CheckRoom(c, l);
  }
  CheckLevelsDiffer(c, tree.levels);
  // Sets loaded together: a race (a level's sky and level, the shared race folders, one mode's
  // markers, six liveries and six rider suits), the menus (start-up with one screen), each intro.
  for (const char* w : kLevelWords)
    for (const char* mode : {"gameplay/rally", "gameplay/treasure", "gameplay/derby"}) {
      const std::string level = w;
      CheckSet(c, {"race on " + level + " (" + mode + ")",
                   {"skybox/" + level, "levels/" + level, "textures", "interface", mode, "hydrels/alder",
                    "riders/common"},
                   2 + 6 + 6});
    }
  for (const char* screen : {"m_disclaimer", "m_circuit", "m_newgame", "m_player", "m_controls", "m_options",
                             "m_highscores", "m_credits", "m_quit"})
    CheckSet(c, {std::string("menus with ") + screen, {"menu/m_startup", std::string("menu/") + screen}, 0});
  CheckSet(c, {"developer intro", {"intro/quill"}, 0});
  CheckSet(c, {"title", {"intro/hydrel"}, 0});
  return c.ok;
}
