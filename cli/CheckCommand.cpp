#include "cli/CheckCommand.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "correction/LevelCorrector.h"

namespace tvk::cli {

void AddCheckCommand(CLI::App& app, int& status) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* check = app.add_subcommand("check", "Tell whether each log can be post-corrected, and why not");
  check->add_option("FILE", *files, "Log files (.vxl)")->required();
  check->callback([files, &status] {
    for (const std::string& file : *files) {
      std::string reason;
      const bool accepted = CheckLogFile(file, reason) == 1;
      std::cout << file << ": " << (accepted ? "ok" : reason) << '\n';
      if (!accepted) status = 1;
    }
  });
}

}  // namespace tvk::cli
