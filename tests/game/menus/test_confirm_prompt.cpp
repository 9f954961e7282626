// The yes/no prompt on a started engine with a small software camera: a test clock that moves one
// tick per message pump, and keys put into the typed-key ring while the prompt waits.
#include <gtest/gtest.h>

#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/render/camera.h"
#include "game/menus/confirm_prompt.h"
#include "game/state/view_components.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_time.h"
#include "tests/game/harness/game_engine_fixture.h"

namespace {

class ConfirmPrompt : public GameEngineFixture {
 protected:
  void SetUp() override {
    GameEngineFixture::SetUp();
    plat_TestClockReset();
    ASSERT_EQ(Start(kRendererSoftware), 0);
    const WreRect viewport{0, 0, 32, 24};
    const WreRect screen{0, 0, 640, 480};
    Transform placement{};
    wre_TransformReset(&placement);
    const float black[4] = {0, 0, 0, 255};
    view_.camera = wre_CameraNew(&viewport, 16, &placement, black, 1, 100.0f, 50000.0f, 80.0f, 1024, nullptr, 0,
                                 nullptr, 0, 0, 0, 0, 0, 0, 0, &screen);
    const Point4 origin{0, 0, 0, 0};
    view_.world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, nullptr, 100.0f, 0);
    wre_CameraSetWorld(view_.camera, view_.world);
    plat_TestSetPumpHook(&ConfirmPrompt::OnPump, this);
  }
  void TearDown() override {
    plat_TestSetPumpHook(nullptr, nullptr);
    wre_CameraSetWorld(view_.camera, nullptr);
    wre_CameraDispose(view_.camera, 1);
    wre_WorldDispose(view_.world);
    GameEngineFixture::TearDown();
  }
  static void OnPump(void* self) {
    auto* test = static_cast<ConfirmPrompt*>(self);
    plat_TestClockAdvanceMicroseconds(16723);  // one tick
    if (++test->pumps_ == test->keyAtPump_) wre_KeyRingPut(test->key_);
  }
  // The answer to a key typed at the given pump (none when 0), and the ticks the prompt took. The
  // prompt's input flush pumps ten messages first.
  bool Answer(KeyCode key, int pump, uint32_t* ticks) {
    key_ = key;
    keyAtPump_ = pump;
    pumps_ = 0;
    const uint32_t start = wre_TimerTick();
    const bool answer = ConfirmPromptShow("Sure?", &view_);
    *ticks = wre_TimerTick() - start;
    return answer;
  }
  ViewComponents view_{};
  KeyCode key_ = 0;
  int keyAtPump_ = 0;
  int pumps_ = 0;
};

TEST_F(ConfirmPrompt, OnlyYesAnswersYesAndAMinuteWithoutAKeyAnswersNo) {
  uint32_t ticks = 0;
  EXPECT_TRUE(Answer('Y', 20, &ticks));
  EXPECT_TRUE(Answer('y', 20, &ticks));
  EXPECT_LT(ticks, 60u);
  EXPECT_FALSE(Answer('n', 20, &ticks));
  EXPECT_FALSE(Answer(kKeyReturn, 20, &ticks));
  EXPECT_LT(ticks, 60u);
  EXPECT_FALSE(Answer(0, 0, &ticks));
  EXPECT_GE(ticks, 3600u);
  EXPECT_LT(ticks, 3630u);
  // Its material is released each time.
  int32_t inUse = 0;
  for (int32_t i = 0; i < gMaterialCount; ++i) inUse += gMaterialTable[i].inUse != 0;
  EXPECT_EQ(inUse, 0);
}

TEST_F(ConfirmPrompt, WithoutAFreeMaterialItAnswersNoAtOnce) {
  while (wre_MaterialCreate(1, 1, 1, 1, 0, 0, 0, 0, "filler") != -1) {
  }
  uint32_t ticks = 0;
  EXPECT_FALSE(Answer('Y', 1, &ticks));
  EXPECT_LT(ticks, 2u);
}

}  // namespace
