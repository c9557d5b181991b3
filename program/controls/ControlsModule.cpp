#include "program/controls/ControlsModule.h"

#include <vector>

#include "program/controls/FSButton.h"
#include "program/controls/FSButtonEdit.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSImage.h"
#include "program/controls/FSLabel.h"
#include "program/controls/FSListView.h"
#include "program/controls/FSMaskEdit.h"
#include "program/controls/FSMemo.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSRadioButton.h"
#include "program/controls/FSSkinButton.h"
#include "program/controls/FSSpinEdit.h"
#include "program/controls/IndicatorControls.h"
#include "program/controls/ListControls.h"
#include "program/skin/DrawUtils.h"
#include "vcl/Persistent.h"

namespace {

int g_startCount = 0;

// Push buttons, skin buttons, check boxes, radio buttons, panels, group boxes and labels.
void AddButtonClasses(std::vector<TClass>& classes) {
  classes.insert(classes.end(), {TFSButton::StaticClass(), TFSSkinButton::StaticClass(), TFSRadioButton::StaticClass(),
                                 TFSCheckBox::StaticClass(), TFSPanel::StaticClass(), TFSGroupBox::StaticClass(),
                                 TFSLabel::StaticClass()});
}

// Edits, button and spin edits, masked edits and memos.
void AddEditClasses(std::vector<TClass>& classes) {
  classes.insert(classes.end(), {TFSEdit::StaticClass(), TFSButtonEdit::StaticClass(), TFSSpinEdit::StaticClass(),
                                 TFSMaskEdit::StaticClass(), TFSMemo::StaticClass()});
}

// Each further group of controls adds its classes through a function of its own, called below.

std::vector<TClass> PublishedClasses() {
  std::vector<TClass> classes;
  AddButtonClasses(classes);
  AddIndicatorClasses(classes);
  AddListClasses(classes);
  AddEditClasses(classes);
  return classes;
}

}  // namespace

void StartControlsModule() {
  if (g_startCount++ > 0) return;
  for (TClass cls : PublishedClasses()) RegisterClass(cls);
  RegisterListEnableColorClasses(true);
  // Every edit (the skinned ones descend from it) takes the window colour when enabled.
  RegisterEnableColorClass(TCustomEdit::StaticClass());
  // The controls' cursors are loaded here, after the classes.
  LoadImageViewerCursors();
  StartListViewCursors();
}

void StopControlsModule() {
  if (g_startCount == 0 || --g_startCount > 0) return;
  // The controls' cursors are freed here, before the classes go.
  FreeImageViewerCursors();
  RegisterListEnableColorClasses(false);
  UnregisterEnableColorClass(TCustomEdit::StaticClass());
  StopListViewCursors();
  for (TClass cls : PublishedClasses()) UnRegisterClass(cls);
}

int ControlsModuleStartCount() { return g_startCount; }
