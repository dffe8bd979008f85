#pragma once
// A whole log in memory: configuration, data and notes, with where it came from. Loads a file, lets
// the engine edit it, and saves it without ever leaving a partial file under the final name.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "common/Calendar.h"
#include "logfile/LogFileDataAndCfg.h"
#include "logfile/notes/NotesRecord.h"
#include "platform/File.h"

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
  // Replaces the log's own file with a new one; refused (kSaveInCursorMode) when rows are read on
  // demand. The old file stays whole until the new one is complete.
  ResultCode Save();
  // Writes `newPath`, replacing what it names, and makes it the log's path. A path that names the
  // log's own file (the same file to the file system, whatever the spelling) is a Save.
  ResultCode SaveAs(const std::string& newPath);
  // Writes a new file at `newPath` and makes it the log's path, never replacing anything: a name that
  // is taken, by the log's own file, a link, a FIFO or anything else, fails with kOpenFailed and
  // GetLastWriteError() EEXIST.
  // `abandon`, when given, is asked before the file is started, between chunks of the rows (a few MB
  // apart) and once more just before the complete file takes its name: true drops the file (nothing
  // appears, nothing is left behind) and the save fails with kFail and GetLastWriteError() ECANCELED.
  ResultCode SaveAsNew(const std::string& newPath, const std::function<bool()>& abandon = nullptr);
  // Fills `count` rows, from row `first` on, in their file form (RowFileSize bytes each) into `rows`;
  // a failure stops the save with that code.
  using RowSource = std::function<ResultCode(std::uint32_t first, std::uint32_t count, std::uint8_t* rows)>;
  // The same with `rowCount` rows of the log's channels that `rows` gives a chunk at a time, in order,
  // in place of the rows the log holds: memory stays at one chunk whatever the size of the log.
  ResultCode SaveAsNew(const std::string& newPath, std::uint32_t rowCount, const RowSource& rows,
                       const std::function<bool()>& abandon = nullptr);
  // errno of the last failed Save, SaveAs or SaveAsNew; 0 when it succeeded or failed before the file.
  int GetLastWriteError() const;
  // The system calls new files are written through; null for the real ones. Tests inject failures.
  void SetFileOps(tvk::platform::FileOps* ops);

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
  // Rows to write from a source instead of those held; absent for the held ones.
  struct StreamedRows {
    std::uint32_t count = 0;
    const RowSource* source = nullptr;
  };
  ResultCode SerializeAll(bool forSave, const StreamedRows& streamed, CTMByteBuffer& configuration,
                          CTMByteBuffer& notes, CTMByteBuffer& data, bool& writeData);
  ResultCode WriteFile(const std::string& target, bool forSave, tvk::platform::Placement placement,
                       const std::function<bool()>& abandon, const StreamedRows& streamed);
  void ResetFileFields();

  std::vector<CTMLogNotesRecord> notes_;
  bool hasNotes_ = false;
  int loadMode_ = 0;
  std::string path_;
  std::string creatorUserName_;
  std::string creatorComputerName_;
  tvk::SystemTime creationTime_ = tvk::MakeSystemTime(1970, 1, 1);
  tvk::platform::FileOps* fileOps_ = nullptr;  // not copied: it belongs to who set it
  int lastWriteError_ = 0;
};

}  // namespace TMSystem
