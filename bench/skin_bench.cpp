// The default skin: loading it as the start-up does (its files and, at first draw, every
// image), and drawing every state of every control part at its own size and at the sizes a
// window gives controls. The skin is found in the program folder's Skin/Default, or in the
// folder BRANTWELL_SKIN_DIR names.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"

namespace {

namespace fs = std::filesystem;

const char* const kFiles[] = {"Controls", "Pictures", "SkinForm", "MainForm", "VideoEditForm", "SplashForm"};

std::string SkinFolder() {
  if (const char* folder = std::getenv("BRANTWELL_SKIN_DIR")) return folder;
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0) return "Skin/Default";
  self[length] = 0;
  // build/bench-bin/skin_bench -> build/bin/Skin/Default
  return (fs::path(self).parent_path().parent_path() / "bin" / "Skin" / "Default").string();
}

// Loads the files and touches every image state, so that every picture is decoded.
int LoadSkin(const std::string& folder) {
  SkinEngine->SetSkinPath(folder);
  int states = 0;
  for (const char* file : kFiles) SkinEngine->LoadSkinFile(file);
  for (int f = 0; f < SkinEngine->Files.Count(); ++f) {
    TSkinFile* file = SkinEngine->Files.Items(f);
    for (int i = 0; i < file->Items.Count(); ++i)
      for (const auto& part : file->Items.Items(i)->Parts)
        for (const auto& state : part->States)
          if (state->StateType == SkinStateType::Image && state->GetBitmap()) ++states;
  }
  return states;
}

struct Module {
  Module() {
    InitImaging();
    StartSkinModule();
  }
  ~Module() {
    StopSkinModule();
    DoneImaging();
  }
};

void LoadDefaultSkin(benchmark::State& state) {
  const std::string folder = SkinFolder();
  if (!fs::exists(fs::path(folder) / "Controls.xml")) {
    state.SkipWithError("no default skin; set BRANTWELL_SKIN_DIR");
    return;
  }
  InitImaging();
  for (auto _ : state) {
    StartSkinModule();
    benchmark::DoNotOptimize(LoadSkin(folder));
    StopSkinModule();
  }
  DoneImaging();
}
BENCHMARK(LoadDefaultSkin)->Unit(benchmark::kMillisecond);

// Every state of every part of the controls' file drawn into a 400 x 300 canvas. Arg 0 draws
// each at its own size, arg 1 at a typical control size: a button or edit 100 x 25 for parts
// that stretch, a check box's own size for those that do not grow (no margins).
void DrawControlStates(benchmark::State& state) {
  const std::string folder = SkinFolder();
  if (!fs::exists(fs::path(folder) / "Controls.xml")) {
    state.SkipWithError("no default skin; set BRANTWELL_SKIN_DIR");
    return;
  }
  Module module;
  LoadSkin(folder);
  TSkinFile* controls = SkinEngine->Files.FindByName("Controls");
  if (!controls) {
    state.SkipWithError("Controls.xml did not load");
    return;
  }
  std::vector<TSkinItemState*> states;
  for (int i = 0; i < controls->Items.Count(); ++i)
    for (const auto& part : controls->Items.Items(i)->Parts)
      for (const auto& skinState : part->States)
        if (skinState->StateType != SkinStateType::Image || skinState->GetBitmap()) states.push_back(skinState.get());
  const bool typical = state.range(0) == 1;
  TBitmap target(400, 300, pf32bit);
  TCanvasLock lock(target.Canvas());
  for (auto _ : state) {
    for (TSkinItemState* skinState : states) {
      const bool grows = !skinState->Margins.IsEmpty();
      const int w = typical && grows ? 100 : skinState->GetWidth();
      const int h = typical && grows ? 25 : skinState->GetHeight();
      benchmark::DoNotOptimize(skinState->Draw(target.Canvas(), TRect(10, 10, 10 + w, 10 + h)));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(states.size()));
  state.counters["states"] = static_cast<double>(states.size());
}
BENCHMARK(DrawControlStates)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
