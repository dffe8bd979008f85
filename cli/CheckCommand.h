#pragma once
// `tavisko check FILE...`: whether each log can be post-corrected, and why not.

#include <CLI/CLI.hpp>

namespace tvk::cli {

// Registers the command; when it runs, `exitCode` becomes 0 when every file was accepted, else 1.
void AddCheckCommand(CLI::App& app, int& exitCode);

}  // namespace tvk::cli
