// Engine objects: the scene object of the engine, in four kinds: 100 mesh, 101 particle object,
// 102 sprite (a fixed pair of polygons) and 103 static grid mesh (points that never move).
#pragma once
#include <cstdint>

#include "engine/core/transform.h"
#include "engine/core/wre_types.h"

struct DetailGroup;
struct VertexWork;
struct PolyTreeNode;
struct ParticleSet;
struct UserData;
struct World;
struct Camera;

enum ObjectKind : int32_t {
  kObjectMesh = 100,
  kObjectParticles = 101,
  kObjectSprite = 102,
  kObjectStatic = 103,
};

// Result codes of this module.
enum : int32_t {
  kWreErrObjectKind = -20011,   // not an object kind
  kWreErrNoDetailGroup = -20500,
  kWreErrNoVertexWork = -21000,  // the object cannot carry a vertex work record
  kWreErrNotInList = -5005,
};

// Creation flags.
enum : uint32_t {
  kObjectPointAttachments = 1u << 0,  // allocate the per-point attachment array
  kObjectSoftware = 1u << 1,          // added at creation under the software renderer
  kObjectGivenNormals = 1u << 2,      // the object carries given per-point normals
  kObjectBuildTree = 1u << 3,         // build the polygon box tree on every recalculation
  kObjectUserDataShared = 1u << 28,   // the user-data list is not owned
  kObjectLocalShared = 1u << 29,      // the local points are not owned
  kObjectWorldShared = 1u << 30,      // the world points are not owned
};

// Render flags.
enum : uint32_t {
  kRenderPointColours = 0x1,
  kRenderNoNormals = 0x4,
  kRenderNeverDrawn = 0x8,
  kRenderStatic = 0x10,  // the local points are the world points and are never transformed
  kRenderTwoSided = 0x40,
};

// Status bits.
enum : uint8_t {
  kStatusInWorld = 0x1,
  kStatusActive = 0x2,   // collision queries and culling skip objects without it
  kStatusInGroup = 0x4,  // a member of another object's detail group
};

// Polygon kinds: 100 to 102 untextured, 200 to 202 textured; the software renderer uses 101 and 201.
// Kinds 100 and 200 take no light pass on the hardware back ends.
enum PolygonKind : uint8_t {
  kPolyPlainUnlit = 100,
  kPolyPlain = 101,
  kPolyPlainSmooth = 102,
  kPolyTextured = 200,
  kPolyTexturedFlat = 201,
  kPolyTexturedSmooth = 202,
};

constexpr uint32_t kPolyVirtualTexturePoint = 0x20;
constexpr uint16_t kNoTexture = 0xFFFF;

struct ObjectPolygon {
  uint8_t kind;
  uint32_t flags;
  uint16_t points[3];
  // While flag 0x20 is set, the (u, v) pair each one points at is added to that corner's coordinates.
  const float* virtualTexturePoint[3];
  uint16_t material;  // index into the material table
  uint16_t texture;   // through the texture index map; kNoTexture = untextured
  int32_t index;      // the polygon's position in the array
};

// One record a point, for the renderer (per-point colours, vertex work).
struct PointAttachment {
  float value[4];
};

struct SpriteSize {
  float x;  // x extent
  float y;  // y extent
  float spare[2];
};

