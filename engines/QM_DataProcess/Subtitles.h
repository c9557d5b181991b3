#pragma once

// Draws a source's subtitle cues onto a processed BGRA picture: texts through Pango and
// cairo (filled in their colour with a dark outline, so they read on any picture), pictures
// (DVD or Blu-ray subtitles) blended in place. Positions and sizes given in source pixels
// (`sourceWidth` x `sourceHeight`, the source's full frame) are scaled to the picture, which
// may be cropped.

#include <memory>
#include <vector>

#include "engines/QM_DataProcess/PictureSettings.h"

namespace dataprocess {

void DrawSubtitles(const SubtitleStyle& style,
                   const std::vector<std::shared_ptr<const engines::media::SubtitleCue>>& cues, AVFrame* bgra,
                   int sourceWidth, int sourceHeight);

}  // namespace dataprocess
