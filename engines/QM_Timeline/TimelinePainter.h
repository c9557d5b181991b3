#pragma once

// Draws a timeline with cairo: the time ruler with ticks that adapt to the zoom, the track,
// a tile per clip (its picture scaled with its aspect kept, its label and duration) and per
// transition, selection and hover, the insertion marker, and the hint of an empty title.

#include <cairo.h>

#include <memory>
#include <vector>

#include "engines/QM_Timeline/TimelineLayout.h"

namespace qmtimeline {

struct PaintState {
  int width = 0, height = 0;
  const Element* hover = nullptr;
  const Element* dragged = nullptr;  // the clip being moved
  int insertMarker = -1;             // the join to mark, -1 for none
};

// Paints everything; elements drawn without a picture go to `missing`.
void PaintTimeline(cairo_t* cr, const TimelineLayout& layout, const Metrics& metrics, const PaintState& state,
                   std::vector<std::shared_ptr<Element>>* missing);

// The ruler's tick spacing for a zoom: the major step (seconds) is the smallest of a fixed
// ladder whose ticks lie at least `minSpacing` * 4 pixels apart; minor ticks divide it.
struct RulerSteps {
  double major = 1.0;
  int minorPerMajor = 5;
};
RulerSteps ChooseRulerSteps(double pixelsPerSecond, int minSpacing);

// "m:ss" (or "h:mm:ss"), rounded half up to whole seconds.
std::string FormatSeconds(double seconds);

}  // namespace qmtimeline
