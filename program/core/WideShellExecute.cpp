#include "program/core/WideShellExecute.h"

namespace {

const char16_t* OrNone(const WideString& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

HINSTANCE WideShellExecute(HWND window, const WideString& operation, const WideString& fileName,
                           const WideString& parameters, const WideString& directory, int showCommand) {
  // The platform is always of the wide-character family, so the 8-bit branch is never taken.
  try {
    return ShellExecuteW(window, OrNone(operation), OrNone(fileName), OrNone(parameters), OrNone(directory),
                         showCommand);
  } catch (...) {
    return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(SE_ERR_OOM));
  }
}
