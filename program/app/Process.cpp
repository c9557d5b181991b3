#include "program/app/Process.h"

#include "platform/gdi/Regions.h"
#include "platform/user/PaintApi.h"
#include "platform/user/WinUser.h"
#include "program/app/SmallWindows.h"
#include "rtl/Strings.h"

TProcessForm* ProcessForm = nullptr;

void TProcessForm::DescribeClass(TClassBuilder<TProcessForm>& c) {
  c.Field("Image1", &TProcessForm::Image1);
  c.Field("lblinfo", &TProcessForm::lblinfo);
  c.Method("FormShow", &TProcessForm::FormShow);
}

TProcessForm::TProcessForm(TComponent* owner, HWND notifyWnd, const AnsiString& info)
    : TForm(owner), FInfo(info), FNotifyWnd(notifyWnd) {}

TProcessForm::~TProcessForm() {
  // However the overlay is freed, the global never points at a freed window.
  if (ProcessForm == this) ProcessForm = nullptr;
}

TProcessForm* TProcessForm::CreateInfo(HWND notifyWnd, const AnsiString& info) {
  RegisterSmallWindowClasses();
  return TCustomForm::Create<TProcessForm>(nullptr, notifyWnd, info);
}

void TProcessForm::FormShow(TObject*) {
  SetDoubleBuffered(true);
  // The window takes the panel's rounded outline (corner radius 6), so nothing of the form
  // shows around the picture.
  SetWindowRgn(Handle(), CreateRoundRectRgn(0, 0, Width() + 1, Height() + 1, 12, 12), TRUE);
  lblinfo->SetCaption(UTF8ToWide(FInfo));
  PostMessageW(FNotifyWnd, WM_WAITFORM_SHOWN, 0, 0);
}