struct EngineObject {
  int32_t kind;
  uint32_t cull;  // low byte written by culling every frame: bit 0 visible, bit 1 crosses a plane
  uint32_t creationFlags;
  uint32_t renderFlags;
  uint8_t attributes;  // for the game; bit 0 only survives on static objects
  Transform transform;
  char name[32];
  uint32_t rebuildLock;  // nonzero: a rebuild returns the object unchanged
  DetailGroup* detailGroup;
  VertexWork* vertexWork;
  uint32_t renderWords[4];
  float gridExtent[3];
  float gridHalfExtent[3];
  float gridReciprocal[3];  // 1 / size per axis, 1.0 where a size is 0
  float drawDistance;
  float worldBounds[6];     // of the world box: minx, maxx, miny, maxy, minz, maxz
  Point4 localBox[8];       // bounds of the local points, in the box corner order
  Point4 worldBox[8];       // the local box turned and moved by the transform
  Point4 boxPlanes[12];     // planes of the twelve box triangles
  ObjectPolygon boxTriangles[12];
  int32_t pointCount;
  int32_t polygonCount;
  int32_t pointCapacity;
  int32_t polygonCapacity;
  ObjectPolygon* polygons;
  Point4* localPoints;
  Point4* worldPoints;
  Point4* planes;        // one (nx, ny, nz, d) a polygon
  Point4* givenNormals;  // creation flag bit 2 only, object space
  Point4* pointNormals;  // world space (x, y, z, d); absent for kind 101 and with bit 2
  float* textureCoords;  // three (u, v) pairs a polygon, 0..1
  ParticleSet* particles;
  PointAttachment* pointAttachments;
  UserData* userData;
  SpriteSize* sprite;
  uint32_t modeWord;
  float modeValue;
  float radius;  // largest distance of a local point from the origin
  EngineObject* prev;  // links in a world's object list or a detail group's member list
  EngineObject* next;
  EngineObject* cellPrev;
  EngineObject* cellNext;
  EngineObject** cellHead;  // the head of the cell list the object is linked into
  int32_t cellColumn;
  int32_t cellRow;
  World* world;
  Camera* camera;  // the camera whose attached list holds the object (through the list links)
  uint32_t collisionGroup;
  PolyTreeNode* polyTree;
  void* gameWords[4];  // kept for the game
  uint8_t status;
};

// What objects need of neighbouring modules. Each entry is installed by its module at start-up;
// an entry left null means the module is not there and the step is passed over.
struct ObjectServices {
  // Renderer kind in force (100 = software).
  int32_t (*rendererKind)();
  // Attaches a particle set to a kind-101 object; 0 or the set's failure.
  int32_t (*particlesNew)(EngineObject* object, int32_t particleKind, int32_t capacity, int32_t material,
                          int32_t texture);
  int32_t (*particlesDispose)(EngineObject* object);
  // The largest sqrt(size.x^2 + size.y^2) over the live particles, from 0.
  float (*particlesExtent)(const EngineObject* object);
  // Removes and frees every user-data attachment of the object.
  void (*userDataDisposeAll)(EngineObject* object);
  // Takes the object out of the world it stands in; puts it into a world.
  int32_t (*worldRemove)(EngineObject* object);
  int32_t (*worldAdd)(World* world, EngineObject* object);
  // Refiles an object that stands in a cell-grid world into the cell of its position.
  void (*worldRefile)(EngineObject* object);
  // True when the polygon is drawn unlit: its texture is colour-keyed or its material translucent.
  bool (*polygonUnlit)(const ObjectPolygon* polygon);
  // Takes the object off the camera's attached list.
  void (*cameraDetach)(Camera* camera, EngineObject* object);
};

// Starts with the entries of the engine core (worlds, particle sets) installed; the engine's
// start-up adds the others.
extern ObjectServices gObjectServices;
// The engine core's own entries, the others null.
ObjectServices wre_ObjectCoreServices();

int32_t wre_ObjectRendererKind();

// Creation and disposal.
EngineObject* wre_ObjectNew(int32_t kind, int32_t polygonCapacity, int32_t pointCapacity, uint32_t collisionGroup,
                            int32_t particleKind, uint32_t creationFlags);
// -1010 for a member of a detail group: it is disposed with its group.
int32_t wre_ObjectDispose(EngineObject* object);
void wre_ObjectClear(EngineObject* object, uint32_t collisionGroup);

// Building.
int32_t wre_ObjectAddPoint(EngineObject* object, float x, float y, float z, uint8_t merge);
int32_t wre_ObjectFindPoint(const EngineObject* object, float x, float y, float z);
// 0; -1 when the polygon capacity is reached; -1010 for a point index outside the points or
// above 65535, and for a material or texture index above 65535 (a negative texture: untextured).
int32_t wre_ObjectAddPoly(EngineObject* object, int32_t material, int32_t texture, int32_t kind, int32_t p0,
                          int32_t p1, int32_t p2, const float* uv0, const float* uv1, const float* uv2,
                          uint8_t withCoordinates);
// Points are given as (x, y, z) and coordinates as (u, v) on the 0..255 scale.
int32_t wre_ObjectAddTriangle(EngineObject* object, int32_t material, int32_t texture, int32_t kind,
                              const float* p0, const float* p1, const float* p2, const float* uv0,
                              const float* uv1, const float* uv2);
int32_t wre_ObjectSetPointNormal(EngineObject* object, int32_t index, float x, float y, float z, float w);

