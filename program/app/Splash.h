#pragma once

// The splash window shown while the program starts: the skin's "SplashForm" picture over the
// whole borderless window, the version right-aligned below the wordmark, the copyright line
// along the bottom. Always on top, centred on the screen. A click closes it; closing frees it.
//
// GUI thread only. Splash points at the one splash window while it exists.

#include "program/controls/FSLabel.h"
#include "program/skin/SkinForm.h"
#include "vcl/Label.h"

class TSplashForm : public TSkinForm {
  BRANTWELL_CLASS(TSplashForm, TSkinForm)

 public:
  explicit TSplashForm(TComponent* owner);
  ~TSplashForm() override;
  static void DescribeClass(TClassBuilder<TSplashForm>& c);

  void FormCreate(TObject* Sender);
  void FormClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);

  TLabel* lblVersion = nullptr;
  TFSLabel* lblCopyright = nullptr;
};

extern TSplashForm* Splash;

// Makes the splash window (owned by the application), shows it and paints it at once.
void ShowSplash();
// Closes and frees the splash window when there is one.
void CloseSplash();
