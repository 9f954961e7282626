#include "game/state/circuit_file.h"

#include <array>
#include <cstring>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/wre_types.h"
#include "game/state/race_state.h"
#include "game/state/save_file.h"

namespace {

template <class Record, class Walker>
void CircuitFields(Record& r, Walker& io) {
  for (int s = 0; s < kCircuitSlots; ++s) {
    io.Name(r.slotName[s]);
    io.Int(r.slotMeanPlace[s]);
    io.Int(r.slotPoints[s]);
    io.Int(r.slotLevel[s]);
    io.Int(r.slotCourse[s]);
    for (int l = 0; l < kCircuitLevels; ++l) {
      for (int c = 0; c < kCircuitCourses; ++c) {
        io.Int(r.slotPlace[s][l][c]);
        io.Int(r.slotTime[s][l][c]);
      }
    }
  }
}

constexpr int32_t kLevelComplete = 10;

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// Deliberate: the file's values are range-checked, though the file format itself asks for none. A
// level or course out of range would index past the slot's results; points, mean place or places
// that no circuit can produce would overflow the sums the circuit loop and the page make of them.
// A level out of range makes the slot complete and a course out of range becomes 0; a slot with
// impossible results reads as empty.
void CircuitRangeCheck(CircuitRecord& r) {
  constexpr int32_t kPlaceLast = kRacerSlots - 1;
  for (int s = 0; s < kCircuitSlots; ++s) {
    if (!InRange(r.slotLevel[s], -1, kLevelComplete)) r.slotLevel[s] = kLevelComplete;
    if (!InRange(r.slotCourse[s], 0, kCircuitCourses - 1)) r.slotCourse[s] = 0;
    bool sound = InRange(r.slotPoints[s], 0, kCircuitPointsMax) && InRange(r.slotMeanPlace[s], 0, kPlaceLast);
    for (const auto& level : r.slotPlace[s])
      for (int32_t place : level) sound = sound && InRange(place, 0, kPlaceLast);
    if (!sound) {
      std::memset(r.slotName[s], 0, sizeof r.slotName[s]);
      r.slotMeanPlace[s] = r.slotPoints[s] = r.slotLevel[s] = r.slotCourse[s] = 0;
      std::memset(r.slotPlace[s], 0, sizeof r.slotPlace[s]);
      std::memset(r.slotTime[s], 0, sizeof r.slotTime[s]);
    }
  }
}

void CircuitImage(const CircuitRecord& record, uint8_t* image) {
  SaveWriter writer{image};
  writer.Int(kCircuitVersion);
  CircuitFields(record, writer);
}

}  // namespace

int32_t CircuitDefaults() {
  if (!gCircuit) return kWreErrRange;
  *gCircuit = CircuitRecord{};
  gCircuit->version = kCircuitVersion;
  return 0;
}

bool CircuitRead(CircuitRecord* record, const uint8_t* data, size_t size) {
  if (!record || !SaveImageMatches(data, size, kCircuitImageSize, kCircuitVersion)) return false;
  SaveReader reader{wre_StreamReaderMake(data, size)};
  reader.Int(record->version);
  CircuitFields(*record, reader);
  for (auto& name : record->slotName) SaveNameTerminate(name);
  CircuitRangeCheck(*record);
  return true;
}

int32_t CircuitLoad() {
  SaveFolderScope folder;
  if (!gCircuit) gCircuit = static_cast<CircuitRecord*>(wre_MemoryNew(sizeof(CircuitRecord)));
  if (!gCircuit) return kWreErrNoMemory;
  CircuitDefaults();
  FileRecord* file = wre_FileLoad(kCircuitFileName, 0);
  bool taken = file && CircuitRead(gCircuit, file->data, static_cast<size_t>(file->size));
  // What the reader mended is written back whole, so the file holds what the page shows.
  bool mended = false;
  if (taken) {
    std::array<uint8_t, kCircuitImageSize> image{};
    CircuitImage(*gCircuit, image.data());
    mended = std::memcmp(image.data(), file->data, kCircuitImageSize) != 0;
  }
  wre_FileDispose(file);
  if (mended) CircuitSave();
  if (!taken) {
    CircuitDefaults();
    CircuitSave();
  }
  return 0;
}

int32_t CircuitSave() {
  if (!gCircuit) return kWreErrRange;
  std::array<uint8_t, kCircuitImageSize> image{};
  CircuitImage(*gCircuit, image.data());
  SaveFolderScope folder;
  return SaveImageWrite(kCircuitFileName, image.data(), kCircuitImageSize);
}

int32_t CircuitClose() {
  if (!gCircuit) return kWreErrRange;
  CircuitSave();
  wre_MemoryDispose(gCircuit);
  gCircuit = nullptr;
  return 0;
}

int32_t CircuitSlotReset(int32_t slot) {
  if (!gCircuit || slot < 0 || slot >= kCircuitSlots) return kWreErrRange;
  CircuitRecord& r = *gCircuit;
  std::memset(r.slotName[slot], 0, sizeof(r.slotName[slot]));
  r.slotName[slot][0] = ' ';
  r.slotMeanPlace[slot] = 0;
  r.slotPoints[slot] = 0;
  r.slotLevel[slot] = 0;
  r.slotCourse[slot] = 0;
  for (int l = 0; l < kCircuitLevels; ++l) {
    for (int c = 0; c < kCircuitCourses; ++c) {
      r.slotPlace[slot][l][c] = 0;
      r.slotTime[slot][l][c] = 0;
    }
  }
  return 0;
}

int32_t CircuitSlotRestart(int32_t slot) {
  if (!gCircuit || slot < 0 || slot >= kCircuitSlots) return kWreErrRange;
  char name[sizeof(gCircuit->slotName[0])];
  std::memcpy(name, gCircuit->slotName[slot], sizeof(name));
  CircuitSlotReset(slot);
  std::memcpy(gCircuit->slotName[slot], name, sizeof(name));
  return 0;
}
