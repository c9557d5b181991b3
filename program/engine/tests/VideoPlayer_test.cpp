#include "program/engine/VideoPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engines/QMPlayer/PlayerApi.h"
#include "engines/TracksDecoder/TracksDecoderApi.h"
#include "engines/TransPreview/TransPreviewApi.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/WinUser.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/TimelineEngine.h"
#include "program/engine/tests/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;
using platform::testing::Image;

// The player's notifications the notification window received.
std::vector<WPARAM> g_notified;

LRESULT NotifyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kPlayerNotifyMessage) g_notified.push_back(wParam);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeWindow(int width, int height) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = NotifyProc;
    wc.lpszClassName = u"VideoPlayerTestWindow";
    return RegisterClassW(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExW(0, u"VideoPlayerTestWindow", u"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                         height, nullptr, nullptr, nullptr, nullptr);
}

int Count(WPARAM what) {
  int count = 0;
  for (WPARAM w : g_notified) count += w == what;
  return count;
}

// Releases and preview calls, counted; each passes on to the engine.
struct CallLog {
  int videoDestroyed = 0, audioDestroyed = 0, transIdSet = 0, imagesSet = 0, played = 0;
  std::string transId;
  double duration = 0.0;
} g_calls;

TVideoPlayerCalls CountingCalls() {
  TVideoPlayerCalls calls = TVideoPlayerCalls::Linked();
  calls.MTDVideoDestroy = [](TEngineHandle decoder) {
    ++g_calls.videoDestroyed;
    MTDVideoDestroy(decoder);
  };
  calls.MTDAudioDestroy = [](TEngineHandle decoder) {
    ++g_calls.audioDestroyed;
    MTDAudioDestroy(decoder);
  };
  calls.TPSetTransID = [](TEngineHandle preview, const char* id, double duration) {
    ++g_calls.transIdSet;
    g_calls.transId = id;
    g_calls.duration = duration;
    TPSetTransID(preview, id, duration);
  };
  calls.TPSetImage = [](TEngineHandle preview, const BITMAPINFO* i1, const void* b1, const BITMAPINFO* i2,
                        const void* b2) {
    ++g_calls.imagesSet;
    return TPSetImage(preview, i1, b1, i2, b2);
  };
  calls.TPPlay = [](TEngineHandle preview) {
    ++g_calls.played;
    TPPlay(preview);
  };
  return calls;
}

std::string Generated(const std::string& name) {
  const std::string path = engines::media::testing::Fixture(name);
  EXPECT_FALSE(path.empty()) << "ffmpeg could not make " << name;
  return path;
}

void SavePicture(const Image& image, const std::string& name) {
  std::string error;
  EXPECT_TRUE(platform::testing::SavePng(image, std::string(BRANTWELL_TEST_BIN_DIR) + "/" + name, &error)) << error;
}

// Start-up's engines bound, a notification window, a 320x240 video window and a 400x300
// transition window, and a timeline whose document the titles are made in.
class VideoPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("BRANTWELL_AUDIO", "null", 1);
    BindStartupEngines();
    g_notified.clear();
    g_calls = {};
    notify = MakeWindow(10, 10);
    video = MakeWindow(320, 240);
    transition = MakeWindow(400, 300);
    timelineParent = MakeWindow(400, 120);
    const RECT rect{0, 0, 400, 120};
    timeline = CreateTimeline(timelineParent, &rect, nullptr, 0);
    ASSERT_NE(timeline, 0u);
    doc = GetTimelineDoc(timeline);
  }
  void TearDown() override {
    DestroyTimeline(timeline);
    for (HWND window : {notify, video, transition, timelineParent}) DestroyWindow(window);
    platform::testing::RunUntilIdle();
    UnloadEngineLibraries();
  }

  void AddClip(const std::string& file, double seconds, double transitionLength) {
    const EngineHandle track = TDGetTrack(doc, kTimelineVideoTrack, 0);
    const EngineHandle clip = TCCreate(kTimelineVideoClip);
    TCSetFileName(clip, platform::Utf8ToUtf16(file).c_str());
    TCSetPhysicalBegin(clip, 0.0);
    TCSetPhysicalLength(clip, seconds);
    TTInsertClipIndex(track, clip, -1);
    if (transitionLength > 0.0) TTSetClipTailTransID(track, clip, u"CrossFade", transitionLength);
    TCRelease(clip);
  }

  HWND notify = nullptr, video = nullptr, transition = nullptr, timelineParent = nullptr;
  EngineHandle timeline = 0, doc = 0;
};

