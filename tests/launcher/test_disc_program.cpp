// The sample disc's writer as a user runs it: launcher_disc with no folder writes the disc into the
// launcher's folder, which the environment names, so that the disc's scripts and the launcher
// agree on where the registry and the installed game are.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Runs launcher_disc with the two variables that name the launcher's folder and an optional folder
// argument; its exit status, or -1 when it did not exit.
int RunLauncherDisc(const fs::path& stateHome, const fs::path& home, const char* folder = nullptr) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    execl(VH_LAUNCHER_DISC_PROGRAM, VH_LAUNCHER_DISC_PROGRAM, folder, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(LauncherDiscProgram, WritesIntoTheLauncherFolderUnlessGivenOne) {
  TempDir dir;
  const fs::path state = dir.path() / "state";
  const fs::path home = dir.path() / "home";
  fs::create_directories(state);
  fs::create_directories(home);

  ASSERT_EQ(RunLauncherDisc(state, home), 0);
  EXPECT_TRUE(dir.Exists("state/cdfront/disc/ostrel.ini"));
  EXPECT_TRUE(dir.Exists("state/cdfront/disc/game/Velloran_Hydrel"));
  EXPECT_TRUE(dir.Exists("state/cdfront/registry.ini"));
  // The installer writes the registry the launcher reads.
  EXPECT_NE(dir.Contents("state/cdfront/disc/setup/install_game.sh").find((state / "cdfront/registry.ini").string()),
            std::string::npos);
  EXPECT_TRUE(fs::is_empty(home));

  ASSERT_EQ(RunLauncherDisc(state, home, (dir.path() / "given").c_str()), 0);
  EXPECT_TRUE(dir.Exists("given/disc/ostrel.ini"));
  EXPECT_TRUE(dir.Exists("given/registry.ini"));
}

}  // namespace
