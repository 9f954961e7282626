// Platform layer: a read-only stand-in for string values under the local-machine registry root.
//
// The store is an ini-format file: one section per subkey ("SOFTWARE\Maker\Product", matched
// without regard to case, outer "\" ignored), one line per value ("Name=text"; "@" names the
// unnamed value). Values written as "dword:..." or "hex:..." are not strings. Look-ups never create
// or change anything.
#pragma once
#include <cstddef>
#include <string>

// The store file (a native path); null or empty returns to the default, "registry.ini" in the
// folder that holds the Windows directory: the launcher's folder (plat_LauncherFolder) unless the
// Windows directory was set elsewhere.
void plat_RegistrySetStore(const char* nativePath);
std::string plat_RegistryStorePath();

// Reads the string value `name` (null or empty: the unnamed value) of `subkey`. The value must fit
// with its terminating zero into `room` bytes. False, with `out` empty, for a missing store, key or
// value, a value that is not a string, or one that does not fit.
bool plat_RegistryReadString(const char* subkey, const char* name, size_t room, std::string* out);
