#include "engine/data/world_file.h"

#include <cstring>

#include "engine/core/files.h"
#include "engine/core/grid_mesh.h"
#include "engine/core/light.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"

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
    case kCodexProceduralTexture:
    case kCodexProceduralAlphaTexture:
    case kCodexOpacityRequestDepthTexture:
      // Texture-list lines whose rest the tokenizer leaves: pass over all of it, so that their
      // modifier word ("kVKT_TextureModifier_...") is not taken for a line of its own.
      wre_CodexSkipLine(text, remaining);
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

namespace {

// Adds a light of the line to the world, or, in remove mode, takes the named one out and frees it.
int32_t ApplyLight(const WorldFileLine& line, uint8_t removeLights, World* world) {
  if (!world) return 0;
  if (removeLights) {
    Light* light = wre_LightFindByName(line.name, world);
    if (!light) return 0;
    int32_t result = wre_LightListRemove(light, world);
    if (result == 0) result = wre_LightDispose(light);
    return result;
  }
  Transform transform;
  wre_TransformReset(&transform);
  wre_TransformSet(&transform, 0, 0, 0, line.position.x, line.position.y, line.position.z);
  const int32_t type = line.id == kCodexPointLightSource ? kLightPoint : kLightDirectional;
  Light* light = wre_LightCreate(type, &transform, line.colour, line.intensity);
  if (!light) return 0;  // nothing is added and the read goes on
  wre_LightSetName(light, line.name);
  const int32_t result = wre_LightListAdd(light, world);
  // A light the world did not take would belong to no one.
  if (result != 0) wre_LightDispose(light);
  return result;
}

// Makes the grid object of the line, adds it to the world and makes it the current object.
int32_t ApplyGrid(const WorldFileLine& line, World* world, EngineObject** current) {
  *current = nullptr;
  EngineObject* object = nullptr;
  int32_t result = wre_ObjectNewGrid(line.cellsX, line.cellsZ, line.cellSize, line.materialIndex, line.textureIndex,
                                     kObjectStatic, &object, 0, line.textureStep);
  if (result != 0) return result;
  wre_ObjectSetRenderFlags(object, kRenderStatic);
  wre_ObjectSetCollidable(object, 1);
  result = wre_WorldAddObject(object, world);
  if (result != 0) {
    // An object the world did not take would belong to no one: free it and end the read.
    wre_ObjectDispose(object);
    return result;
  }
  *current = object;
  return 0;
}

}  // namespace

int32_t WorldFileLoadData(const char* data, int32_t size, World* world, CodexExternalRefHandler handler) {
  if (!data) return kCodexErrNull;
  // The skip-values bit holds for the whole read; the remove-lights bit is looked at anew on every
  // line (the handler may change it between lines).
  const bool skipValues = (gCodexWorldFlags & kCodexWorldSkipValues) != 0;
  const char* text = data;
  int32_t remaining = size;
  EngineObject* current = nullptr;
  WorldFileLine line;
  for (;;) {
    const uint8_t removeLights = (gCodexWorldFlags & kCodexWorldRemoveLights) ? 1 : 0;
    int32_t result = WorldFileReadLine(&text, &remaining, removeLights, &line);
    if (result != 0) return result;
    if (line.id == kCodexEnd) return 0;
    switch (line.id) {
      case kCodexAmbientLightPercentage:
        if (world && !skipValues) result = wre_WorldSetAmbientLevel(world, line.ambientLevel);
        break;
      case kCodexAmbientLightColor:
        if (world && !skipValues) result = wre_WorldSetAmbientColour(world, line.colour);
        break;
      case kCodexPointLightSource:
      case kCodexDirectionalLightSource:
        result = ApplyLight(line, removeLights, world);
        break;
      case kCodexExternalRef:
        if (handler) result = handler(&text, &remaining);
        if (result == 0) wre_CodexSkipLine(&text, &remaining);
        break;
      case kCodexGridObject:
        if (world && !skipValues) result = ApplyGrid(line, world, &current);
        break;
      case kCodexReplicateRange:
        if (current && !skipValues) wre_ObjectSetDrawDistance(current, line.drawDistance);
        break;
      case kCodexSetObjectIdent:
        if (current && !skipValues) result = wre_ObjectSetName(current, line.name);
        break;
      case kCodexUnsetObjectIdent:
        if (world && !skipValues) {
          EngineObject* object = wre_WorldFindObjectByName(line.name, world);
          if (object) wre_ObjectSetName(object, nullptr);
        }
        break;
      case kCodexSetObjectPosition:
        if (world && !skipValues) {
          EngineObject* object = wre_WorldFindObjectByName(line.name, world);
          if (object) {
            wre_ObjectSetTransform(object, line.angles[0], line.angles[1], line.angles[2], line.position.x,
                                   line.position.y, line.position.z);
          }
        }
        break;
      default:
        break;
    }
    if (result != 0) return result;
  }
}

int32_t wre_CodexLoadWorld(const char* path, int32_t unused, World* world, CodexExternalRefHandler handler) {
  (void)unused;
  FileRecord* file = wre_FileLoad(path, 1);
  if (!file) return wre_FileGetLastError();
  const int32_t result =
      WorldFileLoadData(reinterpret_cast<const char*>(file->data), file->size, world, handler);
  wre_FileDispose(file);
  return result;
}
