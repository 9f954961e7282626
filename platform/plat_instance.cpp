// Single-instance lock: an exclusive advisory lock on a file in the user's runtime folder.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/plat_instance.h"

namespace {

std::string gFolder;  // empty: the default
int gLockFd = -1;

bool IsOwnDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

// The user's runtime folder where the system keeps one, else the shared temporary folder.
std::string LockFolder() {
  if (!gFolder.empty()) return gFolder;
  std::string perUser = "/run/user/" + std::to_string(getuid());
  if (IsOwnDirectory(perUser)) return perUser;
  return "/tmp";
}

}  // namespace

void plat_InstanceLockSetFolder(const char* folder) { gFolder = folder ? folder : ""; }

PlatLockResult plat_InstanceLockAcquire(const char* name) {
  if (gLockFd >= 0) return kPlatLockAcquired;  // this process holds it already
  if (!name || !*name) return kPlatLockError;
  std::string folder = LockFolder();
  std::string file = std::string(name) + ".lock";
  // Shared folders such as /tmp get the user in the name, so users do not lock each other out.
  if (folder == "/tmp") file = std::string(name) + "-" + std::to_string(getuid()) + ".lock";
  std::string path = folder + "/" + file;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return kPlatLockError;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    close(fd);
    return err == EWOULDBLOCK ? kPlatLockHeld : kPlatLockError;
  }
  gLockFd = fd;
  return kPlatLockAcquired;
}

void plat_InstanceLockRelease() {
  if (gLockFd < 0) return;
  flock(gLockFd, LOCK_UN);
  close(gLockFd);
  gLockFd = -1;
}
