#include "engines/QM_Timeline/TimelineLayout.h"

#include <algorithm>
#include <cmath>

namespace qmtimeline {

TimelineLayout::TimelineLayout(const Document& doc, const Metrics& metrics, int clientWidth, int clientHeight,
                               int scrollX)
    : m_metrics(metrics), m_pps(metrics.PixelsPerSecond()), m_scrollX(scrollX) {
  ruler = {0, 0, double(clientWidth), double(metrics.rulerHeight)};
  const double trackTop = metrics.rulerHeight + metrics.trackGap;
  const double trackHeight =
      std::max<double>(metrics.minTrackHeight, clientHeight - trackTop - metrics.trackGap);
  track = {0, trackTop, double(clientWidth), trackHeight};

  const auto& list = doc.video->clips;
  const double inset = 4;  // tiles sit inside the track's band
  const double tileTop = track.y + inset;
  const double tileHeight = std::max(8.0, track.height - 2 * inset);
  double previousRight = -1e9;
  for (size_t i = 0; i < list.size(); ++i) {
    const Element& clip = *list[i];
    // Tiles meet in the middle of each overlap; the last clip's fade into black stays inside.
    const double head = i > 0 && list[i - 1]->tail ? list[i - 1]->tail->Length() / 2.0 : 0.0;
    const double tail = i + 1 < list.size() && clip.tail ? clip.tail->Length() / 2.0 : 0.0;
    double left = TimeToX(clip.beginTime + head);
    double right = TimeToX(clip.End() - tail);
    left = std::max(left, previousRight);
    right = std::max(right, left + metrics.minClipWidth);
    // A hair of space between neighbours so each tile reads as its own.
    clips.push_back({list[i], {left + 1, tileTop, right - left - 2, tileHeight}, int(i)});
    previousRight = right;
  }
  for (const Tile& tile : clips) {
    const Element& clip = *tile.element;
    if (!clip.tail) continue;
    const bool last = tile.clipIndex + 1 == int(clips.size());
    const double centre = last ? tile.box.Right() - metrics.transitionSize / 2.0 - 4 : tile.box.Right() + 1;
    const double size = metrics.transitionSize;
    const Box picture = PictureBox(tile);
    const double top = picture.y + (picture.height - size) / 2.0;
    transitions.push_back({clip.tail, {centre - size / 2.0, top, size, size}, tile.clipIndex});
  }
  joins.push_back(clips.empty() ? TimeToX(0) : clips.front().box.x - 1);
  for (const Tile& tile : clips) joins.push_back(tile.box.Right() + 1);
  const double end = clips.empty() ? metrics.leftMargin : clips.back().box.Right() + m_scrollX;
  stripWidth = int(std::ceil(end)) + metrics.rightMargin;
}

const Tile* TimelineLayout::HitTest(double x, double y) const {
  for (const Tile& tile : transitions)
    if (tile.box.Contains(x, y)) return &tile;
  for (const Tile& tile : clips)
    if (tile.box.Contains(x, y)) return &tile;
  return nullptr;
}

int TimelineLayout::NearestJoin(double x) const {
  int best = 0;
  for (size_t i = 1; i < joins.size(); ++i)
    if (std::abs(joins[i] - x) < std::abs(joins[best] - x)) best = int(i);
  return best;
}

Box TimelineLayout::PictureBox(const Tile& tile) const {
  const double pad = 4;
  Box box = tile.box;
  box.x += pad;
  box.y += pad;
  box.width = std::max(0.0, box.width - 2 * pad);
  box.height = std::max(0.0, box.height - 2 * pad - m_metrics.labelHeight);
  return box;
}

}  // namespace qmtimeline
