#pragma once

// The C API of the menu previewer engine (QM_MenuPreviewer.so): a child window that shows a
// menu data object's pages as the disc shows them (the same renderer and overlay colours),
// fitted with aspect kept, and lets the user navigate it like a DVD player's remote: hover
// highlights a button, a click activates it, arrow keys move to the nearest button in that
// direction, Enter activates.
//
// GUI thread; handles may be 0 or stale (the entry does nothing and answers 0).
//
// Messages posted to the window registered with MPRegisterMsgHwnd (kMenuPreviewAction,
// WM_USER+1504): wParam kMenuPreviewPageShown with the page index whenever a page is shown
// (the first on MPSetMenuData too); wParam kMenuPreviewTitleChosen with the title index when a
// frame is activated (play: title 0).
//
//   MPCreate(parent, x, y, width, height) -> previewer
//   MPSetMenuData(previewer, data)             shows its first page
//   MPRegisterMsgHwnd(previewer, window)
//   MPDestroy(previewer)

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"

using engines::EngineHandle;

constexpr UINT kMenuPreviewAction = 0x0400 + 1504;
constexpr WPARAM kMenuPreviewTitleChosen = 0;
constexpr WPARAM kMenuPreviewPageShown = 1;

ENGINE_API EngineHandle MPCreate(HWND parent, int32_t x, int32_t y, int32_t width, int32_t height);
ENGINE_API void MPSetMenuData(EngineHandle previewer, EngineHandle data);
ENGINE_API void MPRegisterMsgHwnd(EngineHandle previewer, HWND window);
ENGINE_API void MPDestroy(EngineHandle previewer);
