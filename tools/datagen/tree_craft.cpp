// The craft and riders with their liveries, the gameplay markers of the three modes, and the two
// intro scenes' models and pictures.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "tools/datagen/tree_models.h"

namespace {

constexpr const char* kModels[5] = {"alder", "dogwood", "elm", "birch", "cedar"};
constexpr uint32_t kWhite = 0xFFFFFF, kFoam = 0xF4F8FF;

std::string Numbered(const std::string& stem, int32_t n, const char* extension) {
  char text[16];
  std::snprintf(text, sizeof(text), "_%02d", n);
  return stem + text + extension;
}

uint32_t Hue(float h, float s, float v) {
  h = std::fmod(h, 1.0f) * 6.0f;
  const int32_t i = static_cast<int32_t>(h);
  const float f = h - static_cast<float>(i), p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  float r, g, b;
  switch (i) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
  }
  return static_cast<uint32_t>(r * 255) << 16 | static_cast<uint32_t>(g * 255) << 8 | static_cast<uint32_t>(b * 255);
}

// Livery n of a model: ten hues, five patterns, each model its own hue offset.
Canvas Livery(int32_t model, int32_t n) {
  const uint32_t main = Hue(static_cast<float>(n % 10) / 10.0f + model * 0.05f, 0.85f, 0.95f);
  const uint32_t accent = n % 3 == 0 ? kWhite : Hue(static_cast<float>(n % 10) / 10.0f + 0.5f, 0.8f, 0.9f);
  Canvas c = CanvasNew(32, 32, main);
  switch (n / 10) {
    case 0: CanvasFill(c, 0, 12, 32, 20, accent); break;                        // band
    case 1: for (int32_t i = -32; i < 32; i += 10) CanvasLine(c, i, 32, i + 32, 0, 3, accent); break;  // slashes
    case 2: CanvasFill(c, 0, 0, 16, 32, accent); break;                         // halves
    case 3: CanvasDisc(c, 16, 16, 9, accent); CanvasDisc(c, 16, 16, 5, main); break;  // roundel
    default: for (int32_t i = 0; i < 32; i += 8) CanvasFill(c, i, 0, i + 4, 32, accent); break;  // stripes
  }
  CanvasFill(c, 0, 28, 32, 32, CanvasMix(main, 0, 0.6f));  // the hull's dark waterline
  return c;
}

Canvas RiderSkin(int32_t n) {
  const uint32_t suit = Hue(static_cast<float>(n) * 0.137f, 0.7f, 0.5f + 0.4f * static_cast<float>(n % 3) / 2.0f);
  Canvas c = CanvasNew(32, 32, suit);
  CanvasFill(c, 0, 0, 32, 10, n % 2 ? 0xF0F0F0 : CanvasMix(suit, kWhite, 0.5f));  // helmet
  CanvasFill(c, 4, 4, 28, 8, 0x202830);                                          // visor
  CanvasFill(c, 0, 14, 32, 18, n % 4 < 2 ? 0xF8D020 : 0x101010);                 // life-vest band
  return c;
}

// The hull, about 700 long (+z forward), 280 wide and 180 tall, with seat and handlebars; coarser
// detail levels drop the handlebars and the bow.
ModelMesh Hull(int32_t model, int32_t detail) {
  const float width = 260.0f + 10.0f * static_cast<float>(model), length = 520.0f;
  ModelMesh mesh = MeshBox(width, 110, length);
  MeshTranslate(mesh, 0, -35, -90);
  if (detail < 3) {
    ModelMesh bow = MeshWedge(width * 0.9f, 110, 180);
    // The wedge's tall side faces back; turned so the point faces forward at the waterline.
    MeshTranslate(bow, 0, -90, 260);
    MeshAppend(mesh, bow);
  }
  ModelMesh seat = MeshBox(width * 0.5f, 50, 260);
  MeshTranslate(seat, 0, 45, -160);
  MeshAppend(mesh, seat);
  if (detail < 2) {
    ModelMesh column = MeshBox(60, 110, 60);
    MeshTranslate(column, 0, 55, 60);
    MeshAppend(mesh, column);
    ModelMesh bars = MeshBox(width * 0.9f, 24, 24);
    MeshTranslate(bars, 0, 115, 60);
    MeshAppend(mesh, bars);
  }
  return mesh;
}

