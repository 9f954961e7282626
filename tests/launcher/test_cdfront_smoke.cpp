// The whole launcher over the sample disc, run by LauncherWinMain in a child of the test process
// (SDL's offscreen driver under CTest). The child gets the test's Windows directory and lock folder
// through the platform layer, so nothing of the user's own state is read. Each CTest test is a
// process of its own, so the fork comes before anything in this process starts SDL.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "launcher/launcher_main.h"
#include "platform/plat_instance.h"
#include "platform/plat_paths.h"
#include "support/temp_dir.h"
#include "tools/datagen/launcher_disc.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStillRunning = -1;
constexpr int kNoSuchChild = -2;

// Starts the launcher in a child process over the disc below `root`; the child's exit code is
// the launcher's (or a sanitizer's, which runs its end-of-process checks through exit).
pid_t StartLauncher(const TempDir& root) {
  std::fflush(nullptr);  // or the child's exit writes the test's buffered output a second time
  pid_t pid = fork();
  if (pid != 0) return pid;
  plat_SetModuleFileName((root.path() / "disc/cdfront").c_str());
  plat_SetWindowsDirectory((root.path() / "windows").c_str());
  plat_InstanceLockSetFolder((root.path() / "lock").c_str());
  std::exit(LauncherWinMain());
}

// The child's exit status (128 + signal when a signal ended it), kStillRunning when it is still
// running after `seconds`, or kNoSuchChild when there is none to wait for (already collected). It
// always looks at least once.
int WaitFor(pid_t pid, double seconds) {
  auto end = Clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    int status = 0;
    pid_t got = waitpid(pid, &status, WNOHANG);
    if (got < 0) return kNoSuchChild;
    if (got == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (Clock::now() >= end) return kStillRunning;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// A started launcher; one still running at the end of a test (a failed check) is killed.
struct Child {
  pid_t pid;
  explicit Child(const TempDir& root) : pid(StartLauncher(root)) {}
  ~Child() {
    if (pid > 0 && WaitFor(pid, 0) == kStillRunning) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

// True once the running process catches SIGTERM: its windowing library is up. An ended process
// that is not yet collected still shows its handlers, so it does not count.
bool CatchesTerm(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("State:", 0) == 0 && line.find('Z') != std::string::npos) return false;
    if (line.rfind("SigCgt:", 0) != 0) continue;
    unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    return (mask >> (SIGTERM - 1)) & 1;
  }
  return false;
}

bool LockHeld(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  close(fd);
  return held;
}

class CdfrontSmoke : public ::testing::Test {
 protected:
  void SetUp() override {
    // Children of a process that ignores SIGCHLD leave no exit status to check.
    signal(SIGCHLD, SIG_DFL);
    // A handler inherited from this process would pass for the child's own.
    ASSERT_FALSE(CatchesTerm(getpid())) << "the test process itself catches SIGTERM";
    ASSERT_TRUE(datagen_WriteLauncherDisc(root.str()));
    std::filesystem::create_directories(root.path() / "lock");
  }

  TempDir root;
};

TEST_F(CdfrontSmoke, ComesUpStaysAndEndsWithZeroOnTerminate) {
  Child launcher(root);
  const pid_t first = launcher.pid;
  ASSERT_GT(first, 0);
  auto end = Clock::now() + std::chrono::seconds(30);
  while (!CatchesTerm(first) && Clock::now() < end) {
    if (WaitFor(first, 0) != kStillRunning) FAIL() << "the launcher ended on its own";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(CatchesTerm(first)) << "no window library after 30 s";
  // It sits in its loop, holding the lock in the folder it was given.
  EXPECT_EQ(WaitFor(first, 0.5), kStillRunning);
  EXPECT_TRUE(LockHeld(root.path() / "lock/ostrelclass.lock"));

  // A second copy finds the first and ends with 0 at once.
  Child second(root);
  ASSERT_GT(second.pid, 0);
  EXPECT_EQ(WaitFor(second.pid, 10), 0);
  EXPECT_EQ(WaitFor(first, 0), kStillRunning);

  // Nothing was clicked: nothing was written.
  EXPECT_FALSE(root.Exists("windows/ostrel_launcher.ini"));

  kill(first, SIGTERM);
  EXPECT_EQ(WaitFor(first, 30), 0);
}

TEST_F(CdfrontSmoke, RecordedInstallInItsWindowsDirectoryEndsItAtOnce) {
  root.Write("windows/ostrel_launcher.ini", "[extras]\r\ndoneeula=1\r\ndoneinstall=1\r\n");
  Child launcher(root);
  ASSERT_GT(launcher.pid, 0);
  EXPECT_EQ(WaitFor(launcher.pid, 10), 0);
}

}  // namespace
