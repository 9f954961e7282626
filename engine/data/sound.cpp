#include "engine/data/sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/transform.h"
#include "platform/plat_bytes.h"

namespace {

struct SoundState {
  bool up = false;
  int16_t count = 0;
  uint8_t* used = nullptr;
  SoundSlot** slots = nullptr;
  const Point4** emitters = nullptr;
  int32_t* slotFlags = nullptr;
  int32_t masterAtStart = 0;
  int32_t flags = 0;
  const Point4* listener = nullptr;
  const Point4* vecA = nullptr;
  const Point4* vecB = nullptr;
  const Point4* vecC = nullptr;
  float inner = 0.0f;
  float outer = 1.8e38f;
  float invOuter = 1.0f / 1.8e38f;
};
SoundState gSound;

constexpr int32_t kScaleMax = 10240;

int32_t FoldBearing(int32_t a) {
  a &= 0xfff;
  if (a == 0) a = 4096;
  if (a > 2048) a -= 4096;
  if (a > 1024) a = 2048 - a;
  if (a < -1024) a = -2048 - a;
  return a;
}

bool Valid(int32_t slot) {
  return gSound.up && slot >= 0 && slot < gSound.count && gSound.used[slot] && gSound.slots[slot] &&
         gSound.slots[slot]->buffer;
}

int32_t ClampScale(int32_t v) { return std::clamp(v, 0, kScaleMax); }

PlatWaveFormat DeviceFormat(const WaveFormat* f) {
  PlatWaveFormat d{};
  d.formatTag = f->formatTag;
  d.channels = f->channels;
  d.samplesPerSec = f->samplesPerSec;
  d.avgBytesPerSec = f->avgBytesPerSec;
  d.blockAlign = f->blockAlign;
  d.bitsPerSample = f->bitsPerSample;
  // An extensible format names what it holds in the first word of its subformat (extra byte 6).
  if (f->formatTag == 0xFFFE && f->extraSize >= 22) {
    const uint8_t* extra = WaveFormatExtra(f);
    d.subFormatTag = plat_Le16(extra + 6);
  }
  return d;
}

void FreeSlotRecord(SoundSlot* record) {
  if (!record) return;
  if (record->buffer) plat_SoundBufferRelease(record->buffer);
  WaveFormatFree(record->description.format);
  TrackedFree(record);
}

void FreeArrays() {
  TrackedFree(gSound.used);
  TrackedFree(gSound.slots);
  TrackedFree(gSound.emitters);
  TrackedFree(gSound.slotFlags);
  gSound.used = nullptr;
  gSound.slots = nullptr;
  gSound.emitters = nullptr;
  gSound.slotFlags = nullptr;
  gSound.count = 0;
}

}  // namespace

int32_t wre_SoundVolumeToAttenuation(int32_t volume) {
  volume = ClampScale(volume);
  if (volume == 0) return -10000;
  if (volume == kScaleMax) return 0;
  double a = std::trunc(500.0 * std::log(static_cast<double>(volume) / kScaleMax));
  return static_cast<int32_t>(std::clamp(a, -10000.0, 0.0));
}

int32_t wre_SoundPanToDevice(int32_t pan) {
  pan = ClampScale(pan);
  if (pan == 0) return -10000;
  if (pan == kScaleMax) return 10000;
  double p = std::trunc(500.0 * std::log(static_cast<double>(pan) / 5120.0));
  return static_cast<int32_t>(std::clamp(p, -10000.0, 10000.0));
}

int32_t wre_SoundBaseToAttenuation(int32_t volume) { return ClampScale(volume) * 10000 / kScaleMax - 10000; }

int32_t wre_SoundAttenuationToBase(int32_t attenuation) {
  return static_cast<int32_t>(std::trunc((attenuation + 10000) * 1.024));
}

bool wre_SoundInit(int32_t count, int32_t, void*, int32_t flags) {
  if (gSound.up) return false;
  if (count < 1 || count > INT16_MAX) return false;
  gSound.used = static_cast<uint8_t*>(TrackedAlloc(count));
  gSound.slots = static_cast<SoundSlot**>(TrackedAlloc(count * static_cast<int32_t>(sizeof(SoundSlot*))));
  gSound.emitters = static_cast<const Point4**>(TrackedAlloc(count * static_cast<int32_t>(sizeof(Point4*))));
  gSound.slotFlags = static_cast<int32_t*>(TrackedAlloc(count * static_cast<int32_t>(sizeof(int32_t))));
  std::fill_n(gSound.used, count, uint8_t{0});
  std::fill_n(gSound.slots, count, nullptr);
  std::fill_n(gSound.emitters, count, nullptr);
  std::fill_n(gSound.slotFlags, count, 0);
  gSound.count = static_cast<int16_t>(count);
  gSound.listener = gSound.vecA = gSound.vecB = gSound.vecC = nullptr;
  gSound.inner = 0.0f;
  gSound.outer = 1.8e38f;
  gSound.invOuter = 1.0f / gSound.outer;
  gSound.flags = 0;
  gSound.flags |= flags;
  if (!plat_SoundOpen()) {
    FreeArrays();
    return false;
  }
  gSound.up = true;
  plat_SoundGetMasterVolume(&gSound.masterAtStart);
  return true;
}

