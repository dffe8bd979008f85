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

namespace tvk::cli {
namespace {

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

// The lines that follow an output path: one per manual reading, at its row's time as displayed.
std::string DescribeReadings(const CLevelCorrector& corrector) {
  const DataPointDisplay display(TakeDisplaySnapshot());
  const std::string unit = GetUnitAbbreviation(corrector.GetNewSettings().GetUInt16(LevelField::kLevelUnitId));
  std::string lines;
  for (const ReadingOutcome& reading : corrector.GetReadingOutcomes()) {
    lines += StrFormat("\n  manual reading at %s: %g %s, logged %g %s, drift correction %+g %s",
                       display.Text(corrector.RowTimes()[static_cast<std::size_t>(reading.row)]).c_str(),
                       static_cast<double>(reading.manual), unit.c_str(), static_cast<double>(reading.logged),
                       unit.c_str(), reading.drift, unit.c_str());
  }
  return lines;
}

bool CorrectOne(const std::string& file, const CorrectOptions& options, std::string& result) {
  std::string reason;
  if (!CheckLogFile(file, reason)) {
    result = reason.empty() ? "the log cannot be corrected" : reason;
    return false;
  }
  auto shared = std::make_shared<CLevelCorrector>();
  CLevelCorrector& corrector = *shared;
  if (!corrector.Open(file, CLevelCorrector::Rows::kStreamed)) {
    result = corrector.GetErrorText();
    return false;
  }
  CCorrectionPass pass(shared);
  if (!ApplyOptions(pass, file, options, reason) || !CorrectWithProgress(corrector, file, options.progress)) {
    result = reason.empty() ? corrector.GetErrorText() : reason;
    return false;
  }
  const std::string folder = options.outputDir.empty() ? DefaultOutputFolder(file) : options.outputDir;
  const COutputFolder output(folder);  // removed again if this correction leaves it empty
  if (!output.Error().empty()) {
    result = "cannot create the folder " + folder + ": " + output.Error();
    return false;
  }
  if (!corrector.SaveCorrected(folder)) {
    result = "cannot write the corrected log into " + folder + ": " + corrector.GetErrorText();
    return false;
  }
  result = CombinePath(TrimTrailingSeparators(folder), corrector.GetOutputName()) + DescribeReadings(corrector);
  return true;
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
  for (const std::string& file : files) {
    if (!options.readingsTable.empty() && !options.readings.contains(file)) {
      err << file << ": no manual readings in " << options.readingsTable << "; corrected without them\n";
    }
    std::string result;
    if (CorrectOne(file, options, result)) {
      out << result << "\n";
    } else {
      err << file << ": " << result << "\n";
      status = 1;
    }
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
    options.progress = ::isatty(STDERR_FILENO) != 0;
    status = RunCorrect(in->files, options, std::cout, std::cerr);
  });
}

}  // namespace tvk::cli