// A seated rider with the origin at the hip; the female rider slimmer, cedar's riders larger.
ModelMesh Rider(bool female, float scale) {
  const float slim = female ? 0.85f : 1.0f;
  ModelMesh mesh = MeshBox(110 * slim, 130, 70 * slim);  // torso
  MeshTranslate(mesh, 0, 65, 0);
  ModelMesh head = MeshSphere(42, 6, 8);
  MeshTranslate(head, 0, 175, 5);
  MeshAppend(mesh, head);
  for (int32_t side = -1; side <= 1; side += 2) {
    ModelMesh thigh = MeshBox(40 * slim, 40, 130);
    MeshTranslate(thigh, side * 32.0f * slim, -5, 55);
    MeshAppend(mesh, thigh);
    ModelMesh arm = MeshBox(30, 30, 120);
    MeshTranslate(arm, side * 65.0f * slim, 110, 55);
    MeshAppend(mesh, arm);
  }
  MeshScale(mesh, scale, scale, scale);
  return mesh;
}

void WriteCraft(TreeOutput& tree) {
  for (int32_t m = 0; m < 5; ++m) {
    const std::string folder = std::string("hydrels/") + kModels[m];
    for (int32_t n = 1; n <= 50; ++n) {
      const std::string file = Numbered(kModels[m], n, ".BMP");
      TreePutPicture(tree, folder + "/" + file, Livery(m, n - 1));
      tree.loose.push_back({folder, file});
    }
    const std::string livery = Numbered(kModels[m], 1, ".BMP");
    for (int32_t d = 1; d <= 4; ++d) {
      C4DSceneDef scene;
      scene.materials.push_back(TreeMaterial("livery", livery));
      C4DNodeDef hull = TreeNode("hull", Hull(m, d - 1), 1);
      hull.wideIndices = m == 0 && d == 1;
      scene.nodes.push_back(hull);
      TreePutC4D(tree, folder, Numbered("hydrel", d, ".c4d"), scene);
    }
    // The farthest detail level is in the engine's own format.
    ChunkObjectDef far;
    far.mesh = Hull(m, 3);
    far.textures.push_back({0, livery});
    far.materials.push_back({});
    TreePutChunk(tree, folder, "hydrel_05.c4d", {far});
  }
  for (int32_t n = 1; n <= 41; ++n) {
    const std::string file = Numbered("male", n, ".BMP");
    TreePutPicture(tree, "riders/common/" + file, RiderSkin(n - 1));
    tree.loose.push_back({"riders/common", file});
  }
  for (const char* folder : {"riders/common", "riders/cedar"}) {
    const float scale = std::string(folder) == "riders/cedar" ? 1.15f : 1.0f;
    for (bool female : {false, true}) {
      C4DSceneDef scene;
      scene.materials.push_back(TreeMaterial("suit", "male_01.BMP"));
      scene.nodes.push_back(TreeNode(female ? "female" : "male", Rider(female, scale), 1));
      TreePutC4D(tree, folder, female ? "female.c4d" : "male.c4d", scene);
    }
  }
}

Canvas Stripes(uint32_t a, uint32_t b, int32_t size, int32_t band) {
  Canvas c = CanvasNew(size, size, a);
  for (int32_t y = 0; y < size; y += band * 2) CanvasFill(c, 0, y, size, y + band, b);
  return c;
}

Canvas Checker(uint32_t a, uint32_t b, int32_t size, int32_t cell) {
  Canvas c = CanvasNew(size, size, a);
  for (int32_t y = 0; y < size; ++y)
    for (int32_t x = 0; x < size; ++x)
      if ((x / cell + y / cell) % 2) CanvasPut(c, x, y, b);
  return c;
}

// An arch crafts pass under: two posts and a beam, the beam carrying a banner.
ModelMesh FinishArch() {
  ModelMesh arch = MeshArch(kTreeArchWidth, 5000, 800, 800);
  return arch;
}

