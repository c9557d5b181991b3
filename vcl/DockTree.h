#pragma once

// Docking controls into a windowed control (a dock site) without dragging: ManualDock puts a
// control into a site, ManualFloat takes it out into a floating tool window of its own.
// A dock site that uses a dock manager (DockSite and UseDockManager) lays its docked controls
// out through a TDockTree: one zone per docked control, stacked from the top (side by side
// from the left when the site is aligned to the top or bottom), each with a grabber band
// that the tree paints (PaintDockFrame) with a close glyph; a click on the glyph undocks the
// control (the site's OnUnDock may refuse).
//
// The tree hooks the site's WindowProc while it lives (painting, sizing, the glyph's click)
// and passes every message on. Docked controls are not owned by the tree. GUI thread only.

#include <functional>
#include <vector>

#include "vcl/Canvas.h"
#include "vcl/WinControl.h"

class TDockTree {
 public:
  explicit TDockTree(TWinControl* dockSite);
  virtual ~TDockTree();
  TDockTree(const TDockTree&) = delete;
  TDockTree& operator=(const TDockTree&) = delete;

  TWinControl* DockSite() const { return FDockSite; }
  // Docked controls, in zone order.
  const std::vector<TControl*>& DockClients() const { return FClients; }
  // Adds a zone for `control` next to `dropControl` (after it; before it for alLeft/alTop),
  // or at the end.
  virtual void InsertControl(TControl* control, TAlign insertAt, TControl* dropControl);
  virtual void RemoveControl(TControl* control);
  // The zone rectangle of a docked control (site client coordinates); empty when not docked.
  TRect ZoneRect(TControl* control);
  // Lays the docked controls out in zones that share `area` (site client coordinates).
  void ResetBounds(const TRect& area);
  // The grabber band a control's zone keeps (the control sits in the rest of the zone).
  virtual void AdjustDockRect(TControl* control, TRect& rect);
  // Paints every zone's frame into the site's DC.
  virtual void PaintSite(HDC dc);
  // The grabber band of one zone: the control's text and the close glyph.
  virtual void PaintDockFrame(TCanvas* canvas, TControl* control, const TRect& rect);
  // The close glyph's rectangle in a zone whose rectangle is `rect`.
  virtual TRect CloseGlyphRect(const TRect& rect);
  int GrabberSize() const { return FGrabberSize; }

 protected:
  // The site's messages, before and after its own handling.
  virtual void WindowProc(TMessage& message);
  bool Horizontal() const;
  // The control whose close glyph is at a site client point, or null.
  TControl* CloseGlyphAt(TPoint p);

  TWinControl* FDockSite;
  std::vector<TControl*> FClients;
  int FGrabberSize = 12;
  std::function<void(TMessage&)> FOldWndProc;
  TControl* FPressedClose = nullptr;
  bool FResetting = false;
  TRect FArea;
};

// The Tag of the floating tool windows ManualFloat makes.
constexpr intptr_t kFloatingHostTag = 0x0D0C;

// The dock site `control` is docked in, or null.
TWinControl* HostDockSite(TControl* control);
// Docks `control` into `site` (nullptr floats it at its place on the screen). The site's
// dock manager lays it out when the site uses one. False when the site is no dock site.
bool ManualDock(TControl* control, TWinControl* site, TControl* dropControl = nullptr, TAlign controlSide = alNone);
// Takes `control` out of its dock site into a floating tool window at `screenRect`.
bool ManualFloat(TControl* control, const TRect& screenRect);
