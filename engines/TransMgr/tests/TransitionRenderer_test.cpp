// The renderers through their interface: every transition starts on the first picture, ends on
// the second and shows both, in the right places, half way; frames are deterministic, join the
// ends smoothly, and bad pictures are refused.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engines/TransMgr/TransMgrApi.h"
#include "engines/TransMgr/TransitionRenderer.h"

using namespace engines::transitions;

namespace {

constexpr int kWidth = 160, kHeight = 120;

struct Bgra {
  int b, g, r;
};

// A picture owning its pixels; rows may be padded.
struct TestPicture {
  int width, height, stride;
  std::vector<uint8_t> bits;

  TestPicture(int w, int h, int padding = 0) : width(w), height(h), stride(w * 4 + padding), bits(size_t(stride) * h) {}
  template <typename Colour>
  static TestPicture Filled(Colour&& colour, int padding = 0) {
    TestPicture picture(kWidth, kHeight, padding);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const Bgra c = colour(x, y);
        uint8_t* p = picture.At(x, y);
        p[0] = uint8_t(c.b), p[1] = uint8_t(c.g), p[2] = uint8_t(c.r), p[3] = 0;
      }
    return picture;
  }
  uint8_t* At(int x, int y) { return bits.data() + size_t(y) * stride + 4 * x; }
  const uint8_t* At(int x, int y) const { return bits.data() + size_t(y) * stride + 4 * x; }
  Bgra Pixel(int x, int y) const { return {At(x, y)[0], At(x, y)[1], At(x, y)[2]}; }
  ConstPicture In() const { return {bits.data(), width, height, stride}; }
  Picture Out() { return {bits.data(), width, height, stride}; }
};

// A warm picture and a cool one, both with gradients so that moved content can be told apart.
Bgra Warm(int x, int y) { return {30, 40 + y * 60 / kHeight, 150 + x * 100 / kWidth}; }
Bgra Cool(int x, int y) { return {150 + x * 100 / kWidth, 80 + y * 40 / kHeight, 30}; }

const TestPicture& From() {
  static const TestPicture picture = TestPicture::Filled(Warm);
  return picture;
}
const TestPicture& To() {
  static const TestPicture picture = TestPicture::Filled(Cool);
  return picture;
}

TestPicture Render(const std::string& id, double progress) {
  TestPicture out(kWidth, kHeight);
  EXPECT_TRUE(RenderTransition(id, From().In(), To().In(), progress, out.Out())) << id;
  return out;
}

bool Near(Bgra a, Bgra b, int tolerance = 3) {
  return std::abs(a.b - b.b) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.r - b.r) <= tolerance;
}

std::vector<std::string> AllIds() {
  TMInitTransMgr();
  std::vector<std::string> ids;
  for (int type = 0; type < TMGetTransTypeCount(); ++type)
    for (int index = 0; index < TMGetTransCount(type); ++index) ids.push_back(TMGetTransID(type, index));
  TMUninitTransMgr();
  return ids;
}

// The share of pixels showing the second picture: how far each lies from the first picture's
// colour towards the second's, averaged.
double ShareOfSecond(const TestPicture& frame) {
  double sum = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const Bgra a = Warm(x, y), b = Cool(x, y), c = frame.Pixel(x, y);
      const double along = double(c.b - a.b) * (b.b - a.b) + double(c.g - a.g) * (b.g - a.g) + double(c.r - a.r) * (b.r - a.r);
      const double length = double(b.b - a.b) * (b.b - a.b) + double(b.g - a.g) * (b.g - a.g) + double(b.r - a.r) * (b.r - a.r);
      sum += along / length;
    }
  return sum / (kWidth * kHeight);
}

// Pixels differing from `expected` by more than `tolerance` on some channel.
int CountDiffering(const TestPicture& frame, Bgra (*expected)(int, int), int tolerance) {
  int count = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) count += !Near(frame.Pixel(x, y), expected(x, y), tolerance);
  return count;
}

}  // namespace

