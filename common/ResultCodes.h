#pragma once
// Result codes of the log file library and the services below it.
// Negative (high bit set) means failure.

#include <cstdint>

namespace tvk {

using ResultCode = std::int32_t;

constexpr ResultCode Code(std::uint32_t bits) { return static_cast<ResultCode>(bits); }

constexpr ResultCode kOk = 0;
constexpr ResultCode kNoData = Code(0x01020082);             // success, but the data section is empty

constexpr ResultCode kMissingArgument = Code(0x80004003);    // a required argument is missing or empty
constexpr ResultCode kFail = Code(0x80004005);               // general failure
constexpr ResultCode kUnexpected = Code(0x8000FFFF);         // an exception (allocation) was caught
constexpr ResultCode kBufferOverrun = Code(0x810F0009);      // a read ran past the end of a buffer

constexpr ResultCode kInvalidPath = Code(0x81020001);
constexpr ResultCode kFileNotFound = Code(0x81020002);
constexpr ResultCode kOpenFailed = Code(0x81020004);
constexpr ResultCode kBadHeader = Code(0x81020005);
constexpr ResultCode kBadConfiguration = Code(0x81020006);
constexpr ResultCode kBadNotes = Code(0x81020007);
constexpr ResultCode kBadData = Code(0x81020008);
constexpr ResultCode kNoEndMarker = Code(0x81020009);
constexpr ResultCode kBadSize = Code(0x8102000A);
constexpr ResultCode kLogFileError = Code(0x8102006D);       // unexpected content (count, type code)
constexpr ResultCode kInvalidLogName = Code(0x81020070);
constexpr ResultCode kInvalidLogType = Code(0x81020071);
constexpr ResultCode kInvalidIndex = Code(0x81020079);
constexpr ResultCode kKeyNotFound = Code(0x8102007B);
constexpr ResultCode kBadFormatVersion = Code(0x81020081);
constexpr ResultCode kUnsupportedDataMode = Code(0x8102008F);
constexpr ResultCode kChannelCountMismatch = Code(0x81020090);
constexpr ResultCode kRowReadFailed = Code(0x81020091);
constexpr ResultCode kNotesNotLoaded = Code(0x81020093);
constexpr ResultCode kInvalidNoteType = Code(0x8102009E);
constexpr ResultCode kSaveInCursorMode = Code(0x8102009F);
constexpr ResultCode kNoParameters = Code(0x810200A0);
constexpr ResultCode kBadNoteFormat = Code(0x810200A1);
constexpr ResultCode kBadNoteSubType = Code(0x810200AE);

constexpr bool Failed(ResultCode code) { return code < 0; }
constexpr bool Succeeded(ResultCode code) { return code >= 0; }

}  // namespace tvk
