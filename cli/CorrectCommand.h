#pragma once
// `tavisko correct FILE...`: batch post-correction, doing for each log what the wizard does.

#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "correction/ManualReadings.h"

namespace CLI {
class App;
}

namespace tvk::cli {

struct CorrectOptions {
  std::optional<std::uint16_t> mode;       // 3, 4 or 5; the log's own when absent
  std::optional<float> reference;          // the log's own when absent
  std::optional<long long> atRow;          // the reference data point by row
  std::optional<std::string> at;           // ... or by time (ISO 8601, UTC)
  std::optional<float> specificGravity;    // the log's own when absent
  // Manual readings per FILE as given, in place of the reference options; `readingsTable` names the
  // table they came from (a FILE it leaves out is corrected without readings, and told so).
  std::map<std::string, std::vector<ManualReading>> readings;
  std::string readingsTable;
  std::string outputDir;                   // "Post Corrected Files" beside each log when empty
  bool progress = false;                   // report progress on standard error
  // What is printed per file: the output path and what was applied, the path alone, or JSON.
  enum class Report { kText, kQuiet, kJson } report = Report::kText;
};

void AddCorrectCommand(CLI::App& app, int& status);

// Corrects every file in turn. Per corrected file `out` gets the output path on a line of its own, then
// (unless quiet) an indented line of what was applied and one per manual reading; a failed file is a
// line on `err`, the file and the reason. As JSON, `out` gets one array of an object per file.
// 0 when every file was corrected, 1 otherwise.
int RunCorrect(const std::vector<std::string>& files, const CorrectOptions& options, std::ostream& out,
               std::ostream& err);

// "2011-03-13T07:06:40Z" (the Z and the seconds' fraction optional) as seconds since 1970; false when
// the text is no such time.
bool ParseIsoTime(const std::string& text, double& seconds);

}  // namespace tvk::cli
