// Playback through the C API on the headless display: the messages a playback posts, the
// transport entries, and sources that go away while they play.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engines/QMPlayer/PlayerApi.h"
#include "engines/QMPlayer/tests/PlayerTesting.h"
#include "platform/kernel/Modules.h"
#include "platform/testing/Watchdog.h"

using namespace player_testing;

namespace {

struct PlayerFixture : ::testing::Test {
  platform::testing::Watchdog watchdog{std::chrono::seconds(90)};
  HWND top = nullptr;
  EngineHandle player = 0;
  EngineHandle view = 0;

  void SetUp() override {
    Delivered().clear();
    top = MakeTopWindow(320, 240);
    player = VPCreate();
    ASSERT_NE(player, 0u);
    RECT client{0, 0, 320, 240};
    view = VPCreateView(player, top, &client, nullptr);
    ASSERT_NE(view, 0u);
    VPSetCallBack(player, top);
  }
  void TearDown() override {
    OnDelivered() = nullptr;
    VPDestroy(player);
    DestroyWindow(top);
  }
  void Open(const ClipSources& sources) {
    ordinal_3(player, sources.video, sources.audio);
    VPSetPlayTime(player, 0.0, 0.0);
  }
};

}  // namespace

TEST_F(PlayerFixture, TicksWhilePlayingThenTheEndAndOneCompletion) {
  ClipSources clip(Clip("player_halves.mp4"));
  Open(clip);
  EXPECT_NEAR(VPGetMovieLength(player), 2.0, 0.1);
  VPPlay(player);
  ASSERT_TRUE(Pump([] { return CountOf(kPlayerCompleteMessage, 0) > 0; }));
  PumpFor(400);
  // About one tick each 200 ms over 2 s.
  EXPECT_GE(CountOf(kPlayerNotifyMessage, kPlayerNotifyTick), 6);
  EXPECT_EQ(CountOf(kPlayerNotifyMessage, kPlayerNotifyEnd), 1);
  EXPECT_EQ(CountOf(kPlayerCompleteMessage, 0), 1);
  // The end comes right before the completion, and nothing follows them.
  const auto& all = Delivered();
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all[all.size() - 2].message, kPlayerNotifyMessage);
  EXPECT_EQ(all[all.size() - 2].wParam, kPlayerNotifyEnd);
  EXPECT_EQ(all.back().message, kPlayerCompleteMessage);
  EXPECT_NEAR(VPGetPlayedTime(player), 2.0, 0.1);
  // The picture was drawn: red on the left, blue on the right.
  const auto image = platform::testing::ReadWindow(VPGetPlayerHwnd(player, view));
  ASSERT_EQ(image.width, 320);
  EXPECT_TRUE(IsRed(image.At(40, 120))) << std::hex << image.At(40, 120);
  EXPECT_TRUE(IsBlue(image.At(280, 120))) << std::hex << image.At(280, 120);
  // Play after the end starts over from the begin.
  VPPlay(player);
  EXPECT_LT(VPGetPlayedTime(player), 0.5);
}

