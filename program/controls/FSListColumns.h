#pragma once

// What describes the skinned list view besides its rows: the report columns (TFSListColumn,
// with a sort mark of the header), the item groups (TFSListGroup, mirrored onto the window's
// groups whenever they change), the work areas of the icon views (TFSWorkArea) and the icon
// options (window style bits). Changes reach the window only while it exists; the view sends
// everything again when it makes its window.
//
// GUI thread only.

#include "vcl/Collection.h"
#include "vcl/Colors.h"
#include "vcl/Control.h"
#include "vcl/TypInfo.h"
#include "vcl/Types.h"

class TFSCustomListView;

BRANTWELL_ENUM(TFSColumnSortStyle, smsNone, smsAsc, smsDesc)
BRANTWELL_ENUM(TListGroupState, lgsNormal, lgsHidden, lgsCollapsed, lgsNoHeader, lgsCollapsible, lgsFocused,
               lgsSelected, lgsSubseted, lgsSubSetLinkFocused)
using TListGroupStateSet = TSet<TListGroupState>;
BRANTWELL_ENUM(TIconArrangement, iaTop, iaLeft)

// The window's group state bits (LVGS_*) of a state set.
unsigned GroupStateBits(TListGroupStateSet state);

class TFSListColumn : public TCollectionItem {
  BRANTWELL_CLASS(TFSListColumn, TCollectionItem)

 public:
  explicit TFSListColumn(TCollection* collection);
  ~TFSListColumn() override;
  static void DescribeClass(TClassBuilder<TFSListColumn>& c);

  void Assign(TPersistent* source) override;
  AnsiString GetDisplayName() override;
  void SetIndex(int value) override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& value);
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int value);
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  // The pixel width (asked from the window where it keeps it); -1 fits the text and -2 the
  // header (automatic widths).
  int Width();
  void SetWidth(int value);
  // The stored width, without asking the window.
  int StoredWidth() const { return FWidth; }
  int Tag() const { return FTag; }
  void SetTag(int value) { FTag = value; }
  TFSColumnSortStyle SortMark() const { return FSortMark; }
  void SetSortMark(TFSColumnSortStyle value);
  // None and ascending advance by one; descending goes back to ascending.
  void ToggleSortMark();
  // The header item of this column in the window.
  int OrderTag() const { return FOrderTag; }

 protected:
  void DefineProperties(TFiler* filer) override;

 private:
  friend class TFSListColumns;
  friend class TFSListItems;
  friend class TFSCustomListView;
  TFSCustomListView* View() const;
  void DoChange();
  bool IsWidthStored() const { return !FAutoSize; }

  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = false;
  AnsiString FCaption;
  int FMaxWidth = 0;
  int FMinWidth = 0;
  int FImageIndex = -1;
  int FPrivateWidth = 0;  // an automatic width parked during an items update
  int FWidth = 50;
  int FOrderTag = 0;
  int FTag = 0;
  TFSColumnSortStyle FSortMark = smsNone;
};

class TFSListColumns : public TCollection {
  BRANTWELL_CLASS(TFSListColumns, TCollection)

 public:
  explicit TFSListColumns(TFSCustomListView* owner);

  TFSCustomListView* Owner() const { return FOwner; }
  TFSListColumn* Items(int index) const { return static_cast<TFSListColumn*>(TCollection::Items(index)); }
  TFSListColumn* Add() { return static_cast<TFSListColumn*>(TCollection::Add()); }
  void ClearSortMarks(TFSListColumn* except);
  // Deletes the window's columns and inserts every column again in collection order.
  void UpdateCols();

 protected:
  void Update(TCollectionItem* item) override;
  TPersistent* GetOwner() override;

 private:
  TFSCustomListView* FOwner;
};

class TFSListGroup : public TCollectionItem {
  BRANTWELL_CLASS(TFSListGroup, TCollectionItem)

 public:
  explicit TFSListGroup(TCollection* collection);
  ~TFSListGroup() override;
  static void DescribeClass(TClassBuilder<TFSListGroup>& c);

  void Assign(TPersistent* source) override;
  AnsiString GetDisplayName() override;

