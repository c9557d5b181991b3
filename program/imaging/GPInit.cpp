#include "program/imaging/GPInit.h"

#include "platform/gdiplus/Gdiplus.h"
#include "program/imaging/GPAnimate.h"
#include "program/imaging/GPPictures.h"

namespace {

ULONG_PTR g_token = 0;
bool g_started = false;

}  // namespace

void InitGdiplus() {
  if (g_started) return;
  GdiplusStartupInput input;
  input.GdiplusVersion = 1;
  input.DebugEventCallback = nullptr;
  input.SuppressBackgroundThread = FALSE;
  input.SuppressExternalCodecs = FALSE;
  g_started = GdiplusStartup(&g_token, &input, nullptr) == Ok;
}

void DoneGdiplus() {
  g_started = false;
  StopAnimatorThread();
  if (g_token) {
    GdiplusShutdown(g_token);
    g_token = 0;
  }
}

bool GdiplusStarted() { return g_started; }

void InitImaging() {
  InitGdiplus();
  RegisterGPPictureFormats();
}

void DoneImaging() {
  UnregisterGPPictureFormats();
  DoneGdiplus();
}
