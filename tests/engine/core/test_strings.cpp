#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/core/memory.h"
#include "engine/core/strings.h"
#include "engine/core/wre_types.h"

namespace {

TEST(StringMatch, IsAPrefixTestWithCaseAndLengthFlags) {
  struct Case {
    const char* text;
    uint8_t caseSensitive;
    uint8_t exactLength;
    int32_t expected;
  } cases[] = {
      {"kvkt_tex", 0, 0, 1},      {"kvkt_tex", 1, 0, 0},     {"kvkt_tex", 0, 1, 0},
      {"kVKT_Tex", 1, 0, 1},      {"kVKT_Texture", 1, 1, 1}, {"KVKT_TEXTURE", 0, 1, 1},
      {"kVKT_TextureX", 0, 0, 0}, {"", 0, 0, 1},             {"", 1, 0, 1},
      {"kVKT_Textur", 1, 1, 0},   {"x", 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wre_StringMatch(c.text, "kVKT_Texture", c.caseSensitive, c.exactLength), c.expected)
        << c.text << " cs=" << int(c.caseSensitive) << " exact=" << int(c.exactLength);
  }
  EXPECT_EQ(wre_StringMatch(nullptr, "a", 0, 0), -1);
  EXPECT_EQ(wre_StringMatch("a", nullptr, 0, 0), -1);
}

TEST(StringCompare, IgnoresOnlyAsciiCase) {
  EXPECT_TRUE(wre_StringEqualNoCase("Water", "wATER"));
  EXPECT_FALSE(wre_StringEqualNoCase("Water", "Waters"));
  EXPECT_FALSE(wre_StringEqualNoCase("\xe9", "\xc9"));  // no folding beyond ASCII
  EXPECT_FALSE(wre_StringEqualNoCase(nullptr, "a"));
  EXPECT_TRUE(wre_StringContainsNoCase("3Dfx VOODOO Graphics", "voodoo"));
  EXPECT_FALSE(wre_StringContainsNoCase("voo", "voodoo"));
  EXPECT_TRUE(wre_StringContainsNoCase("anything", ""));
  EXPECT_FALSE(wre_StringContainsNoCase(nullptr, "a"));
}

TEST(StringCopy, BoundedCopyKeepsCountLessOneAndReportsErrors) {
  char field[32];
  std::memset(field, 'z', sizeof(field));
  EXPECT_EQ(wre_StringCopyN("abcdef", field, 4, 1), 0);
  EXPECT_STREQ(field, "abc");
  EXPECT_EQ(wre_StringCopyN("ab", field, 32, 1), 0);
  EXPECT_STREQ(field, "ab");
  std::memset(field, 'z', sizeof(field));
  wre_StringCopyN("ab", field, 32, 0);
  EXPECT_EQ(field[2], 'z');  // without the flag nothing terminates the copy
  EXPECT_EQ(wre_StringCopyN("ab", field, 0, 1), kWreErrRange);
  EXPECT_EQ(wre_StringCopyN(nullptr, field, 4, 1), kWreErrNull);
  EXPECT_EQ(wre_StringCopy("x", nullptr), kWreErrNull);
  EXPECT_EQ(wre_StringCopy("xy", field), 0);
  EXPECT_STREQ(field, "xy");
}

TEST(BufferReadLine, StopsAtCarriageReturnsAndTakesLineFeedsAsText) {
  const char data[] = "ab\r\ncd";
  const char* cursor = data;
  int32_t remaining = 6;
  char line[10];
  EXPECT_EQ(wre_BufferReadLine(&cursor, &remaining, line, sizeof(line)), 0);
  EXPECT_STREQ(line, "ab");
  EXPECT_EQ(remaining, 3);
  EXPECT_EQ(wre_BufferReadLine(&cursor, &remaining, line, sizeof(line)), 0);
  EXPECT_STREQ(line, "\ncd");
  EXPECT_EQ(remaining, 0);
}

TEST(BufferReadLine, ALongLineIsCutAndItsRestPassedOver) {
  std::string data = std::string(20, 'x') + "\rnext";
  const char* cursor = data.c_str();
  int32_t remaining = static_cast<int32_t>(data.size());
  char line[6];
  wre_BufferReadLine(&cursor, &remaining, line, sizeof(line));
  EXPECT_STREQ(line, "xxxx");
  wre_BufferReadLine(&cursor, &remaining, line, sizeof(line));
  EXPECT_STREQ(line, "next");
  char tiny[1] = {'q'};
  cursor = data.c_str();
  remaining = 3;
  EXPECT_EQ(wre_BufferReadLine(&cursor, &remaining, tiny, 1), 0);
  EXPECT_EQ(tiny[0], '\0');
  EXPECT_EQ(wre_BufferReadLine(&cursor, &remaining, tiny, 0), 1);
  EXPECT_EQ(wre_BufferReadLine(nullptr, &remaining, line, 6), 1);
  EXPECT_EQ(wre_BufferReadLine(&cursor, nullptr, line, 6), 1);
}

TEST(StringNumbers, ConvertLikeTheStandardAndSaturate) {
  EXPECT_EQ(wre_StringToInt("  -42xyz"), -42);
  EXPECT_EQ(wre_StringToInt("99999999999"), INT32_MAX);
  EXPECT_EQ(wre_StringToInt("-99999999999"), INT32_MIN);
  EXPECT_EQ(wre_StringToInt("abc"), 0);
  EXPECT_FLOAT_EQ(wre_StringToFloat(" 2.5e1"), 25.0f);
  EXPECT_STREQ(wre_BoolToString(true), "True");
  EXPECT_STREQ(wre_BoolToString(false), "False");
  EXPECT_EQ(wre_BytesPerPixel(8), 1);
  EXPECT_EQ(wre_BytesPerPixel(16), 2);
  EXPECT_EQ(wre_BytesPerPixel(32), 4);
  EXPECT_EQ(wre_BytesPerPixel(24), 0);
}

TEST(ByteBuffer, IsZeroFilledCopiedIndependentlyAndCutAt255AsText) {
  wre_MemoryInit();
  ByteBuffer* buffer = wre_BufferNew(300);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->data[299], 0);
  for (int i = 0; i < 300; ++i) buffer->data[i] = static_cast<uint8_t>('A' + i % 26);
  char text[256];
  wre_BufferToString(buffer, text);
  EXPECT_EQ(std::strlen(text), 255u);
  EXPECT_EQ(text[254], static_cast<char>('A' + 254 % 26));

  ByteBuffer* copy = wre_BufferDuplicate(buffer);
  ASSERT_NE(copy, nullptr);
  copy->data[0] = 'z';
  EXPECT_EQ(buffer->data[0], 'A');
  EXPECT_EQ(copy->size, 300);

  ByteBuffer* empty = wre_BufferNew(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->data, nullptr);
  wre_BufferToString(empty, text);
  EXPECT_STREQ(text, "");
  for (ByteBuffer* b : {buffer, copy, empty}) EXPECT_EQ(wre_BufferDispose(b), 0);
  EXPECT_EQ(wre_BufferDispose(nullptr), -1);
}

}  // namespace