ModelMesh Arrow() {
  ModelMesh shaft = MeshBox(300, 300, 900);
  MeshTranslate(shaft, 0, 0, -450);
  ModelMesh head = MeshWedge(800, 300, 700);
  MeshTranslate(head, 0, -150, 350);
  MeshAppend(shaft, head);
  return shaft;
}

void WriteGameplay(TreeOutput& tree) {
  // Rally: buoys, the finish arch and the arrows.
  TreeListBuilder rally = TreeListStart("gameplay/rally", "buoys, finish arch, arrows");
  TreePutPicture(tree, "gameplay/rally/buoy.bmp", Stripes(0xFF5A10, kWhite, 32, 4));
  TreeListAdd(rally, "buoy.bmp");
  TreePutPicture(tree, "gameplay/rally/finish.bmp", Checker(0x101010, kWhite, 64, 8));
  TreeListAdd(rally, "finish.bmp");
  TreePutPicture(tree, "gameplay/rally/arrow.bmp", Stripes(0x30E040, 0xF0FF60, 32, 8));
  TreeListAdd(rally, "arrow.bmp");
  TreeListFinish(tree, rally);
  for (int32_t d = 1; d <= 5; ++d) {
    C4DSceneDef scene;
    scene.materials.push_back(TreeMaterial("buoy", "buoy.bmp"));
    ModelMesh buoy = MeshCylinder(260, 1800, 16 - 2 * d);
    ModelMesh top = MeshSphere(330, 6 - d / 2, 12 - 2 * d);
    MeshTranslate(top, 0, 1800, 0);
    MeshAppend(buoy, top);
    C4DNodeDef node = TreeNode("buoy", buoy, 1);
    if (d > 1) {
      node.hasUserData = true;
      node.userA = "frame";
      node.userB = std::to_string(d);
    }
    scene.nodes.push_back(node);
    TreePutC4D(tree, "gameplay/rally", "bouy0" + std::to_string(d) + ".c4d", scene);
  }
  for (const char* folder : {"gameplay/rally", "gameplay/treasure"}) {
    C4DSceneDef scene;
    const bool rally = std::string(folder) == "gameplay/rally";
    scene.materials.push_back(TreeMaterial("chequer", rally ? "finish.bmp" : "tr_finish.bmp"));
    C4DNodeDef arch = TreeNode("finish arch", FinishArch(), 1);
    arch.visibility = 0;  // seen from both sides
    scene.nodes.push_back(arch);
    TreePutC4D(tree, folder, "finish_line.c4d", scene);
  }
  C4DSceneDef arrow;
  C4DMaterialDef green = TreeMaterial("arrow", "arrow.bmp");
  green.transparencyChannel = true;
  green.transparency = 0.25f;
  arrow.materials.push_back(green);
  arrow.nodes.push_back(TreeNode("arrow", Arrow(), 1));
  TreePutC4D(tree, "gameplay/rally", "arrow.c4d", arrow);
  C4DSceneDef compass;
  C4DMaterialDef plain = TreeMaterial("compass", "");
  plain.colour = {1.0f, 0.85f, 0.1f};
  plain.secondColourChannel = true;
  plain.secondColour = {1.0f, 1.0f, 0.6f};
  compass.materials.push_back(plain);
  ModelMesh needle = Arrow();
  MeshScale(needle, 0.15f, 0.15f, 0.15f);
  compass.nodes.push_back(TreeNode("compass", needle, 1));
  TreePutC4D(tree, "gameplay/rally", "dir_arrow.c4d", compass);

  // Treasure: spinning coins, and the finish of the linear hunt.
  TreeListBuilder treasure = TreeListStart("gameplay/treasure", "coins and the finish");
  for (const char* name : {"dollar02.bmp", "dollar03.bmp"}) {
    Canvas coin = CanvasNew(64, 64, 0xE8B020);
    CanvasRing(coin, 32, 32, 30, 4, 0xFFE070);
    CanvasText(coin, 17, 18, "$", 6, std::string(name) == "dollar02.bmp" ? 0x805000 : 0x306010);
    TreePutPicture(tree, std::string("gameplay/treasure/") + name, coin);
    TreeListAdd(treasure, name);
  }
  TreePutPicture(tree, "gameplay/treasure/tr_finish.bmp", Checker(0x103080, 0xFFD040, 64, 8));
  TreeListAdd(treasure, "tr_finish.bmp");
  TreeListFinish(tree, treasure);
  for (int32_t d = 1; d <= 4; ++d) {
    C4DSceneDef scene;
    scene.materials.push_back(TreeMaterial("gold", "dollar02.bmp"));
    ModelMesh coin = MeshCylinder(1000, 200, 24 - 4 * d);
    MeshTranslate(coin, 0, -100, 0);
    MeshQuarterTurnX(coin);
    scene.nodes.push_back(TreeNode("coin", coin, 1));
    TreePutC4D(tree, "gameplay/treasure", "sdolr0" + std::to_string(d) + ".c4d", scene);
  }

  // Derby: tall pylons, recoloured by whoever claims them.
  TreeListBuilder derby = TreeListStart("gameplay/derby", "pylons");
  TreePutPicture(tree, "gameplay/derby/pylon.bmp", Stripes(kWhite, 0x909090, 32, 4));
  TreeListAdd(derby, "pylon.bmp");
  TreeListFinish(tree, derby);
  for (int32_t d = 1; d <= 4; ++d) {
    C4DSceneDef scene;
    C4DMaterialDef m = TreeMaterial("pylon", "pylon.bmp");
    if (d == 1) {
      m.transparencyChannel = true;
      m.transparency = 0.1f;
    }
    scene.materials.push_back(m);
    ModelMesh pylon = MeshBox(1000 - 100 * d, 6000, 1000 - 100 * d);
    ModelMesh cap = MeshSphere(700, 6, 10);
    MeshTranslate(cap, 0, 3000, 0);
    MeshAppend(pylon, cap);
    scene.nodes.push_back(TreeNode("pylon", pylon, 1));
    TreePutC4D(tree, "gameplay/derby", "wypnt0" + std::to_string(d) + ".c4d", scene);
  }
}

