#include <gtest/gtest.h>

#include "engine/core/memory.h"
#include "engine/core/timer.h"
#include "engine/core/wre_types.h"
#include "game/state/settings.h"
#include "game/world/finish_order.h"
#include "game/world/gate_list.h"

namespace {

class FinishOrder : public ::testing::Test {
 protected:
  void SetUp() override {
    gSettings = Settings{};
    FinishOrderReset();
    for (int i = 0; i < kRacerSlots; ++i) {
      crafts_[i] = Watercraft{};
      gCraftByIndex[i] = &crafts_[i];
    }
    gRaceStartTick = 1000;
  }
  void TearDown() override {
    for (auto& craft : gCraftByIndex) craft = nullptr;
  }
  Watercraft crafts_[kRacerSlots];
};

TEST_F(FinishOrder, RallyPlacesComeFromTheOrderOfFinishing) {
  int32_t place = 9, time = 9;
  gEngineTick = 1500;
  EXPECT_EQ(RaceFinishRecord(&crafts_[2]), 0);
  gEngineTick = 1600;
  EXPECT_EQ(RaceFinishRecord(&crafts_[1]), 0);
  gEngineTick = 1700;
  EXPECT_EQ(RaceFinishRecord(&crafts_[0]), 0);
  gEngineTick = 1800;
  EXPECT_EQ(RaceFinishRecord(&crafts_[0]), 0);  // reported twice: keeps its first place and time
  EXPECT_EQ(gFinishCount, 3);
  EXPECT_EQ(RaceStandingGet(&crafts_[0], &place, &time), 0);
  EXPECT_EQ(place, 2);
  EXPECT_EQ(time, 700);
  EXPECT_EQ(RaceStandingGet(&crafts_[3], &place, &time), kStandingNotFinished);
  EXPECT_EQ(place, -1);
  EXPECT_EQ(time, 0);
  EXPECT_EQ(RaceStandingGet(nullptr, &place, &time), -1);
  EXPECT_EQ(RaceFinishRecord(nullptr), kWreErrNull);
  // A reset leaves no stale entry behind.
  FinishOrderReset();
  EXPECT_EQ(RaceStandingGet(&crafts_[2], nullptr, nullptr), kStandingNotFinished);
}

TEST_F(FinishOrder, ASeventhFinisherIsRefused) {
  Watercraft extra{};
  for (auto& craft : crafts_) EXPECT_EQ(RaceFinishRecord(&craft), 0);
  EXPECT_EQ(RaceFinishRecord(&extra), kFinishOrderFull);
  EXPECT_EQ(gFinishCount, 6);
}

TEST_F(FinishOrder, ScoreModesShareTiedPlacesAndCapTheTime) {
  gGameMode = kModeDerby;
  gSettings.opponentCount = 3;
  crafts_[0].score = 3, crafts_[1].score = 5, crafts_[2].score = 3, crafts_[3].score = 1;
  crafts_[4].score = 50;  // not racing: beyond the opponent count
  gEngineTick = 1000 + 10860;
  int32_t place = 9, time = 9;
  EXPECT_EQ(RaceStandingGet(&crafts_[0], &place, &time), kStandingNotFinished);
  EXPECT_EQ(place, 1);
  EXPECT_EQ(time, kStandingTimeLimit);
  gSettings.opponentCount = 99;  // never walks past the racer slots
  gGameMode = kModeTreasureRoam;
  gEngineTick = 1100;
  EXPECT_EQ(RaceStandingGet(&crafts_[3], &place, &time), kStandingNotFinished);
  EXPECT_EQ(place, 4);
  EXPECT_EQ(time, 100);
}

class GateList : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    for (auto*& gate : gates_) {
      gate = GateRecordNew();
      ASSERT_NE(gate, nullptr);
    }
  }
  void TearDown() override {
    gGateListHead = nullptr;
    for (auto*& gate : gates_) GateRecordFree(&gate);
  }
  GateRecord* gates_[3] = {};
};

TEST_F(GateList, RecordsAreAppendedRelinkedAndWalkedWithWrapping) {
  EXPECT_EQ(gates_[0]->holder, -1);
  EXPECT_EQ(gates_[0]->markerA, nullptr);
  GateRecord* head = nullptr;
  for (GateRecord* gate : gates_) EXPECT_EQ(GateListAppend(gate, &head), 0);
  EXPECT_EQ(GateListAppend(nullptr, &head), -1);
  EXPECT_EQ(GateListRelink(head), 0);
  EXPECT_EQ(GateListRelink(nullptr), kWreErrNull);
  EXPECT_EQ(head->prev, gates_[2]);
  EXPECT_EQ(gates_[2]->prev, gates_[1]);
  EXPECT_EQ(gates_[2]->next, nullptr);
  gGateListHead = head;
  EXPECT_EQ(GateListFirst(nullptr), gates_[0]);
  EXPECT_EQ(GateListNext(gates_[0], nullptr), gates_[1]);
  EXPECT_EQ(GateListNext(gates_[2], nullptr), gates_[0]);
  EXPECT_EQ(GateListNext(nullptr, nullptr), gates_[0]);
}

TEST_F(GateList, UnlinkingKeepsTheListWhole) {
  GateRecord* head = nullptr;
  for (GateRecord* gate : gates_) GateListAppend(gate, &head);
  GateListRelink(head);
  GateRecord stranger{};
  EXPECT_EQ(GateListUnlink(&stranger, &head), -1);
  // The tail of a relinked list: the head's prev moves to the new tail.
  EXPECT_EQ(GateListUnlink(gates_[2], &head), 0);
  EXPECT_EQ(head->prev, gates_[1]);
  EXPECT_EQ(gates_[1]->next, nullptr);
  EXPECT_EQ(gates_[2]->prev, nullptr);
  EXPECT_EQ(GateListUnlink(gates_[0], &head), 0);
  EXPECT_EQ(head, gates_[1]);
  EXPECT_EQ(head->prev, nullptr);
  GateListRelink(head);
  EXPECT_EQ(head->prev, head);  // a one-record ring
  EXPECT_EQ(GateListUnlink(gates_[1], &head), 0);
  EXPECT_EQ(head, nullptr);
  GateRecord* none = nullptr;
  GateRecordFree(&none);
  GateRecordFree(nullptr);
}

}  // namespace
