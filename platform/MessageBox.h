#pragma once
// A warning message box without an owner window.
//
// The GUI points the hook at a real dialog (a modal QMessageBox) from its own thread: the hook is
// then called only on that thread, so a dialog that must run on the GUI thread is never asked for
// from a worker, and a worker never waits for the GUI. A message raised on any other thread, or
// before any hook is set, goes to stderr instead, and the caller is told so (it writes the error
// log). Callers must not hold a lock that the GUI thread may wait for while showing a message.

#include <functional>
#include <string>

namespace tvk::platform {

using MessageBoxHook = std::function<void(const std::string& text, const std::string& title)>;

// Installs a hook bound to the calling thread (an empty one restores the stderr fallback); returns
// the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Shows a warning (exclamation icon, OK button): through the hook when called on the hook's thread,
// else on stderr as "<title>: <text>". True when the hook showed it.
bool ShowWarningMessageBox(const std::string& text, const std::string& title);

}  // namespace tvk::platform
