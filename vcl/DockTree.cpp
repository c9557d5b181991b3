#include "vcl/DockTree.h"

#include <algorithm>
#include <map>

#include "platform/user/DrawControls.h"
#include "vcl/Application.h"
#include "vcl/Panel.h"

namespace {

// The site each docked control is in; the tree of each site that has one.
std::map<TControl*, TWinControl*>& HostSites() {
  static std::map<TControl*, TWinControl*> sites;
  return sites;
}
std::map<TWinControl*, TDockTree*>& Trees() {
  static std::map<TWinControl*, TDockTree*> trees;
  return trees;
}

TDockTree* TreeOf(TWinControl* site) {
  auto it = Trees().find(site);
  if (it != Trees().end()) return it->second;
  if (auto* panel = dynamic_cast<TCustomPanel*>(site)) return panel->DockManager();
  return nullptr;
}

void Undock(TControl* control) {
  auto it = HostSites().find(control);
  if (it == HostSites().end()) return;
  TWinControl* site = it->second;
  HostSites().erase(it);
  if (auto tree = Trees().find(site); tree != Trees().end()) tree->second->RemoveControl(control);
}

}  // namespace

TDockTree::TDockTree(TWinControl* dockSite) : FDockSite(dockSite) {
  Trees()[dockSite] = this;
  FOldWndProc = dockSite->WindowProc;
  dockSite->WindowProc = [this](TMessage& m) { WindowProc(m); };
}

TDockTree::~TDockTree() {
  FDockSite->WindowProc = FOldWndProc;
  Trees().erase(FDockSite);
  for (TControl* c : FClients) HostSites().erase(c);
}

bool TDockTree::Horizontal() const { return FDockSite->Align() == alTop || FDockSite->Align() == alBottom; }

void TDockTree::InsertControl(TControl* control, TAlign insertAt, TControl* dropControl) {
  if (std::find(FClients.begin(), FClients.end(), control) != FClients.end()) return;
  auto at = std::find(FClients.begin(), FClients.end(), dropControl);
  if (at != FClients.end() && insertAt != alLeft && insertAt != alTop) ++at;
  FClients.insert(at, control);
  FDockSite->Realign();
  FDockSite->Invalidate();
}

void TDockTree::RemoveControl(TControl* control) {
  if (std::erase(FClients, control) == 0) return;
  if (FPressedClose == control) FPressedClose = nullptr;
  if (!FDockSite->ComponentState().Contains(csDestroying)) {
    FDockSite->Realign();
    FDockSite->Invalidate();
  }
}

TRect TDockTree::ZoneRect(TControl* control) {
  std::vector<TControl*> shown;
  for (TControl* c : FClients)
    if (c->Visible()) shown.push_back(c);
  auto it = std::find(shown.begin(), shown.end(), control);
  if (it == shown.end()) return TRect();
  const int index = static_cast<int>(it - shown.begin()), count = static_cast<int>(shown.size());
  TRect area = FArea;
  if (Horizontal()) {
    const int step = area.Width() / count;
    const int left = area.Left + index * step;
    return TRect(left, area.Top, index == count - 1 ? area.Right : left + step, area.Bottom);
  }
  const int step = area.Height() / count;
  const int top = area.Top + index * step;
  return TRect(area.Left, top, area.Right, index == count - 1 ? area.Bottom : top + step);
}

void TDockTree::ResetBounds(const TRect& area) {
  if (FResetting) return;
  FResetting = true;
  FArea = area;
  for (TControl* c : FClients) {
    if (!c->Visible()) continue;
    TRect r = ZoneRect(c);
    AdjustDockRect(c, r);
    c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  }
  FResetting = false;
}

void TDockTree::AdjustDockRect(TControl* control, TRect& rect) {
  (void)control;
  if (Horizontal()) rect.Left += FGrabberSize;
  else rect.Top += FGrabberSize;
}

TRect TDockTree::CloseGlyphRect(const TRect& rect) {
  if (Horizontal()) return TRect(rect.Left + 1, rect.Top + 1, rect.Left + FGrabberSize - 1, rect.Top + FGrabberSize - 1);
  return TRect(rect.Right - FGrabberSize, rect.Top + 1, rect.Right - 2, rect.Top + FGrabberSize - 1);
}

void TDockTree::PaintSite(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  for (TControl* c : FClients) {
    if (!c->Visible()) continue;
    PaintDockFrame(&canvas, c, ZoneRect(c));
  }
  canvas.SetHandle(nullptr);
}

