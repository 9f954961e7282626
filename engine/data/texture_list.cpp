#include "engine/data/texture_list.h"

#include <cstring>

#include "engine/core/files.h"
#include "engine/core/strings.h"
#include "engine/data/colour.h"
#include "engine/data/ripple.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"

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

// The drop-wavelet simulation of the texture that carries the ident, or the code why there is none.
int32_t FindSimulation(const char* ident, RippleSimulation** simulation) {
  if (!ident) return kCodexErrNull;
  Texture* texture = wre_TextureGetByIdent(ident);
  if (!texture) return kTextureListErrNoSuchIdent;
  Ripple* ripple = nullptr;
  int32_t result = wre_RippleGet(texture, &ripple);
  if (result != 0) return result;
  if (!ripple || ripple->simulationKind != kRippleKind) return kTextureListErrNotDropWavelet;
  if (!ripple->simulation) return kTextureListErrNoSimulation;
  *simulation = ripple->simulation;
  return 0;
}

// Makes the texture of an image line (ids 1-9); the slot comes back through slot.
int32_t LoadImageLine(const TextureListLine& line, DrawingContext* context, int32_t* slot) {
  ColourRecord key{};
  wre_ColourSet(&key, line.red, line.green, line.blue, 0);
  const char* file = line.file;
  switch (line.id) {
    case kCodexTexture:
      return wre_TextureLoad(file, context, slot);
    case kCodexBasicAlphaTexture:
      return wre_TextureLoadKeyed(file, 1, &key, 0, 0, context, slot);
    case kCodexProceduralTexture:
    case kCodexProceduralAlphaTexture:
      // The alpha form's three integers are read and not used: both make the same texture.
      return wre_TextureLoadEffect(file, 0, nullptr, 255, 0, context, slot, kTextureCreateRipple, line.modifierKind,
                                   line.effectKind, 0, 0);
    case kCodexRequestDepthTexture:
      return wre_TextureLoadWithOpacity(file, context, slot, line.depth, nullptr);
    case kCodexRequestDepthAlphaTexture:
      return wre_TextureLoadEx(file, 1, &key, 0, 0, context, slot, line.depth, nullptr);
    case kCodexOpacityRequestDepthTexture:
      return wre_TextureLoadEx(file, 1, nullptr, 0, 0, context, slot, line.depth, line.opacityFile);
    case kCodexMipDepthRequestTexture:
      return wre_TextureLoadFile(file, 0, nullptr, 0, 0, context, slot, 0, -1, -1, 0, 0, line.depth, nullptr, 1);
    case kCodexAlphaMipDepthRequestTexture:
      return wre_TextureLoadFile(file, 1, &key, 0, 0, context, slot, 0, -1, -1, 0, 0, line.depth, nullptr, 1);
    default:
      return 0;
  }
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
  } else if (line->id >= kCodexPointLightSource && line->id <= kCodexExternalRef) {
    // World lines whose rest the tokenizer leaves: pass over all of it, so that nothing in it (a
    // light name or a reference beginning with "kVKT") is taken for a line of its own.
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

Texture* wre_TextureRecordOfSlot(int32_t slot) { return wre_TextureGet(slot); }

int32_t wre_CodexRippleSetDamping(const char* ident, float damping) {
  RippleSimulation* simulation = nullptr;
  int32_t result = FindSimulation(ident, &simulation);
  if (result != 0) return result;
  return wre_RippleSetDamping(simulation, damping);
}

int32_t wre_CodexRippleAddDrop(const char* ident, int32_t x, int32_t y, int32_t strength, int32_t interval) {
  RippleSimulation* simulation = nullptr;
  int32_t result = FindSimulation(ident, &simulation);
  if (result != 0) return result;
  return wre_RippleAddDrop(simulation, x, y, strength, interval);
}

int32_t wre_TextureCodexLoad(const char* data, int32_t size, DrawingContext* context) {
  if (!data || size < 1) return -1;
  const char* text = data;
  int32_t remaining = size;
  Texture* target = nullptr;  // the texture a following ident line names
  TextureListLine line;
  for (;;) {
    // A line that fails to read ends the load with its code: the rest of the set is missing, and
    // the caller has to know.
    int32_t result = TextureListReadLine(&text, &remaining, &line);
    if (result != 0) return result;
    if (line.id == kCodexEnd) return 0;
    if (line.id >= kCodexTexture && line.id <= kCodexAlphaMipDepthRequestTexture) {
      int32_t slot = -1;
      result = LoadImageLine(line, context, &slot);
      // Mip textures do not become the target of an ident line.
      if (result == 0 && line.id <= kCodexOpacityRequestDepthTexture) target = wre_TextureRecordOfSlot(slot);
    } else if (line.id == kCodexSetTextureIdent) {
      result = target ? wre_TextureSetIdent(target, line.file) : kTextureListErrNoTarget;
    } else if (line.id == kCodexSetDamping) {
      result = wre_CodexRippleSetDamping(line.file, line.damping);
    } else if (line.id == kCodexAddDrop) {
      result = wre_CodexRippleAddDrop(line.file, line.dropX, line.dropY, line.dropStrength, line.dropInterval);
    }
    if (result != 0) return result;
  }
}

int32_t wre_TextureCodexUnload(const char* data, int32_t size, DrawingContext* context) {
  (void)context;
  if (!data || size < 1) return -1;
  const char* text = data;
  int32_t remaining = size;
  TextureListLine line;
  while (TextureListReadUnloadLine(&text, &remaining, &line) == 0 && line.id != kCodexEnd) {
    if (line.id >= kCodexTexture && line.id <= kCodexAlphaMipDepthRequestTexture) wre_TextureUnloadByFile(line.file);
  }
  return 0;
}

int32_t wre_CodexLoadTextures(const char* path, int32_t unused, DrawingContext* context) {
  (void)unused;
  FileRecord* file = wre_FileLoad(path, 1);
  if (!file) {
    wre_FileNoteFailed(path);
    return -1;
  }
  const char* data = reinterpret_cast<const char*>(file->data);
  int32_t result = 0;
  // A picture of the list that fails notes itself; any other failure is the list's own.
  wre_FileFailedClear();
  if (gCodexMode == 0) {
    result = wre_TextureCodexLoad(data, file->size, context);
  } else if (gCodexMode == 1) {
    result = wre_TextureCodexUnload(data, file->size, context);
  }
  wre_FileDispose(file);
  if (result != 0 && !*wre_FileFailed()) wre_FileNoteFailed(path);
  return result;
}

