#pragma once

// The options of the colour dialog (cdFullOpen shows the custom-colour part at once,
// cdPreventFullOpen hides its button, cdShowHelp adds a Help button, cdSolidColor and
// cdAnyColor choose how colours are matched).

#include "vcl/TypInfo.h"

BRANTWELL_ENUM(TColorDialogOption, cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor)
using TColorDialogOptions = TSet<TColorDialogOption>;
