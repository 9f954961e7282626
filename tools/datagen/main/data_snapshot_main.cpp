// Pictures of the generated data for people to look at: converts bitmaps of the tree to PNG (a
// list of bitmaps given together becomes one sheet, side by side).
//   data_snapshot png OUT.png FILE.bmp [FILE.bmp ...]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/bmp.h"
#include "engine/data/offscreen.h"
#include "tools/datagen/png_writer.h"

namespace {

struct Rgb {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> bytes;
};

bool LoadBmp(const char* path, Rgb* out) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Offscreen* o = wre_OffscreenLoadBMPMemory(data.data(), static_cast<int32_t>(data.size()));
  if (!o) return false;
  out->width = o->width;
  out->height = o->height;
  out->bytes.clear();
  for (int32_t y = 0; y < o->height; ++y) {
    const uint8_t* row = o->pixels + static_cast<size_t>(y) * o->rowBytes;
    for (int32_t x = 0; x < o->width; ++x) {
      if (o->depth == 8) {
        out->bytes.insert(out->bytes.end(), o->paletteA[row[x]], o->paletteA[row[x]] + 3);
      } else {
        out->bytes.insert(out->bytes.end(), row + x * 3, row + x * 3 + 3);
      }
    }
  }
  wre_OffscreenDispose(o);
  return true;
}

bool Save(const char* path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int Sheet(int count, char** files, const char* outPath) {
  std::vector<Rgb> pictures(static_cast<size_t>(count));
  int32_t width = 0, height = 0;
  for (int i = 0; i < count; ++i) {
    if (!LoadBmp(files[i], &pictures[static_cast<size_t>(i)])) {
      std::fprintf(stderr, "data_snapshot: cannot read %s\n", files[i]);
      return 1;
    }
    width += pictures[static_cast<size_t>(i)].width + (i ? 4 : 0);
    height = std::max(height, pictures[static_cast<size_t>(i)].height);
  }
  std::vector<uint8_t> sheet(static_cast<size_t>(width) * height * 3, 40);
  int32_t left = 0;
  for (const Rgb& p : pictures) {
    for (int32_t y = 0; y < p.height; ++y)
      std::memcpy(&sheet[(static_cast<size_t>(y) * width + left) * 3], &p.bytes[static_cast<size_t>(y) * p.width * 3],
                  static_cast<size_t>(p.width) * 3);
    left += p.width + 4;
  }
  return Save(outPath, PngWriteRgb(width, height, sheet.data())) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  wre_MemoryInit();
  if (argc >= 4 && std::strcmp(argv[1], "png") == 0) return Sheet(argc - 3, argv + 3, argv[2]);
  std::fprintf(stderr, "usage: data_snapshot png OUT.png FILE.bmp...\n");
  return 2;
}
