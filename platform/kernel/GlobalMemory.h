#pragma once

// Global memory blocks, the currency of the clipboard and of drag and drop.
//
// A movable block (GMEM_MOVEABLE, GHND) is named by an HGLOBAL from a handle table; its bytes
// are reached through GlobalLock and stay where they are while any lock is held. A fixed block
// (GMEM_FIXED, GPTR) is named by its own address, which GlobalLock returns unchanged. Blocks
// always start zeroed, with or without GMEM_ZEROINIT, and so do the bytes GlobalReAlloc adds.
// Stale and foreign handles are detected and fail with ERROR_INVALID_HANDLE. Any thread.

#include "platform/kernel/WinTypes.h"

using HGLOBAL = HANDLE;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_MODIFY = 0x0080;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Resizes a block. A movable block keeps its handle; while it is locked it cannot move, so
// growing it past its reserve fails with ERROR_NOT_ENOUGH_MEMORY. A fixed block moves (and
// the new address is returned) only when GMEM_MOVEABLE is given. GMEM_MODIFY is not
// supported (ERROR_INVALID_PARAMETER). Null on failure, the block unchanged.
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
// The block's first byte, counting one more lock; null on failure.
LPVOID GlobalLock(HGLOBAL block);
// TRUE while the block stays locked; FALSE with NO_ERROR when the last lock went, FALSE with
// ERROR_NOT_LOCKED when it was not locked.
BOOL GlobalUnlock(HGLOBAL block);
// The size asked for, 0 on failure.
SIZE_T GlobalSize(HGLOBAL block);
// Null on success, the handle itself on failure.
HGLOBAL GlobalFree(HGLOBAL block);
