#include "tools/datagen/avi_writer.h"

#include <cstring>

#include "platform/plat_files.h"
#include "tools/datagen/riff_bytes.h"
#include "tools/datagen/wav_writer.h"

namespace {

// 3 x 5 digits, one row per entry, bit 2 the leftmost column.
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

// The palette of 8-bit clips: index 255 is white, the others a spread of colours.
uint32_t PaletteColour(uint32_t index) {
  if (index == 255) return 0xFFFFFF;
  return ((index * 37u) & 255u) << 16 | ((index * 91u + 64u) & 255u) << 8 | ((index * 53u + 128u) & 255u);
}

// Whether (x, y) lies on the frame counter's ink; the counter sits centred, scaled to the frame.
bool OnCounter(const AviClipSpec& spec, uint32_t frame, int32_t x, int32_t y) {
  char text[12];
  int n = 0;
  uint32_t v = frame;
  do {
    text[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v && n < 10);
  int32_t scale = spec.height / 24 > 0 ? spec.height / 24 : 1;
  int32_t glyphW = 4 * scale;  // 3 columns and a gap
  int32_t totalW = n * glyphW - scale;
  int32_t left = (spec.width - totalW) / 2;
  int32_t top = (spec.height - 5 * scale) / 2;
  if (y < top || y >= top + 5 * scale || x < left || x >= left + totalW) return false;
  int32_t gx = (x - left) / glyphW;
  int32_t cx = (x - left) % glyphW / scale;
  int32_t cy = (y - top) / scale;
  if (cx >= 3) return false;
  int digit = text[n - 1 - gx] - '0';
  return (kDigits[digit][cy] >> (2 - cx)) & 1;
}

bool Drawn(const AviClipSpec& spec) { return spec.palette.size() == 256 && spec.pictures.size() >= spec.frames; }

uint8_t DrawnIndex(const AviClipSpec& spec, uint32_t frame, int32_t x, int32_t y) {
  return spec.pictures[frame][static_cast<size_t>(y) * static_cast<size_t>(spec.width) + static_cast<size_t>(x)];
}

uint32_t IdealColour(const AviClipSpec& spec, uint32_t frame, int32_t x, int32_t y) {
  if (Drawn(spec)) return spec.palette[DrawnIndex(spec, frame, x, y)];
  if (spec.bits == 8) return PaletteColour(OnCounter(spec, frame, x, y) ? 255 : frame % 255);
  if (OnCounter(spec, frame, x, y)) return 0xFFFFFF;
  uint32_t r = (frame * 40u + 30u) & 255u;
  uint32_t g = static_cast<uint32_t>(x * 255 / (spec.width > 1 ? spec.width - 1 : 1));
  uint32_t b = static_cast<uint32_t>(y * 255 / (spec.height > 1 ? spec.height - 1 : 1));
  return r << 16 | g << 8 | b;
}

uint16_t To555(uint32_t c) { return static_cast<uint16_t>(((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31)); }

uint32_t Widen555(uint16_t v) {
  uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
  return (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
}

void Patch32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Starts a chunk (or a list with its form type); returns where its size goes.
size_t Begin(std::vector<uint8_t>& out, const char* id, const char* form = nullptr) {
  RiffPutId(out, id);
  size_t at = out.size();
  RiffPut32(out, 0);
  if (form) RiffPutId(out, form);
  return at;
}
void End(std::vector<uint8_t>& out, size_t sizeAt) {
  uint32_t size = static_cast<uint32_t>(out.size() - sizeAt - 4);
  Patch32(out, sizeAt, size);
  if (size & 1) out.push_back(0);
}

std::vector<uint8_t> FrameBytes(const AviClipSpec& spec, uint32_t frame) {
  const uint32_t bpp = static_cast<uint32_t>(spec.bits) / 8u;
  const uint32_t row = (static_cast<uint32_t>(spec.width) * bpp + 3u) & ~3u;
  std::vector<uint8_t> out(static_cast<size_t>(row) * spec.height, 0);
  for (int32_t y = 0; y < spec.height; ++y) {
    int32_t storedRow = spec.topDown ? y : spec.height - 1 - y;
    uint8_t* p = out.data() + static_cast<size_t>(storedRow) * row;
    for (int32_t x = 0; x < spec.width; ++x) {
      uint32_t c = IdealColour(spec, frame, x, y);
      if (spec.bits == 8) {
        p[x] = Drawn(spec) ? DrawnIndex(spec, frame, x, y)
                           : static_cast<uint8_t>(OnCounter(spec, frame, x, y) ? 255 : frame % 255);
      } else if (spec.bits == 16) {
        uint16_t v = To555(c);
        p[2 * x] = static_cast<uint8_t>(v);
        p[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      } else {
        p[3 * x] = static_cast<uint8_t>(c);
        p[3 * x + 1] = static_cast<uint8_t>(c >> 8);
        p[3 * x + 2] = static_cast<uint8_t>(c >> 16);
      }
    }
  }
  return out;
}

}  // namespace

uint32_t AviClipPixel(const AviClipSpec& spec, uint32_t frame, int32_t x, int32_t y) {
  uint32_t c = IdealColour(spec, frame, x, y);
  return spec.bits == 16 ? Widen555(To555(c)) : c;
}

std::vector<int16_t> AviClipAudio(const AviClipSpec& spec) {
  if (!spec.audio || spec.fps == 0) return {};
  uint32_t perFrame = spec.audioRate / spec.fps;
  std::vector<int16_t> s = WavLoopTone(spec.audioRate, 440.0, perFrame * spec.frames, 12000);
  if (spec.audioBits == 8) {
    for (auto& v : s) v = static_cast<int16_t>((v >> 8) * 256);
  }
  return s;
}

std::vector<uint8_t> AviBuildClip(const AviClipSpec& spec) {
  const uint32_t bpp = static_cast<uint32_t>(spec.bits) / 8u;
  const uint32_t row = (static_cast<uint32_t>(spec.width) * bpp + 3u) & ~3u;
  const uint32_t frameSize = row * static_cast<uint32_t>(spec.height);
  const uint32_t audioPerFrame = spec.audio ? spec.audioRate / spec.fps : 0;
  const uint32_t audioBlock = spec.audioBits / 8u;
  const uint32_t streams = spec.audio ? 2 : 1;
  std::vector<int16_t> audio = AviClipAudio(spec);

  std::vector<uint8_t> out;
  size_t riff = Begin(out, "RIFF", "AVI ");
  size_t hdrl = Begin(out, "LIST", "hdrl");
  size_t avih = Begin(out, "avih");
  RiffPut32(out, 1000000u / spec.fps);
  RiffPut32(out, (frameSize + audioPerFrame * audioBlock) * spec.fps);
  RiffPut32(out, 0);
  RiffPut32(out, spec.index ? 0x10 : 0);
  RiffPut32(out, spec.frames);
  RiffPut32(out, 0);
  RiffPut32(out, streams);
  RiffPut32(out, frameSize);
  RiffPut32(out, static_cast<uint32_t>(spec.width));
  RiffPut32(out, static_cast<uint32_t>(spec.height));
  for (int i = 0; i < 4; ++i) RiffPut32(out, 0);
  End(out, avih);

  size_t strl = Begin(out, "LIST", "strl");
  size_t strh = Begin(out, "strh");
  RiffPutId(out, "vids");
  RiffPutId(out, "DIB ");
  RiffPut32(out, 0);
  RiffPut16(out, 0);
  RiffPut16(out, 0);
  RiffPut32(out, 0);
  RiffPut32(out, 1);
  RiffPut32(out, spec.fps);
  RiffPut32(out, 0);
  RiffPut32(out, spec.frames);
  RiffPut32(out, frameSize);
  RiffPut32(out, 0xFFFFFFFFu);
  RiffPut32(out, 0);
  RiffPut16(out, 0);
  RiffPut16(out, 0);
  RiffPut16(out, static_cast<uint32_t>(spec.width));
  RiffPut16(out, static_cast<uint32_t>(spec.height));
  End(out, strh);
  size_t strf = Begin(out, "strf");
  RiffPut32(out, 40);
  RiffPut32(out, static_cast<uint32_t>(spec.width));
  RiffPut32(out, static_cast<uint32_t>(spec.topDown ? -spec.height : spec.height));
  RiffPut16(out, 1);
  RiffPut16(out, static_cast<uint32_t>(spec.bits));
  RiffPut32(out, spec.compression);
  RiffPut32(out, frameSize);
  RiffPut32(out, 0);
  RiffPut32(out, 0);
  RiffPut32(out, spec.bits == 8 ? 256 : 0);
  RiffPut32(out, 0);
  if (spec.bits == 8) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = Drawn(spec) ? spec.palette[i] : PaletteColour(i);
      out.push_back(static_cast<uint8_t>(c));
      out.push_back(static_cast<uint8_t>(c >> 8));
      out.push_back(static_cast<uint8_t>(c >> 16));
      out.push_back(0);
    }
  }
  End(out, strf);
  End(out, strl);

  if (spec.audio) {
    strl = Begin(out, "LIST", "strl");
    strh = Begin(out, "strh");
    RiffPutId(out, "auds");
    RiffPut32(out, 0);
    RiffPut32(out, 0);
    RiffPut16(out, 0);
    RiffPut16(out, 0);
    RiffPut32(out, 0);
    RiffPut32(out, audioBlock);
    RiffPut32(out, spec.audioRate * audioBlock);
    RiffPut32(out, 0);
    RiffPut32(out, static_cast<uint32_t>(audio.size()));
    RiffPut32(out, audioPerFrame * audioBlock);
    RiffPut32(out, 0xFFFFFFFFu);
    RiffPut32(out, audioBlock);
    for (int i = 0; i < 4; ++i) RiffPut16(out, 0);
    End(out, strh);
    strf = Begin(out, "strf");
    RiffPut16(out, 1);
    RiffPut16(out, 1);
    RiffPut32(out, spec.audioRate);
    RiffPut32(out, spec.audioRate * audioBlock);
    RiffPut16(out, audioBlock);
    RiffPut16(out, spec.audioBits);
    End(out, strf);
    End(out, strl);
  }
  End(out, hdrl);

  struct IndexEntry {
    char id[4];
    uint32_t offset;
    uint32_t size;
  };
  std::vector<IndexEntry> index;
  size_t movi = Begin(out, "LIST", "movi");
  const size_t moviType = movi + 4;
  for (uint32_t f = 0; f < spec.frames; ++f) {
    std::vector<uint8_t> pixels = FrameBytes(spec, f);
    index.push_back({{'0', '0', 'd', 'b'}, static_cast<uint32_t>(out.size() - moviType), frameSize});
    size_t c = Begin(out, "00db");
    out.insert(out.end(), pixels.begin(), pixels.end());
    End(out, c);
    if (spec.audio) {
      index.push_back({{'0', '1', 'w', 'b'}, static_cast<uint32_t>(out.size() - moviType), audioPerFrame * audioBlock});
      c = Begin(out, "01wb");
      for (uint32_t i = 0; i < audioPerFrame; ++i) {
        int16_t s = audio[static_cast<size_t>(f) * audioPerFrame + i];
        if (spec.audioBits == 8) {
          out.push_back(static_cast<uint8_t>((s >> 8) + 128));
        } else {
          RiffPut16(out, static_cast<uint16_t>(s));
        }
      }
      End(out, c);
    }
  }
  End(out, movi);
  if (spec.index) {
    size_t idx = Begin(out, "idx1");
    for (const auto& e : index) {
      out.insert(out.end(), e.id, e.id + 4);
      RiffPut32(out, 0x10);
      RiffPut32(out, e.offset);
      RiffPut32(out, e.size);
    }
    End(out, idx);
  }
  End(out, riff);
  return out;
}

bool AviWriteClip(const std::string& path, const AviClipSpec& spec) {
  std::vector<uint8_t> bytes = AviBuildClip(spec);
  return plat_FileSaveWhole(path.c_str(), bytes.data(), bytes.size());
}
