#include <gtest/gtest.h>

#include <dirent.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/QM_OutputCtrl/OutputCtrl.h"
#include "engines/media/DecoderApi.h"
#include "engines/media/testing/LogCapture.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Unicode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

using namespace engines::media;
using engines::media::testing::Fixture;
namespace fs = std::filesystem;

namespace {

std::u16string Wide(const std::string& text) { return platform::Utf8ToUtf16(text); }

// Collects the callback's reports; waits for the end with a watchdog.
struct Events {
  std::mutex mutex;
  std::condition_variable changed;
  int progressCount = 0;
  int endCount = 0;
  int endCode = -1;
  int lastPercent = 0;
  bool percentsRose = true;
  int framesDone = 0;
  int previews = 0;
  int previewWidth = 0;
  int64_t endBytes = -1;

  static int32_t Callback(void* user, int32_t message, int32_t code, QEProgress* progress) {
    auto* self = static_cast<Events*>(user);
    std::lock_guard lock(self->mutex);
    if (message == kQEMessageProgress) {
      ++self->progressCount;
      if (progress->percent < self->lastPercent) self->percentsRose = false;
      self->lastPercent = progress->percent;
      self->framesDone = progress->framesDone;
      if (progress->preview && progress->preview->kind == 2 && progress->preview->valid == 1) {
        ++self->previews;
        self->previewWidth = progress->preview->frame.width;
      }
    } else if (message == kQEMessageEnd) {
      self->framesDone = progress->framesDone;
      self->endBytes = progress->bytesWritten;
      ++self->endCount;
      self->endCode = code;
    }
    self->changed.notify_all();
    return -1;
  }

  bool WaitFor(const std::function<bool()>& condition) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(120), condition);
  }
  bool WaitForEnd() { return WaitFor([&] { return endCount > 0; }); }
};

struct Sources {
  EngineHandle video = 0, audio = 0;
  Sources(const std::string& path, bool withVideo, bool withAudio) {
    if (withVideo) video = QVDCreate(Wide(path).c_str(), nullptr, nullptr, 0);
    if (withAudio) audio = QADCreate(Wide(path).c_str(), nullptr, nullptr, 0);
  }
  ~Sources() {
    QVDDestroy(video);
    QADDestroy(audio);
  }
};

// One folder per test process, removed with what it holds when the process ends.
fs::path OutputFolder() {
  static const struct Folder {
    fs::path path = fs::path(BRANTWELL_TEST_BIN_DIR) / ("converter-" + std::to_string(getpid()));
    ~Folder() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } folder;
  fs::create_directories(folder.path);
  return folder.path;
}

int ThreadCount() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/task")) {
    (void)entry;
    ++count;
  }
  return count;
}

// What a DVD program stream checker reads from our output.
struct StreamFacts {
  bool packsOf2048 = true;
  int navigationPacks = 0;
  int width = 0, height = 0;
  double frameRate = 0, displayAspect = 0;
  int videoFrames = 0;
  std::vector<int> gopLengths;
  std::string audioCodec;
  int sampleRate = 0, channels = 0;
  int topRowLuma = -1, middleRowLuma = -1;  // of the first picture, averaged over a row
  int duplicateFrames = 0;                  // consecutive pictures that are nearly equal
};

