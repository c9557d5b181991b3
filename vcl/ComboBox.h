#pragma once

// The standard combo box over the platform's "ComboBox" class: TCustomCombo (the base: items,
// selection, drop-down size, the notifications turned into events) and TCustomComboBox (styles,
// sorting, case, owner drawing). The item strings live in the window; while there is none (not
// made yet, or being made again) they are kept here and handed to the next window with the
// selection.
//
// BeginUpdate/EndUpdate on Items keep the selection: the chosen index is noted when the update
// starts and chosen again when it ends, so refilling the list leaves ItemIndex where it was.
//
// Texts cross to the window as UTF-16. GUI thread only.

#include <memory>

#include "vcl/Canvas.h"
#include "vcl/GraphicsObject.h"  // EOutOfResources
#include "vcl/ListControl.h"
#include "vcl/StdCtrls.h"
#include "vcl/StringList.h"


BRANTWELL_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)
BRANTWELL_ENUM(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
               odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

// The owner-draw state of a DRAWITEMSTRUCT's itemState.
TOwnerDrawState OwnerDrawStateOf(UINT itemState);

class TCustomCombo;

// The items of a combo box, read and written through the window's CB_ messages.
class TCustomComboBoxStrings : public TStrings {
  BRANTWELL_CLASS(TCustomComboBoxStrings, TStrings)

 public:
  explicit TCustomComboBoxStrings(TCustomCombo* combo = nullptr) : FComboBox(combo) {}
  TCustomCombo* ComboBox() const { return FComboBox; }

  int Count() const override;
  AnsiString Get(int index) const override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  void Insert(int index, const AnsiString& value) override;
  int Add(const AnsiString& value) override;
  void Delete(int index) override;
  // Empties the list; the edit's text stays.
  void Clear() override;
  int IndexOf(const AnsiString& value) const override;

 protected:
  void SetUpdateState(bool updating) override;

 private:
  TCustomCombo* FComboBox;
  int FSavedIndex = -1;
};

using TDrawItemEvent = TEvent<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TEvent<void(TWinControl* Control, int Index, int& Height)>;

class TCustomCombo : public TCustomListControl {
  BRANTWELL_CLASS(TCustomCombo, TCustomListControl)

 public:
  explicit TCustomCombo(TComponent* owner);
  ~TCustomCombo() override;
  static void DescribeClass(TClassBuilder<TCustomCombo>& c);

  TStrings* Items() const { return FItems.get(); }
  virtual void SetItems(TStrings* value);
  int DropDownCount() const { return FDropDownCount; }
  virtual void SetDropDownCount(int value);
  // 0: no limit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);
  int ItemHeight() { return GetItemHt(); }
  virtual void SetItemHeight(int value);
  bool DroppedDown();
  void SetDroppedDown(bool value);
  AnsiString Text() { return GetText(); }
  void SetText(const AnsiString& value) { TControl::SetText(value); }
  // The selection in the edit field (UTF-16 units; 0 without an edit).
  int SelStart();
  void SetSelStart(int value);
  int SelLength();
  void SetSelLength(int value);
  void SelectAll() override;

  // The child windows: the edit (none for the list-only styles) and the list.
  HWND EditHandle() const { return FEditHandle; }
  HWND ListHandle() const { return FListHandle; }

  // ---- list control
  void AddItem(const AnsiString& item, TObject* object) override;
  void Clear() override;
  void ClearSelection() override;
  void CopySelection(TCustomListControl* destination) override;
  void DeleteSelected() override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

  // The items kept while there is no window (null while the window holds them).
  TStringList* SavedItems() const { return FSaveItems.get(); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Gives the window an id, by which the parent routes its owner-draw requests here.
  void CreateWindowHandle(const TCreateParams& params) override;
  void Dispatch(TMessage& message) override;
  int GetCount() override;
  int GetItemIndex() override;
  void DoSetItemIndex(int value) override;

  virtual void AdjustDropDown();
  virtual TStrings* CreateItems();
  virtual int GetItemHt();
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void CNCommand(TWMCommand& m);
  virtual void WMParentNotify(TMessage& m);

  std::unique_ptr<TStrings> FItems;
  std::unique_ptr<TStringList> FSaveItems;
  int FSaveIndex = -1;
  int FDropDownCount = 8;
  int FMaxLength = 0;
  int FItemHeight = 16;
  HWND FEditHandle = nullptr;
  HWND FListHandle = nullptr;
  HWND FDropHandle = nullptr;
  bool FDroppingDown = false;

  friend class TCustomComboBoxStrings;
};

class TCustomComboBox : public TCustomCombo {
  BRANTWELL_CLASS(TCustomComboBox, TCustomCombo)

 public:
  explicit TCustomComboBox(TComponent* owner);
  static void DescribeClass(TClassBuilder<TCustomComboBox>& c);

  TComboBoxStyle Style() const { return FStyle; }
  virtual void SetStyle(TComboBoxStyle value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  TCanvas* Canvas() const { return FCanvas.get(); }
  // Typing in the edit completes the text from the first item it starts (the completion
  // selected, so that the next key types over it); deleting completes nothing.
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool value) { FAutoComplete = value; }
  // Typing drops the list.
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool value) { FAutoDropDown = value; }
  // Choosing an item with the keys closes the dropped list.
  bool AutoCloseUp() const { return FAutoCloseUp; }
  void SetAutoCloseUp(bool value) { FAutoCloseUp = value; }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Dispatch(TMessage& message) override;
  int GetItemHt() override;
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  virtual void CNDrawItem(TMessage& m);
  virtual void CNMeasureItem(TMessage& m);
  virtual void CNCtlColor(TMessage& m);
  void CNCommand(TWMCommand& m) override;

  TComboBoxStyle FStyle = csDropDown;
  bool FAutoComplete = true;
  bool FAutoDropDown = false;
  bool FAutoCloseUp = false;
  size_t FLastTextLength = 0;
  bool FCompleting = false;
  bool FSorted = false;
  TEditCharCase FCharCase = ecNormal;
  std::unique_ptr<TControlCanvas> FCanvas;
};

class TComboBox : public TCustomComboBox {
  BRANTWELL_CLASS(TComboBox, TCustomComboBox)

 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
  static void DescribeClass(TClassBuilder<TComboBox>& c) { (void)c; }
};
