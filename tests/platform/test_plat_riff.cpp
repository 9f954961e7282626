// RIFF chunk reading: finding chunks, lists and pads, and sizes the data does not back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/plat_riff.h"

namespace {

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Chunk(std::vector<uint8_t>& b, const char* id, const std::string& data) {
  b.insert(b.end(), id, id + 4);
  Put32(b, static_cast<uint32_t>(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  if (data.size() & 1) b.push_back(0);
}

// RIFF "TEST" { "abc " (3 bytes + pad), LIST "lst1" { "x   " }, "dat " }
std::vector<uint8_t> Sample() {
  std::vector<uint8_t> inner;
  Chunk(inner, "x   ", "XY");
  std::vector<uint8_t> body = {'T', 'E', 'S', 'T'};
  Chunk(body, "abc ", "123");
  Chunk(body, "LIST", "lst1" + std::string(inner.begin(), inner.end()));
  Chunk(body, "dat ", "payload");
  std::vector<uint8_t> file;
  Chunk(file, "RIFF", std::string(body.begin(), body.end()));
  return file;
}

TEST(RiffTest, DescendsFindsAndAscends) {
  std::vector<uint8_t> bytes = Sample();
  PlatRiffFile f;
  plat_RiffOpenMemory(&f, bytes.data(), bytes.size());
  PlatRiffChunk riff{};
  riff.formType = plat_FourCC('T', 'E', 'S', 'T');
  ASSERT_EQ(plat_RiffDescend(&f, &riff, nullptr, kPlatRiffFindRiff), kPlatRiffOk);
  EXPECT_EQ(riff.dataOffset, 8u);
  EXPECT_EQ(f.position, 12u);  // past the form type

  // Searching skips the padded chunk and the list.
  PlatRiffChunk dat{};
  dat.id = plat_FourCC('d', 'a', 't', ' ');
  ASSERT_EQ(plat_RiffDescend(&f, &dat, &riff, kPlatRiffFindChunk), kPlatRiffOk);
  EXPECT_EQ(dat.size, 7u);
  char text[8] = {};
  EXPECT_EQ(plat_RiffRead(&f, text, 7), 7);
  EXPECT_STREQ(text, "payload");

  // A list by its form type, then a chunk inside it.
  plat_RiffSeek(&f, riff.dataOffset + 4);
  PlatRiffChunk list{};
  list.formType = plat_FourCC('l', 's', 't', '1');
  ASSERT_EQ(plat_RiffDescend(&f, &list, &riff, kPlatRiffFindList), kPlatRiffOk);
  PlatRiffChunk x{};
  ASSERT_EQ(plat_RiffDescend(&f, &x, &list, 0), kPlatRiffOk);
  EXPECT_EQ(x.id, plat_FourCC('x', ' ', ' ', ' '));
  ASSERT_EQ(plat_RiffAscend(&f, &x), kPlatRiffOk);
  // Nothing more inside the list, though the file goes on.
  PlatRiffChunk none{};
  EXPECT_EQ(plat_RiffDescend(&f, &none, &list, 0), kPlatRiffErrChunkNotFound);
  ASSERT_EQ(plat_RiffAscend(&f, &list), kPlatRiffOk);
  ASSERT_EQ(plat_RiffDescend(&f, &none, &riff, 0), kPlatRiffOk);
  EXPECT_EQ(none.id, dat.id);

  // The ascent out of the odd chunk lands past its pad byte.
  plat_RiffSeek(&f, riff.dataOffset + 4);
  PlatRiffChunk abc{};
  ASSERT_EQ(plat_RiffDescend(&f, &abc, &riff, 0), kPlatRiffOk);
  plat_RiffAscend(&f, &abc);
  EXPECT_EQ(f.position, abc.dataOffset + 4);
  plat_RiffClose(&f);
}

TEST(RiffTest, SizesBeyondTheDataAreSafe) {
  std::vector<uint8_t> bytes = Sample();
  // The "dat " chunk claims nearly 4 GB.
  size_t datSize = bytes.size() - 8 - 4;
  for (int i = 0; i < 4; ++i) bytes[datSize + i] = 0xFF;
  PlatRiffFile f;
  plat_RiffOpenMemory(&f, bytes.data(), bytes.size());
  PlatRiffChunk riff{}, dat{}, after{};
  riff.formType = plat_FourCC('T', 'E', 'S', 'T');
  ASSERT_EQ(plat_RiffDescend(&f, &riff, nullptr, kPlatRiffFindRiff), kPlatRiffOk);
  dat.id = plat_FourCC('d', 'a', 't', ' ');
  ASSERT_EQ(plat_RiffDescend(&f, &dat, &riff, kPlatRiffFindChunk), kPlatRiffOk);
  // What is there is the 7 bytes and the pad byte behind them.
  EXPECT_EQ(plat_RiffBytesPresent(&f, &dat), 8u);
  std::vector<uint8_t> buffer(100);
  EXPECT_EQ(plat_RiffRead(&f, buffer.data(), 100), 8);
  EXPECT_EQ(plat_RiffRead(&f, buffer.data(), 100), 0);
  plat_RiffAscend(&f, &dat);
  EXPECT_EQ(plat_RiffDescend(&f, &after, nullptr, 0), kPlatRiffErrChunkNotFound);
  EXPECT_NE(plat_RiffSeek(&f, bytes.size() + 1), kPlatRiffOk);
  after.id = plat_FourCC('n', 'o', 'n', 'e');
  plat_RiffSeek(&f, 12);
  EXPECT_EQ(plat_RiffDescend(&f, &after, &riff, kPlatRiffFindChunk), kPlatRiffErrChunkNotFound);

  PlatRiffFile empty;
  plat_RiffOpenMemory(&empty, nullptr, 0);
  EXPECT_EQ(plat_RiffDescend(&empty, &after, nullptr, 0), kPlatRiffErrChunkNotFound);
  EXPECT_FALSE(plat_RiffOpen(&empty, "no/such/file"));
}

}  // namespace
