#include "vcl/ComboBox.h"

#include <algorithm>

#include "platform/comctl/ComboBox.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"

using namespace platform;

namespace {

// Owner-draw requests reach a child through its window id: each combo window gets its own.
HMENU NextChildId() {
  static UINT_PTR next = 0x7F00;
  next = next >= 0xEFFF ? 0x7F00 : next + 1;
  return reinterpret_cast<HMENU>(next);
}

}  // namespace

TOwnerDrawState OwnerDrawStateOf(UINT itemState) {
  TOwnerDrawState state;
  if (itemState & ODS_SELECTED) state.Include(odSelected);
  if (itemState & ODS_GRAYED) state.Include(odGrayed);
  if (itemState & ODS_DISABLED) state.Include(odDisabled);
  if (itemState & ODS_CHECKED) state.Include(odChecked);
  if (itemState & ODS_FOCUS) state.Include(odFocused);
  if (itemState & ODS_DEFAULT) state.Include(odDefault);
  if (itemState & ODS_HOTLIGHT) state.Include(odHotLight);
  if (itemState & ODS_INACTIVE) state.Include(odInactive);
  if (itemState & ODS_NOACCEL) state.Include(odNoAccel);
  if (itemState & ODS_NOFOCUSRECT) state.Include(odNoFocusRect);
  if (itemState & ODS_COMBOBOXEDIT) state.Include(odComboBoxEdit);
  return state;
}

// ---- the items ------------------------------------------------------------------------------------

int TCustomComboBoxStrings::Count() const {
  if (!FComboBox->HandleAllocated()) return FComboBox->FSaveItems->Count();
  return static_cast<int>(FComboBox->Perform(CB_GETCOUNT));
}

AnsiString TCustomComboBoxStrings::Get(int index) const {
  if (!FComboBox->HandleAllocated()) return FComboBox->FSaveItems->Get(index);
  const LRESULT length = FComboBox->Perform(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length == CB_ERR) throw EListError(Format("List index out of bounds (%d)", {index}));
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  FComboBox->Perform(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return WideToUTF8(text);
}

TObject* TCustomComboBoxStrings::GetObject(int index) const {
  if (!FComboBox->HandleAllocated()) return FComboBox->FSaveItems->GetObject(index);
  const LRESULT data = FComboBox->Perform(CB_GETITEMDATA, static_cast<WPARAM>(index));
  if (data == CB_ERR) throw EListError(Format("List index out of bounds (%d)", {index}));
  return reinterpret_cast<TObject*>(data);
}

void TCustomComboBoxStrings::PutObject(int index, TObject* object) {
  if (!FComboBox->HandleAllocated()) {
    FComboBox->FSaveItems->PutObject(index, object);
    return;
  }
  FComboBox->Perform(CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object));
}

void TCustomComboBoxStrings::Insert(int index, const AnsiString& value) {
  if (!FComboBox->HandleAllocated()) {
    FComboBox->FSaveItems->Insert(index, value);
    return;
  }
  const WideString text = UTF8ToWide(value);
  if (FComboBox->Perform(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())) < 0)
    throw EOutOfResources("Not enough memory to add an item to the list");
}

int TCustomComboBoxStrings::Add(const AnsiString& value) {
  if (!FComboBox->HandleAllocated()) return FComboBox->FSaveItems->Add(value);
  const WideString text = UTF8ToWide(value);
  const LRESULT index = FComboBox->Perform(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index < 0) throw EOutOfResources("Not enough memory to add an item to the list");
  return static_cast<int>(index);
}

void TCustomComboBoxStrings::Delete(int index) {
  if (!FComboBox->HandleAllocated()) {
    FComboBox->FSaveItems->Delete(index);
    return;
  }
  FComboBox->Perform(CB_DELETESTRING, static_cast<WPARAM>(index));
}

void TCustomComboBoxStrings::Clear() {
  if (!FComboBox->HandleAllocated()) {
    FComboBox->FSaveItems->Clear();
    return;
  }
  const AnsiString text = FComboBox->Text();
  FComboBox->Perform(CB_RESETCONTENT);
  FComboBox->SetText(text);
  FComboBox->Update();
}

int TCustomComboBoxStrings::IndexOf(const AnsiString& value) const {
  if (!FComboBox->HandleAllocated()) return FComboBox->FSaveItems->IndexOf(value);
  const WideString text = UTF8ToWide(value);
  return static_cast<int>(
      FComboBox->Perform(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())));
}

