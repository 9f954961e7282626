// Test hooks of the file layer (platform/plat_files.h): which folder the last whole-file save made
// durable, and a save made to fail.
//
// Test-only: platform/test/plat_files.h holds what only tests use of platform/plat_files.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include <string>

#include "platform/plat_files.h"

// The folder whose entries the last plat_FileSaveWhole synced after its rename ("" before any, or
// when the sync failed).
std::string plat_TestLastSyncedFolder();

// The next plat_FileSaveWhole fails as a full disk would: its temporary file is made, the write
// fails, the temporary is removed and the target stays as it was.
void plat_TestFailNextSave();
