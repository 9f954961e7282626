#include "platform/plat_cdaudio.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/plat_bytes.h"
#include "platform/plat_files.h"
#include "platform/plat_internal.h"
#include "platform/plat_riff.h"
#include "platform/plat_sound.h"
#include "platform/test/plat_cdaudio.h"

namespace {

constexpr uint32_t kDeviceId = 1;
constexpr uint32_t kMixerHandle = 1;
constexpr uint32_t kCdControlId = 1;
constexpr uint32_t kMaxTracks = 99;

struct CdOps {
  int32_t (*open)();
  int32_t (*timeFormat)(int32_t callNumber);
  uint32_t (*auxCount)();
  void (*mixerRange)(uint32_t* minimum, uint32_t* maximum);
};

int32_t RealOpen() { return kPlatCdOk; }
int32_t RealTimeFormat(int32_t) { return kPlatCdOk; }
uint32_t RealAuxCount() { return 1; }
void RealMixerRange(uint32_t* minimum, uint32_t* maximum) {
  *minimum = 0;
  *maximum = 0xFFFF;
}
constexpr CdOps kRealOps{RealOpen, RealTimeFormat, RealAuxCount, RealMixerRange};

struct TestCd {
  bool auxPresent = true;
  uint32_t mixerMin = 0;
  uint32_t mixerMax = 0xFFFF;
  int32_t openFailure = 0;
  int32_t timeFormatFailCall = 0;
  int32_t timeFormatFailure = 0;
};
TestCd gTest;
PlatCdTestLog gLog{};

int32_t TestOpen() { return gTest.openFailure; }
int32_t TestTimeFormat(int32_t callNumber) {
  return callNumber == gTest.timeFormatFailCall ? gTest.timeFormatFailure : kPlatCdOk;
}
uint32_t TestAuxCount() { return gTest.auxPresent ? 1 : 0; }
void TestMixerRange(uint32_t* minimum, uint32_t* maximum) {
  *minimum = gTest.mixerMin;
  *maximum = gTest.mixerMax;
}
constexpr CdOps kTestOps{TestOpen, TestTimeFormat, TestAuxCount, TestMixerRange};

const CdOps* gOps = &kRealOps;

// The track being streamed: a WAV file read a block at a time on the mixer's thread.
struct Player {
  PlatRiffFile file{};
  bool fileOpen = false;
  uint64_t bytesLeft = 0;
  uint16_t channels = 0;
  uint16_t bits = 0;
  uint32_t rate = 0;
  uint32_t track = 0;       // being read
  uint32_t lastTrack = 0;
  int32_t streamChannels = 1;
  uint32_t streamRate = 0;
};

struct Cd {
  bool open = false;
  int32_t timeFormatCalls = 0;
  std::string folder;       // empty: the default
  std::string openFolder;   // the folder in force since the open
  bool soundOpen = false;
  PlatSoundStream* stream = nullptr;
  Player player;
  float auxGain = 1.0f;
  float mixerGain = 1.0f;
  bool mixerOpen = false;
  uint32_t mixerMin = 0, mixerMax = 0xFFFF;
};
Cd gCd;
// The track being heard; written on the mixer's thread.
std::atomic<uint32_t> gHeardTrack{0};

std::string TrackPath(const std::string& folder, uint32_t track) {
  char name[32];
  std::snprintf(name, sizeof(name), "/track%02u.wav", track);
  return folder + name;
}

bool TrackExists(const std::string& folder, uint32_t track) {
  std::string resolved;
  return plat_ResolvePath(TrackPath(folder, track).c_str(), &resolved);
}

void PlayerCloseFile(Player* p) {
  if (p->fileOpen) plat_RiffClose(&p->file);
  p->fileOpen = false;
  p->bytesLeft = 0;
}

// Opens a track and finds its samples; false when it is not a PCM WAV the stream can take.
bool PlayerOpenTrack(Player* p, const std::string& folder, uint32_t track) {
  PlayerCloseFile(p);
  if (!plat_RiffOpen(&p->file, TrackPath(folder, track).c_str())) return false;
  p->fileOpen = true;
  PlatRiffChunk riff{};
  riff.formType = plat_FourCC('W', 'A', 'V', 'E');
  PlatRiffChunk fmt{};
  fmt.id = plat_FourCC('f', 'm', 't', ' ');
  PlatRiffChunk data{};
  data.id = plat_FourCC('d', 'a', 't', 'a');
  uint8_t f[16];
  if (plat_RiffDescend(&p->file, &riff, nullptr, kPlatRiffFindRiff) != kPlatRiffOk ||
      plat_RiffDescend(&p->file, &fmt, &riff, kPlatRiffFindChunk) != kPlatRiffOk || fmt.size < 16 ||
      plat_RiffRead(&p->file, f, 16) != 16 || plat_RiffSeek(&p->file, riff.dataOffset + 4) != kPlatRiffOk ||
      plat_RiffDescend(&p->file, &data, &riff, kPlatRiffFindChunk) != kPlatRiffOk) {
    PlayerCloseFile(p);
    return false;
  }
  uint16_t tag = plat_Le16(f);
  p->channels = plat_Le16(f + 2);
  p->rate = plat_Le32(f + 4);
  p->bits = plat_Le16(f + 14);
  bool ok = tag == 1 && (p->channels == 1 || p->channels == 2) && (p->bits == 8 || p->bits == 16) &&
            p->rate >= static_cast<uint32_t>(kPlatSoundMinFrequency) &&
            p->rate <= static_cast<uint32_t>(kPlatSoundMaxFrequency);
  // Later tracks go on through the same stream, so they must match its rate.
  if (ok && p->streamRate != 0 && p->rate != p->streamRate) ok = false;
  if (!ok) {
    PlayerCloseFile(p);
    return false;
  }
  p->bytesLeft = plat_RiffBytesPresent(&p->file, &data);
  p->track = track;
  return true;
}

int32_t PlayerPull(void* context, int16_t* samples, int32_t frames) {
  auto* p = static_cast<Player*>(context);
  int32_t done = 0;
  while (done < frames) {
    if (!p->fileOpen || p->bytesLeft < static_cast<uint64_t>(p->channels * p->bits / 8)) {
      if (p->track == 0 || p->track >= p->lastTrack || !PlayerOpenTrack(p, gCd.openFolder, p->track + 1)) {
        PlayerCloseFile(p);
        break;
      }
    }
    gHeardTrack = p->track;
    const uint32_t frameBytes = p->channels * p->bits / 8u;
    uint8_t raw[4096];
    uint64_t want = static_cast<uint64_t>(frames - done) * frameBytes;
    want = std::min<uint64_t>({want, sizeof(raw) / frameBytes * frameBytes, p->bytesLeft / frameBytes * frameBytes});
    int64_t got = plat_RiffRead(&p->file, raw, static_cast<int64_t>(want));
    if (got <= 0) {
      p->bytesLeft = 0;
      continue;
    }
    uint32_t n = static_cast<uint32_t>(got) / frameBytes;
    p->bytesLeft -= static_cast<uint64_t>(n) * frameBytes;
    if (static_cast<uint64_t>(got) < want) p->bytesLeft = 0;
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* in = raw + static_cast<size_t>(i) * frameBytes;
      int16_t v[2] = {0, 0};
      for (uint32_t c = 0; c < p->channels && c < 2; ++c) {
        v[c] = p->bits == 8 ? static_cast<int16_t>((in[c] - 128) * 256) : static_cast<int16_t>(plat_Le16(in + 2 * c));
      }
      if (p->channels == 1) v[1] = v[0];
      int16_t* out = samples + static_cast<size_t>(done) * p->streamChannels;
      out[0] = v[0];
      if (p->streamChannels == 2) out[1] = v[1];
      ++done;
    }
  }
  if (done == 0) gHeardTrack = 0;
  return done;
}

