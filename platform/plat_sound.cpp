#include "platform/plat_sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/plat_bytes.h"
#include "platform/plat_internal.h"
#include "platform/plat_sound_device.h"

struct PlatSoundBuffer {
  PlatWaveFormat format;
  std::vector<uint8_t> bytes;   // what Lock hands out, in the buffer's own format
  std::vector<float> samples;   // frames x channels, -1..1, built by Unlock
  uint32_t frames = 0;
  uint64_t position = 0;        // 32.32 fixed point, in frames
  bool playing = false;
  bool looping = false;
  int32_t volume = 0;
  int32_t pan = 0;
  int32_t frequency = 0;
  float gainLeft = 1.0f;
  float gainRight = 1.0f;
};

struct PlatSoundStream {
  int32_t rate = 0;
  int32_t channels = 1;
  PlatSoundPull pull = nullptr;
  void* context = nullptr;
  float gain = 1.0f;
  std::vector<int16_t> block;   // frames pulled and not yet used
  int32_t blockFrames = 0;
  int32_t blockIndex = 0;
  float current[2] = {0, 0};
  float next[2] = {0, 0};
  double fraction = 0.0;
  bool started = false;
  bool pullEnded = false;
  int32_t framesLeft = 2;       // frames still to be heard once the pull has ended
};

