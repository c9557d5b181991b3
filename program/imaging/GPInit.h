#pragma once

// Start and end of GDI+ for the imaging code. The program calls InitImaging at start-up
// (GDI+ first, then the picture formats) and DoneImaging at the end, in the reverse order.
// GUI thread.

// Starts GDI+ once; later calls do nothing.
void InitGdiplus();
// Stops the image animator thread, then shuts GDI+ down.
void DoneGdiplus();
bool GdiplusStarted();

// InitGdiplus and the registration of the picture formats with TPicture; and the reverse.
void InitImaging();
void DoneImaging();
