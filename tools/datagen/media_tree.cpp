#include "tools/datagen/media_tree.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/datagen/avi_writer.h"
#include "tools/datagen/wav_writer.h"

namespace {

bool MakeFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) std::fprintf(stderr, "datagen: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
  return !error;
}

bool Wav(const std::filesystem::path& path, const std::vector<int16_t>& samples, uint16_t bits = 16) {
  WavSpec spec;
  spec.bits = bits;
  if (WavWriteFile(path.string(), spec, samples)) return true;
  std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

bool DatagenWriteMedia(const std::string& root) {
  const std::filesystem::path top(root);
  const auto sounds = top / "data" / "sounds";
  const auto tracks = top / "data" / "cdaudio";
  const auto intro = top / "data" / "intro" / "ostrel";
  if (!MakeFolder(sounds) || !MakeFolder(tracks) || !MakeFolder(intro)) return false;
  const uint32_t rate = 22050;
  bool ok = true;
  // Loops hold whole periods so they close on themselves.
  ok &= Wav(sounds / "water.wav", WavLoopTone(rate, 180.0, rate / 2, 6000), 8);
  ok &= Wav(sounds / "motor.wav", WavLoopTone(rate, 110.0, rate / 4, 9000), 8);
  ok &= Wav(sounds / "bumpsplash.wav", WavNoiseBurst(rate / 4, 14000, 7), 8);
  ok &= Wav(sounds / "coin_hit.WAV", WavToneBurst(rate, 1320.0, rate / 5, 12000), 8);
  ok &= Wav(sounds / "start_countdwn.WAV", WavToneBurst(rate, 880.0, rate / 5, 12000), 8);
  // Ten one-second music tracks, each its own pitch, so a level's track is recognisable.
  for (int t = 1; t <= 10; ++t) {
    char name[32];
    std::snprintf(name, sizeof(name), "track%02d.wav", t);
    ok &= Wav(tracks / name, WavLoopTone(rate, 220.0 + 55.0 * (t - 1), rate, 8000));
  }
  AviClipSpec clip;
  clip.bits = 8;
  clip.frames = 20;
  clip.fps = 10;
  if (!AviWriteClip((intro / "ost8Xhi.avi").string(), clip)) {
    std::fprintf(stderr, "datagen: cannot write %s\n", (intro / "ost8Xhi.avi").c_str());
    ok = false;
  }
  return ok;
}
