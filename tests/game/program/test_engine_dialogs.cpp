#include <gtest/gtest.h>

#include <cstdio>

#include "engine/core/wre_types.h"
#include "engine/render/context.h"
#include "game/program/engine_dialogs.h"
#include "platform/test/plat_display.h"
#include "tests/game/harness/dialog_steps.h"
#include "tests/game/harness/game_engine_fixture.h"

namespace {

constexpr int kOk = 1, kCancel = 2, kOpenGL = 1006, kDirect3D = 1007, kSoftware = 1008;
constexpr int kDeviceBox = 1002;

class EngineDialogs : public GameEngineFixture {
 protected:
  void SetUp() override {
    GameEngineFixture::SetUp();
    DialogStepsStart();
  }
  void TearDown() override {
    DialogStepsStop();
    GameEngineFixture::TearDown();
  }
  static DeviceList Devices(std::initializer_list<const char*> names) {
    DeviceList list{};
    for (const char* name : names) std::snprintf(list.descriptions[list.count++], 256, "%s", name);
    return list;
  }
};

TEST_F(EngineDialogs, TheRendererDialogPreselectsDirect3DAndHidesOpenGL) {
  DialogStep([] {
    EXPECT_EQ(DialogCaption(), "Rendering Engine");
    EXPECT_FALSE(DialogItemVisible(kOpenGL));
    EXPECT_TRUE(DialogItemChecked(kDirect3D));
    EXPECT_TRUE(DialogItemEnabled(kSoftware));
    DialogClick(kSoftware);
  });
  DialogStep([] {
    EXPECT_TRUE(DialogItemChecked(kSoftware));
    EXPECT_FALSE(DialogItemChecked(kDirect3D));
    DialogClick(kOk);
  });
  EXPECT_EQ(RenderingEngineSelect(), kRendererSoftware);
  EXPECT_EQ(DialogStepsLeft(), 0);

  DialogStep([] { DialogClick(kCancel); });
  EXPECT_EQ(RenderingEngineSelect(), -1);
  // Nobody answers: the box counts as not shown, and nothing is chosen.
  EXPECT_EQ(RenderingEngineSelect(), -1);
}

// The options page's restart asks again once the engine has shut down, its memory layer with it.
TEST_F(EngineDialogs, AfterAnEngineRunDirect3DIsStillOffered) {
  ASSERT_EQ(Start(kRendererSoftware), 0);
  ASSERT_EQ(wre_Shutdown(), 0);
  DialogStep([] {
    EXPECT_TRUE(DialogItemEnabled(kDirect3D));
    EXPECT_TRUE(DialogItemChecked(kDirect3D));
    DialogClick(kOk);
  });
  EXPECT_EQ(RenderingEngineSelect(), kRendererDirect3D);
}

TEST_F(EngineDialogs, WithoutA3DDeviceOnlySoftwareIsOffered) {
  PlatDisplayDriver plain = plat_TestDisplayDefaultDriver();
  plain.has3D = plain.hasHardwareDevice = false;
  plat_TestDisplaySetDrivers(&plain, 1);
  DialogStep([] {
    EXPECT_FALSE(DialogItemEnabled(kDirect3D));
    EXPECT_TRUE(DialogItemChecked(kSoftware));
    DialogClick(kDirect3D);  // greyed: no effect
    DialogClick(kOk);
  });
  EXPECT_EQ(RenderingEngineSelect(), kRendererSoftware);
}

TEST_F(EngineDialogs, TheDeviceComesFromTheItemDataNotTheSortedPlace) {
  EXPECT_EQ(OutputDeviceSelect(nullptr), -1);
  DeviceList one = Devices({"Only"});
  EXPECT_EQ(OutputDeviceSelect(&one), 0);  // no dialog
  DeviceList three = Devices({"Primary", "Card B", "Card A"});

  DialogStep([] {
    EXPECT_EQ(DialogCaption(), "Select Output Device");
    EXPECT_EQ(DialogComboItemText(kDeviceBox, 0), "Card A");
    EXPECT_EQ(DialogComboSelectedData(kDeviceBox), 0);  // "Primary" preselected
    DialogOpenCombo(kDeviceBox);
  });
  DialogStep([] { DialogClickComboItem(kDeviceBox, 0); });
  DialogStep([] { DialogClick(kOk); });
  EXPECT_EQ(OutputDeviceSelect(&three), 2);
  EXPECT_EQ(DialogStepsLeft(), 0);
}

TEST_F(EngineDialogs, NoDevicesOrADeviceDialogUnshownOrCancelledIsFatal) {
  DeviceList none = Devices({});
  EXPECT_EXIT(OutputDeviceSelect(&none), testing::ExitedWithCode(3),
              "No devices supported for this renderer");
  DeviceList two = Devices({"A", "B"});
  EXPECT_EXIT(OutputDeviceSelect(&two), testing::ExitedWithCode(3), "Error at driver select dialog box");
  DialogStep([] { DialogClick(kCancel); });
  EXPECT_EXIT(OutputDeviceSelect(&two), testing::ExitedWithCode(3),
              "User cancel - choose engine/device");
}

}  // namespace
