#include "platform/plat_d3d_draw.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "platform/plat_backend.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_d3d.h"
#include "platform/test/plat_d3d_draw.h"

namespace {

constexpr uint32_t kStateCount = 64;

struct GlTexture {
  uint32_t name = 0;
  uint32_t revision = 0;
  bool hasAlpha = false;
  int32_t wrap = 0;  // the wrap mode last set on this texture object (0: not yet)
  int32_t magFilter = 0;
  int32_t minFilter = 0;
};

// What was last sent to OpenGL, so a state goes out only when it changes. -1: unknown.
struct Sent {
  int32_t depthTest = -1, depthWrite = -1, depthFunc = -1;
  int32_t alphaTest = -1, alphaFunc = -1, alphaRef = -1;
  int32_t blend = -1, srcBlend = -1, dstBlend = -1;
  int32_t shade = -1, colourSum = -1, cull = -1, dither = -1;
  int32_t texturing = -1;
  uint32_t boundName = 0xFFFFFFFFu;
  int32_t envMode = -1;  // 0 modulate, 1 modulate with the texture's alpha
  PlatEdgeRect scissor{-1, -1, -1, -1};
};

struct DeviceDraw {
  const PlatD3DDevice* device = nullptr;
  uint32_t states[kStateCount] = {};
  bool dirty = true;
  bool inScene = false;
  std::vector<PlatD3DDrawEvent> log;
  PlatD3DGlSends sends{};
  // OpenGL.
  bool glTried = false;
  PlatGlContext* gl = nullptr;
  uint32_t framebuffer = 0, colour = 0, depth = 0;
  int32_t width = 0, height = 0;
  Sent sent;
  std::map<uint32_t, GlTexture> textures;  // by texture handle
  GlTexture* bound = nullptr;              // the texture the current states draw with, or none
  std::vector<uint8_t> readback;
};

std::map<const PlatD3DDevice*, std::unique_ptr<DeviceDraw>> gDraws;
bool DeviceTextures(const PlatD3DDevice* device, uint32_t handle, PlatD3DTextureImage* image) {
  return plat_D3DTextureImageOf(plat_D3DDeviceTextureFromHandle(device, handle), image);
}

PlatD3DTextureSource gTextureSource = DeviceTextures;
bool gTestWithGl = false;

// States a device starts with before any is set.
void SetDefaults(DeviceDraw& d) {
  d.states[kD3DStateZEnable] = 1;
  d.states[kD3DStateZWriteEnable] = 1;
  d.states[kD3DStateZFunc] = kD3DCompareLessEqual;
  d.states[kD3DStateShadeMode] = kD3DShadeGouraud;
  d.states[kD3DStateSrcBlend] = kD3DBlendOne;
  d.states[kD3DStateDestBlend] = kD3DBlendZero;
  d.states[kD3DStateTextureMapBlend] = kD3DTextureBlendModulate;
  d.states[kD3DStateTextureAddress] = kD3DAddressWrap;
  d.states[kD3DStateAlphaFunc] = 8;  // always
  d.states[kD3DStateCullMode] = kD3DCullNone;
  d.states[kD3DStateTextureMag] = kD3DFilterNearest;
  d.states[kD3DStateTextureMin] = kD3DFilterNearest;
  d.states[kD3DStateSpecularEnable] = 1;
}

DeviceDraw& DrawOf(const PlatD3DDevice* device) {
  auto& slot = gDraws[device];
  if (!slot) {
    slot = std::make_unique<DeviceDraw>();
    slot->device = device;
    SetDefaults(*slot);
  }
  return *slot;
}

bool Recording() { return plat_CurrentBackend() == kPlatBackendTest; }
bool WantGl() { return !Recording() || gTestWithGl; }

const PlatGlFunctions& Gl() { return *plat_Gl(); }

uint32_t GlCompare(uint32_t d3dFunc) { return kGlNever + (d3dFunc >= 1 && d3dFunc <= 8 ? d3dFunc - 1 : 7); }

uint32_t GlBlend(uint32_t d3dBlend) {
  switch (d3dBlend) {
    case 1: return kGlZero;
    case 2: return kGlOne;
    case 3: return kGlSrcColor;
    case 4: return kGlOneMinusSrcColor;
    case 5: return kGlSrcAlpha;
    case 6: return kGlOneMinusSrcAlpha;
    case 7: return kGlDstAlpha;
    case 8: return kGlOneMinusDstAlpha;
    case 9: return kGlDstColor;
    case 10: return kGlOneMinusDstColor;
    case 11: return kGlSrcAlphaSaturate;
    default: return kGlOne;
  }
}

void Switch(uint32_t cap, bool on) {
  if (on) {
    Gl().Enable(cap);
  } else {
    Gl().Disable(cap);
  }
}

void ReleaseGl(DeviceDraw& d) {
  if (!d.gl) return;
  plat_GlMakeCurrent(d.gl);
  for (auto& entry : d.textures) {
    if (entry.second.name) Gl().DeleteTextures(1, &entry.second.name);
  }
  if (d.framebuffer) Gl().DeleteFramebuffers(1, &d.framebuffer);
  if (d.colour) Gl().DeleteRenderbuffers(1, &d.colour);
  if (d.depth) Gl().DeleteRenderbuffers(1, &d.depth);
  plat_GlContextDelete(d.gl);
  d.gl = nullptr;
  d.framebuffer = d.colour = d.depth = 0;
  d.textures.clear();
  d.bound = nullptr;
}

// The projection: render-target pixels (centres at whole numbers) and depth 0..1 to clip space,
// for vertices sent as (x / rhw, y / rhw, z / rhw, 1 / rhw).
void LoadPixelProjection(int32_t width, int32_t height) {
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const float m[16] = {2.0f / w, 0, 0, 0, 0, -2.0f / h, 0, 0, 0, 0, 2.0f, 0, 1.0f / w - 1.0f, 1.0f - 1.0f / h, -1.0f,
                       1.0f};
  Gl().MatrixMode(kGlProjection);
  Gl().LoadMatrixf(m);
  Gl().MatrixMode(kGlModelview);
  Gl().LoadIdentity();
  Gl().MatrixMode(kGlTexture);
  Gl().LoadIdentity();
  Gl().MatrixMode(kGlModelview);
}

// Makes the device's context and framebuffer (once) and makes them current. False without OpenGL.
bool StartGl(DeviceDraw& d) {
  if (!WantGl()) return false;
  PlatSurface* target = plat_D3DDeviceTarget(d.device);
  int32_t width = 0, height = 0;
  plat_SurfaceDescribe(target, &width, &height, nullptr);
  if (d.gl && (width != d.width || height != d.height)) ReleaseGl(d);
  if (!d.gl) {
    if (d.glTried || width < 1 || height < 1) return false;
    d.glTried = true;
    d.gl = plat_GlContextCreateHidden();
    if (!d.gl) return false;
    const PlatGlFunctions& gl = Gl();
    gl.GenFramebuffers(1, &d.framebuffer);
    gl.GenRenderbuffers(1, &d.colour);
    gl.GenRenderbuffers(1, &d.depth);
    gl.BindRenderbuffer(kGlRenderbuffer, d.colour);
    gl.RenderbufferStorage(kGlRenderbuffer, kGlRgba8, width, height);
    gl.BindRenderbuffer(kGlRenderbuffer, d.depth);
    gl.RenderbufferStorage(kGlRenderbuffer, kGlDepthComponent24, width, height);
    gl.BindFramebuffer(kGlFramebuffer, d.framebuffer);
    gl.FramebufferRenderbuffer(kGlFramebuffer, kGlColorAttachment0, kGlRenderbuffer, d.colour);
    gl.FramebufferRenderbuffer(kGlFramebuffer, kGlDepthAttachment, kGlRenderbuffer, d.depth);
    if (gl.CheckFramebufferStatus(kGlFramebuffer) != kGlFramebufferComplete) {
      ReleaseGl(d);
      return false;
    }
    d.width = width;
    d.height = height;
    gl.Viewport(0, 0, width, height);
    LoadPixelProjection(width, height);
    if (gl.ProvokingVertex) gl.ProvokingVertex(kGlFirstVertexConvention);  // flat shading takes vertex 0
    gl.Enable(kGlScissorTest);
    gl.PixelStorei(kGlUnpackAlignment, 1);
    gl.ClearDepth(1.0);
    gl.Disable(kGlTexture2D);
    d.sent = Sent{};
    d.sent.texturing = 0;
    d.dirty = true;
  }
  plat_GlMakeCurrent(d.gl);
  Gl().BindFramebuffer(kGlFramebuffer, d.framebuffer);
  return true;
}

uint8_t Scale8(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 255;
  int shift = 0;
  while (!((mask >> shift) & 1u)) ++shift;
  const uint32_t max = mask >> shift;
  return static_cast<uint8_t>((((pixel & mask) >> shift) * 255u + max / 2) / max);
}

// Uploads the image as 8-bit RGBA; false for a layout it cannot read.
bool Upload(GlTexture& texture, const PlatD3DTextureImage& image) {
  const int32_t bytes = image.format.bitCount / 8;
  const bool indexed = bytes == 1 && image.palette;
  if ((bytes != 2 && bytes != 4 && !indexed) || !image.pixels || image.width < 1 || image.height < 1) return false;
  std::vector<uint8_t> rgba(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4);
  const PlatPixelFormat& f = image.format;
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(image.pixels) + static_cast<size_t>(y) * image.pitch;
    uint8_t* out = rgba.data() + static_cast<size_t>(y) * image.width * 4;
    for (int32_t x = 0; x < image.width; ++x, out += 4) {
      uint32_t p = 0;
      if (indexed) {
        const PlatPaletteEntry& e = image.palette[row[x]];
        out[0] = e.red;
        out[1] = e.green;
        out[2] = e.blue;
        out[3] = 255;
        continue;
      }
      if (bytes == 2) {
        uint16_t v;
        std::memcpy(&v, row + x * 2, 2);
        p = v;
      } else {
        std::memcpy(&p, row + x * 4, 4);
      }
      out[0] = Scale8(p, f.redMask);
      out[1] = Scale8(p, f.greenMask);
      out[2] = Scale8(p, f.blueMask);
      out[3] = (f.flags & kPlatPixelAlpha) ? Scale8(p, f.alphaMask) : 255;
    }
  }
  if (!texture.name) Gl().GenTextures(1, &texture.name);
  Gl().BindTexture(kGlTexture2D, texture.name);
  Gl().TexImage2D(kGlTexture2D, 0, static_cast<int32_t>(kGlRgba8), image.width, image.height, 0, kGlRgba,
                  kGlUnsignedByte, rgba.data());
  texture.revision = image.revision;
  texture.hasAlpha = (f.flags & kPlatPixelAlpha) && f.alphaMask != 0;
  texture.wrap = texture.magFilter = texture.minFilter = 0;
  return true;
}

