#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/plat_instance.h"

namespace {

class PlatInstanceLockTest : public testing::Test {
 protected:
  void SetUp() override {
    folder = testing::TempDir() + "plat_lock_" + std::to_string(getpid());
    mkdir(folder.c_str(), 0700);
    plat_InstanceLockSetFolder(folder.c_str());
  }
  void TearDown() override {
    plat_InstanceLockRelease();
    plat_InstanceLockSetFolder(nullptr);
    unlink((folder + "/cdtest.lock").c_str());
    rmdir(folder.c_str());
  }
  // Another holder: a separate open of the same file, as a second process would make.
  bool OtherCanLock() {
    int fd = open((folder + "/cdtest.lock").c_str(), O_RDWR | O_CREAT, 0600);
    if (fd < 0) return false;
    bool ok = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return ok;
  }
  std::string folder;
};

TEST_F(PlatInstanceLockTest, FirstHolderWinsUntilItReleases) {
  ASSERT_EQ(plat_InstanceLockAcquire("cdtest"), kPlatLockAcquired);
  EXPECT_EQ(access((folder + "/cdtest.lock").c_str(), F_OK), 0);
  EXPECT_EQ(plat_InstanceLockAcquire("cdtest"), kPlatLockAcquired);  // already ours
  EXPECT_FALSE(OtherCanLock());
  plat_InstanceLockRelease();
  EXPECT_TRUE(OtherCanLock());
}

TEST_F(PlatInstanceLockTest, HeldByAnotherMeansHeld) {
  int fd = open((folder + "/cdtest.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(plat_InstanceLockAcquire("cdtest"), kPlatLockHeld);
  close(fd);  // the other holder ends
  EXPECT_EQ(plat_InstanceLockAcquire("cdtest"), kPlatLockAcquired);
}

TEST_F(PlatInstanceLockTest, UnusableFolderOrNameIsAnError) {
  plat_InstanceLockSetFolder((folder + "/missing").c_str());
  EXPECT_EQ(plat_InstanceLockAcquire("cdtest"), kPlatLockError);
  plat_InstanceLockSetFolder(folder.c_str());
  EXPECT_EQ(plat_InstanceLockAcquire(""), kPlatLockError);
  EXPECT_EQ(plat_InstanceLockAcquire(nullptr), kPlatLockError);
}

}  // namespace
