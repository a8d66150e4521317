#pragma once

#include <string>

// Where an editor host on a free desktop finds things: the module it runs in and the XDG user
// directories. Each returns an empty string when the answer cannot be had.

// The file of the shared object (or executable) this code is linked into.
std::string ModuleFilePath();
// Its folder, with a trailing "/".
std::string ModuleFolderPath();
// The user's home folder: $HOME, else the password database's entry.
std::string HomeFolderPath();
// The desktop folder: XDG_DESKTOP_DIR from the user-dirs file ($XDG_CONFIG_HOME/user-dirs.dirs,
// "$HOME" expanded), else home + "/Desktop".
std::string DesktopFolderPath();
// The user's data folder: $XDG_DATA_HOME when absolute, else home + "/.local/share"; the system's
// is "/usr/local/share".
std::string DataFolderPath(bool system);
