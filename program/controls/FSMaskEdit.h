#pragma once

// TFSCustomMaskEdit: the class library's masked edit on the skinned edit. The mask's
// behaviour (keys, mouse, focus, cut and paste, validation, the Text and MaxLength rules) is
// the class library's TMaskEditBehaviour, wired by its TMaskEditBase; the skin, frame and
// buttons are TFSCustomEdit's.
// The clip editor uses three with the time masks "!99:99:99;1;0" and "99:99:99;1;0".
//
// Its errors are TFSCustomMaskEdit::EDBEditError, apart from the class library's class of
// that name. TFSMaskEdit publishes it. GUI thread only.

#include "program/controls/FSEdit.h"
#include "vcl/MaskEdit.h"

class TFSCustomMaskEdit : public TMaskEditBase<TFSCustomEdit> {
  BRANTWELL_CLASS(TFSCustomMaskEdit, TFSCustomEdit)

 public:
  BRANTWELL_DECLARE_EXCEPTION(EDBEditError, Exception);

  explicit TFSCustomMaskEdit(TComponent* owner) : TMaskEditBase(owner) {}

  // A text that does not fit the mask raises this class's EDBEditError.
  void SetText(const TMaskedText& value);
  void Clear() override;

 protected:
  void ValidateError() override;
};

class TFSMaskEdit : public TFSCustomMaskEdit {
  BRANTWELL_CLASS(TFSMaskEdit, TFSCustomMaskEdit)

 public:
  explicit TFSMaskEdit(TComponent* owner) : TFSCustomMaskEdit(owner) {}
  static void DescribeClass(TClassBuilder<TFSMaskEdit>& c);
};
