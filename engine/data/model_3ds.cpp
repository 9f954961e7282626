#include "engine/data/model_3ds.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/data/model_textures.h"
#include "platform/plat_bytes.h"

namespace {

// The largest totals one object can take: points are named by 16-bit indices.
constexpr int64_t kMaxVertices = 65536;
constexpr int64_t kMaxFaces = 262144;

// A zero-terminated string; the terminator must lie inside the chunk. Kept to 255 characters.
std::string Text(PlatByteCursor& c) {
  if (c.overrun) return {};
  const void* zero = std::memchr(c.next, 0, plat_CursorLeft(&c));
  if (!zero) {
    c.overrun = true;
    return {};
  }
  const auto length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - c.next);
  std::string text(reinterpret_cast<const char*>(c.next), std::min<size_t>(length, 255));
  c.next += length + 1;
  return text;
}

struct FileMaterial {
  std::string name;
  std::string textureFile;
  int32_t texture = 0;
  float mappingAngle = 0.0f;
  bool hasMap = false;
};

struct KeyNode {
  std::string name;
  uint32_t id = 0;
  uint32_t parent = 0xFFFF;
  float position[3] = {0.0f, 0.0f, 0.0f};
  float axis[3] = {0.0f, 0.0f, 1.0f};
  float angle = 0.0f;
  // Without a scale track a node keeps its size (a scale of 0 would collapse its mesh).
  float scale[3] = {1.0f, 1.0f, 1.0f};
  float pivot[3] = {0.0f, 0.0f, 0.0f};
  bool hasTrack = false;
};

struct ChunkEntry {
  uint16_t id;
  uint32_t length;
  size_t offset;
};

struct Import {
  int pass = 1;
  bool makeMissingTextures = false;
  bool keepChunkList = false;
  std::vector<ChunkEntry> chunks;
  // Pass 1 totals.
  int64_t vertexTotal = 0;
  int64_t faceTotal = 0;
  // Pass 2 state.
  EngineObject* object = nullptr;
  std::vector<float> coordinates;  // one (u, v) pair a vertex, 0..255 scale
  std::vector<FileMaterial> materials;
  std::vector<KeyNode> nodes;
  std::vector<int32_t> objectStart;  // the point count at each named object
  int32_t keyframerStart = -1;       // the point count at the keyframer chunk
  int32_t meshFirst = 0;
  int32_t meshVertices = 0;
  int32_t meshFirstFace = 0;
  int32_t meshFaces = 0;
  uint32_t pendingNodeId = 0;
};

bool ReadVertices(Import& in, PlatByteCursor& c) {
  const uint32_t count = plat_CursorLe16(&c);
  if (c.overrun || count > plat_CursorLeft(&c) / 12) return false;
  if (in.pass == 1) {
    in.vertexTotal += count;
    return true;
  }
  EngineObject* object = in.object;
  in.meshFirst = object->pointCount;
  in.meshVertices = static_cast<int32_t>(count);
  for (uint32_t i = 0; i < count; ++i) {
    const float x = plat_CursorLeFloat(&c), y = plat_CursorLeFloat(&c), z = plat_CursorLeFloat(&c);
    if (wre_ObjectAddPoint(object, x, y, z, 0) < 0) return false;  // more points than counted
  }
  return !c.overrun;
}

bool ReadMapping(Import& in, PlatByteCursor& c) {
  const uint32_t count = plat_CursorLe16(&c);
  if (c.overrun || count > plat_CursorLeft(&c) / 8) return false;
  if (in.pass == 1) return true;
  // Pair i belongs to vertex i of the current mesh; pairs beyond its vertices have no slot.
  for (uint32_t i = 0; i < count; ++i) {
    const float u = plat_CursorLeFloat(&c), v = plat_CursorLeFloat(&c);
    if (static_cast<int32_t>(i) >= in.meshVertices) continue;
    const size_t slot = static_cast<size_t>(in.meshFirst) + i;
    in.coordinates[2 * slot] = u * 255.0f;
    in.coordinates[2 * slot + 1] = v * 255.0f;
  }
  return !c.overrun;
}

