#pragma once

// Turns the pages a menu data object (engines::MenuSource) renders for a job into the menu
// description authoring reads, checking that every picture has the size the format asks for.
// Called on the authoring thread.

#include <string>
#include <vector>

#include "engines/QM_OutputCtrl/MenuDescription.h"
#include "engines/common/MenuSource.h"

namespace outputctrl {

// Empty on success; otherwise why the menu cannot be authored ("menu page 2: ...").
std::string PagesFromSource(engines::MenuSource& source, const engines::MenuFormat& format,
                            std::vector<MenuPage>& pages);

}  // namespace outputctrl
