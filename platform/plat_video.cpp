#include "platform/plat_video.h"


#include <cstring>
#include <ctime>
#include <new>
#include <vector>

#include "platform/plat_avi.h"
#include "platform/plat_input.h"
#include "platform/plat_internal.h"
#include "platform/plat_sound.h"
#include "platform/plat_time.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_time.h"
#include "platform/test/plat_video.h"

struct PlatVideo {
  PlatAvi* avi = nullptr;
  bool sample = false;
  PlatEdgeRect rect{0, 0, 0, 0};
  bool running = false;
  int64_t startMicroseconds = 0;
  uint32_t nextFrame = 0;
  bool soundOpen = false;
  PlatSoundBuffer* audio = nullptr;
  std::vector<uint8_t> pixels;
};

namespace {

struct VideoOps {
  void (*waitMicroseconds)(int64_t microseconds);
  bool (*createFails)();
};

int64_t NowMicroseconds() {
  int64_t count = 0, frequency = 0;
  if (plat_QueryPerformanceCounter(&count) && plat_QueryPerformanceFrequency(&frequency) && frequency > 0) {
    return static_cast<int64_t>(static_cast<__int128>(count) * 1000000 / frequency);
  }
  return static_cast<int64_t>(plat_GetTickCount()) * 1000;
}

void RealWait(int64_t microseconds) {
  if (microseconds <= 0) return;
  timespec ts{static_cast<time_t>(microseconds / 1000000), static_cast<long>(microseconds % 1000000) * 1000};
  nanosleep(&ts, nullptr);
}

bool Never() { return false; }

constexpr VideoOps kRealOps{RealWait, Never};

struct TestVideo {
  bool keyScripted = false;
  uint32_t keyAt = 0;
  bool failCreate = false;
};
TestVideo gTest;

// Waiting moves the test clock; a scripted key goes down once the clock reaches its time.
void TestWait(int64_t microseconds) {
  if (microseconds > 0) plat_TestClockAdvanceMicroseconds(microseconds);
  if (gTest.keyScripted && plat_GetTickCount() >= gTest.keyAt) {
    gTest.keyScripted = false;
    plat_TestKeyEvent(kPlatVkEscape, true);
  }
}
bool TestCreateFails() { return gTest.failCreate; }

constexpr VideoOps kTestOps{TestWait, TestCreateFails};

const VideoOps* gOps = &kRealOps;

void StopAudio(PlatVideo* v) {
  if (v->audio) plat_SoundBufferRelease(v->audio);
  v->audio = nullptr;
  if (v->soundOpen) plat_SoundClose();
  v->soundOpen = false;
}

// The file's audio as one buffer; a video without a sound device plays silently.
void StartAudio(PlatVideo* v) {
  const PlatAviInfo* info = plat_AviInfo(v->avi);
  if (!info->hasAudio) return;
  std::vector<uint8_t> bytes;
  if (plat_AviReadAudio(v->avi, &bytes) != kPlatAviOk || bytes.empty() || bytes.size() > UINT32_MAX) return;
  v->soundOpen = plat_SoundOpen();
  if (!v->soundOpen) return;
  if (plat_SoundBufferCreate(&info->audioFormat, static_cast<uint32_t>(bytes.size()), &v->audio) != kPlatSoundOk) {
    StopAudio(v);
    return;
  }
  void* data = nullptr;
  uint32_t size = 0;
  plat_SoundBufferLock(v->audio, &data, &size);
  std::memcpy(data, bytes.data(), size);
  plat_SoundBufferUnlock(v->audio);
  plat_SoundBufferPlay(v->audio, false);
}

}  // namespace

void plat_VideoSelectBackend(PlatBackend backend) {
  gOps = backend == kPlatBackendTest ? &kTestOps : &kRealOps;
}

PlatVideo* plat_VideoCreate() {
  if (gOps->createFails()) return nullptr;
  return new (std::nothrow) PlatVideo();
}