void TCustomComboBoxStrings::SetUpdateState(bool updating) {
  if (updating) {
    FSavedIndex = FComboBox->ItemIndex();
    if (FComboBox->HandleAllocated()) FComboBox->Perform(WM_SETREDRAW, FALSE);
    return;
  }
  if (FComboBox->HandleAllocated()) FComboBox->Perform(WM_SETREDRAW, TRUE);
  // The choice made before the update is chosen again (as far as the list still has it).
  FComboBox->SetItemIndex(FSavedIndex < Count() ? FSavedIndex : -1);
  FComboBox->Invalidate();
}

// ---- TCustomCombo ---------------------------------------------------------------------------------

void TCustomCombo::DescribeClass(TClassBuilder<TCustomCombo>& c) {
  c.Property("DropDownCount", &TCustomCombo::DropDownCount, &TCustomCombo::SetDropDownCount).Default(8);
  c.Property("MaxLength", &TCustomCombo::MaxLength, &TCustomCombo::SetMaxLength).Default(0);
  c.Property("ItemIndex", &TCustomCombo::ItemIndex, &TCustomCombo::SetItemIndex).Default(-1);
  c.Property("OnChange", &TCustomCombo::OnChange);
  c.Property("OnSelect", &TCustomCombo::OnSelect);
  c.Property("OnDropDown", &TCustomCombo::OnDropDown);
  c.Property("OnCloseUp", &TCustomCombo::OnCloseUp);
}

TCustomCombo::TCustomCombo(TComponent* owner)
    : TCustomListControl(owner), FSaveItems(std::make_unique<TStringList>()) {
  FControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight};
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  FTabStop = true;
  SetBounds(Left(), Top(), 145, 25);
}

TCustomCombo::~TCustomCombo() = default;

TStrings* TCustomCombo::CreateItems() { return new TCustomComboBoxStrings(this); }

void TCustomCombo::SetItems(TStrings* value) { FItems->Assign(value); }

void TCustomCombo::SetDropDownCount(int value) { FDropDownCount = std::max(1, value); }

void TCustomCombo::SetMaxLength(int value) {
  FMaxLength = std::max(0, value);
  if (HandleAllocated()) Perform(CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength));
}

int TCustomCombo::GetItemHt() {
  if (HandleAllocated()) return static_cast<int>(Perform(CB_GETITEMHEIGHT, 0));
  return FItemHeight;
}

void TCustomCombo::SetItemHeight(int value) {
  if (value <= 0) return;
  FItemHeight = value;
  if (HandleAllocated()) Perform(CB_SETITEMHEIGHT, 0, value);
}

bool TCustomCombo::DroppedDown() { return HandleAllocated() && Perform(CB_GETDROPPEDSTATE) != 0; }

void TCustomCombo::SetDroppedDown(bool value) { Perform(CB_SHOWDROPDOWN, value ? TRUE : FALSE); }

