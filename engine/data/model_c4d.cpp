#include "engine/data/model_c4d.h"

#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/fatal.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/userdata.h"
#include "engine/data/material.h"
#include "engine/data/model_internal.h"
#include "engine/data/model_textures.h"
#include "platform/plat_bytes.h"

namespace {

void Vector(PlatByteCursor& c, float out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = plat_CursorBeFloat(&c);
}

// A 16-bit length, then that many characters.
std::string LongString(PlatByteCursor& c) {
  const uint32_t length = plat_CursorBe16(&c);
  const uint8_t* characters = plat_CursorTake(&c, length);
  if (!characters) return {};
  std::string text;
  try {
    text.assign(reinterpret_cast<const char*>(characters), length);
  } catch (const std::bad_alloc&) {
    wre_SystemFatalError("Error at allocate long string (out of memory?) - C4D import");
  }
  return text;
}

struct FileMaterial {
  std::string name;
  std::string textureFile;
  bool channel[kC4DChannelCount] = {};
  float colour[3] = {1.0f, 1.0f, 1.0f};
  float brightness = 1.0f;
  float transparency = 0.0f;
  float secondColour[3] = {0.0f, 0.0f, 0.0f};
  float secondBrightness = 1.0f;
  bool colourRead = false;
  int32_t texture = -1;
  int32_t material = 0;
};

struct Triangle {
  int32_t point[3];
  int32_t texture;
  int32_t material;
};

struct Node {
  uint32_t level = 0;
  int32_t parent = -1;
  std::vector<int32_t> children;
  Point4 frame[4] = {};
  float position[3] = {};
  float scale[3] = {};
  float rotation[3] = {};  // the file's (-y, -x, -z)
  std::string name;
  uint8_t visibility = 1;
  int32_t pointCount = 0;
  int32_t triangleCount = 0;
  int32_t coordinateCount = 0;
  std::vector<Point4> points;
  std::vector<Triangle> triangles;
  std::vector<float> coordinates;  // one (u, v) pair a point, 0..255 scale
  bool pointsFilled = false;
  bool trianglesFilled = false;
  bool coordinatesFilled = false;
  bool hasUserData = false;
  std::string userA;
  std::string userB;
};

struct Import {
  uint32_t flags = 0;
  int pass = 1;
  std::vector<FileMaterial> materials;
  std::vector<Node> nodes;
  std::vector<int32_t> top;  // top-level nodes in file order
  int32_t nodeCursor = 0;    // pass 2: the next node of the file
  int32_t current = -1;      // the node the data chunks belong to
  int32_t texture = 0;       // the current material's references
  int32_t material = 0;
  float scaleU = 1.0f;
  float scaleV = 1.0f;
  bool scaling = false;
};

bool EndsObjectList(uint32_t id) {
  return (id >= 5101 && id <= 5119) || (id >= 5121 && id <= 5124) || id == 5126;
}

float Clamped(float value) {
  float v = value * gColourMax;
  if (!(v >= 0.0f)) v = 0.0f;
  if (v > gColourMaxAlpha) v = gColourMaxAlpha;
  return v;
}

void FinishMaterial(Import& in, FileMaterial& m) {
  float colour[3];
  if (m.brightness == 0.0f) {
    colour[0] = colour[1] = colour[2] = 1.0f;
  } else {
    const float largest = std::fmax(m.colour[0], std::fmax(m.colour[1], m.colour[2]));
    for (int i = 0; i < 3; ++i) colour[i] = m.brightness * (m.colour[i] + 1.0f - largest);
  }
  const float opacity = 1.0f - m.transparency;
  float second[3];
  for (int i = 0; i < 3; ++i) second[i] = m.secondColour[i] * m.secondBrightness;
  if (!m.textureFile.empty()) {
    const int32_t found = wre_ModelTextureFindByFile(m.textureFile.c_str());
    m.texture = found < 0 ? 0 : found;
  } else {
    m.texture = -1;
  }
  if (in.flags & kC4DMaterialZero) {
    m.material = 0;
    return;
  }
  int32_t handle = -1;
  if (!(in.flags & kC4DAlwaysNewMaterial)) {
    handle = wre_MaterialFind(Clamped(colour[0]), Clamped(colour[1]), Clamped(colour[2]), Clamped(opacity), 1.0f,
                              Clamped(second[0]), Clamped(second[1]), Clamped(second[2]), Clamped(1.0f));
  }
  if (handle < 0) {
    handle = wre_MaterialCreate(colour[0], colour[1], colour[2], opacity, second[0], second[1], second[2], 1.0f,
                                m.name.c_str());
  }
  m.material = handle < 0 ? 0 : handle;
}

// Takes the next chunk of a list: its id and a cursor over its body. False at the end of the list
// (fewer bytes left than a chunk header) and when the body runs past the list, which marks the list.
bool NextChunk(PlatByteCursor& list, uint32_t* id, PlatByteCursor* body) {
  if (list.overrun || plat_CursorLeft(&list) < kC4DChunkHeaderBytes) return false;
  *id = plat_CursorBe32(&list) & kC4DIdMask;
  const uint32_t length = plat_CursorBe32(&list);
  *body = plat_CursorSplit(&list, length);
  return !list.overrun;
}

bool ReadMaterial(Import& in, PlatByteCursor body) {
  FileMaterial m;
  uint32_t id = 0;
  PlatByteCursor c{};
  while (NextChunk(body, &id, &c)) {
    if (id == kC4DEnd) break;
    switch (id) {
      case kC4DMaterialName:
        m.name = LongString(c);
        for (bool& on : m.channel) on = plat_CursorU8(&c) != 0;
        break;
      case kC4DColourChannel:
        if (!m.channel[kC4DChannelColour]) break;
        Vector(c, m.colour);
        m.brightness = plat_CursorBeFloat(&c);
        m.textureFile = LongString(c);
        m.colourRead = true;
        break;
      case kC4DTransparencyChannel: {
        if (!m.channel[kC4DChannelTransparency]) break;
        float unused[3];
        Vector(c, unused);
        m.transparency = plat_CursorBeFloat(&c);
        break;
      }
      case kC4DSecondColourChannel:
        if (!m.channel[kC4DChannelSecondColour]) break;
        Vector(c, m.secondColour);
        m.secondBrightness = plat_CursorBeFloat(&c);
        break;
      default:
        break;
    }
    if (c.overrun) return false;
  }
  if (body.overrun) return false;
  FinishMaterial(in, m);
  in.materials.push_back(std::move(m));
  return true;
}

// Places a new node by its level relative to the node read last.
bool PlaceNode(Import& in, int32_t index) {
  Node& node = in.nodes[static_cast<size_t>(index)];
  if (index == 0 && node.level != 0) return false;
  if (node.level == 0) {
    in.top.push_back(index);
    return true;
  }
  const int32_t last = index - 1;
  const Node& previous = in.nodes[static_cast<size_t>(last)];
  int32_t parent;
  if (node.level > previous.level) {
    parent = last;
  } else {
    int32_t ancestor = last;
    while (ancestor >= 0 && in.nodes[static_cast<size_t>(ancestor)].level != node.level) {
      ancestor = in.nodes[static_cast<size_t>(ancestor)].parent;
    }
    if (ancestor < 0) return false;
    parent = in.nodes[static_cast<size_t>(ancestor)].parent;
    if (parent < 0) return false;  // only level 0 stands at the top
  }
  node.parent = parent;
  in.nodes[static_cast<size_t>(parent)].children.push_back(index);
  return true;
}

bool ReadNode(Import& in, PlatByteCursor& c) {
  if (in.pass == 2) {
    if (in.nodeCursor >= static_cast<int32_t>(in.nodes.size())) return false;
    in.current = in.nodeCursor++;
    return true;
  }
  Node node;
  node.level = plat_CursorBe32(&c);
  plat_CursorBe32(&c);
  for (Point4& v : node.frame) {
    float f[3];
    Vector(c, f);
    v = Point4{f[0], f[1], f[2], 0.0f};
  }
  Vector(c, node.position);
  Vector(c, node.scale);
  float rotation[3];
  Vector(c, rotation);
  node.rotation[0] = -rotation[1];
  node.rotation[1] = -rotation[0];
  node.rotation[2] = -rotation[2];
  node.name = LongString(c);
  if (c.overrun) return false;
  in.nodes.push_back(std::move(node));
  const auto index = static_cast<int32_t>(in.nodes.size() - 1);
  in.current = index;
  return PlaceNode(in, index);
}

// The count at the head of a data chunk, checked against the bytes that follow it.
bool CountOf(PlatByteCursor& c, size_t extra, size_t entryBytes, uint32_t* count) {
  *count = plat_CursorBe32(&c);
  plat_CursorBe32(&c);
  plat_CursorSkip(&c, extra);
  if (c.overrun) return false;
  return *count <= plat_CursorLeft(&c) / entryBytes;
}

bool ReadPoints(Import& in, Node& node, PlatByteCursor& c) {
  uint32_t count;
  if (!CountOf(c, 0, 12, &count)) return false;
  if (in.pass == 1) {
    node.pointCount += static_cast<int32_t>(count);
    return node.pointCount <= kC4DMaxPoints;
  }
  if (node.pointsFilled || static_cast<int32_t>(count) != node.pointCount) return false;
  for (uint32_t i = 0; i < count; ++i) {
    float f[3];
    Vector(c, f);
    node.points[i] = Point4{f[0], f[1], f[2], 0.0f};
  }
  node.pointsFilled = true;
  return !c.overrun;
}

bool ReadTriangles(Import& in, Node& node, PlatByteCursor& c, bool wide) {
  uint32_t count;
  if (!CountOf(c, 0, wide ? 12 : 6, &count)) return false;
  if (in.pass == 1) {
    node.triangleCount += static_cast<int32_t>(count);
    return node.triangleCount <= kC4DMaxTriangles;
  }
  if (node.trianglesFilled || static_cast<int32_t>(count) != node.triangleCount) return false;
  for (uint32_t i = 0; i < count; ++i) {
    Triangle t{};
    for (int32_t& p : t.point) {
      const uint32_t index = wide ? plat_CursorBe32(&c) : plat_CursorBe16(&c);
      if (index >= static_cast<uint32_t>(node.pointCount)) return false;
      p = static_cast<int32_t>(index);
    }
    t.texture = in.texture;
    t.material = in.material;
    node.triangles.push_back(t);
  }
  node.trianglesFilled = true;
  return !c.overrun;
}

bool ReadCoordinates(Import& in, Node& node, PlatByteCursor& c) {
  uint32_t count;
  if (!CountOf(c, 2, 8, &count)) return false;
  if (in.pass == 1) {
    node.coordinateCount += static_cast<int32_t>(count);
    return node.coordinateCount <= kC4DMaxPoints;
  }
  // One pair a point: the pairs are looked up by the triangles' point indices.
  if (node.coordinatesFilled || static_cast<int32_t>(count) != node.coordinateCount ||
      node.coordinateCount != node.pointCount) {
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    float u = plat_CursorBeFloat(&c) * 255.0f;
    float v = 255.0f - plat_CursorBeFloat(&c) * 255.0f;
    if (in.scaling) {
      u *= in.scaleU;
      v *= in.scaleV;
    }
    node.coordinates[2 * i] = u;
    node.coordinates[2 * i + 1] = v;
  }
  node.coordinatesFilled = true;
  return !c.overrun;
}

bool ReadTextureTag(Import& in, PlatByteCursor& c) {
  if (plat_CursorLeft(&c) < kC4DTagMinBytes) return false;
  float a = plat_BeFloat(c.next + kC4DTagScaleA);
  float b = plat_BeFloat(c.next + kC4DTagScaleB);
  const uint8_t scaling = c.next[kC4DTagScaling];
  const uint32_t material = plat_Be32(c.next + kC4DTagMaterial);
  // A zero (or unreadable) scale would divide by zero: it counts as 1.
  if (!(a != 0.0f) || !std::isfinite(a)) a = 1.0f;
  if (!(b != 0.0f) || !std::isfinite(b)) b = 1.0f;
  in.scaleU = 1.0f / a;
  in.scaleV = 1.0f / b;
  in.scaling = scaling != 0;
  if (material >= 1 && material <= in.materials.size()) {
    const FileMaterial& m = in.materials[material - 1];
    in.texture = m.texture;
    in.material = m.material;
  } else {
    in.texture = 0;
    in.material = 0;
  }
  return true;
}

bool ReadObjectList(Import& in, PlatByteCursor list) {
  in.current = -1;
  uint32_t id = 0;
  PlatByteCursor c{};
  while (NextChunk(list, &id, &c)) {
    if (id == kC4DEnd || EndsObjectList(id)) break;
    if (id == kC4DNode) {
      if (!ReadNode(in, c)) return false;
      continue;
    }
    if (in.current < 0) continue;  // data before any node belongs to nothing
    Node& node = in.nodes[static_cast<size_t>(in.current)];
    bool ok = true;
    switch (id) {
      case kC4DPoints:
        ok = ReadPoints(in, node, c);
        break;
      case kC4DTriangles:
      case kC4DTriangles32:
        ok = ReadTriangles(in, node, c, id == kC4DTriangles32);
        break;
      case kC4DCoordinates:
        ok = ReadCoordinates(in, node, c);
        break;
      case kC4DSettings:
        if (in.pass == 1 && plat_CursorLeft(&c) > kC4DSettingsVisibility) node.visibility = c.next[kC4DSettingsVisibility];
        break;
      case kC4DTextureTag:
        if (in.pass == 2) ok = ReadTextureTag(in, c);
        break;
      case kC4DUserData:
      case kC4DUserDataAlt:
        if (in.pass == 2) {
          plat_CursorBe32(&c);
          plat_CursorBe32(&c);
          node.userA = LongString(c);
          node.userB = LongString(c);
          node.hasUserData = true;
          ok = !c.overrun;
        }
        break;
      default:
        break;
    }
    if (!ok) return false;
  }
  return !list.overrun;
}

bool ReadFile(Import& in, const uint8_t* data, int32_t size) {
  PlatByteCursor top = plat_CursorOver(data + kC4DFileHeaderBytes, static_cast<size_t>(size - kC4DFileHeaderBytes));
  uint32_t id = 0;
  PlatByteCursor body{};
  while (NextChunk(top, &id, &body)) {
    if (id == kC4DEnd) break;
    if (id == kC4DMaterial && in.pass == 1) {
      if (!ReadMaterial(in, body)) return false;
    } else if (id == kC4DObjectList) {
      if (!ReadObjectList(in, body)) return false;
    }
  }
  return !top.overrun;
}

// Radians (as stored) to 4096ths of a turn, truncated toward zero; huge values keep their
// remainder of a turn.
int32_t AngleOf(float radians) {
  double v = static_cast<double>(radians) * static_cast<double>(kC4DAngleScale);
  if (!std::isfinite(v)) return 0;
  if (std::fabs(v) > 1.0e9) v = std::fmod(v, 4096.0);
  return static_cast<int32_t>(v);
}

bool AddTriangles(EngineObject* object, const Node& node, const std::vector<Point4>& points) {
  const bool hasCoordinates = node.coordinateCount > 0;
  for (const Triangle& t : node.triangles) {
    const float* p[3];
    const float* uv[3] = {nullptr, nullptr, nullptr};
    for (int k = 0; k < 3; ++k) {
      p[k] = &points[static_cast<size_t>(t.point[k])].x;
      if (hasCoordinates) uv[k] = &node.coordinates[2 * static_cast<size_t>(t.point[k])];
    }
    const bool textured = t.texture != -1 && hasCoordinates;
    const int32_t result =
        textured ? wre_ObjectAddTriangle(object, t.material, t.texture, kPolyTexturedSmooth, p[0], p[1], p[2], uv[0],
                                         uv[1], uv[2])
                 : wre_ObjectAddTriangle(object, t.material, t.texture, kPolyPlainSmooth, p[0], p[1], p[2], nullptr,
                                         nullptr, nullptr);
    if (result == kWreErrNull) return false;
  }
  return true;
}

EngineObject* NodeObject(const Node& node) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, node.triangleCount, node.pointCount, 0, 0, 0);
  if (!object) return nullptr;
  if (!AddTriangles(object, node, node.points)) {
    wre_ObjectDispose(object);
    return nullptr;
  }
  wre_ObjectSetBackfaceCull(object, node.visibility);
  const int32_t ax = AngleOf(node.rotation[0]), ay = AngleOf(node.rotation[1]), az = AngleOf(node.rotation[2]);
  wre_PointsRotate(ax, ay, az, object->pointCount, object->localPoints, object->localPoints);
  for (int32_t i = 0; i < object->pointCount; ++i) {
    Point4& p = object->localPoints[i];
    p.x = p.x * node.scale[0] + node.position[0];
    p.y = p.y * node.scale[1] + node.position[1];
    p.z = p.z * node.scale[2] + node.position[2];
  }
  wre_ObjectSetTransform(object, 0, 0, 0, 0.0f, 0.0f, 0.0f);
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  return object;
}

