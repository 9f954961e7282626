// The high-score file "scores.qz" in "data:prefs" (the 1064-byte big-endian image of
// ScoresRecord, version 1260) and the insertion of a race result into its tables.
#pragma once
#include <cstddef>
#include <cstdint>

#include "game/state/scores_record.h"

inline constexpr const char* kScoresFileName = "scores.qz";
constexpr int32_t kScoresVersion = 1260;
constexpr int32_t kScoresImageSize = 1064;
constexpr int32_t kScoresNotLoaded = 360000;

// Fills the loaded record with empty tables. 0, or 360000 when no record is loaded.
int32_t ScoresDefaults();

// Allocates gScores and reads "scores.qz"; a missing file, one of another version or one too
// short to be whole gives empty tables, written back at once; so is a file the reader mended.
// The data folder is restored.
// 0, or -5000 when the record cannot be allocated (gScores stays null).
int32_t ScoresLoad();

// Fills the record from the bytes when they are a whole image of this version (names terminated,
// and an entry whose level, place, course, score or points no race can produce read as empty);
// false, leaving the record as it was, for any other bytes.
bool ScoresRead(ScoresRecord* record, const uint8_t* data, size_t size);

// Writes gScores to "scores.qz" in "data:prefs", restoring the data folder. 0, -1010 when no
// record is loaded, or 5002 when the file cannot be written (the old file then stays as it was).
int32_t ScoresSave();

// Saves (result ignored) and frees the record; 0.
int32_t ScoresClose();

// Enters a result into the table of gGameMode, with gLevel and gCourse and the player's name:
// rally by place then time, derby by score, the treasure hunts by score then time (a tie goes in
// front), and, after the last race of a circuit, the circuit table by the slot's points. True when
// the result took an entry; the entries below it move down and the last one drops out.
bool ScoresInsertResult(int32_t place, int32_t time, int32_t score);