// The sky's pictures are as large as a texture may be: a side face spans a quarter of the view's
// width and more, so a smaller picture shows its pixels as blocks. They are smooth gradients and
// soft clouds, kept undithered: the 16-bit frame shows them in soft bands, where a dither's pattern
// would be magnified into a coarse grid. The gradients follow the height of the view's direction,
// not the face's rows, so that their bands run level across the cube's edges and corners.
constexpr int32_t kSkySide = 256;
constexpr float kQuarterTurn = 1.5707963f;

// The sky's colour at an elevation (radians, negative below the horizon): the horizon's haze
// deepening toward the zenith, quickly low down as in a clear sky; below the horizon a haze band
// and then the sea.
uint32_t SkyAt(float elevation, uint32_t zenith, uint32_t horizon, uint32_t sea) {
  constexpr float kHaze = 0.06f;
  if (elevation >= 0) return CanvasMix(horizon, zenith, std::pow(std::min(1.0f, elevation / kQuarterTurn), 0.5f));
  const float below = -elevation;
  if (below < kHaze) return CanvasMix(horizon, CanvasMix(horizon, sea, 0.5f), below / kHaze);
  return CanvasMix(CanvasMix(horizon, sea, 0.6f), sea, std::min(1.0f, (below - kHaze) / (kQuarterTurn / 2 - kHaze)));
}

// A texel's centre on a face of the cube, -1 .. 1 from its middle.
float FaceAt(int32_t texel) { return (static_cast<float>(texel) + 0.5f) / (kSkySide / 2.0f) - 1.0f; }

// A sky side: zenith to horizon, a haze band, then the sea below the horizon (v from the bottom),
// with soft clouds that thin toward the horizon.
Canvas SkySide(uint32_t zenith, uint32_t horizon, uint32_t sea, uint32_t seed) {
  constexpr int32_t kHorizon = kSkySide / 2;
  Canvas c = CanvasNew(kSkySide, kSkySide, 0);
  for (int32_t y = 0; y < kSkySide; ++y)
    for (int32_t x = 0; x < kSkySide; ++x) {
      const float across = FaceAt(x), up = -FaceAt(y);
      CanvasPut(c, x, y, SkyAt(std::atan2(up, std::sqrt(1 + across * across)), zenith, horizon, sea));
    }
  const uint32_t cloud = CanvasMix(horizon, kWhite, 0.85f);
  CanvasClouds(c, 0, 8, kSkySide, 84, cloud, 0.5f, seed);
  CanvasClouds(c, 0, 70, kSkySide, kHorizon - 6, CanvasMix(cloud, horizon, 0.4f), 0.35f, seed + 7);
  return c;
}

