#include "vcl/Screen.h"

#include <algorithm>

#include "platform/user/SystemParams.h"
#include "rtl/SysUtils.h"
#include "vcl/Form.h"

namespace {

// Forms are the program's global components: a reference "OtherForm.Button1" in a form file
// finds the form by its name among the screen's forms.
TScreen* g_formFinderScreen = nullptr;

TComponent* FindScreenForm(const AnsiString& name) {
  if (!g_formFinderScreen || name.empty()) return nullptr;
  for (int i = 0; i < g_formFinderScreen->FormCount(); ++i) {
    TCustomForm* form = g_formFinderScreen->Forms(i);
    if (SameText(form->Name(), name)) return form;
  }
  return nullptr;
}

}  // namespace

TScreen::TScreen(TComponent* owner) : TComponent(owner) {
  if (!g_formFinderScreen) {
    g_formFinderScreen = this;
    RegisterFindGlobalComponentProc(&FindScreenForm);
  }
}

TScreen::~TScreen() {
  Destroying();
  if (g_formFinderScreen == this) {
    UnRegisterFindGlobalComponentProc(&FindScreenForm);
    g_formFinderScreen = nullptr;
  }
}

TCustomForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FForms[static_cast<size_t>(index)];
}

void TScreen::AddForm(TCustomForm* form) {
  if (std::find(FForms.begin(), FForms.end(), form) == FForms.end()) FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
  std::erase(FForms, form);
  if (FActiveForm == form) SetActiveForm(nullptr);
  if (FActiveControl && form->ContainsControl(FActiveControl)) SetActiveControl(nullptr);
}

void TScreen::SetActiveForm(TCustomForm* form) {
  if (form == FActiveForm) return;
  FActiveForm = form;
  // The active form comes first in the list, as the most recently used one.
  if (form) {
    std::erase(FForms, form);
    FForms.insert(FForms.begin(), form);
  }
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* control) {
  if (control == FActiveControl) return;
  FActiveControl = control;
  if (OnActiveControlChange) OnActiveControlChange(this);
}

void TScreen::SetCursor(TCursor value) {
  if (value == FCursor) return;
  FCursor = value;
  POINT p{};
  GetCursorPos(&p);
  // The window under the pointer picks its cursor again (crDefault hands it back).
  if (HWND hwnd = WindowFromPoint(p)) SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  if (value != crDefault) ::SetCursor(Cursors(value));
}

HCURSOR TScreen::Cursors(int index) {
  if (auto it = FCursors.find(index); it != FCursors.end()) return it->second;
  LPCWSTR id = nullptr;
  switch (index) {
    case crArrow: case crDefault: id = IDC_ARROW; break;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelpCursor: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crNone: return nullptr;
    default: id = IDC_ARROW; break;  // an unknown number shows the arrow
  }
  HCURSOR cursor = LoadCursorW(nullptr, id);
  FCursors[index] = cursor;
  return cursor;
}

void TScreen::SetCursors(int index, HCURSOR handle) {
  if (!handle) FCursors.erase(index);
  else FCursors[index] = handle;
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  RECT r{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) return DesktopRect();
  return TRect(r);
}

// The window manager shows one screen: one monitor with the work area.
void TScreen::UpdateMonitors() {
  FMonitors.clear();
  FMonitors.push_back(std::make_unique<TMonitor>(0, DesktopRect(), WorkAreaRect(), true));
}

int TScreen::MonitorCount() {
  UpdateMonitors();
  return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int index) {
  if (FMonitors.empty()) UpdateMonitors();
  if (index < 0 || index >= static_cast<int>(FMonitors.size()))
    throw EListError(Format("List index out of bounds (%d)", {index}));
  return FMonitors[static_cast<size_t>(index)].get();
}

TMonitor* TScreen::MonitorFromPoint(TPoint) { return Monitors(0); }
TMonitor* TScreen::MonitorFromWindow(HWND) { return Monitors(0); }
