#pragma once

// The timeline window's drop target: takes "Timeline Video File" (a list of UTF-8 paths,
// each ending in a zero, after a 20-byte header) anywhere over the track and "Timeline
// Transition" (one identifier) onto a clip or transition tile, with the copy effect; refuses
// everything else. The drop itself is the timeline's (Timeline::DropFiles, DropTransition).

#include <memory>
#include <string>

#include "platform/ole/Ole.h"

namespace qmtimeline {

class Timeline;

class DropTarget : public IDropTarget {
 public:
  explicit DropTarget(const std::shared_ptr<Timeline>& timeline);

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

 private:
  enum class Kind { None, Files, Transition };
  virtual ~DropTarget();
  // What the drag may do over a screen point; moves the timeline's marker.
  DWORD Answer(POINTL point);

  ULONG m_references = 1;
  std::weak_ptr<Timeline> m_timeline;
  Kind m_kind = Kind::None;
};

// The text of a drag's block in `format` (after the block's header), or nothing.
bool ReadDragText(IDataObject* data, unsigned format, std::string* text);

}  // namespace qmtimeline
