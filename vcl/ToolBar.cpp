#include "vcl/ToolBar.h"

#include <algorithm>
#include <cwctype>

#include "rtl/Strings.h"
#include "vcl/Canvas.h"
#include "vcl/Colors.h"

using namespace platform;

namespace {

// Posted to the bar to open a menu button's menu once the key that asked for it is through.
constexpr UINT kOpenMenu = WM_APP + 0x100;

// The bar whose menu is being tracked on this thread, for the message filter.
TToolBar* g_trackingBar = nullptr;

// Builds a popup menu of the visible items under `parent` (submenus for items with children).
void AppendItems(HMENU menu, TMenuItem* parent) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    item->InitiateAction();
    if (!item->Visible()) continue;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    if (item->IsLine()) {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
      info.fType = MFT_STRING | (item->RadioItem() ? MFT_RADIOCHECK : 0);
      info.fState = (item->Checked() ? MFS_CHECKED : 0) | (item->Enabled() ? 0 : MFS_GRAYED);
      info.wID = item->Command();
      info.dwTypeData = const_cast<char*>(item->Caption().c_str());
      if (item->Count() > 0) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = CreatePopupMenu();
        AppendItems(info.hSubMenu, item);
      }
    }
    if (!InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info) && info.hSubMenu)
      DestroyMenu(info.hSubMenu);
  }
}

char16_t AcceleratorOf(const AnsiString& caption) {
  const std::u16string text = UTF8ToWide(caption);
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] != u'&') return static_cast<char16_t>(std::towlower(text[i + 1]));
    ++i;
  }
  return 0;
}

}  // namespace

// ---- TToolButton -----------------------------------------------------------------------------

