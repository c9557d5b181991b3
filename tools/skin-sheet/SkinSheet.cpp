// skin-sheet: a picture of a whole skin.
//   skin-sheet SKIN_FOLDER OUT.png
// Loads every skin file of the folder through the skin engine and draws every state of every
// part of every item at its own size and stretched, labelled, over a checkerboard. A file that
// does not load, or a state whose image is missing, is reported on standard error and makes
// the exit code 1.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/testing/Pictures.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGap = 8;
constexpr int kLabelColumn = 250;
constexpr int kLabelHeight = 14;
constexpr int kMaxStretch = 220;

const char* const kStateNames[] = {"normal", "hot", "pressed", "disabled", "focused"};

// The size a state is stretched to: wider and taller than its own, so that a nine-grid's
// edges and centre show, but within reason for large pictures.
TSize Stretched(int width, int height) {
  if (width <= 0 || height <= 0) return TSize{48, 24};
  if (width > kMaxStretch / 2 || height > kMaxStretch / 2) return TSize{width * 3 / 4, height * 3 / 4};
  return TSize{std::max(width * 3, 48), std::max(height * 2, 24)};
}

struct Cell {
  TSkinItemState* state;
  int index;
  TSize natural;
  TSize stretched;
  int width() const { return std::max(natural.cx + kGap + stretched.cx, 70); }
  int height() const { return std::max(natural.cy, stretched.cy) + kLabelHeight; }
};

struct Row {
  AnsiString label;
  std::vector<Cell> cells;
  int width() const {
    int total = kLabelColumn;
    for (const Cell& cell : cells) total += cell.width() + kGap;
    return total;
  }
  int height() const {
    int tallest = 2 * kLabelHeight;
    for (const Cell& cell : cells) tallest = std::max(tallest, cell.height());
    return tallest + kGap;
  }
};

void Checkerboard(TCanvas* canvas, const TRect& rect) {
  for (int y = rect.Top; y < rect.Bottom; y += 8)
    for (int x = rect.Left; x < rect.Right; x += 8) {
      canvas->Brush()->SetColor(((x - rect.Left) / 8 + (y - rect.Top) / 8) % 2 ? TColor(0xE6E6E6) : clWhite);
      canvas->FillRect(TRect(x, y, std::min(x + 8, rect.Right), std::min(y + 8, rect.Bottom)));
    }
}

void Label(TCanvas* canvas, int x, int y, const AnsiString& text, TColor color = clBlack) {
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(color);
  canvas->TextOut(x, y, text);
  canvas->Brush()->SetStyle(bsSolid);
}

