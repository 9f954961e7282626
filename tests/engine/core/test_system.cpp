#include <gtest/gtest.h>

#include "engine/core/files.h"
#include "engine/core/random.h"
#include "engine/startup/system.h"
#include "platform/plat_backend.h"
#include "platform/plat_time.h"
#include "platform/test/plat_time.h"

namespace {

TEST(SystemStartup, ResetsFoldersAndSeedsFromTheTickCount) {
  plat_UseBackend(kPlatBackendTest);
  plat_TestClockReset();
  wre_FolderSet("data:levels");
  wre_FolderPush();
  wre_FileSetLastError(5001);

  EXPECT_EQ(wre_SystemStartup(nullptr, 0), 0);
  EXPECT_EQ(gFolderDepth, 0);
  EXPECT_STREQ(gCurrentFolder, "");
  EXPECT_EQ(wre_FileGetLastError(), 0);
  EXPECT_EQ(wre_Random(), 1380u);  // seeded with tick count 0

  wre_SystemShutdown();
  wre_SystemShutdown();  // a second shut-down is harmless
  plat_UseBackend(kPlatBackendReal);
}

}  // namespace
