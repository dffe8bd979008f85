#include <CLI/CLI.hpp>

#include "cli/CheckCommand.h"
#include "cli/InfoCommand.h"
#include "cli/RowsCommand.h"

int main(int argc, char** argv) {
  CLI::App app{"Tavisko: post-correction of water-level logs"};
  app.require_subcommand(1);
  int status = 0;
  tvk::cli::AddInfoCommand(app, status);
  tvk::cli::AddRowsCommand(app, status);
  tvk::cli::AddCheckCommand(app, status);
  CLI11_PARSE(app, argc, argv);
  return status;
}
