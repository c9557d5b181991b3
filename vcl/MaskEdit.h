#pragma once

// Edits with an edit mask (the mask language is MaskUtils'). The edit window shows every
// position of the mask: literals, the typed characters and the blank in empty positions.
//
// TMaskEditBehaviour is that behaviour written once, for every edit that takes a mask: the
// keys (arrows, Home/End, Delete, Backspace, typed characters checked against their
// positions, Escape to give the entered text back), the mouse (the caret kept on one
// position, shown as a one-character selection), focus (entering remembers the text,
// leaving validates), cut and paste through the mask, and the Text, EditText and MaxLength
// rules. An edit owns one and hands it the messages named on each member; TMaskEditBase does
// that once for any edit class, and TCustomMaskEdit below and the skinned masked edit are
// made on it.
//
// EDBEditError is raised when a masked text does not fit its mask.
//
// GUI thread only.

#include "rtl/Exceptions.h"
#include "vcl/MaskUtils.h"
#include "vcl/Messages.h"
#include "vcl/StdCtrls.h"

BRANTWELL_DECLARE_EXCEPTION(EDBEditError, Exception);

using TEditMask = AnsiString;
using TMaskedText = AnsiString;

class TMaskEditBehaviour {
 public:
  // What the behaviour asks of the edit it serves, beyond TCustomEdit.
  class THost {
   public:
    virtual ~THost() = default;
    // Whether typing may change the text now (a data-aware edit may refuse).
    virtual bool EditCanModify() = 0;
    // A text that breaks the mask is being left: beeps and raises.
    virtual void ValidateError() = 0;
  };

  TMaskEditBehaviour(TCustomEdit& edit, THost& host);

  const TEditMask& EditMask() const { return m_editMask; }
  // Lays the current value into the new mask; the edit's limit becomes the mask's length.
  void SetEditMask(const TEditMask& value);
  bool IsMasked() const { return m_format.IsMasked(); }
  const TEditMaskFormat& Format() const { return m_format; }

  // The text as the window shows it, every position included.
  AnsiString EditText() const;
  void SetEditText(const AnsiString& value);
  // Masked: the value (literals only when the mask saves them, empty positions as spaces);
  // otherwise the window's text.
  AnsiString Text() const;
  // Masked: the value laid into the mask. At design time (not while loading or during a
  // data-driven set) a value that does not fit raises EDBEditError.
  void SetText(const AnsiString& value, bool dataDriven = false);
  int MaxLength() const;
  // Masked edits keep the mask's length as their limit.
  void SetMaxLength(int value);

  // The first position of `editText` that breaks the mask in `position`; false when there
  // is one.
  bool Validate(const AnsiString& editText, int& position) const;
  // A modified masked text that breaks the mask: focus back to the edit (outside design
  // time), the caret on the first bad position, then the host's ValidateError.
  void ValidateEdit();
  // A modified edit gets back the text it had on entering (or as last set).
  void Reset();

  // ---- the edit's handlers call these
  // KeyDown, after the inherited handling (unless SettingCursor()).
  void KeyDown(WORD& key, TShiftState shift);
  void KeyUp(WORD& key, TShiftState shift);
  // KeyPress, after the inherited handling.
  void KeyPress(char16_t& key);
  // WM_LBUTTONDOWN and WM_LBUTTONUP, after the inherited handling (client X).
  void MouseDown(int x) { m_buttonDownX = x; }
  void MouseUp(int x);
  // WM_SETFOCUS, after the inherited handling.
  void FocusSet() { CheckCursor(); }
  // CM_ENTER: whether to call the inherited handling, and what to do after it.
  bool BeginEnter();
  void EndEnter();
  // CM_EXIT, before the inherited handling: validates (may raise).
  void Exit();
  // WM_CUT and WM_PASTE: false when the inherited handling should run instead.
  bool Cut();
  bool Paste();
  // CM_TEXTCHANGED, after the inherited handling.
  void TextChanged();
  // CM_WANTSPECIALKEY: Escape belongs to a modified masked edit.
  bool WantsKey(WORD key);
  // Key messages the behaviour itself sends to the window while it places the caret.
  bool SettingCursor() const { return m_settingCursor; }

 private:
  WideString WideEditText() const;
  void SetWideEditText(const WideString& text);
  void GetSel(int& start, int& stop) const;
  void SetSel(int anchor, int caret);
  void ReplaceSel(const WideString& text);
  bool Designing() const;

