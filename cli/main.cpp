#include <CLI/CLI.hpp>

#include "cli/InfoCommand.h"
#include "cli/RowsCommand.h"
#include "cli/SamplesCommand.h"

int main(int argc, char** argv) {
  CLI::App app{"Tavisko: post-correction of water-level logs"};
  app.require_subcommand(1);
  int status = 0;
  tvk::cli::AddInfoCommand(app, status);
  tvk::cli::AddRowsCommand(app, status);
  tvk::cli::AddSamplesCommand(app, status);
  CLI11_PARSE(app, argc, argv);
  return status;
}
