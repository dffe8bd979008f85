#include "correction/CorrectionSummary.h"

#include <exception>
#include <vector>

#include "common/LocalTime.h"
#include "common/TextUtil.h"
#include "correction/CorrectionChoices.h"
#include "correction/ManualReadings.h"
#include "correction/OutputNaming.h"
#include "logfile/LogFile.h"
#include "logfile/notes/LevelNotes.h"
#include "logfile/notes/UserNotes.h"

namespace tvk {
namespace {

bool Contains(std::string_view line, std::string_view label) { return line.find(label) != std::string_view::npos; }

// A text note that reads as a reading note; any other text note is the user's own and is passed over.
bool ReadReadingNote(const TMSystem::CTMLogNotesRecord& record, const DataPointDisplay& display,
                     RecordedReading& out) {
  if (record.type != 0 || record.subType != TMSystem::CTMUserNote_Text::kSubType) return false;
  TMSystem::CTMUserNote_Text note;
  ReadingNote values;
  if (Failed(note.FromRecord(record)) || !ParseReadingNote(note.GetValues().text, values)) return false;
  out.utcSeconds = record.time.seconds + record.time.fraction / 65536.0;
  out.timeText = display.Text(record.time);
  out.manual = values.manual;
  out.logged = values.logged;
  out.drift = values.drift;
  out.unit = values.unit;
  return true;
}

}  // namespace

CorrectionSummary ParseCorrectionNoteText(std::string_view text) {
  CorrectionSummary summary;
  std::string referenceValue;
  std::string referenceMode;
  std::size_t start = 0;
  // A last line without its line feed is never looked at.
  for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t colon = line.find(':');
    std::string value = Trim(colon == std::string_view::npos ? line : line.substr(colon + 1));
    // Order matters: "Level Reference Mode" must not be read as the reference value, and a case-
    // sensitive search keeps "Level reference" from matching it.
    if (Contains(line, "Level Measurement Mode")) {
      summary.levelOption = std::move(value);
    } else if (Contains(line, "Specific gravity")) {
      summary.specificGravity = std::move(value);
    } else if (Contains(line, "Level reference")) {
      referenceValue = std::move(value);
    } else if (Contains(line, "Level Reference Mode")) {
      referenceMode = std::move(value);
    }
  }
  summary.levelReference = referenceValue.empty() ? "N/A" : referenceValue + ", " + referenceMode;
  return summary;
}

bool ReadCorrectionSummary(const std::string& filePath, CorrectionSummary& out) {
  try {
    TMSystem::CTMLogFile log;
    if (Failed(log.Load(filePath, TMSystem::kLoadOnDemand))) return false;
    std::vector<TMSystem::CTMLogNotesRecord> notes;
    if (Failed(log.GetNotes(notes))) return false;
    log.Reset();  // the rows are not needed; let the file go at once

    const DataPointDisplay display(TakeDisplaySnapshot());
    std::string text;
    std::vector<RecordedReading> readings;
    bool found = false;
    for (const TMSystem::CTMLogNotesRecord& record : notes) {
      RecordedReading reading;
      if (ReadReadingNote(record, display, reading)) {
        readings.push_back(std::move(reading));
        continue;
      }
      if (record.type != 0 || record.subType != TMSystem::CTMUserNote_Tavisko::kSubType) continue;
      TMSystem::CTMUserNote_Tavisko note;
      if (Failed(note.FromRecord(record))) return false;
      text = note.GetDisplayText();
      found = true;
      break;
    }
    out = ParseCorrectionNoteText(text);
    out.filePath = filePath;
    if (found) out.readings = std::move(readings);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string CorrectedFilePath(std::string_view logFolder, std::string_view outputName) {
  return CombinePath(CombinePath(logFolder, kCorrectedFolderName), outputName);
}

}  // namespace tvk
