#include "vcl/TabControl.h"

#include <algorithm>

#include "platform/comctl/TabControl.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"
#include "vcl/GraphicsObject.h"

using namespace platform;

namespace {

// Owner-draw requests reach a child through its window id: each tab window gets its own.
HMENU NextTabId() {
  static UINT_PTR next = 0x6F00;
  next = next >= 0x7EFF ? 0x6F00 : next + 1;
  return reinterpret_cast<HMENU>(next);
}

EListError TabIndexError(int index) { return EListError(Format("Tab index out of bounds (%d)", {index})); }

}  // namespace

// ---- the tab strings ------------------------------------------------------------------------------

int TTabStrings::Count() const {
  if (!FTabControl->HandleAllocated()) return FTabControl->FSaveTabs->Count();
  return static_cast<int>(FTabControl->Perform(TCM_GETITEMCOUNT));
}

AnsiString TTabStrings::Get(int index) const {
  if (!FTabControl->HandleAllocated()) return FTabControl->FSaveTabs->Get(index);
  std::u16string buffer(4096, u'\0');
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  if (!FTabControl->Perform(TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
    throw TabIndexError(index);
  buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
  return WideToUTF8(buffer);
}

void TTabStrings::Put(int index, const AnsiString& value) {
  if (!FTabControl->HandleAllocated()) {
    FTabControl->FSaveTabs->Put(index, value);
    return;
  }
  WideString text = UTF8ToWide(value);
  TCITEMW item{};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = text.data();
  item.iImage = FTabControl->GetImageIndex(index);
  if (!FTabControl->Perform(TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
    throw TabIndexError(index);
  FTabControl->TabsChanged();
}

TObject* TTabStrings::GetObject(int index) const {
  if (!FTabControl->HandleAllocated()) return FTabControl->FSaveTabs->GetObject(index);
  TCITEMW item{};
  item.mask = TCIF_PARAM;
  if (!FTabControl->Perform(TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
    throw TabIndexError(index);
  return reinterpret_cast<TObject*>(item.lParam);
}

void TTabStrings::PutObject(int index, TObject* object) {
  if (!FTabControl->HandleAllocated()) {
    FTabControl->FSaveTabs->PutObject(index, object);
    return;
  }
  TCITEMW item{};
  item.mask = TCIF_PARAM;
  item.lParam = reinterpret_cast<LPARAM>(object);
  if (!FTabControl->Perform(TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
    throw TabIndexError(index);
}

void TTabStrings::Insert(int index, const AnsiString& value) {
  if (!FTabControl->HandleAllocated()) {
    FTabControl->FSaveTabs->Insert(index, value);
    // As the window does: the first tab is selected when it comes.
    if (FTabControl->FSaveTabIndex < 0 && FTabControl->FSaveTabs->Count() == 1) FTabControl->FSaveTabIndex = 0;
    else if (FTabControl->FSaveTabIndex >= index) ++FTabControl->FSaveTabIndex;
    return;
  }
  WideString text = UTF8ToWide(value);
  TCITEMW item{};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = text.data();
  item.iImage = FTabControl->GetImageIndex(index);
  if (FTabControl->Perform(TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) < 0)
    throw EOutOfResources(Format("Failed to set tab %d", {index}));
  FTabControl->TabsChanged();
}

void TTabStrings::Delete(int index) {
  if (!FTabControl->HandleAllocated()) {
    FTabControl->FSaveTabs->Delete(index);
    int& saved = FTabControl->FSaveTabIndex;
    if (saved == index) saved = -1;
    else if (saved > index) --saved;
    return;
  }
  if (!FTabControl->Perform(TCM_DELETEITEM, static_cast<WPARAM>(index))) throw TabIndexError(index);
  FTabControl->TabsChanged();
}

void TTabStrings::Clear() {
  if (!FTabControl->HandleAllocated()) {
    FTabControl->FSaveTabs->Clear();
    FTabControl->FSaveTabIndex = -1;
    return;
  }
  FTabControl->Perform(TCM_DELETEALLITEMS);
  FTabControl->TabsChanged();
}

// ---- TCustomTabControl ----------------------------------------------------------------------------

void TCustomTabControl::DescribeClass(TClassBuilder<TCustomTabControl>& c) {
  c.Property("TabPosition", &TCustomTabControl::TabPosition, &TCustomTabControl::SetTabPosition).Default(tpTop);
  c.Property("Style", &TCustomTabControl::Style, &TCustomTabControl::SetStyle).Default(tsTabs);
  c.Property("MultiLine", &TCustomTabControl::MultiLine, &TCustomTabControl::SetMultiLine).Default(0);
  c.Property("HotTrack", &TCustomTabControl::HotTrack, &TCustomTabControl::SetHotTrack).Default(0);
  c.Property("RaggedRight", &TCustomTabControl::RaggedRight, &TCustomTabControl::SetRaggedRight).Default(0);
  c.Property("OwnerDraw", &TCustomTabControl::OwnerDraw, &TCustomTabControl::SetOwnerDraw).Default(0);
  c.Property("TabHeight", &TCustomTabControl::TabHeight, &TCustomTabControl::SetTabHeight).Default(0);
  c.Property("TabWidth", &TCustomTabControl::TabWidth, &TCustomTabControl::SetTabWidth).Default(0);
  c.Property("OnChanging", &TCustomTabControl::OnChanging);
  c.Property("OnChange", &TCustomTabControl::OnChange);
  c.Property("OnDrawTab", &TCustomTabControl::OnDrawTab);
}

TCustomTabControl::TCustomTabControl(TComponent* owner)
    : TWinControl(owner),
      FTabs(std::make_unique<TTabStrings>(this)),
      FSaveTabs(std::make_unique<TStringList>()),
      FCanvas(std::make_unique<TControlCanvas>()),
      FImageChangeLink(std::make_unique<TChangeLink>()) {
  FImageChangeLink->OnChange = [this](TObject* sender) { ImageListChange(sender); };
  FControlStyle = TControlStyle{csAcceptsControls, csDoubleClicks};
  FTabStop = true;
  FCanvas->SetControl(this);
  SetBounds(Left(), Top(), 289, 193);
}

TCustomTabControl::~TCustomTabControl() {
  if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
}

int TCustomTabControl::TabIndex() {
  if (!HandleAllocated()) return FSaveTabIndex;
  return static_cast<int>(Perform(TCM_GETCURSEL));
}

void TCustomTabControl::SetTabIndex(int value) {
  if (!HandleAllocated()) {
    FSaveTabIndex = value >= -1 && value < FSaveTabs->Count() ? value : FSaveTabIndex;
    return;
  }
  Perform(TCM_SETCURSEL, static_cast<WPARAM>(value));
}

void TCustomTabControl::SetTabPosition(TTabPosition value) {
  if (FTabPosition == value) return;
  FTabPosition = value;
  RecreateWnd();
}

void TCustomTabControl::SetStyle(TTabStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  RecreateWnd();
}

void TCustomTabControl::SetMultiLine(bool value) {
  if (FMultiLine == value) return;
  FMultiLine = value;
  RecreateWnd();
}

void TCustomTabControl::SetHotTrack(bool value) {
  if (FHotTrack == value) return;
  FHotTrack = value;
  RecreateWnd();
}

void TCustomTabControl::SetRaggedRight(bool value) {
  if (FRaggedRight == value) return;
  FRaggedRight = value;
  RecreateWnd();
}

void TCustomTabControl::SetOwnerDraw(bool value) {
  if (FOwnerDraw == value) return;
  FOwnerDraw = value;
  RecreateWnd();
}

void TCustomTabControl::SetTabHeight(int value) {
  FTabHeight = std::max(0, value);
  if (HandleAllocated()) {
    Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
    TabsChanged();
  }
}

void TCustomTabControl::SetTabWidth(int value) {
  FTabWidth = std::max(0, value);
  if (HandleAllocated()) RecreateWnd();
}

void TCustomTabControl::SetImages(TCustomImageList* value) {
  if (FImages == value) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = value;
  if (FImages) {
    FImages->RegisterChanges(FImageChangeLink.get());
    FImages->FreeNotification(this);
  }
  UpdateTabImages();
}

void TCustomTabControl::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FImages) {
    FImages = nullptr;
    if (HandleAllocated()) Perform(TCM_SETIMAGELIST, 0, 0);
  }
}

int TCustomTabControl::GetImageIndex(int tabIndex) { return FImages ? tabIndex : -1; }

void TCustomTabControl::ImageListChange(TObject* sender) {
  (void)sender;
  UpdateTabImages();
}

void TCustomTabControl::UpdateTabImages() {
  if (!HandleAllocated()) return;
  Perform(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
  for (int i = 0; i < FTabs->Count(); ++i) {
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    item.iImage = GetImageIndex(i);
    Perform(TCM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

TRect TCustomTabControl::DisplayRect() {
  TRect client = ClientRect();
  if (!HandleAllocated()) return client;
  RECT rect{client.Left, client.Top, client.Right, client.Bottom};
  Perform(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
  return TRect(rect.left, rect.top, rect.right, rect.bottom);
}

int TCustomTabControl::IndexOfTabAt(int x, int y) {
  if (!HandleAllocated()) return -1;
  TCHITTESTINFO info{POINT{x, y}, 0};
  return static_cast<int>(Perform(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

int TCustomTabControl::RowCount() { return HandleAllocated() ? static_cast<int>(Perform(TCM_GETROWCOUNT)) : 0; }

TRect TCustomTabControl::TabRect(int index) {
  RECT rect{};
  if (HandleAllocated()) Perform(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return TRect(rect.left, rect.top, rect.right, rect.bottom);
}

void TCustomTabControl::AdjustClientRect(TRect& rect) { rect = DisplayRect(); }

void TCustomTabControl::TabsChanged() {
  if (HandleAllocated()) Realign();
}

void TCustomTabControl::CreateParams(TCreateParams& params) {
  InitCommonControls();
  inherited::CreateParams(params);
  CreateSubClass(params, WC_TABCONTROLA);
  params.Style |= WS_CLIPCHILDREN;
  switch (FTabPosition) {
    case tpTop: break;
    case tpBottom: params.Style |= TCS_BOTTOM; break;
    case tpLeft: params.Style |= TCS_VERTICAL; break;
    case tpRight: params.Style |= TCS_VERTICAL | TCS_RIGHT; break;
  }
  if (FStyle == tsButtons) params.Style |= TCS_BUTTONS;
  if (FStyle == tsFlatButtons) params.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
  if (FMultiLine) params.Style |= TCS_MULTILINE;
  if (FHotTrack) params.Style |= TCS_HOTTRACK;
  if (FRaggedRight) params.Style |= TCS_RAGGEDRIGHT;
  if (FOwnerDraw) params.Style |= TCS_OWNERDRAWFIXED;
  if (FTabWidth > 0) params.Style |= TCS_FIXEDWIDTH;
}

void TCustomTabControl::CreateWindowHandle(const TCreateParams& params) {
  HWND hwnd = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                              params.X, params.Y, params.Width, params.Height, params.WndParent,
                              (params.Style & WS_CHILD) ? NextTabId() : nullptr, nullptr, params.Param);
  if (hwnd) FHandle = hwnd;
}

void TCustomTabControl::CreateWnd() {
  inherited::CreateWnd();
  if (FTabWidth > 0 || FTabHeight > 0) Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
  if (FSaveTabs->Count() > 0) {
    TStringList saved;
    saved.Assign(FSaveTabs.get());
    const int index = FSaveTabIndex;
    FSaveTabs->Clear();
    FSaveTabIndex = -1;
    for (int i = 0; i < saved.Count(); ++i) FTabs->AddObject(saved.Get(i), saved.GetObject(i));
    Perform(TCM_SETCURSEL, static_cast<WPARAM>(index));
  }
  UpdateTabImages();
  TabsChanged();
}

void TCustomTabControl::DestroyWnd() {
  if (HandleAllocated()) {
    TStringList saved;
    for (int i = 0; i < FTabs->Count(); ++i) saved.AddObject(FTabs->Get(i), FTabs->GetObject(i));
    const int index = TabIndex();
    FSaveTabs->Assign(&saved);
    FSaveTabIndex = index;
  }
  inherited::DestroyWnd();
}

void TCustomTabControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: { TWMNotify v(m); CNNotify(v); return; }
    case CN_DRAWITEM: CNDrawItem(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TCustomTabControl::CNNotify(TWMNotify& m) {
  if (!m.NMHdr) return;
  switch (m.NMHdr->code) {
    case TCN_SELCHANGING: m.SetResult(CanChange() ? 0 : 1); return;
    case TCN_SELCHANGE: Change(); return;
    default: return;
  }
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::CNDrawItem(TMessage& m) {
  const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
  TCanvasLock lock(FCanvas.get());
  FCanvas->SetHandle(draw->hDC);
  FCanvas->SetFont(FFont.get());
  FCanvas->Brush()->SetColor(FColor);
  DrawTab(static_cast<int>(draw->itemID), TRect(draw->rcItem.left, draw->rcItem.top, draw->rcItem.right, draw->rcItem.bottom),
          (draw->itemState & ODS_SELECTED) != 0);
  FCanvas->SetHandle(nullptr);
  m.Result = TRUE;
}

void TCustomTabControl::DrawTab(int tabIndex, const TRect& rect, bool active) {
  if (OnDrawTab) OnDrawTab(this, tabIndex, rect, active);
  else FCanvas->FillRect(rect);
}

// ---- TTabSheet ------------------------------------------------------------------------------------

void TTabSheet::DescribeClass(TClassBuilder<TTabSheet>& c) {
  c.Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false);
  c.Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(1);
  c.Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex).Default(-1);
  c.Property("Highlighted", &TTabSheet::Highlighted, &TTabSheet::SetHighlighted).Default(0);
  c.Property("OnShow", &TTabSheet::OnShow);
  c.Property("OnHide", &TTabSheet::OnHide);
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  FControlStyle = TControlStyle{csAcceptsControls, csNoDesignVisible};
  FVisible = false;
  SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* value) {
  if (FPageControl == value) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(value);
  if (value) value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  const auto& pages = FPageControl->FPages;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int value) {
  if (FPageControl) FPageControl->MovePage(this, value);
}

int TTabSheet::TabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int index = 0;
  for (TTabSheet* page : FPageControl->FPages) {
    if (page == this) return index;
    if (page->FTabVisible) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool value) {
  if (FTabVisible == value) return;
  FTabVisible = value;
  if (FPageControl) FPageControl->UpdateTab(this);
}

void TTabSheet::SetImageIndex(int value) {
  if (FImageIndex == value) return;
  FImageIndex = value;
  if (FPageControl) FPageControl->UpdateTabImages();
}

void TTabSheet::SetHighlighted(bool value) {
  if (FHighlighted == value) return;
  FHighlighted = value;
  if (FPageControl && FPageControl->HandleAllocated() && TabIndex() >= 0)
    FPageControl->Perform(TCM_HIGHLIGHTITEM, static_cast<WPARAM>(TabIndex()), MAKELONG(value ? TRUE : FALSE, 0));
}

void TTabSheet::ReadState(TReader* reader) {
  inherited::ReadState(reader);
  // A sheet read from a form joins the page control it is read into.
  if (auto* pages = dynamic_cast<TPageControl*>(Parent())) SetPageControl(pages);
}

void TTabSheet::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  if (FPageControl && FTabShowing) {
    const int index = TabIndex();
    if (index >= 0) FPageControl->Tabs()->Put(index, GetText());
  }
}

void TTabSheet::CMVisibleChanged(TMessage& m) {
  inherited::CMVisibleChanged(m);
  if (FVisible) DoShow();
  else DoHide();
}

void TTabSheet::DoShow() {
  if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
  if (OnHide) OnHide(this);
}

// ---- TPageControl ---------------------------------------------------------------------------------

void TPageControl::DescribeClass(TClassBuilder<TPageControl>& c) { (void)c; }

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {
  FControlStyle = TControlStyle{csDoubleClicks};
}

TPageControl::~TPageControl() {
  for (TTabSheet* page : FPages) page->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FPages[static_cast<size_t>(index)];
}

int TPageControl::PageIndexFromTabIndex(int tabIndex) const {
  if (tabIndex < 0) return -1;
  int tab = 0;
  for (size_t i = 0; i < FPages.size(); ++i) {
    if (!FPages[i]->FTabVisible) continue;
    if (tab == tabIndex) return static_cast<int>(i);
    ++tab;
  }
  return -1;
}

void TPageControl::InsertPage(TTabSheet* page) {
  FPages.push_back(page);
  page->FPageControl = this;
  RebuildTabs();
  // The first page shown is the active one, so the strip and the page agree from the start.
  if (!FActivePage && page->FTabVisible) SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(FPages.begin(), FPages.end(), page);
  if (it == FPages.end()) return;
  if (page == FActivePage) {
    TTabSheet* next = FindNextPage(page, true, true);
    if (next == page) next = nullptr;
    SetActivePage(next);
    if (FActivePage == page) ChangeActivePage(nullptr);
  }
  FPages.erase(std::find(FPages.begin(), FPages.end(), page));
  page->FPageControl = nullptr;
  page->FTabShowing = false;
  RebuildTabs();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  auto it = std::find(FPages.begin(), FPages.end(), page);
  if (it == FPages.end()) return;
  FPages.erase(it);
  index = std::clamp(index, 0, PageCount());
  FPages.insert(FPages.begin() + index, page);
  RebuildTabs();
}

void TPageControl::UpdateTab(TTabSheet* page) {
  (void)page;
  RebuildTabs();
}

void TPageControl::RebuildTabs() {
  FTabs->Clear();
  for (TTabSheet* page : FPages) {
    page->FTabShowing = page->FTabVisible;
    if (page->FTabVisible) FTabs->AddObject(page->GetText(), page);
  }
  if (HandleAllocated())
    for (TTabSheet* page : FPages)
      if (page->FTabVisible && page->FHighlighted)
        Perform(TCM_HIGHLIGHTITEM, static_cast<WPARAM>(page->TabIndex()), MAKELONG(TRUE, 0));
  TCustomTabControl::SetTabIndex(FActivePage ? FActivePage->TabIndex() : -1);
}

void TPageControl::ChangeActivePage(TTabSheet* page) {
  if (FActivePage == page) return;
  TTabSheet* old = FActivePage;
  // The focus leaves a page that is put away for the page control itself.
  const bool hadFocus = old && old->HandleAllocated() && IsChild(old->Handle(), GetFocus());
  FActivePage = page;
  if (page) {
    page->BringToFront();
    page->SetVisible(true);
  }
  if (old) old->SetVisible(false);
  if (hadFocus && CanFocus()) SetFocus();
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->FPageControl != this) return;
  FSettingActivePage = true;
  try {
    ChangeActivePage(page);
    if (!page) TCustomTabControl::SetTabIndex(-1);
    else if (page == FActivePage) TCustomTabControl::SetTabIndex(page->TabIndex());
  } catch (...) {
    FSettingActivePage = false;
    throw;
  }
  FSettingActivePage = false;
}

void TPageControl::SetActivePageIndex(int value) {
  SetActivePage(value >= 0 && value < PageCount() ? FPages[static_cast<size_t>(value)] : nullptr);
}

void TPageControl::SetTabIndex(int value) {
  inherited::SetTabIndex(value);
  if (FSettingActivePage || value < 0 || value >= FTabs->Count()) return;
  // The page of that tab (hidden tabs before it are skipped), not the page at that position.
  const int pageIndex = PageIndexFromTabIndex(value);
  if (pageIndex >= 0 && FPages[static_cast<size_t>(pageIndex)]->FTabVisible)
    SetActivePage(FPages[static_cast<size_t>(pageIndex)]);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) {
  if (FPages.empty()) return nullptr;
  int start = current ? current->PageIndex() : -1;
  if (start < 0) start = goForward ? PageCount() - 1 : 0;
  int i = start;
  for (int step = 0; step < PageCount(); ++step) {
    i = goForward ? (i + 1) % PageCount() : (i - 1 + PageCount()) % PageCount();
    TTabSheet* page = FPages[static_cast<size_t>(i)];
    if (!checkTabVisible || page->FTabVisible) return page;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible) {
  TTabSheet* page = FindNextPage(FActivePage, goForward, checkTabVisible);
  if (page && page != FActivePage && CanChange()) {
    SetActivePage(page);
    Change();
  }
}

bool TPageControl::CanChange() { return inherited::CanChange(); }

void TPageControl::UpdateActivePage() {
  const int index = TabIndex();
  if (index >= 0) SetActivePage(static_cast<TTabSheet*>(FTabs->GetObject(index)));
}

void TPageControl::Change() {
  UpdateActivePage();
  inherited::Change();
}

int TPageControl::GetImageIndex(int tabIndex) {
  const int pageIndex = PageIndexFromTabIndex(tabIndex);
  return pageIndex >= 0 ? FPages[static_cast<size_t>(pageIndex)]->FImageIndex : -1;
}

void TPageControl::ShowControl(TControl* control) {
  for (TControl* c = control; c; c = c->Parent())
    if (auto* page = dynamic_cast<TTabSheet*>(c); page && page->FPageControl == this) {
      SetActivePage(page);
      return;
    }
}
