// Whole software frames without a window: the display stand-in's capture presenter, the polygon
// queues, a few materials and textures the test makes itself, and helpers that queue triangles
// given by screen position and depth.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <vector>

#include "engine/data/material.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "engine/render/soft_render.h"
#include "platform/test/plat_display.h"
#include "render_fixture.h"

class SoftFrameTest : public RenderFixture {
 public:
  Camera* camera = nullptr;

  void SetUp() override {
    RenderFixture::SetUp();
    ASSERT_EQ(wre_PolyQueuesInit(20000), 0);
    ASSERT_EQ(wre_MaterialTableInit(8), 0);
    for (int m = 0; m < 8; ++m) SetMaterial(m, 255, 255, 255, 255);
    wre_SoftBackendInstall();
    textures().clear();
    wre_SoftTextureLookupInstall(&LookupTexture);
    camera = GameCamera();
    ASSERT_NE(camera, nullptr);
  }
  void TearDown() override {
    wre_SoftBufferFree();
    wre_SoftFrameDiscard();
    wre_SoftTextureLookupInstall(nullptr);
    wre_MaterialTableFree();
    wre_PolyQueuesFree();
    if (camera) wre_CameraDispose(camera, 1);
    RenderFixture::TearDown();
  }

  // A camera of width x height pixels with the projection scale at half the width.
  Camera* SmallCamera(int32_t width, int32_t height) {
    WreRect view{0, 0, width, height};
    WreRect screen{0, 0, 640, 480};
    Transform placement{};
    wre_TransformReset(&placement);
    float background[4] = {0, 0, 0, 255};
    return wre_CameraNew(&view, 16, &placement, background, 1, 1.0f, 1000.0f, width * 0.5f, 1024, nullptr, 0,
                         nullptr, 0, 0, 0, 0, 0, 0, 0, &screen);
  }
  void UseCamera(Camera* other) {
    wre_CameraDispose(camera, 1);
    camera = other;
    ASSERT_NE(camera, nullptr);
  }

  static void SetMaterial(int handle, float r, float g, float b, float a) {
    gMaterialIndexMap[handle] = handle;
    gMaterialTable[handle].inUse = 1;
    gMaterialTable[handle].colourA = ColourFloat{r, g, b, a};
    gMaterialTable[handle].lit = ColourFloat{r, g, b, a};
  }

  // Texture sources by index; texels stay where they are for the test's lifetime.
  static std::deque<SoftTexture>& textures() {
    static std::deque<SoftTexture> table;
    return table;
  }
  static std::deque<std::vector<uint16_t>>& texelStore() {
    static std::deque<std::vector<uint16_t>> store;
    return store;
  }
  static const SoftTexture* LookupTexture(int32_t texture) {
    if (texture < 0 || static_cast<size_t>(texture) >= textures().size()) return nullptr;
    return &textures()[static_cast<size_t>(texture)];
  }
  // A texture 2^log2W x 2^log2H with the given texels; its index.
  static int16_t AddTexture(int log2W, int log2H, std::vector<uint16_t> texels, bool opaqueCapable = true) {
    texelStore().push_back(std::move(texels));
    SoftTexture source{};
    source.texels = texelStore().back().data();
    source.log2Width = static_cast<uint8_t>(log2W);
    source.log2Height = static_cast<uint8_t>(log2H);
    source.opaqueCapable = opaqueCapable ? 1 : 0;
    textures().push_back(source);
    return static_cast<int16_t>(textures().size() - 1);
  }
  // One texel of one colour (key bit set): drawn opaque at full light it shows exactly that 555 colour.
  static int16_t SolidTexture(uint16_t colour555, bool opaqueCapable = true) {
    return AddTexture(0, 0, {static_cast<uint16_t>(0x8000 | colour555)}, opaqueCapable);
  }

  // Camera-space point seen at screen (sx, sy) at depth z.
  Point4 At(float sx, float sy, float z) const {
    const float f = camera->projectionScale;
    return Point4{(sx - camera->halfWidth) * z / f, (camera->halfHeight - sy) * z / f, z, 0.0f};
  }
  static PolygonRecord Triangle(Point4 a, Point4 b, Point4 c, int16_t texture = -1, int16_t material = 0) {
    PolygonRecord record{};
    record.kind = texture >= 0 ? 200 : 101;
    record.material = material;
    record.texture = texture;
    record.v[0] = a;
    record.v[1] = b;
    record.v[2] = c;
    return record;
  }
  // The address of a record for the length of one call.
  static const PolygonRecord* ptr(const PolygonRecord& record) { return &record; }
  static void Queue(PolyQueue& queue, const PolygonRecord& record) {
    ASSERT_LT(queue.count, gPolyQueueCapacity - 1);
    *queue.write++ = record;
    ++queue.count;
  }
  // Two triangles covering screen x0..x1, y0..y1 at depth z (z = projection scale: exact pixels).
  void QueueRect(PolyQueue& queue, float x0, float y0, float x1, float y1, float z, int16_t texture = -1,
                 int16_t material = 0) {
    Queue(queue, Triangle(At(x0, y0, z), At(x1, y0, z), At(x1, y1, z), texture, material));
    Queue(queue, Triangle(At(x0, y0, z), At(x1, y1, z), At(x0, y1, z), texture, material));
  }

  // The draw list from far to near.
  static std::vector<SoftPolygon*> DrawList() {
    std::vector<SoftPolygon*> list;
    for (SoftPolygon* p = gSoftDrawHead.next; p != &gSoftDrawHead && p != nullptr; p = p->next) list.push_back(p);
    return list;
  }

  // The frame the presenter got, as 16-bit pixels of the camera's view.
  std::vector<uint16_t> Presented(PlatFrame* out = nullptr) {
    PlatFrame frame;
    EXPECT_TRUE(plat_TestLastPresented(&frame));
    const int32_t width = static_cast<int32_t>(camera->width);
    const int32_t height = static_cast<int32_t>(camera->height);
    std::vector<uint16_t> view(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height && y < frame.height; ++y) {
      for (int32_t x = 0; x < width && x < frame.width; ++x) {
        view[static_cast<size_t>(y) * width + x] = frame.pixels[static_cast<size_t>(y) * frame.width + x];
      }
    }
    if (out) *out = std::move(frame);
    return view;
  }
  // The 555 frame offscreen itself.
  uint16_t FramePixel(int32_t x, int32_t y) const {
    const Offscreen* frame = camera->context->frame;
    uint16_t value;
    std::memcpy(&value, frame->pixels + static_cast<size_t>(y) * frame->rowBytes + x * 2, 2);
    return value;
  }
  // A whole frame: begin (with clear), whatever was queued, flush, present.
  void RenderFrame() {
    wre_SoftFrameRender(camera);
    wre_SoftFramePresent(camera);
  }
};

inline uint16_t To565(uint16_t p555) {
  return static_cast<uint16_t>((p555 & 0x3f) | ((p555 & 0x7fe0) << 1));
}
