#include "program/engine/EngineBinding.h"

#include "engines/TransMgr/TransMgrApi.h"

TImageProcLibrary ImageProcLibrary;
TTextArtLibrary TextArtLibrary;
TDataProcessLibrary DataProcessLibrary;
TDecoderLibrary DecoderLibrary;
TDecoderLibrary SwfDecoderLibrary("QM_SWFDecoder.dll");
TEncoderLibrary EncoderLibrary;
TConverterLibrary ConverterLibrary;
TPlayerLibrary PlayerLibrary;
TBurnerLibrary BurnerLibrary;

namespace {
// The start-up's one TMInitTransMgr, released once at exit.
bool transitionManagerStarted = false;
}  // namespace

bool TransitionManagerStarted() { return transitionManagerStarted; }

void BindStartupEngines() {
  DataProcessLibrary.Load();
  PlayerLibrary.Load(nullptr);
  EncoderLibrary.Load();
  ConverterLibrary.Load();
  DecoderLibrary.Load(nullptr);
  DecoderLibrary.Start();
  EncoderLibrary.Start();
  if (!transitionManagerStarted) {
    TMInitTransMgr();
    transitionManagerStarted = true;
  }
}

void UnloadEngineLibraries() {
  TEngineLibrary* records[] = {&ImageProcLibrary, &TextArtLibrary, &DataProcessLibrary,
                               &DecoderLibrary,   &SwfDecoderLibrary, &EncoderLibrary,
                               &ConverterLibrary, &PlayerLibrary,  &BurnerLibrary};
  for (TEngineLibrary* record : records) record->Unload();
  ReleaseTransitionManager();
}

void ReleaseTransitionManager() {
  if (transitionManagerStarted) {
    TMUninitTransMgr();
    transitionManagerStarted = false;
  }
}
