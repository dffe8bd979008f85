#include "cli/SamplesCommand.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <numbers>
#include <system_error>

#include "cli/InfoCommand.h"
#include "common/TextUtil.h"
#include "logfile/LogFile.h"
#include "logfile/notes/LevelNotes.h"
#include "logfile/notes/UserNotes.h"
#include "platform/File.h"

namespace tvk::cli {
namespace {

using TMSystem::CTMDeviceTime;
using TMSystem::CTMLogNotesRecord;

constexpr double kMetresOfWaterPerPsi = 0.70307;
constexpr double kFeetPerMetre = 3.28084;
constexpr std::uint16_t kPsi = 17;
constexpr std::uint16_t kMetres = 35;
constexpr std::uint16_t kFeet = 38;
constexpr std::uint16_t kCelsius = 1;
constexpr double kDay = 86400.0;

// A reference set again on the device while logging: from `seconds` on, the level reads `level`.
struct ReferenceReset {
  double seconds;
  double level;  // in the log's level unit
};

struct SampleLog {
  std::string site;
  std::string logName;
  std::uint16_t mode = 3;  // 3 depth, 4 depth to water, 5 elevation
  std::uint16_t levelUnit = kMetres;
  float specificGravity = 1.0f;
  float reference = 0.0f;  // the level reference, in the level unit (modes 4 and 5)
  std::uint16_t referenceMode = 3;
  std::uint32_t start = 1'300'000'000;  // 2011-03-13
  double interval = 60.0;
  std::uint32_t rows = 1000;
  std::function<double(double)> waterColumn;  // metres of water over the sensor at a time (s)
  float dynamicDensity = 0.0f;
  bool baroAdjusted = false;
  bool allLogNotes = true;  // the marker the logger writes for a level log in modes 4 and 5
  bool alreadyCorrected = false;
  std::vector<ReferenceReset> resets;
  std::vector<std::pair<double, std::string>> textNotes;
};

CTMDeviceTime At(const SampleLog& s, double seconds) {
  return TMSystem::DeviceTimeFromSeconds(s.start + seconds);
}

CTMLogNotesRecord Stamped(const TMSystem::CTMStdNote& note, const CTMDeviceTime& time) {
  CTMLogNotesRecord record = note.GetRecord();
  record.time = time;
  return record;
}

double ToLevelUnit(const SampleLog& s, double metres) {
  return s.levelUnit == kFeet ? metres * kFeetPerMetre : metres;
}

// The level the logger computed from the head, in metres of fresh water, with the log's settings.
double LevelFromHead(const SampleLog& s, double head, double reference, double headAtReference) {
  const double sg = s.dynamicDensity > 0.0f ? 1.0 : s.specificGravity;
  const double column = ToLevelUnit(s, (head - headAtReference) / sg);
  switch (s.mode) {
    case 4: return reference - column;
    case 5: return reference + column;
    default: return ToLevelUnit(s, head / sg);
  }
}

std::vector<CTMLogNotesRecord> Notes(const SampleLog& s, double firstHead) {
  std::vector<CTMLogNotesRecord> notes;
  if (s.allLogNotes) {
    TMSystem::CTMUserNote_AllLogNotes marker;
    (void)marker.Build();
    notes.push_back(Stamped(marker, At(s, -1)));
  }
  for (const auto& [seconds, text] : s.textNotes) {
    TMSystem::CTMUserNote_Text note;
    (void)note.Build(text);
    notes.push_back(Stamped(note, At(s, seconds)));
  }
  for (const ReferenceReset& reset : s.resets) {
    const double head = s.waterColumn(reset.seconds) * s.specificGravity;
    TMSystem::CTMUserNote_Calibrate_SetNewLevelRef note;
    (void)note.Build(20'115, static_cast<float>(reset.level), 0.0f, s.levelUnit,
                     static_cast<float>(head / kMetresOfWaterPerPsi), 0.0f, kPsi, 11.5f, kCelsius);
    notes.push_back(Stamped(note, At(s, reset.seconds)));
  }
  if (s.alreadyCorrected) {
    TMSystem::CTMUserNote_Tavisko note;
    (void)note.Build(0, {}, s.mode, 0, s.specificGravity, 0, static_cast<float>(firstHead / kMetresOfWaterPerPsi),
                     kPsi, s.reference, s.levelUnit);
    notes.push_back(Stamped(note, At(s, s.rows * s.interval)));
  }
  return notes;
}

void Configure(TMSystem::CTMLogFile& log, const SampleLog& s, double firstHead) {
  tvk::Guid logGuid{0x5A3E0000U + s.start % 0xFFFF, 0x1D2C, 0x4B3A, {0x90, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}};
  for (char c : s.logName) logGuid.data4[7] = static_cast<std::uint8_t>(logGuid.data4[7] * 31 + c);
  const tvk::Guid siteGuid{static_cast<std::uint32_t>(std::hash<std::string>{}(s.site)), 0x2E1F, 0x4C0D,
                           {1, 2, 3, 4, 5, 6, 7, 8}};
  log.SetLogName(s.logName);
  log.SetFormatVersion(2);
  log.SetLogGuid(logGuid);
  log.SetLogType(1);
  log.SetTypeVersion(1);
  log.SetHeaderTime({s.start, 0});
  log.SetPairs({{1, 1}});
  log.SetStringValue("SiteName", s.site);
  log.SetStringValue("SiteGUID", GuidToText(siteGuid));
  log.SetStringValue("DeviceName", "Level Logger 500");
  log.SetIntegerValue("DeviceSerialNum", 5, 20'115);
  log.SetIntegerValue("LevelMeasurementMode", 3, s.mode);
  log.SetIntegerValue("LevelUnitId", 3, s.levelUnit);
  log.SetValue("SpecificGravity", TMSystem::CTMVariant(s.specificGravity));
  log.SetIntegerValue("LevelReferenceMode", 3, s.referenceMode);
  log.SetValue("LevelReferenceVal", TMSystem::CTMVariant(s.reference));
  log.SetValue("LevelRefDepthOfProbe", TMSystem::CTMVariant(0.0f));
  const auto pressure = static_cast<float>(firstHead / kMetresOfWaterPerPsi);
  log.SetValue("LevelRefPressure", TMSystem::CTMVariant(pressure));
  log.SetIntegerValue("LevelRefPressureUnitId", 3, kPsi);
  log.SetValue("LevelRefHeadPressure", TMSystem::CTMVariant(pressure));
  if (s.dynamicDensity > 0.0f) log.SetValue("DynamicSpecificGravityFactor", TMSystem::CTMVariant(s.dynamicDensity));
  if (s.baroAdjusted) log.SetIntegerValue("BaroAdjustedValues", 3, 1);
}

// The site-data scan reads the files of "Site Data" itself, not its subfolders, so every log lies
// directly in it, named after the log; the log names of the samples differ.
std::string SamplePath(const std::string& siteData, const SampleLog& s) { return CombinePath(siteData, s.logName + ".vxl"); }

std::string DamagedPath(const std::string& siteData) { return CombinePath(siteData, "Damaged Download.vxl"); }

ResultCode WriteSample(const std::string& siteData, const SampleLog& s, std::string& path) {
  const double firstHead = s.waterColumn(0) * s.specificGravity;
  TMSystem::CTMLogFile log;
  Configure(log, s, firstHead);

  TMSystem::CTMSiteHeader header;
  header.siteName = s.site;
  header.text1 = "Level Logger 500";
  log.SetSiteHeader(header);
  // A vented sensor (5) unless the log was adjusted with barometric data from an absolute one (12).
  const std::uint16_t sensor = s.baroAdjusted ? 12 : 5;
  log.SetChannels({{0, sensor, 2, kPsi, 20'115}, {1, sensor, s.mode, s.levelUnit, 20'115}, {2, sensor, 1, kCelsius, 20'115}});

  std::vector<TMSystem::CTMDataRow> rows(s.rows);
  double reference = s.reference;
  double headAtReference = s.referenceMode == 1 ? firstHead : 0.0;
  std::size_t nextReset = 0;
  for (std::uint32_t i = 0; i < s.rows; ++i) {
    const double t = i * s.interval;
    const double head = s.waterColumn(t) * s.specificGravity;
    if (nextReset < s.resets.size() && s.resets[nextReset].seconds <= t) {
      reference = s.resets[nextReset].level;
      headAtReference = head;
      ++nextReset;
    }
    const double temperature = 11.0 + 0.4 * std::sin(2 * std::numbers::pi * t / kDay);
    rows[i].time = At(s, t);
    rows[i].values = {{static_cast<float>(head / kMetresOfWaterPerPsi), 0},
                      {static_cast<float>(LevelFromHead(s, head, reference, headAtReference)), 0},
                      {static_cast<float>(temperature), 0}};
  }
  log.SetRows(rows);
  log.SetNotes(Notes(s, firstHead));

  path = SamplePath(siteData, s);
  return log.SaveAs(path);
}

std::vector<SampleLog> Samples() {
  using std::numbers::pi;
  std::vector<SampleLog> list;

  SampleLog pump;  // 8 hours of pumping, then recovery
  pump.site = "Riverside Well";
  pump.logName = "Pumping Test MW-3";
  pump.mode = 4;
  pump.levelUnit = kFeet;
  pump.reference = 45.0f;  // the probe hangs 45 ft below the top of the casing
  pump.interval = 30;
  pump.rows = 1920;
  pump.waterColumn = [](double t) {
    const double pumping = 8 * 3600.0;
    const auto drawdown = [](double s) { return s <= 0 ? 0.0 : 0.9 * std::log10(1 + s / 60.0); };
    return 10.0 - drawdown(t) + drawdown(t - pumping);
  };
  pump.textNotes = {{0, "Pump on at 12 gpm"}, {8 * 3600.0, "Pump off, recovery"}};
  list.push_back(pump);

  SampleLog monitoring;  // hourly for a year, seasonal swing
  monitoring.site = "riverside well";
  monitoring.logName = "Long-Term Monitoring MW-1";
  monitoring.mode = 5;
  monitoring.levelUnit = kFeet;
  monitoring.reference = 312.4f;  // elevation of the probe, ft above the datum
  monitoring.interval = 3600;
  monitoring.rows = 24 * 365;
  monitoring.waterColumn = [](double t) { return 8.0 + 1.5 * std::sin(2 * pi * t / (365 * kDay)); };
  list.push_back(monitoring);

  SampleLog slug;  // a slug dropped in at the start, recovering within minutes
  slug.logName = "Slug Test";
  slug.mode = 3;
  slug.interval = 1;
  slug.rows = 600;
  slug.waterColumn = [](double t) { return 5.0 + 0.8 * std::exp(-t / 40.0); };
  list.push_back(slug);

  SampleLog stage;  // river stage with a daily cycle, from an absolute sensor with barometric data
  stage.site = "Mill Creek Gauge";
  stage.logName = "River Stage";
  stage.mode = 5;
  stage.reference = 101.25f;
  stage.interval = 900;
  stage.rows = 96 * 30;
  stage.baroAdjusted = true;
  stage.waterColumn = [](double t) {
    const double storm = t > 12 * kDay ? 0.9 * std::exp(-(t - 12 * kDay) / (2 * kDay)) : 0.0;
    return 1.2 + 0.15 * std::sin(2 * pi * t / kDay) + storm;
  };
  list.push_back(stage);

  SampleLog brine;  // dynamic density: the level already follows the measured water density
  brine.site = "Mill Creek Gauge";
  brine.logName = "Estuary Depth";
  brine.mode = 3;
  brine.specificGravity = 1.012f;
  brine.dynamicDensity = 0.0123f;
  brine.interval = 600;
  brine.rows = 144 * 7;
  brine.waterColumn = [](double t) { return 3.0 + 0.6 * std::sin(2 * pi * t / (12.42 * 3600)); };
  list.push_back(brine);

  SampleLog resets = monitoring;  // manual measurements reset the reference twice while logging
  resets.site = "Riverside Well";
  resets.logName = "Monitoring With Manual Checks";
  resets.mode = 4;
  resets.reference = 38.0f;
  resets.rows = 24 * 90;
  resets.resets = {{20 * kDay, 37.62}, {55 * kDay, 37.11}};
  list.push_back(resets);

  SampleLog startOfTest = pump;  // the reference was zeroed at the start of the test
  startOfTest.logName = "Pump Test MW-4 Start Of Test";
  startOfTest.referenceMode = 1;
  startOfTest.reference = 0.0f;
  list.push_back(startOfTest);

  SampleLog corrected = slug;  // corrected once already: not offered again
  corrected.logName = "Slug Test (already corrected)";
  corrected.alreadyCorrected = true;
  list.push_back(corrected);

  SampleLog refused = stage;  // a level log without the logger's note marker: refused
  refused.logName = "Stage Without Marker";
  refused.allLogNotes = false;
  list.push_back(refused);

  return list;
}

}  // namespace

namespace {

// The files of the set that already exist (a dangling link counts: writing would follow it).
std::vector<std::string> ExistingFiles(const std::string& siteData) {
  std::vector<std::string> paths;
  for (const SampleLog& sample : Samples()) paths.push_back(SamplePath(siteData, sample));
  paths.push_back(DamagedPath(siteData));
  std::vector<std::string> existing;
  for (const std::string& path : paths) {
    std::error_code ec;
    if (std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found) {
      existing.push_back(path);
    }
  }
  return existing;
}

}  // namespace

int WriteSamples(const std::string& folder, bool force, std::ostream& out, std::ostream& err) {
  const std::string siteData = CombinePath(folder, "Site Data");
  const std::vector<std::string> existing = ExistingFiles(siteData);
  if (!existing.empty() && !force) {
    err << "not replacing files that already exist (--force replaces them):\n";
    for (const std::string& path : existing) err << "  " << path << "\n";
    return 1;
  }
  for (const std::string& path : existing) {
    std::error_code ec;
    if (!std::filesystem::remove(path, ec) && ec) {
      err << path << ": " << ec.message() << "\n";
      return 1;
    }
  }
  // The folder named is made when missing, but not the folders above it: a mistyped path is told,
  // not built.
  for (const std::string& made : {folder, siteData}) {
    if (const int error = platform::MakeFolder(made.c_str()); error != 0 && error != EEXIST) {
      err << made << ": " << std::generic_category().message(error) << "\n";
      return 1;
    }
  }
  std::error_code ec;
  int status = 0;
  for (const SampleLog& sample : Samples()) {
    std::string path;
    const ResultCode rc = WriteSample(siteData, sample, path);
    if (Failed(rc)) {
      err << FailureLine(path, rc) << "\n";
      status = 1;
      continue;
    }
    out << path << "\n";
  }
  if (status != 0) return status;

  // A damaged copy: the first half of a good log.
  const std::string good = CombinePath(siteData, "River Stage.vxl");
  const std::string damaged = DamagedPath(siteData);
  std::filesystem::copy_file(good, damaged, std::filesystem::copy_options::overwrite_existing, ec);
  if (!ec) std::filesystem::resize_file(damaged, std::filesystem::file_size(damaged, ec) / 2, ec);
  if (ec) {
    err << damaged << ": " << ec.message() << "\n";
    return 1;
  }
  out << damaged << "\n";
  return status;
}

void AddSamplesCommand(CLI::App& app, int& status) {
  auto folder = std::make_shared<std::string>();
  auto force = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand("samples", "Write a realistic \"Site Data\" folder of sample logs");
  command->add_option("DIR", *folder, "Folder to write \"Site Data\" into")->required();
  command->add_flag("--force", *force, "Replace sample files of the same names");
  command->callback([folder, force, &status] { status = WriteSamples(*folder, *force, std::cout, std::cerr); });
}

}  // namespace tvk::cli
