// What a timeline does with a drop: files become clips at the drop place through the
// program's queries, a transition identifier goes to the transition under it.

#include <array>

#include "engines/QM_Timeline/Timeline.h"
#include "engines/common/EngineGuard.h"
#include "platform/kernel/Unicode.h"

namespace qmtimeline {

namespace {

constexpr double kDroppedTransitionLength = 2.0;

}  // namespace

void Timeline::SetDropMarker(int join) {
  if (join == m_dropMarker) return;
  m_dropMarker = join;
  if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

bool Timeline::AcceptsFilesAt(double x, double y) const {
  const TimelineLayout layout = Layout();
  return y >= layout.ruler.y && y < layout.track.Bottom() + metrics.trackGap && x >= 0;
}

bool Timeline::AcceptsTransitionAt(double x, double y) const { return Layout().HitTest(x, y) != nullptr; }

void Timeline::DropFiles(const std::vector<std::string>& paths, int join) {
  if (paths.empty()) return;
  RaiseEvent(kTimelineEventDropBegins, static_cast<intptr_t>(paths.size()), 0);
  if (!Alive()) return;
  const std::shared_ptr<Element> firstBefore = doc->video->clips.empty() ? nullptr : doc->video->clips.front();
  int at = join;
  bool added = false;
  for (const std::string& path : paths) {
    const std::u16string wide = platform::Utf8ToUtf16(path);
    const auto answer = static_cast<EngineHandle>(
        Query(kTimelineQueryClipForFile, 0, reinterpret_cast<intptr_t>(wide.c_str())));
    if (!Alive()) return;
    if (!answer) continue;
    const std::shared_ptr<Element> clip = FindClip(answer);
    if (!clip || clip->track) {
      engines::LogLine("timeline: the clip answered for a dropped file is no free clip; ignored");
      continue;
    }
    at = std::clamp(at, 0, static_cast<int>(doc->video->clips.size()));
    if (doc->video->Insert(clip, at) < 0) continue;
    // The program's reference passes to the track.
    DropReference(*clip);
    ++at;
    added = true;
    std::array<char16_t, kTimelineTransitionIdUnits> id{};
    Query(kTimelineQueryTransitionId, 0, reinterpret_cast<intptr_t>(id.data()));
    if (!Alive()) return;
    id.back() = u'\0';
    // The answer may have let the clip go (it can edit the document).
    if (clip->track != doc->video.get()) continue;
    const std::shared_ptr<Element> transition = doc->video->SetTail(*clip, id.data(), kDroppedTransitionLength);
    if (!transition) continue;
    transition->pictureAsked = true;
    Query(kTimelineQueryPicture, 0, static_cast<intptr_t>(transition->handle));
    if (!Alive()) return;
  }
  Update();
  if (!added) return;
  RaiseEvent(kTimelineEventChanged, 0, 0);
  if (!Alive()) return;
  const std::shared_ptr<Element> firstAfter = doc->video->clips.empty() ? nullptr : doc->video->clips.front();
  if (firstAfter != firstBefore)
    RaiseEvent(kTimelineEventFirstClipChanged, 0, firstAfter ? static_cast<intptr_t>(firstAfter->handle) : 0);
}

bool Timeline::DropTransition(const std::u16string& id, double x, double y) {
  const TimelineLayout layout = Layout();
  const Tile* tile = layout.HitTest(x, y);
  if (!tile) return false;
  std::shared_ptr<Element> transition = tile->element;
  if (transition->type == kTimelineVideoClip) {
    // Onto a clip: its tail transition, made when it has none.
    transition = transition->tail ? transition->tail
                                  : doc->video->SetTail(*transition, id.c_str(), kDroppedTransitionLength);
    if (!transition) return false;
  }
  transition->transId = id;
  transition->label = id;
  transition->pictureAsked = true;
  Update();
  Query(kTimelineQueryPicture, 0, static_cast<intptr_t>(transition->handle));
  if (Alive()) Update();
  return true;
}

}  // namespace qmtimeline
