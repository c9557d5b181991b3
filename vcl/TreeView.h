#pragma once

// TCustomTreeView / TTreeView: the tree-view control over the platform's "SysTreeView32",
// with its nodes as objects (TTreeNodes of TTreeNode). The nodes hold their text, images,
// state image, data and expansion themselves, so they live on while the window is destroyed
// and are put back into the new window when it is made again (RecreateWnd). Each window item's
// lParam is its node.
//
// Events: OnChanging/OnChange (selection), OnExpanding/OnExpanded, OnCollapsing/OnCollapsed,
// OnEditing/OnEdited (label editing), OnDeletion, OnCustomDraw/OnCustomDrawItem (drawing
// through the control's custom draw, with Canvas on its DC). GUI thread only.

#include <memory>
#include <vector>

#include "platform/comctl/TreeView.h"
#include "vcl/ImageList.h"
#include "vcl/StdCtrls.h"
#include "vcl/WinControl.h"

class TCustomTreeView;
class TTreeNodes;

BRANTWELL_ENUM(THitTest, htAbove, htBelow, htNowhere, htOnItem, htOnButton, htOnIcon, htOnIndent, htOnLabel,
               htOnRight, htOnStateIcon, htToLeft, htToRight)
using THitTests = TSet<THitTest>;
BRANTWELL_ENUM(TSortType, stNone, stData, stText, stBoth)
BRANTWELL_ENUM(TCustomDrawStateItem, cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot,
               cdsMarked, cdsIndeterminate, cdsDropHilited)
using TCustomDrawState = TSet<TCustomDrawStateItem>;
BRANTWELL_ENUM(TNodeAttachMode, naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert)

class TTreeNode : public TPersistent {
  BRANTWELL_CLASS(TTreeNode, TPersistent)

 public:
  explicit TTreeNode(TTreeNodes* owner);
  ~TTreeNode() override;

  // ---- place in the tree
  TTreeNodes* Owner() const { return FOwner; }
  TCustomTreeView* TreeView() const;
  TTreeNode* Parent() const { return FParent; }
  int Count() const { return static_cast<int>(FChildren.size()); }
  TTreeNode* Item(int index) const;
  int Index() const;
  int Level() const;
  int AbsoluteIndex() const;
  bool HasAsParent(const TTreeNode* value) const;
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
  TTreeNode* GetLastChild() const { return FChildren.empty() ? nullptr : FChildren.back(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next and previous node in a depth-first walk of the whole tree.
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;
  // The next and previous node shown (its parents expanded).
  TTreeNode* GetNextVisible() const;
  TTreeNode* GetPrevVisible() const;
  platform::HTREEITEM ItemId() const { return FItemId; }

  // ---- what it shows
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& value);
  void* Data() const { return FData; }
  void SetData(void* value) { FData = value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int value);
  // The state image (0: none; with check boxes 1 unchecked, 2 checked).
  int StateIndex() const;
  void SetStateIndex(int value);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int value);
  bool HasChildren() const;
  void SetHasChildren(bool value);
  bool Bold() const { return FBold; }
  void SetBold(bool value);
  bool Cut() const { return FCut; }
  void SetCut(bool value);
  bool DropTarget() const;
  void SetDropTarget(bool value);

  // ---- state
  bool Expanded() const;
  void SetExpanded(bool value);
  void Expand(bool recurse);
  void Collapse(bool recurse);
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const { return Selected(); }
  bool Deleting() const { return FDeleting; }
  bool IsVisible() const;
  void MakeVisible();
  // The node's row (textOnly: its label) in the view's client coordinates; empty when hidden.
  TRect DisplayRect(bool textOnly) const;
  bool EditText();
  void EndEdit(bool cancel);

  void Delete();
  void DeleteChildren();
  // Moves the node (and its branch) to another place.
  void MoveTo(TTreeNode* destination, TNodeAttachMode mode);
  bool AlphaSort(bool recurse = false);

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  platform::HTREEITEM Insert(platform::HTREEITEM after);
  void ReadFromWindow();
  UINT StateBits() const;

  TTreeNodes* FOwner;
  TTreeNode* FParent = nullptr;
  std::vector<TTreeNode*> FChildren;
  platform::HTREEITEM FItemId = nullptr;
  AnsiString FText;
  void* FData = nullptr;
  int FImageIndex = -1;
  int FSelectedIndex = -1;
  int FStateIndex = -1;  // -1: the control's default (unchecked under check boxes)
  int FOverlayIndex = -1;
  bool FHasChildren = false;
  bool FExpanded = false;
  bool FBold = false;
  bool FCut = false;
  bool FDeleting = false;
};

class TTreeNodes : public TPersistent {
  BRANTWELL_CLASS(TTreeNodes, TPersistent)

 public:
  explicit TTreeNodes(TCustomTreeView* owner);
  ~TTreeNodes() override;

  TCustomTreeView* Owner() const { return FOwner; }
  // Every node, in depth-first order.
  int Count() const;
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
  const std::vector<TTreeNode*>& Roots() const { return FRoots; }
  TTreeNode* GetNode(platform::HTREEITEM item) const;

