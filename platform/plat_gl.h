// Platform layer: the OpenGL context on the program's window, and the OpenGL entry points.
//
// Every OpenGL call of the engine goes through the function table, so tests can put a recording
// table in its place and run without a context. Contexts use the compatibility profile (the
// engine draws in immediate mode).
#pragma once
#include <cstdint>

// Pixel-format request and description.
struct PlatGlPixelFormat {
  uint32_t flags;  // double buffer, draw to window, support OpenGL, ... as requested
  int32_t colourBits;
  int32_t redBits;
  int32_t greenBits;
  int32_t blueBits;
  int32_t alphaBits;
  int32_t depthBits;
  int32_t stencilBits;
  int32_t accumBits;
};

enum : uint32_t {
  kGlTexture2D = 0x0DE1,
  kGlDepthTest = 0x0B71,
  kGlFrontAndBack = 0x0408,
  kGlFill = 0x1B02,
  kGlFlat = 0x1D00,
  kGlSmooth = 0x1D01,
  kGlPolygonSmooth = 0x0B41,
  kGlLineSmooth = 0x0B20,
  kGlExtensions = 0x1F03,
  kGlRenderer = 0x1F01,
  kGlColorBufferBit = 0x4000,
  kGlDepthBufferBit = 0x0100,
  kGlRgb = 0x1907,
  kGlRgba = 0x1908,
  kGlUnsignedByte = 0x1401,
  kGlUnpackAlignment = 0x0CF5,
  kGlPackAlignment = 0x0D05,
  kGlTextureWidth = 0x1000,
  kGlTextureHeight = 0x1001,
  kGlTextureMagFilter = 0x2800,
  kGlTextureMinFilter = 0x2801,
  kGlTextureWrapS = 0x2802,
  kGlTextureWrapT = 0x2803,
  kGlNearest = 0x2600,
  kGlLinear = 0x2601,
  kGlClampToEdge = 0x812F,
  kGlRepeat = 0x2901,
  kGlTextureEnv = 0x2300,
  kGlTextureEnvMode = 0x2200,
  kGlModulate = 0x2100,
  kGlTextureBinding2D = 0x8069,
};

// Drawing: the names the two 3D back ends and the 3D device's drawing use.
enum : uint32_t {
  kGlNever = 0x0200,  // comparison functions run kGlNever .. kGlNever + 7
  kGlLequal = 0x0203,
  kGlGreater = 0x0204,
  kGlZero = 0,
  kGlOne = 1,
  kGlSrcColor = 0x0300,
  kGlOneMinusSrcColor = 0x0301,
  kGlSrcAlpha = 0x0302,
  kGlOneMinusSrcAlpha = 0x0303,
  kGlDstAlpha = 0x0304,
  kGlOneMinusDstAlpha = 0x0305,
  kGlDstColor = 0x0306,
  kGlOneMinusDstColor = 0x0307,
  kGlSrcAlphaSaturate = 0x0308,
  kGlBlend = 0x0BE2,
  kGlAlphaTest = 0x0BC0,
  kGlColorMaterial = 0x0B57,
  kGlCullFace = 0x0B44,
  kGlDither = 0x0BD0,
  kGlScissorTest = 0x0C11,
  kGlColorSum = 0x8458,
  kGlFront = 0x0404,
  kGlBack = 0x0405,
  kGlTriangles = 0x0004,
  kGlPolygon = 0x0009,
  kGlModelview = 0x1700,
  kGlProjection = 0x1701,
  kGlTexture = 0x1702,
  kGlFirstVertexConvention = 0x8E4D,
  kGlClamp = 0x2900,
  kGlCombine = 0x8570,
  kGlCombineRgb = 0x8571,
  kGlCombineAlpha = 0x8572,
  kGlReplace = 0x1E01,
  kGlSource0Rgb = 0x8580,
  kGlSource1Rgb = 0x8581,
  kGlSource0Alpha = 0x8588,
  kGlOperand0Rgb = 0x8590,
  kGlOperand1Rgb = 0x8591,
  kGlOperand0Alpha = 0x8598,
  kGlPrimaryColor = 0x8577,
  kGlFramebuffer = 0x8D40,
  kGlRenderbuffer = 0x8D41,
  kGlColorAttachment0 = 0x8CE0,
  kGlDepthAttachment = 0x8D00,
  kGlFramebufferComplete = 0x8CD5,
  kGlDepthComponent24 = 0x81A6,
  kGlRgba8 = 0x8058,
};

