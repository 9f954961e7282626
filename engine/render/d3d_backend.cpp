#include "engine/render/d3d_backend.h"

#include "engine/core/colour_scale.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/backend.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/hw_texture.h"
#include "engine/render/polygon.h"
#include "engine/render/spans/soft_round.h"
#include "platform/plat_d3d_draw.h"

namespace {

enum Pass { kPassOpaque, kPassKeyed, kPassTranslucent };

constexpr uint32_t kRecordUVClamp = 0x10;
constexpr uint32_t kRecordEdgeClip = 0x04;
constexpr uint32_t kAlphaRefKeyed = 143;
constexpr uint32_t kAlphaRefTranslucent = 1;

// Per-call memory of what was last sent.
struct DrawState {
  PlatD3DDevice* device;
  const Camera* camera;
  int32_t lastMaterial;
  int32_t lastTexture;
  int32_t textureBlend;  // -1: none sent yet
  bool clamped;
  bool depthCue;
  uint32_t diffuse;
  float cueStart;  // the depth-cue distances as projected depths 0..1
  float cueEnd;
};

int32_t Byte(float value) {
  const int32_t v = wre_FloatToIntRound(value);
  if (v == INT32_MIN) return value > 0.0f ? 255 : 0;  // NaN or far out of range
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// The projected depth of a camera-space distance, as the projection writes it.
float ProjectedDepth(const Camera* camera, float distance) {
  if (!(distance > 0.0f)) return 0.0f;
  return (distance * camera->depthScale + camera->depthOffset) / distance;
}

uint32_t VertexColour(const PolygonRecord& record, int i) {
  return wre_D3DPackColour(record.colour[i][0], record.colour[i][1], record.colour[i][2], 255.0f);
}

// The specular colour with depth cue: the vertex colour before the start, the cue colour from the
// end on, and between them the two mixed, the cue's share growing from 0 to 1.
uint32_t CueColour(const DrawState& s, const PolygonRecord& record, int i) {
  const float z = record.v[i].z;
  const uint32_t* cue = s.camera->depthCueColour;
  if (z >= s.cueEnd) {
    return wre_D3DPackColour(static_cast<float>(cue[0]), static_cast<float>(cue[1]), static_cast<float>(cue[2]),
                             255.0f);
  }
  if (z < s.cueStart || !(s.cueEnd > s.cueStart)) return VertexColour(record, i);
  const float t = (z - s.cueStart) / (s.cueEnd - s.cueStart);
  const float k = 1.0f - t;
  return wre_D3DPackColour(record.colour[i][0] * k + static_cast<float>(cue[0]) * t,
                           record.colour[i][1] * k + static_cast<float>(cue[1]) * t,
                           record.colour[i][2] * k + static_cast<float>(cue[2]) * t, t * gColourMax);
}

int32_t Set(DrawState& s, uint32_t state, uint32_t value) {
  return plat_D3DDeviceSetRenderState(s.device, state, value) == 0 ? 0 : -1;
}

void SetIgnored(DrawState& s, uint32_t state, uint32_t value) { plat_D3DDeviceSetRenderState(s.device, state, value); }

void SetTextureBlend(DrawState& s, int32_t blend) {
  if (blend == s.textureBlend) return;
  SetIgnored(s, kD3DStateTextureMapBlend, static_cast<uint32_t>(blend));
  s.textureBlend = blend;
}

// The texture states of a textured record. 0, or -1 to end the draw.
int32_t TextureStates(DrawState& s, const PolygonRecord& record) {
  if (record.texture != s.lastTexture) {
    // A lost surface is restored (its pixels loaded again) before the texture is used.
    if (wre_HwTextureSurfaceLost(record.texture) && wre_HwTextureSurfaceRestore(record.texture) != 0) return -1;
    if (Set(s, kD3DStateTextureHandle, wre_HwTextureD3DHandle(record.texture)) != 0) return -1;
    s.lastTexture = record.texture;
  }
  const bool clamp = (record.flags & kRecordUVClamp) != 0;
  if (clamp != s.clamped) {
    SetIgnored(s, kD3DStateTextureAddress, clamp ? kD3DAddressClamp : kD3DAddressWrap);
    s.clamped = clamp;
  }
  const bool gouraud = record.kind != kPolyTextured || s.depthCue;
  return Set(s, kD3DStateShadeMode, gouraud ? kD3DShadeGouraud : kD3DShadeFlat);
}

int32_t UntexturedStates(DrawState& s, const PolygonRecord& record, Pass pass) {
  if (pass == kPassOpaque) {
    if (Set(s, kD3DStateAlphaBlendEnable, 0) != 0) return -1;
    if (Set(s, kD3DStateSrcBlend, kD3DBlendOne) != 0) return -1;
    if (Set(s, kD3DStateDestBlend, kD3DBlendZero) != 0) return -1;
  } else {
    if (Set(s, kD3DStateSrcBlend, kD3DBlendSrcAlpha) != 0) return -1;
    if (Set(s, kD3DStateDestBlend, kD3DBlendInvSrcAlpha) != 0) return -1;
  }
  if (Set(s, kD3DStateShadeMode, record.kind == kPolyPlainSmooth ? kD3DShadeGouraud : kD3DShadeFlat) != 0) return -1;
  // Alpha testing may still be on with the colour-keyed reference (143), which would drop a
  // translucent polygon of lower opacity: only fully transparent pixels are dropped here.
  if (pass == kPassTranslucent) SetIgnored(s, kD3DStateAlphaRef, kAlphaRefTranslucent);
  if (s.lastTexture != -1) {
    if (Set(s, kD3DStateTextureHandle, 0) != 0) return -1;
    s.lastTexture = -1;
  }
  return 0;
}

int32_t TexturedStates(DrawState& s, const PolygonRecord& record, Pass pass) {
  if (TextureStates(s, record) != 0) return -1;
  if (pass == kPassOpaque) {
    const bool keyed = (wre_HwTextureFlags(record.texture) & kTextureHasAlpha) != 0;
    if (Set(s, kD3DStateAlphaBlendEnable, keyed ? 1u : 0u) != 0) return -1;
    if (Set(s, kD3DStateSrcBlend, keyed ? kD3DBlendSrcAlpha : kD3DBlendOne) != 0) return -1;
    if (Set(s, kD3DStateDestBlend, keyed ? kD3DBlendInvSrcAlpha : kD3DBlendZero) != 0) return -1;
    SetTextureBlend(s, kD3DTextureBlendModulate);
    SetIgnored(s, kD3DStateAlphaTestEnable, keyed ? 1u : 0u);
    return 0;
  }
  if (Set(s, kD3DStateSrcBlend, kD3DBlendSrcAlpha) != 0) return -1;
  if (Set(s, kD3DStateDestBlend, kD3DBlendInvSrcAlpha) != 0) return -1;
  SetTextureBlend(s, kD3DTextureBlendModulateAlpha);
  SetIgnored(s, kD3DStateAlphaRef, pass == kPassKeyed ? kAlphaRefKeyed : kAlphaRefTranslucent);
  SetIgnored(s, kD3DStateAlphaTestEnable, 1);
  return Set(s, kD3DStateAlphaFunc, kD3DCompareGreater);
}

// One record: 0, 1 when skipped, -1 on a failure.
int32_t DrawRecord(DrawState& s, const PolygonRecord& record, Pass pass) {
  const bool textured = record.kind >= kPolyTextured && record.kind <= kPolyTexturedSmooth;
  if (!textured && !(record.kind >= kPolyPlainUnlit && record.kind <= kPolyPlainSmooth)) return 1;
  if ((textured ? TexturedStates(s, record, pass) : UntexturedStates(s, record, pass)) != 0) return -1;
  if (record.material != s.lastMaterial) {
    const Material* material = wre_PolygonMaterial(record.material);
    s.diffuse = material ? wre_D3DPackColour(material->lit.red, material->lit.green, material->lit.blue,
                                             material->lit.alpha)
                         : 0xFF000000u;
    s.lastMaterial = record.material;
  }
  const bool cue = s.depthCue && (!textured || pass == kPassOpaque);
  PlatD3DTLVertex vertices[3];
  for (int i = 0; i < 3; ++i) {
    PlatD3DTLVertex& v = vertices[i];
    v.x = record.v[i].x;
    v.y = record.v[i].y;
    v.z = record.v[i].z;
    v.rhw = record.v[i].w;
    v.diffuse = s.diffuse;
    v.specular = cue ? CueColour(s, record, i) : VertexColour(record, i);
    v.u = textured ? record.uv[i][0] : 0.0f;
    v.v = textured ? record.uv[i][1] : 0.0f;
  }
  const uint32_t flags = (record.flags & kRecordEdgeClip) ? kD3DDrawDoNotUpdateExtents
                                                          : kD3DDrawDoNotUpdateExtents | kD3DDrawDoNotClip;
  return plat_D3DDeviceDrawPrimitive(s.device, kD3DPrimitiveTriangleList, kD3DVertexFormatTL, vertices, 3, flags) == 0
             ? 0
             : -1;
}

// 0, or -1 at the first failure.
int32_t DrawQueue(DrawState& s, const PolyQueue& queue, Pass pass) {
  for (int32_t i = 0; i < queue.count; ++i) {
    if (DrawRecord(s, queue.base[i], pass) < 0) return -1;
  }
  return 0;
}

PlatD3DDevice* DeviceOf(const Camera* camera) {
  return camera && camera->context ? camera->context->device : nullptr;
}

}  // namespace

uint32_t wre_D3DPackColour(float red, float green, float blue, float alpha) {
  return static_cast<uint32_t>(Byte(alpha)) << 24 | static_cast<uint32_t>(Byte(red)) << 16 |
         static_cast<uint32_t>(Byte(green)) << 8 | static_cast<uint32_t>(Byte(blue));
}

int32_t wre_D3DFrameBegin(Camera* camera, uint8_t background, uint8_t clearAll) {
  if (!camera || !camera->context) return kWreErrNull;
  DrawingContext* context = camera->context;
  if (background && camera->d3dBackgroundHandle != 0) {
    plat_D3DViewportSetBackground(context->viewport, camera->d3dBackgroundHandle);
  }
  for (PlatSurface* surface : {context->zbuffer, context->primary, context->back}) {
    if (surface && plat_SurfaceIsLost(surface)) plat_SurfaceRestore(surface);
  }
  // The viewport words are edges: the rectangle is (left, top) to (right, bottom).
  const PlatEdgeRect rect{camera->viewport.left, camera->viewport.top, camera->viewport.right, camera->viewport.bottom};
  plat_D3DViewportClear(context->viewport, 1, &rect,
                        clearAll ? kD3DClearTarget | kD3DClearZBuffer | kD3DClearStencil : kD3DClearZBuffer);
  return 0;
}

int32_t wre_D3DDepthClear(Camera* camera) {
  if (!camera) return kWreErrNull;
  if (!camera->context) return -1;
  const PlatEdgeRect rect{camera->viewport.left, camera->viewport.top, camera->viewport.right, camera->viewport.bottom};
  return plat_D3DViewportClear(camera->context->viewport, 1, &rect, kD3DClearZBuffer) == 0 ? 0 : -1;
}

int32_t wre_D3DPolygonsDraw(Camera* camera) {
  PlatD3DDevice* device = DeviceOf(camera);
  if (!device) return -1;
  DrawState s{};
  s.device = device;
  s.camera = camera;
  s.lastMaterial = -1;
  s.lastTexture = -1;
  s.textureBlend = -1;
  s.clamped = false;
  s.depthCue = (camera->bits & kCameraDepthCueOn) != 0;
  s.cueStart = ProjectedDepth(camera, camera->depthCueStart);
  s.cueEnd = ProjectedDepth(camera, camera->depthCueEnd);
  if (Set(s, kD3DStateTextureHandle, 0) != 0) return -1;
  if (Set(s, kD3DStateTextureAddress, kD3DAddressWrap) != 0) return -1;
  if (DrawQueue(s, gPolyQueueOpaque, kPassOpaque) != 0) return -1;
  if (Set(s, kD3DStateAlphaBlendEnable, 1) != 0) return -1;
  if (DrawQueue(s, gPolyQueueKeyed, kPassKeyed) != 0) return -1;
  const int32_t result = DrawQueue(s, gPolyQueueTranslucent, kPassTranslucent);
  SetIgnored(s, kD3DStateAlphaTestEnable, 0);
  return result;
}

int32_t wre_D3DSceneBegin(Camera* camera) { return plat_D3DDeviceBeginScene(DeviceOf(camera)) == 0 ? 0 : -1; }

int32_t wre_D3DSceneEnd(Camera* camera) { return plat_D3DDeviceEndScene(DeviceOf(camera)) == 0 ? 0 : -1; }

int32_t wre_DepthClearNoOp(Camera*) { return 0; }

int32_t wre_BackgroundClearNoOp(Camera*) { return 0; }

namespace {

int32_t BeginFrame(Camera* camera, uint8_t clear) { return wre_D3DFrameBegin(camera, 1, clear); }

// Shows the frame: the primary surface, restored when it was lost, flipped.
int32_t EndFrame(Camera* camera) {
  PlatSurface* front = camera->context ? camera->context->primary : nullptr;
  if (!front) return -1;
  if (plat_SurfaceIsLost(front)) plat_SurfaceRestore(front);
  return plat_SurfaceFlip(front) == 0 ? 0 : -1;
}

void SetDepthTest(Camera* camera, uint8_t on) {
  if (camera->context && camera->context->device) {
    plat_D3DDeviceSetRenderState(camera->context->device, kD3DStateZEnable, on ? 1u : 0u);
  }
  if (on) wre_D3DFrameBegin(camera, 0, 0);
}

constexpr RenderBackend kDirect3D{
    &wre_D3DSceneBegin,      // beginScene
    &BeginFrame,             // beginFrame
    &wre_D3DPolygonsDraw,    // drawQueues
    &wre_D3DSceneEnd,        // endScene
    &EndFrame,               // endFrame
    nullptr,                 // clearFrame
    &wre_D3DDepthClear,      // clearDepth
    &SetDepthTest,           // setDepthTest
    &wre_D3DTextureUpload,   // uploadTexture
    &wre_D3DTextureRelease,  // releaseTexture
    false,                   // queuesKeptToFrameEnd
};

}  // namespace

const RenderBackend& wre_D3DBackend() { return kDirect3D; }
