#pragma once
// `tavisko wizard [FILE...]`: a host of the plug-in. Loads libtavisko.so at run time and calls its four
// exports in a host's order, so the tavisko executable itself never links Qt.

#include <string>

namespace CLI {
class App;
}

namespace tvk::cli {

// Registers the command; when it runs, `status` becomes 0 after the wizard closed, 1 when the
// plug-in cannot be loaded or the wizard cannot open.
void AddWizardCommand(CLI::App& app, int& status);

// $TAVISKO_PLUGIN, else libtavisko.so beside the running executable, else the installed one (in the
// library folder beside the executable's folder).
std::string PluginPath();

// Why no window can be shown here, or empty: a display server is needed and none is named.
std::string MissingDisplay();

}  // namespace tvk::cli