void wre_SoundShutdown() {
  if (!gSound.up) return;
  for (int32_t i = 0; i < gSound.count; ++i) {
    FreeSlotRecord(gSound.slots[i]);
    gSound.slots[i] = nullptr;
  }
  plat_SoundSetMasterVolume(gSound.masterAtStart);
  plat_SoundClose();
  FreeArrays();
  gSound.up = false;
}

int32_t wre_SoundLoadWav(const void*, const char* path, int32_t, int32_t, int32_t slotFlags) {
  if (!gSound.up) return -1;
  int32_t slot = -1;
  for (int32_t i = 0; i < gSound.count; ++i) {
    if (!gSound.used[i]) {
      slot = i;
      break;
    }
  }
  if (slot < 0) return -1;
  auto* record = static_cast<SoundSlot*>(TrackedAlloc(sizeof(SoundSlot)));
  std::memset(record, 0, sizeof(SoundSlot));
  WaveFile* file = nullptr;
  WaveFormat* format = nullptr;
  PlatRiffChunk riff{};
  PlatRiffChunk data{};
  if (WaveOpenFile(path, &file, &format, &riff) != 0) {
    TrackedFree(record);
    return -1;
  }
  record->description.format = format;
  if (WaveFindData(file, &data, &riff) != 0) {
    WaveClose(&file);
    FreeSlotRecord(record);
    return -1;
  }
  record->frequencyFactor = 1.0f;
  record->baseRate = static_cast<int32_t>(std::min<uint32_t>(format->samplesPerSec, INT32_MAX));
  record->description.size = sizeof(SoundBufferDescription);
  record->description.flags = kSoundBufferFlags;
  record->description.bytes = data.size;
  PlatWaveFormat device = DeviceFormat(format);
  bool ok = plat_SoundBufferCreate(&device, data.size, &record->buffer) == kPlatSoundOk;
  if (ok) {
    void* bytes = nullptr;
    uint32_t size = 0;
    uint32_t read = 0;
    ok = plat_SoundBufferLock(record->buffer, &bytes, &size) == kPlatSoundOk &&
         WaveRead(file, size, static_cast<uint8_t*>(bytes), &data, &read) == 0;
    plat_SoundBufferUnlock(record->buffer);
  }
  WaveClose(&file);
  if (!ok) {
    FreeSlotRecord(record);
    return -1;
  }
  gSound.used[slot] = 1;
  gSound.slots[slot] = record;
  gSound.emitters[slot] = nullptr;
  gSound.slotFlags[slot] = slotFlags;
  record->baseVolume = wre_SoundBaseToAttenuation(kScaleMax);
  record->volume = kScaleMax;
  record->pan = 5120;
  return slot;
}

int32_t wre_SoundFree(int32_t slot) {
  if (!Valid(slot)) return 0;
  FreeSlotRecord(gSound.slots[slot]);
  gSound.slots[slot] = nullptr;
  gSound.used[slot] = 0;
  gSound.emitters[slot] = nullptr;
  gSound.slotFlags[slot] = 0;
  return 0;
}

int32_t wre_SoundPlay(int32_t slot, int32_t flags) {
  if (!Valid(slot)) return 0;
  return plat_SoundBufferPlay(gSound.slots[slot]->buffer, (flags & kSoundPlayLoop) != 0);
}

int32_t wre_SoundStop(int32_t slot) {
  if (!Valid(slot)) return 0;
  int32_t result = plat_SoundBufferStop(gSound.slots[slot]->buffer);
  plat_SoundBufferSetPosition(gSound.slots[slot]->buffer, 0);
  return result;
}

bool wre_SoundIsPlaying(int32_t slot) {
  if (!Valid(slot)) return false;
  uint32_t status = 0;
  if (plat_SoundBufferGetStatus(gSound.slots[slot]->buffer, &status) != kPlatSoundOk) return false;
  return (status & (kPlatSoundStatusPlaying | kPlatSoundStatusLooping)) != 0;
}

int32_t wre_SoundSetFrequency(int32_t slot, float factor) {
  if (!Valid(slot)) return 0;
  SoundSlot* s = gSound.slots[slot];
  s->frequencyFactor = factor;
  double rate = std::trunc(static_cast<double>(s->baseRate) * factor);
  // Out of the device's range (or not a number): the device refuses it and keeps its rate.
  int32_t hertz = rate >= kPlatSoundMinFrequency && rate <= kPlatSoundMaxFrequency ? static_cast<int32_t>(rate) : -1;
  return plat_SoundBufferSetFrequency(s->buffer, hertz);
}