TEST(TransitionRenderer, EveryTransitionRunsFromTheFirstPictureToTheSecond) {
  const std::vector<std::string> ids = AllIds();
  ASSERT_GE(ids.size(), 30u);
  for (const std::string& id : ids) {
    SCOPED_TRACE(id);
    EXPECT_EQ(CountDiffering(Render(id, 0), Warm, 0), 0);
    EXPECT_EQ(CountDiffering(Render(id, 1), Cool, 0), 0);
    // Half way both pictures show (or, for the fades through a colour, that colour).
    const TestPicture middle = Render(id, 0.5);
    if (id == "FadeThroughBlack" || id == "FadeThroughWhite") {
      const int level = id == "FadeThroughBlack" ? 0 : 255;
      EXPECT_TRUE(Near(middle.Pixel(kWidth / 2, kHeight / 2), {level, level, level}, 1));
    } else {
      EXPECT_GT(CountDiffering(middle, Warm, 6), kWidth * kHeight / 10);
      EXPECT_GT(CountDiffering(middle, Cool, 6), kWidth * kHeight / 10);
      const double share = ShareOfSecond(middle);
      EXPECT_GT(share, 0.15);
      EXPECT_LT(share, 0.85);
    }
    // Just after the start and just before the end the frames are all but the plain pictures,
    // so the transition joins its clips without a jump.
    EXPECT_LE(CountDiffering(Render(id, 0.002), Warm, 8), kWidth * kHeight / 200);
    EXPECT_LE(CountDiffering(Render(id, 0.998), Cool, 8), kWidth * kHeight / 200);
    // The output is opaque.
    EXPECT_EQ(middle.At(3, 5)[3], 255);
  }
}

