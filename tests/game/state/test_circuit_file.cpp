#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

#include "engine/core/wre_types.h"
#include "game/state/circuit_file.h"
#include "platform/test/plat_files.h"
#include "save_test_support.h"

namespace {

// Offsets within the file: slot s's block starts at 4 + 448 s.
size_t SlotAt(int s) { return 4 + 448 * static_cast<size_t>(s); }
size_t PlaceAt(int s, int l, int c) { return SlotAt(s) + 48 + 8 * static_cast<size_t>(5 * l + c); }
size_t TimeAt(int s, int l, int c) { return SlotAt(s) + 52 + 8 * static_cast<size_t>(5 * l + c); }

class Circuit : public SaveFolderTest {
 protected:
  void SetUp() override {
    SaveFolderTest::SetUp();
    ASSERT_EQ(CircuitLoad(), 0);
  }
};

TEST_F(Circuit, TheFirstStartWritesFiveEmptySlots) {
  std::string expected(2244, '\0');
  Put32(expected, 0, 2440);
  EXPECT_EQ(Read("circuit.qz"), expected);
  EXPECT_EQ(gFolderDepth, 0);
}

TEST_F(Circuit, EveryFieldRoundTripsAtItsOffset) {
  EXPECT_EQ(TimeAt(1, 2, 3), 608u);
  CircuitRecord& r = *gCircuit;
  for (int s = 0; s < 5; ++s) {
    std::snprintf(r.slotName[s], 32, "slot %d", s);
    r.slotMeanPlace[s] = 10 + s;
    r.slotPoints[s] = 20 + s;
    r.slotLevel[s] = s * 2 + 1;
    r.slotCourse[s] = 4 - s;
    for (int l = 0; l < 10; ++l)
      for (int c = 0; c < 5; ++c) {
        r.slotPlace[s][l][c] = 1000 * s + 10 * l + c;
        r.slotTime[s][l][c] = -(1000 * s + 10 * l + c) - 1;
      }
  }
  ASSERT_EQ(CircuitSave(), 0);
  std::string image = Read("circuit.qz");
  ASSERT_EQ(image.size(), 2244u);
  EXPECT_EQ(Be32(image, 0), 2440);
  for (int s = 0; s < 5; ++s) {
    EXPECT_EQ(image.substr(SlotAt(s), 32), std::string(r.slotName[s], 32));
    EXPECT_EQ(Be32(image, SlotAt(s) + 32), 10 + s);
    EXPECT_EQ(Be32(image, SlotAt(s) + 36), 20 + s);
    EXPECT_EQ(Be32(image, SlotAt(s) + 40), s * 2 + 1);
    EXPECT_EQ(Be32(image, SlotAt(s) + 44), 4 - s);
    for (int l = 0; l < 10; ++l)
      for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(Be32(image, PlaceAt(s, l, c)), r.slotPlace[s][l][c]);
        EXPECT_EQ(Be32(image, TimeAt(s, l, c)), r.slotTime[s][l][c]);
      }
  }
  // Back from the file as saved, once the range-checked words hold what a circuit can produce.
  for (int s = 0; s < 5; ++s) {
    r.slotMeanPlace[s] = s;
    r.slotPoints[s] = 250 - s;
    for (int l = 0; l < 10; ++l)
      for (int c = 0; c < 5; ++c) r.slotPlace[s][l][c] = (s + l + c) % 6;
  }
  ASSERT_EQ(CircuitSave(), 0);
  CircuitRecord before = r;
  CircuitClose();
  ASSERT_EQ(CircuitLoad(), 0);
  EXPECT_EQ(std::memcmp(gCircuit, &before, sizeof(CircuitRecord)), 0);
}

TEST_F(Circuit, OtherVersionsAndShortFilesAreReplaced) {
  std::string empty = Read("circuit.qz");
  std::string other = empty;
  Put32(other, 0, 2441);
  Put32(other, 40, 3);
  for (const std::string& bytes : {other, empty.substr(0, 2243)}) {
    CircuitClose();
    Write("circuit.qz", bytes);
    ASSERT_EQ(CircuitLoad(), 0);
    EXPECT_EQ(gCircuit->slotLevel[0], 0);
    EXPECT_EQ(Read("circuit.qz"), empty);
  }
}

