#include "program/skin/SkinItem.h"

#include "platform/user/WinUser.h"
#include "program/imaging/BitmapUtils.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinFile.h"
#include "program/skin/SkinSlice.h"
#include "vcl/Control.h"

AnsiString SkinItemFolder(const TSkinItem* item) {
  return item && item->SkinFile ? item->SkinFile->Folder : AnsiString();
}

// ---- TSkinItemState -------------------------------------------------------------------------

TSkinItemState::TSkinItemState(TSkinItem* item, TSkinItemPart* part) : Item(item), Part(part) {}

TSkinItemState::~TSkinItemState() = default;

void TSkinItemState::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinItemState*>(source)) {
    Rect = other->Rect;
    Margins.Assign(&other->Margins);
    DestMargins.Assign(&other->DestMargins);
    Spaces.Assign(&other->Spaces);
    Font.Assign(&other->Font);
    // The copy is the source's font as it stands, including whether it was set at all.
    Font.StyleSet = other->Font.StyleSet;
    Pen.Assign(&other->Pen);
    Brush.Assign(&other->Brush);
    Shadow.Assign(&other->Shadow);
    Frames.Assign(&other->Frames);
    Alignment = other->Alignment;
    Color = other->Color;
    StateType = other->StateType;
    Grayed = other->Grayed;
    AlphaReady = false;
    RectChecked = false;
    RegionData.reset();
    return;
  }
  inherited::Assign(source);
}

TBitmap* TSkinItemState::GetBitmap() {
  TSkinImageRef* ref = nullptr;
  if (Part && Part->Graphic.NamesFile()) ref = &Part->Graphic;
  else if (Item && Item->Graphic.NamesFile()) ref = &Item->Graphic;
  else if (Item && Item->SkinFile && Item->SkinFile->Graphic.NamesFile()) ref = &Item->SkinFile->Graphic;
  if (!ref) return nullptr;
  auto* bitmap = dynamic_cast<TBitmap*>(ref->GetImage(TSkinImageRef::KindBitmap, true));
  if (!bitmap) return nullptr;
  if (!RectChecked) {
    // A rectangle that does not lie inside the image (also an inverted one) is empty, so
    // no pixel outside the image is ever read.
    if (bitmap->Width() < Rect.Right || bitmap->Height() < Rect.Bottom || Rect.Left < 0 || Rect.Top < 0 ||
        Rect.Right < Rect.Left || Rect.Bottom < Rect.Top)
      Rect = TRect(0, 0, 0, 0);
    RectChecked = true;
  }
  if (Part && Part->TransparentMode != 2 && !AlphaReady) {
    SetBitmapAlphaRect(bitmap, Rect, 255);
    AlphaReady = true;
  }
  return bitmap;
}

bool TSkinItemState::IsEmpty() const {
  if (StateType == SkinStateType::Image) return Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top;
  return !Pen.IsSet() && !Brush.IsSet();
}

// ---- TSkinItemPart --------------------------------------------------------------------------

TSkinItemPart::TSkinItemPart(TSkinItem* item)
    : Item(item), Id(item ? item->GetPartCount() : 0), Graphic(item ? item->Engine : nullptr, this) {
  Graphic.Folder = SkinItemFolder(item);
}

TSkinItemPart::~TSkinItemPart() = default;

void TSkinItemPart::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinItemPart*>(source)) {
    Id = other->Id;
    Name = other->Name;
    Position.Assign(&other->Position);
    Font.Assign(&other->Font);
    Font.StyleSet = other->Font.StyleSet;
    Margins.Assign(&other->Margins);
    Padding.Assign(&other->Padding);
    Graphic.Assign(&other->Graphic);
    Shape.Assign(&other->Shape);
    Enabled = other->Enabled;
    Visible = other->Visible;
    FillMode = other->FillMode;
    TransparentMode = other->TransparentMode;
    TransparentColor = other->TransparentColor;
    LangID = other->LangID;
    Empty = other->Empty;
    States.clear();
    for (const auto& state : other->States) {
      auto copy = std::make_unique<TSkinItemState>(Item, this);
      copy->Assign(state.get());
      AddState(std::move(copy));
    }
    // A part copied from an empty one stays empty.
    Empty = other->Empty;
    return;
  }
  inherited::Assign(source);
}

TSkinItemState* TSkinItemPart::GetState(int index) const {
  if (index < 0 || index >= GetStateCount()) return nullptr;
  return States[static_cast<size_t>(index)].get();
}

TSkinItemState* TSkinItemPart::GetStateEx(bool enabled, bool hot, bool pressed, bool focused) {
  using namespace SkinStateIndex;
  const int index = !enabled ? Disabled : pressed ? Pressed : hot ? Hot : focused ? Focused : Normal;
  TSkinItemState* state = GetState(index);
  if (state && !state->IsEmpty()) return state;
  if (!enabled) {
    if (!DisabledState && HasStates()) {
      DisabledState = std::make_unique<TSkinItemState>(Item, this);
      DisabledState->Assign(States.front().get());
      DisabledState->Grayed = true;
    }
    state = DisabledState.get();
  }
  if (state) return state;
  return GetState(Normal);
}

