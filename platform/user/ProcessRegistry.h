#pragma once

// The per-user registry of top-level windows, so that a second process of the program can
// find the first and talk to it. A process that publishes its windows listens on a socket
// "windows-<pid>.sock" in the user's runtime folder; FindWindow, EnumWindows,
// GetWindowText, IsWindow, ShowWindow, SetForegroundWindow, PostMessage and SendMessage
// reach the published windows of other processes through local stand-in handles.
//
// Across processes only numbers travel: messages that carry pointers are refused
// (ERROR_MESSAGE_SYNC_ONLY), except WM_COPYDATA, whose data is copied. A peer that does not
// answer within a few seconds counts as gone.

#include <string>

#include "platform/user/UserTypes.h"

namespace platform {

// Starts answering other processes about this process's top-level windows. The program
// calls it once at start-up; later calls do nothing. False (with the reason in the last
// error) when the runtime folder or the socket cannot be made.
bool PublishTopLevelWindows();
// Stops answering and removes the socket (also done at exit).
void StopPublishingWindows();

}  // namespace platform

namespace platform::detail {

// Hooks for the window functions: a stand-in handle of another process's window.
bool IsRemoteWindow(HWND hwnd);
bool RemoteIsWindow(HWND hwnd);
// Another process's top-level window by class name and/or title (null: any), or null.
HWND FindRemoteWindow(const char16_t* className, const char16_t* title);
// Calls `proc` for each remote top-level window; false when `proc` stopped early.
bool EnumRemoteWindows(WNDENUMPROC proc, LPARAM lParam);
bool RemoteWindowText(HWND hwnd, std::u16string* text);
BOOL RemoteShowWindow(HWND hwnd, int command);
BOOL RemoteSetForegroundWindow(HWND hwnd);
BOOL RemotePostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT RemoteSendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
DWORD RemoteProcessId(HWND hwnd);

}  // namespace platform::detail