TEST_F(PlayerFixture, PauseSeekForwardAndStopMoveThePlayedTime) {
  ClipSources clip(Clip("player_halves.mp4"));
  Open(clip);
  VPPlay(player);
  // Paused once playback has really moved (however long a loaded machine takes to start it).
  ASSERT_TRUE(Pump([&] { return VPGetPlayedTime(player) > 0.2; }));
  VPPause(player);
  const double paused = VPGetPlayedTime(player);
  EXPECT_GT(paused, 0.2);
  PumpFor(300);
  EXPECT_DOUBLE_EQ(VPGetPlayedTime(player), paused);

  // An exact seek while paused stays paused at the time asked, and reports with a tick.
  Delivered().clear();
  VPSeek(player, 1.0, kPlayerSeekExact);
  EXPECT_DOUBLE_EQ(VPGetPlayedTime(player), 1.0);
  ASSERT_TRUE(Pump([] { return CountOf(kPlayerNotifyMessage, kPlayerNotifyTick) > 0; }));
  PumpFor(300);
  EXPECT_DOUBLE_EQ(VPGetPlayedTime(player), 1.0);

  // One frame forward: 1/25 s further, with a tick.
  Delivered().clear();
  VPForward(player);
  ASSERT_TRUE(Pump([] { return CountOf(kPlayerNotifyMessage, kPlayerNotifyTick) > 0; }));
  EXPECT_NEAR(VPGetPlayedTime(player), 1.04, 0.005);
  VPForward(player);
  ASSERT_TRUE(Pump([] { return CountOf(kPlayerNotifyMessage, kPlayerNotifyTick) > 1; }));
  EXPECT_NEAR(VPGetPlayedTime(player), 1.08, 0.005);

  VPResume(player);
  EXPECT_TRUE(Pump([&] { return VPGetPlayedTime(player) > 1.2; }));

  // Stop goes back to the begin and keeps the sources: playing again works.
  VPStop(player);
  EXPECT_DOUBLE_EQ(VPGetPlayedTime(player), 0.0);
  VPPlay(player);
  EXPECT_TRUE(Pump([&] { return VPGetPlayedTime(player) > 0.1; }));
}

TEST_F(PlayerFixture, NothingArrivesAfterStopOrDestroyReturns) {
  ClipSources clip(Clip("player_halves.mp4"));
  Open(clip);
  VPPlay(player);
  // Ticks pile up in the queue while the GUI thread is busy elsewhere.
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  VPStop(player);
  Delivered().clear();
  PumpFor(400);
  EXPECT_TRUE(Delivered().empty());

  // A playback that reaches its end while the queue is not read, stopped before the end is
  // read: neither the end nor the completion arrives.
  VPSetPlayTime(player, 0.0, 0.5);
  VPPlay(player);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  VPStop(player);
  PumpFor(300);
  EXPECT_TRUE(Delivered().empty());

  VPPlay(player);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  VPDestroy(player);
  player = 0;
  PumpFor(300);
  EXPECT_TRUE(Delivered().empty());
}

// The program stops the player when the end arrives; the completion posted with the end is
// still delivered once.
TEST_F(PlayerFixture, StoppingOnTheEndKeepsTheCompletion) {
  ClipSources clip(Clip("player_halves.mp4"));
  Open(clip);
  VPSetPlayTime(player, 0.0, 0.5);
  OnDelivered() = [&](const Message& m) {
    if (m.message == kPlayerNotifyMessage && m.wParam == kPlayerNotifyEnd) VPStop(player);
  };
  VPPlay(player);
  ASSERT_TRUE(Pump([] { return CountOf(kPlayerCompleteMessage, 0) > 0; }));
  PumpFor(300);
  EXPECT_EQ(CountOf(kPlayerNotifyMessage, kPlayerNotifyEnd), 1);
  EXPECT_EQ(CountOf(kPlayerCompleteMessage, 0), 1);
  EXPECT_DOUBLE_EQ(VPGetPlayedTime(player), 0.0);
}

TEST_F(PlayerFixture, ThePlayRangeLimitsPlaybackAndTimesCountFromItsBegin) {
  ClipSources clip(Clip("player_halves.mp4"));
  Open(clip);
  VPSetPlayTime(player, 0.5, 0.8);
  VPPlay(player);
  ASSERT_TRUE(Pump([] { return CountOf(kPlayerNotifyMessage, kPlayerNotifyEnd) > 0; }));
  EXPECT_NEAR(VPGetPlayedTime(player), 0.8, 0.05);
  // Seeks past the range stop at its end.
  VPSeek(player, 5.0, kPlayerSeekExact);
  EXPECT_DOUBLE_EQ(VPGetPlayedTime(player), 0.8);
}

