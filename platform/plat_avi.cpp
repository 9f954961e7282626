#include "platform/plat_avi.h"

#include <cstring>
#include <new>

#include "platform/plat_bytes.h"
#include "platform/plat_riff.h"

struct PlatAvi {
  PlatRiffFile file{};
  PlatAviInfo info{};
  bool bottomUp = true;
  uint32_t srcRowBytes = 0;
  uint8_t palette[256][4] = {};
  struct Piece {
    uint64_t offset;
    uint32_t size;
  };
  std::vector<Piece> frames;
  std::vector<Piece> audio;
  std::vector<uint8_t> last;  // the last frame read, for empty chunks
  bool lastValid = false;
};

namespace {

// Reads the first `want` bytes of a chunk's data (zero-filled when the chunk is shorter).
bool ReadChunkHead(PlatRiffFile* f, const PlatRiffChunk& chunk, uint8_t* out, uint32_t want) {
  std::memset(out, 0, want);
  uint32_t n = chunk.size < want ? chunk.size : want;
  if (plat_RiffSeek(f, chunk.dataOffset) != kPlatRiffOk) return false;
  return plat_RiffRead(f, out, n) == static_cast<int64_t>(n);
}

struct StreamHeads {
  int32_t videoStream = -1;
  int32_t audioStream = -1;
  uint32_t videoRate = 0, videoScale = 0;
};

int32_t ReadVideoFormat(PlatAvi* a, const PlatRiffChunk& strf) {
  uint8_t h[40];
  if (strf.size < 40 || !ReadChunkHead(&a->file, strf, h, 40)) return kPlatAviErrFormat;
  uint32_t headerSize = plat_Le32(h);
  int32_t width = plat_LeInt32(h + 4);
  int32_t height = plat_LeInt32(h + 8);
  uint16_t bits = plat_Le16(h + 14);
  uint32_t compression = plat_Le32(h + 16);
  uint32_t colours = plat_Le32(h + 32);
  if (compression != 0) return kPlatAviErrCompressed;
  if (bits != 8 && bits != 16 && bits != 24) return kPlatAviErrCompressed;
  if (headerSize < 40 || width <= 0 || height == 0 || height == INT32_MIN) return kPlatAviErrFormat;
  a->bottomUp = height > 0;
  if (height < 0) height = -height;
  if (width > kPlatAviMaxSide || height > kPlatAviMaxSide) return kPlatAviErrFormat;
  a->info.width = width;
  a->info.height = height;
  a->info.bitsPerPixel = bits;
  a->srcRowBytes = (static_cast<uint32_t>(width) * bits / 8 + 3) & ~3u;
  if (bits == 8) {
    if (colours == 0 || colours > 256) colours = 256;
    uint64_t at = strf.dataOffset + headerSize;
    uint64_t have = headerSize <= strf.size ? strf.size - headerSize : 0;
    uint32_t n = static_cast<uint32_t>(have / 4 < colours ? have / 4 : colours);
    if (n > 0) {
      if (plat_RiffSeek(&a->file, at) != kPlatRiffOk) return kPlatAviErrFormat;
      if (plat_RiffRead(&a->file, a->palette, n * 4) != static_cast<int64_t>(n) * 4) return kPlatAviErrFormat;
    }
  }
  return kPlatAviOk;
}

void ReadAudioFormat(PlatAvi* a, const PlatRiffChunk& strf) {
  uint8_t w[16];
  if (strf.size < 16 || !ReadChunkHead(&a->file, strf, w, 16)) return;
  PlatWaveFormat f{};
  f.formatTag = plat_Le16(w);
  f.channels = plat_Le16(w + 2);
  f.samplesPerSec = plat_Le32(w + 4);
  f.avgBytesPerSec = plat_Le32(w + 8);
  f.blockAlign = plat_Le16(w + 12);
  f.bitsPerSample = plat_Le16(w + 14);
  bool pcm = f.formatTag == 1 && (f.channels == 1 || f.channels == 2) &&
             (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.blockAlign == f.channels * f.bitsPerSample / 8 &&
             f.samplesPerSec >= static_cast<uint32_t>(kPlatSoundMinFrequency) &&
             f.samplesPerSec <= static_cast<uint32_t>(kPlatSoundMaxFrequency);
  // Audio in another form is left out: the video still plays, silently.
  if (pcm) a->info.audioFormat = f;
}

int32_t ReadHeaders(PlatAvi* a, const PlatRiffChunk& riff, StreamHeads* heads) {
  PlatRiffFile* f = &a->file;
  PlatRiffChunk hdrl{};
  hdrl.formType = plat_FourCC('h', 'd', 'r', 'l');
  if (plat_RiffDescend(f, &hdrl, &riff, kPlatRiffFindList) != kPlatRiffOk) return kPlatAviErrFormat;
  uint64_t hdrlStart = f->position;
  PlatRiffChunk avih{};
  avih.id = plat_FourCC('a', 'v', 'i', 'h');
  if (plat_RiffDescend(f, &avih, &hdrl, kPlatRiffFindChunk) != kPlatRiffOk) return kPlatAviErrFormat;
  uint8_t m[40];
  if (!ReadChunkHead(f, avih, m, 40)) return kPlatAviErrFormat;
  a->info.microsecondsPerFrame = plat_Le32(m);

  plat_RiffSeek(f, hdrlStart);
  for (int32_t stream = 0; stream < 100; ++stream) {
    PlatRiffChunk strl{};
    strl.formType = plat_FourCC('s', 't', 'r', 'l');
    if (plat_RiffDescend(f, &strl, &hdrl, kPlatRiffFindList) != kPlatRiffOk) break;
    uint64_t strlStart = f->position;
    PlatRiffChunk strh{}, strf{};
    strh.id = plat_FourCC('s', 't', 'r', 'h');
    strf.id = plat_FourCC('s', 't', 'r', 'f');
    bool haveH = plat_RiffDescend(f, &strh, &strl, kPlatRiffFindChunk) == kPlatRiffOk;
    plat_RiffSeek(f, strlStart);
    bool haveF = plat_RiffDescend(f, &strf, &strl, kPlatRiffFindChunk) == kPlatRiffOk;
    if (haveH && haveF) {
      uint8_t h[28];
      if (!ReadChunkHead(f, strh, h, 28)) return kPlatAviErrFormat;
      uint32_t type = plat_Le32(h);
      if (type == plat_FourCC('v', 'i', 'd', 's') && heads->videoStream < 0) {
        int32_t result = ReadVideoFormat(a, strf);
        if (result != kPlatAviOk) return result;
        heads->videoStream = stream;
        heads->videoScale = plat_Le32(h + 20);
        heads->videoRate = plat_Le32(h + 24);
      } else if (type == plat_FourCC('a', 'u', 'd', 's') && heads->audioStream < 0) {
        ReadAudioFormat(a, strf);
        if (a->info.audioFormat.formatTag == 1) heads->audioStream = stream;
      }
    }
    plat_RiffAscend(f, &strl);
  }
  if (heads->videoStream < 0) return kPlatAviErrFormat;
  if (a->info.microsecondsPerFrame == 0 && heads->videoRate != 0 && heads->videoScale != 0) {
    uint64_t us = static_cast<uint64_t>(heads->videoScale) * 1000000u / heads->videoRate;
    a->info.microsecondsPerFrame = us > 0 && us < 10000000u ? static_cast<uint32_t>(us) : 0;
  }
  if (a->info.microsecondsPerFrame == 0 || a->info.microsecondsPerFrame > 10000000u) {
    a->info.microsecondsPerFrame = 66667;  // 15 frames a second when the file does not say
  }
  return kPlatAviOk;
}

// Two digits of the stream number, then the kind.
bool IsStreamChunk(uint32_t id, int32_t stream, char kind0, char kind1) {
  if (stream < 0) return false;
  return id == plat_FourCC(static_cast<char>('0' + stream / 10), static_cast<char>('0' + stream % 10), kind0, kind1);
}

void WalkMovi(PlatAvi* a, const PlatRiffChunk& parent, const StreamHeads& heads, int depth) {
  PlatRiffFile* f = &a->file;
  const uint32_t frameBytes = a->srcRowBytes * static_cast<uint32_t>(a->info.height);
  for (;;) {
    PlatRiffChunk c{};
    if (plat_RiffDescend(f, &c, &parent, 0) != kPlatRiffOk) return;
    if (c.id == plat_FourCC('L', 'I', 'S', 'T')) {
      if (depth < 4) WalkMovi(a, c, heads, depth + 1);
    } else if (IsStreamChunk(c.id, heads.videoStream, 'd', 'b') || IsStreamChunk(c.id, heads.videoStream, 'd', 'c')) {
      a->frames.push_back({c.dataOffset, c.size == 0 ? 0 : frameBytes});
      if (c.size != 0 && (c.size < frameBytes || plat_RiffBytesPresent(f, &c) < frameBytes)) {
        a->frames.back().size = UINT32_MAX;  // short: reading it fails
      }
    } else if (IsStreamChunk(c.id, heads.audioStream, 'w', 'b')) {
      uint64_t present = plat_RiffBytesPresent(f, &c);
      if (present > 0) a->audio.push_back({c.dataOffset, static_cast<uint32_t>(present)});
    }
    plat_RiffAscend(f, &c);
  }
}

int32_t Parse(PlatAvi* a) {
  PlatRiffFile* f = &a->file;
  PlatRiffChunk riff{};
  riff.formType = plat_FourCC('A', 'V', 'I', ' ');
  if (plat_RiffDescend(f, &riff, nullptr, kPlatRiffFindRiff) != kPlatRiffOk) return kPlatAviErrFormat;
  uint64_t riffStart = f->position;
  StreamHeads heads;
  int32_t result = ReadHeaders(a, riff, &heads);
  if (result != kPlatAviOk) return result;
  plat_RiffSeek(f, riffStart);
  PlatRiffChunk movi{};
  movi.formType = plat_FourCC('m', 'o', 'v', 'i');
  if (plat_RiffDescend(f, &movi, &riff, kPlatRiffFindList) != kPlatRiffOk) return kPlatAviErrFormat;
  try {
    WalkMovi(a, movi, heads, 0);
  } catch (const std::bad_alloc&) {
    return kPlatAviErrFormat;
  }
  a->info.frameCount = static_cast<uint32_t>(a->frames.size());
  a->info.hasAudio = heads.audioStream >= 0 && !a->audio.empty();
  if (!a->info.hasAudio) a->info.audioFormat = PlatWaveFormat{};
  return kPlatAviOk;
}

int32_t Finish(PlatAvi* a, PlatAvi** out) {
  int32_t result = Parse(a);
  if (result != kPlatAviOk) {
    plat_AviClose(a);
    return result;
  }
  *out = a;
  return kPlatAviOk;
}

}  // namespace

int32_t plat_AviOpen(const char* path, PlatAvi** avi) {
  if (!avi) return kPlatAviErrOpen;
  *avi = nullptr;
  auto* a = new (std::nothrow) PlatAvi();
  if (!a) return kPlatAviErrOpen;
  if (!path || !plat_RiffOpen(&a->file, path)) {
    delete a;
    return kPlatAviErrOpen;
  }
  return Finish(a, avi);
}

int32_t plat_AviOpenMemory(const void* data, size_t size, PlatAvi** avi) {
  if (!avi) return kPlatAviErrOpen;
  *avi = nullptr;
  auto* a = new (std::nothrow) PlatAvi();
  if (!a) return kPlatAviErrOpen;
  plat_RiffOpenMemory(&a->file, data, size);
  return Finish(a, avi);
}

void plat_AviClose(PlatAvi* avi) {
  if (!avi) return;
  plat_RiffClose(&avi->file);
  delete avi;
}

const PlatAviInfo* plat_AviInfo(const PlatAvi* avi) { return avi ? &avi->info : nullptr; }

int32_t plat_AviReadFrame(PlatAvi* avi, uint32_t index, std::vector<uint8_t>* pixels, PlatImageFormat* format) {
  if (!avi || !pixels || !format || index >= avi->frames.size()) return kPlatAviErrRead;
  const auto& info = avi->info;
  const PlatAvi::Piece piece = avi->frames[index];
  *format = info.bitsPerPixel == 16 ? kPlatImage555 : kPlatImageBgr24;
  const uint32_t outPixel = info.bitsPerPixel == 16 ? 2 : 3;
  const size_t outRow = static_cast<size_t>(info.width) * outPixel;
  if (piece.size == 0) {
    if (avi->lastValid) {
      *pixels = avi->last;
    } else {
      pixels->assign(outRow * info.height, 0);  // nothing before it: black
    }
    return kPlatAviOk;
  }
  if (piece.size == UINT32_MAX) return kPlatAviErrRead;
  std::vector<uint8_t> raw(piece.size);
  if (plat_RiffSeek(&avi->file, piece.offset) != kPlatRiffOk ||
      plat_RiffRead(&avi->file, raw.data(), piece.size) != static_cast<int64_t>(piece.size)) {
    return kPlatAviErrRead;
  }
  pixels->resize(outRow * info.height);
  for (int32_t y = 0; y < info.height; ++y) {
    int32_t srcY = avi->bottomUp ? info.height - 1 - y : y;
    const uint8_t* src = raw.data() + static_cast<size_t>(srcY) * avi->srcRowBytes;
    uint8_t* dst = pixels->data() + static_cast<size_t>(y) * outRow;
    if (info.bitsPerPixel == 8) {
      for (int32_t x = 0; x < info.width; ++x) {
        const uint8_t* c = avi->palette[src[x]];
        dst[3 * x] = c[0];
        dst[3 * x + 1] = c[1];
        dst[3 * x + 2] = c[2];
      }
    } else {
      std::memcpy(dst, src, outRow);
    }
  }
  avi->last = *pixels;
  avi->lastValid = true;
  return kPlatAviOk;
}

int32_t plat_AviReadAudio(PlatAvi* avi, std::vector<uint8_t>* bytes) {
  if (!avi || !bytes) return kPlatAviErrRead;
  bytes->clear();
  for (const auto& piece : avi->audio) {
    size_t at = bytes->size();
    bytes->resize(at + piece.size);
    if (plat_RiffSeek(&avi->file, piece.offset) != kPlatRiffOk ||
        plat_RiffRead(&avi->file, bytes->data() + at, piece.size) != static_cast<int64_t>(piece.size)) {
      bytes->resize(at);
      return kPlatAviErrRead;
    }
  }
  return kPlatAviOk;
}
