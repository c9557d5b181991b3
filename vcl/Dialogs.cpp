#include "vcl/Dialogs.h"

#include <cstdio>

#include <algorithm>
#include <vector>

#include "platform/comdlg/CommDlg.h"
#include "platform/comdlg/FileDialogs.h"
#include "platform/comdlg/FontDialog.h"
#include "platform/kernel/SysInfo.h"
#include "rtl/Strings.h"
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

// ---- font dialog ------------------------------------------------------------------------------

TFontDialog::TFontDialog(TComponent* owner) : TCommonDialog(owner), FFont(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

void TFontDialog::DescribeClass(TClassBuilder<TFontDialog>& c) {
  c.Property("Font", &TFontDialog::Font, &TFontDialog::SetFont);
  c.Property("Options", &TFontDialog::Options, &TFontDialog::SetOptions).Default(TFontDialogOptions{fdEffects}.Bits());
  c.Property("MinFontSize", &TFontDialog::MinFontSize, &TFontDialog::SetMinFontSize).Default(0);
  c.Property("MaxFontSize", &TFontDialog::MaxFontSize, &TFontDialog::SetMaxFontSize).Default(0);
}

bool TFontDialog::Execute() {
  LOGFONTA font = FFont->GetLogFont();
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof(cf);
  cf.hwndOwner = OwnerWindow();
  cf.lpLogFont = &font;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  const struct {
    TFontDialogOption option;
    DWORD flag;
  } flags[] = {
      {fdAnsiOnly, CF_ANSIONLY},           {fdTrueTypeOnly, CF_TTONLY},       {fdEffects, CF_EFFECTS},
      {fdFixedPitchOnly, CF_FIXEDPITCHONLY}, {fdForceFontExist, CF_FORCEFONTEXIST}, {fdNoFaceSel, CF_NOFACESEL},
      {fdNoOEMFonts, CF_NOOEMFONTS},       {fdNoSimulations, CF_NOSIMULATIONS}, {fdNoSizeSel, CF_NOSIZESEL},
      {fdNoStyleSel, CF_NOSTYLESEL},       {fdNoVectorFonts, CF_NOVECTORFONTS}, {fdShowHelp, CF_SHOWHELP},
      {fdWysiwyg, CF_WYSIWYG},             {fdLimitSize, CF_LIMITSIZE},       {fdScalableOnly, CF_SCALABLEONLY},
      {fdApplyButton, CF_APPLY},
  };
  for (const auto& f : flags)
    if (FOptions.Contains(f.option)) cf.Flags |= f.flag;
  cf.rgbColors = ColorToRGB(FFont->Color());
  cf.nSizeMin = FMinFontSize;
  cf.nSizeMax = FMaxFontSize;
  if (OnShow) OnShow(this);
  const bool ok = ChooseFontA(&cf) != FALSE;
  if (OnClose) OnClose(this);
  if (!ok) return false;
  // The height keeps the font's own resolution.
  FFont->SetName(font.lfFaceName);
  FFont->SetHeight(-MulDiv(cf.iPointSize, FFont->PixelsPerInch(), 720));
  TFontStyles style;
  if (font.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (font.lfItalic) style.Include(fsItalic);
  if (font.lfUnderline) style.Include(fsUnderline);
  if (font.lfStrikeOut) style.Include(fsStrikeOut);
  FFont->SetStyle(style);
  if (FOptions.Contains(fdEffects)) FFont->SetColor(static_cast<TColor>(cf.rgbColors));
  return true;
}

// ---- open and save dialogs ---------------------------------------------------------------------

namespace {

struct OptionFlag {
  TOpenOption option;
  DWORD flag;
};
constexpr OptionFlag kOptionFlags[] = {
    {ofReadOnly, OFN_READONLY},
    {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
    {ofHideReadOnly, OFN_HIDEREADONLY},
    {ofNoChangeDir, OFN_NOCHANGEDIR},
    {ofShowHelp, OFN_SHOWHELP},
    {ofNoValidate, OFN_NOVALIDATE},
    {ofAllowMultiSelect, OFN_ALLOWMULTISELECT},
    {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
    {ofPathMustExist, OFN_PATHMUSTEXIST},
    {ofFileMustExist, OFN_FILEMUSTEXIST},
    {ofCreatePrompt, OFN_CREATEPROMPT},
    {ofShareAware, OFN_SHAREAWARE},
    {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
    {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
    {ofNoNetworkButton, OFN_NONETWORKBUTTON},
    {ofNoLongNames, OFN_NOLONGNAMES},
    {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
    {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY},
    {ofEnableSizing, OFN_ENABLESIZING},
    {ofDontAddToRecent, OFN_DONTADDTORECENT},
    {ofForceShowHidden, OFN_FORCESHOWHIDDEN},
};

// Room for the answer: one path, or many names with multi-select.
constexpr DWORD kSingleBuffer = 4096;
constexpr DWORD kMultiBuffer = 1 << 20;

}  // namespace

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::DescribeClass(TClassBuilder<TOpenDialog>& c) {
  c.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
  c.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
  c.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
  c.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  c.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
  c.Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions)
      .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing}.Bits());
  c.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

bool TOpenDialog::Execute() { return DoExecute(false); }
bool TSaveDialog::Execute() { return DoExecute(true); }

bool TOpenDialog::DoExecute(bool save) {
  const bool multi = FOptions.Contains(ofAllowMultiSelect);
  std::vector<char16_t> file(multi ? kMultiBuffer : kSingleBuffer, 0);
  const WideString name = UTF8ToWide(FFileName);
  std::copy(name.begin(), name.begin() + std::min<size_t>(name.size(), file.size() - 1), file.begin());
  // "text|patterns|..." becomes the NUL-separated pairs, ending with two NULs.
  WideString filter = UTF8ToWide(FFilter);
  for (char16_t& ch : filter)
    if (ch == u'|') ch = 0;
  filter.append(2, u'\0');
  const WideString initialDir = UTF8ToWide(FInitialDir), title = UTF8ToWide(FTitle),
                   defaultExt = UTF8ToWide(FDefaultExt);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = OwnerWindow();
  ofn.lpstrFilter = FFilter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(std::max(FFilterIndex, 0));
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  ofn.Flags = OFN_EXPLORER;
  for (const OptionFlag& entry : kOptionFlags)
    if (FOptions.Contains(entry.option)) ofn.Flags |= entry.flag;

  if (OnShow) OnShow(this);
  const bool ok = (save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) != FALSE;
  if (OnClose) OnClose(this);
  if (!ok) return false;

  FFiles->BeginUpdate();
  FFiles->Clear();
  const char16_t* at = file.data();
  const WideString first = at;
  at += first.size() + 1;
  if (multi && *at) {
    // The folder, then each name.
    const WideString folder = first == u"/" ? WideString() : first;
    for (; *at; at += std::char_traits<char16_t>::length(at) + 1) FFiles->Add(WideToUTF8(folder + u"/" + at));
  } else {
    FFiles->Add(WideToUTF8(first));
  }
  FFiles->EndUpdate();
  FFileName = FFiles->Strings(0);
  FFilterIndex = static_cast<int>(ofn.nFilterIndex);
  if (ofn.Flags & OFN_READONLY) FOptions.Include(ofReadOnly);
  else FOptions.Exclude(ofReadOnly);
  if (ofn.Flags & OFN_EXTENSIONDIFFERENT) FOptions.Include(ofExtensionDifferent);
  else FOptions.Exclude(ofExtensionDifferent);
  return true;
}

// ---- message dialogs ---------------------------------------------------------------------------

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
  struct Kind {
    const char* caption;
    UINT icon;
  };
  const Kind kinds[] = {{SMsgDlgWarning, MB_ICONWARNING},
                        {SMsgDlgError, MB_ICONERROR},
                        {SMsgDlgInformation, MB_ICONINFORMATION},
                        {SMsgDlgConfirm, MB_ICONQUESTION},
                        {nullptr, 0}};
  const Kind& kind = kinds[DlgType];
  auto has = [&](std::initializer_list<TMsgDlgBtn> buttons) {
    for (TMsgDlgBtn b : buttons)
      if (!Buttons.Contains(b)) return false;
    return true;
  };
  UINT type = MB_OK;
  if (has({mbYes, mbNo, mbCancel})) type = MB_YESNOCANCEL;
  else if (has({mbYes, mbNo})) type = MB_YESNO;
  else if (has({mbAbort, mbRetry, mbIgnore})) type = MB_ABORTRETRYIGNORE;
  else if (has({mbRetry, mbCancel})) type = MB_RETRYCANCEL;
  else if (has({mbOK, mbCancel})) type = MB_OKCANCEL;
  const WideString text = UTF8ToWide(Msg);
  const WideString caption = UTF8ToWide(kind.caption ? AnsiString(kind.caption) : Application->Title());
  HWND owner = Application->Handle();
  if (TCustomForm* form = Screen->ActiveForm(); form && form->HandleAllocated()) owner = form->Handle();
  return MessageBoxW(owner, text.c_str(), caption.c_str(), type | kind.icon);
}
