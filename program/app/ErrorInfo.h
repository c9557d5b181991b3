#pragma once

// The error list: the files an operation could not use, numbered, under an explanation.
// Centred on the main window. Shown once per creation: its copy of the list is released when
// it closes. Callers show it modally and free it.
//
// GUI thread only.

#include <memory>

#include "program/controls/FSButton.h"
#include "program/controls/FSLabel.h"
#include "program/controls/FSMemo.h"
#include "program/skin/SkinForm.h"
#include "vcl/StringList.h"

class TErrorInfoForm : public TSkinForm {
  BRANTWELL_CLASS(TErrorInfoForm, TSkinForm)

 public:
  TErrorInfoForm(TComponent* owner, TStrings* items, const AnsiString& info);
  ~TErrorInfoForm() override;
  static void DescribeClass(TClassBuilder<TErrorInfoForm>& c);

  // The list of items under the explanation info, without owner.
  static TErrorInfoForm* CreateList(TStrings* items, const AnsiString& info);

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void btnOKClick(TObject* Sender);

  // The lines the list shows: "1. item", "2. item" ... in order.
  static std::vector<AnsiString> NumberedLines(TStrings* items);

  TFSLabel* lblErrorInfo = nullptr;
  TFSMemo* lbErrorInfo = nullptr;
  TFSButton* btnOK = nullptr;

 private:
  std::unique_ptr<TStringList> FList;
  AnsiString FInfo;
};
