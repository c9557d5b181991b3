#pragma once

// The drag manager: one drag at a time, from a control's BeginDrag (at once, or once the
// pointer has moved past a threshold) to a drop or a cancel. While it lasts the source
// control holds the mouse capture; every move finds the control under the pointer and asks it
// through CM_DRAG (dmDragEnter, dmDragMove, dmDragLeave) whether it accepts, shows crDrag or
// crNoDrop (the drag object's cursors), and moves the drag image. A button release drops on
// an accepting target (dmDragDrop) and Esc or a lost capture cancels (dmDragCancel); the
// source then hears OnEndDrag with the target, or null.
//
// Drag objects: OnStartDrag may hand one; otherwise the manager makes a TDragControlObjectEx
// for the source and frees it when the drag ends. OnDragOver and OnDragDrop get the source
// control for control drag objects, the drag object itself otherwise.
//
// Drag images: a TDragImageList whose drag image (SetDragImage, with its hot spot) the source
// hands through GetDragImages is drawn over the target's form while csDisplayDragImage
// targets are under the pointer.
//
// GUI thread only.

#include "vcl/Control.h"
#include "vcl/ImageList.h"

BRANTWELL_ENUM(TDragMessage, dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget)

class TDragImageList;

// CM_DRAG: wParam the TDragMessage, lParam a TDragRec*; the result is non-zero for an
// accepting target (enter, move), or the control found (dmFindTarget).
struct TDragRec {
  TPoint Pos;  // screen coordinates
  TDragObject* Source = nullptr;
  TControl* Target = nullptr;
  bool Docking = false;
};

class TDragObject : public TObject {
  BRANTWELL_CLASS(TDragObject, TObject)

 public:
  TDragObject() = default;
  ~TDragObject() override = default;

  // The cursor while over a target that does (not) accept.
  virtual TCursor GetDragCursor(bool accepted, int x, int y);
  virtual TDragImageList* GetDragImages() { return nullptr; }
  // The drag ended: dropped on `target` when accepted, otherwise cancelled or refused.
  virtual void Finished(TObject* target, int x, int y, bool accepted) {
    (void)target, (void)x, (void)y, (void)accepted;
  }
  virtual void HideDragImage();
  virtual void ShowDragImage();

  TPoint DragPos() const { return FDragPos; }
  TControl* DragTarget() const { return FDragTarget; }
  // The pointer in the target's client coordinates.
  TPoint DragTargetPos() const { return FDragTargetPos; }
  bool Cancelling() const { return FCancelling; }
  bool Dropped() const { return FDropped; }

 protected:
  TPoint FDragPos;
  TControl* FDragTarget = nullptr;
  TPoint FDragTargetPos;
  bool FCancelling = false;
  bool FDropped = false;

  friend class TDragManagerAccess;
};

// A drag object for a control: its images are the control's, and the control hears the end.
class TBaseDragControlObject : public TDragObject {
  BRANTWELL_CLASS(TBaseDragControlObject, TDragObject)

 public:
  explicit TBaseDragControlObject(TControl* control) : FControl(control) {}
  TControl* Control() const { return FControl; }
  void Finished(TObject* target, int x, int y, bool accepted) override;

 protected:
  TControl* FControl;
};

class TDragControlObject : public TBaseDragControlObject {
  BRANTWELL_CLASS(TDragControlObject, TBaseDragControlObject)

 public:
  using TBaseDragControlObject::TBaseDragControlObject;
  TCursor GetDragCursor(bool accepted, int x, int y) override;
  TDragImageList* GetDragImages() override;
};

// A control drag object the manager frees when the drag ends.
class TDragControlObjectEx : public TDragControlObject {
  BRANTWELL_CLASS(TDragControlObjectEx, TDragControlObject)

 public:
  using TDragControlObject::TDragControlObject;
};

// An image list with one drag image: SetDragImage chooses the image and its hot spot; the
// drag manager calls BeginDrag, DragMove and EndDrag. The platform keeps one drag image per
// process.
class TDragImageList : public TImageList {
  BRANTWELL_CLASS(TDragImageList, TImageList)

 public:
  explicit TDragImageList(TComponent* owner) : TImageList(owner) {}
  ~TDragImageList() override;

  bool SetDragImage(int index, int hotSpotX, int hotSpotY);
  TPoint DragHotspot() const { return FDragHotspot; }
  // Shows the image over `window` (its window coordinates) at (x, y).
  bool BeginDrag(HWND window, int x, int y);
  bool DragMove(int x, int y);
  bool EndDrag();
  void ShowDragImage();
  void HideDragImage();
  bool Dragging() const { return FDragging; }
  HWND DragWindow() const { return FDragWindow; }

 private:
  int FDragIndex = 0;
  TPoint FDragHotspot;
  bool FDragging = false;
  HWND FDragWindow = nullptr;
};

// The pointer's settings: BeginDrag of dmAutomatic controls starts at once when DragImmediate
// is on, otherwise after DragThreshold pixels of movement.
class TMouse {
 public:
  bool DragImmediate() const { return FDragImmediate; }
  void SetDragImmediate(bool value) { FDragImmediate = value; }
  int DragThreshold() const { return FDragThreshold; }
  void SetDragThreshold(int value) { FDragThreshold = value; }
  // A drag is running (past its threshold).
  bool IsDragging() const;
  TPoint CursorPos() const;

 private:
  bool FDragImmediate = true;
  int FDragThreshold = 5;
};

extern TMouse* Mouse;

// The drag in progress, started or waiting for its threshold; null when none.
TDragObject* CurrentDragObject();
TControl* CurrentDragControl();
// Where the pointer is screen-wise and which control would be the drop target there.
TControl* FindDragTarget(TPoint pos, bool allowDisabled);

namespace vcl_detail {
void DragInitControl(TControl* control, bool immediate, int threshold);
void DragDone(bool drop);
// The drag manager's look at a message for the capture control or any key: true when it
// handled it (the control's own handling is skipped).
bool DragFilterMessage(TControl* control, TMessage& message);
}  // namespace vcl_detail
