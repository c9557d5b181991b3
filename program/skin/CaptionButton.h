#pragma once

// TCaptionButton: one self-drawn button of a skinned form's caption: the system-menu icon,
// minimize, maximize, restore, close, or the form's custom button. The form owns six of them
// (TBaseForm), places them from its skin item's parts and forwards the non-client mouse
// messages to them; a button claims a point, tracks its hot and pressed states, and on release
// sends its system command to the form or runs its click. Its bounds are in window
// coordinates of the form (relative to the window's top-left corner); the non-client messages
// carry screen points, which the button converts. GUI thread.
//
// Ownership: the button owns its frame and fade animators and the 16 x 16 copy of the form's
// icon it draws when its part has no states; it never owns skin parts.

#include <memory>

#include "platform/user/WinUser.h"
#include "program/skin/SkinAnimator.h"
#include "program/skin/SkinItem.h"
#include "vcl/Canvas.h"
#include "vcl/Control.h"

class TBaseForm;

using TCaptionButtonMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

class TCaptionButton : public TPersistent {
  BRANTWELL_CLASS(TCaptionButton, TPersistent)

 public:
  // The hit code a disabled button reports, and the default one.
  static constexpr LRESULT HTCUSTOMBUTTON = 19;

  explicit TCaptionButton(TBaseForm* form);
  ~TCaptionButton() override;
  static void DescribeClass(TClassBuilder<TCaptionButton>& c);

  // Copies the settings (bounds, states, command, hit code, events, hint, the own skin
  // reference); never the form, the resolved parts, the animators or the icon copy, which
  // belong to this button.
  void Assign(TPersistent* source) override;

  // ---- the form's side
  bool NCHitTest(TMessage& m);
  bool NCLButtonDown(TMessage& m);
  bool NCLButtonUp(TMessage& m);
  void NCMouseMove(TMessage& m);
  void MouseLeave() { SetHot(false); }
  // CM_HINTSHOW: the hint text and the cursor rectangle (client coordinates) of the form.
  bool HintShow(THintInfo& info);
  void Click();
  void StopFade();
  // Takes the part of that id of the form's item, unless the button has its own reference.
  void SetSkin(TSkinItem* item, int partId);
  void ApplyPart();
  // Resolves the own reference through the skin engine.
  void UpdatePart();
  void Paint(TCanvas* canvas);
  // The form recalculates and repaints its frame.
  void Invalidate();
  // True for a visible button whose bounds hold the screen point.
  bool ContainsPoint(POINT screen);

  // ---- properties
  TRect BoundsRect() const { return FBoundsRect; }
  void SetBoundsRect(const TRect& value);
  void SetWidth(int value) { FBoundsRect.Right = FBoundsRect.Left + value; }
  void SetHeight(int value) { FBoundsRect.Bottom = FBoundsRect.Top + value; }
  TBaseForm* Form() const { return FForm; }
  bool Hot() const { return FHot; }
  void SetHot(bool value);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  WPARAM SysCommand() const { return FSysCommand; }
  void SetSysCommand(WPARAM value) { FSysCommand = value; }
  LRESULT HitTestCode() const { return FHitTestCode; }
  void SetHitTestCode(LRESULT value) { FHitTestCode = value; }
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& value) { FHint = value; }
  void SetDefaultHint(const AnsiString& value) { FDefaultHint = value; }
  AnsiString SkinName() const;
  void SetSkinName(const AnsiString& value);
  bool HasOwnSkinName() const { return !FSkinName.empty(); }
  TSkinItemPart* Part() const { return FPart; }
  // The system-menu icon: always drawn as enabled, never hot or pressed; draws the form's
  // icon when its part has no states.
  bool IsSysMenuIcon() const { return FHitTestCode == HTSYSMENU; }
  bool IsHintStored() const { return FHint != FDefaultHint; }

  TNotifyEvent OnClick;
  TCaptionButtonMouseEvent OnMouseDown;
  TCaptionButtonMouseEvent OnMouseUp;

 private:
  void DrawState(TCanvas* canvas);
  HICON IconCopy();

  TRect FBoundsRect{0, 0, 20, 20};
  TBaseForm* FForm;
  bool FHot = false;
  bool FDown = false;
  WPARAM FSysCommand = 0;
  LRESULT FHitTestCode = HTCUSTOMBUTTON;
  bool FEnabled = true;
  bool FVisible = true;
  // The own reference Name(Id) and what it resolved to.
  AnsiString FSkinName;
  int32_t FSkinPartId = 0;
  TSkinItemPart* FPart = nullptr;
  TSkinItemPart* FPendingPart = nullptr;
  AnsiString FHint;
  AnsiString FDefaultHint;
  HICON FIconCopy = nullptr;
  std::unique_ptr<TSkinFrameAnimator> FFrameAnimator;
  std::unique_ptr<TSkinFadeAnimator> FFadeAnimator;
};
