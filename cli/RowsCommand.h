#pragma once
// `tavisko rows FILE`: the data rows as CSV.

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace tvk::cli {

void AddRowsCommand(CLI::App& app, int& status);

// Time (with the display settings, the heading naming the zone; or ISO 8601 with the display's offset
// when `iso`), then one column per channel, each value in the shortest text that reads back as the same
// float. 1 when the log cannot be read, is damaged (after the rows it holds) or `out` fails.
int RunRows(const std::string& path, bool iso, std::ostream& out, std::ostream& err);

}  // namespace tvk::cli
