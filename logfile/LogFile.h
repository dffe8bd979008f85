#pragma once
// A whole log in memory: configuration, data and notes, with where it came from. Loads a file, lets
// the engine edit it, and saves it without ever leaving a partial file under the final name.

#include <cstddef>
#include <string>
#include <vector>

#include "common/Calendar.h"
#include "logfile/LogFileDataAndCfg.h"
#include "logfile/notes/NotesRecord.h"

namespace TMSystem {

// Load modes.
constexpr int kLoadAll = 3;       // all rows in memory
constexpr int kLoadOnDemand = 4;  // rows read from the file when asked for
constexpr int kLoadNoData = 0;    // any other value: configuration and notes only

class CTMLogFile : public CTMLogFileDataAndCfg {
 public:
  CTMLogFile() = default;
  ~CTMLogFile() override;

  // File fields and notes, then data, then configuration.
  void Reset() override;

  // kFileNotFound, the container's code, the configuration's code (the object is then reset), or the
  // data step's code (configuration and notes stay loaded; kNoData is not a failure).
  ResultCode Load(const std::string& path, int mode);
  // Writes over the log's own file; refused (kSaveInCursorMode) when rows are read on demand.
  ResultCode Save();
  // Writes a new file and makes it the log's path; the source is never touched. A path equal to the
  // log's own (ignoring case) is a Save.
  ResultCode SaveAs(const std::string& newPath);

  // kNotesNotLoaded when the loaded file had no notes.
  ResultCode GetNotes(std::vector<CTMLogNotesRecord>& out) const;
  // Replaces the notes; whether the file had notes stays as loaded.
  ResultCode SetNotes(const std::vector<CTMLogNotesRecord>& notes);
  // The note at `index`, or an empty record when there is none.
  CTMLogNotesRecord GetNote(std::size_t index) const;
  std::size_t GetNoteCount() const;

  // The configuration's site name and GUID text, or the data block's name and the zero GUID when
  // the two names differ.
  ResultCode GetSiteInfo(std::string& siteName, std::string& siteGuidText) const;

  // A full copy (configuration, data, notes, file fields); rows on demand share the source's reader.
  ResultCode CopyLogFrom(const CTMLogFile& other);

  std::string GetPath() const;
  int GetLoadMode() const;
  bool HasNotes() const;
  std::string GetCreatorUserName() const;
  std::string GetCreatorComputerName() const;
  tvk::SystemTime GetCreationTime() const;

 private:
  ResultCode SerializeAll(bool forSave, CTMByteBuffer& configuration, CTMByteBuffer& notes, CTMByteBuffer& data,
                          bool& writeData);
  ResultCode WriteFile(const std::string& target, bool forSave);
  void ResetFileFields();

  std::vector<CTMLogNotesRecord> notes_;
  bool hasNotes_ = false;
  int loadMode_ = 0;
  std::string path_;
  std::string creatorUserName_;
  std::string creatorComputerName_;
  tvk::SystemTime creationTime_ = tvk::MakeSystemTime(1970, 1, 1);
};

}  // namespace TMSystem
