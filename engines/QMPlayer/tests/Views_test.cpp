// What views show: each view's own processor, the picture rectangle per display mode, full
// screen by moving the frame to the top level, and frame views fed from another thread.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/QM_DataProcess/DataProcessApi.h"
#include "engines/QMPlayer/PictureGeometry.h"
#include "engines/QMPlayer/PlayerApi.h"
#include "engines/QMPlayer/tests/PlayerTesting.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Watchdog.h"

using namespace player_testing;
using platform::testing::Image;
using platform::testing::ReadWindow;

namespace {

struct ViewsFixture : ::testing::Test {
  platform::testing::Watchdog watchdog{std::chrono::seconds(90)};
  HWND top = nullptr;
  EngineHandle player = 0;

  void SetUp() override {
    Delivered().clear();
    top = MakeTopWindow(800, 600);
    player = VPCreate();
    ASSERT_NE(player, 0u);
    VPSetCallBack(player, top);
  }
  void TearDown() override {
    VPDestroy(player);
    DestroyWindow(top);
  }
  // Shows the picture at `seconds` while paused and waits until it is painted.
  void ShowPausedAt(double seconds) {
    Delivered().clear();
    VPSeek(player, seconds, kPlayerSeekExact);
    ASSERT_TRUE(Pump([] { return CountOf(kPlayerNotifyMessage, kPlayerNotifyTick) > 0; }));
    PumpFor(100);
  }
};

}  // namespace

TEST_F(ViewsFixture, EachViewShowsThroughItsOwnProcessor) {
  ClipSources clip(Clip("player_halves.mp4"), true, false);
  RECT left{0, 0, 320, 240}, right{400, 0, 720, 240};
  const EngineHandle source = VPCreateViewEx(player, top, &left, 0, nullptr);
  // The output view: 160x120 pictures with the negative effect.
  const TPlayerViewSize size{160, 120, 0, 1};
  const EngineHandle output = VPCreateViewEx(player, top, &right, 1, &size);
  ASSERT_NE(source, 0u);
  ASSERT_NE(output, 0u);
  const EngineHandle processor = VPGetVideoDataProcessHandle(player, output);
  ASSERT_NE(processor, 0u);
  EXPECT_NE(processor, VPGetVideoDataProcessHandle(player, source));
  PCSetExFilterFlag(processor, 4);
  ordinal_3(player, clip.video, 0);
  ShowPausedAt(0.5);

  const HWND sourceWindow = VPGetPlayerHwnd(player, source), outputWindow = VPGetPlayerHwnd(player, output);
  // The player's window lies in a frame window, a child of the given parent, at the rectangle.
  EXPECT_EQ(GetParent(GetParent(outputWindow)), top);
  RECT placed;
  GetWindowRect(GetParent(outputWindow), &placed);
  EXPECT_EQ(placed.left, 400);
  EXPECT_EQ(placed.right - placed.left, 320);
  const Image shown = ReadWindow(sourceWindow), inverted = ReadWindow(outputWindow);
  SavePicture(sourceWindow, "player-view-source.png");
  SavePicture(outputWindow, "player-view-output.png");
  ASSERT_EQ(inverted.width, 320);
  EXPECT_TRUE(IsRed(shown.At(40, 120))) << std::hex << shown.At(40, 120);
  EXPECT_TRUE(IsBlue(shown.At(280, 120)));
  EXPECT_TRUE(IsCyan(inverted.At(40, 120))) << std::hex << inverted.At(40, 120);
  // Blue inverted is yellow.
  EXPECT_GT((inverted.At(280, 120) >> 16) & 0xFF, 200);
  EXPECT_LT(inverted.At(280, 120) & 0xFF, 60);

  // A setting applies to the current picture with Update, not before.
  PCSetExFilterFlag(VPGetVideoDataProcessHandle(player, source), 4);
  PumpFor(100);
  EXPECT_TRUE(IsRed(ReadWindow(sourceWindow).At(40, 120)));
  VPUpdate(player);
  PumpFor(100);
  EXPECT_TRUE(IsCyan(ReadWindow(sourceWindow).At(40, 120))) << std::hex << ReadWindow(sourceWindow).At(40, 120);

  // The crop rectangle is the processor's, an open edge read as the picture's.
  RECT crop{};
  EXPECT_NE(VPGetCropRect(player, source, &crop), 0);
  EXPECT_EQ(crop.right, 320);
  EXPECT_EQ(crop.bottom, 240);
  const RECT set{10, 20, 110, 0};
  PCSetCropRect(VPGetVideoDataProcessHandle(player, source), &set);
  EXPECT_NE(VPGetCropRect(player, source, &crop), 0);
  EXPECT_EQ(crop.left, 10);
  EXPECT_EQ(crop.top, 20);
  EXPECT_EQ(crop.right, 110);
  EXPECT_EQ(crop.bottom, 240);

  // A destroyed view's processor goes with it.
  VPDestroyView(player, output);
  EXPECT_EQ(VPGetPlayerHwnd(player, output), nullptr);
  EXPECT_FALSE(IsWindow(outputWindow));
  EXPECT_EQ(PCGetVideoInfo(processor), nullptr);
}

