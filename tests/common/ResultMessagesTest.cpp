#include "common/ResultMessages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/ResultCodes.h"

namespace tvk {
namespace {

TEST(ResultMessages, EveryLibraryCodeHasItsOwnMessageAndOthersNone) {
  EXPECT_EQ(GetResultCodeMessage(kKeyNotFound), "Log file meta field not found.");
  EXPECT_EQ(GetResultCodeMessage(kBufferOverrun), "Buffer Extraction Overrun.");  // the first of its rows
  EXPECT_EQ(GetResultCodeMessage(kNoData), "Log file data section is empty.");   // a success with a message
  EXPECT_EQ(GetResultCodeMessage(kFail), "Unknown Error");
  EXPECT_EQ(GetResultCodeMessage(kOk), "Unknown Error");
  const ResultCode codes[] = {
      kInvalidPath, kFileNotFound,   kOpenFailed,           kBadHeader,      kBadConfiguration,
      kBadNotes,    kBadData,        kNoEndMarker,          kBadSize,        kLogFileError,
      kInvalidLogName, kInvalidLogType, kInvalidIndex,      kKeyNotFound,    kBadFormatVersion,
      kUnsupportedDataMode, kChannelCountMismatch, kRowReadFailed, kNotesNotLoaded, kInvalidNoteType,
      kSaveInCursorMode, kNoParameters, kBadNoteFormat,     kBadNoteSubType, kBufferOverrun,
  };
  std::set<std::string> messages;
  for (const ResultCode code : codes) {
    SCOPED_TRACE(code);
    EXPECT_NE(GetResultCodeMessage(code), "Unknown Error");
    EXPECT_TRUE(messages.insert(GetResultCodeMessage(code)).second) << "each its own";
  }
}

}  // namespace
}  // namespace tvk
