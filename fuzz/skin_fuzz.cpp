// Reads arbitrary bytes as a skin file and draws what it holds. The first line also goes
// through the rectangle text of slices ("left,top,width,height") on its own. Every image a
// skin names is the same small 32-bit picture, served from memory, so the fuzzed rectangles,
// margins, fill and transparency modes all reach the nine-grid drawing without touching the
// disk. Bad input must end in a skin format error or in nothing drawn, never in a crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "program/core/FSxmldom.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinDraw.h"
#include "program/skin/SkinReader.h"
#include "program/skin/SkinSlice.h"
#include "vcl/Bitmap.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A skin folder that has no files: every image is one 24 x 20 picture with varied alpha.
class MemoryReader : public TFSSkinReader {
 public:
  using TFSSkinReader::TFSSkinReader;
  int EnumSkins(intptr_t, intptr_t, const TEnumSkinCallback&) override { return 0; }
  bool SetSkin(const AnsiString&) override { return false; }
  IXMLDocumentPtr LoadXML(const AnsiString&) override { return nullptr; }
  std::unique_ptr<TGraphic> LoadGraphic(const AnsiString&, const AnsiString&, int, const AnsiString&) override {
    auto image = std::make_unique<TBitmap>(24, 20, pf32bit);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 24; ++x)
        static_cast<uint32_t*>(image->ScanLine(y))[x] = static_cast<uint32_t>((x * 11) << 24 | (y * 13) << 8 | x);
    return image;
  }
};

TFSSkinEngine* Engine() {
  static TFSSkinEngine* engine = [] {
    InitImaging();
    auto* made = new TFSSkinEngine();
    made->Reader = std::make_unique<MemoryReader>(made);
    return made;
  }();
  return engine;
}

// Draws a state at a few fixed sizes (never at its own size: a fuzzed rectangle may be
// enormous), as every way a control asks for it.
void DrawState(TSkinItemState* state, TCanvas* canvas) {
  if (!state) return;
  state->IsEmpty();
  const TRect clip(2, 1, 30, 20);
  for (const TRect& rect : {TRect(0, 0, 37, 23), TRect(3, 2, 6, 4), TRect(5, 5, 5, 9)}) {
    state->Draw(canvas, rect);
    state->Draw(canvas, rect, 1, 3, &clip);
    state->Draw(canvas, rect, 0, 0, nullptr, true, true);
  }
  if (HRGN region = state->CreateRegion(31, 17)) DeleteObject(region);
}

void UseItem(TSkinItem* item, TCanvas* canvas) {
  for (int p = 0; p < item->GetPartCount(); ++p) {
    TSkinItemPart* part = item->GetPart(p);
    part->GetSize();
    part->GetColor();
    for (int i = 0; i < part->GetStateCount(); ++i) DrawState(part->GetState(i), canvas);
    // Every choice of state; only a grayed copy is a state not drawn above.
    for (int flags = 0; flags < 16; ++flags) {
      TSkinItemState* chosen = part->GetStateEx(flags & 1, flags & 2, flags & 4, flags & 8);
      if (chosen && chosen == part->DisabledState.get()) DrawState(chosen, canvas);
    }
    DrawSkinProgress(canvas, TRect(0, 0, 40, 12), part, 3, 0, 9, true);
  }
  for (int id : {0, 1, 7, -1}) item->GetPartStateEx(id, true, true, false, true);
  if (item->Slices)
    for (int i = 0; i < item->Slices->Count(); ++i) {
      TSkinItemSlice* slice = item->Slices->Items(i);
      slice->Draw(canvas, TRect(1, 1, 33, 21));
      TBitmap copy;
      copy.Assign(slice);
    }
}

}  // namespace

// The engine, GDI+ and the fonts are set up once, before the first input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Engine();
  TBitmap target(40, 24, pf32bit);
  TCanvasLock lock(target.Canvas());
  DrawSkinProgress(target.Canvas(), TRect(0, 0, 40, 12), nullptr, 3, 0, 9, true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  TRect rect(1, 2, 3, 4);
  ParseSkinRectText(AnsiString(bytes.substr(0, bytes.find('\n'))), rect);

  TFSSkinEngine* engine = Engine();
  TBitmap target(40, 24, pf32bit);
  TCanvas* canvas = target.Canvas();
  {
    TCanvasLock lock(canvas);
    TSkinFile file(engine);
    file.FileName = "Fuzz.xml";
    try {
      IXMLDocumentPtr document = LoadXMLString(bytes);
      bool hadItem = false;
      if (document && document->GetDocumentElement()) ReadSkinFileRoot(&file, document->GetDocumentElement(), hadItem);
      Check(hadItem || file.Items.Count() == 0);
    } catch (const Exception&) {
      // A malformed value discards the file; what was read so far must still be sound.
    }
    for (int i = 0; i < file.Items.Count(); ++i) {
      TSkinItem* item = file.Items.Items(i);
      // An item inheriting from itself, or from another of the file's items.
      if (!item->InheritFrom.empty())
        if (TSkinItem* base = engine->FindSkinItem(item->InheritFrom); base && base != item)
          item->ApplyInheritance(base);
      UseItem(item, canvas);
    }
  }
  engine->SharedImages.Clear();
  return 0;
}