StreamFacts Inspect(const std::string& path) {
  StreamFacts facts;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), {});
  if (data.empty() || data.size() % 2048 != 0) facts.packsOf2048 = false;
  for (size_t pack = 0; pack + 2048 <= data.size(); pack += 2048) {
    const uint8_t* p = &data[pack];
    if (!(p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == 0xBA)) facts.packsOf2048 = false;
    const size_t next = 14 + (p[13] & 7);
    // A navigation pack: system header, then the PCI and DSI private stream 2 packets.
    if (p[next + 3] == 0xBB) {
      const size_t afterHeader = next + 6 + ((p[next + 4] << 8) | p[next + 5]);
      if (p[afterHeader + 3] == 0xBF) ++facts.navigationPacks;
    }
  }

  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return facts;
  avformat_find_stream_info(format, nullptr);
  const AVCodec* decoder = nullptr;
  int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  int audio = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  AVCodecContext* codec = nullptr;
  if (video >= 0) {
    AVStream* stream = format->streams[video];
    facts.width = stream->codecpar->width;
    facts.height = stream->codecpar->height;
    facts.frameRate = av_q2d(stream->r_frame_rate);
    AVRational sar = stream->codecpar->sample_aspect_ratio;
    facts.displayAspect = double(facts.width) * sar.num / (double(facts.height) * sar.den);
    codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, stream->codecpar);
    codec->thread_count = 1;
    avcodec_open2(codec, decoder, nullptr);
  }
  if (audio >= 0) {
    facts.audioCodec = avcodec_get_name(format->streams[audio]->codecpar->codec_id);
    facts.sampleRate = format->streams[audio]->codecpar->sample_rate;
    facts.channels = format->streams[audio]->codecpar->ch_layout.nb_channels;
  }
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::vector<uint8_t> previous;
  int sinceKey = -1;
  auto takeFrames = [&] {
    while (avcodec_receive_frame(codec, frame) == 0) {
      ++facts.videoFrames;
      if (frame->pict_type == AV_PICTURE_TYPE_I) {
        if (sinceKey > 0) facts.gopLengths.push_back(sinceKey);
        sinceKey = 0;
      }
      if (sinceKey >= 0) ++sinceKey;
      auto rowMean = [&](int row) {
        long sum = 0;
        for (int x = 0; x < frame->width; ++x) sum += frame->data[0][row * frame->linesize[0] + x];
        return int(sum / frame->width);
      };
      if (facts.topRowLuma < 0) {
        facts.topRowLuma = rowMean(20);
        facts.middleRowLuma = rowMean(frame->height / 2);
      }
      std::vector<uint8_t> luma(size_t(frame->width) * frame->height);
      for (int y = 0; y < frame->height; ++y) memcpy(&luma[size_t(y) * frame->width], frame->data[0] + y * frame->linesize[0], frame->width);
      if (!previous.empty()) {
        long difference = 0;
        for (size_t i = 0; i < luma.size(); ++i) difference += std::abs(int(luma[i]) - int(previous[i]));
        if (double(difference) / luma.size() < 0.5) ++facts.duplicateFrames;
      }
      previous = std::move(luma);
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == video && codec) {
      avcodec_send_packet(codec, packet);
      takeFrames();
    }
    av_packet_unref(packet);
  }
  if (codec) {
    avcodec_send_packet(codec, nullptr);
    takeFrames();
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&codec);
  avformat_close_input(&format);
  return facts;
}

struct EncodeCase {
  const char* name;
  const char* fixture;
  bool withVideo, withAudio;
  bool pal;
  int aspect;         // parameter block value
  double length;      // seconds to encode, 0: all
  double expectedAspect;
  int expectedFrames;
  bool letterboxed;
  bool checkDuplicates;
  int audioCodec;
  // The block starts from the output control's defaults, as the output job fills it, instead
  // of the converter's own.
  bool outputControlDefaults = false;
};

void PrintTo(const EncodeCase& c, std::ostream* out) { *out << c.name; }

class Encoding : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encoding, WritesAProgramStreamDvdauthorAccepts) {
  const EncodeCase& c = GetParam();
  const std::string input = Fixture(c.fixture);
  ASSERT_FALSE(input.empty());
  Sources sources(input, c.withVideo, c.withAudio);
  EngineHandle converter = QECreate(sources.video, sources.audio);
  ASSERT_NE(converter, 0u);
  const fs::path folder = OutputFolder();
  const std::string output = (folder / (std::string(c.name) + ".mpg")).string();
  ASSERT_EQ(QESetOutputFile(converter, Wide(output).c_str()), 1);
  // The block as the output job fills it over an engine's defaults.
  QEEncodeParam param;
  if (c.outputControlDefaults) OCInitEncParam(&param);
  else QEInitEncodeParam(&param);
  param.width = 720;
  param.height = c.pal ? 576 : 480;
  param.frameRate = c.pal ? 25.0 : 30000.0 / 1001.0;
  param.videoBitrate = 6000000;
  param.rateControl = -1;
  param.maxBitrate = 7200000;
  param.aspect = c.aspect;
  param.audioCodec = c.audioCodec;
  param.sampleRate = 48000;
  param.channels = 2;
  ASSERT_EQ(QESetEncodeParam(converter, &param), 1);
  Events events;
  ASSERT_EQ(QEStart(converter, 0.0, c.length, 0, &Events::Callback, &events), 0);
  ASSERT_TRUE(events.WaitForEnd());
  EXPECT_EQ(events.endCode, kQEEndDone);
  EXPECT_EQ(events.endCount, 1);
  EXPECT_TRUE(events.percentsRose);
  QEDestroy(converter);
  // The end report carries the size of the finished file.
  EXPECT_EQ(events.endBytes, int64_t(fs::file_size(output)));

