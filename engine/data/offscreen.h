// Offscreens: the engine's pixel buffers, their in-place depth conversions, colour keys, opacity
// maps and blits.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"
#include "engine/data/colour.h"

struct DrawingContext;  // the renderer's drawing context
struct Camera;          // the renderer's camera

// A rectangle; width = right - left, height = bottom - top.
struct WreRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

void wre_RectCopy(const WreRect* source, WreRect* destination);

enum OffscreenKind : int32_t {
  kOffscreenMemory = 100,       // owns its pixels
  kOffscreenDescription = 102,  // a description only, no pixels
  kOffscreenSurface = 103,      // pixels in a renderer surface
  kOffscreenNoDraw = 104,       // what the drawing-less renderer kind 102 draws from
  kOffscreenBorrowed = 105,     // pixels owned elsewhere, never freed here
};

// Format flags.
enum : int32_t {
  kOffscreen555 = 0x01,          // 16-bit 555 (1555 together with kOffscreenAlpha)
  kOffscreen565 = 0x02,          // 16-bit 565
  kOffscreenAlpha = 0x04,        // has alpha or a colour key
  kOffscreenPaletteRGBA = 0x08,  // palette entries red, green, blue, alpha
  kOffscreenPaletteBGRA = 0x10,  // palette entries blue, green, red, alpha (neither: alpha, red, green, blue)
  kOffscreenDistinct8 = 0x20,    // recorded by textures as a distinct 8-bit format
  kOffscreen4444 = 0x40,         // 16-bit 4444
  kOffscreenRGBA32 = 0x80,       // 32-bit pixels red, green, blue, alpha (else alpha, red, green, blue)
};

enum : int32_t {
  kOffscreenErrConvertDepth = -22001,   // conversion from a depth it does not handle
  kOffscreenErrOpacityDepth = -22002,   // opacity map on an unsupported target
  kOffscreenErrOpacityTarget = -22015,  // opacity map on an 8-bit, 565 or 24-bit target
  kOffscreenErrOpacitySize = -22016,    // opacity image of another size
};

struct OffscreenSurface;  // a renderer surface, known only to the renderer that made it

struct Offscreen {
  uint8_t paletteA[256][4];  // red, green, blue, 0
  uint8_t paletteB[256][4];  // the palette the conversions read, byte order by the format flags
  int32_t kind;
  int32_t rowBytes;
  int32_t depth;  // bits per pixel: 4, 8, 16, 24 or 32
  int32_t flags;
  WreRect rect;
  int32_t width;
  int32_t height;
  int32_t pixelBytes;
  int32_t paletteCount;  // at most 256
  uint8_t* pixels;
  ColourFloat keyColour;
  OffscreenSurface* systemSurface;  // kind 103
  OffscreenSurface* videoSurface;   // kind 103 under the Direct3D renderer
  WreRect blitRect;                 // 0, 0, width, height
  int32_t redShift, redMask, redDrop;
  int32_t greenShift, greenMask, greenDrop;
  int32_t blueShift, blueMask, blueDrop;
  Offscreen* chained;  // disposed together with this one
  DrawingContext* owner;
};

// What offscreens need of the renderer: its selected kind, a context's kind and display flags, and
// its surfaces (kind 103). The renderer installs its table; without one the selected kind is 100,
// no context is known and kind-103 offscreens cannot be made.
struct OffscreenRendererHooks {
  int32_t (*selectedRenderer)();
  // False when the context is unknown; else its renderer kind and display flags (bit 0: 565).
  bool (*contextInfo)(const DrawingContext* context, int32_t* rendererKind, int32_t* displayFlags);
  // A plain offscreen surface of the given size, in system or in video memory; with formatOf the
  // new surface takes that surface's pixel format. Null on failure.
  OffscreenSurface* (*createSurface)(DrawingContext* context, int32_t width, int32_t height, bool videoMemory,
                                     const OffscreenSurface* formatOf);
  int32_t (*lockSurface)(OffscreenSurface* surface, uint8_t** pixels, int32_t* pitch);
  void (*unlockSurface)(OffscreenSurface* surface);
  void (*releaseSurface)(OffscreenSurface* surface);
  void (*surfaceMasks)(const OffscreenSurface* surface, uint32_t* red, uint32_t* green, uint32_t* blue);
  int32_t (*blitSurface)(OffscreenSurface* destination, OffscreenSurface* source, const WreRect* rect);
};

// Null restores the built-in table.
void wre_OffscreenSetRendererHooks(const OffscreenRendererHooks* hooks);

Offscreen* wre_OffscreenNew(int32_t kind, const WreRect* rect, int32_t flags, int32_t depth, int32_t paletteCount,
                            DrawingContext* ownerContext, Offscreen* source);
int32_t wre_OffscreenAllocPixels(Offscreen* offscreen, const WreRect* rect, int32_t depth,
                                 DrawingContext* ownerContext, Offscreen* source);
int32_t wre_OffscreenDispose(Offscreen* offscreen);
Offscreen* wre_OffscreenDuplicate(const Offscreen* offscreen);

void wre_OffscreenSetKind(Offscreen* offscreen, int32_t kind);
void wre_OffscreenSetDepth(Offscreen* offscreen, int32_t depth);
void wre_OffscreenSetFlags(Offscreen* offscreen, int32_t flags);
void wre_OffscreenSetRect(Offscreen* offscreen, const WreRect* rect);
void wre_OffscreenSetPaletteCount(Offscreen* offscreen, int32_t count);

// In-place conversions. Each takes kinds 100 and 105 (-1 otherwise), is 0 at once when the format is
// already there, and leaves the offscreen of kind 100 owning its new pixels. A source depth the
// conversion does not handle gives kOffscreenErrConvertDepth and changes nothing.
int32_t wre_OffscreenConvertTo_555_16Bit(Offscreen* offscreen);
int32_t wre_OffscreenConvertTo_565_16Bit(Offscreen* offscreen);
int32_t wre_OffscreenConvertTo_4444_16Bit(Offscreen* offscreen);
int32_t wre_OffscreenConvertTo24Bit(Offscreen* offscreen);
int32_t wre_OffscreenConvertTo32Bit(Offscreen* offscreen);
int32_t wre_OffscreenConvertToGL(Offscreen* offscreen);
// By depth: 16 (565 with flags 0x02, 4444 with 0x40, else 555), 24, 32; other depths -1.
int32_t wre_OffscreenConvert(Offscreen* offscreen, int32_t depth, const DrawingContext* context, int32_t flags);

int32_t wre_OffscreenSetColourKey(Offscreen* offscreen, const ColourFloat* colour);
int32_t wre_OffscreenApplyOpacity(Offscreen* offscreen, const Offscreen* opacityImage);

int32_t wre_OffscreenBlit(Offscreen* source, const WreRect* sourceRect, Offscreen* destination,
                          const WreRect* destRect, int32_t flags);
int32_t wre_OffscreenBlitAt(Offscreen* source, Offscreen* destination, const Point4* offset, int32_t flags);

bool wre_OffscreenMatchesContext(const Offscreen* offscreen, const DrawingContext* context, int32_t* outKind,
                                 int32_t* outDepth);

int32_t wre_OffscreenBackgroundBegin(Camera* camera, Offscreen* offscreen);
int32_t wre_OffscreenBackgroundEnd();
