#include "launcher/launcher_install.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>

#include "launcher/launcher_files.h"
#include "platform/plat_ini.h"
#include "platform/plat_paths.h"
#include "platform/plat_registry.h"
#include "platform/plat_time.h"
#include "platform/plat_winfile.h"

namespace {

// The room of a registry value, terminating zero included.
constexpr size_t kRegistryRoom = 255;

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool SameSection(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string Decimal(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return text;
}

void SetCaption(const LauncherWindowOps* window, int slot, const std::string& caption) {
  if (window && window->setCaption) window->setCaption(window->context, slot, caption.c_str());
}

void ShowSlot(const LauncherWindowOps* window, int slot, bool visible) {
  if (window && window->showSlot) window->showSlot(window->context, slot, visible);
}

void RereadUninstall(LauncherProduct* p) {
  if (p->uninstallkey) LauncherRegistryRead(p->uninstallkeypath, p->uninstallkeyname, &p->uninstallpath);
}

void PollProduct(LauncherState* state, int j, const LauncherWindowOps* window) {
  LauncherProduct* p = &state->products[static_cast<size_t>(j)];
  LauncherProductKind kind = LauncherKindOf(*p);
  if (kind != kLauncherRegistryTracked && kind != kLauncherPathTracked) return;
  if (!p->installed) {
    if (kind == kLauncherRegistryTracked) {
      LauncherRegistryRead(p->installkeypath, p->installkeyname, &p->runpath);
      if (p->runpath.empty()) return;
      p->programPath = LauncherProgramPath(p->runpath, p->exename);
      if (!LauncherFileExists(*state, p->programPath)) return;
      p->installed = 1;
      SetCaption(window, LauncherSlotMain(j), p->runbuttontext);
      if (p->uninstall) {
        RereadUninstall(p);
        ShowSlot(window, LauncherSlotUninstall(j), true);
      }
    } else {
      if (!LauncherFileExists(*state, p->programPath)) return;
      p->installed = 1;
      if (p->uninstall) {
        RereadUninstall(p);
        ShowSlot(window, LauncherSlotUninstall(j), true);
      }
      SetCaption(window, LauncherSlotMain(j), p->runbuttontext);
    }
    return;
  }
  if (LauncherFileExists(*state, p->programPath)) return;
  p->installed = 0;
  if (kind == kLauncherRegistryTracked) {
    SetCaption(window, LauncherSlotMain(j), p->installbuttontext);
    if (p->uninstall) {
      RereadUninstall(p);
      ShowSlot(window, LauncherSlotUninstall(j), false);
    }
  } else {
    if (p->uninstall) {
      RereadUninstall(p);
      ShowSlot(window, LauncherSlotUninstall(j), false);
    }
    SetCaption(window, LauncherSlotMain(j), p->installbuttontext);
  }
}

}  // namespace

LauncherProductKind LauncherKindOf(const LauncherProduct& product) {
  if (!product.install) return kLauncherRunOnly;
  if (product.installkey) return kLauncherRegistryTracked;
  if (product.runbypath) return kLauncherPathTracked;
  return kLauncherStateTracked;
}

uint32_t LauncherTimeNow() { return plat_GetTickCount(); }

void LauncherRegistryRead(const std::string& subkey, const std::string& name, std::string* out) {
  std::string value;
  plat_RegistryReadString(subkey.c_str(), name.c_str(), kRegistryRoom, &value);
  *out = value;
}

std::string LauncherResolvePath(const LauncherState& state, const std::string& path) {
  return plat_PathJoin(state.settings.directory, path);
}

int LauncherFileExists(const LauncherState& state, const std::string& path) {
  if (TrimBlanks(path).empty()) return 0;
  return plat_WinFileExists(LauncherResolvePath(state, path).c_str()) ? 1 : 0;
}

std::string LauncherProgramPath(const std::string& runpath, const std::string& exename) {
  std::string folder = TrimBlanks(runpath);
  if (folder.empty()) return exename;
  return folder + "\\" + exename;
}

std::string LauncherStatePath(const LauncherState& state) {
  return state.windowsDirectory + "\\ostrel_launcher.ini";
}

int32_t LauncherStateReadNumber(const LauncherState& state, const std::string& section,
                                const char* key) {
  std::string path = LauncherStatePath(state);
  return LauncherAtol(plat_ProfileGetText(section.c_str(), key, "0", 10, path.c_str()).c_str());
}

bool LauncherStateWrite(const LauncherState& state) {
  std::string path = LauncherStatePath(state);
  plat_WindowsDirectoryCreate();
  int handle = -1;
  if (LauncherFileCreate(path.c_str(), &handle)) LauncherFileClose(handle);
  bool ok = true;
  for (const LauncherProduct& p : state.products) {
    int32_t doneeula = p.doneeula;
    int32_t doneinstall = p.installed;
    bool stateTracked = LauncherKindOf(p) == kLauncherStateTracked;
    for (const LauncherProduct& other : state.products) {
      if (!SameSection(other.exename, p.exename)) continue;
      doneeula = std::max(doneeula, other.doneeula);
      if (stateTracked && LauncherKindOf(other) == kLauncherStateTracked) {
        doneinstall = std::max(doneinstall, other.installed);
      }
    }
    ok = plat_ProfileWriteString(p.exename.c_str(), "doneeula", Decimal(doneeula).c_str(),
                                 path.c_str()) && ok;
    if (stateTracked) {
      ok = plat_ProfileWriteString(p.exename.c_str(), "doneinstall", Decimal(doneinstall).c_str(),
                                   path.c_str()) && ok;
    }
  }
  return ok;
}

LauncherStart LauncherInstallStartup(LauncherState* state) {
  state->statePath = LauncherStatePath(*state);
  for (LauncherProduct& p : state->products) {
    p.doneeula = LauncherStateReadNumber(*state, p.exename, "doneeula");
    switch (LauncherKindOf(p)) {
      case kLauncherStateTracked:
        p.installed = LauncherStateReadNumber(*state, p.exename, "doneinstall");
        break;
      case kLauncherRegistryTracked:
        LauncherRegistryRead(p.installkeypath, p.installkeyname, &p.runpath);
        if (!p.runpath.empty()) {
          p.programPath = LauncherProgramPath(p.runpath, p.exename);
          p.installed = LauncherFileExists(*state, p.programPath);
        }
        break;
      case kLauncherPathTracked:
      case kLauncherRunOnly:
        p.programPath = LauncherProgramPath(p.runpath, p.exename);
        p.installed = LauncherFileExists(*state, p.programPath);
        break;
    }
    if (LauncherKindOf(p) == kLauncherRunOnly && p.run) p.installed = 1;
  }
  for (LauncherProduct& p : state->products) {
    if (p.uninstall && p.uninstallkey) {
      LauncherRegistryRead(p.uninstallkeypath, p.uninstallkeyname, &p.uninstallpath);
    }
  }
  for (const LauncherProduct& p : state->products) {
    if (LauncherKindOf(p) == kLauncherStateTracked && p.installed != 0) return kLauncherStartEnd;
  }
  state->pollClock = LauncherTimeNow();
  return kLauncherStartShowWindow;
}

int LauncherPollInstalls(LauncherState* state, const LauncherWindowOps* window) {
  uint32_t now = LauncherTimeNow();
  int32_t behind = static_cast<int32_t>(now - state->pollClock);
  if (behind <= kLauncherPollInterval) return 0;
  if (behind > kLauncherPollCatchUpLimit) state->pollClock = now - kLauncherPollInterval - 1;
  state->pollClock += kLauncherPollInterval;
  for (size_t j = 0; j < state->products.size() && j < kLauncherMaxProducts; ++j) {
    if (state->products[j].install) PollProduct(state, static_cast<int>(j), window);
  }
  return 1;
}

int32_t LauncherPollDelay(const LauncherState& state) {
  int32_t behind = static_cast<int32_t>(LauncherTimeNow() - state.pollClock);
  int64_t delay = static_cast<int64_t>(kLauncherPollInterval) + 1 - behind;
  return static_cast<int32_t>(std::clamp<int64_t>(delay, 0, kLauncherPollInterval));
}
