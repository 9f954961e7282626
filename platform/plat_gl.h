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
};

struct PlatGlContext;

// True where an OpenGL context can be made (checked once).
bool plat_GlAvailable();
// Makes a context on the program's window (or on a hidden window when the program has none yet),
// with the nearest pixel format to the request, and makes it current. `described` receives the
// bits actually chosen. Null when no context can be made.
PlatGlContext* plat_GlContextCreate(const PlatGlPixelFormat* requested, PlatGlPixelFormat* described);
int32_t plat_GlMakeCurrent(PlatGlContext* context);  // null: no context current
void plat_GlContextDelete(PlatGlContext* context);
void plat_GlSwapBuffers(PlatGlContext* context);

// The entry points of the current context (a recording table when a test installed one).
const PlatGlFunctions* plat_Gl();
void plat_GlSetFunctions(const PlatGlFunctions* functions);  // null: the real entry points

// Test back end: whether a context can be made.
void plat_TestGlSetAvailable(bool available);