// Depth first: the node, its children, then its next sibling.
void PreOrder(const Import& in, int32_t index, std::vector<int32_t>& out) {
  out.push_back(index);
  for (int32_t child : in.nodes[static_cast<size_t>(index)].children) PreOrder(in, child, out);
}
// Children before the node itself.
void PostOrder(const Import& in, int32_t index, std::vector<int32_t>& out) {
  for (int32_t child : in.nodes[static_cast<size_t>(index)].children) PostOrder(in, child, out);
  out.push_back(index);
}

bool AttachNodeUserData(EngineObject* object, const Node& node) {
  if (!node.hasUserData || node.userA.empty() || node.userB.empty()) return true;
  UserData* record = wre_UserDataNew(kUserDataText);
  if (!record) return false;
  auto* body = static_cast<UserDataBody*>(record->body);
  const std::string* texts[2] = {&node.userA, &node.userB};
  ByteBuffer** blocks[2] = {&body->dataA, &body->dataB};
  char* fields[2] = {body->textA, body->textB};
  for (int k = 0; k < 2; ++k) {
    const std::string& text = *texts[k];
    *blocks[k] = wre_BufferNew(static_cast<int32_t>(text.size()));
    if (!*blocks[k]) {
      wre_UserDataDispose(record, 1);
      return false;
    }
    std::memcpy((*blocks[k])->data, text.data(), text.size());
    const size_t n = text.size() < 255 ? text.size() : 255;
    std::memcpy(fields[k], text.data(), n);
    fields[k][n] = '\0';
  }
  if (ModelAttachUserData(object, record) != 0) {
    wre_UserDataDispose(record, 1);
    return false;
  }
  return true;
}

