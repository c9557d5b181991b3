#pragma once
// For the tree-view and tool-bar tests: a parent window that records the WM_NOTIFY and
// WM_COMMAND messages it gets (with what the tests look at copied out) and answers them
// through a replaceable handler, on the headless display with the manual clock.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "platform/testing/Synthetic.h"

namespace comctltest {

struct Heard {
  UINT msg = 0;        // WM_NOTIFY or WM_COMMAND
  UINT code = 0;       // the notification code (WM_COMMAND: the id)
  UINT action = 0;     // NMTREEVIEW.action
  void* oldItem = nullptr;
  void* newItem = nullptr;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Answers a notification; `handled` false leaves the default answer (0).
using NotifyHandler = std::function<LRESULT(NMHDR* header, bool* handled)>;

class ParentWindow {
 public:
  ParentWindow(int width = 320, int height = 240) {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Proc;
      wc.lpszClassName = u"ComctlTestParent";
      wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    hwnd = CreateWindowExW(0, u"ComctlTestParent", u"parent", WS_POPUP | WS_VISIBLE, 40, 40, width, height, nullptr,
                           nullptr, nullptr, nullptr);
    Current() = this;
  }
  ~ParentWindow() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    Current() = nullptr;
  }

  // The codes heard, in order, keeping only `codes` when given.
  std::vector<UINT> Codes(const std::vector<UINT>& codes = {}) const {
    std::vector<UINT> out;
    for (const Heard& h : heard)
      if (codes.empty() || std::find(codes.begin(), codes.end(), h.code) != codes.end()) out.push_back(h.code);
    return out;
  }
  const Heard* Last(UINT code) const {
    for (auto it = heard.rbegin(); it != heard.rend(); ++it)
      if (it->code == code) return &*it;
    return nullptr;
  }

  HWND hwnd = nullptr;
  std::vector<Heard> heard;
  NotifyHandler onNotify;
  // Copies what a notification carries beyond the header (set per control family).
  std::function<void(NMHDR*, Heard*)> describe;

  static ParentWindow*& Current() {
    static ParentWindow* current = nullptr;
    return current;
  }

 private:
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ParentWindow* self = Current();
    if (self && self->hwnd == hwnd) {
      if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        Heard h;
        h.msg = msg;
        h.code = header->code;
        h.wParam = wParam;
        h.lParam = lParam;
        if (self->describe) self->describe(header, &h);
        self->heard.push_back(h);
        if (self->onNotify) {
          bool handled = false;
          LRESULT answer = self->onNotify(header, &handled);
          if (handled) return answer;
        }
        return 0;
      }
      if (msg == WM_COMMAND) {
        Heard h;
        h.msg = msg;
        h.code = LOWORD(wParam);
        h.wParam = wParam;
        h.lParam = lParam;
        self->heard.push_back(h);
        return 0;
      }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
};

class ComctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::UseManualClock(true);
    platform::InitCommonControls();
  }
  void TearDown() override {
    platform::testing::RunUntilIdle();
    ReleaseCapture();
    platform::testing::UseManualClock(false);
  }
  static void Pump() { platform::testing::RunUntilIdle(); }
};

}  // namespace comctltest
