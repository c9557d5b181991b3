#include "engines/media/StillWriter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "engines/media/AvPtr.h"
#include "engines/media/DvdWriter.h"
#include "engines/media/FileSource.h"
#include "engines/media/MediaLog.h"

namespace engines::media {
namespace {

// Menu music longer than this is cut: a menu page is not a title.
constexpr double kMaxMenuMusicSeconds = 120;

// The page's music, read through the media engines' audio decoder (48 kHz interleaved stereo
// float, with its checks for a file that ends before its declared length or is damaged) and
// handed out in the encoder's planar frames.
class MusicSource {
 public:
  std::string Open(const std::string& file) {
    std::string error;
    m_source = FileSource::Open(file, StreamKind::Audio, {}, error);
    if (!m_source) return "cannot use the menu music '" + file + "': " + error;
    m_file = file;
    return {};
  }

  double Seconds() const { return m_source->Duration(); }

  // Writes the next `count` samples into the two planes, silence once the music has ended.
  // False when the music cannot be read on (a damaged or cut-off file), with the reason.
  bool Fill(float* left, float* right, int count, std::string& error) {
    while (!m_ended && m_pending.size() - m_offset < static_cast<size_t>(count) * 2) {
      AudioBlock block;
      if (!m_source->ReadAudio(block)) {
        m_ended = true;
        const std::string reason = m_source->LastError();
        if (!reason.empty()) {
          error = "cannot read the menu music '" + m_file + "': " + reason;
          return false;
        }
        break;
      }
      m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(m_offset));
      m_offset = 0;
      m_pending.insert(m_pending.end(), block.samples.begin(), block.samples.end());
    }
    for (int i = 0; i < count; ++i) {
      const bool have = m_offset + 1 < m_pending.size();
      left[i] = have ? m_pending[m_offset] : 0.0f;
      right[i] = have ? m_pending[m_offset + 1] : 0.0f;
      if (have) m_offset += 2;
    }
    return true;
  }

 private:
  std::shared_ptr<FileSource> m_source;
  std::string m_file;
  std::vector<float> m_pending;  // interleaved stereo; m_offset floats of it already handed out
  size_t m_offset = 0;
  bool m_ended = false;
};

}  // namespace

std::string WriteStill(const StillPicture& picture, const StillSettings& format, const std::string& outputFile,
                       const std::atomic<bool>& cancel) {
  RouteAvLog();
  if (!picture.bgra || picture.width <= 0 || picture.height <= 0 || picture.stride < picture.width * 4)
    return "the still picture is empty";
  MusicSource music;
  double seconds = format.seconds > 0 ? format.seconds : 1;
  if (!format.musicFile.empty()) {
    std::string error = music.Open(format.musicFile);
    if (!error.empty()) return error;
    seconds = std::min(std::max(music.Seconds(), 0.5), kMaxMenuMusicSeconds);
  }

  // A still page: every picture is an I or P picture of the same frame, at a modest rate.
  DvdWriter::Settings settings;
  settings.path = outputFile;
  settings.width = 720;
  settings.height = format.pal ? 576 : 480;
  settings.frameRate = format.pal ? AVRational{25, 1} : AVRational{30000, 1001};
  // Pixel aspect of a 720-wide DVD frame for the display aspect.
  settings.sampleAspect = format.pal ? (format.wide ? AVRational{64, 45} : AVRational{16, 15})
                                     : (format.wide ? AVRational{32, 27} : AVRational{8, 9});
  settings.gopSize = format.pal ? 12 : 15;
  settings.bFrames = 0;
  settings.bitRate = 4000000;
  settings.maxRate = 8000000;
  settings.audioBitRate = 192000;
  settings.channels = 2;
  settings.abort = &cancel;
  const AVRational frameRate = settings.frameRate;

  // The still picture, converted once; each encoded picture is a new reference to it.
  FramePtr still = MakeFrame();
  if (!still) return "out of memory for the menu picture";
  still->format = AV_PIX_FMT_YUV420P;
  still->width = settings.width;
  still->height = settings.height;
  still->color_range = AVCOL_RANGE_MPEG;
  if (av_frame_get_buffer(still.get(), 0) < 0) return "out of memory for the menu picture";
  SwsPtr scaler(sws_getContext(picture.width, picture.height, AV_PIX_FMT_BGRA, settings.width, settings.height,
                               AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler) return "cannot convert the menu picture";
  const uint8_t* source[1] = {picture.bgra};
  const int sourceStride[1] = {picture.stride};
  sws_scale(scaler.get(), source, sourceStride, 0, picture.height, still->data, still->linesize);

  DvdWriter writer;
  std::string error;
  if (!writer.Open(settings, error)) return "encoding the menu page failed: " + error;
  if (!format.musicFile.empty() && writer.AudioFormat() != AV_SAMPLE_FMT_FLTP)
    return "the menu sound encoder does not take planar float samples";
  writer.StartThread();

  const int64_t frames = std::max<int64_t>(1, std::llround(seconds * av_q2d(frameRate)));
  const int64_t samples = std::llround(double(frames) / av_q2d(frameRate) * 48000);
  const int audioFrameSize = writer.AudioFrameSize() > 0 ? writer.AudioFrameSize() : 1536;
  int64_t samplesWritten = 0;
  bool pushing = true;
  for (int64_t i = 0; i < frames && pushing && !cancel.load(); ++i) {
    FramePtr picture = RefFrame(still.get());
    if (!picture) return "out of memory for the menu picture";
    picture->pts = i;
    pushing = writer.Push(std::move(picture), true);
    // Keep the sound up with the picture.
    const int64_t soundUntil = std::min<int64_t>(samples, std::llround(double(i + 1) / av_q2d(frameRate) * 48000));
    while (pushing && samplesWritten < soundUntil) {
      FramePtr sound = MakeFrame();
      if (!sound) return "out of memory for the menu sound";
      sound->format = writer.AudioFormat();
      sound->nb_samples = audioFrameSize;
      sound->sample_rate = 48000;
      const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
      av_channel_layout_copy(&sound->ch_layout, &stereo);
      if (av_frame_get_buffer(sound.get(), 0) < 0) return "out of memory for the menu sound";
      av_samples_set_silence(sound->extended_data, 0, audioFrameSize, 2, writer.AudioFormat());
      if (!format.musicFile.empty() &&
          !music.Fill(reinterpret_cast<float*>(sound->extended_data[0]),
                      reinterpret_cast<float*>(sound->extended_data[1]), audioFrameSize, error)) {
        writer.Stop();
        return error;
      }
      sound->pts = samplesWritten;
      samplesWritten += audioFrameSize;
      pushing = writer.Push(std::move(sound), false);
    }
  }
  if (cancel.load()) {
    writer.Stop();
    return "cancelled";
  }
  if (!writer.Finish(error)) {
    if (cancel.load()) return "cancelled";
    return "encoding the menu page failed: " + (error.empty() ? writer.Error() : error);
  }
  return {};
}

}  // namespace engines::media
