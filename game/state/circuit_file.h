// The circuit file "circuit.qz" in "data:prefs": 2244 bytes, big-endian, version 2440, the five
// slots one after another (name, mean place, points, level, course, then the fifty place and time
// pairs, level by level and course by course).
#pragma once
#include <cstddef>
#include <cstdint>

#include "game/state/circuit_record.h"

inline constexpr const char* kCircuitFileName = "circuit.qz";
constexpr int32_t kCircuitVersion = 2440;
constexpr int32_t kCircuitImageSize = 2244;

// Empties every slot of the loaded record. 0; -1010 when no record is loaded.
int32_t CircuitDefaults();

// Allocates gCircuit and reads "circuit.qz"; a missing file, one of another version or one too
// short to be whole gives five empty slots, written back at once; so is a file the reader mended.
// The data folder is restored.
// 0, or -5000 when the record cannot be allocated (gCircuit stays null).
int32_t CircuitLoad();

// Fills the record from the bytes when they are a whole image of this version; names are
// terminated, a level below -1 or above 10 becomes 10 (complete) and a course outside 0..4
// becomes 0, so that no slot indexes past its results, and a slot whose points, mean place or
// places no circuit can reach reads as empty. False, record unchanged, for other bytes.
bool CircuitRead(CircuitRecord* record, const uint8_t* data, size_t size);

// Writes gCircuit to "circuit.qz" in "data:prefs", restoring the data folder. 0, -1010 when no
// record is loaded, or 5002 when the file cannot be written (the old file then stays as it was).
int32_t CircuitSave();

// Saves (result ignored) and frees the record. 0; -1010 when no record is loaded.
int32_t CircuitClose();

// Clears one slot: its name becomes " " and every number 0. 0; -1010 for a slot outside 0..4 or
// when no record is loaded.
int32_t CircuitSlotReset(int32_t slot);

// Starts a slot's circuit again: its progress, points and results are cleared and its name stays.
// 0; -1010 for a slot outside 0..4 or when no record is loaded.
int32_t CircuitSlotRestart(int32_t slot);
