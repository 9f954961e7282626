// The real Cdfront program over the sample disc (SDL's offscreen driver under CTest): it comes
// up, a second copy steps aside, and a terminate request ends it with 0.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/temp_folder.h"
#include "tools/datagen/launcher_disc.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Starts the program with the environment of the tests plus the user's state folder.
pid_t Spawn(const std::string& program, const std::string& stateHome) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("XDG_STATE_HOME=", 0) != 0) env.emplace_back(*e);
  env.push_back("XDG_STATE_HOME=" + stateHome);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string arg0 = program;
  char* argv[] = {arg0.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
  return pid;
}

// Waits for the child to end; its exit status, or -1 when it is still running after the time.
int WaitFor(pid_t pid, int seconds) {
  auto end = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < end) {
    int status = 0;
    pid_t got = waitpid(pid, &status, WNOHANG);
    if (got == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

// True once the process catches SIGTERM (its windowing library is up).
bool CatchesTerm(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("SigCgt:", 0) != 0) continue;
    unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    return (mask >> (SIGTERM - 1)) & 1;
  }
  return false;
}

// The launcher's lock file where the program looks for it.
std::string LockPath() {
  std::string folder = "/run/user/" + std::to_string(getuid());
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid())
    return folder + "/ostrelclass.lock";
  return "/tmp/ostrelclass-" + std::to_string(getuid()) + ".lock";
}

bool LockHeldElsewhere() {
  int fd = open(LockPath().c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  close(fd);
  return held;
}

TEST(CdfrontSmoke, ComesUpOverTheDiscAndEndsWithZero) {
  TempFolder root;
  // The disc's Windows directory and registry are the program's defaults below this state folder.
  const std::string base = root / "cdfront";
  ASSERT_TRUE(datagen_WriteLauncherDisc(base));
  const std::string program = base + "/disc/cdfront";
  fs::copy_file(VH_CDFRONT_PROGRAM, program);
  if (LockHeldElsewhere()) GTEST_SKIP() << "another launcher is running";

  pid_t first = Spawn(program, root.path);
  ASSERT_GT(first, 0);
  auto end = Clock::now() + std::chrono::seconds(30);
  while (!CatchesTerm(first) && Clock::now() < end) {
    int status = 0;
    ASSERT_EQ(waitpid(first, &status, WNOHANG), 0) << "the launcher ended on its own";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(CatchesTerm(first));
  // Still running a moment later: it sits in its loop.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(WaitFor(first, 0), -1);

  // A second copy finds the first and ends with 0 at once.
  pid_t second = Spawn(program, root.path);
  ASSERT_GT(second, 0);
  EXPECT_EQ(WaitFor(second, 30), 0);
  EXPECT_EQ(WaitFor(first, 0), -1);

  // Nothing was clicked: nothing was written.
  EXPECT_FALSE(root.Exists("cdfront/windows/ostrel_launcher.ini"));

  kill(first, SIGTERM);
  int status = WaitFor(first, 30);
  if (status == -1) {
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
  }
  EXPECT_EQ(status, 0);
}

}  // namespace
