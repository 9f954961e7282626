// The AVI writer round-tripped through the platform's AVI reader and video stream.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/plat_avi.h"
#include "platform/plat_backend.h"
#include "platform/plat_present.h"
#include "platform/plat_sound.h"
#include "platform/plat_time.h"
#include "platform/plat_video.h"
#include "platform/test/plat_present.h"
#include "platform/test/plat_sound.h"
#include "platform/test/plat_time.h"
#include "platform/test/plat_video.h"
#include "tools/datagen/avi_writer.h"
#include "tools/datagen/raster.h"

namespace {

struct Reader {
  PlatAvi* avi = nullptr;
  ~Reader() { plat_AviClose(avi); }
};

void ExpectFramesMatch(const AviClipSpec& spec) {
  std::vector<uint8_t> bytes = AviBuildClip(spec);
  Reader r;
  ASSERT_EQ(plat_AviOpenMemory(bytes.data(), bytes.size(), &r.avi), kPlatAviOk);
  const PlatAviInfo* info = plat_AviInfo(r.avi);
  EXPECT_EQ(info->width, spec.width);
  EXPECT_EQ(info->height, spec.height);
  EXPECT_EQ(info->bitsPerPixel, spec.bits);
  EXPECT_EQ(info->frameCount, spec.frames);
  EXPECT_EQ(info->microsecondsPerFrame, 1000000u / spec.fps);
  EXPECT_EQ(info->hasAudio, spec.audio);
  for (uint32_t f = 0; f < spec.frames; ++f) {
    std::vector<uint8_t> pixels;
    PlatImageFormat format{};
    ASSERT_EQ(plat_AviReadFrame(r.avi, f, &pixels, &format), kPlatAviOk);
    const int32_t bpp = format == kPlatImageBgr24 ? 3 : 2;
    EXPECT_EQ(format, spec.bits == 16 ? kPlatImage555 : kPlatImageBgr24);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(spec.width * spec.height * bpp));
    for (int32_t y = 0; y < spec.height; ++y) {
      for (int32_t x = 0; x < spec.width; ++x) {
        const uint8_t* p = pixels.data() + (y * spec.width + x) * bpp;
        uint32_t got;
        if (bpp == 3) {
          got = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
        } else {
          uint32_t v = p[0] | p[1] << 8;
          uint32_t r5 = (v >> 10) & 31, g5 = (v >> 5) & 31, b5 = v & 31;
          got = (r5 << 3 | r5 >> 2) << 16 | (g5 << 3 | g5 >> 2) << 8 | (b5 << 3 | b5 >> 2);
        }
        ASSERT_EQ(got, AviClipPixel(spec, f, x, y)) << "frame " << f << " at " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(plat_AviReadFrame(r.avi, spec.frames, nullptr, nullptr), kPlatAviErrRead);
  if (spec.audio) {
    EXPECT_EQ(info->audioFormat.samplesPerSec, spec.audioRate);
    EXPECT_EQ(info->audioFormat.bitsPerSample, spec.audioBits);
    std::vector<uint8_t> audio;
    ASSERT_EQ(plat_AviReadAudio(r.avi, &audio), kPlatAviOk);
    std::vector<int16_t> expected = AviClipAudio(spec);
    ASSERT_EQ(audio.size(), expected.size() * spec.audioBits / 8);
    for (size_t i = 0; i < expected.size(); ++i) {
      int16_t got = spec.audioBits == 8 ? static_cast<int16_t>((audio[i] - 128) * 256)
                                        : static_cast<int16_t>(audio[2 * i] | audio[2 * i + 1] << 8);
      ASSERT_EQ(got, expected[i]) << i;
    }
  }
}

TEST(AviWriterTest, FramesAndAudioRoundTrip) {
  AviClipSpec spec;
  spec.width = 37;  // rows padded to four bytes
  spec.height = 25;
  spec.frames = 12;
  for (int32_t bits : {8, 16, 24}) {
    SCOPED_TRACE(bits);
    spec.bits = bits;
    ExpectFramesMatch(spec);
  }
  spec.bits = 24;
  spec.topDown = true;
  spec.audioBits = 16;
  ExpectFramesMatch(spec);
  spec.topDown = false;
  spec.audio = false;
  spec.index = false;  // the movie list alone is enough
  ExpectFramesMatch(spec);
}

// Drawn frames of more than 256 colours share one palette that stays within a dither step of every
// pixel of them.
TEST(AviWriterTest, DrawnFramesRoundTripThroughOnePalette) {
  std::vector<Canvas> frames;
  for (int32_t f = 0; f < 4; ++f) {
    Canvas c = CanvasNew(37, 25, 0);
    CanvasGradient(c, 0, 0, 37, 25, 0x102060, 0xC0E0FF);
    CanvasGradient(c, 0, 12, 37, 25, 0x406020, 0xF0E080);
    CanvasFill(c, 4 * f, 3, 4 * f + 6, 9, 0xE02010);
    frames.push_back(c);
  }
  AviClipSpec spec;
  spec.width = 37;
  spec.height = 25;
  spec.frames = 4;
  spec.palette = CanvasSharedPalette(frames, &spec.pictures);
  for (int32_t bits : {8, 24}) {
    spec.bits = bits;
    ExpectFramesMatch(spec);
  }
  for (uint32_t f = 0; f < spec.frames; ++f)
    for (int32_t y = 0; y < spec.height; ++y)
      for (int32_t x = 0; x < spec.width; ++x) {
        const uint32_t want = frames[f].pixels[static_cast<size_t>(y) * 37 + x], got = AviClipPixel(spec, f, x, y);
        for (int shift : {0, 8, 16})
          ASSERT_NEAR(static_cast<int>(got >> shift & 255), static_cast<int>(want >> shift & 255), 24)
              << "frame " << f << " at " << x << "," << y;
      }
}

TEST(AviWriterTest, CounterIsDrawn) {
  AviClipSpec spec;
  // Each frame's counter differs from the next one's somewhere.
  for (uint32_t f = 0; f + 1 < spec.frames; ++f) {
    int differ = 0;
    for (int32_t y = 0; y < spec.height; ++y) {
      for (int32_t x = 0; x < spec.width; ++x) {
        bool inkA = AviClipPixel(spec, f, x, y) == 0xFFFFFF;
        bool inkB = AviClipPixel(spec, f + 1, x, y) == 0xFFFFFF;
        differ += inkA != inkB;
      }
    }
    EXPECT_GT(differ, 0) << f;
  }
}

TEST(AviReaderTest, RefusesBrokenAndCompressedFiles) {
  AviClipSpec spec;
  spec.width = 16;
  spec.height = 8;
  spec.frames = 3;
  std::vector<uint8_t> good = AviBuildClip(spec);
  Reader r;
  {
    std::vector<uint8_t> b = good;
    std::memcpy(b.data() + 8, "WAVE", 4);
    EXPECT_EQ(plat_AviOpenMemory(b.data(), b.size(), &r.avi), kPlatAviErrFormat);
    EXPECT_EQ(r.avi, nullptr);
  }
  spec.compression = 1;
  std::vector<uint8_t> packed = AviBuildClip(spec);
  EXPECT_EQ(plat_AviOpenMemory(packed.data(), packed.size(), &r.avi), kPlatAviErrCompressed);
  EXPECT_EQ(plat_AviOpen("no/such/clip.avi", &r.avi), kPlatAviErrOpen);

  // Cut inside the last frame: the whole frames still read, the cut one fails.
  spec.compression = 0;
  spec.audio = false;
  spec.index = false;
  good = AviBuildClip(spec);
  std::vector<uint8_t> cut(good.begin(), good.end() - 10);
  ASSERT_EQ(plat_AviOpenMemory(cut.data(), cut.size(), &r.avi), kPlatAviOk);
  const PlatAviInfo* info = plat_AviInfo(r.avi);
  ASSERT_EQ(info->frameCount, 3u);
  std::vector<uint8_t> pixels;
  PlatImageFormat format{};
  EXPECT_EQ(plat_AviReadFrame(r.avi, 0, &pixels, &format), kPlatAviOk);
  EXPECT_EQ(plat_AviReadFrame(r.avi, info->frameCount - 1, &pixels, &format), kPlatAviErrRead);
}

TEST(VideoStreamTest, AudioGoesThroughTheMixer) {
  plat_UseBackend(kPlatBackendTest);
  plat_TestClockReset();
  plat_TestSoundReset();
  plat_TestSoundSetOutputRate(22050);
  plat_TestPresentReset();
  plat_TestVideoReset();
  AviClipSpec spec;
  spec.width = 16;
  spec.height = 8;
  spec.frames = 4;
  spec.audioBits = 16;
  std::vector<uint8_t> bytes = AviBuildClip(spec);
  std::string path = ::testing::TempDir() + "vh_stream_audio.avi";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);

  PlatVideo* video = plat_VideoCreate();
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(plat_VideoRun(video), kPlatVideoErrState);  // no file, no sample
  ASSERT_EQ(plat_VideoOpenFile(video, path.c_str()), 0);
  PlatEdgeRect wrong{0, 0, 10, 10};
  EXPECT_EQ(plat_VideoCreateSample(video, &wrong), kPlatVideoErrBadRect);
  PlatEdgeRect rect{0, 0, 16, 8};
  ASSERT_EQ(plat_VideoCreateSample(video, &rect), kPlatVideoOk);
  ASSERT_EQ(plat_VideoRun(video), kPlatVideoOk);
  EXPECT_TRUE(plat_SoundIsOpen());
  std::vector<int16_t> out(2 * 1000);
  ASSERT_TRUE(plat_TestSoundRender(out.data(), 1000));
  std::vector<int16_t> expected = AviClipAudio(spec);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(out[2 * i], expected[i]) << i;
  int frames = 0;
  while (plat_VideoUpdate(video) == kPlatVideoOk) ++frames;
  EXPECT_EQ(frames, 4);
  plat_VideoRelease(video);
  EXPECT_FALSE(plat_SoundIsOpen());
  std::remove(path.c_str());
}

}  // namespace
