// Skinned buttons, checks and containers of the default skin: one paint of each kind of
// control, and one step of a button's hover fade (the blended frame the fade puts on the
// screen every 15 ms while the pointer enters).

#include <benchmark/benchmark.h>

#include <functional>

#include "ControlBench.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSRadioButton.h"
#include "program/controls/FSSkinButton.h"

namespace {

using control_bench::ControlBench;

// A control on a shown form with a caption, prepared by `prepare`.
template <class T> T* AddControl(ControlBench& bench, const std::function<void(T*)>& prepare) {
  auto* control = bench.Place<T>(20, 20, 160, 40);
  control->SetCaption("Burn the disc");
  if (prepare) prepare(control);
  return control;
}

// Repaints a control (windowed: its own window; window-less: its rectangle of the form).
template <class T> void PaintEach(benchmark::State& state, const std::function<void(T*)>& prepare = nullptr) {
  ControlBench bench(640, 480, true);
  T* control = AddControl<T>(bench, prepare);
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
  // The pointer arrives as the window manager would report it (its mouse-in-client flag),
  // without synthetic input.
  void PointerEnters() {
    FMouseInClient = true;
    Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
  }
};

// One step of the hover fade: the animator's blended frame of the normal and hot looks.
// The fade must fit well inside its 15 ms step.
void BM_ButtonHoverFadeStep(benchmark::State& state) {
  ControlBench bench(640, 480, true);
  auto* button = AddControl<TFadingButton>(bench, nullptr);
  button->Repaint();
  TControlSkinFadeAnimator* fade = button->Fade();
  if (!fade) {
    state.SkipWithError("the button made no fade animator");
    return;
  }
  // Without the animator thread the fade stays at its first step, so every repaint is a step.
  fade->SetActive(false);
  button->PointerEnters();
  button->Repaint();
  if (!fade->Running) {
    state.SkipWithError("the hover did not start a fade");
    return;
  }
  for (auto _ : state) button->Repaint();
}
BENCHMARK(BM_ButtonHoverFadeStep)->Unit(benchmark::kMicrosecond);

}  // namespace
