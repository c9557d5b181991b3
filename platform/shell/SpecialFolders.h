#pragma once

// Special folders by CSIDL number, answered from the desktop's user folders (the XDG user
// directories, UserDirs.h) and the XDG base folders. Any thread. "A" forms give UTF-8, "W"
// forms UTF-16; paths have no trailing delimiter.
//
//   CSIDL_PERSONAL         XDG_DOCUMENTS_DIR, else ~/Documents
//   CSIDL_DESKTOP(DIRECTORY) XDG_DESKTOP_DIR, else ~/Desktop
//   CSIDL_MYMUSIC          XDG_MUSIC_DIR, else ~/Music
//   CSIDL_MYVIDEO          XDG_VIDEOS_DIR, else ~/Videos
//   CSIDL_MYPICTURES       XDG_PICTURES_DIR, else ~/Pictures
//   CSIDL_TEMPLATES        XDG_TEMPLATES_DIR, else ~/Templates
//   CSIDL_COMMON_DOCUMENTS XDG_PUBLICSHARE_DIR, else ~/Public
//   CSIDL_PROFILE          the home folder
//   CSIDL_APPDATA          $XDG_CONFIG_HOME, else ~/.config
//   CSIDL_LOCAL_APPDATA    $XDG_DATA_HOME, else ~/.local/share
//   CSIDL_INTERNET_CACHE   $XDG_CACHE_HOME, else ~/.cache

#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_MYDOCUMENTS = CSIDL_PERSONAL;
constexpr int CSIDL_MYMUSIC = 0x000D;
constexpr int CSIDL_MYVIDEO = 0x000E;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_TEMPLATES = 0x0015;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_INTERNET_CACHE = 0x0020;
constexpr int CSIDL_MYPICTURES = 0x0027;
constexpr int CSIDL_PROFILE = 0x0028;
constexpr int CSIDL_COMMON_DOCUMENTS = 0x002E;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

// Writes the folder into path (room for MAX_PATH characters) and returns TRUE. The folder
// need not exist: with create (or CSIDL_FLAG_CREATE in csidl) it is created with its missing
// parents, and the call fails when that fails. FALSE, with path empty, for a null path, a
// number not listed above (ERROR_INVALID_PARAMETER), a folder of MAX_PATH characters or more
// (ERROR_FILENAME_EXCED_RANGE), or a failed creation (its error).
BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);
