#pragma once

// Code pages. The ANSI and OEM code pages are UTF-8 (65001); other code pages go through
// iconv (1250-1258, 874, 932, 936, 949, 950, 20127, 28591-28605, 50220, 51932, 1200, 1201,
// 12000, 65000 and a few OEM pages), stateful ones included. Any thread.

#include "platform/kernel/WinTypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_MACCP = 2;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF7 = 65000;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_COMPOSITE = 0x00000002;
constexpr DWORD MB_USEGLYPHCHARS = 0x00000004;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_COMPOSITECHECK = 0x00000200;
constexpr DWORD WC_DISCARDNS = 0x00000010;
constexpr DWORD WC_SEPCHARS = 0x00000020;
constexpr DWORD WC_DEFAULTCHAR = 0x00000040;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

constexpr UINT MAX_DEFAULTCHAR = 2;
constexpr UINT MAX_LEADBYTES = 12;

struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
};

// Lengths of -1 mean zero-terminated, the terminator converted and counted. An output size
// of 0 asks for the size needed. Malformed input becomes U+FFFD (UTF-8) or "?" unless
// MB_ERR_INVALID_CHARS asks for ERROR_NO_UNICODE_TRANSLATION.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide, int wideLength);
// Characters the code page lacks become defaultChar (or "?"), and *usedDefaultChar says so;
// both must be null for UTF-8 and UTF-7.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte, int multiByteLength,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);

UINT GetACP();
UINT GetOEMCP();
BOOL IsValidCodePage(UINT codePage);
BOOL GetCPInfo(UINT codePage, CPINFO* info);

namespace platform {

// The iconv name of a code page the kernel converts ("CP1252", "GBK", "UTF-8" ...), for code
// that keeps iconv converters of its own (stateful text streams); nullptr for a page the
// kernel does not know.
const char* CodePageIconvName(UINT codePage);

}  // namespace platform
