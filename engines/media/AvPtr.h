#pragma once

// RAII holders for the FFmpeg objects the media engines use: each is a UniqueHandle bound to
// the object's release function.

#include "platform/kernel/UniqueHandle.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace engines::media {

// The release functions FFmpeg declares with the handle's address, bound by value.
inline void CloseInput(AVFormatContext* context) { avformat_close_input(&context); }
inline void CloseOutput(AVFormatContext* context) {
  if (context->pb && !(context->oformat->flags & AVFMT_NOFILE)) avio_closep(&context->pb);
  avformat_free_context(context);
}
inline void FreeCodecContext(AVCodecContext* context) { avcodec_free_context(&context); }
inline void FreeFrame(AVFrame* frame) { av_frame_free(&frame); }
inline void FreePacket(AVPacket* packet) { av_packet_free(&packet); }
inline void FreeSwr(SwrContext* context) { swr_free(&context); }
inline void FreeDictionary(AVDictionary* dictionary) { av_dict_free(&dictionary); }

// Deleters for std::unique_ptr, for code that holds FFmpeg objects that way.
struct InputContextDeleter {
  void operator()(AVFormatContext* context) const { CloseInput(context); }
};
struct OutputContextDeleter {
  void operator()(AVFormatContext* context) const { CloseOutput(context); }
};
struct CodecContextDeleter {
  void operator()(AVCodecContext* context) const { FreeCodecContext(context); }
};
struct FrameDeleter {
  void operator()(AVFrame* frame) const { FreeFrame(frame); }
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const { FreePacket(packet); }
};
struct SwsDeleter {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct SwrDeleter {
  void operator()(SwrContext* context) const { FreeSwr(context); }
};
struct DictionaryDeleter {
  void operator()(AVDictionary* dictionary) const { FreeDictionary(dictionary); }
};

using InputContextPtr = platform::UniqueHandle<AVFormatContext*, CloseInput>;
using OutputContextPtr = platform::UniqueHandle<AVFormatContext*, CloseOutput>;
using CodecContextPtr = platform::UniqueHandle<AVCodecContext*, FreeCodecContext>;
using FramePtr = platform::UniqueHandle<AVFrame*, FreeFrame>;
using PacketPtr = platform::UniqueHandle<AVPacket*, FreePacket>;
using SwsPtr = platform::UniqueHandle<SwsContext*, sws_freeContext>;
using SwrPtr = platform::UniqueHandle<SwrContext*, FreeSwr>;
using DictionaryPtr = platform::UniqueHandle<AVDictionary*, FreeDictionary>;

inline FramePtr MakeFrame() { return FramePtr(av_frame_alloc()); }
inline PacketPtr MakePacket() { return PacketPtr(av_packet_alloc()); }

// A frame that shares the buffers of `source` (reference counted).
inline FramePtr RefFrame(const AVFrame* source) { return FramePtr(av_frame_clone(source)); }

}  // namespace engines::media
