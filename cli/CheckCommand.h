#pragma once
// `tavisko check FILE...`: whether each log can be post-corrected, and why not.

namespace CLI {
class App;
}

namespace tvk::cli {

// Registers the command; when it runs, `status` becomes 0 when every file was accepted, else 1.
void AddCheckCommand(CLI::App& app, int& status);

}  // namespace tvk::cli