TEST_F(ViewsFixture, ModesPutThePictureWhereTheViewsRectangleSays) {
  ClipSources clip(Clip("player_halves.mp4"), true, false);
  struct ModeCase {
    int mode, width, height;
    RECT picture;  // where the picture lies; the rest is black
  };
  const ModeCase cases[] = {
      {0, 480, 240, {0, 0, 480, 240}},
      {2, 480, 240, {26, 0, 453, 240}},  // 240 x 16/9 = 426.67 -> 427
      {3, 480, 240, {80, 0, 400, 240}},
      {2, 240, 300, {0, 82, 240, 217}},  // 240 / (16/9) = 135
      {1, 240, 300, {0, 60, 240, 240}},  // the source's 4:3 letterboxed
      {5, 240, 300, {-80, 0, 320, 300}},  // the height filled, sides cut
  };
  ordinal_3(player, clip.video, 0);
  for (const ModeCase& c : cases) {
    RECT rect{0, 0, c.width, c.height};
    const EngineHandle view = VPCreateView(player, top, &rect, nullptr);
    ASSERT_NE(view, 0u);
    EXPECT_EQ(VPGetDisplayResizeMode(player, view), 1);
    EXPECT_NE(VPSetDisplayResizeMode(player, view, c.mode), 0);
    EXPECT_EQ(VPGetDisplayResizeMode(player, view), c.mode);
    ShowPausedAt(0.2);
    const HWND window = VPGetPlayerHwnd(player, view);
    const Image image = ReadWindow(window);
    SavePicture(window, "player-mode-" + std::to_string(c.mode) + "-" + std::to_string(c.width) + "x" +
                            std::to_string(c.height) + ".png");
    ASSERT_EQ(image.width, c.width);
    const RECT& p = c.picture;
    const int middleY = c.height / 2, middleX = c.width / 2;
    // Just inside each edge the picture, just outside it black.
    if (p.left > 0) {
      EXPECT_TRUE(IsBlack(image.At(p.left - 1, middleY))) << "mode " << c.mode;
      EXPECT_TRUE(IsRed(image.At(p.left + 1, middleY))) << "mode " << c.mode << std::hex << " " << image.At(p.left + 1, middleY);
    } else {
      EXPECT_FALSE(IsBlack(image.At(0, middleY))) << "mode " << c.mode;
    }
    if (p.right < c.width) {
      EXPECT_TRUE(IsBlack(image.At(p.right, middleY))) << "mode " << c.mode;
      EXPECT_TRUE(IsBlue(image.At(p.right - 2, middleY))) << "mode " << c.mode;
    } else {
      EXPECT_FALSE(IsBlack(image.At(c.width - 1, middleY))) << "mode " << c.mode;
    }
    if (p.top > 0) {
      EXPECT_TRUE(IsBlack(image.At(middleX / 2, p.top - 1))) << "mode " << c.mode;
      EXPECT_FALSE(IsBlack(image.At(middleX / 2, p.top + 1))) << "mode " << c.mode;
    }
    if (p.bottom < c.height) {
      EXPECT_TRUE(IsBlack(image.At(middleX / 2, p.bottom))) << "mode " << c.mode;
      EXPECT_FALSE(IsBlack(image.At(middleX / 2, p.bottom - 2))) << "mode " << c.mode;
    }
    // Mode 5 cuts the sides: the middle of the picture is where red meets blue.
    if (c.mode == 5) {
      EXPECT_TRUE(IsRed(image.At(middleX - 4, middleY)));
      EXPECT_TRUE(IsBlue(image.At(middleX + 4, middleY)));
    }
    VPDestroyView(player, view);
  }
}

