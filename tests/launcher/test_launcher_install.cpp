#include <string>

#include "launcher_fixture.h"
#include "platform/test/plat_time.h"

namespace {

const char kKinds[] =
    "[Configs]\nnumberofinstalls=8\n"
    "[Install1]\ninstall=no\nrun=yes\nexename=none.sh\nrunpath=docs\n"
    "[Install2]\ninstall=no\nrun=no\nexename=here.sh\nrunpath=docs\n"
    "[Install3]\ninstall=no\nrun=no\nexename=gone.sh\nrunpath=docs\n"
    "[Install4]\ninstall=yes\nrunbypath=yes\nexename=p.exe\nrunpath=prog\n"
    "[Install5]\ninstall=yes\nrunbypath=yes\nexename=q.exe\nrunpath=prog\n"
    "[Install6]\ninstall=yes\ninstallkey=yes\nexename=g.exe\ninstallkeypath=SOFTWARE\\Nobody\n"
    "installkeyname=InstallDir\n"
    "[Install7]\ninstall=yes\ninstallkey=yes\nexename=g.exe\ninstallkeypath=SOFTWARE\\Empty\n"
    "installkeyname=InstallDir\n"
    "[Install8]\ninstall=yes\ninstallkey=yes\nexename=G.EXE\ninstallkeypath=software\\maker\\game\n"
    "installkeyname=installdir\nuninstall=yes\nuninstallkey=yes\nuninstallkeypath=SOFTWARE\\Maker\\Game\n"
    "uninstallkeyname=UninstallString\nuninstallpath=configured\n";

TEST_F(LauncherTest, DecidesEachKindOfProduct) {
  WriteIni(kKinds);
  root.Write("disc/docs/here.sh", "");
  root.Write("disc/prog/p.exe", "");
  root.Write("games/g.exe", "");
  const std::string store = "[SOFTWARE\\Empty]\nInstallDir=\n[SOFTWARE\\Maker\\Game]\nInstallDir=" +
                            root.Windows() + "\\games\nUninstallString=" + root.Windows() +
                            "\\games\\un.exe -q\n";
  root.Write("registry.ini", store);
  root.Write("windows/ostrel_launcher.ini", "[none.sh]\ndoneeula=1\n[G.exe]\ndoneeula=7\n");

  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  const int expected[] = {1, 1, 0, 1, 0, 0, 0, 1};
  const LauncherProductKind kinds[] = {kLauncherRunOnly,         kLauncherRunOnly,
                                       kLauncherRunOnly,         kLauncherPathTracked,
                                       kLauncherPathTracked,     kLauncherRegistryTracked,
                                       kLauncherRegistryTracked, kLauncherRegistryTracked};
  for (size_t j = 0; j < 8; ++j) {
    EXPECT_EQ(state.products[j].installed, expected[j]) << "product " << j + 1;
    EXPECT_EQ(LauncherKindOf(state.products[j]), kinds[j]) << "product " << j + 1;
  }
  EXPECT_EQ(state.products[0].programPath, "docs\\none.sh");
  EXPECT_EQ(state.products[0].doneeula, 1);
  EXPECT_EQ(state.products[7].doneeula, 7);  // the section name matches without regard to case
  EXPECT_EQ(state.products[5].runpath, "");  // the registry replaced the configured " "
  EXPECT_EQ(state.products[7].runpath, root.Windows() + "\\games");
  EXPECT_EQ(state.products[7].programPath, root.Windows() + "\\games\\G.EXE");
  EXPECT_EQ(state.products[7].uninstallpath, root.Windows() + "\\games\\un.exe -q");
  // Look-ups never create keys: the store is as it was, and nothing was written anywhere.
  EXPECT_EQ(root.Contents("registry.ini"), store);
  EXPECT_EQ(state.pollClock, 0u);
}

TEST_F(LauncherTest, DemoDiscStartsWithItsKindsDecided) {
  WriteDisc();
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  const int fresh[] = {0, 0, 0, 1, 1};  // game, tools, extras, readme (run=yes), movie (file there)
  for (size_t j = 0; j < 5; ++j) EXPECT_EQ(state.products[j].installed, fresh[j]) << j;
  EXPECT_EQ(state.products[0].runpath, "");  // no key yet
  EXPECT_EQ(state.products[0].uninstallpath, "");
  EXPECT_EQ(state.products[1].programPath, WinDir() + "\\Tools\\tools");
  EXPECT_EQ(state.products[4].programPath, "media\\movie.sh");

  // Installed tools and game, a deleted movie; the run-only readme stays installed without its file.
  root.Write("windows/Tools/tools", "");
  root.Write("Programs/Game/Velloran_Hydrel", "");
  root.Write("registry.ini", root.Contents("registry.ini") + "[SOFTWARE\\DemoHouse\\Game]\r\nInstallDir=" +
                                 root.str() + "/Programs/Game\r\nUninstallString=un.sh -q\r\n");
  std::filesystem::remove(root.path() / "disc/media/movie.sh");
  std::filesystem::remove(root.path() / "disc/docs/readme.sh");
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  const int later[] = {1, 1, 0, 1, 0};
  for (size_t j = 0; j < 5; ++j) EXPECT_EQ(state.products[j].installed, later[j]) << j;
  EXPECT_EQ(state.products[0].uninstallpath, "un.sh -q");
}

TEST_F(LauncherTest, StateTrackedInstallEndsAtOnceAndWritesNothing) {
  WriteDisc();
  const std::string stateFile = "; kept\r\n[extras]\r\ndoneeula=1\r\ndoneinstall=5\r\n";
  root.Write("windows/ostrel_launcher.ini", stateFile);
  const std::string store = root.Contents("registry.ini");
  EXPECT_EQ(LauncherConfigRead(&state), kLauncherStartEnd);
  EXPECT_EQ(state.products[2].installed, 5);
  EXPECT_EQ(root.Contents("windows/ostrel_launcher.ini"), stateFile);
  EXPECT_EQ(root.Contents("registry.ini"), store);
  EXPECT_TRUE(plat_ShellTestLog().empty());

  root.Write("windows/ostrel_launcher.ini", "[extras]\r\ndoneinstall=0\r\n");
  EXPECT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  EXPECT_EQ(state.products[2].installed, 0);
}

TEST_F(LauncherTest, PollFlipsPathTrackedProduct) {
  WriteDisc();
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  ASSERT_EQ(state.products[1].installed, 0);
  root.Write("windows/Tools/tools", "");
  Advance(1000);
  EXPECT_EQ(Polls(1), 0);
  EXPECT_TRUE(window.events.empty());
  Advance(1);
  EXPECT_EQ(Polls(1), 1);
  EXPECT_EQ(window.events, (std::vector<std::string>{"show 15 1", "caption 5 Start Tools"}));
  EXPECT_EQ(state.products[1].installed, 1);

  window.events.clear();
  std::filesystem::remove(root.path() / "windows/Tools/tools");
  Advance(1001);
  EXPECT_EQ(Polls(3), 1);
  EXPECT_EQ(window.events, (std::vector<std::string>{"show 15 0", "caption 5 Install Tools"}));
  EXPECT_EQ(state.products[1].installed, 0);
}

TEST_F(LauncherTest, PollFindsRegistryValueThatAppearsLater) {
  WriteDisc();
  const std::string before = root.Contents("registry.ini");
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  ASSERT_EQ(state.products[0].installed, 0);
  Advance(5000);
  Polls(10);
  EXPECT_TRUE(window.events.empty());
  EXPECT_EQ(root.Contents("registry.ini"), before);

  // What the game's installer does: its program file and its key.
  root.Write("Programs/Game/Velloran_Hydrel", "");
  root.Write("registry.ini", before + "[SOFTWARE\\DemoHouse\\Game]\r\nInstallDir=" + root.str() +
                                 "/Programs/Game\r\nUninstallString=" + root.str() +
                                 "/Programs/Game/uninstall_game.sh -q\r\n");
  Advance(1001);  // the clock was left 1000 behind: two runs, the first one finds it
  EXPECT_EQ(Polls(5), 2);
  EXPECT_EQ(window.events, (std::vector<std::string>{"caption 4 Play Game", "show 14 1"}));
  EXPECT_EQ(state.products[0].programPath, root.str() + "/Programs/Game\\Velloran_Hydrel");
  EXPECT_EQ(state.products[0].uninstallpath, root.str() + "/Programs/Game/uninstall_game.sh -q");

  window.events.clear();
  std::filesystem::remove(root.path() / "Programs/Game/Velloran_Hydrel");
  Advance(1001);
  EXPECT_EQ(Polls(2), 1);
  EXPECT_EQ(window.events, (std::vector<std::string>{"caption 4 Install Game", "show 14 0"}));
}

TEST_F(LauncherTest, PollCadenceCatchesUpAndSurvivesTheClockWrap) {
  WriteIni("[Configs]\nnumberofinstalls=0\n");
  for (uint32_t start : {0u, 0x7FFFFE00u, 0xFFFFFE00u}) {
    plat_TestClockSetTickCount(start);
    ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
    EXPECT_EQ(state.pollClock, start);
    EXPECT_EQ(LauncherPollDelay(state), 1000) << start;
    Advance(1000);
    EXPECT_EQ(LauncherPollDelay(state), 1) << start;
    EXPECT_EQ(Polls(5), 0) << start;
    Advance(1);
    EXPECT_EQ(LauncherPollDelay(state), 0) << start;
    EXPECT_EQ(Polls(5), 1) << start;
    EXPECT_EQ(LauncherPollDelay(state), 1000) << start;
    // A ten-second pause: one run per idle pass until the clock has caught up.
    Advance(10000);
    EXPECT_EQ(Polls(30), 10) << start;
    // Well past 2^31 or 2^32 the poll still runs once a second.
    for (int second = 0; second < 5; ++second) {
      Advance(1000);
      EXPECT_EQ(Polls(3), 1) << start;
    }
  }
  // After an hour's suspend the clock jumps instead of running 3600 polls back to back.
  Advance(3600000);
  EXPECT_EQ(Polls(100), 1);
  Advance(999);
  EXPECT_EQ(Polls(3), 0);
  Advance(2);
  EXPECT_EQ(Polls(3), 1);
}

TEST_F(LauncherTest, StateWriteKeepsForeignLinesAndWritesOnlyWhatBelongs) {
  WriteDisc();
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  EXPECT_FALSE(root.Exists("windows/ostrel_launcher.ini"));
  const std::string foreign = "; written by hand\r\n[Other]\r\nkeep=yes\r\n";
  root.Write("windows/ostrel_launcher.ini", foreign);
  state.products[0].doneeula = 1;
  state.products[2].installed = 5;
  ASSERT_TRUE(LauncherStateWrite(state));
  EXPECT_EQ(root.Contents("windows/ostrel_launcher.ini"),
            foreign +
                "[Velloran_Hydrel]\r\ndoneeula=1\r\n[tools]\r\ndoneeula=0\r\n"
                "[extras]\r\ndoneeula=0\r\ndoneinstall=5\r\n[readme.sh]\r\ndoneeula=0\r\n"
                "[movie.sh]\r\ndoneeula=0\r\n");
  // Written again: every key replaced in place.
  state.products[2].doneeula = 1;
  ASSERT_TRUE(LauncherStateWrite(state));
  EXPECT_NE(root.Contents("windows/ostrel_launcher.ini").find("[extras]\r\ndoneeula=1\r\ndoneinstall=5\r\n"),
            std::string::npos);
}

TEST_F(LauncherTest, StateWriteMakesTheWindowsDirectoryAndSharesSectionsSafely) {
  WriteIni("[Configs]\nnumberofinstalls=3\n"
           "[Install1]\ninstall=yes\nexename=Same\n"
           "[Install2]\ninstall=yes\nexename=same\n"
           "[Install3]\ninstall=no\nexename=bad]name\n");
  plat_SetWindowsDirectory((root.path() / "new/windows").c_str());
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  state.products[0].doneeula = 1;  // an acceptance is not overwritten by a sharer's 0
  state.products[1].installed = 1;
  EXPECT_FALSE(LauncherStateWrite(state));  // the third section name cannot be written
  EXPECT_EQ(root.Contents("new/windows/ostrel_launcher.ini"),
            "[Same]\r\ndoneeula=1\r\ndoneinstall=1\r\n");

  // A Windows directory that cannot be made: the launcher carries on.
  root.Write("file", "x");
  plat_SetWindowsDirectory((root.path() / "file/windows").c_str());
  state.windowsDirectory = plat_WindowsDirectory();
  EXPECT_FALSE(LauncherStateWrite(state));
  EXPECT_EQ(root.Contents("file"), "x");
}

}  // namespace
