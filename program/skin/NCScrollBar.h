#pragma once

// TNCScrollBar: skinned standard scroll bars for any window it is attached to (skinned
// forms, list and tree views, memos, combo drop-down lists). The window manager keeps the
// scroll state and reserves the bar areas; this object paints the bars and the size box
// from the skin items "ScrollBar" and "SizeGrid", runs the arrow, page, thumb and size-grip
// interaction itself, and sends the same WM_HSCROLL/WM_VSCROLL messages the window
// manager would. The window manager's own bar painting is held back by clipping
// WM_NCPAINT and by the scroll-function hooks (ScrollHooks.h), which find the window's
// ScrollHookInfo through the window property "FS_HOOK_WNDPROP".
//
// The property points into this object: it is removed when the object detaches, when it is
// freed and when the window is destroyed, and set again for a re-created handle.
//
// Coordinates: bar rectangles are relative to the window rectangle; mouse points are
// converted to that space before they are tested against them. The thumb drag and the
// size-grip drag run nested message loops on the window's thread (the GUI thread); they end
// on release, Escape (size grip), WM_QUIT (posted again), a lost capture or a destroyed
// window.

#include <array>

#include "platform/user/ScrollBars.h"
#include "program/skin/ScrollHooks.h"
#include "program/skin/SkinControl.h"

class TSkinItem;

class TNCScrollBar : public TSkinControl, public TScrollHookOwner {
  BRANTWELL_CLASS(TNCScrollBar, TSkinControl)

 public:
  // Pressed and hot part codes.
  enum Part { None = 0, LeftArrow = 1, RightArrow = 2, UpArrow = 3, DownArrow = 4, HorzThumb = 5, VertThumb = 6 };

  // Per bar (0 horizontal, 1 vertical).
  struct BarGeometry {
    int ArrowHitSize = 0;
    int TrackLength = 0;
    int ArrowLength = 0;
    int ThumbSize = 0;
    int ThumbPos = 0;  // from the track's start
    DWORD StyleBit = 0;
    bool Enabled = false;
  };

  static constexpr UINT_PTR kRepeatTimerId = 65535;
  static constexpr UINT kRepeatIntervalMs = 50;

  TNCScrollBar(TControl* control, TFSSkinEngine* engine);
  ~TNCScrollBar() override;
  static void DescribeClass(TClassBuilder<TNCScrollBar>& c);

  // Takes AddSizeGrid, the skin names and Enabled from another TNCScrollBar.
  void Assign(TPersistent* source) override;

  // Skins the bars of a control (its WindowProc is taken over the first time); a later call
  // only changes ownThumbDrag. Skinned forms attach themselves with ownThumbDrag true.
  virtual void AttachControl(TWinControl* control, bool ownThumbDrag);
  // Skins the bars of a bare window (through the window subclass chain).
  virtual void AttachWindow(HWND wnd, bool ownThumbDrag);
  // Stops skinning: the property goes, the window procedure is put back.
  void Detach();
  bool Attached() const { return FAttached; }

  // Both skin items from the engine; Active follows Enabled and the "ScrollBar" item.
  void LoadSkinItems();
  // Points the window's property at this object's record (always, also for a re-created
  // handle) and installs the scroll hooks outside design mode.
  void RegisterWindow();

  void SetMaskFlag(bool value) { FHookInfo.MaskFlag = value ? -1 : 0; }
  void SetHorzScrollUnit(int pixels) { FHorzScrollUnit = pixels; }
  void SetVertScrollUnit(int pixels) { FVertScrollUnit = pixels; }
  int HorzScrollUnit() const { return FHorzScrollUnit; }
  int VertScrollUnit() const { return FVertScrollUnit; }

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool AddSizeGrid() const { return FAddSizeGrid; }
  void SetAddSizeGrid(bool value) { FAddSizeGrid = value; }
  AnsiString SkinName() const { return FSkinName; }
  void SetSkinName(const AnsiString& value);
  AnsiString SizeGridSkinName() const { return FSizeGridSkinName; }
  void SetSizeGridSkinName(const AnsiString& value);

