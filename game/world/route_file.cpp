#include "game/world/route_file.h"

#include <cmath>
#include <cstdio>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/stream.h"
#include "game/state/level_names.h"
#include "game/state/save_file.h"
#include "game/state/settings.h"
#include "game/world/course_route.h"
#include "game/world/gate_list.h"
#include "game/world/level_bounds.h"

namespace {

constexpr int32_t kRecordMarker = 1;
constexpr int32_t kEndMarker = 0;
constexpr size_t kFolderNameSize = 64;
constexpr size_t kFileNameSize = 32;

int32_t GateCount() {
  int32_t count = 0;
  for (const GateRecord* gate = GateListFirst(nullptr); gate; gate = gate->next) ++count;
  return count;
}

bool Finite(const Point4& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w);
}

// Every point a generation can make lies within one gate-to-gate distance (at most the level's
// diagonal) of a gate, so twice the level's larger extent, plus a fixed slack for a level of
// little extent, keeps every real route and turns away points no generation could have made.
constexpr float kRouteSlack = 10000.0f;

bool WithinLevel(const Point4& p) {
  const float extent = std::fmax(std::fmax(gLevelBoundsMaxX - gLevelBoundsMinX, gLevelBoundsMaxZ - gLevelBoundsMinZ),
                                 gLevelBoundsMaxY - gLevelBoundsMinY);
  const float margin = 2.0f * extent + kRouteSlack;
  auto within = [margin](float v, float low, float high) { return v >= low - margin && v <= high + margin; };
  return within(p.x, gLevelBoundsMinX, gLevelBoundsMaxX) && within(p.y, gLevelBoundsMinY, gLevelBoundsMaxY) &&
         within(p.z, gLevelBoundsMinZ, gLevelBoundsMaxZ);
}

// Appends the records of a file whose length is already known to fit n records.
int32_t ParseRecords(StreamReader* reader, size_t records, int32_t gates) {
  GateRecord* gate = GateListFirst(nullptr);
  int32_t gateNodes = 0;
  for (size_t k = 0; k < records; ++k) {
    if (wre_StreamReadInt32(reader) != kRecordMarker) return kRouteErrBadFile;
    Point4 point{};
    point.x = wre_StreamReadFloat(reader);
    point.y = wre_StreamReadFloat(reader);
    point.z = wre_StreamReadFloat(reader);
    point.w = wre_StreamReadFloat(reader);
    const int32_t flag = wre_StreamReadInt32(reader);
    if (!Finite(point) || !WithinLevel(point) || (flag != 0 && flag != 1)) return kRouteErrBadFile;
    if (flag) {
      if (++gateNodes > gates) return kRouteErrBadFile;
      const int32_t result = RouteNodeAppend(&point, 1, gate);
      if (result != 0) return result;
      gate = GateListNext(gate, nullptr);
    } else {
      const int32_t result = RouteNodeAppend(&point, 0, nullptr);
      if (result != 0) return result;
    }
  }
  if (wre_StreamReadInt32(reader) != kEndMarker || gateNodes != gates) return kRouteErrBadFile;
  return 0;
}

}  // namespace

bool RouteFileName(int32_t course, char* out, size_t size) {
  if (!out || size == 0) return false;
  const int written = std::snprintf(out, size, "%s%2d%s", "qz_route_", course, ".qz");
  if (written < 0 || static_cast<size_t>(written) >= size) {
    out[0] = '\0';
    return false;
  }
  return true;
}

int32_t RouteParse(const uint8_t* data, size_t size) {
  if (gRouteLoaded) return kRouteErrLoaded;
  const int32_t gates = GateCount();
  const size_t header = kRouteFileHeader, record = kRouteFileRecord;
  if (!data || size < header + record || (size - header) % record != 0 || gates < 1) return kRouteErrBadFile;
  StreamReader reader = wre_StreamReaderMake(data, size);
  if (wre_StreamReadInt32(&reader) != kRouteFileMagic) return kRouteErrBadFile;
  // The list is built from scratch: whatever a failed read left behind goes first.
  RouteNodesFree();
  const int32_t result = ParseRecords(&reader, (size - header) / record, gates);
  if (result != 0) {
    RouteNodesFree();
    return result;
  }
  gRouteLoaded = 1;
  return 0;
}

int32_t RouteFileRead([[maybe_unused]] ViewComponents* view) {
  char folder[kFolderNameSize];
  char name[kFileNameSize];
  if (!LevelFolderName("data:courses:", gLevel, folder, sizeof(folder)) ||
      !RouteFileName(gCourse, name, sizeof(name))) {
    return kFileErrOpenRead;
  }
  SaveFolderScope scope(folder);
  FileRecord* file = wre_FileLoad(name, 1);
  if (!file) return kFileErrOpenRead;
  const int32_t result = RouteParse(file->data, static_cast<size_t>(file->size));
  wre_FileDispose(file);
  return result;
}

int32_t RouteFileWrite([[maybe_unused]] ViewComponents* view) {
  const int32_t nodes = RouteNodeCount();
  if (nodes < 1) return kRouteErrNotLoaded;
  char folder[kFolderNameSize];
  char name[kFileNameSize];
  if (!LevelFolderName("data:courses:", gLevel, folder, sizeof(folder)) ||
      !RouteFileName(gCourse, name, sizeof(name))) {
    return kFileErrCreate;
  }
  const int32_t size = kRouteFileHeader + kRouteFileRecord * nodes;
  auto* image = wre_MemoryNewArray<uint8_t>(size);
  if (!image) return kRouteErrNoMemory;
  uint8_t* cursor = image;
  wre_StreamPutInt32(&cursor, kRouteFileMagic);
  for (const RouteNode* node = gRouteHead; node; node = node->next) {
    wre_StreamPutInt32(&cursor, kRecordMarker);
    wre_StreamPutFloat(&cursor, node->point.x);
    wre_StreamPutFloat(&cursor, node->point.y);
    wre_StreamPutFloat(&cursor, node->point.z);
    wre_StreamPutFloat(&cursor, node->point.w);
    wre_StreamPutInt32(&cursor, node->hasGate ? 1 : 0);
  }
  wre_StreamPutInt32(&cursor, kEndMarker);
  int32_t result = 0;
  {
    SaveFolderScope scope(folder);
    result = SaveImageWrite(name, image, size);
  }
  wre_MemoryRelease(image);
  return result;
}
