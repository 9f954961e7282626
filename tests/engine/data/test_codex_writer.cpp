#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "engine/data/codex.h"
#include "tools/datagen/codex_writer.h"

namespace {

// Reads every token line of the text with skip-rest set, keeping the text field and the outputs.
struct Token {
  int32_t id;
  std::string text;
  int32_t i[4];
  float f[3];
};

std::vector<Token> ReadAll(const std::string& data, int32_t* calls) {
  std::vector<char> bytes(data.begin(), data.end());
  const char* text = bytes.data();
  int32_t remaining = static_cast<int32_t>(bytes.size());
  std::vector<Token> tokens;
  *calls = 0;
  for (int guard = 0; guard < 10000; ++guard) {
    Token t{};
    char buffer[kCodexTextSize] = {};
    int32_t result = wre_CodexReadToken(&text, &remaining, &t.id, buffer, &t.i[0], &t.i[1], &t.i[2], &t.i[3],
                                        &t.f[0], &t.f[1], &t.f[2], 1);
    ++*calls;
    EXPECT_EQ(result, 0);
    if (result != 0 || t.id == kCodexEnd) break;
    t.text = buffer;
    if (t.id > 0) tokens.push_back(t);
  }
  return tokens;
}

TEST(CodexWriterTest, FieldsRoundTripThroughTheReader) {
  const std::vector<std::string> names = {
      "plain.bmp", "with blank.bmp", "comma,name", "\t tab", "\"", "\"lead quote", "//not a comment",
      "\xE9t\xE9.bmp", std::string(300, 'n'),
  };
  CodexWriter writer;
  CodexWriteComment(writer, "every awkward name once");
  for (const std::string& name : names) CodexWriteLine(writer, "kVKT_SetObjectIdent", {name});
  std::string data = CodexFinish(writer);
  ASSERT_TRUE(writer.ok);
  int32_t calls = 0;
  std::vector<Token> tokens = ReadAll(data, &calls);
  ASSERT_EQ(tokens.size(), names.size());
  for (size_t k = 0; k < names.size(); ++k) {
    EXPECT_EQ(tokens[k].id, kCodexSetObjectIdent);
    EXPECT_EQ(tokens[k].text, names[k]);
  }
  // CR LF line ends: one extra call per line for the LF, and the closing comment line.
  EXPECT_EQ(calls, 2 * static_cast<int32_t>(names.size() + 2) + 1);
  EXPECT_EQ(data.substr(data.size() - 16), "// end of file\r\n");
}

TEST(CodexWriterTest, NumbersRoundTrip) {
  const int32_t ints[] = {0, -1, 255, INT32_MAX, INT32_MIN};
  const float floats[] = {0.0f, -0.5f, 0.05f, 11.37778f, 1e-7f, 3.4e38f, -123456.789f};
  CodexWriter writer;
  for (int32_t value : ints) {
    CodexWriteLine(writer, "kVKT_RequestDepthTexture", {"a.bmp", CodexInt(value)});
  }
  for (float value : floats) {
    std::string text = CodexFloat(value);
    EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    CodexWriteLine(writer, "kVKT_AmbientLightPercentage", {text});
  }
  CodexWriteLine(writer, "kVKT_VirtualXZGridObject",
                 {CodexInt(4), CodexInt(5), CodexFloat(2.5f), "kVKT_FirstID", "kVKT_FirstID", CodexFloat(255.0f)});
  std::string data = CodexFinish(writer);
  ASSERT_TRUE(writer.ok);
  int32_t calls = 0;
  std::vector<Token> tokens = ReadAll(data, &calls);
  ASSERT_EQ(tokens.size(), std::size(ints) + std::size(floats) + 1);
  size_t k = 0;
  for (int32_t value : ints) EXPECT_EQ(tokens[k++].i[3], value);
  for (float value : floats) EXPECT_EQ(tokens[k++].f[0], value);
  const Token& grid = tokens[k];
  EXPECT_EQ(grid.id, kCodexGridObject);
  EXPECT_EQ(grid.i[0], 4);
  EXPECT_EQ(grid.i[1], 5);
  EXPECT_EQ(grid.f[0], 2.5f);
  EXPECT_EQ(grid.i[2], 0);
  EXPECT_EQ(grid.i[3], 0);
  EXPECT_EQ(grid.f[1], 255.0f);
}

TEST(CodexWriterTest, UnwritableFieldsAreRefused) {
  std::string out = "kept";
  EXPECT_FALSE(CodexFieldText("", &out));
  EXPECT_FALSE(CodexFieldText("a\"b", &out));
  EXPECT_FALSE(CodexFieldText("two\nlines", &out));
  EXPECT_FALSE(CodexFieldText("cr\r", &out));
  EXPECT_EQ(out, "kept");
  EXPECT_TRUE(CodexFieldText("a b", &out));
  EXPECT_EQ(out, "\"a b\"");
  EXPECT_TRUE(CodexFieldText("\"", &out));
  EXPECT_EQ(out, "\"\"\"");

  CodexWriter writer;
  CodexWriteLine(writer, "kVKT_Texture", {"fine.bmp"});
  CodexWriteLine(writer, "kVKT_Texture", {CodexFloat(std::numeric_limits<float>::infinity())});
  EXPECT_FALSE(writer.ok);
  EXPECT_EQ(writer.text, "kVKT_Texture fine.bmp\r\n");  // the refused line is not written
  CodexWriter comment;
  CodexWriteComment(comment, "two\nlines");
  EXPECT_FALSE(comment.ok);
}

}  // namespace
