#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/plat_files.h"
#include "platform/test/plat_files.h"
#include "support/temp_dir.h"

namespace {

std::set<std::string> Entries(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

TEST(PlatResolvePath, FindsEveryComponentWithoutRegardToCase) {
  TempDir dir;
  dir.Write("Data/Levels/Amazon/Texture.CODX", "x");
  std::string resolved;
  EXPECT_TRUE(plat_ResolvePath((dir.str() + "/data/levels/amazon/texture.codx").c_str(), &resolved));
  EXPECT_EQ(resolved, dir.str() + "/Data/Levels/Amazon/Texture.CODX");
  // Backslashes from data files are folder separators too.
  EXPECT_TRUE(plat_ResolvePath((dir.str() + "\\DATA\\levels\\AMAZON\\texture.codx").c_str(), &resolved));
  EXPECT_EQ(resolved, dir.str() + "/Data/Levels/Amazon/Texture.CODX");
}

TEST(PlatResolvePath, PrefersTheExactSpellingAndReportsMissingParts) {
  TempDir dir;
  dir.Write("a/COIN.wav", "upper");
  dir.Write("a/coin.wav", "lower");
  std::string resolved;
  EXPECT_TRUE(plat_ResolvePath((dir.str() + "/a/coin.wav").c_str(), &resolved));
  EXPECT_EQ(resolved, dir.str() + "/a/coin.wav");
  // With no exact match, the choice among case variants does not depend on directory order.
  EXPECT_TRUE(plat_ResolvePath((dir.str() + "/A/Coin.WAV").c_str(), &resolved));
  EXPECT_EQ(resolved, dir.str() + "/a/COIN.wav");

  EXPECT_FALSE(plat_ResolvePath((dir.str() + "/A/new/File.txt").c_str(), &resolved));
  EXPECT_EQ(resolved, dir.str() + "/a/new/File.txt");
}

TEST(PlatFileOpen, OpensAMixedCaseFileByItsLowerCaseName) {
  TempDir dir;
  dir.Write("Sounds/coin_hit.WAV", "RIFF");
  FILE* f = plat_FileOpen((dir.str() + "/sounds/coin_hit.wav").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buf[5] = {};
  EXPECT_EQ(fread(buf, 1, 4, f), 4u);
  EXPECT_STREQ(buf, "RIFF");
  fclose(f);
}

TEST(PlatFileSaveWhole, ReplacesTheFileOfAnyCaseAndLeavesNoTemporary) {
  TempDir dir;
  dir.Write("prefs/PREFS.QZ", "old contents");
  std::string bytes = "new";
  ASSERT_TRUE(plat_FileSaveWhole((dir.str() + "/prefs/prefs.qz").c_str(), bytes.data(), bytes.size()));
  EXPECT_EQ(TempDir::Read(dir.path() / "prefs/PREFS.QZ"), "new");
  EXPECT_EQ(plat_TestLastSyncedFolder(), dir.str() + "/prefs");  // the rename is made durable
  int files = 0;
  for (auto& entry : std::filesystem::directory_iterator(dir.path() / "prefs")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(PlatFileSaveWhole, ReportsFailureAndKeepsTheOldFile) {
  TempDir dir;
  dir.Write("notafolder", "plain file");
  std::string bytes = "data";
  // A path through a plain file can never be written, whoever runs the test.
  EXPECT_FALSE(plat_FileSaveWhole((dir.str() + "/notafolder/x.qz").c_str(), bytes.data(), bytes.size()));
  EXPECT_FALSE(plat_FileSaveWhole((dir.str() + "/missing/x.qz").c_str(), bytes.data(), bytes.size()));

  dir.Write("ro/keep.qz", "kept");
  chmod((dir.path() / "ro").c_str(), 0555);
  if (access((dir.path() / "ro").c_str(), W_OK) != 0) {
    EXPECT_FALSE(plat_FileSaveWhole((dir.str() + "/ro/keep.qz").c_str(), bytes.data(), bytes.size()));
    EXPECT_EQ(TempDir::Read(dir.path() / "ro/keep.qz"), "kept");
  }
}

TEST(PlatFileSaveWhole, AFailedSaveRemovesItsTemporaryAndKeepsTheOldFile) {
  TempDir dir;
  dir.Write("keep.qz", "kept");
  const std::string bytes = "data";
  plat_TestFailNextSave();
  EXPECT_FALSE(plat_FileSaveWhole((dir.str() + "/keep.qz").c_str(), bytes.data(), bytes.size()));
  EXPECT_EQ(TempDir::Read(dir.path() / "keep.qz"), "kept");
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"keep.qz"});
  EXPECT_TRUE(plat_FileSaveWhole((dir.str() + "/keep.qz").c_str(), bytes.data(), bytes.size())) << "only once";
}

// Another program's "<name>.tmp", a file or a folder, is neither used nor in the way.
TEST(PlatFileSaveWhole, AnotherProgramsTemporaryIsLeftAlone) {
  TempDir dir;
  dir.Write("a.qz.tmp", "theirs");
  dir.Write("b.qz.tmp/inside", "theirs");
  const std::string bytes = "ours";
  for (const char* name : {"a.qz", "b.qz"}) {
    EXPECT_TRUE(plat_FileSaveWhole((dir.str() + "/" + name).c_str(), bytes.data(), bytes.size())) << name;
    EXPECT_EQ(TempDir::Read(dir.path() / name), "ours") << name;
  }
  EXPECT_EQ(TempDir::Read(dir.path() / "a.qz.tmp"), "theirs");
  EXPECT_EQ(TempDir::Read(dir.path() / "b.qz.tmp/inside"), "theirs");
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.qz", "a.qz.tmp", "b.qz", "b.qz.tmp"}));
}

TEST(PlatFileSaveWhole, ANewFileTakesTheUsualModeAndAReplacedOneKeepsItsOwn) {
  TempDir dir;
  const mode_t mask = umask(022);
  const std::string bytes = "x";
  ASSERT_TRUE(plat_FileSaveWhole((dir.str() + "/new.qz").c_str(), bytes.data(), bytes.size()));
  dir.Write("old.qz", "old");
  chmod((dir.path() / "old.qz").c_str(), 0600);
  ASSERT_TRUE(plat_FileSaveWhole((dir.str() + "/old.qz").c_str(), bytes.data(), bytes.size()));
  umask(mask);
  struct stat made {};
  ASSERT_EQ(stat((dir.path() / "new.qz").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0644u);
  ASSERT_EQ(stat((dir.path() / "old.qz").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0600u);
}

// Two programs save one file over and over while a reader watches it: every save succeeds and the
// reader only ever finds one writer's whole file.
TEST(PlatFileSaveWhole, TwoProgramsSavingOneFileNeverLeaveAPartOfOne) {
  TempDir dir;
  const std::string path = dir.str() + "/scores.qz";
  constexpr size_t kSize = 64 * 1024;
  ASSERT_TRUE(plat_FileSaveWhole(path.c_str(), std::string(kSize, 'a').data(), kSize));
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] == 0) {
      const std::string bytes(kSize, static_cast<char>('a' + w));
      int failed = 0;
      for (int i = 0; i < 150; ++i) failed += plat_FileSaveWhole(path.c_str(), bytes.data(), kSize) ? 0 : 1;
      _exit(failed == 0 ? 0 : 1);
    }
  }
  int reads = 0, bad = 0, status[2] = {-1, -1};
  while (status[0] == -1 || status[1] == -1) {
    const std::string seen = TempDir::Read(path);
    const bool whole = seen.size() == kSize && (seen[0] == 'a' || seen[0] == 'b') &&
                       seen.find_first_not_of(seen[0]) == std::string::npos;
    bad += whole ? 0 : 1;
    ++reads;
    for (int w = 0; w < 2; ++w) {
      int code = 0;
      if (status[w] == -1 && waitpid(writers[w], &code, WNOHANG) == writers[w]) status[w] = code;
    }
  }
  EXPECT_EQ(bad, 0) << "of " << reads << " reads";
  for (int code : status) EXPECT_TRUE(WIFEXITED(code) && WEXITSTATUS(code) == 0) << "a save failed";
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"scores.qz"});
}

}  // namespace
