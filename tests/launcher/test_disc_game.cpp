// The sample disc carrying the built game, on the real shell: "Install Game" copies the game and its
// data tree, "Play Game" starts the installed program (on SDL's off-screen video and silent audio),
// "Remove Game" takes it away but leaves the saves.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "launcher/launcher_actions.h"
#include "launcher_fixture.h"
#include "tools/datagen/game_tree.h"

namespace {

namespace fs = std::filesystem;

class DiscGame : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    plat_UseBackend(kPlatBackendReal);
    // What a build leaves beside the game: saves and a route file, which the disc must not carry.
    fs::create_directories(root.path() / "build");
    fs::copy_file(VH_GAME_PROGRAM, root.path() / "build/Velloran_Hydrel");
    ASSERT_TRUE(DatagenWriteTree(root.path() / "build"));
    root.Write("build/data/prefs/prefs.qz", "the developer's own settings");
    root.Write("build/data/courses/amazon/qz_route_ 1.qz", "route");
    ASSERT_TRUE(datagen_WriteLauncherDisc(root.str(), root.path() / "build"));
  }
  void TearDown() override {
    // A game left running by a failed check would keep writing into the folder being removed.
    if (game > 0 && waitpid(game, nullptr, WNOHANG) == 0) {
      kill(game, SIGKILL);
      waitpid(game, nullptr, 0);
    }
    plat_ShellReap();
    LauncherTest::TearDown();
  }

  // Polls as the launcher's idle loop does until `done` holds; false after 30 s.
  bool PollUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      plat_ShellReap();
      LauncherPollInstalls(&state, &ops);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }
  std::string Installed(const std::string& name) const { return root.path() / ("Programs/Game/" + name); }

  pid_t game = 0;
};

// The child of this process running `program`, or 0.
pid_t ChildRunning(const std::string& program) {
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
    std::error_code error;
    if (fs::read_symlink(entry.path() / "exe", error) != fs::path(program)) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string pid, name, status;
    pid_t parent = 0;
    stat >> pid >> name >> status >> parent;
    if (parent == getpid()) return static_cast<pid_t>(std::stoi(pid));
  }
  return 0;
}

TEST_F(DiscGame, InstallsPlaysAndRemovesTheRealGame) {
  ASSERT_TRUE(root.Exists("disc/game/Velloran_Hydrel"));
  EXPECT_TRUE(root.Exists("disc/game/data/levels/amazon/level.brp"));
  EXPECT_TRUE(fs::is_empty(root.path() / "disc/game/data/prefs"));
  EXPECT_FALSE(root.Exists("disc/game/data/courses/amazon/qz_route_ 1.qz"));

  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  ASSERT_EQ(state.products[0].installed, 0);
  window.answers = {kLauncherAgreementAccept};
  EXPECT_EQ(LauncherButtonAction(&state, LauncherSlotMain(0), &ops), kLauncherStayOpen);
  ASSERT_TRUE(PollUntil([&] { return state.products[0].installed == 1; })) << "the installer did not finish";
  EXPECT_EQ(window.events, (std::vector<std::string>{"agreement 0", "caption 4 Play Game", "show 14 1"}));
  EXPECT_TRUE(fs::exists(Installed("data/menu")));
  EXPECT_TRUE(fs::is_empty(Installed("data/prefs")));

  // "Play Game": the installed program starts in its own folder and finds its tree there.
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EQ(LauncherButtonAction(&state, LauncherSlotMain(0), &ops), kLauncherQuitPosted);
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("SDL_AUDIODRIVER");
  ASSERT_TRUE(PollUntil([&] { return (game = ChildRunning(Installed("Velloran_Hydrel"))) != 0; }));
  ASSERT_TRUE(PollUntil([&] { return fs::exists(Installed("data/prefs/prefs.qz")); }));
  // Asked to end from outside at whatever point it has reached, the game saves and exits.
  kill(game, SIGTERM);
  int status = 0;
  // Waited for here alone: the shell's reaping would take the status away.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitpid(game, &status, WNOHANG) != game) {
    ASSERT_LT(std::chrono::steady_clock::now(), end) << "the game did not end";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  game = 0;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  const std::string saved = root.Contents("Programs/Game/data/prefs/prefs.qz");
  EXPECT_FALSE(saved.empty());

  // "Remove Game" takes the program and its data away, the saves stay.
  EXPECT_EQ(LauncherButtonAction(&state, LauncherSlotUninstall(0), &ops), kLauncherStayOpen);
  ASSERT_TRUE(PollUntil([&] { return state.products[0].installed == 0; })) << "the uninstaller did not finish";
  EXPECT_FALSE(fs::exists(Installed("data/menu")));
  EXPECT_EQ(root.Contents("Programs/Game/data/prefs/prefs.qz"), saved);
  EXPECT_EQ(window.events.back(), "show 14 0");
}

}  // namespace