void SyncTexture(DeviceDraw& d) {
  const PlatGlFunctions& gl = Gl();
  Sent& s = d.sent;
  const uint32_t handle = d.states[kD3DStateTextureHandle];
  d.bound = nullptr;
  PlatD3DTextureImage image{};
  if (handle != 0 && gTextureSource && gTextureSource(d.device, handle, &image)) {
    GlTexture& texture = d.textures[handle];
    if (!texture.name || texture.revision != image.revision) {
      if (Upload(texture, image)) {
        s.boundName = texture.name;
        ++d.sends.texture;
        d.bound = &texture;
      }
    } else {
      d.bound = &texture;
    }
  }
  const int32_t texturing = d.bound ? 1 : 0;
  if (texturing != s.texturing) {
    Switch(kGlTexture2D, texturing);
    s.texturing = texturing;
  }
  if (!d.bound) return;
  GlTexture& t = *d.bound;
  if (s.boundName != t.name) {
    gl.BindTexture(kGlTexture2D, t.name);
    s.boundName = t.name;
    ++d.sends.texture;
  }
  // Wrap mode and filters belong to the texture object.
  const int32_t wrap = static_cast<int32_t>(d.states[kD3DStateTextureAddress] == kD3DAddressClamp ? kGlClampToEdge
                                                                                                  : kGlRepeat);
  if (t.wrap != wrap) {
    gl.TexParameteri(kGlTexture2D, kGlTextureWrapS, wrap);
    gl.TexParameteri(kGlTexture2D, kGlTextureWrapT, wrap);
    t.wrap = wrap;
    ++d.sends.wrap;
  }
  const int32_t mag = static_cast<int32_t>(d.states[kD3DStateTextureMag] == kD3DFilterNearest ? kGlNearest : kGlLinear);
  const int32_t min = static_cast<int32_t>(d.states[kD3DStateTextureMin] == kD3DFilterNearest ? kGlNearest : kGlLinear);
  if (t.magFilter != mag || t.minFilter != min) {
    gl.TexParameteri(kGlTexture2D, kGlTextureMagFilter, mag);
    gl.TexParameteri(kGlTexture2D, kGlTextureMinFilter, min);
    t.magFilter = mag;
    t.minFilter = min;
  }
  // Modulate takes the alpha of a texture that has alpha, else the vertex's; modulate-alpha
  // multiplies both.
  const int32_t env = (d.states[kD3DStateTextureMapBlend] != kD3DTextureBlendModulateAlpha && t.hasAlpha) ? 1 : 0;
  if (env != s.envMode) {
    if (env == 1) {
      gl.TexEnvi(kGlTextureEnv, kGlTextureEnvMode, static_cast<int32_t>(kGlCombine));
      gl.TexEnvi(kGlTextureEnv, kGlCombineRgb, static_cast<int32_t>(kGlModulate));
      gl.TexEnvi(kGlTextureEnv, kGlSource0Rgb, static_cast<int32_t>(kGlTexture));
      gl.TexEnvi(kGlTextureEnv, kGlOperand0Rgb, static_cast<int32_t>(kGlSrcColor));
      gl.TexEnvi(kGlTextureEnv, kGlSource1Rgb, static_cast<int32_t>(kGlPrimaryColor));
      gl.TexEnvi(kGlTextureEnv, kGlOperand1Rgb, static_cast<int32_t>(kGlSrcColor));
      gl.TexEnvi(kGlTextureEnv, kGlCombineAlpha, static_cast<int32_t>(kGlReplace));
      gl.TexEnvi(kGlTextureEnv, kGlSource0Alpha, static_cast<int32_t>(kGlTexture));
      gl.TexEnvi(kGlTextureEnv, kGlOperand0Alpha, static_cast<int32_t>(kGlSrcAlpha));
    } else {
      gl.TexEnvi(kGlTextureEnv, kGlTextureEnvMode, static_cast<int32_t>(kGlModulate));
    }
    s.envMode = env;
    ++d.sends.textureBlend;
  }
}

