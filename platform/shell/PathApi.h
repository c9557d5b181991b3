#pragma once

// Path string helpers of the shell. Pure string work on the caller's text; any thread.

#include "platform/kernel/WinTypes.h"

// The text after the first delimiter ("/" or "\") of path: "/a/b" gives "a/b", "a/b" gives
// "b"; a path without a delimiter gives its terminating NUL; an empty or null path gives null.
LPCWSTR PathFindNextComponentW(LPCWSTR path);
LPCSTR PathFindNextComponentA(LPCSTR path);
