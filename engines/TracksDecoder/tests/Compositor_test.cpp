// The title compositor over generated clips: lengths and frame grids, transitions, clip
// settings seen in composed pictures, the mixed sound, seeking, the snapshot, and failures.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TitleFixture.h"
#include "engines/media/FrameConvert.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Watchdog.h"

using namespace engines::media;
using namespace title_test;

namespace {

const Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kBlack{0, 0, 0};

class Compositor : public TitleTest {};

TEST_F(Compositor, TitleLengthGivesTheFrameGridAndTheSampleCount) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, double>> clips;  // file, tail transition
    double length;
  };
  const std::vector<Case> cases = {
      {"videos", {{"red.mp4", 0.4}, {"blue.mp4", 0.0}, {"green.mp4", 0.0}}, 2.6},
      {"photos", {{"halves.png", 0.5}, {"halves.png", 0.5}}, 1.5},  // the last into black adds no time
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    for (const auto& [file, transition] : c.clips) Add(Clip(file), 1.0, transition);
    ASSERT_NEAR(TDGetLength(doc), c.length, 1e-9);
    MediaSource* video = Video(160, 120, 25.0, 0);
    MediaSource* audio = Audio();
    ASSERT_TRUE(video && audio);
    EXPECT_NEAR(video->Duration(), c.length, 1e-9);
    int frames = 0;
    VideoFrame frame;
    while (video->ReadVideo(frame)) {
      EXPECT_NEAR(frame.time, frames / 25.0, 1e-9);
      EXPECT_EQ(frame.frame->width, 160);
      EXPECT_EQ(frame.frame->height, 120);
      EXPECT_TRUE(frame.composed);
      ++frames;
    }
    EXPECT_EQ(video->LastError(), "");
    EXPECT_EQ(frames, std::lround(c.length * 25));
    EXPECT_EQ(ReadAll(*audio).size(), size_t(std::llround(c.length * 48000)) * 2);
  }
}

TEST_F(Compositor, AnEmptyTitleOrBadArgumentsMakeNoDecoder) {
  EXPECT_EQ(MTDVideoCreate(doc, 160, 120, 25.0, 0), 0u);
  EXPECT_EQ(MTDAudioCreate(doc, 48000, 2), 0u);
  Add(Clip("red.mp4"), 1.0);
  EXPECT_EQ(MTDVideoCreate(doc, 0, 120, 25.0, 0), 0u);
  EXPECT_EQ(MTDVideoCreate(doc, 160, 120, 0.0, 0), 0u);
  EXPECT_EQ(MTDAudioCreate(doc, 44100, 2), 0u);
  EXPECT_EQ(MTDVideoCreate(12345, 160, 120, 25.0, 0), 0u);
}

// The mean colour of a picture.
Rgb Mean(const AVFrame* bgra) {
  long r = 0, g = 0, b = 0;
  for (int y = 0; y < bgra->height; ++y)
    for (int x = 0; x < bgra->width; ++x) {
      const Rgb c = PixelAt(bgra, x, y);
      r += c.r, g += c.g, b += c.b;
    }
  const long n = long(bgra->width) * bgra->height;
  return {int(r / n), int(g / n), int(b / n)};
}