TEST(TransitionRenderer, HalfWayEachTransitionShowsThePicturesWhereItsMotionPutsThem) {
  // At progress 0.5: a point (as fractions of the size) showing the second picture and one
  // still showing the first.
  struct Case {
    const char* id;
    double toX, toY, fromX, fromY;
  };
  const double slat = 1.0 / 8;
  const Case cases[] = {
      {"WipeFromLeft", 0.05, 0.5, 0.95, 0.5},     {"WipeFromRight", 0.95, 0.5, 0.05, 0.5},
      {"WipeFromTop", 0.5, 0.05, 0.5, 0.95},      {"WipeFromBottom", 0.5, 0.95, 0.5, 0.05},
      {"WipeFromTopLeft", 0.1, 0.1, 0.9, 0.9},    {"WipeFromTopRight", 0.9, 0.1, 0.1, 0.9},
      {"WipeFromBottomLeft", 0.1, 0.9, 0.9, 0.1}, {"WipeFromBottomRight", 0.9, 0.9, 0.1, 0.1},
      {"ClockWipe", 0.75, 0.5, 0.25, 0.5},        {"BarnDoorsVertical", 0.5, 0.5, 0.02, 0.5},
      {"BarnDoorsHorizontal", 0.5, 0.5, 0.5, 0.02},
      {"SlideFromLeft", 0.1, 0.5, 0.9, 0.5},      {"SlideFromRight", 0.9, 0.5, 0.1, 0.5},
      {"SlideFromTop", 0.5, 0.1, 0.5, 0.9},       {"SlideFromBottom", 0.5, 0.9, 0.5, 0.1},
      {"PushFromLeft", 0.1, 0.5, 0.9, 0.5},       {"PushFromRight", 0.9, 0.5, 0.1, 0.5},
      {"PushFromTop", 0.5, 0.1, 0.5, 0.9},        {"PushFromBottom", 0.5, 0.9, 0.5, 0.1},
      {"ZoomIn", 0.5, 0.5, 0.05, 0.05},           {"ZoomOut", 0.05, 0.05, 0.5, 0.5},
      {"CircleOpen", 0.5, 0.5, 0.02, 0.02},       {"CircleClose", 0.02, 0.02, 0.5, 0.5},
      {"DiamondOpen", 0.5, 0.5, 0.05, 0.05},      {"IrisBox", 0.5, 0.5, 0.05, 0.05},
      {"BlindsHorizontal", 0.5, slat * 0.2, 0.5, slat * 0.8},
      {"BlindsVertical", slat * 4.2, 0.5, slat * 4.8, 0.5},
      {"Checkerboard", 0.5 / 8, 0.5 / 6, 1.5 / 8, 0.5 / 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const TestPicture frame = Render(c.id, 0.5);
    const int toX = int(c.toX * kWidth), toY = int(c.toY * kHeight);
    const int fromX = int(c.fromX * kWidth), fromY = int(c.fromY * kHeight);
    // Moved or scaled content is the other picture's colour family, not necessarily its pixel
    // at that point: compare with the share towards it.
    const Bgra shown = frame.Pixel(toX, toY), kept = frame.Pixel(fromX, fromY);
    EXPECT_GT(shown.b, 140) << "second picture expected at " << toX << "," << toY;
    EXPECT_LT(shown.r, 45);
    EXPECT_GT(kept.r, 140) << "first picture expected at " << fromX << "," << fromY;
    EXPECT_LT(kept.b, 45);
  }
}

TEST(TransitionRenderer, SlidesMoveOnlyTheSecondPicturePushesMoveBoth) {
  const TestPicture slide = Render("SlideFromLeft", 0.5), push = Render("PushFromLeft", 0.5);
  // The right half: a slide leaves the first picture in place, a push shows its left half there.
  EXPECT_TRUE(Near(slide.Pixel(120, 60), Warm(120, 60)));
  EXPECT_TRUE(Near(push.Pixel(120, 60), Warm(40, 60)));
  // The left half shows the second picture's right half in both.
  EXPECT_TRUE(Near(slide.Pixel(40, 60), Cool(120, 60)));
  EXPECT_TRUE(Near(push.Pixel(40, 60), Cool(120, 60)));
}

TEST(TransitionRenderer, MotionIsEasedAndEdgesAreSoft) {
  // Slow in: a tenth of the time moves the edge much less than a tenth of the way.
  EXPECT_LT(ShareOfSecond(Render("WipeFromLeft", 0.1)), 0.06);
  EXPECT_GT(ShareOfSecond(Render("WipeFromLeft", 0.5)), 0.4);
  // A wipe's edge blends over several columns instead of switching at one.
  const TestPicture wipe = Render("WipeFromLeft", 0.5);
  int blended = 0;
  for (int x = 0; x < kWidth; ++x) {
    const Bgra pixel = wipe.Pixel(x, 60);
    blended += !Near(pixel, Warm(x, 60), 8) && !Near(pixel, Cool(x, 60), 8);
  }
  EXPECT_GE(blended, 3);
  EXPECT_LE(blended, 12);
}

TEST(TransitionRenderer, FramesAreDeterministicWhateverTheRowLayout) {
  const TestPicture paddedFrom = TestPicture::Filled(Warm, 12), paddedTo = TestPicture::Filled(Cool, 4);
  for (const char* id : {"Dissolve", "CrossZoom", "ClockWipe", "Checkerboard"}) {
    SCOPED_TRACE(id);
    const TestPicture first = Render(id, 0.37), second = Render(id, 0.37);
    EXPECT_EQ(first.bits, second.bits);
    TestPicture padded(kWidth, kHeight, 20);
    ASSERT_TRUE(RenderTransition(id, paddedFrom.In(), paddedTo.In(), 0.37, padded.Out()));
    for (int y = 0; y < kHeight; ++y)
      ASSERT_EQ(0, std::memcmp(padded.At(0, y), first.At(0, y), kWidth * 4)) << "row " << y;
  }
}

TEST(TransitionRenderer, UnknownIdsDrawACrossFadeAndProgressIsClamped) {
  const TestPicture crossFade = Render("CrossFade", 0.3);
  EXPECT_EQ(Render("NoSuchTransition", 0.3).bits, crossFade.bits);
  EXPECT_EQ(Render("", 0.3).bits, crossFade.bits);
  EXPECT_FALSE(IsKnownTransition("NoSuchTransition"));
  EXPECT_FALSE(IsKnownTransition("crossfade"));
  EXPECT_TRUE(IsKnownTransition("CrossFade"));
  EXPECT_EQ(CountDiffering(Render("WipeFromLeft", -2), Warm, 0), 0);
  EXPECT_EQ(CountDiffering(Render("WipeFromLeft", 7), Cool, 0), 0);
  EXPECT_EQ(CountDiffering(Render("WipeFromLeft", std::nan("")), Warm, 0), 0);
}

TEST(TransitionRenderer, RefusesMissingMismatchedOrOverlappingPictures) {
  TestPicture out(kWidth, kHeight), small(kWidth - 1, kHeight);
  const ConstPicture from = From().In(), to = To().In();
  EXPECT_FALSE(RenderTransition("CrossFade", from, to, 0.5, small.Out()));
  EXPECT_FALSE(RenderTransition("CrossFade", small.In(), to, 0.5, out.Out()));
  EXPECT_FALSE(RenderTransition("CrossFade", ConstPicture{}, to, 0.5, out.Out()));
  EXPECT_FALSE(RenderTransition("CrossFade", from, to, 0.5, Picture{}));
  EXPECT_FALSE(RenderTransition("CrossFade", from, to, 0.5, Picture{out.bits.data(), kWidth, kHeight, kWidth * 2}));
  // Drawing into one of its own inputs would read pixels it already overwrote.
  TestPicture copy = TestPicture::Filled(Warm);
  EXPECT_FALSE(RenderTransition("CrossFade", copy.In(), to, 0.5, copy.Out()));
  EXPECT_EQ(CountDiffering(copy, Warm, 0), 0);
}
