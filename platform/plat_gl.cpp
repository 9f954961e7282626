#include "platform/plat_gl.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/plat_backend.h"
#include "platform/plat_internal.h"
#include "platform/test/plat_gl.h"
#include "platform/plat_present.h"
#include "platform/plat_screen_fit.h"

struct PlatGlContext {
  SDL_Window* window;
  bool ownWindow;
  SDL_GLContext context;
};

namespace {

PlatGlFunctions gRealFunctions{};
bool gRealFunctionsLoaded = false;
const PlatGlFunctions* gInstalled = nullptr;
bool gTestAvailable = false;
int gAvailable = -1;  // not checked yet
PlatGlContext* gCurrent = nullptr;

bool VideoUp() {
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  // Keep the OpenGL library loaded for the life of the program, not just of one window: the
  // drivers it pulls in are expensive to load again and keep state across contexts.
  static const bool held = SDL_GL_LoadLibrary(nullptr) == 0;
  (void)held;
  return true;
}

void SetAttributes(const PlatGlPixelFormat* requested) {
  int colour = requested && requested->colourBits > 0 ? requested->colourBits : 16;
  int depth = requested && requested->depthBits > 0 ? requested->depthBits : 16;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colour <= 16 ? 5 : 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colour <= 16 ? 5 : 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colour <= 16 ? 5 : 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, requested ? requested->alphaBits : 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

// glViewport and glScissor take the 640 x 480 screen's coordinates; a window whose drawable
// is larger (the desktop-sized full screen) shows that screen scaled to fit, aspect kept, centred.
void (*gDriverViewport)(int32_t, int32_t, int32_t, int32_t) = nullptr;
void (*gDriverScissor)(int32_t, int32_t, int32_t, int32_t) = nullptr;

// The drawable's size now, so the picture follows a window that was resized or left full screen.
PlatScreenFit CurrentFit() {
  int w = 0, h = 0;
  if (SDL_Window* window = SDL_GL_GetCurrentWindow()) SDL_GL_GetDrawableSize(window, &w, &h);
  return plat_ScreenFitIn(w, h);
}

void Fit(void (*call)(int32_t, int32_t, int32_t, int32_t), int32_t x, int32_t y, int32_t w,
         int32_t h) {
  const PlatScreenFit fit = CurrentFit();
  auto scaled = [&](int32_t v) { return static_cast<int32_t>(std::lround(v * fit.scale)); };
  // The fit's top margin is its bottom one too: the screen is centred.
  call(fit.left + scaled(x), fit.top + scaled(y), scaled(w), scaled(h));
}

void FittedViewport(int32_t x, int32_t y, int32_t w, int32_t h) { Fit(gDriverViewport, x, y, w, h); }
void FittedScissor(int32_t x, int32_t y, int32_t w, int32_t h) { Fit(gDriverScissor, x, y, w, h); }

template <typename T>
void Load(T& slot, const char* name) {
  slot = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
}

void LoadRealFunctions() {
  if (gRealFunctionsLoaded) return;
  Load(gRealFunctions.Viewport, "glViewport");
  Load(gRealFunctions.Enable, "glEnable");
  Load(gRealFunctions.Disable, "glDisable");
  Load(gRealFunctions.PolygonMode, "glPolygonMode");
  Load(gRealFunctions.ShadeModel, "glShadeModel");
  Load(gRealFunctions.GetString, "glGetString");
  Load(gRealFunctions.ClearColor, "glClearColor");
  Load(gRealFunctions.Clear, "glClear");
  Load(gRealFunctions.ReadPixels, "glReadPixels");
  Load(gRealFunctions.Finish, "glFinish");
  Load(gRealFunctions.BindTexture, "glBindTexture");
  Load(gRealFunctions.TexImage2D, "glTexImage2D");
  Load(gRealFunctions.PixelStorei, "glPixelStorei");
  Load(gRealFunctions.TexParameteri, "glTexParameteri");
  Load(gRealFunctions.TexEnvi, "glTexEnvi");
  Load(gRealFunctions.GetTexImage, "glGetTexImage");
  Load(gRealFunctions.GetTexLevelParameteriv, "glGetTexLevelParameteriv");
  Load(gRealFunctions.GetTexParameteriv, "glGetTexParameteriv");
  // Drawing.
  Load(gRealFunctions.DepthMask, "glDepthMask");
  Load(gRealFunctions.DepthFunc, "glDepthFunc");
  Load(gRealFunctions.AlphaFunc, "glAlphaFunc");
  Load(gRealFunctions.BlendFunc, "glBlendFunc");
  Load(gRealFunctions.CullFace, "glCullFace");
  Load(gRealFunctions.ProvokingVertex, "glProvokingVertex");
  Load(gRealFunctions.Scissor, "glScissor");
  Load(gRealFunctions.ClearDepth, "glClearDepth");
  Load(gRealFunctions.MatrixMode, "glMatrixMode");
  Load(gRealFunctions.LoadIdentity, "glLoadIdentity");
  Load(gRealFunctions.LoadMatrixf, "glLoadMatrixf");
  Load(gRealFunctions.Scalef, "glScalef");
  Load(gRealFunctions.Translatef, "glTranslatef");
  Load(gRealFunctions.Begin, "glBegin");
  Load(gRealFunctions.End, "glEnd");
  Load(gRealFunctions.Color3f, "glColor3f");
  Load(gRealFunctions.Color3fv, "glColor3fv");
  Load(gRealFunctions.Color4fv, "glColor4fv");
  Load(gRealFunctions.Color4ub, "glColor4ub");
  Load(gRealFunctions.SecondaryColor3ub, "glSecondaryColor3ub");
  Load(gRealFunctions.TexCoord2f, "glTexCoord2f");
  Load(gRealFunctions.TexCoord3f, "glTexCoord3f");
  Load(gRealFunctions.Vertex3f, "glVertex3f");
  Load(gRealFunctions.Vertex4f, "glVertex4f");
  Load(gRealFunctions.GenTextures, "glGenTextures");
  Load(gRealFunctions.DeleteTextures, "glDeleteTextures");
  Load(gRealFunctions.GenFramebuffers, "glGenFramebuffers");
  Load(gRealFunctions.DeleteFramebuffers, "glDeleteFramebuffers");
  Load(gRealFunctions.BindFramebuffer, "glBindFramebuffer");
  Load(gRealFunctions.FramebufferTexture2D, "glFramebufferTexture2D");
  Load(gRealFunctions.GenRenderbuffers, "glGenRenderbuffers");
  Load(gRealFunctions.DeleteRenderbuffers, "glDeleteRenderbuffers");
  Load(gRealFunctions.BindRenderbuffer, "glBindRenderbuffer");
  Load(gRealFunctions.RenderbufferStorage, "glRenderbufferStorage");
  Load(gRealFunctions.FramebufferRenderbuffer, "glFramebufferRenderbuffer");
  Load(gRealFunctions.CheckFramebufferStatus, "glCheckFramebufferStatus");
  gRealFunctionsLoaded = gRealFunctions.Viewport && gRealFunctions.GetString;
  gDriverViewport = gRealFunctions.Viewport;
  gDriverScissor = gRealFunctions.Scissor;
  if (gDriverViewport) gRealFunctions.Viewport = FittedViewport;
  if (gDriverScissor) gRealFunctions.Scissor = FittedScissor;
}

SDL_Window* HiddenWindow() {
  return SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 640, 480,
                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
}

}  // namespace

void plat_GlPrepareWindow() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SetAttributes(nullptr);
}

