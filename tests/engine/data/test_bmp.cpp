#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/bmp.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A 2 x 2 24-bit image, 40-byte header. Bottom row first: (1,2,3) (4,5,6), then (7,8,9) (10,11,12)
// as red, green, blue; each row 6 data bytes and 2 pad bytes.
const Bytes kTwoByTwo24 = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                 // file header
    40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,              // size, width, height, planes, bpp
    0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,  // compression, image size, ppm
    0, 0, 0, 0, 0, 0, 0, 0,                                        // colours used, important
    3, 2, 1, 6, 5, 4, 0xEE, 0xEE,                                  // bottom row
    9, 8, 7, 12, 11, 10, 0xEE, 0xEE,                               // top row
};

// A 1-pixel-wide 8-bit image three rows high with two palette entries; each row is 4 bytes.
const Bytes kOneWide8 = {
    'B', 'M', 74, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,
    40, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 1, 0, 8, 0,
    0, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    2, 0, 0, 0, 0, 0, 0, 0,
    10, 20, 30, 0x40,   // entry 0: blue, green, red, reserved
    40, 50, 60, 0xFF,   // entry 1
    1, 0xAA, 0xBB, 0xCC,  // bottom row
    0, 0xDD, 0xDD, 0xDD,
    1, 0xEE, 0xEE, 0xEE,  // top row
};

// A 4 x 3 RLE8 image: a run, a delta up one row, a run, end of line, a literal with its pad byte,
// a run, end of bitmap.
const Bytes kRle8 = {
    'B', 'M', 92, 0, 0, 0, 0, 0, 0, 0, 70, 0, 0, 0,
    40, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, 1, 0, 8, 0,
    1, 0, 0, 0, 22, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    4, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0,  // palette
    3, 5,           // bottom row: 5 5 5
    0, 2, 0, 1,     // delta: right 0, up 1 (to column 3 of the middle row)
    1, 4,           // 4
    0, 0,           // end of line: the top row
    0, 3, 7, 8, 9, 0,  // literal 7 8 9 and its pad byte
    1, 2,           // 2
    0, 1,           // end of bitmap
};

class BmpTest : public ::testing::Test {
 protected:
  void SetUp() override { wre_MemoryInit(); }
  void TearDown() override {
    for (Offscreen* o : made_) wre_OffscreenDispose(o);
  }

  Offscreen* Load(const Bytes& data) {
    Offscreen* o = wre_OffscreenLoadBMPMemory(data.data(), static_cast<int32_t>(data.size()));
    if (o) made_.push_back(o);
    return o;
  }

  // Every pixel of an 8-bit offscreen, top row first.
  static Bytes Pixels8(const Offscreen* o) {
    Bytes out;
    for (int y = 0; y < o->height; ++y) out.insert(out.end(), o->pixels + y * o->rowBytes, o->pixels + y * o->rowBytes + o->width);
    return out;
  }

  std::vector<Offscreen*> made_;
};

