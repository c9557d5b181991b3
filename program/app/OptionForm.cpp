#include "program/app/OptionForm.h"

#include <memory>

#include "platform/shell/ShellApi.h"
#include "program/app/SelectDirectory.h"
#include "program/app/SharedRoutines.h"
#include "program/app/SmallWindows.h"
#include "program/core/Config.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Strings.h"

namespace {

AnsiString Text(std::u16string_view key) { return WideToUTF8(LanguageText(key)); }

WideString ProductWord() { return AppConfig.ReadString(u"System", u"name", u""); }

// The temporary folder the program makes below a chosen folder: folder/<name>Temp/.
WideString TempFolderBelow(const WideString& folder) { return WideIncludeTrailingBackslash(folder) + ProductWord() + u"Temp/"; }

// Puts the caret after the first character, so a long path shows from its start.
void CaretAfterFirst(TFSButtonEdit* edit) {
  edit->HandleNeeded();
  edit->SetSelStart(1);
}

}  // namespace

int UpdatePeriodIndex(int days, int current) {
  if (days == -1) return 2;
  for (int i = 0; i < static_cast<int>(std::size(UpdatePeriods)); ++i)
    if (UpdatePeriods[i].Days == days) return i;
  return current;
}

void TOptionForm::DescribeClass(TClassBuilder<TOptionForm>& c) {
  c.Field("lblTempTitle", &TOptionForm::lblTempTitle);
  c.Field("lblTemppath", &TOptionForm::lblTemppath);
  c.Field("beTemppath", &TOptionForm::beTemppath);
  c.Field("pnlLine1", &TOptionForm::pnlLine1);
  c.Field("lblSnapshotTitle", &TOptionForm::lblSnapshotTitle);
  c.Field("lblDir", &TOptionForm::lblDir);
  c.Field("bePhotoDir", &TOptionForm::bePhotoDir);
  c.Field("btnBrowse", &TOptionForm::btnBrowse);
  c.Field("lblformat", &TOptionForm::lblformat);
  c.Field("cboformat", &TOptionForm::cboformat);
  c.Field("pnlLine2", &TOptionForm::pnlLine2);
  c.Field("lblUpdateTitle", &TOptionForm::lblUpdateTitle);
  c.Field("lblCheckUpdate", &TOptionForm::lblCheckUpdate);
  c.Field("cbbUpdatePeriod", &TOptionForm::cbbUpdatePeriod);
  c.Field("btnDefault", &TOptionForm::btnDefault);
  c.Field("btnOK", &TOptionForm::btnOK);
  c.Field("btnCancel", &TOptionForm::btnCancel);
  c.Method("FormCreate", &TOptionForm::FormCreate);
  c.Method("btnOKClick", &TOptionForm::btnOKClick);
  c.Method("btnDefaultClick", &TOptionForm::btnDefaultClick);
  c.Method("btnCancelClick", &TOptionForm::btnCancelClick);
  c.Method("bePhotodirButtonClick", &TOptionForm::bePhotodirButtonClick);
  c.Method("beTemppathButtonClick", &TOptionForm::beTemppathButtonClick);
  c.Method("btnBrowseClick", &TOptionForm::btnBrowseClick);
}

TOptionForm::TOptionForm(TComponent* owner) : TSkinForm(owner) {}

TOptionForm* TOptionForm::CreateOptions(TComponent* owner) {
  RegisterSmallWindowClasses();
  // The separator lines are plain panels.
  static const bool registered = (RegisterClass(TPanel::StaticClass()), true);
  (void)registered;
  return TCustomForm::Create<TOptionForm>(owner);
}

