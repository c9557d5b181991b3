#pragma once

// The desktop's user folders (the XDG user directories): the folder a name such as
// "DOWNLOAD", "DOCUMENTS" or "PICTURES" stands for in $XDG_CONFIG_HOME/user-dirs.dirs
// (~/.config/user-dirs.dirs when XDG_CONFIG_HOME is not set). Any thread.

#include <string>

namespace platform {

// The home folder: $HOME, else the user's entry in the password database.
std::string HomeFolder();

// The folder XDG_<name>_DIR names ("$HOME/..." or an absolute path, quoted, with backslash
// escapes); empty when the file, the entry or a usable value is missing, or when the entry
// is the home folder itself (the desktop's way of switching a folder off).
std::string ReadUserDir(const std::string& name);

}  // namespace platform
