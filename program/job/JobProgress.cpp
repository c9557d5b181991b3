#include "program/job/JobProgress.h"

#include <algorithm>

int AuthoringPercent(WPARAM wParam) {
  const uint64_t value = wParam >= 101 ? wParam / 100 : wParam;
  return static_cast<int>(std::min<uint64_t>(value, 100));
}

int WritingPercent(int32_t pos, int32_t max) {
  if (max <= 0) return 0;
  pos = std::clamp(pos, 0, max);
  const int64_t product = int64_t(pos) * 100;
  int64_t quotient = product / max;
  const int64_t twiceRest = (product % max) * 2;
  if (twiceRest > max || (twiceRest == max && (quotient & 1) != 0)) ++quotient;
  return static_cast<int>(quotient);
}

TEraseProgress::TEraseProgress(HWND window, std::function<void(int)> showPosition)
    : m_window(window), m_showPosition(std::move(showPosition)) {}

TEraseProgress::~TEraseProgress() { Stop(); }

void TEraseProgress::Start() {
  Show(0);
  m_running = SetTimer(m_window, kTimerId, kIntervalMs, nullptr) != 0;
}

bool TEraseProgress::Timer(UINT_PTR timerId) {
  if (timerId != kTimerId) return false;
  if (!m_running) return true;
  Show(std::min(m_position + 1, kMaximum));
  if (m_position >= kMaximum) Stop();
  return true;
}

void TEraseProgress::Finish() {
  Stop();
  Show(kMaximum);
}

void TEraseProgress::Show(int position) {
  m_position = position;
  if (m_showPosition) m_showPosition(position);
}

void TEraseProgress::Stop() {
  if (!m_running) return;
  m_running = false;
  KillTimer(m_window, kTimerId);
}
