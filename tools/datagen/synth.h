// Synthesised sounds of the data tree: loops that close on whole periods, noise bursts, chimes,
// beeps and arpeggio music. Every sound is the same for the same arguments. Samples are 16-bit
// mono at the rate given.
#pragma once
#include <cstdint>
#include <vector>

using Samples = std::vector<int16_t>;

// Band-passed noise whose end runs into its start (the last quarter is cross-faded over the first).
Samples SynthWaterLoop(uint32_t rate, uint32_t frames, uint32_t seed);
// A sawtooth with its second and third harmonics, `periods` whole periods of `periodFrames`.
Samples SynthMotorLoop(uint32_t periodFrames, uint32_t periods);
// Noise through a falling low-pass, with a fast attack and a decaying tail: splashes and impacts.
// brightness 0..1 (0 dull thud, 1 hiss).
Samples SynthSplash(uint32_t rate, uint32_t frames, float brightness, uint32_t seed);
// A decaying sine with a falling pitch, for knocks on floating things.
Samples SynthKnock(uint32_t rate, double hertz, uint32_t frames);
// Tones one after another, each `noteFrames` long with a bell-like decay (0 Hz is a rest).
Samples SynthChime(uint32_t rate, const std::vector<double>& hertz, uint32_t noteFrames);
// A square-ish beep with short fades at both ends.
Samples SynthBeep(uint32_t rate, double hertz, uint32_t frames);
// A crowd-like swell: noise bands rising and falling, with a few whistles.
Samples SynthCheer(uint32_t rate, uint32_t frames, uint32_t seed);
// A soft click or a swish of filtered noise sweeping up.
Samples SynthClick(uint32_t rate, uint32_t frames);
Samples SynthSwish(uint32_t rate, uint32_t frames, uint32_t seed);

struct MusicPlan {
  double rootHertz = 220.0;    // the key
  int32_t steps = 32;          // eighth notes in the loop
  uint32_t stepFrames = 5512;  // frames a step
  bool minor = false;
  int32_t pattern = 0;         // 0..3: how the arpeggio walks the chord
  uint32_t seed = 1;           // the drum and melody variation
};
// A loop of arpeggio, bass and light percussion over four chords. Every note dies within its own
// step, so played looped the music runs on without a click.
Samples SynthMusic(uint32_t rate, const MusicPlan& plan);

// The 8-bit form of a sound, for files that keep only the top byte, is made by the WAV writer;
// this brings a sound to a peak of `peak`.
void SynthNormalise(Samples& samples, int16_t peak);
