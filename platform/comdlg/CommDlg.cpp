#include "platform/comdlg/CommDlg.h"

#include <algorithm>
#include <exception>

namespace {

platform::comdlg::ColorDialogPresenter& Presenter() {
  static platform::comdlg::ColorDialogPresenter presenter;
  return presenter;
}

thread_local DWORD g_extendedError = 0;

template <class T> BOOL ChooseColorImpl(T* cc) {
  g_extendedError = 0;
  if (!cc || cc->lStructSize != sizeof(T)) {
    g_extendedError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!cc->lpCustColors || !Presenter()) {
    g_extendedError = CDERR_INITIALIZATION;
    return FALSE;
  }
  platform::comdlg::ColorDialogRequest request;
  request.owner = cc->hwndOwner;
  request.color = (cc->Flags & CC_RGBINIT) ? cc->rgbResult & 0xFFFFFF : 0;
  std::copy(cc->lpCustColors, cc->lpCustColors + 16, request.customColors);
  request.preventFullOpen = (cc->Flags & CC_PREVENTFULLOPEN) != 0;
  request.fullOpen = (cc->Flags & CC_FULLOPEN) != 0 && !request.preventFullOpen;
  request.solidColor = (cc->Flags & CC_SOLIDCOLOR) != 0;
  request.anyColor = (cc->Flags & CC_ANYCOLOR) != 0;
  bool accepted = false;
  try {
    platform::comdlg::ColorDialogPresenter presenter = Presenter();
    accepted = presenter(request);
  } catch (...) {
    // Nothing crosses the call: the dialog failed.
    g_extendedError = CDERR_DIALOGFAILURE;
    return FALSE;
  }
  if (!accepted) return FALSE;
  cc->rgbResult = request.color & 0xFFFFFF;
  std::copy(request.customColors, request.customColors + 16, cc->lpCustColors);
  return TRUE;
}

}  // namespace

BOOL ChooseColorA(LPCHOOSECOLORA cc) { return ChooseColorImpl(cc); }
BOOL ChooseColorW(LPCHOOSECOLORW cc) { return ChooseColorImpl(cc); }
DWORD CommDlgExtendedError() { return g_extendedError; }

namespace platform::comdlg {

void SetExtendedError(DWORD error) { g_extendedError = error; }

ColorDialogPresenter SetColorDialogPresenter(ColorDialogPresenter presenter) {
  ColorDialogPresenter previous = std::move(Presenter());
  Presenter() = std::move(presenter);
  return previous;
}

}  // namespace platform::comdlg
