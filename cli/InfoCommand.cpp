#include "cli/InfoCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <system_error>

#include "common/Calendar.h"
#include "common/Format.h"
#include "common/Guid.h"
#include "common/LocalTime.h"
#include "common/ResultMessages.h"
#include "common/StringTable.h"
#include "correction/LevelCorrector.h"
#include "logfile/LogFile.h"
#include "logfile/LogFileReader.h"
#include "logfile/notes/StdNote.h"
#include "platform/File.h"

namespace tvk::cli {

using json = nlohmann::ordered_json;

namespace {

std::string IsoTime(FileTime ticks) {
  const auto time = FileTimeToSystemTime(ticks);
  if (!time) return StrFormat("invalid (0x%016llX)", static_cast<unsigned long long>(ticks));
  return StrFormat("%04d-%02d-%02dT%02d:%02d:%02dZ", time->year, time->month, time->day, time->hour,
                   time->minute, time->second);
}

std::string DisplayTime(const TMSystem::CTMDeviceTime& time) {
  return FormatDateTime(TMSystem::DeviceTimeToSystemTime(time));
}

const char* TypeName(std::uint32_t code) {
  static constexpr const char* kNames[] = {"empty",  "uint8",    "int16",    "uint16", "int32",
                                           "uint32", "float32",  "float64",  "char16", "string",
                                           "time",   "uint32-2", "uint32-3", "guid",   "char8"};
  return code < std::size(kNames) ? kNames[code] : "unknown";
}

json ContainerSection(const TMSystem::CTMLogFileReader& reader) {
  const bool binary = !reader.IsTextForm();
  json s;
  s["form"] = binary ? "binary" : "text";
  if (binary) {
    s["creator user"] = reader.CreatorUserName();
    s["creator computer"] = reader.CreatorComputerName();
    s["created"] = IsoTime(reader.CreationTime());
  }
  const auto add = [&](const char* name, std::int64_t pos, std::uint32_t size) {
    if (binary) s[std::string(name) + " position"] = pos;
    s[std::string(name) + " size"] = size;
  };
  add("configuration", reader.ConfigurationPos(), reader.ConfigurationSize());
  add("notes", reader.NotesPos(), reader.NotesSize());
  add("log data", reader.LogDataPos(), reader.LogDataSize());
  return s;
}

json LogSection(const TMSystem::CTMLogFile& log) {
  json s;
  s["name"] = log.GetLogName();
  s["guid"] = GuidToText(log.LogGuid());
  s["type"] = log.LogType();
  s["format version"] = log.FormatVersion();
  return s;
}

json ConfigurationSection(const TMSystem::CTMLogFile& log) {
  std::vector<TMSystem::CTMConfigEntry> entries;
  json list = json::array();
  if (Failed(log.GetEntries(entries))) return list;
  for (const auto& entry : entries) {
    list.push_back({{"key", entry.key}, {"type", TypeName(entry.value.TypeCode())},
                    {"value", TMSystem::VariantToText(entry.value)}});
  }
  return list;
}

json SiteSection(const TMSystem::CTMSiteHeader& h) {
  return {{"name", h.siteName}, {"version", h.version}, {"word1", h.word1}, {"text1", h.text1}};
}

json ChannelsSection(const TMSystem::CTMLogFile& log) {
  std::vector<TMSystem::CTMChannelInfo> channels;
  json list = json::array();
  log.GetChannels(channels);
  for (const auto& ch : channels) {
    list.push_back({{"column", ch.columnIndex},
                    {"parameter", ParameterName(ch.parameterId)},
                    {"unit", GetUnitName(ch.unitId)},
                    {"unit abbreviation", GetUnitAbbreviation(ch.unitId)},
                    {"parameter id", ch.parameterId},
                    {"unit id", ch.unitId},
                    {"sensor id", ch.sensorId},
                    {"sensor serial", ch.sensorSerialNumber}});
  }
  return list;
}

// "1 h", "15 min", "1 h 30 min", "0.5 s": a time step, in 1/65536 s.
std::string DurationText(std::int64_t step) {
  if (step < 0) return "-" + DurationText(-step);
  if (step % 65536 != 0) return StrFormat("%g s", static_cast<double>(step) / 65536.0);
  const std::int64_t seconds = step / 65536;
  if (seconds == 0) return "0 s";
  std::string text;
  const auto add = [&text](std::int64_t value, const char* unit) {
    if (value == 0) return;
    text += (text.empty() ? "" : " ") + std::to_string(value) + " " + unit;
  };
  add(seconds / 86400, "d");
  add(seconds / 3600 % 24, "h");
  add(seconds / 60 % 60, "min");
  add(seconds % 60, "s");
  return text;
}

// The time from one row to the next: one step ("1 h"), or the least and the greatest ("from 1 s to 1 h").
// Empty for fewer than two rows or when the rows cannot be read.
std::string RecordingInterval(TMSystem::CTMLogFile& log, std::uint32_t rows) {
  const std::uint32_t stride = TMSystem::RowFileSize(log.GetColumnCount());
  const std::uint32_t perChunk = std::max<std::uint32_t>(1, (1U << 20) / stride);
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(perChunk, rows)) * stride);
  std::int64_t least = 0, greatest = 0, previous = 0;
  for (std::uint32_t first = 0; first < rows; first += perChunk) {
    const std::uint32_t n = std::min(perChunk, rows - first);
    if (Failed(log.ReadRowBytes(first, n, chunk.data()))) return {};
    for (std::uint32_t r = 0; r < n; ++r) {
      const TMSystem::CTMDeviceTime time = TMSystem::RowCodec::DecodeTime(chunk.data() + std::size_t{r} * stride);
      const std::int64_t at = std::int64_t{time.seconds} * 65536 + time.fraction;
      const std::uint32_t k = first + r;
      if (k == 1 || (k > 1 && at - previous < least)) least = at - previous;
      if (k == 1 || (k > 1 && at - previous > greatest)) greatest = at - previous;
      previous = at;
    }
  }
  if (rows < 2) return {};
  return least == greatest ? DurationText(least) : "from " + DurationText(least) + " to " + DurationText(greatest);
}

