#pragma once
// Messages every common control of this library answers: the notification format asked of
// the parent (WM_NOTIFYFORMAT) and switched with CCM_SETUNICODEFORMAT.

#include "platform/user/WinUser.h"

namespace platform {

constexpr UINT WM_NOTIFYFORMAT = 0x0055;
constexpr LPARAM NF_QUERY = 3;
constexpr LPARAM NF_REQUERY = 4;
constexpr LRESULT NFR_ANSI = 1;
constexpr LRESULT NFR_UNICODE = 2;
constexpr UINT CCM_FIRST = 0x2000;
constexpr UINT CCM_SETBKCOLOR = CCM_FIRST + 1;
constexpr UINT CCM_SETUNICODEFORMAT = CCM_FIRST + 5;  // wParam BOOL; the previous format
constexpr UINT CCM_GETUNICODEFORMAT = CCM_FIRST + 6;

}  // namespace platform