  // TScrollHookOwner
  bool ThumbDragging() const override { return FDragging; }
  ScrollHookInfo& HookInfo() { return FHookInfo; }

  void PaintNCParts(HDC dc, const TRect& windowRect) override;

  // Layout and geometry, read by the window's painter and by tests.
  void UpdateLayout();
  void CalcBarGeometry(int bar);
  // The scroll code (SB_LINEUP, SB_PAGEUP, SB_THUMBTRACK, SB_PAGEDOWN, SB_LINEDOWN) at a
  // distance along the bar from its start, or -1 past its end.
  int HitTestBar(int along, int bar) const;
  // The position for a mouse point (screen) during a thumb drag; `offset` gets the thumb's
  // offset in the track.
  int PosFromPoint(int bar, const TPoint& screenPoint, int& offset) const;
  const BarGeometry& Geometry(int bar) const { return FGeometry[bar & 1]; }
  const SCROLLINFO& ScrollInfo(int bar) const { return FScrollInfo[bar & 1]; }
  TRect BarRect(int bar) const { return FBarRect[bar & 1]; }
  TRect SizeBoxRect() const { return FSizeBoxRect; }
  bool SizeBoxShown() const { return FSizeBoxShown; }
  int PressedPart() const { return FPressedPart; }
  int HotPart() const { return FHotPart; }
  bool Tracking() const { return FTracking; }

 protected:
  bool HandleMessage(TMessage& message) override;
  void AfterMessage(TMessage& message) override;
  void HandleRecreated() override;

 private:
  static void RepaintThunk(TScrollHookOwner* owner);
  void Repaint() { DrawNonClient(nullptr, nullptr); }
  void NCPaint(TMessage& message);
  bool PressBar(TMessage& message);
  bool HotTrack(TMessage& message);
  void ThumbDrag(int bar, UINT scrollMessage);
  // From the press point (screen) on.
  void SizeGripDrag(TPoint pressPoint);
  void DrawBar(HDC dc, const TRect& barRect, bool drawThumb, int bar);
  void DrawSizeGrip(HDC dc);
  bool GripAtSizeableCorner() const;
  bool IsSkinNameStored() const { return FSkinName != "ScrollBar"; }
  bool IsSizeGridSkinNameStored() const { return FSizeGridSkinName != "SizeGrid"; }
  void StopRepeat();
  void RemoveOwnProperty();
  // A screen point in window coordinates.
  TPoint ToWindow(TPoint screen) const;
  // The distance along the bar from its start of a point in window coordinates.
  int AlongBar(int bar, const TPoint& windowPoint) const;
  bool OverBars(const TPoint& windowPoint) const;

  TSkinItem* FScrollBarItem = nullptr;
  TSkinItem* FSizeGridItem = nullptr;
  int FPressedPart = None;
  int FHotPart = None;
  DWORD FStyle = 0;
  DWORD FExStyle = 0;
  TRect FSizeBoxRect;
  std::array<SCROLLINFO, 2> FScrollInfo{};
  std::array<TRect, 2> FBarRect{};
  std::array<BarGeometry, 2> FGeometry{};
  bool FAttached = false;
  bool FSizeBoxShown = false;
  bool FTracking = false;
  TPoint FMouseDown;  // screen
  int FThumbPosAtPress = 0;
  bool FDragging = false;
  bool FOwnThumbDrag = false;
  int FHorzScrollUnit = 1;
  int FVertScrollUnit = 1;
  ScrollHookInfo FHookInfo;
  UINT FRepeatMessage = 0;
  int FRepeatCode = 0;
  bool FRepeatTimer = false;
  bool FAddSizeGrid = false;
  bool FSizeBoxHot = false;
  HCURSOR FSavedCursor = nullptr;
  bool FCursorSaved = false;
  AnsiString FSkinName = "ScrollBar";
  AnsiString FSizeGridSkinName = "SizeGrid";
  bool FEnabled = true;
  HWND FPropertyWindow = nullptr;  // the window whose property points at FHookInfo
};
