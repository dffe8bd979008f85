#pragma once
// What a corrected log records about its correction, read back from its post-correction note: the
// four values the correction summary shows.

#include <string>
#include <string_view>

namespace tvk {

struct CorrectionSummary {
  std::string filePath;
  std::string levelOption;
  std::string levelReference;  // "<value>, <how it was taken>", or "N/A" without a reference value
  std::string specificGravity;

  friend bool operator==(const CorrectionSummary&, const CorrectionSummary&) = default;
};

// The three values of the note's text (filePath stays empty). Only lines ended by a line feed count;
// a line's value is what follows its first colon, trimmed; labels are matched case-sensitively, and a
// later line of a label overrides an earlier one.
CorrectionSummary ParseCorrectionNoteText(std::string_view text);

// Loads the corrected log at `filePath` (rows left in the file) and summarises its first
// post-correction note; without such a note the values are empty and the reference "N/A". False, and
// nothing to show, when the file cannot be loaded, its notes cannot be read or the note is damaged.
bool ReadCorrectionSummary(const std::string& filePath, CorrectionSummary& out);

// Where the processing page's corrected log lies: `logFolder`/Post Corrected Files/`outputName`.
std::string CorrectedFilePath(std::string_view logFolder, std::string_view outputName);

}  // namespace tvk
