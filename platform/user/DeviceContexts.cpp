// Window DCs. FIXME: until the GDI offers DCs over window buffers, window DCs are null and
// painting only validates.

#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

HDC GetPaintDC(HWND, const PixelRegion&) { return nullptr; }
PixelRegion RegionFromHandle(HRGN) { return PixelRegion(); }

}  // namespace platform::detail

HDC GetDC(HWND) { return nullptr; }
HDC GetWindowDC(HWND) { return nullptr; }
HDC GetDCEx(HWND, HRGN, DWORD) { return nullptr; }
int ReleaseDC(HWND, HDC) { return 1; }

namespace platform::detail {
LRESULT DefaultControlColor(UINT, HDC) { return 0; }
}  // namespace platform::detail