// Red 1 s, then blue 1 s with a 0.4 s transition from 0.6 to 1.0 (frames 15 to 25 at 25 fps),
// and blue's 0.4 s transition into black from 1.2 to 1.6 (frames 30 to 40).
TEST_F(Compositor, TransitionsGoFromTheFirstPictureToTheSecond) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  struct Case {
    int64_t frame;
    Rgb expected;  // the whole picture; mixed: neither picture alone
    bool mixed;
  };
  const std::vector<Case> cases = {{15, kRed, false}, {20, {}, true},       {25, kBlue, false},
                                   {30, kBlue, false}, {35, {}, true}, {39, kBlack, false}};
  for (const char16_t* id : {u"CrossFade", u"FadeThroughBlack", u"WipeFromLeft", u"PushFromRight", u"CircleOpen",
                             u"Dissolve", u"NoSuchTransition"}) {
    SCOPED_TRACE(platform::Utf16ToUtf8(id));
    TearDown();
    SetUp();
    Add(Clip("red.mp4"), 1.0, 0.4, id);
    Add(Clip("blue.mp4"), 1.0, 0.4, id);
    for (const Case& c : cases) {
      MediaSource* video = Video();
      ASSERT_TRUE(video);
      FramePtr picture = FrameAt(*video, c.frame);
      ASSERT_TRUE(picture) << video->LastError();
      const Rgb mean = Mean(picture.get());
      if (!c.mixed) {
        // 0.9 of the way into black is dark, not black.
        EXPECT_TRUE(Near(mean, c.expected, c.frame == 39 ? 80 : 24)) << c.frame << ": " << mean;
      } else {
        EXPECT_FALSE(Near(mean, kRed, 40)) << c.frame << ": " << mean;
        EXPECT_FALSE(Near(mean, kBlue, 40)) << c.frame << ": " << mean;
      }
    }
  }
}

// The "halves" photo (red left, blue right) with each setting, in a 4:3 preview frame.
TEST_F(Compositor, ClipSettingsAreSeenInTheComposedPicture) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  struct Case {
    const char* name;
    std::function<void(EngineHandle)> set;
    int width, height;
    std::vector<std::tuple<int, int, Rgb>> pixels;
  };
  const std::vector<Case> cases = {
      {"plain", [](EngineHandle) {}, 160, 120, {{20, 60, kRed}, {140, 60, kBlue}}},
      {"flip", [](EngineHandle c) { TCSetFlipFlag(c, 1); }, 160, 120, {{20, 60, kBlue}, {140, 60, kRed}}},
      {"negative", [](EngineHandle c) { TCSetFilterFlag(c, 4); }, 160, 120,
       {{20, 60, {0, 255, 255}}, {140, 60, {255, 255, 0}}}},
      {"crop stretched",
       [](EngineHandle c) {
         const TTimelineCropRect crop{0, 0, 32, 48};
         TCSetCropRect(c, &crop);
         TCSetResizeStyle(c, 0);
       },
       160, 120, {{20, 60, kRed}, {140, 60, kRed}}},
      // A 4:3 photo in a 16:9 frame keeps its aspect: pillarboxed.
      {"keep aspect", [](EngineHandle c) { TCSetResizeStyle(c, 1); }, 192, 108,
       {{4, 54, kBlack}, {187, 54, kBlack}, {40, 54, kRed}, {150, 54, kBlue}}},
      {"stretch", [](EngineHandle c) { TCSetResizeStyle(c, 0); }, 192, 108, {{4, 54, kRed}, {187, 54, kBlue}}},
      // A preview window of odd size gets pictures of exactly its size.
      {"odd size", [](EngineHandle) {}, 161, 121, {{2, 60, kRed}, {158, 120, kBlue}}},
      {"picture watermark",
       [](EngineHandle c) {
         TWaterMarkData mark{};
         mark.enabled = 1;
         mark.left = 0, mark.top = 0, mark.width = 16, mark.height = 12;
         mark.kind = 0;
         const std::u16string file = platform::Utf8ToUtf16(Clip("mark.png"));
         std::copy(file.begin(), file.end(), mark.imageFile);
         TCSetWaterMarkData(c, &mark);
       },
       160, 120, {{15, 10, {0, 255, 0}}, {60, 60, kRed}, {140, 100, kBlue}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    c.set(Add(Clip("halves.png"), 1.0));
    MediaSource* video = Video(c.width, c.height);
    ASSERT_TRUE(video);
    FramePtr picture = FrameAt(*video, 5);
    ASSERT_TRUE(picture) << video->LastError();
    ASSERT_EQ(picture->width, c.width);
    ASSERT_EQ(picture->height, c.height);
    for (const auto& [x, y, colour] : c.pixels)
      EXPECT_TRUE(Near(PixelAt(picture.get(), x, y), colour, 40)) << x << "," << y << ": " << PixelAt(picture.get(), x, y);
  }
}

// A text watermark and a subtitle put light ink where they are placed, nowhere else.
TEST_F(Compositor, TextWatermarkAndSubtitleAppearWhereTheyArePlaced) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  auto lightIn = [](const AVFrame* picture, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const Rgb c = PixelAt(picture, x, y);
        if (c.r > 200 && c.g > 200 && c.b > 200) ++count;
      }
    return count;
  };
  {
    const EngineHandle clip = Add(Clip("green.mp4"), 1.0);
    TWaterMarkData mark{};
    mark.enabled = 1;
    mark.left = 80, mark.top = 0, mark.width = 80, mark.height = 40;
    mark.kind = 1;
    std::u16string text = u"WWW";
    std::copy(text.begin(), text.end(), mark.text);
    mark.textColor = 0xFFFFFF;
    mark.fontSize = 24;
    TCSetWaterMarkData(clip, &mark);
    MediaSource* video = Video();
    ASSERT_TRUE(video);
    FramePtr picture = FrameAt(*video, 3);
    ASSERT_TRUE(picture) << video->LastError();
    EXPECT_GT(lightIn(picture.get(), 80, 0, 160, 40), 40);
    EXPECT_EQ(lightIn(picture.get(), 0, 40, 160, 120), 0);
  }
  TearDown();
  SetUp();
  {
    const EngineHandle clip = Add(Clip("subtitled.mkv"), 1.0);
    TClipSubPicRec sub{};
    sub.shown = 1;
    sub.streamId = 2;  // the file's second stream
    sub.ownStyle = 0;
    sub.fontSize = 20;
    sub.textColor = 0xFFFFFF;
    sub.x = 10, sub.y = 70;
    TCSetClipSubPicRec(clip, &sub);
    MediaSource* video = Video();
    ASSERT_TRUE(video);
    FramePtr picture = FrameAt(*video, 5);
    ASSERT_TRUE(picture) << video->LastError();
    EXPECT_GT(lightIn(picture.get(), 0, 60, 160, 120), 20);
    EXPECT_EQ(lightIn(picture.get(), 0, 0, 160, 60), 0);
  }
}

