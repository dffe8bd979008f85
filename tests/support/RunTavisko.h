#pragma once
// Runs the built `tavisko` command and captures what it prints.

#include <string>
#include <vector>

namespace tvk::test {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// `scratchFolder` receives the standard error file.
RunResult RunTavisko(const std::vector<std::string>& args, const std::string& scratchFolder);

}  // namespace tvk::test
