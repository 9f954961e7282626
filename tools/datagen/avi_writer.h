// Sample data: short uncompressed AVI clips (8-bit with a palette, 16-bit 555 or 24-bit frames, and
// PCM audio). The frames are drawn pictures given with their palette, or else each shows its own
// number on a background whose colour changes per frame (for checking readers and players).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct AviClipSpec {
  int32_t width = 128;
  int32_t height = 96;
  int32_t bits = 24;        // 8, 16 or 24
  uint32_t fps = 10;
  uint32_t frames = 20;
  bool audio = true;        // a tone, mono PCM
  uint32_t audioRate = 22050;
  uint16_t audioBits = 8;
  bool index = true;        // write "idx1"
  bool topDown = false;     // rows stored top first (negative height)
  uint32_t compression = 0; // BITMAPINFOHEADER compression (0 = uncompressed)
  // Drawn frames, when given (one per frame): indices into `palette` (256 colours 0x00RRGGBB),
  // width x height, top row first.
  std::vector<uint32_t> palette;
  std::vector<std::vector<uint8_t>> pictures;
};

std::vector<uint8_t> AviBuildClip(const AviClipSpec& spec);
bool AviWriteClip(const std::string& path, const AviClipSpec& spec);

// The colour (0x00RRGGBB) a reader gives for pixel (x, y) of a frame, as stored in the clip's depth
// (a 16-bit clip's colours widened from five bits per channel by repeating the top bits).
uint32_t AviClipPixel(const AviClipSpec& spec, uint32_t frame, int32_t x, int32_t y);
// The audio samples the clip carries, as 16-bit values (8-bit clips keep the top byte).
std::vector<int16_t> AviClipAudio(const AviClipSpec& spec);
