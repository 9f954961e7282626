// Reads arbitrary bytes as the high-score file "scores.qz": every name that comes back is
// terminated, and a rejected file leaves the record untouched. What is accepted is then shown on
// the high-score page, table by table.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "fuzz/menu_page_fuzz.h"
#include "game/state/scores.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MenuPageScene& scene = FuzzMenuScene();
  ScoresRecord record;
  std::memset(&record, 0xA5, sizeof(record));
  if (!ScoresRead(&record, data, size)) {
    for (size_t i = 0; i < sizeof(record); ++i)
      if (reinterpret_cast<const uint8_t*>(&record)[i] != 0xA5) __builtin_trap();
    return 0;
  }
  for (auto* table : {&record.rallyName, &record.derbyName, &record.roamName, &record.linearName, &record.circuitName})
    for (const auto& name : *table)
      if (!std::memchr(name, 0, sizeof(name))) __builtin_trap();
  gScores = &record;
  for (int32_t table = 0; table < 5; ++table) {
    scene.state.slotIndex = table;
    scene.Frame(kScreenHighScores);
  }
  gScores = nullptr;
  return 0;
}
