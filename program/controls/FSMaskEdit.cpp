#include "program/controls/FSMaskEdit.h"

void TFSMaskEdit::DescribeClass(TClassBuilder<TFSMaskEdit>& c) {
  DescribeSkinnedEdit(c);
  c.Property("EditMask", &TFSMaskEdit::EditMask, &TFSMaskEdit::SetEditMask);
  c.Property("MaxLength", &TFSMaskEdit::MaxLength, &TFSMaskEdit::SetMaxLength).Default(0);
  c.Property("Text", &TFSMaskEdit::Text, &TFSMaskEdit::SetText);
}

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
