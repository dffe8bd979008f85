#include "cli/RowsCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <iostream>
#include <memory>

#include "cli/InfoCommand.h"
#include "cli/TimeText.h"
#include "common/LocalTime.h"
#include "common/StringTable.h"
#include "correction/LevelCorrector.h"
#include "logfile/LogFile.h"

namespace tvk::cli {
namespace {

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

int RunRows(const std::string& path, bool iso, std::ostream& out, std::ostream& err) {
  if (const std::string reason = UnreachableFileReason(path); !reason.empty()) {
    err << path << ": " << reason << "\n";
    return 1;
  }
  TMSystem::CTMLogFile log;
  const ResultCode rc = log.Load(path, TMSystem::kLoadOnDemand);
  if (Failed(rc)) {
    err << FailureLine(path, rc) << "\n";
    return 1;
  }
  // One snapshot of the display settings for the whole export: every row is formatted alike, and the
  // settings are not read again for each of a million rows.
  const DisplaySnapshot display = TakeDisplaySnapshot();
  std::vector<TMSystem::CTMChannelInfo> channels;
  log.GetChannels(channels);
  // The zone the times are in; ISO times carry their own offset.
  out << (iso ? std::string("Time") : CsvField("Time (" + DisplayZoneText(display) + ")"));
  for (const auto& ch : channels) {
    out << "," << CsvField(ParameterName(ch.parameterId) + " (" + GetUnitAbbreviation(ch.unitId) + ")");
  }
  out << "\n";
  // A damaged log gives the rows it holds, then says what is wrong.
  const std::string damage = DescribeDataDamage(log);
  const TMSystem::CTMDataIntegrity integrity = log.GetDataIntegrity();
  const std::uint32_t rowCount =
      integrity.cutShort ? std::min(log.GetRowCount(), integrity.rowsPresent) : log.GetRowCount();
  TMSystem::CTMDataRow row;
  std::string line;
  std::uint32_t i = 0;
  for (; i < rowCount && out; ++i) {
    if (const ResultCode rowRc = log.GetRow(i, row); Failed(rowRc)) {
      if (damage.empty()) err << FailureLine(path, rowRc) << " (row " << i << ")\n";
      break;
    }
    line = iso ? IsoTime(row.time, DisplayOffsetMinutes(row.time, display))
               : CsvField(FormatDateTime(TMSystem::DeviceTimeToSystemTime(row.time), display));
    for (const auto& value : row.values) {
      // The shortest text that reads back as the same float: the export is the data itself.
      char text[32];
      line += ',';
      line.append(text, std::to_chars(text, text + sizeof text, value.value).ptr);
    }
    line += '\n';
    out << line;
  }
  if (!out) return 1;  // the caller reports the failed write
  if (!damage.empty()) err << path << ": " << damage << "\n";
  return damage.empty() && i == rowCount ? 0 : 1;
}

void AddRowsCommand(CLI::App& app, int& status) {
  auto file = std::make_shared<std::string>();
  auto iso = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand("rows", "Write the data rows of a log as CSV");
  command->add_option("FILE", *file, "Log file")->required();
  command->add_flag("--iso", *iso, "Times in ISO 8601 with the display's offset from UTC");
  command->callback([file, iso, &status] { status = RunRows(*file, *iso, std::cout, std::cerr); });
}

}  // namespace tvk::cli
