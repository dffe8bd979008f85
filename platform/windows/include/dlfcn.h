#pragma once
// The few dynamic-loading calls the command line makes, over LoadLibraryW for the Windows build.
// Paths are UTF-8.

#include <windows.h>

#include <string>

#include "platform/windows/Wide.h"

#define RTLD_NOW 2
#define RTLD_LOCAL 0

namespace tvk::platform::windows {
inline std::string& LoaderError() {
  static thread_local std::string text;
  return text;
}
inline const char* KeepLoaderError(const char* what) {
  LoaderError() = std::string(what) + " failed with Windows error " + std::to_string(GetLastError());
  return LoaderError().c_str();
}
}  // namespace tvk::platform::windows

inline void* dlopen(const char* path, int) {
  HMODULE module = LoadLibraryExW(tvk::platform::windows::WidePath(path).c_str(), nullptr,
                                  LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) tvk::platform::windows::KeepLoaderError("LoadLibrary");
  return reinterpret_cast<void*>(module);
}

inline void* dlsym(void* handle, const char* name) {
  FARPROC symbol = GetProcAddress(static_cast<HMODULE>(handle), name);
  if (symbol == nullptr) tvk::platform::windows::KeepLoaderError("GetProcAddress");
  return reinterpret_cast<void*>(symbol);
}

inline const char* dlerror() {
  auto& text = tvk::platform::windows::LoaderError();
  return text.empty() ? nullptr : text.c_str();
}

inline int dlclose(void* handle) { return FreeLibrary(static_cast<HMODULE>(handle)) != 0 ? 0 : -1; }
