#pragma once

// The desktop's system colours a skin asks for: its folder's SystemColors.ini holds one
// "NAME=#RRGGBB" key per system colour (BTNFACE, HIGHLIGHT, ...) in section [SystemColors].
// ApplySkinSystemColors sets the colours it names at once through SetSysColors (every
// top-level window hears WM_SYSCOLORCHANGE); a folder without the file, or a key that does
// not read as a colour, changes nothing. GUI thread.

#include <string>

// False when the folder has no such file (nothing changed).
bool ApplySkinSystemColors(const std::string& skinFolder);
