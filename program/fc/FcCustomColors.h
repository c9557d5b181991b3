#pragma once

// TFcCustomColors: the 16 user-defined colours of the colour dialog, kept in the dialog's own
// text form: lines "ColorA=RRGGBB" ... "ColorP=RRGGBB" whose values are the COLORREF in hex
// ("0000FF" is red). GUI thread only.

#include <memory>

#include "vcl/Component.h"
#include "vcl/StringList.h"

class TFcRegIniFile;

class TFcCustomColors : public TComponent {
  BRANTWELL_CLASS(TFcCustomColors, TComponent)

 public:
  explicit TFcCustomColors(TComponent* owner);
  ~TFcCustomColors() override;
  static void DescribeClass(TClassBuilder<TFcCustomColors>& c);

  TStrings* Colors() const { return FColors.get(); }
  // Takes the lines with every value normalised to six upper-case hex digits (the low 24
  // bits). A value that is not hexadecimal raises EConvertError and leaves the colours as
  // they were.
  virtual void SetColors(TStrings* value);
  TFcRegIniFile* RegIniFile() const { return FRegIniFile; }
  virtual void SetRegIniFile(TFcRegIniFile* value);

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The sixteen white entries.
  virtual void SetDefaultColors();

 private:
  std::unique_ptr<TStringList> FColors;
  TFcRegIniFile* FRegIniFile = nullptr;
};
