#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_shell.h"
#include "support/temp_dir.h"

namespace {

TEST(PlatShell, SplitsParametersTheWindowsWay) {
  using V = std::vector<std::string>;
  EXPECT_EQ(plat_ShellSplitParameters(nullptr), V{});
  EXPECT_EQ(plat_ShellSplitParameters("  "), V{});
  EXPECT_EQ(plat_ShellSplitParameters("-F X"), (V{"-F", "X"}));
  EXPECT_EQ(plat_ShellSplitParameters("\"C:\\Program Files\\x\" /q"), (V{"C:\\Program Files\\x", "/q"}));
  EXPECT_EQ(plat_ShellSplitParameters("a\\\\b \\\"q\\\" \"x\"\"y\""), (V{"a\\\\b", "\"q\"", "x\"y"}));
  EXPECT_EQ(plat_ShellSplitParameters("dir\\\\\" tail\""), (V{"dir\\ tail"}));
  EXPECT_EQ(plat_ShellSplitParameters("; rm -rf x"), (V{";", "rm", "-rf", "x"}));
}

TEST(PlatShell, TellsAddressesFromFiles) {
  EXPECT_TRUE(plat_ShellIsAddress("http://localhost/x"));
  EXPECT_TRUE(plat_ShellIsAddress("HTTPS://example.org"));
  EXPECT_TRUE(plat_ShellIsAddress("mailto:someone@example.org"));
  EXPECT_FALSE(plat_ShellIsAddress("C:\\docs\\manual.txt"));
  EXPECT_FALSE(plat_ShellIsAddress("httpdocs\\a.txt"));
  EXPECT_FALSE(plat_ShellIsAddress("://x"));
}

TEST(PlatShell, RecorderLogsAndFailsOnRequest) {
  plat_UseBackend(kPlatBackendTest);
  plat_ShellTestReset();
  EXPECT_TRUE(plat_ShellOpen("open", "a.exe", "-x", "", "C:\\dir").ok);
  plat_ShellTestFailCall(2);
  PlatShellResult second = plat_ShellOpen("open", "b.exe", "", "D:\\", "C:\\");
  EXPECT_FALSE(second.ok);
  EXPECT_LE(second.code, 32);
  EXPECT_TRUE(plat_ShellOpen("open", "c.exe", nullptr, nullptr, nullptr).ok);
  plat_ShellTestFailAll(true);
  EXPECT_FALSE(plat_ShellOpen("open", "d.exe", "", "", "").ok);
  const auto& log = plat_ShellTestLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(plat_ShellRecordText(log[0]), "open|a.exe|-x||C:\\dir");
  EXPECT_EQ(plat_ShellRecordText(log[1]), "open|b.exe||D:\\|C:\\");
  EXPECT_EQ(plat_ShellRecordText(log[2]), "open|c.exe|||");
  plat_ShellTestReset();
  EXPECT_TRUE(plat_ShellTestLog().empty());
  plat_UseBackend(kPlatBackendReal);
}

// Waits up to two seconds for a file a child writes.
std::string WaitFor(const TempDir& folder, const std::string& name) {
  for (int i = 0; i < 200; ++i) {
    plat_ShellReap();
    if (folder.Exists(name)) {
      std::string text = folder.Contents(name);
      if (!text.empty() && text.back() == '\n') return text;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "";
}

TEST(PlatShell, RealStartsProgramsWithoutACommandShell) {
  plat_UseBackend(kPlatBackendReal);
  TempDir folder;
  folder.Write("work/.keep", "");
  folder.Write("bin/Show.sh",
               "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > \"$0.out.tmp\"\n"
               "mv \"$0.out.tmp\" \"$0.out\"\n");
  chmod((folder.path() / "bin/Show.sh").c_str(), 0755);
  std::string work = folder.Windows() + "\\work";

  // Found without regard to case, relative to the working folder; parameters split, not
  // interpreted: the ";" and "$(...)" reach the program as text.
  PlatShellResult result =
      plat_ShellOpen("open", "..\\BIN\\show.sh", "-F \"two words\" ; $(touch pwned)", "", work.c_str());
  ASSERT_TRUE(result.ok) << result.code;
  EXPECT_GT(result.code, 32);
  std::string out = WaitFor(folder, "bin/Show.sh.out");
  EXPECT_EQ(out, folder.str() + "/work\n[-F]\n[two words]\n[;]\n[$(touch]\n[pwned)]\n");
  EXPECT_FALSE(folder.Exists("work/pwned"));

  // The directory argument wins over the working folder.
  std::remove((folder.path() / "bin/Show.sh.out").c_str());
  result = plat_ShellOpen("open", "Show.sh", "", (folder.Windows() + "\\bin").c_str(), work.c_str());
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(WaitFor(folder, "bin/Show.sh.out"), folder.str() + "/bin\n");

  EXPECT_EQ(plat_ShellOpen("open", "missing.exe", "", "", work.c_str()).code, 2);
  EXPECT_EQ(plat_ShellOpen("open", "Show.sh", "", "", (work + "\\nowhere").c_str()).code, 3);
  EXPECT_FALSE(plat_ShellOpen("open", "", "", "", work.c_str()).ok);
}

}  // namespace
