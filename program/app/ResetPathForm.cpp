#include "program/app/ResetPathForm.h"

#include <memory>

#include "program/app/SelectDirectory.h"
#include "program/app/SharedRoutines.h"
#include "program/app/SmallWindows.h"
#include "program/core/Config.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/LanguageEngine.h"
#include "program/skin/FSSkinEngine.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"
#include "vcl/Dialogs.h"

namespace {

AnsiString Text(std::u16string_view key) { return WideToUTF8(LanguageText(key)); }

AnsiString Megabytes(double need) { return FormatFloat("0.00", need + 0.01) + " MB"; }

TSelectDirExtOpts FolderOptions() { return TSelectDirExtOpts{sdNewFolder, sdShowEdit, sdNewUI}; }

}  // namespace

void TResetPathForm::DescribeClass(TClassBuilder<TResetPathForm>& c) {
  c.Field("imgNote", &TResetPathForm::imgNote);
  c.Field("lblNote", &TResetPathForm::lblNote);
  c.Field("lbltemp", &TResetPathForm::lbltemp);
  c.Field("btnTempPathEdt", &TResetPathForm::btnTempPathEdt);
  c.Field("lblTempNeed", &TResetPathForm::lblTempNeed);
  c.Field("lblNeedTmpSz", &TResetPathForm::lblNeedTmpSz);
  c.Field("lbloutput", &TResetPathForm::lbloutput);
  c.Field("btnFolderEdt", &TResetPathForm::btnFolderEdt);
  c.Field("lblOutputNeed", &TResetPathForm::lblOutputNeed);
  c.Field("lblNeedoutSz", &TResetPathForm::lblNeedoutSz);
  c.Field("btn1", &TResetPathForm::btn1);
  c.Field("btnCancel", &TResetPathForm::btnCancel);
  c.Method("btnTempPathEdtButtonClick", &TResetPathForm::btnTempPathEdtButtonClick);
  c.Method("btnFolderEdtButtonClick", &TResetPathForm::btnFolderEdtButtonClick);
}

TResetPathForm::TResetPathForm(TComponent* owner) : TSkinForm(owner) {}

TResetPathForm* TResetPathForm::CreateResetPath(TComponent* owner) {
  RegisterSmallWindowClasses();
  // The note picture's item lives in the skin's file of pictures (read once).
  if (SkinEngine) SkinEngine->LoadSkinFile("Pictures");
  return TCustomForm::Create<TResetPathForm>(owner);
}

void TResetPathForm::Setup(Word mode, double outNeed, double tempNeed) {
  FKind = okNone;
  SetCaption("Information");
  btn1->SetCaption(Text(u"BTN_OK_Caption"));
  btnCancel->SetCaption(Text(u"BTN_Cancel_Caption"));
  FTempShort = mode >= DiskSpaceTempShort;
  const int out = mode & 0xFF;

  const bool showOutput = out != 0;
  for (TControl* control : {static_cast<TControl*>(lbloutput), static_cast<TControl*>(btnFolderEdt),
                            static_cast<TControl*>(lblOutputNeed), static_cast<TControl*>(lblNeedoutSz)})
    control->SetVisible(showOutput);
  lblNeedoutSz->SetCaption(Megabytes(outNeed));

  for (TControl* control : {static_cast<TControl*>(lbltemp), static_cast<TControl*>(btnTempPathEdt),
                            static_cast<TControl*>(lblTempNeed), static_cast<TControl*>(lblNeedTmpSz)})
    control->SetVisible(FTempShort);
  btnTempPathEdt->SetText(AppConfig.ReadStringA("System", "TempPath", ""));
  lblNeedTmpSz->SetCaption(Megabytes(tempNeed));

  // The output row alone takes the first row's place, its figure too.
  if (showOutput && !FTempShort) {
    lbloutput->SetTop(lbltemp->Top());
    btnFolderEdt->SetTop(btnTempPathEdt->Top());
    lblOutputNeed->SetTop(lblTempNeed->Top());
    lblNeedoutSz->SetTop(lblNeedTmpSz->Top());
  }

  if (out == okDVDFolder) {
    lbloutput->SetCaption(Text(u"Reset_lblDVDFolder"));
    btnFolderEdt->SetText(AppConfig.ReadStringA("System", "DVDFolderOutPath", ""));
    FKind = okDVDFolder;
  } else if (out == okISOFile) {
    lbloutput->SetCaption(Text(u"Reset_lblISO"));
    btnFolderEdt->SetText(AppConfig.ReadStringA("System", "ISOOutPath", ""));
    FKind = okISOFile;
  }

  switch (mode) {
    case 256: lblNote->SetCaption(Text(u"Reset_OnlyTemp")); break;
    case 1:
    case 2: lblNote->SetCaption(Text(u"Reset_OnlyOutputPath")); break;
    case 257:
    case 258: lblNote->SetCaption(Text(u"Reset_TempAndOutputPath")); break;
    default: break;
  }
}

