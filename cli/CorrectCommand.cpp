#include "cli/CorrectCommand.h"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <future>
#include <iostream>
#include <memory>

#include <nlohmann/json.hpp>

#include "common/Calendar.h"
#include "common/LocalTime.h"
#include "common/TextUtil.h"
#include "correction/CorrectionChoices.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelCorrector.h"
#include "correction/OutputNaming.h"
#include "cli/ReadingsTable.h"
#include "common/Format.h"
#include "common/StringTable.h"
#include "cli/TimeText.h"

namespace tvk::cli {
namespace {

using json = nlohmann::ordered_json;

// The wizard's steps in their order, each option taking the place of what the step preselects.
bool ApplyOptions(CCorrectionPass& pass, const std::string& file, const CorrectOptions& options, std::string& reason) {
  if (options.mode && !pass.ChooseMode(*options.mode, reason)) return false;
  if (!pass.CanLeaveMode(reason)) {
    reason = "the log has no level measurement mode; give one with --mode";
    return false;
  }
  const auto rows = static_cast<long long>(pass.RowCount());
  int row = pass.ReferenceRow();
  const bool referenceGiven = options.reference || options.atRow || options.at || options.readings.contains(file);
  if (referenceGiven && !pass.NeedsReference()) {
    reason = pass.ReferenceRefusal();
    return false;
  }
  if (options.atRow) {
    if (*options.atRow < 0 || *options.atRow >= rows) {
      reason = "row " + std::to_string(*options.atRow) + " is not in the log (" + std::to_string(rows) + " rows)";
      return false;
    }
    row = static_cast<int>(*options.atRow);
  } else if (options.at) {
    double seconds = 0;
    ParseIsoTime(*options.at, seconds);
    // Compared as the reference page compares: at the resolution of the display texts.
    if (!pass.DataPointAt(TMSystem::DeviceTimeFromSeconds(seconds), DataPointDisplay(TakeDisplaySnapshot()), row, reason)) {
      return false;
    }
  }
  if (pass.NeedsReference() &&
      !pass.SetReference(row, options.reference.value_or(pass.Choices().referenceValue), reason)) {
    return false;
  }
  if (options.specificGravity && !pass.SetGravity(*options.specificGravity, reason)) return false;
  if (const auto readings = options.readings.find(file); readings != options.readings.end()) {
    const DataPointDisplay display(TakeDisplaySnapshot());
    if (!pass.SetReadings(readings->second, display, reason)) return false;
  }
  return pass.Apply(reason) != 0;
}

int CorrectWithProgress(CLevelCorrector& corrector, const std::string& file, bool progress) {
  if (!progress) return corrector.Correct();
  auto done = std::async(std::launch::async, [&corrector] { return corrector.Correct(); });
  while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
    std::fprintf(stderr, "\r%s: %3d%%", file.c_str(), corrector.GetProgress());
  }
  std::fprintf(stderr, "\r%s: %3d%%\n", file.c_str(), 100);
  return done.get();
}

std::string FloatText(float value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// A float as the JSON number its shortest text reads as (1.024, not 1.0240000486373901).
json FloatNumber(float value) { return std::strtod(FloatText(value).c_str(), nullptr); }

const char* ModeWords(std::uint16_t mode) {
  switch (mode) {
    case kModeDepth: return "pressure head";
    case kModeDepthToWater: return "depth to water";
    case kModeSurfaceElevation: return "elevation";
    default: return "no mode";
  }
}

bool HasReference(const LevelSettings& settings) {
  return NeedsReference(settings.GetUInt16(LevelField::kLevelMeasurementMode));
}

std::string ReferenceText(const LevelSettings& settings) {
  return FloatText(settings.GetFloat(LevelField::kLevelReferenceVal)) + " " +
         GetUnitAbbreviation(settings.GetUInt16(LevelField::kLevelUnitId));
}

json SettingsObject(const LevelSettings& settings) {
  json s = {{"mode", ModeWords(settings.GetUInt16(LevelField::kLevelMeasurementMode))}};
  if (settings.Has(LevelField::kLevelReferenceVal)) {
    s["reference"] = FloatNumber(settings.GetFloat(LevelField::kLevelReferenceVal));
    s["unit"] = GetUnitAbbreviation(settings.GetUInt16(LevelField::kLevelUnitId));
  }
  s["specific gravity"] = FloatNumber(settings.GetFloat(LevelField::kSpecificGravity));
  if (settings.IsDynamicDensityUsed()) s["dynamic density"] = true;
  return s;
}

// What one file's correction printed and reports.
struct Outcome {
  std::string output;  // the corrected log's path; empty when it failed
  std::string error;
  std::string lines;   // what was applied, and the readings, each line indented
  json document;
};

// The line of what was applied: the new mode, reference and specific gravity, each with what it replaced.
std::string DescribeApplied(const CLevelCorrector& corrector, const DataPointDisplay& display) {
  const LevelSettings& was = corrector.GetOriginalSettings();
  const LevelSettings& now = corrector.GetNewSettings();
  const std::uint16_t oldMode = was.GetUInt16(LevelField::kLevelMeasurementMode);
  const std::uint16_t newMode = now.GetUInt16(LevelField::kLevelMeasurementMode);
  std::string line = std::string("  ") + ModeWords(newMode);
  if (oldMode != newMode) line += std::string(" (was ") + ModeWords(oldMode) + ")";
  if (HasReference(now)) {
    line += ", reference " + ReferenceText(now);
    const int row = corrector.GetReferenceRowIndex();
    if (row >= 0 && static_cast<std::size_t>(row) < corrector.GetRowCount()) {
      line += " at " + display.Text(corrector.RowTimes()[static_cast<std::size_t>(row)]);
    } else if (was.GetUInt16(LevelField::kLevelReferenceMode) == kReferenceAtStartOfTest) {
      line += " at the start of the test";
    }
    if (!was.Has(LevelField::kLevelReferenceVal)) {
      line += " (was none)";
    } else if (ReferenceText(was) != ReferenceText(now)) {
      line += " (was " + ReferenceText(was) + ")";
    }
  }
  if (now.IsDynamicDensityUsed()) {
    line += ", specific gravity by dynamic density";
  } else {
    const std::string gravity = FloatText(now.GetFloat(LevelField::kSpecificGravity));
    const std::string oldGravity = FloatText(was.GetFloat(LevelField::kSpecificGravity));
    line += ", specific gravity " + gravity + (gravity != oldGravity ? " (was " + oldGravity + ")" : "");
  }
  return line;
}

// The lines and the report of a corrected log: what was applied, then one line per manual reading at
// its row's time as displayed.
void DescribeCorrection(const CLevelCorrector& corrector, Outcome& outcome) {
  const DataPointDisplay display(TakeDisplaySnapshot());
  const RowTimeList times = corrector.RowTimes();
  outcome.lines = "\n" + DescribeApplied(corrector, display);
  outcome.document["old"] = SettingsObject(corrector.GetOriginalSettings());
  outcome.document["new"] = SettingsObject(corrector.GetNewSettings());
  const int row = corrector.GetReferenceRowIndex();
  if (HasReference(corrector.GetNewSettings()) && row >= 0 && static_cast<std::size_t>(row) < times.size()) {
    outcome.document["data point"] = {{"row", row}, {"time", IsoUtcTime(times[static_cast<std::size_t>(row)])}};
  }
  const std::string unit = GetUnitAbbreviation(corrector.GetNewSettings().GetUInt16(LevelField::kLevelUnitId));
  json readings = json::array();
  for (const ReadingOutcome& reading : corrector.GetReadingOutcomes()) {
    const TMSystem::CTMDeviceTime time = times[static_cast<std::size_t>(reading.row)];
    outcome.lines += StrFormat("\n  manual reading at %s: %g %s, logged %g %s, drift correction %+g %s",
                               display.Text(time).c_str(), static_cast<double>(reading.manual), unit.c_str(),
                               static_cast<double>(reading.logged), unit.c_str(), reading.drift, unit.c_str());
    readings.push_back({{"row", reading.row},
                        {"time", IsoUtcTime(time)},
                        {"manual", FloatNumber(reading.manual)},
                        {"logged", FloatNumber(reading.logged)},
                        {"drift correction", reading.drift}});
  }
  if (!readings.empty()) outcome.document["readings"] = std::move(readings);
}

Outcome CorrectOne(const std::string& file, const CorrectOptions& options) {
  Outcome outcome;
  outcome.document = {{"file", file}};
  const auto fail = [&outcome](std::string reason) {
    outcome.error = std::move(reason);
    outcome.document["error"] = outcome.error;
    return outcome;
  };
  std::string reason;
  if (!CheckLogFile(file, reason)) return fail(reason.empty() ? "the log cannot be corrected" : reason);
  auto shared = std::make_shared<CLevelCorrector>();
  CLevelCorrector& corrector = *shared;
  if (!corrector.Open(file, CLevelCorrector::Rows::kStreamed)) return fail(corrector.GetErrorText());
  CCorrectionPass pass(shared);
  if (!ApplyOptions(pass, file, options, reason) || !CorrectWithProgress(corrector, file, options.progress)) {
    return fail(reason.empty() ? corrector.GetErrorText() : reason);
  }
  const std::string folder = options.outputDir.empty() ? DefaultOutputFolder(file) : options.outputDir;
  const COutputFolder output(folder);  // removed again if this correction leaves it empty
  if (!output.Error().empty()) return fail("cannot create the folder " + folder + ": " + output.Error());
  if (!corrector.SaveCorrected(folder)) {
    return fail("cannot write the corrected log into " + folder + ": " + corrector.GetErrorText());
  }
  outcome.output = CombinePath(TrimTrailingSeparators(folder), corrector.GetOutputName());
  outcome.document["output"] = outcome.output;
  DescribeCorrection(corrector, outcome);
  return outcome;
}

}  // namespace

bool ParseIsoTime(const std::string& text, double& seconds) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  double second = 0;
  char zone = 0;
  int used = 0;
  const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%c%n", &year, &month, &day, &hour, &minute,
                                 &second, &zone, &used);
  const bool zoned = fields == 7 && zone == 'Z' && static_cast<std::size_t>(used) == text.size();
  if (!(fields == 6 || zoned) || second < 0 || second >= 60 || text.find_first_of("+-", 10) != std::string::npos) {
    return false;
  }
  const auto ticks = SystemTimeToFileTime(MakeSystemTime(year, month, day, hour, minute, 0));
  if (!ticks || *ticks < kUnixEpochFileTime) return false;
  seconds = static_cast<double>((*ticks - kUnixEpochFileTime) / kTicksPerSecond) + second;
  return true;
}

