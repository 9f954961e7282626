// The launcher's configuration read over arbitrary files: the input is the configuration file,
// then (after a double zero byte) the registry store, then (after another) the picture
// "pic.bmp" beside the configuration. Every start-up decision, a few polls, the picture drawing and
// every button action run on the platform's test back end (nothing is started for real).
#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

#include "launcher/launcher_actions.h"
#include "launcher/launcher_config.h"
#include "launcher/launcher_files.h"
#include "launcher/launcher_install.h"
#include "platform/plat_backend.h"
#include "platform/plat_paths.h"
#include "platform/plat_registry.h"
#include "platform/plat_shell.h"
#include "platform/plat_time.h"
#include "platform/test/plat_time.h"

namespace {

std::string gRoot;

// Removes the fuzzing folder when the process ends.
struct RootRemover {
  ~RootRemover() {
    std::error_code error;
    if (!gRoot.empty()) std::filesystem::remove_all(gRoot, error);
  }
} gRootRemover;

void WriteFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void Setup() {
  if (!gRoot.empty()) return;
  char name[] = "/tmp/vhfuzzXXXXXX";
  char* made = mkdtemp(name);
  if (!made) __builtin_trap();
  gRoot = made;
  std::string disc = gRoot + "/disc";
  std::string windows = gRoot + "/windows";
  if (mkdir(disc.c_str(), 0755) != 0 || mkdir(windows.c_str(), 0755) != 0) __builtin_trap();
  plat_UseBackend(kPlatBackendTest);
  plat_SetModuleFileName((disc + "/cdfront").c_str());
  plat_SetWindowsDirectory(windows.c_str());
  plat_RegistrySetStore((gRoot + "/registry.ini").c_str());
}

LauncherAgreementAnswer Accept(void*, int, const char*) { return kLauncherAgreementAccept; }
void Caption(void*, int, const char*) {}
void Show(void*, int, bool) {}
void Quit(void*, int) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Setup();
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string parts[3];
  size_t part = 0;
  size_t start = 0;
  for (size_t i = 0; i + 1 < input.size() && part < 2; ++i) {
    if (input[i] == '\0' && input[i + 1] == '\0') {
      parts[part++] = input.substr(start, i - start);
      start = i + 2;
      i = start - 1;
    }
  }
  parts[part] = input.substr(start);
  WriteFile(gRoot + "/disc/ostrel.ini", parts[0]);
  WriteFile(gRoot + "/registry.ini", parts[1]);
  WriteFile(gRoot + "/disc/pic.bmp", parts[2]);
  std::remove((gRoot + "/windows/ostrel_launcher.ini").c_str());
  plat_ShellTestReset();
  plat_TestClockReset();

  static LauncherState state;
  LauncherConfigRead(&state);
  if (state.products.size() > kLauncherMaxProducts) __builtin_trap();

  LauncherWindowOps ops{nullptr, Caption, Show, Accept, Quit};
  plat_TestClockSetTickCount(2500);
  for (int i = 0; i < 3; ++i) LauncherPollInstalls(&state, &ops);

  std::vector<uint32_t> canvas(64 * 48);
  LauncherBitmapDraw(state.settings.picture, canvas.data(), 64, 48, 64, 0, 0);
  LauncherBlock picture;
  if (LauncherFileLoad((state.settings.directory + "pic.bmp").c_str(), &picture)) {
    LauncherBitmapDraw(picture, canvas.data(), 64, 48, 64, -3, 5);
  }
  for (int slot = 0; slot < kLauncherSlotCount; ++slot) LauncherButtonAction(&state, slot, &ops);
  return 0;
}
