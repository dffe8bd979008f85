#pragma once
// What a corrected log records about its correction, read back from its post-correction note: the
// four values the correction summary shows, and the manual readings its reading notes record.

#include <string>
#include <string_view>
#include <vector>

namespace tvk {

// A manual reading as its note records it, at the note's time (its row's).
struct RecordedReading {
  double utcSeconds = 0;  // seconds since 1970, fraction included
  std::string timeText;   // as the display shows it
  double manual = 0;
  double logged = 0;
  double drift = 0;
  std::string unit;

  friend bool operator==(const RecordedReading&, const RecordedReading&) = default;
};

struct CorrectionSummary {
  std::string filePath;
  std::string levelOption;
  std::string levelReference;  // "<value>, <how it was taken>", or "N/A" without a reference value
  std::string specificGravity;
  std::vector<RecordedReading> readings;  // in the file's order, which is time order

  friend bool operator==(const CorrectionSummary&, const CorrectionSummary&) = default;
};

// The three values of the note's text (filePath stays empty). Only lines ended by a line feed count;
// a line's value is what follows its first colon, trimmed; labels are matched case-sensitively, and a
// later line of a label overrides an earlier one.
CorrectionSummary ParseCorrectionNoteText(std::string_view text);

// Loads the corrected log at `filePath` (rows left in the file) and summarises its first
// post-correction note and the reading notes before it (a correction writes them just before its
// post-correction note); without such a note the values are empty, the reference "N/A" and no reading
// is given. False, and nothing to show, when the file cannot be loaded, its notes cannot be read or the
// post-correction note is damaged.
bool ReadCorrectionSummary(const std::string& filePath, CorrectionSummary& out);

// Where the processing page's corrected log lies: `logFolder`/Post Corrected Files/`outputName`.
std::string CorrectedFilePath(std::string_view logFolder, std::string_view outputName);

}  // namespace tvk