  // A sibling of `sibling` at the end of its level (null: at the end of the top level).
  TTreeNode* Add(TTreeNode* sibling, const AnsiString& text) { return AddObject(sibling, text, nullptr); }
  TTreeNode* AddObject(TTreeNode* sibling, const AnsiString& text, void* data);
  TTreeNode* AddFirst(TTreeNode* sibling, const AnsiString& text) { return AddObjectFirst(sibling, text, nullptr); }
  TTreeNode* AddObjectFirst(TTreeNode* sibling, const AnsiString& text, void* data);
  TTreeNode* AddChild(TTreeNode* parent, const AnsiString& text) { return AddChildObject(parent, text, nullptr); }
  TTreeNode* AddChildObject(TTreeNode* parent, const AnsiString& text, void* data);
  TTreeNode* AddChildFirst(TTreeNode* parent, const AnsiString& text) { return AddChildObjectFirst(parent, text, nullptr); }
  TTreeNode* AddChildObjectFirst(TTreeNode* parent, const AnsiString& text, void* data);
  // A node in front of `sibling` (null: at the end of the top level).
  TTreeNode* Insert(TTreeNode* sibling, const AnsiString& text) { return InsertObject(sibling, text, nullptr); }
  TTreeNode* InsertObject(TTreeNode* sibling, const AnsiString& text, void* data);
  void Delete(TTreeNode* node);
  void Clear();
  // Window updates wait until the matching EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return FUpdateCount > 0; }

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* Attach(TTreeNode* parent, size_t position, const AnsiString& text, void* data);
  std::vector<TTreeNode*>& SiblingsOf(TTreeNode* parent) { return parent ? parent->FChildren : FRoots; }

  TCustomTreeView* FOwner;
  std::vector<TTreeNode*> FRoots;
  int FUpdateCount = 0;
};

using TTVChangingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = TEvent<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = TEvent<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = TEvent<void(TObject* Sender, TTreeNode* Node, AnsiString& S)>;
using TTVCompareEvent = TEvent<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, int Data, int& Compare)>;
using TTVCustomDrawEvent = TEvent<void(TCustomTreeView* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TTVCustomDrawItemEvent =
    TEvent<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, bool& DefaultDraw)>;

class TCustomTreeView : public TWinControl {
  BRANTWELL_CLASS(TCustomTreeView, TWinControl)

 public:
  explicit TCustomTreeView(TComponent* owner);
  ~TCustomTreeView() override;
  static void DescribeClass(TClassBuilder<TCustomTreeView>& c);

  TTreeNodes* Items() const { return FTreeNodes.get(); }
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* value);
  TTreeNode* TopItem() const;
  void SetTopItem(TTreeNode* value);
  TTreeNode* DropTarget() const;
  void SetDropTarget(TTreeNode* value);
  TTreeNode* GetNodeAt(int x, int y);
  THitTests GetHitTestInfoAt(int x, int y);
  bool IsEditing() const;
  void FullExpand();
  void FullCollapse();
  bool AlphaSort(bool recurse = true);
  bool CustomSort(platform::PFNTVCOMPARE compare, LPARAM data, bool recurse = true);
  TCanvas* Canvas() const { return FCanvas.get(); }

  // ---- look and behaviour (styles of the window)
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool value);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool value);
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value);
  bool AutoExpand() const { return FAutoExpand; }
  void SetAutoExpand(bool value);
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool value);
  bool RightClickSelect() const { return FRightClickSelect; }
  void SetRightClickSelect(bool value) { FRightClickSelect = value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  int Indent() const;
  void SetIndent(int value);
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType value);
  int ChangeDelay() const { return FChangeDelay; }
  void SetChangeDelay(int value) { FChangeDelay = value; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* value);

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVExpandedEvent OnDeletion;
  TTVCompareEvent OnCompare;
  TTVCustomDrawEvent OnCustomDraw;
  TTVCustomDrawItemEvent OnCustomDrawItem;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  // The typed handlers of the control's notifications; derived views override these.
  virtual bool CanChange(TTreeNode* node);
  virtual void Change(TTreeNode* node);
  virtual bool CanExpand(TTreeNode* node);
  virtual void Expand(TTreeNode* node);
  virtual bool CanCollapse(TTreeNode* node);
  virtual void Collapse(TTreeNode* node);
  virtual bool CanEdit(TTreeNode* node);
  virtual void Edit(TTreeNode* node, AnsiString& text);
  virtual void Delete(TTreeNode* node);
  virtual bool CustomDraw(const TRect& rect, DWORD stage);
  virtual bool CustomDrawItem(TTreeNode* node, TCustomDrawState state, DWORD stage);
  virtual void CNNotify(TWMNotify& m);
  void CMColorChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void UpdateStyle(DWORD bit, bool on);

 private:
  friend class TTreeNode;
  friend class TTreeNodes;
  void ImageListChange(TObject* sender);
  void SendImageLists();
  void RestoreNodes();
  void SaveNodes();

  std::unique_ptr<TTreeNodes> FTreeNodes;
  std::unique_ptr<TCanvas> FCanvas;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  std::unique_ptr<TChangeLink> FStateChangeLink;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FStateImages = nullptr;
  bool FShowButtons = true;
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FReadOnly = false;
  bool FHideSelection = true;
  bool FHotTrack = false;
  bool FRowSelect = false;
  bool FAutoExpand = false;
  bool FToolTips = true;
  bool FRightClickSelect = false;
  TBorderStyle FBorderStyle = bsSingle;
  int FIndent = 19;
  TSortType FSortType = stNone;
  int FChangeDelay = 0;
  // Kept across a window's re-creation.
  TTreeNode* FSavedSelected = nullptr;
  TTreeNode* FSavedTop = nullptr;
  bool FDestroyingWindow = false;
  bool FExpandingByNode = false;  // a node's own Expand/Collapse already asked the events
  int FCustomDrawDepth = 0;
};

class TTreeView : public TCustomTreeView {
  BRANTWELL_CLASS(TTreeView, TCustomTreeView)

 public:
  explicit TTreeView(TComponent* owner) : TCustomTreeView(owner) {}
};
