#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "launcher/launcher_files.h"
#include "launcher_fixture.h"

namespace {

LauncherBlock Block(const std::vector<uint8_t>& file) {
  LauncherBlock block(file);
  block.push_back(0);
  return block;
}

void Put32(std::vector<uint8_t>* file, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*file)[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint32_t> Canvas(int width, int height) {
  return std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height), 0xDEADBEEFu);
}

TEST(LauncherPicture, DrawsOneToOneFromTheTopLeft) {
  for (bool topDown : {false, true}) {
    LauncherBlock picture = Block(datagen_LauncherBitmap(62, 32, topDown));  // rows padded to 64
    std::vector<uint32_t> canvas = Canvas(80, 40);
    LauncherBitmapDraw(picture, canvas.data(), 80, 40, 80, 0, 0);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 80; ++x) {
        uint32_t want = (x < 62 && y < 32) ? datagen_LauncherBitmapColour(datagen_LauncherBitmapIndex(x, y))
                                           : 0xDEADBEEFu;
        ASSERT_EQ(canvas[static_cast<size_t>(y * 80 + x)], want) << x << "," << y << " topDown " << topDown;
      }
    }
  }
}

TEST(LauncherPicture, SmallerOrOffsetCanvasShowsTheClippedPart) {
  LauncherBlock picture = Block(datagen_LauncherBitmap(64, 32));
  std::vector<uint32_t> canvas = Canvas(20, 10);
  LauncherBitmapDraw(picture, canvas.data(), 20, 10, 20, 0, 0);
  EXPECT_EQ(canvas[0], datagen_LauncherBitmapColour(datagen_LauncherBitmapIndex(0, 0)));
  EXPECT_EQ(canvas[9 * 20 + 19], datagen_LauncherBitmapColour(datagen_LauncherBitmapIndex(19, 9)));
  canvas = Canvas(20, 10);
  LauncherBitmapDraw(picture, canvas.data(), 20, 10, 20, -60, 5);
  EXPECT_EQ(canvas[0], 0xDEADBEEFu);
  EXPECT_EQ(canvas[5 * 20 + 0], datagen_LauncherBitmapColour(datagen_LauncherBitmapIndex(60, 0)));
  EXPECT_EQ(canvas[5 * 20 + 3], datagen_LauncherBitmapColour(datagen_LauncherBitmapIndex(63, 0)));
  EXPECT_EQ(canvas[5 * 20 + 4], 0xDEADBEEFu);
}

