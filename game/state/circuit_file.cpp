#include "game/state/circuit_file.h"

#include <array>
#include <cstring>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/wre_types.h"
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
  for (int s = 0; s < kCircuitSlots; ++s) {
    SaveNameTerminate(record->slotName[s]);
    if (record->slotLevel[s] < -1 || record->slotLevel[s] > kLevelComplete) record->slotLevel[s] = kLevelComplete;
    if (record->slotCourse[s] < 0 || record->slotCourse[s] >= kCircuitCourses) record->slotCourse[s] = 0;
  }
  return true;
}

int32_t CircuitLoad() {
  SaveFolderScope folder;
  if (!gCircuit) gCircuit = static_cast<CircuitRecord*>(wre_MemoryNew(sizeof(CircuitRecord)));
  if (!gCircuit) return kWreErrNoMemory;
  CircuitDefaults();
  FileRecord* file = wre_FileLoad(kCircuitFileName, 0);
  bool taken = file && CircuitRead(gCircuit, file->data, static_cast<size_t>(file->size));
  wre_FileDispose(file);
  if (!taken) {
    CircuitDefaults();
    CircuitSave();
  }
  return 0;
}

int32_t CircuitSave() {
  if (!gCircuit) return kWreErrRange;
  std::array<uint8_t, kCircuitImageSize> image{};
  SaveWriter writer{image.data()};
  writer.Int(kCircuitVersion);
  CircuitFields(*gCircuit, writer);
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
