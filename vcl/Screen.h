#pragma once

// TScreen: what the program knows of the screen and its forms: the forms in creation order,
// the active form and control, cursors by number, the pixel density (96), the screen size,
// the monitors and the work area. The global `Screen` (vcl/Application.h) is made on first
// use. GUI thread only.
//
// The focused form is the form whose controls take the keyboard: a modal form pushes itself
// (PushFocusedForm) and pops when it closes, giving the focus back to the form below.

#include <map>
#include <memory>
#include <vector>

#include "vcl/Control.h"

class TCustomForm;

// One display of the screen.
class TMonitor : public TObject {
  BRANTWELL_CLASS(TMonitor, TObject)

 public:
  TMonitor(int number, HMONITOR handle, TRect bounds, TRect workArea, bool primary)
      : FMonitorNum(number), FHandle(handle), FBounds(bounds), FWorkArea(workArea), FPrimary(primary) {}
  int MonitorNum() const { return FMonitorNum; }
  HMONITOR Handle() const { return FHandle; }
  TRect BoundsRect() const { return FBounds; }
  TRect WorkareaRect() const { return FWorkArea; }
  int Left() const { return FBounds.Left; }
  int Top() const { return FBounds.Top; }
  int Width() const { return FBounds.Right - FBounds.Left; }
  int Height() const { return FBounds.Bottom - FBounds.Top; }
  bool Primary() const { return FPrimary; }

 private:
  int FMonitorNum;
  HMONITOR FHandle;
  TRect FBounds;
  TRect FWorkArea;
  bool FPrimary;
};

class TScreen : public TComponent {
  BRANTWELL_CLASS(TScreen, TComponent)

 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int index) const;
  int CustomFormCount() const { return FormCount(); }
  TCustomForm* CustomForms(int index) const { return Forms(index); }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TCustomForm* ActiveCustomForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  TCustomForm* FocusedForm() const { return FFocusedForm; }
  void SetFocusedForm(TCustomForm* form) { FFocusedForm = form; }
  // Makes `form` the focused form and keeps the previous one to come back to.
  void PushFocusedForm(TCustomForm* form);
  // The focused form before the last push becomes the focused form again (none: nullptr).
  void PopFocusedForm();
  int SavedFocusedFormCount() const { return static_cast<int>(FSaveFocusedList.size()); }

  // crDefault lets each control choose; another cursor shows everywhere.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value);
  HCURSOR Cursors(int index);
  void SetCursors(int index, HCURSOR handle);

  // 96 on this platform's desktop; tests set other densities to check scaling.
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int value) { FPixelsPerInch = value > 0 ? value : 96; }
  int Width() const;
  int Height() const;
  TRect DesktopRect() const { return {0, 0, Width(), Height()}; }
  TRect WorkAreaRect() const;
  int WorkAreaWidth() const { return WorkAreaRect().Right - WorkAreaRect().Left; }
  int WorkAreaHeight() const { return WorkAreaRect().Bottom - WorkAreaRect().Top; }
  int MonitorCount();
  TMonitor* Monitors(int index);
  TMonitor* PrimaryMonitor() { return Monitors(0); }
  // The monitor holding the point or window, or the nearest one.
  TMonitor* MonitorFromPoint(TPoint point);
  TMonitor* MonitorFromWindow(HWND window);

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

  // Kept up to date by the forms.
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  void SetActiveForm(TCustomForm* form);
  void SetActiveControl(TWinControl* control);

 private:
  void UpdateMonitors();
  TMonitor* FindMonitor(HMONITOR handle);

  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCustomForm* FFocusedForm = nullptr;
  std::vector<TCustomForm*> FSaveFocusedList;  // the most recent first
  TCursor FCursor = crDefault;
  std::map<int, HCURSOR> FCursors;
  std::vector<std::unique_ptr<TMonitor>> FMonitors;
  int FPixelsPerInch = 96;
};