TEST_F(Compositor, SoundFollowsVolumeMuteFadesAndCrossfades) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  // Red (440 Hz) 1 s with a 0.4 s crossfade into blue (880 Hz) 1 s: 1.6 s.
  const EngineHandle red = Add(Clip("red.mp4"), 1.0, 0.4);
  const EngineHandle blue = Add(Clip("blue.mp4"), 1.0);
  MediaSource* plain = Audio();
  ASSERT_TRUE(plain);
  const std::vector<float> mixed = ReadAll(*plain);
  const double alone = Rms(mixed, 0.2, 0.5);
  ASSERT_GT(alone, 0.04);
  // Equal power: two unrelated tones keep the level through the crossfade.
  EXPECT_NEAR(Rms(mixed, 0.65, 0.95) / alone, 1.0, 0.12);
  EXPECT_NEAR(Rms(mixed, 1.1, 1.5) / alone, 1.0, 0.12);

  TCSetVolume(red, 50);
  TCSetAudioMute(blue, 1);
  TCSetAudioFadeIn(red, 0.4);
  MediaSource* changed = Audio();
  ASSERT_TRUE(changed);
  const std::vector<float> set = ReadAll(*changed);
  EXPECT_NEAR(Rms(set, 0.45, 0.55) / alone, 0.5, 0.06);     // half the volume
  EXPECT_LT(Rms(set, 0.0, 0.05), 0.1 * Rms(set, 0.45, 0.55));  // fading in
  EXPECT_NEAR(Rms(set, 0.1, 0.3) / Rms(set, 0.45, 0.55), 0.5, 0.12);  // half way in, half the level
  EXPECT_EQ(Rms(set, 1.05, 1.6), 0.0);  // muted
}

