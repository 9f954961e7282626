#include "engine/render/gl_backend.h"

#include <vector>

#include "engine/data/material.h"
#include "engine/render/backend.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/hw_texture.h"
#include "engine/render/polygon.h"
#include "platform/plat_gl.h"

namespace {

constexpr uint32_t kRecordUVClamp = 0x10;
constexpr float kLightPassNearer = 0.0001f;

struct GlDrawState {
  const PlatGlFunctions* gl;
  float colour[4];
  int32_t lastMaterial;
  int32_t lastTexture;
  bool textured;
  // The wrap mode set on each texture object during this call (by OpenGL name): a texture object
  // keeps its own, and it can only be set outside glBegin / glEnd.
  std::vector<uint8_t> wrap;  // 0 unknown, 1 repeat, 2 clamp
};

constexpr uint32_t kWrapMemoryNames = 4096;  // names above are set every time

void SetWrap(GlDrawState& s, uint32_t name, bool clamp) {
  const uint8_t wanted = clamp ? 2 : 1;
  if (name < kWrapMemoryNames) {
    if (name >= s.wrap.size()) s.wrap.resize(name + 64u, 0);
    if (s.wrap[name] == wanted) return;
    s.wrap[name] = wanted;
  }
  const int32_t mode = clamp ? static_cast<int32_t>(kGlClamp) : static_cast<int32_t>(kGlRepeat);
  s.gl->TexParameteri(kGlTexture2D, kGlTextureWrapS, mode);
  s.gl->TexParameteri(kGlTexture2D, kGlTextureWrapT, mode);
}

void BindTexture(GlDrawState& s, int32_t texture) {
  s.gl->BindTexture(kGlTexture2D, wre_HwTextureGLName(texture));
  s.gl->Enable(kGlTexture2D);
  s.textured = true;
  s.lastTexture = texture;
}

// blended: the colour-keyed and translucent passes, which keep blending on.
void DrawRecord(GlDrawState& s, const PolygonRecord& record, bool blended) {
  const PlatGlFunctions& gl = *s.gl;
  if (record.material != s.lastMaterial) {
    if (const Material* material = wre_PolygonMaterial(record.material)) {
      s.colour[0] = material->lit.red;
      s.colour[1] = material->lit.green;
      s.colour[2] = material->lit.blue;
      if (blended) s.colour[3] = material->lit.alpha;
    }
    s.lastMaterial = record.material;
  }
  if (record.texture != s.lastTexture) {
    if (record.texture == -1) {
      gl.Disable(kGlTexture2D);
      s.textured = false;
      s.lastTexture = -1;
    } else {
      BindTexture(s, record.texture);
    }
  }
  if (s.textured) SetWrap(s, wre_HwTextureGLName(record.texture), (record.flags & kRecordUVClamp) != 0);
  gl.Begin(kGlPolygon);
  if (blended) {
    gl.Color4fv(s.colour);
  } else {
    gl.Color3fv(s.colour);
  }
  for (int i = 0; i < 3; ++i) {
    if (s.textured) gl.TexCoord3f(record.uv[i][0], record.uv[i][1], record.v[i].w);
    gl.Vertex3f(record.v[i].x, record.v[i].y, record.v[i].z);
  }
  gl.End();
  // The light pass adds the vertex colours of every kind but the unlit ones.
  if (record.kind == kPolyPlainUnlit || record.kind == kPolyTextured) return;
  if (blended) {
    gl.BlendFunc(kGlOne, kGlOneMinusSrcColor);
  } else {
    gl.Enable(kGlBlend);
    gl.BlendFunc(kGlOne, kGlOneMinusSrcColor);
  }
  gl.ShadeModel(kGlSmooth);
  const bool hadTexture = s.textured;
  if (hadTexture) {
    gl.Disable(kGlTexture2D);
    s.textured = false;
    s.lastTexture = -1;
  }
  gl.Begin(kGlPolygon);
  for (int i = 0; i < 3; ++i) {
    gl.Color3f(record.colour[i][0], record.colour[i][1], record.colour[i][2]);
    gl.Vertex3f(record.v[i].x, record.v[i].y, record.v[i].z - kLightPassNearer);
  }
  gl.End();
  if (blended) {
    gl.BlendFunc(kGlSrcAlpha, kGlOneMinusSrcAlpha);
  } else {
    gl.Disable(kGlBlend);
  }
  gl.ShadeModel(kGlFlat);
  if (hadTexture) BindTexture(s, record.texture);
}

void DrawBlendedQueue(GlDrawState& s, const PolyQueue& queue) {
  s.lastMaterial = -1;
  for (int32_t i = 0; i < queue.count; ++i) DrawRecord(s, queue.base[i], true);
}

}  // namespace

