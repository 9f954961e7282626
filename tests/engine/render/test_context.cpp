#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "platform/plat_d3d.h"
#include "platform/test/plat_d3d.h"
#include "platform/test/plat_display.h"
#include "platform/test/plat_gl.h"
#include "render_fixture.h"

namespace {

class Contexts : public RenderFixture {};

PlatDisplayDriver Driver(int n, const char* identifier) {
  PlatDisplayDriver d = plat_TestDisplayDefaultDriver();
  d.hasGuid = n > 0;
  std::memset(d.guid.bytes, n, 16);
  std::memset(d.deviceGuid.bytes, 0x40 + n, 16);
  std::snprintf(d.name, sizeof(d.name), "driver%d", n);
  d.hasIdentifier = identifier != nullptr;
  if (identifier) std::snprintf(d.identifier, sizeof(d.identifier), "%s", identifier);
  return d;
}

int32_t gChoice = 0;
std::vector<std::string> gOffered;
int32_t Choose(DeviceList* list) {
  gOffered.clear();
  for (int32_t i = 0; i < list->count; ++i) gOffered.push_back(list->descriptions[i]);
  return gChoice;
}

TEST_F(Contexts, SoftwareContextsGetAFlipChainAndA555Frame) {
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  DrawingContext* context = camera->context;
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(context->kind, kRendererSoftware);
  EXPECT_EQ(context->valid, 1);
  ASSERT_NE(context->frame, nullptr);
  EXPECT_EQ(context->frame->width, 640);
  EXPECT_EQ(context->frame->height, 480);
  EXPECT_NE(context->primary, nullptr);
  EXPECT_NE(context->back, nullptr);
  EXPECT_EQ(context->displayBits & kDisplay565, kDisplay565);
  EXPECT_EQ(context->greenLost, 2);
  EXPECT_EQ(context->redLost, 3);
  EXPECT_EQ(context->greenShift, 5);
  EXPECT_EQ(wre_ContextCount(), 1);
  wre_CameraDispose(camera, 1);
  EXPECT_EQ(wre_ContextCount(), 0);
}

TEST_F(Contexts, A555DisplayClearsThe565Bit) {
  plat_DisplaySetVirtualGreenBits(5);
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->context->displayBits & kDisplay565, 0);
  EXPECT_EQ(camera->context->greenLost, 3);
  wre_CameraDispose(camera, 1);
}

TEST_F(Contexts, UnsupportedKindsAndDepthsGiveNoContext) {
  EXPECT_EQ(GameCamera(32), nullptr);  // the software renderer draws 16-bit frames only
  UseKind(kRendererNone);
  EXPECT_EQ(GameCamera(), nullptr);
  UseKind(kRendererOpenGL);
  EXPECT_EQ(GameCamera(32), nullptr);  // no 32-bit mode fits the 16-bit mode filter
  EXPECT_EQ(wre_ContextCount(), 0);
  Camera owner{};
  EXPECT_EQ(wre_ContextNew(nullptr, 0, nullptr, 16, nullptr), nullptr);
  EXPECT_DEATH(wre_ContextNew(nullptr, 0, &owner, 24, nullptr), "Unsupported bit depth - allocate context");
}

TEST_F(Contexts, Kind104OnlyMarksTheDisplayAs3dfxClass) {
  UseKind(kRenderer3dfx);
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->context->displayBits, kDisplay3dfx);
  EXPECT_EQ(camera->context->displayObject, nullptr);
  EXPECT_EQ(camera->context->primary, nullptr);
  wre_CameraDispose(camera, 1);
}

