#pragma once

// The clipboard of the program: text (CF_TEXT as UTF-8, CF_UNICODETEXT as UTF-16, each
// made from the other on request) and registered formats, held in the kernel's global memory
// blocks (GlobalAlloc). One window (or thread, with a null window) has it open at a time. Any
// thread may call.

#include "platform/kernel/GlobalMemory.h"
#include "platform/user/UserTypes.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_HDROP = 15;
constexpr UINT CF_LOCALE = 16;

constexpr UINT WM_DESTROYCLIPBOARD = 0x0307;
constexpr UINT WM_RENDERFORMAT = 0x0305;
constexpr UINT WM_RENDERALLFORMATS = 0x0306;
constexpr UINT WM_CLIPBOARDUPDATE = 0x031D;

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Needs the clipboard open; the opener's window becomes the owner.
BOOL EmptyClipboard();
// Needs the clipboard open. The clipboard takes the block and frees it later; a null block
// promises the data on WM_RENDERFORMAT to the owner.
HANDLE SetClipboardData(UINT format, HANDLE data);
// Needs the clipboard open; the block stays the clipboard's.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
UINT EnumClipboardFormats(UINT format);
UINT RegisterClipboardFormatW(LPCWSTR name);
UINT RegisterClipboardFormatA(LPCSTR name);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
