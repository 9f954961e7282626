// The sound mixer's test device: no output and no thread; a test mixes frames when it wants them.
#include "platform/plat_sound.h"
#include "platform/plat_sound_device.h"
#include "platform/test/plat_sound.h"

namespace {

struct TestSound {
  int32_t rate = 44100;
  bool available = true;
};
TestSound gTest;

bool TestOpen(int32_t* rate) {
  if (!gTest.available) return false;
  *rate = gTest.rate;
  return true;
}

void TestNothing() {}

}  // namespace

const PlatSoundDevice kPlatSoundDeviceTest{TestOpen, TestNothing, TestNothing, TestNothing};

void plat_TestSoundReset() {
  gTest = TestSound{};
  plat_SoundSetMasterVolume(0);
}

void plat_TestSoundSetOutputRate(int32_t rate) { gTest.rate = rate; }
void plat_TestSoundSetDeviceAvailable(bool available) { gTest.available = available; }

bool plat_TestSoundRender(int16_t* out, int32_t frames) {
  if (plat_SoundOpenDevice() != &kPlatSoundDeviceTest || !out || frames < 0) return false;
  plat_SoundMix(out, frames);
  return true;
}
