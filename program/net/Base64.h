#pragma once

// Standard Base64 (RFC 4648 alphabet) of a byte string, "=" padded unless omitPadding.

#include "rtl/SysTypes.h"

AnsiString Base64Encode(const RawByteString& source, bool omitPadding = false);
