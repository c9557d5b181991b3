#pragma once

// TScrollingWinControl: a windowed control with scroll bars of its own (HorzScrollBar,
// VertScrollBar) that show when their Range exceeds the client area; scrolling moves the
// control's children. With AutoScroll the ranges follow the children (those not aligned to
// the far edge or anchored to it); DisableAutoRange and EnableAutoRange bracket changes
// during which the ranges stay as they are (a drop-down borrowing a form's controls), and the
// last EnableAutoRange works them out again.
//
// GUI thread only.

#include <memory>

#include "vcl/WinControl.h"

class TScrollingWinControl;

BRANTWELL_ENUM(TScrollBarKind, sbHorizontal, sbVertical)

// One of a scrolling control's own scroll bars. Position is the scrolled distance in pixels (0 while
// the bar is not needed); Range is the extent of the scrolled area (0: no bar).
class TControlScrollBar : public TPersistent {
  BRANTWELL_CLASS(TControlScrollBar, TPersistent)

 public:
  TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind) : FControl(control), FKind(kind) {}
  static void DescribeClass(TClassBuilder<TControlScrollBar>& c);
  void Assign(TPersistent* source) override;

  TScrollBarKind Kind() const { return FKind; }
  int Range() const { return FRange; }
  void SetRange(int value);
  int Position() const { return FPosition; }
  void SetPosition(int value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  // The bar is shown: visible and its range exceeds the client extent.
  bool IsScrollBarVisible() const { return FShown; }

 private:
  friend class TScrollingWinControl;
  void ScrollMessage(WORD code);
  int ControlExtent() const;

  TScrollingWinControl* FControl;
  TScrollBarKind FKind;
  int FRange = 0;
  int FPosition = 0;
  int FIncrement = 8;
  bool FVisible = true;
  bool FShown = false;
  // What the window's bar was last given, so that unchanged bars cost no frame repaint.
  struct Applied {
    bool shown = false;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    bool operator==(const Applied&) const = default;
  } FApplied;
};

class TScrollingWinControl : public TWinControl {
  BRANTWELL_CLASS(TScrollingWinControl, TWinControl)

 public:
  explicit TScrollingWinControl(TComponent* owner);
  ~TScrollingWinControl() override;
  static void DescribeClass(TClassBuilder<TScrollingWinControl>& c);

  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool value);
  TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  void SetHorzScrollBar(TControlScrollBar* value) { FHorzScrollBar->Assign(value); }
  TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
  void SetVertScrollBar(TControlScrollBar* value) { FVertScrollBar->Assign(value); }
  // Ranges from the controls (with AutoScroll) and the window's scroll bars from the ranges.
  void UpdateScrollBars();
  // Nested: while any DisableAutoRange is open the automatic ranges are left alone.
  void DisableAutoRange() { ++FAutoRangeCount; }
  void EnableAutoRange();
  int AutoRangeDisabled() const { return FAutoRangeCount; }

  void Dispatch(TMessage& message) override;

 protected:
  void AlignControls(TControl* control, TRect& rect) override;
  void WMSize(TWMSize& m) override;
  // A new window starts without bars.
  void ResetScrollBars();

  bool FAutoScroll = true;
  std::unique_ptr<TControlScrollBar> FHorzScrollBar;
  std::unique_ptr<TControlScrollBar> FVertScrollBar;

 private:
  void CalcAutoRange();
  void ScrollControls(int dx, int dy);
  bool FUpdatingScrollBars = false;
  int FAutoRangeCount = 0;

  friend class TControlScrollBar;
};
