#pragma once

// TMargins: the space a control keeps around itself when it is aligned with AlignWithMargins
// (3 pixels on each side unless set). TPadding: the space a windowed control keeps inside its
// client area when it aligns its children (0 unless set). Both tell their owner through
// OnChange, which the control uses to lay its parent or itself out again.
//
// GUI thread only. The control owns its margins and its padding.

#include "vcl/Event.h"
#include "vcl/Persistent.h"
#include "vcl/TypInfo.h"
#include "vcl/Types.h"

class TControl;

class TMargins : public TPersistent {
  BRANTWELL_CLASS(TMargins, TPersistent)

 public:
  explicit TMargins(TControl* control = nullptr) : TMargins(control, 3) {}
  static void DescribeClass(TClassBuilder<TMargins>& c);
  void Assign(TPersistent* source) override;

  TControl* Control() const { return FControl; }
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Right() const { return FRight; }
  int Bottom() const { return FBottom; }
  void SetLeft(int value) { SetMargin(FLeft, value); }
  void SetTop(int value) { SetMargin(FTop, value); }
  void SetRight(int value) { SetMargin(FRight, value); }
  void SetBottom(int value) { SetMargin(FBottom, value); }
  // All four at once, with one change notification.
  void SetBounds(int left, int top, int right, int bottom);

  // A control's bounds grown by the margins (what it takes of its parent's room), and the
  // bounds a control gets inside room of that size.
  TRect Outer(const TRect& bounds) const;
  TRect Inner(const TRect& room) const;

  TNotifyEvent OnChange;

 protected:
  TMargins(TControl* control, int initial);
  void Change();

 private:
  void SetMargin(int& field, int value);

  TControl* FControl;
  int FLeft;
  int FTop;
  int FRight;
  int FBottom;
};

class TPadding : public TMargins {
  BRANTWELL_CLASS(TPadding, TMargins)

 public:
  explicit TPadding(TControl* control = nullptr) : TMargins(control, 0) {}
  static void DescribeClass(TClassBuilder<TPadding>& c);
};
