#include "engine/data/wave.h"

#include <cstring>
#include <new>

#include "engine/core/memory.h"
#include "platform/plat_bytes.h"

namespace {

int32_t ReadFormat(WaveFile* file, WaveFormat** format, PlatRiffChunk* riff) {
  int32_t result = plat_RiffDescend(file, riff, nullptr, 0);
  if (result != kPlatRiffOk) return result;
  if (riff->id != plat_FourCC('R', 'I', 'F', 'F') || riff->formType != plat_FourCC('W', 'A', 'V', 'E')) {
    return kWaveErrNotWave;
  }
  PlatRiffChunk fmt{};
  fmt.id = plat_FourCC('f', 'm', 't', ' ');
  result = plat_RiffDescend(file, &fmt, riff, kPlatRiffFindChunk);
  if (result != kPlatRiffOk) return result;
  if (fmt.size < 16) return kWaveErrNotWave;
  uint8_t pcm[16];
  if (plat_RiffRead(file, pcm, 16) != 16) return kWaveErrReadFormat;
  uint16_t extra = 0;
  uint16_t tag = plat_Le16(pcm);
  if (tag != 1) {
    // The extra bytes must lie inside the format chunk.
    uint8_t word[2];
    if (fmt.size < 18) return kWaveErrNotWave;
    if (plat_RiffRead(file, word, 2) != 2) return kWaveErrReadFormat;
    extra = plat_Le16(word);
    if (static_cast<uint32_t>(18) + extra > fmt.size) return kWaveErrNotWave;
  }
  auto* record = static_cast<WaveFormat*>(wre_MemoryNew(static_cast<int32_t>(sizeof(WaveFormat) + extra)));
  if (!record) return kWaveErrNoMemory;
  record->formatTag = tag;
  record->channels = plat_Le16(pcm + 2);
  record->samplesPerSec = plat_Le32(pcm + 4);
  record->avgBytesPerSec = plat_Le32(pcm + 8);
  record->blockAlign = plat_Le16(pcm + 12);
  record->bitsPerSample = plat_Le16(pcm + 14);
  record->extraSize = extra;
  if (extra > 0) {
    auto* bytes = reinterpret_cast<uint8_t*>(record + 1);
    if (plat_RiffRead(file, bytes, extra) != extra) {
      WaveFormatFree(record);
      return kWaveErrNotWave;
    }
  }
  result = plat_RiffAscend(file, &fmt);
  if (result != kPlatRiffOk) {
    WaveFormatFree(record);
    return result;
  }
  *format = record;
  return 0;
}

int32_t OpenWith(WaveFile* file, WaveFile** out, WaveFormat** format, PlatRiffChunk* riff) {
  WaveFormat* record = nullptr;
  int32_t result = ReadFormat(file, &record, riff);
  if (result != 0) {
    WaveClose(&file);
    return result;
  }
  *out = file;
  *format = record;
  return 0;
}

}  // namespace

int32_t WaveOpenFile(const char* path, WaveFile** file, WaveFormat** format, PlatRiffChunk* riff) {
  if (!file || !format || !riff) return kWaveErrOpen;
  *file = nullptr;
  *format = nullptr;
  auto* opened = new (std::nothrow) WaveFile{};
  if (!opened) return kWaveErrNoMemory;
  if (!path || !plat_RiffOpen(opened, path)) {
    delete opened;
    return kWaveErrOpen;
  }
  return OpenWith(opened, file, format, riff);
}

int32_t WaveOpenMemory(const void* data, size_t size, WaveFile** file, WaveFormat** format, PlatRiffChunk* riff) {
  if (!file || !format || !riff) return kWaveErrOpen;
  *file = nullptr;
  *format = nullptr;
  auto* opened = new (std::nothrow) WaveFile{};
  if (!opened) return kWaveErrNoMemory;
  plat_RiffOpenMemory(opened, data, size);
  return OpenWith(opened, file, format, riff);
}

int32_t WaveFindData(WaveFile* file, PlatRiffChunk* data, const PlatRiffChunk* riff) {
  if (!file || !data || !riff) return kWaveErrOpen;
  int32_t result = plat_RiffSeek(file, riff->dataOffset + 4);
  if (result != kPlatRiffOk) return result;
  data->id = plat_FourCC('d', 'a', 't', 'a');
  result = plat_RiffDescend(file, data, riff, kPlatRiffFindChunk);
  if (result != kPlatRiffOk) return result;
  // A size the file cannot back is refused here, before anyone sizes a buffer by it.
  if (plat_RiffBytesPresent(file, data) < data->size) return kWaveErrDataShort;
  return 0;
}

int32_t WaveRead(WaveFile* file, uint32_t count, uint8_t* destination, PlatRiffChunk* data, uint32_t* countRead) {
  if (countRead) *countRead = 0;
  if (!file || !data || (count > 0 && !destination)) return kWaveErrDataShort;
  uint32_t want = count < data->size ? count : data->size;
  int64_t got = plat_RiffRead(file, destination, want);
  if (got != static_cast<int64_t>(want)) return kWaveErrDataShort;
  data->size -= want;
  if (countRead) *countRead = want;
  return 0;
}

int32_t WaveClose(WaveFile** file) {
  if (!file || !*file) return 0;
  plat_RiffClose(*file);
  delete *file;
  *file = nullptr;
  return 0;
}

void WaveFormatFree(WaveFormat* format) {
  if (format) wre_MemoryDispose(format);
}

const uint8_t* WaveFormatExtra(const WaveFormat* format) {
  return format ? reinterpret_cast<const uint8_t*>(format + 1) : nullptr;
}
