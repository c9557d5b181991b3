#pragma once

// Drawing routines shared by the skinned forms and controls. Lengths read from skin files
// scale with the screen's pixel density: ScaleToScreenDPI(v) = MulDiv(v, PixelsPerInch, 96).
// GUI thread.

// value x the screen's pixels per inch / 96, rounded half away from zero.
int ScaleToScreenDPI(int value);
void ScaleToScreenDPIVar(int& value);
