#pragma once

// The options dialog: the temporary folder, the snapshot folder and format, and how often the
// program looks for an update, all of the "System" settings. It writes them only when closed
// with OK; Cancel (also Esc and the close button) leaves every setting as it was, except that
// opening it on settings without an update period stores the default period at once.
// Centred on the screen, shown modally by ShowOptions, which frees it.
//
// Design in resources/forms/TOptionForm.xfm. GUI thread only; the form owns its controls.

#include "program/controls/FSButton.h"
#include "program/controls/FSButtonEdit.h"
#include "program/controls/FSComboBox.h"
#include "program/skin/SkinForm.h"
#include "vcl/Label.h"
#include "vcl/Panel.h"

// One snapshot file format: the text of its row in the list and its settings value.
struct TSnapshotFormat {
  const char* Description;
  const char* Value;
};
inline constexpr TSnapshotFormat SnapshotFormats[] = {{"Jpeg file (*.jpg)", "JPG"}, {"Bitmap file (*.bmp)", "BMP"}};

// The update periods in list order: the text key of each row and its "UpdatePeriod" value in days.
struct TUpdatePeriod {
  const char16_t* TextKey;
  int Days;
};
inline constexpr TUpdatePeriod UpdatePeriods[] = {
    {u"UpdateTime1", 0}, {u"UpdateTime2", 1}, {u"UpdateTime3", 7}, {u"UpdateTime4", 30}};
// The list row of a stored period: -1 (no number) and 7 give the weekly row; a number that is
// no period gives `current`, so the choice made before stays.
int UpdatePeriodIndex(int days, int current);

class TOptionForm : public TSkinForm {
  BRANTWELL_CLASS(TOptionForm, TSkinForm)

 public:
  explicit TOptionForm(TComponent* owner);
  static void DescribeClass(TClassBuilder<TOptionForm>& c);

  // The dialog owned by owner, its texts and values read.
  static TOptionForm* CreateOptions(TComponent* owner);

  void FormCreate(TObject* Sender);
  void btnOKClick(TObject* Sender);
  void btnDefaultClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
  void bePhotodirButtonClick(TObject* Sender);
  void beTemppathButtonClick(TObject* Sender);
  void btnBrowseClick(TObject* Sender);

  TLabel* lblTempTitle = nullptr;
  TLabel* lblTemppath = nullptr;
  TFSButtonEdit* beTemppath = nullptr;
  TPanel* pnlLine1 = nullptr;
  TLabel* lblSnapshotTitle = nullptr;
  TLabel* lblDir = nullptr;
  TFSButtonEdit* bePhotoDir = nullptr;
  TFSButton* btnBrowse = nullptr;
  TLabel* lblformat = nullptr;
  TFSComboBox* cboformat = nullptr;
  TPanel* pnlLine2 = nullptr;
  TLabel* lblUpdateTitle = nullptr;
  TLabel* lblCheckUpdate = nullptr;
  TFSComboBox* cbbUpdatePeriod = nullptr;
  TFSButton* btnDefault = nullptr;
  TFSButton* btnOK = nullptr;
  TFSButton* btnCancel = nullptr;

 private:
  // Asks for a folder starting at edit's text until the user cancels or picks one that
  // exists; true with folder set when one was picked.
  bool ChooseFolder(TFSButtonEdit* edit, WideString& folder);
};

// Shows the options dialog owned by owner and frees it; true when it was closed with OK.
bool ShowOptions(TComponent* owner);
