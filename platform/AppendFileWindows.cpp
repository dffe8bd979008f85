#include <exception>

#include "platform/AppendFile.h"
#include "platform/SystemInfo.h"
#include "platform/windows/Wide.h"

namespace tvk::platform {
namespace {

using windows::WidePath;

std::wstring OldName(const std::wstring& path) {
  const std::size_t dot = path.rfind(L'.');
  const std::size_t slash = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return path + L".old";
  return path.substr(0, dot) + L".old" + path.substr(dot);
}

}  // namespace

std::string ErrorLogFolder(bool) {
  try {
    const std::string program = ExecutablePath();
    const std::size_t slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
  } catch (const std::exception&) {
    return {};
  }
}

void AppendToFile(const std::string& path, std::string_view text, std::uint64_t rotateAt) {
  try {
    const std::wstring wide = WidePath(path);
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &info) != 0 &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        ((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow) >= rotateAt) {
      MoveFileExW(wide.c_str(), OldName(wide).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    // Wine lets root write a read-only file; Windows refuses everyone.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
      return;
    }
    // Appending access only: every write goes to the end, whoever else appends meanwhile.
    const HANDLE file = CreateFileW(wide.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    if (GetFileType(file) == FILE_TYPE_DISK) {
      std::size_t done = 0;
      while (done < text.size()) {
        DWORD n = 0;
        if (WriteFile(file, text.data() + done, static_cast<DWORD>(text.size() - done), &n, nullptr) == 0 || n == 0) {
          break;
        }
        done += n;
      }
    }
    CloseHandle(file);
  } catch (const std::exception&) {
  }
}

bool IsFolder(const std::string& path) {
  try {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace tvk::platform