// One object from the nodes taken in (each listed after its children); the transform comes from
// the top node.
EngineObject* MergedObject(const Import& in, const std::vector<int32_t>& taken, const Node& topNode, bool* failed) {
  int64_t points = 0, triangles = 0;
  for (int32_t index : taken) {
    points += in.nodes[static_cast<size_t>(index)].pointCount;
    triangles += in.nodes[static_cast<size_t>(index)].triangleCount;
  }
  if (points == 0 || triangles == 0) return nullptr;
  if (points > kC4DMaxPoints || triangles > kC4DMaxTriangles) {
    *failed = true;
    return nullptr;
  }
  EngineObject* object =
      wre_ObjectNew(kObjectMesh, static_cast<int32_t>(triangles), static_cast<int32_t>(points), 0, 0, 0);
  if (!object) {
    *failed = true;
    return nullptr;
  }
  std::vector<Point4> moved;
  for (int32_t index : taken) {
    const Node& node = in.nodes[static_cast<size_t>(index)];
    moved = node.points;
    for (int32_t at = index; at >= 0; at = in.nodes[static_cast<size_t>(at)].parent) {
      float matrix[16];
      wre_MatrixFromFrame(in.nodes[static_cast<size_t>(at)].frame, matrix);
      for (Point4& p : moved) wre_MatrixTransformPoint(matrix, &p, &p);
    }
    if (!AddTriangles(object, node, moved) || !AttachNodeUserData(object, node)) {
      wre_ObjectDispose(object);
      *failed = true;
      return nullptr;
    }
  }
  wre_ObjectSetBackfaceCull(object, topNode.visibility);
  const int32_t ax = AngleOf(topNode.rotation[0]), ay = AngleOf(topNode.rotation[1]),
                az = AngleOf(topNode.rotation[2]);
  const float* position = topNode.position;
  wre_ObjectSetTransform(object, ax, ay, az, position[0], position[1], position[2]);
  for (int32_t i = 0; i < object->pointCount; ++i) {
    Point4& p = object->localPoints[i];
    p.x -= position[0];
    p.y -= position[1];
    p.z -= position[2];
  }
  if (in.flags & kC4DKeepWorldOrientation) {
    wre_ObjectSetTransform(object, 0, 0, 0, position[0], position[1], position[2]);
  } else {
    // Undo the object's turn, so that the transform puts the points back where the file has them.
    wre_PointsRotateInverse(-ax, -ay, -az, object->pointCount, object->localPoints, object->localPoints);
  }
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  return object;
}

