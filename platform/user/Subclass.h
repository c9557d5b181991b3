#pragma once

// The window subclass chain: procedures layered over a window's own procedure without
// replacing it by hand. Each subclass is keyed by its procedure and an id and carries its
// reference data. The newest subclass sees a message first; DefSubclassProc hands it to the
// next older one and, after the oldest, to the window's procedure. A subclass may remove
// itself (or another) while it handles a message. Every subclass sees the window's
// WM_NCDESTROY and is removed after it. The window's thread only.

#include "platform/user/UserTypes.h"

using SUBCLASSPROC = LRESULT (*)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR refData);

// Installs the subclass, or updates the reference data of one already installed under the
// same procedure and id (its place in the chain stays). FALSE for a stale window, a window
// of another thread or a null procedure.
BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData);
// TRUE with the reference data (when asked for) while the subclass is installed.
BOOL GetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* refData);
BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
// From inside a subclass procedure: the next older subclass's answer, or the window
// procedure's. Outside any subclass call it goes straight to the window procedure.
LRESULT DefSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
