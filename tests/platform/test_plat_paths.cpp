#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/plat_paths.h"
#include "platform/plat_registry.h"
#include "platform/plat_winfile.h"
#include "support/temp_dir.h"

namespace {

class PlatPaths : public ::testing::Test {
 protected:
  void TearDown() override {
    plat_PathsClearDrives();
    plat_SetModuleFileName(nullptr);
    plat_SetWindowsDirectory(nullptr);
    plat_RegistrySetStore(nullptr);
  }
  TempDir folder;
};

TEST_F(PlatPaths, WindowsFormBecomesNative) {
  folder.Write("Disc/SETUP/Install.EXE", "x");
  plat_PathsSetDrive('d', folder.path().c_str());
  std::string native;
  ASSERT_TRUE(plat_PathToNative("  D:\\disc\\setup\\INSTALL.exe ", &native));
  EXPECT_EQ(native, folder.str() + "/Disc/SETUP/Install.EXE");
  ASSERT_TRUE(plat_PathToNative("d:disc", &native));
  EXPECT_EQ(native, folder.str() + "/Disc");
  ASSERT_TRUE(plat_PathToNative(folder.Windows() + "\\disc\\nothing.txt", &native));
  EXPECT_EQ(native, folder.str() + "/Disc/nothing.txt");
  EXPECT_FALSE(plat_PathToNative("E:\\x", &native));  // unmapped drive
  EXPECT_FALSE(plat_PathToNative("   ", &native));

  EXPECT_EQ(plat_PathFromNative(folder.str() + "/Disc/a"), "D:\\Disc\\a");
  EXPECT_EQ(plat_PathFromNative(folder.str()), "D:\\");
  EXPECT_EQ(plat_PathFromNative("/opt/disc/cdfront"), "\\opt\\disc\\cdfront");
  // A mapped root does not claim a sibling whose name merely starts the same.
  EXPECT_EQ(plat_PathFromNative(folder.str() + "x/a"), folder.Windows() + "x\\a");
}

TEST_F(PlatPaths, JoinTakesRelativePathsFromTheBase) {
  EXPECT_EQ(plat_PathJoin("C:\\disc\\", "setup"), "C:\\disc\\setup");
  EXPECT_EQ(plat_PathJoin("C:\\disc", " setup "), "C:\\disc\\setup");
  EXPECT_EQ(plat_PathJoin("C:\\disc\\", "  "), "C:\\disc\\");
  EXPECT_EQ(plat_PathJoin("C:\\disc\\", "D:\\x"), "D:\\x");
  EXPECT_EQ(plat_PathJoin("C:\\disc\\", "\\opt\\x"), "\\opt\\x");
  EXPECT_EQ(plat_PathJoin("", "x"), "x");
}

TEST_F(PlatPaths, ModuleNameAndWindowsDirectoryAreSetThroughTheApi) {
  std::string module;
  ASSERT_TRUE(plat_ModuleFileName(&module));
  EXPECT_EQ(module.front(), '\\');  // /proc/self/exe in Windows form
  plat_SetModuleFileName((folder.str() + "/disc/cdfront").c_str());
  ASSERT_TRUE(plat_ModuleFileName(&module));
  EXPECT_EQ(module, folder.Windows() + "\\disc\\cdfront");

  plat_SetWindowsDirectory((folder.str() + "/win/dows/").c_str());
  EXPECT_EQ(plat_WindowsDirectory(), folder.Windows() + "\\win\\dows");
  EXPECT_FALSE(folder.Exists("win"));
  ASSERT_TRUE(plat_WindowsDirectoryCreate());
  EXPECT_TRUE(plat_WinDirectoryExists(plat_WindowsDirectory().c_str()));
  EXPECT_EQ(plat_RegistryStorePath(), folder.str() + "/win/registry.ini");
}

// An environment variable that the test changes, back as it was when the test ends, however it ends.
class KeptVariable {
 public:
  explicit KeptVariable(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) saved_ = value;
  }
  ~KeptVariable() { Set(saved_ ? saved_->c_str() : nullptr); }
  KeptVariable(const KeptVariable&) = delete;
  KeptVariable& operator=(const KeptVariable&) = delete;

