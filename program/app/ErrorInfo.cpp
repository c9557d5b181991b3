#include "program/app/ErrorInfo.h"

#include "program/app/SmallWindows.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Strings.h"

void TErrorInfoForm::DescribeClass(TClassBuilder<TErrorInfoForm>& c) {
  c.Field("lblErrorInfo", &TErrorInfoForm::lblErrorInfo);
  c.Field("lbErrorInfo", &TErrorInfoForm::lbErrorInfo);
  c.Field("btnOK", &TErrorInfoForm::btnOK);
  c.Method("FormCreate", &TErrorInfoForm::FormCreate);
  c.Method("FormShow", &TErrorInfoForm::FormShow);
  c.Method("FormClose", &TErrorInfoForm::FormClose);
  c.Method("btnOKClick", &TErrorInfoForm::btnOKClick);
}

TErrorInfoForm::TErrorInfoForm(TComponent* owner, TStrings* items, const AnsiString& info)
    : TSkinForm(owner), FList(std::make_unique<TStringList>()), FInfo(info) {
  if (items) FList->Assign(items);
}

TErrorInfoForm::~TErrorInfoForm() = default;

TErrorInfoForm* TErrorInfoForm::CreateList(TStrings* items, const AnsiString& info) {
  RegisterSmallWindowClasses();
  return TCustomForm::Create<TErrorInfoForm>(nullptr, items, info);
}

std::vector<AnsiString> TErrorInfoForm::NumberedLines(TStrings* items) {
  std::vector<AnsiString> lines;
  if (!items) return lines;
  for (int i = 0; i < items->Count(); ++i) lines.push_back(std::to_string(i + 1) + ". " + items->Strings(i));
  return lines;
}

void TErrorInfoForm::FormCreate(TObject*) {
  SetCaption(WideToUTF8(LanguageText(u"Info_Title")));
  btnOK->SetCaption(WideToUTF8(LanguageText(u"BTN_OK_Caption")));
  lblErrorInfo->SetCaption(UTF8ToWide(FInfo));
}

void TErrorInfoForm::FormShow(TObject*) {
  TStrings* lines = lbErrorInfo->Lines();
  lines->BeginUpdate();
  lines->Clear();
  for (const AnsiString& line : NumberedLines(FList.get())) lines->Add(line);
  lines->EndUpdate();
}

void TErrorInfoForm::FormClose(TObject*, TCloseAction&) { FList.reset(); }

void TErrorInfoForm::btnOKClick(TObject*) { Close(); }
