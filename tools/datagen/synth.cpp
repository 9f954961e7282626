#include "tools/datagen/synth.h"

#include <algorithm>
#include <cmath>

#include "tools/datagen/raster.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

int16_t Clip(double v) { return static_cast<int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0))); }

// One-pole low-pass state.
struct LowPass {
  double y = 0;
  double Step(double x, double k) { return y += (x - y) * k; }
};

double Noise(DataRandom& random) { return random.Unit() * 2.0 - 1.0; }

// Semitone offsets of the four chords' roots and of major and minor triads.
constexpr int32_t kMajorRoots[4] = {0, 9, 5, 7};   // I vi IV V
constexpr int32_t kMinorRoots[4] = {0, 8, 3, 10};  // i VI III VII
constexpr int32_t kPatterns[4][8] = {
    {0, 1, 2, 3, 2, 1, 0, 1}, {0, 2, 1, 3, 0, 2, 1, 2}, {3, 2, 1, 0, 1, 2, 3, 2}, {0, 1, 2, 1, 3, 1, 2, 1}};

double Semitones(double hertz, int32_t n) { return hertz * std::pow(2.0, n / 12.0); }

}  // namespace

Samples SynthWaterLoop(uint32_t rate, uint32_t frames, uint32_t seed) {
  const uint32_t fade = frames / 4;
  DataRandom random{seed};
  LowPass low, lower, swell;
  std::vector<double> raw(frames + fade);
  for (size_t i = 0; i < raw.size(); ++i) {
    const double n = Noise(random);
    const double band = low.Step(n, 0.25) - lower.Step(n, 0.03);
    // A slow surge, as of small waves breaking.
    const double surge = 0.6 + 0.4 * std::sin(2.0 * kPi * static_cast<double>(i) / (rate * 0.5));
    raw[i] = band * (0.7 + 0.3 * swell.Step(std::fabs(Noise(random)), 0.001) * 2.0) * surge;
  }
  Samples out(frames);
  for (uint32_t i = 0; i < frames; ++i) {
    double v = raw[i];
    // The head is blended with the tail that follows the loop's end, so the seam is continuous.
    if (i < fade) {
      const double t = static_cast<double>(i) / fade;
      v = raw[i] * t + raw[frames + i] * (1.0 - t);
    }
    out[i] = Clip(v * 30000.0);
  }
  SynthNormalise(out, 12000);
  return out;
}

Samples SynthMotorLoop(uint32_t periodFrames, uint32_t periods) {
  Samples out(static_cast<size_t>(periodFrames) * periods);
  for (size_t i = 0; i < out.size(); ++i) {
    const double phase = static_cast<double>(i % periodFrames) / periodFrames;
    const double saw = 2.0 * phase - 1.0;
    const double v = 0.5 * saw + 0.3 * std::sin(4.0 * kPi * phase) + 0.2 * std::sin(6.0 * kPi * phase + 0.5);
    out[i] = Clip(v * 14000.0);
  }
  return out;
}

Samples SynthSplash(uint32_t rate, uint32_t frames, float brightness, uint32_t seed) {
  DataRandom random{seed};
  LowPass filter, body;
  Samples out(frames);
  const uint32_t attack = rate / 200;
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / frames;
    const double envelope = (i < attack ? static_cast<double>(i) / attack : 1.0) * std::pow(1.0 - t, 2.5);
    const double k = (0.05 + 0.6 * brightness) * (1.0 - 0.8 * t) + 0.02;
    const double n = Noise(random);
    const double v = filter.Step(n, k) * 0.8 + body.Step(n, 0.02) * 1.5 * (1.0 - brightness);
    out[i] = Clip(v * envelope * 40000.0);
  }
  SynthNormalise(out, 24000);
  return out;
}

Samples SynthKnock(uint32_t rate, double hertz, uint32_t frames) {
  Samples out(frames);
  double phase = 0;
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / frames;
    phase += 2.0 * kPi * hertz * (1.0 - 0.4 * t) / rate;
    out[i] = Clip((std::sin(phase) + 0.3 * std::sin(2.7 * phase)) * std::exp(-6.0 * t) * 20000.0);
  }
  return out;
}

Samples SynthChime(uint32_t rate, const std::vector<double>& hertz, uint32_t noteFrames) {
  Samples out(hertz.size() * noteFrames);
  for (size_t n = 0; n < hertz.size(); ++n) {
    for (uint32_t i = 0; i < noteFrames && hertz[n] > 0; ++i) {
      const double t = static_cast<double>(i) / rate;
      const double decay = std::exp(-4.0 * static_cast<double>(i) / noteFrames) * (1.0 - static_cast<double>(i) / noteFrames);
      const double attack = std::min(1.0, i / (rate * 0.004));
      const double v = std::sin(2 * kPi * hertz[n] * t) + 0.4 * std::sin(2 * kPi * hertz[n] * 2.0 * t) +
                       0.2 * std::sin(2 * kPi * hertz[n] * 3.01 * t);
      out[n * noteFrames + i] = Clip(v * decay * attack * 14000.0);
    }
  }
  return out;
}

Samples SynthBeep(uint32_t rate, double hertz, uint32_t frames) {
  Samples out(frames);
  const uint32_t fade = std::min(frames / 4, rate / 100);
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double s = std::sin(2 * kPi * hertz * t);
    const double v = 0.6 * s + 0.25 * std::sin(6 * kPi * hertz * t) + 0.1 * std::sin(10 * kPi * hertz * t);
    double envelope = 1.0;
    if (i < fade) envelope = static_cast<double>(i) / fade;
    if (frames - i < fade) envelope = static_cast<double>(frames - i) / fade;
    out[i] = Clip(v * envelope * 18000.0);
  }
  return out;
}

