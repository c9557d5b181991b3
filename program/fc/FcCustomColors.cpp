#include "program/fc/FcCustomColors.h"

#include "program/fc/FcRegIniFile.h"
#include "rtl/Numbers.h"
#include "vcl/TypInfo.h"

TFcCustomColors::TFcCustomColors(TComponent* owner)
    : TComponent(owner), FColors(std::make_unique<TStringList>()) {
  SetDefaultColors();
}

TFcCustomColors::~TFcCustomColors() = default;

void TFcCustomColors::DescribeClass(TClassBuilder<TFcCustomColors>& c) {
  using T = TFcCustomColors;
  c.Property("Colors", &T::Colors, &T::SetColors);
  c.Property("RegIniFile", &T::RegIniFile, &T::SetRegIniFile);
}

void TFcCustomColors::SetDefaultColors() {
  FColors->Clear();
  for (char letter = 'A'; letter <= 'P'; ++letter) FColors->Add(AnsiString("Color") + letter + "=FFFFFF");
}

void TFcCustomColors::SetColors(TStrings* value) {
  // Normalised in a copy, so that a bad line leaves the kept colours whole.
  TStringList copy;
  if (value) copy.Assign(value);
  for (int i = 0; i < copy.Count(); ++i) {
    const AnsiString name = copy.Names(i);
    const Integer rgb = StrToInt("$" + copy.ValueFromIndex(i)) & 0xFFFFFF;
    copy.Put(i, name + "=" + IntToHex(rgb, 6));
  }
  FColors->Assign(&copy);
}

void TFcCustomColors::SetRegIniFile(TFcRegIniFile* value) {
  if (value == FRegIniFile) return;
  FRegIniFile = value;
  if (value) value->FreeNotification(this);
}

void TFcCustomColors::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FRegIniFile) FRegIniFile = nullptr;
}
