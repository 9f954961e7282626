#include "engine/data/world_file.h"

#include <cstring>

namespace {

// A light line: name, position, colour, a second colour that is read and not used, intensity.
int32_t ReadLight(const char** text, int32_t* remaining, uint8_t removeLights, WorldFileLine* line) {
  int32_t result = wre_CodexReadString(text, remaining, line->name, kWorldLightNameSize);
  if (!removeLights) {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int32_t rgb[6] = {0, 0, 0, 0, 0, 0};
    if (result == 0) result = wre_CodexReadFloat(text, remaining, &x);
    if (result == 0) result = wre_CodexReadFloat(text, remaining, &y);
    if (result == 0) result = wre_CodexReadFloat(text, remaining, &z);
    for (int32_t k = 0; k < 6 && result == 0; ++k) result = wre_CodexReadInt(text, remaining, &rgb[k]);
    if (result == 0) result = wre_CodexReadFloat(text, remaining, &line->intensity);
    if (result == 0) {
      line->position = Point4{x, y, z, 0.0f};
      wre_ColourSetUnit(line->colour, static_cast<float>(rgb[0]) * kWorldByteToUnit,
                        static_cast<float>(rgb[1]) * kWorldByteToUnit, static_cast<float>(rgb[2]) * kWorldByteToUnit,
                        1.0f);
    }
  }
  if (result == 0) wre_CodexSkipLine(text, remaining);
  return result;
}

}  // namespace

int32_t WorldFileReadLine(const char** text, int32_t* remaining, uint8_t removeLights, WorldFileLine* line) {
  if (!line) return kCodexErrNull;
  std::memset(line, 0, sizeof(*line));
  int32_t ints[4] = {0, 0, 0, 0};
  float floats[3] = {0.0f, 0.0f, 0.0f};
  int32_t result = wre_CodexReadToken(text, remaining, &line->id, line->name, &ints[0], &ints[1], &ints[2],
                                      &ints[3], &floats[0], &floats[1], &floats[2], 0);
  if (result != 0) return result;
  switch (line->id) {
    case kCodexAmbientLightPercentage:
      line->ambientLevel = floats[0];
      break;
    case kCodexAmbientLightColor:
      // The integers go through the unit scale as they are: 0 stays 0 and any value from 1 up is
      // the full range, so files write 0 or 1 per component.
      wre_ColourSetUnit(line->colour, static_cast<float>(ints[0]), static_cast<float>(ints[1]),
                        static_cast<float>(ints[2]), 1.0f);
      break;
    case kCodexPointLightSource:
    case kCodexDirectionalLightSource:
      result = ReadLight(text, remaining, removeLights, line);
      break;
    case kCodexGridObject:
      line->cellsX = ints[0];
      line->cellsZ = ints[1];
      line->cellSize = floats[0];
      line->materialIndex = ints[2];
      line->textureIndex = ints[3];
      line->textureStep = floats[1];
      break;
    case kCodexReplicateRange:
      line->drawDistance = floats[0];
      break;
    case kCodexSetObjectPosition:
      line->angles[0] = ints[0];
      line->angles[1] = ints[1];
      line->angles[2] = ints[2];
      line->position = Point4{floats[0], floats[1], floats[2], 0.0f};
      break;
    default:
      break;
  }
  return result;
}
