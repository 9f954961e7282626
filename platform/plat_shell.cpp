#include "platform/plat_shell.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/plat_internal.h"
#include "platform/plat_paths.h"

extern char** environ;

namespace {

struct ShellOps {
  PlatShellResult (*open)(const char*, const char*, const char*, const char*, const char*);
};

std::vector<pid_t> gChildren;

PlatShellResult Spawn(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, bool searchPath) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return {false, 8};
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return {false, 8};
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGCHLD);
  sigaddset(&defaults, SIGPIPE);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  int error = searchPath
                  ? posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ)
                  : posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    if (searchPath && error == ENOENT) return {false, 31};
    if (error == ENOENT) return {false, 2};
    if (error == EACCES || error == EPERM) return {false, 5};
    return {false, 8};
  }
  gChildren.push_back(pid);
  return {true, 42};
}

// A token like "C:\..." on a mapped drive becomes native; others stay as they are.
std::string NativeArgument(const std::string& token) {
  if (token.size() >= 3 && plat_PathHasDrive(token) && token[2] == '\\') {
    std::string native;
    if (plat_PathToNative(token, &native)) return native;
  }
  return token;
}

PlatShellResult RealOpen(const char* verb, const char* file, const char* parameters,
                         const char* directory, const char* workingFolder) {
  (void)verb;
  std::string target = file ? file : "";
  std::string folder = (directory && *directory) ? directory : (workingFolder ? workingFolder : "");
  std::string nativeFolder;
  if (!folder.empty()) {
    struct stat st {};
    if (!plat_PathToNative(folder, &nativeFolder) || stat(nativeFolder.c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode)) {
      return {false, 3};
    }
  }
  if (plat_ShellIsAddress(target.c_str())) {
    return Spawn("xdg-open", {"xdg-open", target}, nativeFolder, true);
  }
  std::string nativeFile;
  if (!plat_PathToNative(plat_PathJoin(folder, target), &nativeFile)) return {false, 2};
  struct stat st {};
  if (stat(nativeFile.c_str(), &st) != 0) return {false, 2};
  if (S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0) {
    std::vector<std::string> arguments{nativeFile};
    for (const std::string& token : plat_ShellSplitParameters(parameters)) {
      arguments.push_back(NativeArgument(token));
    }
    return Spawn(nativeFile, arguments, nativeFolder, false);
  }
  return Spawn("xdg-open", {"xdg-open", nativeFile}, nativeFolder, true);
}

struct TestShell {
  std::vector<PlatShellRecord> log;
  bool failAll = false;
  int failCall = 0;
};
TestShell gTest;

PlatShellResult TestOpen(const char* verb, const char* file, const char* parameters,
                         const char* directory, const char* workingFolder) {
  PlatShellRecord record;
  record.verb = verb ? verb : "";
  record.file = file ? file : "";
  record.parameters = parameters ? parameters : "";
  record.directory = directory ? directory : "";
  record.workingFolder = workingFolder ? workingFolder : "";
  gTest.log.push_back(record);
  bool fail = gTest.failAll || (gTest.failCall > 0 && static_cast<int>(gTest.log.size()) == gTest.failCall);
  return fail ? PlatShellResult{false, 2} : PlatShellResult{true, 42};
}

constexpr ShellOps kRealOps{RealOpen};
constexpr ShellOps kTestOps{TestOpen};
const ShellOps* gOps = &kRealOps;

}  // namespace

void plat_ShellSelectBackend(PlatBackend backend) {
  gOps = backend == kPlatBackendTest ? &kTestOps : &kRealOps;
}

PlatShellResult plat_ShellOpen(const char* verb, const char* file, const char* parameters,
                               const char* directory, const char* workingFolder) {
  if (!file || !*file) return {false, 2};
  return gOps->open(verb ? verb : "open", file, parameters, directory, workingFolder);
}

void plat_ShellReap() {
  for (size_t i = 0; i < gChildren.size();) {
    int status = 0;
    pid_t done = waitpid(gChildren[i], &status, WNOHANG);
    if (done == gChildren[i] || (done < 0 && errno == ECHILD)) {
      gChildren.erase(gChildren.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

bool plat_ShellIsAddress(const char* file) {
  if (!file) return false;
  if (strncasecmp(file, "mailto:", 7) == 0) return true;
  if (!std::isalpha(static_cast<unsigned char>(file[0]))) return false;
  const char* p = file + 1;
  while (std::isalnum(static_cast<unsigned char>(*p)) || *p == '+' || *p == '-' || *p == '.') ++p;
  return std::strncmp(p, "://", 3) == 0;
}

std::vector<std::string> plat_ShellSplitParameters(const char* parameters) {
  std::vector<std::string> tokens;
  if (!parameters) return tokens;
  const char* p = parameters;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string token;
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '\\') {
        size_t slashes = 0;
        while (*p == '\\') {
          ++slashes;
          ++p;
        }
        if (*p == '"') {
          token.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            token += '"';
            ++p;
          }
        } else {
          token.append(slashes, '\\');
        }
      } else if (*p == '"') {
        if (quoted && p[1] == '"') {
          token += '"';
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
      } else {
        token += *p++;
      }
    }
    tokens.push_back(token);
  }
  return tokens;
}

void plat_ShellTestReset() { gTest = TestShell{}; }
const std::vector<PlatShellRecord>& plat_ShellTestLog() { return gTest.log; }
void plat_ShellTestFailAll(bool fail) { gTest.failAll = fail; }
void plat_ShellTestFailCall(int number) { gTest.failCall = number; }

std::string plat_ShellRecordText(const PlatShellRecord& record) {
  return record.verb + "|" + record.file + "|" + record.parameters + "|" + record.directory + "|" +
         record.workingFolder;
}
