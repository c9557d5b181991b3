#include "vcl/ImageList.h"

#include <algorithm>

using namespace platform;

// ---- TChangeLink ------------------------------------------------------------------------------

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

// ---- TCustomImageList -------------------------------------------------------------------------

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : FLinks) link->SetSender(nullptr);
  FLinks.clear();
  if (FHandle) ImageList_Destroy(FHandle);
}

void TCustomImageList::DescribeClass(TClassBuilder<TCustomImageList>& c) {
  c.Property("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor).Type(ColorTypeInfo()).Default(clNone);
  c.Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16);
  c.Property("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked).Default(true);
  c.Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16);
}

COLORREF TCustomImageList::PlatformBkColor() const { return FBkColor == clNone ? CLR_NONE : ColorToRGB(FBkColor); }

void TCustomImageList::CreateList() {
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (FMasked ? ILC_MASK : 0), 4, 4);
  if (!FHandle) throw EInvalidOperation("Cannot make the image list");
  ImageList_SetBkColor(FHandle, PlatformBkColor());
}

HIMAGELIST TCustomImageList::Handle() {
  if (!FHandle) CreateList();
  return FHandle;
}

int TCustomImageList::Count() const { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) return;
  link->SetSender(this);
  FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), link);
  if (it == FLinks.end()) return;
  (*it)->SetSender(nullptr);
  FLinks.erase(it);
}

void TCustomImageList::Change() {
  // A link may unregister itself from its handler: walk a copy.
  const std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
  if (FOnChange) FOnChange(this);
}

void TCustomImageList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
}

void TCustomImageList::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) throw EInvalidOperation("Invalid image size");
  if (width == FWidth && height == FHeight) return;
  FWidth = width;
  FHeight = height;
  if (FHandle) ImageList_SetIconSize(FHandle, width, height);
  Change();
}

void TCustomImageList::SetMasked(bool value) {
  if (value == FMasked) return;
  FMasked = value;
  if (FHandle) {
    // The images move to a list of the new kind, with their masks.
    HIMAGELIST old = FHandle;
    FHandle = nullptr;
    CreateList();
    IMAGEINFO info{};
    if (ImageList_GetImageCount(old) > 0 && ImageList_GetImageInfo(old, 0, &info))
      ImageList_Add(FHandle, info.hbmImage, info.hbmMask);
    ImageList_Destroy(old);
  }
  Change();
}

void TCustomImageList::SetBkColor(TColor value) {
  if (value == FBkColor) return;
  FBkColor = value;
  if (FHandle) ImageList_SetBkColor(FHandle, PlatformBkColor());
  Change();
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->Empty()) return -1;
  const int first = ImageList_Add(Handle(), image->Handle(), mask && !mask->Empty() ? mask->Handle() : nullptr);
  if (first >= 0) Change();
  return first;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image || image->Empty()) return -1;
  if (maskColor == clDefault) maskColor = image->Canvas()->Pixels(0, image->Height() - 1);
  const int first = ImageList_AddMasked(Handle(), image->Handle(), ColorToRGB(maskColor) & 0xFFFFFF);
  if (first >= 0) Change();
  return first;
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  CheckIndex(index);
  if (!image || image->Empty() ||
      !ImageList_Replace(Handle(), index, image->Handle(), mask && !mask->Empty() ? mask->Handle() : nullptr))
    throw EInvalidOperation("Failed to replace image");
  Change();
}

void TCustomImageList::Delete(int index) {
  CheckIndex(index);
  ImageList_Remove(FHandle, index);
  Change();
}

void TCustomImageList::Clear() {
  if (Count() == 0) return;
  ImageList_Remove(FHandle, -1);
  Change();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  if (!canvas || index < 0 || index >= Count()) return;
  IMAGELISTDRAWPARAMS params{};
  params.cbSize = sizeof params;
  params.himl = FHandle;
  params.i = index;
  params.hdcDst = canvas->Handle();
  params.x = x;
  params.y = y;
  params.rgbBk = CLR_DEFAULT;
  params.rgbFg = CLR_DEFAULT;
  params.fStyle = ILD_NORMAL;
  params.fState = enabled ? ILS_NORMAL : ILS_SATURATE;
  ImageList_DrawIndirect(&params);
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image) {
  if (!image || index < 0 || index >= Count()) return false;
  image->SetSize(FWidth, FHeight);
  image->Canvas()->Brush()->SetColor(FBkColor == clNone ? clBlack : FBkColor);
  image->Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
  Draw(image->Canvas(), 0, 0, index);
  return true;
}
