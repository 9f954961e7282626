// The real program on a real X desktop: its own Xvfb per test (any screen size, with or without a
// window manager), the pointer and keys driven through XTest as a hand would (xdotool, relative
// moves), and the page seen in grabs of the screen. Every outside command runs under a deadline.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"
#include "tests/game/program/program_tree.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A command's output, run on the display under a deadline.
std::string Output(const std::string& display, const std::string& command) {
  const std::string line = "DISPLAY=" + display + " timeout 20 " + command + " 2>/dev/null";
  std::string out;
  if (FILE* pipe = popen(line.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

pid_t Spawn(const std::string& display, const std::vector<std::string>& argv, const fs::path& folder) {
  const pid_t child = fork();
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test killed at its time limit takes its processes along
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("SDL_VIDEODRIVER");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!folder.empty()) fs::current_path(folder);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return child;
}

// Asked to end first, so an X server takes its lock file and socket with it (left behind, they
// race the next server that starts for the same display); killed if it does not end in time.
void Stop(pid_t child) {
  if (child <= 0) return;
  kill(child, SIGTERM);
  if (ProgramWaitFor(child, std::chrono::seconds(5)) != -1) return;
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

class Desktop : public ::testing::Test {
 protected:
  // The game on its desktop, past the renderer question (answered when it asks) and the intros.
  // `manager` names the window manager to run, or none when null.
  void Start(int width, int height, const char* manager, bool askRenderer = false) {
    ASSERT_NO_FATAL_FAILURE(Launch(width, height, manager, askRenderer));
    if (askRenderer) AnswerTheRendererQuestion();
    PassTheIntros();
  }
  // An X server of this size on a display of its own, a window manager when asked, and the game.
  void Launch(int width, int height, const char* manager, bool askRenderer) {
    width_ = width;
    height_ = height;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    server_ = fork();
    if (server_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      close(fds[0]);
      execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0", screen.c_str(),
             "-br", "-nolisten", "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // The server writes the number and its newline apart, and ends if nobody reads the second.
    std::string number;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
      pollfd ready{fds[0], POLLIN, 0};
      char part[16];
      ssize_t got = 0;
      if (poll(&ready, 1, 100) == 1 && (got = read(fds[0], part, sizeof part)) <= 0) break;
      number.append(part, static_cast<size_t>(std::max<ssize_t>(got, 0)));
    }
    close(fds[0]);
    ASSERT_NE(number.find('\n'), std::string::npos) << "Xvfb did not start";
    display_ = ":" + number.substr(0, number.find('\n'));
    if (manager) {
      manager_ = Spawn(display_, {manager}, {});
      std::this_thread::sleep_for(1s);
    }
    program_ = ProgramTreeInstall(dir_.path(), 0);
    ASSERT_FALSE(program_.empty());
    // Without settings the game first asks for its renderer.
    if (askRenderer) fs::remove(dir_.path() / "data" / "prefs" / "prefs.qz");
    game_ = Spawn(display_, {program_.string()}, dir_.path());
  }
  void PassTheIntros() {
    // The intro's pictures give way to keys, the disclaimer to the next one.
    for (int i = 0; i < 6; ++i) {
      std::this_thread::sleep_for(1500ms);
      Key("space");
    }
    std::this_thread::sleep_for(1500ms);
  }
  void TearDown() override {
    Stop(game_);
    Stop(manager_);
    Stop(server_);
  }

  // Whether the condition comes true within the time, asked four times a second (a loaded machine
  // draws slowly).
  template <typename Condition>
  static bool Within(std::chrono::seconds limit, Condition holds) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
      if (holds()) return true;
      std::this_thread::sleep_for(250ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
  }
  void Key(const char* key) { Output(display_, std::string("xdotool key ") + key); }
  // Software, then Ok, clicked in the dialog standing in the middle of the screen.
  void AnswerTheRendererQuestion() {
    std::this_thread::sleep_for(3s);
    const int x = width_ / 2, y = height_ / 2;
    Output(display_, "xdotool mousemove " + std::to_string(x - 34) + " " + std::to_string(y + 59));
    Click();
    Output(display_, "xdotool mousemove " + std::to_string(x + 137) + " " + std::to_string(y + 108));
    Click();
    std::this_thread::sleep_for(2s);
  }
  // A window's client area on the X screen, where the server has it: a window manager's frame
  // moves a window from where the program put it.
  struct Placed {
    std::string id;
    int x = 0, y = 0, w = 0, h = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
  };
  // The one shown window of this exact name, waited for a few seconds; no id when there is none.
  // A window not mapped yet does not count: its place is from before the window manager framed it.
  Placed Find(const std::string& name) {
    Placed found;
    const bool one = Within(10s, [&] {
      const std::string ids = Output(display_, "xdotool search --onlyvisible --name '^" + name + "$'");
      found.id = ids.substr(0, ids.empty() ? 0 : ids.size() - 1);
      return !ids.empty() && ids.find('\n') == ids.size() - 1;
    });
    if (!one) return Placed{};
    const std::string info = Output(display_, "xwininfo -id " + found.id);
    auto field = [&info](const char* label) {
      const size_t at = info.find(label);
      return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + std::strlen(label));
    };
    found.x = field("Absolute upper-left X:");
    found.y = field("Absolute upper-left Y:");
    found.w = field("Width:");
    found.h = field("Height:");
    return found;
  }
  // Whether the window is mapped and shows (neither minimised nor withdrawn).
  bool Viewable(const Placed& window) {
    return Output(display_, "xwininfo -id " + window.id).find("Map State: IsViewable") != std::string::npos;
  }
  // Whether the window of this name has the keyboard within a few seconds.
  bool Focused(const std::string& name) {
    return Within(5s, [&] { return Output(display_, "xdotool getwindowfocus getwindowname") == name + "\n"; });
  }
  // The window that `window` stands over for the window manager (its WM_TRANSIENT_FOR), as a
  // number; 0 for none. xprop prints ids in hex, xdotool in decimal.
  unsigned long TransientFor(const Placed& window) {
    const std::string line = Output(display_, "xprop -id " + window.id + " WM_TRANSIENT_FOR");
    const size_t at = line.find("# ");
    return at == std::string::npos ? 0 : std::strtoul(line.c_str() + at + 2, nullptr, 0);
  }
  void ClickAt(int x, int y) {
    Output(display_, "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
    Click();
  }
  // Whether the window of this name is gone within a few seconds.
  bool Gone(const std::string& name) {
    return Within(5s, [&] { return Output(display_, "xdotool search --name '^" + name + "$'").empty(); });
  }
  // The renderer the game saved when it ended.
  int32_t SavedRenderer() {
    const std::string image = TempDir::Read(dir_.path() / "data" / "prefs" / "prefs.qz");
    return PrefsRead(reinterpret_cast<const uint8_t*>(image.data()), image.size()) ? gSettings.rendererKind : -2;
  }
  // The first start at 1024x768 with this window manager, up to the renderer question, which must
  // stand over the game window for the window manager.
  void LaunchToTheQuestion(const char* manager, Placed* question, Placed* game) {
    ASSERT_NO_FATAL_FAILURE(Launch(1024, 768, manager, true));
    *question = Find("Rendering Engine");
    ASSERT_FALSE(question->id.empty()) << "no renderer question";
    *game = Find("Velloran Hydrel");
    ASSERT_FALSE(game->id.empty()) << "no game window";
    EXPECT_EQ(TransientFor(*question), std::stoul(game->id)) << "the question does not stand over the game";
  }
  // The first start on a desktop with a window manager: the player picks Software, clicks the game
  // window beside the question (which takes the window manager's focus), then answers with a click
  // on Ok or with Return; the question must still take the answer and the game go on with it.
  void AnswerAfterAClickOnTheGameWindow(bool byReturn) {
    Placed question, game;
    ASSERT_NO_FATAL_FAILURE(LaunchToTheQuestion("openbox", &question, &game));
    // The question's controls, in its client pixels: Software at (155, 169), Ok at (300, 213).
    ClickAt(question.x + 163, question.y + 177);
    const int besideX = game.x + 20, besideY = game.y + 20;
    ASSERT_TRUE(game.Contains(besideX, besideY));
    const Placed framed{"", question.x - 8, question.y - 30, question.w + 16, question.h + 38};
    ASSERT_FALSE(framed.Contains(besideX, besideY));
    ClickAt(besideX, besideY);
    ASSERT_TRUE(Focused("Rendering Engine")) << "the question lost the keyboard";
    if (byReturn) Key("Return");
    else ClickAt(question.x + 333, question.y + 227);
    ASSERT_TRUE(Gone("Rendering Engine")) << "the question took no answer";
    PassTheIntros();
    ThePictureShowsWhole();
    Key("alt+F4");
    const int status = ProgramWaitFor(game_, 15s);
    ASSERT_NE(status, -1) << "the game did not end";
    game_ = -1;
    EXPECT_EQ(SavedRenderer(), 100);
  }
  void Click() {
    Output(display_, "xdotool mousedown 1");
    std::this_thread::sleep_for(150ms);
    Output(display_, "xdotool mouseup 1");
    std::this_thread::sleep_for(700ms);
  }
  // Where the game's screen stands on the X screen: scaled to fit, aspect kept, centred.
  struct ScreenFit {
    double scale;
    int left, top;
  };
  ScreenFit Fit() const {
    const double scale = std::min(width_ / 640.0, height_ / 480.0);
    return {scale, static_cast<int>((width_ - 640 * scale) / 2), static_cast<int>((height_ - 480 * scale) / 2)};
  }
  // Moves the pointer by this much of the game's screen, in small steps as a hand does.
  void Move(int dx, int dy, int step = 6) {
    const double scale = Fit().scale;
    const int steps = std::max(std::abs(dx), std::abs(dy)) / step + 1;
    int doneX = 0, doneY = 0;
    for (int i = 1; i <= steps; ++i) {
      const int x = static_cast<int>(dx * scale * i / steps), y = static_cast<int>(dy * scale * i / steps);
      Output(display_, "xdotool mousemove_relative -- " + std::to_string(x - doneX) + " " + std::to_string(y - doneY));
      doneX = x;
      doneY = y;
      std::this_thread::sleep_for(30ms);
    }
    std::this_thread::sleep_for(300ms);
  }
  // The game's software cursor is held inside the screen: pressing it into a corner gives it a
  // known place to move from.
  void MoveFromCorner(bool right, int dx, int dy) {
    Move(right ? 700 : -700, right ? 520 : -520, 60);
    Move(dx, dy);
  }
  // A signature of a rectangle of the game's screen as it shows on the X screen.
  std::string Region(int x, int y, int w, int h) {
    const auto [scale, left, top] = Fit();
    char geometry[96];
    std::snprintf(geometry, sizeof geometry, "%dx%d+%d+%d", static_cast<int>(w * scale), static_cast<int>(h * scale),
                  left + static_cast<int>(x * scale), top + static_cast<int>(y * scale));
    return Output(display_, std::string("import -window root -crop ") + geometry + " -format %# info:");
  }
  // Whether the rectangle's signature differs from this one within a few seconds (a loaded
  // machine draws slowly).
  bool RegionChanges(int x, int y, int w, int h, const std::string& before) {
    return Within(5s, [&] {
      const std::string now = Region(x, y, w, h);
      return !now.empty() && now != before;
    });
  }
  // The colour of one pixel of the game's screen as it shows on the X screen, as "r,g,b".
  std::string Pixel(int x, int y) {
    const auto [scale, left, top] = Fit();
    const std::string at = std::to_string(left + static_cast<int>((x + 0.5) * scale)) + "+" +
                           std::to_string(top + static_cast<int>((y + 0.5) * scale));
    return Output(display_, "import -window root -crop 1x1+" + at + " -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:");
  }

  // The new-game page: a click on the mode's right arrow changes the mode's caption, one on the
  // circuit tab changes the page.
  void ClicksReachTheArrowAndTheTab() {
    const std::string mode = Region(400, 380, 140, 40), tabs = Region(0, 120, 150, 240);
    ASSERT_FALSE(mode.empty()) << "no screen grab";
    MoveFromCorner(true, -56, -77);  // to the middle of the mode's right arrow (584, 402)
    Click();
    EXPECT_TRUE(RegionChanges(400, 380, 140, 40, mode)) << "the mode did not change";
    MoveFromCorner(false, 55, 137);  // to the circuit tab
    Click();
    EXPECT_TRUE(RegionChanges(0, 120, 150, 240, tabs)) << "the page did not change";
  }
  // The page fills the picture: its four corners are drawn, not the desktop's black.
  void ThePictureShowsWhole() {
    for (auto [x, y] : {std::pair{1, 1}, {638, 1}, {1, 478}, {638, 478}}) {
      const std::string colour = Pixel(x, y);
      EXPECT_TRUE(!colour.empty() && colour != "0,0,0") << "corner " << x << "," << y << ": " << colour;
    }
  }

  TempDir dir_;
  fs::path program_;
  std::string display_;
  int width_ = 0, height_ = 0;
  pid_t server_ = -1, manager_ = -1, game_ = -1;
};

TEST_F(Desktop, AWiderScreenWithoutAWindowManagerShowsTheWholePictureAndTakesClicks) {
  ASSERT_NO_FATAL_FAILURE(Start(1024, 768, nullptr));
  ThePictureShowsWhole();
  ClicksReachTheArrowAndTheTab();
}

TEST_F(Desktop, ATallerScreenWithAWindowManagerTakesClicks) {
  ASSERT_NO_FATAL_FAILURE(Start(1280, 1024, "openbox"));
  ThePictureShowsWhole();
  ClicksReachTheArrowAndTheTab();
}

TEST_F(Desktop, AScreenOfTheGamesOwnSizeTakesClicks) {
  ASSERT_NO_FATAL_FAILURE(Start(640, 480, "openbox"));
  ClicksReachTheArrowAndTheTab();
}

// Without a window manager nothing gives the keyboard back when the dialog goes: the game's
// window must take it, or no key would ever reach the game.
TEST_F(Desktop, KeysReachTheGameAfterTheRendererQuestionWithoutAWindowManager) {
  ASSERT_NO_FATAL_FAILURE(Start(640, 480, nullptr, true));
  const std::string tabs = Region(0, 120, 150, 240);
  ASSERT_FALSE(tabs.empty()) << "no screen grab";
  // The keys that cut the intros short brought the menus, whose tabs stand still until a key moves
  // them (the spinning logo stays above the region).
  std::this_thread::sleep_for(500ms);
  ASSERT_EQ(Region(0, 120, 150, 240), tabs) << "the intros' keys did not reach the game";
  Key("Down");
  EXPECT_TRUE(RegionChanges(0, 120, 150, 240, tabs)) << "the key did not reach the menus";
}

TEST_F(Desktop, TheRendererQuestionTakesAClickOnOkAfterAClickOnTheGameWindow) {
  AnswerAfterAClickOnTheGameWindow(false);
}

TEST_F(Desktop, TheRendererQuestionTakesReturnAfterAClickOnTheGameWindow) {
  AnswerAfterAClickOnTheGameWindow(true);
}

// A window manager that minimises the question alone (icewm; openbox takes the game window along):
// a click on the game window must bring the question back with the keyboard, or nothing could
// answer it without a task bar. (The focus that icewm then gives the game window may bring the
// question back before the click.)
TEST_F(Desktop, AMinimisedRendererQuestionComesBackWithAClickOnTheGameWindow) {
  Placed question, game;
  ASSERT_NO_FATAL_FAILURE(LaunchToTheQuestion("icewm", &question, &game));
  Output(display_, "xdotool windowminimize " + question.id);
  ASSERT_TRUE(Within(5s, [&] { return Viewable(game); })) << "the game window went too";
  ClickAt(game.x + 20, game.y + 20);
  ASSERT_TRUE(Within(5s, [&] { return Viewable(question); })) << "the question did not come back";
  ASSERT_TRUE(Focused("Rendering Engine")) << "the question came back without the keyboard";
  Key("Return");
  EXPECT_TRUE(Gone("Rendering Engine")) << "the question took no answer";
}

TEST_F(Desktop, TheDesktopsCloseKeyEndsTheGameWithItsSavesWritten) {
  ASSERT_NO_FATAL_FAILURE(Start(1024, 768, "openbox"));
  const fs::path prefs = dir_.path() / "data" / "prefs";
  fs::remove(prefs / "circuit.qz");
  Key("alt+F4");
  const int status = ProgramWaitFor(game_, 15s);
  ASSERT_NE(status, -1) << "the game did not end";
  game_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_TRUE(fs::exists(prefs / "circuit.qz"));
}

}  // namespace