// A damaged data block adds the rows the file holds and what is wrong; `last` is then the last row held.
json RowsSection(TMSystem::CTMLogFile& log, const std::string& damage) {
  json s;
  const std::uint32_t count = log.GetRowCount();
  s["count"] = count;
  const TMSystem::CTMDataIntegrity integrity = log.GetDataIntegrity();
  const std::uint32_t present = integrity.cutShort ? std::min(count, integrity.rowsPresent) : count;
  if (integrity.cutShort) s["present"] = present;
  if (!damage.empty()) s["damage"] = damage;
  TMSystem::CTMDeviceTime time;
  if (present > 0 && log.GetRowTime(0, time) == kOk) s["first"] = DisplayTime(time);
  if (present > 0 && log.GetRowTime(present - 1, time) == kOk) s["last"] = DisplayTime(time);
  if (const std::string interval = RecordingInterval(log, present); !interval.empty()) s["interval"] = interval;
  return s;
}

json NotesSection(const TMSystem::CTMLogFile& log) {
  json list = json::array();
  for (std::size_t i = 0; i < log.GetNoteCount(); ++i) {
    const TMSystem::CTMLogNotesRecord record = log.GetNote(i);
    std::unique_ptr<TMSystem::CTMStdNote> note;
    json entry = {{"time", DisplayTime(record.time)}, {"type", record.type}};
    if (record.type == 0) entry["sub-type"] = record.subType;
    const ResultCode rc = TMSystem::CreateNoteFromRecord(record, note);
    entry["text"] = Succeeded(rc) ? note->GetDisplayText() : "(" + GetResultCodeMessage(rc) + ")";
    list.push_back(std::move(entry));
  }
  return list;
}

std::string ScalarText(const json& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
}

// An array element as one line: its values in order, the first two joined by a colon.
std::string ElementLine(const json& element) {
  std::string line;
  for (const auto& [name, value] : element.items()) {
    if (!line.empty()) line += "  ";
    std::string text = ScalarText(value);
    for (char& c : text) c = c == '\n' ? '|' : c;
    line += text;
  }
  return line;
}

}  // namespace

