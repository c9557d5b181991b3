#pragma once

// TFSCustomMemo: the platform's multi-line edit with skinned scroll bars (a TNCScrollBar
// painting them from "ScrollBar" and "SizeGrid") and, with Ctl3D off and a single border, a
// flat one-pixel frame in BorderColor inside the client area that the text never paints
// over. TFSMemo publishes it.
//
// Owns its scroll-bar painter. GUI thread only.

#include <memory>

#include "program/skin/NCScrollBar.h"
#include "vcl/StdCtrls.h"

class TFSCustomMemo : public TCustomMemo {
  BRANTWELL_CLASS(TFSCustomMemo, TCustomMemo)

 public:
  explicit TFSCustomMemo(TComponent* owner);
  ~TFSCustomMemo() override;

  TNCScrollBar* ScrollBar() const { return FScrollBar.get(); }
  // Takes the given painter's settings.
  void SetScrollBar(TNCScrollBar* value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);

 protected:
  bool UsesCtl3D() const override { return FCtl3D; }
  void CreateWnd() override;
  void Dispatch(TMessage& message) override;
  void WMPaint(TWMPaint& m) override;
  void CMSysColorChange(TMessage& m) override;
  void CMParentColorChanged(TMessage& m) override;
  void CMCtl3DChanged(TMessage& m) override;
  virtual void WMPrint(TMessage& m);

  std::unique_ptr<TNCScrollBar> FScrollBar;
  TColor FBorderColor = clWindowFrame;

 private:
  bool HasFlatFrame() const { return BorderStyle() == bsSingle && !FCtl3D; }
};

class TFSMemo : public TFSCustomMemo {
  BRANTWELL_CLASS(TFSMemo, TFSCustomMemo)

 public:
  explicit TFSMemo(TComponent* owner) : TFSCustomMemo(owner) {}
  static void DescribeClass(TClassBuilder<TFSMemo>& c);
};
