#pragma once

// The labels, bars, images and track bar of the controls module: their published classes for
// the module's class registration. GUI thread.

#include <vector>

#include "vcl/Object.h"

void AddIndicatorClasses(std::vector<TClass>& classes);
