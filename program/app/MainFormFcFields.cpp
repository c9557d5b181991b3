// The main window's published fields of the Fc component set, apart from the photo views
// (see MainForm.h).

#include "program/app/MainForm.h"
#include "program/fc/FcColorEdit.h"

void TMainForm::DescribeFcFields(TClassBuilder<TMainForm>& c) {
  c.Field("ceFontColor", &TMainForm::ceFontColor);
}