void plat_VideoRelease(PlatVideo* video) {
  if (!video) return;
  plat_VideoStop(video);
  plat_AviClose(video->avi);
  delete video;
}

int32_t plat_VideoOpenFile(PlatVideo* video, const char* path) {
  if (!video || video->running) return kPlatVideoErrState;
  plat_AviClose(video->avi);
  video->avi = nullptr;
  video->sample = false;
  return plat_AviOpen(path, &video->avi);
}

int32_t plat_VideoGetFormat(PlatVideo* video, int32_t* width, int32_t* height) {
  if (width) *width = 0;
  if (height) *height = 0;
  if (!video || !video->avi) return kPlatVideoErrNoFile;
  const PlatAviInfo* info = plat_AviInfo(video->avi);
  if (width) *width = info->width;
  if (height) *height = info->height;
  return kPlatVideoOk;
}

int32_t plat_VideoCreateSample(PlatVideo* video, const PlatEdgeRect* rect) {
  if (!video || !video->avi) return kPlatVideoErrNoFile;
  int32_t result = plat_VideoSetRect(video, rect);
  if (result == kPlatVideoOk) video->sample = true;
  return result;
}

int32_t plat_VideoSetRect(PlatVideo* video, const PlatEdgeRect* rect) {
  if (!video || !video->avi) return kPlatVideoErrNoFile;
  const PlatAviInfo* info = plat_AviInfo(video->avi);
  if (!rect || static_cast<int64_t>(rect->right) - rect->left != info->width ||
      static_cast<int64_t>(rect->bottom) - rect->top != info->height) {
    return kPlatVideoErrBadRect;
  }
  video->rect = *rect;
  return kPlatVideoOk;
}

int32_t plat_VideoRun(PlatVideo* video) {
  if (!video || !video->avi || !video->sample) return kPlatVideoErrState;
  if (video->running) return kPlatVideoOk;
  video->running = true;
  video->nextFrame = 0;
  StartAudio(video);
  video->startMicroseconds = NowMicroseconds();
  return kPlatVideoOk;
}

int32_t plat_VideoUpdate(PlatVideo* video) {
  if (!video || !video->running) return kPlatVideoErrState;
  const PlatAviInfo* info = plat_AviInfo(video->avi);
  if (video->nextFrame >= info->frameCount) return kPlatVideoEndOfStream;
  const int64_t perFrame = info->microsecondsPerFrame;
  int64_t due = video->startMicroseconds + static_cast<int64_t>(video->nextFrame) * perFrame;
  int64_t now = NowMicroseconds();
  if (now < due) {
    gOps->waitMicroseconds(due - now);
    now = NowMicroseconds();
  }
  // Late: show the frame whose time it is now, not the ones already missed.
  uint64_t frame = video->nextFrame;
  if (now > due) {
    uint64_t atNow = static_cast<uint64_t>((now - video->startMicroseconds) / perFrame);
    if (atNow > frame) frame = atNow;
  }
  if (frame >= info->frameCount) frame = info->frameCount - 1;
  video->nextFrame = static_cast<uint32_t>(frame) + 1;
  PlatImageFormat format = kPlatImageBgr24;
  if (plat_AviReadFrame(video->avi, static_cast<uint32_t>(frame), &video->pixels, &format) != kPlatAviOk) {
    return kPlatVideoEndOfStream;  // a broken frame ends the stream
  }
  const int32_t rowBytes = info->width * (format == kPlatImageBgr24 ? 3 : 2);
  plat_PresentImage(video->pixels.data(), info->width, info->height, rowBytes, format, video->rect.left,
                    video->rect.top);
  return kPlatVideoOk;
}

void plat_VideoStop(PlatVideo* video) {
  if (!video) return;
  StopAudio(video);
  video->running = false;
}


void plat_TestVideoReset() { gTest = TestVideo{}; }
void plat_TestVideoScriptKey(uint32_t atTickCount) {
  gTest.keyScripted = true;
  gTest.keyAt = atTickCount;
}
void plat_TestVideoFailCreate(bool fail) { gTest.failCreate = fail; }
