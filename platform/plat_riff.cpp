#include "platform/plat_riff.h"

#include <cstring>

#include "platform/plat_bytes.h"
#include "platform/plat_files.h"

namespace {

const uint32_t kRiff = plat_FourCC('R', 'I', 'F', 'F');
const uint32_t kList = plat_FourCC('L', 'I', 'S', 'T');

// Reads exactly count bytes at the offset; false when they are not all there.
bool ReadAt(PlatRiffFile* riff, uint64_t offset, void* destination, uint64_t count) {
  if (offset > riff->size || count > riff->size - offset) return false;
  if (riff->memory) {
    std::memcpy(destination, riff->memory + offset, count);
    return true;
  }
  if (!riff->file || fseeko(riff->file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(destination, 1, count, riff->file) == count;
}

}  // namespace

bool plat_RiffOpen(PlatRiffFile* riff, const char* path) {
  *riff = PlatRiffFile{};
  FILE* file = plat_FileOpen(path, "rb");
  if (!file) return false;
  if (fseeko(file, 0, SEEK_END) != 0) {
    std::fclose(file);
    return false;
  }
  off_t size = ftello(file);
  if (size < 0) {
    std::fclose(file);
    return false;
  }
  riff->file = file;
  riff->size = static_cast<uint64_t>(size);
  return true;
}

void plat_RiffOpenMemory(PlatRiffFile* riff, const void* data, size_t size) {
  *riff = PlatRiffFile{};
  riff->memory = static_cast<const uint8_t*>(data);
  riff->size = data ? size : 0;
}

void plat_RiffClose(PlatRiffFile* riff) {
  if (!riff) return;
  if (riff->file) std::fclose(riff->file);
  *riff = PlatRiffFile{};
}

int32_t plat_RiffDescend(PlatRiffFile* riff, PlatRiffChunk* chunk, const PlatRiffChunk* parent, uint32_t flags) {
  if (!riff || !chunk) return kPlatRiffErrChunkNotFound;
  uint64_t end = riff->size;
  if (parent) {
    uint64_t parentEnd = parent->dataOffset + parent->size;
    if (parentEnd < end) end = parentEnd;
  }
  uint64_t at = riff->position;
  for (;;) {
    uint8_t header[12];
    if (at > end || end - at < 8 || !ReadAt(riff, at, header, 8)) return kPlatRiffErrChunkNotFound;
    uint32_t id = plat_Le32(header);
    uint32_t size = plat_Le32(header + 4);
    uint64_t data = at + 8;
    bool hasForm = id == kRiff || id == kList;
    uint32_t formType = 0;
    if (hasForm) {
      if (!ReadAt(riff, data, header + 8, 4)) return kPlatRiffErrChunkNotFound;
      formType = plat_Le32(header + 8);
    }
    bool match = false;
    if (flags & kPlatRiffFindRiff) {
      match = id == kRiff && formType == chunk->formType;
    } else if (flags & kPlatRiffFindList) {
      match = id == kList && formType == chunk->formType;
    } else if (flags & kPlatRiffFindChunk) {
      match = id == chunk->id;
    } else {
      match = true;
    }
    if (match) {
      chunk->id = id;
      chunk->size = size;
      chunk->formType = formType;
      chunk->dataOffset = data;
      riff->position = hasForm ? data + 4 : data;
      return kPlatRiffOk;
    }
    at = data + size + (size & 1u);  // 64-bit: a huge size cannot wrap
  }
}

int32_t plat_RiffAscend(PlatRiffFile* riff, const PlatRiffChunk* chunk) {
  if (!riff || !chunk) return kPlatRiffErrCannotSeek;
  riff->position = chunk->dataOffset + chunk->size + (chunk->size & 1u);
  return kPlatRiffOk;
}

int64_t plat_RiffRead(PlatRiffFile* riff, void* destination, int64_t count) {
  if (!riff || count < 0 || (count > 0 && !destination)) return -1;
  if (riff->position >= riff->size) return 0;
  uint64_t left = riff->size - riff->position;
  uint64_t n = static_cast<uint64_t>(count) < left ? static_cast<uint64_t>(count) : left;
  if (n == 0) return 0;
  if (!ReadAt(riff, riff->position, destination, n)) return -1;
  riff->position += n;
  return static_cast<int64_t>(n);
}

int32_t plat_RiffSeek(PlatRiffFile* riff, uint64_t offset) {
  if (!riff || offset > riff->size) return kPlatRiffErrCannotSeek;
  riff->position = offset;
  return kPlatRiffOk;
}

uint64_t plat_RiffBytesPresent(const PlatRiffFile* riff, const PlatRiffChunk* chunk) {
  if (!riff || !chunk || chunk->dataOffset >= riff->size) return 0;
  uint64_t left = riff->size - chunk->dataOffset;
  return chunk->size < left ? chunk->size : left;
}
