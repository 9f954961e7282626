#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/startup/system.h"
#include "engine/data/codex.h"

namespace {

// One token read, with every output the tokenizer can fill.
struct Read {
  int32_t result = 0;
  int32_t id = 0;
  std::string text;
  int32_t i[4] = {-7, -7, -7, -7};
  float f[3] = {-7.0f, -7.0f, -7.0f};
};

// Reads the text a token at a time from an exact-size heap copy, so that any read past the data
// shows under the address sanitizer.
class Reader {
 public:
  explicit Reader(const std::string& data) : bytes_(data.begin(), data.end()) {
    text_ = bytes_.empty() ? reinterpret_cast<const char*>(this) : bytes_.data();
    remaining_ = static_cast<int32_t>(bytes_.size());
  }

  Read Next(uint8_t skipRest = 0) {
    Read r;
    std::vector<char> buffer(kCodexTextSize, 'x');
    buffer[0] = '\0';
    r.result = wre_CodexReadToken(&text_, &remaining_, &r.id, buffer.data(), &r.i[0], &r.i[1], &r.i[2], &r.i[3],
                                  &r.f[0], &r.f[1], &r.f[2], skipRest);
    r.text = buffer.data();
    return r;
  }

  // Ids of every call up to and including the end.
  std::vector<int32_t> AllIds(uint8_t skipRest = 0) {
    std::vector<int32_t> ids;
    for (int guard = 0; guard < 10000; ++guard) {
      Read r = Next(skipRest);
      ids.push_back(r.id);
      if (r.id == kCodexEnd) break;
    }
    return ids;
  }

  const char*& text() { return text_; }
  int32_t& remaining() { return remaining_; }
  // Offset of the cursor into the data.
  int32_t Offset() const { return static_cast<int32_t>(bytes_.size()) - remaining_; }

 private:
  std::vector<char> bytes_;
  const char* text_;
  int32_t remaining_;
};

std::string Fixture(const char* name) {
  std::filesystem::path path = std::filesystem::path(__FILE__).parent_path() / "fixtures" / name;
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A padding line so that the lines before it are never within the last 10 bytes.
const std::string kTail = "// end of file\n";

int32_t FindMaterial(const char* ident) { return std::strcmp(ident, "water") == 0 ? 5 : -1; }
int32_t FindTexture(const char* ident) { return std::strcmp(ident, "sky") == 0 ? 9 : -1; }

class CodexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_CodexFlagsReset();
    wre_CodexSetIdentFinders(nullptr, nullptr);
  }
  void TearDown() override { wre_CodexSetIdentFinders(nullptr, nullptr); }
};

TEST_F(CodexTest, LinesAreClassifiedByTheirFirstText) {
  Reader reader(
      "   // indented comment\n"
      "\n"
      "plain prose\n"
      "kvkt_texture lower.bmp\n"
      "KVKT_TEXTURE upper.bmp\n"
      "kVKT_TextureAndMore more.bmp\n"
      "kVKT_StartIgnore a b c\n"
      "kVKT_NotAName 1 2\n"
      "\tkVKT_Texture tabbed.bmp\n" +
      kTail);
  EXPECT_EQ(reader.Next().id, kCodexComment);
  EXPECT_EQ(reader.Next().id, kCodexNotToken);
  EXPECT_EQ(reader.Next().id, kCodexNotToken);
  Read lower = reader.Next();
  EXPECT_EQ(lower.id, kCodexTexture);
  EXPECT_EQ(lower.text, "lower.bmp");
  EXPECT_EQ(reader.Next().text, "upper.bmp");
  Read more = reader.Next();
  EXPECT_EQ(more.id, kCodexTexture);  // the whole first word is consumed
  EXPECT_EQ(more.text, "more.bmp");
  Read ignore = reader.Next();
  EXPECT_EQ(ignore.id, kCodexUnknown);
  EXPECT_EQ(ignore.result, 0);
  Read unknown = reader.Next();
  EXPECT_EQ(unknown.id, kCodexUnknown);
  EXPECT_EQ(unknown.result, 0);
  EXPECT_EQ(reader.Next().text, "tabbed.bmp");
  EXPECT_EQ(reader.Next().id, kCodexComment);
  EXPECT_EQ(reader.Next().id, kCodexEnd);
  EXPECT_EQ(reader.remaining(), 0);
}