struct PlatGlFunctions {
  void (*Viewport)(int32_t x, int32_t y, int32_t width, int32_t height);
  void (*Enable)(uint32_t cap);
  void (*Disable)(uint32_t cap);
  void (*PolygonMode)(uint32_t face, uint32_t mode);
  void (*ShadeModel)(uint32_t mode);
  const unsigned char* (*GetString)(uint32_t name);
  void (*ClearColor)(float r, float g, float b, float a);
  void (*Clear)(uint32_t mask);
  void (*ReadPixels)(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format, uint32_t type, void* pixels);
  void (*Finish)();
  void (*BindTexture)(uint32_t target, uint32_t name);
  void (*TexImage2D)(uint32_t target, int32_t level, int32_t internalFormat, int32_t width, int32_t height,
                     int32_t border, uint32_t format, uint32_t type, const void* pixels);
  void (*PixelStorei)(uint32_t name, int32_t value);
  void (*TexParameteri)(uint32_t target, uint32_t name, int32_t value);
  void (*TexEnvi)(uint32_t target, uint32_t name, int32_t value);
  void (*GetTexImage)(uint32_t target, int32_t level, uint32_t format, uint32_t type, void* pixels);
  void (*GetTexLevelParameteriv)(uint32_t target, int32_t level, uint32_t name, int32_t* value);
  void (*GetTexParameteriv)(uint32_t target, uint32_t name, int32_t* value);

  // Drawing: the entry points of the two 3D back ends and of the 3D device's drawing.
  void (*DepthMask)(uint8_t flag);
  void (*DepthFunc)(uint32_t func);
  void (*AlphaFunc)(uint32_t func, float reference);
  void (*BlendFunc)(uint32_t source, uint32_t destination);
  void (*CullFace)(uint32_t face);
  void (*ProvokingVertex)(uint32_t mode);
  void (*Scissor)(int32_t x, int32_t y, int32_t width, int32_t height);
  void (*ClearDepth)(double depth);
  void (*MatrixMode)(uint32_t mode);
  void (*LoadIdentity)();
  void (*LoadMatrixf)(const float* matrix);
  void (*Scalef)(float x, float y, float z);
  void (*Translatef)(float x, float y, float z);
  void (*Begin)(uint32_t mode);
  void (*End)();
  void (*Color3f)(float r, float g, float b);
  void (*Color3fv)(const float* rgb);
  void (*Color4fv)(const float* rgba);
  void (*Color4ub)(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
  void (*SecondaryColor3ub)(uint8_t r, uint8_t g, uint8_t b);
  void (*TexCoord2f)(float s, float t);
  void (*TexCoord3f)(float s, float t, float r);
  void (*Vertex3f)(float x, float y, float z);
  void (*Vertex4f)(float x, float y, float z, float w);
  void (*GenTextures)(int32_t count, uint32_t* names);
  void (*DeleteTextures)(int32_t count, const uint32_t* names);
  void (*GenFramebuffers)(int32_t count, uint32_t* names);
  void (*DeleteFramebuffers)(int32_t count, const uint32_t* names);
  void (*BindFramebuffer)(uint32_t target, uint32_t name);
  void (*FramebufferTexture2D)(uint32_t target, uint32_t attachment, uint32_t textureTarget, uint32_t texture,
                               int32_t level);
  void (*GenRenderbuffers)(int32_t count, uint32_t* names);
  void (*DeleteRenderbuffers)(int32_t count, const uint32_t* names);
  void (*BindRenderbuffer)(uint32_t target, uint32_t name);
  void (*RenderbufferStorage)(uint32_t target, uint32_t format, int32_t width, int32_t height);
  void (*FramebufferRenderbuffer)(uint32_t target, uint32_t attachment, uint32_t renderbufferTarget,
                                  uint32_t renderbuffer);
  uint32_t (*CheckFramebufferStatus)(uint32_t target);
};

struct PlatGlContext;

// True where an OpenGL context can be made (checked once).
bool plat_GlAvailable();
// Makes a context on the program's window (or on a hidden window when the program has none yet),
// with the nearest pixel format to the request, and makes it current. `described` receives the
// bits actually chosen. Null when no context can be made.
PlatGlContext* plat_GlContextCreate(const PlatGlPixelFormat* requested, PlatGlPixelFormat* described);
int32_t plat_GlMakeCurrent(PlatGlContext* context);  // null: no context current
// The context this layer made current last (null: none, or it was deleted), so that work done in
// another context can give the current one back.
PlatGlContext* plat_GlCurrent();
void plat_GlContextDelete(PlatGlContext* context);
void plat_GlSwapBuffers(PlatGlContext* context);
// A context on a hidden window of its own, for drawing into framebuffer objects (the 3D device's
// drawing); the program's window is left alone. Made current. Null when no context can be made.
PlatGlContext* plat_GlContextCreateHidden();

// The entry points of the current context (a recording table when a test installed one, see
// platform/test/plat_gl.h).
const PlatGlFunctions* plat_Gl();
