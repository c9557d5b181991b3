#pragma once

// Known folders by id. FOLDERID_Downloads is the desktop's download folder: XDG_DOWNLOAD_DIR
// of the user folders (UserDirs.h), else ~/Downloads, else the home folder; each must be an
// existing folder. Any thread.

#include "platform/kernel/ComBase.h"

using KNOWNFOLDERID = GUID;
using REFKNOWNFOLDERID = const KNOWNFOLDERID&;

inline constexpr KNOWNFOLDERID FOLDERID_Downloads = {
    0x374DE290, 0x123F, 0x4565, {0x91, 0x64, 0x39, 0xC4, 0x92, 0x5E, 0x46, 0x7B}};

constexpr DWORD KF_FLAG_DEFAULT = 0x00000000;
constexpr DWORD KF_FLAG_CREATE = 0x00008000;

// *path gets the folder (UTF-16, no trailing delimiter), allocated with CoTaskMemAlloc, to
// be freed with CoTaskMemFree; on failure it is null. E_INVALIDARG for an id not offered or
// a null path, E_FAIL when no folder exists.
HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, char16_t** path);
