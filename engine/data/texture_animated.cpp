// The animated textures: a list of the textures whose ripples step once a frame.
#include "engine/core/memory.h"
#include "engine/core/wre_types.h"
#include "engine/data/ripple.h"
#include "engine/data/texture.h"

namespace {

bool OnAnimatedList(const Texture* t) {
  for (const Texture* a = gAnimatedTextures; a; a = a->animatedNext) {
    if (a == t) return true;
  }
  return false;
}

}  // namespace

int32_t wre_TextureAnimateAll(int32_t value) {
  if (!gTextureModuleStarted) return -1;
  for (Texture* t = gAnimatedTextures; t;) {
    Texture* next = t->animatedNext;
    int32_t result = wre_RippleStep(t, value);
    if (result != 0) return result;
    t = next;
  }
  return 0;
}

int32_t wre_TextureAnimatedAdd(Texture* texture) {
  if (!texture) return kWreErrNull;
  if (OnAnimatedList(texture)) return kTextureErrAnimatedLinked;
  wre_RecordListAppend(texture, &gAnimatedTextures, &Texture::animatedPrev, &Texture::animatedNext);
  texture->flags |= kTextureAnimated;
  return 0;
}

int32_t wre_TextureAnimatedRemove(Texture* texture) {
  if (!texture) return kWreErrNull;
  if (!OnAnimatedList(texture)) return kTextureErrAnimatedNotLinked;
  if (texture->animatedPrev) {
    texture->animatedPrev->animatedNext = texture->animatedNext;
  } else {
    gAnimatedTextures = texture->animatedNext;
  }
  if (texture->animatedNext) texture->animatedNext->animatedPrev = texture->animatedPrev;
  texture->animatedPrev = nullptr;
  texture->animatedNext = nullptr;
  texture->flags &= static_cast<uint8_t>(~kTextureAnimated);
  return 0;
}