void ApplyGain() {
  if (gCd.stream) plat_SoundStreamSetGain(gCd.stream, gCd.auxGain * gCd.mixerGain);
}

void StopPlaying() {
  if (gCd.stream) plat_SoundStreamRelease(gCd.stream);
  gCd.stream = nullptr;
  PlayerCloseFile(&gCd.player);
  gCd.player = Player{};
  gHeardTrack = 0;
}

}  // namespace

void plat_CdSelectBackend(PlatBackend backend) {
  gOps = backend == kPlatBackendTest ? &kTestOps : &kRealOps;
}

void plat_CdSetTrackFolder(const char* folder) { gCd.folder = folder ? folder : ""; }

std::string plat_CdTrackFolder() {
  if (!gCd.folder.empty()) return gCd.folder;
  return plat_ProgramFolder() + "/data/cdaudio";
}

int32_t plat_CdOpen(uint32_t* device) {
  ++gLog.opens;
  if (!device) return kPlatCdErrCannotOpen;
  if (gCd.open) return kPlatCdErrCannotOpen;  // one virtual drive
  int32_t result = gOps->open();
  if (result != kPlatCdOk) return result;
  gCd.open = true;
  gCd.timeFormatCalls = 0;
  gCd.openFolder = plat_CdTrackFolder();
  gCd.soundOpen = plat_SoundOpen();
  gCd.auxGain = 1.0f;
  gCd.mixerGain = 1.0f;
  *device = kDeviceId;
  return kPlatCdOk;
}