void TToolButton::DescribeClass(TClassBuilder<TToolButton>& c) {
  c.Property("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton);
  c.Property("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex).Default(-1);
  c.Property("Down", &TToolButton::Down, &TToolButton::SetDown).Default(0);
  c.Property("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(0);
  c.Property("AutoSize", &TToolButton::AutoSize, &TToolButton::SetAutoSize).Default(0);
  c.Property("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap).Default(0);
  c.Property("Marked", &TToolButton::Marked, &TToolButton::SetMarked).Default(0);
  c.Property("MenuItem", &TToolButton::MenuItem, &TToolButton::SetMenuItem);
  c.Property("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
}

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 23, 22); }

TToolButton::~TToolButton() {
  if (TToolBar* bar = ToolBar()) bar->RemoveButton(this);
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

int TToolButton::Index() const {
  TToolBar* bar = ToolBar();
  if (!bar) return -1;
  auto it = std::find(bar->FButtons.begin(), bar->FButtons.end(), this);
  return it == bar->FButtons.end() ? -1 : static_cast<int>(it - bar->FButtons.begin());
}

void TToolButton::SetParent(TWinControl* value) {
  TToolBar* old = ToolBar();
  if (old && old != value) old->RemoveButton(this);
  inherited::SetParent(value);
  if (TToolBar* bar = ToolBar(); bar && bar != old) bar->InsertButton(this);
}

void TToolButton::Changed() {
  if (TToolBar* bar = ToolBar(); bar && !FUpdating) bar->UpdateButton(this);
}

void TToolButton::SetStyle(TToolButtonStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  if (TToolBar* bar = ToolBar()) bar->RecreateButtons();
}

void TToolButton::SetImageIndex(int value) {
  FImageIndex = value;
  Changed();
}

bool TToolButton::Down() const {
  TToolBar* bar = ToolBar();
  if (!bar || !bar->HandleAllocated() || FStyle != tbsCheck) return FDown;
  return bar->Perform(TB_ISBUTTONCHECKED, static_cast<WPARAM>(FCommand)) != 0;
}

void TToolButton::SetDown(bool value) {
  FDown = value;
  if (TToolBar* bar = ToolBar(); bar && bar->HandleAllocated()) {
    bar->Perform(FStyle == tbsCheck ? TB_CHECKBUTTON : TB_PRESSBUTTON, static_cast<WPARAM>(FCommand), value);
    // A check group leaves only this one down.
    if (value && FGrouped && FStyle == tbsCheck)
      for (TToolButton* other : bar->FButtons)
        if (other != this && other->FGrouped && other->FStyle == tbsCheck) other->FDown = other->Down();
  }
}

void TToolButton::SetGrouped(bool value) {
  if (FGrouped == value) return;
  FGrouped = value;
  if (TToolBar* bar = ToolBar()) bar->RecreateButtons();
}

void TToolButton::SetAutoSize(bool value) {
  FAutoSize = value;
  Changed();
}

void TToolButton::SetWrap(bool value) {
  FWrap = value;
  Changed();
}

void TToolButton::SetMarked(bool value) {
  FMarked = value;
  Changed();
}

void TToolButton::SetMenuItem(TMenuItem* value) {
  if (FMenuItem) FMenuItem->RemoveFreeNotification(this);
  FMenuItem = value;
  if (FMenuItem) {
    FMenuItem->FreeNotification(this);
    SetCaption(FMenuItem->Caption());
    SetEnabled(FMenuItem->Enabled());
    SetVisible(FMenuItem->Visible());
  }
  Changed();
}

void TToolButton::SetDropdownMenu(TPopupMenu* value) {
  if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
  FDropdownMenu = value;
  if (FDropdownMenu) FDropdownMenu->FreeNotification(this);
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FMenuItem) FMenuItem = nullptr;
  if (component == FDropdownMenu) FDropdownMenu = nullptr;
}

void TToolButton::Click() {
  // A menu button without a submenu is the item itself.
  if (FMenuItem && FMenuItem->Count() == 0) {
    FMenuItem->Click();
    return;
  }
  inherited::Click();
}

// The caption, enabling and visibility are the window button's too.
void TToolButton::Dispatch(TMessage& m) {
  inherited::Dispatch(m);
  switch (m.Msg) {
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED: Changed(); break;
    default: break;
  }
}

// ---- TToolBar --------------------------------------------------------------------------------

void TToolBar::DescribeClass(TClassBuilder<TToolBar>& c) {
  c.Property("Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(0);
  c.Property("List", &TToolBar::List, &TToolBar::SetList).Default(0);
  c.Property("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions).Default(0);
  c.Property("Transparent", &TToolBar::Transparent, &TToolBar::SetTransparent).Default(0);
  c.Property("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable).Default(1);
  c.Property("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth).Default(23);
  c.Property("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight).Default(22);
  c.Property("Images", &TToolBar::Images, &TToolBar::SetImages);
  c.Property("HotImages", &TToolBar::HotImages, &TToolBar::SetHotImages);
  c.Property("DisabledImages", &TToolBar::DisabledImages, &TToolBar::SetDisabledImages);
  c.Property("Menu", &TToolBar::Menu, &TToolBar::SetMenu);
  c.Property("OnCustomDraw", &TToolBar::OnCustomDraw);
  c.Property("OnCustomDrawButton", &TToolBar::OnCustomDrawButton);
}

TToolBar::TToolBar(TComponent* owner)
    : TWinControl(owner), FCanvas(std::make_unique<TCanvas>()), FImageChangeLink(std::make_unique<TChangeLink>()) {
  SetBounds(Left(), Top(), 150, 29);
  SetAlign(alTop);
  FControlStyle.Include(csAcceptsControls);
  FImageChangeLink->OnChange = TNotifyEvent([this](TObject*) {
    SendImageLists();
    Invalidate();
  });
}

TToolBar::~TToolBar() {
  for (TCustomImageList* list : {FImages, FHotImages, FDisabledImages})
    if (list) list->UnRegisterChanges(FImageChangeLink.get());
  ClearMenuButtons();
}

void TToolBar::CreateParams(TCreateParams& params) {
  InitCommonControls();
  inherited::CreateParams(params);
  CreateSubClass(params, TOOLBARCLASSNAMEA);
  params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (FFlat) params.Style |= TBSTYLE_FLAT;
  if (FList) params.Style |= TBSTYLE_LIST;
  if (FTransparent) params.Style |= TBSTYLE_TRANSPARENT;
  if (FWrapable) params.Style |= TBSTYLE_WRAPABLE;
}

void TToolBar::CreateWnd() {
  inherited::CreateWnd();
  Perform(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  Perform(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  Perform(TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
  SendImageLists();
  RecreateButtons();
}

void TToolBar::Loaded() {
  inherited::Loaded();
  RecreateButtons();
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FImages) SetImages(nullptr);
  if (component == FHotImages) SetHotImages(nullptr);
  if (component == FDisabledImages) SetDisabledImages(nullptr);
  if (component == FMenu) SetMenu(nullptr);
}

void TToolBar::UpdateStyle(DWORD bit, bool on) {
  if (!HandleAllocated()) return;
  const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
  SetWindowLongPtrW(Handle(), GWL_STYLE, on ? (style | static_cast<LONG_PTR>(bit)) : (style & ~static_cast<LONG_PTR>(bit)));
  UpdateButtonBounds();
  Invalidate();
}

void TToolBar::SetFlat(bool value) {
  FFlat = value;
  UpdateStyle(TBSTYLE_FLAT, value);
}

void TToolBar::SetList(bool value) {
  FList = value;
  UpdateStyle(TBSTYLE_LIST, value);
}

void TToolBar::SetTransparent(bool value) {
  FTransparent = value;
  UpdateStyle(TBSTYLE_TRANSPARENT, value);
}

void TToolBar::SetWrapable(bool value) {
  FWrapable = value;
  UpdateStyle(TBSTYLE_WRAPABLE, value);
}

void TToolBar::SetShowCaptions(bool value) {
  if (FShowCaptions == value) return;
  FShowCaptions = value;
  RecreateButtons();
}

void TToolBar::SetButtonWidth(int value) {
  FButtonWidth = value;
  if (HandleAllocated()) Perform(TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
  UpdateButtonBounds();
}

void TToolBar::SetButtonHeight(int value) {
  FButtonHeight = value;
  if (HandleAllocated()) Perform(TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
  UpdateButtonBounds();
}

namespace {

void Relink(TCustomImageList*& slot, TCustomImageList* value, TChangeLink* link, TComponent* owner) {
  if (slot == value) return;
  if (slot) {
    slot->UnRegisterChanges(link);
    slot->RemoveFreeNotification(owner);
  }
  slot = value;
  if (slot) {
    slot->RegisterChanges(link);
    slot->FreeNotification(owner);
  }
}

}  // namespace

void TToolBar::SetImages(TCustomImageList* value) {
  Relink(FImages, value, FImageChangeLink.get(), this);
  SendImageLists();
}

void TToolBar::SetHotImages(TCustomImageList* value) {
  Relink(FHotImages, value, FImageChangeLink.get(), this);
  SendImageLists();
}

void TToolBar::SetDisabledImages(TCustomImageList* value) {
  Relink(FDisabledImages, value, FImageChangeLink.get(), this);
  SendImageLists();
}

void TToolBar::SendImageLists() {
  if (!HandleAllocated()) return;
  if (FImages) Perform(TB_SETBITMAPSIZE, 0, MAKELPARAM(FImages->Width(), FImages->Height()));
  Perform(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
  Perform(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(FHotImages ? FHotImages->Handle() : nullptr));
  Perform(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(FDisabledImages ? FDisabledImages->Handle() : nullptr));
  UpdateButtonBounds();
}

void TToolBar::InsertButton(TToolButton* button) {
  if (std::find(FButtons.begin(), FButtons.end(), button) != FButtons.end()) return;
  button->FCommand = FNextCommand++;
  // In the order of their positions: a button dropped at a place goes before the one there.
  auto at = std::find_if(FButtons.begin(), FButtons.end(), [&](TToolButton* b) {
    return button->Top() < b->Top() || (button->Top() == b->Top() && button->Left() < b->Left());
  });
  if (FMenuButtons.empty() || std::find(FMenuButtons.begin(), FMenuButtons.end(), button) == FMenuButtons.end())
    at = FButtons.end();
  FButtons.insert(at, button);
  RecreateButtons();
}

void TToolBar::RemoveButton(TToolButton* button) {
  auto it = std::find(FButtons.begin(), FButtons.end(), button);
  if (it == FButtons.end()) return;
  const int index = static_cast<int>(it - FButtons.begin());
  FButtons.erase(it);
  if (FMenuButton == button) EndMenu();
  if (HandleAllocated() && !ComponentState().Contains(csDestroying)) {
    Perform(TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
    UpdateButtonBounds();
  }
}

// Puts every button into the window again, in order.
void TToolBar::RecreateButtons() {
  if (!HandleAllocated() || ComponentState().Contains(csLoading)) return;
  while (Perform(TB_BUTTONCOUNT) > 0) Perform(TB_DELETEBUTTON, 0, 0);
  Perform(TB_SETMAXTEXTROWS, FShowCaptions ? 1 : 0, 0);
  for (TToolButton* button : FButtons) {
    const std::u16string text = UTF8ToWide(button->Caption());
    TBBUTTON b{};
    b.idCommand = button->FCommand;
    b.iBitmap = button->FStyle == tbsSeparator || button->FStyle == tbsDivider ? 6 : button->FImageIndex;
    if (!FImages && b.iBitmap >= 0 && !(button->FStyle == tbsSeparator || button->FStyle == tbsDivider))
      b.iBitmap = I_IMAGENONE_TB;
    switch (button->FStyle) {
      case tbsCheck: b.fsStyle = button->FGrouped ? BTNS_CHECKGROUP : BTNS_CHECK; break;
      case tbsDropDown: b.fsStyle = BTNS_DROPDOWN; break;
      case tbsSeparator:
      case tbsDivider: b.fsStyle = BTNS_SEP; break;
      default: b.fsStyle = BTNS_BUTTON; break;
    }
    if (button->FAutoSize) b.fsStyle |= BTNS_AUTOSIZE;
    b.fsState = (button->Enabled() ? TBSTATE_ENABLED : 0) | (button->Visible() ? 0 : TBSTATE_HIDDEN) |
                (button->FDown ? (button->FStyle == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED) : 0) |
                (button->FWrap ? TBSTATE_WRAP : 0) | (button->FMarked ? TBSTATE_MARKED : 0);
    b.dwData = reinterpret_cast<DWORD_PTR>(button);
    b.iString = text.empty() ? 0 : reinterpret_cast<INT_PTR>(text.c_str());
    Perform(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&b));
  }
  UpdateButtonBounds();
  Invalidate();
}

void TToolBar::UpdateButton(TToolButton* button) {
  if (!HandleAllocated()) return;
  const std::u16string text = UTF8ToWide(button->Caption());
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT | TBIF_STATE | TBIF_IMAGE | TBIF_STYLE;
  info.pszText = const_cast<char16_t*>(text.c_str());
  TBBUTTONINFOW old{};
  old.cbSize = sizeof old;
  old.dwMask = TBIF_STATE | TBIF_STYLE;
  if (Perform(TB_GETBUTTONINFOW, static_cast<WPARAM>(button->FCommand), reinterpret_cast<LPARAM>(&old)) < 0) return;
  info.fsStyle = static_cast<BYTE>((old.fsStyle & ~BTNS_AUTOSIZE) | (button->FAutoSize ? BTNS_AUTOSIZE : 0));
  info.fsState = static_cast<BYTE>((old.fsState & (TBSTATE_CHECKED | TBSTATE_PRESSED)) |
                                   (button->Enabled() ? TBSTATE_ENABLED : 0) | (button->Visible() ? 0 : TBSTATE_HIDDEN) |
                                   (button->FWrap ? TBSTATE_WRAP : 0) | (button->FMarked ? TBSTATE_MARKED : 0));
  info.iImage = FImages ? button->FImageIndex : I_IMAGENONE_TB;
  if (button->FStyle == tbsSeparator || button->FStyle == tbsDivider) info.dwMask &= ~TBIF_IMAGE;
  Perform(TB_SETBUTTONINFOW, static_cast<WPARAM>(button->FCommand), reinterpret_cast<LPARAM>(&info));
  UpdateButtonBounds();
}

// The buttons' bounds follow the window's rectangles.
void TToolBar::UpdateButtonBounds() {
  if (!HandleAllocated() || FUpdatingBounds) return;
  FUpdatingBounds = true;
  for (size_t i = 0; i < FButtons.size(); ++i) {
    RECT r{};
    if (!Perform(TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) continue;
    TToolButton* b = FButtons[i];
    b->FUpdating = true;
    b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    b->FUpdating = false;
  }
  FUpdatingBounds = false;
}

TToolButton* TToolBar::ButtonOfCommand(int command) const {
  for (TToolButton* b : FButtons)
    if (b->FCommand == command) return b;
  return nullptr;
}

void TToolBar::WMSize(TWMSize& m) {
  inherited::WMSize(m);
  UpdateButtonBounds();
}

// ---- menus -----------------------------------------------------------------------------------

void TToolBar::ClearMenuButtons() {
  std::vector<TToolButton*> buttons;
  buttons.swap(FMenuButtons);
  for (TToolButton* b : buttons) delete b;
}

void TToolBar::SetMenu(TMainMenu* value) {
  if (FMenu == value) return;
  if (FMenu) FMenu->RemoveFreeNotification(this);
  ClearMenuButtons();
  FMenu = value;
  if (!FMenu) return;
  FMenu->FreeNotification(this);
  TMenuItem* items = FMenu->Items();
  for (int i = 0; i < items->Count(); ++i) {
    TMenuItem* item = items->Items(i);
    auto* button = new TToolButton(nullptr);
    FMenuButtons.push_back(button);
    button->SetLeft(100000 + i);  // after everything already on the bar
    button->SetAutoSize(true);
    button->SetGrouped(true);
    button->SetMenuItem(item);
    button->SetParent(this);
  }
  RecreateButtons();
}

TToolButton* TToolBar::NeighbourMenuButton(TToolButton* from, int step) const {
  std::vector<TToolButton*> menuButtons;
  for (TToolButton* b : FButtons)
    if (b->FMenuItem && b->FMenuItem->Count() > 0 && b->Visible() && b->Enabled()) menuButtons.push_back(b);
  if (menuButtons.empty()) return nullptr;
  auto it = std::find(menuButtons.begin(), menuButtons.end(), from);
  const int n = static_cast<int>(menuButtons.size());
  const int index = it == menuButtons.end() ? 0 : static_cast<int>(it - menuButtons.begin());
  return menuButtons[static_cast<size_t>(((index + step) % n + n) % n)];
}

// Runs while a bar's menu is open: the pointer on another menu button or Left/Right at the top
// level close this menu and name the next one.
LRESULT TToolBar::MenuFilter(int code, WPARAM, LPARAM lParam) {
  TToolBar* bar = g_trackingBar;
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code != MSGF_MENU || !bar || !msg || !bar->FMenuButton) return 0;
  if (msg->message == WM_MOUSEMOVE) {
    POINT p{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
    ::ClientToScreen(msg->hwnd, &p);
    ::ScreenToClient(bar->Handle(), &p);
    const auto index = static_cast<int>(bar->Perform(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
    if (index >= 0 && index < bar->ButtonCount()) {
      TToolButton* over = bar->FButtons[static_cast<size_t>(index)];
      if (over != bar->FMenuButton && over->FMenuItem && over->FMenuItem->Count() > 0 && over->Enabled()) {
        bar->FSwitchTo = over;
        EndMenu();
        return 1;
      }
    }
    return 0;
  }
  if (msg->message == WM_KEYDOWN) {
    if (msg->wParam == VK_LEFT && bar->FMenuAtTop) {
      bar->FSwitchTo = bar->NeighbourMenuButton(bar->FMenuButton, -1);
    } else if (msg->wParam == VK_RIGHT && !bar->FSelectedHasSubmenu) {
      bar->FSwitchTo = bar->NeighbourMenuButton(bar->FMenuButton, 1);
    } else {
      return 0;
    }
    if (bar->FSwitchTo == bar->FMenuButton) bar->FSwitchTo = nullptr;
    if (!bar->FSwitchTo) return 0;
    EndMenu();
    return 1;
  }
  return 0;
}

bool TToolBar::TrackMenu(TToolButton* button) {
  if (!button || !button->FMenuItem || button->FMenuItem->Count() == 0 || !HandleAllocated() || g_trackingBar)
    return false;
  WORD chosen = 0;
  while (button) {
    FMenuButton = button;
    FSwitchTo = nullptr;
    FMenuAtTop = true;
    FSelectedHasSubmenu = false;
    Perform(TB_PRESSBUTTON, static_cast<WPARAM>(button->FCommand), TRUE);
    UpdateWindow(Handle());
    HMENU menu = CreatePopupMenu();
    AppendItems(menu, button->FMenuItem);
    FTrackedMenu = menu;
    RECT r{};
    Perform(TB_GETRECT, static_cast<WPARAM>(button->FCommand), reinterpret_cast<LPARAM>(&r));
    POINT corner{r.left, r.bottom};
    ::ClientToScreen(Handle(), &corner);
    TPMPARAMS params{sizeof(TPMPARAMS), r};
    MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&params.rcExclude), 2);
    g_trackingBar = this;
    HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, &TToolBar::MenuFilter, nullptr, 0);
    const auto command = static_cast<WORD>(
        TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_VERTICAL, corner.x, corner.y, Handle(), &params));
    if (hook) UnhookWindowsHookEx(hook);
    g_trackingBar = nullptr;
    FTrackedMenu = nullptr;
    DestroyMenu(menu);
    if (ButtonOfCommand(button->FCommand) == button)
      Perform(TB_PRESSBUTTON, static_cast<WPARAM>(button->FCommand), FALSE);
    FMenuButton = nullptr;
    chosen = command;
    button = chosen ? nullptr : FSwitchTo;
    FSwitchTo = nullptr;
  }
  if (chosen) {
    if (TMenuItem* item = TMenuItem::FindByCommand(chosen)) item->Click();
  }
  return true;
}

void TToolBar::WMMenuSelect(TMessage& m) {
  const UINT flags = HIWORD(m.WParam);
  auto menu = reinterpret_cast<HMENU>(m.LParam);
  if (flags == 0xFFFF && !menu) return;  // the menu closed
  FMenuAtTop = menu == FTrackedMenu;
  FSelectedHasSubmenu = (flags & MF_POPUP) != 0;
}

// Alt+letter opens the menu button with that accelerator; F10 the first menu button.
void TToolBar::CMIsShortCut(TMessage& m) {
  m.Result = 0;
  if (!FMenu || !HandleAllocated() || !IsWindowVisible(Handle())) return;
  const WORD key = static_cast<WORD>(m.WParam);
  TToolButton* target = nullptr;
  if (key == VK_F10 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0) {
    target = NeighbourMenuButton(nullptr, 0);
  } else if (GetKeyState(VK_MENU) < 0 && GetKeyState(VK_CONTROL) >= 0 &&
             ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
    const auto letter = static_cast<char16_t>(std::towlower(key));
    for (TToolButton* b : FButtons)
      if (b->FMenuItem && b->Visible() && b->Enabled() && AcceleratorOf(b->Caption()) == letter) {
        target = b;
        break;
      }
  }
  if (!target) return;
  m.Result = 1;
  // The menu opens once the key's own messages are through.
  PostMessageW(Handle(), kOpenMenu, reinterpret_cast<WPARAM>(target), 0);
}

// ---- messages --------------------------------------------------------------------------------

void TToolBar::WndProc(TMessage& m) {
  // The window's own buttons take the mouse: the button controls only mirror them.
  if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST) {
    TControl::WndProc(m);
    return;
  }
  inherited::WndProc(m);
}

void TToolBar::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: { TWMNotify v(m); CNNotify(v); return; }
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); return; }
    case CM_ISSHORTCUT: CMIsShortCut(m); return;
    case kOpenMenu: {
      auto* target = reinterpret_cast<TToolButton*>(m.WParam);
      if (std::find(FButtons.begin(), FButtons.end(), target) != FButtons.end()) TrackMenu(target);
      return;
    }
    case WM_MENUSELECT: WMMenuSelect(m); return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
      const auto index = static_cast<int>(Perform(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
      if (index >= 0 && index < ButtonCount()) {
        TToolButton* b = FButtons[static_cast<size_t>(index)];
        if (b->FMenuItem && b->FMenuItem->Count() > 0 && b->Enabled()) {
          TrackMenu(b);
          return;
        }
      }
      inherited::Dispatch(m);
      return;
    }
    default: inherited::Dispatch(m); return;
  }
}

void TToolBar::CNCommand(TWMCommand& m) {
  TToolButton* button = ButtonOfCommand(m.ItemID);
  if (!button) return;
  if (button->FStyle == tbsCheck) button->FDown = button->Down();
  button->Click();
}

void TToolBar::CNNotify(TWMNotify& m) {
  switch (m.NMHdr->code) {
    case TBN_DROPDOWN: {
      auto* nm = reinterpret_cast<NMTOOLBARW*>(m.NMHdr);
      TToolButton* button = ButtonOfCommand(nm->iItem);
      if (!button) return;
      if (button->FMenuItem && button->FMenuItem->Count() > 0) {
        TrackMenu(button);
      } else if (button->FDropdownMenu) {
        POINT p{nm->rcButton.left, nm->rcButton.bottom};
        ::ClientToScreen(Handle(), &p);
        button->FDropdownMenu->SetPopupComponent(button);
        button->FDropdownMenu->Popup(p.x, p.y);
      }
      m.SetResult(TBDDRET_DEFAULT);
      return;
    }
    case NM_CUSTOMDRAW: {
      auto* cd = reinterpret_cast<NMTBCUSTOMDRAW*>(m.NMHdr);
      m.SetResult(CDRF_DODEFAULT);
      if (!OnCustomDraw && !OnCustomDrawButton) return;
      FCanvas->SetHandle(cd->nmcd.hdc);
      FCanvas->Font()->Assign(FFont.get());
      bool defaultDraw = true;
      if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        if (OnCustomDraw) OnCustomDraw(this, TRect(cd->nmcd.rc), defaultDraw);
        m.SetResult(!defaultDraw ? CDRF_SKIPDEFAULT : OnCustomDrawButton ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT);
      } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && OnCustomDrawButton) {
        TToolButton* button = ButtonOfCommand(static_cast<int>(cd->nmcd.dwItemSpec));
        if (button) OnCustomDrawButton(this, button, cd->nmcd.uItemState, defaultDraw);
        if (!defaultDraw) {
          m.SetResult(CDRF_SKIPDEFAULT);
        } else {
          cd->clrText = ColorToRGB(FCanvas->Font()->Color());
          SelectObject(cd->nmcd.hdc, FCanvas->Font()->Handle());
          m.SetResult(CDRF_NEWFONT);
        }
      }
      FCanvas->SetHandle(nullptr);
      return;
    }
    default: return;
  }
}
