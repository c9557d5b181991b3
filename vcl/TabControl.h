#pragma once

// The standard tab and page controls over the platform's tab control: TCustomTabControl (tab
// strings, selection with OnChanging/OnChange, positions, rows, owner drawing, the display
// rectangle children are laid out in), TTabSheet (one page) and TPageControl (the pages, one
// tab per page whose tab is visible, the active page). The tabs and the selection are kept
// while there is no window and handed to the next one.
//
// GUI thread only.

#include <memory>
#include <vector>

#include "vcl/Canvas.h"
#include "vcl/ImageList.h"
#include "vcl/StringList.h"
#include "vcl/WinControl.h"

BRANTWELL_ENUM(TTabPosition, tpTop, tpBottom, tpLeft, tpRight)
BRANTWELL_ENUM(TTabStyle, tsTabs, tsButtons, tsFlatButtons)

class TCustomTabControl;

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;
using TDrawTabEvent = TEvent<void(TCustomTabControl* Control, int TabIndex, const TRect& Rect, bool Active)>;

// The tab captions, read and written through the window's TCM_ messages.
class TTabStrings : public TStrings {
  BRANTWELL_CLASS(TTabStrings, TStrings)

 public:
  explicit TTabStrings(TCustomTabControl* control = nullptr) : FTabControl(control) {}
  int Count() const override;
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& value) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  void Insert(int index, const AnsiString& value) override;
  void Delete(int index) override;
  void Clear() override;

 private:
  TCustomTabControl* FTabControl;
};

class TCustomTabControl : public TWinControl {
  BRANTWELL_CLASS(TCustomTabControl, TWinControl)

 public:
  explicit TCustomTabControl(TComponent* owner);
  ~TCustomTabControl() override;
  static void DescribeClass(TClassBuilder<TCustomTabControl>& c);

  TStrings* Tabs() const { return FTabs.get(); }
  void SetTabs(TStrings* value) { FTabs->Assign(value); }
  // -1: no tab selected.
  int TabIndex();
  virtual void SetTabIndex(int value);
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition value);
  TTabStyle Style() const { return FStyle; }
  void SetStyle(TTabStyle value);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);
  bool RaggedRight() const { return FRaggedRight; }
  void SetRaggedRight(bool value);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool value);
  // 0: the tabs' own size.
  int TabHeight() const { return FTabHeight; }
  void SetTabHeight(int value);
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int value);
  // Tab images: image i of the list for tab i (GetImageIndex), drawn from the list's platform
  // image list; a change of the list redraws the tabs.
  TCustomImageList* Images() const { return FImages; }
  virtual void SetImages(TCustomImageList* value);
  TCanvas* Canvas() const { return FCanvas.get(); }

  // The client area left for the pages, inside the tabs and the frame.
  TRect DisplayRect();
  // The tab under a client point, -1 for none.
  int IndexOfTabAt(int x, int y);
  int RowCount();
  TRect TabRect(int index);

  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;
  TDrawTabEvent OnDrawTab;

  // The tabs kept while there is no window.
  TStringList* SavedTabs() const { return FSaveTabs.get(); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void CreateWindowHandle(const TCreateParams& params) override;
  void AdjustClientRect(TRect& rect) override;
  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual bool CanChange();
  virtual void Change();
  virtual void DrawTab(int tabIndex, const TRect& rect, bool active);
  virtual int GetImageIndex(int tabIndex);
  virtual void CNNotify(TWMNotify& m);
  virtual void CNDrawItem(TMessage& m);
  // The window's tab layout changed: the pages follow the display rectangle.
  void TabsChanged();
  void UpdateTabImages();
  void ImageListChange(TObject* sender);

  std::unique_ptr<TTabStrings> FTabs;
  std::unique_ptr<TStringList> FSaveTabs;
  std::unique_ptr<TControlCanvas> FCanvas;
  int FSaveTabIndex = -1;
  TTabPosition FTabPosition = tpTop;
  TTabStyle FStyle = tsTabs;
  bool FMultiLine = false;
  bool FHotTrack = false;
  bool FRaggedRight = false;
  bool FOwnerDraw = false;
  int FTabHeight = 0;
  int FTabWidth = 0;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;

  friend class TTabStrings;
};

class TTabControl : public TCustomTabControl {
  BRANTWELL_CLASS(TTabControl, TCustomTabControl)

 public:
  explicit TTabControl(TComponent* owner) : TCustomTabControl(owner) {}
  static void DescribeClass(TClassBuilder<TTabControl>& c) { (void)c; }
};

class TPageControl;

class TTabSheet : public TWinControl {
  BRANTWELL_CLASS(TTabSheet, TWinControl)

 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  static void DescribeClass(TClassBuilder<TTabSheet>& c);

  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* value);
  // The position in the page control's page list (-1 without one).
  int PageIndex() const;
  void SetPageIndex(int value);
  // The tab's index, -1 while the tab is hidden.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  bool Highlighted() const { return FHighlighted; }
  void SetHighlighted(bool value);
  AnsiString Caption() { return GetText(); }
  void SetCaption(const AnsiString& value) { SetText(value); }

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

 protected:
  void ReadState(TReader* reader) override;
  void CMTextChanged(TMessage& m) override;
  void CMVisibleChanged(TMessage& m) override;
  virtual void DoShow();
  virtual void DoHide();

  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  bool FTabShowing = false;
  int FImageIndex = -1;
  bool FHighlighted = false;

  friend class TPageControl;
};

class TPageControl : public TCustomTabControl {
  BRANTWELL_CLASS(TPageControl, TCustomTabControl)

 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  static void DescribeClass(TClassBuilder<TPageControl>& c);

  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int index) const;
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
  void SetActivePageIndex(int value);
  // Setting the tab index activates the page of that tab.
  void SetTabIndex(int value) override;
  // The page of a tab (tabs stand only for pages whose tab is visible); -1 for none.
  int PageIndexFromTabIndex(int tabIndex) const;
  // The next (or previous) page with a visible tab after `current`, wrapping.
  TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible);
  void SelectNextPage(bool goForward, bool checkTabVisible = true);

 protected:
  bool CanChange() override;
  void Change() override;
  int GetImageIndex(int tabIndex) override;
  void ShowControl(TControl* control);
  virtual void UpdateActivePage();

 private:
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  void ChangeActivePage(TTabSheet* page);
  void UpdateTab(TTabSheet* page);
  void RebuildTabs();

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  bool FSettingActivePage = false;

  friend class TTabSheet;
};