int32_t plat_CdSetTimeFormatTmsf(uint32_t device) {
  ++gLog.timeFormats;
  if (!gCd.open || device != kDeviceId) return kPlatCdErrInvalidDevice;
  return gOps->timeFormat(++gCd.timeFormatCalls);
}

int32_t plat_CdClose(uint32_t device) {
  ++gLog.closes;
  if (!gCd.open || device != kDeviceId) return kPlatCdErrInvalidDevice;
  StopPlaying();
  if (gCd.soundOpen) plat_SoundClose();
  gCd.soundOpen = false;
  gCd.open = false;
  return kPlatCdOk;
}

int32_t plat_CdMediaPresent(uint32_t device, bool* present) {
  if (!gCd.open || device != kDeviceId) return kPlatCdErrInvalidDevice;
  if (present) *present = TrackExists(gCd.openFolder, 1);
  return kPlatCdOk;
}

int32_t plat_CdTrackCount(uint32_t device, uint32_t* count) {
  if (!gCd.open || device != kDeviceId) return kPlatCdErrInvalidDevice;
  uint32_t n = 0;
  while (n < kMaxTracks && TrackExists(gCd.openFolder, n + 1)) ++n;
  if (n == 0) return kPlatCdErrNoMedia;
  if (count) *count = n;
  return kPlatCdOk;
}

int32_t plat_CdPlay(uint32_t device, uint32_t firstTrack, uint32_t lastTrack) {
  ++gLog.plays;
  gLog.lastPlayFirst = firstTrack;
  gLog.lastPlayLast = lastTrack;
  if (!gCd.open || device != kDeviceId) return kPlatCdErrInvalidDevice;
  StopPlaying();
  uint32_t count = 0;
  if (plat_CdTrackCount(device, &count) != kPlatCdOk) return kPlatCdErrNoMedia;
  if (firstTrack < 1 || firstTrack > count || lastTrack < firstTrack || lastTrack > count) return kPlatCdErrOutOfRange;
  if (!gCd.soundOpen) return kPlatCdErrHardware;
  Player& p = gCd.player;
  p.lastTrack = lastTrack;
  if (!PlayerOpenTrack(&p, gCd.openFolder, firstTrack)) return kPlatCdErrHardware;
  p.streamRate = p.rate;
  p.streamChannels = p.channels;
  if (plat_SoundStreamCreate(static_cast<int32_t>(p.rate), p.channels, PlayerPull, &p, &gCd.stream) != kPlatSoundOk) {
    StopPlaying();
    return kPlatCdErrHardware;
  }
  gHeardTrack = firstTrack;
  ApplyGain();
  return kPlatCdOk;
}

