#include "program/controls/ControlsModule.h"

#include <vector>

#include "program/controls/FSButton.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSImage.h"
#include "program/controls/FSListView.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSRadioButton.h"
#include "program/controls/FSSkinButton.h"
#include "program/controls/IndicatorControls.h"
#include "vcl/Persistent.h"

namespace {

int g_startCount = 0;

// Push buttons, skin buttons, check boxes, radio buttons, panels and group boxes.
void AddButtonClasses(std::vector<TClass>& classes) {
  classes.insert(classes.end(), {TFSButton::StaticClass(), TFSSkinButton::StaticClass(), TFSRadioButton::StaticClass(),
                                 TFSCheckBox::StaticClass(), TFSPanel::StaticClass(), TFSGroupBox::StaticClass()});
}

// Each further group of controls adds its classes through a function of its own, called below.

std::vector<TClass> PublishedClasses() {
  std::vector<TClass> classes;
  AddButtonClasses(classes);
  AddIndicatorClasses(classes);
  return classes;
}

}  // namespace

void StartControlsModule() {
  if (g_startCount++ > 0) return;
  for (TClass cls : PublishedClasses()) RegisterClass(cls);
  // The controls' cursors are loaded here, after the classes.
  LoadImageViewerCursors();
  StartListViewCursors();
}

void StopControlsModule() {
  if (g_startCount == 0 || --g_startCount > 0) return;
  // The controls' cursors are freed here, before the classes go.
  FreeImageViewerCursors();
  StopListViewCursors();
  for (TClass cls : PublishedClasses()) UnRegisterClass(cls);
}

int ControlsModuleStartCount() { return g_startCount; }
