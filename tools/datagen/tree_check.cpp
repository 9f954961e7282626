// The self-checks of a written tree: the names the game opens, the textures models name, unique
// names and table counts within each set of files loaded together, and the course and level rules
// the race depends on; picture sizes (tree_picture_check) and room on the water (tree_room_check)
// have files of their own.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "tools/datagen/tree_output.h"
#include "tools/datagen/tree_picture_check.h"
#include "tools/datagen/tree_room_check.h"

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
  void Fail(const std::vector<std::string>& failures) {
    for (const std::string& what : failures) Fail(what);
  }
  std::filesystem::path Data(const std::string& relative) const { return TreeDataPath(tree, relative); }
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
constexpr size_t kTreasureFirst = kTreeCoursesPerMode, kTreasureCourses = kTreeCoursesPerMode;
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
      c.Fail(CheckPicture(tree, l.folder + "/" + f));
      listed.insert(l.folder + "/" + Lower(f));
    }
  for (const TreeLooseTexture& t : tree.loose) {
    c.Fail(CheckPicture(tree, t.folder + "/" + t.file));
    listed.insert(t.folder + "/" + Lower(t.file));
  }
  for (const TreeModel& m : tree.models)
    for (const std::string& t : m.textures)
      // Model 4's riders wear the suits of the common folder, as every rider does.
      if (!listed.count((m.folder == "riders/cedar" ? "riders/common" : m.folder) + "/" + Lower(t))) c.Fail(m.folder + "/" + m.file + " names " + t + ", not loaded there");
  c.Fail(CheckSkyPictures(tree));
  for (const TreeLevelFacts& l : tree.levels) {
    if (l.courses.size() != 15) c.Fail(l.level + ": " + std::to_string(l.courses.size()) + " courses, not 15");
    for (int32_t n : l.rallyWaypointCounts)
      if (n % 2 != 0 || n < 4) c.Fail(l.level + ": a rally course of " + std::to_string(n) + " waypoints");
    if (l.waterMarkers < 1) c.Fail(l.level + ": no water marker");
    if (l.unknownIdObjects > 0) c.Fail(l.level + ": level objects in the markers' collision group");
    if (!(l.minY < l.waterY && l.waterY < l.maxY)) c.Fail(l.level + ": the level does not reach above and below the water");
    if (l.oneLap) CheckLinearFinishes(c, l);
    c.Fail(CheckRoom(l));
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