void Put32(Bytes& data, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) data[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(Bytes& data, size_t at, uint32_t v) {
  data[at] = static_cast<uint8_t>(v);
  data[at + 1] = static_cast<uint8_t>(v >> 8);
}

TEST_F(BmpTest, A24BitImageLosesItsPaddingAndComesOutTopRowFirst) {
  Offscreen* o = Load(kTwoByTwo24);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->kind, kOffscreenMemory);
  EXPECT_EQ(o->depth, 24);
  EXPECT_EQ(o->flags, 0);
  EXPECT_EQ(o->width, 2);
  EXPECT_EQ(o->height, 2);
  EXPECT_EQ(o->rect.right, 2);
  EXPECT_EQ(o->paletteCount, 0);
  EXPECT_EQ(o->owner, nullptr);
  EXPECT_EQ(Bytes(o->pixels, o->pixels + 12), (Bytes{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
}

TEST_F(BmpTest, AOnePixelWide8BitImageKeepsTheFirstByteOfEachRow) {
  Offscreen* o = Load(kOneWide8);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->depth, 8);
  EXPECT_EQ(o->flags, 0);
  EXPECT_EQ(o->paletteCount, 2);
  EXPECT_EQ(Pixels8(o), (Bytes{1, 0, 1}));
  // Palette B: alpha (the reserved byte), red, green, blue; palette A: red, green, blue, 0.
  EXPECT_EQ(Bytes(o->paletteB[0], o->paletteB[0] + 4), (Bytes{0x40, 30, 20, 10}));
  EXPECT_EQ(Bytes(o->paletteB[1], o->paletteB[1] + 4), (Bytes{0xFF, 60, 50, 40}));
  EXPECT_EQ(Bytes(o->paletteA[1], o->paletteA[1] + 4), (Bytes{60, 50, 40, 0}));
  EXPECT_EQ(Bytes(o->paletteB[2], o->paletteB[2] + 4), (Bytes{0, 0, 0, 0}));
}

TEST_F(BmpTest, Rle8RunsLiteralsDeltasAndLineEnds) {
  Offscreen* o = Load(kRle8);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(Pixels8(o), (Bytes{7, 8, 9, 2, 0, 0, 0, 4, 5, 5, 5, 0}));
  EXPECT_EQ(o->paletteB[3][1], 3);
}

TEST_F(BmpTest, Rle8DecodesTheSameAsTheRawImage) {
  // The RLE image stored uncompressed, 4 bytes per row, bottom row first.
  Bytes raw(kRle8.begin(), kRle8.begin() + 70);
  raw[30] = 0;
  const uint8_t rows[12] = {5, 5, 5, 0, 0, 0, 0, 4, 7, 8, 9, 2};
  raw.insert(raw.end(), rows, rows + 12);
  Offscreen* fromRaw = Load(raw);
  Offscreen* fromRle = Load(kRle8);
  ASSERT_TRUE(fromRaw && fromRle);
  EXPECT_EQ(Pixels8(fromRaw), Pixels8(fromRle));
  // Any compression but RLE8 reads as raw rows.
  raw[30] = 7;
  Offscreen* other = Load(raw);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(Pixels8(other), Pixels8(fromRle));
}

TEST_F(BmpTest, Rle8ClipsAtTheRowEndAndStopsAtTheDataEnd) {
  Bytes data(kRle8.begin(), kRle8.begin() + 70);
  Put32(data, 18, 2);  // two pixels wide
  Put32(data, 22, 2);
  // A run of 5 on a row of 2, a single past the end, next line, a literal of 3 clipped to 2,
  // then the data ends in the middle of a delta.
  const uint8_t codes[] = {5, 3, 1, 9, 0, 0, 0, 3, 6, 7, 8, 0, 0, 2, 1};
  data.insert(data.end(), codes, codes + sizeof(codes));
  Offscreen* o = Load(data);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(Pixels8(o), (Bytes{6, 7, 3, 3}));

  // A delta above the top row ends the decode; nothing is written outside the block.
  Bytes up(kRle8.begin(), kRle8.begin() + 70);
  const uint8_t upCodes[] = {1, 1, 0, 2, 0, 200, 1, 9, 0, 1};
  up.insert(up.end(), upCodes, upCodes + sizeof(upCodes));
  Offscreen* u = Load(up);
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(Pixels8(u), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
  // A literal that runs past the data end stops the decode.
  Bytes cut(kRle8.begin(), kRle8.begin() + 70);
  const uint8_t cutCodes[] = {2, 6, 0, 9, 1, 2};
  cut.insert(cut.end(), cutCodes, cutCodes + sizeof(cutCodes));
  Offscreen* c = Load(cut);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(Pixels8(c)[8], 6);
  EXPECT_EQ(Pixels8(c)[10], 0);
}

// A 40-byte-header 8-bit image turned into the same image with a 64- or 12-byte header.
Bytes WithHeader(const Bytes& forty, uint32_t size) {
  Bytes out(forty.begin(), forty.begin() + 14);
  uint32_t offset = 14 + size;
  uint32_t bpp = forty[28];
  uint32_t colours = forty[46] | forty[47] << 8;
  if (bpp == 8 && colours == 0) colours = 256;
  Bytes palette;
  for (uint32_t i = 0; i < (bpp == 8 ? (size == 12 ? 256 : colours) : 0); ++i) {
    for (uint32_t b = 0; b < (size == 12 ? 3u : 4u); ++b) {
      size_t at = 54 + i * 4 + b;
      palette.push_back(i < colours && at < forty.size() ? forty[at] : 0);
    }
  }
  offset += static_cast<uint32_t>(palette.size());
  Put32(out, 10, offset);
  Bytes info(size, 0);
  Put32(info, 0, size);
  if (size == 12) {
    Put16(info, 4, forty[18]);
    Put16(info, 6, forty[22]);
    Put16(info, 8, 1);
    Put16(info, 10, bpp);
  } else {
    std::memcpy(info.data() + 4, forty.data() + 18, 36);
  }
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), palette.begin(), palette.end());
  uint32_t pixels = forty[10] | forty[11] << 8;
  out.insert(out.end(), forty.begin() + pixels, forty.end());
  return out;
}

TEST_F(BmpTest, HeaderSizes40And64And12AreRead) {
  Offscreen* o64 = Load(WithHeader(kOneWide8, 64));
  ASSERT_NE(o64, nullptr);
  EXPECT_EQ(Pixels8(o64), (Bytes{1, 0, 1}));
  EXPECT_EQ(o64->paletteB[1][0], 0xFF);

  // The core header: three-byte entries, always 2^8 of them, palette alpha 0.
  Bytes core = WithHeader(kOneWide8, 12);
  EXPECT_EQ(core.size(), 14u + 12 + 768 + 12);
  Offscreen* o12 = Load(core);
  ASSERT_NE(o12, nullptr);
  EXPECT_EQ(o12->paletteCount, 256);
  EXPECT_EQ(Pixels8(o12), (Bytes{1, 0, 1}));
  EXPECT_EQ(Bytes(o12->paletteB[1], o12->paletteB[1] + 4), (Bytes{0, 60, 50, 40}));
  EXPECT_EQ(Bytes(o12->paletteB[0], o12->paletteB[0] + 4), (Bytes{0, 30, 20, 10}));

  Offscreen* c24 = Load(WithHeader(kTwoByTwo24, 12));
  ASSERT_NE(c24, nullptr);
  EXPECT_EQ(Bytes(c24->pixels, c24->pixels + 12), (Bytes{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
  Offscreen* r64 = Load(WithHeader(kRle8, 64));
  ASSERT_NE(r64, nullptr);
  EXPECT_EQ(Pixels8(r64), (Bytes{7, 8, 9, 2, 0, 0, 0, 4, 5, 5, 5, 0}));

  for (uint32_t size : {108u, 124u, 0u, 39u, 41u, 16u}) {
    Bytes other = kTwoByTwo24;
    Put32(other, 14, size);
    EXPECT_EQ(Load(other), nullptr) << size;
  }
}

TEST_F(BmpTest, PaletteCountRules) {
  // Colours used 0 means 256 entries, which must then be present.
  Bytes full(kOneWide8.begin(), kOneWide8.begin() + 54);
  Put32(full, 46, 0);
  Put32(full, 10, 54 + 1024);
  for (int i = 0; i < 256; ++i) {
    const uint8_t entry[4] = {static_cast<uint8_t>(i), 0, 0, 0};
    full.insert(full.end(), entry, entry + 4);
  }
  full.insert(full.end(), kOneWide8.begin() + 62, kOneWide8.end());
  Offscreen* o = Load(full);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->paletteCount, 256);
  EXPECT_EQ(o->paletteB[255][3], 255);
  full.resize(54 + 1000);
  EXPECT_EQ(Load(full), nullptr);

  Bytes many = kOneWide8;
  Put32(many, 46, 300);
  EXPECT_EQ(Load(many), nullptr);
  Put32(many, 46, 0xFFFFFFFF);
  EXPECT_EQ(Load(many), nullptr);
  // More entries than the file holds.
  Put32(many, 46, 200);
  EXPECT_EQ(Load(many), nullptr);
  // Even a 24-bit image may not claim more than 256.
  Bytes wide = kTwoByTwo24;
  Put32(wide, 46, 257);
  EXPECT_EQ(Load(wide), nullptr);
  Put32(wide, 46, 256);
  EXPECT_NE(Load(wide), nullptr);
}

TEST_F(BmpTest, DepthsOtherThan8And24AreRefused) {
  for (uint32_t bpp : {1u, 4u, 16u, 32u, 0u}) {
    Bytes other = kTwoByTwo24;
    Put16(other, 28, bpp);
    EXPECT_EQ(Load(other), nullptr) << bpp;
  }
}

TEST_F(BmpTest, MalformedFilesAreRefused) {
  EXPECT_EQ(wre_OffscreenLoadBMPMemory(nullptr, 70), nullptr);
  EXPECT_EQ(wre_OffscreenLoadBMPMemory(kTwoByTwo24.data(), 0), nullptr);
  EXPECT_EQ(wre_OffscreenLoadBMPMemory(kTwoByTwo24.data(), -5), nullptr);

  auto refused = [&](void (*change)(Bytes&), const Bytes& base) {
    Bytes data = base;
    change(data);
    return Load(data) == nullptr;
  };
  EXPECT_TRUE(refused([](Bytes& d) { d[1] = 'N'; }, kTwoByTwo24));
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 18, 0); }, kTwoByTwo24));
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 22, 0); }, kTwoByTwo24));
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 22, static_cast<uint32_t>(-2)); }, kTwoByTwo24));  // top-down
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 18, 0x7FFFFFFF); }, kTwoByTwo24));
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 18, 3); }, kTwoByTwo24));  // rows longer than the data
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 10, 70); }, kTwoByTwo24));  // pixels at the end
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 10, 0xFFFFFFFF); }, kTwoByTwo24));
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 10, 60); }, kTwoByTwo24));  // rows run past the end
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 10, 92); }, kRle8));
  EXPECT_TRUE(refused([](Bytes& d) { Put32(d, 18, kBitmapMaxSide + 1); }, kRle8));
  // The largest side is still read.
  Bytes tall = kRle8;
  Put32(tall, 22, kBitmapMaxSide);
  Offscreen* o = Load(tall);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->pixels[static_cast<size_t>(kBitmapMaxSide - 1) * 4], 5);
}

