#include "launcher/launcher_files.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/plat_bytes.h"
#include "platform/plat_winfile.h"

namespace {

constexpr size_t kHeaderSize = 1078;
constexpr int32_t kMaxSide = 8192;

}  // namespace

int LauncherFileOpenRW(const char* path, int* handle) {
  int h = plat_WinFileOpen(path, kPlatOpenRead);
  if (h < 0) return 0;
  if (handle) *handle = h;
  return 1;
}

int LauncherFileCreate(const char* path, int* handle) {
  int h = plat_WinFileOpen(path, kPlatOpenCreate);
  if (h < 0) return 0;
  if (handle) *handle = h;
  return 1;
}

int64_t LauncherFileSeek(int handle, int64_t offset, int origin) {
  return plat_WinFileSeek(handle, offset, static_cast<PlatSeekOrigin>(origin));
}

int64_t LauncherFileSize(int handle) { return plat_WinFileSeek(handle, 0, kPlatSeekEnd); }

int LauncherFileRead(int handle, void* buffer, size_t count) {
  return plat_WinFileRead(handle, buffer, count) < 0 ? 1 : 0;
}

int LauncherFileClose(int handle) { return plat_WinFileClose(handle) ? 0 : 1; }

bool LauncherMemAlloc(size_t size, LauncherBlock* block) {
  try {
    LauncherBlock fresh(size, 0);
    block->swap(fresh);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

int LauncherFileLoad(const char* path, LauncherBlock* block) {
  int handle = -1;
  if (!LauncherFileOpenRW(path, &handle)) return 0;
  int64_t size = LauncherFileSize(handle);
  LauncherBlock loaded;
  bool ok = size >= 0 && static_cast<uint64_t>(size) < SIZE_MAX &&
            LauncherFileSeek(handle, 0, kPlatSeekSet) == 0 &&
            LauncherMemAlloc(static_cast<size_t>(size) + 1, &loaded);
  if (ok) {
    int64_t got = plat_WinFileRead(handle, loaded.data(), static_cast<size_t>(size));
    // A file that shrank while it was read keeps its zero byte right after what was read.
    ok = got >= 0;
    if (ok && got < size) loaded.resize(static_cast<size_t>(got) + 1);
  }
  LauncherFileClose(handle);
  if (!ok) return 0;
  block->swap(loaded);
  return 1;
}

int LauncherBitmapHeaderRead(const char* path, uint8_t header[1078]) {
  int handle = -1;
  if (!LauncherFileOpenRW(path, &handle)) return 0;
  uint8_t block[kHeaderSize] = {};
  int64_t size = LauncherFileSize(handle);
  bool ok = size >= 0 && LauncherFileSeek(handle, 0, kPlatSeekSet) == 0 &&
            LauncherFileRead(handle, block, kHeaderSize) == 0;
  LauncherFileClose(handle);
  if (!ok) return 0;
  std::memcpy(header, block, kHeaderSize);
  return 1;
}

int LauncherPaletteCreate(const uint8_t header[1078], LauncherPalette* palette) {
  palette->version = 0x300;
  palette->entryCount = 236;
  for (int i = 0; i < 256; ++i) {
    const uint8_t* bgrx = header + 54 + 4 * i;
    palette->entries[i].red = bgrx[2];
    palette->entries[i].green = bgrx[1];
    palette->entries[i].blue = bgrx[0];
    palette->entries[i].flags = 0;
  }
  return 1;
}

bool LauncherBitmapLocate(const uint8_t* file, size_t size, LauncherBitmapView* view) {
  if (!file || size < 54) return false;
  uint32_t infoSize = plat_Le32(file + 14);
  int32_t width = plat_LeInt32(file + 18);
  int32_t height = plat_LeInt32(file + 22);
  uint16_t bitCount = plat_Le16(file + 28);
  uint32_t compression = plat_Le32(file + 30);
  uint32_t coloursUsed = plat_Le32(file + 46);
  if (infoSize < 40 || infoSize > size - 14) return false;
  if (bitCount != 8 || compression != 0) return false;
  if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide) {
    return false;
  }
  if (coloursUsed > 256) return false;
  uint64_t entries = coloursUsed ? coloursUsed : 256;
  uint64_t tableOffset = 14 + static_cast<uint64_t>(infoSize);
  uint64_t tableEnd = tableOffset + 4 * entries;
  uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
  uint64_t stride = (static_cast<uint64_t>(width) + 3) & ~static_cast<uint64_t>(3);
  uint64_t bitsOffset = plat_Le32(file + 10);
  if (bitsOffset < tableEnd || bitsOffset >= size) bitsOffset = tableEnd;
  if (bitsOffset + stride * rows > size) return false;

  view->width = width;
  view->height = static_cast<int32_t>(rows);
  if (height > 0) {
    view->bits = file + bitsOffset + stride * (rows - 1);
    view->rowStep = -static_cast<ptrdiff_t>(stride);
  } else {
    view->bits = file + bitsOffset;
    view->rowStep = static_cast<ptrdiff_t>(stride);
  }
  for (uint64_t i = 0; i < 256; ++i) {
    uint64_t at = tableOffset + 4 * i;
    if (i < entries && at + 4 <= size) {
      view->colours[i] = static_cast<uint32_t>(file[at + 2]) << 16 |
                         static_cast<uint32_t>(file[at + 1]) << 8 | file[at];
    } else {
      view->colours[i] = 0;
    }
  }
  return true;
}

void LauncherBitmapDraw(const LauncherBlock& picture, uint32_t* canvas, int canvasWidth,
                        int canvasHeight, int pitch, int x, int y) {
  if (!canvas || canvasWidth <= 0 || canvasHeight <= 0) return;
  LauncherBitmapView view;
  if (picture.empty() || !LauncherBitmapLocate(picture.data(), picture.size() - 1, &view)) return;
  int64_t left = std::max<int64_t>(0, x);
  int64_t top = std::max<int64_t>(0, y);
  int64_t right = std::min<int64_t>(canvasWidth, static_cast<int64_t>(x) + view.width);
  int64_t bottom = std::min<int64_t>(canvasHeight, static_cast<int64_t>(y) + view.height);
  for (int64_t row = top; row < bottom; ++row) {
    const uint8_t* source = view.bits + view.rowStep * static_cast<ptrdiff_t>(row - y);
    uint32_t* target = canvas + row * pitch;
    for (int64_t column = left; column < right; ++column) {
      target[column] = view.colours[source[column - x]];
    }
  }
}
