#pragma once

// Message-filter hooks (WH_MSGFILTER): a procedure of the calling thread that sees each
// message the thread's modal loops (a tracked popup menu: MSGF_MENU) take from the queue before
// they handle it, and may keep it from them by answering non-zero. Only this kind of hook is
// kept; hooks belong to the thread that installs them and are called on it.

#include "platform/user/UserTypes.h"

struct HookHandle;
using HHOOK = HookHandle*;
// `code` is the loop's MSGF_* value, `lParam` the MSG; non-zero keeps the message from the loop.
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);

constexpr int WH_MSGFILTER = -1;

// Installs a hook for the calling thread (threadId 0 or its own id). Null with
// ERROR_INVALID_PARAMETER for another kind of hook, a null procedure or another thread.
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE instance, DWORD threadId);
HHOOK SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE instance, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
// Hands the message to the hooks installed before `hook`; 0 when there are none.
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
// Runs the thread's message-filter hooks, newest first; TRUE when one kept the message.
BOOL CallMsgFilterW(MSG* msg, int code);
BOOL CallMsgFilterA(MSG* msg, int code);
