#pragma once

// The C API of the menu manager engine (QM_MenuMgr.so): the DVD menu as a whole. A manager
// owns the menu's pages, follows a title list (QM_DVDTitleList) so that every title has a
// frame on some page, keeps a menu data object (QM_DVDMenuData) current for authoring, and
// shows the current page in a designer window in which the user edits it.
//
// Entry points are called on the program's GUI thread. Handles may be 0 or stale: the entry
// then does nothing and answers 0 (-1 where an index is the answer). No entry point throws.
//
// Pages: titles fill the pages in order, each page as many as its template has frame slots;
// a page added for more titles takes the last page's template; there is always at least one
// page. A page handle (MGGetCurrentPage) is what the QM_MenuDesigner calls take.
//
// Messages posted to the window registered with MGRegisterMsgHwnd:
//   kMenuDesignerNotify (WM_USER+1501), wParam kMenuNotifyElementChosen, lParam MenuElement:
//   an element of the page was chosen in the designer window (by a click, MGSetMDFocus or
//   MDAddTextItem).
//
//   MGCreateMenuMgr() -> manager
//   MGDestroyMenuMgr(manager)                  also destroys its designer window
//   MGSetTitleList(manager, list)              the title list the pages follow (0: none)
//   MGSetMenuData(manager, data)               the menu data object kept current (0: none)
//   MGRegisterMsgHwnd(manager, window)
//   MGCreateMDWindow(manager, parent, x, y, width, height) -> 1/0
//                                              the designer window, a child of parent
//   MGUpdateMDWindow(manager)                  re-reads the title list and repaints
//   MGGetCurrentPage(manager) -> page          the page shown in the designer
//   MGGetPageCount(manager) -> count
//   MGGetCurrentPageIndex(manager) -> index
//   MGNextMenuPage / MGPrevMenuPage(manager) -> 1, or 0 at the last / first page
//   MGGetButtonState(manager, state[3])        [0] a previous page exists, [1] 0, [2] a next page exists
//   MGGetCurFrameTotalIndex(manager) -> title index of the selected frame, -1 when none
//   MGSetMDFocus(manager, item, reserved)      selects the first element of a kind:
//                                              0 background, 2 title frame, 4 play button, 6 text item
//   MGGetXmlText(manager, buffer, capacity) -> length of the menu's XML without terminator;
//                                              a null buffer or capacity 0 copies nothing; else at
//                                              most capacity - 1 units and a terminator
//   MGSetXmlText(manager, text) -> 1, or 0 for damaged XML (the menu is left as it was)

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"

using engines::EngineHandle;

constexpr UINT kMenuDesignerNotify = 0x0400 + 1501;
constexpr WPARAM kMenuNotifyElementChosen = 2;

enum MenuElement : int32_t {
  kMenuElementBackground = 1,
  kMenuElementFrame = 2,
  kMenuElementPrevious = 3,
  kMenuElementPlay = 4,
  kMenuElementNext = 5,
  kMenuElementText = 6,
};

ENGINE_API EngineHandle MGCreateMenuMgr();
ENGINE_API void MGDestroyMenuMgr(EngineHandle manager);
ENGINE_API void MGSetTitleList(EngineHandle manager, EngineHandle list);
ENGINE_API void MGSetMenuData(EngineHandle manager, EngineHandle data);
ENGINE_API void MGRegisterMsgHwnd(EngineHandle manager, HWND window);
ENGINE_API int32_t MGCreateMDWindow(EngineHandle manager, HWND parent, int32_t x, int32_t y, int32_t width,
                                    int32_t height);
ENGINE_API void MGUpdateMDWindow(EngineHandle manager);
ENGINE_API EngineHandle MGGetCurrentPage(EngineHandle manager);
ENGINE_API int32_t MGGetPageCount(EngineHandle manager);
ENGINE_API int32_t MGGetCurrentPageIndex(EngineHandle manager);
ENGINE_API int32_t MGNextMenuPage(EngineHandle manager);
ENGINE_API int32_t MGPrevMenuPage(EngineHandle manager);
ENGINE_API void MGGetButtonState(EngineHandle manager, int32_t* state);
ENGINE_API int32_t MGGetCurFrameTotalIndex(EngineHandle manager);
ENGINE_API void MGSetMDFocus(EngineHandle manager, int32_t item, int32_t reserved);
ENGINE_API int32_t MGGetXmlText(EngineHandle manager, char16_t* buffer, int32_t capacity);
ENGINE_API int32_t MGSetXmlText(EngineHandle manager, const char16_t* text);
