#include <climits>
#include <string>

#include "launcher_fixture.h"

namespace {

TEST(LauncherValues, PairsFollowTheDigitScan) {
  struct Case {
    const char* value;
    bool set;
    int32_t first, second;
  };
  const Case cases[] = {
      {"640,480", true, 640, 480},      {"640", true, 640, 0},
      {"", true, 0, 0},                 {"-5,7", true, 5, 7},
      {" 640 , 480", true, 640, 480},   {"1,2,3", true, 1, 2},
      {"1024,768", true, 1024, 768},    {"10000,10000", true, 10000, 10000},
      {"100000,100000", false, 0, 0},   {"abcdefghijklm", false, 0, 0},
      {"x,y", true, 0, 0},              {"99999999999", true, INT32_MAX, 0},
      {"1,2,,,,,,,,,,,,", true, 1, 2},  // the second comma ends the scan in time
  };
  for (const Case& c : cases) {
    int32_t first = -1;
    int32_t second = -1;
    LauncherParsePair(c.value, &first, &second);
    EXPECT_EQ(first, c.set ? c.first : -1) << c.value;
    EXPECT_EQ(second, c.set ? c.second : -1) << c.value;
  }
}

TEST(LauncherValues, ColoursFollowTheDigitScan) {
  struct Case {
    const char* value;
    bool set;
    uint32_t colour;
  };
  const Case cases[] = {
      {"255,0,0", true, 0x0000FF},      {"0,0,255", true, 0xFF0000},
      {"0,255,0", true, 0x00FF00},      {"255,255,255", true, 0xFFFFFF},
      {"300,0,0", true, 44},            {"255, 255, 255", false, 0},
      {"1,2", true, 0x000201},          {"1,2,3,4", true, 0x030201},
      {"", true, 0},
  };
  for (const Case& c : cases) {
    int32_t rgb[3] = {-1, -1, -1};
    LauncherParseColour(c.value, &rgb[0], &rgb[1], &rgb[2]);
    if (c.set) {
      EXPECT_EQ(LauncherColourValue(rgb[0], rgb[1], rgb[2]), c.colour) << c.value;
    } else {
      EXPECT_EQ(rgb[0], -1) << c.value;
      EXPECT_EQ(rgb[2], -1) << c.value;
    }
  }
}

TEST(LauncherValues, FlagsAndNumbers) {
  for (const char* yes : {"Yes", "Y", "y", "yes please"}) EXPECT_EQ(LauncherFlag(yes), 1) << yes;
  for (const char* no : {"1", "true", "0", "", " yes", "N"}) EXPECT_EQ(LauncherFlag(no), 0) << no;
  EXPECT_EQ(LauncherAtol("  -42x"), -42);
  EXPECT_EQ(LauncherAtol("+7"), 7);
  EXPECT_EQ(LauncherAtol("abc"), 0);
  EXPECT_EQ(LauncherAtol("99999999999"), INT32_MAX);
  EXPECT_EQ(LauncherAtol("-99999999999999999999999"), INT32_MIN);
  EXPECT_EQ(LauncherAtol("2147483647"), INT32_MAX);
  EXPECT_EQ(LauncherAtol("-2147483648"), INT32_MIN);
}

TEST(LauncherValues, DirectoryFromTheProgramName) {
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\cdfront.exe"), "D:\\");
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\DEBUG\\cdfront.exe"), "D:\\");
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\disc\\RELEASE\\cdfront.exe"), "D:\\disc\\");
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\disc\\Debug\\cdfront.exe"), "D:\\disc\\Debug\\");
  // The first such folder anywhere in the path counts, not only the last one.
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\GAME\\DEBUG\\X\\cdfront.exe"), "D:\\GAME\\");
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\A\\DEBUG\\B\\DEBUG\\cdfront.exe"), "D:\\A\\");
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\RELEASE\\X\\DEBUG\\cdfront.exe"), "D:\\");
  // Only a whole folder name counts, and never the program's own name.
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\XDEBUG\\cdfront.exe"), "D:\\XDEBUG\\");
  EXPECT_EQ(LauncherDirectoryFromModule("D:\\disc\\DEBUG"), "D:\\disc\\");
}

TEST_F(LauncherTest, MissingFileGivesEveryDefault) {
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  const LauncherSettings& s = state.settings;
  EXPECT_EQ(s.directory, Disc());
  EXPECT_EQ(state.configPath, Disc() + "ostrel.ini");
  EXPECT_EQ(s.productCount, 0);
  EXPECT_TRUE(state.products.empty());
  EXPECT_EQ(s.windowTitle, "0");
  EXPECT_EQ(s.windowWidth, 0);
  EXPECT_EQ(s.windowHeight, 0);
  EXPECT_EQ(s.pictureEnabled, 0);
  EXPECT_FALSE(s.hasPicture);
  EXPECT_EQ(s.text, "0");
  EXPECT_EQ(s.textColour, 0u);
  EXPECT_EQ(s.textHeight, 0);
  EXPECT_EQ(s.catalog.enabled, 0);
  EXPECT_EQ(s.catalog.caption, "0");
  EXPECT_EQ(s.registration.file, "0");
  EXPECT_EQ(s.exitX, 0);
  EXPECT_EQ(s.textRect.right, 0);
  EXPECT_FALSE(root.Exists("windows/ostrel_launcher.ini"));
}

TEST_F(LauncherTest, OnlyInstall1GivesProductDefaults) {
  WriteIni("[Configs]\nnumberofinstalls=1\n[Install1]\n");
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  ASSERT_EQ(state.products.size(), 1u);
  const LauncherProduct& p = state.products[0];
  EXPECT_EQ(p.install, 0);
  EXPECT_EQ(p.installkey, 0);
  EXPECT_EQ(p.run, 0);
  EXPECT_EQ(p.eula, 0);
  EXPECT_FALSE(p.hasAgreement);
  EXPECT_EQ(p.exename, "0");
  EXPECT_EQ(p.installbuttontext, "0");
  EXPECT_EQ(p.runbuttontext, "0");
  EXPECT_EQ(p.uninstallbuttontext, "0");
  EXPECT_EQ(p.installkeypath, "0");
  EXPECT_EQ(p.installexe, "0");
  EXPECT_EQ(p.installpath, " ");
  EXPECT_EQ(p.runpath, " ");
  EXPECT_EQ(p.uninstallpath, " ");
  EXPECT_EQ(p.uninstallexe, "");
  EXPECT_EQ(p.installX, 0);
  EXPECT_EQ(p.buttonWidth, 0);
  // A run-only product whose program "0" is not beside the launcher.
  EXPECT_EQ(p.programPath, "0");
  EXPECT_EQ(p.installed, 0);
}

TEST_F(LauncherTest, ValuesAreCutToTheirReadSizeAndFieldWidth) {
  std::string long255(300, 'e');
  WriteIni("[Configs]\nnumberofinstalls=1\nwindowtitle=" + std::string(70, 't') +
           "\ncatalogtext=" + std::string(31, 'c') + "\ntext=" + std::string(600, 'x') +
           "\ncatalogfile=" + std::string(300, 'f') + "\n[Install1]\nexename=" + long255 +
           "\ninstallexe=" + long255 + "\nuninstallexe=" + std::string(600, 'u') +
           "\ninstallbuttontext=" + std::string(40, 'b') + "\nrunpath=" + std::string(600, 'r') + "\n");
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  EXPECT_EQ(state.settings.windowTitle.size(), 61u);
  EXPECT_EQ(state.settings.catalog.caption.size(), 30u);
  EXPECT_EQ(state.settings.text.size(), 510u);
  EXPECT_EQ(state.settings.catalog.file.size(), 255u);
  const LauncherProduct& p = state.products[0];
  EXPECT_EQ(p.exename, std::string(127, 'e'));
  EXPECT_EQ(p.installexe, std::string(127, 'e'));
  EXPECT_EQ(p.uninstallexe, std::string(127, 'u'));
  EXPECT_EQ(p.installbuttontext.size(), 31u);
  EXPECT_EQ(p.runpath.size(), 510u);
  EXPECT_EQ(p.programPath, std::string(510, 'r') + "\\" + std::string(127, 'e'));
}

TEST_F(LauncherTest, ProductCountIsLimited) {
  struct Case {
    const char* value;
    size_t products;
  };
  for (const Case& c : {Case{"0", 0}, Case{"-3", 0}, Case{"10", 10}, Case{"11", 10},
                        Case{"99999999999", 10}, Case{"2", 2}}) {
    WriteIni(std::string("[Configs]\nnumberofinstalls=") + c.value + "\n[Install2]\nexename=second\n");
    ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
    EXPECT_EQ(state.products.size(), c.products) << c.value;
    if (c.products >= 2) {
      EXPECT_EQ(state.products[1].exename, "second");
    }
  }
}

TEST_F(LauncherTest, WindowsDirectoryMarkerAndFontSize) {
  WriteIni("[Configs]\nnumberofinstalls=3\ntextsize=99999999999\ntextcolor=255, 255, 255\n"
           "textposition=999999999,5\ntextboxsize=10,6\n"
           "[Install1]\nrunpath=[WINDIR]\\Games\n[Install2]\nrunpath=[windir]\\Games\n"
           "[Install3]\nrunpath=[WINDIR]\nuninstallexe=0UNINST.EXE\n");
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  EXPECT_EQ(state.products[0].runpath, WinDir() + "\\Games");
  EXPECT_EQ(state.products[1].runpath, "[windir]\\Games");
  EXPECT_EQ(state.products[2].runpath, WinDir());
  EXPECT_EQ(state.products[2].uninstallexe, "");
  EXPECT_EQ(state.settings.textHeight, 200);
  EXPECT_EQ(state.settings.textColour, 0u);  // too long to read: left unset
  EXPECT_EQ(state.settings.textRect.right, 1000000009);
  EXPECT_EQ(state.settings.textRect.bottom, 6);  // ",5" lies past the 9 characters read
  for (const auto& [value, height] : {std::pair{"-2", -4}, std::pair{"0", 0}, std::pair{"-18", -18},
                                      std::pair{"3", 4}, std::pair{"-999", -200}}) {
    WriteIni(std::string("[Configs]\ntextsize=") + value + "\n");
    ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
    EXPECT_EQ(state.settings.textHeight, height) << value;
  }
}

TEST_F(LauncherTest, LauncherInDebugFolderReadsTheFolderAbove) {
  WriteIni("[Configs]\nwindowtitle=Above\n");
  plat_SetModuleFileName((root.path() / "disc/DEBUG/cdfront").c_str());
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  EXPECT_EQ(state.settings.windowTitle, "Above");
}

TEST_F(LauncherTest, DemoDiscReadsEveryKey) {
  WriteDisc();
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  const LauncherSettings& s = state.settings;
  EXPECT_EQ(s.windowTitle, "Demo Disc");
  EXPECT_EQ(s.buttonWidth, 110);
  EXPECT_EQ(s.buttonHeight, 26);
  EXPECT_EQ(s.pictureEnabled, 1);
  EXPECT_TRUE(s.hasPictureHeader);
  EXPECT_TRUE(s.hasPalette);
  EXPECT_TRUE(s.hasPicture);
  EXPECT_EQ(s.picture.size(), 1078u + 640u * 480u + 1u);
  EXPECT_EQ(s.exitX, 516);
  EXPECT_EQ(s.exitY, 420);
  EXPECT_EQ(s.textColour, 0xE1F0F5u);  // 245, 240, 225 with red in the low byte
  EXPECT_EQ(s.textHeight, 18);
  EXPECT_EQ(s.textFont, "DejaVu Sans");
  EXPECT_EQ(s.textRect.left, 24);
  EXPECT_EQ(s.textRect.bottom, 264);
  EXPECT_EQ(s.catalog.enabled, 1);
  EXPECT_EQ(s.catalog.file, "docs\\catalog.txt");
  EXPECT_EQ(s.manual.x, 144);
  EXPECT_EQ(s.registration.file, "http://localhost/register");
  EXPECT_EQ(s.windowWidth, 640);
  ASSERT_EQ(state.products.size(), 5u);
  EXPECT_EQ(state.products[0].installkeyname, "InstallDir");
  EXPECT_EQ(state.products[0].agreementText.rfind("Line 1 of", 0), 0u);
  EXPECT_NE(state.products[0].agreementText.find("Line 80 of the game's licence agreement. Read it all.\r\n"),
            std::string::npos);
  EXPECT_NE(state.products[1].runpath.find("\\windows\\Tools"), std::string::npos);
  EXPECT_EQ(state.products[1].uninstallpath, root.Windows() + "\\disc\\setup");
  EXPECT_EQ(state.products[1].runY, 104);
  EXPECT_NE(state.products[2].agreementText.find('\xA9'), std::string::npos);
  EXPECT_EQ(state.products[3].eula, 1);
  EXPECT_FALSE(state.products[3].hasAgreement);  // eula\readme.txt is absent
  EXPECT_EQ(state.products[4].uninstallexe, "");
  EXPECT_EQ(state.products[4].uninstallpath, root.Windows() + "\\disc\\media\\cleanup.sh -all");
}

TEST_F(LauncherTest, FlagValueOneIsFalse) {
  WriteDisc();
  std::string ini = root.Contents("disc/ostrel.ini");
  ini.replace(ini.find("backgroundart=Yes"), 17, "backgroundart=1");
  WriteIni(ini);
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  EXPECT_EQ(state.settings.pictureEnabled, 0);
  EXPECT_FALSE(state.settings.hasPicture);
}

}  // namespace
