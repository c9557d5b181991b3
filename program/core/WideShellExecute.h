#pragma once

// WideShellExecute: opens a document or an address with the desktop's handler. Any thread.

#include "platform/shell/ShellApi.h"
#include "rtl/SysTypes.h"

// ShellExecuteW with the texts as given, an empty text passed as none; the result unchanged
// (above 32 means success, 32 or less is the shell's failure code). Never raises.
HINSTANCE WideShellExecute(HWND window, const WideString& operation, const WideString& fileName,
                           const WideString& parameters, const WideString& directory, int showCommand);