TEST_F(Contexts, Direct3DContextsSetUpDeviceViewportDepthBufferAndStates) {
  UseKind(kRendererDirect3D);
  Camera* camera = GameCamera(16, 0x100);
  ASSERT_NE(camera, nullptr);
  DrawingContext* context = camera->context;
  ASSERT_NE(context->device, nullptr);
  ASSERT_NE(context->zbuffer, nullptr);
  PlatPixelFormat zFormat{};
  plat_SurfaceDescribe(context->zbuffer, nullptr, nullptr, &zFormat);
  EXPECT_EQ(zFormat.bitCount, 16);  // the 16-bit depth format is preferred to the first one listed
  PlatD3DViewportData viewport{};
  ASSERT_TRUE(plat_D3DViewportGet(context->viewport, &viewport));
  EXPECT_EQ(viewport.width, 640);
  EXPECT_EQ(viewport.maxZ, 1.0f);
  const std::vector<PlatD3DStateChange> expected = {
      {kD3DStateCullMode, 1},          {kD3DStateZEnable, 1},        {kD3DStateShadeMode, 2},
      {kD3DStateZFunc, 4},             {kD3DStateZWriteEnable, 1},   {kD3DStateDitherEnable, 1},
      {kD3DStateTexturePerspective, 1}, {kD3DStateSpecularEnable, 1}, {kD3DStateTextureMapBlend, 4},
      {kD3DStateTextureMapBlend, 2},   {kD3DStateAntialias, 0},      {kD3DStateEdgeAntialias, 0},
      {kD3DStateTextureMag, 2},        {kD3DStateTextureMin, 4}};
  const auto& log = plat_TestD3DStateLog(context->device);
  ASSERT_EQ(log.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(log[i].state, expected[i].state) << i;
    EXPECT_EQ(log[i].value, expected[i].value) << i;
  }
  // The background given at creation comes before the device; set afterwards it becomes a device
  // material with a handle.
  EXPECT_EQ(camera->d3dBackgroundHandle, 0u);
  EXPECT_EQ(wre_CameraSetBackgroundRGBA(camera, 255, 0, 0, 255), 0);
  EXPECT_NE(camera->d3dBackgroundHandle, 0u);
  EXPECT_FLOAT_EQ(camera->d3dBackground.diffuse[0], 1.0f);
  EXPECT_EQ(camera->d3dBackground.rampSize, 16);
  wre_CameraDispose(camera, 1);
  EXPECT_EQ(plat_TestD3DLiveObjects(), 0);
}

TEST_F(Contexts, FlatShadingIsTheFallbackAndOtherStateFailuresRefuse) {
  UseKind(kRendererDirect3D);
  plat_TestD3DFailState(kD3DStateShadeMode, 1);
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(plat_D3DDeviceGetRenderState(camera->context->device, kD3DStateShadeMode), 1u);
  wre_CameraDispose(camera, 1);
  plat_TestD3DFailState(kD3DStateZFunc, 1);
  EXPECT_EQ(GameCamera(), nullptr);
  plat_TestD3DFailState(kD3DStateZFunc, 0);
  EXPECT_EQ(plat_TestD3DLiveObjects(), 0);
}

TEST_F(Contexts, ADeviceWithoutDepthBufferNeedsGetsNone) {
  PlatDisplayDriver driver = Driver(0, nullptr);
  driver.hardware.rasterCaps |= kPlatRasterZBufferlessHsr;
  plat_TestDisplaySetDrivers(&driver, 1);
  UseKind(kRendererDirect3D);
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->context->zbuffer, nullptr);
  wre_CameraDispose(camera, 1);
}

TEST_F(Contexts, TheCapsFilterKeepsOnlyCompleteHardwareAndTheListsHaveLimits) {
  std::vector<PlatDisplayDriver> drivers;
  for (int i = 1; i <= 66; ++i) drivers.push_back(Driver(i, i % 2 ? "identified" : nullptr));
  drivers[3].hardware.textureBlendCaps = 0;   // no modulate blending
  drivers[5].hardware.zBufferBitDepth = 0;    // no depth buffer
  drivers[7].hasHardwareDevice = false;       // no hardware device at all
  drivers[9].newInterface = false;            // an old display interface
  plat_TestDisplaySetDrivers(drivers.data(), static_cast<int32_t>(drivers.size()));
  DeviceList* list = wre_DeviceListNew();
  DeviceTable table;
  ASSERT_EQ(wre_DeviceEnumerate(&table, list), 0);
  EXPECT_EQ(table.count, 62);
  EXPECT_EQ(list->count, 31);
  EXPECT_STREQ(list->descriptions[0], "identified");
  EXPECT_STREQ(list->descriptions[1], "driver2");  // without an identifier, the driver name
  wre_DeviceListDispose(list);

  drivers.assign(70, Driver(1, "x"));
  for (int i = 0; i < 70; ++i) std::memset(drivers[static_cast<size_t>(i)].guid.bytes, i + 1, 16);
  plat_TestDisplaySetDrivers(drivers.data(), 70);
  ASSERT_EQ(wre_DeviceEnumerate(&table, nullptr), 0);
  EXPECT_EQ(table.count, 64);

  plat_TestDisplaySetLibraryLoaded(false);
  EXPECT_EQ(wre_DeviceEnumerate(&table, nullptr), kContextErrNoDisplayLibrary);
  UseKind(kRendererDirect3D);
  EXPECT_EQ(GameCamera(), nullptr);
}

