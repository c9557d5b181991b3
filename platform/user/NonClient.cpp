#include "platform/user/NonClient.h"

#include <algorithm>

#include "platform/user/WinUser.h"

namespace platform::detail {
namespace {

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
bool HasCaption(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

}  // namespace

FrameLayout ComputeFrameLayout(const FrameStyle& s, int width, int height) {
  FrameLayout l;
  const bool minimized = (s.style & WS_MINIMIZE) != 0;
  if (s.style & WS_THICKFRAME) {
    l.frame = GetSystemMetrics(SM_CXSIZEFRAME);
    l.sizing = !(s.style & (WS_MAXIMIZE | WS_MINIMIZE));
  } else if ((s.style & WS_DLGFRAME) || (s.exStyle & WS_EX_DLGMODALFRAME)) {
    l.frame = GetSystemMetrics(SM_CXFIXEDFRAME);
  } else if (s.style & WS_BORDER) {
    l.frame = GetSystemMetrics(SM_CXBORDER);
  }
  int top = l.frame;
  const int inner = width - 2 * l.frame;
  if (HasCaption(s.style)) {
    const bool tool = (s.exStyle & WS_EX_TOOLWINDOW) != 0;
    const int captionHeight = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    // The caption's own bottom line belongs to it; the bar is one pixel shorter.
    l.caption = RECT{l.frame, top, width - l.frame, top + captionHeight - 1};
    top += captionHeight;
    const int buttonWidth = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) - 2;
    const int buttonHeight = captionHeight - 5;
    const int buttonTop = l.caption.top + 2;
    int right = l.caption.right - 2;
    if (s.style & WS_SYSMENU) {
      if (!tool) l.sysMenu = RECT{l.caption.left + 1, l.caption.top + 1, l.caption.left + 1 + captionHeight - 2, l.caption.bottom - 1};
      l.closeButton = RECT{right - buttonWidth, buttonTop, right, buttonTop + buttonHeight};
      right -= buttonWidth + 2;
      if (!tool && (s.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) {
        l.maxButton = RECT{right - buttonWidth, buttonTop, right, buttonTop + buttonHeight};
        right -= buttonWidth;
        l.minButton = RECT{right - buttonWidth, buttonTop, right, buttonTop + buttonHeight};
      } else if (s.exStyle & WS_EX_CONTEXTHELP) {
        l.helpButton = RECT{right - buttonWidth, buttonTop, right, buttonTop + buttonHeight};
      }
    }
  }
  if (s.hasMenu && !(s.style & WS_CHILD) && !minimized) {
    const int menuHeight = GetSystemMetrics(SM_CYMENU);
    l.menuBar = RECT{l.frame, top, width - l.frame, top + menuHeight};
    top += menuHeight;
  }
  if (s.exStyle & WS_EX_CLIENTEDGE) l.clientEdge = GetSystemMetrics(SM_CXEDGE);
  else if (s.exStyle & WS_EX_STATICEDGE) l.clientEdge = GetSystemMetrics(SM_CXBORDER);
  l.edgeOuter = RECT{l.frame, top, width - l.frame, height - l.frame};
  RECT area{l.frame + l.clientEdge, top + l.clientEdge, width - l.frame - l.clientEdge, height - l.frame - l.clientEdge};
  (void)inner;
  const bool v = (s.style & WS_VSCROLL) && s.vscrollShown;
  const bool h = (s.style & WS_HSCROLL) && s.hscrollShown;
  const int vw = GetSystemMetrics(SM_CXVSCROLL), hh = GetSystemMetrics(SM_CYHSCROLL);
  if (v && area.right - area.left >= vw) {
    if (s.exStyle & WS_EX_LEFTSCROLLBAR) {
      l.vscroll = RECT{area.left, area.top, area.left + vw, area.bottom};
      area.left += vw;
    } else {
      l.vscroll = RECT{area.right - vw, area.top, area.right, area.bottom};
      area.right -= vw;
    }
  }
  if (h && area.bottom - area.top >= hh) {
    l.hscroll = RECT{area.left, area.bottom - hh, area.right, area.bottom};
    area.bottom -= hh;
    if (v && l.vscroll.right > l.vscroll.left) {
      l.vscroll.bottom -= hh;
      l.sizeBox = (s.exStyle & WS_EX_LEFTSCROLLBAR) ? RECT{l.vscroll.left, area.bottom, l.vscroll.right, area.bottom + hh}
                                                    : RECT{l.vscroll.left, area.bottom, l.vscroll.right, area.bottom + hh};
    }
  }
  if (minimized) area = RECT{area.left, area.top, area.left, area.top};
  area.right = std::max(area.right, area.left);
  area.bottom = std::max(area.bottom, area.top);
  l.client = area;
  return l;
}

LRESULT HitTestFrame(const FrameLayout& l, const FrameStyle& s, int width, int height, POINT p) {
  if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return HTNOWHERE;
  if (Inside(l.client, p)) return HTCLIENT;
  if (l.sizing && l.frame > 0) {
    // Corners reach along the edges as far as a caption button is wide, as the classic frame's do.
    const int corner = GetSystemMetrics(SM_CXSIZE) + l.frame;
    const bool left = p.x < l.frame, right = p.x >= width - l.frame;
    const bool top = p.y < l.frame, bottom = p.y >= height - l.frame;
    if (top || bottom || left || right) {
      const bool nearLeft = p.x < corner, nearRight = p.x >= width - corner;
      const bool nearTop = p.y < corner, nearBottom = p.y >= height - corner;
      if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
      if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
      if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
      if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
      if (top) return HTTOP;
      if (bottom) return HTBOTTOM;
      return left ? HTLEFT : HTRIGHT;
    }
  } else if (l.frame > 0 && (p.x < l.frame || p.y < l.frame || p.x >= width - l.frame || p.y >= height - l.frame)) {
    return HTBORDER;
  }
  if (Inside(l.caption, p) || (l.caption.bottom > l.caption.top && p.y == l.caption.bottom && p.x >= l.caption.left && p.x < l.caption.right)) {
    if (Inside(l.sysMenu, p)) return HTSYSMENU;
    if (Inside(l.closeButton, p)) return HTCLOSE;
    if (Inside(l.maxButton, p)) return HTMAXBUTTON;
    if (Inside(l.minButton, p)) return HTMINBUTTON;
    if (Inside(l.helpButton, p)) return HTHELP;
    return HTCAPTION;
  }
  if (Inside(l.menuBar, p)) return HTMENU;
  if (Inside(l.vscroll, p)) return HTVSCROLL;
  if (Inside(l.hscroll, p)) return HTHSCROLL;
  if (Inside(l.sizeBox, p)) {
    if (s.style & WS_THICKFRAME) return HTBOTTOMRIGHT;
    return HTSIZE;
  }
  if (l.clientEdge > 0 && Inside(l.edgeOuter, p)) {
    const RECT inner{l.edgeOuter.left + l.clientEdge, l.edgeOuter.top + l.clientEdge, l.edgeOuter.right - l.clientEdge,
                     l.edgeOuter.bottom - l.clientEdge};
    if (!Inside(inner, p)) return HTBORDER;
  }
  return HTNOWHERE;
}

}  // namespace platform::detail
