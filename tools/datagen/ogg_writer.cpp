#include "tools/datagen/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

#include "platform/plat_files.h"

namespace {

constexpr int32_t kBlockFrames = 1024;

void PutPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// The encoder's state, released in reverse order of its set-up whatever way the build ends.
struct Encoder {
  vorbis_info info{};
  vorbis_comment comment{};
  vorbis_dsp_state dsp{};
  vorbis_block block{};
  ogg_stream_state stream{};
  bool analysing = false;
  Encoder() {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
  }
  ~Encoder() {
    if (analysing) {
      ogg_stream_clear(&stream);
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
};

// Hands every finished block to the stream and the stream's full pages to the output; true once
// the last packet has gone in.
bool Drain(Encoder& e, std::vector<uint8_t>& out) {
  ogg_page page;
  ogg_packet packet;
  bool ended = false;
  while (vorbis_analysis_blockout(&e.dsp, &e.block) == 1) {
    vorbis_analysis(&e.block, nullptr);
    vorbis_bitrate_addblock(&e.block);
    while (vorbis_bitrate_flushpacket(&e.dsp, &packet)) {
      ogg_stream_packetin(&e.stream, &packet);
      while (ogg_stream_pageout(&e.stream, &page)) PutPage(out, page);
      ended |= packet.e_o_s != 0;
    }
  }
  return ended;
}

}  // namespace

std::vector<uint8_t> OggBuild(const OggSpec& spec, const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  if (spec.channels < 1 || spec.channels > 2) return out;
  Encoder e;
  if (vorbis_encode_init_vbr(&e.info, spec.channels, static_cast<long>(spec.rate), spec.quality) != 0) return out;
  if (vorbis_analysis_init(&e.dsp, &e.info) != 0) return out;
  vorbis_block_init(&e.dsp, &e.block);
  ogg_stream_init(&e.stream, spec.serial);
  e.analysing = true;

  ogg_packet identification, comments, codebooks;
  vorbis_analysis_headerout(&e.dsp, &e.comment, &identification, &comments, &codebooks);
  ogg_stream_packetin(&e.stream, &identification);
  ogg_stream_packetin(&e.stream, &comments);
  ogg_stream_packetin(&e.stream, &codebooks);
  // The headers stand on pages of their own, before the first audio page, as decoders expect.
  ogg_page page;
  while (ogg_stream_flush(&e.stream, &page)) PutPage(out, page);

  const size_t channels = spec.channels;
  const size_t frames = samples.size() / channels;
  for (size_t done = 0; done < frames;) {
    const int32_t n = static_cast<int32_t>(std::min<size_t>(kBlockFrames, frames - done));
    float** buffer = vorbis_analysis_buffer(&e.dsp, n);
    for (int32_t i = 0; i < n; ++i) {
      for (size_t c = 0; c < channels; ++c) buffer[c][i] = samples[(done + i) * channels + c] / 32768.0f;
    }
    vorbis_analysis_wrote(&e.dsp, n);
    done += static_cast<size_t>(n);
    Drain(e, out);
  }
  vorbis_analysis_wrote(&e.dsp, 0);
  Drain(e, out);
  while (ogg_stream_flush(&e.stream, &page)) PutPage(out, page);
  return out;
}

bool OggWriteFile(const std::string& path, const OggSpec& spec, const std::vector<int16_t>& samples) {
  const std::vector<uint8_t> bytes = OggBuild(spec, samples);
  return !bytes.empty() && plat_FileSaveWhole(path.c_str(), bytes.data(), bytes.size());
}
