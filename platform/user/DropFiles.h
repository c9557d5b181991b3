#pragma once

// Files dropped from the desktop: a window that accepts them (DragAcceptFiles) gets
// WM_DROPFILES with a drop handle, reads the names and the point, and finishes the drop.
// The display backend hands drops in through platform::detail::DropFiles.

#include <string>
#include <vector>

#include "platform/user/UserTypes.h"

BRANTWELL_DECLARE_HANDLE(HDROP);

void DragAcceptFiles(HWND hwnd, BOOL accept);
// `index` 0xFFFFFFFF: the number of files. A null buffer: the name's length. Otherwise the
// name copied (cut to `capacity` - 1 units) and its copied length.
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT capacity);
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT capacity);
// The drop point in the receiving window's client coordinates; TRUE when it lies in the
// client area.
BOOL DragQueryPoint(HDROP drop, POINT* point);
void DragFinish(HDROP drop);

namespace platform::detail {
// Drops UTF-8 paths at a screen point: the window under it, or its nearest ancestor that
// accepts files, gets WM_DROPFILES. False when no window there accepts files.
bool DropFiles(POINT screen, const std::vector<std::string>& paths);
}  // namespace platform::detail
