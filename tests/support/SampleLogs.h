#pragma once
// Level logs for tests, built and saved through the library itself: a pressure channel and a level
// channel, the level settings as configuration entries, rows and notes.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/DeviceTime.h"
#include "logfile/DataBlock.h"
#include "logfile/LogFile.h"
#include "logfile/Variant.h"
#include "logfile/notes/NotesRecord.h"

namespace tvk::test {

struct LevelLogLayout {
  std::string logName = "Well 1";
  std::uint16_t levelMode = 4;           // parameter id of the level channel
  std::uint16_t levelChannelUnit = 35;   // unit id of the level channel
  std::uint16_t levelSensorId = 1;
  std::uint32_t levelSerial = 1234;
  std::uint16_t siteWord1 = 0;
  bool withLevelChannel = true;
  // Configuration entries in order; see DepthToWaterSettings.
  std::vector<std::pair<std::string, TMSystem::CTMVariant>> entries;
  // Level value and status of each row; the times rise by a minute from `firstTime`.
  std::vector<TMSystem::CTMDataValue> levels;
  TMSystem::CTMDeviceTime firstTime = TMSystem::DeviceTimeFromFields(2011, 2, 3, 12, 0, 0);
  std::vector<TMSystem::CTMLogNotesRecord> notes;
};

// Entries of a depth-to-water log in metres, reference 10 m at a pressure head, no probe depth.
std::vector<std::pair<std::string, TMSystem::CTMVariant>> DepthToWaterSettings();

// Replaces the value of `key` in `entries`, or appends it; a default variant removes it.
void SetEntry(std::vector<std::pair<std::string, TMSystem::CTMVariant>>& entries, const std::string& key,
              const TMSystem::CTMVariant& value);

// Cells of normal status.
std::vector<TMSystem::CTMDataValue> Levels(const std::vector<float>& values);

// A depth-to-water log with the given levels and the note saying the device kept all its notes: a log
// the corrector accepts.
LevelLogLayout AcceptedLevelLog(const std::vector<float>& levels = {1.0f, 2.0f, 3.0f});

// An accepted log (AcceptedLevelLog) whose data block names the site `site`, written to `path`.
void WriteSiteLog(const std::string& site, const std::string& path);

// The time of row `index` of a sample.
TMSystem::CTMDeviceTime RowTime(const LevelLogLayout& sample, std::size_t index);

// A note of type 0 and `subType` whose payload is not looked at.
TMSystem::CTMLogNotesRecord UserNoteRecord(std::uint32_t subType);
// A level-reference note set at `time`.
TMSystem::CTMLogNotesRecord LevelReferenceNote(const TMSystem::CTMDeviceTime& time, float referenceValue,
                                               float depth, std::uint16_t levelUnit, float headPressure,
                                               std::uint16_t pressureUnit);

// The log in memory; fails the current test when the library refuses a step.
void BuildLevelLog(const LevelLogLayout& sample, TMSystem::CTMLogFile& log);
// The log saved at `path` (through SaveAs, or field by field when a site-header word is wanted).
void WriteLevelLog(const LevelLogLayout& sample, const std::string& path);

}  // namespace tvk::test
