// A 20,000-line memo: setting its lines in one go, moving to the end of the text (the view
// scrolls there), and painting the visible page with its wrapped lines. The skinned memo
// (its scroll bars painted from the default skin in build/bin/Skin/Default, or in the folder
// BRANTWELL_SKIN_DIR names) scrolls and paints the same text.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <type_traits>

#include "platform/comctl/Edit.h"
#include "program/controls/ControlsModule.h"
#include "program/controls/FSMemo.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
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

std::string SkinFolder() {
  if (const char* folder = std::getenv("BRANTWELL_SKIN_DIR")) return folder;
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0) return "Skin/Default";
  self[length] = 0;
  // build/bench-bin/memo_bench -> build/bin/Skin/Default
  return (std::filesystem::path(self).parent_path().parent_path() / "bin" / "Skin" / "Default").string();
}

// The skin and controls modules with the default skin, around a skinned memo's benchmark.
struct SkinModules {
  explicit SkinModules(bool wanted) : active(wanted) {
    if (!active) return;
    InitImaging();
    StartSkinModule();
    StartControlsModule();
    SkinEngine->SetSkinPath(SkinFolder());
  }
  ~SkinModules() {
    if (!active) return;
    StopControlsModule();
    StopSkinModule();
    DoneImaging();
  }
  bool active;
};

// A form with one memo (TMemo or TFSMemo), around one benchmark.
template <class Memo = TMemo> struct MemoForm {
  MemoForm() : modules(!std::is_same_v<Memo, TMemo>) {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBounds(0, 0, 640, 480);
    memo = new Memo(form);
    memo->SetParent(form);
    memo->SetBounds(0, 0, 400, 400);
    memo->SetScrollBars(ssVertical);
    form->Show();
  }
  ~MemoForm() { DoneApplication(); }
  SkinModules modules;
  TForm* form;
  Memo* memo;
};

void BM_MemoSetLines(benchmark::State& state) {
  MemoForm<> memoForm;
  const AnsiString text = ManyLines();
  for (auto _ : state) {
    memoForm.memo->Lines()->SetText(text);
    benchmark::DoNotOptimize(memoForm.memo->Lines()->Count());
  }
}
BENCHMARK(BM_MemoSetLines)->Unit(benchmark::kMillisecond);

template <class Memo> void MemoScrollToEnd(benchmark::State& state) {
  MemoForm<Memo> memoForm;
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
void BM_MemoScrollToEnd(benchmark::State& state) { MemoScrollToEnd<TMemo>(state); }
void BM_SkinnedMemoScrollToEnd(benchmark::State& state) { MemoScrollToEnd<TFSMemo>(state); }
BENCHMARK(BM_MemoScrollToEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinnedMemoScrollToEnd)->Unit(benchmark::kMicrosecond);

template <class Memo> void MemoPaint(benchmark::State& state) {
  MemoForm<Memo> memoForm;
  memoForm.memo->Lines()->SetText(ManyLines());
  HWND memo = memoForm.memo->Handle();
  SendMessageW(memo, platform::EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  SendMessageW(memo, platform::EM_SCROLLCARET, 0, 0);
  for (auto _ : state) {
    // The frame too: the skinned memo's scroll bar is painted there.
    RedrawWindow(memo, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  }
}
void BM_MemoPaint(benchmark::State& state) { MemoPaint<TMemo>(state); }
void BM_SkinnedMemoPaint(benchmark::State& state) { MemoPaint<TFSMemo>(state); }
BENCHMARK(BM_MemoPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinnedMemoPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
