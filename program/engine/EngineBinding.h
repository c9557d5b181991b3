#pragma once

// The process-wide binding records of the engines bound at run time, the start-up binding
// order and the unloading at exit. GUI thread.

#include "program/engine/BurnerLibrary.h"
#include "program/engine/ConverterLibrary.h"
#include "program/engine/DataProcessLibrary.h"
#include "program/engine/DecoderLibrary.h"
#include "program/engine/EncoderLibrary.h"
#include "program/engine/ImageProcLibrary.h"
#include "program/engine/PlayerLibrary.h"
#include "program/engine/TextArtLibrary.h"

extern TImageProcLibrary ImageProcLibrary;
extern TTextArtLibrary TextArtLibrary;
extern TDataProcessLibrary DataProcessLibrary;
extern TDecoderLibrary DecoderLibrary;     // "QM_DecMgr.dll"
extern TDecoderLibrary SwfDecoderLibrary;  // "QM_SWFDecoder.dll", bound by the first Flash decoder
extern TEncoderLibrary EncoderLibrary;
extern TConverterLibrary ConverterLibrary;
extern TPlayerLibrary PlayerLibrary;
extern TBurnerLibrary BurnerLibrary;

// Binds the start-up engines in order: data process, player, encoder manager, converter,
// decoder manager; then starts the decoder manager and the encoder manager, and last the
// transition manager (imported at link time; started once however often this runs). A
// library that cannot be loaded raises EOSError naming it. The image, text, burner and Flash decoder
// records are bound later by their first user.
void BindStartupEngines();

// Unloads every record (a manager still started is stopped first, once) and releases the
// transition manager's start. No entry point is called afterwards.
void UnloadEngineLibraries();

// The shut-down's release of the transition manager (TMUninitTransMgr), once; the unloading
// at exit then finds it released.
void ReleaseTransitionManager();

// True between the start-up's start of the transition manager and its release at exit.
bool TransitionManagerStarted();