  const StreamFacts facts = Inspect(output);
  EXPECT_TRUE(facts.packsOf2048);
  EXPECT_GE(facts.navigationPacks, 2);
  EXPECT_EQ(facts.width, 720);
  EXPECT_EQ(facts.height, c.pal ? 576 : 480);
  EXPECT_NEAR(facts.frameRate, c.pal ? 25.0 : 29.97, 0.01);
  EXPECT_NEAR(facts.displayAspect, c.expectedAspect, 0.01);
  int expectedFrames = c.expectedFrames;
  if (c.length == 0.0) {
    // The whole file: its length as the decoder manager reports it.
    TMediaFileInfo* info = QDMGetFileInfo(Wide(input).c_str(), 0);
    ASSERT_NE(info, nullptr);
    expectedFrames = int(std::lround(info->duration * (c.pal ? 25.0 : 30000.0 / 1001.0)));
    QDMFreeFileInfo(info);
    EXPECT_NEAR(expectedFrames, c.expectedFrames, 3);
  }
  EXPECT_NEAR(facts.videoFrames, expectedFrames, 1);
  // Every GOP has 15 pictures; the last one of the title may be shorter.
  ASSERT_FALSE(facts.gopLengths.empty());
  EXPECT_LE(facts.gopLengths.back(), 15);
  for (size_t i = 0; i + 1 < facts.gopLengths.size(); ++i) EXPECT_EQ(facts.gopLengths[i], 15);
  EXPECT_EQ(facts.audioCodec, c.audioCodec == 1 ? "mp2" : "ac3");
  EXPECT_EQ(facts.sampleRate, 48000);
  EXPECT_EQ(facts.channels, 2);
  if (c.letterboxed) {
    EXPECT_LE(facts.topRowLuma, 20);  // a black bar
    EXPECT_GT(facts.middleRowLuma, 40);
  }
  if (c.checkDuplicates) {
    EXPECT_EQ(facts.duplicateFrames, 0);
  }

