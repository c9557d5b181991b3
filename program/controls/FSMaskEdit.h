#pragma once

// TFSCustomMaskEdit: the class library's masked edit on the skinned edit. The mask's
// behaviour (keys, mouse, focus, cut and paste, validation, the Text and MaxLength rules) is
// the class library's TMaskEditBehaviour; the skin, frame and buttons are TFSCustomEdit's.
// The clip editor uses three with the time masks "!99:99:99;1;0" and "99:99:99;1;0".
//
// Its errors are TFSCustomMaskEdit::EDBEditError, apart from the class library's class of
// that name. TFSMaskEdit publishes it. GUI thread only.

#include "program/controls/FSEdit.h"
#include "vcl/MaskEdit.h"

class TFSCustomMaskEdit : public TFSCustomEdit, private TMaskEditBehaviour::THost {
  BRANTWELL_CLASS(TFSCustomMaskEdit, TFSCustomEdit)

 public:
  BRANTWELL_DECLARE_EXCEPTION(EDBEditError, Exception);

  explicit TFSCustomMaskEdit(TComponent* owner);

  TEditMask EditMask() const { return m_mask.EditMask(); }
  void SetEditMask(const TEditMask& value) { m_mask.SetEditMask(value); }
  AnsiString EditText() const { return m_mask.EditText(); }
  void SetEditText(const AnsiString& value) { m_mask.SetEditText(value); }
  bool IsMasked() const { return m_mask.IsMasked(); }
  TMaskedText Text() const { return m_mask.Text(); }
  void SetText(const TMaskedText& value);
  int MaxLength() const { return m_mask.MaxLength(); }
  void SetMaxLength(int value) { m_mask.SetMaxLength(value); }

  void Clear() override;
  virtual void ValidateEdit() { m_mask.ValidateEdit(); }

 protected:
  bool EditCanModify() override { return true; }
  virtual void Reset() { m_mask.Reset(); }
  virtual bool Validate(const AnsiString& value, int& position) { return m_mask.Validate(value, position); }
  void ValidateError() override;

  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void Dispatch(TMessage& message) override;
  void WMLButtonDown(TWMMouse& m) override;
  void WMLButtonUp(TWMMouse& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void CMEnter(TMessage& m) override;
  void CMExit(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;

  TMaskEditBehaviour m_mask;
};

class TFSMaskEdit : public TFSCustomMaskEdit {
  BRANTWELL_CLASS(TFSMaskEdit, TFSCustomMaskEdit)

 public:
  explicit TFSMaskEdit(TComponent* owner) : TFSCustomMaskEdit(owner) {}
  static void DescribeClass(TClassBuilder<TFSMaskEdit>& c);
};