int TCustomCombo::SelStart() {
  if (!HandleAllocated()) return 0;
  DWORD start = 0, end = 0;
  Perform(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TCustomCombo::SetSelStart(int value) {
  if (HandleAllocated()) Perform(CB_SETEDITSEL, 0, MAKELPARAM(value, value));
}

int TCustomCombo::SelLength() {
  if (!HandleAllocated()) return 0;
  DWORD start = 0, end = 0;
  Perform(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomCombo::SetSelLength(int value) {
  if (HandleAllocated()) {
    const int start = SelStart();
    Perform(CB_SETEDITSEL, 0, MAKELPARAM(start, start + value));
  }
}

void TCustomCombo::SelectAll() {
  if (HandleAllocated()) Perform(CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

int TCustomCombo::GetCount() { return FItems->Count(); }

int TCustomCombo::GetItemIndex() {
  if (!HandleAllocated()) return FSaveIndex;
  return static_cast<int>(Perform(CB_GETCURSEL));
}

void TCustomCombo::DoSetItemIndex(int value) {
  if (!HandleAllocated()) {
    FSaveIndex = value >= -1 && value < FSaveItems->Count() ? value : -1;
    return;
  }
  if (GetItemIndex() != value) Perform(CB_SETCURSEL, static_cast<WPARAM>(value));
}

void TCustomCombo::AddItem(const AnsiString& item, TObject* object) { FItems->AddObject(item, object); }

void TCustomCombo::Clear() {
  SetTextStore("");
  FItems->Clear();
  if (HandleAllocated()) TControl::SetText("");
}

void TCustomCombo::ClearSelection() { SetItemIndex(-1); }

void TCustomCombo::CopySelection(TCustomListControl* destination) {
  const int index = ItemIndex();
  if (index >= 0 && destination) destination->AddItem(FItems->Get(index), FItems->GetObject(index));
}

void TCustomCombo::DeleteSelected() {
  const int index = ItemIndex();
  if (index >= 0) FItems->Delete(index);
}

void TCustomCombo::CreateParams(TCreateParams& params) {
  InitCommonControls();
  inherited::CreateParams(params);
  CreateSubClass(params, WC_COMBOBOXA);
  params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
}

void TCustomCombo::CreateWindowHandle(const TCreateParams& params) {
  HWND hwnd = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                              params.X, params.Y, params.Width, params.Height, params.WndParent,
                              (params.Style & WS_CHILD) ? NextChildId() : nullptr, nullptr, params.Param);
  if (hwnd) FHandle = hwnd;
}

void TCustomCombo::CreateWnd() {
  inherited::CreateWnd();
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (GetComboBoxInfo(FHandle, &info)) {
    FEditHandle = info.hwndItem != FHandle ? info.hwndItem : nullptr;
    FListHandle = info.hwndList;
  }
  Perform(CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength));
  // The items and the selection kept while there was no window.
  if (FSaveItems->Count() > 0 || FSaveIndex >= 0) {
    TStringList saved;
    saved.Assign(FSaveItems.get());
    FSaveItems->Clear();
    for (int i = 0; i < saved.Count(); ++i) FItems->AddObject(saved.Get(i), saved.GetObject(i));
    const int index = FSaveIndex;
    FSaveIndex = -1;
    if (index >= 0) SetItemIndex(index);
  }
}

void TCustomCombo::DestroyWnd() {
  if (HandleAllocated()) {
    FSaveIndex = -1;
    TStringList saved;
    for (int i = 0; i < FItems->Count(); ++i) saved.AddObject(FItems->Get(i), FItems->GetObject(i));
    FSaveIndex = ItemIndex();
    FSaveItems->Assign(&saved);
  }
  FEditHandle = FListHandle = FDropHandle = nullptr;
  inherited::DestroyWnd();
}

void TCustomCombo::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); return; }
    case WM_PARENTNOTIFY: WMParentNotify(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TCustomCombo::WMParentNotify(TMessage& m) {
  if (LOWORD(m.WParam) == WM_CREATE && HIWORD(m.WParam) == kComboListId) {
    FListHandle = reinterpret_cast<HWND>(m.LParam);
    if (GetWindowLongPtrA(FListHandle, GWL_STYLE) & WS_POPUP) FDropHandle = FListHandle;
  }
  DefaultHandler(m);
}

void TCustomCombo::AdjustDropDown() {
  if (!HandleAllocated()) return;
  const int count = std::clamp(ItemCount(), 1, FDropDownCount);
  FDroppingDown = true;
  // The height the window is given beyond its field is the dropped list's.
  SetWindowPos(FHandle, nullptr, 0, 0, Width(), GetItemHt() * count + Height() + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  FDroppingDown = false;
}

void TCustomCombo::CNCommand(TWMCommand& m) {
  switch (m.NotifyCode) {
    case CBN_DBLCLK: DblClick(); break;
    case CBN_EDITCHANGE: Change(); break;
    case CBN_DROPDOWN:
      DropDown();
      AdjustDropDown();
      break;
    case CBN_SELCHANGE:
      Click();
      Select();
      break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: break;
  }
}

void TCustomCombo::Change() {
  if (OnChange) OnChange(this);
}

void TCustomCombo::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TCustomCombo::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomCombo::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

// ---- TCustomComboBox ------------------------------------------------------------------------------

void TCustomComboBox::DescribeClass(TClassBuilder<TCustomComboBox>& c) {
  c.Property("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
  c.Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(0);
  c.Property("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase).Default(ecNormal);
  c.Property("AutoComplete", &TCustomComboBox::AutoComplete, &TCustomComboBox::SetAutoComplete).Default(1);
  c.Property("AutoDropDown", &TCustomComboBox::AutoDropDown, &TCustomComboBox::SetAutoDropDown).Default(0);
  c.Property("AutoCloseUp", &TCustomComboBox::AutoCloseUp, &TCustomComboBox::SetAutoCloseUp).Default(0);
  c.Property("OnDrawItem", &TCustomComboBox::OnDrawItem);
  c.Property("OnMeasureItem", &TCustomComboBox::OnMeasureItem);
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TCustomCombo(owner), FCanvas(std::make_unique<TControlCanvas>()) {
  FItems.reset(CreateItems());
  FCanvas->SetControl(this);
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool value) {
  if (FSorted == value) return;
  FSorted = value;
  RecreateWnd();
}

void TCustomComboBox::SetCharCase(TEditCharCase value) {
  if (FCharCase == value) return;
  FCharCase = value;
  RecreateWnd();
}

void TCustomComboBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  static const DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                  CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  params.Style |= kStyles[static_cast<int>(FStyle)];
  if (FSorted) params.Style |= CBS_SORT;
  if (FCharCase == ecUpperCase) params.Style |= CBS_UPPERCASE;
  else if (FCharCase == ecLowerCase) params.Style |= CBS_LOWERCASE;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

int TCustomComboBox::GetItemHt() {
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) return FItemHeight;
  return inherited::GetItemHt();
}

void TCustomComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_DRAWITEM: CNDrawItem(m); return;
    case CN_MEASUREITEM: CNMeasureItem(m); return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORLISTBOX: CNCtlColor(m); return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX: CNCtlColor(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TCustomComboBox::CNCommand(TWMCommand& m) {
  if (m.NotifyCode == CBN_EDITCHANGE && FEditHandle && !FCompleting) {
    const int length = GetWindowTextLengthW(FEditHandle);
    std::u16string typed(static_cast<size_t>(length) + 1, u'\0');
    typed.resize(static_cast<size_t>(GetWindowTextW(FEditHandle, typed.data(), length + 1)));
    const bool grew = typed.size() > FLastTextLength;
    FLastTextLength = typed.size();
    if (FAutoDropDown && !typed.empty() && !DroppedDown()) SetDroppedDown(true);
    if (FAutoComplete && grew && !typed.empty()) {
      const LRESULT found = Perform(CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(typed.c_str()));
      if (found >= 0) {
        FCompleting = true;
        Perform(CB_SETCURSEL, static_cast<WPARAM>(found));
        const int full = GetWindowTextLengthW(FEditHandle);
        Perform(CB_SETEDITSEL, 0, MAKELPARAM(typed.size(), full));
        FCompleting = false;
        FLastTextLength = typed.size();
        inherited::CNCommand(m);
        Click();
        Select();
        return;
      }
    }
  }
  if (m.NotifyCode == CBN_SELCHANGE && FAutoCloseUp && DroppedDown()) {
    inherited::CNCommand(m);
    SetDroppedDown(false);
    return;
  }
  inherited::CNCommand(m);
}

void TCustomComboBox::CNCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  SetBkColor(dc, ColorToRGB(FColor));
  FBrush->SetColor(FColor);
  m.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
}

void TCustomComboBox::CNDrawItem(TMessage& m) {
  const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
  TOwnerDrawState state = OwnerDrawStateOf(draw->itemState);
  TCanvasLock lock(FCanvas.get());
  FCanvas->SetHandle(draw->hDC);
  FCanvas->SetFont(FFont.get());
  FCanvas->Brush()->SetColor(FColor);
  if (state.Contains(odSelected)) {
    FCanvas->Brush()->SetColor(clHighlight);
    FCanvas->Font()->SetColor(clHighlightText);
  }
  const TRect rect(draw->rcItem.left, draw->rcItem.top, draw->rcItem.right, draw->rcItem.bottom);
  const int index = static_cast<int>(draw->itemID);
  DrawItem(index < static_cast<int>(Items()->Count()) ? index : -1, rect, state);
  if (state.Contains(odFocused) && !state.Contains(odNoFocusRect)) {
    RECT focus = draw->rcItem;
    DrawFocusRect(draw->hDC, &focus);
  }
  FCanvas->SetHandle(nullptr);
  m.Result = TRUE;
}

void TCustomComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  FCanvas->FillRect(rect);
  if (index >= 0) FCanvas->TextOut(rect.Left + 2, rect.Top, Items()->Get(index));
}

void TCustomComboBox::CNMeasureItem(TMessage& m) {
  auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
  int height = FItemHeight;
  if (FStyle == csOwnerDrawVariable && measure->itemID != static_cast<UINT>(-1))
    MeasureItem(static_cast<int>(measure->itemID), height);
  measure->itemHeight = static_cast<UINT>(std::max(1, height));
  m.Result = TRUE;
}

void TCustomComboBox::MeasureItem(int index, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}