std::string FailureLine(const std::string& path, ResultCode code) {
  return path + ": error " + StrFormat("0x%08X", static_cast<unsigned>(code)) + ": " + GetResultCodeMessage(code);
}

std::string UnreachableFileReason(const std::string& path) {
  platform::FileIdentity identity;
  const int error = platform::ReadFileIdentity(path.c_str(), identity);
  return error == 0 ? std::string() : std::generic_category().message(error);
}

FileInfo CollectInfo(const std::string& path) {
  FileInfo info;
  info.path = path;
  if (info.systemError = UnreachableFileReason(path); !info.systemError.empty()) {
    info.code = kFileNotFound;
    return info;
  }
  try {
    {
      TMSystem::CTMLogFileReader reader;
      info.code = reader.Open(path);
      if (Failed(info.code)) return info;
      info.report["container"] = ContainerSection(reader);
    }
    TMSystem::CTMLogFile log;
    const ResultCode rc = log.Load(path, TMSystem::kLoadOnDemand);
    if (Failed(rc) && !log.IsLoaded()) {
      info.code = rc;
      return info;
    }
    info.report["log"] = LogSection(log);
    info.report["configuration"] = ConfigurationSection(log);
    TMSystem::CTMSiteHeader header;
    log.GetSiteHeader(header);
    info.report["site"] = SiteSection(header);
    info.report["channels"] = ChannelsSection(log);
    info.damage = DescribeDataDamage(log);
    info.report["rows"] = RowsSection(log, info.damage);
    info.report["notes"] = NotesSection(log);
    if (Failed(rc)) info.code = rc;  // configuration and notes shown, the data could not be read
  } catch (const std::exception&) {
    info.code = kUnexpected;
  }
  return info;
}

void PrintInfoText(const FileInfo& info, std::ostream& out, std::ostream& err) {
  if (!info.report.empty()) {
    out << info.path << "\n";
    for (const auto& [title, section] : info.report.items()) {
      out << "  " << title << "\n";
      if (section.is_array()) {
        for (const json& element : section) out << "    " << ElementLine(element) << "\n";
      } else {
        for (const auto& [name, value] : section.items()) out << "    " << name << ": " << ScalarText(value) << "\n";
      }
    }
  }
  if (!info.systemError.empty()) {
    err << info.path << ": " << info.systemError << "\n";
  } else if (Failed(info.code)) {
    err << FailureLine(info.path, info.code) << "\n";
  }
  if (!info.damage.empty()) err << info.path << ": " << info.damage << "\n";
}

int RunInfo(const std::vector<std::string>& files, bool asJson, std::ostream& out, std::ostream& err) {
  int status = 0;
  json documents = json::array();
  for (const std::string& path : files) {
    const FileInfo info = CollectInfo(path);
    if (Failed(info.code) || !info.damage.empty()) status = 1;
    if (!asJson) {
      PrintInfoText(info, out, err);
      continue;
    }
    json document = {{"file", path}};
    if (!info.systemError.empty()) {
      document["error"] = {{"message", info.systemError}};
      err << info.path << ": " << info.systemError << "\n";
    } else if (Failed(info.code)) {
      document["error"] = {{"code", StrFormat("0x%08X", static_cast<unsigned>(info.code))},
                           {"message", GetResultCodeMessage(info.code)}};
      err << FailureLine(info.path, info.code) << "\n";
    }
    if (!info.damage.empty()) err << info.path << ": " << info.damage << "\n";
    for (const auto& [title, section] : info.report.items()) document[title] = section;
    documents.push_back(std::move(document));
  }
  // Paths and texts from a log need not be valid UTF-8 (an unpaired surrogate in a name, a path in
  // another encoding): such bytes are written as U+FFFD rather than failing the whole report.
  if (asJson) out << documents.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  return status;
}

void AddInfoCommand(CLI::App& app, int& status) {
  auto files = std::make_shared<std::vector<std::string>>();
  auto asJson = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand("info", "Show what each log file holds");
  command->add_option("FILE", *files, "Log files")->required();
  command->add_flag("--json", *asJson, "Print the report as JSON");
  command->callback([files, asJson, &status] { status = RunInfo(*files, *asJson, std::cout, std::cerr); });
}

}  // namespace tvk::cli
