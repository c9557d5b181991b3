#pragma once

// Where things are in a timeline window: the ruler, the track, a tile per clip and per
// transition, and the joins between clips where a drop or a moved clip lands. Pure geometry
// over the document, the strip metrics, the client size and the scroll position.

#include <memory>
#include <vector>

#include "engines/QM_Timeline/TimelineModel.h"
#include "engines/QM_Timeline/TimelineStyle.h"

namespace qmtimeline {

struct Box {
  double x = 0, y = 0, width = 0, height = 0;
  bool Contains(double px, double py) const { return px >= x && px < x + width && py >= y && py < y + height; }
  double Right() const { return x + width; }
  double Bottom() const { return y + height; }
};

struct Tile {
  std::shared_ptr<Element> element;
  Box box;
  int clipIndex = 0;  // the clip's index (a transition: its clip's)
};

class TimelineLayout {
 public:
  TimelineLayout(const Document& doc, const Metrics& metrics, int clientWidth, int clientHeight, int scrollX);

  Box ruler, track;
  std::vector<Tile> clips;        // in track order
  std::vector<Tile> transitions;  // in track order
  std::vector<double> joins;      // x of each insertion place: before clip 0 .. after the last
  int stripWidth = 0;             // the whole strip, pixels (scrolling range)

  double TimeToX(double seconds) const { return m_metrics.leftMargin + seconds * m_pps - m_scrollX; }
  double XToTime(double x) const { return (x + m_scrollX - m_metrics.leftMargin) / m_pps; }
  // The element under a client point: transitions first (they lie over the clips); null for none.
  const Tile* HitTest(double x, double y) const;
  // The insertion place (0 .. clip count) nearest to x.
  int NearestJoin(double x) const;
  // The picture area of a clip tile (above its label strip).
  Box PictureBox(const Tile& tile) const;

 private:
  Metrics m_metrics;
  double m_pps;
  int m_scrollX;
};

}  // namespace qmtimeline
