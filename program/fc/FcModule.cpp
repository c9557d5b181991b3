#include "program/fc/FcModule.h"

#include "program/fc/FcBorder.h"
#include "program/fc/FcColorEdit.h"
#include "program/fc/FcColorPicker.h"
#include "program/fc/FcCustomColors.h"
#include "program/fc/FcFrameController.h"
#include "program/fc/FcPopup.h"
#include "program/fc/FcRegIniFile.h"
#include "vcl/Persistent.h"

void RegisterFcClasses() {
  RegisterClasses({TFcFrameController::StaticClass(), TFcRegIniFile::StaticClass(), TFcCustomColors::StaticClass(),
                   TFcBorder::StaticClass(), TFcColorPicker::StaticClass(), TFcPopupPanel::StaticClass(),
                   TFcColorEdit::StaticClass()});
}
