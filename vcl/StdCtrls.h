#pragma once

// The standard text controls over the platform's edit control: TCustomEdit/TEdit (one line)
// and TCustomMemo/TMemo (several lines, `Lines`). The window does all the editing; these
// classes keep its settings while it has no window and apply them when it is made again.
//
// Colours: the edit answers its colour requests (reflected as CN_CTLCOLOREDIT and
// CN_CTLCOLORSTATIC) with Font.Color on the control's Color brush.
//
// GUI thread only.

#include <memory>

#include "vcl/Form.h"
#include "vcl/StringList.h"
#include "vcl/WinControl.h"

BRANTWELL_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
BRANTWELL_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)

// The edits' border: bsNone or bsSingle.
using TBorderStyle = TFormBorderStyle;

class TCustomEdit : public TWinControl {
  BRANTWELL_CLASS(TCustomEdit, TWinControl)

 public:
  explicit TCustomEdit(TComponent* owner);
  static void DescribeClass(TClassBuilder<TCustomEdit>& c);

  AnsiString Text() { return GetText(); }
  void SetText(const AnsiString& value) { TControl::SetText(value); }

  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  // 0: no limit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);
  bool Modified();
  void SetModified(bool value);
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool value);
  // 0 shows the text; any other character stands for each character of it.
  char16_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char16_t value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);

  // The selection, in UTF-16 units of the text (0 without a window).
  int SelStart();
  void SetSelStart(int value);
  int SelLength();
  void SetSelLength(int value);
  AnsiString SelText();
  void SetSelText(const AnsiString& value);
  void SelectAll();
  void ClearSelection();

  bool CanUndo();
  void Undo();
  void ClearUndo();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  // Empties the text; makes no window.
  virtual void Clear();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // The text changed (by the user, by the program, with or without a window).
  virtual void Change();
  // The border style the window gets for BorderStyle (WS_EX_CLIENTEDGE under Ctl3D).
  virtual bool UsesCtl3D() const;

  void Dispatch(TMessage& message) override;
  virtual void CNCommand(TWMCommand& m);
  virtual void CNCtlColor(TMessage& m);
  void CMEnter(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;

  // Counts changes of the text, so views of it know when to read it again.
  unsigned FChangeStamp = 0;

 private:
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  TEditCharCase FCharCase = ecNormal;
  bool FHideSelection = true;
  int FMaxLength = 0;
  bool FModified = false;
  bool FOEMConvert = false;
  char16_t FPasswordChar = 0;
  bool FReadOnly = false;
  bool FCreating = false;
};

class TEdit : public TCustomEdit {
  BRANTWELL_CLASS(TEdit, TCustomEdit)

 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

class TCustomMemo;

// The lines of a memo: the memo's text split at its line breaks. Read from the window while
// the memo has one, else from the text the memo keeps for it.
class TMemoStrings : public TStrings {
  BRANTWELL_CLASS(TMemoStrings, TStrings)

 public:
  explicit TMemoStrings(TCustomMemo* memo) : FMemo(memo) {}
  int Count() const override;
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& value) override;
  void Insert(int index, const AnsiString& value) override;
  void Delete(int index) override;
  void Clear() override;
  void Assign(TPersistent* source) override;

 protected:
  void SetUpdateState(bool updating) override;

 private:
  std::vector<AnsiString>& Lines() const;
  void Store();

  TCustomMemo* FMemo;
  mutable std::vector<AnsiString> m_lines;
  mutable bool m_valid = false;
  mutable unsigned m_stamp = 0;
  bool m_updating = false;
  bool m_dirty = false;
};

class TCustomMemo : public TCustomEdit {
  BRANTWELL_CLASS(TCustomMemo, TCustomEdit)

 public:
  explicit TCustomMemo(TComponent* owner);
  ~TCustomMemo() override;
  static void DescribeClass(TClassBuilder<TCustomMemo>& c);

  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* value) { FLines->Assign(value); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  // The caret as (column, line) of the window's lines.
  TPoint CaretPos();

 protected:
  void CreateParams(TCreateParams& params) override;
  void KeyPress(char16_t& key) override;
  void Dispatch(TMessage& message) override;
  virtual void WMGetDlgCode(TMessage& m);

 private:
  std::unique_ptr<TMemoStrings> FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWantReturns = true;
  bool FWantTabs = false;
  bool FWordWrap = true;

  friend class TMemoStrings;
};

class TMemo : public TCustomMemo {
  BRANTWELL_CLASS(TMemo, TCustomMemo)

 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};
