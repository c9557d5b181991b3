// The transition preview on the headless display, on the manual clock: where it shows the
// pictures, how it animates, holds and stops, what it copies, and what it refuses.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engines/QM_ImageProc/QM_ImageProc.h"
#include "engines/TransPreview/TransPreviewApi.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/WinUser.h"

using platform::testing::Image;
using platform::testing::ReadWindow;

namespace {

// A DIB owned by the test: header (with room for bit-field masks) and bits.
struct Dib {
  struct {
    BITMAPINFOHEADER header;
    uint32_t masks[3];
  } info{};
  std::vector<uint8_t> bits;

  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(&info); }
};

// A width x height picture of `colour` (0xRRGGBB) with a `band` colour over its top eighth, so
// that an upside-down copy shows.
Dib MakeDib(int width, int height, int bitCount, bool topDown, uint32_t colour, uint32_t band) {
  Dib dib;
  dib.info.header.biSize = sizeof(BITMAPINFOHEADER);
  dib.info.header.biWidth = width;
  dib.info.header.biHeight = topDown ? -height : height;
  dib.info.header.biPlanes = 1;
  dib.info.header.biBitCount = uint16_t(bitCount);
  dib.info.header.biCompression = BI_RGB;
  const size_t stride = (size_t(width) * bitCount + 31) / 32 * 4;
  dib.bits.assign(stride * height, 0xEE);  // row padding that must not show
  // Only 24- and 32-bit pictures are painted; the others (which the preview refuses) keep the fill.
  for (int y = 0; bitCount >= 24 && y < height; ++y) {
    const uint32_t c = y < height / 8 ? band : colour;
    uint8_t* row = dib.bits.data() + stride * (topDown ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      uint8_t* p = row + x * bitCount / 8;
      p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
      if (bitCount == 32) p[3] = 0;
    }
  }
  return dib;
}

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFF; }