// Update.
int32_t wre_ObjectRecalc(EngineObject* object, uint8_t spare, uint8_t normals, uint8_t radius, uint8_t points,
                         uint8_t planes);
int32_t wre_ObjectUpdate(EngineObject* object, uint8_t normals, uint8_t planes);
int32_t wre_ObjectUpdateFrom(EngineObject* object, uint8_t normals, uint8_t planes, const Transform* transform);
int32_t wre_ObjectCalcWorldPoints(EngineObject* object);
int32_t wre_ObjectCalcPlanes(EngineObject* object);
int32_t wre_ObjectCalcPointNormals(EngineObject* object);
int32_t wre_ObjectCalcRadius(EngineObject* object);

// Geometry queries.
int32_t wre_ObjectCopyPolyPlane(const EngineObject* object, int32_t polygon, Point4* out);
Point4* wre_ObjectGetPolyPlane(Point4* out, const EngineObject* object, int32_t polygon);
int32_t wre_ObjectPointsToCamera(const EngineObject* object, const Transform* frame, Point4* out);
int32_t wre_ObjectCalcWorldBox(EngineObject* object);
int32_t wre_ObjectCalcWorldBounds(EngineObject* object);
int32_t wre_ObjectExtendBounds(const EngineObject* object, const Point4* points, float* minX, float* maxX,
                               float* minY, float* maxY, float* minZ, float* maxZ);
int32_t wre_ObjectCalcBox(EngineObject* object);
int32_t wre_ObjectCalcGridExtent(EngineObject* object);

// Property setters.
int32_t wre_ObjectSetCollidable(EngineObject* object, uint8_t on);
int32_t wre_ObjectSetCollisionGroup(EngineObject* object, uint32_t bits);
int32_t wre_ObjectSetModeFlags(EngineObject* object, uint32_t word, float value);
int32_t wre_ObjectSetPolyTexture(EngineObject* object, int32_t polygon, int32_t texture);
int32_t wre_ObjectSetAllPolyTexture(EngineObject* object, int32_t texture);
int32_t wre_ObjectSetPolyMaterialIndex(EngineObject* object, int32_t polygon, int32_t material);
int32_t wre_ObjectSetAllPolyMaterialIndex(EngineObject* object, int32_t material);
int32_t wre_ObjectSetPolyFlags(EngineObject* object, int32_t polygon, uint32_t flags);
int32_t wre_ObjectSetAllPolyFlags(EngineObject* object, uint32_t flags);
int32_t wre_ObjectSetPolyVirtualTexturePoint(EngineObject* object, int32_t polygon, const float* a, const float* b,
                                             const float* c);
int32_t wre_ObjectSetPolyKind(EngineObject* object, int32_t polygon, int32_t kind);
int32_t wre_ObjectSetAllPolyKinds(EngineObject* object, int32_t kind);
int32_t wre_ObjectSetBackfaceCull(EngineObject* object, uint8_t on);
int32_t wre_ObjectSetRenderFlags(EngineObject* object, uint32_t word);
int32_t wre_ObjectSetAttrByte(EngineObject* object, uint8_t value);
int32_t wre_ObjectSetDrawDistance(EngineObject* object, float distance);
int32_t wre_ObjectSetName(EngineObject* object, const char* name);
int32_t wre_ObjectAllocPointAttachments(EngineObject* object);
int32_t wre_ObjectFreePointAttachments(EngineObject* object);

// Editing.
int32_t wre_ObjectScale(EngineObject* object, float percent);
int32_t wre_ObjectCentre(EngineObject* object, uint8_t keepPlace);
int32_t wre_ObjectBakeRotation(EngineObject* object);
EngineObject* wre_ObjectRebuild(EngineObject* object, uint32_t extraFlags);
EngineObject* wre_ObjectRebuildEx(EngineObject* object, uint32_t extraFlags, uint8_t disposeSource);

// Lists through the list links (head held by the caller) and through the cell links.
int32_t wre_ObjectListPrepend(EngineObject** head, EngineObject* object);
int32_t wre_ObjectListAppend(EngineObject** head, EngineObject* object);
int32_t wre_ObjectListRemove(EngineObject** head, EngineObject* object);
int32_t wre_ObjectCellPrepend(EngineObject** head, EngineObject* object);
int32_t wre_ObjectCellAppend(EngineObject** head, EngineObject* object);
// Removes the object from the cell list it is linked into.
int32_t wre_ObjectCellRemove(EngineObject* object);
