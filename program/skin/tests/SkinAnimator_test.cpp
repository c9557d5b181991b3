#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "SkinTestSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/Synch.h"
#include "platform/testing/Watchdog.h"
#include "program/skin/SkinAnimator.h"
#include "vcl/Control.h"

using namespace skin_test;

namespace {

// Time for the animator thread that moves only when the test says so. Advance lets the thread
// run until it waits again (or has ended), so every step of the test is one tick pass.
class ManualClock {
 public:
  ManualClock() {
    SetSkinAnimatorTiming({[this] { return Now(); }, [this](HANDLE event, DWORD ms) { Wait(event, ms); }});
  }
  ~ManualClock() { SetSkinAnimatorTiming({}); }

  DWORD Now() {
    std::lock_guard lock(m_mutex);
    return m_now;
  }

  void Wait(HANDLE event, DWORD milliseconds) {
    std::unique_lock lock(m_mutex);
    const DWORD deadline = m_now + milliseconds;
    m_deadline = deadline;
    ++m_waiting;
    m_changed.notify_all();
    while (static_cast<int32_t>(m_now - deadline) < 0) {
      if (WaitForSingleObject(event, 0) == WAIT_OBJECT_0) break;
      m_changed.wait_for(lock, std::chrono::milliseconds(1));
    }
    --m_waiting;
    ++m_waits;
    m_changed.notify_all();
  }

  // Until the thread waits for a time still to come (true) or no thread animates.
  bool Parked() {
    std::unique_lock lock(m_mutex);
    return Settle(lock);
  }

  void Advance(DWORD milliseconds) {
    std::unique_lock lock(m_mutex);
    m_now += milliseconds;
    m_changed.notify_all();
    Settle(lock);
  }

 private:
  bool Settle(std::unique_lock<std::mutex>& lock) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < limit) {
      if (m_waiting > 0 && static_cast<int32_t>(m_deadline - m_now) > 0) return true;
      if (!SkinAnimatorThreadRunning()) return false;
      m_changed.wait_for(lock, std::chrono::milliseconds(1));
    }
    return false;
  }

  std::mutex m_mutex;
  std::condition_variable m_changed;
  DWORD m_now = 0;
  int m_waiting = 0;
  int m_waits = 0;
  DWORD m_deadline = 0;
};

// Runs the GUI thread's messages until done() or 10 s.
bool PumpUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class SkinAnimators : public SkinFixture {
 protected:
  TSkinItemState* StripState(int frames, int delay) {
    TSkinItem* item = LoadItem("Strip" + std::to_string(frames), "Strip" + std::to_string(frames),
                               R"(<Part><State Width="4" Height="4"><Animation FrameCount=")" + std::to_string(frames) +
                                   R"(" FrameDelay=")" + std::to_string(delay) + R"("/></State></Part>)");
    return item ? item->GetPart(0)->GetState(0) : nullptr;
  }
  platform::testing::Watchdog watchdog{std::chrono::seconds(60)};
  ManualClock clock;
};

TEST_F(SkinAnimators, FramesStepEveryDelayAndRepaintThroughTheApplicationWindow) {
  int updates = 0;
  TSkinFrameAnimator animator(nullptr, [&](TObject*) { ++updates; }, true);
  animator.SetSkinState(StripState(1, 100));
  EXPECT_FALSE(SkinAnimatorThreadRunning()) << "one frame: nothing to animate";

  animator.SetSkinState(StripState(3, 100));
  EXPECT_TRUE(animator.Registered);
  EXPECT_TRUE(SkinAnimatorThreadRunning());
  ASSERT_TRUE(clock.Parked());
  std::vector<int> frames;
  for (int i = 0; i < 6; ++i) {
    clock.Advance(50);
    frames.push_back(animator.FrameIndex);
  }
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 1, 2, 2, 0}));
  EXPECT_TRUE(PumpUntil([&] { return updates > 0; })) << "the change reaches the GUI thread";
  EXPECT_FALSE(animator.Pending);
}

TEST_F(SkinAnimators, TheThreadEndsWhenIdleAndANewAnimationStartsAnother) {
  TSkinFrameAnimator animator(nullptr, nullptr, true);
  TSkinItemState* state = StripState(3, 100);
  animator.SetSkinState(state);
  ASSERT_TRUE(clock.Parked());
  animator.SetActive(false);
  EXPECT_FALSE(animator.Registered);
  clock.Advance(50);  // leaves the tick loop for the idle wait
  clock.Advance(7999);
  EXPECT_TRUE(SkinAnimatorThreadRunning());
  clock.Advance(1);
  EXPECT_FALSE(SkinAnimatorThreadRunning()) << "8000 ms without animators";

  animator.SetActive(true);
  EXPECT_TRUE(animator.Registered);
  EXPECT_TRUE(SkinAnimatorThreadRunning()) << "a new thread";
  ASSERT_TRUE(clock.Parked());
  const int before = animator.FrameIndex;
  clock.Advance(100);
  EXPECT_NE(animator.FrameIndex, before) << "and it ticks";

  StopSkinModule();
  EXPECT_FALSE(SkinAnimatorThreadRunning()) << "no thread left at stop";
  EXPECT_FALSE(animator.Registered);
  StartSkinModule();
}

