#pragma once

// The C API of the title compositor (TracksDecoder.so): a title's document of the timeline
// engine read as one video source and one audio source, which the player and the converter
// take by handle (both are engines::media::MediaSource objects of the engine handle space).
//
// MTDVideoCreate and MTDAudioCreate copy the document's clips, transitions and clip settings on
// the calling thread (the program's GUI thread, which owns the document): later edits never
// reach a decoder already made. They answer 0 for an empty title or a handle that is no
// document. The decoders are then read by one consumer thread at a time.
//
// Video: frames on the grid of `fps`, one every 1 / fps seconds from 0 for the title's length.
// Flag 0 gives `width` x `height` square-pixel frames (a preview); flag 1 gives a DVD frame
// displayed at the aspect its consumer states through SetOutputFormat (4:3 until then), with
// full-quality scaling. Audio: 48 kHz stereo, exactly the title's length in samples.

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"

using engines::EngineHandle;

constexpr int32_t kMTDPreview = 0;
constexpr int32_t kMTDOutputFrame = 1;

ENGINE_API EngineHandle MTDVideoCreate(EngineHandle doc, int32_t width, int32_t height, double fps, int32_t flag);
ENGINE_API EngineHandle MTDAudioCreate(EngineHandle doc, int32_t rate, int32_t channels);
ENGINE_API void MTDVideoDestroy(EngineHandle decoder);
ENGINE_API void MTDAudioDestroy(EngineHandle decoder);
