#include "vcl/Graphic.h"

#include <cstdio>
#include <exception>

#include "vcl/Bitmap.h"
#include "vcl/Filer.h"

void TGraphic::SetSize(int width, int height) {
  SetWidth(width);
  SetHeight(height);
}

void TGraphic::SetTransparentImpl(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed(this);
  else
    FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (FOnChange) FOnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                        const AnsiString& msg) {
  if (FOnProgress) FOnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

void TGraphic::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  try {
    LoadFromStream(stream);
  } catch (EInvalidGraphic& e) {
    throw EInvalidGraphic("Cannot load '" + fileName + "': " + e.Message());
  }
}

void TGraphic::SaveToFile(const AnsiString& fileName) {
  std::exception_ptr failure;
  {
    TFileStream stream(fileName, fmCreate);
    try {
      SaveToStream(stream);
      return;
    } catch (...) {
      failure = std::current_exception();
    }
  }
  // No half-written picture is left behind under the name.
  std::remove(fileName.c_str());
  std::rethrow_exception(failure);
}

bool TGraphic::Equals(TGraphic* graphic) {
  if (!graphic || graphic->ClassType() != ClassType()) return false;
  if (graphic == this) return true;
  if (Empty() || graphic->Empty()) return Empty() && graphic->Empty();
  TStringStream mine, theirs;
  WriteData(mine);
  graphic->WriteData(theirs);
  return mine.DataString() == theirs.DataString();
}

void TGraphic::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  bool hasData = !Empty();
  if (auto* ancestor = dynamic_cast<TGraphic*>(filer->Ancestor())) hasData = !Equals(ancestor);
  filer->DefineBinaryProperty(
      "Data", [this](TStream* stream) { ReadData(*stream); }, [this](TStream* stream) { WriteData(*stream); },
      hasData);
}

void TGraphic::ReadData(TStream& stream) { LoadFromStream(stream); }

void TGraphic::WriteData(TStream& stream) { SaveToStream(stream); }

void TGraphic::AssignTo(TPersistent* dest) {
  auto* bitmap = dynamic_cast<TBitmap*>(dest);
  if (!bitmap) {
    inherited::AssignTo(dest);
    return;
  }
  if (Empty()) {
    bitmap->Assign(nullptr);
    return;
  }
  bitmap->SetSize(0, 0);
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(Width(), Height());
  TCanvas* canvas = bitmap->Canvas();
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect(Rect(0, 0, Width(), Height()));
  canvas->Draw(0, 0, this);
}