bool ReadFaces(Import& in, PlatByteCursor& c) {
  const uint32_t count = plat_CursorLe16(&c);
  if (c.overrun || count > plat_CursorLeft(&c) / 8) return false;
  if (in.pass == 1) {
    in.faceTotal += count;
    c.next += 8 * static_cast<size_t>(count);
    return true;
  }
  EngineObject* object = in.object;
  in.meshFirstFace = object->polygonCount;
  in.meshFaces = static_cast<int32_t>(count);
  for (uint32_t i = 0; i < count; ++i) {
    int64_t corner[3];
    for (int64_t& index : corner) index = static_cast<int64_t>(plat_CursorLe16(&c)) + in.meshFirst;
    plat_CursorLe16(&c);  // flags
    for (int64_t index : corner) {
      if (index >= in.vertexTotal) return false;  // a corner outside the file's vertices
    }
    const auto a = static_cast<int32_t>(corner[0]), b = static_cast<int32_t>(corner[1]),
               d = static_cast<int32_t>(corner[2]);
    const float* uv = in.coordinates.data();
    // The winding is turned round: corners c, b, a.
    if (wre_ObjectAddPoly(object, 0, 0, kPolyTexturedSmooth, d, b, a, &uv[2 * d], &uv[2 * b], &uv[2 * a], 1) != 0) {
      return false;
    }
  }
  return !c.overrun;
}

const FileMaterial* FindMaterial(const Import& in, const std::string& name) {
  for (const FileMaterial& m : in.materials) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

// Turns a polygon's three coordinates (0..1) by the material's mapping angle.
void TurnCoordinates(float* uv, float angle) {
  for (int k = 0; k < 3; ++k) {
    const float u = uv[2 * k], v = uv[2 * k + 1];
    if (angle == 180.0f) {
      uv[2 * k] = 1.0f - u;
      uv[2 * k + 1] = 1.0f - v;
    } else if (angle == 90.0f) {
      uv[2 * k] = v;
      uv[2 * k + 1] = 1.0f - u;
    } else if (angle == -90.0f) {
      uv[2 * k] = 1.0f - v;
      uv[2 * k + 1] = u;
    }
  }
}

bool ReadFaceMaterial(Import& in, PlatByteCursor& c) {
  const std::string name = Text(c);
  const uint32_t count = plat_CursorLe16(&c);
  if (c.overrun || count > plat_CursorLeft(&c) / 2) return false;
  if (in.pass == 1) return true;
  const FileMaterial* material = FindMaterial(in, name);
  const int32_t texture = material ? material->texture : 0;
  EngineObject* object = in.object;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t face = plat_CursorLe16(&c);
    // Only faces of the current mesh can be named.
    if (static_cast<int32_t>(face) >= in.meshFaces) continue;
    const int32_t polygon = in.meshFirstFace + static_cast<int32_t>(face);
    wre_ObjectSetPolyTexture(object, polygon, texture);
    if (material && object->textureCoords) TurnCoordinates(&object->textureCoords[6 * polygon], material->mappingAngle);
  }
  return !c.overrun;
}

bool ReadMeshMatrix(Import& in, PlatByteCursor& c) {
  Point4 frame[4];  // origin, then the three axes
  Point4 axes[4];
  for (Point4& v : axes) {
    const float x = plat_CursorLeFloat(&c), y = plat_CursorLeFloat(&c), z = plat_CursorLeFloat(&c);
    v = Point4{x, y, z, 0.0f};
  }
  if (c.overrun) return false;
  if (in.pass == 1) return true;
  frame[0] = axes[3];
  frame[1] = axes[0];
  frame[2] = axes[1];
  frame[3] = axes[2];
  float matrix[16], inverse[16];
  wre_MatrixFromFrame(frame, matrix);
  wre_MatrixIdentity(inverse);
  wre_MatrixInvert3x3(matrix, inverse);
  EngineObject* object = in.object;
  for (int32_t i = in.meshFirst; i < object->pointCount; ++i) {
    Point4& p = object->localPoints[i];
    const Point4 moved{p.x - frame[0].x, p.y - frame[0].y, p.z - frame[0].z, 0.0f};
    wre_MatrixTransformPoint(inverse, &moved, &p);
  }
  return true;
}

bool ReadMapFile(Import& in, PlatByteCursor& c) {
  std::string file = Text(c);
  if (c.overrun) return false;
  if (in.pass == 1 || in.materials.empty()) return true;
  FileMaterial& m = in.materials.back();
  m.textureFile = file;
  m.hasMap = true;
  int32_t index = wre_ModelTextureFindByFile(file.c_str());
  if (index < 0 && in.makeMissingTextures) {
    if (wre_ModelTextureCreateForFile(file.c_str()) < 0) return false;
    index = wre_ModelTextureFindByFile(file.c_str());
  }
  m.texture = index < 0 ? 0 : index;
  return true;
}

