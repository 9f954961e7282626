#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/stream.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

TEST(Stream, IntegersAndFloatsAreBigEndianBitPatterns) {
  uint8_t image[16] = {};
  uint8_t* p = image;
  wre_StreamPutInt32(&p, 258);
  wre_StreamPutInt32(&p, -1);
  wre_StreamPutFloat(&p, 1.0f);
  uint32_t nanBits = 0x7FC01234u;
  float nan;
  std::memcpy(&nan, &nanBits, 4);
  wre_StreamPutFloat(&p, nan);
  EXPECT_EQ(p - image, 16);
  EXPECT_EQ(std::vector<uint8_t>(image, image + 16),
            Bytes({0, 0, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0x3F, 0x80, 0, 0, 0x7F, 0xC0, 0x12, 0x34}));

  const uint8_t* q = image;
  EXPECT_EQ(wre_StreamGetInt32(&q), 258);
  EXPECT_EQ(q - image, 4);
  EXPECT_EQ(wre_StreamGetInt32(&q), -1);
  EXPECT_EQ(wre_StreamGetFloat(&q), 1.0f);
  float back = wre_StreamGetFloat(&q);
  uint32_t backBits;
  std::memcpy(&backBits, &back, 4);
  EXPECT_EQ(backBits, nanBits);
}

TEST(Stream, String32CopiesTheWholeFieldIncludingWhatFollowsTheTerminator) {
  char name[32] = {};
  std::strcpy(name, "abc");
  name[10] = 'z';  // a leftover behind the terminator travels with the field
  uint8_t image[32 + 256];
  uint8_t* p = image;
  wre_StreamPutString32(&p, name);
  EXPECT_EQ(p - image, 32);
  EXPECT_EQ(std::memcmp(image, name, 32), 0);

  char full[32];
  std::memset(full, 'x', 31);
  full[31] = '\0';
  p = image;
  wre_StreamPutString32(&p, full);
  EXPECT_EQ(image[31], 0);

  char back[32];
  const uint8_t* q = image;
  wre_StreamGetString32(&q, back);
  EXPECT_EQ(q - image, 32);
  EXPECT_EQ(std::strlen(back), 31u);
}

TEST(Stream, AMixedImageAdvancesByExactTotals) {
  uint8_t image[4 + 4 + 16 + 32 + 256] = {};
  uint8_t* p = image;
  char label[32] = "Amazon Straits";
  wre_StreamPutInt32(&p, 752);
  wre_StreamPutFloat(&p, -0.5f);
  wre_StreamPutColour(&p, 1.0f, 0.5f, 0.25f, 0.0f);
  wre_StreamPutString32(&p, label);
  EXPECT_EQ(p - image, 56);

  const uint8_t* q = image;
  EXPECT_EQ(wre_StreamGetInt32(&q), 752);
  EXPECT_EQ(wre_StreamGetFloat(&q), -0.5f);
  float colour[4];
  wre_StreamGetColour(colour, &q);
  EXPECT_EQ(colour[0], 1.0f);
  EXPECT_EQ(colour[1], 0.5f);
  EXPECT_EQ(colour[2], 0.25f);
  EXPECT_EQ(colour[3], 0.0f);
  char back[32];
  wre_StreamGetString32(&q, back);
  EXPECT_STREQ(back, "Amazon Straits");
  EXPECT_EQ(q - image, 56);
  char big[256];
  wre_StreamGetString256(&q, big);
  EXPECT_EQ(q - image, 56 + 256);
}

TEST(Stream, NullStreamsAreLeftAlone) {
  EXPECT_EQ(wre_StreamPutInt32(nullptr, 5), 0);
  uint8_t* none = nullptr;
  EXPECT_EQ(wre_StreamPutColour(&none, 1, 2, 3, 4), 0);
  EXPECT_EQ(none, nullptr);

  float colour[4] = {9, 9, 9, 9};
  const uint8_t* nullStream = nullptr;
  wre_StreamGetColour(colour, &nullStream);
  EXPECT_EQ(nullStream, nullptr);  // not advanced into a wild pointer
  for (float c : colour) EXPECT_EQ(c, 0.0f);
  std::fill(colour, colour + 4, 9.0f);
  wre_StreamGetColour(colour, nullptr);
  for (float c : colour) EXPECT_EQ(c, 0.0f);
}

TEST(StreamReader, ReadsInsideTheDataAndZerosPastItsEnd) {
  const uint8_t image[] = {0, 0, 1, 2, 0x3F, 0x80, 0, 0, 0xAA, 0xBB};
  StreamReader reader = wre_StreamReaderMake(image, sizeof(image));
  EXPECT_EQ(wre_StreamReadInt32(&reader), 258);
  EXPECT_EQ(wre_StreamReadFloat(&reader), 1.0f);
  EXPECT_FALSE(reader.overrun);
  EXPECT_EQ(wre_StreamReaderLeft(&reader), 2u);
  // A field that runs past the end keeps what is there, zeros the rest and marks the overrun.
  EXPECT_EQ(static_cast<uint32_t>(wre_StreamReadInt32(&reader)), 0xAABB0000u);
  EXPECT_TRUE(reader.overrun);
  EXPECT_EQ(wre_StreamReaderLeft(&reader), 0u);
  char text[32];
  std::memset(text, 'x', sizeof(text));
  wre_StreamReadBytes(&reader, text, sizeof(text));
  for (char c : text) EXPECT_EQ(c, 0);
}

}  // namespace
