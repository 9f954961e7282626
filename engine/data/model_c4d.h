// C4D scene files (version 5 layout "MC50" / "DOK5"): polygon objects with their materials,
// texture tags and node hierarchy, turned into EngineObjects. Big-endian throughout; a "word" is
// 32 bits, a long string a 16-bit length and that many bytes, a vector three floats.
#pragma once
#include <cstdint>

struct EngineObject;

// Chunk header: a word (version << 24 | id), then the body length without these 8 bytes. A chunk
// sequence ends after a chunk of id 0.
constexpr int32_t kC4DFileHeaderBytes = 16;  // "MC50", any word, "DOK5", version word
constexpr int32_t kC4DChunkHeaderBytes = 8;
constexpr uint32_t kC4DMinVersion = 5210;
constexpr uint32_t kC4DIdMask = 0x00FFFFFFu;

enum : uint32_t {
  kC4DEnd = 0,
  kC4DObjectList = 5020,
  kC4DNode = 5021,
  kC4DPoints = 5600,
  kC4DTriangles = 5601,
  kC4DSettings = 5613,
  kC4DTextureTag = 5616,
  kC4DCoordinates = 5618,
  kC4DUserData = 5647,
  kC4DTriangles32 = 5653,
  kC4DUserDataAlt = 5657,
  kC4DMaterial = 5703,
  kC4DMaterialName = 5704,
  kC4DColourChannel = 5900,
  kC4DTransparencyChannel = 5902,
  kC4DSecondColourChannel = 5909,
};

// Material name chunk: name, then one on/off byte per channel.
constexpr int32_t kC4DChannelCount = 12;
constexpr int32_t kC4DChannelColour = 0;
constexpr int32_t kC4DChannelTransparency = 2;
constexpr int32_t kC4DChannelSecondColour = 9;
// Node settings: the visibility byte (0 = two-sided) at this body offset.
constexpr int32_t kC4DSettingsVisibility = 13;
// Texture tag body offsets: scale a, scale b (floats), scaling switch (byte), material number
// (word, counted from 1).
constexpr int32_t kC4DTagScaleA = 52;
constexpr int32_t kC4DTagScaleB = 56;
constexpr int32_t kC4DTagScaling = 60;
constexpr int32_t kC4DTagMaterial = 67;
constexpr int32_t kC4DTagMinBytes = 71;

// Import flags.
enum : uint32_t {
  kC4DPerTopNode = 0x1,       // one merged object per top-level node, chained in reverse file order
  kC4DWholeScene = 0x2,       // one merged object for the scene (when bit 1 is clear)
  kC4DMakeTextures = 0x4,     // make a texture record for each material's texture file
  kC4DMaterialZero = 0x8,     // every material reference becomes material 0
  kC4DAlwaysNewMaterial = 0x10,
  kC4DKeepWorldOrientation = 0x20,
};

// The largest point and triangle totals an object may take (points are named by 16-bit indices).
constexpr int32_t kC4DMaxPoints = 65536;
constexpr int32_t kC4DMaxTriangles = 262144;

// The conversion of the file's radians to 4096ths of a turn.
constexpr float kC4DAngleScale = 651.8987f;

// True when the data holds the file header's two marks (the version is checked by the import);
// false for null data or fewer bytes than the header.
bool wre_ObjectIOC4DCheck(const uint8_t* data, int32_t size);
// An object, or the first of a chain linked through the objects' list links; null on any failure
// and when the scene yields no object.
EngineObject* wre_ObjectIOC4DImport(const uint8_t* data, int32_t size, uint32_t flags);
