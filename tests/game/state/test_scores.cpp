#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/core/wre_types.h"
#include "game/state/circuit_record.h"
#include "game/state/race_state.h"
#include "game/state/scores.h"
#include "game/state/settings.h"
#include "save_test_support.h"

namespace {

// Where each table's arrays start in the file, and the default of their words.
struct Block {
  size_t offset;
  int count;  // words (a name block counts 8)
  uint32_t fill;
};
const std::vector<Block> kLayout = {
    {4, 40, 0},     {164, 5, 0x7FFFFFFF}, {184, 5, 0x7FFFFFFF}, {204, 5, 0xFFFFFFFF}, {224, 5, 0},
    {244, 40, 0},   {404, 5, 0},          {424, 5, 0xFFFFFFFF}, {444, 40, 0},          {604, 5, 0},
    {624, 5, 0x7FFFFFFF}, {644, 5, 0xFFFFFFFF}, {664, 40, 0},   {824, 5, 0},           {844, 5, 0x7FFFFFFF},
    {864, 5, 0xFFFFFFFF}, {884, 40, 0},   {1044, 5, 0xFFFFFFFF},
};

class Scores : public SaveFolderTest {
 protected:
  void SetUp() override {
    SaveFolderTest::SetUp();
    gSettings = Settings{};
    std::strcpy(gSettings.playerName, "Ann");
    gGameMode = kModeRally;
    gCircuitRace = 0;
    ASSERT_EQ(ScoresLoad(), 0);
  }
  void TearDown() override {
    gCircuitRace = 0;
    SaveFolderTest::TearDown();
  }
  bool Insert(const char* name, int32_t place, int32_t time, int32_t score) {
    std::strcpy(gSettings.playerName, name);
    return ScoresInsertResult(place, time, score);
  }
};

TEST_F(Scores, TheFirstStartWritesEmptyTables) {
  std::string expected(1064, '\0');
  Put32(expected, 0, 1260);
  size_t end = 4;
  for (const Block& b : kLayout) {
    ASSERT_EQ(b.offset, end);
    for (int i = 0; i < b.count; ++i) Put32(expected, b.offset + 4 * i, b.fill);
    end = b.offset + 4 * b.count;
  }
  EXPECT_EQ(end, 1064u);
  EXPECT_EQ(Read("scores.qz"), expected);
  EXPECT_EQ(gFolderDepth, 0);
}

TEST_F(Scores, EveryFieldRoundTripsAtItsOffset) {
  // Each word holds its own offset; each name block its first word's offset in its first bytes.
  auto* words = reinterpret_cast<int32_t*>(gScores);
  for (size_t i = 1; i < sizeof(ScoresRecord) / 4; ++i) words[i] = static_cast<int32_t>(4 * i);
  ASSERT_EQ(ScoresSave(), 0);
  std::string image = Read("scores.qz");
  ASSERT_EQ(image.size(), 1064u);
  EXPECT_EQ(Be32(image, 0), 1260);
  for (const Block& b : kLayout)
    for (int i = 0; i < b.count; i += b.count == 40 ? 8 : 1) {
      size_t offset = b.offset + 4 * i;
      int32_t stored;
      std::memcpy(&stored, &image[offset], 4);  // names are raw bytes
      EXPECT_EQ(b.count == 40 ? stored : Be32(image, offset), static_cast<int32_t>(offset)) << offset;
    }
  // Back from the file as saved, once the range-checked words hold what races can produce.
  ScoresRecord& r = *gScores;
  for (int e = 0; e < kScoreEntries; ++e) {
    r.rallyPlace[e] = r.rallyLevel[e] = r.derbyLevel[e] = r.roamLevel[e] = r.linearLevel[e] = e;
    r.rallyCourse[e] = 14 - e;
    r.circuitPoints[e] = 250 - e;
  }
  ASSERT_EQ(ScoresSave(), 0);
  ScoresRecord before = *gScores;
  ScoresClose();
  ASSERT_EQ(ScoresLoad(), 0);
  for (auto* names : {&before.rallyName, &before.derbyName, &before.roamName, &before.linearName, &before.circuitName})
    for (auto& name : *names) name[31] = '\0';
  EXPECT_EQ(std::memcmp(gScores, &before, sizeof(ScoresRecord)), 0);
}

TEST_F(Scores, OtherVersionsAndShortFilesAreReplacedAndNamesEndInANul) {
  std::string image = Read("scores.qz");
  std::string other = image;
  Put32(other, 0, 1259);
  for (const std::string& bytes : {other, image.substr(0, 1063)}) {
    ScoresClose();
    Write("scores.qz", bytes);
    ASSERT_EQ(ScoresLoad(), 0);
    EXPECT_EQ(Read("scores.qz"), image);
  }
  std::string named = image;
  std::memset(&named[4], 'Z', 32);
  ScoresClose();
  Write("scores.qz", named);
  ScoresLoad();
  EXPECT_EQ(std::string(gScores->rallyName[0]), std::string(31, 'Z'));
}

// Entries no race can produce would index the level names or overflow on the page (course + 1).
TEST_F(Scores, EntriesOutOfRangeReadAsEmptyAndTheFileIsRewrittenWhole) {
  ASSERT_TRUE(Insert("Ann", 0, 3000, 0));
  ASSERT_TRUE(Insert("Bob", 1, 3000, 0));
  ASSERT_TRUE(Insert("Cy", 2, 3000, 0));
  ASSERT_TRUE(Insert("Di", 3, 3000, 0));
  gGameMode = kModeDerby;
  ASSERT_TRUE(Insert("Ed", 0, 0, 7));
  ScoresClose();
  std::string image = Read("scores.qz");
  const std::string sound = image;
  Put32(image, 224, 0x7FFFFFFF);      // rally entry 0: course
  Put32(image, 164 + 4, 6);           // rally entry 1: place 7th of six
  Put32(image, 204 + 8, 10);          // rally entry 2: level 11
  Put32(image, 404, 0xFFFFFFFF);      // derby entry 0: score -1
  Put32(image, 1044 + 4, 251);        // circuit entry 1: more points than fifty wins
  Write("scores.qz", image);
  ASSERT_EQ(ScoresLoad(), 0);
  for (int e : {0, 1, 2}) EXPECT_EQ(gScores->rallyLevel[e], -1) << e;
  EXPECT_STREQ(gScores->rallyName[3], "Di");
  EXPECT_EQ(gScores->rallyLevel[3], 0);
  EXPECT_EQ(gScores->derbyLevel[0], -1);
  EXPECT_EQ(gScores->circuitPoints[1], -1);
  const std::string rewritten = Read("scores.qz");
  EXPECT_EQ(Be32(rewritten, 204), -1);
  EXPECT_EQ(Be32(rewritten, 424), -1);
  EXPECT_EQ(Be32(rewritten, 1044 + 4), -1);
  EXPECT_EQ(rewritten.substr(204 + 12, 8), sound.substr(204 + 12, 8));  // sound entries stay as they were
}

TEST_F(Scores, RallyResultsSortByPlaceThenTime) {
  EXPECT_TRUE(Insert("a", 0, 3000, 0));
  EXPECT_TRUE(Insert("b", 0, 2999, 0));
  EXPECT_TRUE(Insert("c", 0, 3000, 0));  // a tie goes behind
  EXPECT_TRUE(Insert("d", 1, 100, 0));
  gLevel = 4, gCourse = 3;
  EXPECT_TRUE(Insert("e", 0, static_cast<int32_t>(0x80000000u), 0));  // times compare unsigned
  const ScoresRecord& r = *gScores;
  const char* order[] = {"b", "a", "c", "e", "d"};
  for (int i = 0; i < 5; ++i) EXPECT_STREQ(r.rallyName[i], order[i]) << i;
  EXPECT_EQ(r.rallyLevel[3], 4);
  EXPECT_EQ(r.rallyCourse[3], 3);
  EXPECT_EQ(r.rallyPlace[4], 1);
  // A sixth qualifying result pushes the last one out; a worse one enters nothing.
  EXPECT_TRUE(Insert("f", 0, 1, 0));
  EXPECT_STREQ(r.rallyName[0], "f");
  EXPECT_STREQ(r.rallyName[4], "e");
  EXPECT_FALSE(Insert("g", 2, 1, 0));
  std::memset(gSettings.playerName, 'N', 32);
  EXPECT_TRUE(ScoresInsertResult(0, 0, 0));
  EXPECT_EQ(std::string(r.rallyName[0]), std::string(31, 'N'));
}

TEST_F(Scores, ScoreModesSortByScoreWithTheirOwnTies) {
  gGameMode = kModeDerby;
  EXPECT_FALSE(Insert("zero", 0, 0, 0));
  EXPECT_TRUE(Insert("a", 0, 0, 5));
  EXPECT_TRUE(Insert("b", 0, 0, 5));  // a derby tie goes behind
  EXPECT_STREQ(gScores->derbyName[1], "b");
  gGameMode = kModeTreasureRoam;
  EXPECT_TRUE(Insert("a", 0, 5000, 7));
  EXPECT_TRUE(Insert("b", 0, 5000, 7));  // a treasure tie in score and time goes in front
  EXPECT_TRUE(Insert("c", 0, 4000, 6));
  EXPECT_STREQ(gScores->roamName[0], "b");
  EXPECT_STREQ(gScores->roamName[1], "a");
  EXPECT_STREQ(gScores->roamName[2], "c");
  gGameMode = kModeTreasureLinear;
  EXPECT_TRUE(Insert("lin", 0, 10, 1));
  EXPECT_STREQ(gScores->linearName[0], "lin");
  EXPECT_EQ(gScores->linearTime[0], 10);
  EXPECT_EQ(gScores->roamLevel[3], -1);
  gGameMode = 5;
  EXPECT_FALSE(Insert("x", 0, 0, 9));
}

TEST_F(Scores, TheCircuitTableTakesOnlyTheLastRaceOfACircuit) {
  CircuitRecord circuit{};
  circuit.slotPoints[2] = 120;
  gCircuit = &circuit;
  gCircuitSlot = 2;
  gCircuitRace = 1;
  gLevel = 9;
  EXPECT_FALSE(Insert("early", 0, 100, 0));
  gLevel = 10;
  EXPECT_TRUE(Insert("done", 0, 100, 0));
  EXPECT_EQ(gScores->circuitPoints[0], 120);
  EXPECT_EQ(gScores->rallyLevel[0], -1);
  EXPECT_TRUE(Insert("again", 0, 100, 0));  // a tie in points goes behind
  EXPECT_STREQ(gScores->circuitName[1], "again");
  gCircuitRace = 0;
  EXPECT_TRUE(Insert("single", 0, 100, 0));
  EXPECT_STREQ(gScores->rallyName[0], "single");
  gCircuit = nullptr;
}

TEST_F(Scores, WithoutARecordNothingIsEnteredOrSaved) {
  ScoresClose();
  EXPECT_FALSE(ScoresInsertResult(0, 1, 0));
  EXPECT_EQ(ScoresSave(), kWreErrRange);
  EXPECT_EQ(ScoresDefaults(), kScoresNotLoaded);
  EXPECT_EQ(ScoresClose(), 0);
}

}  // namespace
