// A 10,000-row report view of the list-view control: filling it (three columns), sorting it
// by a compare routine, painting the first page, and scrolling a page down and painting.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/comctl/ListView.h"
#include "platform/display/Display.h"
#include "platform/kernel/Unicode.h"

namespace {

using namespace platform;

constexpr int kRows = 10000;

struct ReportView {
  ReportView() {
    std::string error;
    platform::display::StartDisplay(platform::display::Backend::Headless, &error);
    InitCommonControls();
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.lpszClassName = u"ListViewBenchFrame";
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    top = CreateWindowExW(0, u"ListViewBenchFrame", u"", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                          nullptr, nullptr);
    list = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 600, 440,
                           top, nullptr, nullptr, nullptr);
    for (const auto& [text, width] : {std::pair{u"Name", 220}, {u"Duration", 90}, {u"Kind", 120}}) {
      LVCOLUMNW c{};
      c.mask = LVCF_TEXT | LVCF_WIDTH;
      c.pszText = const_cast<LPWSTR>(text);
      c.cx = width;
      ListView_InsertColumn(list, 99, &c);
    }
  }
  ~ReportView() { DestroyWindow(top); }
  void Fill() {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < kRows; ++i) {
      std::u16string name = u"Clip " + Utf8ToUtf16(std::to_string((i * 7919) % kRows)) + u" of the project";
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = i;
      item.pszText = name.data();
      item.lParam = (i * 7919) % kRows;
      const int row = ListView_InsertItem(list, &item);
      std::u16string duration = Utf8ToUtf16(std::to_string(i % 60)) + u":00";
      ListView_SetItemText(list, row, 1, duration.data());
      ListView_SetItemText(list, row, 2, const_cast<LPWSTR>(u"video"));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  }
  void Paint() {
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
  }
  HWND top;
  HWND list;
};

void BM_ListViewFill(benchmark::State& state) {
  ReportView view;
  for (auto _ : state) {
    view.Fill();
    state.PauseTiming();
    ListView_DeleteAllItems(view.list);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ListViewFill)->Unit(benchmark::kMillisecond);

void BM_ListViewSort(benchmark::State& state) {
  ReportView view;
  view.Fill();
  bool ascending = true;
  for (auto _ : state) {
    ListView_SortItems(view.list, ascending ? [](LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(a - b); }
                                            : [](LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(b - a); },
                       0);
    ascending = !ascending;
  }
}
BENCHMARK(BM_ListViewSort)->Unit(benchmark::kMillisecond);

void BM_ListViewPaintPage(benchmark::State& state) {
  ReportView view;
  view.Fill();
  for (auto _ : state) view.Paint();
}
BENCHMARK(BM_ListViewPaintPage)->Unit(benchmark::kMillisecond);

void BM_ListViewScrollPage(benchmark::State& state) {
  ReportView view;
  view.Fill();
  view.Paint();
  for (auto _ : state) {
    if (ListView_GetTopIndex(view.list) + 2 * ListView_GetCountPerPage(view.list) >= kRows)
      SendMessageW(view.list, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(view.list, WM_VSCROLL, SB_PAGEDOWN, 0);
    UpdateWindow(view.list);
  }
}
BENCHMARK(BM_ListViewScrollPage)->Unit(benchmark::kMillisecond);

}  // namespace