  // Puts the caret on a position, marked by selecting its one character.
  void SetCursor(int position);
  // An empty selection becomes the one-character caret.
  void CheckCursor();
  void CursorInc(int position, int step);
  void CursorDec(int position);
  void ArrowKeys(WORD key, TShiftState shift);
  void HomeEndKeys(WORD key, TShiftState shift);
  void DeleteKeys(WORD key);
  void CharKeys(char16_t c);
  // Writes blanks over a stretch of `text` (literals stay).
  void DeleteSelection(WideString& text, int offset, int length) const;
  // Writes pasted characters into `text` from `offset`; returns where the caret goes.
  int InputString(WideString& text, const WideString& value, int offset) const;
  // The characters of the editable positions of `editText` under `format`.
  static WideString EditableCharacters(const TEditMaskFormat& format, const WideString& editText);
  // Lays characters of editable positions into the mask (literals supplied).
  WideString LayEditable(const WideString& characters) const;

  TCustomEdit& m_edit;
  THost& m_host;
  TEditMask m_editMask;
  TEditMaskFormat m_format;
  WideString m_oldValue;
  int m_caretPos = 0;
  int m_buttonDownX = 0;
  bool m_reEnter = false;
  bool m_settingCursor = false;
  bool m_pasting = false;
};

// An edit class `Edit` (a TCustomEdit) with an edit mask: owns the behaviour and hands it the
// key, mouse, focus, text, cut and paste messages around Edit's own handling. What stays with
// the class made on it: its class registration and published properties, and ValidateError
// (which exception a bad text raises).
template <class Edit>
class TMaskEditBase : public Edit, protected TMaskEditBehaviour::THost {
 public:
  explicit TMaskEditBase(TComponent* owner) : Edit(owner), m_mask(*this, *this) {}

  TEditMask EditMask() const { return m_mask.EditMask(); }
  void SetEditMask(const TEditMask& value) { m_mask.SetEditMask(value); }
  AnsiString EditText() const { return m_mask.EditText(); }
  void SetEditText(const AnsiString& value) { m_mask.SetEditText(value); }
  bool IsMasked() const { return m_mask.IsMasked(); }
  TMaskedText Text() const { return m_mask.Text(); }
  void SetText(const TMaskedText& value) { m_mask.SetText(value); }
  int MaxLength() const { return m_mask.MaxLength(); }
  void SetMaxLength(int value) { m_mask.SetMaxLength(value); }

  void Clear() override { SetText(AnsiString()); }
  virtual void ValidateEdit() { m_mask.ValidateEdit(); }

 protected:
  bool EditCanModify() override { return true; }
  virtual bool Validate(const AnsiString& value, int& position) { return m_mask.Validate(value, position); }
  virtual void Reset() { m_mask.Reset(); }

  void KeyDown(WORD& key, TShiftState shift) override {
    if (!m_mask.SettingCursor()) Edit::KeyDown(key, shift);
    m_mask.KeyDown(key, shift);
  }
  void KeyUp(WORD& key, TShiftState shift) override {
    if (!m_mask.SettingCursor()) Edit::KeyUp(key, shift);
    m_mask.KeyUp(key, shift);
  }
  void KeyPress(char16_t& key) override {
    Edit::KeyPress(key);
    m_mask.KeyPress(key);
  }
  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case WM_CUT:
        if (!m_mask.Cut()) Edit::Dispatch(m);
        return;
      case WM_PASTE:
        if (!m_mask.Paste()) Edit::Dispatch(m);
        return;
      case CM_WANTSPECIALKEY:
        if (m_mask.WantsKey(static_cast<WORD>(m.WParam))) {
          m.Result = 1;
          return;
        }
        Edit::Dispatch(m);
        return;
      default: Edit::Dispatch(m); return;
    }
  }
  void WMLButtonDown(TWMMouse& m) override {
    Edit::WMLButtonDown(m);
    m_mask.MouseDown(m.XPos);
  }
  void WMLButtonUp(TWMMouse& m) override {
    Edit::WMLButtonUp(m);
    m_mask.MouseUp(m.XPos);
  }
  void WMSetFocus(TWMFocus& m) override {
    Edit::WMSetFocus(m);
    m_mask.FocusSet();
  }
  void CMEnter(TMessage& m) override {
    if (m_mask.BeginEnter()) Edit::CMEnter(m);
    m_mask.EndEnter();
  }
  void CMExit(TMessage& m) override {
    m_mask.Exit();
    Edit::CMExit(m);
  }
  void CMTextChanged(TMessage& m) override {
    Edit::CMTextChanged(m);
    m_mask.TextChanged();
  }

  TMaskEditBehaviour m_mask;
};

// The class library's masked edit: a TCustomEdit with an edit mask.
class TCustomMaskEdit : public TMaskEditBase<TCustomEdit> {
  BRANTWELL_CLASS(TCustomMaskEdit, TCustomEdit)

 public:
  explicit TCustomMaskEdit(TComponent* owner) : TMaskEditBase(owner) {}
  static void DescribeClass(TClassBuilder<TCustomMaskEdit>& c);

 protected:
  void ValidateError() override;
};

class TMaskEdit : public TCustomMaskEdit {
  BRANTWELL_CLASS(TMaskEdit, TCustomMaskEdit)

 public:
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
