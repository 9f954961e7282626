#include "engine/render/font_draw.h"

#include <cmath>
#include <cstring>

#include "engine/data/material.h"
#include "engine/render/camera.h"
#include "engine/render/polygon.h"
#include "engine/render/test/font_draw.h"

namespace {
PolygonRecord gRectRecord{};
FontStringWatcher gStringWatcher = nullptr;
}  // namespace

void wre_TestWatchFontStrings(FontStringWatcher watcher) { gStringWatcher = watcher; }

int32_t wre_FontDrawString(Font* font, const char* text, Camera* camera, int32_t pass) {
  if (!wre_FontStarted()) return kFontErrNotStarted;
  if (!font || !text) return kWreErrNull;
  if (gStringWatcher) gStringWatcher(font, text);
  int32_t result = 0;
  for (int32_t i = 0; i < kFontStringLimit && text[i] != '\0'; ++i) {
    const FontGlyph& glyph = font->glyphs[static_cast<uint8_t>(text[i])];
    if (!(glyph.flags & kGlyphDefined)) continue;
    const float advance = glyph.width * font->scaleX;
    const float source[4] = {glyph.left, glyph.top, glyph.right, glyph.bottom};
    const float target[4] = {std::trunc(font->penX), std::trunc(font->penY), std::trunc(font->penX + advance),
                             std::trunc(font->penY + glyph.height * font->scaleY)};
    result = wre_CameraDrawRect2D(glyph.texture, glyph.material, source, target, font->depth, camera, pass);
    if (result != 0) return result;
    font->penX += advance;
    font->penX += font->scaledSpacing;
  }
  return result;
}

int32_t wre_CameraDrawRect2D(int32_t texture, int32_t material, const float source[4], const float target[4],
                             float depth, Camera* camera, int32_t) {
  if (!camera || !source || !target) return kWreErrNull;
  if (!(depth >= camera->nearClip && depth <= camera->farClip)) return kFontErrDepth;
  const int32_t kind = wre_CameraRendererKind(camera);
  float z = depth;
  if (kind == kRendererOpenGL) {
    z = (1.0f / depth) * (depth * camera->depthScale + camera->depthOffset) * 2.0f - 1.0f;
  } else if (kind != kRendererSoftware) {
    z = (1.0f / depth) * (depth * camera->depthScale + camera->depthOffset);
  }
  const bool textured = texture != -1;
  float u0 = 0, u1 = 0, vTop = 0, vBottom = 0;
  if (textured) {
    u0 = source[0] / 255.0f;
    u1 = source[2] / 255.0f;
    vBottom = (255.0f - source[3]) / 255.0f;
    vTop = (255.0f - source[1]) / 255.0f;
  }
  PolygonRecord& record = gRectRecord;
  std::memset(&record, 0, sizeof(record));
  record.kind = textured ? kPolyTexturedFlat : kPolyPlain;
  record.flags = 0x14;
  record.material = static_cast<int16_t>(material);
  record.texture = static_cast<int16_t>(textured ? texture : -1);
  const Material* m = wre_PolygonMaterial(material);
  for (auto& colour : record.colour) {
    colour[0] = m ? m->colourB.red : 0.0f;
    colour[1] = m ? m->colourB.green : 0.0f;
    colour[2] = m ? m->colourB.blue : 0.0f;
    colour[3] = 0.0f;
  }
  const float l = target[0], t = target[1], r = target[2], b = target[3];
  const float triangles[2][3][4] = {{{l, t, u0, vTop}, {r, t, u1, vTop}, {r, b, u1, vBottom}},
                                    {{r, b, u1, vBottom}, {l, b, u0, vBottom}, {l, t, u0, vTop}}};
  for (const auto& triangle : triangles) {
    for (int k = 0; k < 3; ++k) {
      record.v[k] = Point4{triangle[k][0], triangle[k][1], z, 1.0f};
      record.uv[k][0] = triangle[k][2];
      record.uv[k][1] = triangle[k][3];
    }
    const int32_t result = wre_PolygonSubmit(camera, &record, 1);
    if (result != 0) return result;
  }
  return 0;
}
