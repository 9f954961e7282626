#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "launcher/launcher_actions.h"
#include "launcher_fixture.h"

namespace {

using Lines = std::vector<std::string>;

class LauncherActions : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    WriteDisc();
  }
  void Start() { ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow); }
  LauncherActionEnd Click(int slot) { return LauncherButtonAction(&state, slot, &ops); }
  std::string StateFile() const { return root.Contents("windows/ostrel_launcher.ini"); }
};

TEST_F(LauncherActions, DocumentButtonsOpenWithoutParameters) {
  Start();
  EXPECT_EQ(Click(kLauncherSlotCatalog), kLauncherStayOpen);
  EXPECT_EQ(Click(kLauncherSlotManual), kLauncherStayOpen);
  EXPECT_EQ(Click(kLauncherSlotRegistration), kLauncherStayOpen);
  // "HTTP" in capitals is not an address; the registration link never gets the launcher directory.
  state.settings.catalog.file = "HTTP://localhost/x";
  state.settings.registration.file = "docs\\catalog.txt";
  Click(kLauncherSlotCatalog);
  Click(kLauncherSlotRegistration);
  // A program behind a document button gets the Windows directory as its parameter.
  state.settings.manual.file = "setup\\install_tools.sh";
  Click(kLauncherSlotManual);
  const std::string d = Disc();
  EXPECT_EQ(ShellLog(), (Lines{
                            "open|" + d + "docs\\catalog.txt|||" + d,
                            "open|http://localhost/manual.html|||" + d,
                            "open|http://localhost/register|||" + d,
                            "open|" + d + "HTTP://localhost/x|||" + d,
                            "open|docs\\catalog.txt|||" + d,
                            "open|" + d + "setup\\install_tools.sh|" + WinDir() + "||" + d,
                        }));
  EXPECT_TRUE(window.events.empty());
  EXPECT_FALSE(root.Exists("windows/ostrel_launcher.ini"));

  EXPECT_EQ(Click(kLauncherSlotExit), kLauncherQuitPosted);
  EXPECT_EQ(window.events, Lines{"quit 0"});
}

TEST_F(LauncherActions, RunOnlyAsksForTheAgreementOnce) {
  Start();
  const int slot = LauncherSlotMain(3);  // "Read Me": run-only, run=yes, agreement file absent
  window.answers = {kLauncherAgreementDecline, kLauncherAgreementClosed, kLauncherAgreementAccept};
  EXPECT_EQ(Click(slot), kLauncherStayOpen);
  EXPECT_EQ(Click(slot), kLauncherStayOpen);  // the close box declines too
  EXPECT_TRUE(plat_ShellTestLog().empty());
  EXPECT_FALSE(root.Exists("windows/ostrel_launcher.ini"));
  EXPECT_EQ(state.agreementProduct, 3);
  EXPECT_EQ(state.agreementAnswer, 0);

  EXPECT_EQ(Click(slot), kLauncherQuitPosted);
  EXPECT_EQ(state.agreementAnswer, 1);
  EXPECT_EQ(window.events, (Lines{"agreement 3", "agreement 3", "agreement 3", "quit 0"}));
  EXPECT_EQ(window.agreementTexts, (Lines{"(none)", "(none)", "(none)"}));
  EXPECT_EQ(ShellLog(), Lines{"open|readme.sh|||" + Disc() + "docs"});
  EXPECT_NE(StateFile().find("[readme.sh]\r\ndoneeula=1\r\n"), std::string::npos);

  // The next session remembers the acceptance.
  window = FakeWindow{};
  ops = window.Ops();
  plat_ShellTestReset();
  Start();
  EXPECT_EQ(state.products[3].doneeula, 1);
  EXPECT_EQ(Click(slot), kLauncherQuitPosted);
  EXPECT_EQ(window.events, Lines{"quit 0"});
}