// Sends the states that changed since the last triangle.
void SyncStates(DeviceDraw& d) {
  const PlatGlFunctions& gl = Gl();
  Sent& s = d.sent;
  const uint32_t* st = d.states;
  const int32_t depthTest = st[kD3DStateZEnable] ? 1 : 0;
  const int32_t depthWrite = st[kD3DStateZWriteEnable] ? 1 : 0;
  const auto depthFunc = static_cast<int32_t>(GlCompare(st[kD3DStateZFunc]));
  if (depthTest != s.depthTest || depthWrite != s.depthWrite || depthFunc != s.depthFunc) {
    if (depthTest != s.depthTest) Switch(kGlDepthTest, depthTest);
    if (depthWrite != s.depthWrite) gl.DepthMask(static_cast<uint8_t>(depthWrite));
    if (depthFunc != s.depthFunc) gl.DepthFunc(static_cast<uint32_t>(depthFunc));
    s.depthTest = depthTest;
    s.depthWrite = depthWrite;
    s.depthFunc = depthFunc;
    ++d.sends.depth;
  }
  const int32_t alphaTest = st[kD3DStateAlphaTestEnable] ? 1 : 0;
  const auto alphaFunc = static_cast<int32_t>(GlCompare(st[kD3DStateAlphaFunc]));
  const auto alphaRef = static_cast<int32_t>(std::min<uint32_t>(st[kD3DStateAlphaRef], 255u));
  if (alphaTest != s.alphaTest || (alphaTest && (alphaFunc != s.alphaFunc || alphaRef != s.alphaRef))) {
    if (alphaTest != s.alphaTest) Switch(kGlAlphaTest, alphaTest);
    if (alphaTest && (alphaFunc != s.alphaFunc || alphaRef != s.alphaRef)) {
      gl.AlphaFunc(static_cast<uint32_t>(alphaFunc), static_cast<float>(alphaRef) / 255.0f);
      s.alphaFunc = alphaFunc;
      s.alphaRef = alphaRef;
    }
    s.alphaTest = alphaTest;
    ++d.sends.alpha;
  }
  const int32_t blend = st[kD3DStateAlphaBlendEnable] ? 1 : 0;
  const auto src = static_cast<int32_t>(GlBlend(st[kD3DStateSrcBlend]));
  const auto dst = static_cast<int32_t>(GlBlend(st[kD3DStateDestBlend]));
  if (blend != s.blend || (blend && (src != s.srcBlend || dst != s.dstBlend))) {
    if (blend != s.blend) Switch(kGlBlend, blend);
    if (blend && (src != s.srcBlend || dst != s.dstBlend)) {
      gl.BlendFunc(static_cast<uint32_t>(src), static_cast<uint32_t>(dst));
      s.srcBlend = src;
      s.dstBlend = dst;
    }
    s.blend = blend;
    ++d.sends.blend;
  }
  const auto shade = static_cast<int32_t>(st[kD3DStateShadeMode] == kD3DShadeFlat ? kGlFlat : kGlSmooth);
  if (shade != s.shade) {
    gl.ShadeModel(static_cast<uint32_t>(shade));
    s.shade = shade;
    ++d.sends.shade;
  }
  const int32_t colourSum = st[kD3DStateSpecularEnable] ? 1 : 0;
  if (colourSum != s.colourSum) {
    Switch(kGlColorSum, colourSum);
    s.colourSum = colourSum;
  }
  // Screen y runs down, so a triangle clockwise on the screen is counter-clockwise to OpenGL.
  const auto cull = static_cast<int32_t>(st[kD3DStateCullMode]);
  if (cull != s.cull) {
    Switch(kGlCullFace, cull == kD3DCullClockwise || cull == kD3DCullCounterClockwise);
    if (cull == kD3DCullClockwise) gl.CullFace(kGlFront);
    if (cull == kD3DCullCounterClockwise) gl.CullFace(kGlBack);
    s.cull = cull;
  }
  const int32_t dither = st[kD3DStateDitherEnable] ? 1 : 0;
  if (dither != s.dither) {
    Switch(kGlDither, dither);
    s.dither = dither;
  }
  SyncTexture(d);
  d.dirty = false;
}