void DisposeChain(EngineObject* head) {
  while (head) {
    EngineObject* next = head->next;
    head->prev = head->next = nullptr;
    wre_ObjectDispose(head);
    head = next;
  }
}

EngineObject* BuildObjects(const Import& in) {
  EngineObject* head = nullptr;
  bool failed = false;
  if (in.flags & kC4DPerTopNode) {
    for (auto it = in.top.rbegin(); it != in.top.rend() && !failed; ++it) {
      std::vector<int32_t> taken;
      PostOrder(in, *it, taken);
      EngineObject* object = MergedObject(in, taken, in.nodes[static_cast<size_t>(*it)], &failed);
      if (object) wre_ObjectListAppend(&head, object);
    }
  } else if (in.flags & kC4DWholeScene) {
    if (!in.top.empty()) {
      std::vector<int32_t> taken;
      for (int32_t t : in.top) PostOrder(in, t, taken);
      EngineObject* object = MergedObject(in, taken, in.nodes[static_cast<size_t>(in.top.front())], &failed);
      if (object) wre_ObjectListAppend(&head, object);
    }
  } else {
    std::vector<int32_t> order;
    for (int32_t t : in.top) PreOrder(in, t, order);
    for (int32_t index : order) {
      const Node& node = in.nodes[static_cast<size_t>(index)];
      if (node.pointCount == 0 || node.triangleCount == 0) continue;
      EngineObject* object = NodeObject(node);
      if (!object) {
        failed = true;
        break;
      }
      wre_ObjectListAppend(&head, object);
    }
  }
  if (failed) {
    DisposeChain(head);
    return nullptr;
  }
  return head;
}

}  // namespace

