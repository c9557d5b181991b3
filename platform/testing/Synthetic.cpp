#include "platform/testing/Synthetic.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/user/Clock.h"
#include "platform/user/Present.h"

namespace platform::testing {

POINT ScreenPoint(HWND hwnd, int x, int y, bool withFrame) {
  POINT p{x, y};
  if (withFrame) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return POINT{r.left + x, r.top + y};
  }
  ClientToScreen(hwnd, &p);
  return p;
}

void MouseMove(POINT screen) { platform::detail::InjectMouseMove(screen); }

void MouseDown(POINT screen, MouseButton button) {
  platform::detail::InjectMouseMove(screen);
  platform::detail::InjectMouseButton(button, true, screen);
}

void MouseUp(POINT screen, MouseButton button) { platform::detail::InjectMouseButton(button, false, screen); }

void Click(POINT screen, MouseButton button) {
  MouseDown(screen, button);
  MouseUp(screen, button);
}

void DoubleClick(POINT screen) {
  Click(screen);
  Click(screen);
}

void Drag(POINT from, POINT to, int steps) {
  MouseDown(from);
  steps = std::max(1, steps);
  for (int i = 1; i <= steps; ++i)
    MouseMove(POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  MouseUp(to);
}

void KeyPress(int virtualKey) {
  platform::detail::InjectKey(virtualKey, true);
  platform::detail::InjectKey(virtualKey, false);
}

void TypeText(const std::u16string& text) { platform::detail::InjectText(text); }

void SimulateDesktopActivation(bool active) { platform::detail::SetDesktopActivation(active); }

void UseManualClock(bool manual) { platform::detail::UseManualClock(manual); }
void AdvanceClock(unsigned milliseconds) { platform::detail::AdvanceManualClock(milliseconds); }

bool RunUntilIdle(int maxMessages, int timeLimitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs);
  MSG msg;
  for (int count = 0; count < maxMessages; ++count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return false;
}

bool RunUntil(const std::function<bool()>& done, int timeLimitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs);
  MSG msg;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  return true;
}

Image ReadWindow(HWND hwnd, bool withFrame) {
  platform::detail::WindowPixels px;
  if (!platform::detail::ReadWindowPixels(hwnd, withFrame, &px)) return {};
  return Image{px.width, px.height, std::move(px.pixels)};
}

bool SaveWindowPng(HWND hwnd, const std::string& path, std::string* error) {
  const Image image = ReadWindow(hwnd, true);
  if (image.width == 0) {
    if (error) *error = "no such window";
    return false;
  }
  return SavePng(image, path, error);
}

}  // namespace platform::testing
