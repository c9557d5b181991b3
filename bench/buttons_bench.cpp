// Skinned buttons, checks and containers of the default skin: one paint of each kind of
// control, and one step of a button's hover fade (the blended frame the fade puts on the
// screen every 15 ms while the pointer enters). The skin is found in the program folder's
// Skin/Default, or in the folder BRANTWELL_SKIN_DIR names.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <unistd.h>

#include "program/controls/ControlsModule.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSRadioButton.h"
#include "program/controls/FSSkinButton.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

namespace fs = std::filesystem;

std::string SkinFolder() {
  if (const char* folder = std::getenv("BRANTWELL_SKIN_DIR")) return folder;
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0) return "Skin/Default";
  self[length] = 0;
  // build/bench-bin/buttons_bench -> build/bin/Skin/Default
  return (fs::path(self).parent_path().parent_path() / "bin" / "Skin" / "Default").string();
}

// The skin and controls modules with the default skin and a shown form, around one benchmark.
struct Setup {
  Setup() {
    InitImaging();
    StartSkinModule();
    StartControlsModule();
    SkinEngine->SetSkinPath(SkinFolder());
    form = TCustomForm::CreateNew<TForm>(nullptr);
    form->SetBounds(0, 0, 640, 480);
    form->Show();
  }
  ~Setup() {
    delete form;
    DoneApplication();
    StopControlsModule();
    StopSkinModule();
    DoneImaging();
  }
  template <class T> T* Add(const std::function<void(T*)>& prepare = nullptr) {
    auto* control = new T(form);
    control->SetParent(form);
    control->SetBounds(20, 20, 160, 40);
    control->SetCaption("Burn the disc");
    if (prepare) prepare(control);
    return control;
  }
  TForm* form = nullptr;
};

// Repaints a control (windowed: its own window; window-less: its rectangle of the form).
template <class T> void PaintEach(benchmark::State& state, const std::function<void(T*)>& prepare = nullptr) {
  Setup setup;
  T* control = setup.Add<T>(prepare);
  control->Repaint();
  for (auto _ : state) control->Repaint();
}

void BM_PaintButton(benchmark::State& state) { PaintEach<TFSButton>(state); }
void BM_PaintSkinButton(benchmark::State& state) {
  PaintEach<TFSSkinButton>(state, [](TFSSkinButton* b) { b->SetSkinName("Button"); });
}
void BM_PaintCheckBox(benchmark::State& state) {
  PaintEach<TFSCheckBox>(state, [](TFSCheckBox* c) { c->SetChecked(true); });
}
void BM_PaintRadioButton(benchmark::State& state) { PaintEach<TFSRadioButton>(state); }
void BM_PaintPanel(benchmark::State& state) { PaintEach<TFSPanel>(state); }
void BM_PaintGroupBox(benchmark::State& state) {
  PaintEach<TFSGroupBox>(state, [](TFSGroupBox* g) { g->SetBounds(20, 20, 240, 160); });
}
BENCHMARK(BM_PaintButton)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintSkinButton)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintCheckBox)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintRadioButton)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintPanel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintGroupBox)->Unit(benchmark::kMicrosecond);

// A button whose fade animator the benchmark can hold still.
class TFadingButton : public TFSButton {
  BRANTWELL_CLASS(TFadingButton, TFSButton)
 public:
  using TFSButton::TFSButton;
  TControlSkinFadeAnimator* Fade() const { return FFadeAnimator.get(); }
};

// One step of the hover fade: the animator's blended frame of the normal and hot looks.
// The fade must fit well inside its 15 ms step.
void BM_ButtonHoverFadeStep(benchmark::State& state) {
  Setup setup;
  auto* button = setup.Add<TFadingButton>();
  button->Repaint();
  TControlSkinFadeAnimator* fade = button->Fade();
  if (!fade) {
    state.SkipWithError("the button made no fade animator");
    return;
  }
  // Without the animator thread the fade stays at its first step, so every repaint is a step.
  fade->SetActive(false);
  button->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(button));
  button->Repaint();
  if (!fade->Running) {
    state.SkipWithError("the hover did not start a fade");
    return;
  }
  for (auto _ : state) button->Repaint();
}
BENCHMARK(BM_ButtonHoverFadeStep)->Unit(benchmark::kMicrosecond);

}  // namespace
