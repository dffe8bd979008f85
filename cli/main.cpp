#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/CheckCommand.h"
#include "cli/CorrectCommand.h"
#include "cli/InfoCommand.h"
#include "cli/RowsCommand.h"
#include "cli/SamplesCommand.h"
#include "cli/StandardOutput.h"
#include "common/StringTable.h"
#include "platform/SystemInfo.h"
#include "cli/WizardCommand.h"

int main(int argc, char** argv) {
  tvk::cli::UseCheckedStandardOutput();
  // Loaded here, on the thread that shows its warning, before any worker needs a text.
  tvk::LoadSystemStringTable();
  // Named, so help shows the command as a user types it rather than the path it was started by.
  CLI::App app{"Tavisko: post-correction of water-level logs", "tavisko"};
  app.set_version_flag("-v,--version", tvk::platform::ExecutableVersion());
  app.require_subcommand(1);
  int status = 0;
  // What a user types first: `tavisko help`, `tavisko version`.
  app.add_subcommand("help", "Show this help")->callback([&app] {
    std::cout << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal);
  });
  app.add_subcommand("version", "Show the version")->callback([] {
    std::cout << tvk::platform::ExecutableVersion() << "\n";
  });
  tvk::cli::AddInfoCommand(app, status);
  tvk::cli::AddRowsCommand(app, status);
  tvk::cli::AddCheckCommand(app, status);
  tvk::cli::AddCorrectCommand(app, status);
  tvk::cli::AddSamplesCommand(app, status);
  tvk::cli::AddWizardCommand(app, status);
  // Otherwise a mistyped command is reported as a missing one.
  if (argc > 1 && argv[1][0] != '-') {
    try {
      app.get_subcommand(argv[1]);
    } catch (const CLI::OptionNotFound&) {
      std::cerr << "Unknown command: " << argv[1] << "\nRun with --help for the commands.\n";
      return 2;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version print and succeed; any other parse failure is a usage error.
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return tvk::cli::FinishStandardOutput(status);
}