// The scaler writes rows in blocks of pixels: a picture whose width is not a whole number of
// blocks must still end at its own edge (and never write past the view's last row).
TEST_F(ViewsFixture, APictureOfNoWholeBlocksOfPixelsEndsAtItsEdge) {
  ClipSources clip(Clip("player_portrait.mp4"), true, false);
  ordinal_3(player, clip.video, 0);
  struct EdgeCase {
    int width, height, left, right;  // the picture's columns [left, right)
  };
  const EdgeCase cases[] = {
      {640, 360, 219, 421},  // 360 x 9/16 = 202.5 -> 202
      {202, 360, 0, 202},    // the picture fills the view's width (its height less one row)
  };
  for (const EdgeCase& c : cases) {
    RECT rect{0, 0, c.width, c.height};
    const EngineHandle view = VPCreateView(player, top, &rect, nullptr);
    ASSERT_NE(view, 0u);
    ShowPausedAt(0.2);
    const HWND window = VPGetPlayerHwnd(player, view);
    const Image image = ReadWindow(window);
    ASSERT_EQ(image.width, c.width);
    for (int y : {0, c.height / 2, c.height - 2}) {
      EXPECT_TRUE(IsBlue(image.At(c.right - 1, y))) << c.width << " row " << y;
      if (c.right < c.width) {
        EXPECT_TRUE(IsBlack(image.At(c.right, y))) << c.width << " row " << y;
      }
      if (c.left > 0) {
        EXPECT_TRUE(IsBlack(image.At(c.left - 1, y))) << c.width << " row " << y;
      }
    }
    VPDestroyView(player, view);
  }
}

TEST_F(ViewsFixture, FullScreenByMovingTheFrameToTheTopLevelRedrawsAtTheNewSize) {
  ClipSources clip(Clip("player_halves.mp4"), true, false);
  RECT rect{10, 10, 330, 250};
  const EngineHandle view = VPCreateView(player, top, &rect, nullptr);
  ordinal_3(player, clip.video, 0);
  ShowPausedAt(0.2);
  const HWND window = VPGetPlayerHwnd(player, view);
  const HWND frame = GetParent(window);
  // What the program does for full screen: the frame becomes a maximised top-level window.
  SetParent(frame, nullptr);
  ShowWindow(frame, SW_MAXIMIZE);
  ShowWindow(window, SW_MAXIMIZE);
  // The view draws again once it has been sized and painted: wait for the picture's middle,
  // whatever the machine's load.
  RECT frameClient{}, client{};
  const auto shownAtItsSize = [&](int width) {
    GetClientRect(window, &client);
    if (client.right != width || client.bottom <= 0) return false;
    const RECT shown = player::VideoRect(client.right, client.bottom, 1, {320, 240, 4, 3});
    const Image now = ReadWindow(window);
    return now.width == client.right && IsRed(now.At(shown.left + 4, client.bottom / 2)) &&
           IsBlue(now.At(shown.right - 4, client.bottom / 2));
  };
  GetClientRect(frame, &frameClient);
  EXPECT_TRUE(Pump([&] { return shownAtItsSize(frameClient.right); }));
  GetClientRect(frame, &frameClient);
  GetClientRect(window, &client);
  EXPECT_GT(frameClient.right, 320);
  EXPECT_EQ(client.right, frameClient.right);
  EXPECT_EQ(client.bottom, frameClient.bottom);
  const Image image = ReadWindow(window);
  SavePicture(window, "player-full-screen.png");
  ASSERT_EQ(image.width, client.right);
  // The clip is 4:3 (320x240).
  const RECT picture = player::VideoRect(client.right, client.bottom, 1, {320, 240, 4, 3});
  EXPECT_TRUE(IsRed(image.At(picture.left + 4, client.bottom / 2)));
  EXPECT_TRUE(IsBlue(image.At(picture.right - 4, client.bottom / 2)));
  if (picture.left > 0) {
    EXPECT_TRUE(IsBlack(image.At(picture.left - 2, client.bottom / 2)));
  }
  if (picture.top > 0) {
    EXPECT_TRUE(IsBlack(image.At(client.right / 4, picture.top - 2)));
  }

  // Back into the panel at the former size.
  SetParent(frame, top);
  ShowWindow(frame, SW_RESTORE);
  ShowWindow(window, SW_RESTORE);
  SendMessageW(frame, WM_SIZE, 0, MAKELPARAM(320, 240));
  EXPECT_TRUE(Pump([&] { return shownAtItsSize(320); }));
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 320);
  const Image back = ReadWindow(window);
  EXPECT_TRUE(IsRed(back.At(40, 120)));
  EXPECT_TRUE(IsBlue(back.At(280, 120)));
}

