#pragma once
// The user's home and documents folders.

#include <string>

namespace tvk::platform {

// $HOME, else the password database's home directory; empty when neither gives one.
std::string HomeFolder();

// XDG_DOCUMENTS_DIR from ${XDG_CONFIG_HOME:-~/.config}/user-dirs.dirs, else ~/Documents; empty
// when there is no home folder to put it in. The folder need not exist.
std::string DocumentsFolder();

}  // namespace tvk::platform