void SetScissor(DeviceDraw& d, const PlatEdgeRect& r) {
  Sent& s = d.sent;
  if (r.left == s.scissor.left && r.top == s.scissor.top && r.right == s.scissor.right && r.bottom == s.scissor.bottom)
    return;
  Gl().Scissor(r.left, d.height - r.bottom, std::max(r.right - r.left, 0), std::max(r.bottom - r.top, 0));
  s.scissor = r;
}

PlatEdgeRect ViewportRect(const DeviceDraw& d) {
  PlatD3DViewportData data{};
  if (plat_D3DViewportGet(plat_D3DDeviceCurrentViewport(d.device), &data)) {
    return PlatEdgeRect{data.x, data.y, data.x + data.width, data.y + data.height};
  }
  return PlatEdgeRect{0, 0, d.width, d.height};
}

void Record(DeviceDraw& d, PlatD3DDrawEventKind kind, uint32_t flags, const PlatEdgeRect* rect,
            const PlatD3DTLVertex* vertices) {
  if (!Recording()) return;
  PlatD3DDrawEvent event{};
  event.kind = kind;
  event.stateLogSize = plat_TestD3DStateLog(d.device).size();
  event.flags = flags;
  if (rect) event.rect = *rect;
  if (vertices) std::memcpy(event.vertices, vertices, sizeof(event.vertices));
  d.log.push_back(event);
}