Samples SynthCheer(uint32_t rate, uint32_t frames, uint32_t seed) {
  DataRandom random{seed};
  LowPass a, b, c;
  Samples out(frames);
  double whistle = 0;
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / frames;
    const double envelope = std::sin(kPi * std::min(1.0, t * 1.6)) * (t < 0.6 ? 1.0 : 1.0 - (t - 0.6) / 0.4);
    const double n = Noise(random);
    // Voices: noise shaped around a few vowel-like bands, wobbling.
    const double wobble = 0.5 + 0.5 * std::sin(2 * kPi * 7.0 * i / rate + std::sin(i * 0.0007));
    double v = (a.Step(n, 0.12) - b.Step(n, 0.03)) * (0.7 + 0.3 * wobble) + c.Step(n, 0.5) * 0.15;
    if (t > 0.25 && t < 0.55) {
      whistle += 2 * kPi * (1800.0 + 600.0 * std::sin(kPi * (t - 0.25) / 0.3)) / rate;
      v += 0.25 * std::sin(whistle) * std::sin(kPi * (t - 0.25) / 0.3);
    }
    out[i] = Clip(v * envelope * 30000.0);
  }
  SynthNormalise(out, 20000);
  return out;
}

Samples SynthClick(uint32_t rate, uint32_t frames) {
  Samples out(frames);
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double v = std::sin(2 * kPi * 1200.0 * t) * std::exp(-t * 60.0) + 0.5 * std::sin(2 * kPi * 2400.0 * t) * std::exp(-t * 90.0);
    out[i] = Clip(v * 20000.0);
  }
  return out;
}

Samples SynthSwish(uint32_t rate, uint32_t frames, uint32_t seed) {
  DataRandom random{seed};
  LowPass low, lower;
  Samples out(frames);
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / frames;
    const double n = Noise(random);
    const double k = 0.05 + 0.5 * t;
    const double v = low.Step(n, k) - lower.Step(n, k * 0.2);
    out[i] = Clip(v * std::sin(kPi * t) * 40000.0);
  }
  (void)rate;
  SynthNormalise(out, 16000);
  return out;
}

Samples SynthMusic(uint32_t rate, const MusicPlan& plan) {
  const size_t total = static_cast<size_t>(plan.steps) * plan.stepFrames;
  std::vector<double> mix(total, 0.0);
  DataRandom random{plan.seed};
  const int32_t* roots = plan.minor ? kMinorRoots : kMajorRoots;
  const int32_t third = plan.minor ? 3 : 4;
  const int32_t stepsPerChord = std::max(1, plan.steps / 4);
  // Adds one note that dies inside `frames`, starting at `start`.
  auto note = [&](size_t start, uint32_t frames, double hertz, double level, double harmonics, double decay) {
    for (uint32_t i = 0; i < frames && start + i < total; ++i) {
      const double t = static_cast<double>(i) / rate;
      const double x = static_cast<double>(i) / frames;
      const double envelope = std::min(1.0, i / (rate * 0.003)) * std::exp(-decay * x) * (1.0 - x);
      const double p = 2 * kPi * hertz * t;
      mix[start + i] += level * envelope * (std::sin(p) + harmonics * std::sin(2 * p) + harmonics * 0.5 * std::sin(3 * p));
    }
  };
  std::vector<int32_t> melody(plan.steps / 2);
  for (int32_t& m : melody) m = static_cast<int32_t>(random.Next() % 4);
  for (int32_t s = 0; s < plan.steps; ++s) {
    const int32_t chord = std::min(3, s / stepsPerChord);
    const double root = Semitones(plan.rootHertz, roots[chord]);
    const int32_t tone[4] = {0, third, 7, 12};
    const size_t start = static_cast<size_t>(s) * plan.stepFrames;
    note(start, plan.stepFrames, Semitones(root, tone[kPatterns[plan.pattern & 3][s % 8]]), 0.22, 0.35, 3.0);
    if (s % 4 == 0) note(start, plan.stepFrames * 4, root / 2.0, 0.30, 0.15, 1.5);
    if (s % 2 == 0) {
      const int32_t m = melody[static_cast<size_t>(s / 2)];
      if (m != 3) note(start, plan.stepFrames * 2, Semitones(root * 2.0, tone[m]), 0.12, 0.1, 2.0);
    }
    // Percussion: a soft kick on the beats, a tick between them.
    const uint32_t hit = std::min<uint32_t>(plan.stepFrames, rate / 12);
    for (uint32_t i = 0; i < hit; ++i) {
      const double x = static_cast<double>(i) / hit;
      if (s % 4 == 0) mix[start + i] += 0.35 * std::sin(2 * kPi * (60.0 - 30.0 * x) * i / rate) * (1.0 - x) * (1.0 - x);
      if (s % 2 == 1) mix[start + i] += 0.06 * Noise(random) * std::pow(1.0 - x, 6.0);
    }
  }
  Samples out(total);
  for (size_t i = 0; i < total; ++i) out[i] = Clip(mix[i] * 20000.0);
  SynthNormalise(out, 22000);
  return out;
}

void SynthNormalise(Samples& samples, int16_t peak) {
  int32_t top = 1;
  for (int16_t s : samples) top = std::max(top, std::abs(static_cast<int32_t>(s)));
  const double k = static_cast<double>(peak) / top;
  for (int16_t& s : samples) s = Clip(s * k);
}
