#include "vcl/Menu.h"

#include <algorithm>
#include <map>

#include "rtl/SysUtils.h"
#include "platform/user/Menus.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/Screen.h"

namespace {

// Command ids in use, and the next one to try. Ids below 0xF000 (the system commands).
std::map<WORD, TMenuItem*>& Commands() {
  static std::map<WORD, TMenuItem*> commands;
  return commands;
}
WORD g_nextCommand = 1;

WORD AllocateCommand(TMenuItem* item) {
  for (int tries = 0; tries < 0xEFFF; ++tries) {
    WORD id = g_nextCommand;
    g_nextCommand = g_nextCommand >= 0xEFFF ? 1 : static_cast<WORD>(g_nextCommand + 1);
    if (!Commands().count(id)) {
      Commands()[id] = item;
      return id;
    }
  }
  throw EOutOfMemory("No menu command ids left");
}

std::vector<TPopupMenu*>& PopupList() {
  static std::vector<TPopupMenu*> list;
  return list;
}

TPopupPresenter g_popupPresenter = nullptr;

AnsiString StripHotkey(const AnsiString& text) {
  AnsiString out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace

// ---- TMenuItem --------------------------------------------------------------------------------------

void TMenuItem::DescribeClass(TClassBuilder<TMenuItem>& c) {
  c.Property("Action", &TMenuItem::Action, &TMenuItem::SetAction);
  c.Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck).Default(0);
  c.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  c.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(0);
  c.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(1);
  c.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  c.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
  c.Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  c.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(0);
  c.Property("ShortCut", &TMenuItem::GetShortCut, &TMenuItem::SetShortCut).Default(0);
  c.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(1);
  c.Property("OnClick", &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) { FCommand = AllocateCommand(this); }

TMenuItem::~TMenuItem() {
  Destroying();
  if (FParent) FParent->Remove(this);
  while (!FItems.empty()) {
    TMenuItem* child = FItems.back();
    FItems.pop_back();
    child->FParent = nullptr;
    delete child;
  }
  SetAction(nullptr);
  Commands().erase(FCommand);
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FItems[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int value) {
  if (!FParent) return;
  TMenuItem* parent = FParent;
  int count = parent->Count();
  value = std::clamp(value, 0, count - 1);
  if (value == MenuIndex()) return;
  parent->Remove(this);
  parent->Insert(value, this);
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->FParent) throw EInvalidOperation("Menu inserted twice");
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == item) throw EInvalidOperation("A menu item cannot hold itself");
  if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  int index = IndexOf(item);
  if (index < 0) throw EInvalidOperation("Sub-menu is not in menu");
  FItems.erase(FItems.begin() + index);
  item->FParent = nullptr;
  Changed();
}

void TMenuItem::Delete(int index) { Remove(Items(index)); }

void TMenuItem::Clear() {
  while (!FItems.empty()) delete FItems.back();
}

TMenuItem* TMenuItem::Find(const AnsiString& caption) const {
  AnsiString wanted = UpperCase(StripHotkey(caption));
  for (TMenuItem* item : FItems)
    if (UpperCase(StripHotkey(item->FCaption)) == wanted) return item;
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent) item = item->FParent;
  return item->FMenu;
}

TMenuItem* TMenuItem::FindByCommand(WORD command) {
  auto it = Commands().find(command);
  return it == Commands().end() ? nullptr : it->second;
}

void TMenuItem::Changed() {
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(this);
}

void TMenuItem::SetCaption(const AnsiString& value) {
  if (value == FCaption) return;
  FCaption = value;
  Changed();
}

void TMenuItem::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  if (value && FRadioItem) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Changed();
}

void TMenuItem::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  Changed();
}

void TMenuItem::SetRadioItem(bool value) {
  if (value == FRadioItem) return;
  FRadioItem = value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetGroupIndex(uint8_t value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  Changed();
}

// Radio items of one group under one parent: only one is checked.
void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  for (TMenuItem* sibling : FParent->FItems)
    if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex && sibling->FChecked) {
      sibling->FChecked = false;
      sibling->Changed();
    }
}

void TMenuItem::SetAction(TBasicAction* value) {
  if (!value) {
    if (FActionLink) {
      TBasicAction* old = FActionLink->Action();
      FActionLink.reset();
      if (old && !ComponentState().Contains(csDestroying)) old->RemoveFreeNotification(this);
    }
    return;
  }
  if (!FActionLink) FActionLink = std::make_unique<TMenuActionLink>(this);
  FActionLink->SetAction(value);
  FActionLink->OnChange = TNotifyEvent([this](TObject* sender) {
    if (FActionLink && sender == FActionLink->Action()) ActionChange(FActionLink->Action(), false);
  });
  ActionChange(value, ComponentState().Contains(csLoading));
  value->FreeNotification(this);
}

void TMenuItem::ActionChange(TBasicAction* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || FCaption.empty()) SetCaption(action->Caption());
  if (!checkDefaults || !FChecked) SetChecked(action->Checked());
  if (!checkDefaults || FEnabled) SetEnabled(action->Enabled());
  if (!checkDefaults || FHint.empty()) FHint = action->Hint();
  if (!checkDefaults || FImageIndex == -1) FImageIndex = action->ImageIndex();
  if (!checkDefaults || FShortCut == 0) FShortCut = action->GetShortCut();
  if (!checkDefaults || FVisible) SetVisible(action->Visible());
  if (!checkDefaults || !FAutoCheck) FAutoCheck = action->AutoCheck();
}

void TMenuItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

