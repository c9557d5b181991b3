#include "program/app/dialogs/DialogPresenters.h"

#include "platform/comdlg/FileDialogs.h"
#include "platform/shell/BrowseFolder.h"
#include "platform/user/FunctionTable.h"
#include "program/app/dialogs/ColorDialogForm.h"
#include "program/app/dialogs/FileDialogForm.h"
#include "program/app/dialogs/FontDialogForm.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/controls/ControlsModule.h"
#include "vcl/Label.h"
#include "vcl/Persistent.h"
#include "vcl/Thread.h"

using platform::comdlg::FileDialogRequest;
using platform::shell::FolderBrowserRequest;

void RegisterDialogClasses() {
  static const bool registered = [] {
    StartControlsModule();
    RegisterClasses({TLabel::StaticClass()});
    return true;
  }();
  (void)registered;
}

namespace {
// The skinned box. The program's windows live on the GUI thread: a box asked for on another
// thread, or one whose form cannot be made (its form file or skin missing), is the window
// manager's own, so the message still reaches the user.
int SkinnedMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (!IsMainThread()) return platform::OriginalUserFunctions().MessageBoxW(owner, text, caption, type);
  try {
    RegisterDialogClasses();
    return TMessageBoxForm::Run(owner, text ? WideString(text) : WideString(),
                                caption ? WideString(caption) : WideString(u"Error"), type);
  } catch (...) {
    return platform::OriginalUserFunctions().MessageBoxW(owner, text, caption, type);
  }
}
}  // namespace

void InstallDialogPresenters() {
  RegisterDialogClasses();
  platform::UserFunctions().MessageBoxW = SkinnedMessageBoxW;
  platform::comdlg::SetFileDialogPresenter([](FileDialogRequest& r) { return TFileDialogForm::RunFile(r); });
  platform::shell::SetFolderBrowserPresenter([](FolderBrowserRequest& r) { return TFileDialogForm::RunFolder(r); });
  InstallColorDialogPresenter();
  InstallFontDialogPresenter();
}

void UninstallDialogPresenters() {
  platform::UserFunctions().MessageBoxW = platform::OriginalUserFunctions().MessageBoxW;
  platform::comdlg::SetFileDialogPresenter(nullptr);
  platform::shell::SetFolderBrowserPresenter(nullptr);
  platform::comdlg::SetColorDialogPresenter(nullptr);
  platform::comdlg::SetFontDialogPresenter(nullptr);
}
