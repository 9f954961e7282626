#include "platform/plat_winfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/plat_paths.h"

namespace {

bool Native(const char* windowsPath, std::string* native) {
  return windowsPath && plat_PathToNative(windowsPath, native);
}

}  // namespace

int plat_WinFileOpen(const char* windowsPath, PlatOpenMode mode) {
  std::string native;
  if (!Native(windowsPath, &native)) return -1;
  int flags = O_CLOEXEC;
  switch (mode) {
    case kPlatOpenRead: flags |= O_RDONLY; break;
    case kPlatOpenReadWrite: flags |= O_RDWR; break;
    case kPlatOpenCreate: flags |= O_RDWR | O_CREAT; break;
    default: return -1;
  }
  int fd = open(native.c_str(), flags, 0644);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

int64_t plat_WinFileSeek(int handle, int64_t offset, PlatSeekOrigin origin) {
  if (handle < 0) return -1;
  int whence = origin == kPlatSeekEnd ? SEEK_END : origin == kPlatSeekCurrent ? SEEK_CUR : SEEK_SET;
  off_t position = lseek(handle, static_cast<off_t>(offset), whence);
  return position < 0 ? -1 : static_cast<int64_t>(position);
}

int64_t plat_WinFileRead(int handle, void* buffer, size_t count) {
  if (handle < 0 || (!buffer && count > 0)) return -1;
  size_t done = 0;
  while (done < count) {
    ssize_t n = read(handle, static_cast<char*>(buffer) + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool plat_WinFileClose(int handle) { return handle >= 0 && close(handle) == 0; }

bool plat_WinFileExists(const char* windowsPath) {
  int handle = plat_WinFileOpen(windowsPath, kPlatOpenRead);
  if (handle < 0) return false;
  plat_WinFileClose(handle);
  return true;
}

bool plat_WinDirectoryExists(const char* windowsPath) {
  std::string native;
  if (!Native(windowsPath, &native)) return false;
  struct stat st {};
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool plat_WinFileIsExecutable(const char* windowsPath) {
  std::string native;
  if (!Native(windowsPath, &native)) return false;
  struct stat st {};
  if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}