// A track: seven words, then the keys; only the key of frame 0 is taken.
bool ReadTrack(Import& in, PlatByteCursor& c, uint16_t id) {
  uint32_t words[k3DSTrackHeaderWords];
  for (uint32_t& w : words) w = plat_CursorLe16(&c);
  const uint32_t keys = words[k3DSTrackKeyCountWord];
  const int values = id == k3DSRotationTrack ? 4 : 3;
  bool taken = false;
  float value[4] = {};
  for (uint32_t k = 0; k < keys && !c.overrun; ++k) {
    const uint32_t frame = plat_CursorLe16(&c);
    const uint32_t spline = plat_CursorLe32(&c);
    for (int s = std::popcount(spline); s > 0; --s) plat_CursorLeFloat(&c);
    float v[4] = {};
    for (int i = 0; i < values; ++i) v[i] = plat_CursorLeFloat(&c);
    if (frame == 0 && !taken) {
      std::memcpy(value, v, sizeof(value));
      taken = true;
    }
  }
  if (c.overrun) return false;
  if (in.pass == 1 || in.nodes.empty() || !taken) return true;
  KeyNode& node = in.nodes.back();
  node.hasTrack = true;
  if (id == k3DSPositionTrack) {
    std::memcpy(node.position, value, sizeof(node.position));
  } else if (id == k3DSScaleTrack) {
    std::memcpy(node.scale, value, sizeof(node.scale));
  } else {
    node.angle = value[0];
    std::memcpy(node.axis, value + 1, sizeof(node.axis));
  }
  return true;
}

bool ReadLeaf(Import& in, uint16_t id, PlatByteCursor& c) {
  switch (id) {
    case k3DSVertices:
      return ReadVertices(in, c);
    case k3DSMapping:
      return ReadMapping(in, c);
    case k3DSFaceMaterial:
      return ReadFaceMaterial(in, c);
    case k3DSMeshMatrix:
      return ReadMeshMatrix(in, c);
    case k3DSMaterialName: {
      std::string name = Text(c);
      if (c.overrun) return false;
      if (in.pass == 2 && !in.materials.empty()) in.materials.back().name = name;
      return true;
    }
    case k3DSMapFile:
      return ReadMapFile(in, c);
    case k3DSMapAngle: {
      const float angle = plat_CursorLeFloat(&c);
      if (c.overrun) return false;
      if (in.pass == 2 && !in.materials.empty()) in.materials.back().mappingAngle = angle;
      return true;
    }
    case k3DSNodeHeader: {
      KeyNode node;
      node.name = Text(c);
      plat_CursorLe16(&c);
      plat_CursorLe16(&c);
      node.parent = plat_CursorLe16(&c);
      if (c.overrun) return false;
      if (in.pass == 2) {
        node.id = in.pendingNodeId;
        in.nodes.push_back(node);
      }
      return true;
    }
    case k3DSNodeId: {
      const uint32_t value = plat_CursorLe16(&c);
      if (c.overrun) return false;
      in.pendingNodeId = value;
      return true;
    }
    case k3DSPivot: {
      float pivot[3];
      for (float& f : pivot) f = plat_CursorLeFloat(&c);
      if (c.overrun) return false;
      if (in.pass == 2 && !in.nodes.empty()) std::memcpy(in.nodes.back().pivot, pivot, sizeof(pivot));
      return true;
    }
    case k3DSPositionTrack:
    case k3DSRotationTrack:
    case k3DSScaleTrack:
      return ReadTrack(in, c, id);
    default:
      return true;  // skipped by its length
  }
}

