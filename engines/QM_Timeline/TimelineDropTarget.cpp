#include "engines/QM_Timeline/TimelineDropTarget.h"

#include <cstring>

#include "engines/QM_Timeline/Timeline.h"
#include "engines/common/EngineGuard.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/Clipboard.h"

namespace qmtimeline {

namespace {

UINT VideoFileFormat() {
  static const UINT format = RegisterClipboardFormatA("Timeline Video File");
  return format;
}

UINT TransitionFormat() {
  static const UINT format = RegisterClipboardFormatA("Timeline Transition");
  return format;
}

FORMATETC Request(UINT format) {
  return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool Offers(IDataObject* data, UINT format) {
  FORMATETC request = Request(format);
  return data && data->QueryGetData(&request) == S_OK;
}

POINT ClientPoint(HWND hwnd, POINTL point) {
  POINT p{point.x, point.y};
  ScreenToClient(hwnd, &p);
  return p;
}

// Holds the target for one call: a drop may destroy the timeline, whose window's registration
// lets go of the target while the target is still answering.
class Hold {
 public:
  explicit Hold(IDropTarget* target) : m_target(target) { m_target->AddRef(); }
  ~Hold() { m_target->Release(); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  IDropTarget* m_target;
};

}  // namespace

bool ReadDragText(IDataObject* data, unsigned format, std::string* text) {
  FORMATETC request = Request(format);
  STGMEDIUM medium{};
  if (!data || data->GetData(&request, &medium) != S_OK) return false;
  bool ok = false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    const SIZE_T size = GlobalSize(medium.hGlobal);
    if (const auto* bytes = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
      DWORD offset = 0;
      if (size >= sizeof offset) std::memcpy(&offset, bytes, sizeof offset);
      if (size >= sizeof offset && offset <= size) {
        text->assign(bytes + offset, size - offset);
        ok = true;
      }
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return ok;
}

DropTarget::DropTarget(const std::shared_ptr<Timeline>& timeline) : m_timeline(timeline) {}

DropTarget::~DropTarget() = default;

HRESULT DropTarget::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDropTarget) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() { return ++m_references; }

ULONG DropTarget::Release() {
  const ULONG left = --m_references;
  if (left == 0) delete this;
  return left;
}

DWORD DropTarget::Answer(POINTL point) {
  auto timeline = m_timeline.lock();
  if (!timeline || !timeline->Alive() || !timeline->hwnd) return DROPEFFECT_NONE;
  const POINT p = ClientPoint(timeline->hwnd, point);
  if (m_kind == Kind::Files && timeline->AcceptsFilesAt(p.x, p.y)) {
    timeline->SetDropMarker(timeline->Layout().NearestJoin(p.x));
    return DROPEFFECT_COPY;
  }
  timeline->SetDropMarker(-1);
  if (m_kind == Kind::Transition && timeline->AcceptsTransitionAt(p.x, p.y)) return DROPEFFECT_COPY;
  return DROPEFFECT_NONE;
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) {
  Hold hold(this);
  return engines::Guarded("timeline DragEnter", E_UNEXPECTED, [&]() -> HRESULT {
    if (!effect) return E_INVALIDARG;
    m_kind = Offers(data, VideoFileFormat()) ? Kind::Files
             : Offers(data, TransitionFormat()) ? Kind::Transition
                                                : Kind::None;
    *effect &= Answer(point);
    return S_OK;
  });
}

HRESULT DropTarget::DragOver(DWORD, POINTL point, DWORD* effect) {
  Hold hold(this);
  return engines::Guarded("timeline DragOver", E_UNEXPECTED, [&]() -> HRESULT {
    if (!effect) return E_INVALIDARG;
    *effect &= Answer(point);
    return S_OK;
  });
}

HRESULT DropTarget::DragLeave() {
  Hold hold(this);
  return engines::Guarded("timeline DragLeave", E_UNEXPECTED, [&]() -> HRESULT {
    if (auto timeline = m_timeline.lock(); timeline && timeline->Alive()) timeline->SetDropMarker(-1);
    m_kind = Kind::None;
    return S_OK;
  });
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) {
  Hold hold(this);
  return engines::Guarded("timeline Drop", E_UNEXPECTED, [&]() -> HRESULT {
    if (!effect) return E_INVALIDARG;
    const DWORD answer = *effect & Answer(point);
    *effect = answer;
    const Kind kind = m_kind;
    m_kind = Kind::None;
    auto timeline = m_timeline.lock();
    if (!timeline || !timeline->Alive()) return S_OK;
    timeline->SetDropMarker(-1);
    if (answer == DROPEFFECT_NONE) return S_OK;
    const POINT p = ClientPoint(timeline->hwnd, point);
    std::string text;
    if (kind == Kind::Files && ReadDragText(data, VideoFileFormat(), &text)) {
      std::vector<std::string> paths;
      for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\0', at);
        const size_t stop = end == std::string::npos ? text.size() : end;
        if (stop == at) break;  // the empty name that ends the list
        paths.push_back(text.substr(at, stop - at));
        at = stop + 1;
      }
      timeline->DropFiles(paths, timeline->Layout().NearestJoin(p.x));
    } else if (kind == Kind::Transition && ReadDragText(data, TransitionFormat(), &text)) {
      const size_t end = text.find('\0');
      const std::string id = text.substr(0, end);
      if (!timeline->DropTransition(platform::Utf8ToUtf16(id), p.x, p.y)) *effect = DROPEFFECT_NONE;
    } else {
      *effect = DROPEFFECT_NONE;
    }
    return S_OK;
  });
}

}  // namespace qmtimeline
