#include <CLI/CLI.hpp>

#include "cli/CheckCommand.h"
#include "cli/CorrectCommand.h"
#include "cli/InfoCommand.h"
#include "cli/RowsCommand.h"
#include "cli/SamplesCommand.h"
#include "cli/WizardCommand.h"

int main(int argc, char** argv) {
  CLI::App app{"Tavisko: post-correction of water-level logs"};
  app.require_subcommand(1);
  int status = 0;
  tvk::cli::AddInfoCommand(app, status);
  tvk::cli::AddRowsCommand(app, status);
  tvk::cli::AddCheckCommand(app, status);
  tvk::cli::AddCorrectCommand(app, status);
  tvk::cli::AddSamplesCommand(app, status);
  tvk::cli::AddWizardCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version print and succeed; any other parse failure is a usage error.
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return status;
}
