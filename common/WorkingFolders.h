#pragma once
// The host's working data folder and its "Site Data" and "Translate" subfolders. Each getter creates
// its folder (with parents) when it is missing.

#include <string>

namespace tvk {

std::string GetWorkingDir();
std::string GetSiteDataDir();
std::string GetTranslateDir();

}  // namespace tvk