TEST_F(CodexTest, CrLfCostsOneExtraCallPerLine) {
  Reader reader("kVKT_Texture a.bmp\r\n// note\r\nkVKT_Texture b.bmp\r\n// end of file\r\n");
  std::vector<int32_t> expected = {kCodexTexture, kCodexNotToken, kCodexComment,  kCodexNotToken, kCodexTexture,
                                   kCodexNotToken, kCodexComment, kCodexNotToken, kCodexEnd};
  EXPECT_EQ(reader.AllIds(), expected);
}

TEST_F(CodexTest, EndOfDataRule) {
  // Ten or more bytes are always read.
  Reader ten("kVKT_Texture");
  Read noField = ten.Next();
  EXPECT_EQ(noField.id, kCodexUnknown);
  EXPECT_EQ(noField.result, kCodexErrNothing);  // read, but no byte is left for its field
  // A short line without a line end in the last bytes is the end of the data.
  Reader unterminated("kVKT_End");
  EXPECT_EQ(unterminated.Next().id, kCodexEnd);
  EXPECT_EQ(unterminated.remaining(), 0);
  // A short line that is complete is still read (a last "kVKT_End" line must not be lost).
  Reader complete("kVKT_End\n");
  EXPECT_EQ(complete.Next().id, kCodexUnknown);
  EXPECT_EQ(complete.Next().id, kCodexEnd);
  // Nothing, or a negative count, is the end.
  EXPECT_EQ(Reader("").Next().id, kCodexEnd);
  Reader negative("kVKT_Texture a.bmp\n" + kTail);
  negative.remaining() = -5;
  EXPECT_EQ(negative.Next().id, kCodexEnd);
  EXPECT_EQ(negative.remaining(), 0);
}

TEST_F(CodexTest, FieldsAreSeparatedByBlanksAndCommasAndMayBeQuoted) {
  Reader reader(
      "kVKT_BasicAlpha_Texture,,a.bmp,1,,2 ,\t3\n"
      "kVKT_Texture \"with blanks, and commas\" ignored\n"
      "kVKT_BasicAlpha_Texture ab\"c d\" 4 5\n"
      "kVKT_Texture,\"\"\" x\n"
      "kVKT_Texture \" \"\n"
      "kVKT_Texture \"\"empty is not empty\"\n" +
      kTail);
  Read commas = reader.Next();
  EXPECT_EQ(commas.text, "a.bmp");
  EXPECT_EQ(commas.i[0], 1);
  EXPECT_EQ(commas.i[1], 2);
  EXPECT_EQ(commas.i[2], 3);
  EXPECT_EQ(reader.Next().text, "with blanks, and commas");
  // A bare field ends at a quote, which opens the next field.
  Read split = reader.Next();
  EXPECT_EQ(split.result, 0);
  EXPECT_EQ(split.text, "ab");
  EXPECT_EQ(split.i[0], 0);  // "c d" read as an integer
  EXPECT_EQ(split.i[1], 4);
  EXPECT_EQ(split.i[2], 5);
  // The character right after the opening quote always belongs to the field.
  EXPECT_EQ(reader.Next().text, "\"");
  EXPECT_EQ(reader.Next().text, " ");
  EXPECT_EQ(reader.Next().text, "\"empty is not empty");
}

TEST_F(CodexTest, UnterminatedQuoteSwallowsTheLineEnd) {
  Reader reader("kVKT_Texture \"open to the end\nkVKT_Texture skipped.bmp\nkVKT_Texture next.bmp\n" + kTail);
  Read open = reader.Next();
  EXPECT_EQ(open.text, "open to the end");  // the line end closed the field
  EXPECT_EQ(reader.Next().text, "next.bmp");
}