bool wre_ObjectIOC4DCheck(const uint8_t* data, int32_t size) {
  if (!data || size < kC4DFileHeaderBytes) return false;
  return std::memcmp(data, "MC50", 4) == 0 && std::memcmp(data + 8, "DOK5", 4) == 0;
}

EngineObject* wre_ObjectIOC4DImport(const uint8_t* data, int32_t size, uint32_t flags) {
  if (!wre_ObjectIOC4DCheck(data, size)) return nullptr;
  if (plat_Be32(data + 12) < kC4DMinVersion) return nullptr;
  Import in;
  in.flags = flags;
  in.pass = 1;
  if (!ReadFile(in, data, size)) return nullptr;
  if (flags & kC4DMakeTextures) {
    for (FileMaterial& m : in.materials) {
      if (!m.colourRead) continue;
      const int32_t index = wre_ModelTextureCreateForFile(m.textureFile.c_str());
      if (index < 0) return nullptr;
      m.texture = index;
    }
  }
  for (Node& node : in.nodes) {
    node.points.resize(static_cast<size_t>(node.pointCount));
    node.triangles.reserve(static_cast<size_t>(node.triangleCount));
    if (node.coordinateCount > 0) node.coordinates.resize(2 * static_cast<size_t>(node.pointCount));
  }
  in.pass = 2;
  in.nodeCursor = 0;
  if (!in.materials.empty()) {
    in.texture = in.materials.back().texture;
    in.material = in.materials.back().material;
  }
  if (!ReadFile(in, data, size)) return nullptr;
  // Every counted chunk must have been filled in the second pass.
  for (const Node& node : in.nodes) {
    if ((node.pointCount > 0 && !node.pointsFilled) || (node.triangleCount > 0 && !node.trianglesFilled) ||
        (node.coordinateCount > 0 && !node.coordinatesFilled)) {
      return nullptr;
    }
  }
  return BuildObjects(in);
}