// The state's index, and its name where the part is drawn by control state (five states).
AnsiString StateLabel(const Cell& cell, int stateCount) {
  AnsiString text = std::to_string(cell.index);
  if (stateCount == 5) text += std::string(" ") + kStateNames[cell.index];
  if (cell.state->StateType != SkinStateType::Image) text += " (shape)";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: skin-sheet SKIN_FOLDER OUT.png\n");
    return 2;
  }
  const fs::path folder = argv[1];
  const std::string out = argv[2];
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    std::fprintf(stderr, "skin-sheet: %s: not a folder\n", folder.c_str());
    return 2;
  }
  std::string displayError;
  if (!platform::display::StartDisplay(platform::display::Backend::Headless, &displayError)) {
    std::fprintf(stderr, "skin-sheet: no display: %s\n", displayError.c_str());
    return 2;
  }
  InitImaging();
  StartSkinModule();

  int failures = 0;
  std::vector<AnsiString> diagnostics;
  SetSkinDiagnosticHook([&](const AnsiString& line) { diagnostics.push_back(line); });
  SkinEngine->SetSkinPath(fs::absolute(folder).string());

  std::vector<std::string> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    if (entry.is_regular_file(error) && extension == ".xml") files.push_back(entry.path().stem().string());
  }
  std::sort(files.begin(), files.end());
  for (const std::string& name : files) {
    diagnostics.clear();
    const bool loaded = SkinEngine->LoadSkinFile(AnsiString(name));
    if (!loaded || !diagnostics.empty()) {
      ++failures;
      std::string reason = diagnostics.empty() ? "no Item element, or not a skin file" : diagnostics.front().c_str();
      std::fprintf(stderr, "skin-sheet: %s.xml: %s\n", name.c_str(), reason.c_str());
    }
  }

  // The layout: one row per part, one cell per state.
  std::vector<Row> rows;
  for (int f = 0; f < SkinEngine->Files.Count(); ++f) {
    TSkinFile* file = SkinEngine->Files.Items(f);
    for (int i = 0; i < file->Items.Count(); ++i) {
      TSkinItem* item = file->Items.Items(i);
      for (int p = 0; p < item->GetPartCount(); ++p) {
        TSkinItemPart* part = item->GetPart(p);
        Row row;
        row.label = file->FileName + ": " + item->Name + "(" + std::to_string(part->Id) + ")" +
                    (part->Name.empty() ? AnsiString() : " " + part->Name);
        for (int s = 0; s < part->GetStateCount(); ++s) {
          TSkinItemState* state = part->GetState(s);
          const bool image = state->StateType == SkinStateType::Image;
          if (image && state->GetRect().Right > state->GetRect().Left && !state->GetBitmap()) {
            ++failures;
            std::fprintf(stderr, "skin-sheet: %s.xml: %s(%d) state %d: its image does not load\n",
                         file->FileName.c_str(), item->Name.c_str(), part->Id, s);
          }
          const int w = image ? state->GetWidth() : 32, h = image ? state->GetHeight() : 20;
          row.cells.push_back(Cell{state, s, TSize{std::max(w, 0), std::max(h, 0)}, Stretched(w, h)});
        }
        rows.push_back(std::move(row));
      }
    }
  }

  int width = 400, height = kGap;
  for (const Row& row : rows) {
    width = std::max(width, row.width() + kGap);
    height += row.height();
  }
  TBitmap sheet(width, height, pf32bit);
  {
    TCanvas* canvas = sheet.Canvas();
    TCanvasLock lock(canvas);
    canvas->Brush()->SetColor(TColor(0xF8F8F8));
    canvas->FillRect(TRect(0, 0, width, height));
    canvas->Font()->SetName("DejaVu Sans");
    canvas->Font()->SetHeight(-11);
    int y = kGap;
    for (const Row& row : rows) {
      Label(canvas, kGap, y, row.label);
      if (row.cells.empty()) Label(canvas, kGap, y + kLabelHeight, "no states", TColor(0x808080));
      int x = kLabelColumn;
      for (const Cell& cell : row.cells) {
        Label(canvas, x, y, StateLabel(cell, static_cast<int>(row.cells.size())), TColor(0x505050));
        const int top = y + kLabelHeight;
        const TRect natural(x, top, x + cell.natural.cx, top + cell.natural.cy);
        const TRect stretched(natural.Right + kGap, top, natural.Right + kGap + cell.stretched.cx,
                              top + cell.stretched.cy);
        for (const TRect& rect : {natural, stretched}) {
          Checkerboard(canvas, rect);
          const bool drawn = cell.state->Draw(canvas, rect);
          if (!drawn && cell.state->StateType == SkinStateType::Image) {
            // An image state that draws nothing (an empty one, or text only) is crossed out.
            canvas->Pen()->SetColor(TColor(0x3030C0));
            canvas->MoveTo(rect.Left, rect.Top);
            canvas->LineTo(rect.Right, rect.Bottom);
          }
        }
        x += cell.width() + kGap;
      }
      y += row.height();
    }
  }

  std::string saveError;
  sheet.Dormant();
  if (!platform::testing::SavePng(platform::testing::CaptureBitmap(sheet.Handle()), out, &saveError)) {
    std::fprintf(stderr, "skin-sheet: %s: %s\n", out.c_str(), saveError.c_str());
    failures = std::max(failures, 1);
  }
  SetSkinDiagnosticHook(nullptr);
  StopSkinModule();
  DoneImaging();
  platform::display::StopDisplay();
  return failures ? 1 : 0;
}