TEST(LauncherPicture, MalformedHeadersDrawNothing) {
  const std::vector<uint8_t> good = datagen_LauncherBitmap(64, 32);
  struct Damage {
    const char* what;
    size_t at;
    uint32_t value;
  };
  const Damage damages[] = {
      {"small information header", 14, 12}, {"huge information header", 14, 0x7FFFFFFF},
      {"bit count 4", 28, 0x00010004},      {"compressed", 30, 1},
      {"zero width", 18, 0},                {"negative width", 18, 0xFFFFFFC0},
      {"huge width", 18, 0x7FFFFFFF},       {"huge height", 22, 0x80000001},
      {"zero height", 22, 0},               {"tall height", 22, 33},
      {"colours used 300", 46, 300},
  };
  for (const Damage& d : damages) {
    std::vector<uint8_t> file = good;
    Put32(&file, d.at, d.value);
    std::vector<uint32_t> canvas = Canvas(64, 32);
    LauncherBitmapDraw(Block(file), canvas.data(), 64, 32, 64, 0, 0);
    EXPECT_EQ(canvas, Canvas(64, 32)) << d.what;
  }
  for (size_t size : {size_t{0}, size_t{10}, size_t{53}, size_t{1078}, good.size() - 1}) {
    std::vector<uint8_t> file(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    std::vector<uint32_t> canvas = Canvas(64, 32);
    LauncherBitmapDraw(Block(file), canvas.data(), 64, 32, 64, 0, 0);
    EXPECT_EQ(canvas, Canvas(64, 32)) << "cut to " << size;
  }
  std::vector<uint32_t> canvas = Canvas(4, 4);
  LauncherBitmapDraw(LauncherBlock{}, canvas.data(), 4, 4, 4, 0, 0);
  EXPECT_EQ(canvas, Canvas(4, 4));
}

TEST(LauncherPicture, PixelsArePlacedByTheirOffsetNotTheColourCount) {
  // Colours used 0 means a full table; an offset field pointing past the table is honoured.
  std::vector<uint8_t> file = datagen_LauncherBitmap(8, 2);
  Put32(&file, 46, 0);
  LauncherBitmapView view;
  ASSERT_TRUE(LauncherBitmapLocate(file.data(), file.size(), &view));
  EXPECT_EQ(view.bits[0], datagen_LauncherBitmapIndex(0, 0));
  EXPECT_EQ(view.colours[255], datagen_LauncherBitmapColour(255));

  std::vector<uint8_t> moved(file.begin(), file.begin() + 1078);
  moved.insert(moved.end(), 16, 0xEE);
  moved.insert(moved.end(), file.begin() + 1078, file.end());
  Put32(&moved, 10, 1078 + 16);
  ASSERT_TRUE(LauncherBitmapLocate(moved.data(), moved.size(), &view));
  EXPECT_EQ(view.bits[1], datagen_LauncherBitmapIndex(1, 0));
  EXPECT_EQ(view.height, 2);

  // A small colour table: indexes past it are black.
  Put32(&file, 46, 2);
  Put32(&file, 10, 0);
  ASSERT_TRUE(LauncherBitmapLocate(file.data(), file.size(), &view));
  EXPECT_EQ(view.colours[1], datagen_LauncherBitmapColour(1));
  EXPECT_EQ(view.colours[2], 0u);
  EXPECT_EQ(view.bits, file.data() + 54 + 8 + 8);  // right after two entries; bottom-up: last row first
}

TEST_F(LauncherTest, HeaderPaletteAndShortFiles) {
  std::vector<uint8_t> bmp = datagen_LauncherBitmap(16, 16);
  root.Write("pic.bmp", std::string(bmp.begin(), bmp.end()));
  root.Write("short.bmp", std::string(bmp.begin(), bmp.begin() + 54 + 4 * 10));
  uint8_t header[1078];
  std::memset(header, 0x55, sizeof header);
  ASSERT_EQ(LauncherBitmapHeaderRead((root.Windows() + "\\PIC.BMP").c_str(), header), 1);
  EXPECT_EQ(std::memcmp(header, bmp.data(), 1078), 0);
  LauncherPalette palette;
  ASSERT_EQ(LauncherPaletteCreate(header, &palette), 1);
  EXPECT_EQ(palette.version, 0x300);
  EXPECT_EQ(palette.entryCount, 236);
  uint32_t c = datagen_LauncherBitmapColour(200);
  EXPECT_EQ(palette.entries[200].red, (c >> 16) & 0xFF);
  EXPECT_EQ(palette.entries[200].green, (c >> 8) & 0xFF);
  EXPECT_EQ(palette.entries[200].blue, c & 0xFF);

  ASSERT_EQ(LauncherBitmapHeaderRead((root.Windows() + "\\short.bmp").c_str(), header), 1);
  LauncherPaletteCreate(header, &palette);
  EXPECT_EQ(palette.entries[9].blue, 9);
  EXPECT_EQ(palette.entries[10].red | palette.entries[10].green | palette.entries[10].blue, 0);
  EXPECT_EQ(palette.entries[255].green, 0);
  EXPECT_EQ(LauncherBitmapHeaderRead((root.Windows() + "\\none.bmp").c_str(), header), 0);
}

TEST_F(LauncherTest, FileLoadAndWrapperResults) {
  root.Write("text.txt", std::string(100, 'a'));
  LauncherBlock block{9, 9};
  std::string path = root.Windows() + "\\text.txt";
  ASSERT_EQ(LauncherFileLoad(path.c_str(), &block), 1);
  ASSERT_EQ(block.size(), 101u);
  EXPECT_EQ(block[99], 'a');
  EXPECT_EQ(block[100], 0);

  LauncherBlock untouched{1, 2, 3};
  EXPECT_EQ(LauncherFileLoad((root.Windows() + "\\missing.txt").c_str(), &untouched), 0);
  EXPECT_EQ(untouched, (LauncherBlock{1, 2, 3}));
  EXPECT_EQ(LauncherFileLoad(root.Windows().c_str(), &untouched), 0);  // a folder is no file

  // A read-only file is read all the same (a disc is read-only).
  chmod((root.path() / "text.txt").c_str(), 0444);
  EXPECT_EQ(LauncherFileLoad(path.c_str(), &block), 1);
  root.Write("empty.txt", "");
  EXPECT_EQ(LauncherFileLoad((root.Windows() + "\\empty.txt").c_str(), &block), 1);
  EXPECT_EQ(block, LauncherBlock{0});

  int handle = -1;
  ASSERT_EQ(LauncherFileOpenRW(path.c_str(), &handle), 1);
  EXPECT_EQ(LauncherFileSize(handle), 100);
  EXPECT_EQ(LauncherFileSeek(handle, 0, 0), 0);
  char buffer[10];
  EXPECT_EQ(LauncherFileRead(handle, buffer, sizeof buffer), 0);  // 0 is success
  EXPECT_EQ(LauncherFileClose(handle), 0);
  EXPECT_EQ(LauncherFileClose(handle), 1);                        // 1 is failure
  EXPECT_EQ(LauncherFileRead(-1, buffer, sizeof buffer), 1);
  EXPECT_EQ(LauncherFileOpenRW((root.Windows() + "\\missing.txt").c_str(), &handle), 0);

  ASSERT_EQ(LauncherFileCreate((root.Windows() + "\\made.txt").c_str(), &handle), 1);
  LauncherFileClose(handle);
  EXPECT_TRUE(root.Exists("made.txt"));
  LauncherBlock zeroed;
  ASSERT_TRUE(LauncherMemAlloc(5, &zeroed));
  EXPECT_EQ(zeroed, LauncherBlock(5, 0));
}

}  // namespace
