// The real program, started as a player would: beside a generated data tree in a fresh folder, on
// SDL's off-screen video and silent audio (chosen through SDL's own variables, which the game does
// not read), ended by a terminate signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "support/temp_dir.h"
#include "tests/game/program/program_tree.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kSeededLaunches = 7;

pid_t Start(const fs::path& program) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

TEST(ProgramSmoke, RunsUntilToldToEndThenSavesAndExitsCleanly) {
  TempDir dir;
  const fs::path root = dir.path();
  const fs::path program = ProgramTreeInstall(root, kSeededLaunches);
  ASSERT_FALSE(program.empty());
  // Started from elsewhere: the program finds its tree beside itself.
  const fs::path prefs = root / "data" / "prefs";
  fs::remove(prefs / "scores.qz");
  fs::remove(prefs / "circuit.qz");

  const pid_t child = Start(program);
  ASSERT_GT(child, 0);
  const int early = ProgramWaitFor(child, std::chrono::seconds(2));
  if (early != -1) {
    ADD_FAILURE() << "the program ended before it was told to, status " << early;
    return;
  }
  ASSERT_EQ(kill(child, SIGTERM), 0);
  int status = ProgramWaitFor(child, std::chrono::seconds(10));
  if (status == -1) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    FAIL() << "the program did not end within 10 s of the signal";
  }
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);

  for (const char* name : {"prefs.qz", "scores.qz", "circuit.qz"})
    EXPECT_TRUE(fs::exists(prefs / name)) << name;
  const std::string image = TempDir::Read(prefs / "prefs.qz");
  ASSERT_TRUE(PrefsRead(reinterpret_cast<const uint8_t*>(image.data()), image.size()));
  // Reading counts a launch, as the program's own load did once.
  EXPECT_EQ(gSettings.launchCount, kSeededLaunches + 2);
  EXPECT_EQ(gSettings.rendererKind, 100);
}

}  // namespace
