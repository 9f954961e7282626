// Writes world files: ambient light, lights, grid objects, object idents and placements, and the
// game's own lines behind "kVKT_ExternalRef". Every function adds one line to the writer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/codex_writer.h"

void WorldAddAmbientLevel(CodexWriter& writer, float percent);
// Each component is read on the unit scale: 0 is none, 1 (or more) the full range.
void WorldAddAmbientColour(CodexWriter& writer, int32_t r, int32_t g, int32_t b);
// Light names are unique and at most 31 characters (a longer one is refused); colours 0-255. The
// unused second colour is written as 0 0 0 so the intensity after it is read.
void WorldAddPointLight(CodexWriter& writer, const std::string& name, float x, float y, float z, int32_t r,
                        int32_t g, int32_t b, float intensity);
void WorldAddDirectionalLight(CodexWriter& writer, const std::string& name, float x, float y, float z, int32_t r,
                              int32_t g, int32_t b, float intensity);
// Idents name a material and a texture; "kVKT_FirstID" stands for slot 0.
void WorldAddGrid(CodexWriter& writer, int32_t cellsX, int32_t cellsZ, float cellSize,
                  const std::string& materialIdent, const std::string& textureIdent, float textureStep);
void WorldAddDrawDistance(CodexWriter& writer, float distance);
void WorldSetObjectIdent(CodexWriter& writer, const std::string& name);
void WorldUnsetObjectIdent(CodexWriter& writer, const std::string& name);
// Angles in degrees.
void WorldSetObjectPosition(CodexWriter& writer, const std::string& name, float ax, float ay, float az, float x,
                            float y, float z);
void WorldAddExternalRef(CodexWriter& writer, const std::vector<std::string>& fields);
