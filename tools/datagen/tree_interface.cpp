// The race interface: HUD fonts, the quit/pause sheet, the two panel sheets with their opacity
// companions, and the spray texture.
#include "tools/datagen/font_atlas.h"
#include "tools/datagen/raster.h"
#include "tools/datagen/tree_output.h"

namespace {

struct Panel {
  int32_t left, top, right, bottom;
  const char* label;
  uint32_t face;
};

// A sheet of labelled panels on a transparent ground; alpha gives each panel's opacity.
Canvas PanelSheet(const std::vector<Panel>& panels, std::vector<uint8_t>* alpha) {
  Canvas c = CanvasNew(256, 256, 0);
  alpha->assign(256 * 256, 0);
  for (const Panel& p : panels) {
    CanvasBevel(c, p.left, p.top, p.right, p.bottom, p.face);
    const int32_t h = p.bottom - p.top;
    const int32_t scale = CanvasTextWidth(p.label, 2) + 4 <= p.right - p.left && h >= 16 ? 2 : 1;
    CanvasTextCentred(c, (p.left + p.right) / 2, (p.top + p.bottom) / 2 - 7 * scale / 2 + 1, p.label, scale, 0xFFFFFF);
    for (int32_t y = p.top; y <= p.bottom && y < 256; ++y)
      for (int32_t x = p.left; x <= p.right && x < 256; ++x) (*alpha)[static_cast<size_t>(y) * 256 + x] = 210;
  }
  return c;
}

void PutSheet(TreeOutput& tree, const std::string& name, const std::vector<Panel>& panels) {
  std::vector<uint8_t> alpha;
  const Canvas c = PanelSheet(panels, &alpha);
  TreePut(tree, "interface/" + name + ".BMP", CanvasBmp8(c));
  TreePut(tree, "interface/" + name + "_opacity.BMP", CanvasOpacityBmp(alpha, 256, 256));
  tree.loose.push_back({"interface", name + ".BMP"});
  tree.loose.push_back({"interface", name + "_opacity.BMP"});
}

Canvas QuitPause() {
  Canvas c = CanvasNew(256, 256, kKeyColour);
  for (int32_t half = 0; half < 2; ++half) {
    const int32_t top = half * 128;
    const uint32_t face = half == 0 ? 0x8A1E1E : 0x1A4C8C;
    CanvasBevel(c, 8, top + 16, 247, top + 111, face);
    CanvasTextCentred(c, 128, top + 34, half == 0 ? "QUIT?" : "PAUSED", 5, 0xFFF0C0);
    CanvasTextCentred(c, 128, top + 80, half == 0 ? "Y / N" : "PRESS PAUSE", 2, 0xFFFFFF);
  }
  return c;
}

Canvas Spray() {
  Canvas c = CanvasNew(16, 16, kKeyColour);
  CanvasDisc(c, 8, 8, 7, 0xC8E4F8);
  CanvasDisc(c, 7, 7, 4, 0xF4FAFF);
  CanvasDisc(c, 6, 6, 1.5f, 0xFFFFFF);
  return c;
}

}  // namespace

void TreeWriteInterface(TreeOutput& tree) {
  TreeListBuilder list = TreeListStart("interface", "HUD fonts and the quit and pause sheet");
  const struct {
    const char* font;
    const char* atlas;
    FontStyle style;
  } fonts[3] = {
      {"font_bigyellow.codx", "hud_bigyellow.bmp", {0xFFFF80, 0xFFC000, 0x503000}},
      {"font_lap.codx", "hud_lap.bmp", {0xFFFFFF, 0x80E0FF, 0x002040}},
      {"font_speed.codx", "hud_speed.bmp", {0xFFE060, 0xFF4010, 0x300800}},
  };
  for (const auto& f : fonts) {
    TreePut(tree, std::string("interface/") + f.atlas, CanvasBmp8(FontAtlasCanvas(f.style), true));
    TreeListAddKeyed(list, f.atlas);
    TreePutText(tree, std::string("interface/") + f.font, FontDefinitionText(f.atlas));
  }
  TreePut(tree, "interface/hud_quitpause.bmp", CanvasBmp8(QuitPause(), true));
  TreeListAddDepthKeyed(list, "hud_quitpause.bmp", 16);
  TreeListIdent(list, "vqz_QuitPauseTexture");
  TreeListFinish(tree, list);

  PutSheet(tree, "qz_interface", {{3, 2, 116, 25, "SCORE", 0xA02020}, {125, 3, 214, 25, "$", 0x208030}});
  PutSheet(tree, "qz_menu",
           {{192, 230, 235, 253, "LAP", 0x1A4C8C},
            {1, 231, 63, 254, "PLACE", 0x1A4C8C},
            {216, 99, 246, 122, "TIE", 0xC06010},
            {223, 73, 254, 88, "HYD", 0x0A2A60},
            {121, 231, 185, 254, "SPEED", 0x1A4C8C},
            {66, 231, 115, 255, "TIME", 0x1A4C8C}});

  TreeListBuilder spray = TreeListStart("textures", "spray particles");
  TreePut(tree, "textures/spray.bmp", CanvasBmp8(Spray()));
  TreeListAddKeyed(spray, "spray.bmp");
  TreeListIdent(spray, "vqz_WaterSprayTextureIdent");
  TreeListFinish(tree, spray);
}
