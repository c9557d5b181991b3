#include "vcl/Picture.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "rtl/FileNames.h"
#include "rtl/Strings.h"
#include "vcl/Filer.h"

namespace {

struct FileFormat {
  AnsiString extension;
  AnsiString description;
  TGraphicClass graphicClass;
};

struct FormatList {
  std::mutex lock;
  std::vector<FileFormat> formats{{"ico", "Icons", TIcon::StaticClass()},
                                  {"bmp", "Bitmaps", TBitmap::StaticClass()}};
};

FormatList& Formats() {
  static FormatList list;
  return list;
}

std::unique_ptr<TGraphic> NewGraphic(TGraphicClass graphicClass) {
  TObject* object = CreateInstance(graphicClass);
  auto* graphic = dynamic_cast<TGraphic*>(object);
  if (!graphic) {
    delete object;
    throw EInvalidGraphic(graphicClass->Name + " is not a picture class");
  }
  return std::unique_ptr<TGraphic>(graphic);
}

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(const AnsiString& extension, const AnsiString& description,
                                  TGraphicClass graphicClass) {
  if (!graphicClass || !graphicClass->InheritsFrom(TGraphic::StaticClass()))
    throw EInvalidGraphic("Cannot register '" + extension + "': not a picture class");
  FormatList& list = Formats();
  std::lock_guard<std::mutex> guard(list.lock);
  const AnsiString ext = LowerCase(extension);
  list.formats.erase(std::remove_if(list.formats.begin(), list.formats.end(),
                                    [&](const FileFormat& f) { return f.extension == ext; }),
                     list.formats.end());
  // The newest registration comes first in filters, as the last one registered is the
  // most specific.
  list.formats.insert(list.formats.begin(), FileFormat{ext, description, graphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
  FormatList& list = Formats();
  std::lock_guard<std::mutex> guard(list.lock);
  list.formats.erase(std::remove_if(list.formats.begin(), list.formats.end(),
                                    [&](const FileFormat& f) { return f.graphicClass == graphicClass; }),
                     list.formats.end());
}

TGraphicClass TPicture::FileFormatClass(const AnsiString& extension) {
  AnsiString ext = LowerCase(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  FormatList& list = Formats();
  std::lock_guard<std::mutex> guard(list.lock);
  for (const FileFormat& format : list.formats)
    if (format.extension == ext) return format.graphicClass;
  return nullptr;
}

AnsiString TPicture::GraphicFilter(TGraphicClass graphicClass) {
  FormatList& list = Formats();
  std::lock_guard<std::mutex> guard(list.lock);
  AnsiString all, each;
  for (const FileFormat& format : list.formats) {
    if (graphicClass && !format.graphicClass->InheritsFrom(graphicClass)) continue;
    const AnsiString mask = "*." + format.extension;
    all += (all.empty() ? "" : ";") + mask;
    each += "|" + format.description + " (" + mask + ")|" + mask;
  }
  if (all.empty()) return "";
  return "All (" + all + ")|" + all + each;
}

AnsiString TPicture::GraphicExtension(TGraphicClass graphicClass) {
  FormatList& list = Formats();
  std::lock_guard<std::mutex> guard(list.lock);
  for (const FileFormat& format : list.formats)
    if (format.graphicClass == graphicClass) return format.extension;
  return "";
}

void TPicture::Take(std::unique_ptr<TGraphic> graphic) {
  if (graphic) {
    graphic->SetOnChange(TNotifyEvent(this, &TPicture::GraphicChanged));
    graphic->SetOnProgress(TProgressEvent(this, &TPicture::GraphicProgress));
  }
  FGraphic = std::move(graphic);
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == FGraphic.get()) return;
  if (!value) {
    Take(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy = NewGraphic(value->ClassType());
  copy->Assign(value);
  Take(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) Take(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(FGraphic.get())) Take(std::make_unique<TIcon>());
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* picture = dynamic_cast<TPicture*>(source)) {
    SetGraphic(picture->Graphic());
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(graphic);
  } else {
    inherited::Assign(source);
  }
}

void TPicture::LoadFromFile(const AnsiString& fileName) {
  AnsiString ext = ExtractFileExt(fileName);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  TGraphicClass graphicClass = FileFormatClass(ext);
  if (!graphicClass) throw EInvalidGraphic::CreateFmt("Unknown picture file extension (.%s)", {ext});
  std::unique_ptr<TGraphic> graphic = NewGraphic(graphicClass);
  graphic->SetOnProgress(TProgressEvent(this, &TPicture::GraphicProgress));
  graphic->LoadFromFile(fileName);
  Take(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::Changed(TObject*) {
  if (FOnChange) FOnChange(this);
}

void TPicture::GraphicChanged(TObject*) {
  if (FGraphic) FGraphic->SetPaletteModified(false);
  Changed(this);
}

void TPicture::GraphicProgress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                               const TRect& r, const AnsiString& msg) {
  if (FOnProgress) FOnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

// Form data: the graphic's class name (a short string), then its own data.
void TPicture::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  bool hasData = FGraphic != nullptr;
  if (auto* ancestor = dynamic_cast<TPicture*>(filer->Ancestor())) {
    if (!ancestor->FGraphic)
      hasData = FGraphic != nullptr;
    else
      hasData = !FGraphic || !FGraphic->Equals(ancestor->FGraphic.get());
  }
  filer->DefineBinaryProperty(
      "Data", [this](TStream* stream) { ReadData(stream); }, [this](TStream* stream) { WriteData(stream); }, hasData);
}

void TPicture::ReadData(TStream* stream) {
  uint8_t length = 0;
  stream->ReadBuffer(&length, 1);
  AnsiString name(length, '\0');
  if (length) stream->ReadBuffer(name.data(), length);
  if (name.empty()) {
    SetGraphic(nullptr);
    return;
  }
  TClass cls = GetClass(name);
  if (!cls) {
    if (SameText(name, "TBitmap")) cls = TBitmap::StaticClass();
    else if (SameText(name, "TIcon")) cls = TIcon::StaticClass();
  }
  if (!cls || !cls->InheritsFrom(TGraphic::StaticClass()))
    throw EInvalidGraphic::CreateFmt("Unknown picture class %s", {name});
  std::unique_ptr<TGraphic> graphic = NewGraphic(cls);
  graphic->ReadData(*stream);
  Take(std::move(graphic));
}

void TPicture::WriteData(TStream* stream) {
  const AnsiString name = FGraphic ? FGraphic->ClassName() : AnsiString();
  const uint8_t length = static_cast<uint8_t>(std::min<size_t>(name.size(), 255));
  stream->WriteBuffer(&length, 1);
  if (length) stream->WriteBuffer(name.data(), length);
  if (FGraphic) FGraphic->WriteData(*stream);
}