bool Near(uint32_t pixel, uint32_t rgb, int tolerance = 6) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((pixel >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

constexpr uint32_t kRed = 0xC83228, kGreen = 0x20A040, kBlue = 0x2850C8, kYellow = 0xE0D020;

LRESULT TopProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct PreviewFixture : ::testing::Test {
  platform::testing::Watchdog watchdog{std::chrono::seconds(60)};
  HWND top = nullptr;
  EngineHandle preview = 0;
  // Red with a green band, 32-bit bottom-up; blue with a yellow band, 24-bit top-down; 4:3.
  Dib first = MakeDib(160, 120, 32, false, kRed, kGreen);
  Dib second = MakeDib(160, 120, 24, true, kBlue, kYellow);

  void SetUp() override {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = TopProc;
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      wc.lpszClassName = u"TransPreviewTestTop";
      return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    platform::testing::UseManualClock(true);
    top = CreateWindowExW(0, u"TransPreviewTestTop", u"preview test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                          640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(top, nullptr);
  }
  void TearDown() override {
    TPDestroy(preview);
    DestroyWindow(top);
    platform::testing::UseManualClock(false);
  }

  // A preview 400x240 at (20, 30): 4:3 pictures fill 320x240 of it, 40 black columns each side.
  HWND Create() {
    const RECT rect{20, 30, 420, 270};
    preview = TPCreate(top, &rect);
    EXPECT_NE(preview, 0u);
    HWND child = GetWindow(top, GW_CHILD);
    EXPECT_NE(child, nullptr);
    return child;
  }
  void Advance(unsigned milliseconds) {
    platform::testing::AdvanceClock(milliseconds);
    ASSERT_TRUE(platform::testing::RunUntilIdle());
  }
  void Save(HWND window, const std::string& name) {
    std::string error;
    EXPECT_TRUE(platform::testing::SavePng(ReadWindow(window), std::string(BRANTWELL_TEST_BIN_DIR) + "/" + name, &error))
        << error;
  }
};

}  // namespace

TEST_F(PreviewFixture, FillsItsRectangleAndShowsTheFirstPictureFittedUpright) {
  HWND window = Create();
  RECT placed;
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, 20);
  EXPECT_EQ(placed.top, 30);
  EXPECT_EQ(placed.right - placed.left, 400);
  EXPECT_EQ(placed.bottom - placed.top, 240);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(Rgb(ReadWindow(window).At(200, 120)), 0u) << "black before any picture";

  ASSERT_EQ(TPSetImage(preview, first.Info(), first.bits.data(), second.Info(), second.bits.data()), 1);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  Image shown = ReadWindow(window);
  EXPECT_EQ(Rgb(shown.At(20, 120)), 0u);
  EXPECT_EQ(Rgb(shown.At(380, 120)), 0u);
  EXPECT_TRUE(Near(shown.At(200, 120), kRed)) << std::hex << shown.At(200, 120);
  EXPECT_TRUE(Near(shown.At(200, 8), kGreen)) << "the band stays on top";
  EXPECT_TRUE(Near(shown.At(45, 120), kRed));

  // A new size fits the pictures again: 200x300 leaves 150 pixels of 4:3 picture in the middle.
  MoveWindow(window, 0, 0, 200, 300, TRUE);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  shown = ReadWindow(window);
  EXPECT_EQ(Rgb(shown.At(100, 50)), 0u);
  EXPECT_TRUE(Near(shown.At(100, 150), kRed));
  EXPECT_EQ(Rgb(shown.At(100, 250)), 0u);
}

TEST_F(PreviewFixture, PlaysOverTheDurationHoldsTheLastPictureAndStopsBackToTheFirst) {
  HWND window = Create();
  TPSetTransID(preview, "WipeFromLeft", 2.0);
  ASSERT_EQ(TPSetImage(preview, first.Info(), first.bits.data(), second.Info(), second.bits.data()), 1);
  TPPlay(preview);
  Advance(33);  // the first tick starts the clock
  Advance(967);
  // Half way: the second picture on the left, the first on the right.
  Image shown = ReadWindow(window);
  Save(window, "transpreview-wipe-half.png");
  EXPECT_TRUE(Near(shown.At(60, 120), kBlue)) << std::hex << shown.At(60, 120);
  EXPECT_TRUE(Near(shown.At(340, 120), kRed)) << std::hex << shown.At(340, 120);
  EXPECT_TRUE(Near(shown.At(60, 8), kYellow));

  Advance(1000);
  shown = ReadWindow(window);
  EXPECT_TRUE(Near(shown.At(340, 120), kBlue));
  EXPECT_TRUE(Near(shown.At(60, 120), kBlue));
  Advance(2000);
  EXPECT_TRUE(Near(ReadWindow(window).At(200, 120), kBlue)) << "the last picture stays";

  TPStop(preview);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_TRUE(Near(ReadWindow(window).At(200, 120), kRed));

  // Played again with another length: half of one second.
  TPSetTransID(preview, "WipeFromLeft", 1.0);
  TPPlay(preview);
  Advance(33);
  Advance(467);
  shown = ReadWindow(window);
  EXPECT_TRUE(Near(shown.At(60, 120), kBlue));
  EXPECT_TRUE(Near(shown.At(340, 120), kRed));
  // Stopped mid-way it shows the first picture and the timer no longer moves it.
  TPStop(preview);
  Advance(2000);
  EXPECT_TRUE(Near(ReadWindow(window).At(60, 120), kRed));
}

TEST_F(PreviewFixture, AnUnknownIdentifierPlaysACrossFade) {
  HWND window = Create();
  TPSetTransID(preview, "NoSuchTransition", 2.0);
  ASSERT_EQ(TPSetImage(preview, first.Info(), first.bits.data(), second.Info(), second.bits.data()), 1);
  TPPlay(preview);
  Advance(33);
  Advance(967);
  const uint32_t mixed = 0x784178;  // the mean of red and blue
  for (int x : {60, 200, 340}) EXPECT_TRUE(Near(ReadWindow(window).At(x, 120), mixed, 4)) << std::hex << ReadWindow(window).At(x, 120);
}

TEST_F(PreviewFixture, CopiesThePicturesAndRefusesOnesItCannotRead) {
  HWND window = Create();
  {
    Dib firstCopy = first, secondCopy = second;
    ASSERT_EQ(TPSetImage(preview, firstCopy.Info(), firstCopy.bits.data(), secondCopy.Info(), secondCopy.bits.data()), 1);
    std::memset(firstCopy.bits.data(), 0, firstCopy.bits.size());  // the caller frees them at once
  }
  Dib bitFields = MakeDib(160, 120, 32, true, kYellow, kGreen);
  bitFields.info.header.biCompression = BI_BITFIELDS;
  bitFields.info.masks[0] = 0xFF0000, bitFields.info.masks[1] = 0xFF00, bitFields.info.masks[2] = 0xFF;
  Dib swappedMasks = bitFields;
  std::swap(swappedMasks.info.masks[0], swappedMasks.info.masks[2]);
  Dib eightBit = MakeDib(160, 120, 8, false, 0, 0), sixteenBit = MakeDib(160, 120, 16, false, 0, 0);
  Dib compressed = first, huge = first, empty = first;
  compressed.info.header.biCompression = 1;  // run-length
  huge.info.header.biWidth = 1 << 20;
  empty.info.header.biHeight = 0;
  struct Case {
    const char* what;
    const BITMAPINFO* info1;
    const void* bits1;
    const BITMAPINFO* info2;
    const void* bits2;
  };
  const Case refused[] = {
      {"no first header", nullptr, first.bits.data(), second.Info(), second.bits.data()},
      {"no second bits", first.Info(), first.bits.data(), second.Info(), nullptr},
      {"8 bits", eightBit.Info(), eightBit.bits.data(), second.Info(), second.bits.data()},
      {"16 bits", first.Info(), first.bits.data(), sixteenBit.Info(), sixteenBit.bits.data()},
      {"compressed", compressed.Info(), compressed.bits.data(), second.Info(), second.bits.data()},
      {"other masks", swappedMasks.Info(), swappedMasks.bits.data(), second.Info(), second.bits.data()},
      {"too wide", huge.Info(), huge.bits.data(), second.Info(), second.bits.data()},
      {"no rows", empty.Info(), empty.bits.data(), second.Info(), second.bits.data()},
  };
  for (const Case& c : refused) EXPECT_EQ(TPSetImage(preview, c.info1, c.bits1, c.info2, c.bits2), 0) << c.what;
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_TRUE(Near(ReadWindow(window).At(200, 120), kRed)) << "the pictures given before stay";

  EXPECT_EQ(TPSetImage(preview, bitFields.Info(), bitFields.bits.data(), second.Info(), second.bits.data()), 1);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_TRUE(Near(ReadWindow(window).At(200, 120), kYellow));
}

TEST_F(PreviewFixture, StaleHandlesAndAGoneParentAreHarmless) {
  const RECT rect{0, 0, 100, 100};
  EXPECT_EQ(TPCreate(nullptr, &rect), 0u);
  EXPECT_EQ(TPCreate(top, nullptr), 0u);
  TPPlay(0);
  TPStop(0);
  TPSetTransID(0, "CrossFade", 2.0);
  EXPECT_EQ(TPSetImage(0, first.Info(), first.bits.data(), second.Info(), second.bits.data()), 0);

  HWND window = Create();
  TPDestroy(preview);
  EXPECT_FALSE(IsWindow(window));
  TPDestroy(preview);
  TPPlay(preview);
  EXPECT_EQ(TPSetImage(preview, first.Info(), first.bits.data(), second.Info(), second.bits.data()), 0);

  // The parent goes first, the preview is destroyed later.
  window = Create();
  ASSERT_EQ(TPSetImage(preview, first.Info(), first.bits.data(), second.Info(), second.bits.data()), 1);
  TPPlay(preview);
  DestroyWindow(top);
  top = nullptr;
  EXPECT_FALSE(IsWindow(window));
  Advance(500);
  TPPlay(preview);
  TPStop(preview);
  TPDestroy(preview);
}

// As the preview player plays a transition: the program's two pictures loaded by the image
// engine (and freed at once), a two-second transition, a look at it half way.
TEST_F(PreviewFixture, PlaysTheProgramsPicturesAsThePreviewPlayerDoes) {
  HWND window = Create();
  const std::filesystem::path folder = std::filesystem::path(BRANTWELL_BIN_DIR) / "Transitions";
  TPSetTransID(preview, "CircleOpen", 2.0);
  const EngineHandle from = DICreate(), to = DICreate();
  ASSERT_NE(DILoadImage(from, platform::Utf8ToUtf16((folder / "TrFrom.jpg").string()).c_str()), 0);
  ASSERT_NE(DILoadImage(to, platform::Utf8ToUtf16((folder / "TrTo.jpg").string()).c_str()), 0);
  const int32_t set = TPSetImage(preview, DIGetBitmapInfo(from), DIGetBits(from), DIGetBitmapInfo(to), DIGetBits(to));
  DIDestroy(from);
  DIDestroy(to);
  ASSERT_EQ(set, 1);
  TPPlay(preview);
  Advance(33);
  Advance(967);
  Save(window, "transpreview-circle-half.png");
  const Image shown = ReadWindow(window);
  // The lake shows in the middle, the dusk sky outside the circle.
  const uint32_t middle = shown.At(200, 150), corner = shown.At(50, 140);
  EXPECT_GT(middle & 0xFF, (middle >> 16) & 0xFF) << std::hex << middle;
  EXPECT_GT((corner >> 16) & 0xFF, corner & 0xFF) << std::hex << corner;
  EXPECT_EQ(Rgb(shown.At(10, 120)), 0u);
}
