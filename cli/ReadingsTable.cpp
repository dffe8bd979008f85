#include "cli/ReadingsTable.h"

#include <fstream>

#include "cli/CorrectCommand.h"
#include "common/TextUtil.h"
#include "correction/CorrectionPass.h"

namespace tvk::cli {

namespace {

// One CSV line's fields: commas separate, a field in double quotes may hold commas and "" for a quote.
bool SplitCsvLine(const std::string& line, std::vector<std::string>& fields) {
  fields.assign(1, {});
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"' && Trim(fields.back()).empty()) {
      fields.back().clear();
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  for (std::string& field : fields) field = Trim(field);
  return !quoted;
}

}  // namespace

bool ParseReadingOption(const std::string& text, ManualReading& reading, std::string& reason) {
  const auto equals = text.find('=');
  double seconds = 0;
  if (equals == std::string::npos || !ParseIsoTime(text.substr(0, equals), seconds)) {
    reason = "not TIME=VALUE with an ISO 8601 UTC time: " + text;
    return false;
  }
  if (!ParseDecimalFloat(text.substr(equals + 1), reading.value)) {
    reason = "the value of a reading must be a decimal number: " + text;
    return false;
  }
  reading.time = TMSystem::DeviceTimeFromSeconds(seconds);
  return true;
}

bool ReadReadingsTable(const std::string& tablePath, const std::vector<std::string>& files,
                       std::map<std::string, std::vector<ManualReading>>& readings, std::string& reason) {
  std::ifstream in(tablePath);
  if (!in) {
    reason = tablePath + ": cannot be read";
    return false;
  }
  bool header = false;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string where = tablePath + ":" + std::to_string(number) + ": ";
    if (Trim(line).empty() || Trim(line).starts_with('#')) continue;
    std::vector<std::string> fields;
    if (!SplitCsvLine(line, fields) || fields.size() != 3) {
      reason = where + "not three fields file,time,value: " + line;
      return false;
    }
    if (!header) {
      if (fields != std::vector<std::string>{"file", "time", "value"}) {
        reason = where + "the header must be file,time,value";
        return false;
      }
      header = true;
      continue;
    }
    ManualReading reading;
    if (!ParseReadingOption(fields[1] + "=" + fields[2], reading, reason)) {
      reason = where + reason;
      return false;
    }
    const std::string* match = nullptr;
    for (const std::string& file : files) {
      if (file == fields[0]) match = &file;
    }
    for (const std::string& file : files) {
      if (match != nullptr && *match == fields[0]) break;
      if (GetFileNamePart(file) != fields[0]) continue;
      if (match != nullptr) {
        reason = where + fields[0] + " names more than one FILE; give its path as on the command line";
        return false;
      }
      match = &file;
    }
    if (match == nullptr) {
      reason = where + fields[0] + " is not a FILE of the command";
      return false;
    }
    readings[*match].push_back(reading);
  }
  if (!header) {
    reason = tablePath + ": no header file,time,value";
    return false;
  }
  return true;
}

}  // namespace tvk::cli
