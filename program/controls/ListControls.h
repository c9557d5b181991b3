#pragma once

// The combo box, page control, tree view and tool bar of the controls module: their
// published classes for the module's class registration, and the classes among them that
// take the window colour when their parent enables them (EnableChildControls). GUI thread.

#include <vector>

#include "vcl/Object.h"

void AddListClasses(std::vector<TClass>& classes);
void RegisterListEnableColorClasses(bool registering);
