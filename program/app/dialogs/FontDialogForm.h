#pragma once

// TFontDialogForm: the font dialog. Three columns, each a field over a list: the font
// families (typing selects the first family that starts with the text), the styles (regular,
// italic, bold, bold italic) and the sizes (the usual ones within the caller's limits; any
// size may be typed, tenths included). Below: the effects (strike-out, underline and one of
// the 16 text colours, shown only when the caller asks for them) and a sample drawn in the
// chosen font. OK checks the three fields (an unknown family or style, or a size that is not
// a number or lies outside the limits, is told and keeps the dialog open); Esc and Cancel
// leave. It is a skinned form of window class "#32770", modal over its owner (disabled
// meanwhile) and centred on it.
//
// Design in resources/forms/TFontDialogForm.xfm. GUI thread only; the form owns its controls.

#include <vector>

#include "platform/comdlg/FontDialog.h"
#include "program/skin/SkinForm.h"

class TFSButton;
class TFSCheckBox;
class TFSComboBox;
class TFSCustomListView;
class TFSEdit;
class TFSGroupBox;
class TFSPanel;
class TLabel;

class TFontDialogForm : public TSkinForm {
  BRANTWELL_CLASS(TFontDialogForm, TSkinForm)

 public:
  explicit TFontDialogForm(TComponent* owner);
  ~TFontDialogForm() override;
  static void DescribeClass(TClassBuilder<TFontDialogForm>& c);

  // The presenter: shows the dialog modally for the request; true on OK with the request
  // holding the choice.
  static bool Run(platform::comdlg::FontDialogRequest& request);

  void Prepare(const platform::comdlg::FontDialogRequest& request);
  // Checks the fields and fills `request` (true), or tells the user what is wrong (false).
  bool TakeChoice(platform::comdlg::FontDialogRequest& request);

  TFSCustomListView* FamilyList() const { return FFamilies; }
  TFSCustomListView* StyleList() const { return FStyles; }
  TFSCustomListView* SizeList() const { return FSizes; }

  TLabel* lblFamily = nullptr;
  TFSEdit* edtFamily = nullptr;
  TFSPanel* pnlFamilies = nullptr;
  TLabel* lblStyle = nullptr;
  TFSEdit* edtStyle = nullptr;
  TFSPanel* pnlStyles = nullptr;
  TLabel* lblSize = nullptr;
  TFSEdit* edtSize = nullptr;
  TFSPanel* pnlSizes = nullptr;
  TFSGroupBox* grpEffects = nullptr;
  TFSCheckBox* chkStrikeOut = nullptr;
  TFSCheckBox* chkUnderline = nullptr;
  TLabel* lblColor = nullptr;
  TFSComboBox* cbColor = nullptr;
  TFSGroupBox* grpSample = nullptr;
  TLabel* lblSample = nullptr;
  TFSButton* btnOK = nullptr;
  TFSButton* btnCancel = nullptr;

  // The sizes the list offers, in points.
  static const std::vector<int>& StandardSizes();
  // A typed size in tenths of a point ("10", "10.5", "10,5"); 0 when it is no number.
  static int ParseSize(const AnsiString& text);

 protected:
  void CreateParams(TCreateParams& params) override;
  void Loaded() override;
  void DoShow() override;

 private:
  void BuildControls();
  void ApplyTexts();
  void FamilyTyped();
  void StyleTyped();
  void SizeTyped();
  void ListPicked(TFSCustomListView* list);
  void UpdateSample();
  // The index in `names` that `text` names, or (with `prefix`) the first that starts with it.
  static int Find(const std::vector<AnsiString>& names, const AnsiString& text, bool prefix);
  static void SelectRow(TFSCustomListView* list, int index);
  void Tell(const AnsiString& text, TWinControl* field);

  platform::comdlg::FontDialogRequest* FRequest = nullptr;
  std::vector<COLORREF> FColors;
  std::vector<AnsiString> FFamilyNames;
  std::vector<AnsiString> FStyleNames;
  std::vector<int> FSizeList;
  bool FLimit = false;
  int FMin = 0;
  int FMax = 0;
  bool FUpdating = false;
  TFSCustomListView* FFamilies = nullptr;
  TFSCustomListView* FStyles = nullptr;
  TFSCustomListView* FSizes = nullptr;
};

// Makes TFontDialogForm the platform's font dialog.
void InstallFontDialogPresenter();
