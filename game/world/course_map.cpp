#include "game/world/course_map.h"

#include <cstdio>

#include "engine/core/files.h"
#include "engine/core/wre_types.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"
#include "engine/render/camera.h"
#include "game/state/level_names.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"

namespace {

constexpr int32_t kMapDepth = 16;

}  // namespace

bool CourseMapFileNames(int32_t course, char* picture, char* opacity, size_t size) {
  if (!picture || !opacity || size == 0) return false;
  const long long number = static_cast<long long>(course) + 1;
  const int a = std::snprintf(picture, size, "c%1lld.bmp", number);
  const int b = std::snprintf(opacity, size, "c%1lld_opacity.bmp", number);
  return a > 0 && b > 0 && static_cast<size_t>(a) < size && static_cast<size_t>(b) < size;
}

int32_t CourseMapLoad(ViewComponents* view) {
  if (!view) return kWreErrNull;
  gCourseMapTexture = -1;
  if (gGameMode != kModeRally && gGameMode != kModeRallyVariant) return 0;
  wre_FolderPush();
  char folder[64];
  if (LevelFolderName("data:interface:coursemaps:", gLevel, folder, sizeof(folder))) wre_FolderSet(folder);
  char picture[32];
  char opacity[32];
  int32_t result = kWreErrRange;
  if (CourseMapFileNames(gCourse, picture, opacity, sizeof(picture))) {
    int32_t handle = -1;
    result = wre_TextureLoadEx(picture, 1, nullptr, 0, 0, view->camera ? view->camera->context : nullptr, &handle,
                               kMapDepth, opacity);
    if (result == 0) gCourseMapTexture = handle;
  }
  wre_FolderPop();
  return result;
}

int32_t CourseMapRelease(ViewComponents*) {
  if (gCourseMapTexture != -1) {
    wre_TextureRelease(gCourseMapTexture);
    gCourseMapTexture = -1;
  }
  return 0;
}
