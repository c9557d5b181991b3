#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <random>

#include "engines/media/DecoderApi.h"
#include "engines/media/FileSource.h"
#include "engines/media/FrameConvert.h"
#include "engines/media/MediaSource.h"
#include "engines/media/testing/LogCapture.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Unicode.h"

// The program binds file information by ordinal.
ENGINE_API TMediaFileInfo* ordinal_1(const char16_t* fileName, int32_t mode);
ENGINE_API void ordinal_2(TMediaFileInfo* info);

using namespace engines::media;
using engines::media::testing::Fixture;

namespace {

std::u16string Wide(const std::string& text) { return platform::Utf8ToUtf16(text); }

struct InfoCase {
  const char* fixture;
  int width, height;
  double frameRate;
  int xratio, yratio;
  int sampleRate, channels;  // 0: no audio
  double duration;
  uint32_t caps;
};

void PrintTo(const InfoCase& c, std::ostream* out) { *out << c.fixture; }

class FileInformation : public ::testing::TestWithParam<InfoCase> {};

TEST_P(FileInformation, MatchesWhatTheFixtureWasMadeWith) {
  const InfoCase& c = GetParam();
  const std::string path = Fixture(c.fixture);
  ASSERT_FALSE(path.empty()) << "ffmpeg could not make " << c.fixture;
  ASSERT_EQ(QDMStart(), 1);
  TMediaFileInfo* info = ordinal_1(Wide(path).c_str(), 0);
  ASSERT_NE(info, nullptr);
  EXPECT_NEAR(info->duration, c.duration, 0.15);
  ASSERT_EQ(info->programCount, 1);
  const TMediaProgram& program = info->programs[0];
  EXPECT_EQ(program.videoStreamCount > 0, c.width > 0);
  EXPECT_EQ(program.audioStreamCount > 0, c.sampleRate > 0);
  if (c.width > 0) {
    const TVideoInfo& video = program.video->video;
    EXPECT_EQ(video.Width, c.width);
    EXPECT_EQ(video.Height, c.height);
    EXPECT_NEAR(video.frame_rate, c.frameRate, 0.01);
    EXPECT_EQ(video.xratio, c.xratio);
    EXPECT_EQ(video.yratio, c.yratio);
    EXPECT_EQ(video.dwCapsFlag, c.caps);
    if (c.caps == 0) {
      EXPECT_NEAR(video.total_frames, c.frameRate * c.duration, 2);
    }
    // The record lies at byte 416 of the stream description, as the program reads it.
    EXPECT_EQ(reinterpret_cast<const char*>(&video) - reinterpret_cast<const char*>(program.video), 416);
  } else {
    EXPECT_EQ(program.video, nullptr);
  }
  if (c.sampleRate > 0) {
    const TAudioInfo& audio = program.audio->audio;
    EXPECT_EQ(audio.sample_rate, c.sampleRate);
    EXPECT_EQ(audio.channels, c.channels);
    EXPECT_NEAR(audio.length, c.duration, 0.15);
    EXPECT_GT(audio.bytespersecond, 0);
  }
  ordinal_2(info);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, FileInformation,
    ::testing::Values(InfoCase{"h264_aac.mp4", 320, 240, 29.97, 4, 3, 44100, 2, 2.0, 0},
                      InfoCase{"mpeg4_mp3.avi", 352, 288, 25.0, 11, 9, 22050, 1, 2.0, 0},
                      InfoCase{"scope_235.mp4", 470, 200, 24.0, 47, 20, 0, 0, 2.0, 0},
                      InfoCase{"audio_only.m4a", 0, 0, 0, 0, 0, 48000, 2, 2.0, 0},
                      InfoCase{"photo.jpg", 64, 48, 25.0, 4, 3, 0, 0, kStillSeconds, kCapsStillPicture},
                      InfoCase{"photo.png", 64, 48, 25.0, 4, 3, 0, 0, kStillSeconds, kCapsStillPicture},
                      InfoCase{"photo.bmp", 64, 48, 25.0, 4, 3, 0, 0, kStillSeconds, kCapsStillPicture},
                      InfoCase{"photo.gif", 64, 48, 25.0, 4, 3, 0, 0, kStillSeconds, kCapsStillPicture},
                      InfoCase{"photo.tif", 64, 48, 25.0, 4, 3, 0, 0, kStillSeconds, kCapsStillPicture}),
    [](const auto& info) {
      std::string name = info.param.fixture;
      for (char& c : name) if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(SubStreams, NameIsCutToItsFieldAndTerminated) {
  const auto folder = engines::media::testing::FixtureFolder();
  const std::string srt = (folder / "long_title.srt").string();
  std::ofstream(srt) << "1\n00:00:00,000 --> 00:00:01,000\nHello\n";
  const std::string output = (folder / ("long_title_" + std::to_string(getpid()) + ".mkv")).string();
  // 200 characters, the last of them outside the BMP, so the cut falls on a surrogate pair.
  std::string title(126, 'T');
  title += "\xF0\x9F\x8E\xAC";
  title += std::string(73, 'x');
  ASSERT_EQ(engines::media::testing::RunProgram(
                {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                 "testsrc=size=64x48:rate=10:duration=1", "-i", srt, "-c:v", "mpeg4", "-c:s", "srt",
                 "-metadata:s:s:0", "title=" + title, "-metadata:s:s:0", "language=eng", output}),
            0);
  TMediaFileInfo* info = ordinal_1(Wide(output).c_str(), 0);
  ASSERT_NE(info, nullptr);
  const TMediaProgram& program = info->programs[0];
  ASSERT_EQ(program.subStreamCount, 1);
  const TSubStreamInfo& sub = program.subStreams[0];
  EXPECT_EQ(sub.streamId, 2);  // stream index 1, plus one
  const std::u16string name(sub.name);
  EXPECT_EQ(name.size(), 126u);  // the pair that would not fit whole is left out
  EXPECT_EQ(name, std::u16string(126, u'T'));
  EXPECT_EQ(sub.name[127], 0);
  ordinal_2(info);
  std::filesystem::remove(output);
}

TEST(Decoders, VideoDeliversFramesAndSeeksToTheFrameShownAtATime) {
  const std::string path = Fixture("h264_aac.mp4");
  ASSERT_FALSE(path.empty());
  int32_t status = 7;
  EngineHandle handle = QVDCreate(Wide(path).c_str(), nullptr, &status, 0);
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(status, 0);
  const TVideoInfo* info = QVDGetVideoInfo(handle);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Width, 320);
  EXPECT_EQ(QADGetAudioInfo(handle), nullptr);  // a video decoder has no audio

  auto source = engines::Lookup<MediaSource>(handle);
  ASSERT_TRUE(source);
  std::vector<double> times;
  std::vector<uint64_t> sums;
  VideoFrame frame;
  while (source->ReadVideo(frame)) {
    times.push_back(frame.time);
    uint64_t sum = 0;
    for (int x = 0; x < frame.frame->width; ++x) sum += frame.frame->data[0][x + 100 * frame.frame->linesize[0]];
    sums.push_back(sum);
    EXPECT_NEAR(frame.Aspect(), 4.0 / 3.0, 1e-6);
  }
  ASSERT_EQ(times.size(), 60u);
  EXPECT_NEAR(times.front(), 0.0, 1e-6);
  for (size_t i = 1; i < times.size(); ++i) EXPECT_NEAR(times[i] - times[i - 1], 1001.0 / 30000, 1e-3);

  // Seek to a time between frames 37 and 38: the next frame is 37, the one shown then.
  const double target = times[37] + 0.01;
  ASSERT_TRUE(source->Seek(target));
  ASSERT_TRUE(source->ReadVideo(frame));
  EXPECT_NEAR(frame.time, times[37], 1e-6);
  uint64_t sum = 0;
  for (int x = 0; x < frame.frame->width; ++x) sum += frame.frame->data[0][x + 100 * frame.frame->linesize[0]];
  EXPECT_EQ(sum, sums[37]);
  ASSERT_TRUE(source->ReadVideo(frame));
  EXPECT_NEAR(frame.time, times[38], 1e-6);

  ASSERT_TRUE(source->Seek(0.0));
  ASSERT_TRUE(source->ReadVideo(frame));
  EXPECT_NEAR(frame.time, 0.0, 1e-6);
  source.reset();
  QVDDestroy(handle);
  EXPECT_EQ(QVDGetVideoInfo(handle), nullptr);  // a destroyed handle is stale
}

TEST(Decoders, AudioIsResampledTo48kStereoAndSeeks) {
  for (const char* name : {"h264_aac.mp4", "mpeg4_mp3.avi"}) {
    SCOPED_TRACE(name);
    const std::string path = Fixture(name);
    EngineHandle handle = QADCreate(Wide(path).c_str(), nullptr, nullptr, 0);
    ASSERT_NE(handle, 0u);
    auto source = engines::Lookup<MediaSource>(handle);
    AudioBlock block;
    size_t total = 0;
    float peak = 0;
    while (source->ReadAudio(block)) {
      total += block.SampleCount();
      for (float s : block.samples) peak = std::max(peak, std::fabs(s));
    }
    EXPECT_NEAR(double(total) / kAudioRate, 2.0, 0.1);
    EXPECT_GT(peak, 0.05f);
    ASSERT_TRUE(source->Seek(1.0));
    ASSERT_TRUE(source->ReadAudio(block));
    EXPECT_NEAR(block.time, 1.0, 1.0 / kAudioRate + 1e-6);
    size_t rest = block.SampleCount();
    while (source->ReadAudio(block)) rest += block.SampleCount();
    EXPECT_NEAR(double(rest) / kAudioRate, 1.0, 0.1);
    source.reset();
    QADDestroy(handle);
  }
}

TEST(Decoders, PhotoIsOneStillPicture) {
  for (const char* name : {"photo.jpg", "photo.png", "photo.bmp", "photo.gif", "photo.tif"}) {
    SCOPED_TRACE(name);
    EngineHandle handle = QVDCreate(Wide(Fixture(name)).c_str(), nullptr, nullptr, 0);
    ASSERT_NE(handle, 0u);
    auto source = engines::Lookup<MediaSource>(handle);
    EXPECT_DOUBLE_EQ(source->Duration(), kStillSeconds);
    VideoFrame frame;
    for (int pass = 0; pass < 2; ++pass) {
      ASSERT_TRUE(source->ReadVideo(frame));
      EXPECT_EQ(frame.time, 0.0);
      FrameConverter converter;
      FramePtr bgra = converter.Convert(frame.frame.get(), AV_PIX_FMT_BGRA, 64, 48);
      ASSERT_TRUE(bgra);
      const uint8_t* left = bgra->data[0] + 24 * bgra->linesize[0] + 8 * 4;
      const uint8_t* right = bgra->data[0] + 24 * bgra->linesize[0] + 56 * 4;
      EXPECT_GT(left[2], 150);  // red (GIF keeps a palette of its own)
      EXPECT_LT(left[0], 90);
      EXPECT_GT(right[0], 150);  // blue
      EXPECT_LT(right[2], 90);
      EXPECT_FALSE(source->ReadVideo(frame));  // then the end
      ASSERT_TRUE(source->Seek(0.0));          // and again after a seek
    }
    source.reset();
    QVDDestroy(handle);
  }
}

TEST(Decoders, UnreadableInputFailsWithAClearReason) {
  const auto folder = engines::media::testing::FixtureFolder();
  const std::string corrupt = (folder / ("corrupt_" + std::to_string(getpid()) + ".mp4")).string();
  {
    std::ofstream out(corrupt, std::ios::binary);
    std::mt19937 random(7);
    for (int i = 0; i < 4096; ++i) out.put(char(random()));
  }
  const std::string missing = (folder / "no-such-file.mp4").string();
  struct Case {
    std::string path;
    std::string reason;
  };
  for (const Case& c : {Case{corrupt, "Invalid data"}, Case{missing, "No such file"},
                        Case{Fixture("audio_only.m4a"), "no video stream"}}) {
    SCOPED_TRACE(c.path);
    engines::media::testing::LogCapture log;
    int32_t status = 0;
    EXPECT_EQ(QVDCreate(Wide(c.path).c_str(), nullptr, &status, 0), 0u);
    EXPECT_EQ(status, -1);
    EXPECT_NE(log.Text().find(c.reason), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find(c.path), std::string::npos) << log.Text();
  }
  EXPECT_EQ(ordinal_1(Wide(corrupt).c_str(), 0), nullptr);
  EXPECT_EQ(QVDCreate(nullptr, nullptr, nullptr, 0), 0u);
  EXPECT_EQ(QVDGetVideoInfo(0), nullptr);
  QVDDestroy(0);
  ordinal_2(nullptr);
  std::filesystem::remove(corrupt);
}

}  // namespace

namespace {

// A 2 s, 10 fps clip with a subtitle stream of two cues, the first of two lines with styling.
std::string SubtitledClip() {
  const auto folder = engines::media::testing::FixtureFolder();
  const std::string srt = (folder / ("cues_" + std::to_string(getpid()) + ".srt")).string();
  std::ofstream(srt) << "1\n00:00:00,500 --> 00:00:01,000\n<i>Hello</i>\nthere\n\n"
                        "2\n00:00:01,200 --> 00:00:01,500\nWorld\n";
  const std::string output = (folder / ("cues_" + std::to_string(getpid()) + ".mkv")).string();
  const int result = engines::media::testing::RunProgram(
      {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=2",
       "-i", srt, "-c:v", "mpeg4", "-c:s", "ass", output});
  std::filesystem::remove(srt);
  return result == 0 ? output : std::string();
}

}  // namespace

TEST(Decoders, SelectedSubtitleStreamComesWithThePicturesItIsShownOn) {
  const std::string path = SubtitledClip();
  ASSERT_FALSE(path.empty());
  std::string error;
  DecoderOptions options;
  options.subtitleStreamId = 2;
  auto source = FileSource::Open(path, StreamKind::Video, options, error);
  ASSERT_NE(source, nullptr) << error;

  auto textsAt = [&](double from, double to) {
    std::set<std::string> texts;
    VideoFrame frame;
    while (source->ReadVideo(frame)) {
      if (frame.time >= from - 0.001 && frame.time < to - 0.001) {
        std::string joined;
        for (const auto& cue : frame.subtitles) joined += (joined.empty() ? "" : "|") + cue->text;
        texts.insert(joined);
      }
      if (frame.time >= to - 0.001) break;
    }
    return texts;
  };
  EXPECT_EQ(textsAt(0.0, 0.5), std::set<std::string>{""});
  EXPECT_EQ(textsAt(0.5, 1.0), std::set<std::string>{"Hello\nthere"}) << "styling dropped, lines kept";
  EXPECT_EQ(textsAt(1.0, 1.2), std::set<std::string>{""});
  EXPECT_EQ(textsAt(1.2, 1.5), std::set<std::string>{"World"});

  // After a seek the cues come again; no stream, or one that is not subtitles, brings none.
  ASSERT_TRUE(source->Seek(0.0));
  EXPECT_EQ(textsAt(0.5, 0.7), std::set<std::string>{"Hello\nthere"});
  EXPECT_FALSE(source->SelectSubtitles(1)) << "stream 1 is the video";
  EXPECT_FALSE(source->SelectSubtitles(9));
  ASSERT_TRUE(source->SelectSubtitles(0));
  ASSERT_TRUE(source->Seek(0.0));
  EXPECT_EQ(textsAt(0.5, 1.0), std::set<std::string>{""});
  source.reset();
  std::filesystem::remove(path);
}
