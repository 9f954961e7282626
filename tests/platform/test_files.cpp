#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/plat_files.h"
#include "platform/test/plat_files.h"
#include "support/temp_dir.h"

namespace {

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

}  // namespace
