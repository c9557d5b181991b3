#pragma once

// The C API of the decoder manager engines (QM_DecMgr.so, and QM_SWFDecoder.so with the
// same entry points). File names are zero-terminated UTF-16. Handles live in the shared
// engine handle space; QVDGetVideoInfo and QADGetAudioInfo answer for any source handle
// (decoders, processors, track decoders). No entry point throws. The program binds some
// entries by ordinal: ordinal_30 = QDMStart, ordinal_31 = QDMStop, ordinal_1 = QDMGetFileInfo,
// ordinal_2 = QDMFreeFileInfo (declared where they are defined, as every engine has its own).

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "engines/media/MediaLog.h"
#include "engines/media/MediaRecords.h"

using engines::EngineHandle;
using engines::media::TAudioInfo;
using engines::media::TMediaFileInfo;
using engines::media::TVideoInfo;

// Start (ordinal 30) routes FFmpeg's log into the engine log and returns 1; stop (ordinal
// 31) ends that. Decoders work whether or not the manager was started.
ENGINE_API int32_t QDMStart();
ENGINE_API void QDMStop();

// File information (ordinal 1), nullptr when the file cannot be read; free it with ordinal 2.
ENGINE_API TMediaFileInfo* QDMGetFileInfo(const char16_t* fileName, int32_t mode);
ENGINE_API void QDMFreeFileInfo(TMediaFileInfo* info);

// Decoders over a file. `params` is the clip's 36-byte decode parameter block (may be null);
// `status` (may be null) receives 0 when the decoder opened, -1 when it did not. 0 on failure,
// with the reason in the engine log.
ENGINE_API EngineHandle QVDCreate(const char16_t* fileName, const void* params, int32_t* status, int32_t mode);
ENGINE_API void QVDDestroy(EngineHandle decoder);
ENGINE_API const TVideoInfo* QVDGetVideoInfo(EngineHandle source);
ENGINE_API EngineHandle QADCreate(const char16_t* fileName, const void* params, int32_t* status, int32_t mode);
ENGINE_API void QADDestroy(EngineHandle decoder);
ENGINE_API const TAudioInfo* QADGetAudioInfo(EngineHandle source);

// Points the media engines' log at `hook` (nullptr: stderr).
ENGINE_API void MediaSetLogHook(engines::media::LogHook hook);