int32_t wre_GLFrameBegin(Camera* camera, DrawingContext* context, uint8_t clear) {
  if (!camera || !context) return kWreErrNull;
  if (context->glContext) plat_GlMakeCurrent(context->glContext);
  const PlatGlFunctions& gl = *plat_Gl();
  if (clear) {
    wre_GLFrameClear(context, camera->background);
  } else {
    wre_GLDepthClear();
  }
  // Texture v runs downwards: t = 1 - v. (A plain flip, t = -v, would be right only with the
  // repeat wrap: clamped textures would show nothing but their edge row.)
  gl.MatrixMode(kGlTexture);
  gl.LoadIdentity();
  gl.Scalef(1.0f, -1.0f, 1.0f);
  gl.Translatef(0.0f, -1.0f, 0.0f);
  gl.MatrixMode(kGlProjection);
  gl.LoadIdentity();
  const float w = camera->width;
  const float h = camera->height;
  gl.MatrixMode(kGlModelview);
  gl.LoadIdentity();
  gl.Scalef(2.0f / w, -2.0f / h, 1.0f);
  gl.Translatef(-0.5f * w, -0.5f * h, 0.0f);
  // OpenGL counts viewport rows from the bottom.
  gl.Viewport(context->view.left, context->display.bottom - context->view.bottom, static_cast<int32_t>(w),
              static_cast<int32_t>(h));
  return 0;
}

int32_t wre_GLFrameClear(DrawingContext*, const float* colour) {
  const PlatGlFunctions& gl = *plat_Gl();
  if (colour) gl.ClearColor(colour[0], colour[1], colour[2], colour[3]);
  gl.Clear(kGlColorBufferBit | kGlDepthBufferBit);
  return 0;
}

int32_t wre_GLDepthClear() {
  plat_Gl()->Clear(kGlDepthBufferBit);
  return 0;
}

int32_t wre_GLDepthTestSet(Camera*, DrawingContext*, uint8_t on) {
  if (on) {
    plat_Gl()->Enable(kGlDepthTest);
  } else {
    plat_Gl()->Disable(kGlDepthTest);
  }
  return 0;
}

int32_t wre_GLPolygonsDraw(Camera*, DrawingContext*) {
  GlDrawState s{};
  s.gl = plat_Gl();
  const PlatGlFunctions& gl = *s.gl;
  gl.TexEnvi(kGlTextureEnv, kGlTextureEnvMode, static_cast<int32_t>(kGlModulate));
  gl.TexParameteri(kGlTexture2D, kGlTextureWrapS, static_cast<int32_t>(kGlRepeat));
  gl.TexParameteri(kGlTexture2D, kGlTextureWrapT, static_cast<int32_t>(kGlRepeat));
  gl.Disable(kGlColorMaterial);
  gl.Disable(kGlBlend);
  gl.Disable(kGlAlphaTest);
  gl.ShadeModel(kGlFlat);
  gl.Disable(kGlTexture2D);
  s.colour[0] = s.colour[1] = s.colour[2] = s.colour[3] = 1.0f;
  s.lastMaterial = -1;
  s.lastTexture = -1;
  s.textured = false;
  for (int32_t i = 0; i < gPolyQueueOpaque.count; ++i) DrawRecord(s, gPolyQueueOpaque.base[i], false);
  gl.Enable(kGlAlphaTest);
  gl.AlphaFunc(kGlGreater, 0.001f);
  gl.Enable(kGlBlend);
  gl.BlendFunc(kGlSrcAlpha, kGlOneMinusSrcAlpha);
  DrawBlendedQueue(s, gPolyQueueKeyed);
  DrawBlendedQueue(s, gPolyQueueTranslucent);
  gl.Disable(kGlBlend);
  return 0;
}

int32_t wre_GLFramePresent(Camera*, DrawingContext* context) {
  if (context) plat_GlSwapBuffers(context->glContext);
  return 0;
}

namespace {

DrawingContext* ContextOf(Camera* camera) { return camera ? camera->context : nullptr; }

int32_t BeginFrame(Camera* camera, uint8_t clear) { return wre_GLFrameBegin(camera, ContextOf(camera), clear); }
int32_t DrawQueues(Camera* camera) { return wre_GLPolygonsDraw(camera, ContextOf(camera)); }
int32_t EndFrame(Camera* camera) { return wre_GLFramePresent(camera, ContextOf(camera)); }
int32_t ClearDepth(Camera*) { return wre_GLDepthClear(); }
void SetDepthTest(Camera* camera, uint8_t on) {
  wre_GLDepthTestSet(camera, ContextOf(camera), on);
  if (on) wre_GLDepthClear();
}

constexpr RenderBackend kOpenGL{
    nullptr,               // beginScene
    &BeginFrame,           // beginFrame
    &DrawQueues,           // drawQueues
    nullptr,               // endScene
    &EndFrame,             // endFrame
    &wre_GLFrameClear,     // clearFrame
    &ClearDepth,           // clearDepth
    &SetDepthTest,         // setDepthTest
    &wre_GLTextureUpload,  // uploadTexture
    nullptr,               // releaseTexture: the texture's name is used again
    false,                 // queuesKeptToFrameEnd
};

}  // namespace

const RenderBackend& wre_GLBackend() { return kOpenGL; }