TColor TSkinItemPart::GetColor() const { return HasStates() ? States.front()->Color : clNone; }

TSize TSkinItemPart::GetSize() const {
  if (!HasStates()) return TSize{0, 0};
  return TSize{States.front()->GetWidth(), States.front()->GetHeight()};
}

void TSkinItemPart::ApplyToControl(TControl* control) {
  if (!control) return;
  if (control->ComponentState().Contains(csDesigning) && GetKeyState(VK_CONTROL) >= 0) return;
  Position.ApplyToControl(control);
  const TColor color = GetColor();
  if (color != clNone) control->SetColor(color);
  if (!Enabled) control->SetEnabled(false);
  if (!Visible) control->SetVisible(false);
  Font.ApplyToFont(control->Font());
}

void TSkinItemPart::AddState(std::unique_ptr<TSkinItemState> state) {
  States.push_back(std::move(state));
  Empty = false;
}

// ---- TSkinMapList ---------------------------------------------------------------------------

int32_t TSkinMapList::MapId(int32_t id, int32_t langId) const {
  for (const TSkinMapItem& entry : Items)
    if (entry.Id == id && entry.LangId == langId) return entry.Mapto;
  if (langId == 0) return id;
  for (const TSkinMapItem& entry : Items)
    if (entry.Id == id && entry.LangId == 0) return entry.Mapto;
  return id;
}

// ---- TSkinItem ------------------------------------------------------------------------------

TSkinItem::TSkinItem(TFSSkinEngine* engine, TSkinFile* file, AnsiString name)
    : Engine(engine), SkinFile(file), Name(std::move(name)), Slices(std::make_unique<TSkinSliceList>()),
      Graphic(engine, this) {
  Graphic.Folder = SkinItemFolder(this);
}

TSkinItem::~TSkinItem() = default;

void TSkinItem::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinItem*>(source)) {
    // Each item owns its map list: a copy gets a list of its own.
    MapList.reset();
    if (other->MapList) {
      MapList = std::make_unique<TSkinMapList>();
      MapList->Items = other->MapList->Items;
    }
    PartIdStart = other->PartIdStart;
    InheritFrom = other->InheritFrom;
    Graphic.Assign(&other->Graphic);
    for (const auto& part : other->Parts) {
      auto copy = std::make_unique<TSkinItemPart>(this);
      copy->Assign(part.get());
      Parts.push_back(std::move(copy));
    }
    for (int i = 0; i < other->Slices->Count(); ++i) {
      auto copy = std::make_unique<TSkinItemSlice>(this);
      copy->Assign(other->Slices->Items(i));
      Slices->Add(std::move(copy));
    }
    return;
  }
  inherited::Assign(source);
}

TSkinItemPart* TSkinItem::FindPart(int32_t id) const {
  const int32_t mapped = MapList ? MapList->MapId(id, Engine ? Engine->LanguageId : 0) : id;
  for (const auto& part : Parts)
    if (part->Id == mapped) return part.get();
  if (mapped != id)
    for (const auto& part : Parts)
      if (part->Id == id) return part.get();
  return nullptr;
}

TSkinItemPart* TSkinItem::GetPart(int index) const {
  if (index < 0 || index >= GetPartCount()) return nullptr;
  return Parts[static_cast<size_t>(index)].get();
}

TSkinItemState* TSkinItem::GetPartState(int32_t id, bool enabled, bool hot, bool pressed) const {
  TSkinItemPart* part = FindPart(id);
  return part ? part->GetStateFor(enabled, hot, pressed) : nullptr;
}

TSkinItemState* TSkinItem::GetPartStateEx(int32_t id, bool enabled, bool hot, bool pressed, bool focused) const {
  TSkinItemPart* part = FindPart(id);
  return part ? part->GetStateEx(enabled, hot, pressed, focused) : nullptr;
}

TSkinItemState* TSkinItem::GetPartStateByIndex(int32_t id, int index) const {
  if (id >= GetPartCount()) return nullptr;
  TSkinItemPart* part = FindPart(id);
  return part ? part->GetState(index) : nullptr;
}

void TSkinItem::ApplyInheritance(TSkinItem* base) {
  if (!base || base == this) return;
  Graphic.Assign(&base->Graphic);
  for (const auto& basePart : base->Parts) {
    TSkinItemPart* own = FindPart(basePart->Id);
    if (!own) own = AddPart();
    if (own->Empty) own->Assign(basePart.get());
  }
}

TSkinItemPart* TSkinItem::AddPart() {
  Parts.push_back(std::make_unique<TSkinItemPart>(this));
  return Parts.back().get();
}
