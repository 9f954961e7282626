// The joystick's real back end on SDL's virtual joysticks (they need no device and no display):
// a plain joystick and a game controller read in the same places, axes held to the device range,
// and a pad pulled out reads as failed with zero state.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/plat_backend.h"
#include "platform/plat_joystick.h"

namespace {

class RealJoystick : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendReal);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real pad is attached";
  }
  void TearDown() override {
    plat_JoystickClose();
    if (handle_) SDL_JoystickClose(handle_);
    if (index_ >= 0) SDL_JoystickDetachVirtual(index_);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    plat_UseBackend(kPlatBackendTest);
  }
  void Attach(SDL_JoystickType type) {
    index_ = SDL_JoystickAttachVirtual(type, 6, 11, 0);
    ASSERT_GE(index_, 0) << SDL_GetError();
    handle_ = SDL_JoystickOpen(index_);
    ASSERT_NE(handle_, nullptr);
  }
  int index_ = -1;
  SDL_Joystick* handle_ = nullptr;
};

TEST_F(RealJoystick, APlainJoystickReadsItsAxesAndButtonsUntilPulledOut) {
  PlatJoystickState state{};
  EXPECT_FALSE(plat_JoystickOpen());  // nothing attached
  EXPECT_FALSE(plat_JoystickRead(&state));
  Attach(SDL_JOYSTICK_TYPE_UNKNOWN);
  ASSERT_TRUE(plat_JoystickOpen());
  SDL_JoystickSetVirtualAxis(handle_, 0, -32768);
  SDL_JoystickSetVirtualAxis(handle_, 1, 1000);
  SDL_JoystickSetVirtualAxis(handle_, 2, 32767);
  SDL_JoystickSetVirtualButton(handle_, 1, SDL_PRESSED);
  ASSERT_TRUE(plat_JoystickRead(&state));
  EXPECT_EQ(state.axes[0], -32767);
  EXPECT_EQ(state.axes[1], 1000);
  EXPECT_EQ(state.axes[2], 32767);
  EXPECT_EQ(state.buttons[0], 0);
  EXPECT_EQ(state.buttons[1], kPlatJoystickButtonHeld);

  ASSERT_EQ(SDL_JoystickDetachVirtual(index_), 0);
  index_ = -1;
  EXPECT_FALSE(plat_JoystickRead(&state));
  EXPECT_EQ(state.axes[1], 0);
  EXPECT_EQ(state.buttons[1], 0);
}

TEST_F(RealJoystick, AGameControllerGivesItsLeftStickAndItsFirstTwoButtons) {
  Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER);
  if (!SDL_IsGameController(index_)) GTEST_SKIP() << "no controller mapping for the virtual pad";
  ASSERT_TRUE(plat_JoystickOpen());
  SDL_JoystickSetVirtualAxis(handle_, SDL_CONTROLLER_AXIS_LEFTX, 12000);
  SDL_JoystickSetVirtualAxis(handle_, SDL_CONTROLLER_AXIS_LEFTY, -20000);
  SDL_JoystickSetVirtualButton(handle_, SDL_CONTROLLER_BUTTON_B, SDL_PRESSED);
  PlatJoystickState state{};
  ASSERT_TRUE(plat_JoystickRead(&state));
  EXPECT_EQ(state.axes[0], 12000);
  EXPECT_EQ(state.axes[1], -20000);
  EXPECT_EQ(state.buttons[0], 0);
  EXPECT_EQ(state.buttons[1], kPlatJoystickButtonHeld);
}

}  // namespace
