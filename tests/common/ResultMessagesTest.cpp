#include "common/ResultMessages.h"

#include <gtest/gtest.h>

#include "common/ResultCodes.h"

namespace tvk {
namespace {

TEST(ResultMessages, KnownAndUnknownCodes) {
  struct Case {
    const char* name;
    ResultCode code;
    const char* message;
  };
  const Case cases[] = {
      {"missing key", kKeyNotFound, "Log file meta field not found."},
      {"buffer overrun takes the first of its rows", kBufferOverrun, "Buffer Extraction Overrun."},
      {"success without data has a message", kNoData, "Log file data section is empty."},
      {"general failure has no row", kFail, "Unknown Error"},
      {"success has no row", kOk, "Unknown Error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GetResultCodeMessage(c.code), c.message);
  }
}

TEST(ResultMessages, EveryLibraryCodeHasItsOwnMessage) {
  const ResultCode codes[] = {
      kInvalidPath, kFileNotFound,   kOpenFailed,           kBadHeader,      kBadConfiguration,
      kBadNotes,    kBadData,        kNoEndMarker,          kBadSize,        kLogFileError,
      kInvalidLogName, kInvalidLogType, kInvalidIndex,      kKeyNotFound,    kBadFormatVersion,
      kUnsupportedDataMode, kChannelCountMismatch, kRowReadFailed, kNotesNotLoaded, kInvalidNoteType,
      kSaveInCursorMode, kNoParameters, kBadNoteFormat,     kBadNoteSubType, kBufferOverrun,
  };
  for (const ResultCode code : codes) {
    SCOPED_TRACE(code);
    EXPECT_NE(GetResultCodeMessage(code), "Unknown Error");
  }
}

}  // namespace
}  // namespace tvk
