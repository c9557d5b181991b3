#include "program/controls/FSMaskEdit.h"

#include "vcl/Messages.h"

void TFSMaskEdit::DescribeClass(TClassBuilder<TFSMaskEdit>& c) {
  DescribeSkinnedEdit(c);
  c.Property("EditMask", &TFSMaskEdit::EditMask, &TFSMaskEdit::SetEditMask);
  c.Property("MaxLength", &TFSMaskEdit::MaxLength, &TFSMaskEdit::SetMaxLength).Default(0);
  c.Property("Text", &TFSMaskEdit::Text, &TFSMaskEdit::SetText);
}

TFSCustomMaskEdit::TFSCustomMaskEdit(TComponent* owner) : TFSCustomEdit(owner), m_mask(*this, *this) {}

void TFSCustomMaskEdit::SetText(const TMaskedText& value) {
  try {
    m_mask.SetText(value);
  } catch (const ::EDBEditError& e) {
    throw EDBEditError(e.Message());
  }
}

void TFSCustomMaskEdit::Clear() { SetText(AnsiString()); }

void TFSCustomMaskEdit::ValidateError() {
  MessageBeep(0);
  throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TFSCustomMaskEdit::KeyDown(WORD& key, TShiftState shift) {
  if (!m_mask.SettingCursor()) inherited::KeyDown(key, shift);
  m_mask.KeyDown(key, shift);
}

void TFSCustomMaskEdit::KeyUp(WORD& key, TShiftState shift) {
  if (!m_mask.SettingCursor()) inherited::KeyUp(key, shift);
  m_mask.KeyUp(key, shift);
}

void TFSCustomMaskEdit::KeyPress(char16_t& key) {
  inherited::KeyPress(key);
  m_mask.KeyPress(key);
}

void TFSCustomMaskEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_CUT:
      if (!m_mask.Cut()) inherited::Dispatch(m);
      return;
    case WM_PASTE:
      if (!m_mask.Paste()) inherited::Dispatch(m);
      return;
    case CM_WANTSPECIALKEY:
      if (m_mask.WantsKey(static_cast<WORD>(m.WParam))) {
        m.Result = 1;
        return;
      }
      inherited::Dispatch(m);
      return;
    default: inherited::Dispatch(m); return;
  }
}

void TFSCustomMaskEdit::WMLButtonDown(TWMMouse& m) {
  inherited::WMLButtonDown(m);
  m_mask.MouseDown(m.XPos);
}

void TFSCustomMaskEdit::WMLButtonUp(TWMMouse& m) {
  inherited::WMLButtonUp(m);
  m_mask.MouseUp(m.XPos);
}

void TFSCustomMaskEdit::WMSetFocus(TWMFocus& m) {
  inherited::WMSetFocus(m);
  m_mask.FocusSet();
}

void TFSCustomMaskEdit::CMEnter(TMessage& m) {
  if (m_mask.BeginEnter()) inherited::CMEnter(m);
  m_mask.EndEnter();
}

void TFSCustomMaskEdit::CMExit(TMessage& m) {
  m_mask.Exit();
  inherited::CMExit(m);
}

void TFSCustomMaskEdit::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  m_mask.TextChanged();
}
