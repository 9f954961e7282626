// Platform layer: single-instance lock.
//
// An exclusive advisory lock on "<folder>/<name>.lock", kept until release or the end of the
// process (programs started meanwhile do not inherit it). The folder is the user's runtime folder
// (/run/user/<uid>), or /tmp with the user's number in the file name where there is none.
#pragma once

enum PlatLockResult : int {
  kPlatLockAcquired = 0,
  kPlatLockHeld = 1,   // another holder has it
  kPlatLockError = 2,  // the lock file could not be made or locked
};

void plat_InstanceLockSetFolder(const char* folder);  // null or "": the default again
PlatLockResult plat_InstanceLockAcquire(const char* name);
void plat_InstanceLockRelease();
