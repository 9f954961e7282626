// What the three save files ("prefs.qz", "scores.qz", "circuit.qz") share: their folder, the test
// that loaded bytes hold an image of the expected version, the whole-image write, and the two
// walkers over an image. Each file lists its fields once, as a template over a walker, so that its
// reader and writer cannot drift apart.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/core/stream.h"

inline constexpr const char* kSaveFolder = "data:prefs";

// True when the bytes are at least a whole image long and begin with the version, big-endian.
// A shorter file counts as another version, so no reader runs past the loaded data.
bool SaveImageMatches(const uint8_t* data, size_t size, size_t imageSize, int32_t version);

// Writes the image under the name in the current data folder, replacing the old file only once the
// new one is complete. 0, or 5002 when the file cannot be created or written.
int32_t SaveImageWrite(const char* name, const uint8_t* image, int32_t size);

// Makes "data:prefs" (or the folder given) current for the life of the scope, then restores the
// folder that was current before (when the folder stack had room to save it).
class SaveFolderScope {
 public:
  SaveFolderScope();
  explicit SaveFolderScope(const char* folder);
  ~SaveFolderScope();
  SaveFolderScope(const SaveFolderScope&) = delete;
  SaveFolderScope& operator=(const SaveFolderScope&) = delete;

 private:
  bool pushed_;
};

// Writes fields big-endian into a zeroed image; names go as raw 32-byte blocks.
struct SaveWriter {
  uint8_t* cursor;

  void Int(int32_t value) { wre_StreamPutInt32(&cursor, value); }
  void Float(float value) { wre_StreamPutFloat(&cursor, value); }
  void Name(const char (&name)[32]) { wre_StreamPutString32(&cursor, name); }
  template <size_t N>
  void Ints(const int32_t (&values)[N]) {
    for (int32_t value : values) Int(value);
  }
  void Skip(size_t count) { cursor += count; }
};

// Reads fields back; past the end of the data everything reads as zero bytes.
struct SaveReader {
  StreamReader stream;

  void Int(int32_t& value) { value = wre_StreamReadInt32(&stream); }
  void Float(float& value) { value = wre_StreamReadFloat(&stream); }
  void Name(char (&name)[32]) { wre_StreamReadBytes(&stream, name, sizeof(name)); }
  template <size_t N>
  void Ints(int32_t (&values)[N]) {
    for (int32_t& value : values) Int(value);
  }
  void Skip(size_t count) { wre_StreamReadBytes(&stream, nullptr, count); }
};

// Ends a loaded name block with a NUL: names are drawn as text.
inline void SaveNameTerminate(char (&name)[32]) { name[sizeof(name) - 1] = '\0'; }
