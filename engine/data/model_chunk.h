// The engine's chunk model format: EngineObjects stored almost as they lie in memory, as big-endian
// chunks [u32 id][u32 length counting these 8 bytes]. An object is an object chunk whose length
// covers the whole object, the object's chunks, then an end chunk of which only the header counts.
// A file holds one object or several back to back.
#pragma once
#include <cstddef>
#include <cstdint>

struct EngineObject;

enum : uint32_t {
  kChunkObject = 0x3D3D3D3Du,
  kChunkEnd = 0xDEADBEEFu,
  kChunkEndAlt = 0xFFFFFFFFu,
  kChunkHeader = 0xF001u,
  kChunkRadius = 0xF002u,
  kChunkPoints = 0xA001u,
  kChunkWorldPoints = 0xA002u,
  kChunkPolygons = 0xB001u,
  kChunkCoordinates = 0xC001u,
  kChunkTextures = 0xD001u,
  kChunkMaterials = 0xD002u,
  kChunkPlanes = 0xE001u,
  kChunkWorldNormals = 0xE003u,
  kChunkLocalNormals = 0xE004u,
  kChunkUserData = 0xA0000u,
};

constexpr int32_t kChunkHeaderBytes = 8;
constexpr int32_t kChunkObjectHeaderLength = 96;   // the 0xF001 chunk, header included
constexpr int32_t kChunkPolygonEntryBytes = 28;
constexpr int32_t kChunkTextureEntryBytes = 260;   // file number, 256-byte file name
constexpr int32_t kChunkMaterialEntryBytes = 332;
constexpr int32_t kChunkNameBytes = 256;
constexpr int32_t kChunkIdentBytes = 32;
// The smallest object that can hold anything: object chunk header, object header, end chunk.
constexpr int32_t kChunkMinObjectLength = 8 + kChunkObjectHeaderLength + 8;
// The largest capacities a file may ask for: points are named by 16-bit indices.
constexpr int32_t kChunkMaxPoints = 65536;
constexpr int32_t kChunkMaxPolygons = 262144;
// File texture and material numbers above this are not listed (the engine stores 16 bits).
constexpr int32_t kChunkMaxFileNumber = 65534;

// Reader flag: do not take materials from the file; every polygon gets material 0.
constexpr uint32_t kChunkReadIgnoreMaterials = 0x1;

// True when data is non-null, size is at least 8, the first chunk is an object chunk and its length
// is not negative.
bool wre_ObjectIOBinaryCheck(const uint8_t* data, int32_t size);
// Reads the object at data (size bytes available); null when the data is not an object of this
// format or is malformed. When next is given it receives where the next object begins.
EngineObject* wre_ObjectIOBinaryRead(const uint8_t* data, int32_t size, const uint8_t** next, uint32_t flags);
