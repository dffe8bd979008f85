#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"Tavisko: post-correction of water-level logs"};
  app.require_subcommand(1);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
