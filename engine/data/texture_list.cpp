#include "engine/data/texture_list.h"

#include <cstring>

#include "engine/core/strings.h"

namespace {

int32_t ReadKind(const char** text, int32_t* remaining, int32_t* kind, const char* name, int32_t value,
                 int32_t mismatch) {
  if (!text || !remaining || !kind) return kCodexErrNull;
  char field[kCodexTextSize];
  int32_t result = wre_CodexReadString(text, remaining, field, kCodexTextSize);
  if (result != 0) return result;
  if (wre_StringMatch(name, field, 0, 0) != 1) return mismatch;
  *kind = value;
  return 0;
}

}  // namespace

int32_t wre_CodexReadModifierKind(const char** text, int32_t* remaining, int32_t* kind) {
  return ReadKind(text, remaining, kind, "kVKT_TextureModifier_DisplacementMap", kTextureModifierDisplacementMap,
                  kTextureListErrModifier);
}

int32_t wre_CodexReadEffectKind(const char** text, int32_t* remaining, int32_t* kind) {
  return ReadKind(text, remaining, kind, "KVKT_TextureEffect_DropWavelet", kTextureEffectDropWavelet,
                  kTextureListErrEffect);
}

int32_t TextureListReadLine(const char** text, int32_t* remaining, TextureListLine* line) {
  if (!line) return kCodexErrNull;
  std::memset(line, 0, sizeof(*line));
  int32_t ints[4] = {0, 0, 0, 0};
  float floats[3] = {0.0f, 0.0f, 0.0f};
  int32_t result = wre_CodexReadToken(text, remaining, &line->id, line->file, &ints[0], &ints[1], &ints[2],
                                      &ints[3], &floats[0], &floats[1], &floats[2], 0);
  if (result != 0) return result;
  switch (line->id) {
    case kCodexBasicAlphaTexture:
    case kCodexProceduralAlphaTexture:
    case kCodexRequestDepthAlphaTexture:
    case kCodexAlphaMipDepthRequestTexture:
      line->red = ints[0];
      line->green = ints[1];
      line->blue = ints[2];
      break;
    case kCodexSetDamping:
      line->damping = floats[0];
      break;
    case kCodexAddDrop:
      line->dropX = ints[0];
      line->dropY = ints[1];
      line->dropStrength = ints[2];
      line->dropInterval = ints[3];
      break;
    default:
      break;
  }
  if (line->id >= kCodexRequestDepthTexture && line->id <= kCodexAlphaMipDepthRequestTexture) line->depth = ints[3];

  // The procedural and opacity lines carry more fields than the tokenizer reads.
  if (line->id == kCodexProceduralTexture || line->id == kCodexProceduralAlphaTexture) {
    result = wre_CodexReadModifierKind(text, remaining, &line->modifierKind);
    if (result == 0) result = wre_CodexReadEffectKind(text, remaining, &line->effectKind);
    wre_CodexSkipLine(text, remaining);
  } else if (line->id == kCodexOpacityRequestDepthTexture) {
    result = wre_CodexReadString(text, remaining, line->opacityFile, kCodexTextSize);
    wre_CodexSkipLine(text, remaining);
  }
  return result;
}

int32_t TextureListReadUnloadLine(const char** text, int32_t* remaining, TextureListLine* line) {
  if (!line) return kCodexErrNull;
  std::memset(line, 0, sizeof(*line));
  return wre_CodexReadToken(text, remaining, &line->id, line->file, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, 1);
}
