#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>
#include <thread>

namespace tvk::platform {
namespace {

struct HookState {
  std::mutex lock;
  MessageBoxHook hook;
  std::thread::id owner;
};

HookState& State() {
  static HookState state;
  return state;
}

}  // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  HookState& state = State();
  std::lock_guard guard(state.lock);
  MessageBoxHook previous = std::move(state.hook);
  state.hook = std::move(hook);
  state.owner = std::this_thread::get_id();
  return previous;
}

bool ShowWarningMessageBox(const std::string& text, const std::string& title) {
  MessageBoxHook hook;
  {
    HookState& state = State();
    std::lock_guard guard(state.lock);
    if (state.owner == std::this_thread::get_id()) hook = state.hook;
  }
  // Called outside the lock: the dialog may run an event loop that sets another hook.
  if (hook) {
    hook(text, title);
    return true;
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  return false;
}

}  // namespace tvk::platform
