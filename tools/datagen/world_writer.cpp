#include "tools/datagen/world_writer.h"

namespace {

constexpr size_t kLightNameLimit = 31;

void AddLight(CodexWriter& writer, const char* token, const std::string& name, float x, float y, float z, int32_t r,
              int32_t g, int32_t b, float intensity) {
  if (name.size() > kLightNameLimit) {
    writer.ok = false;  // the reader keeps 31 characters; removal by name would miss the light
    return;
  }
  CodexWriteLine(writer, token,
                 {name, CodexFloat(x), CodexFloat(y), CodexFloat(z), CodexInt(r), CodexInt(g), CodexInt(b), "0", "0",
                  "0", CodexFloat(intensity)});
}

}  // namespace

void WorldAddAmbientLevel(CodexWriter& writer, float percent) {
  CodexWriteLine(writer, "kVKT_AmbientLightPercentage", {CodexFloat(percent)});
}

void WorldAddAmbientColour(CodexWriter& writer, int32_t r, int32_t g, int32_t b) {
  CodexWriteLine(writer, "kVKT_AmbientLightColor", {CodexInt(r), CodexInt(g), CodexInt(b)});
}

void WorldAddPointLight(CodexWriter& writer, const std::string& name, float x, float y, float z, int32_t r,
                        int32_t g, int32_t b, float intensity) {
  AddLight(writer, "kVKT_PointLightSource", name, x, y, z, r, g, b, intensity);
}

void WorldAddDirectionalLight(CodexWriter& writer, const std::string& name, float x, float y, float z, int32_t r,
                              int32_t g, int32_t b, float intensity) {
  AddLight(writer, "kVKT_DirectionalLightSource", name, x, y, z, r, g, b, intensity);
}

void WorldAddGrid(CodexWriter& writer, int32_t cellsX, int32_t cellsZ, float cellSize,
                  const std::string& materialIdent, const std::string& textureIdent, float textureStep) {
  CodexWriteLine(writer, "kVKT_VirtualXZGridObject",
                 {CodexInt(cellsX), CodexInt(cellsZ), CodexFloat(cellSize), materialIdent, textureIdent,
                  CodexFloat(textureStep)});
}

void WorldAddDrawDistance(CodexWriter& writer, float distance) {
  CodexWriteLine(writer, "kVKT_CodexTokenID_VirtualReplicateRange", {CodexFloat(distance)});
}

void WorldSetObjectIdent(CodexWriter& writer, const std::string& name) {
  CodexWriteLine(writer, "kVKT_SetObjectIdent", {name});
}

void WorldUnsetObjectIdent(CodexWriter& writer, const std::string& name) {
  CodexWriteLine(writer, "kVKT_UnsetObjectIdent", {name});
}

void WorldSetObjectPosition(CodexWriter& writer, const std::string& name, float ax, float ay, float az, float x,
                            float y, float z) {
  CodexWriteLine(writer, "kVKT_SetObjectPosition",
                 {name, CodexFloat(ax), CodexFloat(ay), CodexFloat(az), CodexFloat(x), CodexFloat(y), CodexFloat(z)});
}

void WorldAddExternalRef(CodexWriter& writer, const std::vector<std::string>& fields) {
  CodexWriteLine(writer, "kVKT_ExternalRef", fields);
}
