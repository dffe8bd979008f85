#pragma once
// `tavisko samples DIR`: a realistic "Site Data" folder of sample logs.

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace tvk::cli {

void AddSamplesCommand(CLI::App& app, int& status);

// Writes DIR/Site Data/<site>/<log>.vxl and lists each file written; 1 when a file cannot be written.
// Refuses (1, naming them) when any of the files exists already, unless `force`.
int WriteSamples(const std::string& folder, bool force, std::ostream& out, std::ostream& err);

}  // namespace tvk::cli
