// Reads arbitrary bytes as the circuit file "circuit.qz": whatever it holds, every slot's level
// and course can index its results and every name is terminated. What is accepted is then shown on
// the circuit page and every slot is scored one more race, as the circuit goes on from the file.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/menu_page_fuzz.h"
#include "game/menus/race_launch.h"
#include "game/state/circuit_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MenuPageScene& scene = FuzzMenuScene();
  CircuitRecord record{};
  if (!CircuitRead(&record, data, size)) return 0;
  for (int s = 0; s < kCircuitSlots; ++s) {
    int32_t level = record.slotLevel[s];
    int32_t course = record.slotCourse[s];
    if (level < -1 || level > 10 || course < 0 || course >= kCircuitCourses) __builtin_trap();
    if (!std::memchr(record.slotName[s], 0, sizeof(record.slotName[s]))) __builtin_trap();
  }
  gCircuit = &record;
  scene.Frame(kScreenCircuit);
  for (int s = 0; s < kCircuitSlots; ++s) CircuitRaceScore(record, s, s, 3600 * s);
  scene.Frame(kScreenCircuit);
  gCircuit = nullptr;
  return 0;
}