TEST_F(LauncherActions, NotInstalledWithRunStartsTheInstallerAndStaysOpen) {
  root.Write("windows/ostrel_launcher.ini", "[Velloran_Hydrel]\r\ndoneeula=1\r\n");
  Start();
  const int slot = LauncherSlotMain(0);  // registry-tracked game, run=yes
  EXPECT_EQ(Click(slot), kLauncherStayOpen);  // declined even though accepted before
  EXPECT_TRUE(plat_ShellTestLog().empty());
  window.answers = {kLauncherAgreementAccept};
  EXPECT_EQ(Click(slot), kLauncherStayOpen);
  EXPECT_EQ(window.events, (Lines{"agreement 0", "agreement 0"}));
  EXPECT_EQ(window.agreementTexts[0].rfind("Line 1 of", 0), 0u);
  EXPECT_EQ(ShellLog(), Lines{"open|install_game.sh|||" + Disc() + "setup"});
  EXPECT_EQ(state.products[0].installed, 0);  // the poll will find it
}

TEST_F(LauncherActions, NotInstalledWithoutRunRecordsTheInstallAndEnds) {
  Start();
  const int slot = LauncherSlotMain(2);  // state-tracked extras, run=no
  window.answers = {kLauncherAgreementAccept};
  EXPECT_EQ(Click(slot), kLauncherExitNow);
  EXPECT_EQ(ShellLog(), Lines{"open|install_extras.sh|||" + Disc() + "setup"});
  EXPECT_NE(StateFile().find("[extras]\r\ndoneeula=1\r\ndoneinstall=1\r\n"), std::string::npos);
  EXPECT_EQ(window.events, Lines{"agreement 2"});  // ends without a posted quit
  // The next start ends at once.
  EXPECT_EQ(LauncherConfigRead(&state), kLauncherStartEnd);
}

TEST_F(LauncherActions, FailedStartsRecordNothingAndStayOpen) {
  Start();
  plat_ShellTestFailAll(true);
  window.answers = {kLauncherAgreementAccept, kLauncherAgreementAccept};
  EXPECT_EQ(Click(LauncherSlotMain(2)), kLauncherStayOpen);
  // The acceptance was given and stays recorded; the install does not.
  std::string saved = StateFile();
  EXPECT_NE(saved.find("[extras]\r\ndoneeula=1\r\ndoneinstall=0\r\n"), std::string::npos);
  EXPECT_EQ(state.products[2].installed, 0);
  EXPECT_EQ(Click(LauncherSlotMain(3)), kLauncherStayOpen);
  EXPECT_EQ(Click(kLauncherSlotCatalog), kLauncherStayOpen);
  EXPECT_EQ(window.events, (Lines{"agreement 2", "agreement 3"}));
  EXPECT_EQ(plat_ShellTestLog().size(), 3u);
  EXPECT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);

  // A folder that is not there is a failed start too: nothing is attempted.
  plat_ShellTestReset();
  state.products[2].installpath = "nowhere";
  state.products[2].eula = 0;
  EXPECT_EQ(Click(LauncherSlotMain(2)), kLauncherStayOpen);
  EXPECT_TRUE(plat_ShellTestLog().empty());
  EXPECT_EQ(state.products[2].installed, 0);
}

TEST_F(LauncherActions, InstalledProductRunsWithoutAgreement) {
  root.Write("windows/Tools/tools", "");
  Start();
  ASSERT_EQ(state.products[1].installed, 1);
  plat_ShellTestFailCall(1);
  EXPECT_EQ(Click(LauncherSlotMain(1)), kLauncherStayOpen);
  EXPECT_EQ(Click(LauncherSlotMain(1)), kLauncherQuitPosted);
  const std::string tools = WinDir() + "\\Tools";
  EXPECT_EQ(ShellLog(), (Lines{"open|" + tools + "\\tools|||" + tools, "open|" + tools + "\\tools|||" + tools}));
  EXPECT_EQ(window.events, Lines{"quit 0"});
}

