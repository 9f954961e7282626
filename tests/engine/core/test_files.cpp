#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/wre_types.h"
#include "support/temp_dir.h"

namespace {

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    while (wre_FolderPop() == 0) {
    }
    wre_FolderSet(nullptr);
    wre_FileSetLastError(0);
  }
  void Enter(const std::string& logical) { ASSERT_EQ(wre_FolderSet(logical.c_str()), 0); }
  // The temporary folder as a logical path: its '/' written as ':'.
  std::string Logical(const std::string& below = "") {
    std::string path = dir.str() + (below.empty() ? "" : ":" + below);
    return path;
  }
  TempDir dir;
};

TEST_F(Files, LogicalPathsBecomeFoldersAndMatchAnyCase) {
  dir.Write("DATA/Levels/AMAZON/Texture.CODX", "kVKT_Texture");
  Enter(Logical("data:levels:amazon"));
  EXPECT_STREQ(gCurrentFolder, (dir.str() + "/data/levels/amazon/").c_str());
  FileRecord* record = wre_FileLoad("texture.codx", 0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->size, 12);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record->data), 12), "kVKT_Texture");
  EXPECT_STREQ(record->name, "texture.codx");
  wre_FileDispose(record);
}

TEST_F(Files, ATrailingSeparatorDoublesTheSlashAndNullClears) {
  Enter("data:prefs:");
  EXPECT_STREQ(gCurrentFolder, "data/prefs//");
  wre_FolderSet(nullptr);
  EXPECT_STREQ(gCurrentFolder, "");
}

TEST_F(Files, TheFolderStackHoldsTwelve) {
  for (int i = 0; i < 12; ++i) {
    Enter("level" + std::to_string(i));
    EXPECT_EQ(wre_FolderPush(), 0) << i;
  }
  Enter("current");
  EXPECT_EQ(wre_FolderPush(), kFileErrStackFull);
  EXPECT_EQ(gFolderDepth, 12);
  EXPECT_EQ(wre_FolderPop(), 0);
  EXPECT_STREQ(gCurrentFolder, "level11/");
  while (wre_FolderPop() == 0) {
  }
  EXPECT_STREQ(gCurrentFolder, "level0/");
  EXPECT_EQ(wre_FolderPop(), kFileErrStackEmpty);
  EXPECT_STREQ(gCurrentFolder, "level0/");
}

TEST_F(Files, MissingAndEmptyFilesSetALastErrorThatIsReadOnce) {
  Enter(Logical());
  EXPECT_EQ(wre_FileLoad("missing.bmp", 0), nullptr);
  EXPECT_EQ(wre_FileGetLastError(), kFileErrOpenRead);
  EXPECT_EQ(wre_FileGetLastError(), 0);
  dir.Write("empty.dat", "");
  EXPECT_EQ(wre_FileLoad("empty.dat", 0), nullptr);
  EXPECT_EQ(wre_FileGetLastError(), kFileErrEmpty);
  EXPECT_EQ(wre_FileGetLastError(), 0);
  // A folder is not a file to load.
  std::filesystem::create_directories(dir.path() / "folder");
  EXPECT_EQ(wre_FileLoad("folder", 0), nullptr);
  EXPECT_NE(wre_FileGetLastError(), 0);
}

TEST_F(Files, StripKeepsTheTextAfterTheLastSeparatorOfEachKind) {
  dir.Write("a/b/c.txt", "x");
  Enter(Logical());
  FileRecord* kept = wre_FileLoad("a/b/c.txt", 0);
  ASSERT_NE(kept, nullptr);
  EXPECT_STREQ(kept->name, "a/b/c.txt");
  wre_FileDispose(kept);
  FileRecord* stripped = wre_FileLoad("a/b/c.txt", 1);
  ASSERT_NE(stripped, nullptr);
  EXPECT_STREQ(stripped->name, "c.txt");
  wre_FileDispose(stripped);
  dir.Write("x/y.txt", "x");
  FileRecord* backslash = wre_FileLoad("x\\y.txt", 1);
  ASSERT_NE(backslash, nullptr);
  EXPECT_STREQ(backslash->name, "y.txt");
  wre_FileDispose(backslash);
}

TEST_F(Files, SaveThenLoadGivesTheSameBytes) {
  Enter(Logical());
  FileRecord* out = wre_FileNew("prefs.qz");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->data, nullptr);
  uint8_t bytes[456];
  for (int i = 0; i < 456; ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  EXPECT_EQ(wre_FileSave(out, bytes, sizeof(bytes)), 0);
  wre_FileDispose(out);
  FileRecord* in = wre_FileLoad("PREFS.QZ", 0);
  ASSERT_NE(in, nullptr);
  ASSERT_EQ(in->size, 456);
  EXPECT_EQ(std::memcmp(in->data, bytes, 456), 0);
  wre_FileDispose(in);
}

TEST_F(Files, NothingToWriteAndAFailedCreateAreReported) {
  FileRecord* out = wre_FileNew("scores.qz");
  uint8_t byte = 1;
  EXPECT_EQ(wre_FileSave(out, nullptr, 4), kFileErrNothingToWrite);
  EXPECT_EQ(wre_FileSave(out, &byte, 0), kFileErrNothingToWrite);
  EXPECT_EQ(wre_FileGetLastError(), kFileErrNothingToWrite);

  // A folder that cannot be written: through a plain file (whoever runs the test) and, where the
  // permission bits are honoured, a read-only folder holding the old file.
  // A failed create clears whatever error was left before it.
  dir.Write("plain", "x");
  Enter(Logical("plain"));
  wre_FileSetLastError(kFileErrOpenRead);
  EXPECT_EQ(wre_FileSave(out, &byte, 1), kFileErrCreate);
  EXPECT_EQ(wre_FileGetLastError(), 0);
  wre_FileSetLastError(kFileErrOpenRead);
  EXPECT_EQ(wre_FileSave(nullptr, &byte, 1), kFileErrCreate);
  EXPECT_EQ(wre_FileGetLastError(), 0);
  dir.Write("ro/scores.qz", "old");
  chmod((dir.path() / "ro").c_str(), 0555);
  if (access((dir.path() / "ro").c_str(), W_OK) != 0) {
    Enter(Logical("ro"));
    EXPECT_EQ(wre_FileSave(out, &byte, 1), kFileErrCreate);
    EXPECT_EQ(TempDir::Read(dir.path() / "ro/scores.qz"), "old");
  }
  wre_FileDispose(out);
}

TEST_F(Files, OverlongNamesAndPathsAreCutOrRefused) {
  std::string longName(300, 'n');
  FileRecord* out = wre_FileNew(longName.c_str());
  EXPECT_EQ(std::strlen(out->name), 255u);
  wre_FileDispose(out);

  Enter("kept");
  std::string longPath(5000, 'p');
  EXPECT_EQ(wre_FolderSet(longPath.c_str()), kWreErrRange);
  EXPECT_STREQ(gCurrentFolder, "kept/");
  EXPECT_EQ(wre_FileLoad(longPath.c_str(), 0), nullptr);
  EXPECT_EQ(wre_FileGetLastError(), kFileErrOpenRead);
}

TEST_F(Files, NoFolderMeansTheProgramFolder) {
  dir.Write("x", "here");
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  wre_FolderSet(nullptr);
  FileRecord* record = wre_FileLoad("x", 0);
  std::filesystem::current_path(before);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->size, 4);
  wre_FileDispose(record);
}

}  // namespace