TEST_F(PlayerFixture, SourcesDestroyedWhilePlayingKeepPlayingToTheEnd) {
  auto clip = std::make_unique<ClipSources>(Clip("player_halves.mp4"));
  Open(*clip);
  VPPlay(player);
  PumpFor(300);
  clip.reset();  // both decoders destroyed by their owner
  ASSERT_TRUE(Pump([] { return CountOf(kPlayerCompleteMessage, 0) > 0; }));
  EXPECT_EQ(CountOf(kPlayerNotifyMessage, kPlayerNotifyEnd), 1);
  // The player still holds them: stop, seek and play again work.
  VPStop(player);
  VPSeek(player, 1.5, kPlayerSeekExact);
  EXPECT_DOUBLE_EQ(VPGetPlayedTime(player), 1.5);
}

TEST_F(PlayerFixture, StaleHandlesAndBadArgumentsAnswerTheNeutralValue) {
  ClipSources clip(Clip("player_halves.mp4"));
  // A decoder handle is no player, a player handle no view.
  VPPlay(clip.video);
  EXPECT_EQ(VPGetPlayedTime(clip.video), 0.0);
  EXPECT_EQ(VPGetPlayerHwnd(player, player), nullptr);
  EXPECT_EQ(VPGetPlayerHwnd(0, view), nullptr);
  RECT rect{0, 0, 10, 10};
  EXPECT_EQ(VPCreateView(player, nullptr, &rect, nullptr), 0u);
  EXPECT_EQ(VPCreateView(player, top, nullptr, nullptr), 0u);
  const TPlayerViewSize huge{100000, 100000, 0, 1}, negative{-5, 10, 0, 1}, none{0, 0, 0, 1};
  EXPECT_EQ(VPCreateViewEx(player, top, &rect, 1, &huge), 0u);
  EXPECT_EQ(VPCreateViewEx(player, top, &rect, 1, &negative), 0u);
  EXPECT_NE(VPCreateViewEx(player, top, &rect, 1, &none), 0u);
  EXPECT_EQ(VPSetVolume(player, 201), 0);
  EXPECT_EQ(VPSetVolume(player, -1), 0);
  EXPECT_NE(VPSetVolume(player, 150), 0);
  EXPECT_EQ(VPGetCropRect(player, view, nullptr), 0);
  // Sources of the wrong kind are taken as none; playing nothing posts nothing.
  ordinal_3(player, clip.audio, 0);
  EXPECT_EQ(VPGetMovieLength(player), 0.0);
  VPPlay(player);
  PumpFor(300);
  EXPECT_TRUE(Delivered().empty());
  EXPECT_EQ(EVShowYUVImage(player, nullptr), 0);
  const EngineHandle stale = VPCreate();
  VPDestroy(stale);
  VPPlay(stale);
  EXPECT_EQ(VPGetMovieLength(stale), 0.0);
}

// The program links the engine at build time and also opens it by name: both reach one
// library and one engine state.
TEST(PlayerLibrary, LoadingByNameAnswersTheLinkedLibrary) {
  HMODULE module = LoadLibraryA("QMPlayer.dll");
  ASSERT_NE(module, nullptr);
  auto create = reinterpret_cast<EngineHandle (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "VPCreate")));
  EXPECT_EQ(reinterpret_cast<void*>(create), reinterpret_cast<void*>(&VPCreate));
  auto length = reinterpret_cast<double (*)(EngineHandle)>(
      reinterpret_cast<void*>(GetProcAddress(module, "VPGetMovieLength")));
  ASSERT_NE(create, nullptr);
  ASSERT_NE(length, nullptr);
  const EngineHandle made = create();
  ClipSources clip(Clip("player_halves.mp4"));
  ordinal_3(made, clip.video, 0);
  EXPECT_NEAR(length(made), 2.0, 0.1);
  VPDestroy(made);
  FreeLibrary(module);
}
