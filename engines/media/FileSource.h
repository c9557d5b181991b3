#pragma once

// FileSource: a video or an audio decoder over one file that FFmpeg reads, the object behind
// the decoder manager's QVDCreate and QADCreate. A photo (JPEG, PNG, BMP, GIF, TIFF ...) is a
// still video source. Owned through the engine handle space; read by one consumer thread at
// a time (see MediaSource).
//
// A damaged file is read as far as it can be trusted: damage in the first second of decoding
// (from the start or from a seek) is passed over, as a player would; damage later on, or a
// stream that ends more than 1 s (or 2 % of its length) before the length the file declares,
// fails the read with "cannot read '<file>' past <time>: <what>".

#include <memory>
#include <string>

#include "engines/media/FrameConvert.h"
#include "engines/media/MediaSource.h"

namespace engines::media {

// How long a still picture is shown when nobody says otherwise.
constexpr double kStillSeconds = 5.0;

enum class StreamKind { Video, Audio };

// Opens and probes a file; on failure logs and returns the reason in `error`.
InputContextPtr OpenInput(const std::string& path, std::string& error);
bool IsStillPicture(const AVFormatContext* context);
double FileDuration(const AVFormatContext* context);
// How the pictures of a video stream are turned to stand upright: a video's display matrix
// (or its "rotate" tag), a photo's EXIF orientation.
Orientation StreamOrientation(const AVFormatContext* context, const AVStream* stream);
// The stream as it is shown: width, height and aspect are those of the upright picture.
TVideoInfo DescribeVideo(const AVFormatContext* context, const AVStream* stream);
TAudioInfo DescribeAudio(const AVFormatContext* context, const AVStream* stream);

struct DecoderOptions {
  int threads = 0;              // decoder threads; 0 = automatic
  int32_t subtitleStreamId = 0;  // subtitle stream whose cues come with the pictures; 0 = none
};

class __attribute__((visibility("default"))) FileSource final : public MediaSource {
 public:
  // Returns nullptr when the file cannot be opened or has no stream of that kind; the reason
  // is logged and stored in `error`.
  static std::shared_ptr<FileSource> Open(const std::string& path, StreamKind kind,
                                          const DecoderOptions& options, std::string& error);
  ~FileSource() override;

  bool HasVideo() const override;
  bool HasAudio() const override;
  double Duration() const override;
  const TVideoInfo* VideoInfo() const override;
  const TAudioInfo* AudioInfo() const override;
  bool ReadVideo(VideoFrame& out) override;
  bool ReadAudio(AudioBlock& out) override;
  bool Seek(double seconds) override;
  std::string LastError() const override;
  bool SelectSubtitles(int32_t streamId) override;
  // The field order of the video stream (AV_FIELD_PROGRESSIVE when it is not interlaced or
  // does not say; DV, which seldom says, is bottom field first).
  AVFieldOrder FieldOrder() const;

 private:
  struct State;
  explicit FileSource(std::unique_ptr<State> state);
  // The next picture without its subtitles.
  static bool ReadPicture(State& s, VideoFrame& out);
  std::unique_ptr<State> m_state;
};

}  // namespace engines::media