uint32_t PackChannel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1u)) ++shift;
  const uint32_t max = mask >> shift;
  return ((value * max + 127u) / 255u) << shift;
}

// Copies the finished picture into the render target, in the target's pixel layout.
void CopyToTarget(DeviceDraw& d) {
  PlatSurface* target = plat_D3DDeviceTarget(d.device);
  int32_t width = 0, height = 0;
  PlatPixelFormat format{};
  plat_SurfaceDescribe(target, &width, &height, &format);
  const int32_t bytes = format.bitCount / 8;
  if (width != d.width || height != d.height || (bytes != 2 && bytes != 4)) return;
  void* pixels = nullptr;
  int32_t pitch = 0;
  if (plat_SurfaceLock(target, &pixels, &pitch) != kPlatDisplayOk) return;
  d.readback.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  Gl().ReadPixels(0, 0, width, height, kGlRgba, kGlUnsignedByte, d.readback.data());
  // Each 8-bit channel value's bits in the target's layout, rounded to the channel's width.
  uint32_t table[3][256];
  const uint32_t masks[3] = {format.redMask, format.greenMask, format.blueMask};
  for (int c = 0; c < 3; ++c) {
    for (uint32_t value = 0; value < 256; ++value) table[c][value] = PackChannel(value, masks[c]);
  }
  const uint32_t alpha = PackChannel(255, format.alphaMask);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = d.readback.data() + static_cast<size_t>(height - 1 - y) * width * 4;  // bottom row first
    uint8_t* out = static_cast<uint8_t*>(pixels) + static_cast<size_t>(y) * pitch;
    for (int32_t x = 0; x < width; ++x, in += 4) {
      const uint32_t p = table[0][in[0]] | table[1][in[1]] | table[2][in[2]] | alpha;
      if (bytes == 2) {
        const auto v = static_cast<uint16_t>(p);
        std::memcpy(out + x * 2, &v, 2);
      } else {
        std::memcpy(out + x * 4, &p, 4);
      }
    }
  }
  plat_SurfaceUnlock(target);
}

}  // namespace

