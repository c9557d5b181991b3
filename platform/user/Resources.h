#pragma once

// The executable's resources: cursors, icons, RCDATA pictures and version information
// compiled into the program from resources/embedded/. At start-up the generated registration
// code calls platform::RegisterEmbeddedResource for each one; FindResource, LoadResource,
// LoadIcon and LoadCursor find them by type and name. Icons and cursors are registered as
// whole .ico and .cur files under RT_GROUP_ICON and RT_GROUP_CURSOR. Any thread may call these.

#include <cstddef>

#include "platform/user/UserTypes.h"

BRANTWELL_DECLARE_HANDLE(HRSRC);
using HGLOBAL = HANDLE;

inline LPCWSTR const RT_CURSOR = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(1));
inline LPCWSTR const RT_BITMAP = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(2));
inline LPCWSTR const RT_ICON = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(3));
inline LPCWSTR const RT_MENU = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(4));
inline LPCWSTR const RT_DIALOG = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(5));
inline LPCWSTR const RT_STRING = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(6));
inline LPCWSTR const RT_RCDATA = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(10));
inline LPCWSTR const RT_GROUP_CURSOR = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(12));
inline LPCWSTR const RT_GROUP_ICON = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(14));
inline LPCWSTR const RT_VERSION = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(16));

// Names and types are integer ids (MAKEINTRESOURCE), "#123" for an id, or names compared
// without regard to case. The module is ignored: every resource is the program's.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The resource's bytes, valid for the life of the program.
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL loaded);

namespace platform {

// Adds a resource; `data` must stay valid for the life of the program (it is compiled in).
// A second registration of the same type and name replaces the first.
void RegisterEmbeddedResource(LPCWSTR type, LPCWSTR name, const void* data, size_t size);

namespace detail {
// The bytes of a resource, or false (with ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_RESOURCE_NAME_NOT_FOUND) when there is none.
bool FindEmbeddedResource(LPCWSTR type, LPCWSTR name, const uint8_t** data, size_t* size);
}  // namespace detail

}  // namespace platform