// A level or course from the file indexes the slot's results when the circuit goes on.
TEST_F(Circuit, LevelsAndCoursesOutOfRangeAreMadeSafe) {
  std::string image = Read("circuit.qz");
  Put32(image, SlotAt(0) + 40, 0xFFFFFFFB);  // level -5
  Put32(image, SlotAt(1) + 40, 11);
  Put32(image, SlotAt(2) + 40, 0xFFFFFFFF);  // -1: complete, kept
  Put32(image, SlotAt(3) + 44, 7);
  Put32(image, SlotAt(4) + 44, 0xFFFFFFFF);
  std::memset(&image[SlotAt(4)], 'Q', 32);
  CircuitClose();
  Write("circuit.qz", image);
  ASSERT_EQ(CircuitLoad(), 0);
  EXPECT_EQ(gCircuit->slotLevel[0], 10);
  EXPECT_EQ(gCircuit->slotLevel[1], 10);
  EXPECT_EQ(gCircuit->slotLevel[2], -1);
  EXPECT_EQ(gCircuit->slotCourse[3], 0);
  EXPECT_EQ(gCircuit->slotCourse[4], 0);
  EXPECT_EQ(std::string(gCircuit->slotName[4]), std::string(31, 'Q'));
  EXPECT_EQ(Be32(Read("circuit.qz"), SlotAt(1) + 40), 10);  // written back as mended
}

// Points, mean places and places no circuit can produce would overflow the sums made of them.
TEST_F(Circuit, ASlotWithImpossibleResultsReadsAsEmptyAndTheFileIsRewritten) {
  std::string image = Read("circuit.qz");
  for (int s = 0; s < 5; ++s) {
    std::memcpy(&image[SlotAt(s)], "name", 4);
    Put32(image, SlotAt(s) + 36, 40);
    Put32(image, SlotAt(s) + 40, 3);
  }
  Put32(image, SlotAt(0) + 32, 0x7FFFFFFF);  // mean place
  Put32(image, SlotAt(1) + 36, 0x7FFFFFFE);  // points
  Put32(image, PlaceAt(2, 9, 4), 6);         // a seventh place
  Put32(image, SlotAt(3) + 36, 251);
  CircuitClose();
  Write("circuit.qz", image);
  ASSERT_EQ(CircuitLoad(), 0);
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(gCircuit->slotName[s][0], '\0') << s;
    EXPECT_EQ(gCircuit->slotPoints[s] | gCircuit->slotLevel[s] | gCircuit->slotMeanPlace[s], 0) << s;
  }
  EXPECT_STREQ(gCircuit->slotName[4], "name");
  EXPECT_EQ(gCircuit->slotPoints[4], 40);
  const std::string rewritten = Read("circuit.qz");
  EXPECT_EQ(rewritten.substr(SlotAt(0), 448), std::string(448, '\0'));
  EXPECT_EQ(rewritten.substr(SlotAt(4), 448), image.substr(SlotAt(4), 448));
}

TEST_F(Circuit, AResetClearsOnlyItsOwnSlotAndLeavesOneBlank) {
  EXPECT_EQ(CircuitSlotReset(5), kWreErrRange);
  EXPECT_EQ(CircuitSlotReset(-1), kWreErrRange);
  auto* words = reinterpret_cast<int32_t*>(gCircuit);
  for (size_t i = 1; i < sizeof(CircuitRecord) / 4; ++i) words[i] = 7;
  CircuitRecord before = *gCircuit;
  ASSERT_EQ(CircuitSlotReset(4), 0);
  EXPECT_STREQ(gCircuit->slotName[4], " ");
  EXPECT_EQ(gCircuit->slotPoints[4] | gCircuit->slotLevel[4] | gCircuit->slotCourse[4] | gCircuit->slotMeanPlace[4], 0);
  for (int l = 0; l < 10; ++l)
    for (int c = 0; c < 5; ++c) EXPECT_EQ(gCircuit->slotPlace[4][l][c] | gCircuit->slotTime[4][l][c], 0);
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(std::memcmp(gCircuit->slotName[s], before.slotName[s], 32), 0);
    EXPECT_EQ(gCircuit->slotPoints[s], 7);
    EXPECT_EQ(std::memcmp(gCircuit->slotTime[s], before.slotTime[s], sizeof(before.slotTime[s])), 0);
  }
}

TEST_F(Circuit, ASaveOfAnyFileThatCannotBeWrittenFailsAndLeavesTheOldFile) {
  ScoresLoad();
  for (auto [name, save] : {std::pair{"circuit.qz", &CircuitSave}, std::pair{"scores.qz", &ScoresSave}}) {
    std::string old = Read(name);
    plat_TestFailNextSave();
    EXPECT_EQ(save(), kFileErrCreate) << name;
    EXPECT_EQ(Read(name), old) << name;
  }
  EXPECT_EQ(gFolderDepth, 0);
}

TEST_F(Circuit, WithoutARecordEveryCallAnswersOutOfRange) {
  ASSERT_EQ(CircuitClose(), 0);
  EXPECT_EQ(CircuitClose(), kWreErrRange);
  EXPECT_EQ(CircuitSave(), kWreErrRange);
  EXPECT_EQ(CircuitSlotReset(0), kWreErrRange);
}

}  // namespace
