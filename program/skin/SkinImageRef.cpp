#include "program/skin/SkinImageRef.h"

#include "program/imaging/GPPictures.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinXml.h"
#include "vcl/Bitmap.h"

AnsiString SkinFileType(const AnsiString& fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == AnsiString::npos) return {};
  if (fileName.find_first_of("\\/:", dot) != AnsiString::npos) return {};
  return fileName.substr(dot + 1);
}

void TSkinImageRef::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinImageRef*>(source)) {
    Name = other->Name;
    Type = other->Type;
    Folder = other->Folder;
    return;
  }
  inherited::Assign(source);
}

namespace {

bool FitsKind(TGraphic* graphic, int kind) {
  if (!graphic) return false;
  if (kind == TSkinImageRef::KindBitmap) return dynamic_cast<TBitmap*>(graphic) != nullptr;
  if (kind == TSkinImageRef::KindGPGraphic) return dynamic_cast<TGPGraphic*>(graphic) != nullptr;
  return true;
}

}  // namespace

TGraphic* TSkinImageRef::GetImage(int kind, bool share) {
  if (!NamesFile() || !Engine || !Engine->Reader) return nullptr;
  AnsiString type = Type.empty() ? SkinFileType(Name) : Type;
  if (share) {
    if (TSkinImage* entry = Engine->SharedImages.Find(Name)) {
      if (FitsKind(entry->Graphic.get(), kind)) {
        Shared = true;
        return entry->Graphic.get();
      }
      Engine->SharedImages.Remove(Name);
    }
  }
  std::unique_ptr<TGraphic> graphic = Engine->Reader->LoadGraphic(Name, type, kind, Folder);
  // A picture the loader could only give in another class (a picture of several frames
  // asked for as a bitmap) is of no use to the caller.
  if (!FitsKind(graphic.get(), kind)) return nullptr;
  if (!share) return graphic.release();
  TGraphic* result = Engine->AddSharedImage(Name, std::move(graphic));
  if (result) Shared = true;
  return result;
}

void TSkinImageRef::ReadXML(const IXMLNodePtr& element, const AnsiString& folder) {
  Name = skin::Attr(element, "Name");
  Type = skin::Attr(element, "Type");
  Folder = folder;
}
