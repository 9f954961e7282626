#include "platform/plat_files.h"

#include "platform/test/plat_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// The entry of `folder` that equals `name` without regard to ASCII case; the first in byte order
// when several do, so the choice does not depend on the order the folder lists them in.
bool FindNoCase(const std::string& folder, const std::string& name, std::string* found) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return false;
  bool any = false;
  while (dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) != 0) continue;
    if (!any || std::strcmp(entry->d_name, found->c_str()) < 0) *found = entry->d_name;
    any = true;
  }
  closedir(dir);
  return any;
}

std::string gLastSyncedFolder;

// Makes the folder's entries durable, so that a rename into it survives a power cut. The result
// is not the save's: the new file is already in place, and some file systems cannot sync a folder.
void SyncFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  gLastSyncedFolder.clear();
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  if (fsync(fd) == 0) gLastSyncedFolder = folder;
  close(fd);
}

bool gFailNextSave = false;

// Creates a temporary file of this save's own beside the target, "<target>.<pid>.<n>.tmp", so that
// no other save (of this process or another) writes into it and the rename only ever puts a whole
// file in place. It takes the old file's permissions, or 0666 less the umask for a new file. The
// descriptor, or -1.
int CreateTemporary(const std::string& target, std::string* temp) {
  static std::atomic<unsigned> counter{0};
  struct stat old {};
  const bool replaces = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temp = target + "." + std::to_string(getpid()) + "." + std::to_string(counter++) + ".tmp";
    const int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;  // left by an earlier process of the same id
      return -1;
    }
    if (replaces && fchmod(fd, old.st_mode & 07777) != 0) {
      close(fd);
      unlink(temp->c_str());
      return -1;
    }
    return fd;
  }
  return -1;
}

bool WriteAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t n = write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string plat_TestLastSyncedFolder() { return gLastSyncedFolder; }
void plat_TestFailNextSave() { gFailNextSave = true; }

bool plat_ResolvePath(const char* path, std::string* resolved) {
  std::string in = path ? path : "";
  for (char& c : in) {
    if (c == '\\') c = '/';
  }
  std::string out;
  size_t pos = 0;
  if (!in.empty() && in[0] == '/') {
    out = "/";
    pos = 1;
  }
  bool found = true;
  while (pos <= in.size()) {
    size_t slash = in.find('/', pos);
    if (slash == std::string::npos) slash = in.size();
    std::string part = in.substr(pos, slash - pos);
    bool last = slash == in.size();
    if (!part.empty()) {
      std::string folder = out;
      std::string candidate = out + part;
      if (found && !Exists(candidate) && part != "." && part != "..") {
        std::string match;
        if (FindNoCase(folder, part, &match)) {
          candidate = out + match;
        } else {
          found = false;
        }
      }
      out = candidate;
      if (!last) out += '/';
    } else if (!last && !out.empty() && out.back() != '/') {
      out += '/';
    }
    pos = slash + 1;
  }
  if (resolved) *resolved = out;
  return found;
}

FILE* plat_FileOpen(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  std::string resolved;
  plat_ResolvePath(path, &resolved);
  return std::fopen(resolved.c_str(), mode);
}

bool plat_FileSaveWhole(const char* path, const void* data, size_t count) {
  const bool failing = std::exchange(gFailNextSave, false);
  if (!path || (!data && count > 0)) return false;
  std::string target;
  plat_ResolvePath(path, &target);
  if (target.empty() || target.back() == '/') return false;
  std::string temp;
  const int fd = CreateTemporary(target, &temp);
  if (fd < 0) return false;
  bool ok = !failing && WriteAll(fd, static_cast<const char*>(data), count);
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
  if (ok) SyncFolderOf(target);
  if (!ok) unlink(temp.c_str());
  return ok;
}

std::string plat_ProgramFolder() {
  std::vector<char> buffer(4096);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return ".";
  std::string exe(buffer.data(), static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return exe.substr(0, slash);
}

bool plat_EnterProgramFolder() { return chdir(plat_ProgramFolder().c_str()) == 0; }
