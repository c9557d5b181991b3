#pragma once

// The common dialogs as components. TCommonDialog is their base (Execute shows the dialog
// modally and tells whether the user confirmed it). TColorDialog asks for a colour through
// the platform's colour dialog: Color is the starting and the chosen colour, CustomColors
// the 16 custom colours as "ColorA=..." to "ColorP=..." lines whose values are the COLORREF
// in hex ("0000FF" is red); a missing or unreadable line stands for white.
//
// GUI thread only.

#include "platform/user/WinUser.h"
#include "vcl/ColorDialogOptions.h"
#include "vcl/Colors.h"
#include "vcl/Component.h"
#include "vcl/Event.h"
#include "vcl/StringList.h"

class TCommonDialog : public TComponent {
  BRANTWELL_CLASS(TCommonDialog, TComponent)

 public:
  explicit TCommonDialog(TComponent* owner) : TComponent(owner) {}
  static void DescribeClass(TClassBuilder<TCommonDialog>& c);

  virtual bool Execute() = 0;
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value) { FCtl3D = value; }
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int value) { FHelpContext = value; }

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

 protected:
  // The window the dialog belongs to: the active form's, else the application's.
  HWND OwnerWindow();
  bool FCtl3D = true;
  int FHelpContext = 0;
};

class TColorDialog : public TCommonDialog {
  BRANTWELL_CLASS(TColorDialog, TCommonDialog)

 public:
  explicit TColorDialog(TComponent* owner);
  ~TColorDialog() override;
  static void DescribeClass(TClassBuilder<TColorDialog>& c);

  bool Execute() override;
  TColor Color() const { return FColor; }
  void SetColor(TColor value) { FColor = value; }
  TStrings* CustomColors() const { return FCustomColors.get(); }
  void SetCustomColors(TStrings* value) { FCustomColors->Assign(value); }
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions value) { FOptions = value; }

 private:
  TColor FColor = clBlack;
  std::unique_ptr<TStringList> FCustomColors;
  TColorDialogOptions FOptions;
};