// The top: the zenith over the sides' upper rows, with thin high clouds that fade out toward the
// edges, where the sides meet it.
Canvas SkyTop(uint32_t zenith, uint32_t horizon, uint32_t seed) {
  Canvas c = CanvasNew(kSkySide, kSkySide, 0);
  for (int32_t y = 0; y < kSkySide; ++y)
    for (int32_t x = 0; x < kSkySide; ++x)
      CanvasPut(c, x, y, SkyAt(std::atan2(1.0f, std::hypot(FaceAt(x), FaceAt(y))), zenith, horizon, horizon));
  Canvas clouds = c;
  CanvasClouds(clouds, 0, 0, kSkySide, kSkySide, CanvasMix(zenith, CanvasMix(horizon, kWhite, 0.6f), 0.6f), 0.3f,
               seed + 13);
  for (int32_t y = 0; y < kSkySide; ++y)
    for (int32_t x = 0; x < kSkySide; ++x) {
      const int32_t edge = std::min(std::min(x, y), std::min(kSkySide - 1 - x, kSkySide - 1 - y));
      const float inside = std::min(1.0f, static_cast<float>(edge) / (kSkySide / 4.0f));
      CanvasPut(c, x, y, CanvasMix(CanvasGet(c, x, y), CanvasGet(clouds, x, y), inside));
    }
  return c;
}

// The sky cube's faces, seen from inside, each split into a grid, so the pieces around and behind
// the camera are clipped away whole. The top face alone, or the four sides (v up the side: sea at
// the bottom) and the bottom (the side picture's sea row).
ModelMesh SkyFaces(float size, bool top) {
  constexpr int32_t kCells = 6;
  using P = std::array<float, 3>;
  struct Face {
    P corner, across, up;
    bool sea;
  };
  const float h = size / 2;
  const Face faces[6] = {
      {{-h, -h, h}, {size, 0, 0}, {0, size, 0}, false},  {{h, -h, -h}, {-size, 0, 0}, {0, size, 0}, false},
      {{h, -h, h}, {0, 0, -size}, {0, size, 0}, false},  {{-h, -h, -h}, {0, 0, size}, {0, size, 0}, false},
      {{-h, -h, -h}, {size, 0, 0}, {0, 0, size}, true},  {{-h, h, -h}, {size, 0, 0}, {0, 0, size}, false},
  };
  ModelMesh mesh;
  for (int32_t f = top ? 5 : 0; f < (top ? 6 : 5); ++f) {
    const Face& face = faces[f];
    for (int32_t i = 0; i < kCells; ++i)
      for (int32_t j = 0; j < kCells; ++j) {
        std::array<P, 4> corners;
        std::array<std::array<float, 2>, 4> uvs;
        static constexpr float kU[4] = {0, 1, 1, 0}, kV[4] = {0, 0, 1, 1};
        P middle = {0, 0, 0};
        for (size_t k = 0; k < 4; ++k) {
          const float u = (static_cast<float>(i) + kU[k]) / kCells, v = (static_cast<float>(j) + kV[k]) / kCells;
          for (size_t a = 0; a < 3; ++a) {
            corners[k][a] = face.corner[a] + face.across[a] * u + face.up[a] * v;
            middle[a] += corners[k][a] / 4;
          }
          uvs[k] = {u, face.sea ? 0.02f : v};
        }
        MeshAddQuad(mesh, corners, uvs, {-middle[0], -middle[1], -middle[2]});
      }
  }
  return mesh;
}