int RunCorrect(const std::vector<std::string>& files, const CorrectOptions& options, std::ostream& out,
               std::ostream& err) {
  int status = 0;
  json documents = json::array();
  for (const std::string& file : files) {
    if (!options.readingsTable.empty() && !options.readings.contains(file)) {
      err << file << ": no manual readings in " << options.readingsTable << "; corrected without them\n";
    }
    Outcome outcome = CorrectOne(file, options);
    if (!outcome.error.empty()) {
      err << file << ": " << outcome.error << "\n";
      status = 1;
    } else if (options.report != CorrectOptions::Report::kJson) {
      out << outcome.output << (options.report == CorrectOptions::Report::kText ? outcome.lines : "") << "\n";
    }
    documents.push_back(std::move(outcome.document));
  }
  // Paths need not be valid UTF-8: such bytes are written as U+FFFD rather than failing the report.
  if (options.report == CorrectOptions::Report::kJson) {
    out << documents.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  }
  return status;
}

void AddCorrectCommand(CLI::App& app, int& status) {
  struct Inputs {
    std::vector<std::string> files;
    std::string mode, sg, at, reference;
    long long atRow = -1;
    std::string outputDir;
    std::vector<std::string> readings;
    std::string readingsTable;
    bool quiet = false, json = false;
  };
  auto in = std::make_shared<Inputs>();
  CLI::App* command = app.add_subcommand("correct", "Post-correct logs into \"Post Corrected Files\"");
  command->add_option("FILE", in->files, "Log files")->required();
  command->add_option("--mode", in->mode, "New level measurement mode")
      ->check(CLI::IsMember({"pressure-head", "depth-to-water", "elevation"}));
  auto* reference = command->add_option("--reference", in->reference, "New level reference, in the level unit")
                        ->check([](const std::string& text) {
                          float value = 0;
                          return ParseDecimalFloat(text, value) ? std::string()
                                                                : "the reference must be a decimal number: " + text;
                        });
  auto* atRow = command->add_option("--at-row", in->atRow, "Reference data point by row index");
  auto* at = command->add_option("--at", in->at, "Reference data point nearest this UTC time (ISO 8601)")
                 ->check([](const std::string& text) {
                   double seconds = 0;
                   return ParseIsoTime(text, seconds) ? std::string() : "not an ISO 8601 UTC time: " + text;
                 });
  atRow->excludes(at);
  command->add_option("--sg", in->sg, "Specific gravity: fresh, brackish, sea or a value")
      ->check([](const std::string& text) {
        if (text == "fresh" || text == "brackish" || text == "sea") return std::string();
        float value = 0;
        return ParseDecimalFloat(text, value) && SpecificGravityRefusal(value).empty()
                   ? std::string()
                   : "specific gravity must be fresh, brackish, sea or a positive decimal number: " + text;
      });
  auto* readings = command->add_option("--reading", in->readings,
                                       "A manual reading TIME=VALUE (ISO 8601 UTC, level unit); repeat for more")
                       ->check([](const std::string& text) {
                         ManualReading reading;
                         std::string reason;
                         return ParseReadingOption(text, reading, reason) ? std::string() : reason;
                       });
  auto* table = command->add_option("--readings", in->readingsTable,
                                    "CSV of manual readings for the FILEs: file,time,value");
  for (CLI::Option* manual : {readings, table}) manual->excludes(at)->excludes(atRow)->excludes(reference);
  readings->excludes(table);
  command->add_option("--output-dir", in->outputDir, "Folder for the corrected logs");
  auto* quiet = command->add_flag("--quiet,-q", in->quiet, "Print only the output path of each corrected log");
  auto* asJson = command->add_flag("--json", in->json, "Print an object per file: output, old and new settings, readings, error");
  quiet->excludes(asJson);
  command->callback([in, reference, atRow, at, readings, table, &status] {
    CorrectOptions options;
    if (!in->mode.empty()) {
      options.mode = in->mode == "pressure-head" ? kModeDepth : in->mode == "depth-to-water" ? kModeDepthToWater
                                                                                            : kModeSurfaceElevation;
    }
    float value = 0;
    if (reference->count() > 0 && ParseDecimalFloat(in->reference, value)) options.reference = value;
    if (atRow->count() > 0) options.atRow = in->atRow;
    if (at->count() > 0) options.at = in->at;
    if (in->sg == "fresh") {
      options.specificGravity = kFreshWaterSpecificGravity;
    } else if (in->sg == "brackish") {
      options.specificGravity = kBrackishWaterSpecificGravity;
    } else if (in->sg == "sea") {
      options.specificGravity = kSeaWaterSpecificGravity;
    } else if (ParseDecimalFloat(in->sg, value)) {
      options.specificGravity = value;
      if (IsUnusualSpecificGravity(value)) {
        std::cerr << "warning: specific gravity " << in->sg << " is outside 0.9 to 1.3\n";
      }
    }
    // Options that cannot act on the chosen mode are refused, not ignored.
    if (options.mode == kModeDepth) {
      for (const CLI::Option* option : {reference, atRow, at, readings, table}) {
        if (option->count() > 0) {
          throw CLI::ValidationError(option->get_name(), "acts on depth to water and elevation only, not with --mode pressure-head");
        }
      }
    }
    if (readings->count() > 0 || table->count() > 0) {
      if (readings->count() > 0 && in->files.size() != 1) {
        throw CLI::ValidationError("--reading", "takes exactly one FILE; give several logs their readings with --readings");
      }
      std::string reason;
      for (const std::string& text : in->readings) {
        ManualReading reading;
        if (ParseReadingOption(text, reading, reason)) options.readings[in->files.front()].push_back(reading);
      }
      if (table->count() > 0 && !ReadReadingsTable(in->readingsTable, in->files, options.readings, reason)) {
        throw CLI::ValidationError("--readings", reason);
      }
      options.readingsTable = in->readingsTable;
    }
    options.outputDir = in->outputDir;
    if (in->quiet) options.report = CorrectOptions::Report::kQuiet;
    if (in->json) options.report = CorrectOptions::Report::kJson;
    options.progress = ::isatty(STDERR_FILENO) != 0;
    status = RunCorrect(in->files, options, std::cout, std::cerr);
  });
}

}  // namespace tvk::cli
