#pragma once

// The common dialogs as components. TCommonDialog is their base (Execute shows the dialog
// modally and tells whether the user confirmed it). TColorDialog asks for a colour through
// the platform's colour dialog: Color is the starting and the chosen colour, CustomColors
// the 16 custom colours as "ColorA=..." to "ColorP=..." lines whose values are the COLORREF
// in hex ("0000FF" is red); a missing or unreadable line stands for white.
//
// TFontDialog asks for a font through the platform's font dialog: Font is the starting and
// the chosen font (name, size, bold and italic; with fdEffects also underline, strike-out and
// colour); fdLimitSize keeps the size within MinFontSize..MaxFontSize points.
//
// TOpenDialog and TSaveDialog ask for files through the platform's file dialogs: Filter is
// "text|patterns|text|patterns" (patterns separated by ";"), FilterIndex 1-based, FileName
// the name to start with and the (first) chosen path, Files every chosen path. Paths are
// UTF-8.
//
// MessageDlg shows a message box with the caption of its kind ("Warning", "Error",
// "Information", "Confirm"; the application's title for mtCustom) and answers with the
// modal result of the button chosen.
//
// GUI thread only.

#include "platform/user/WinUser.h"
#include "vcl/ColorDialogOptions.h"
#include "vcl/Consts.h"
#include "vcl/Colors.h"
#include "vcl/Component.h"
#include "vcl/Event.h"
#include "vcl/Font.h"
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

BRANTWELL_ENUM(TFontDialogOption, fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist,
               fdNoFaceSel, fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp,
               fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton)
using TFontDialogOptions = TSet<TFontDialogOption>;

class TFontDialog : public TCommonDialog {
  BRANTWELL_CLASS(TFontDialog, TCommonDialog)

 public:
  explicit TFontDialog(TComponent* owner);
  ~TFontDialog() override;
  static void DescribeClass(TClassBuilder<TFontDialog>& c);

  bool Execute() override;
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TFontDialogOptions Options() const { return FOptions; }
  void SetOptions(TFontDialogOptions value) { FOptions = value; }
  int MinFontSize() const { return FMinFontSize; }
  void SetMinFontSize(int value) { FMinFontSize = value; }
  int MaxFontSize() const { return FMaxFontSize; }
  void SetMaxFontSize(int value) { FMaxFontSize = value; }

 private:
  std::unique_ptr<TFont> FFont;
  TFontDialogOptions FOptions{fdEffects};
  int FMinFontSize = 0;
  int FMaxFontSize = 0;
};

BRANTWELL_ENUM(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
               ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
               ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
               ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent,
               ofForceShowHidden)
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TCommonDialog {
  BRANTWELL_CLASS(TOpenDialog, TCommonDialog)

 public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;
  static void DescribeClass(TClassBuilder<TOpenDialog>& c);

  bool Execute() override;

  const AnsiString& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const AnsiString& value) { FDefaultExt = value; }
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& value) { FFileName = value; }
  TStrings* Files() const { return FFiles.get(); }
  const AnsiString& Filter() const { return FFilter; }
  void SetFilter(const AnsiString& value) { FFilter = value; }
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int value) { FFilterIndex = value; }
  const AnsiString& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const AnsiString& value) { FInitialDir = value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions value) { FOptions = value; }
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& value) { FTitle = value; }

 protected:
  // Runs the dialog of the class (open or save) on the record.
  bool DoExecute(bool save);

 private:
  AnsiString FDefaultExt;
  AnsiString FFileName;
  std::unique_ptr<TStringList> FFiles;
  AnsiString FFilter;
  int FFilterIndex = 1;
  AnsiString FInitialDir;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  AnsiString FTitle;
};

class TSaveDialog : public TOpenDialog {
  BRANTWELL_CLASS(TSaveDialog, TOpenDialog)

 public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
  static void DescribeClass(TClassBuilder<TSaveDialog>&) {}

  bool Execute() override;
};

BRANTWELL_ENUM(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
BRANTWELL_ENUM(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
               mbHelp)
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// The message box's buttons are the set of MessageBox that holds the buttons asked for
// (Yes/No/Cancel, Yes/No, Abort/Retry/Ignore, Retry/Cancel, OK/Cancel, else OK); the
// answer is the modal result (mrYes ...). HelpCtx is kept for callers and does nothing.
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
