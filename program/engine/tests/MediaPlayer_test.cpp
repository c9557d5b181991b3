#include "program/engine/MediaPlayer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "platform/testing/Watchdog.h"
#include "platform/user/SystemParams.h"
#include "platform/user/WinUser.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/tests/EngineTestSupport.h"
#include "vcl/Thread.h"

namespace {

using namespace std::chrono_literals;

// What a player reported, in order.
struct EventLog {
  std::vector<TPlayerState> states;
  std::vector<double> positions;
  std::vector<double> lengths;
  int completions = 0;

  void Attach(TMediaPlayer& player) {
    player.OnStateChange = [this](TObject*, TPlayerState state) { states.push_back(state); };
    player.OnProgress = [this](TObject*, double position, double length) {
      positions.push_back(position);
      lengths.push_back(length);
    };
    player.OnComplete = [this](TObject*) { ++completions; };
  }
};

// Messages the parent window's own procedure saw: the hook must pass every one on.
std::vector<UINT> g_parentMessages;

LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_USER) g_parentMessages.push_back(msg);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeParent(int width = 640, int height = 360) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = u"MediaPlayerTestParent";
    return RegisterClassW(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExW(0, u"MediaPlayerTestParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                         nullptr, nullptr, nullptr);
}

// Handles the thread's queued messages until `done` or the time is up.
template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    usleep(5000);
  }
  return true;
}

// The media engines and the player bound as the program's start-up binds them; playback
// without a sound device keeps time on the engine's null sink.
class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("BRANTWELL_AUDIO", "null", 1);
    enginetest::BindMediaEngines();
    ASSERT_TRUE(PlayerLibrary.Load(nullptr));
    g_parentMessages.clear();
  }
  void TearDown() override { UnloadEngineLibraries(); }

  static std::string Clip() {
    const std::string clip = enginetest::OneSecondClip();
    EXPECT_FALSE(clip.empty()) << "ffmpeg could not make the clip";
    return clip;
  }
  static WideString Wide(const std::string& text) { return platform::Utf8ToUtf16(text); }
};

TEST_F(MediaPlayerTest, OpeningNothingOnAPlayingPlayerClosesItAndPlaysAgain) {
  TMediaPlayer player;
  ASSERT_NE(player.Player(), 0u);
  EventLog log;
  log.Attach(player);
  ASSERT_TRUE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  player.Play();
  log.states.clear();

  EXPECT_TRUE(player.Open(nullptr, nullptr));
  EXPECT_EQ(log.states, (std::vector<TPlayerState>{psClosed, psPlaying}));
  EXPECT_EQ(player.VideoSource(), nullptr);
  EXPECT_EQ(player.AudioSource(), nullptr);
  EXPECT_TRUE(player.FileName().empty());
  EXPECT_EQ(player.VideoInfo().Width, 0);
  player.Stop();
}

TEST_F(MediaPlayerTest, OpeningWhilePlayingPlaysTheNewSourcesWhilePausedEndsOpened) {
  struct Case {
    bool pauseFirst;
    TPlayerState expected;
  };
  for (const Case& c : {Case{false, psPlaying}, Case{true, psOpened}}) {
    SCOPED_TRACE(c.pauseFirst ? "paused" : "playing");
    TMediaPlayer player;
    ASSERT_TRUE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
    EXPECT_EQ(player.FileName(), Wide(Clip()));
    player.Play();
    if (c.pauseFirst) player.Pause();

    auto video = TVideoDecoder::Create(Wide(Clip()));
    auto audio = TAudioDecoder::Create(Wide(Clip()));
    ASSERT_NE(video->GetHandle(), 0u);
    EXPECT_TRUE(player.Open(video.get(), audio.get()));
    EXPECT_EQ(player.State(), c.expected);
    EXPECT_EQ(player.VideoSource(), video.get());
    EXPECT_EQ(player.AudioSource(), audio.get());
    // Open without OpenFile forgets the file's name; the sources' records are copied.
    EXPECT_TRUE(player.FileName().empty());
    EXPECT_EQ(player.VideoInfo().Width, 320);
    EXPECT_EQ(player.AudioInfo().sample_rate, 48000);
    player.Stop();
  }
}