TEST_F(VideoPlayerTest, ATitleOfThreeClipsPlaysInTheWindowWithTicksToItsEnd) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(60));
  AddClip(enginetest::OneSecondClip(), 1.0, 0.5);
  AddClip(Generated("h264_aac.mp4"), 1.0, 0.0);
  AddClip(Generated("photo.png"), 1.0, 0.0);
  const double length = TDGetLength(doc);
  ASSERT_GT(length, 2.0);

  TVideoPlayer player(notify, video, transition, {}, CountingCalls());
  ASSERT_NE(player.Player(), 0u);
  ASSERT_NE(player.GetView(), 0u);
  player.OpenFile(doc);
  EXPECT_NE(player.VideoSource(), 0u);
  EXPECT_NE(player.AudioSource(), 0u);
  EXPECT_NE(player.VideoProcessor(), 0u);
  EXPECT_NE(player.AudioProcessor(), 0u);
  EXPECT_NEAR(VPGetMovieLength(player.Player()), length, 0.05);

  player.Play(player.GetView());
  HWND view = VPGetPlayerHwnd(player.Player(), player.GetView());
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(IsWindowEnabled(view)) << "the view takes no input while playing";

  // Frames advance: the first clip's moving test pattern differs between two moments.
  ASSERT_TRUE(platform::testing::RunUntil([&] { return VPGetPlayedTime(player.Player()) > 0.2; }, 15000));
  const Image early = platform::testing::ReadWindow(view);
  ASSERT_TRUE(platform::testing::RunUntil([&] { return VPGetPlayedTime(player.Player()) > 0.7; }, 15000));
  const Image later = platform::testing::ReadWindow(view);
  SavePicture(early, "video_player_title_early.png");
  SavePicture(later, "video_player_title_later.png");
  EXPECT_FALSE(platform::testing::CompareImages(early, later, 8).same);

  ASSERT_TRUE(platform::testing::RunUntil([] { return Count(kPlayerNotifyEnd) > 0; }, 30000));
  EXPECT_GT(Count(kPlayerNotifyTick), 2);
  EXPECT_NEAR(VPGetPlayedTime(player.Player()), length, 0.1);
  player.Stop();
  EXPECT_EQ(player.VideoSource(), 0u);
  EXPECT_EQ(player.VideoProcessor(), 0u);
}

TEST_F(VideoPlayerTest, EachSourceIsReleasedOnceWithTheEntryOfItsKind) {
  AddClip(enginetest::OneSecondClip(), 1.0, 0.0);
  TVideoPlayer player(notify, video, transition, {}, CountingCalls());

  player.OpenFile(doc);
  // A second open stops first: the first pair of track decoders is released, not overwritten.
  player.OpenFile(doc);
  EXPECT_EQ(g_calls.videoDestroyed, 1);
  EXPECT_EQ(g_calls.audioDestroyed, 1);
  player.Stop();
  player.Stop();
  EXPECT_EQ(g_calls.videoDestroyed, 2);
  EXPECT_EQ(g_calls.audioDestroyed, 2);
  EXPECT_EQ(player.AudioProcessor(), 0u);

  // A file's decoders are the decoder manager's: the track decoders' entries never see them.
  double length = 0.0;
  ASSERT_TRUE(player.OpenMedia(platform::Utf8ToUtf16(enginetest::OneSecondClip()), 0, length, false));
  EXPECT_NE(player.VideoProcessor(), 0u);
  EXPECT_NE(player.AudioProcessor(), 0u);
  player.OpenFile(doc);
  player.Stop();
  player.Stop();
  EXPECT_EQ(g_calls.videoDestroyed, 3);
  EXPECT_EQ(g_calls.audioDestroyed, 3);
  EXPECT_EQ(player.VideoSource(), 0u);
  EXPECT_EQ(player.AudioSource(), 0u);
}

