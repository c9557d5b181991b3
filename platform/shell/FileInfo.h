#pragma once

// File information from the shell: the icon of a file or folder, as an index into the two
// system image lists (16 and 32 pixels) or as an icon handle, and its display name.
//
// A file's icon is the one of its MIME type: the type comes from shared-mime-info's glob
// patterns (globs2 under each XDG data folder; folders are "inode/directory"), the icon from
// the desktop icon theme (Adwaita, then hicolor; the PNG of the nearest size), and when the
// theme has none, from the program's generic icons ("GenericFolder", "GenericFile",
// "GenericVideo", "GenericAudio", "GenericPicture" in its resources).
//
// The two system image lists live for the whole process: callers never destroy them. Both
// hold the same icons at the same indices. Any thread may call; one lock guards the lists
// and the caches.

#include <string>
#include <string_view>

#include "platform/comctl/ImageList.h"
#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"

struct SHFILEINFOW {
  HICON hIcon;
  int iIcon;
  DWORD dwAttributes;
  WCHAR szDisplayName[260];
  WCHAR szTypeName[80];
};

struct SHFILEINFOA {
  HICON hIcon;
  int iIcon;
  DWORD dwAttributes;
  CHAR szDisplayName[260];
  CHAR szTypeName[80];
};

constexpr UINT SHGFI_LARGEICON = 0x000000000;
constexpr UINT SHGFI_SMALLICON = 0x000000001;
constexpr UINT SHGFI_OPENICON = 0x000000002;
constexpr UINT SHGFI_SHELLICONSIZE = 0x000000004;
constexpr UINT SHGFI_PIDL = 0x000000008;
constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x000000010;
constexpr UINT SHGFI_ICON = 0x000000100;
constexpr UINT SHGFI_DISPLAYNAME = 0x000000200;
constexpr UINT SHGFI_TYPENAME = 0x000000400;
constexpr UINT SHGFI_ATTRIBUTES = 0x000000800;
constexpr UINT SHGFI_ICONLOCATION = 0x000001000;
constexpr UINT SHGFI_EXETYPE = 0x000002000;
constexpr UINT SHGFI_SYSICONINDEX = 0x000004000;
constexpr UINT SHGFI_LINKOVERLAY = 0x000008000;
constexpr UINT SHGFI_SELECTED = 0x000010000;

// For a path (SHGFI_PIDL is not offered: there are no item id lists):
// - SHGFI_SYSICONINDEX: `iIcon` := the icon's index in the system image list, and the result
//   is that list's handle (the 16-pixel list with SHGFI_SMALLICON, else the 32-pixel one).
// - SHGFI_ICON: `hIcon` := a new icon of 16 (SHGFI_SMALLICON) or 32 pixels, which the caller
//   destroys; with SHGFI_OPENICON a folder's open icon.
// - SHGFI_DISPLAYNAME: the file's name without its folder; SHGFI_TYPENAME: its MIME type.
// The path must exist unless SHGFI_USEFILEATTRIBUTES is given, in which case `attributes`
// (FILE_ATTRIBUTE_DIRECTORY) say whether it is a folder. Without SHGFI_SYSICONINDEX the result
// is non-zero on success. Failure (a missing path, a null path or record, a PIDL) gives 0.
// "A" takes UTF-8, "W" UTF-16.
DWORD_PTR SHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT infoSize, UINT flags);
DWORD_PTR SHGetFileInfoA(LPCSTR path, DWORD attributes, SHFILEINFOA* info, UINT infoSize, UINT flags);

namespace platform::detail {

// The MIME type of a file name by the glob patterns ("application/octet-stream" when none
// matches); `folder` gives "inode/directory".
std::string MimeTypeOfName(std::string_view fileName, bool folder);

}  // namespace platform::detail
