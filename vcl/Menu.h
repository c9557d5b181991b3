#pragma once

// Menus: a tree of TMenuItem under a TMainMenu (the menu of a form) or a TPopupMenu (a
// control's context menu). Every item has a command id, unique in the program, by which
// WM_COMMAND finds it (DispatchCommand); Click runs its action or OnClick. Radio items of
// one GroupIndex check one another off. Shortcuts run from the form's key handling.
//
// A parent item frees its child items. GUI thread only.

#include <vector>

#include "vcl/Action.h"

class TMenu;
class TMenuItem;

class TMenuActionLink : public TBasicActionLink {
  BRANTWELL_CLASS(TMenuActionLink, TBasicActionLink)

 public:
  explicit TMenuActionLink(TMenuItem* client) : FClient(client) {}
  TMenuItem* Client() const { return FClient; }

 protected:
  TMenuItem* FClient;
};

class TMenuItem : public TComponent {
  BRANTWELL_CLASS(TMenuItem, TComponent)

 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;
  static void DescribeClass(TClassBuilder<TMenuItem>& c);

  // ---- tree
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return FParent; }
  int MenuIndex() const;
  void SetMenuIndex(int value);
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  void Delete(int index);
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  // The direct child with this caption ("&" ignored, letter case ignored), or null.
  TMenuItem* Find(const AnsiString& caption) const;
  TMenu* GetParentMenu() const;

  // ---- state
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value) { FShortCut = value; }
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool value);
  uint8_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(uint8_t value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool value) { FAutoCheck = value; }
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& value) { FHint = value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value) { FImageIndex = value; }
  bool IsLine() const { return FCaption == "-"; }
  // The item's command id (WM_COMMAND's item id).
  WORD Command() const { return FCommand; }
  static TMenuItem* FindByCommand(WORD command);

  TBasicAction* Action() const { return FActionLink ? FActionLink->Action() : nullptr; }
  void SetAction(TBasicAction* value);
  virtual void InitiateAction();
  virtual void Click();

  TNotifyEvent OnClick;

  TComponent* GetParentComponent() override;
  bool HasParent() override { return true; }
  void SetParentComponent(TComponent* value) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void ActionChange(TBasicAction* sender, bool checkDefaults);
  void TurnSiblingsOff();
  void Changed();

 private:
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item of a menu
  AnsiString FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  TShortCut FShortCut = 0;
  bool FRadioItem = false;
  uint8_t FGroupIndex = 0;
  bool FAutoCheck = false;
  AnsiString FHint;
  int FImageIndex = -1;
  WORD FCommand = 0;
  std::unique_ptr<TMenuActionLink> FActionLink;

  friend class TMenu;
};

class TMenu : public TComponent {
  BRANTWELL_CLASS(TMenu, TComponent)

 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  TMenuItem* Items() const { return FItems.get(); }
  // Clicks the item with this command id; false when no item of this menu has it.
  bool DispatchCommand(WORD command);
  // Clicks the enabled, visible item with the key message's shortcut.
  bool IsShortCut(TWMKey& m);
  // The item of this menu with the command id, or null.
  TMenuItem* FindItem(WORD command) const;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  // The window the menu belongs to (its form's), or null.
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND value) { FWindowHandle = value; }
  // Called when an item of the menu changed.
  virtual void MenuChanged(TMenuItem* item) { (void)item; }

 protected:
  std::unique_ptr<TMenuItem> FItems;
  HWND FWindowHandle = nullptr;
};

class TMainMenu : public TMenu {
  BRANTWELL_CLASS(TMainMenu, TMenu)

 public:
  explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
};

BRANTWELL_ENUM(TPopupAlignment, paLeft, paRight, paCenter)

// Shows a popup menu at a screen point and returns the command id chosen (0: none). Popup
// uses the window manager's popup menus unless another presenter (a skinned menu) is
// installed.
using TPopupPresenter = WORD (*)(TPopupMenu* menu, int x, int y);
void SetPopupPresenter(TPopupPresenter presenter);

class TPopupMenu : public TMenu {
  BRANTWELL_CLASS(TPopupMenu, TMenu)

 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  static void DescribeClass(TClassBuilder<TPopupMenu>& c);

  // OnPopup, then the menu at the screen point, tracked until the user chooses or cancels;
  // the chosen item is clicked through the WM_COMMAND posted to the owner form's window (the
  // form of PopupComponent, else the active or main form, else the application window).
  virtual void Popup(int x, int y);
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* value) { FPopupComponent = value; }
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment value) { FAlignment = value; }

  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TComponent* FPopupComponent = nullptr;
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = paLeft;
};

// WM_COMMAND of a popup menu: clicks the item of any popup menu with the command id.
bool DispatchPopupCommand(WORD command);
