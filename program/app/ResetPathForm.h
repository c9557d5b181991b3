#pragma once

// The dialog the check before an output job opens when there is too little free space: it
// tells how much the job needs in the temporary folder and at the output, and lets the user
// choose another temporary folder, another DVD folder or another place for the ISO image.
// OK writes the choices to the "System" settings; Cancel (also Esc and the close button)
// writes nothing, except that the folder of an ISO image is stored as soon as it is chosen.
//
// "ISOOutPath" always names a folder: the ISO image's own name goes back to the caller of
// ShowResetPath.
//
// Design in resources/forms/TResetPathForm.xfm. GUI thread only; the form owns its controls.

#include "program/controls/FSButton.h"
#include "program/controls/FSButtonEdit.h"
#include "program/controls/FSSkinImage.h"
#include "program/skin/SkinForm.h"
#include "vcl/Label.h"

class TResetPathForm : public TSkinForm {
  BRANTWELL_CLASS(TResetPathForm, TSkinForm)

 public:
  // What the output row is for.
  enum TOutputKind : uint16_t { okNone = 0, okDVDFolder = 1, okISOFile = 2 };

  explicit TResetPathForm(TComponent* owner);
  static void DescribeClass(TClassBuilder<TResetPathForm>& c);

  // The dialog owned by owner, not yet set up.
  static TResetPathForm* CreateResetPath(TComponent* owner);

  // Shows the rows of what is short by the code of the disk-space check (256 the temporary
  // folder, low byte 1 a DVD folder, 2 an ISO image; they add) with the megabytes needed,
  // and the current places from the settings.
  void Setup(Word mode, double outNeed, double tempNeed);
  // Writes the places of the rows shown to the settings.
  void SavePaths();

  void btnTempPathEdtButtonClick(TObject* Sender);
  void btnFolderEdtButtonClick(TObject* Sender);

  TOutputKind Kind() const { return FKind; }
  bool TempShort() const { return FTempShort; }
  // The ISO image the user chose; empty until one is chosen.
  const WideString& ISOFile() const { return FISOFile; }

  TFSSkinImage* imgNote = nullptr;
  TLabel* lblNote = nullptr;
  TLabel* lbltemp = nullptr;
  TFSButtonEdit* btnTempPathEdt = nullptr;
  TLabel* lblTempNeed = nullptr;
  TLabel* lblNeedTmpSz = nullptr;
  TLabel* lbloutput = nullptr;
  TFSButtonEdit* btnFolderEdt = nullptr;
  TLabel* lblOutputNeed = nullptr;
  TLabel* lblNeedoutSz = nullptr;
  TFSButton* btn1 = nullptr;
  TFSButton* btnCancel = nullptr;

 private:
  void ChooseDVDFolder();
  void ChooseISOFile();

  TOutputKind FKind = okNone;
  bool FTempShort = false;
  WideString FISOFile;
};

// Shows the dialog for a shortage code of the disk-space check with the megabytes needed in
// the temporary folder and at the output, owned by owner, and frees it. True when closed
// with OK. isoFile gets the ISO image the user chose when the dialog was closed with OK, and
// is empty otherwise (the image's place stays the one the caller had).
bool ShowResetPath(TComponent* owner, Word mode, double tempNeed, double outNeed, WideString& isoFile);
