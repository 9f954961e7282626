#include "tools/datagen/model_writer.h"

#include <cstring>

#include "engine/data/model_3ds.h"
#include "engine/data/model_c4d.h"
#include "engine/data/model_chunk.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutBig(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void PutBig16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void PutBigFloat(Bytes& out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof(bits));
  PutBig(out, bits);
}
void PutLittle16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutLittle(Bytes& out, uint32_t v) {
  for (int shift = 0; shift <= 24; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void PutLittleFloat(Bytes& out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof(bits));
  PutLittle(out, bits);
}
void PutField(Bytes& out, const std::string& text, size_t size) {
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
  out.insert(out.end(), size - n, 0);
}
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// ---- Chunk format ----

Bytes Chunk(uint32_t id, const Bytes& body) {
  Bytes out;
  PutBig(out, id);
  PutBig(out, static_cast<uint32_t>(body.size() + kChunkHeaderBytes));
  Append(out, body);
  return out;
}

Bytes HeaderBody(const ChunkObjectDef& o) {
  Bytes b;
  const auto points = o.pointCapacity >= 0 ? o.pointCapacity : static_cast<int32_t>(o.mesh.points.size());
  const auto polygons = o.polygonCapacity >= 0 ? o.polygonCapacity : static_cast<int32_t>(o.mesh.triangles.size());
  PutBig(b, static_cast<uint32_t>(o.kind));
  PutBig(b, o.creationFlags);
  PutBig(b, o.renderFlags);
  PutBig(b, 0);
  PutBig(b, static_cast<uint32_t>(o.collidable));
  PutBig(b, 0);
  PutBig(b, 0);
  PutBig(b, static_cast<uint32_t>(points));
  PutBig(b, static_cast<uint32_t>(polygons));
  PutBig(b, o.modeFlags);
  PutBigFloat(b, o.modeValue);
  PutBig(b, o.collisionGroup);
  b.insert(b.end(), 16, 0);
  for (float f : o.position) PutBigFloat(b, f);
  for (int32_t a : o.angles) PutBig(b, static_cast<uint32_t>(a));
  return b;
}

Bytes UserDataBody(const ChunkUserDataDef& u) {
  Bytes b;
  PutBig(b, static_cast<uint32_t>(u.kind));
  PutBig(b, 0);
  PutBig(b, static_cast<uint32_t>(u.value));
  if (u.kind == 1994) {
    for (const std::string* block : {&u.blockA, &u.blockB}) {
      PutBig(b, static_cast<uint32_t>(block->size()));
      b.insert(b.end(), block->begin(), block->end());
    }
    PutField(b, u.textA, kChunkNameBytes);
    PutField(b, u.textB, kChunkNameBytes);
    PutBig(b, static_cast<uint32_t>(u.numberA));
    PutBig(b, static_cast<uint32_t>(u.numberB));
  }
  return b;
}

// ---- C4D ----

Bytes C4DChunk(uint32_t id, const Bytes& body) {
  Bytes out;
  PutBig(out, id & kC4DIdMask);
  PutBig(out, static_cast<uint32_t>(body.size()));
  Append(out, body);
  return out;
}
Bytes C4DEndChunk() { return C4DChunk(kC4DEnd, {}); }
void PutLongString(Bytes& out, const std::string& text) {
  PutBig16(out, static_cast<uint32_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}
void PutVector(Bytes& out, const std::array<float, 3>& v) {
  for (float f : v) PutBigFloat(out, f);
}

Bytes C4DMaterial(const C4DMaterialDef& m) {
  Bytes body;
  Bytes name;
  PutLongString(name, m.name);
  uint8_t channels[kC4DChannelCount] = {};
  channels[kC4DChannelColour] = m.colourChannel ? 1 : 0;
  channels[kC4DChannelTransparency] = m.transparencyChannel ? 1 : 0;
  channels[kC4DChannelSecondColour] = m.secondColourChannel ? 1 : 0;
  name.insert(name.end(), channels, channels + kC4DChannelCount);
  Append(body, C4DChunk(kC4DMaterialName, name));
  if (m.colourChannel) {
    Bytes c;
    PutVector(c, m.colour);
    PutBigFloat(c, m.brightness);
    PutLongString(c, m.texture);
    Append(body, C4DChunk(kC4DColourChannel, c));
  }
  if (m.transparencyChannel) {
    Bytes c;
    PutVector(c, {0, 0, 0});
    PutBigFloat(c, m.transparency);
    Append(body, C4DChunk(kC4DTransparencyChannel, c));
  }
  if (m.secondColourChannel) {
    Bytes c;
    PutVector(c, m.secondColour);
    PutBigFloat(c, m.secondBrightness);
    Append(body, C4DChunk(kC4DSecondColourChannel, c));
  }
  Append(body, C4DEndChunk());
  return C4DChunk(kC4DMaterial, body);
}

Bytes C4DNode(const C4DNodeDef& n) {
  Bytes out;
  for (const auto& [id, body] : n.chunksBefore) Append(out, C4DChunk(id, body));
  Bytes node;
  PutBig(node, n.level);
  PutBig(node, 0);
  for (const auto& v : n.frame) PutVector(node, v);
  PutVector(node, n.position);
  PutVector(node, n.scale);
  PutVector(node, n.rotation);
  PutLongString(node, n.name);
  Append(out, C4DChunk(kC4DNode, node));
  if (n.visibility >= 0) {
    Bytes s(kC4DSettingsVisibility + 1, 0);
    s[kC4DSettingsVisibility] = static_cast<uint8_t>(n.visibility);
    Append(out, C4DChunk(kC4DSettings, s));
  }
  if (n.material != 0) {
    Bytes tag(kC4DTagMinBytes, 0);
    Bytes scales;
    PutBigFloat(scales, n.tagScales[0]);
    PutBigFloat(scales, n.tagScales[1]);
    std::memcpy(&tag[kC4DTagScaleA], scales.data(), 8);
    tag[kC4DTagScaling] = n.tagScaling ? 1 : 0;
    Bytes number;
    PutBig(number, n.material);
    std::memcpy(&tag[kC4DTagMaterial], number.data(), 4);
    Append(out, C4DChunk(kC4DTextureTag, tag));
  }
  const auto count = static_cast<uint32_t>(n.mesh.points.size());
  if (count > 0) {
    Bytes p;
    PutBig(p, count);
    PutBig(p, 0);
    for (const auto& v : n.mesh.points) PutVector(p, v);
    Append(out, C4DChunk(kC4DPoints, p));
    if (n.writeUvs) {
      Bytes uv;
      PutBig(uv, count);
      PutBig(uv, 0);
      uv.push_back(0);
      uv.push_back(0);
      for (const auto& t : n.mesh.uvs) {
        PutBigFloat(uv, t[0]);
        PutBigFloat(uv, 1.0f - t[1]);  // the file measures v from the image's top
      }
      Append(out, C4DChunk(kC4DCoordinates, uv));
    }
  }
  if (!n.mesh.triangles.empty()) {
    Bytes t;
    PutBig(t, static_cast<uint32_t>(n.mesh.triangles.size()));
    PutBig(t, 0);
    for (const auto& tri : n.mesh.triangles) {
      for (int32_t i : tri) {
        if (n.wideIndices) {
          PutBig(t, static_cast<uint32_t>(i));
        } else {
          PutBig16(t, static_cast<uint32_t>(i));
        }
      }
    }
    Append(out, C4DChunk(n.wideIndices ? kC4DTriangles32 : kC4DTriangles, t));
  }
  if (n.hasUserData) {
    Bytes u;
    PutBig(u, 0);
    PutBig(u, 0);
    PutLongString(u, n.userA);
    PutLongString(u, n.userB);
    Append(out, C4DChunk(kC4DUserData, u));
  }
  return out;
}

// ---- 3DS ----

Bytes TdsChunk(uint16_t id, const Bytes& body) {
  Bytes out;
  PutLittle16(out, id);
  PutLittle(out, static_cast<uint32_t>(body.size() + k3DSChunkHeaderBytes));
  Append(out, body);
  return out;
}
void PutText(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}
Bytes TdsTrack(const std::vector<float>& value) {
  Bytes b;
  for (int i = 0; i < k3DSTrackHeaderWords; ++i) PutLittle16(b, i == k3DSTrackKeyCountWord ? 1 : 0);
  PutLittle16(b, 0);  // frame 0
  PutLittle(b, 0);    // no spline values
  for (float f : value) PutLittleFloat(b, f);
  return b;
}

}  // namespace

std::vector<uint8_t> ChunkWriteObject(const ChunkObjectDef& o) {
  Bytes body;
  Append(body, Chunk(kChunkHeader, HeaderBody(o)));
  Bytes points;
  PutBig(points, static_cast<uint32_t>(o.mesh.points.size()));
  for (const auto& p : o.mesh.points) {
    for (float f : p) PutBigFloat(points, f);
    PutBigFloat(points, 0.0f);
  }
  Append(body, Chunk(kChunkPoints, points));
  if (o.writeWorldPoints) {
    Bytes world;
    PutBig(world, static_cast<uint32_t>(o.mesh.points.size()));
    for (const auto& p : o.mesh.points) {
      for (int i = 0; i < 3; ++i) PutBigFloat(world, p[static_cast<size_t>(i)] + o.position[static_cast<size_t>(i)]);
      PutBigFloat(world, 0.0f);
    }
    Append(body, Chunk(kChunkWorldPoints, world));
  }
  Bytes polygons;
  Bytes coordinates;
  const auto triangles = o.mesh.triangles.size();
  PutBig(polygons, static_cast<uint32_t>(triangles));
  PutBig(coordinates, static_cast<uint32_t>(3 * triangles));
  for (size_t i = 0; i < triangles; ++i) {
    const auto& t = o.mesh.triangles[i];
    const int32_t texture = i < o.triangleTexture.size() ? o.triangleTexture[i] : (o.textures.empty() ? -1 : 0);
    const int32_t material = i < o.triangleMaterial.size() ? o.triangleMaterial[i] : 0;
    PutBig(polygons, static_cast<uint32_t>(o.polygonKind));
    PutBig(polygons, 0);
    for (int32_t index : t) PutBig(polygons, static_cast<uint32_t>(index));
    PutBig(polygons, static_cast<uint32_t>(material));
    PutBig(polygons, static_cast<uint32_t>(texture));
    for (int32_t index : t) {
      const auto& uv = o.mesh.uvs[static_cast<size_t>(index)];
      PutBigFloat(coordinates, uv[0] * 255.0f);
      PutBigFloat(coordinates, uv[1] * 255.0f);
    }
  }
  Append(body, Chunk(kChunkPolygons, polygons));
  if (!o.mesh.uvs.empty()) Append(body, Chunk(kChunkCoordinates, coordinates));
  if (!o.textures.empty()) {
    Bytes t;
    PutBig(t, static_cast<uint32_t>(o.textures.size()));
    for (const auto& texture : o.textures) {
      PutBig(t, static_cast<uint32_t>(texture.fileNumber));
      PutField(t, texture.file, kChunkNameBytes);
    }
    Append(body, Chunk(kChunkTextures, t));
  }
  if (!o.materials.empty()) {
    Bytes m;
    PutBig(m, static_cast<uint32_t>(o.materials.size()));
    for (const auto& material : o.materials) {
      PutBig(m, static_cast<uint32_t>(material.fileNumber));
      PutField(m, material.name, kChunkNameBytes);
      PutField(m, material.ident, kChunkIdentBytes);
      PutBigFloat(m, material.ambient);
      PutBig(m, 0);
      for (float f : material.colourA) PutBigFloat(m, f);
      for (float f : material.colourB) PutBigFloat(m, f);
    }
    Append(body, Chunk(kChunkMaterials, m));
  }
  if (!o.planes.empty()) {
    Bytes p;
    PutBig(p, static_cast<uint32_t>(o.planes.size()));
    for (const auto& plane : o.planes) {
      for (float f : plane) PutBigFloat(p, f);
    }
    Append(body, Chunk(kChunkPlanes, p));
  }
  if (o.radius >= 0.0f) {
    Bytes r;
    PutBigFloat(r, o.radius);
    Append(body, Chunk(kChunkRadius, r));
  }
  for (const auto& u : o.userData) Append(body, Chunk(kChunkUserData, UserDataBody(u)));
  Append(body, Chunk(o.endId, {}));
  return Chunk(kChunkObject, body);
}

std::vector<uint8_t> ChunkWriteFile(const std::vector<ChunkObjectDef>& objects, size_t padding) {
  Bytes out;
  for (const auto& o : objects) Append(out, ChunkWriteObject(o));
  out.insert(out.end(), padding, 0);
  return out;
}

std::vector<uint8_t> C4DWriteScene(const C4DSceneDef& scene) {
  Bytes out = {'M', 'C', '5', '0', 0, 0, 0, 0, 'D', 'O', 'K', '5'};
  PutBig(out, scene.version);
  Bytes materials;
  for (const auto& m : scene.materials) Append(materials, C4DMaterial(m));
  Bytes list;
  for (const auto& n : scene.nodes) Append(list, C4DNode(n));
  for (const auto& [id, body] : scene.trailingListChunks) Append(list, C4DChunk(id, body));
  Append(list, C4DEndChunk());
  if (!scene.materialsAfterObjects) Append(out, materials);
  Append(out, C4DChunk(kC4DObjectList, list));
  if (scene.materialsAfterObjects) Append(out, materials);
  Append(out, C4DEndChunk());
  return out;
}

std::vector<uint8_t> TdsWriteScene(const TdsSceneDef& scene) {
  Bytes editor;
  for (const auto& m : scene.materials) {
    Bytes entry;
    Bytes name;
    PutText(name, m.name);
    Append(entry, TdsChunk(k3DSMaterialName, name));
    if (!m.texture.empty() || m.writeAngle) {
      Bytes map;
      if (!m.texture.empty()) {
        Bytes file;
        PutText(file, m.texture);
        Append(map, TdsChunk(k3DSMapFile, file));
      }
      if (m.writeAngle) {
        Bytes angle;
        PutLittleFloat(angle, m.mappingAngle);
        Append(map, TdsChunk(k3DSMapAngle, angle));
      }
      Append(entry, TdsChunk(k3DSTextureMap, map));
    }
    Append(editor, TdsChunk(k3DSMaterialEntry, entry));
  }
  for (const auto& o : scene.objects) {
    Bytes mesh;
    Bytes vertices;
    PutLittle16(vertices, static_cast<uint32_t>(o.mesh.points.size()));
    for (const auto& p : o.mesh.points) {
      // The reader turns (x, y, z) into (-x, z, -y).
      PutLittleFloat(vertices, -p[0]);
      PutLittleFloat(vertices, -p[2]);
      PutLittleFloat(vertices, p[1]);
    }
    Append(mesh, TdsChunk(k3DSVertices, vertices));
    if (o.writeUvs && !o.mesh.uvs.empty()) {
      Bytes mapping;
      PutLittle16(mapping, static_cast<uint32_t>(o.mesh.uvs.size()));
      for (const auto& uv : o.mesh.uvs) {
        PutLittleFloat(mapping, uv[0]);
        PutLittleFloat(mapping, uv[1]);
      }
      Append(mesh, TdsChunk(k3DSMapping, mapping));
    }
    Bytes faces;
    PutLittle16(faces, static_cast<uint32_t>(o.mesh.triangles.size()));
    for (const auto& t : o.mesh.triangles) {
      // The reader turns the winding round.
      PutLittle16(faces, static_cast<uint32_t>(t[2]));
      PutLittle16(faces, static_cast<uint32_t>(t[1]));
      PutLittle16(faces, static_cast<uint32_t>(t[0]));
      PutLittle16(faces, 0);
    }
    if (!o.material.empty()) {
      Bytes group;
      PutText(group, o.material);
      PutLittle16(group, static_cast<uint32_t>(o.mesh.triangles.size()));
      for (size_t i = 0; i < o.mesh.triangles.size(); ++i) PutLittle16(group, static_cast<uint32_t>(i));
      Append(faces, TdsChunk(k3DSFaceMaterial, group));
    }
    Append(mesh, TdsChunk(k3DSFaces, faces));
    Bytes named;
    PutText(named, o.name);
    Append(named, TdsChunk(k3DSMesh, mesh));
    Append(editor, TdsChunk(k3DSNamedObject, named));
  }
  Bytes main;
  Bytes version;
  PutLittle(version, 3);
  Append(main, TdsChunk(k3DSVersion, version));
  Append(main, TdsChunk(k3DSEditor, editor));
  if (scene.keyframer) {
    Bytes keyframer;
    Bytes segment;
    PutLittle(segment, 0);
    PutLittle(segment, 100);
    Append(keyframer, TdsChunk(k3DSSegment, segment));
    uint32_t id = 0;
    for (const auto& o : scene.objects) {
      Bytes node;
      Bytes nodeId;
      PutLittle16(nodeId, id++);
      Append(node, TdsChunk(k3DSNodeId, nodeId));
      Bytes header;
      PutText(header, o.name);
      PutLittle16(header, 0);
      PutLittle16(header, 0);
      PutLittle16(header, 0xFFFF);
      Append(node, TdsChunk(k3DSNodeHeader, header));
      Bytes pivot;
      for (float f : o.pivot) PutLittleFloat(pivot, f);
      Append(node, TdsChunk(k3DSPivot, pivot));
      Append(node, TdsChunk(k3DSPositionTrack, TdsTrack({o.position[0], o.position[1], o.position[2]})));
      Append(node, TdsChunk(k3DSRotationTrack,
                            TdsTrack({o.rotation[0], o.rotation[1], o.rotation[2], o.rotation[3]})));
      Append(node, TdsChunk(k3DSScaleTrack, TdsTrack({o.scale[0], o.scale[1], o.scale[2]})));
      Append(keyframer, TdsChunk(k3DSObjectNode, node));
    }
    Append(main, TdsChunk(k3DSKeyframer, keyframer));
  }
  return TdsChunk(k3DSMain, main);
}
