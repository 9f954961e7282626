// A recording table of OpenGL entry points: every call is logged as "Name(arg,arg,...)", numbers
// printed shortest, pointers as "p". Tests install it with plat_GlSetFunctions and need no context.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "platform/plat_gl.h"

namespace gl_recorder {

inline std::vector<std::string> gCalls;
inline uint32_t gNextName = 100;

inline void Log(const std::string& call) { gCalls.push_back(call); }
inline std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", value);
  return text;
}
inline std::string Pointer(const void* p) { return p ? "p" : "null"; }
inline std::string Floats(const float* values, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " " : "") + Number(values[i]);
  return text;
}

inline void Viewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  const std::string fn = "Viewport";
  Log(fn + "(" + Number(static_cast<double>(x)) + "," + Number(static_cast<double>(y)) + "," + Number(static_cast<double>(width)) + "," + Number(static_cast<double>(height)) + ")");
}

inline void Enable(uint32_t cap) {
  const std::string fn = "Enable";
  Log(fn + "(" + Number(static_cast<double>(cap)) + ")");
}

inline void Disable(uint32_t cap) {
  const std::string fn = "Disable";
  Log(fn + "(" + Number(static_cast<double>(cap)) + ")");
}

inline void PolygonMode(uint32_t face, uint32_t mode) {
  const std::string fn = "PolygonMode";
  Log(fn + "(" + Number(static_cast<double>(face)) + "," + Number(static_cast<double>(mode)) + ")");
}

inline void ShadeModel(uint32_t mode) {
  const std::string fn = "ShadeModel";
  Log(fn + "(" + Number(static_cast<double>(mode)) + ")");
}

inline const unsigned char* GetString(uint32_t name) {
  const std::string fn = "GetString";
  Log(fn + "(" + Number(static_cast<double>(name)) + ")");
  return nullptr;
}

inline void ClearColor(float r, float g, float b, float a) {
  const std::string fn = "ClearColor";
  Log(fn + "(" + Number(static_cast<double>(r)) + "," + Number(static_cast<double>(g)) + "," + Number(static_cast<double>(b)) + "," + Number(static_cast<double>(a)) + ")");
}

inline void Clear(uint32_t mask) {
  const std::string fn = "Clear";
  Log(fn + "(" + Number(static_cast<double>(mask)) + ")");
}

inline void ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format, uint32_t type, void* pixels) {
  const std::string fn = "ReadPixels";
  Log(fn + "(" + Number(static_cast<double>(x)) + "," + Number(static_cast<double>(y)) + "," + Number(static_cast<double>(width)) + "," + Number(static_cast<double>(height)) + "," + Number(static_cast<double>(format)) + "," + Number(static_cast<double>(type)) + "," + Pointer(pixels) + ")");
}

inline void Finish() {
  const std::string fn = "Finish";
  Log(fn + "(" + "" + ")");
}

inline void DepthMask(uint8_t flag) {
  const std::string fn = "DepthMask";
  Log(fn + "(" + Number(static_cast<double>(flag)) + ")");
}

inline void DepthFunc(uint32_t func) {
  const std::string fn = "DepthFunc";
  Log(fn + "(" + Number(static_cast<double>(func)) + ")");
}

inline void AlphaFunc(uint32_t func, float reference) {
  const std::string fn = "AlphaFunc";
  Log(fn + "(" + Number(static_cast<double>(func)) + "," + Number(static_cast<double>(reference)) + ")");
}

inline void BlendFunc(uint32_t source, uint32_t destination) {
  const std::string fn = "BlendFunc";
  Log(fn + "(" + Number(static_cast<double>(source)) + "," + Number(static_cast<double>(destination)) + ")");
}

inline void CullFace(uint32_t face) {
  const std::string fn = "CullFace";
  Log(fn + "(" + Number(static_cast<double>(face)) + ")");
}

inline void ProvokingVertex(uint32_t mode) {
  const std::string fn = "ProvokingVertex";
  Log(fn + "(" + Number(static_cast<double>(mode)) + ")");
}

inline void Scissor(int32_t x, int32_t y, int32_t width, int32_t height) {
  const std::string fn = "Scissor";
  Log(fn + "(" + Number(static_cast<double>(x)) + "," + Number(static_cast<double>(y)) + "," + Number(static_cast<double>(width)) + "," + Number(static_cast<double>(height)) + ")");
}

inline void ClearDepth(double depth) {
  const std::string fn = "ClearDepth";
  Log(fn + "(" + Number(static_cast<double>(depth)) + ")");
}

inline void MatrixMode(uint32_t mode) {
  const std::string fn = "MatrixMode";
  Log(fn + "(" + Number(static_cast<double>(mode)) + ")");
}

inline void LoadIdentity() {
  const std::string fn = "LoadIdentity";
  Log(fn + "(" + "" + ")");
}

inline void LoadMatrixf(const float* matrix) {
  const std::string fn = "LoadMatrixf";
  Log(fn + "(" + Floats(matrix, 16) + ")");
}