struct FailingAnimator : TSkinFrameAnimator {
  FailingAnimator() : TSkinFrameAnimator(nullptr, nullptr, true) {}
  ~FailingAnimator() override { SetActive(false); }
  void Tick() override {
    ++ticks;
    if (fail.exchange(false)) throw Exception("broken tick");
  }
  std::atomic<bool> fail{true};
  std::atomic<int> ticks{0};
};

TEST_F(SkinAnimators, AnAnimatorOfAThreadThatFailedCanRegisterAgain) {
  FailingAnimator animator;
  animator.SetSkinState(StripState(2, 10));
  EXPECT_TRUE(PumpUntil([] { return !SkinAnimatorThreadRunning(); })) << "the error ends the thread";
  EXPECT_FALSE(animator.Registered) << "the ended thread lets its animators go";
  animator.Register();
  EXPECT_TRUE(animator.Registered);
  ASSERT_TRUE(clock.Parked());
  const int ticks = animator.ticks;
  clock.Advance(50);
  EXPECT_GT(animator.ticks, ticks) << "animations no longer freeze for good";
}

TEST_F(SkinAnimators, FadesStepTheirAlphaOnePerTick) {
  TSkinFadeAnimator fade(nullptr, nullptr, true);
  fade.SetStates(true, false, false, false);
  EXPECT_FALSE(fade.Running) << "Enabled changed: no fade";
  fade.SetStates(true, true, false, false);
  ASSERT_TRUE(fade.Running);
  ASSERT_TRUE(clock.Parked());
  std::vector<int> alphas;
  while (fade.Running && alphas.size() < 20) {
    alphas.push_back(fade.CurrentAlpha());
    clock.Advance(50);
  }
  EXPECT_EQ(alphas, (std::vector<int>{64, 128, 191, 255}));

  fade.SetStates(true, false, false, false);
  alphas.clear();
  while (fade.Running && alphas.size() < 20) {
    alphas.push_back(fade.CurrentAlpha());
    clock.Advance(50);
  }
  EXPECT_EQ(alphas, (std::vector<int>{26, 51, 77, 102, 128, 153, 179, 204, 230, 255}));

  fade.SetStates(true, true, false, false);
  EXPECT_TRUE(fade.Running);
  fade.SetStates(true, true, true, false);
  EXPECT_FALSE(fade.Running) << "pressing stops the fade";
}

TEST_F(SkinAnimators, APaintDuringAFadeShowsTheBlendOfBothLooks) {
  TSkinFadeAnimator fade(nullptr, nullptr, false);
  Surface surface(6, 4);
  HDC dc = surface.canvas()->Handle();
  const TRect rect(1, 1, 5, 3);
  auto paint = [&](COLORREF colour) {
    HDC capture = nullptr;
    if (!fade.BeginPaintDC(dc, rect, capture)) return false;
    EXPECT_NE(capture, nullptr);
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT area{1, 1, 5, 3};  // the control's own coordinates
    FillRect(capture, &area, brush);
    DeleteObject(brush);
    EXPECT_TRUE(fade.EndPaint(true));
    return true;
  };
  auto near = [](uint32_t pixel, int red, int blue) {
    return std::abs(int(pixel >> 16 & 255) - red) <= 2 && std::abs(int(pixel & 255) - blue) <= 2;
  };
  fade.SetStates(true, false, false, false);
  ASSERT_TRUE(paint(RGB(255, 0, 0)));
  EXPECT_EQ(surface.Pixel(2, 2), 0xFF0000u);
  EXPECT_EQ(surface.Pixel(0, 0), 0xFFFFFFu);

  fade.SetStates(true, true, false, false);
  ASSERT_TRUE(paint(RGB(0, 0, 255))) << "the first paint of a fade captures the hot look";
  EXPECT_TRUE(near(surface.Pixel(2, 2), 191, 64)) << std::hex << surface.Pixel(2, 2);

  fade.SetStep(2);
  EXPECT_FALSE(paint(RGB(0, 255, 0))) << "later steps are drawn by the animator";
  EXPECT_TRUE(near(surface.Pixel(2, 2), 64, 191)) << std::hex << surface.Pixel(2, 2);
  EXPECT_EQ(surface.Pixel(0, 0), 0xFFFFFFu);
}

TEST_F(SkinAnimators, AControlBeingDesignedNeverFadesOrRegisters) {
  TControl control(nullptr);
  control.SetDesigning(true);
  TControlSkinFadeAnimator fade(&control, true);
  EXPECT_TRUE(fade.Disabled);
  EXPECT_FALSE(fade.Active);
  fade.SetStates(true, false, false, false);
  fade.SetStates(true, true, false, false);
  EXPECT_FALSE(fade.Registered);
  EXPECT_FALSE(SkinAnimatorThreadRunning());
  Surface surface(4, 4);
  HDC capture = nullptr;
  EXPECT_TRUE(fade.BeginPaintDC(surface.canvas()->Handle(), TRect(0, 0, 4, 4), capture));
  EXPECT_EQ(capture, nullptr) << "the control paints straight on the screen";
  fade.EndPaint(true);
}

}  // namespace
