// Writers of the three model formats the engine reads: its own chunk format (objects back to back),
// C4D scenes and 3DS files. Meshes come in the engine's axes (see mesh_builder.h) and come out of
// the engine's readers the same way.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/mesh_builder.h"

// ---- Chunk format ----------------------------------------------------------------------------

struct ChunkMaterialDef {
  int32_t fileNumber = 0;
  std::string name = "material";
  std::string ident = " ";
  float ambient = 1.0f;  // 1.0 = 100 percent
  std::array<float, 4> colourA = {1, 1, 1, 1};
  std::array<float, 4> colourB = {0, 0, 0, 1};
};

struct ChunkTextureDef {
  int32_t fileNumber = 0;
  std::string file;
};

struct ChunkUserDataDef {
  int32_t kind = 1;  // 1 value, 1994 text
  int32_t value = 0;
  std::string blockA;  // kind 1994
  std::string blockB;
  std::string textA;
  std::string textB;
  int32_t numberA = 0;
  int32_t numberB = 0;
};

struct ChunkObjectDef {
  int32_t kind = 100;
  uint32_t creationFlags = 0;
  uint32_t renderFlags = 0;
  int32_t collidable = 1;
  uint32_t modeFlags = 0;
  float modeValue = 0.0f;
  uint32_t collisionGroup = 0;
  std::array<float, 3> position = {0, 0, 0};
  std::array<int32_t, 3> angles = {0, 0, 0};  // 4096ths of a turn
  int32_t pointCapacity = -1;                 // -1: the mesh's point count
  int32_t polygonCapacity = -1;               // -1: the mesh's triangle count
  ModelMesh mesh;
  int32_t polygonKind = 202;
  // Per triangle; empty: every triangle takes file texture 0 when textures are listed (else -1)
  // and file material 0.
  std::vector<int32_t> triangleTexture;
  std::vector<int32_t> triangleMaterial;
  std::vector<ChunkTextureDef> textures;
  std::vector<ChunkMaterialDef> materials;
  std::vector<ChunkUserDataDef> userData;  // written in this order
  // Optional precomputed arrays (world points = local points moved by position, planes and
  // radius as given here).
  bool writeWorldPoints = false;
  std::vector<std::array<float, 4>> planes;  // written when not empty
  float radius = -1.0f;                      // written when not negative
  uint32_t endId = 0xDEADBEEFu;
};

// One object, its object chunk's length covering it exactly.
std::vector<uint8_t> ChunkWriteObject(const ChunkObjectDef& object);
// Objects back to back, then `padding` zero bytes.
std::vector<uint8_t> ChunkWriteFile(const std::vector<ChunkObjectDef>& objects, size_t padding = 0);

// ---- C4D ---------------------------------------------------------------------------------------

struct C4DMaterialDef {
  std::string name = "material";
  bool colourChannel = true;
  std::array<float, 3> colour = {1, 1, 1};
  float brightness = 1.0f;
  std::string texture;  // "" none
  bool transparencyChannel = false;
  float transparency = 0.0f;
  bool secondColourChannel = false;
  std::array<float, 3> secondColour = {0, 0, 0};
  float secondBrightness = 1.0f;
};

struct C4DNodeDef {
  uint32_t level = 0;
  std::string name = "node";
  // Frame: origin, X, Y, Z axes.
  std::array<std::array<float, 3>, 4> frame = {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  std::array<float, 3> position = {0, 0, 0};
  std::array<float, 3> scale = {1, 1, 1};
  std::array<float, 3> rotation = {0, 0, 0};  // radians
  int32_t visibility = -1;                    // -1: no settings chunk
  uint32_t material = 0;                      // 1-based; 0: no texture tag
  std::array<float, 2> tagScales = {1, 1};
  bool tagScaling = false;
  ModelMesh mesh;  // no triangles: a node without geometry
  bool writeUvs = true;
  bool wideIndices = false;  // 5653 instead of 5601
  bool hasUserData = false;
  std::string userA;
  std::string userB;
  // Extra chunks written into the object list in front of this node: (id, body).
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> chunksBefore;
};

struct C4DSceneDef {
  uint32_t version = 5300;
  std::vector<C4DMaterialDef> materials;
  std::vector<C4DNodeDef> nodes;
  // Extra chunks written into the object list after the nodes: (id, body).
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> trailingListChunks;
  bool materialsAfterObjects = false;
};

std::vector<uint8_t> C4DWriteScene(const C4DSceneDef& scene);

// ---- 3DS ---------------------------------------------------------------------------------------

struct TdsMaterialDef {
  std::string name = "mat1";
  std::string texture;  // "" no map
  bool writeAngle = false;
  float mappingAngle = 0.0f;
};

struct TdsObjectDef {
  std::string name = "object";
  ModelMesh mesh;        // engine axes; written as (-x, -z, y) with the winding turned
  std::string material;  // "" no material group; else one group over every face
  bool writeUvs = true;
  // Keyframer values in the file's axes (used when the scene writes a keyframer).
  std::array<float, 3> position = {0, 0, 0};
  std::array<float, 4> rotation = {0, 0, 0, 1};  // angle (radians), axis x, y, z
  std::array<float, 3> scale = {1, 1, 1};
  std::array<float, 3> pivot = {0, 0, 0};
};

struct TdsSceneDef {
  std::vector<TdsMaterialDef> materials;
  std::vector<TdsObjectDef> objects;
  bool keyframer = false;
};

std::vector<uint8_t> TdsWriteScene(const TdsSceneDef& scene);
