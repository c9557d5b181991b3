#include "vcl/Drag.h"

#include <cstdlib>
#include <memory>

#include "platform/comctl/ImageList.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/Screen.h"
#include "vcl/WinControl.h"

using namespace platform;

class TDragManagerAccess {
 public:
  static void SetPos(TDragObject* object, TPoint pos) { object->FDragPos = pos; }
  static void SetTarget(TDragObject* object, TControl* target, TPoint targetPos) {
    object->FDragTarget = target;
    object->FDragTargetPos = targetPos;
  }
  static void Finish(TDragObject* object, bool cancelling, bool dropped) {
    object->FCancelling = cancelling;
    object->FDropped = dropped;
  }
};

namespace {

TMouse g_mouse;

// The one drag of the process.
struct DragState {
  TControl* control = nullptr;        // the source
  TDragObject* object = nullptr;
  std::unique_ptr<TDragObject> owned;  // the object the manager made, freed at the end
  bool active = false;                 // past the threshold
  int threshold = 0;
  TPoint startPos;
  TControl* target = nullptr;
  bool accepted = false;
  HWND capture = nullptr;
  bool settingCapture = false;
  TDragImageList* images = nullptr;  // showing over `imageWindow`
  HWND imageWindow = nullptr;
};

DragState& Drag() {
  static DragState state;
  return state;
}

LRESULT SendDrag(TControl* target, TDragMessage message, TPoint pos) {
  TDragRec rec;
  rec.Pos = pos;
  rec.Source = Drag().object;
  rec.Target = target;
  return target->Perform(CM_DRAG, static_cast<WPARAM>(message), reinterpret_cast<LPARAM>(&rec));
}

void SetDragCursor(TPoint pos) {
  DragState& d = Drag();
  TPoint local = d.target ? d.target->ScreenToClient(pos) : pos;
  ::SetCursor(Screen->Cursors(d.object->GetDragCursor(d.accepted, local.X, local.Y)));
}

// The drag image over the source's form, shown while the target wants it.
void MoveDragImage(TPoint pos) {
  DragState& d = Drag();
  if (!d.images) return;
  RECT window{};
  GetWindowRect(d.imageWindow, &window);
  const bool show = d.target && d.target->ControlStyle().Contains(csDisplayDragImage);
  if (!d.images->Dragging()) {
    if (!show) return;
    d.images->BeginDrag(d.imageWindow, pos.X - window.left, pos.Y - window.top);
    return;
  }
  d.images->DragMove(pos.X - window.left, pos.Y - window.top);
  if (show) d.images->ShowDragImage();
  else d.images->HideDragImage();
}

void DragTo(TPoint pos) {
  DragState& d = Drag();
  if (!d.active) {
    if (std::abs(pos.X - d.startPos.X) < d.threshold && std::abs(pos.Y - d.startPos.Y) < d.threshold) return;
    d.active = true;
    d.images = d.object->GetDragImages();
    if (d.images && d.images->Count() == 0) d.images = nullptr;
    if (d.images) {
      TWinControl* form = d.control->Parent() ? static_cast<TWinControl*>(GetParentForm(d.control)) : dynamic_cast<TWinControl*>(d.control);
      d.imageWindow = form && form->HandleAllocated() ? form->Handle() : nullptr;
      if (!d.imageWindow) d.images = nullptr;
    }
  }
  TControl* target = FindDragTarget(pos, false);
  TDragManagerAccess::SetPos(d.object, pos);
  if (target != d.target) {
    if (d.target) SendDrag(d.target, dmDragLeave, pos);
    if (!d.object) return;
    d.target = target;
    TDragManagerAccess::SetTarget(d.object, target, target ? target->ScreenToClient(pos) : pos);
    d.accepted = target && SendDrag(target, dmDragEnter, pos) != 0;
  } else if (target) {
    TDragManagerAccess::SetTarget(d.object, target, target->ScreenToClient(pos));
    d.accepted = SendDrag(target, dmDragMove, pos) != 0;
  }
  // The target may have ended the drag while it was asked.
  if (!d.object) return;
  SetDragCursor(pos);
  MoveDragImage(pos);
}

TPoint CursorPosition() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

}  // namespace


TMouse* Mouse = &g_mouse;

bool TMouse::IsDragging() const { return Drag().object && Drag().active; }
TPoint TMouse::CursorPos() const { return CursorPosition(); }

TDragObject* CurrentDragObject() { return Drag().object; }
TControl* CurrentDragControl() { return Drag().control; }

TControl* FindDragTarget(TPoint pos, bool allowDisabled) {
  HWND hwnd = WindowFromPoint(POINT{pos.X, pos.Y});
  TWinControl* window = nullptr;
  while (hwnd && !(window = TWinControl::FindControl(hwnd))) hwnd = GetParent(hwnd);
  if (!window) return nullptr;
  TDragRec rec;
  rec.Pos = pos;
  rec.Source = Drag().object;
  auto* found = reinterpret_cast<TControl*>(
      window->Perform(CM_DRAG, static_cast<WPARAM>(dmFindTarget), reinterpret_cast<LPARAM>(&rec)));
  TControl* target = found ? found : window;
  if (!allowDisabled && !target->Enabled()) return nullptr;
  return target;
}

void CancelDrag() {
  if (Drag().object) vcl_detail::DragDone(false);
}