bool plat_GlAvailable() {
  if (plat_CurrentBackend() == kPlatBackendTest) return gTestAvailable;
  if (gAvailable < 0) {
    gAvailable = 0;
    if (VideoUp()) {
      SetAttributes(nullptr);
      if (SDL_Window* window = HiddenWindow()) {
        if (SDL_GLContext context = SDL_GL_CreateContext(window)) {
          gAvailable = 1;
          SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(window);
      }
    }
  }
  return gAvailable == 1;
}

PlatGlContext* plat_GlContextCreate(const PlatGlPixelFormat* requested, PlatGlPixelFormat* described) {
  if (plat_CurrentBackend() == kPlatBackendTest && !gTestAvailable) return nullptr;
  if (!VideoUp()) return nullptr;
  SetAttributes(requested);
  auto* window = static_cast<SDL_Window*>(plat_ProgramWindowNative());
  bool own = false;
  if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) {
    window = HiddenWindow();
    own = true;
  } else {
    plat_DisplayReleasePresenter();  // the window's 2D presenter and this context do not share it
  }
  if (!window) return nullptr;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    if (own) SDL_DestroyWindow(window);
    return nullptr;
  }
  SDL_GL_MakeCurrent(window, context);
  LoadRealFunctions();
  if (described) {
    int r = 0, g = 0, b = 0, a = 0, d = 0, s = 0;
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &r);
    SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &g);
    SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &b);
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &a);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &d);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &s);
    *described = PlatGlPixelFormat{requested ? requested->flags : 0u, r + g + b, r, g, b, a, d, s, 0};
  }
  gCurrent = new PlatGlContext{window, own, context};
  return gCurrent;
}

int32_t plat_GlMakeCurrent(PlatGlContext* context) {
  if (!context) {
    SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
    gCurrent = nullptr;
    return 0;
  }
  if (SDL_GL_MakeCurrent(context->window, context->context) != 0) return -1;
  gCurrent = context;
  return 0;
}

PlatGlContext* plat_GlCurrent() { return gCurrent; }

void plat_GlContextDelete(PlatGlContext* context) {
  if (!context) return;
  if (SDL_GL_GetCurrentContext() == context->context) SDL_GL_MakeCurrent(context->window, nullptr);
  if (gCurrent == context) gCurrent = nullptr;
  SDL_GL_DeleteContext(context->context);
  if (context->ownWindow) SDL_DestroyWindow(context->window);
  delete context;
}

PlatGlContext* plat_GlContextCreateHidden() {
  if (plat_CurrentBackend() == kPlatBackendTest && !gTestAvailable) return nullptr;
  if (!VideoUp()) return nullptr;
  SetAttributes(nullptr);
  SDL_Window* window = HiddenWindow();
  if (!window) return nullptr;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    SDL_DestroyWindow(window);
    return nullptr;
  }
  SDL_GL_MakeCurrent(window, context);
  LoadRealFunctions();
  gCurrent = new PlatGlContext{window, true, context};
  return gCurrent;
}

void plat_GlSwapBuffers(PlatGlContext* context) {
  if (context) SDL_GL_SwapWindow(context->window);
}

const PlatGlFunctions* plat_Gl() {
  if (gInstalled) return gInstalled;
  return &gRealFunctions;
}

void plat_GlSetFunctions(const PlatGlFunctions* functions) { gInstalled = functions; }

void plat_TestGlSetAvailable(bool available) { gTestAvailable = available; }