// The title scene's eye stands at (0, 0, -500), its logo at (0, 1000, 5000): 5500 ahead, where the
// camera draws 512 / 5500 pixels a unit from the middle of the 640 x 480 screen. The plate of
// 5500 x 1650 covers (64, 70)-(576, 224), and the tiles' lettering is laid out on it: the name
// above a foam crest, the words under it on the plate's sea.
constexpr float kTitlePlateWidth = 5500, kTitlePlateHeight = 1650;
constexpr int32_t kTitleNameScale = 11, kTitleNameTop = 84, kTitleTaglineTop = 186;
constexpr uint32_t kTitleGold = 0xFFC830, kTitleInk = 0x0A1A40;
// The title's camera sees only 50,000 far and draws its sky at half size: a cube of this side
// stays inside that, corners and all.
constexpr float kTitleSkySize = 100000;

// The plate's picture, 256 x 64, each pixel drawn 2 x 2.4 on the screen (the crest at y 171): a
// night-blue field over a sea with a foam crest, framed in the lettering's gold.
Canvas TitlePlate() {
  constexpr int32_t kW = 256, kH = 64, kCrest = 42;
  Canvas c = CanvasNew(kW, kH, 0);
  CanvasGradient(c, 0, 0, kW, kCrest, 0x0E2E68, 0x1E64B0);
  CanvasGradient(c, 0, kCrest, kW, kH, 0x0C3A78, kTitleInk);
  for (int32_t x = 0; x < kW; ++x) {
    const int32_t y = kCrest - 1 + static_cast<int32_t>(std::lround(1.5 * std::sin(x * 0.1)));
    CanvasFill(c, x, y, x + 1, y + 2, kFoam);
    CanvasFill(c, x, y + 2, x + 1, y + 3, CanvasMix(kFoam, 0x0C3A78, 0.5f));
  }
  for (int32_t i = 0; i < 2; ++i) {
    const uint32_t rim = i == 0 ? CanvasMix(kTitleGold, kTitleInk, 0.35f) : kTitleGold;
    CanvasFill(c, i, i, kW - i, i + 1, rim);
    CanvasFill(c, i, kH - 1 - i, kW - i, kH - i, rim);
    CanvasFill(c, i, i, i + 1, kH - i, rim);
    CanvasFill(c, kW - 1 - i, i, kW - i, kH - i, rim);
  }
  return c;
}

}  // namespace

void TreeWriteSky(TreeOutput& tree, const std::string& folder, const std::string& prefix, uint32_t zenith,
                  uint32_t horizon, uint32_t sea, TreeListBuilder& list, uint32_t seed, float size) {
  TreePut(tree, folder + "/" + prefix + "_sky.bmp", CanvasBmpUndithered(SkySide(zenith, horizon, sea, seed)));
  TreeListAddDepth(list, prefix + "_sky.bmp", 24);
  TreePut(tree, folder + "/" + prefix + "_skytop.bmp", CanvasBmpUndithered(SkyTop(zenith, horizon, seed)));
  TreeListAddDepth(list, prefix + "_skytop.bmp", 24);
  C4DSceneDef scene;
  scene.materials.push_back(TreeMaterial("sky", prefix + "_sky.bmp"));
  scene.materials.push_back(TreeMaterial("zenith", prefix + "_skytop.bmp"));
  scene.nodes.push_back(TreeNode("sky sides", SkyFaces(size, false), 1));
  scene.nodes.push_back(TreeNode("sky top", SkyFaces(size, true), 2));
  TreePutC4D(tree, folder, "SkyDayN.c4d", scene);
}

void TreeWriteCraft(TreeOutput& tree) {
  WriteCraft(tree);
  WriteGameplay(tree);
}

