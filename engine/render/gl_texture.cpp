// The OpenGL kind's copy of a texture: the pixels converted to RGBA bytes (a keyed image's key
// texels coloured as their neighbours) and loaded into the texture's own name, filtered as the
// context's flags ask.
#include "engine/data/key_bleed.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"
#include "engine/render/context.h"
#include "engine/render/gl_backend.h"
#include "platform/plat_gl.h"

int32_t wre_GLTextureUpload(Texture* t, Offscreen* offscreen, DrawingContext* context, int32_t, Offscreen* const*) {
  Offscreen* copy = wre_OffscreenDuplicate(offscreen);
  if (!copy) return kTextureErrGLCopy;
  int32_t result = wre_OffscreenConvertToGL(copy);
  if (result != 0) {
    wre_OffscreenDispose(copy);
    return result;
  }
  const PlatGlFunctions* gl = plat_Gl();
  if (!gl->PixelStorei || !gl->BindTexture || !gl->TexParameteri || !gl->TexImage2D) {
    wre_OffscreenDispose(copy);
    return -1;
  }
  // Filtering mixes key texels into the picture's edges: they carry their neighbours' colour.
  if (t->flags & kTextureHasAlpha) wre_KeyTexelsBleed(copy->pixels, copy->width, copy->height, copy->rowBytes);
  gl->PixelStorei(kGlUnpackAlignment, 1);
  gl->BindTexture(kGlTexture2D, t->glName);
  auto filter = static_cast<int32_t>((context->flags & kContextLinearFilter) ? kGlLinear : kGlNearest);
  gl->TexParameteri(kGlTexture2D, kGlTextureMinFilter, filter);
  gl->TexParameteri(kGlTexture2D, kGlTextureMagFilter, filter);
  gl->TexImage2D(kGlTexture2D, 0, static_cast<int32_t>(kGlRgba), copy->width, copy->height, 0, kGlRgba,
                 kGlUnsignedByte, copy->pixels);
  result = wre_TextureSetFormat(t, copy);
  wre_OffscreenDispose(copy);
  return result;
}