TEST_F(Contexts, TheChosenDevicesDescriptionDecidesThe3dfxBit) {
  PlatDisplayDriver drivers[2] = {Driver(1, "Plain Display Adapter"), Driver(2, "3DFX VOODOO2 Accelerator")};
  plat_TestDisplaySetDrivers(drivers, 2);
  UseKind(kRendererDirect3D);
  wre_SetDeviceSelectCallback(Choose);
  gChoice = 0;
  Camera* first = GameCamera();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(gOffered, (std::vector<std::string>{"Plain Display Adapter", "3DFX VOODOO2 Accelerator"}));
  EXPECT_EQ(first->context->displayBits & kDisplay3dfx, 0);
  wre_CameraDispose(first, 1);
  gChoice = 1;
  Camera* second = GameCamera();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->context->displayBits & kDisplay3dfx, kDisplay3dfx);
  EXPECT_EQ(std::memcmp(second->context->driverGuid.bytes, drivers[1].guid.bytes, 16), 0);
  wre_CameraDispose(second, 1);
}

TEST_F(Contexts, ACancelOrAnIndexOutsideTheListGivesNoContext) {
  UseKind(kRendererDirect3D);
  wre_SetDeviceSelectCallback(Choose);
  for (int32_t choice : {-1, 1, 31, 1000}) {
    gChoice = choice;
    EXPECT_EQ(GameCamera(), nullptr) << choice;
  }
  EXPECT_EQ(plat_TestD3DLiveObjects(), 0);
  EXPECT_EQ(wre_ContextCount(), 0);
}

TEST_F(Contexts, DisposeAllReleasesEveryContextNewestFirstList) {
  Camera* a = GameCamera();
  UseKind(kRendererDirect3D);
  Camera* b = GameCamera();
  UseKind(kRenderer3dfx);
  Camera* c = GameCamera();
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(wre_ContextCount(), 3);
  wre_ContextUnregister(b->context);
  wre_ContextUnregister(b->context);  // not on the list any more: nothing happens
  EXPECT_EQ(wre_ContextCount(), 2);
  wre_ContextRegister(b->context);
  wre_ContextDisposeAll();
  EXPECT_EQ(wre_ContextCount(), 0);
  EXPECT_EQ(plat_TestD3DLiveObjects(), 0);
  for (Camera* camera : {a, b, c}) wre_CameraDispose(camera, 0);
}

TEST_F(Contexts, TheDeviceListStopsAt31) {
  DeviceList* list = wre_DeviceListNew();
  for (int i = 0; i < 31; ++i) EXPECT_EQ(wre_DeviceListAdd(list, "device"), 0);
  EXPECT_EQ(wre_DeviceListAdd(list, "one too many"), -1);
  EXPECT_EQ(list->count, 31);
  EXPECT_EQ(wre_DeviceListAdd(nullptr, "x"), 0);
  std::string longText(400, 'd');
  wre_DeviceListDispose(list);
  list = wre_DeviceListNew();
  wre_DeviceListAdd(list, longText.c_str());
  EXPECT_EQ(std::strlen(list->descriptions[0]), 255u);
  wre_DeviceListDispose(list);
}

TEST_F(Contexts, AvailabilityFollowsTheBitsOfEachKind) {
  gRendererSettings.available = 0x01 | 0x04;  // software and Direct3D
  EXPECT_EQ(wre_RendererIsAvailable(kRendererSoftware), 1);
  EXPECT_EQ(wre_RendererIsAvailable(kRendererDirect3D), 1);
  EXPECT_EQ(wre_RendererIsAvailable(kRendererOpenGL), 0);
  EXPECT_EQ(wre_RendererIsAvailable(99), 0);
  EXPECT_EQ(wre_RendererIsAvailable(105), 0);
  gRendererSettings.available = 0x08;
  EXPECT_EQ(wre_RendererIsAvailable(kRendererOpenGL), 1);
  EXPECT_EQ(wre_ContextSetFlags(nullptr, 1), -1000);
}

const unsigned char* Extensions(uint32_t) {
  return reinterpret_cast<const unsigned char*>("GL_ARB_multitexture GL_EXT_bgra  GL_EXT_abgr");
}

