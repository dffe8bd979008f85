#pragma once
// The host's working data folder and its "Site Data" and "Translate" subfolders. The getters only
// name the folders: reading creates nothing in the user's documents folder. Code that writes into a
// folder creates it first with CreateFolder.

#include <string>

namespace tvk {

std::string GetWorkingDir();
std::string GetSiteDataDir();
std::string GetTranslateDir();

// Creates `path` with its missing parents; true when it is a folder afterwards. A relative path is
// refused rather than made in whatever the current folder is.
bool CreateFolder(const std::string& path);

}  // namespace tvk