void TResetPathForm::btnTempPathEdtButtonClick(TObject*) {
  WideString folder = AppConfig.ReadString(u"System", u"TempPath", u"");
  if (!SelectDirectory(this, Text(u"INF_Select_Folder"), u"", FolderOptions(), folder)) return;
  ForceDirectoriesW(folder);
  if (WideDirectoryExists(folder)) {
    const WideString name = AppConfig.ReadString(u"System", u"name", u"");
    btnTempPathEdt->SetText(WideToUTF8(WideIncludeTrailingBackslash(folder) + name + u"Temp/"));
  } else {
    MsgBox(Handle(), Text(u"INF_Folder_UnExists"), Text(u"Info_Title"), MB_ICONINFORMATION);
  }
}

void TResetPathForm::btnFolderEdtButtonClick(TObject*) {
  if (FKind == okDVDFolder) ChooseDVDFolder();
  else if (FKind == okISOFile) ChooseISOFile();
}

void TResetPathForm::ChooseDVDFolder() {
  const AnsiString former = AppConfig.ReadStringA("System", "DVDFolderOutPath", "");
  WideString folder = UTF8ToWide(former);
  if (!SelectDirectory(this, Text(u"INF_Select_Folder"), u"", FolderOptions(), folder)) return;
  if (!WideDirectoryExists(folder)) {
    MsgBox(Handle(), Text(u"INF_Folder_UnExists"), Text(u"Info_Title"), MB_ICONINFORMATION);
    return;
  }
  if (!IsDriveRoot(folder)) {
    btnFolderEdt->SetText(WideToUTF8(folder));
    return;
  }
  MessageBoxW(Handle(), LanguageText(u"INF_InvalidFolder").c_str(), LanguageText(u"Info_Title").c_str(),
              MB_ICONINFORMATION);
  btnFolderEdt->SetText(former);
}

void TResetPathForm::ChooseISOFile() {
  TSaveDialog dialog(nullptr);
  dialog.SetFilter("ISO File(*.iso)|*.iso");
  dialog.SetDefaultExt("*.iso");
  dialog.SetFileName(WideToUTF8(MakeDefaultISOFileName()));
  if (!dialog.Execute()) return;
  FISOFile = UTF8ToWide(dialog.FileName());
  btnFolderEdt->SetText(dialog.FileName());
  AppConfig.WriteString(u"System", u"ISOOutPath", WideExtractFileDir(FISOFile));
}

void TResetPathForm::SavePaths() {
  if (FKind == okDVDFolder) AppConfig.WriteStringA("System", "DVDFolderOutPath", btnFolderEdt->Text());
  // The place of the image is a folder; the image's name goes back to the caller.
  if (FKind == okISOFile && !FISOFile.empty())
    AppConfig.WriteString(u"System", u"ISOOutPath", WideExtractFileDir(FISOFile));
  if (FTempShort) AppConfig.WriteStringA("System", "TempPath", btnTempPathEdt->Text());
}

bool ShowResetPath(TComponent* owner, Word mode, double tempNeed, double outNeed, WideString& isoFile) {
  isoFile.clear();
  std::unique_ptr<TResetPathForm> form(TResetPathForm::CreateResetPath(owner));
  form->Setup(mode, outNeed, tempNeed);
  if (form->ShowModal() != mrOk) return false;
  form->SavePaths();
  isoFile = form->ISOFile();
  return true;
}
