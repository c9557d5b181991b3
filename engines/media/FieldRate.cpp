#include "engines/media/FieldRate.h"

#include <cmath>
#include <cstring>

#include "engines/media/FileSource.h"
#include "engines/media/MediaLog.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace engines::media {
namespace {

// Timestamps go into the filter graph in microseconds.
constexpr AVRational kGraphTimeBase{1, 1000000};

struct FilterGraphDeleter {
  void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};

}  // namespace

AVFieldOrder SourceFieldOrder(const MediaSource& source) {
  const auto* file = dynamic_cast<const FileSource*>(&source);
  return file ? file->FieldOrder() : AV_FIELD_PROGRESSIVE;
}

// The deinterlacer of one run of same-sized pictures: buffer -> bwdif -> buffersink.
struct FieldRateSource::Graph {
  std::unique_ptr<AVFilterGraph, FilterGraphDeleter> graph;
  AVFilterContext* source = nullptr;
  AVFilterContext* sink = nullptr;
  int width = 0, height = 0, format = -1;
  bool flushed = false;

  bool Fits(const AVFrame* frame) const {
    return frame->width == width && frame->height == height && frame->format == format;
  }

  // False with the reason in `error`.
  bool Build(const AVFrame* frame, AVFieldOrder order, std::string& error) {
    width = frame->width;
    height = frame->height;
    format = frame->format;
    graph.reset(avfilter_graph_alloc());
    if (!graph) {
      error = LogAvError("avfilter_graph_alloc", AVERROR(ENOMEM), "the deinterlacer");
      return false;
    }
    AVRational sar = frame->sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0) sar = {1, 1};
    const char* formatName = av_get_pix_fmt_name(AVPixelFormat(format));
    if (!formatName) {
      error = "the deinterlacer cannot take pictures of pixel format " + std::to_string(format);
      LogLine(error);
      return false;
    }
    const std::string bufferArguments = "video_size=" + std::to_string(width) + "x" + std::to_string(height) +
                                        ":pix_fmt=" + formatName + ":time_base=1/1000000:pixel_aspect=" +
                                        std::to_string(sar.num) + "/" + std::to_string(sar.den);
    // Pictures that say whether they are interlaced and which field comes first are taken at
    // their word; otherwise every picture is split in the stream's order.
    const std::string deinterlaceArguments =
        frame->interlaced_frame ? "mode=send_field:parity=auto:deint=interlaced"
                                : std::string("mode=send_field:deint=all:parity=") +
                                      (TopFieldShownFirst(order) ? "tff" : "bff");
    AVFilterContext* deinterlacer = nullptr;
    int result = avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", bufferArguments.c_str(),
                                              nullptr, graph.get());
    const char* failed = "avfilter_graph_create_filter (buffer)";
    if (result >= 0) {
      failed = "avfilter_graph_create_filter (bwdif)";
      result = avfilter_graph_create_filter(&deinterlacer, avfilter_get_by_name("bwdif"), "bwdif",
                                            deinterlaceArguments.c_str(), nullptr, graph.get());
    }
    if (result >= 0) {
      failed = "avfilter_graph_create_filter (buffersink)";
      result = avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                            graph.get());
    }
    if (result >= 0) {
      failed = "avfilter_link";
      result = avfilter_link(source, 0, deinterlacer, 0);
      if (result >= 0) result = avfilter_link(deinterlacer, 0, sink, 0);
    }
    if (result >= 0) {
      failed = "avfilter_graph_config";
      result = avfilter_graph_config(graph.get(), nullptr);
    }
    if (result < 0) {
      error = LogAvError(failed, result, std::string("a ") + std::to_string(width) + "x" + std::to_string(height) +
                                             " " + formatName + " picture to deinterlace");
      return false;
    }
    return true;
  }
};

FieldRateSource::FieldRateSource(std::shared_ptr<MediaSource> inner, AVFieldOrder order)
    : m_inner(std::move(inner)), m_order(order) {}
FieldRateSource::~FieldRateSource() = default;

bool FieldRateSource::Fail(const std::string& text) {
  m_error = text;
  return false;
}

