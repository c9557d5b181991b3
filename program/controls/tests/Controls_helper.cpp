#include "ControlsTestSupport.h"

// GDI+ and the picture formats are started once for the whole test program.
static ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new controls_test::ImagingEnvironment);