void TreeWriteIntro(TreeOutput& tree) {
  // The developer's mascot: a quill in one node (the scene loader keeps a file's first object only),
  // with a material of its own, since the scene runs before any of the game's materials exist.
  TreeListBuilder quill = TreeListStart("intro/quill", "the mascot");
  Canvas feather = CanvasNew(64, 64, 0);
  CanvasGradient(feather, 0, 0, 64, 64, 0xF0F0FF, 0x6080C0);
  for (int32_t y = 4; y < 64; y += 5) CanvasLine(feather, 32, static_cast<float>(y), 2, static_cast<float>(y) - 8, 1, 0x405080);
  CanvasFill(feather, 30, 0, 34, 64, 0xE0C080);
  TreePutPicture(tree, "intro/quill/ql_feather.bmp", feather);
  TreeListAdd(quill, "ql_feather.bmp");
  TreeListFinish(tree, quill);
  ModelMesh quillMesh = MeshSphere(300, 8, 12);
  MeshScale(quillMesh, 0.35f, 1.6f, 0.08f);
  ModelMesh shaft = MeshCylinder(14, 700, 8);
  MeshTranslate(shaft, 0, -560, 0);
  MeshAppend(quillMesh, shaft);
  C4DSceneDef mascot;
  mascot.materials.push_back(TreeMaterial("feather", "ql_feather.bmp"));
  mascot.nodes.push_back(TreeNode("quill", quillMesh, 1));
  TreePutC4D(tree, "intro/quill", "QLmascot.c4d", mascot);

  // The title: six keyed tiles drawn over the live scene, a sky, the water and, with the software
  // renderer, the logo: the plate the title's lettering stands on. The tiles carry the lettering,
  // so the title reads the same where no logo is drawn.
  TreeListBuilder title = TreeListStart("intro/hydrel", "the title scene");
  Canvas whole = CanvasNew(640, 512, kKeyColour);
  CanvasFill(whole, 0, 400, 640, 470, 0x0A1A40);
  CanvasTextCentred(whole, 320, 418, "PRESS ANY KEY", 4, 0xFFFFFF);
  const int32_t nameLeft = 320 - CanvasTextWidth("HYDREL", kTitleNameScale) / 2;
  CanvasText(whole, nameLeft + 6, kTitleNameTop + 6, "HYDREL", kTitleNameScale, kTitleInk);
  CanvasText(whole, nameLeft, kTitleNameTop, "HYDREL", kTitleNameScale, kTitleGold);
  CanvasTextCentred(whole, 320, kTitleTaglineTop, "WATERCRAFT RACING", 3, 0xFFFFFF);
  const char* const idents[6] = {"tl", "tm", "tr", "bl", "bm", "br"};
  for (int32_t t = 0; t < 6; ++t) {
    const int32_t ox = (t % 3) * 256, oy = (t / 3) * 256, w = t % 3 == 2 ? 128 : 256;
    Canvas tile = CanvasNew(w, 256, 0);
    for (int32_t y = 0; y < 256; ++y)
      for (int32_t x = 0; x < w; ++x) CanvasPut(tile, x, y, CanvasGet(whole, ox + x, oy + y));
    const std::string file = std::string("title_") + idents[t] + ".bmp";
    TreePutPicture(tree, "intro/hydrel/" + file, tile, true);
    TreeListAddKeyed(title, file);
    TreeListIdent(title, idents[t]);
  }
  Canvas water = CanvasNew(64, 64, 0x1C6FA8);
  CanvasGradient(water, 0, 0, 64, 64, 0x2A88C8, 0x0C3C78);
  CanvasNoise(water, 16, 8, 12);
  TreePutPicture(tree, "intro/hydrel/title_water.bmp", water);
  TreeListAdd(title, "title_water.bmp");
  TreeListIdent(title, "vqz_WaterworksTexIdent0");
  TreeWriteSky(tree, "intro/hydrel", "title", 0x1850B0, 0xA8D8F8, 0x1C5A90, title, 17, kTitleSkySize);
  TreePutPicture(tree, "intro/hydrel/title_logo.bmp", TitlePlate());
  TreeListAdd(title, "title_logo.bmp");
  TreeListFinish(tree, title);
  // One face toward the eye, no depth: a box's sides would show as smears of the picture's edges.
  C4DSceneDef logoScene;
  logoScene.materials.push_back(TreeMaterial("logo", "title_logo.bmp"));
  const float w = kTitlePlateWidth / 2, h = kTitlePlateHeight / 2;
  ModelMesh plate;
  MeshAddQuad(plate, {{{-w, -h, 0}, {w, -h, 0}, {w, h, 0}, {-w, h, 0}}}, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}}, {0, 0, -1});
  logoScene.nodes.push_back(TreeNode("logo", plate, 1));
  TreePutC4D(tree, "intro/hydrel", "logo01.c4d", logoScene);
}
