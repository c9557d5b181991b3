#include "vcl/ListControl.h"

void TCustomListControl::DescribeClass(TClassBuilder<TCustomListControl>& c) { (void)c; }

void TCustomListControl::MoveSelection(TCustomListControl* destination) {
  CopySelection(destination);
  DeleteSelected();
}

void TCustomMultiSelectListControl::DescribeClass(TClassBuilder<TCustomMultiSelectListControl>& c) { (void)c; }
