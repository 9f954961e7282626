// The sample-data BMP writer, read back through the engine's decoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/bmp.h"
#include "tools/datagen/bmp_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Deterministic test pictures: noise with stretches of repeats, so RLE8 meets runs and literals.
Bytes Picture(int32_t count, uint32_t seed, int32_t levels) {
  Bytes out;
  uint32_t state = seed;
  while (static_cast<int32_t>(out.size()) < count) {
    state = state * 1664525u + 1013904223u;
    auto value = static_cast<uint8_t>((state >> 24) % static_cast<uint32_t>(levels));
    int32_t repeat = (state >> 8) % 4 == 0 ? static_cast<int32_t>((state >> 12) % 300) : 1;
    for (int32_t i = 0; i < repeat && static_cast<int32_t>(out.size()) < count; ++i) out.push_back(value);
  }
  return out;
}

std::vector<BmpPaletteEntry> Palette(int32_t count) {
  std::vector<BmpPaletteEntry> palette;
  for (int32_t i = 0; i < count; ++i) {
    palette.push_back({static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7),
                       static_cast<uint8_t>(i % 2 ? 255 : 0)});
  }
  return palette;
}

class BmpWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { wre_MemoryInit(); }
  static Offscreen* Decode(const Bytes& file) {
    return wre_OffscreenLoadBMPMemory(file.data(), static_cast<int32_t>(file.size()));
  }
  static Bytes Rows(const Offscreen* o, int32_t bytesPerPixel) {
    Bytes out;
    for (int32_t y = 0; y < o->height; ++y) {
      const uint8_t* row = o->pixels + static_cast<size_t>(y) * static_cast<size_t>(o->rowBytes);
      out.insert(out.end(), row, row + o->width * bytesPerPixel);
    }
    return out;
  }
};

TEST_F(BmpWriterTest, IndexedImagesRoundTripInEveryHeaderAndCompression) {
  struct Variant {
    int32_t headerSize;
    bool rle8;
  };
  const Variant variants[] = {{40, false}, {40, true}, {64, false}, {64, true}, {12, false}};
  for (const Variant& v : variants) {
    for (int32_t width : {1, 2, 3, 4, 5, 7, 8, 33, 300}) {
      for (int32_t height : {1, 2, 5}) {
        int32_t colours = v.headerSize == 12 ? 256 : (width % 2 ? 16 : 256);
        Bytes indices = Picture(width * height, static_cast<uint32_t>(width * 31 + height), colours);
        std::vector<BmpPaletteEntry> palette = Palette(colours);
        Bytes file = BmpWriteIndexed(width, height, indices.data(), palette.data(), colours, {v.headerSize, v.rle8});
        Offscreen* o = Decode(file);
        ASSERT_NE(o, nullptr) << v.headerSize << " " << v.rle8 << " " << width << "x" << height;
        EXPECT_EQ(o->depth, 8);
        EXPECT_EQ(o->paletteCount, colours);
        EXPECT_EQ(Rows(o, 1), indices) << v.headerSize << " " << v.rle8 << " " << width << "x" << height;
        for (int32_t i = 0; i < colours; ++i) {
          uint8_t alpha = v.headerSize == 12 ? 0 : palette[static_cast<size_t>(i)].reserved;
          Bytes expected{alpha, palette[static_cast<size_t>(i)].red, palette[static_cast<size_t>(i)].green,
                         palette[static_cast<size_t>(i)].blue};
          ASSERT_EQ(Bytes(o->paletteB[i], o->paletteB[i] + 4), expected) << i;
        }
        wre_OffscreenDispose(o);
      }
    }
  }
}

TEST_F(BmpWriterTest, RgbImagesRoundTripInEveryHeader) {
  for (int32_t headerSize : {40, 64, 12}) {
    for (int32_t width : {1, 2, 3, 4, 5, 17}) {
      for (int32_t height : {1, 2, 3}) {
        Bytes rgb = Picture(width * height * 3, static_cast<uint32_t>(width + height * 7), 256);
        Bytes file = BmpWriteRgb(width, height, rgb.data(), {headerSize, false});
        Offscreen* o = Decode(file);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->depth, 24);
        EXPECT_EQ(Rows(o, 3), rgb) << headerSize << " " << width << "x" << height;
        wre_OffscreenDispose(o);
      }
    }
  }
}

TEST_F(BmpWriterTest, Rle8DecodesTheSameAsRaw) {
  const int32_t width = 40;
  const int32_t height = 6;
  Bytes indices = Picture(width * height, 99, 4);
  std::vector<BmpPaletteEntry> palette = Palette(4);
  Bytes raw = BmpWriteIndexed(width, height, indices.data(), palette.data(), 4, {40, false});
  Bytes rle = BmpWriteIndexed(width, height, indices.data(), palette.data(), 4, {40, true});
  EXPECT_EQ(rle[30], 1);
  Offscreen* a = Decode(raw);
  Offscreen* b = Decode(rle);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(Rows(a, 1), Rows(b, 1));
  EXPECT_EQ(0, std::memcmp(a->paletteB, b->paletteB, sizeof(a->paletteB)));
  wre_OffscreenDispose(a);
  wre_OffscreenDispose(b);
}

TEST_F(BmpWriterTest, Rle8CodesForRunsAndLiterals) {
  // Repeats become runs; three or more differing bytes a literal with a pad byte when odd.
  const uint8_t row[] = {4, 4, 4, 1, 2, 3, 9, 9};
  EXPECT_EQ(BmpEncodeRle8Row(row, 8), (Bytes{3, 4, 0, 3, 1, 2, 3, 0, 2, 9}));
  const uint8_t pair[] = {1, 2};
  EXPECT_EQ(BmpEncodeRle8Row(pair, 2), (Bytes{1, 1, 1, 2}));
  Bytes same(300, 7);
  EXPECT_EQ(BmpEncodeRle8Row(same.data(), 300), (Bytes{255, 7, 45, 7}));
}

TEST_F(BmpWriterTest, HeadersMatchTheLayoutReadersExpect) {
  std::vector<BmpPaletteEntry> palette = Palette(2);
  const uint8_t indices[2] = {0, 1};
  Bytes file = BmpWriteIndexed(2, 1, indices, palette.data(), 2);
  ASSERT_EQ(file.size(), 54u + 8 + 4);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(file[2], file.size());
  EXPECT_EQ(file[10], 62);  // the pixels follow the palette directly
  EXPECT_EQ(file[14], 40);
  EXPECT_EQ(file[28], 8);
  EXPECT_EQ(file[46], 2);
}

}  // namespace