void plat_D3DDrawDeviceGone(const PlatD3DDevice* device) {
  auto it = gDraws.find(device);
  if (it == gDraws.end()) return;
  ReleaseGl(*it->second);
  gDraws.erase(it);
}

void plat_D3DDrawTextureGone(const PlatD3DDevice* device, uint32_t handle) {
  auto it = gDraws.find(device);
  if (it == gDraws.end() || !it->second->gl) return;
  DeviceDraw& d = *it->second;
  auto entry = d.textures.find(handle);
  if (entry == d.textures.end()) return;
  if (uint32_t name = entry->second.name) {
    // A release can come between two draws of another device's scene: its context stays current.
    PlatGlContext* current = plat_GlCurrent();
    plat_GlMakeCurrent(d.gl);
    Gl().DeleteTextures(1, &name);
    if (current != d.gl) plat_GlMakeCurrent(current);
    if (d.sent.boundName == name) d.sent.boundName = 0xFFFFFFFFu;  // OpenGL bound its default texture
  }
  if (d.bound == &entry->second) d.bound = nullptr;
  d.textures.erase(entry);
  d.dirty = true;  // the next triangle looks the handle up again
}

void plat_D3DDrawStateChanged(const PlatD3DDevice* device, uint32_t state, uint32_t value) {
  if (state >= kStateCount) return;
  DeviceDraw& d = DrawOf(device);
  if (d.states[state] != value) {
    d.states[state] = value;
    d.dirty = true;
  }
}

void plat_D3DSetTextureSource(PlatD3DTextureSource source) { gTextureSource = source ? source : DeviceTextures; }

int32_t plat_D3DDeviceBeginScene(PlatD3DDevice* device) {
  if (!device) return -1;
  DeviceDraw& d = DrawOf(device);
  if (d.inScene) return -1;
  d.inScene = true;
  d.dirty = true;  // texture images may have changed between scenes
  StartGl(d);
  Record(d, kD3DEventBeginScene, 0, nullptr, nullptr);
  return 0;
}

int32_t plat_D3DDeviceEndScene(PlatD3DDevice* device) {
  if (!device) return -1;
  DeviceDraw& d = DrawOf(device);
  if (!d.inScene) return -1;
  d.inScene = false;
  if (d.gl && WantGl()) {
    plat_GlMakeCurrent(d.gl);
    CopyToTarget(d);
  }
  Record(d, kD3DEventEndScene, 0, nullptr, nullptr);
  return 0;
}

int32_t plat_D3DViewportSetBackground(PlatD3DViewport* viewport, uint32_t materialHandle) {
  if (!viewport) return -1;
  plat_D3DViewportSetBackgroundHandle(viewport, materialHandle);
  return 0;
}