TEST_F(LauncherActions, UninstallButtonsStartTheirProgramOrCommandLine) {
  root.Write("games/.keep", "");
  plat_PathsSetDrive('C', (root.path() / "games").c_str());
  Start();
  EXPECT_EQ(Click(LauncherSlotUninstall(1)), kLauncherStayOpen);  // program in its own folder
  EXPECT_EQ(Click(LauncherSlotUninstall(4)), kLauncherStayOpen);  // command line
  state.products[4].uninstallpath = "C:\\WINDOWS\\UNINST.EXE -F X";
  Click(LauncherSlotUninstall(4));
  state.products[4].uninstallpath = "  \"C:\\Program Files\\my-game\\un.exe\" /S ";
  Click(LauncherSlotUninstall(4));
  EXPECT_EQ(ShellLog(), (Lines{
                            "open|uninstall_tools.sh|||" + root.Windows() + "\\disc\\setup",
                            "open|" + root.Windows() + "\\disc\\media\\cleanup.sh|-all||" + WinDir(),
                            "open|C:\\WINDOWS\\UNINST.EXE|-F X||" + WinDir(),
                            "open|C:\\Program Files\\my-game\\un.exe|/S||" + WinDir(),
                        }));
  EXPECT_TRUE(window.events.empty());
}

TEST(LauncherCommandLine, SplitsAtBlankDashOrAfterQuotes) {
  struct Case {
    const char* line;
    const char* file;
    const char* parameters;
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\UNINST.EXE -F X", "C:\\WINDOWS\\UNINST.EXE", "-F X"},
      {"C:\\WINDOWS\\UNINST.EXE", "C:\\WINDOWS\\UNINST.EXE", ""},
      {"C:\\my-game\\un.exe -x", "C:\\my-game\\un.exe", "-x"},
      {"C:\\my-game\\un.exe /x /y", "C:\\my-game\\un.exe", "/x /y"},
      {"\"C:\\a b\\un.exe\" -q", "C:\\a b\\un.exe", "-q"},
      {"\"C:\\a b\\un.exe\"", "C:\\a b\\un.exe", ""},
      {"\"C:\\unclosed -q", "C:\\unclosed -q", ""},
      {"  C:\\Program Files\\un.exe  ", "C:\\Program Files\\un.exe", ""},
      {"/opt/game/uninstall.sh -q", "/opt/game/uninstall.sh", "-q"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    std::string file = "?";
    std::string parameters = "?";
    LauncherSplitCommandLine(c.line, &file, &parameters);
    EXPECT_EQ(file, c.file) << c.line;
    EXPECT_EQ(parameters, c.parameters) << c.line;
  }
}

TEST_F(LauncherActions, SlotsWithoutAnActionDoNothing) {
  Start();
  for (int slot : {-1, 9, 13, 19, 23, 24, 29, 44, 45}) {
    EXPECT_EQ(Click(slot), kLauncherStayOpen) << slot;
  }
  EXPECT_TRUE(plat_ShellTestLog().empty());
  EXPECT_TRUE(window.events.empty());
}

}  // namespace

namespace {

bool WaitForPath(const TempDir& root, const std::string& name, bool present) {
  for (int i = 0; i < 300; ++i) {
    plat_ShellReap();
    if (root.Exists(name) == present) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// The demo disc's real installer and uninstaller, started through the real shell, and the poll
// noticing what they did.
TEST_F(LauncherActions, RealInstallerAndUninstallerAreNoticedByThePoll) {
  plat_UseBackend(kPlatBackendReal);
  Start();
  EXPECT_EQ(Click(LauncherSlotMain(1)), kLauncherStayOpen);
  ASSERT_TRUE(WaitForPath(root, "windows/Tools/tools", true));

  plat_UseBackend(kPlatBackendTest);
  state.pollClock = LauncherTimeNow();
  Advance(1001);
  EXPECT_EQ(Polls(1), 1);
  EXPECT_EQ(window.events, (Lines{"show 15 1", "caption 5 Start Tools"}));

  plat_UseBackend(kPlatBackendReal);
  EXPECT_EQ(Click(LauncherSlotUninstall(1)), kLauncherStayOpen);
  ASSERT_TRUE(WaitForPath(root, "windows/Tools/tools", false));
  plat_UseBackend(kPlatBackendTest);
  Advance(1001);
  EXPECT_EQ(Polls(1), 1);
  EXPECT_EQ(window.events.back(), "caption 5 Install Tools");
}

}  // namespace
