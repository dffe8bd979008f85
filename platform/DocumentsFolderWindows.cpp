#include <shlobj.h>

#include <cstdlib>
#include <exception>

#include "platform/DocumentsFolder.h"
#include "platform/windows/Wide.h"

namespace tvk::platform {
namespace {

std::string ShellFolder(int folder) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return windows::Narrow(path);
}

}  // namespace

std::string HomeFolder() {
  try {
    return ShellFolder(CSIDL_PROFILE);
  } catch (const std::exception&) {
    return {};
  }
}

std::string DocumentsFolder() {
  try {
    return ShellFolder(CSIDL_PERSONAL);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace tvk::platform