  const fs::path dvd = folder / (std::string(c.name) + "-dvd");
  fs::remove_all(dvd);
  EXPECT_EQ(engines::media::testing::RunProgram({"dvdauthor", "-o", dvd.string(), "-t", output}), 0);
  EXPECT_TRUE(fs::exists(dvd / "VIDEO_TS" / "VTS_01_1.VOB"));
  fs::remove_all(dvd);
  fs::remove(output);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, Encoding,
    ::testing::Values(
        EncodeCase{"ntsc_h264_aac", "h264_aac.mp4", true, true, false, 0, 0, 4.0 / 3.0, 60, false, false, 0},
        EncodeCase{"scope_letterboxed_16_9", "scope_235.mp4", true, false, false, 0, 0, 16.0 / 9.0, 60, true, false, 0},
        EncodeCase{"pal_mpeg4_mp3", "mpeg4_mp3.avi", true, true, true, 0, 0, 4.0 / 3.0, 50, false, false, 0},
        EncodeCase{"pal_mp2_audio", "mpeg4_mp3.avi", true, true, true, 3, 1.0, 16.0 / 9.0, 25, false, false, 1},
        EncodeCase{"audio_only", "audio_only.m4a", false, true, false, 2, 0, 4.0 / 3.0, 60, false, false, 0},
        EncodeCase{"photo_one_second", "photo.png", true, false, false, 0, 1.0, 4.0 / 3.0, 30, false, false, 0},
        EncodeCase{"irregular_timestamps", "irregular.mkv", true, false, false, 0, 0, 4.0 / 3.0, 60, false, true, 0},
        EncodeCase{"output_control_block_ntsc", "h264_aac.mp4", true, true, false, 2, 0, 4.0 / 3.0, 60, false, false, 0, true},
        EncodeCase{"output_control_block_pal", "mpeg4_mp3.avi", true, true, true, 3, 0, 16.0 / 9.0, 50, false, false, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConverterJob, AbortReportsTheEndAndLeavesNoThreadOrFile) {
  const int threadsBefore = ThreadCount();
  {
  Sources sources(Fixture("long_h264.mp4"), true, true);
  EngineHandle converter = QECreate(sources.video, sources.audio);
  ASSERT_NE(converter, 0u);
  const std::string output = (OutputFolder() / "aborted.mpg").string();
  QESetOutputFile(converter, Wide(output).c_str());
  ASSERT_EQ(QEEnablePreview(converter, -1), 1);
  Events events;
  ASSERT_EQ(QEStart(converter, 0.0, 0.0, 0, &Events::Callback, &events), 0);
  ASSERT_TRUE(events.WaitFor([&] { return events.progressCount > 0 || events.endCount > 0; }));
  EXPECT_EQ(QEAbort(converter, 0, 0), 1);
  ASSERT_TRUE(events.WaitForEnd());
  EXPECT_EQ(events.endCode, kQEEndAborted);
  EXPECT_GT(events.previews, 0);
  EXPECT_EQ(events.previewWidth, 720);
  QEDestroy(converter);
  EXPECT_EQ(events.endCount, 1);
  EXPECT_FALSE(fs::exists(output));
  }
  // The converter's threads and the decoders' are all gone.
  EXPECT_EQ(ThreadCount(), threadsBefore);
}

TEST(ConverterJob, PauseHoldsTheEncodingUntilResumed) {
  Sources sources(Fixture("long_h264.mp4"), true, true);
  EngineHandle converter = QECreate(sources.video, sources.audio);
  const std::string output = (OutputFolder() / "paused.mpg").string();
  QESetOutputFile(converter, Wide(output).c_str());
  Events events;
  ASSERT_EQ(QEStart(converter, 0.0, 0.0, 0, &Events::Callback, &events), 0);
  ASSERT_TRUE(events.WaitFor([&] { return events.progressCount > 0; }));
  QEPause(converter);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  int held;
  {
    std::lock_guard lock(events.mutex);
    held = events.framesDone;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  {
    std::lock_guard lock(events.mutex);
    EXPECT_EQ(events.framesDone, held);
    EXPECT_EQ(events.endCount, 0);
  }
  QEResume(converter);
  ASSERT_TRUE(events.WaitForEnd());
  EXPECT_EQ(events.endCode, kQEEndDone);
  EXPECT_EQ(events.framesDone, 90);  // 3 s at 29.97
  QEDestroy(converter);
  fs::remove(output);
}

// The converter's reason for its last failure, as the program reads it.
std::string LastError(EngineHandle converter) {
  const int32_t length = QEGetLastError(converter, nullptr, 0);
  std::u16string text(size_t(std::max(length, 0)) + 1, u'\0');
  EXPECT_EQ(QEGetLastError(converter, text.data(), int32_t(text.size())), length);
  text.resize(size_t(std::max(length, 0)));
  return platform::Utf16ToUtf8(text);
}

TEST(ConverterJob, RefusesWhatCannotBeEncoded) {
  struct BadBlock {
    const char* what;
    void (*change)(QEEncodeParam&);
  };
  const BadBlock blocks[] = {
      {"height", [](QEEncodeParam& p) { p.height = 500; }},
      {"frame rate", [](QEEncodeParam& p) { p.frameRate = 25.0; }},  // with 480 lines
      {"average above maximum", [](QEEncodeParam& p) { p.videoBitrate = 8000000, p.maxBitrate = 7000000; }},
      {"maximum above the DVD limit", [](QEEncodeParam& p) { p.maxBitrate = 12000000; }},
      {"aspect", [](QEEncodeParam& p) { p.aspect = 1; }},
      {"MP2 on NTSC", [](QEEncodeParam& p) { p.audioCodec = kEncodeAudioMp2; }},
      {"LPCM", [](QEEncodeParam& p) { p.audioCodec = kEncodeAudioLpcm; }},
      {"sample rate", [](QEEncodeParam& p) { p.sampleRate = 44100; }},
  };
  Sources sources(Fixture("h264_aac.mp4"), true, true);
  EngineHandle converter = QECreate(sources.video, sources.audio);
  ASSERT_NE(converter, 0u);
  for (const BadBlock& block : blocks) {
    SCOPED_TRACE(block.what);
    QEEncodeParam param;
    QEInitEncodeParam(&param);
    block.change(param);
    engines::media::testing::LogCapture log;
    EXPECT_EQ(QESetEncodeParam(converter, &param), 0);
    EXPECT_NE(log.Text().find("encoding parameters refused"), std::string::npos);
  }
  // A GOP longer than the standard allows is cut to its limit.
  QEEncodeParam param{};
  param.gopSize = 40;
  ASSERT_EQ(QESetEncodeParam(converter, &param), 1);
  QEGetEncodeParam(converter, &param);
  EXPECT_EQ(param.gopSize, 18);

  Events events;
  {
    engines::media::testing::LogCapture log;
    EXPECT_NE(QEStart(converter, 0.0, 0.0, 0, &Events::Callback, &events), 0);  // no output file
    EXPECT_NE(log.Text().find("no output file"), std::string::npos);
  }
  {
    engines::media::testing::LogCapture log;
    const std::string unwritable = (OutputFolder() / "missing-folder" / "x.mpg").string();
    QESetOutputFile(converter, Wide(unwritable).c_str());
    EXPECT_NE(QEStart(converter, 0.0, 0.0, 0, &Events::Callback, &events), 0);
    EXPECT_NE(log.Text().find(unwritable), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find("No such file"), std::string::npos) << log.Text();
    // The program is told the same.
    EXPECT_NE(LastError(converter).find(unwritable), std::string::npos) << LastError(converter);
    char16_t small[8];
    EXPECT_GT(QEGetLastError(converter, small, 8), 8);
    EXPECT_EQ(small[7], u'\0');
  }
  EXPECT_EQ(events.endCount, 0);  // a job that did not start reports nothing
  QEDestroy(converter);
  EXPECT_EQ(QEGetLastError(converter, nullptr, 0), 0);  // stale

  EXPECT_EQ(QECreate(0, 0), 0u);
  EXPECT_EQ(QECreate(sources.audio, 0), 0u);  // an audio decoder is no video source
  EXPECT_EQ(QEStart(0, 0.0, 0.0, 0, nullptr, nullptr), -1);
  EXPECT_EQ(QEAbort(converter, 0, 0), 0);  // destroyed: stale
  EXPECT_EQ(QESetOutputFile(converter, u"x.mpg"), 0);
}

// A fixture made by ffmpeg with `arguments` (output appended), then cut to `keep` of its size
// (1: whole), as an interrupted download or copy leaves a file.
std::string MadeFixture(const std::string& name, std::vector<std::string> arguments, double keep = 1.0) {
  const fs::path path = engines::media::testing::FixtureFolder() / name;
  if (fs::exists(path)) return path.string();
  const fs::path temporary = path.parent_path() / ("tmp-" + std::to_string(getpid()) + "-" + name);
  arguments.insert(arguments.begin(), {"ffmpeg", "-nostdin", "-y", "-loglevel", "error"});
  arguments.push_back(temporary.string());
  if (engines::media::testing::RunProgram(arguments) != 0) return {};
  if (keep < 1.0) fs::resize_file(temporary, uintmax_t(double(fs::file_size(temporary)) * keep));
  fs::rename(temporary, path);
  return path.string();
}

// 5 s with the index in front, cut at 40 %: the index still declares 5 s, the data ends
// after about 2 s.
std::string TruncatedMp4() {
  return MadeFixture("truncated_faststart.mp4",
                     {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=5", "-f", "lavfi", "-i",
                      "sine=frequency=440:sample_rate=48000:duration=5", "-ac", "2", "-c:v", "libx264", "-preset",
                      "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-movflags", "+faststart"},
                     0.4);
}

TEST(ConverterJob, ACutOffSourceFailsNamingTheFileAndTheTimeReached) {
  const std::string input = TruncatedMp4();
  ASSERT_FALSE(input.empty());
  struct Case {
    const char* name;
    bool withVideo, withAudio;
  };
  for (const Case& c : {Case{"pictures and sound", true, true}, Case{"sound only", false, true},
                        Case{"pictures only", true, false}}) {
    SCOPED_TRACE(c.name);
    Sources sources(input, c.withVideo, c.withAudio);
    EngineHandle converter = QECreate(sources.video, sources.audio);
    ASSERT_NE(converter, 0u);
    const std::string output = (OutputFolder() / "cut-off.mpg").string();
    QESetOutputFile(converter, Wide(output).c_str());
    engines::media::testing::LogCapture log;
    Events events;
    ASSERT_EQ(QEStart(converter, 0.0, 0.0, 0, &Events::Callback, &events), 0);
    ASSERT_TRUE(events.WaitForEnd());
    // What the end code 2 came from, for the program to show.
    const std::string reason = LastError(converter);
    QEDestroy(converter);
    EXPECT_EQ(events.endCode, kQEEndFailed);
    EXPECT_EQ(reason.rfind("encoding '" + output + "' failed: ", 0), 0u) << reason;
    EXPECT_NE(reason.find("cannot read '" + input + "' past "), std::string::npos) << reason;
    EXPECT_FALSE(fs::exists(output));
    // The job stops where the data does, instead of padding to the declared 5 s.
    EXPECT_LT(events.framesDone, 90);
    const std::string text = log.Text();
    const std::string failure = "encoding '" + output + "' failed: ";
    const size_t line = text.find(failure);
    ASSERT_NE(line, std::string::npos) << text;
    const std::string said = text.substr(line + failure.size(), text.find('\n', line) - line - failure.size());
    const std::string subject = "cannot read '" + input + "' past ";
    const size_t at = said.find(subject);
    ASSERT_NE(at, std::string::npos) << said;
    const double reached = std::strtod(said.c_str() + at + subject.size(), nullptr);
    EXPECT_GT(reached, 1.0) << said;
    EXPECT_LT(reached, 3.0) << said;
  }
  // The part before the cut is still good for a title.
  Sources sources(input, true, true);
  EngineHandle converter = QECreate(sources.video, sources.audio);
  const std::string output = (OutputFolder() / "before-the-cut.mpg").string();
  QESetOutputFile(converter, Wide(output).c_str());
  Events events;
  ASSERT_EQ(QEStart(converter, 0.0, 1.0, 0, &Events::Callback, &events), 0);
  ASSERT_TRUE(events.WaitForEnd());
  EXPECT_EQ(LastError(converter), "");
  QEDestroy(converter);
  EXPECT_EQ(events.endCode, kQEEndDone);
  fs::remove(output);
}

TEST(ConverterJob, ASoundtrackShorterThanThePicturesIsNoDamage) {
  // Matroska gives its streams no lengths of their own: only the file's 3 s is declared.
  const std::string input =
      MadeFixture("short_soundtrack.mkv", {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=3", "-f",
                                           "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=1", "-ac",
                                           "2", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
                                           "-c:a", "aac"});
  ASSERT_FALSE(input.empty());
  Sources sources(input, true, true);
  EngineHandle converter = QECreate(sources.video, sources.audio);
  const std::string output = (OutputFolder() / "short-soundtrack.mpg").string();
  QESetOutputFile(converter, Wide(output).c_str());
  Events events;
  ASSERT_EQ(QEStart(converter, 0.0, 0.0, 0, &Events::Callback, &events), 0);
  ASSERT_TRUE(events.WaitForEnd());
  QEDestroy(converter);
  EXPECT_EQ(events.endCode, kQEEndDone);
  EXPECT_NEAR(events.framesDone, 90, 1);
  fs::remove(output);
}

TEST(ConverterJob, DiskFreeSpaceOfAPathOrItsNearestFolder) {
  const std::string folder = OutputFolder().string();
  const int64_t free = QEGetDiskFreeSpace(Wide(folder).c_str());
  EXPECT_GT(free, 0);
  EXPECT_GT(QEGetDiskFreeSpace(Wide(folder + "/not/yet/made.mpg").c_str()), 0);
  EXPECT_EQ(QEGetDiskFreeSpace(nullptr), 0);
}

}  // namespace
