#pragma once

// The runtime's SysUtils in one include: strings, Format, number and date conversions,
// file names, rounding and the exception family.

#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"
#include "rtl/FileNames.h"
#include "rtl/Format.h"
#include "rtl/FormatSettings.h"
#include "rtl/Maths.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"
#include "rtl/SysErrors.h"
#include "rtl/SysTypes.h"
