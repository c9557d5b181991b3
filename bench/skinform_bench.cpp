// Skinned forms of the default skin: a full repaint of the frame of a 1280 x 800 form
// (buffered and masked around the client area, as WM_NCPAINT does it), and one repaint of a
// window's skinned vertical and horizontal scroll bars with the size grip. The skin is found
// in the program folder's Skin/Default, or in the folder BRANTWELL_SKIN_DIR names.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "platform/user/ScrollBars.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/NCScrollBar.h"
#include "program/skin/SkinForm.h"
#include "program/skin/SkinModule.h"
#include "vcl/Application.h"
#include "vcl/GraphicControl.h"

namespace {

namespace fs = std::filesystem;

std::string SkinFolder() {
  if (const char* folder = std::getenv("BRANTWELL_SKIN_DIR")) return folder;
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0) return "Skin/Default";
  self[length] = 0;
  // build/bench-bin/skinform_bench -> build/bin/Skin/Default
  return (fs::path(self).parent_path().parent_path() / "bin" / "Skin" / "Default").string();
}

// The skin module with the default skin, around one benchmark.
struct Skin {
  Skin() {
    InitImaging();
    StartSkinModule();
    SkinEngine->SetSkinPath(SkinFolder());
    for (const char* file : {"Controls", "SkinForm"}) SkinEngine->LoadSkinFile(file);
  }
  ~Skin() {
    DoneApplication();
    StopSkinModule();
    DoneImaging();
  }
};

TSkinForm* ShownForm() {
  auto* form = TCustomForm::CreateNew<TSkinForm>(nullptr);
  form->SetShowAnimate(false);
  form->SetCaption("Brantwell");
  form->SetBounds(0, 0, 1280, 800);
  form->Show();
  return form;
}

void BM_FullFrameRepaint(benchmark::State& state) {
  Skin skin;
  std::unique_ptr<TSkinForm> form(ShownForm());
  if (!form->IsSkinActive()) {
    state.SkipWithError("the default skin did not load");
    return;
  }
  for (auto _ : state) form->PaintNonClientNow();
}
BENCHMARK(BM_FullFrameRepaint)->Unit(benchmark::kMicrosecond);

class TScrolledView : public TCustomControl {
  BRANTWELL_CLASS(TScrolledView, TCustomControl)
 public:
  using TCustomControl::TCustomControl;

 protected:
  void CreateParams(TCreateParams& params) override {
    inherited::CreateParams(params);
    params.Style |= WS_VSCROLL | WS_HSCROLL;
  }
};

void BM_ScrollBarRepaint(benchmark::State& state) {
  Skin skin;
  std::unique_ptr<TSkinForm> form(ShownForm());
  auto* view = new TScrolledView(form.get());
  view->SetParent(form.get());
  view->SetBounds(10, 10, 600, 400);
  view->HandleNeeded();
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = 99;
  info.nPage = 10;
  info.nPos = 40;
  SetScrollInfo(view->Handle(), SB_VERT, &info, TRUE);
  SetScrollInfo(view->Handle(), SB_HORZ, &info, TRUE);
  auto bars = std::make_unique<TNCScrollBar>(view, SkinEngine);
  bars->SetAddSizeGrid(true);
  bars->AttachControl(view, false);
  for (auto _ : state) bars->DrawNonClient(nullptr, nullptr);
  bars.reset();
}
BENCHMARK(BM_ScrollBarRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
