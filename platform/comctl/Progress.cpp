// The progress bar's window procedure: range, position and step, the marquee timer, and the
// classic drawing (sunken face, highlight blocks).

#include "platform/comctl/Progress.h"

#include <algorithm>

#include "platform/comctl/ControlSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/DrawControls.h"
#include "platform/user/SystemParams.h"

namespace platform {
namespace {

constexpr UINT_PTR kMarqueeTimer = 1;
constexpr int kMarqueeBlocks = 5;

class ProgressBar {
 public:
  explicit ProgressBar(HWND hwnd) : m_hwnd(hwnd) {}
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }
  bool Marquee() const { return (Style() & PBS_MARQUEE) != 0; }
  int Clamp(int position) const { return std::clamp(position, m_min, std::max(m_min, m_max)); }
  LRESULT SetPosition(int position);
  LRESULT SetRange(int low, int high);
  void UpdateTimer();
  void Paint(HDC dc);
  int BlockSize(const RECT& bar, bool vertical) const;
  void Redraw() { InvalidateRect(m_hwnd, nullptr, TRUE); }

  HWND m_hwnd;
  int m_min = 0;
  int m_max = 100;
  int m_position = 0;
  int m_step = 10;
  bool m_marqueeOn = false;
  UINT m_marqueeMs = 30;
  int m_marqueeOffset = 0;  // pixels the running group has advanced
  bool m_timerRunning = false;
  COLORREF m_barColor = CLR_DEFAULT;
  COLORREF m_backColor = CLR_DEFAULT;
};

LRESULT ProgressBar::SetPosition(int position) {
  const int previous = m_position;
  m_position = Clamp(position);
  if (m_position != previous) Redraw();
  return previous;
}

LRESULT ProgressBar::SetRange(int low, int high) {
  const LRESULT previous = MAKELONG(static_cast<WORD>(m_min), static_cast<WORD>(m_max));
  if (low != m_min || high != m_max) {
    m_min = low;
    m_max = high;
    m_position = Clamp(m_position);
    Redraw();
  }
  return previous;
}

void ProgressBar::UpdateTimer() {
  const bool run = Marquee() && m_marqueeOn;
  if (run) {
    SetTimer(m_hwnd, kMarqueeTimer, m_marqueeMs, nullptr);
    m_timerRunning = true;
  } else if (m_timerRunning) {
    KillTimer(m_hwnd, kMarqueeTimer);
    m_timerRunning = false;
  }
}

int ProgressBar::BlockSize(const RECT& bar, bool vertical) const {
  const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
  return std::max(2, thickness * 2 / 3);
}

void ProgressBar::Paint(HDC dc) {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const COLORREF face = m_backColor == CLR_DEFAULT ? GetSysColor(COLOR_BTNFACE) : m_backColor;
  const COLORREF barColor = m_barColor == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : m_barColor;
  HBRUSH faceBrush = CreateSolidBrush(face);
  FillRect(dc, &client, faceBrush);
  DeleteObject(faceBrush);
  RECT edge = client;
  DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
  RECT bar = client;
  InflateRect(&bar, -2, -2);
  if (bar.right <= bar.left || bar.bottom <= bar.top) return;
  const bool vertical = (Style() & PBS_VERTICAL) != 0;
  const bool smooth = (Style() & PBS_SMOOTH) != 0;
  const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int block = BlockSize(bar, vertical);
  const int gap = smooth ? 0 : 2;
  HBRUSH brush = CreateSolidBrush(barColor);
  // One span [from, to) along the bar, in pixels from its start, cut into blocks.
  auto fillSpan = [&](int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, length);
    if (smooth) {
      if (to > from) {
        RECT r = vertical ? RECT{bar.left, bar.bottom - to, bar.right, bar.bottom - from}
                          : RECT{bar.left + from, bar.top, bar.left + to, bar.bottom};
        FillRect(dc, &r, brush);
      }
      return;
    }
    for (int at = from; at < to; at += block + gap) {
      const int end = std::min(at + block, to);
      RECT r = vertical ? RECT{bar.left, bar.bottom - end, bar.right, bar.bottom - at}
                        : RECT{bar.left + at, bar.top, bar.left + end, bar.bottom};
      FillRect(dc, &r, brush);
    }
  };
  if (Marquee()) {
    const int group = kMarqueeBlocks * (block + 2);
    const int start = m_marqueeOffset - group;
    // Blocks keep their places on the grid as the group moves, as a block bar's do.
    const int first = start - ((start % (block + 2)) + (block + 2)) % (block + 2);
    fillSpan(std::max(first, 0), start + group);
  } else if (m_max > m_min) {
    const long long done = static_cast<long long>(m_position - m_min) * length / (m_max - m_min);
    int to = static_cast<int>(done);
    // A block bar shows whole blocks only.
    if (!smooth) to = std::min(length, ((to + block + gap - 1) / (block + gap)) * (block + gap));
    fillSpan(0, to);
  }
  DeleteObject(brush);
}

