#include "program/engine/MediaInfo.h"

#include <gtest/gtest.h>

#include <cstring>

#include "EngineTestSupport.h"
#include "engines/QmBurn/QmBurn.h"
#include "engines/media/MediaRecords.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/QmBurner.h"

namespace {

namespace media = engines::media;
using enginetest::Fixture;

// The program's copies of the engine records must match the engines' headers field by field;
// checked when the tests are compiled, since only they see both headers.
#define SAME_FIELD(Ours, ourField, Theirs, theirField)                        \
  static_assert(offsetof(Ours, ourField) == offsetof(Theirs, theirField) &&   \
                    sizeof(Ours::ourField) == sizeof(Theirs::theirField),      \
                #Ours "::" #ourField " differs from the engine's record")

static_assert(sizeof(TVideoInfo) == sizeof(media::TVideoInfo));
SAME_FIELD(TVideoInfo, Width, media::TVideoInfo, Width);
SAME_FIELD(TVideoInfo, Height, media::TVideoInfo, Height);
SAME_FIELD(TVideoInfo, frame_rate, media::TVideoInfo, frame_rate);
SAME_FIELD(TVideoInfo, total_frames, media::TVideoInfo, total_frames);
SAME_FIELD(TVideoInfo, xratio, media::TVideoInfo, xratio);
SAME_FIELD(TVideoInfo, yratio, media::TVideoInfo, yratio);
SAME_FIELD(TVideoInfo, dwFourCC, media::TVideoInfo, dwFourCC);
SAME_FIELD(TVideoInfo, nBitsDepth, media::TVideoInfo, nBitsDepth);
SAME_FIELD(TVideoInfo, dwCapsFlag, media::TVideoInfo, dwCapsFlag);

static_assert(sizeof(TAudioInfo) == sizeof(media::TAudioInfo));
SAME_FIELD(TAudioInfo, sample_rate, media::TAudioInfo, sample_rate);
SAME_FIELD(TAudioInfo, channels, media::TAudioInfo, channels);
SAME_FIELD(TAudioInfo, bitspersample, media::TAudioInfo, bitspersample);
SAME_FIELD(TAudioInfo, bytespersecond, media::TAudioInfo, bytespersecond);
SAME_FIELD(TAudioInfo, length, media::TAudioInfo, length);
SAME_FIELD(TAudioInfo, dwCapsFlag, media::TAudioInfo, dwCapsFlag);

static_assert(sizeof(TSubStreamRecord) == sizeof(media::TSubStreamInfo));
SAME_FIELD(TSubStreamRecord, Kind, media::TSubStreamInfo, kind);
SAME_FIELD(TSubStreamRecord, StreamId, media::TSubStreamInfo, streamId);
SAME_FIELD(TSubStreamRecord, CodecName, media::TSubStreamInfo, codecName);
SAME_FIELD(TSubStreamRecord, Language, media::TSubStreamInfo, language);
SAME_FIELD(TSubStreamRecord, Name, media::TSubStreamInfo, name);

static_assert(sizeof(TStreamDescription) == sizeof(media::TStreamDescription));
SAME_FIELD(TStreamDescription, StreamIndex, media::TStreamDescription, streamIndex);
SAME_FIELD(TStreamDescription, StreamId, media::TStreamDescription, streamId);
SAME_FIELD(TStreamDescription, CodecName, media::TStreamDescription, codecName);
SAME_FIELD(TStreamDescription, Title, media::TStreamDescription, title);
SAME_FIELD(TStreamDescription, BitRate, media::TStreamDescription, bitRate);
SAME_FIELD(TStreamDescription, Video, media::TStreamDescription, video);
SAME_FIELD(TStreamDescription, Audio, media::TStreamDescription, audio);

static_assert(sizeof(TMediaProgramEntry) == sizeof(media::TMediaProgram));
SAME_FIELD(TMediaProgramEntry, ProgramId, media::TMediaProgram, programId);
SAME_FIELD(TMediaProgramEntry, StreamCount, media::TMediaProgram, streamCount);
SAME_FIELD(TMediaProgramEntry, Duration, media::TMediaProgram, duration);
SAME_FIELD(TMediaProgramEntry, VideoStreamCount, media::TMediaProgram, videoStreamCount);
SAME_FIELD(TMediaProgramEntry, AudioStreamCount, media::TMediaProgram, audioStreamCount);
SAME_FIELD(TMediaProgramEntry, SubStreamCount, media::TMediaProgram, subStreamCount);
SAME_FIELD(TMediaProgramEntry, VideoStream, media::TMediaProgram, video);
SAME_FIELD(TMediaProgramEntry, AudioStream, media::TMediaProgram, audio);
SAME_FIELD(TMediaProgramEntry, SubStreams, media::TMediaProgram, subStreams);

static_assert(sizeof(TMediaFileInfo) == sizeof(media::TMediaFileInfo));
SAME_FIELD(TMediaFileInfo, Size, media::TMediaFileInfo, size);
SAME_FIELD(TMediaFileInfo, FormatName, media::TMediaFileInfo, formatName);
SAME_FIELD(TMediaFileInfo, Title, media::TMediaFileInfo, title);
SAME_FIELD(TMediaFileInfo, Duration, media::TMediaFileInfo, duration);
SAME_FIELD(TMediaFileInfo, BitRate, media::TMediaFileInfo, bitRate);
SAME_FIELD(TMediaFileInfo, ProgramCount, media::TMediaFileInfo, programCount);
SAME_FIELD(TMediaFileInfo, Programs, media::TMediaFileInfo, programs);

static_assert(sizeof(TQmBurnDiscInfo) == sizeof(QmBurnDiscInfo));
SAME_FIELD(TQmBurnDiscInfo, Present, QmBurnDiscInfo, present);
SAME_FIELD(TQmBurnDiscInfo, Status, QmBurnDiscInfo, status);
SAME_FIELD(TQmBurnDiscInfo, IsDvd, QmBurnDiscInfo, isDvd);
SAME_FIELD(TQmBurnDiscInfo, Erasable, QmBurnDiscInfo, erasable);
SAME_FIELD(TQmBurnDiscInfo, Profile, QmBurnDiscInfo, profile);
SAME_FIELD(TQmBurnDiscInfo, Capacity, QmBurnDiscInfo, capacity);
SAME_FIELD(TQmBurnDiscInfo, Used, QmBurnDiscInfo, used);
SAME_FIELD(TQmBurnDiscInfo, Free, QmBurnDiscInfo, free);
SAME_FIELD(TQmBurnDiscInfo, TestDrive, QmBurnDiscInfo, testDrive);
static_assert(sizeof(TQmBurnDiscSpace) == sizeof(QmBurnDiscSpace));
SAME_FIELD(TQmBurnDiscSpace, liDiscFreeSpace, QmBurnDiscSpace, freeSpace);
SAME_FIELD(TQmBurnDiscSpace, liDiscUsedSpace, QmBurnDiscSpace, usedSpace);
SAME_FIELD(TQmBurnDiscSpace, liAvailableSpace, QmBurnDiscSpace, availableSpace);

#undef SAME_FIELD

TEST(MediaInfoTest, FileInformationMatchesWhatTheFixtureWasMadeWith) {
  struct Case {
    const char* fixture;
    bool video, audio;
    int width, height;
    double frameRate;
    int sampleRate, channels;
    double duration;
    uint32_t caps;
  } cases[] = {
      {"h264_aac.mp4", true, true, 320, 240, 30000.0 / 1001, 44100, 2, 2.0, 0},
      {"mpeg4_mp3.avi", true, true, 352, 288, 25.0, 22050, 1, 2.0, 0},
      {"audio_only.m4a", false, true, 0, 0, 0.0, 48000, 2, 2.0, 0},
      {"photo.png", true, false, 64, 48, 0.0, 0, 0, -1.0, kMediaCapsStillPicture},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const std::string path = Fixture(c.fixture);
    ASSERT_FALSE(path.empty()) << "ffmpeg could not make the fixture";
    TMediaFileSummary info;
    ASSERT_TRUE(ReadMediaFileInfo(platform::Utf8ToUtf16(path), info));
    EXPECT_EQ(info.HasVideo, c.video);
    EXPECT_EQ(info.HasAudio, c.audio);
    if (c.duration > 0) {
      EXPECT_NEAR(info.Duration, c.duration, 0.1);
      EXPECT_NEAR(info.ProgramDuration, c.duration, 0.1);
    }
    EXPECT_EQ(info.Video.Width, c.width);
    EXPECT_EQ(info.Video.Height, c.height);
    if (c.frameRate > 0) {
      EXPECT_NEAR(info.Video.frame_rate, c.frameRate, 0.01);
    }
    EXPECT_EQ(info.Video.dwCapsFlag & kMediaCapsStillPicture, c.caps);
    EXPECT_EQ(info.Audio.sample_rate, c.sampleRate);
    EXPECT_EQ(info.Audio.channels, c.channels);
    EXPECT_TRUE(info.SubStreams.empty());
  }

  TMediaFileSummary info;
  info.HasVideo = true;
  EXPECT_FALSE(ReadMediaFileInfo(u"/no/such/file.mp4", info));
  EXPECT_FALSE(info.HasVideo);  // nothing stale is left behind
}

TEST(MediaInfoTest, SubtitleStreamsAreListedWithTheirNames) {
  enginetest::ScratchFolder folder("subtitles");
  const std::string srt = (folder / "cues.srt").string();
  std::ofstream(srt) << "1\n00:00:00,000 --> 00:00:01,000\nHallo\n";
  const std::string clip = (folder / "with-subtitles.mkv").string();
  ASSERT_EQ(engines::media::testing::RunProgram(
                {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                 "testsrc2=size=160x120:rate=25:duration=1", "-i", srt, "-c:v", "libx264", "-preset", "ultrafast",
                 "-c:s", "srt", "-metadata:s:s:0", "title=Deutsch für Hörgeschädigte", clip}),
            0);
  TMediaFileSummary info;
  ASSERT_TRUE(ReadMediaFileInfo(platform::Utf8ToUtf16(clip), info));
  ASSERT_EQ(info.SubStreams.size(), 1u);
  EXPECT_NE(info.SubStreams[0].StreamId, 0);
  EXPECT_NE(info.SubStreams[0].Name.find(u"Deutsch für Hörgeschädigte"), WideString::npos)
      << platform::Utf16ToUtf8(info.SubStreams[0].Name);
}

// A name that fills its 128 units without a terminating zero is read no further than them.
TEST(MediaInfoTest, SubStreamNameStopsAtTheEndOfItsArray) {
  struct {
    TSubStreamRecord record;
    char16_t following[8];
  } block;
  std::memset(&block, 0, sizeof block);
  std::fill(std::begin(block.record.Name), std::end(block.record.Name), u'N');
  std::fill(std::begin(block.following), std::end(block.following), u'X');
  const WideString full = SubStreamName(block.record);
  EXPECT_EQ(full.size(), kSubStreamNameUnits);
  EXPECT_EQ(full.find(u'X'), WideString::npos);

  std::memset(block.record.Name, 0, sizeof block.record.Name);
  std::memcpy(block.record.Name, u"Français", 8 * sizeof(char16_t));
  EXPECT_EQ(SubStreamName(block.record), u"Français");
}

// An answer without a program entry describes nothing the program can use: the task that
// asked keeps its length and treats the source as unreadable.
TEST(MediaInfoTest, AnAnswerWithoutAProgramEntryIsNotInformation) {
  TMediaFileInfo info{};
  info.Duration = 12.5;
  TMediaFileSummary summary;
  summary.HasVideo = true;
  EXPECT_FALSE(CopyMediaFileInfo(info, summary));
  EXPECT_EQ(summary.Duration, 12.5);
  EXPECT_FALSE(summary.HasVideo);

  info.ProgramCount = 1;  // counted, but no entries behind the count
  EXPECT_FALSE(CopyMediaFileInfo(info, summary));

  TStreamDescription video{};
  video.Video.Width = 720;
  TSubStreamRecord subtitles[2]{};
  subtitles[1].StreamId = 0x20;
  std::memcpy(subtitles[1].Name, u"English", 7 * sizeof(char16_t));
  TMediaProgramEntry programs[2]{};
  programs[0].Duration = 14.0;
  programs[0].VideoStreamCount = 1;
  programs[0].VideoStream = &video;
  programs[0].AudioStreamCount = 1;  // counted without a description: not read
  programs[1].SubStreamCount = 2;
  programs[1].SubStreams = subtitles;
  info.ProgramCount = 2;
  info.Programs = programs;
  ASSERT_TRUE(CopyMediaFileInfo(info, summary));
  EXPECT_EQ(summary.ProgramDuration, 14.0);
  EXPECT_TRUE(summary.HasVideo);
  EXPECT_EQ(summary.Video.Width, 720);
  EXPECT_FALSE(summary.HasAudio);
  ASSERT_EQ(summary.SubStreams.size(), 1u);
  EXPECT_EQ(summary.SubStreams[0].StreamId, 0x20);
  EXPECT_EQ(summary.SubStreams[0].Name, u"English");
}

}  // namespace
