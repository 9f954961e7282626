// 3DS files (the 3D Studio chunk format): every triangle mesh of the file merged into one mesh
// EngineObject, textured through the materials' map names, placed by the keyframer's frame-0 keys
// and turned into the engine's axes. Little-endian chunks [u16 id][u32 length counting the 6-byte
// header]; strings end with a zero byte.
#pragma once
#include <cstdint>

struct EngineObject;

constexpr int32_t k3DSChunkHeaderBytes = 6;

enum : uint16_t {
  k3DSMain = 0x4D4D,
  k3DSVersion = 0x0002,
  k3DSEditor = 0x3D3D,
  k3DSNamedObject = 0x4000,
  k3DSMesh = 0x4100,
  k3DSVertices = 0x4110,
  k3DSFaces = 0x4120,
  k3DSFaceMaterial = 0x4130,
  k3DSMapping = 0x4140,
  k3DSSmoothing = 0x4150,
  k3DSMeshMatrix = 0x4160,
  k3DSMeshColour = 0x4170,
  k3DSMaterialEntry = 0xAFFF,
  k3DSMaterialName = 0xA000,
  k3DSTextureMap = 0xA200,
  k3DSMapFile = 0xA300,
  k3DSMapAngle = 0xA35C,
  k3DSKeyframer = 0xB000,
  k3DSObjectNode = 0xB002,
  k3DSSegment = 0xB008,
  k3DSNodeHeader = 0xB010,
  k3DSInstanceName = 0xB011,
  k3DSPivot = 0xB013,
  k3DSPositionTrack = 0xB020,
  k3DSRotationTrack = 0xB021,
  k3DSScaleTrack = 0xB022,
  k3DSNodeId = 0xB030,
};

// A track chunk: seven 16-bit words (the sixth the key count), then the keys.
constexpr int32_t k3DSTrackHeaderWords = 7;
constexpr int32_t k3DSTrackKeyCountWord = 5;

// True when there are at least two bytes and the first 16-bit word is 0x4D4D.
bool wre_ObjectIO3DSCheck(const uint8_t* data, int32_t size);
// The merged object, or null. keepChunkList records every chunk for the duration of the import
// (kept for callers that inspect a file; nothing reads it after); makeMissingTextures registers a
// texture record for a map file that is not loaded.
EngineObject* wre_ObjectIO3DSImport(const uint8_t* data, int32_t size, uint8_t keepChunkList,
                                    uint8_t makeMissingTextures);