void TOptionForm::FormCreate(TObject*) {
  SetCaption(Text(u"Title_Option"));
  lblTempTitle->SetCaption(Text(u"OPT_TempTitle"));
  lblSnapshotTitle->SetCaption(Text(u"OPT_SnapshotTitle"));
  lblUpdateTitle->SetCaption(Text(u"OPT_UpdateTitle"));
  lblDir->SetCaption(Text(u"LBL_Option_Dir_Caption"));
  lblformat->SetCaption(Text(u"LBL_FormatPhoto_Caption"));
  lblTemppath->SetCaption(Text(u"LBL_Temppath_Caption"));
  btnOK->SetCaption(Text(u"BTN_OK_Caption"));
  btnDefault->SetCaption(Text(u"BTN_Default_Caption"));
  btnCancel->SetCaption(Text(u"BTN_Cancel_Caption"));
  btnBrowse->SetCaption(Text(u"BTN_Browse_Caption"));
  lblCheckUpdate->SetCaption(Text(u"Info_CheckforUpdate"));
  TStrings* periods = cbbUpdatePeriod->Items();
  periods->Clear();
  for (const TUpdatePeriod& period : UpdatePeriods) periods->Add(Text(period.TextKey));
  TStrings* formats = cboformat->Items();
  formats->Clear();
  for (const TSnapshotFormat& format : SnapshotFormats) formats->Add(format.Description);

  bePhotoDir->SetText(AppConfig.ReadStringA("System", "SnapshotPath", ""));
  beTemppath->SetText(AppConfig.ReadStringA("System", "TempPath", ""));
  CaretAfterFirst(bePhotoDir);
  CaretAfterFirst(beTemppath);

  cboformat->SetItemIndex(0);
  const AnsiString format = AppConfig.ReadStringA("System", "SnapshotFormat", "");
  for (int i = 0; i < static_cast<int>(std::size(SnapshotFormats)); ++i)
    if (format == SnapshotFormats[i].Value) {
      cboformat->SetItemIndex(i);
      break;
    }

  if (AppConfig.ReadStringA("System", "UpdatePeriod", "").empty()) AppConfig.WriteStringA("System", "UpdatePeriod", "7");
  const int days = AppConfig.ReadInteger(u"System", u"UpdatePeriod", -1);
  cbbUpdatePeriod->SetItemIndex(UpdatePeriodIndex(days, cbbUpdatePeriod->ItemIndex()));
}

bool TOptionForm::ChooseFolder(TFSButtonEdit* edit, WideString& folder) {
  for (;;) {
    folder = UTF8ToWide(edit->Text());
    if (!SelectDirectory(this, Text(u"INF_Select_Folder"), u"", TSelectDirExtOpts{sdNewFolder, sdShowEdit, sdNewUI},
                         folder))
      return false;
    if (WideDirectoryExists(folder)) return true;
    MsgBox(Handle(), Text(u"INF_Folder_UnExists"), Text(u"Info_Title"), MB_ICONINFORMATION);
  }
}

void TOptionForm::bePhotodirButtonClick(TObject*) {
  WideString folder;
  if (ChooseFolder(bePhotoDir, folder)) bePhotoDir->SetText(WideToUTF8(folder));
}

void TOptionForm::beTemppathButtonClick(TObject*) {
  WideString folder;
  if (ChooseFolder(beTemppath, folder)) beTemppath->SetText(WideToUTF8(TempFolderBelow(folder)));
}

void TOptionForm::btnBrowseClick(TObject*) {
  // Only a folder is handed to the desktop: whatever else the settings hold is never opened
  // (a program would be started).
  const WideString folder = UTF8ToWide(bePhotoDir->Text());
  if (!WideDirectoryExists(folder)) {
    MsgBox(Handle(), Text(u"INF_Folder_UnExists"), Text(u"Info_Title"), MB_ICONINFORMATION);
    return;
  }
  ShellExecuteW(Handle(), u"open", folder.c_str(), nullptr, nullptr, SW_SHOW);
}

void TOptionForm::btnDefaultClick(TObject*) {
  bePhotoDir->SetText(GetMyDocumentsPath() + WideToUTF8(ProductWord()) + "/Snapshot");
  beTemppath->SetText(WideToUTF8(GetUserTempPath() + ProductWord() + u"Temp/"));
  cboformat->SetItemIndex(1);
  cbbUpdatePeriod->SetItemIndex(2);
}

void TOptionForm::btnOKClick(TObject*) {
  const int format = cboformat->ItemIndex();
  if (format >= 0 && format < static_cast<int>(std::size(SnapshotFormats)))
    AppConfig.WriteStringA("System", "SnapshotFormat", SnapshotFormats[format].Value);
  AppConfig.WriteStringA("System", "SnapshotPath", bePhotoDir->Text());
  const WideString temp = UTF8ToWide(beTemppath->Text());
  AppConfig.WriteString(u"System", u"TempPath", temp);
  const int period = cbbUpdatePeriod->ItemIndex();
  if (period >= 0 && period < static_cast<int>(std::size(UpdatePeriods)))
    AppConfig.WriteStringA("System", "UpdatePeriod", std::to_string(UpdatePeriods[period].Days));
  // Every missing level, so a folder whose parent went away since it was chosen is made too.
  if (!temp.empty() && !WideDirectoryExists(temp)) ForceDirectoriesW(temp);
  SetModalResult(mrOk);
}

void TOptionForm::btnCancelClick(TObject*) { Close(); }

bool ShowOptions(TComponent* owner) {
  std::unique_ptr<TOptionForm> form(TOptionForm::CreateOptions(owner));
  return form->ShowModal() == mrOk;
}