  // Null unsets it.
  void Set(const char* value) const { value ? setenv(name_, value, 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST_F(PlatPaths, LauncherFolderIsTheXdgStateFolderElseBelowHomeElseBelowThePasswordEntry) {
  KeptVariable state("XDG_STATE_HOME");
  KeptVariable home("HOME");
  const passwd* entry = getpwuid(getuid());
  ASSERT_NE(entry, nullptr);
  const std::string passwordHome = entry->pw_dir;

  home.Set("/home/else");
  state.Set("/var/state/");
  EXPECT_EQ(plat_LauncherFolder(), "/var/state/cdfront");
  EXPECT_EQ(plat_WindowsDirectoryNative(), "/var/state/cdfront/windows");
  EXPECT_EQ(plat_RegistryStorePath(), "/var/state/cdfront/registry.ini");
  // An unset, empty or relative variable is passed over.
  for (const char* value : {static_cast<const char*>(nullptr), "", "state"}) {
    state.Set(value);
    EXPECT_EQ(plat_LauncherFolder(), "/home/else/.local/state/cdfront") << (value ? value : "unset");
  }
  state.Set(nullptr);
  for (const char* value : {static_cast<const char*>(nullptr), "", "else"}) {
    home.Set(value);
    EXPECT_EQ(plat_LauncherFolder(), passwordHome + "/.local/state/cdfront") << (value ? value : "unset");
  }
  home.Set("/");
  EXPECT_EQ(plat_RegistryStorePath(), "/.local/state/cdfront/registry.ini");
}

TEST_F(PlatPaths, FilesOpenAsAsked) {
  folder.Write("a.txt", "hello");
  std::string path = folder.Windows() + "\\A.TXT";
  int h = plat_WinFileOpen(path.c_str(), kPlatOpenRead);
  ASSERT_GE(h, 0);
  EXPECT_EQ(plat_WinFileSeek(h, 0, kPlatSeekEnd), 5);
  EXPECT_EQ(plat_WinFileSeek(h, 1, kPlatSeekSet), 1);
  char buffer[8] = {};
  EXPECT_EQ(plat_WinFileRead(h, buffer, 8), 4);
  EXPECT_STREQ(buffer, "ello");
  EXPECT_TRUE(plat_WinFileClose(h));
  EXPECT_FALSE(plat_WinFileClose(-1));

  // Create never empties an existing file.
  h = plat_WinFileOpen(path.c_str(), kPlatOpenCreate);
  ASSERT_GE(h, 0);
  plat_WinFileClose(h);
  EXPECT_EQ(folder.Contents("a.txt"), "hello");
  h = plat_WinFileOpen((folder.Windows() + "\\new.txt").c_str(), kPlatOpenCreate);
  ASSERT_GE(h, 0);
  plat_WinFileClose(h);
  EXPECT_EQ(folder.Contents("new.txt"), "");

  // A read-only file opens for reading; folders are not files.
  chmod((folder.path() / "a.txt").c_str(), 0444);
  EXPECT_TRUE(plat_WinFileExists(path.c_str()));
  EXPECT_FALSE(plat_WinFileExists(folder.Windows().c_str()));
  EXPECT_TRUE(plat_WinDirectoryExists(folder.Windows().c_str()));
  EXPECT_FALSE(plat_WinFileIsExecutable(path.c_str()));
  chmod((folder.path() / "a.txt").c_str(), 0755);
  EXPECT_TRUE(plat_WinFileIsExecutable(path.c_str()));
}

TEST_F(PlatPaths, RegistryLooksUpStringsOnlyAndNeverWrites) {
  const std::string store =
      "[SOFTWARE\\Other]\r\nVersion=1\r\n"
      "[software\\maker\\game]\r\nInstallDir=C:\\Games\\X\r\n@=default\r\nCount=dword:00000001\r\n"
      "Blob=hex:01,02\r\nLong=" + std::string(254, 'x') + "\r\nTooLong=" + std::string(255, 'x') + "\r\n";
  folder.Write("registry.ini", store);
  plat_RegistrySetStore((folder.path() / "registry.ini").c_str());
  std::string value = "stale";
  EXPECT_TRUE(plat_RegistryReadString("\\SOFTWARE\\Maker\\Game\\", "installdir", 255, &value));
  EXPECT_EQ(value, "C:\\Games\\X");
  EXPECT_TRUE(plat_RegistryReadString("SOFTWARE\\Maker\\Game", "", 255, &value));
  EXPECT_EQ(value, "default");
  EXPECT_TRUE(plat_RegistryReadString("SOFTWARE\\Maker\\Game", "Long", 255, &value));
  EXPECT_EQ(value.size(), 254u);
  for (const char* name : {"Count", "Blob", "TooLong", "Missing"}) {
    value = "stale";
    EXPECT_FALSE(plat_RegistryReadString("SOFTWARE\\Maker\\Game", name, 255, &value)) << name;
    EXPECT_EQ(value, "") << name;
  }
  EXPECT_FALSE(plat_RegistryReadString("SOFTWARE\\Nobody", "x", 255, &value));
  EXPECT_EQ(folder.Contents("registry.ini"), store);
  plat_RegistrySetStore((folder.path() / "absent.ini").c_str());
  EXPECT_FALSE(plat_RegistryReadString("SOFTWARE\\Other", "Version", 255, &value));
  EXPECT_FALSE(folder.Exists("absent.ini"));
}

}  // namespace
