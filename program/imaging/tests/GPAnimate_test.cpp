#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ImagingTestSupport.h"

using namespace imaging_test;

namespace {

std::unique_ptr<TGPImage> Load(const Bytes& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(0);
  return std::unique_ptr<TGPImage>(TGPImage::FromStream(stream));
}

// Runs the GUI thread's messages until done() or the watchdog fires.
bool PumpUntil(const std::function<bool()>& done, int watchdogMs = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(watchdogMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    CheckSynchronize();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// The frame shown after each of n ticks.
std::vector<int> FramesOverTicks(TGPImageAnimator& animator, int ticks) {
  std::vector<int> frames;
  for (int i = 0; i < ticks; ++i) {
    animator.Tick();
    frames.push_back(animator.FrameIndex);
  }
  return frames;
}

TEST(GPImageAnimator, FramesFollowTheirDelays) {
  std::unique_ptr<TGPImage> gif = Load(AnimatedGif(20, 50));
  TGPImageAnimator animator(gif.get());
  ASSERT_TRUE(animator.Animated);
  EXPECT_EQ(animator.FrameDelays, (std::vector<int>{20, 50}));
  // Frame 0 for 4 ticks, frame 1 for 10, then frame 0 again.
  std::vector<int> expected(3, 0);
  expected.insert(expected.end(), 10, 1);
  expected.push_back(0);
  EXPECT_EQ(FramesOverTicks(animator, 14), expected);

  // Delays of 0 count as 10: the frame moves on the second tick.
  std::unique_ptr<TGPImage> fast = Load(AnimatedGif(0, 0));
  TGPImageAnimator quick(fast.get());
  EXPECT_EQ(quick.FrameDelays, (std::vector<int>{10, 10}));
  EXPECT_EQ(FramesOverTicks(quick, 4), (std::vector<int>{0, 1, 1, 0}));
  EXPECT_TRUE(quick.FrameDirty);
  quick.UpdateFrame();
  EXPECT_FALSE(quick.FrameDirty);
}

TEST(GPImageAnimator, StillImagesStartNothing) {
  std::unique_ptr<TGPImage> png = Load(PatternFile(ImageFormatPNG));
  EXPECT_EQ(TGPImageAnimator::Animate(png.get(), nullptr, &png), nullptr);
  EXPECT_EQ(AnimatorThread(), nullptr);
}

TEST(GPImageAnimator, ThreadPostsFramesAndEndsWithTheLastImage) {
  auto path = TempPath("animator.gif");
  WriteFile(path, AnimatedGif(0, 0));
  TGIFImage picture;
  picture.LoadFromFile(path.string());
  int changes = 0;
  std::vector<ARGB> seen;
  picture.SetOnFrameChange(TNotifyEvent([&](TObject*) {
    ++changes;
    seen.push_back(ReadArgb(picture.GetGPImage())[0]);
  }));
  picture.SetAnimate(true);
  ASSERT_NE(AnimatorThread(), nullptr);
  // Registering the same image and handler again keeps one animator.
  TGPImageAnimator* again = TGPImageAnimator::Animate(picture.GetGPImage(), TNotifyEvent([&](TObject*) { ++changes; }),
                                                      TGPGraphic::FrameChangedCode());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(AnimatorThread()->ImageList.Count(), 1);
  again->OnFrameChanged = TNotifyEvent([&](TObject* sender) {
    ++changes;
    TGPImageAnimator* animator = static_cast<TGPImageAnimator*>(sender);
    seen.push_back(animator->FrameIndex == 1 ? 0xFF00FF00u : 0xFFFF0000u);
  });

  ASSERT_TRUE(PumpUntil([&] { return changes >= 3; }));
  EXPECT_NE(std::find(seen.begin(), seen.end(), 0xFF00FF00u), seen.end());  // the green frame showed

  picture.SetAnimate(false);
  EXPECT_EQ(AnimatorThread(), nullptr);  // freed at once with its last image
  EXPECT_EQ(ReadArgb(picture.GetGPImage())[0], 0xFFFF0000u);  // back on the first frame
}

TEST(GPImageAnimator, AnimateDuringTheIdleExitKeepsTheAnimator) {
  imaging::detail::AnimatorIdleExitMs = 1;
  std::unique_ptr<TGPImage> gif = Load(AnimatedGif(0, 0));
  int changes = 0;
  for (int round = 0; round < 20; ++round) {
    ASSERT_NE(TGPImageAnimator::Animate(gif.get(), TNotifyEvent([&](TObject*) { ++changes; }), &changes), nullptr);
    TGPAnimatorThread* thread = AnimatorThread();
    ASSERT_NE(thread, nullptr);
    // Empty the list behind the thread's back, so it goes idle and decides to end.
    thread->ImageList.RemoveImage(gif.get(), false, nullptr);
    std::this_thread::sleep_for(std::chrono::microseconds(round * 150));
    ASSERT_NE(TGPImageAnimator::Animate(gif.get(), TNotifyEvent([&](TObject*) { ++changes; }), &changes), nullptr);
    TGPAnimatorThread* now = AnimatorThread();
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->ImageList.Count(), 1);
    const int before = changes;
    ASSERT_TRUE(PumpUntil([&] { return changes > before; })) << "round " << round;
    TGPImageAnimator::StopAnimate(gif.get(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return AnimatorThread() == nullptr; }));
  }
  imaging::detail::AnimatorIdleExitMs = 8000;
  // Let threads that ended on their own finish their goodbyes.
  PumpUntil([] { return false; }, 100);
}

}  // namespace
