#include "program/engine/EngineBinding.h"

TImageProcLibrary ImageProcLibrary;
TTextArtLibrary TextArtLibrary;
TDataProcessLibrary DataProcessLibrary;
TDecoderLibrary DecoderLibrary;
TDecoderLibrary SwfDecoderLibrary("QM_SWFDecoder.dll");
TEncoderLibrary EncoderLibrary;
TConverterLibrary ConverterLibrary;
TPlayerLibrary PlayerLibrary;
TBurnerLibrary BurnerLibrary;

void BindStartupEngines() {
  DataProcessLibrary.Load();
  PlayerLibrary.Load(nullptr);
  EncoderLibrary.Load();
  ConverterLibrary.Load();
  DecoderLibrary.Load(nullptr);
  DecoderLibrary.Start();
  EncoderLibrary.Start();
}

void UnloadEngineLibraries() {
  TEngineLibrary* records[] = {&ImageProcLibrary, &TextArtLibrary, &DataProcessLibrary,
                               &DecoderLibrary,   &SwfDecoderLibrary, &EncoderLibrary,
                               &ConverterLibrary, &PlayerLibrary,  &BurnerLibrary};
  for (TEngineLibrary* record : records) record->Unload();
}
