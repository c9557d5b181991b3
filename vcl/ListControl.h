#pragma once

// TCustomListControl: the base of the controls that show a list of items one of which may be
// chosen (combo boxes, list boxes): the selected index and the list operations every such
// control offers, each answered by the window of the class that derives from it.
//
// GUI thread only.

#include "vcl/WinControl.h"

class TCustomListControl : public TWinControl {
  BRANTWELL_CLASS(TCustomListControl, TWinControl)

 public:
  explicit TCustomListControl(TComponent* owner) : TWinControl(owner) {}
  static void DescribeClass(TClassBuilder<TCustomListControl>& c);

  // -1: nothing chosen.
  int ItemIndex() { return GetItemIndex(); }
  void SetItemIndex(int value) { DoSetItemIndex(value); }
  int ItemCount() { return GetCount(); }

  virtual void AddItem(const AnsiString& item, TObject* object) = 0;
  virtual void Clear() = 0;
  virtual void ClearSelection() = 0;
  // Adds the selected items to `destination`.
  virtual void CopySelection(TCustomListControl* destination) = 0;
  virtual void DeleteSelected() = 0;
  // Adds the selected items to `destination` and removes them here.
  virtual void MoveSelection(TCustomListControl* destination);
  virtual void SelectAll() = 0;

 protected:
  virtual int GetCount() = 0;
  virtual int GetItemIndex() = 0;
  virtual void DoSetItemIndex(int value) = 0;
};

// TCustomMultiSelectListControl: a list control whose user may choose several items at once.
// MultiSelect is a style of the window, so its setter is the deriving class's (which usually
// re-creates the window); SelCount answers from the window.
class TCustomMultiSelectListControl : public TCustomListControl {
  BRANTWELL_CLASS(TCustomMultiSelectListControl, TCustomListControl)

 public:
  explicit TCustomMultiSelectListControl(TComponent* owner) : TCustomListControl(owner) {}
  static void DescribeClass(TClassBuilder<TCustomMultiSelectListControl>& c);

  bool MultiSelect() const { return FMultiSelect; }
  virtual void SetMultiSelect(bool value) = 0;
  // The number of chosen items.
  int SelCount() { return GetSelCount(); }

 protected:
  virtual int GetSelCount() = 0;

  bool FMultiSelect = false;
};