TEST_F(VideoPlayerTest, OpenMediaPlaysAFileAndTakesAnAudioFilesLengthFromItsSound) {
  TVideoPlayer player(notify, video, transition);
  const WideString audio = platform::Utf8ToUtf16(Generated("audio_only.m4a"));

  double length = 99.0;
  ASSERT_TRUE(player.OpenMedia(audio, 0, length, true));
  EXPECT_NEAR(length, 2.0, 0.05);
  EXPECT_EQ(player.VideoSource(), 0u);
  EXPECT_EQ(player.VideoProcessor(), 0u);
  EXPECT_NE(player.AudioProcessor(), 0u);
  EXPECT_NEAR(VPGetMovieLength(player.Player()), 2.0, 0.05);
  EXPECT_NEAR(player.GetAudioDuration(audio, 0), 2.0, 0.05);

  // A video file keeps the length the caller gives.
  length = 1.5;
  ASSERT_TRUE(player.OpenMedia(platform::Utf8ToUtf16(Generated("h264_aac.mp4")), 0, length, false));
  EXPECT_EQ(length, 1.5);
  EXPECT_NE(player.VideoProcessor(), 0u);

  // Nothing that opens: False, and what was open is gone.
  const WideString missing = u"/nonexistent/clip.mp4";
  length = 3.0;
  EXPECT_FALSE(player.OpenMedia(missing, 0, length, false));
  EXPECT_EQ(length, 3.0);
  EXPECT_EQ(player.VideoSource(), 0u);
  EXPECT_EQ(player.AudioProcessor(), 0u);
  EXPECT_EQ(player.GetAudioDuration(missing, 0), 0.0);
  // A file without sound has no sound to play alone.
  EXPECT_FALSE(player.OpenMedia(platform::Utf8ToUtf16(Generated("scope_235.mp4")), 0, length, true));
}

TEST_F(VideoPlayerTest, ATransitionPlaysOnlyWhenBothPicturesLoad) {
  const fs::path programPictures = fs::path(platform::ProgramFolder()) / "Transitions";
  ASSERT_TRUE(fs::exists(programPictures / "TrTo.jpg"));
  enginetest::ScratchFolder scratch("transition-pictures");
  fs::copy_file(programPictures / "TrFrom.jpg", scratch.path() / "TrFrom.jpg");

  struct Case {
    std::string folder;
    int played;
  };
  for (const Case& c : {Case{scratch.path().string(), 0}, Case{"", 1}}) {
    SCOPED_TRACE(c.folder.empty() ? "program folder" : "TrTo.jpg missing");
    g_calls = {};
    TVideoPlayer player(notify, video, transition, c.folder, CountingCalls());
    player.PlayTransition(u"BarnDoorsVertical");
    EXPECT_EQ(g_calls.transIdSet, 1);
    EXPECT_EQ(g_calls.transId, "BarnDoorsVertical");
    EXPECT_EQ(g_calls.duration, 2.0);
    EXPECT_EQ(g_calls.imagesSet, c.played);
    EXPECT_EQ(g_calls.played, c.played);
  }
}

TEST_F(VideoPlayerTest, PlayTransitionAnimatesFromTheFirstPictureToTheSecond) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(60));
  platform::testing::UseManualClock(true);
  {
    TVideoPlayer player(notify, video, transition);
    HWND preview = GetWindow(transition, GW_CHILD);
    ASSERT_NE(preview, nullptr);
    player.PlayTransition(u"CrossFade");
    ASSERT_TRUE(platform::testing::RunUntilIdle());
    const Image start = platform::testing::ReadWindow(preview);
    // The animation is timed from its first tick.
    platform::testing::AdvanceClock(40);
    ASSERT_TRUE(platform::testing::RunUntilIdle());
    platform::testing::AdvanceClock(1000);
    ASSERT_TRUE(platform::testing::RunUntilIdle());
    const Image middle = platform::testing::ReadWindow(preview);
    platform::testing::AdvanceClock(1500);
    ASSERT_TRUE(platform::testing::RunUntilIdle());
    const Image end = platform::testing::ReadWindow(preview);
    SavePicture(middle, "video_player_transition_middle.png");
    ASSERT_EQ(start.width, 400);
    // Half way every channel lies between the two pictures'.
    const int x = 200, y = 150;
    for (int shift : {0, 8, 16}) {
      const int a = (start.At(x, y) >> shift) & 0xFF, m = (middle.At(x, y) >> shift) & 0xFF,
                b = (end.At(x, y) >> shift) & 0xFF;
      if (std::abs(a - b) > 40) {
        EXPECT_GT(m, std::min(a, b) + 10) << shift;
        EXPECT_LT(m, std::max(a, b) - 10) << shift;
      }
    }
    EXPECT_FALSE(platform::testing::CompareImages(start, end, 40).same);
    player.StopTransition();
    ASSERT_TRUE(platform::testing::RunUntilIdle());
    EXPECT_TRUE(platform::testing::CompareImages(start, platform::testing::ReadWindow(preview), 2).same)
        << "stopping shows the first picture again";
  }
  platform::testing::UseManualClock(false);
}

}  // namespace
