#include "program/skin/SkinModule.h"

#include "program/skin/FSHintWindow.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinAnimator.h"
#include "program/skin/ScrollHookAtom.h"
#include "program/skin/ScrollHooks.h"
#include "vcl/Application.h"

void StartSkinModule() {
  if (SkinEngine) return;
  AddScrollHookAtom();
  SkinEngine = new TFSSkinEngine(nullptr);
  SkinEngine->SetName("SkinEngine");
  Application->HintWindowClass = &CreateFSHintWindow;
}

void StopSkinModule() {
  FreeSkinAnimatorThread();
  delete SkinEngine;
  SkinEngine = nullptr;
  if (Application->HintWindowClass == &CreateFSHintWindow) Application->HintWindowClass = nullptr;
  // The hooks go before the atom of the property they read.
  RemoveScrollHooks();
  DeleteScrollHookAtom();
}
