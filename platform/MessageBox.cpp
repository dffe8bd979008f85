#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

namespace tvk::platform {
namespace {

std::mutex& HookLock() {
  static std::mutex lock;
  return lock;
}

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

}  // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard guard(HookLock());
  MessageBoxHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

void ShowWarningMessageBox(const std::string& text, const std::string& title) {
  MessageBoxHook hook;
  {
    std::lock_guard guard(HookLock());
    hook = Hook();
  }
  if (hook) {
    hook(text, title);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

}  // namespace tvk::platform