TEST_F(Compositor, PhotosAndClipsWithoutSoundAreSilentAndTheLastTransitionFadesOut) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  Add(Clip("green.mp4"), 1.0);
  Add(Clip("halves.png"), 1.0);
  Add(Clip("red.mp4"), 1.0, 0.5);
  MediaSource* audio = Audio();
  ASSERT_TRUE(audio);
  const std::vector<float> all = ReadAll(*audio);
  ASSERT_EQ(all.size(), size_t(3 * 48000 * 2));
  EXPECT_EQ(Rms(all, 0.0, 2.0), 0.0);
  const double full = Rms(all, 2.1, 2.4);
  EXPECT_GT(full, 0.04);
  EXPECT_LT(Rms(all, 2.9, 3.0), 0.25 * full);
}

// A clip plays from its physical begin for its length: the second half of "halftime" (blue,
// silent), then its first half (red, with its tone).
TEST_F(Compositor, AClipPlaysFromItsPhysicalBeginForItsLength) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  const EngineHandle second = Add(Clip("halftime.mp4"), 1.0);
  TCSetPhysicalBegin(second, 0.5);
  TCSetLength(second, 0.5);
  const EngineHandle first = Add(Clip("halftime.mp4"), 1.0);
  TCSetLength(first, 0.5);
  TTAdjustClipPos(track);
  ASSERT_NEAR(TDGetLength(doc), 1.0, 1e-9);
  MediaSource* video = Video();
  MediaSource* audio = Audio();
  ASSERT_TRUE(video && audio);
  for (const auto& [frame, colour] : std::vector<std::pair<int, Rgb>>{{2, kBlue}, {11, kBlue}, {14, kRed}, {24, kRed}}) {
    ASSERT_TRUE(video->Seek(frame / 25.0));
    VideoFrame picture;
    ASSERT_TRUE(video->ReadVideo(picture)) << video->LastError();
    EXPECT_TRUE(Near(PixelAt(ToBgra(picture).get(), 80, 60), colour)) << frame;
  }
  const std::vector<float> all = ReadAll(*audio);
  EXPECT_LT(Rms(all, 0.05, 0.45), 0.01);
  EXPECT_GT(Rms(all, 0.55, 0.95), 0.2);
}

TEST_F(Compositor, ASeekIntoATransitionEqualsReadingThrough) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  Add(Clip("pattern.mp4"), 1.0, 0.4);
  Add(Clip("blue.mp4"), 1.0);
  MediaSource* through = Video();
  MediaSource* seeking = Video();
  ASSERT_TRUE(through && seeking);
  FramePtr expected = FrameAt(*through, 19);
  ASSERT_TRUE(seeking->Seek(19 / 25.0));
  VideoFrame frame;
  ASSERT_TRUE(seeking->ReadVideo(frame));
  EXPECT_NEAR(frame.time, 19 / 25.0, 1e-9);
  FramePtr sought = ToBgra(frame);
  ASSERT_TRUE(expected && sought);
  int worst = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) {
      const Rgb a = PixelAt(expected.get(), x, y), b = PixelAt(sought.get(), x, y);
      worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
  EXPECT_LE(worst, 3);

  // Sound: a seek gives the samples reading through gives (after the decoder's first frames,
  // which a seek decodes without their predecessors).
  MediaSource* audioThrough = Audio();
  MediaSource* audioSeeking = Audio();
  const std::vector<float> all = ReadAll(*audioThrough);
  ASSERT_TRUE(audioSeeking->Seek(0.75));
  const std::vector<float> rest = ReadAll(*audioSeeking);
  ASSERT_EQ(rest.size(), all.size() - size_t(0.75 * 48000) * 2);
  double difference = 0.0;
  for (size_t i = 4800 * 2; i < rest.size(); ++i) difference = std::max(difference, double(std::fabs(rest[i] - all[i + 36000 * 2])));
  EXPECT_LT(difference, 0.02);
}

