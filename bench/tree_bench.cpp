// A 10,000-node tree view: inserting the nodes (100 parents of 99 children), expanding every
// parent, and painting the first page once all are open.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/comctl/TreeView.h"
#include "vcl/Application.h"
#include "vcl/TreeView.h"

namespace {

constexpr int kParents = 100;
constexpr int kChildren = 99;  // 100 + 100 * 99 = 10,000 nodes

struct TreeForm {
  TreeForm() {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBounds(0, 0, 640, 480);
    tree = new TTreeView(form);
    tree->SetParent(form);
    tree->SetBounds(0, 0, 400, 400);
    form->Show();
  }
  ~TreeForm() { DoneApplication(); }
  void Fill() {
    TTreeNodes* items = tree->Items();
    items->BeginUpdate();
    for (int p = 0; p < kParents; ++p) {
      TTreeNode* parent = items->Add(nullptr, "Title " + std::to_string(p));
      for (int c = 0; c < kChildren; ++c) items->AddChild(parent, "Clip " + std::to_string(c) + " of the title");
    }
    items->EndUpdate();
  }
  TForm* form;
  TTreeView* tree;
};

void BM_TreeInsert(benchmark::State& state) {
  TreeForm treeForm;
  for (auto _ : state) {
    treeForm.Fill();
    state.PauseTiming();
    treeForm.tree->Items()->Clear();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TreeInsert)->Unit(benchmark::kMillisecond);

void BM_TreeExpandAll(benchmark::State& state) {
  TreeForm treeForm;
  treeForm.Fill();
  for (auto _ : state) {
    treeForm.tree->FullExpand();
    state.PauseTiming();
    treeForm.tree->FullCollapse();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TreeExpandAll)->Unit(benchmark::kMillisecond);

void BM_TreePaint(benchmark::State& state) {
  TreeForm treeForm;
  treeForm.Fill();
  treeForm.tree->FullExpand();
  HWND tree = treeForm.tree->Handle();
  for (auto _ : state) {
    InvalidateRect(tree, nullptr, TRUE);
    UpdateWindow(tree);
  }
}
BENCHMARK(BM_TreePaint)->Unit(benchmark::kMicrosecond);

}  // namespace
