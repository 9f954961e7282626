#include "tools/datagen/media_tree.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/datagen/avi_writer.h"
#include "tools/datagen/intro_clips.h"
#include "tools/datagen/synth.h"
#include "tools/datagen/wav_writer.h"

namespace {

constexpr uint32_t kRate = 22050;

bool MakeFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) std::fprintf(stderr, "datagen: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
  return !error;
}

bool Wav(const std::filesystem::path& path, const Samples& samples, uint16_t bits = 16, uint32_t rate = kRate) {
  WavSpec spec;
  spec.bits = bits;
  spec.rate = rate;
  if (WavWriteFile(path.string(), spec, samples)) return true;
  std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
  return false;
}

// Major-scale frequencies above a root, by scale degree.
double Degree(double root, int32_t degree) {
  static constexpr int32_t kScale[8] = {0, 2, 4, 5, 7, 9, 11, 12};
  const int32_t octave = degree / 7;
  return root * std::pow(2.0, (kScale[degree % 7] + 12 * octave) / 12.0);
}

Samples Concat(std::initializer_list<Samples> parts) {
  Samples out;
  for (const Samples& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

bool WriteEffects(const std::filesystem::path& s) {
  bool ok = true;
  // Loops: the water bed closes on itself, the motor on whole periods (200 frames, 110.25 Hz).
  ok &= Wav(s / "water.wav", SynthWaterLoop(kRate, kRate * 2, 11), 8);
  ok &= Wav(s / "motor.wav", SynthMotorLoop(200, 110), 8);
  ok &= Wav(s / "bumpsplash.wav", SynthSplash(kRate, kRate * 3 / 10, 0.5f, 21));
  ok &= Wav(s / "claim.wav", SynthChime(kRate, {784.0, 1175.0}, kRate / 8));
  ok &= Wav(s / "buoybump.wav", SynthKnock(kRate, 200.0, kRate / 4));
  ok &= Wav(s / "coin_hit.WAV", SynthChime(kRate, {1319.0, 1760.0}, kRate / 10));
  ok &= Wav(s / "derby_hit.WAV", SynthChime(kRate, {523.0, 659.0, 784.0}, kRate / 12));
  ok &= Wav(s / "first_place.WAV",
            SynthChime(kRate, {Degree(523.0, 0), Degree(523.0, 2), Degree(523.0, 4), Degree(523.0, 7), 0,
                               Degree(523.0, 7)}, kRate / 7));
  ok &= Wav(s / "nice_try.WAV",
            SynthChime(kRate, {Degree(392.0, 4), Degree(392.0, 2), Degree(392.0, 1), Degree(392.0, 0)}, kRate / 6));
  ok &= Wav(s / "start_countdwn.WAV", SynthBeep(kRate, 880.0, kRate * 15 / 100));
  ok &= Wav(s / "start_countgo.WAV", SynthBeep(kRate, 1760.0, kRate / 2));
  ok &= Wav(s / "start_cheer.WAV", SynthCheer(kRate, kRate * 2, 31), 8);
  ok &= Wav(s / "rider_splash.WAV", SynthSplash(kRate, kRate / 2, 0.3f, 41));
  ok &= Wav(s / "menu_change.WAV", SynthClick(kRate, kRate / 12));
  ok &= Wav(s / "page_flip.WAV", SynthSwish(kRate, kRate / 4, 51));
  ok &= Wav(s / "ground_hit.WAV", SynthSplash(kRate, kRate / 4, 0.0f, 61));
  ok &= Wav(s / "jump_splash.WAV", SynthSplash(kRate, kRate * 4 / 10, 0.8f, 71));
  ok &= Wav(s / "ramp_jump.WAV", Concat({SynthKnock(kRate, 140.0, kRate / 10), SynthSwish(kRate, kRate / 4, 81)}));
  // The intro: a swelling chord for the developer's logo, a short fanfare for the title.
  ok &= Wav(s / "QL_Snd.wav", SynthChime(kRate, {262.0, 330.0, 392.0, 523.0}, kRate / 3));
  MusicPlan title;
  title.rootHertz = 196.0;
  title.steps = 16;
  title.pattern = 3;
  title.seed = 5;
  ok &= Wav(s / "Hydrel_Intro.wav", Concat({SynthMusic(kRate, title), SynthChime(kRate, {392.0, 784.0}, kRate / 2)}), 8);
  return ok;
}

// Four menu loops in four keys, and ten race tracks, one per level, all 8-second loops (the race
// tracks at half the rate, which keeps the tree small).
bool WriteMusic(const std::filesystem::path& sounds, const std::filesystem::path& tracks) {
  bool ok = true;
  const double menuKeys[4] = {220.0, 246.9, 196.0, 261.6};
  for (int32_t m = 0; m < 4; ++m) {
    MusicPlan plan;
    plan.rootHertz = menuKeys[m];
    plan.pattern = m;
    plan.minor = m == 2;
    plan.seed = static_cast<uint32_t>(100 + m);
    ok &= Wav(sounds / ("Music_" + std::to_string(m + 1) + ".wav"), SynthMusic(kRate, plan), 8);
  }
  for (int32_t t = 1; t <= 10; ++t) {
    MusicPlan plan;
    plan.rootHertz = 174.6 * std::pow(2.0, ((t * 5) % 12) / 12.0);
    plan.pattern = t % 4;
    plan.minor = t % 3 == 0;
    plan.stepFrames = 2205 + static_cast<uint32_t>(t % 3) * 275;  // three tempos
    plan.seed = static_cast<uint32_t>(200 + t);
    char name[32];
    std::snprintf(name, sizeof(name), "track%02d.wav", t);
    ok &= Wav(tracks / name, SynthMusic(kRate / 2, plan), 8, kRate / 2);
  }
  return ok;
}

bool Clip(const std::filesystem::path& path, const IntroClipLook& look) {
  if (AviWriteClip(path.string(), IntroClip(look, 20))) return true;
  std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

bool DatagenWriteMedia(const std::string& root) {
  const std::filesystem::path top(root);
  const auto sounds = top / "data" / "sounds";
  const auto tracks = top / "data" / "cdaudio";
  const auto ostrel = top / "data" / "intro" / "ostrel";
  const auto tarnwick = top / "data" / "intro" / "tarnwick";
  if (!MakeFolder(sounds) || !MakeFolder(tracks) || !MakeFolder(ostrel) || !MakeFolder(tarnwick)) return false;
  bool ok = WriteEffects(sounds);
  ok &= WriteMusic(sounds, tracks);
  // The publisher's clip by day, the co-developer's at sunset, their craft crossing each other's way.
  ok &= Clip(ostrel / "ost8Xhi.avi", {.title = "OSTREL", .subtitle = "PRESENTS", .skyTop = 0x2A5DB0,
                                      .skyHorizon = 0xBFE0F5, .seaHorizon = 0x5A9CC4, .seaDeep = 0x0B3A6A,
                                      .sun = 0xFFF6D0, .titleColour = 0xFFB020, .livery = 0xD02020, .sunX = 0.86f,
                                      .craftHeadsLeft = false, .seed = 41});
  ok &= Clip(tarnwick / "Tarnwick.avi", {.title = "TARNWICK", .subtitle = "IN ASSOCIATION WITH", .skyTop = 0x2B2458,
                                         .skyHorizon = 0xF4A05A, .seaHorizon = 0xB07450, .seaDeep = 0x1A2448,
                                         .sun = 0xFFE0A0, .titleColour = 0xA0D8FF, .livery = 0xF0C020, .sunX = 0.16f,
                                         .craftHeadsLeft = true, .seed = 42});
  return ok;
}
