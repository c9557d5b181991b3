#pragma once

// The about box: the skin's banner, the program's version, the support and home page
// addresses from the settings as links (cut with an ellipsis when long), the copyright line
// and OK (also Esc). Centred on its owner, the main window, which shows it modally and frees
// it.
//
// GUI thread only.

#include "program/controls/FSButton.h"
#include "program/controls/FSLabel.h"
#include "program/controls/FSSkinImage.h"
#include "program/skin/SkinForm.h"

class TAboutForm : public TSkinForm {
  BRANTWELL_CLASS(TAboutForm, TSkinForm)

 public:
  explicit TAboutForm(TComponent* owner);
  static void DescribeClass(TClassBuilder<TAboutForm>& c);

  // The about box owned by owner.
  static TAboutForm* CreateAbout(TComponent* owner);

  void FormCreate(TObject* Sender);
  void btnOKClick(TObject* Sender);

  TFSSkinImage* imgBanner = nullptr;
  TFSLabel* lblVersion = nullptr;
  TFSLabel* lblSupport = nullptr;
  TFSLabel* lblSupurl = nullptr;
  TFSLabel* lblHomePage = nullptr;
  TFSLabel* lblHPurl = nullptr;
  TFSLabel* lblCopyright = nullptr;
  TFSButton* btnOK = nullptr;
};
