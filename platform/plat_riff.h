// Platform layer: RIFF chunk reading (descend into a chunk, ascend out of it, read its bytes).
//
// A chunk is a four-character id, a little-endian 32-bit size and that many data bytes, padded to an
// even length. "RIFF" and "LIST" chunks start their data with a four-character form type. The reader
// works on a file or on bytes in memory; sizes taken from the data are never trusted beyond the
// bytes that are really there.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr uint32_t plat_FourCC(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

enum : int32_t {
  kPlatRiffOk = 0,
  kPlatRiffErrCannotRead = 263,    // the file could not be read
  kPlatRiffErrCannotSeek = 264,    // a position outside the file
  kPlatRiffErrChunkNotFound = 265, // no such chunk (or no whole chunk header left)
};

// Descend flags: without one, the chunk header at the current position is taken as it is.
enum : uint32_t {
  kPlatRiffFindChunk = 0x10,  // the next chunk with the given id
  kPlatRiffFindRiff = 0x20,   // the next "RIFF" chunk with the given form type
  kPlatRiffFindList = 0x40,   // the next "LIST" chunk with the given form type
};

struct PlatRiffFile {
  FILE* file;              // null for bytes in memory
  const uint8_t* memory;   // the bytes, when reading from memory
  uint64_t size;           // bytes in the file
  uint64_t position;       // where the next read starts
};

struct PlatRiffChunk {
  uint32_t id;          // four-character id
  uint32_t size;        // data size as the chunk header gives it
  uint32_t formType;    // form type of "RIFF" and "LIST" chunks
  uint64_t dataOffset;  // where the data starts (a form type is part of the data)
};

// Opens a file for reading (case-insensitive path resolution); false when it cannot be opened.
bool plat_RiffOpen(PlatRiffFile* riff, const char* path);
// Reads from bytes in memory; the bytes must outlive the reader.
void plat_RiffOpenMemory(PlatRiffFile* riff, const void* data, size_t size);
void plat_RiffClose(PlatRiffFile* riff);

// Finds a chunk from the current position on, inside the parent when one is given (otherwise up to
// the end of the file), and leaves the position at its data (past the form type of "RIFF" and "LIST").
int32_t plat_RiffDescend(PlatRiffFile* riff, PlatRiffChunk* chunk, const PlatRiffChunk* parent, uint32_t flags);
// Leaves the position at the end of the chunk, past its pad byte.
int32_t plat_RiffAscend(PlatRiffFile* riff, const PlatRiffChunk* chunk);
// Reads up to count bytes; the number read (fewer at the end of the file), -1 on a read error.
int64_t plat_RiffRead(PlatRiffFile* riff, void* destination, int64_t count);
int32_t plat_RiffSeek(PlatRiffFile* riff, uint64_t offset);
// Bytes of the chunk's data that the file really holds.
uint64_t plat_RiffBytesPresent(const PlatRiffFile* riff, const PlatRiffChunk* chunk);
