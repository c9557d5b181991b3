#pragma once

// The progress arithmetic of the job window's bar (0..100): the authoring engine's reports,
// the writing threads' positions, and the erase bar, which runs on a window timer because the
// engine reports no progress while it erases. GUI thread.

#include <cstdint>
#include <functional>

#include "platform/user/WinUser.h"

// Authoring progress as the output control engine posts it: 101 and above are hundredths of a
// percent, anything else is the percentage itself; clamped to 0..100.
int AuthoringPercent(WPARAM wParam);

// A writing thread's position of its maximum as a whole percentage, halves to even; 0 when
// the maximum is 0 or less.
int WritingPercent(int32_t pos, int32_t max);

// The erase bar: from Start, one step every 300 ms on timer 4099 of the window until the bar
// is full (30 s, whatever the erase really takes); Finish fills it at once and stops the
// timer. The window hands its WM_TIMER messages to Timer.
class TEraseProgress {
 public:
  static constexpr UINT_PTR kTimerId = 4099;
  static constexpr UINT kIntervalMs = 300;
  static constexpr int kMaximum = 100;

  // showPosition is called with every new position.
  TEraseProgress(HWND window, std::function<void(int)> showPosition);
  ~TEraseProgress();
  TEraseProgress(const TEraseProgress&) = delete;
  TEraseProgress& operator=(const TEraseProgress&) = delete;

  void Start();
  // True when the timer was this bar's.
  bool Timer(UINT_PTR timerId);
  void Finish();

  int Position() const { return m_position; }
  bool Running() const { return m_running; }

 private:
  void Show(int position);
  void Stop();

  HWND m_window;
  std::function<void(int)> m_showPosition;
  int m_position = 0;
  bool m_running = false;
};