// Walks every chunk of the file as one flat sequence: containers pass only their header, the named
// object its name and the face list its faces, so that their sub-chunks are read next.
bool Walk(Import& in, const uint8_t* data, int32_t size) {
  size_t position = 0;
  const auto total = static_cast<size_t>(size);
  while (total - position >= k3DSChunkHeaderBytes) {
    PlatByteCursor header = plat_CursorOver(data + position, total - position);
    const auto id = static_cast<uint16_t>(plat_CursorLe16(&header));
    const uint32_t length = plat_CursorLe32(&header);
    if (length < k3DSChunkHeaderBytes) break;  // a length that cannot hold its own header ends the walk
    if (in.pass == 1 && in.keepChunkList) in.chunks.push_back(ChunkEntry{id, length, position});
    const size_t body = position + k3DSChunkHeaderBytes;
    const size_t chunkEnd = std::min<size_t>(position + length, total);
    PlatByteCursor c = plat_CursorOver(data + body, chunkEnd - body);
    switch (id) {
      case k3DSMain:
      case k3DSEditor:
      case k3DSTextureMap:
      case k3DSObjectNode:
        position = body;
        continue;
      case k3DSMesh:
        if (in.pass == 2) {
          in.meshFirst = in.object->pointCount;
          in.meshVertices = 0;
          in.meshFirstFace = in.object->polygonCount;
          in.meshFaces = 0;
        }
        position = body;
        continue;
      case k3DSMaterialEntry:
        if (in.pass == 2) in.materials.emplace_back();
        position = body;
        continue;
      case k3DSKeyframer:
        if (in.pass == 2 && in.keyframerStart < 0) in.keyframerStart = in.object->pointCount;
        position = body;
        continue;
      case k3DSNamedObject: {
        Text(c);
        if (c.overrun) return false;
        if (in.pass == 2) in.objectStart.push_back(in.object->pointCount);
        position = static_cast<size_t>(c.next - data);
        continue;
      }
      case k3DSFaces:
        if (!ReadFaces(in, c)) return false;
        position = static_cast<size_t>(c.next - data);
        continue;
      default:
        if (!ReadLeaf(in, id, c)) return false;
        break;
    }
    if (static_cast<uint64_t>(position) + length > total) break;  // the chunk runs past the data
    position += length;
  }
  return true;
}

void ApplyKeyframer(const Import& in) {
  EngineObject* object = in.object;
  if (in.keyframerStart < 0) return;
  const size_t named = std::min(in.nodes.size(), in.objectStart.size());
  for (size_t k = 0; k < named; ++k) {
    const KeyNode& node = in.nodes[k];
    const int32_t first = in.objectStart[k];
    const int32_t last = k + 1 < in.objectStart.size() ? in.objectStart[k + 1] : in.keyframerStart;
    float t[16], r[16], s[16], p[16], m[16];
    wre_MatrixMakeTranslation(node.position[0], node.position[1], node.position[2], t);
    wre_MatrixRotationAxis(node.axis[0], node.axis[1], node.axis[2], node.angle, r);
    wre_MatrixScaling(node.scale[0], node.scale[1], node.scale[2], s);
    wre_MatrixMakeTranslation(-node.pivot[0], -node.pivot[1], -node.pivot[2], p);
    wre_MatrixMultiply(t, r, m);
    wre_MatrixMultiply(m, s, m);
    wre_MatrixMultiply(m, p, m);
    for (int32_t i = first; i < last && i < object->pointCount; ++i) {
      wre_MatrixTransformPoint(m, &object->localPoints[i], &object->localPoints[i]);
    }
  }
}

}  // namespace

bool wre_ObjectIO3DSCheck(const uint8_t* data, int32_t size) {
  return data && size >= 2 && data[0] == 0x4D && data[1] == 0x4D;
}

EngineObject* wre_ObjectIO3DSImport(const uint8_t* data, int32_t size, uint8_t keepChunkList,
                                    uint8_t makeMissingTextures) {
  if (!wre_ObjectIO3DSCheck(data, size)) return nullptr;
  Import in;
  in.keepChunkList = keepChunkList != 0;
  in.makeMissingTextures = makeMissingTextures != 0;
  if (!Walk(in, data, size)) return nullptr;
  if (in.vertexTotal == 0 || in.faceTotal == 0) return nullptr;
  if (in.vertexTotal > kMaxVertices || in.faceTotal > kMaxFaces) return nullptr;
  in.object = wre_ObjectNew(kObjectMesh, static_cast<int32_t>(in.faceTotal), static_cast<int32_t>(in.vertexTotal), 0,
                            0, 0);
  if (!in.object) return nullptr;
  in.coordinates.assign(2 * static_cast<size_t>(in.vertexTotal), 0.0f);
  in.pass = 2;
  if (!Walk(in, data, size)) {
    wre_ObjectDispose(in.object);
    return nullptr;
  }
  ApplyKeyframer(in);
  EngineObject* object = in.object;
  for (int32_t i = 0; i < object->pointCount; ++i) {
    Point4& p = object->localPoints[i];
    p = Point4{-p.x, p.z, -p.y, 0.0f};
  }
  wre_ObjectRecalc(object, 0, 0, 1, 1, 1);
  return object;
}
