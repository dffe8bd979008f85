#pragma once
// The base of every note class, and the factory that builds the right note for a record.

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "common/Calendar.h"
#include "common/DeviceTime.h"
#include "common/ResultCodes.h"
#include "logfile/notes/NotePayload.h"
#include "logfile/notes/NotesRecord.h"

namespace TMSystem {

// A plain object of this class stands for a record of type 1 to 9; user notes (type 0) are subclasses
// that decode their payload.
class CTMStdNote {
 public:
  CTMStdNote() = default;
  CTMStdNote(const CTMStdNote&) = default;
  CTMStdNote& operator=(const CTMStdNote&) = default;
  virtual ~CTMStdNote() = default;

  // Resets the note and takes a copy of `record`.
  [[nodiscard]] virtual ResultCode FromRecord(const CTMLogNotesRecord& record);
  virtual void Reset();
  // The note's own text; "User Note" here.
  virtual std::string GetText() const;

  // The one-line (or several-line) description shown to the user; "" when the payload is unreadable.
  std::string GetDisplayText() const;
  CTMDeviceTime GetTime() const { return record_.time; }
  // A copy for the caller to add to a log's notes.
  CTMLogNotesRecord GetRecord() const { return record_; }

 protected:
  // Minimum payload size of a user-note class; `exact` when only that size is accepted.
  struct PayloadSize {
    std::uint32_t bytes = 0;
    bool exact = false;
  };

  // Resets, copies the record, checks it is a user note of `subType` with a payload of the right
  // size, then reads the payload by `layout` (a callable taking CTMNotePayload&).
  template <class Layout>
  ResultCode DecodeUserNote(const CTMLogNotesRecord& record, std::uint32_t subType, PayloadSize size,
                            Layout&& layout) noexcept {
    try {
      const ResultCode rc = AcceptUserNote(record, subType, size);
      if (tvk::Failed(rc)) return rc;
      CTMNotePayload payload = CTMNotePayload::Reading(record_.payload);
      layout(payload);
      return payload.Result();
    } catch (const std::exception&) {
      return tvk::kUnexpected;
    }
  }

  // Resets and stamps a new user note (type 0, `subType`, `version`, time now); `fill` (a callable
  // taking CTMNotePayload&) sets the fields and writes them.
  template <class Fill>
  ResultCode ComposeUserNote(std::uint32_t subType, std::uint16_t version, Fill&& fill) noexcept {
    try {
      StampUserNote(subType, version);
      CTMNotePayload payload = CTMNotePayload::Writing(record_.payload);
      fill(payload);
      return tvk::kOk;
    } catch (const std::exception&) {
      return tvk::kUnexpected;
    }
  }

  // Runs a text builder; "" when it throws.
  template <class Build>
  static std::string GuardedText(Build&& build) noexcept {
    try {
      return build();
    } catch (const std::exception&) {
      return {};
    }
  }

  // "   User Name: <name>", or "" for an empty name.
  static std::string UserNameTail(const std::string& userName);
  // Date and time of a UTC time with the display settings.
  static std::string DateTimeText(const tvk::SystemTime& utc);
  static std::string DateTimeText(const CTMDeviceTime& utc);
  // " (Time (UTC))" when times are shown in UTC, else "".
  static std::string UtcSuffix();
  // The name stamped into new notes: the login name, unless a test set another.
  static std::string CurrentUser();

  const CTMLogNotesRecord& Record() const { return record_; }

 private:
  ResultCode AcceptUserNote(const CTMLogNotesRecord& record, std::uint32_t subType, PayloadSize size);
  void StampUserNote(std::uint32_t subType, std::uint16_t version);
  std::string DisplayText() const;

  CTMLogNotesRecord record_;
};

// Makes Build stamp `name` instead of the login name (tests); nullopt restores the login name.
// Not to be called while notes are being built on other threads.
void SetNoteUserNameForTesting(std::optional<std::string> name);

// Builds the note class for `record` and decodes the record into it. On failure `note` is null.
// kInvalidNoteType when no class serves the record.
[[nodiscard]] ResultCode CreateNoteFromRecord(const CTMLogNotesRecord& record, std::unique_ptr<CTMStdNote>& note);

}  // namespace TMSystem
