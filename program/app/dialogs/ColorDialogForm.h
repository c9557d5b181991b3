#pragma once

// TColorDialogForm: the colour dialog. The basic part holds the 48 basic colours, the 16
// custom colours and "Define Custom Colors >>"; the full part a hue/saturation field, a
// luminosity bar, a preview, Hue/Sat/Lum (0 to 240) and Red/Green/Blue (0 to 255) number
// edits and "Add to Custom Colors". The arrow keys move in the colour grids; Enter answers
// OK and Esc Cancel. It is a skinned form of window class "#32770", shown modally over its
// owner (disabled meanwhile) and centred on it.
//
// Run answers a platform request in place. GUI thread only; the form owns its controls.

#include "platform/comdlg/CommDlg.h"
#include "program/skin/SkinForm.h"

class TFSButton;
class TEdit;
class TColorSwatchGrid;
class THueSatField;
class TLumBar;
class TColorPreview;

// Hue, saturation and luminosity on the dialog's 0..240 scale.
struct TDialogHls {
  int Hue = 0;
  int Sat = 0;
  int Lum = 0;
};
TDialogHls RgbToDialogHls(COLORREF color);
COLORREF DialogHlsToRgb(const TDialogHls& hls);

class TColorDialogForm : public TSkinForm {
  BRANTWELL_CLASS(TColorDialogForm, TSkinForm)

 public:
  explicit TColorDialogForm(TComponent* owner, int dummy = 0);
  ~TColorDialogForm() override;

  // Shows the dialog modally for `request`; true on OK with the request updated.
  static bool Run(platform::comdlg::ColorDialogRequest& request);

  void Prepare(const platform::comdlg::ColorDialogRequest& request);
  COLORREF CurrentColor() const { return FColor; }
  void SetCurrentColor(COLORREF color, bool keepHls = false);
  const COLORREF* CustomColors() const { return FCustom; }
  bool FullOpen() const { return FFullOpen; }
  void OpenFull();
  void AddToCustomColors();

  TColorSwatchGrid* BasicGrid() const { return FBasic; }
  TColorSwatchGrid* CustomGrid() const { return FCustomGrid; }
  THueSatField* HueSatField() const { return FField; }
  TLumBar* LumBar() const { return FLum; }
  TFSButton* DefineButton() const { return FDefine; }
  TFSButton* OkButton() const { return FOk; }
  TFSButton* CancelButton() const { return FCancel; }
  TFSButton* AddButton() const { return FAdd; }
  // The number edits: Hue, Sat, Lum, Red, Green, Blue.
  TEdit* NumberEdit(int index) const { return FEdits[index]; }

  static constexpr int BasicWidth = 222;
  static constexpr int FullWidth = 452;
  static constexpr int ClientHeightPx = 286;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  void EditChanged(TObject* sender);
  void ShowFullPart(bool show);
  void ShowValues();

  COLORREF FColor = 0;
  TDialogHls FHls;
  COLORREF FCustom[16]{};
  int FCustomSlot = 0;
  bool FFullOpen = false;
  bool FUpdating = false;
  TColorSwatchGrid* FBasic = nullptr;
  TColorSwatchGrid* FCustomGrid = nullptr;
  THueSatField* FField = nullptr;
  TLumBar* FLum = nullptr;
  TColorPreview* FPreview = nullptr;
  TFSButton* FDefine = nullptr;
  TFSButton* FOk = nullptr;
  TFSButton* FCancel = nullptr;
  TFSButton* FAdd = nullptr;
  TEdit* FEdits[6]{};
  friend class TColorSwatchGrid;
  friend class THueSatField;
  friend class TLumBar;
};

// Makes TColorDialogForm the platform's colour dialog.
void InstallColorDialogPresenter();