int32_t plat_D3DViewportClear(PlatD3DViewport* viewport, int32_t count, const PlatEdgeRect* rects, uint32_t flags) {
  PlatD3DDevice* device = plat_D3DViewportDevice(viewport);
  if (!device || count < 1 || !rects) return -1;
  if (plat_SurfaceIsLost(plat_D3DDeviceTarget(device))) return kPlatDisplaySurfaceLost;
  DeviceDraw& d = DrawOf(device);
  for (int32_t i = 0; i < count; ++i) Record(d, kD3DEventClear, flags, &rects[i], nullptr);
  if (!StartGl(d)) return 0;
  const PlatGlFunctions& gl = Gl();
  uint32_t mask = 0;
  if (flags & kD3DClearTarget) {
    float colour[4] = {0, 0, 0, 0};
    plat_D3DMaterialDiffuse(plat_D3DViewportBackground(viewport), colour);
    gl.ClearColor(colour[0], colour[1], colour[2], colour[3]);
    mask |= kGlColorBufferBit;
  }
  if (flags & kD3DClearZBuffer) {
    mask |= kGlDepthBufferBit;
    if (d.sent.depthWrite != 1) {
      gl.DepthMask(1);  // a clear writes only where writing is on
      d.sent.depthWrite = 1;
      d.dirty = true;
    }
  }
  if (mask == 0) return 0;
  for (int32_t i = 0; i < count; ++i) {
    SetScissor(d, rects[i]);
    gl.Clear(mask);
  }
  return 0;
}

int32_t plat_D3DDeviceDrawPrimitive(PlatD3DDevice* device, uint32_t primitive, uint32_t vertexFormat,
                                    const PlatD3DTLVertex* vertices, int32_t count, uint32_t flags) {
  if (!device || !vertices || count < 0) return -1;
  if (primitive != kD3DPrimitiveTriangleList || vertexFormat != kD3DVertexFormatTL) return -1;
  DeviceDraw& d = DrawOf(device);
  if (!d.inScene) return -1;
  if (plat_SurfaceIsLost(plat_D3DDeviceTarget(device))) return kPlatDisplaySurfaceLost;
  const int32_t triangles = count / 3;
  for (int32_t t = 0; t < triangles; ++t) Record(d, kD3DEventTriangle, flags, nullptr, vertices + t * 3);
  if (!d.gl || !WantGl() || triangles == 0) return 0;
  const PlatGlFunctions& gl = Gl();
  if (d.dirty) SyncStates(d);
  SetScissor(d, ViewportRect(d));  // the device clips to its viewport
  const bool specular = d.sent.colourSum == 1;
  const bool textured = d.bound != nullptr;
  gl.Begin(kGlTriangles);
  for (int32_t i = 0; i < triangles * 3; ++i) {
    const PlatD3DTLVertex& v = vertices[i];
    const uint32_t c = v.diffuse;
    gl.Color4ub(static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
                static_cast<uint8_t>(c >> 24));
    if (specular) {
      gl.SecondaryColor3ub(static_cast<uint8_t>(v.specular >> 16), static_cast<uint8_t>(v.specular >> 8),
                           static_cast<uint8_t>(v.specular));
    }
    if (textured) gl.TexCoord2f(v.u, v.v);
    // Sent with w = 1 / rhw so colours and texture coordinates interpolate with perspective.
    const float rhw = (v.rhw > 0.0f && v.rhw < 3.0e38f) ? v.rhw : 1.0f;
    const float w = 1.0f / rhw;
    gl.Vertex4f(v.x * w, v.y * w, v.z * w, w);
  }
  gl.End();
  return 0;
}

const std::vector<PlatD3DDrawEvent>& plat_TestD3DDrawLog(const PlatD3DDevice* device) {
  static const std::vector<PlatD3DDrawEvent> kEmpty;
  auto it = gDraws.find(device);
  return it == gDraws.end() ? kEmpty : it->second->log;
}

void plat_TestD3DDrawLogClear(const PlatD3DDevice* device) {
  auto it = gDraws.find(device);
  if (it != gDraws.end()) it->second->log.clear();
}

void plat_TestD3DDrawWithGl(bool on) { gTestWithGl = on; }

PlatD3DGlSends plat_TestD3DGlSends(const PlatD3DDevice* device) {
  auto it = gDraws.find(device);
  return it == gDraws.end() ? PlatD3DGlSends{} : it->second->sends;
}

int32_t plat_TestD3DGlTexturesAlive() {
  int32_t alive = 0;
  for (const auto& draw : gDraws) {
    for (const auto& entry : draw.second->textures) alive += entry.second.name != 0 ? 1 : 0;
  }
  return alive;
}
