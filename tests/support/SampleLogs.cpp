#include "support/SampleLogs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/ResultCodes.h"
#include "logfile/LogFileCfg.h"
#include "logfile/notes/LevelNotes.h"
#include "logfile/notes/UserNotes.h"
#include "support/LogFiles.h"

namespace tvk::test {

using TMSystem::CTMVariant;

std::vector<std::pair<std::string, CTMVariant>> DepthToWaterSettings() {
  return {
      {"LevelMeasurementMode", CTMVariant(std::uint16_t{4})},
      {"LevelUnitId", CTMVariant(std::uint16_t{35})},
      {"SpecificGravity", CTMVariant(1.0f)},
      {"LevelReferenceMode", CTMVariant(std::uint16_t{3})},
      {"LevelReferenceVal", CTMVariant(10.0f)},
      {"LevelRefDepthOfProbe", CTMVariant(0.0f)},
      {"LevelRefPressure", CTMVariant(5.0f)},
      {"LevelRefHeadPressure", CTMVariant(5.0f)},
      {"LevelRefPressureUnitId", CTMVariant(std::uint16_t{17})},
  };
}

void SetEntry(std::vector<std::pair<std::string, CTMVariant>>& entries, const std::string& key,
              const CTMVariant& value) {
  const auto found = std::find_if(entries.begin(), entries.end(), [&key](const auto& e) { return e.first == key; });
  if (value.IsEmpty()) {
    if (found != entries.end()) entries.erase(found);
  } else if (found != entries.end()) {
    found->second = value;
  } else {
    entries.emplace_back(key, value);
  }
}

std::vector<TMSystem::CTMDataValue> Levels(const std::vector<float>& values) {
  std::vector<TMSystem::CTMDataValue> cells;
  for (float v : values) cells.push_back({v, 0});
  return cells;
}

LevelLogLayout AcceptedLevelLog(const std::vector<float>& levels) {
  LevelLogLayout sample;
  sample.entries = DepthToWaterSettings();
  sample.levels = Levels(levels);
  sample.notes = {UserNoteRecord(TMSystem::CTMUserNote_AllLogNotes::kSubType)};
  return sample;
}

void WriteSiteLog(const std::string& site, const std::string& path) {
  TMSystem::CTMLogFile log;
  BuildLevelLog(AcceptedLevelLog(), log);
  TMSystem::CTMSiteHeader header;
  ASSERT_EQ(log.GetSiteHeader(header), kOk);
  header.siteName = site;
  ASSERT_EQ(log.SetSiteHeader(header), kOk);
  ASSERT_EQ(log.SaveAs(path), kOk);
}

TMSystem::CTMDeviceTime RowTime(const LevelLogLayout& sample, std::size_t index) {
  return TMSystem::DeviceTimeFromParts(sample.firstTime.seconds + static_cast<std::uint32_t>(60 * index), 0);
}

TMSystem::CTMLogNotesRecord UserNoteRecord(std::uint32_t subType) {
  TMSystem::CTMLogNotesRecord record;
  record.type = 0;
  record.subType = subType;
  record.time = TMSystem::DeviceTimeFromFields(2011, 2, 3, 11, 0, 0);
  return record;
}

TMSystem::CTMLogNotesRecord LevelReferenceNote(const TMSystem::CTMDeviceTime& time, float referenceValue,
                                               float depth, std::uint16_t levelUnit, float headPressure,
                                               std::uint16_t pressureUnit) {
  TMSystem::CTMUserNote_Calibrate_SetNewLevelRef note;
  EXPECT_EQ(note.Build(1234, referenceValue, depth, levelUnit, headPressure, 0.0f, pressureUnit, 20.0f, 1), kOk);
  TMSystem::CTMLogNotesRecord record = note.GetRecord();
  record.time = time;
  return record;
}

namespace {

std::vector<TMSystem::CTMChannelInfo> Channels(const LevelLogLayout& sample) {
  std::vector<TMSystem::CTMChannelInfo> channels;
  channels.push_back({0, 1, 2, 17, 1234});
  const std::uint16_t parameter = sample.withLevelChannel ? sample.levelMode : std::uint16_t{1};
  channels.push_back({1, sample.levelSensorId, parameter, sample.levelChannelUnit, sample.levelSerial});
  return channels;
}

std::vector<TMSystem::CTMDataRow> Rows(const LevelLogLayout& sample) {
  std::vector<TMSystem::CTMDataRow> rows;
  for (std::size_t i = 0; i < sample.levels.size(); ++i) {
    rows.push_back({RowTime(sample, i), {{7.25f, 0}, sample.levels[i]}});
  }
  return rows;
}

}  // namespace

void BuildLevelLog(const LevelLogLayout& sample, TMSystem::CTMLogFile& log) {
  log.Reset();
  ASSERT_EQ(log.SetLogName(sample.logName), kOk);
  log.SetLogType(2);
  ASSERT_EQ(log.SetPairs({{1, 2}}), kOk);
  for (const auto& [key, value] : sample.entries) ASSERT_EQ(log.SetValue(key, value), kOk) << key;
  ASSERT_EQ(log.SetChannels(Channels(sample)), kOk);
  ASSERT_EQ(log.SetRows(Rows(sample)), kOk);
  ASSERT_EQ(log.SetNotes(sample.notes), kOk);
}

void WriteLevelLog(const LevelLogLayout& sample, const std::string& path) {
  TMSystem::CTMLogFile log;
  BuildLevelLog(sample, log);
  if (sample.siteWord1 == 0) {
    ASSERT_EQ(log.SaveAs(path), kOk);
    return;
  }
  // The log object keeps the site header it read; a chosen one is written field by field.
  TMSystem::CTMByteBuffer configuration;
  ASSERT_EQ(log.SerializeConfiguration(configuration), kOk);
  TMSystem::CTMByteBuffer notes;
  ASSERT_EQ(TMSystem::WriteNotesSection(sample.notes, notes), kOk);
  DataBlockLayout data;
  data.header.word1 = sample.siteWord1;
  data.header.siteName = "Site";
  data.channels = Channels(sample);
  data.rows = Rows(sample);
  WriteLogFile(path, ToBytes(configuration), ToBytes(notes), MakeDataBlock(data));
}

}  // namespace tvk::test