// How much neighbouring lines of a picture differ (the comb of a moving interlaced picture).
double Comb(const AVFrame* bgra) {
  double sum = 0.0;
  for (int y = 1; y < bgra->height; ++y)
    for (int x = 0; x < bgra->width; ++x) sum += std::abs(PixelAt(bgra, x, y).g - PixelAt(bgra, x, y - 1).g);
  return sum / (double(bgra->width) * (bgra->height - 1));
}

// A DVD frame shows each moment of an interlaced clip whole; a preview may show its fields woven.
TEST_F(Compositor, AnInterlacedClipIsDeinterlacedForTheOutputFrame) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  Add(Clip("interlaced.mpg"), 1.0);
  MediaSource* preview = Video(320, 240, 25.0, kMTDPreview);
  MediaSource* output = Video(320, 240, 25.0, kMTDOutputFrame);
  ASSERT_TRUE(preview && output);
  FramePtr woven = FrameAt(*preview, 8), whole = FrameAt(*output, 8);
  ASSERT_TRUE(woven && whole);
  EXPECT_GT(Comb(woven.get()), 4 * Comb(whole.get()));
}

// Files of generated clips this process holds open.
int OpenClipFiles() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (!error && target.find("media-fixtures/title-") != std::string::npos) ++count;
  }
  return count;
}

TEST_F(Compositor, AtMostTheClipsOfATransitionAndTheNextAreOpen) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  for (int i = 0; i < 5; ++i) Add(Clip(i % 2 ? "blue.mp4" : "red.mp4"), 1.0, 0.4);
  MediaSource* video = Video();
  ASSERT_TRUE(video);
  int most = 0;
  VideoFrame frame;
  while (video->ReadVideo(frame)) most = std::max(most, OpenClipFiles());
  EXPECT_GE(most, 2);
  EXPECT_LE(most, 3);
  EXPECT_LE(OpenClipFiles(), 1);  // at the end only the last clip
}

TEST_F(Compositor, LaterEditsDoNotReachADecoder) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  const EngineHandle red = Add(Clip("red.mp4"), 1.0);
  Add(Clip("blue.mp4"), 1.0);
  MediaSource* video = Video();
  MediaSource* audio = Audio();
  ASSERT_TRUE(video && audio);
  TCSetFilterFlag(red, 4);
  TCSetAudioMute(red, 1);
  TCSetLength(red, 0.5);
  TTAdjustClipPos(track);
  TDSelectAllClips(doc);
  TDDeleteSelectedClips(doc);
  EXPECT_EQ(TTGetClipCount(track), 0);
  EXPECT_NEAR(video->Duration(), 2.0, 1e-9);
  FramePtr picture = FrameAt(*video, 20);
  ASSERT_TRUE(picture);
  EXPECT_TRUE(Near(PixelAt(picture.get(), 80, 60), kRed)) << PixelAt(picture.get(), 80, 60);
  const std::vector<float> all = ReadAll(*audio);
  EXPECT_EQ(all.size(), size_t(2 * 48000 * 2));
  EXPECT_GT(Rms(all, 0.6, 0.9), 0.04);
}

TEST_F(Compositor, AClipThatCannotBeReadFailsTheReadWithItsFileNamed) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  const std::filesystem::path broken = std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / "title-broken.mp4";
  std::ofstream(broken) << "not a video at all";
  for (const std::string& bad : {std::string("/nonexistent/missing.mp4"), broken.string()}) {
    SCOPED_TRACE(bad);
    TearDown();
    SetUp();
    Add(Clip("red.mp4"), 1.0);
    Add(bad, 1.0);
    MediaSource* video = Video();
    MediaSource* audio = Audio();
    ASSERT_TRUE(video && audio);
    int frames = 0;
    VideoFrame frame;
    while (video->ReadVideo(frame)) ++frames;
    EXPECT_EQ(frames, 25);  // the good clip, then the failure
    EXPECT_NE(video->LastError().find(bad), std::string::npos) << video->LastError();
    ReadAll(*audio);
    EXPECT_NE(audio->LastError().find(bad), std::string::npos) << audio->LastError();
  }
}

}  // namespace
