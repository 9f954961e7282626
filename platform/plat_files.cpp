#include "platform/plat_files.h"

#include "platform/test/plat_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
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

}  // namespace

std::string plat_TestLastSyncedFolder() { return gLastSyncedFolder; }

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
  if (!path || (!data && count > 0)) return false;
  std::string target;
  plat_ResolvePath(path, &target);
  if (target.empty() || target.back() == '/') return false;
  std::string temp = target + ".tmp";
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return false;
  bool ok = count == 0 || std::fwrite(data, 1, count, file) == count;
  ok = std::fflush(file) == 0 && ok;
  ok = fsync(fileno(file)) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
  if (ok) SyncFolderOf(target);
  if (!ok) std::remove(temp.c_str());
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
