#pragma once

// The wait overlay: a borderless 420 x 48 window centred on the screen while the main window
// does long work, with the hourglass over all of it: its panel picture (Image1, kept in the
// form file) and one line of text. When shown it posts WM_WAITFORM_SHOWN to the window given
// at creation, so that window starts the work once the overlay is up (also when the overlay
// is shown modally). Its callers free it.
//
// GUI thread only. ProcessForm points at the overlay being shown, kept by the callers.

#include "program/controls/FSLabel.h"
#include "platform/user/Messages.h"
#include "vcl/Form.h"
#include "vcl/Image.h"

// Posted (wParam and lParam 0) to the notification window once the overlay shows.
constexpr UINT WM_WAITFORM_SHOWN = WM_USER + 1784;

class TProcessForm : public TForm {
  BRANTWELL_CLASS(TProcessForm, TForm)

 public:
  TProcessForm(TComponent* owner, HWND notifyWnd, const AnsiString& info);
  ~TProcessForm() override;
  static void DescribeClass(TClassBuilder<TProcessForm>& c);

  // The overlay for notifyWnd showing info, without owner.
  static TProcessForm* CreateInfo(HWND notifyWnd, const AnsiString& info);

  void FormShow(TObject* Sender);

  HWND NotifyWnd() const { return FNotifyWnd; }
  const AnsiString& Info() const { return FInfo; }

  TImage* Image1 = nullptr;
  TFSLabel* lblinfo = nullptr;

 private:
  AnsiString FInfo;
  HWND FNotifyWnd;
};

extern TProcessForm* ProcessForm;
