// Platform layer: opening files, programs and web addresses the way the Windows shell does
// (ShellExecute with the verb "open"). Nothing is waited for.
//
// Real back end, in this order:
//  1. a web address ("scheme://..." or "mailto:...") is handed to xdg-open; parameters are dropped;
//  2. otherwise the file is found relative to the working folder (the directory argument when one
//     is given, else the caller's working folder), matching names without regard to case; a
//     missing file gives code 2;
//  3. a regular file with execute permission is started with posix_spawn in the working folder,
//     its parameters split the Windows way (blanks separate, double quotes group); it runs in a
//     session of its own with standard input from /dev/null;
//  4. any other file is handed to xdg-open.
// No command shell is ever involved. Started children are collected by plat_ShellReap.
// Paths are in Windows form (plat_paths.h).
//
// Test back end: every call is recorded and succeeds (code 42), unless told to fail (code 2).
#pragma once
#include <string>
#include <vector>

struct PlatShellResult {
  bool ok;   // the start succeeded
  int code;  // above 32 on success; 2 file not found, 3 folder not found, 5 access denied,
             // 31 nothing to open it with, 8 out of resources
};

PlatShellResult plat_ShellOpen(const char* verb, const char* file, const char* parameters,
                               const char* directory, const char* workingFolder);

// Collects the children started so far that have ended. Called from an idle loop.
void plat_ShellReap();

// Splits a parameter text into arguments the way Windows programs do.
std::vector<std::string> plat_ShellSplitParameters(const char* parameters);
// True for a text the shell opens as a web address.
bool plat_ShellIsAddress(const char* file);

// Test back end.
struct PlatShellRecord {
  std::string verb;
  std::string file;
  std::string parameters;
  std::string directory;
  std::string workingFolder;
};
void plat_ShellTestReset();  // empties the log, every start succeeds again
const std::vector<PlatShellRecord>& plat_ShellTestLog();
// "verb|file|parameters|directory|workingFolder"
std::string plat_ShellRecordText(const PlatShellRecord& record);
void plat_ShellTestFailAll(bool fail);
// Makes the call with this number (1 = the next call after a reset) fail; 0 clears it.
void plat_ShellTestFailCall(int number);
