#include "vcl/Dialogs.h"

#include <cstdio>

#include "platform/comdlg/CommDlg.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/Screen.h"

void TCommonDialog::DescribeClass(TClassBuilder<TCommonDialog>& c) {
  c.Property("Ctl3D", &TCommonDialog::Ctl3D, &TCommonDialog::SetCtl3D).Default(1);
  c.Property("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext).Default(0);
  c.Property("OnShow", &TCommonDialog::OnShow);
  c.Property("OnClose", &TCommonDialog::OnClose);
}

HWND TCommonDialog::OwnerWindow() {
  if (TCustomForm* form = Screen->ActiveForm(); form && form->HandleAllocated()) return form->Handle();
  return Application->Handle();
}

TColorDialog::TColorDialog(TComponent* owner) : TCommonDialog(owner), FCustomColors(std::make_unique<TStringList>()) {}

TColorDialog::~TColorDialog() = default;

void TColorDialog::DescribeClass(TClassBuilder<TColorDialog>& c) {
  c.Property("Color", &TColorDialog::Color, &TColorDialog::SetColor).Type(ColorTypeInfo()).Default(clBlack);
  c.Property("CustomColors", &TColorDialog::CustomColors, &TColorDialog::SetCustomColors);
  c.Property("Options", &TColorDialog::Options, &TColorDialog::SetOptions).Default(0);
}

bool TColorDialog::Execute() {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) {
    const AnsiString value = FCustomColors->Values(AnsiString("Color") + static_cast<char>('A' + i));
    unsigned parsed = 0;
    char rest = 0;
    custom[i] = !value.empty() && value.size() <= 6 && std::sscanf(value.c_str(), "%x%c", &parsed, &rest) == 1
                    ? parsed & 0xFFFFFF
                    : 0xFFFFFF;
  }
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = OwnerWindow();
  cc.rgbResult = ColorToRGB(FColor);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT;
  if (FOptions.Contains(cdFullOpen)) cc.Flags |= CC_FULLOPEN;
  if (FOptions.Contains(cdPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
  if (FOptions.Contains(cdShowHelp)) cc.Flags |= CC_SHOWHELP;
  if (FOptions.Contains(cdSolidColor)) cc.Flags |= CC_SOLIDCOLOR;
  if (FOptions.Contains(cdAnyColor)) cc.Flags |= CC_ANYCOLOR;
  if (OnShow) OnShow(this);
  const bool ok = ChooseColorA(&cc) != FALSE;
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FColor = static_cast<TColor>(cc.rgbResult);
  FCustomColors->BeginUpdate();
  FCustomColors->Clear();
  for (int i = 0; i < 16; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "Color%c=%.6X", 'A' + i, static_cast<unsigned>(custom[i] & 0xFFFFFF));
    FCustomColors->Add(line);
  }
  FCustomColors->EndUpdate();
  return true;
}
