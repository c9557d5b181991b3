#include "program/skin/DrawUtils.h"

#include "platform/kernel/SysInfo.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"

int ScaleToScreenDPI(int value) { return MulDiv(value, Screen->PixelsPerInch(), 96); }

void ScaleToScreenDPIVar(int& value) { value = ScaleToScreenDPI(value); }