  const AnsiString& Header() const { return FHeader; }
  void SetHeader(const AnsiString& value);
  const AnsiString& Footer() const { return FFooter; }
  void SetFooter(const AnsiString& value);
  int GroupID() const { return FGroupID; }
  void SetGroupID(int value);
  TListGroupStateSet State();
  void SetState(TListGroupStateSet value);
  TAlignment HeaderAlign() const { return FHeaderAlign; }
  void SetHeaderAlign(TAlignment value);
  TAlignment FooterAlign() const { return FFooterAlign; }
  void SetFooterAlign(TAlignment value);
  const AnsiString& Subtitle() const { return FSubtitle; }
  void SetSubtitle(const AnsiString& value);
  const AnsiString& Task() const { return FTask; }
  void SetTask(const AnsiString& value);
  const AnsiString& TopDescription() const { return FTopDescription; }
  void SetTopDescription(const AnsiString& value);
  const AnsiString& BottomDescription() const { return FBottomDescription; }
  void SetBottomDescription(const AnsiString& value);
  int TitleImage() const { return FTitleImage; }
  void SetTitleImage(int value);
  int ExtendedImage() const { return FExtendedImage; }
  void SetExtendedImage(int value);
  const AnsiString& SubsetTitle() const { return FSubsetTitle; }
  void SetSubsetTitle(const AnsiString& value);

 private:
  friend class TFSListGroups;
  friend class TFSCustomListView;
  TFSCustomListView* View() const;
  void Changed();
  template <class T> void Store(T& field, const T& value);

  AnsiString FHeader;
  AnsiString FFooter;
  int FGroupID = 0;
  TListGroupStateSet FState{lgsNormal};
  TAlignment FHeaderAlign = taLeftJustify;
  TAlignment FFooterAlign = taLeftJustify;
  AnsiString FSubtitle;
  AnsiString FTask;
  AnsiString FTopDescription;
  AnsiString FBottomDescription;
  int FTitleImage = -1;
  int FExtendedImage = -1;
  AnsiString FSubsetTitle;
};

class TFSListGroups : public TCollection {
  BRANTWELL_CLASS(TFSListGroups, TCollection)

 public:
  explicit TFSListGroups(TFSCustomListView* owner);

  TFSCustomListView* Owner() const { return FOwner; }
  TFSListGroup* Items(int index) const { return static_cast<TFSListGroup*>(TCollection::Items(index)); }
  TFSListGroup* Add() { return static_cast<TFSListGroup*>(TCollection::Add()); }
  // The smallest id no group uses.
  int NextGroupID() const;
  TFSListGroup* FindGroup(int groupID) const;

 protected:
  void Update(TCollectionItem* item) override;
  TPersistent* GetOwner() override;

 private:
  TFSCustomListView* FOwner;
};

class TFSWorkArea : public TCollectionItem {
  BRANTWELL_CLASS(TFSWorkArea, TCollectionItem)

 public:
  explicit TFSWorkArea(TCollection* collection);
  static void DescribeClass(TClassBuilder<TFSWorkArea>& c);

  AnsiString GetDisplayName() override { return FDisplayName; }
  const TRect& Rect() const { return FRect; }
  void SetRect(const TRect& value);
  const AnsiString& DisplayName() const { return FDisplayName; }
  void SetDisplayName(const AnsiString& value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value) { FColor = value; }

 private:
  TRect FRect{};
  AnsiString FDisplayName;
  TColor FColor = clWindowText;
};

class TFSWorkAreas : public TOwnedCollection {
  BRANTWELL_CLASS(TFSWorkAreas, TOwnedCollection)

 public:
  explicit TFSWorkAreas(TFSCustomListView* owner);

  TFSWorkArea* Items(int index) const { return static_cast<TFSWorkArea*>(TCollection::Items(index)); }
  TFSWorkArea* Add() { return static_cast<TFSWorkArea*>(TCollection::Add()); }
  // Sends every area's rectangle to the window.
  void Update(TCollectionItem* item) override;

 private:
  TFSCustomListView* FView;
};

class TFSIconOptions : public TPersistent {
  BRANTWELL_CLASS(TFSIconOptions, TPersistent)

 public:
  // Raises EInvalidOperation "Invalid owner" without a view.
  explicit TFSIconOptions(TFSCustomListView* owner);
  static void DescribeClass(TClassBuilder<TFSIconOptions>& c);

  void Assign(TPersistent* source) override;
  TIconArrangement Arrangement() const { return FArrangement; }
  void SetArrangement(TIconArrangement value);
  bool AutoArrange() const { return FAutoArrange; }
  void SetAutoArrange(bool value);
  bool WrapText() const { return FWrapText; }
  void SetWrapText(bool value);

 private:
  TFSCustomListView* FListView;
  TIconArrangement FArrangement = iaTop;
  bool FAutoArrange = false;
  bool FWrapText = true;
};