TEST_F(Contexts, ExtensionsMatchWholeWordsOnly) {
  PlatGlFunctions table{};
  table.GetString = Extensions;
  plat_GlSetFunctions(&table);
  EXPECT_TRUE(wre_GLExtensionSupported("GL_EXT_bgra"));
  EXPECT_TRUE(wre_GLExtensionSupported("GL_EXT_abgr"));
  EXPECT_FALSE(wre_GLExtensionSupported("GL_EXT_bgr"));
  EXPECT_FALSE(wre_GLExtensionSupported("GL_ARB"));
  table.GetString = nullptr;
  EXPECT_FALSE(wre_GLExtensionSupported("GL_EXT_bgra"));
  plat_GlSetFunctions(nullptr);
}

}  // namespace

namespace {

std::vector<std::string> gGlCalls;
void RecViewport(int32_t x, int32_t y, int32_t w, int32_t h) {
  gGlCalls.push_back("viewport " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) + " " +
                     std::to_string(h));
}
void RecEnable(uint32_t cap) { gGlCalls.push_back("enable " + std::to_string(cap)); }
void RecDisable(uint32_t cap) { gGlCalls.push_back("disable " + std::to_string(cap)); }
void RecPolygonMode(uint32_t face, uint32_t mode) {
  gGlCalls.push_back("polygonmode " + std::to_string(face) + " " + std::to_string(mode));
}
void RecShadeModel(uint32_t mode) { gGlCalls.push_back("shade " + std::to_string(mode)); }

TEST_F(Contexts, OpenGLContextsSetTheirViewportAndStartingState) {
  if (!plat_GlAvailable()) {
    plat_UseBackend(kPlatBackendReal);
    bool available = plat_GlAvailable();
    plat_UseBackend(kPlatBackendTest);
    if (!available) GTEST_SKIP() << "no OpenGL on this machine";
  }
  plat_TestGlSetAvailable(true);
  PlatGlFunctions recorder{};
  recorder.Viewport = RecViewport;
  recorder.Enable = RecEnable;
  recorder.Disable = RecDisable;
  recorder.PolygonMode = RecPolygonMode;
  recorder.ShadeModel = RecShadeModel;
  plat_GlSetFunctions(&recorder);
  gGlCalls.clear();
  UseKind(kRendererOpenGL);
  Camera* camera = GameCamera();
  plat_GlSetFunctions(nullptr);
  plat_TestGlSetAvailable(false);
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(gGlCalls, (std::vector<std::string>{"viewport 0 0 640 480", "enable 3553", "enable 2929",
                                                 "polygonmode 1032 6914", "shade 7425", "disable 2881",
                                                 "disable 2848"}));
  EXPECT_NE(camera->context->glContext, nullptr);
  EXPECT_GE(camera->context->pixelFormat.depthBits, 16);
  EXPECT_EQ(camera->context->primary, nullptr);  // the display mode only: OpenGL draws to the window
  wre_CameraDispose(camera, 1);
}

}  // namespace

namespace {

TEST_F(Contexts, TexturesLetGoOfAContextThatIsDisposedBeforeThem) {
  ASSERT_EQ(wre_TextureTableInit(4), 0);
  for (int32_t kind : {kRendererSoftware, kRendererDirect3D}) {
    UseKind(kind);
    Camera* camera = GameCamera();
    ASSERT_NE(camera, nullptr) << kind;
    WreRect rect{0, 0, 8, 8};
    Offscreen* image = wre_OffscreenNew(kOffscreenMemory, &rect, 0, 24, 0, nullptr, nullptr);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(wre_TextureCreate(image, camera->context, 0, "wall.bmp"), 0) << kind;
    wre_OffscreenDispose(image);
    // The camera and its context go first; the texture stays registered without a renderer copy.
    wre_CameraDispose(camera, 1);
    EXPECT_EQ(gTextureTable[0].context, nullptr);
    EXPECT_EQ(gTextureTable[0].pixels, nullptr);
    EXPECT_EQ(gTextureTable[0].surface, nullptr);
    EXPECT_EQ(wre_TextureFindByFile("wall.bmp"), 0);
    EXPECT_EQ(wre_TextureRelease(0), 0);
  }
  EXPECT_EQ(plat_TestD3DLiveObjects(), 0);
  wre_TextureTableFree();
}

}  // namespace
