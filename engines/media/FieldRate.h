#pragma once

// Interlaced sources. An interlaced picture holds two moments, one in each field; scaled as
// one picture its motion blends into ghosts and half of it is lost. FieldRateSource turns
// each field into a progressive picture of its own (bwdif, libavfilter), so the converter can
// scale the moments one by one and weave them back into the fields of its output (WeaveFields).
//
// Thread rules as for any MediaSource: read by one consumer thread at a time.

#include <memory>
#include <string>

#include "engines/media/MediaSource.h"

namespace engines::media {

// The field order of a source's pictures: that of its stream for a file decoder (DV, which
// seldom says, is bottom field first), AV_FIELD_PROGRESSIVE for anything else.
__attribute__((visibility("default"))) AVFieldOrder SourceFieldOrder(const MediaSource& source);
inline bool IsInterlaced(AVFieldOrder order) { return order == AV_FIELD_TT || order == AV_FIELD_BB ||
                                                      order == AV_FIELD_TB || order == AV_FIELD_BT; }
// Whether the top field is shown first (TB is coded top first but shown bottom first).
inline bool TopFieldShownFirst(AVFieldOrder order) { return order == AV_FIELD_TT || order == AV_FIELD_BT; }

class __attribute__((visibility("default"))) FieldRateSource final : public MediaSource {
 public:
  // `order` is used for pictures that do not say which field comes first.
  FieldRateSource(std::shared_ptr<MediaSource> inner, AVFieldOrder order);
  ~FieldRateSource() override;

  bool HasVideo() const override { return m_inner->HasVideo(); }
  bool HasAudio() const override { return m_inner->HasAudio(); }
  double Duration() const override { return m_inner->Duration(); }
  const TVideoInfo* VideoInfo() const override { return m_inner->VideoInfo(); }
  const TAudioInfo* AudioInfo() const override { return m_inner->AudioInfo(); }
  // One picture per field, in the order they are shown, each with its field's time.
  bool ReadVideo(VideoFrame& out) override;
  bool ReadAudio(AudioBlock& out) override { return m_inner->ReadAudio(out); }
  bool Seek(double seconds) override;
  std::string LastError() const override;
  bool SelectSubtitles(int32_t streamId) override { return m_inner->SelectSubtitles(streamId); }

 private:
  struct Graph;
  bool Fail(const std::string& text);
  bool Flush();  // tells the graph no more pictures come

  std::shared_ptr<MediaSource> m_inner;
  AVFieldOrder m_order;
  std::unique_ptr<Graph> m_graph;
  VideoFrame m_last;  // the properties of the last picture read (aspect, style, subtitles)
  std::unique_ptr<VideoFrame> m_held;  // read while the graph before it was still emptying
  bool m_innerEnded = false;
  std::string m_error;
};

// Writes the lines of `first` (the field shown first) and `second` into `target`, all three
// the same size and format: with `topFirst` the top field (even lines) comes from `first`.
__attribute__((visibility("default"))) void WeaveFields(const AVFrame* first, const AVFrame* second, AVFrame* target,
                                                        bool topFirst);

}  // namespace engines::media
