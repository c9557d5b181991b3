#include "SkinTestSupport.h"

// GDI+ and the picture formats are started once for the whole test program.
static ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new skin_test::SkinEnvironment);