std::string FieldRateSource::LastError() const { return m_error.empty() ? m_inner->LastError() : m_error; }

bool FieldRateSource::ReadVideo(VideoFrame& out) {
  if (!m_error.empty()) return false;
  for (;;) {
    if (m_graph) {
      FramePtr field = MakeFrame();
      const int result = av_buffersink_get_frame(m_graph->sink, field.get());
      if (result >= 0) {
        const AVRational timeBase = av_buffersink_get_time_base(m_graph->sink);
        out.frame = std::move(field);
        out.time = out.frame->pts == AV_NOPTS_VALUE ? m_last.time : out.frame->pts * av_q2d(timeBase);
        out.displayAspect = m_last.displayAspect;
        out.style = m_last.style;
        out.subtitles = m_last.subtitles;
        out.frame->interlaced_frame = 0;
        return true;
      }
      if (result == AVERROR_EOF) {
        m_graph.reset();
      } else if (result != AVERROR(EAGAIN)) {
        return Fail(LogAvError("av_buffersink_get_frame", result, "the deinterlacer"));
      } else if (m_graph->flushed) {
        return Fail("the deinterlacer stopped before its end");
      }
    }
    VideoFrame next;
    if (m_held) {
      next = std::move(*m_held);
      m_held.reset();
    } else {
      if (m_innerEnded) return false;  // and every field is out
      if (!m_inner->ReadVideo(next)) {
        m_innerEnded = true;
        if (!m_inner->LastError().empty() || !m_graph) return false;
        if (!Flush()) return false;
        continue;
      }
    }
    if (m_graph && !m_graph->Fits(next.frame.get())) {
      // The pictures changed size or format: the graph gives out what it holds first.
      if (!m_graph->flushed && !Flush()) return false;
      m_held = std::make_unique<VideoFrame>(std::move(next));
      continue;
    }
    if (!m_graph) {
      auto graph = std::make_unique<Graph>();
      std::string error;
      if (!graph->Build(next.frame.get(), m_order, error)) return Fail(error);
      m_graph = std::move(graph);
    }
    next.frame->pts = std::llround(next.time / av_q2d(kGraphTimeBase));
    const int result = av_buffersrc_add_frame_flags(m_graph->source, next.frame.get(), AV_BUFFERSRC_FLAG_KEEP_REF);
    if (result < 0) return Fail(LogAvError("av_buffersrc_add_frame_flags", result, "the deinterlacer"));
    m_last.time = next.time;
    m_last.displayAspect = next.displayAspect;
    m_last.style = next.style;
    m_last.subtitles = std::move(next.subtitles);
  }
}

bool FieldRateSource::Flush() {
  const int result = av_buffersrc_add_frame_flags(m_graph->source, nullptr, 0);
  if (result < 0) return Fail(LogAvError("av_buffersrc_add_frame_flags (end)", result, "the deinterlacer"));
  m_graph->flushed = true;
  return true;
}

bool FieldRateSource::Seek(double seconds) {
  m_graph.reset();
  m_held.reset();
  m_innerEnded = false;
  m_error.clear();
  return m_inner->Seek(seconds);
}

void WeaveFields(const AVFrame* first, const AVFrame* second, AVFrame* target, bool topFirst) {
  const AVPixelFormat format = AVPixelFormat(target->format);
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  const int planes = av_pix_fmt_count_planes(format);
  for (int plane = 0; plane < planes; ++plane) {
    const bool chroma = (plane == 1 || plane == 2) && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB);
    const int rows = AV_CEIL_RSHIFT(target->height, chroma ? descriptor->log2_chroma_h : 0);
    const int bytes = av_image_get_linesize(format, target->width, plane);
    for (int y = 0; y < rows; ++y) {
      const AVFrame* from = ((y % 2 == 0) == topFirst) ? first : second;
      std::memcpy(target->data[plane] + ptrdiff_t(y) * target->linesize[plane],
                  from->data[plane] + ptrdiff_t(y) * from->linesize[plane], size_t(bytes));
    }
  }
}

}  // namespace engines::media
