#include "game/state/scores.h"

#include <array>
#include <initializer_list>
#include <cstring>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/strings.h"
#include "engine/core/wre_types.h"
#include "game/state/circuit_record.h"
#include "game/state/laps_table.h"
#include "game/state/level_names.h"
#include "game/state/race_state.h"
#include "game/state/save_file.h"
#include "game/state/settings.h"

namespace {

constexpr int32_t kEmpty = -1;
constexpr int32_t kNoValue = 0x7fffffff;

template <class Record, class Walker>
void ScoresFields(Record& r, Walker& io) {
  for (auto& name : r.rallyName) io.Name(name);
  io.Ints(r.rallyPlace);
  io.Ints(r.rallyTime);
  io.Ints(r.rallyLevel);
  io.Ints(r.rallyCourse);
  for (auto& name : r.derbyName) io.Name(name);
  io.Ints(r.derbyScore);
  io.Ints(r.derbyLevel);
  for (auto& name : r.roamName) io.Name(name);
  io.Ints(r.roamScore);
  io.Ints(r.roamTime);
  io.Ints(r.roamLevel);
  for (auto& name : r.linearName) io.Name(name);
  io.Ints(r.linearScore);
  io.Ints(r.linearTime);
  io.Ints(r.linearLevel);
  for (auto& name : r.circuitName) io.Name(name);
  io.Ints(r.circuitPoints);
}

template <class Row>
void Fill(Row (&rows)[kScoreEntries], int32_t value) {
  for (auto& row : rows) row = value;
}

// The first entry for which the test holds, -1 when none does.
template <class Test>
int FirstEntry(Test qualifies) {
  for (int i = 0; i < kScoreEntries; ++i)
    if (qualifies(i)) return i;
  return -1;
}

// Makes room at the entry: the entries below it move down by one and the last drops out.
template <class Row>
void MakeRoom(Row (&rows)[kScoreEntries], int entry) {
  for (int i = kScoreEntries - 1; i > entry; --i) std::memcpy(&rows[i], &rows[i - 1], sizeof(Row));
}

void TakeName(char (&names)[kScoreEntries][32], int entry) {
  MakeRoom(names, entry);
  wre_StringCopyN(gSettings.playerName, names[entry], sizeof(names[entry]), 1);
}

bool InsertCircuit(ScoresRecord& r) {
  if (!gCircuit || gCircuitSlot < 0 || gCircuitSlot >= kCircuitSlots) return false;
  int32_t points = gCircuit->slotPoints[gCircuitSlot];
  int entry = FirstEntry([&](int i) { return points > r.circuitPoints[i] || r.circuitPoints[i] == kEmpty; });
  if (entry < 0) return false;
  TakeName(r.circuitName, entry);
  MakeRoom(r.circuitPoints, entry);
  r.circuitPoints[entry] = points;
  return true;
}

bool InsertRally(ScoresRecord& r, int32_t place, int32_t time) {
  int entry = FirstEntry([&](int i) {
    return r.rallyLevel[i] == kEmpty || place < r.rallyPlace[i] ||
           (place == r.rallyPlace[i] && static_cast<uint32_t>(time) < static_cast<uint32_t>(r.rallyTime[i]));
  });
  if (entry < 0) return false;
  TakeName(r.rallyName, entry);
  MakeRoom(r.rallyPlace, entry);
  MakeRoom(r.rallyTime, entry);
  MakeRoom(r.rallyLevel, entry);
  MakeRoom(r.rallyCourse, entry);
  r.rallyPlace[entry] = place;
  r.rallyTime[entry] = time;
  r.rallyLevel[entry] = gLevel;
  r.rallyCourse[entry] = gCourse;
  return true;
}

bool InsertDerby(ScoresRecord& r, int32_t score) {
  int entry = FirstEntry([&](int i) { return score > r.derbyScore[i] || r.derbyLevel[i] == kEmpty; });
  if (entry < 0) return false;
  TakeName(r.derbyName, entry);
  MakeRoom(r.derbyScore, entry);
  MakeRoom(r.derbyLevel, entry);
  r.derbyScore[entry] = score;
  r.derbyLevel[entry] = gLevel;
  return true;
}

// A tie in score and time goes in front of the entry it ties with.
bool InsertTreasure(char (&names)[kScoreEntries][32], int32_t (&scores)[kScoreEntries],
                    int32_t (&times)[kScoreEntries], int32_t (&levels)[kScoreEntries], int32_t score, int32_t time) {
  int entry = FirstEntry([&](int i) {
    return levels[i] == kEmpty || score > scores[i] ||
           (score == scores[i] && static_cast<uint32_t>(time) <= static_cast<uint32_t>(times[i]));
  });
  if (entry < 0) return false;
  TakeName(names, entry);
  MakeRoom(scores, entry);
  MakeRoom(times, entry);
  MakeRoom(levels, entry);
  scores[entry] = score;
  times[entry] = time;
  levels[entry] = gLevel;
  return true;
}

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// Deliberate: the file's values are range-checked, though the file format itself asks for none.
// A damaged table would otherwise index the level names or overflow where the page adds 1 to a
// course. An entry holding what no race can produce reads as empty.
void EmptyEntry(int e, char (&names)[kScoreEntries][32], int32_t (&level)[kScoreEntries]) {
  std::memset(names[e], 0, sizeof names[e]);
  level[e] = kEmpty;
}

void ScoresRangeCheck(ScoresRecord& r) {
  auto levelOk = [](int32_t level) { return InRange(level, 0, kLevelCount - 1); };
  for (int e = 0; e < kScoreEntries; ++e) {
    if (r.rallyLevel[e] != kEmpty && !(levelOk(r.rallyLevel[e]) && InRange(r.rallyPlace[e], 0, kRacerSlots - 1) &&
                                       InRange(r.rallyCourse[e], 0, kCoursesPerLevel - 1))) {
      EmptyEntry(e, r.rallyName, r.rallyLevel);
      r.rallyPlace[e] = r.rallyTime[e] = kNoValue;
      r.rallyCourse[e] = 0;
    }
    if (r.derbyLevel[e] != kEmpty && !(levelOk(r.derbyLevel[e]) && r.derbyScore[e] >= 0)) {
      EmptyEntry(e, r.derbyName, r.derbyLevel);
      r.derbyScore[e] = 0;
    }
    if (r.roamLevel[e] != kEmpty && !(levelOk(r.roamLevel[e]) && r.roamScore[e] >= 0)) {
      EmptyEntry(e, r.roamName, r.roamLevel);
      r.roamScore[e] = 0;
      r.roamTime[e] = kNoValue;
    }
    if (r.linearLevel[e] != kEmpty && !(levelOk(r.linearLevel[e]) && r.linearScore[e] >= 0)) {
      EmptyEntry(e, r.linearName, r.linearLevel);
      r.linearScore[e] = 0;
      r.linearTime[e] = kNoValue;
    }
    if (r.circuitPoints[e] != kEmpty && !InRange(r.circuitPoints[e], 0, kCircuitPointsMax))
      EmptyEntry(e, r.circuitName, r.circuitPoints);
  }
}

void ScoresImage(const ScoresRecord& record, uint8_t* image) {
  SaveWriter writer{image};
  writer.Int(kScoresVersion);
  ScoresFields(record, writer);
}

}  // namespace

