// A 20,000-line memo: setting its lines in one go, moving to the end of the text (the view
// scrolls there), and painting the visible page with its wrapped lines.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/comctl/Edit.h"
#include "vcl/Application.h"
#include "vcl/StdCtrls.h"

namespace {

constexpr int kLines = 20000;

AnsiString ManyLines() {
  AnsiString text;
  for (int i = 0; i < kLines; ++i) {
    text += "Line ";
    text += std::to_string(i);
    text += " of the error list, long enough to wrap once in a memo of this width\n";
  }
  return text;
}

// A form with one memo, around one benchmark.
struct MemoForm {
  MemoForm() {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBounds(0, 0, 640, 480);
    memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(0, 0, 400, 400);
    memo->SetScrollBars(ssVertical);
    form->Show();
  }
  ~MemoForm() { DoneApplication(); }
  TForm* form;
  TMemo* memo;
};

void BM_MemoSetLines(benchmark::State& state) {
  MemoForm memoForm;
  const AnsiString text = ManyLines();
  for (auto _ : state) {
    memoForm.memo->Lines()->SetText(text);
    benchmark::DoNotOptimize(memoForm.memo->Lines()->Count());
  }
}
BENCHMARK(BM_MemoSetLines)->Unit(benchmark::kMillisecond);

void BM_MemoScrollToEnd(benchmark::State& state) {
  MemoForm memoForm;
  memoForm.memo->Lines()->SetText(ManyLines());
  HWND memo = memoForm.memo->Handle();
  for (auto _ : state) {
    SendMessageW(memo, platform::EM_SETSEL, 0, 0);
    SendMessageW(memo, platform::EM_SCROLLCARET, 0, 0);
    SendMessageW(memo, platform::EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
    SendMessageW(memo, platform::EM_SCROLLCARET, 0, 0);
    benchmark::DoNotOptimize(SendMessageW(memo, platform::EM_GETFIRSTVISIBLELINE, 0, 0));
  }
}
BENCHMARK(BM_MemoScrollToEnd)->Unit(benchmark::kMicrosecond);

void BM_MemoPaint(benchmark::State& state) {
  MemoForm memoForm;
  memoForm.memo->Lines()->SetText(ManyLines());
  HWND memo = memoForm.memo->Handle();
  SendMessageW(memo, platform::EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  SendMessageW(memo, platform::EM_SCROLLCARET, 0, 0);
  for (auto _ : state) {
    InvalidateRect(memo, nullptr, TRUE);
    UpdateWindow(memo);
  }
}
BENCHMARK(BM_MemoPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
