#include <cstdio>
#include <vector>

#include "platform/SystemInfo.h"
#include "platform/windows/Wide.h"

namespace tvk::platform {

using windows::Narrow;

std::string CurrentUserName() {
  wchar_t name[257] = {};  // UNLEN + 1
  DWORD size = 257;
  if (GetUserNameW(name, &size) == 0 || name[0] == L'\0') return "Unknown";
  return Narrow(name).substr(0, 256);
}

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (GetComputerNameW(name, &size) == 0) return {};
  return Narrow(std::wstring_view(name, size));
}

namespace {

std::wstring ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string ExecutablePath() { return Narrow(ModulePath()); }

std::string ExecutableFileName() {
  const std::string path = ExecutablePath();
  return path.substr(path.find_last_of("\\/") + 1);
}

std::string ExecutableVersion() {
  unsigned parts[4] = {0, 0, 0, 0};
  const std::wstring path = ModulePath();
  DWORD ignored = 0;
  const DWORD size = path.empty() ? 0 : GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<std::uint8_t> info(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (size != 0 && GetFileVersionInfoW(path.c_str(), 0, size, info.data()) != 0 &&
      VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) != 0 &&
      fixed != nullptr && fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
    parts[0] = HIWORD(fixed->dwFileVersionMS);
    parts[1] = LOWORD(fixed->dwFileVersionMS);
    parts[2] = HIWORD(fixed->dwFileVersionLS);
    parts[3] = LOWORD(fixed->dwFileVersionLS);
  }
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
  return text;
}

}  // namespace tvk::platform
