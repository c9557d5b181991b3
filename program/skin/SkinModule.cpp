#include "program/skin/SkinModule.h"

#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinAnimator.h"

void StartSkinModule() {
  if (SkinEngine) return;
  SkinEngine = new TFSSkinEngine(nullptr);
  SkinEngine->SetName("SkinEngine");
}

void StopSkinModule() {
  FreeSkinAnimatorThread();
  delete SkinEngine;
  SkinEngine = nullptr;
}
