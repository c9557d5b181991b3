#pragma once

// The system's text for an operating-system error code, as messages show it: without the
// trailing line break and full stop. Any thread.

#include "rtl/SysTypes.h"

AnsiString SysErrorMessage(unsigned errorCode);