namespace {

constexpr int32_t kStreamBlockFrames = 1024;

struct Mixer {
  int32_t openCount = 0;
  int32_t rate = 44100;
  int32_t masterVolume = 0;
  float masterGain = 1.0f;
  std::vector<PlatSoundBuffer*> buffers;
  std::vector<PlatSoundStream*> streams;
};
Mixer gMixer;

float GainOf(int32_t attenuation) {
  if (attenuation <= -10000) return 0.0f;
  if (attenuation >= 0) return 1.0f;
  return static_cast<float>(std::pow(10.0, attenuation / 2000.0));
}

void UpdateGains(PlatSoundBuffer* buffer) {
  float gain = GainOf(buffer->volume);
  buffer->gainLeft = gain * GainOf(std::min(0, -buffer->pan));
  buffer->gainRight = gain * GainOf(std::min(0, buffer->pan));
}

// The mixing itself, called with the device locked.

void MixBuffer(PlatSoundBuffer* b, float* out, int32_t frames, int32_t rate, float master) {
  if (!b->playing || b->frames == 0) return;
  const uint64_t end = static_cast<uint64_t>(b->frames) << 32;
  const uint64_t step = (static_cast<uint64_t>(b->frequency) << 32) / static_cast<uint64_t>(rate);
  const int32_t channels = b->format.channels;
  const float* s = b->samples.data();
  const float gl = b->gainLeft * master;
  const float gr = b->gainRight * master;
  for (int32_t i = 0; i < frames; ++i) {
    uint32_t index = static_cast<uint32_t>(b->position >> 32);
    float t = static_cast<float>(static_cast<uint32_t>(b->position) * (1.0 / 4294967296.0));
    uint32_t after = index + 1;
    if (after >= b->frames) after = b->looping ? 0 : index;
    float l = s[index * channels];
    float r = s[index * channels + channels - 1];
    float l2 = s[after * channels];
    float r2 = s[after * channels + channels - 1];
    l += (l2 - l) * t;
    r += (r2 - r) * t;
    out[2 * i] += l * gl;
    out[2 * i + 1] += r * gr;
    b->position += step;
    if (b->position >= end) {
      if (b->looping) {
        b->position %= end;
      } else {
        b->playing = false;
        b->position = 0;
        return;
      }
    }
  }
}

bool StreamFetch(PlatSoundStream* s, float* frame) {
  if (s->blockIndex >= s->blockFrames && !s->pullEnded) {
    int32_t got = s->pull ? s->pull(s->context, s->block.data(), kStreamBlockFrames) : 0;
    s->blockFrames = std::clamp(got, 0, kStreamBlockFrames);
    s->blockIndex = 0;
    if (s->blockFrames == 0) s->pullEnded = true;
  }
  if (s->blockIndex >= s->blockFrames) {
    frame[0] = frame[1] = 0.0f;
    return false;
  }
  const int16_t* p = s->block.data() + static_cast<size_t>(s->blockIndex) * s->channels;
  frame[0] = p[0] / 32768.0f;
  frame[1] = p[s->channels - 1] / 32768.0f;
  ++s->blockIndex;
  return true;
}

void MixStream(PlatSoundStream* s, float* out, int32_t frames, int32_t rate) {
  if (s->framesLeft <= 0) return;
  if (!s->started) {
    s->started = true;
    StreamFetch(s, s->current);
    StreamFetch(s, s->next);
  }
  const double step = static_cast<double>(s->rate) / rate;
  for (int32_t i = 0; i < frames && s->framesLeft > 0; ++i) {
    float t = static_cast<float>(s->fraction);
    out[2 * i] += (s->current[0] + (s->next[0] - s->current[0]) * t) * s->gain;
    out[2 * i + 1] += (s->current[1] + (s->next[1] - s->current[1]) * t) * s->gain;
    s->fraction += step;
    while (s->fraction >= 1.0 && s->framesLeft > 0) {
      s->fraction -= 1.0;
      s->current[0] = s->next[0];
      s->current[1] = s->next[1];
      if (!StreamFetch(s, s->next)) --s->framesLeft;
    }
  }
}

// The device the mixer plays on; switched only while it is closed.
const PlatSoundDevice* gDevice = &kPlatSoundDeviceSdl;

struct Locked {
  Locked() { gDevice->lock(); }
  ~Locked() { gDevice->unlock(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

// Converts the locked bytes into the mixer's samples.
void Convert(PlatSoundBuffer* b) {
  const int32_t channels = b->format.channels;
  const uint32_t frames = b->frames;
  b->samples.assign(static_cast<size_t>(frames) * channels, 0.0f);
  const uint8_t* p = b->bytes.data();
  for (uint32_t f = 0; f < frames; ++f) {
    const uint8_t* frame = p + static_cast<size_t>(f) * b->format.blockAlign;
    for (int32_t c = 0; c < channels; ++c) {
      float v;
      if (b->format.bitsPerSample == 8) {
        v = (static_cast<int32_t>(frame[c]) - 128) / 128.0f;
      } else {
        int16_t s = static_cast<int16_t>(plat_Le16(frame + 2 * c));
        v = s / 32768.0f;
      }
      b->samples[static_cast<size_t>(f) * channels + c] = v;
    }
  }
}

bool Playable(const PlatWaveFormat* f) {
  bool pcm = f->formatTag == 1 || (f->formatTag == 0xFFFE && f->subFormatTag == 1);
  if (!pcm || (f->channels != 1 && f->channels != 2)) return false;
  if (f->bitsPerSample != 8 && f->bitsPerSample != 16) return false;
  if (f->blockAlign != f->channels * f->bitsPerSample / 8) return false;
  return f->samplesPerSec >= static_cast<uint32_t>(kPlatSoundMinFrequency) &&
         f->samplesPerSec <= static_cast<uint32_t>(kPlatSoundMaxFrequency);
}

}  // namespace

void plat_SoundMix(int16_t* out, int32_t frames) {
  // Only one thread mixes at a time (the audio callback, or the test that renders).
  static std::vector<float> mix;
  mix.assign(static_cast<size_t>(frames) * 2, 0.0f);
  for (PlatSoundBuffer* b : gMixer.buffers) MixBuffer(b, mix.data(), frames, gMixer.rate, gMixer.masterGain);
  for (PlatSoundStream* s : gMixer.streams) MixStream(s, mix.data(), frames, gMixer.rate);
  for (size_t i = 0; i < mix.size(); ++i) {
    float v = std::nearbyint(mix[i] * 32768.0f);
    out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
  }
}

void plat_SoundSelectBackend(PlatBackend backend) {
  if (gMixer.openCount > 0) {
    // Switching under a running device: stop it first.
    gDevice->close();
    gMixer.openCount = 0;
  }
  gDevice = backend == kPlatBackendTest ? &kPlatSoundDeviceTest : &kPlatSoundDeviceSdl;
}

bool plat_SoundOpen() {
  if (gMixer.openCount > 0) {
    ++gMixer.openCount;
    return true;
  }
  int32_t rate = 0;
  if (!gDevice->open(&rate) || rate <= 0) return false;
  gMixer.rate = rate;
  gMixer.openCount = 1;
  return true;
}

void plat_SoundClose() {
  if (gMixer.openCount <= 0) return;
  if (--gMixer.openCount == 0) gDevice->close();
}

bool plat_SoundIsOpen() { return gMixer.openCount > 0; }
int32_t plat_SoundOutputRate() { return gMixer.rate; }

int32_t plat_SoundGetMasterVolume(int32_t* attenuation) {
  if (!attenuation) return kPlatSoundErrInvalidParam;
  *attenuation = gMixer.masterVolume;
  return kPlatSoundOk;
}

int32_t plat_SoundSetMasterVolume(int32_t attenuation) {
  if (attenuation < -10000 || attenuation > 0) return kPlatSoundErrInvalidParam;
  Locked lock;
  gMixer.masterVolume = attenuation;
  gMixer.masterGain = GainOf(attenuation);
  return kPlatSoundOk;
}

int32_t plat_SoundBufferCreate(const PlatWaveFormat* format, uint32_t bytes, PlatSoundBuffer** buffer) {
  if (!buffer) return kPlatSoundErrInvalidParam;
  *buffer = nullptr;
  if (!format || bytes == 0) return kPlatSoundErrInvalidParam;
  if (!plat_SoundIsOpen()) return kPlatSoundErrNoDevice;
  if (!Playable(format)) return kPlatSoundErrBadFormat;
  auto* b = new (std::nothrow) PlatSoundBuffer();
  if (!b) return kPlatSoundErrNoMemory;
  try {
    b->bytes.assign(bytes, format->bitsPerSample == 8 ? 0x80 : 0);
  } catch (const std::bad_alloc&) {
    delete b;
    return kPlatSoundErrNoMemory;
  }
  b->format = *format;
  b->frequency = static_cast<int32_t>(format->samplesPerSec);
  {
    Locked lock;
    gMixer.buffers.push_back(b);
  }
  *buffer = b;
  return kPlatSoundOk;
}

void plat_SoundBufferRelease(PlatSoundBuffer* buffer) {
  if (!buffer) return;
  {
    Locked lock;
    auto& v = gMixer.buffers;
    v.erase(std::remove(v.begin(), v.end(), buffer), v.end());
  }
  delete buffer;
}

int32_t plat_SoundBufferLock(PlatSoundBuffer* buffer, void** data, uint32_t* bytes) {
  if (!buffer || !data || !bytes) return kPlatSoundErrInvalidParam;
  *data = buffer->bytes.data();
  *bytes = static_cast<uint32_t>(buffer->bytes.size());
  return kPlatSoundOk;
}

int32_t plat_SoundBufferUnlock(PlatSoundBuffer* buffer) {
  if (!buffer) return kPlatSoundErrInvalidParam;
  Locked lock;
  buffer->frames = static_cast<uint32_t>(buffer->bytes.size() / buffer->format.blockAlign);
  try {
    Convert(buffer);
  } catch (const std::bad_alloc&) {
    buffer->frames = 0;
    buffer->samples.clear();
    return kPlatSoundErrNoMemory;
  }
  if ((buffer->position >> 32) >= buffer->frames) buffer->position = 0;
  return kPlatSoundOk;
}

int32_t plat_SoundBufferPlay(PlatSoundBuffer* buffer, bool loop) {
  if (!buffer) return kPlatSoundErrInvalidParam;
  Locked lock;
  buffer->looping = loop;
  buffer->playing = buffer->frames > 0;
  return kPlatSoundOk;
}

int32_t plat_SoundBufferStop(PlatSoundBuffer* buffer) {
  if (!buffer) return kPlatSoundErrInvalidParam;
  Locked lock;
  buffer->playing = false;
  return kPlatSoundOk;
}

int32_t plat_SoundBufferSetPosition(PlatSoundBuffer* buffer, uint32_t byteOffset) {
  if (!buffer) return kPlatSoundErrInvalidParam;
  uint32_t frame = byteOffset / buffer->format.blockAlign;
  if (frame >= buffer->frames && frame != 0) return kPlatSoundErrInvalidParam;
  Locked lock;
  buffer->position = static_cast<uint64_t>(frame) << 32;
  return kPlatSoundOk;
}

int32_t plat_SoundBufferGetPosition(PlatSoundBuffer* buffer, uint32_t* byteOffset) {
  if (!buffer || !byteOffset) return kPlatSoundErrInvalidParam;
  Locked lock;
  *byteOffset = static_cast<uint32_t>(buffer->position >> 32) * buffer->format.blockAlign;
  return kPlatSoundOk;
}

int32_t plat_SoundBufferGetStatus(PlatSoundBuffer* buffer, uint32_t* status) {
  if (!buffer || !status) return kPlatSoundErrInvalidParam;
  Locked lock;
  *status = 0;
  if (buffer->playing) *status = kPlatSoundStatusPlaying | (buffer->looping ? kPlatSoundStatusLooping : 0u);
  return kPlatSoundOk;
}

int32_t plat_SoundBufferSetVolume(PlatSoundBuffer* buffer, int32_t attenuation) {
  if (!buffer || attenuation < -10000 || attenuation > 0) return kPlatSoundErrInvalidParam;
  Locked lock;
  buffer->volume = attenuation;
  UpdateGains(buffer);
  return kPlatSoundOk;
}

int32_t plat_SoundBufferGetVolume(PlatSoundBuffer* buffer, int32_t* attenuation) {
  if (!buffer || !attenuation) return kPlatSoundErrInvalidParam;
  *attenuation = buffer->volume;
  return kPlatSoundOk;
}

int32_t plat_SoundBufferSetPan(PlatSoundBuffer* buffer, int32_t pan) {
  if (!buffer || pan < -10000 || pan > 10000) return kPlatSoundErrInvalidParam;
  Locked lock;
  buffer->pan = pan;
  UpdateGains(buffer);
  return kPlatSoundOk;
}

int32_t plat_SoundBufferGetPan(PlatSoundBuffer* buffer, int32_t* pan) {
  if (!buffer || !pan) return kPlatSoundErrInvalidParam;
  *pan = buffer->pan;
  return kPlatSoundOk;
}

int32_t plat_SoundBufferSetFrequency(PlatSoundBuffer* buffer, int32_t hertz) {
  if (!buffer || hertz < kPlatSoundMinFrequency || hertz > kPlatSoundMaxFrequency) return kPlatSoundErrInvalidParam;
  Locked lock;
  buffer->frequency = hertz;
  return kPlatSoundOk;
}

int32_t plat_SoundBufferGetFrequency(PlatSoundBuffer* buffer, int32_t* hertz) {
  if (!buffer || !hertz) return kPlatSoundErrInvalidParam;
  *hertz = buffer->frequency;
  return kPlatSoundOk;
}

int32_t plat_SoundStreamCreate(int32_t rate, int32_t channels, PlatSoundPull pull, void* context,
                               PlatSoundStream** stream) {
  if (!stream) return kPlatSoundErrInvalidParam;
  *stream = nullptr;
  if (!pull || (channels != 1 && channels != 2) || rate < kPlatSoundMinFrequency || rate > kPlatSoundMaxFrequency) {
    return kPlatSoundErrInvalidParam;
  }
  if (!plat_SoundIsOpen()) return kPlatSoundErrNoDevice;
  auto* s = new (std::nothrow) PlatSoundStream();
  if (!s) return kPlatSoundErrNoMemory;
  s->rate = rate;
  s->channels = channels;
  s->pull = pull;
  s->context = context;
  s->block.assign(static_cast<size_t>(kStreamBlockFrames) * channels, 0);
  {
    Locked lock;
    gMixer.streams.push_back(s);
  }
  *stream = s;
  return kPlatSoundOk;
}

void plat_SoundStreamRelease(PlatSoundStream* stream) {
  if (!stream) return;
  {
    Locked lock;
    auto& v = gMixer.streams;
    v.erase(std::remove(v.begin(), v.end(), stream), v.end());
  }
  delete stream;
}

void plat_SoundStreamSetGain(PlatSoundStream* stream, float gain) {
  if (!stream) return;
  Locked lock;
  stream->gain = std::clamp(gain, 0.0f, 1.0f);
}

bool plat_SoundStreamActive(PlatSoundStream* stream) {
  if (!stream) return false;
  Locked lock;
  return stream->framesLeft > 0;
}

const PlatSoundDevice* plat_SoundOpenDevice() { return gMixer.openCount > 0 ? gDevice : nullptr; }