TEST_F(MediaPlayerTest, TicksReachOnlyAPlayingPlayerAndTheEndStopsItOnce) {
  HWND parent = MakeParent();
  TMediaPlayer player;
  EventLog log;
  log.Attach(player);
  ASSERT_TRUE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  const RECT rect{0, 0, 320, 240};
  ASSERT_NE(player.CreateView(parent, rect, false, nullptr), 0u);
  ASSERT_EQ(player.HookedWindow(), parent);

  for (TPlayerState state : {psOpened, psPaused, psStopped}) {
    if (state == psPaused) player.Pause();
    if (state == psStopped) player.Stop();
    SendMessageW(parent, WM_PLAYER_NOTIFY, kPlayerPositionTick, 0);
    EXPECT_TRUE(log.positions.empty()) << state;
  }

  player.SetPlayTime(0.0, 0.75);
  player.Play();
  player.Pause();  // the tick below is ours alone
  player.Resume();
  SendMessageW(parent, WM_PLAYER_NOTIFY, kPlayerPositionTick, 0);
  ASSERT_FALSE(log.positions.empty());
  EXPECT_DOUBLE_EQ(log.lengths.back(), 0.75);

  log.states.clear();
  SendMessageW(parent, WM_PLAYER_NOTIFY, kPlayerReachedEnd, 0);
  SendMessageW(parent, WM_PLAYER_NOTIFY, kPlayerReachedEnd, 0);
  EXPECT_EQ(log.states, std::vector<TPlayerState>{psStopped});
  SendMessageW(parent, WM_PLAYER_COMPLETE, 0, 0);
  EXPECT_EQ(log.completions, 1);
  // The parent's own procedure saw every message too.
  EXPECT_EQ(std::count(g_parentMessages.begin(), g_parentMessages.end(), WM_PLAYER_COMPLETE), 1);
  DestroyWindow(parent);
}

TEST_F(MediaPlayerTest, PlayingToTheEndTicksThenStopsAndCompletes) {
  platform::testing::Watchdog watchdog(60s);
  HWND parent = MakeParent();
  TMediaPlayer player;
  EventLog log;
  log.Attach(player);
  ASSERT_TRUE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  ASSERT_NE(player.CreateView(parent, RECT{0, 0, 320, 240}, false, nullptr), 0u);
  player.Play();
  EXPECT_NEAR(player.PlayLength(), 1.0, 0.1);  // asked from the engine by Play
  ASSERT_TRUE(PumpUntil([&] { return log.completions > 0; }, 10s)) << "no completion";

  EXPECT_GE(log.positions.size(), 2u);
  for (size_t i = 1; i < log.positions.size(); ++i) EXPECT_GE(log.positions[i], log.positions[i - 1]);
  EXPECT_LE(log.positions.back(), 1.1);
  EXPECT_EQ(std::count(log.states.begin(), log.states.end(), psStopped), 1);
  EXPECT_EQ(player.State(), psStopped);
  EXPECT_EQ(log.completions, 1);
  DestroyWindow(parent);
}

TEST_F(MediaPlayerTest, StoppingDropsTheTicksStillQueued) {
  HWND parent = MakeParent();
  TMediaPlayer player;
  EventLog log;
  log.Attach(player);
  ASSERT_TRUE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  ASSERT_NE(player.CreateView(parent, RECT{0, 0, 320, 240}, false, nullptr), 0u);
  player.Play();
  PostMessageW(parent, WM_PLAYER_NOTIFY, kPlayerPositionTick, 0);
  // Opening while playing stops the old playback first and flushes its ticks.
  auto video = TVideoDecoder::Create(Wide(Clip()));
  ASSERT_TRUE(player.Open(video.get(), nullptr));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, parent, WM_PLAYER_NOTIFY, WM_PLAYER_NOTIFY, PM_NOREMOVE));
  player.Stop();
  DestroyWindow(parent);
}

TEST_F(MediaPlayerTest, ViewProcessorsAreHandedOutWithoutOwnership) {
  HWND parent = MakeParent();
  TMediaPlayer player;
  ASSERT_TRUE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  const TPlayerSizeRecord size{160, 90, 0, 1};
  const TEngineHandle source = player.CreateView(parent, RECT{0, 0, 320, 240}, false, nullptr);
  const TEngineHandle output = player.CreateView(parent, RECT{320, 0, 640, 240}, true, &size);
  ASSERT_TRUE(source && output);
  EXPECT_EQ(player.MainView(), source);
  const TEngineHandle handle = player.GetVideoDataProcessHandle(output);
  ASSERT_NE(handle, 0u);
  EXPECT_NE(handle, player.GetVideoDataProcessHandle(source));  // one processor per view
  {
    IntfPtr<TVideoMediaProcessor> processor = player.GetVideoProcessor(output);
    EXPECT_EQ(processor->GetHandle(), handle);
    processor->SetBrightness(20);
  }
  // Releasing the object left the view's processor alive.
  IntfPtr<TVideoMediaProcessor> again = player.GetVideoProcessor(output);
  EXPECT_EQ(again->GetHandle(), handle);
  player.Update();
  EXPECT_EQ(player.GetVideoDataProcessHandle(output), handle);

  player.DestroyView(source);
  EXPECT_EQ(player.MainView(), 0u);
  EXPECT_EQ(player.GetPlayerHwnd(source), nullptr);
  EXPECT_TRUE(IsWindow(player.GetPlayerHwnd(output)));
  DestroyWindow(parent);
}