// A disabled item does nothing. AutoCheck turns Checked over (the action does it for linked items).
void TMenuItem::Click() {
  if (!FEnabled) return;
  TBasicAction* action = Action();
  if (FAutoCheck && !action && !(FChecked && FRadioItem)) SetChecked(!FChecked);
  bool sameAsAction = action && OnClick.Method().Code && OnClick.Method() == action->OnExecute.Method();
  if (OnClick && action && !sameAsAction) OnClick(this);
  else if (FActionLink && action && !ComponentState().Contains(csDesigning)) FActionLink->Execute(this);
  else if (OnClick) OnClick(this);
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && FActionLink && component == FActionLink->Action()) SetAction(nullptr);
}

TComponent* TMenuItem::GetParentComponent() {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* value) {
  if (FParent) FParent->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(value)) menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(value)) item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TMenuItem* item : FItems)
    if (item->Owner() == root) proc(item);
}

// ---- TMenu --------------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  FItems.reset();
}

TMenuItem* TMenu::FindItem(WORD command) const {
  TMenuItem* item = TMenuItem::FindByCommand(command);
  if (!item || item->GetParentMenu() != this) return nullptr;
  return item;
}

bool TMenu::DispatchCommand(WORD command) {
  TMenuItem* item = FindItem(command);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(TWMKey& m) {
  TShortCut shortCut = ShortCutFromMessage(m);
  if ((shortCut & 0xFF) == 0) return false;
  // Depth first; an item counts only when it and all its parents are enabled and visible.
  std::function<TMenuItem*(TMenuItem*)> find = [&](TMenuItem* parent) -> TMenuItem* {
    for (int i = 0; i < parent->Count(); ++i) {
      TMenuItem* item = parent->Items(i);
      item->InitiateAction();
      if (!item->Enabled() || !item->Visible()) continue;
      if (item->GetShortCut() == shortCut) return item;
      if (TMenuItem* found = find(item)) return found;
    }
    return nullptr;
  };
  TMenuItem* item = find(FItems.get());
  if (!item) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { FItems->GetChildren(proc, root); }

// ---- TPopupMenu -----------------------------------------------------------------------------------------

void SetPopupPresenter(TPopupPresenter presenter) { g_popupPresenter = presenter; }

void TPopupMenu::DescribeClass(TClassBuilder<TPopupMenu>& c) {
  c.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(1);
  c.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
  c.Property("OnPopup", &TPopupMenu::OnPopup);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) { PopupList().push_back(this); }

TPopupMenu::~TPopupMenu() {
  Destroying();
  std::erase(PopupList(), this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FPopupComponent) FPopupComponent = nullptr;
}

namespace {

// Frees a platform menu (and its submenus) when it goes out of scope.
struct MenuHandle {
  HMENU handle = nullptr;
  ~MenuHandle() {
    if (handle) DestroyMenu(handle);
  }
};

// Appends the visible items of `parent` to `menu`: lines as separators, items with children
// as submenus, the others by their command id, with their checked, greyed and radio states.
void AppendMenuItems(HMENU menu, TMenuItem* parent) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (!item->Visible()) continue;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    if (item->IsLine()) {
      info.fType = MFT_SEPARATOR;
      info.fMask = MIIM_FTYPE;
    } else {
      info.fType = MFT_STRING | (item->RadioItem() ? MFT_RADIOCHECK : 0);
      info.fState = (item->Checked() ? MFS_CHECKED : 0) | (item->Enabled() ? 0 : MFS_GRAYED);
      info.wID = item->Command();
      info.dwTypeData = const_cast<char*>(item->Caption().c_str());
      if (item->Count() > 0) {
        HMENU submenu = CreatePopupMenu();
        AppendMenuItems(submenu, item);
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = submenu;
      }
    }
    if (!InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info) && info.hSubMenu)
      DestroyMenu(info.hSubMenu);
  }
}

// The window that gets the chosen command: the form of the control the menu pops up for,
// else the active form, the main form, or the application window.
HWND PopupOwner(TComponent* popupComponent) {
  TCustomForm* form = nullptr;
  if (auto* control = dynamic_cast<TControl*>(popupComponent)) form = GetParentForm(control);
  if (!form) form = Screen->ActiveForm();
  if (!form) form = Application->MainForm();
  if (form && form->HandleAllocated()) return form->Handle();
  return Application->Handle();
}

}  // namespace

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  std::function<void(TMenuItem*)> update = [&](TMenuItem* parent) {
    for (int i = 0; i < parent->Count(); ++i) {
      parent->Items(i)->InitiateAction();
      update(parent->Items(i));
    }
  };
  update(FItems.get());
  if (g_popupPresenter) {
    WORD command = g_popupPresenter(this, x, y);
    if (command) DispatchCommand(command);
    return;
  }
  MenuHandle menu{CreatePopupMenu()};
  AppendMenuItems(menu.handle, FItems.get());
  if (GetMenuItemCount(menu.handle) <= 0) return;
  UINT flags = TPM_RIGHTBUTTON;
  if (FAlignment == paRight) flags |= TPM_RIGHTALIGN;
  else if (FAlignment == paCenter) flags |= TPM_CENTERALIGN;
  // The chosen item comes back as WM_COMMAND posted to the owner, whose handler (a form's,
  // or the application window's) clicks it through DispatchPopupCommand.
  TrackPopupMenu(menu.handle, flags, x, y, 0, PopupOwner(FPopupComponent), nullptr);
}

bool DispatchPopupCommand(WORD command) {
  for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupList()))
    if (menu->DispatchCommand(command)) return true;
  return false;
}
