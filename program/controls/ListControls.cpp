#include "program/controls/ListControls.h"

#include "program/controls/FSComboBox.h"
#include "program/controls/FSPageControl.h"
#include "program/controls/FSTreeView.h"
#include "program/skin/DrawUtils.h"
#include "vcl/TypInfo.h"

void AddListClasses(std::vector<TClass>& classes) {
  for (TClass cls : {TFSComboBox::StaticClass(), TFSPageControl::StaticClass(), TFSTabSheet::StaticClass(),
                     TFSTreeView::StaticClass(), TFSToolBar::StaticClass()}) classes.push_back(cls);
}

void RegisterListEnableColorClasses(bool registering) {
  if (registering) RegisterEnableColorClass(TFSComboBox::StaticClass());
  else UnregisterEnableColorClass(TFSComboBox::StaticClass());
}
