// Platform layer: private-profile (ini) files.
//
// Reading:
//  - a UTF-8 byte-order mark is skipped; CRLF and LF both end a line;
//  - "[name]": the text up to the first "]", trimmed; section names match without regard to ASCII
//    case and the first matching section is the one used;
//  - lines starting with ";" are comments; a line without "=" is ignored;
//  - the key is the text before the first "=", trimmed, matched without regard to case; the first
//    match wins;
//  - the value is trimmed and one pair of matching outer double or single quotes is stripped; a ";"
//    inside the value is part of it.
// Writing replaces an existing key line in place, puts a new key after the last key line of its
// section, or appends a new section at the end; every other byte is kept, and new lines use the
// file's own line ends (CRLF for a new file). Names that could not be read back as written are
// refused: a section with "]" or a line break, a key with "=" or a line break or one that starts
// with ";" or "[", a value with a line break.
#pragma once
#include <cstdint>
#include <string>

// On the text of a whole file: true with the value when the section holds the key.
bool plat_IniFind(const std::string& text, const char* section, const char* key, std::string* value);
// Sets the key in the text. False (text unchanged) for names that cannot round-trip.
bool plat_IniUpdate(std::string* text, const char* section, const char* key, const char* value);

// GetPrivateProfileString for a Windows-form path: copies the value, or the default verbatim when
// the file, section or key is missing, cut to at most size - 1 bytes, then a zero byte. Returns the
// number of bytes copied before the zero. A size of 0 copies nothing. The file is opened read-only.
uint32_t plat_ProfileGetString(const char* section, const char* key, const char* defaultValue,
                               char* out, uint32_t size, const char* windowsPath);
// The same into a string.
std::string plat_ProfileGetText(const char* section, const char* key, const char* defaultValue,
                                uint32_t size, const char* windowsPath);

// For many look-ups in one file: the whole text of a Windows-form path, "" when it is missing or
// unreadable (which reads as a file without sections).
std::string plat_ProfileLoad(const char* windowsPath);
// GetPrivateProfileString over a text from plat_ProfileLoad, with the same results as reading the
// file itself.
uint32_t plat_ProfileTextGetString(const std::string& fileText, const char* section, const char* key,
                                   const char* defaultValue, char* out, uint32_t size);
std::string plat_ProfileTextGet(const std::string& fileText, const char* section, const char* key,
                                const char* defaultValue, uint32_t size);

// WritePrivateProfileString for a Windows-form path: creates the file (not its folder), section or
// key as needed and replaces the whole file atomically. A file that exists but cannot be read or
// written is left alone. False on any failure.
bool plat_ProfileWriteString(const char* section, const char* key, const char* value,
                             const char* windowsPath);

// Reads a whole native file opened read-only. False when it is missing or unreadable.
bool plat_ReadWholeNative(const std::string& nativePath, std::string* bytes);