// Hooks a window the way CreateView does, to see the answer.
class HookingPlayer : public TMediaPlayer {
 public:
  using TMediaPlayer::HookViewWindow;
};

TEST_F(MediaPlayerTest, HookingTheSameWindowTwiceKeepsOneHook) {
  HWND parent = MakeParent();
  HookingPlayer player;
  EventLog log;
  log.Attach(player);
  EXPECT_FALSE(player.HookViewWindow(nullptr));
  EXPECT_TRUE(player.HookViewWindow(parent));
  EXPECT_FALSE(player.HookViewWindow(parent));
  // A second view on the same parent does not hook again.
  ASSERT_NE(player.CreateView(parent, RECT{0, 0, 100, 100}, false, nullptr), 0u);
  ASSERT_NE(player.CreateView(parent, RECT{100, 0, 200, 100}, false, nullptr), 0u);
  SendMessageW(parent, WM_PLAYER_COMPLETE, 0, 0);
  EXPECT_EQ(log.completions, 1);
  EXPECT_EQ(g_parentMessages, std::vector<UINT>{WM_PLAYER_COMPLETE});

  // Another player hooks the same window with a subclass of its own; both hear it.
  TMediaPlayer other;
  EventLog otherLog;
  otherLog.Attach(other);
  ASSERT_NE(other.CreateView(parent, RECT{0, 100, 100, 200}, false, nullptr), 0u);
  EXPECT_EQ(other.HookedWindow(), parent);
  SendMessageW(parent, WM_PLAYER_COMPLETE, 0, 0);
  EXPECT_EQ(log.completions, 2);
  EXPECT_EQ(otherLog.completions, 1);
  DestroyWindow(parent);
}

TEST_F(MediaPlayerTest, DestroyingTheHookedWindowStopsAndUnhooks) {
  HWND parent = MakeParent();
  auto player = std::make_unique<TMediaPlayer>();
  EventLog log;
  log.Attach(*player);
  ASSERT_TRUE(player->OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  ASSERT_NE(player->CreateView(parent, RECT{0, 0, 320, 240}, false, nullptr), 0u);
  player->Play();
  DestroyWindow(parent);
  EXPECT_EQ(player->State(), psStopped);
  EXPECT_EQ(player->HookedWindow(), nullptr);
  player.reset();  // nothing left to unhook
}

TEST_F(MediaPlayerTest, PlayTimeOfLengthZeroTakesTheMovieLength) {
  TMediaPlayer player;
  ASSERT_TRUE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  const double movie = player.GetMovieLength();
  EXPECT_NEAR(movie, 1.0, 0.1);
  player.SetPlayTime(0.25, 0.0);
  EXPECT_DOUBLE_EQ(player.PlayBegin(), 0.25);
  EXPECT_DOUBLE_EQ(player.PlayLength(), movie);
  player.SetPlayTime(0.25, 0.5);
  EXPECT_DOUBLE_EQ(player.PlayLength(), 0.5);
  // A new Open forgets the range.
  ASSERT_TRUE(player.Open(nullptr, nullptr));
  EXPECT_DOUBLE_EQ(player.PlayBegin(), 0.0);
  EXPECT_DOUBLE_EQ(player.PlayLength(), 0.0);
}

TEST_F(MediaPlayerTest, OpenFileAnswersFalseWithoutAnEnginePlayer) {
  // The partial library has no VPCreate: no engine player, nothing can be opened, although
  // the decoders open the clip.
  TPlayerLibrary partial("QM_TestPartial.dll");
  TMediaPlayer player(partial, nullptr);
  EventLog log;
  log.Attach(player);
  ASSERT_EQ(player.Player(), 0u);
  EXPECT_FALSE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  EXPECT_FALSE(player.Open(nullptr, nullptr));
  EXPECT_EQ(player.State(), psClosed);
  player.Play();
  player.Pause();
  player.Resume();
  EXPECT_TRUE(log.states.empty());
  EXPECT_DOUBLE_EQ(player.GetMovieLength(), 0.0);
  partial.Unload();
}

TEST_F(MediaPlayerTest, DecodersThatCannotBeMadeAreReportedAndNothingOpens) {
  UnloadEngineLibraries();
  ASSERT_TRUE(PlayerLibrary.Load(nullptr));
  std::vector<std::string> reported;
  ApplicationHandleException = [&](TObject*, std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const Exception& e) {
      reported.push_back(e.Message());
    }
  };
  // The decoder manager is not in this program folder: both decoders fail to load it.
  const std::string saved = std::getenv("BRANTWELL_PROGRAM_DIR");
  char folder[] = "/tmp/brantwell-no-decoder-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  setenv("BRANTWELL_PROGRAM_DIR", folder, 1);
  TMediaPlayer player;
  EXPECT_FALSE(player.OpenFile(Wide(Clip()), 0, nullptr, nullptr));
  setenv("BRANTWELL_PROGRAM_DIR", saved.c_str(), 1);
  rmdir(folder);
  ApplicationHandleException = nullptr;
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_NE(reported[0].find("QM_DecMgr.dll"), std::string::npos) << reported[0];
  EXPECT_EQ(player.State(), psClosed);
}

