#pragma once

// TToolBar / TToolButton: the tool bar over the platform's "ToolbarWindow32". Each TToolButton
// child is one button of the window (its id its place in the bar's command numbering, its
// bounds kept to the button's rectangle); the window draws and clicks the buttons, and the
// bar hands the clicks to the buttons. Custom drawing goes through OnCustomDraw and
// OnCustomDrawButton with Canvas on the window's DC.
//
// A bar bound to a main menu (Menu) shows one button per visible top-level item; pressing one
// drops the item's submenu under it (the button kept down while it is open). While a menu is
// open, moving the pointer onto another menu button or pressing Left/Right at the top level
// switches to that button's menu, and Esc closes it; Alt+letter and F10 open a menu from the
// keyboard. GUI thread only.

#include <vector>

#include "platform/comctl/ToolBar.h"
#include "vcl/GraphicControl.h"
#include "vcl/ImageList.h"
#include "vcl/Menu.h"
#include "vcl/WinControl.h"

class TToolBar;

BRANTWELL_ENUM(TToolButtonStyle, tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider)

class TToolButton : public TGraphicControl {
  BRANTWELL_CLASS(TToolButton, TGraphicControl)

 public:
  explicit TToolButton(TComponent* owner);
  ~TToolButton() override;
  static void DescribeClass(TClassBuilder<TToolButton>& c);

  TToolBar* ToolBar() const;
  int Index() const;
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  bool Down() const;
  void SetDown(bool value);
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  bool Wrap() const { return FWrap; }
  void SetWrap(bool value);
  bool Marked() const { return FMarked; }
  void SetMarked(bool value);
  TMenuItem* MenuItem() const { return FMenuItem; }
  void SetMenuItem(TMenuItem* value);
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* value);
  // The window's command id of this button.
  int Command() const { return FCommand; }
  void Click() override;
  void SetParent(TWinControl* value) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;
  void Changed();

 private:
  friend class TToolBar;
  TToolButtonStyle FStyle = tbsButton;
  int FImageIndex = -1;
  bool FDown = false;
  bool FGrouped = false;
  bool FAutoSize = false;
  bool FWrap = false;
  bool FMarked = false;
  TMenuItem* FMenuItem = nullptr;
  TPopupMenu* FDropdownMenu = nullptr;
  int FCommand = 0;
  bool FUpdating = false;
};

using TTBCustomDrawEvent = TEvent<void(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw)>;
// State: the platform's CDIS_* bits of the button (CDIS_HOT, CDIS_SELECTED for pressed ...).
using TTBCustomDrawBtnEvent = TEvent<void(TToolBar* Sender, TToolButton* Button, UINT State, bool& DefaultDraw)>;

class TToolBar : public TWinControl {
  BRANTWELL_CLASS(TToolBar, TWinControl)

 public:
  explicit TToolBar(TComponent* owner);
  ~TToolBar() override;
  static void DescribeClass(TClassBuilder<TToolBar>& c);

  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TToolButton* Buttons(int index) const { return FButtons.at(static_cast<size_t>(index)); }
  TCanvas* Canvas() const { return FCanvas.get(); }

  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool List() const { return FList; }
  void SetList(bool value);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool value);
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int value);
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* value);
  TCustomImageList* DisabledImages() const { return FDisabledImages; }
  void SetDisabledImages(TCustomImageList* value);
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* value);
  // Drops the menu of a menu button (as a click on it does); false when it has none.
  bool TrackMenu(TToolButton* button);
  // The menu button whose menu is open, or null.
  TToolButton* MenuButton() const { return FMenuButton; }

  TTBCustomDrawEvent OnCustomDraw;
  TTBCustomDrawBtnEvent OnCustomDrawButton;

  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  void CNNotify(TWMNotify& m);
  void CNCommand(TWMCommand& m);
  void CMIsShortCut(TMessage& m);
  void WMMenuSelect(TMessage& m);
  void WMSize(TWMSize& m) override;

 private:
  friend class TToolButton;
  void InsertButton(TToolButton* button);
  void RemoveButton(TToolButton* button);
  void RecreateButtons();
  void UpdateButton(TToolButton* button);
  void UpdateButtonBounds();
  void SendImageLists();
  void UpdateStyle(DWORD bit, bool on);
  TToolButton* ButtonOfCommand(int command) const;
  TToolButton* NeighbourMenuButton(TToolButton* from, int step) const;
  static LRESULT MenuFilter(int code, WPARAM wParam, LPARAM lParam);
  void ClearMenuButtons();

  std::vector<TToolButton*> FButtons;
  std::vector<TToolButton*> FMenuButtons;  // made for Menu, owned by the bar
  std::unique_ptr<TCanvas> FCanvas;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FHotImages = nullptr;
  TCustomImageList* FDisabledImages = nullptr;
  TMainMenu* FMenu = nullptr;
  bool FFlat = false;
  bool FList = false;
  bool FShowCaptions = false;
  bool FTransparent = false;
  bool FWrapable = true;
  int FButtonWidth = 23;
  int FButtonHeight = 22;
  int FNextCommand = 1;
  bool FUpdatingBounds = false;
  // The menu being tracked.
  TToolButton* FMenuButton = nullptr;
  TToolButton* FSwitchTo = nullptr;
  HMENU FTrackedMenu = nullptr;
  bool FMenuAtTop = true;
  bool FSelectedHasSubmenu = false;
};