// Two raised grip lines along the band, and the close button.
void TDockTree::PaintDockFrame(TCanvas* canvas, TControl* control, const TRect& rect) {
  (void)control;
  TRect glyph = CloseGlyphRect(rect);
  RECT button = glyph;
  DrawFrameControl(canvas->Handle(), &button, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  auto grip = [&](TRect line) {
    TRect r = line;
    Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
  };
  if (Horizontal()) {
    const int top = glyph.Bottom + 2;
    grip(TRect(rect.Left + 3, top, rect.Left + 6, rect.Bottom - 2));
    grip(TRect(rect.Left + 7, top, rect.Left + 10, rect.Bottom - 2));
  } else {
    const int right = glyph.Left - 2;
    grip(TRect(rect.Left + 2, rect.Top + 3, right, rect.Top + 6));
    grip(TRect(rect.Left + 2, rect.Top + 7, right, rect.Top + 10));
  }
}

TControl* TDockTree::CloseGlyphAt(TPoint p) {
  for (TControl* c : FClients) {
    if (!c->Visible()) continue;
    const TRect r = CloseGlyphRect(ZoneRect(c));
    if (p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom) return c;
  }
  return nullptr;
}

void TDockTree::WindowProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      if (TControl* c = CloseGlyphAt(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)))) {
        FPressedClose = c;
        m.Result = 0;
        return;
      }
      break;
    case WM_LBUTTONUP:
      if (FPressedClose) {
        TControl* pressed = FPressedClose;
        FPressedClose = nullptr;
        // Released on the same glyph: the control leaves the site, unless the site refuses.
        if (CloseGlyphAt(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam))) == pressed) {
          bool allow = true;
          if (FDockSite->OnUnDock) FDockSite->OnUnDock(FDockSite, pressed, nullptr, allow);
          if (allow) {
            Undock(pressed);
            pressed->Hide();
            pressed->SetParent(nullptr);
          }
        }
        m.Result = 0;
        return;
      }
      break;
    case CM_CONTROLCHANGE:
      // A docked control that leaves the site (or is freed) leaves its zone.
      if (!m.LParam) {
        auto* control = reinterpret_cast<TControl*>(m.WParam);
        if (std::find(FClients.begin(), FClients.end(), control) != FClients.end()) {
          HostSites().erase(control);
          RemoveControl(control);
        }
      }
      break;
    default: break;
  }
  FOldWndProc(m);
  if (m.Msg == WM_PAINT && !FClients.empty() && FDockSite->HandleAllocated()) {
    HDC dc = m.WParam ? reinterpret_cast<HDC>(m.WParam) : GetDC(FDockSite->Handle());
    if (dc) {
      PaintSite(dc);
      if (!m.WParam) ReleaseDC(FDockSite->Handle(), dc);
    }
  }
}

TWinControl* HostDockSite(TControl* control) {
  auto it = HostSites().find(control);
  return it != HostSites().end() ? it->second : nullptr;
}

bool ManualDock(TControl* control, TWinControl* site, TControl* dropControl, TAlign controlSide) {
  if (!control) return false;
  if (!site) {
    const TPoint origin = control->Parent() ? control->Parent()->ClientToScreen(TPoint(control->Left(), control->Top()))
                                            : TPoint(control->Left(), control->Top());
    return ManualFloat(control, TRect(origin.X, origin.Y, origin.X + control->Width(), origin.Y + control->Height()));
  }
  if (!site->DockSite()) return false;
  TWinControl* oldSite = HostDockSite(control);
  TCustomForm* oldFloat = oldSite ? nullptr : dynamic_cast<TCustomForm*>(control->Parent());
  Undock(control);
  control->SetAlign(alNone);
  control->SetParent(site);
  HostSites()[control] = site;
  if (site->UseDockManager()) {
    if (TDockTree* tree = TreeOf(site)) tree->InsertControl(control, controlSide, dropControl);
  }
  control->Show();
  // A floating window of its own goes once the control has left it.
  if (oldFloat && oldFloat->Name() == "" && oldFloat->ControlCount() == 0 && oldFloat->Tag() == kFloatingHostTag)
    oldFloat->Release();
  if (control->OnEndDock) control->OnEndDock(control, site, 0, 0);
  return true;
}

bool ManualFloat(TControl* control, const TRect& screenRect) {
  if (!control) return false;
  Undock(control);
  auto* host = TCustomForm::CreateNew<TForm>(Application);
  host->SetTag(kFloatingHostTag);
  host->SetBorderStyle(bsSizeToolWin);
  host->SetCaption(control->Caption());
  host->SetBounds(screenRect.Left, screenRect.Top, screenRect.Width(), screenRect.Height());
  control->SetParent(host);
  control->SetAlign(alClient);
  control->Show();
  host->Show();
  // The frame's size is known once the window exists: the control keeps its size.
  host->SetClientWidth(screenRect.Width());
  host->SetClientHeight(screenRect.Height());
  if (control->OnEndDock) control->OnEndDock(control, nullptr, 0, 0);
  return true;
}