int32_t ScoresDefaults() {
  if (!gScores) return kScoresNotLoaded;
  ScoresRecord& r = *gScores;
  r = ScoresRecord{};
  r.version = kScoresVersion;
  Fill(r.rallyPlace, kNoValue);
  Fill(r.rallyTime, kNoValue);
  Fill(r.rallyLevel, kEmpty);
  Fill(r.derbyLevel, kEmpty);
  Fill(r.roamTime, kNoValue);
  Fill(r.roamLevel, kEmpty);
  Fill(r.linearTime, kNoValue);
  Fill(r.linearLevel, kEmpty);
  Fill(r.circuitPoints, kEmpty);
  return 0;
}

bool ScoresRead(ScoresRecord* record, const uint8_t* data, size_t size) {
  if (!record || !SaveImageMatches(data, size, kScoresImageSize, kScoresVersion)) return false;
  SaveReader reader{wre_StreamReaderMake(data, size)};
  reader.Int(record->version);
  ScoresFields(*record, reader);
  for (auto* table : {&record->rallyName, &record->derbyName, &record->roamName, &record->linearName,
                      &record->circuitName})
    for (auto& name : *table) SaveNameTerminate(name);
  ScoresRangeCheck(*record);
  return true;
}

int32_t ScoresLoad() {
  SaveFolderScope folder;
  if (!gScores) gScores = static_cast<ScoresRecord*>(wre_MemoryNew(sizeof(ScoresRecord)));
  if (!gScores) return kWreErrNoMemory;
  FileRecord* file = wre_FileLoad(kScoresFileName, 0);
  bool taken = file && ScoresRead(gScores, file->data, static_cast<size_t>(file->size));
  // What the reader mended is written back whole, so the file holds what the tables show.
  bool mended = false;
  if (taken) {
    std::array<uint8_t, kScoresImageSize> image{};
    ScoresImage(*gScores, image.data());
    mended = std::memcmp(image.data(), file->data, kScoresImageSize) != 0;
  }
  wre_FileDispose(file);
  if (mended) ScoresSave();
  if (!taken) {
    ScoresDefaults();
    ScoresSave();
  }
  return 0;
}

int32_t ScoresSave() {
  if (!gScores) return kWreErrRange;
  std::array<uint8_t, kScoresImageSize> image{};
  ScoresImage(*gScores, image.data());
  SaveFolderScope folder;
  return SaveImageWrite(kScoresFileName, image.data(), kScoresImageSize);
}

int32_t ScoresClose() {
  if (!gScores) return 0;
  ScoresSave();
  wre_MemoryDispose(gScores);
  gScores = nullptr;
  return 0;
}

bool ScoresInsertResult(int32_t place, int32_t time, int32_t score) {
  bool rally = gGameMode == kModeRally || gGameMode == kModeRallyVariant;
  if (!rally && score < 1) return false;
  if (gGameMode < kModeRally || gGameMode > kModeRallyVariant || !gScores) return false;
  ScoresRecord& r = *gScores;
  switch (gGameMode) {
    case kModeRally:
    case kModeRallyVariant:
      if (gCircuitRace && gLevel > 9) return InsertCircuit(r);
      if (gCircuitRace) return false;
      return InsertRally(r, place, time);
    case kModeDerby:
      return InsertDerby(r, score);
    case kModeTreasureRoam:
      return InsertTreasure(r.roamName, r.roamScore, r.roamTime, r.roamLevel, score, time);
    default:
      return InsertTreasure(r.linearName, r.linearScore, r.linearTime, r.linearLevel, score, time);
  }
}
