#include "common/ResultMessages.h"

#include <iterator>
#include <vector>

namespace tvk {
namespace {

struct MessageRow {
  std::uint32_t code;
  const char* message;
};

// One table for the whole product family: most codes belong to components other than the log file
// library. Codes may repeat; the first row wins.
constexpr MessageRow kMessageRows[] = {
    // Log file library.
    {0x01020082, "Log file data section is empty."},
    {0x81020001, "Invalid path or filename."},
    {0x81020002, "File does not exist."},
    {0x81020003, "File already exists."},
    {0x81020004, "Failure to open file."},
    {0x81020005, "Invalid log file header format."},
    {0x81020006, "An error was found in the log file configuration."},
    {0x81020007, "An error was found in the log file notes."},
    {0x81020008, "An error was found in the log file data."},
    {0x81020009, "The log file end marker not found."},
    {0x8102000A, "The log file size is in error."},
    {0x8102000B, "Failure to write log file."},
    {0x8102006D, "An unexpected error occurred - log file."},
    {0x81020070, "Invalid log file name."},
    {0x81020071, "Invalid log file type."},
    {0x81020079, "Invalid index - log file."},
    {0x8102007B, "Log file meta field not found."},
    {0x81020081, "Invalid log file format version."},
    {0x8102008F, "Unsupported log file data mode."},
    {0x81020090, "Mismatched log file data channel count."},
    {0x81020091, "Failed to read requested data row from log file."},
    {0x81020093, "Log file notes are not loaded."},
    {0x8102009E, "Invalid note type."},
    {0x8102009F, "Unable to save log file in cursor mode."},
    {0x810200A0, "Log file - no parameters loaded."},
    {0x810200A1, "Log file - invalid note formatting."},
    {0x810200AE, "Log Notes - invalid user note sub-type - probably corrupt log note."},
    // Buffers and file operations.
    {0x810F0009, "Buffer Extraction Overrun."},
    {0x810F0001, "File operation failed."},
    {0x810F0002, "Unable to create folder."},
    {0x810F0003, "Unable to delete file."},
    {0x810F0004, "Unable to rename file."},
    {0x810F0005, "Unable to copy file."},
    {0x810F000A, "Buffer Insertion Overrun."},
    // File archives.
    {0x81010001, "Invalid archive file."},
    {0x81010002, "Archive file is corrupt."},
    {0x81010003, "Unable to extract file from archive."},
    {0x81010004, "Unable to add file to archive."},
    // Serial and Modbus communication with instruments.
    {0x81030001, "Unable to open communication port."},
    {0x81030002, "Communication port is in use."},
    {0x81030003, "No response from device."},
    {0x81030004, "Communication timeout."},
    {0x81030005, "Invalid response from device."},
    {0x81030006, "Response checksum (CRC) error."},
    {0x81030007, "Modbus exception - illegal function."},
    {0x81030008, "Modbus exception - illegal data address."},
    {0x81030009, "Modbus exception - illegal data value."},
    {0x8103000A, "Modbus exception - slave device failure."},
    {0x8103000B, "Device is busy."},
    {0x8103000C, "Unsupported device firmware version."},
    // Log merging and import.
    {0x81040001, "Log files cannot be merged - different devices."},
    {0x81040002, "Log files cannot be merged - different parameters."},
    {0x81040003, "Log files cannot be merged - overlapping times."},
    {0x81040004, "Unsupported import file format."},
    {0x81040005, "An error was found in the import file."},
    // Synchronisation with handheld devices.
    {0x81050001, "Handheld device not connected."},
    {0x81050002, "Synchronization with handheld device failed."},
    {0x81050003, "Not enough free space on handheld device."},
    {0x81050004, "Synchronization cancelled by user."},
    // A later duplicate, never found.
    {0x810F0009, "Buffer overrun."},
};

}  // namespace

const std::string& GetResultCodeMessage(std::int32_t code) {
  // Built once: the table's texts as strings, so callers get stable references.
  static const std::vector<std::string> messages = [] {
    std::vector<std::string> texts;
    for (const MessageRow& row : kMessageRows) texts.emplace_back(row.message);
    return texts;
  }();
  static const std::string unknown = "Unknown Error";
  const auto bits = static_cast<std::uint32_t>(code);
  for (std::size_t i = 0; i < std::size(kMessageRows); ++i) {
    if (kMessageRows[i].code == bits) return messages[i];
  }
  return unknown;
}

}  // namespace tvk
