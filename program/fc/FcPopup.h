#pragma once

// The drop-down of the Fc set. A TFcPopupPanel is a hidden container on a form whose
// children are the content of a drop-down: Popup shows them in a borderless top-level window
// (TFcPopup) under a given control, runs a nested message loop until the drop-down closes,
// puts the content back on the panel and tells whether it was accepted (a control inside
// called ClosePopup) or cancelled (Esc, a click outside, the program or the form losing the
// activation).
//
// The drop-down window never takes the activation (WS_EX_NOACTIVATE, WS_EX_TOOLWINDOW): the
// form keeps it and the keyboard focus stays on the hidden panel, whose keys the loop hands to
// the drop-down's first enabled windowed child.
//
// Ownership: the panel owns its drop-down window; the window frees itself when it receives
// its close message after the loop. The calling control, the form's active control and the
// panel are watched through free notifications: freeing any of them while the drop-down is
// open ends the loop without touching what was freed. GUI thread only.

#include <memory>

#include "program/fc/FcPanel.h"

// The private message that closes a drop-down window.
constexpr UINT CM_FCPOPUPCLOSE = 0x2423;

class TFcPopupPanel;

class TFcCustomPopup : public TFcCustomPanel {
  BRANTWELL_CLASS(TFcCustomPopup, TFcCustomPanel)

 public:
  explicit TFcCustomPopup(TComponent* owner);
  static void DescribeClass(TClassBuilder<TFcCustomPopup>& c);
};

// The window of one running drop-down.
class TFcPopup : public TFcCustomPopup {
  BRANTWELL_CLASS(TFcPopup, TFcCustomPopup)

 public:
  explicit TFcPopup(TComponent* owner);
  ~TFcPopup() override;

  // Shows the panel's content under `control` (or at its top-left plus (x, y) when either is
  // not -1) and runs the loop; true when accepted.
  bool Popup(TControl* control, TAlignment alignment, int x, int y);
  // Hides the window and gives the content back to the panel.
  void HidePopup();
  void WndProc(TMessage& message) override;

  TFcPopupPanel* PopupPanel() const { return FPopupPanel; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  bool Cancelled() const { return FCancelled; }
  void Accept() { FCancelled = false; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TFcPopupPanel;
  enum class LoopEnd { None, Close, Cancel };
  LoopEnd LookAtNextMessage(const MSG& msg);
  bool IsInside(HWND hwnd);

  TControl* FPopupControl = nullptr;
  TWinControl* FActiveControl = nullptr;
  TFcPopupPanel* FPopupPanel = nullptr;
  bool FCancelled = true;
  // Cleared by the destructor: a loop that outlived its window returns at once.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TFcPopupPanel : public TFcCustomPopup {
  BRANTWELL_CLASS(TFcPopupPanel, TFcCustomPopup)

 public:
  explicit TFcPopupPanel(TComponent* owner);
  ~TFcPopupPanel() override;
  static void DescribeClass(TClassBuilder<TFcPopupPanel>& c);

  // False at once when a drop-down of this panel is running.
  bool Popup(TControl* control, int x = -1, int y = -1);
  // Closes a running drop-down with acceptance (an OnClick handler of a control inside).
  void ClosePopup(TObject* sender = nullptr);
  TFcPopup* PopupWindow() const { return FPopupWindow; }
  TControl* PopupControl() const { return FPopupControl; }

  TNotifyEvent OnClose;
  TNotifyEvent OnPopup;

 protected:
  void DestroyWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  virtual void DoClose();
  virtual void DoPopup();

 private:
  friend class TFcPopup;
  TControl* FPopupControl = nullptr;
  TFcPopup* FPopupWindow = nullptr;
  TWinControl* FSavedActiveControl = nullptr;
  TCustomForm* FForm = nullptr;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