TEST_F(CodexTest, LongFieldsAreCutButConsumedWhole) {
  std::string longName(3000, 'n');
  Reader reader("kVKT_Texture " + longName + " tail\nkVKT_Texture after.bmp\n" + kTail);
  Read cut = reader.Next();
  EXPECT_EQ(cut.result, 0);
  EXPECT_EQ(cut.text, longName.substr(0, kCodexTextSize - 1));
  EXPECT_EQ(reader.Next().text, "after.bmp");

  // Without a text buffer the field goes through a 256-character buffer and is dropped.
  Reader noBuffer("kVKT_Texture " + longName + "\nkVKT_Texture after.bmp\n" + kTail);
  int32_t id = 0;
  EXPECT_EQ(wre_CodexReadToken(&noBuffer.text(), &noBuffer.remaining(), &id, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, 0),
            0);
  EXPECT_EQ(id, kCodexTexture);
  EXPECT_EQ(noBuffer.Next().text, "after.bmp");

  // An over-long integer field is cut to 255 digits and saturates.
  Reader digits("kVKT_RequestDepthTexture a.bmp " + std::string(400, '9') + " \n" + kTail);
  Read big = digits.Next();
  EXPECT_EQ(big.result, 0);
  EXPECT_EQ(big.i[3], INT32_MAX);
}