int32_t plat_CdStop(uint32_t device) {
  ++gLog.stops;
  if (!gCd.open || device != kDeviceId) return kPlatCdErrInvalidDevice;
  StopPlaying();
  return kPlatCdOk;
}

uint32_t plat_CdPlayingTrack() {
  if (!gCd.stream || !plat_SoundStreamActive(gCd.stream)) return 0;
  return gHeardTrack;
}

uint32_t plat_AuxCount() { return gOps->auxCount(); }

bool plat_AuxIsCdAudio(uint32_t id) { return id < gOps->auxCount(); }

int32_t plat_AuxSetVolume(uint32_t id, uint32_t volume) {
  ++gLog.auxSets;
  gLog.lastAuxId = id;
  gLog.lastAuxVolume = volume;
  if (id >= gOps->auxCount()) return kPlatCdErrInvalidDevice;
  uint32_t left = volume & 0xFFFF;
  uint32_t right = volume >> 16;
  gCd.auxGain = static_cast<float>((left + right) / 2.0 / 65535.0);
  ApplyGain();
  return kPlatCdOk;
}

int32_t plat_MixerOpen(uint32_t index, uintptr_t callbackValue, uint32_t* handle) {
  ++gLog.mixerOpens;
  gLog.lastMixerCallback = callbackValue;
  if (index != 0 || !handle) return kPlatCdErrInvalidDevice;
  gOps->mixerRange(&gCd.mixerMin, &gCd.mixerMax);
  gCd.mixerOpen = true;
  *handle = kMixerHandle;
  return kPlatCdOk;
}

int32_t plat_MixerGetCdVolumeControl(uint32_t handle, uint32_t* controlId, uint32_t* minimum, uint32_t* maximum) {
  if (!gCd.mixerOpen || handle != kMixerHandle) return kPlatCdErrInvalidDevice;
  if (controlId) *controlId = kCdControlId;
  if (minimum) *minimum = gCd.mixerMin;
  if (maximum) *maximum = gCd.mixerMax;
  return kPlatCdOk;
}

int32_t plat_MixerSetControl(uint32_t handle, uint32_t controlId, uint32_t value) {
  ++gLog.mixerSets;
  gLog.lastMixerControl = controlId;
  gLog.lastMixerValue = value;
  if (!gCd.mixerOpen || handle != kMixerHandle || controlId != kCdControlId) return kPlatCdErrInvalidDevice;
  uint32_t range = gCd.mixerMax > gCd.mixerMin ? gCd.mixerMax - gCd.mixerMin : 1;
  uint32_t v = std::clamp(value, gCd.mixerMin, gCd.mixerMax);
  gCd.mixerGain = static_cast<float>(static_cast<double>(v - gCd.mixerMin) / range);
  ApplyGain();
  return kPlatCdOk;
}

int32_t plat_MixerClose(uint32_t handle) {
  ++gLog.mixerCloses;
  if (!gCd.mixerOpen || handle != kMixerHandle) return kPlatCdErrInvalidDevice;
  gCd.mixerOpen = false;
  gCd.mixerGain = 1.0f;
  ApplyGain();
  return kPlatCdOk;
}

void plat_TestCdReset() {
  gTest = TestCd{};
  gLog = PlatCdTestLog{};
}
const PlatCdTestLog* plat_TestCdLog() { return &gLog; }
void plat_TestCdSetAuxPresent(bool present) { gTest.auxPresent = present; }
void plat_TestCdSetMixerRange(uint32_t minimum, uint32_t maximum) {
  gTest.mixerMin = minimum;
  gTest.mixerMax = maximum;
}
void plat_TestCdFailOpen(int32_t code) { gTest.openFailure = code; }
void plat_TestCdFailTimeFormat(int32_t callNumber, int32_t code) {
  gTest.timeFormatFailCall = callNumber;
  gTest.timeFormatFailure = code;
}
