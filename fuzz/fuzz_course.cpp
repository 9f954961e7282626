// Reads arbitrary bytes as a course file: counting, then loading every course with mapping.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/data/course.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  static std::string path;
  if (path.empty()) {
    wre_MemoryInit();
    path = "/tmp/vh_fuzz_course_" + std::to_string(getpid()) + ".dat";
  }
  wre_FolderSet(nullptr);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);

  int32_t count = 0;
  if (CourseCount(path.c_str(), &count) != 0) return 0;
  for (int32_t n = 0; n <= count && n < 8; ++n) {
    Course* course = nullptr;
    CourseLoad(path.c_str(), n, &course, -1000.0f, 1000.0f, 0.0f, 0.0f, -500.0f, 500.0f, 1, 3, -4);
    CourseListFree(&course);
  }
  return 0;
}