TEST_F(CodexTest, EveryTokenFillsItsOutputs) {
  wre_CodexSetIdentFinders(FindMaterial, FindTexture);
  struct Case {
    const char* line;
    int32_t id;
    const char* text;
    int32_t i[4];
    float f[3];
  };
  const int32_t u = -7;  // untouched
  const float v = -7.0f;
  const Case cases[] = {
      {"kVKT_Texture sky.bmp", 1, "sky.bmp", {u, u, u, u}, {v, v, v}},
      {"kVKT_BasicAlpha_Texture b.bmp 255 0 254", 2, "b.bmp", {255, 0, 254, u}, {v, v, v}},
      {"kVKT_ProceduralTexture r.bmp", 3, "r.bmp", {u, u, u, u}, {v, v, v}},
      {"kVKT_ProceduralAlphaTexture r.bmp 1 2 3", 4, "r.bmp", {1, 2, 3, u}, {v, v, v}},
      {"kVKT_RequestDepthTexture w.bmp 16", 5, "w.bmp", {u, u, u, 16}, {v, v, v}},
      {"kVKT_RequestDepthAlphaTexture f.bmp 16 10 20 30", 6, "f.bmp", {10, 20, 30, 16}, {v, v, v}},
      {"kVKT_OpacityRequestDepthTexture s.bmp 24", 7, "s.bmp", {u, u, u, 24}, {v, v, v}},
      {"kVKT_MipDepthRequest_Texture g.bmp 32", 8, "g.bmp", {u, u, u, 32}, {v, v, v}},
      {"kVKT_AlphaMipDepthRequest_Texture f.bmp 10 20 30 16", 9, "f.bmp", {10, 20, 30, 16}, {v, v, v}},
      {"kVKT_SetTextureIdent vqz_Sky", 10, "vqz_Sky", {u, u, u, u}, {v, v, v}},
      {"kVKT_EffectMod_DropWavelet_SetDamping ripple 0.25", 11, "ripple", {u, u, u, u}, {0.25f, v, v}},
      {"kVKT_EffectMod_DropWavelet_AddDrop ripple 128 64 300 30", 12, "ripple", {128, 64, 300, 30}, {v, v, v}},
      {"kVKT_AmbientLightPercentage 60.5", 13, "", {u, u, u, u}, {60.5f, v, v}},
      {"kVKT_AmbientLightColor 1 -2 300", 14, "", {1, -2, 300, u}, {v, v, v}},
      {"kVKT_PointLightSource sun 1 2 3", 15, "", {u, u, u, u}, {v, v, v}},
      {"kVKT_DirectionalLightSource key 1 2 3", 16, "", {u, u, u, u}, {v, v, v}},
      {"kVKT_ExternalRef anything", 17, "", {u, u, u, u}, {v, v, v}},
      {"kVKT_VirtualXZGridObject 16 8 500.5 water sky 255", 18, "", {16, 8, 5, 9}, {500.5f, 255.0f, v}},
      {"kVKT_VirtualXZGridObject 1 2 3 KVKT_FIRSTID kvkt_firstidX 4", 18, "", {1, 2, 0, 0}, {3.0f, 4.0f, v}},
      {"kVKT_VirtualXZGridObject 1 2 3 stone nothing 4", 18, "", {1, 2, -1, -1}, {3.0f, 4.0f, v}},
      {"kVKT_CodexTokenID_VirtualReplicateRange 20000", 19, "", {u, u, u, u}, {20000.0f, v, v}},
      {"kVKT_SetObjectIdent ground", 20, "ground", {u, u, u, u}, {v, v, v}},
      {"kVKT_UnsetObjectIdent ground", 21, "ground", {u, u, u, u}, {v, v, v}},
      {"kVKT_SetObjectPosition buoy 90 -90.5 0 100 -2.25 250", 22, "buoy", {1024, -1029, 0, u}, {100.0f, -2.25f, 250.0f}},
      {"kVKT_SetObjectPosition huge 1e30 -1e30 nan 0 0 0", 22, "huge", {INT32_MAX, INT32_MIN, 0, u}, {0.0f, 0.0f, 0.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Reader reader(std::string(c.line) + "\n" + kTail);
    Read r = reader.Next();
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.id, c.id);
    EXPECT_EQ(r.text, c.text);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(r.i[k], c.i[k]) << "i" << k + 1;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(r.f[k], c.f[k]) << "f" << k + 1;
  }
}

TEST_F(CodexTest, SomeTokensLeaveTheRestOfTheLine) {
  const char* left[] = {"kVKT_ProceduralTexture r.bmp", "kVKT_ProceduralAlphaTexture r.bmp 1 2 3",
                        "kVKT_OpacityRequestDepthTexture s.bmp 16", "kVKT_PointLightSource",
                        "kVKT_DirectionalLightSource", "kVKT_ExternalRef"};
  for (const char* line : left) {
    SCOPED_TRACE(line);
    std::string data = std::string(line) + " rest of line\nkVKT_Texture next.bmp\n" + kTail;
    Reader reader(data);
    reader.Next();
    EXPECT_EQ(std::string(reader.text(), 13), " rest of line");
    EXPECT_EQ(reader.Next().id, kCodexNotToken);  // the rest read as a line of its own
    Reader skipping(data);
    skipping.Next(1);
    EXPECT_EQ(skipping.Next(1).text, "next.bmp");
  }
}

TEST_F(CodexTest, MissingFieldsEndTheTokenWithTheirCode) {
  Reader reader(
      "kVKT_Texture\n"
      "kVKT_BasicAlpha_Texture two.bmp 1 2\n"
      "kVKT_Texture fine.bmp\n" +
      kTail);
  Read none = reader.Next();
  EXPECT_EQ(none.result, kCodexErrLineEnded);
  EXPECT_EQ(none.id, kCodexUnknown);
  Read partial = reader.Next();
  EXPECT_EQ(partial.result, kCodexErrLineEnded);
  EXPECT_EQ(partial.id, kCodexUnknown);
  EXPECT_EQ(partial.text, "two.bmp");  // outputs before the failing field keep their values
  EXPECT_EQ(partial.i[0], 1);
  EXPECT_EQ(partial.i[1], 2);
  EXPECT_EQ(partial.i[2], -7);
  EXPECT_EQ(reader.Next().text, "fine.bmp");  // the failed line was skipped whole

  // Separators that run into the end of the data give 2001; no byte at all left gives 3.
  Reader separators("kVKT_BasicAlpha_Texture two.bmp 1 2 ,");
  Read atEnd = separators.Next();
  EXPECT_EQ(atEnd.result, kCodexErrDataEnded);
  EXPECT_EQ(atEnd.id, kCodexUnknown);
  EXPECT_EQ(separators.Next().id, kCodexEnd);
  Reader cut("kVKT_BasicAlpha_Texture two.bmp 1 2");
  EXPECT_EQ(cut.Next().result, kCodexErrNothing);
  EXPECT_EQ(cut.Next().id, kCodexEnd);
}

TEST_F(CodexTest, ScannerCodes) {
  const char* start = nullptr;
  const char* end = nullptr;
  int32_t length = -1;
  EXPECT_EQ(wre_CodexScanField(nullptr, &start, &end, &length, 5), kCodexErrNull);
  EXPECT_EQ(wre_CodexScanField("abc", &start, &end, &length, 0), kCodexErrNothing);
  EXPECT_EQ(wre_CodexScanField(" ,\t\nx", &start, &end, &length, 5), kCodexErrLineEnded);
  EXPECT_EQ(wre_CodexScanField(" ,,  ", &start, &end, &length, 5), kCodexErrDataEnded);
  EXPECT_EQ(start, nullptr);
  EXPECT_EQ(length, 0);

  const char bare[] = {' ', 'a', 'b', 'c'};  // no terminator: the field is cut by the data's end
  EXPECT_EQ(wre_CodexScanField(bare, &start, &end, &length, 4), 0);
  EXPECT_EQ(start, bare + 1);
  EXPECT_EQ(end, nullptr);
  EXPECT_EQ(length, 3);

  const char quoteLast[] = {' ', '"'};
  EXPECT_EQ(wre_CodexScanField(quoteLast, &start, &end, &length, 2), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(end, nullptr);

  const char* quoted = "\"a b\" next";
  EXPECT_EQ(wre_CodexScanField(quoted, &start, &end, &length, 10), 0);
  EXPECT_EQ(start, quoted + 1);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(end, quoted + 5);  // the closing quote is consumed
}

TEST_F(CodexTest, FieldReaders) {
  const char* text = "12 x , 2.5 end";
  int32_t remaining = static_cast<int32_t>(std::strlen(text));
  int32_t value = -1;
  EXPECT_EQ(wre_CodexReadInt(&text, &remaining, &value), 0);
  EXPECT_EQ(value, 12);
  EXPECT_EQ(wre_CodexReadInt(&text, &remaining, &value), 0);
  EXPECT_EQ(value, 0);  // no digits
  float f = 0.0f;
  EXPECT_EQ(wre_CodexReadFloat(&text, &remaining, &f), 0);
  EXPECT_EQ(f, 2.5f);
  char small[4];
  EXPECT_EQ(wre_CodexReadString(&text, &remaining, small, sizeof(small)), 0);
  EXPECT_STREQ(small, "end");
  EXPECT_EQ(remaining, 0);
  EXPECT_EQ(wre_CodexReadInt(&text, &remaining, &value), kCodexErrNothing);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(wre_CodexReadString(&text, &remaining, nullptr, 4), kCodexErrNull);

  // On an error nothing moves and the output is kept.
  const char* line = "   \nnext";
  int32_t lineLeft = 8;
  value = 33;
  EXPECT_EQ(wre_CodexReadInt(&line, &lineLeft, &value), kCodexErrLineEnded);
  EXPECT_EQ(value, 33);
  EXPECT_EQ(lineLeft, 8);

  struct Truth {
    const char* field;
    uint8_t value;
  };
  const Truth truths[] = {{"Truely", 1}, {"kvkt_TRUEx", 1}, {"FALSE", 0}, {"kVKT_False", 0},
                          {"yes", 0},    {"2", 1},          {"0", 0}};
  for (const Truth& t : truths) {
    SCOPED_TRACE(t.field);
    const char* p = t.field;
    int32_t n = static_cast<int32_t>(std::strlen(p));
    uint8_t out = 9;
    EXPECT_EQ(wre_CodexReadBool(&p, &n, &out), 0);
    EXPECT_EQ(out, t.value);
  }
}

TEST_F(CodexTest, WordReader) {
  std::string longWord = "kVKT_" + std::string(400, 'w');
  Reader reader(
      "  kVKT_StartGate,5,5 rest\n"
      "  // comment\n"
      "  prose\n" +
      longWord + " tail\n" + kTail);
  char word[kCodexWordSize];
  int32_t id = 0;
  EXPECT_EQ(wre_CodexReadTokenWord(&reader.text(), &reader.remaining(), &id, word), 0);
  EXPECT_EQ(id, kCodexUnknown);
  EXPECT_STREQ(word, "kVKT_StartGate,5,5");  // a comma does not end the word
  EXPECT_EQ(*reader.text(), ' ');
  wre_CodexSkipLine(&reader.text(), &reader.remaining());

  wre_CodexReadTokenWord(&reader.text(), &reader.remaining(), &id, word);
  EXPECT_EQ(id, kCodexComment);
  EXPECT_EQ(word[0], '\r');
  EXPECT_EQ(*reader.text(), '/');  // left on the first non-blank character
  wre_CodexSkipLine(&reader.text(), &reader.remaining());
  wre_CodexReadTokenWord(&reader.text(), &reader.remaining(), &id, word);
  EXPECT_EQ(id, kCodexNotToken);
  EXPECT_EQ(*reader.text(), 'p');
  wre_CodexSkipLine(&reader.text(), &reader.remaining());

  wre_CodexReadTokenWord(&reader.text(), &reader.remaining(), &id, word);
  EXPECT_EQ(id, kCodexUnknown);
  EXPECT_EQ(std::string(word), longWord.substr(0, kCodexWordSize - 1));
  EXPECT_EQ(std::string(reader.text(), 5), " tail");  // past the whole word

  Reader shortTail("kVKT_End");
  wre_CodexReadTokenWord(&shortTail.text(), &shortTail.remaining(), &id, word);
  EXPECT_EQ(id, kCodexEnd);
  EXPECT_EQ(shortTail.remaining(), 0);
}

TEST_F(CodexTest, ModuleWords) {
  EXPECT_EQ(wre_CodexSetMode(1), 0);
  EXPECT_EQ(gCodexMode, 1);
  EXPECT_EQ(wre_CodexSetMode(2), -1);
  EXPECT_EQ(gCodexMode, 1);
  EXPECT_EQ(wre_CodexSetWorldFlags(-3), 0);
  EXPECT_EQ(gCodexWorldFlags, -3);
  EXPECT_EQ(wre_CodexFlagsReset(), 0);
  EXPECT_EQ(gCodexMode, 0);
  EXPECT_EQ(gCodexWorldFlags, 0);

  // The system layer's start-up resets them; its shut-down can run at any time.
  wre_CodexSetMode(1);
  wre_CodexSetWorldFlags(3);
  EXPECT_EQ(wre_SystemStartup(nullptr, 0), 0);
  EXPECT_EQ(gCodexMode, 0);
  EXPECT_EQ(gCodexWorldFlags, 0);
  wre_SystemShutdown();
  wre_SystemShutdown();
  EXPECT_EQ(wre_CodexShutdown(), 0);
}

TEST_F(CodexTest, ColoursAreScaledToTheRendererRangeAndClamped) {
  float saved[2] = {gColourMax, gColourMaxAlpha};
  float colour[4];
  gColourMax = gColourMaxAlpha = 255.0f;
  EXPECT_EQ(wre_ColourSetUnit(colour, 1.0f, 0.5f, 0.0f, 1.0f), 0);
  EXPECT_EQ(colour[0], 255.0f);
  EXPECT_EQ(colour[1], 127.5f);
  EXPECT_EQ(colour[2], 0.0f);
  EXPECT_EQ(colour[3], 255.0f);
  wre_ColourSetUnit(colour, 128.0f, -1.0f, 2.0f, 1.0f);
  EXPECT_EQ(colour[0], 255.0f);
  EXPECT_EQ(colour[1], 0.0f);
  EXPECT_EQ(colour[2], 255.0f);

  gColourMax = gColourMaxAlpha = 1.0f;
  wre_ColourSetUnit(colour, 255 * 0.003921569f, 0.0f, 0.0f, 1.0f);
  EXPECT_EQ(colour[0], 1.0f);
  EXPECT_EQ(colour[3], 1.0f);
  float wild[4] = {-0.5f, 2.0f, 0.25f, std::numeric_limits<float>::quiet_NaN()};
  EXPECT_EQ(wre_ColourClampRange(wild), 0);
  EXPECT_EQ(wild[0], 0.0f);
  EXPECT_EQ(wild[1], 1.0f);
  EXPECT_EQ(wild[2], 0.25f);
  EXPECT_EQ(wild[3], 0.0f);
  gColourMax = saved[0];
  gColourMaxAlpha = saved[1];
}

TEST_F(CodexTest, FixtureWithEveryToken) {
  std::string data = Fixture("all_tokens.codx");
  ASSERT_FALSE(data.empty());
  Reader reader(data);
  std::vector<Read> tokens;
  // The rest of a procedural line starts with "kVKT_Texture..." and would read as a token of its
  // own: its reader takes those words itself. Here the rest of every line is skipped.
  for (int guard = 0; guard < 1000; ++guard) {
    Read r = reader.Next(1);
    ASSERT_EQ(r.result, 0);
    if (r.id == kCodexEnd) break;
    if (r.id >= 1) tokens.push_back(r);
  }
  std::vector<int32_t> ids;
  for (const Read& r : tokens) ids.push_back(r.id);
  std::vector<int32_t> expected;
  for (int32_t id = 1; id <= 22; ++id) expected.push_back(id);
  expected.push_back(kCodexTexture);
  expected.push_back(kCodexTexture);
  ASSERT_EQ(ids, expected);
  EXPECT_EQ(tokens[5].text, "flag.bmp");
  EXPECT_EQ(tokens[5].i[3], 16);
  EXPECT_EQ(tokens[5].i[2], 254);
  EXPECT_EQ(tokens[8].i[2], 253);
  EXPECT_EQ(tokens[8].i[3], 32);
  EXPECT_EQ(tokens[17].i[2], 0);   // kvkt_firstid
  EXPECT_EQ(tokens[17].i[3], -1);  // no texture carries that ident
  EXPECT_EQ(tokens[21].i[1], -1029);
  EXPECT_EQ(tokens[21].f[1], -2.25f);
  EXPECT_EQ(tokens[22].text, "upper case.bmp");
  EXPECT_EQ(tokens[23].text, "after.bmp");
}

TEST_F(CodexTest, NoReadPastTheDataOnAnyCut) {
  // Every prefix of the fixture, read to the end from an exact-size copy: the sanitizer build
  // catches a read past the data, and every walk ends.
  std::string data = Fixture("all_tokens.codx") + "kVKT_Texture \"open";
  for (size_t cut = 0; cut <= data.size(); ++cut) {
    Reader reader(data.substr(0, cut));
    std::vector<int32_t> ids = reader.AllIds();
    ASSERT_EQ(ids.back(), kCodexEnd) << cut;
    Reader words(data.substr(0, cut));
    char word[kCodexWordSize];
    int32_t id = 0;
    for (int guard = 0; guard < 10000 && id != kCodexEnd; ++guard) {
      wre_CodexReadTokenWord(&words.text(), &words.remaining(), &id, word);
      if (id != kCodexEnd) wre_CodexSkipLine(&words.text(), &words.remaining());
    }
    ASSERT_EQ(id, kCodexEnd) << cut;
  }
}

}  // namespace