inline void Scalef(float x, float y, float z) {
  const std::string fn = "Scalef";
  Log(fn + "(" + Number(static_cast<double>(x)) + "," + Number(static_cast<double>(y)) + "," + Number(static_cast<double>(z)) + ")");
}

inline void Translatef(float x, float y, float z) {
  const std::string fn = "Translatef";
  Log(fn + "(" + Number(static_cast<double>(x)) + "," + Number(static_cast<double>(y)) + "," + Number(static_cast<double>(z)) + ")");
}

inline void Begin(uint32_t mode) {
  const std::string fn = "Begin";
  Log(fn + "(" + Number(static_cast<double>(mode)) + ")");
}

inline void End() {
  const std::string fn = "End";
  Log(fn + "(" + "" + ")");
}

inline void Color3f(float r, float g, float b) {
  const std::string fn = "Color3f";
  Log(fn + "(" + Number(static_cast<double>(r)) + "," + Number(static_cast<double>(g)) + "," + Number(static_cast<double>(b)) + ")");
}

inline void Color3fv(const float* rgb) {
  const std::string fn = "Color3fv";
  Log(fn + "(" + Floats(rgb, 3) + ")");
}

inline void Color4fv(const float* rgba) {
  const std::string fn = "Color4fv";
  Log(fn + "(" + Floats(rgba, 4) + ")");
}

inline void Color4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  const std::string fn = "Color4ub";
  Log(fn + "(" + Number(static_cast<double>(r)) + "," + Number(static_cast<double>(g)) + "," + Number(static_cast<double>(b)) + "," + Number(static_cast<double>(a)) + ")");
}

inline void SecondaryColor3ub(uint8_t r, uint8_t g, uint8_t b) {
  const std::string fn = "SecondaryColor3ub";
  Log(fn + "(" + Number(static_cast<double>(r)) + "," + Number(static_cast<double>(g)) + "," + Number(static_cast<double>(b)) + ")");
}

inline void TexCoord2f(float s, float t) {
  const std::string fn = "TexCoord2f";
  Log(fn + "(" + Number(static_cast<double>(s)) + "," + Number(static_cast<double>(t)) + ")");
}

inline void TexCoord3f(float s, float t, float r) {
  const std::string fn = "TexCoord3f";
  Log(fn + "(" + Number(static_cast<double>(s)) + "," + Number(static_cast<double>(t)) + "," + Number(static_cast<double>(r)) + ")");
}

inline void Vertex3f(float x, float y, float z) {
  const std::string fn = "Vertex3f";
  Log(fn + "(" + Number(static_cast<double>(x)) + "," + Number(static_cast<double>(y)) + "," + Number(static_cast<double>(z)) + ")");
}

inline void Vertex4f(float x, float y, float z, float w) {
  const std::string fn = "Vertex4f";
  Log(fn + "(" + Number(static_cast<double>(x)) + "," + Number(static_cast<double>(y)) + "," + Number(static_cast<double>(z)) + "," + Number(static_cast<double>(w)) + ")");
}

inline void GenTextures(int32_t count, uint32_t* names) {
  const std::string fn = "GenTextures";
  Log(fn + "(" + Number(static_cast<double>(count)) + "," + Pointer(names) + ")");
  for (int32_t i = 0; i < count; ++i) names[i] = ++gNextName;
}

inline void DeleteTextures(int32_t count, const uint32_t* names) {
  const std::string fn = "DeleteTextures";
  Log(fn + "(" + Number(static_cast<double>(count)) + "," + Pointer(names) + ")");
}

inline void GenFramebuffers(int32_t count, uint32_t* names) {
  const std::string fn = "GenFramebuffers";
  Log(fn + "(" + Number(static_cast<double>(count)) + "," + Pointer(names) + ")");
  for (int32_t i = 0; i < count; ++i) names[i] = ++gNextName;
}

inline void DeleteFramebuffers(int32_t count, const uint32_t* names) {
  const std::string fn = "DeleteFramebuffers";
  Log(fn + "(" + Number(static_cast<double>(count)) + "," + Pointer(names) + ")");
}

inline void BindFramebuffer(uint32_t target, uint32_t name) {
  const std::string fn = "BindFramebuffer";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(name)) + ")");
}

inline void FramebufferTexture2D(uint32_t target, uint32_t attachment, uint32_t textureTarget, uint32_t texture, int32_t level) {
  const std::string fn = "FramebufferTexture2D";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(attachment)) + "," + Number(static_cast<double>(textureTarget)) + "," + Number(static_cast<double>(texture)) + "," + Number(static_cast<double>(level)) + ")");
}

inline void GenRenderbuffers(int32_t count, uint32_t* names) {
  const std::string fn = "GenRenderbuffers";
  Log(fn + "(" + Number(static_cast<double>(count)) + "," + Pointer(names) + ")");
  for (int32_t i = 0; i < count; ++i) names[i] = ++gNextName;
}

inline void DeleteRenderbuffers(int32_t count, const uint32_t* names) {
  const std::string fn = "DeleteRenderbuffers";
  Log(fn + "(" + Number(static_cast<double>(count)) + "," + Pointer(names) + ")");
}

