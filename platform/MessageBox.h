#pragma once
// A message box without an owner window. The plug-in points the hook at a real dialog; until then the
// message goes to stderr.

#include <functional>
#include <string>

namespace tvk::platform {

using MessageBoxHook = std::function<void(const std::string& text, const std::string& title)>;

// Installs a hook (an empty one restores the stderr fallback); returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Shows a warning (exclamation icon, OK button).
void ShowWarningMessageBox(const std::string& text, const std::string& title);

}  // namespace tvk::platform
