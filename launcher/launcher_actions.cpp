#include "launcher/launcher_actions.h"

#include "launcher/launcher_install.h"
#include "platform/plat_paths.h"
#include "platform/plat_shell.h"
#include "platform/plat_winfile.h"

namespace {

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Starts `file` with `parameters` in `folder`; false when the folder is missing or the start fails.
bool Start(const std::string& file, const std::string& parameters, const std::string& folder) {
  if (!plat_WinDirectoryExists(folder.c_str())) return false;
  return plat_ShellOpen("open", file.c_str(), parameters.c_str(), "", folder.c_str()).ok;
}

// A document button: web addresses and documents get no parameters, a program gets the Windows
// directory.
void OpenDocument(const LauncherState& state, const std::string& file) {
  std::string parameters;
  if (!plat_ShellIsAddress(file.c_str()) &&
      plat_WinFileIsExecutable(LauncherResolvePath(state, file).c_str())) {
    parameters = state.windowsDirectory;
  }
  Start(file, parameters, state.settings.directory);
}

void PostQuit(const LauncherWindowOps* window) {
  if (window && window->postQuit) window->postQuit(window->context, 0);
}

// Asks for the agreement when the product needs it; true when the action may go on.
bool AgreementGiven(LauncherState* state, int j, bool ask, const LauncherWindowOps* window) {
  if (!ask) return true;
  if (!EulaDialogShow(state, j, window)) return false;
  state->products[static_cast<size_t>(j)].doneeula = 1;
  LauncherStateWrite(*state);
  return true;
}

LauncherActionEnd MainButton(LauncherState* state, int j, const LauncherWindowOps* window) {
  LauncherProduct& p = state->products[static_cast<size_t>(j)];
  if (!p.install) {
    if (!AgreementGiven(state, j, p.eula && !p.doneeula, window)) return kLauncherStayOpen;
    if (!Start(p.exename, "", LauncherResolvePath(*state, p.runpath))) return kLauncherStayOpen;
    PostQuit(window);
    return kLauncherQuitPosted;
  }
  if (p.installed) {
    if (!Start(LauncherResolvePath(*state, p.programPath), "", LauncherResolvePath(*state, p.runpath))) {
      return kLauncherStayOpen;
    }
    PostQuit(window);
    return kLauncherQuitPosted;
  }
  if (!AgreementGiven(state, j, p.eula != 0, window)) return kLauncherStayOpen;
  if (!Start(p.installexe, "", LauncherResolvePath(*state, p.installpath))) return kLauncherStayOpen;
  if (p.run) return kLauncherStayOpen;
  p.installed = 1;
  LauncherStateWrite(*state);
  return kLauncherExitNow;
}

void UninstallButton(LauncherState* state, int j) {
  const LauncherProduct& p = state->products[static_cast<size_t>(j)];
  if (!p.uninstallexe.empty()) {
    Start(p.uninstallexe, "", LauncherResolvePath(*state, p.uninstallpath));
    return;
  }
  std::string file;
  std::string parameters;
  LauncherSplitCommandLine(p.uninstallpath, &file, &parameters);
  if (file.empty()) return;
  Start(LauncherResolvePath(*state, file), parameters, state->windowsDirectory);
}

}  // namespace

std::string LauncherDocumentFile(const LauncherState& state, const std::string& value) {
  if (value.compare(0, 4, "http") == 0) return value;
  return state.settings.directory + value;
}

void LauncherSplitCommandLine(const std::string& line, std::string* file, std::string* parameters) {
  std::string text = TrimBlanks(line);
  size_t split = std::string::npos;
  if (!text.empty() && text[0] == '"') {
    size_t close = text.find('"', 1);
    if (close == std::string::npos) {
      *file = TrimBlanks(text.substr(1));
      parameters->clear();
    } else {
      *file = TrimBlanks(text.substr(1, close - 1));
      *parameters = TrimBlanks(text.substr(close + 1));
    }
    return;
  }
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if ((text[i] == ' ' || text[i] == '\t') && (text[i + 1] == '-' || text[i + 1] == '/')) {
      split = i;
      break;
    }
  }
  if (split == std::string::npos) {
    *file = text;
    parameters->clear();
    return;
  }
  *file = TrimBlanks(text.substr(0, split));
  *parameters = TrimBlanks(text.substr(split));
}

bool EulaDialogShow(LauncherState* state, int product, const LauncherWindowOps* window) {
  state->agreementProduct = product;
  state->agreementAnswer = 0;
  const LauncherProduct& p = state->products[static_cast<size_t>(product)];
  LauncherAgreementAnswer answer = kLauncherAgreementDecline;
  if (window && window->askAgreement) {
    answer = window->askAgreement(window->context, product,
                                  p.hasAgreement ? p.agreementText.c_str() : nullptr);
  }
  state->agreementAnswer = answer == kLauncherAgreementAccept ? 1 : 0;
  return state->agreementAnswer == 1;
}

LauncherActionEnd LauncherButtonAction(LauncherState* state, int slot, const LauncherWindowOps* window) {
  const LauncherSettings& s = state->settings;
  int count = static_cast<int>(state->products.size());
  if (slot == kLauncherSlotExit) {
    PostQuit(window);
    return kLauncherQuitPosted;
  }
  if (slot == kLauncherSlotCatalog) {
    OpenDocument(*state, LauncherDocumentFile(*state, s.catalog.file));
  } else if (slot == kLauncherSlotRegistration) {
    OpenDocument(*state, s.registration.file);
  } else if (slot == kLauncherSlotManual) {
    OpenDocument(*state, LauncherDocumentFile(*state, s.manual.file));
  } else if (slot >= kLauncherSlotMainFirst && slot < kLauncherSlotMainFirst + count &&
             slot < kLauncherSlotUninstallFirst) {
    return MainButton(state, slot - kLauncherSlotMainFirst, window);
  } else if (slot >= kLauncherSlotUninstallFirst && slot < kLauncherSlotUninstallFirst + count &&
             slot < kLauncherSlotUninstallFirst + kLauncherMaxProducts) {
    UninstallButton(state, slot - kLauncherSlotUninstallFirst);
  }
  return kLauncherStayOpen;
}