inline void BindRenderbuffer(uint32_t target, uint32_t name) {
  const std::string fn = "BindRenderbuffer";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(name)) + ")");
}

inline void RenderbufferStorage(uint32_t target, uint32_t format, int32_t width, int32_t height) {
  const std::string fn = "RenderbufferStorage";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(format)) + "," + Number(static_cast<double>(width)) + "," + Number(static_cast<double>(height)) + ")");
}

inline void FramebufferRenderbuffer(uint32_t target, uint32_t attachment, uint32_t renderbufferTarget, uint32_t renderbuffer) {
  const std::string fn = "FramebufferRenderbuffer";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(attachment)) + "," + Number(static_cast<double>(renderbufferTarget)) + "," + Number(static_cast<double>(renderbuffer)) + ")");
}

inline uint32_t CheckFramebufferStatus(uint32_t target) {
  const std::string fn = "CheckFramebufferStatus";
  Log(fn + "(" + Number(static_cast<double>(target)) + ")");
  return kGlFramebufferComplete;
}

inline void BindTexture(uint32_t target, uint32_t name) {
  const std::string fn = "BindTexture";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(name)) + ")");
}

inline void TexImage2D(uint32_t target, int32_t level, int32_t internalFormat, int32_t width, int32_t height, int32_t border, uint32_t format, uint32_t type, const void* pixels) {
  const std::string fn = "TexImage2D";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(level)) + "," + Number(static_cast<double>(internalFormat)) + "," + Number(static_cast<double>(width)) + "," + Number(static_cast<double>(height)) + "," + Number(static_cast<double>(border)) + "," + Number(static_cast<double>(format)) + "," + Number(static_cast<double>(type)) + "," + Pointer(pixels) + ")");
}

inline void PixelStorei(uint32_t name, int32_t value) {
  const std::string fn = "PixelStorei";
  Log(fn + "(" + Number(static_cast<double>(name)) + "," + Number(static_cast<double>(value)) + ")");
}

inline void TexParameteri(uint32_t target, uint32_t name, int32_t value) {
  const std::string fn = "TexParameteri";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(name)) + "," + Number(static_cast<double>(value)) + ")");
}

inline void TexEnvi(uint32_t target, uint32_t name, int32_t value) {
  const std::string fn = "TexEnvi";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(name)) + "," + Number(static_cast<double>(value)) + ")");
}

inline void GetTexImage(uint32_t target, int32_t level, uint32_t format, uint32_t type, void* pixels) {
  const std::string fn = "GetTexImage";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(level)) + "," + Number(static_cast<double>(format)) + "," + Number(static_cast<double>(type)) + "," + Pointer(pixels) + ")");
}

inline void GetTexLevelParameteriv(uint32_t target, int32_t level, uint32_t name, int32_t* value) {
  const std::string fn = "GetTexLevelParameteriv";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(level)) + "," + Number(static_cast<double>(name)) + "," + Pointer(value) + ")");
}

inline void GetTexParameteriv(uint32_t target, uint32_t name, int32_t* value) {
  const std::string fn = "GetTexParameteriv";
  Log(fn + "(" + Number(static_cast<double>(target)) + "," + Number(static_cast<double>(name)) + "," + Pointer(value) + ")");
}

inline const PlatGlFunctions kTable{
    Viewport,
    Enable,
    Disable,
    PolygonMode,
    ShadeModel,
    GetString,
    ClearColor,
    Clear,
    ReadPixels,
    Finish,
    BindTexture,
    TexImage2D,
    PixelStorei,
    TexParameteri,
    TexEnvi,
    GetTexImage,
    GetTexLevelParameteriv,
    GetTexParameteriv,
    DepthMask,
    DepthFunc,
    AlphaFunc,
    BlendFunc,
    CullFace,
    ProvokingVertex,
    Scissor,
    ClearDepth,
    MatrixMode,
    LoadIdentity,
    LoadMatrixf,
    Scalef,
    Translatef,
    Begin,
    End,
    Color3f,
    Color3fv,
    Color4fv,
    Color4ub,
    SecondaryColor3ub,
    TexCoord2f,
    TexCoord3f,
    Vertex3f,
    Vertex4f,
    GenTextures,
    DeleteTextures,
    GenFramebuffers,
    DeleteFramebuffers,
    BindFramebuffer,
    FramebufferTexture2D,
    GenRenderbuffers,
    DeleteRenderbuffers,
    BindRenderbuffer,
    RenderbufferStorage,
    FramebufferRenderbuffer,
    CheckFramebufferStatus};

// How many logged calls start with the text.
inline int Count(const std::string& prefix) {
  int n = 0;
  for (const auto& call : gCalls) n += call.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
  return n;
}
// The index of the first logged call at or after `from` that starts with the text, or -1.
inline int Find(const std::string& prefix, int from = 0) {
  for (int i = from; i < static_cast<int>(gCalls.size()); ++i) {
    if (gCalls[i].compare(0, prefix.size(), prefix) == 0) return i;
  }
  return -1;
}

}  // namespace gl_recorder