// ---- drag objects

TCursor TDragObject::GetDragCursor(bool accepted, int, int) { return accepted ? crDrag : crNoDrop; }

void TDragObject::HideDragImage() {
  if (TDragImageList* images = GetDragImages()) images->HideDragImage();
}

void TDragObject::ShowDragImage() {
  if (TDragImageList* images = GetDragImages()) images->ShowDragImage();
}

void TBaseDragControlObject::Finished(TObject* target, int x, int y, bool accepted) {
  (void)accepted;
  FControl->DoEndDrag(target, x, y);
}

TCursor TDragControlObject::GetDragCursor(bool accepted, int, int) {
  return accepted ? FControl->DragCursor() : crNoDrop;
}

TDragImageList* TDragControlObject::GetDragImages() { return FControl->GetDragImages(); }

// ---- drag image lists

TDragImageList::~TDragImageList() {
  if (FDragging) EndDrag();
}

bool TDragImageList::SetDragImage(int index, int hotSpotX, int hotSpotY) {
  if (index < 0 || index >= Count()) return false;
  FDragIndex = index;
  FDragHotspot = {hotSpotX, hotSpotY};
  return true;
}

bool TDragImageList::BeginDrag(HWND window, int x, int y) {
  if (FDragging) EndDrag();
  if (!HandleAllocated() || !ImageList_BeginDrag(Handle(), FDragIndex, FDragHotspot.X, FDragHotspot.Y)) return false;
  FDragging = ImageList_DragEnter(window, x, y) != FALSE;
  if (!FDragging) ImageList_EndDrag();
  FDragWindow = FDragging ? window : nullptr;
  return FDragging;
}

bool TDragImageList::DragMove(int x, int y) { return FDragging && ImageList_DragMove(x, y); }

bool TDragImageList::EndDrag() {
  if (!FDragging) return false;
  ImageList_DragLeave(FDragWindow);
  ImageList_EndDrag();
  FDragging = false;
  FDragWindow = nullptr;
  return true;
}

void TDragImageList::ShowDragImage() {
  if (FDragging) ImageList_DragShowNolock(TRUE);
}

void TDragImageList::HideDragImage() {
  if (FDragging) ImageList_DragShowNolock(FALSE);
}

// ---- the manager

namespace vcl_detail {

void DragInitControl(TControl* control, bool immediate, int threshold) {
  DragState& d = Drag();
  if (d.object) return;
  TDragObject* object = nullptr;
  control->DoStartDrag(object);
  if (!object) {
    d.owned = std::make_unique<TDragControlObjectEx>(control);
    object = d.owned.get();
  }
  d.control = control;
  d.object = object;
  d.active = false;
  d.threshold = threshold < 0 ? Mouse->DragThreshold() : threshold;
  d.startPos = CursorPosition();
  d.target = nullptr;
  d.accepted = false;
  TDragManagerAccess::SetPos(object, d.startPos);
  d.settingCapture = true;
  SetCaptureControl(control);
  d.settingCapture = false;
  d.capture = GetCapture();
  if (immediate) {
    d.threshold = 0;
    DragTo(d.startPos);
  }
}

void DragDone(bool drop) {
  DragState& d = Drag();
  if (!d.object) return;
  TDragObject* object = d.object;
  std::unique_ptr<TDragObject> owned = std::move(d.owned);
  TControl* target = d.active ? d.target : nullptr;
  const bool accepted = drop && target && d.accepted;
  const TPoint pos = object->DragPos();
  // The state is cleared first: handlers below may start another drag.
  TDragImageList* images = d.images;
  d = DragState{};
  if (images) images->EndDrag();
  if (GetCaptureControl()) SetCaptureControl(nullptr);
  else ReleaseCapture();
  TDragManagerAccess::Finish(object, !drop, accepted);
  TPoint targetPos = pos;
  if (target) {
    targetPos = target->ScreenToClient(pos);
    TDragRec rec;
    rec.Pos = pos;
    rec.Source = object;
    rec.Target = target;
    target->Perform(CM_DRAG, static_cast<WPARAM>(accepted ? dmDragDrop : dmDragLeave), reinterpret_cast<LPARAM>(&rec));
  }
  object->Finished(accepted ? target : nullptr, targetPos.X, targetPos.Y, accepted);
  Screen->SetCursor(Screen->Cursor());
}

bool DragFilterMessage(TControl* control, TMessage& m) {
  DragState& d = Drag();
  if (!d.object) return false;
  (void)control;
  switch (m.Msg) {
    case WM_KEYDOWN:
      if (m.WParam != VK_ESCAPE) return false;
      DragDone(false);
      return true;
    case WM_MOUSEMOVE:
      if (GetCapture() != d.capture) return false;
      DragTo(CursorPosition());
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (GetCapture() != d.capture) return false;
      if (!d.active) {
        // Released before the threshold: no drag, and the control sees its click.
        DragDone(false);
        return false;
      }
      DragDone(true);
      return true;
    case WM_CAPTURECHANGED:
      if (!d.settingCapture && reinterpret_cast<HWND>(m.LParam) != d.capture) DragDone(false);
      return false;
    case WM_CANCELMODE:
      DragDone(false);
      return false;
    default: return false;
  }
}

}  // namespace vcl_detail
