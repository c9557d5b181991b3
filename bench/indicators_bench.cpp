// One paint of each indicator control on the default skin, into a memory DC: the progress bar
// with its percentage, the disc gauge of the main window (587 x 29), a stretched skin image,
// the picture viewer zoomed and rotated, and the video track bar with ticks and cut markers
// (also over the clip editor's range 0..200000000).

#include <benchmark/benchmark.h>

#include <memory>

#include "ControlBench.h"
#include "platform/gdi/WinGdi.h"
#include "program/controls/FSGaugeBar.h"
#include "program/controls/FSImage.h"
#include "program/controls/FSProgressBar.h"
#include "program/controls/FSSkinImage.h"
#include "program/controls/FSVideoTrackBar.h"
#include "vcl/Bitmap.h"

namespace {

// The shared set-up with the skin files loaded ahead and a 32-bit memory DC to paint the
// control into.
struct Bench : control_bench::ControlBench {
  Bench() : ControlBench(800, 400, false), surface(std::make_unique<TBitmap>(800, 400, pf32bit)) {
    for (const char* file : {"Controls", "Pictures"}) SkinEngine->LoadSkinFile(file);
  }
  template <class T> T* Place(int width, int height) { return ControlBench::Place<T>(0, 0, width, height); }
  void Paint(TControl* control, benchmark::State& state) {
    HDC dc = surface->Canvas()->Handle();
    for (auto _ : state) control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }

  std::unique_ptr<TBitmap> surface;
};

void BM_ProgressBar(benchmark::State& state) {
  Bench bench;
  auto* bar = bench.Place<TFSProgressBar>(300, 18);
  bar->SetShowPercent(true);
  bar->SetPosition(37);
  bench.Paint(bar, state);
}
BENCHMARK(BM_ProgressBar)->Unit(benchmark::kMicrosecond);

void BM_GaugeBar(benchmark::State& state) {
  Bench bench;
  auto* gauge = bench.Place<TFSGaugeBar>(587, 29);
  gauge->SetPosition(5000);
  bench.Paint(gauge, state);
}
BENCHMARK(BM_GaugeBar)->Unit(benchmark::kMicrosecond);

void BM_SkinImage(benchmark::State& state) {
  Bench bench;
  auto* image = bench.Place<TFSSkinImage>(200, 120);
  image->SetSkinName("GettingStart");
  image->SetStretch(true);
  bench.Paint(image, state);
}
BENCHMARK(BM_SkinImage)->Unit(benchmark::kMicrosecond);

void BM_PictureViewerZoomedAndRotated(benchmark::State& state) {
  Bench bench;
  auto* viewer = bench.Place<TFSImage>(320, 240);
  TBitmap picture(640, 480, pf32bit);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) static_cast<uint32_t*>(picture.ScanLine(y))[x] = 0xFF000000u | (x * 0x010203u);
  viewer->Picture()->SetGraphic(&picture);
  viewer->SetZoom(150);
  viewer->SetRotation(30);
  bench.Paint(viewer, state);
}
BENCHMARK(BM_PictureViewerZoomedAndRotated)->Unit(benchmark::kMicrosecond);

void BM_VideoTrackBar(benchmark::State& state) {
  Bench bench;
  auto* bar = bench.Place<TFSVideoTrackBar>(360, 24);
  bar->SetMax(static_cast<int>(state.range(0)));
  bar->SetTickStep(static_cast<int>(state.range(0) / 10));
  bar->SetShowTicks(true);
  bar->SetShowCuts(true);
  bar->SetCutEndPos(bar->Max() / 10 * 8);
  bar->SetCutStartPos(bar->Max() / 10 * 2);
  bar->SetPosition(bar->Max() / 2);
  bench.Paint(bar, state);
}
BENCHMARK(BM_VideoTrackBar)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_VideoTrackBarEveryValueTicked(benchmark::State& state) {
  Bench bench;
  auto* bar = bench.Place<TFSVideoTrackBar>(360, 24);
  bar->SetMax(200000000);
  bar->SetShowTicks(true);
  bench.Paint(bar, state);
}
BENCHMARK(BM_VideoTrackBarEveryValueTicked)->Unit(benchmark::kMicrosecond);

}  // namespace