TEST_F(BmpTest, TruncatedFilesAreRefused) {
  // Only the last row's padding may be missing.
  for (const Bytes* file : {&kTwoByTwo24, &kOneWide8}) {
    size_t shortest = file == &kTwoByTwo24 ? file->size() - 2 : file->size() - 3;
    for (size_t n = 0; n < file->size(); ++n) {
      Offscreen* o = Load(Bytes(file->begin(), file->begin() + static_cast<std::ptrdiff_t>(n)));
      EXPECT_EQ(o != nullptr, n >= shortest) << n;
    }
  }
  // An RLE8 stream may end anywhere after its first byte.
  for (size_t n = 0; n <= 70; ++n) {
    EXPECT_EQ(Load(Bytes(kRle8.begin(), kRle8.begin() + static_cast<std::ptrdiff_t>(n))), nullptr) << n;
  }
  EXPECT_NE(Load(Bytes(kRle8.begin(), kRle8.begin() + 71)), nullptr);
}

TEST_F(BmpTest, ReadHeaderAndIsBmp) {
  int32_t width, height, bpp, headerSize, compression, planes, imageSize, coloursUsed, important;
  const uint8_t* pixels = nullptr;
  const uint8_t* palette = nullptr;
  ASSERT_EQ(wre_BitmapReadHeader(kOneWide8.data(), static_cast<int32_t>(kOneWide8.size()), &width, &height, &bpp,
                                 &headerSize, &compression, &planes, &pixels, &imageSize, &coloursUsed, &important,
                                 &palette),
            0);
  EXPECT_EQ(width, 1);
  EXPECT_EQ(height, 3);
  EXPECT_EQ(bpp, 8);
  EXPECT_EQ(headerSize, 40);
  EXPECT_EQ(compression, 0);
  EXPECT_EQ(planes, 1);
  EXPECT_EQ(imageSize, 12);
  EXPECT_EQ(coloursUsed, 2);
  EXPECT_EQ(important, 0);
  EXPECT_EQ(pixels, kOneWide8.data() + 62);
  EXPECT_EQ(palette, kOneWide8.data() + 54);

  // The core header computes the image size: 4 bytes a row.
  Bytes core = WithHeader(kOneWide8, 12);
  ASSERT_EQ(wre_BitmapReadHeader(core.data(), static_cast<int32_t>(core.size()), nullptr, nullptr, nullptr, nullptr,
                                 &compression, nullptr, nullptr, &imageSize, &coloursUsed, nullptr, &palette),
            0);
  EXPECT_EQ(imageSize, 12);
  EXPECT_EQ(coloursUsed, 256);
  EXPECT_EQ(palette, core.data() + 26);

  Bytes bad = kOneWide8;
  bad[0] = 'b';
  EXPECT_EQ(wre_BitmapReadHeader(bad.data(), static_cast<int32_t>(bad.size()), nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            -1);
  EXPECT_EQ(wre_BitmapReadHeader(kOneWide8.data(), 30, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr),
            -1);
  EXPECT_TRUE(wre_BitmapIsBMP(kOneWide8.data(), 2));
  EXPECT_FALSE(wre_BitmapIsBMP(kOneWide8.data(), 1));
  EXPECT_FALSE(wre_BitmapIsBMP(bad.data(), 2));
  EXPECT_FALSE(wre_BitmapIsBMP(nullptr, 2));
}

TEST_F(BmpTest, DecodingInto32BitAndUnknownDepths) {
  WreRect rect{0, 0, 2, 2};
  Offscreen* o = wre_OffscreenNew(kOffscreenMemory, &rect, 0, 32, 0, nullptr, nullptr);
  ASSERT_NE(o, nullptr);
  made_.push_back(o);
  ASSERT_EQ(wre_BitmapDecodePixels(kTwoByTwo24.data() + 54, 16, nullptr, 2, 2, 24, o, 0, 40, 0), 0);
  EXPECT_EQ(Bytes(o->pixels, o->pixels + 8), (Bytes{0, 7, 8, 9, 0, 10, 11, 12}));
  EXPECT_EQ(wre_BitmapDecodePixels(kTwoByTwo24.data() + 54, 16, nullptr, 2, 2, 16, o, 0, 40, 0), -1);
  // Too little data, or an offscreen of another size.
  EXPECT_EQ(wre_BitmapDecode24(kTwoByTwo24.data() + 54, 13, 2, 2, o), -1);
  EXPECT_EQ(wre_BitmapDecode24(kTwoByTwo24.data() + 54, 16, 3, 2, o), -1);
  EXPECT_EQ(wre_BitmapDecode8(kOneWide8.data() + 62, 12, kOneWide8.data() + 54, 1, 3, o, 2, 40, 0), -1);
}

}  // namespace
