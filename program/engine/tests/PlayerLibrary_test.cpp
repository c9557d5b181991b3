#include "program/engine/PlayerLibrary.h"

#include <gtest/gtest.h>

#include "engines/QMPlayer/PlayerApi.h"
#include "platform/user/WinUser.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/MediaPlayer.h"
#include "program/engine/tests/EngineTestSupport.h"

namespace {

static_assert(sizeof(TPlayerSizeRecord) == sizeof(TPlayerViewSize));
static_assert(offsetof(TPlayerSizeRecord, Height) == offsetof(TPlayerViewSize, height));
static_assert(offsetof(TPlayerSizeRecord, Reserved1) == offsetof(TPlayerViewSize, reserved1));
static_assert(WM_PLAYER_NOTIFY == kPlayerNotifyMessage && WM_PLAYER_COMPLETE == kPlayerCompleteMessage);
static_assert(kPlayerPositionTick == kPlayerNotifyTick && kPlayerReachedEnd == kPlayerNotifyEnd && kSeekExactFrame == kPlayerSeekExact);

TEST(PlayerLibraryTest, MissingEntriesGiveNeutralValuesAndTheViewFallsBack) {
  // QM_TestPartial.so has VPCreateView but not VPCreateViewEx, and lacks VPCreate, EVCreate,
  // VPGetCropRect and VPGetMovieLength.
  TPlayerLibrary player("QM_TestPartial.dll");
  ASSERT_TRUE(player.Load(nullptr));
  const RECT rect{0, 0, 64, 48};
  const TPlayerSizeRecord size{64, 48, 0, 1};
  EXPECT_EQ(player.CreateView(7, nullptr, &rect, true, &size), 0x3301u);
  EXPECT_EQ(player.VPSetVolume(7, 100), 150);
  EXPECT_TRUE(player.EVShowYUVImage(7, nullptr));  // any value but 0 is True
  EXPECT_DOUBLE_EQ(player.VPGetPlayedTime(7), 12.5);

  EXPECT_EQ(player.VPCreate(), 0u);
  EXPECT_EQ(player.EVCreate(nullptr, &rect), 0u);
  RECT crop{1, 2, 3, 4};
  EXPECT_EQ(player.VPGetCropRect(7, 0x3301, &crop), 0);
  EXPECT_EQ(crop.right, 3);  // untouched
  EXPECT_DOUBLE_EQ(player.VPGetMovieLength(7), 0.0);
  EXPECT_EQ(player.VPGetPlayerHwnd(7, 0x3301), nullptr);
  EXPECT_EQ(player.EVGetHwnd(1), nullptr);
  EXPECT_EQ(player.VPGetVideoDataProcessHandle(7, 0x3301), 0u);
  EXPECT_EQ(player.VPSetDisplayResizeMode(7, 0x3301, 2), 0);
  // Missing procedures do nothing.
  player.VPPlay(7);
  player.VPSeek(7, 1.0, -1);
  player.SetSources(7, 1, 2);
  player.EVDestroy(1);
  player.Unload();

  // An unloaded record answers neutrally everywhere, the Boolean wrapper with False.
  EXPECT_FALSE(player.EVShowYUVImage(7, nullptr));
  EXPECT_EQ(player.CreateView(7, nullptr, &rect, false, &size), 0u);
  EXPECT_EQ(player.VPSetVolume(7, 100), 0);
}

class PlayerEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("BRANTWELL_AUDIO", "null", 1);
    enginetest::BindMediaEngines();
    ASSERT_TRUE(PlayerLibrary.Load(nullptr));
  }
  void TearDown() override { UnloadEngineLibraries(); }
};

TEST_F(PlayerEngineTest, WrappersReachTheRealEngine) {
  const std::string clip = enginetest::OneSecondClip();
  ASSERT_FALSE(clip.empty());
  auto video = TVideoDecoder::Create(platform::Utf8ToUtf16(clip));
  ASSERT_NE(video->GetHandle(), 0u);

  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"PlayerWrapperParent";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND parent = CreateWindowExW(0, u"PlayerWrapperParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  const TEngineHandle player = PlayerLibrary.VPCreate();
  ASSERT_NE(player, 0u);
  PlayerLibrary.SetSources(player, video->GetHandle(), 0);
  EXPECT_NEAR(PlayerLibrary.VPGetMovieLength(player), 1.0, 0.1);
  EXPECT_DOUBLE_EQ(PlayerLibrary.VPGetPlayedTime(player), 0.0);

  const RECT rect{10, 20, 330, 260};
  const TPlayerSizeRecord size{160, 120, 0, 1};
  const TEngineHandle view = PlayerLibrary.CreateView(player, parent, &rect, true, &size);
  ASSERT_NE(view, 0u);
  HWND own = PlayerLibrary.VPGetPlayerHwnd(player, view);
  ASSERT_TRUE(IsWindow(own));
  EXPECT_TRUE(IsChild(parent, own));
  EXPECT_NE(PlayerLibrary.VPSetDisplayResizeMode(player, view, 3), 0);
  EXPECT_EQ(PlayerLibrary.VPGetDisplayResizeMode(player, view), 3);
  EXPECT_NE(PlayerLibrary.VPGetVideoDataProcessHandle(player, view), 0u);
  RECT crop{};
  EXPECT_NE(PlayerLibrary.VPGetCropRect(player, view, &crop), 0);
  EXPECT_NE(PlayerLibrary.VPSetVolume(player, 150), 0);
  PlayerLibrary.VPSeek(player, 0.5, -1);
  PlayerLibrary.VPUpdate(player);
  PlayerLibrary.VPDestroyView(player, view);
  EXPECT_FALSE(IsWindow(own));
  EXPECT_EQ(PlayerLibrary.VPGetPlayerHwnd(player, view), nullptr);
  PlayerLibrary.VPDestroy(player);
  EXPECT_DOUBLE_EQ(PlayerLibrary.VPGetMovieLength(player), 0.0);  // a stale player

  const TEngineHandle frameView = PlayerLibrary.EVCreate(parent, &rect);
  ASSERT_NE(frameView, 0u);
  EXPECT_TRUE(IsWindow(PlayerLibrary.EVGetHwnd(frameView)));
  EXPECT_TRUE(PlayerLibrary.EVShowYUVImage(frameView, nullptr));  // nil shows black
  PlayerLibrary.EVDestroy(frameView);
  EXPECT_EQ(PlayerLibrary.EVGetHwnd(frameView), nullptr);
  DestroyWindow(parent);
}

TEST_F(PlayerEngineTest, StaticImportsAndTheRunTimeBindingReachOneEngine) {
  // The program imports the player at link time: the run-time load finds that library.
  const HMODULE module = LoadLibraryA("QMPlayer.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, "VPCreate")), reinterpret_cast<void*>(&::VPCreate));
  EXPECT_EQ(reinterpret_cast<void*>(PlayerLibrary.EntryPoint(TPlayerLibrary::kSetSources)),
            reinterpret_cast<void*>(&::ordinal_3));
  FreeLibrary(module);

  // A player made through the import is one of the bound engine's players.
  auto video = TVideoDecoder::Create(platform::Utf8ToUtf16(enginetest::OneSecondClip()));
  const EngineHandle player = ::VPCreate();
  ASSERT_NE(player, 0u);
  ::ordinal_3(player, video->GetHandle(), 0);
  EXPECT_NEAR(PlayerLibrary.VPGetMovieLength(player), 1.0, 0.1);
  PlayerLibrary.VPDestroy(player);
  EXPECT_DOUBLE_EQ(::VPGetMovieLength(player), 0.0);
}

}  // namespace
