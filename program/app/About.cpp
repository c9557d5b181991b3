#include "program/app/About.h"

#include "program/app/SharedRoutines.h"
#include "program/app/SmallWindows.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Strings.h"

void TAboutForm::DescribeClass(TClassBuilder<TAboutForm>& c) {
  c.Field("imgBanner", &TAboutForm::imgBanner);
  c.Field("lblVersion", &TAboutForm::lblVersion);
  c.Field("lblSupport", &TAboutForm::lblSupport);
  c.Field("lblSupurl", &TAboutForm::lblSupurl);
  c.Field("lblHomePage", &TAboutForm::lblHomePage);
  c.Field("lblHPurl", &TAboutForm::lblHPurl);
  c.Field("lblCopyright", &TAboutForm::lblCopyright);
  c.Field("btnOK", &TAboutForm::btnOK);
  c.Method("FormCreate", &TAboutForm::FormCreate);
  c.Method("btnOKClick", &TAboutForm::btnOKClick);
}

TAboutForm::TAboutForm(TComponent* owner) : TSkinForm(owner) {}

TAboutForm* TAboutForm::CreateAbout(TComponent* owner) {
  RegisterSmallWindowClasses();
  return TCustomForm::Create<TAboutForm>(owner);
}

void TAboutForm::FormCreate(TObject*) {
  // The design's caption holds the place of the version ("Version: %s").
  lblVersion->SetCaption(StringReplace(lblVersion->Caption(), u"%s", UTF8ToWide(GetProgramVersion()), {rfReplaceAll}));
  lblSupurl->SetCaption(ReadScrambledValue("HTTP", "SupportPage"));
  lblHPurl->SetCaption(ReadScrambledValue("HTTP", "HomePage"));
  lblCopyright->SetCaption(LanguageText(u"LBL_Company_Caption"));
}

void TAboutForm::btnOKClick(TObject*) { Close(); }