namespace {

struct PreviewSink {
  EngineHandle view = 0;
  std::atomic<int> shown{0};
  std::atomic<bool> ended{false};
  static int32_t Callback(void* user, int32_t message, int32_t, QEProgress* progress) {
    auto* self = static_cast<PreviewSink*>(user);
    if (message == kQEMessageEnd) self->ended = true;
    if (message == kQEMessageProgress && progress->preview && progress->preview->kind == 2 &&
        progress->preview->valid == 1 && EVShowYUVImage(self->view, &progress->preview->frame))
      ++self->shown;
    return -1;
  }
};

}  // namespace

TEST_F(ViewsFixture, AFrameViewShowsAConvertersPreviewsAndBlackForNone) {
  RECT rect{0, 0, 400, 200};
  PreviewSink sink;
  sink.view = EVCreate(top, &rect);
  ASSERT_NE(sink.view, 0u);
  const HWND window = EVGetHwnd(sink.view);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), top);

  ClipSources clip(Clip("player_halves.mp4"));
  const EngineHandle converter = QECreate(clip.video, clip.audio);
  ASSERT_NE(converter, 0u);
  const std::u16string output =
      platform::Utf8ToUtf16(std::string(BRANTWELL_TEST_BIN_DIR) + "/player-preview-job.mpg");
  ASSERT_NE(QESetOutputFile(converter, output.c_str()), 0);
  QEEnablePreview(converter, 1);
  ASSERT_EQ(QEStart(converter, 0.0, 0.0, 0, &PreviewSink::Callback, &sink), 0);
  ASSERT_TRUE(Pump([&] { return sink.ended.load(); }));
  QEDestroy(converter);
  ASSERT_GT(sink.shown.load(), 0);
  PumpFor(100);
  const Image image = ReadWindow(window);
  SavePicture(window, "player-frame-view.png");
  // The DVD frame (720x480) letterboxed into 400x200: pillarboxed sides, the halves inside.
  EXPECT_TRUE(IsBlack(image.At(5, 100)));
  EXPECT_TRUE(IsBlack(image.At(394, 100)));
  EXPECT_TRUE(IsRed(image.At(120, 100))) << std::hex << image.At(120, 100);
  EXPECT_TRUE(IsBlue(image.At(280, 100))) << std::hex << image.At(280, 100);
  // The picture is 300 wide: its last pixels are as blue as the rest.
  EXPECT_TRUE(IsBlue(image.At(349, 100))) << std::hex << image.At(349, 100);

  EXPECT_NE(EVShowYUVImage(sink.view, nullptr), 0);
  PumpFor(100);
  const Image black = ReadWindow(window);
  EXPECT_TRUE(IsBlack(black.At(120, 100)));
  EXPECT_TRUE(IsBlack(black.At(280, 100)));

  // A picture it cannot read is refused and changes nothing.
  QEPreviewFrame bad{16, 16, 7, 16, 8, 0};
  EXPECT_EQ(EVShowYUVImage(sink.view, &bad), 0);
  EVDestroy(sink.view);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(EVGetHwnd(sink.view), nullptr);
}