int32_t wre_SoundSetVolume(int32_t slot, int32_t volume) {
  if (!Valid(slot)) return 0;
  SoundSlot* s = gSound.slots[slot];
  s->volume = ClampScale(volume);
  return plat_SoundBufferSetVolume(s->buffer, wre_SoundVolumeToAttenuation(s->volume));
}

int32_t wre_SoundSetBaseVolume(int32_t slot, int32_t volume) {
  if (!Valid(slot)) return 0;
  gSound.slots[slot]->baseVolume = wre_SoundBaseToAttenuation(volume);
  return 0;
}

int32_t wre_SoundSetPan(int32_t slot, int32_t pan) {
  if (!Valid(slot)) return 0;
  SoundSlot* s = gSound.slots[slot];
  s->pan = ClampScale(pan);
  return plat_SoundBufferSetPan(s->buffer, wre_SoundPanToDevice(s->pan));
}

int32_t wre_SoundSetMasterVolume(int32_t volume) {
  if (!gSound.up) return 0;
  return plat_SoundSetMasterVolume(wre_SoundVolumeToAttenuation(volume));
}

void wre_SoundFlagsSet(int32_t bits) { gSound.flags |= bits; }
void wre_SoundFlagsClear(int32_t bits) { gSound.flags &= ~bits; }

int32_t wre_SoundSetSlotFlags(int32_t slot, int32_t flags) {
  if (!Valid(slot)) return -1;
  gSound.slotFlags[slot] = flags;
  return 0;
}

int32_t wre_SoundSetEmitterPos(int32_t slot, const Point4* position) {
  if (!Valid(slot)) return -1;
  gSound.emitters[slot] = position;
  return 0;
}

void wre_SoundSetListenerPos(const Point4* position) { gSound.listener = position; }
void wre_SoundSetListenerVecA(const Point4* vector) { gSound.vecA = vector; }
void wre_SoundSetListenerVecB(const Point4* vector) { gSound.vecB = vector; }
void wre_SoundSetListenerVecC(const Point4* vector) { gSound.vecC = vector; }

void wre_SoundSet3DDistances(float inner, float outer) {
  gSound.inner = inner;
  gSound.outer = outer;
  gSound.invOuter = 1.0f / outer;
}

namespace {
SoundCameraHeading gCameraHeading = nullptr;
}

void wre_SoundSetCameraHeading(SoundCameraHeading reader) { gCameraHeading = reader; }

int32_t wre_SoundUpdate3D(const void* view) {
  if (!gSound.up || !(gSound.flags & kSoundFlag3D) || !view || !gCameraHeading) return -1;
  if (!gSound.listener || !gSound.vecA || !gSound.vecB || !gSound.vecC) return -1;
  // The view's first field is the listener's camera.
  const Camera* camera = *static_cast<const Camera* const*>(view);
  if (!camera) return -1;
  const float heading = gCameraHeading(camera);
  const Point4& l = *gSound.listener;
  for (int32_t i = 0; i < gSound.count; ++i) {
    if (!Valid(i) || !(gSound.slotFlags[i] & kSoundSlotPositional) || !gSound.emitters[i]) continue;
    const Point4& e = *gSound.emitters[i];
    float dx = e.x - l.x, dy = e.y - l.y, dz = e.z - l.z;
    float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (d > gSound.outer) {
      wre_SoundSetVolume(i, 0);
      continue;
    }
    int32_t b = wre_SoundAttenuationToBase(gSound.slots[i]->baseVolume);
    if (d < gSound.inner) {
      wre_SoundSetVolume(i, b);
      wre_SoundSetPan(i, 5120);
      continue;
    }
    // Turn the emitter about the vertical axis by minus the listener's heading, then take the
    // heading a transform at the origin gets when pointed at it: the bearing.
    const Point4 relative{dx, dy, dz, e.w - l.w};
    Point4 turned{};
    wre_PointsRotate(0, -heading, 0, 1, &relative, &turned);
    Transform pointer{};
    wre_TransformPointAt(&pointer, turned.x, turned.y, turned.z);
    int32_t a = FoldBearing(pointer.angleY);
    float volume = (gSound.outer - d) * gSound.invOuter * static_cast<float>(b);
    volume = std::trunc(volume);
    wre_SoundSetVolume(i, volume >= 0.0f && volume <= 20000.0f ? static_cast<int32_t>(volume) : (volume > 0.0f ? 20000 : 0));
    wre_SoundSetPan(i, a * 5 + 5120);
  }
  return 0;
}

const SoundSlot* wre_SoundGetSlot(int32_t slot) { return Valid(slot) ? gSound.slots[slot] : nullptr; }
