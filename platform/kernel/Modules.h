#pragma once

// Loadable modules. Engine libraries are shared libraries in the program folder named after
// their Windows library with ".so" instead of ".dll":
//   LoadLibraryA("QM_DecMgr.dll")          opens <program folder>/QM_DecMgr.so
//   LoadLibraryA("DecPlugins\\fdpDVD.dll") opens <program folder>/DecPlugins/fdpDVD.so
// An absolute path is used as it stands (".dll" still becomes ".so"), a name without an
// extension gets ".so", and when the exact path does not exist each part of it is matched
// without regard to ASCII case. Libraries are opened with dlopen(RTLD_NOW | RTLD_LOCAL) and
// counted: each LoadLibrary needs one FreeLibrary. A failed load sets ERROR_MOD_NOT_FOUND and
// keeps the loader's message as the error's detail text. GetProcAddress by ordinal N (a
// value below 0x10000 in place of the name) looks up the symbol "ordinal_N". Any thread.

#include <string>

#include "platform/kernel/WinTypes.h"

using FARPROC = INT_PTR (*)();

constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x00000001;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x00000008;

HMODULE LoadLibraryA(LPCSTR fileName);
HMODULE LoadLibraryW(LPCWSTR fileName);
// The flags do not change how a library is found or opened; file must be null.
HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags);
HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD flags);
BOOL FreeLibrary(HMODULE module);
// module null: the executable.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
// name null: the executable; otherwise a loaded library, by file name or by path. The
// reference count does not change.
HMODULE GetModuleHandleA(LPCSTR moduleName);
HMODULE GetModuleHandleW(LPCWSTR moduleName);

namespace platform::detail {

// The file a module was loaded from (module null: the executable); empty for an unknown
// handle. GetModuleFileName is built on it.
std::string ModuleFilePath(HMODULE module);

// The path LoadLibrary opens for a name, before the case-insensitive fallback.
std::string LibraryPathForName(const std::string& name);

}  // namespace platform::detail
