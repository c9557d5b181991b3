#include "vcl/HintWindow.h"

#include "platform/gdi/DcGuards.h"
#include "vcl/Application.h"

AnsiString GetShortHint(const AnsiString& hint) {
  size_t bar = hint.find('|');
  return bar == AnsiString::npos ? hint : hint.substr(0, bar);
}

AnsiString GetLongHint(const AnsiString& hint) {
  size_t bar = hint.find('|');
  return bar == AnsiString::npos ? hint : hint.substr(bar + 1);
}

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  SetColor(clInfoBk);
  FFont->SetColor(clInfoText);
}

bool THintWindow::IsHintMsg(const MSG& msg) const {
  switch (msg.message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_NCLBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

void THintWindow::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  params.WndParent = Application->Handle();
  params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int maxWidth, const AnsiString& hint) {
  RECT r{0, 0, maxWidth > 0 ? maxWidth : 300, 0};
  HDC dc = GetDC(nullptr);
  {
    const platform::SelectedObject font(dc, FFont->Handle());
    DrawTextA(dc, hint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  }
  ReleaseDC(nullptr, dc);
  return {0, 0, r.right + 6, r.bottom + 2};
}

void THintWindow::ActivateHint(const TRect& rect, const AnsiString& hint) {
  SetCaption(hint);
  // The measured rectangle holds the text; the border and the paint's 2-pixel inset need 4 more.
  const TRect r{rect.Left, rect.Top, rect.Right, rect.Bottom + 4};
  SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  HandleNeeded();
  SetWindowPos(FHandle, HWND_TOPMOST, r.Left, r.Top, FWidth, FHeight, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ReleaseHandle() { DestroyHandle(); }

void THintWindow::Paint() {
  TRect r = ClientRect();
  r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
  FCanvas->Font()->Assign(FFont.get());
  FCanvas->Brush()->SetStyle(bsClear);
  RECT rect{r.Left, r.Top, r.Right, r.Bottom};
  AnsiString text = GetText();
  // The raw DrawText needs the hint font in the DC: the one CalcHintRect measured with.
  HDC dc = FCanvas->Handle();
  const platform::SelectedObject font(dc, FCanvas->Font()->Handle());
  DrawTextA(dc, text.c_str(), -1, &rect, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

void THintWindow::WMEraseBkgnd(TWMEraseBkgnd& m) {
  RECT r{};
  GetClientRect(FHandle, &r);
  FBrush->SetColor(FColor);
  FillRect(m.DC, &r, FBrush->Handle());
  m.SetResult(1);
}

// The pointer goes through the hint window.
void THintWindow::CMHitTest(TMessage& m) { m.Result = HTNOWHERE; }
