#include "vcl/Screen.h"

#include <algorithm>

#include "platform/user/Monitors.h"
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
  // A form that goes leaves no dangling place in the focus chain.
  if (FFocusedForm == form) FFocusedForm = nullptr;
  std::replace(FSaveFocusedList.begin(), FSaveFocusedList.end(), form, static_cast<TCustomForm*>(nullptr));
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

void TScreen::PushFocusedForm(TCustomForm* form) {
  FSaveFocusedList.insert(FSaveFocusedList.begin(), FFocusedForm);
  FFocusedForm = form;
}

void TScreen::PopFocusedForm() {
  if (FSaveFocusedList.empty()) {
    FFocusedForm = nullptr;
    return;
  }
  FFocusedForm = FSaveFocusedList.front();
  FSaveFocusedList.erase(FSaveFocusedList.begin());
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
    case crNo: case crNoDrop: id = IDC_NO; break;
    case crDrag: case crMultiDrag: {
      // The program's drag cursors, the arrow where it has none.
      HCURSOR drag = LoadCursorW(nullptr, index == crDrag ? u"Drag" : u"DragMultiIcon");
      if (drag) {
        FCursors[index] = drag;
        return drag;
      }
      id = IDC_ARROW;
      break;
    }
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

// The monitors as the window manager reports them, the primary one first.
void TScreen::UpdateMonitors() {
  std::vector<HMONITOR> handles;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, RECT*, LPARAM data) -> BOOL {
        reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&handles));
  std::vector<std::unique_ptr<TMonitor>> monitors;
  for (HMONITOR handle : handles) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(handle, &info)) continue;
    bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    auto monitor = std::make_unique<TMonitor>(0, handle, TRect(info.rcMonitor), TRect(info.rcWork), primary);
    if (primary) monitors.insert(monitors.begin(), std::move(monitor));
    else monitors.push_back(std::move(monitor));
  }
  if (monitors.empty()) monitors.push_back(std::make_unique<TMonitor>(0, nullptr, DesktopRect(), WorkAreaRect(), true));
  for (size_t i = 0; i < monitors.size(); ++i)
    monitors[i] = std::make_unique<TMonitor>(static_cast<int>(i), monitors[i]->Handle(), monitors[i]->BoundsRect(),
                                             monitors[i]->WorkareaRect(), monitors[i]->Primary());
  // Monitor objects handed out earlier stay valid while nothing changed.
  bool same = monitors.size() == FMonitors.size();
  for (size_t i = 0; same && i < monitors.size(); ++i)
    same = monitors[i]->Handle() == FMonitors[i]->Handle() && monitors[i]->BoundsRect() == FMonitors[i]->BoundsRect() &&
           monitors[i]->WorkareaRect() == FMonitors[i]->WorkareaRect();
  if (!same) FMonitors = std::move(monitors);
}

TMonitor* TScreen::FindMonitor(HMONITOR handle) {
  UpdateMonitors();
  for (auto& monitor : FMonitors)
    if (monitor->Handle() == handle) return monitor.get();
  return FMonitors.front().get();
}

int TScreen::MonitorCount() {
  UpdateMonitors();
  return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int index) {
  UpdateMonitors();
  if (index < 0 || index >= static_cast<int>(FMonitors.size()))
    throw EListError(Format("List index out of bounds (%d)", {index}));
  return FMonitors[static_cast<size_t>(index)].get();
}

TMonitor* TScreen::MonitorFromPoint(TPoint point) {
  return FindMonitor(::MonitorFromPoint(POINT{point.X, point.Y}, MONITOR_DEFAULTTONEAREST));
}

TMonitor* TScreen::MonitorFromWindow(HWND window) { return FindMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)); }
