#include "program/skin/SkinModule.h"

#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinAnimator.h"
#include "program/skin/ScrollHookAtom.h"
#include "program/skin/ScrollHooks.h"

void StartSkinModule() {
  if (SkinEngine) return;
  AddScrollHookAtom();
  SkinEngine = new TFSSkinEngine(nullptr);
  SkinEngine->SetName("SkinEngine");
}

void StopSkinModule() {
  FreeSkinAnimatorThread();
  delete SkinEngine;
  SkinEngine = nullptr;
  // The hooks go before the atom of the property they read.
  RemoveScrollHooks();
  DeleteScrollHookAtom();
}