LRESULT ProgressBar::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case PBM_SETRANGE: return SetRange(LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32: return SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
      if (lParam) *reinterpret_cast<PBRANGE*>(lParam) = PBRANGE{m_min, m_max};
      return wParam ? m_min : m_max;
    case PBM_SETPOS: return SetPosition(static_cast<int>(wParam));
    case PBM_GETPOS: return m_position;
    case PBM_DELTAPOS: return SetPosition(m_position + static_cast<int>(wParam));
    case PBM_SETSTEP: {
      const int previous = m_step;
      m_step = static_cast<int>(wParam);
      return previous;
    }
    case PBM_GETSTEP: return m_step;
    case PBM_STEPIT: {
      const int previous = m_position;
      int next = m_position + m_step;
      // Past the end the bar starts over, as the standard control's does.
      if (m_max > m_min && (next > m_max || next < m_min)) {
        const int span = m_max - m_min;
        next = m_min + (((next - m_min) % span) + span) % span;
      }
      m_position = Clamp(next);
      if (m_position != previous) Redraw();
      return previous;
    }
    case PBM_SETMARQUEE:
      m_marqueeOn = wParam != 0;
      m_marqueeMs = lParam ? static_cast<UINT>(lParam) : 30;
      UpdateTimer();
      Redraw();
      return TRUE;
    case PBM_SETBARCOLOR: {
      const COLORREF previous = m_barColor;
      m_barColor = static_cast<COLORREF>(lParam);
      Redraw();
      return previous;
    }
    case PBM_GETBARCOLOR: return m_barColor;
    case PBM_SETBKCOLOR: {
      const COLORREF previous = m_backColor;
      m_backColor = static_cast<COLORREF>(lParam);
      Redraw();
      return previous;
    }
    case PBM_GETBKCOLOR: return m_backColor;
    case WM_TIMER:
      if (wParam == kMarqueeTimer) {
        RECT client{};
        GetClientRect(m_hwnd, &client);
        const int length = (Style() & PBS_VERTICAL) ? client.bottom - client.top : client.right - client.left;
        RECT bar = client;
        InflateRect(&bar, -2, -2);
        const int group = kMarqueeBlocks * (BlockSize(bar, (Style() & PBS_VERTICAL) != 0) + 2);
        m_marqueeOffset += 5;
        if (m_marqueeOffset > length + group) m_marqueeOffset = 0;
        Redraw();
        return 0;
      }
      return DefWindowProcW(m_hwnd, msg, wParam, lParam);
    case WM_STYLECHANGED:
      UpdateTimer();
      Redraw();
      return 0;
    case WM_ERASEBKGND: return TRUE;
    case WM_PAINT: return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    case WM_PRINTCLIENT:
      if (wParam) Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SIZE: Redraw(); return 0;
    case WM_DESTROY:
      if (m_timerRunning) KillTimer(m_hwnd, kMarqueeTimer);
      m_timerRunning = false;
      return 0;
    default: return DefWindowProcW(m_hwnd, msg, wParam, lParam);
  }
}

void RegisterProgressClass() {
  comctl_detail::RegisterControlClass({.name = PROGRESS_CLASSW,
                                       .procedure = comctl_detail::ControlWindowProc<ProgressBar>,
                                       .style = CS_HREDRAW | CS_VREDRAW});
}

const comctl_detail::ClassRegistration g_registration(RegisterProgressClass);

}  // namespace
}  // namespace platform
