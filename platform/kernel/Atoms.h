#pragma once

// Atom tables: small numbers standing for strings. String atoms run from 0xC000 to 0xFFFF,
// are compared without regard to case and are counted (each Add needs one Delete). Integer
// atoms are the values 1..0xBFFF, given as MAKEINTATOM(n) or as the text "#n"; they need no
// table. The global table is shared by the whole process, the local one by its callers as
// well (there is one process). Any thread.

#include "platform/kernel/WinTypes.h"

constexpr ATOM MAXINTATOM = 0xC000;
constexpr ATOM INVALID_ATOM = 0;

// The atom as a name pointer, where functions take either.
inline LPCSTR MAKEINTATOM(WORD atom) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atom)); }
inline LPCWSTR MAKEINTATOMW(WORD atom) { return reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(atom)); }

ATOM GlobalAddAtomA(LPCSTR name);
ATOM GlobalAddAtomW(LPCWSTR name);
// Returns 0 on success, the atom on failure (ERROR_INVALID_HANDLE).
ATOM GlobalDeleteAtom(ATOM atom);
ATOM GlobalFindAtomA(LPCSTR name);
ATOM GlobalFindAtomW(LPCWSTR name);
// Copies the name with its terminator, shortened to fit; returns the characters copied
// without the terminator, 0 on failure.
UINT GlobalGetAtomNameA(ATOM atom, LPSTR buffer, int size);
UINT GlobalGetAtomNameW(ATOM atom, LPWSTR buffer, int size);

ATOM AddAtomA(LPCSTR name);
ATOM AddAtomW(LPCWSTR name);
ATOM DeleteAtom(ATOM atom);
ATOM FindAtomA(LPCSTR name);
ATOM FindAtomW(LPCWSTR name);
UINT GetAtomNameA(ATOM atom, LPSTR buffer, int size);
UINT GetAtomNameW(ATOM atom, LPWSTR buffer, int size);