TEST_F(MediaPlayerTest, PlayerWithoutEngineIsRefusedByName) {
  TPlayerLibrary missing("NoSuchPlayer.dll");
  EXPECT_THROW(TMediaPlayer(missing, nullptr), EOSError);
}

// ---- Window helpers ------------------------------------------------------------------------

std::vector<std::pair<HWND, UINT>> g_dispatched;

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_USER) g_dispatched.emplace_back(hwnd, msg);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(PumpWindowMessages, TakesOnlyThatWindowsMessagesOfThatNumber) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "PumpTestNarrow";
  ASSERT_NE(RegisterClassA(&wc), 0);
  // A narrow window: the messages are dispatched with the narrow functions.
  HWND one = CreateWindowExA(0, "PumpTestNarrow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND two = CreateWindowExA(0, "PumpTestNarrow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(one && two);
  ASSERT_FALSE(IsWindowUnicode(one));
  auto postAll = [&] {
    PostMessageW(one, WM_PLAYER_NOTIFY, 1, 0);
    PostMessageW(two, WM_PLAYER_NOTIFY, 1, 0);
    PostMessageW(one, WM_PLAYER_NOTIFY + 1, 1, 0);
    PostMessageW(one, WM_PLAYER_NOTIFY, 2, 0);
  };

  postAll();
  EXPECT_TRUE(PumpWindowMessages(one, WM_PLAYER_NOTIFY, true));
  EXPECT_TRUE(g_dispatched.empty());
  EXPECT_FALSE(PumpWindowMessages(one, WM_PLAYER_NOTIFY, true));
  MSG msg;
  std::vector<std::pair<HWND, UINT>> left;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) left.emplace_back(msg.hwnd, msg.message);
  EXPECT_EQ(left, (std::vector<std::pair<HWND, UINT>>{{two, WM_PLAYER_NOTIFY}, {one, WM_PLAYER_NOTIFY + 1}}));

  postAll();
  EXPECT_TRUE(PumpWindowMessages(one, WM_PLAYER_NOTIFY, false));
  EXPECT_EQ(g_dispatched, (std::vector<std::pair<HWND, UINT>>{{one, WM_PLAYER_NOTIFY}, {one, WM_PLAYER_NOTIFY}}));
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  DestroyWindow(one);
  DestroyWindow(two);
}

int g_animationWhenShown = -1;

LRESULT AnimationProbe(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SHOWWINDOW) {
    ANIMATIONINFO info{sizeof info, -1};
    SystemParametersInfoW(SPI_GETANIMATION, sizeof info, &info, 0);
    g_animationWhenShown = info.iMinAnimate;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST(ShowWindowNoAnimate, ShowsWithTheAnimationOffAndPutsItBack) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = AnimationProbe;
  wc.lpszClassName = u"AnimationProbe";
  ASSERT_NE(RegisterClassW(&wc), 0);
  for (int animate : {1, 0}) {
    ANIMATIONINFO info{sizeof info, animate};
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETANIMATION, sizeof info, &info, 0));
    HWND wnd = CreateWindowExW(0, u"AnimationProbe", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    g_animationWhenShown = -1;
    ShowWindowNoAnimate(wnd, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(wnd));
    EXPECT_EQ(g_animationWhenShown, 0) << animate;
    info.iMinAnimate = -1;
    SystemParametersInfoW(SPI_GETANIMATION, sizeof info, &info, 0);
    EXPECT_EQ(info.iMinAnimate, animate);
    DestroyWindow(wnd);
  }
}

}  // namespace
