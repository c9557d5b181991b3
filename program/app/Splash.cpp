#include "program/app/Splash.h"

#include "program/app/SharedRoutines.h"
#include "program/app/SmallWindows.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/SysUtils.h"
#include "vcl/Application.h"

TSplashForm* Splash = nullptr;

void TSplashForm::DescribeClass(TClassBuilder<TSplashForm>& c) {
  c.Field("lblVersion", &TSplashForm::lblVersion);
  c.Field("lblCopyright", &TSplashForm::lblCopyright);
  c.Method("FormCreate", &TSplashForm::FormCreate);
  c.Method("FormClick", &TSplashForm::FormClick);
  c.Method("FormClose", &TSplashForm::FormClose);
}

TSplashForm::TSplashForm(TComponent* owner) : TSkinForm(owner) {}

TSplashForm::~TSplashForm() {
  if (Splash == this) Splash = nullptr;
}

void TSplashForm::FormCreate(TObject*) {
  lblCopyright->SetCaption(LanguageText(u"LBL_Company_Caption"));
  // The design's caption holds the place of the version ("Version: %s").
  lblVersion->SetCaption(StringReplace(lblVersion->Caption(), "%s", GetProgramVersion(), {rfReplaceAll}));
  SetFullSkin(true);
  SetDoubleBuffered(true);
}

void TSplashForm::FormClick(TObject*) { Close(); }

void TSplashForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void ShowSplash() {
  RegisterSmallWindowClasses();
  Splash = TCustomForm::Create<TSplashForm>(Application);
  Splash->Show();
  Splash->Update();
}

void CloseSplash() {
  if (!Splash) return;
  TSplashForm* splash = Splash;
  Splash = nullptr;
  splash->Close();
  // Closing only releases the form later; free it now.
  delete splash;
}
