#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/ErrorLog.h"
#include "AllocationWatch.h"
#include "logfile/LogFileReader.h"
#include "logfile/LogFileWriter.h"
#include "platform/SystemInfo.h"
#include "support/LogFiles.h"
#include "support/ScopedEnvironment.h"

namespace TMSystem {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using namespace tvk;

constexpr FileTime kCreated = 133'000'000'000'000'000ULL;

class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override { SetErrorLogFolderForTesting(dir_.string()); }
  void TearDown() override { SetErrorLogFolderForTesting(""); }

  std::string PathOf(const std::string& name) const { return folder_ / name; }

  std::string WriteFile(const std::string& name, const Bytes& content) const {
    test::WriteFileBytes(PathOf(name), content);
    return PathOf(name);
  }

  // A log written by the writer; empty sections are not appended.
  std::string WriteLog(const std::string& name, const Bytes& cfg, const Bytes& notes, const Bytes& data,
                       const std::string& user = "ab", const std::string& computer = "PC") const {
    const test::Creator creator{user, computer, kCreated};
    test::WriteLogFile(PathOf(name), cfg, notes, data, &creator);
    return PathOf(name);
  }

  std::string ErrorLogText() const {
    std::ifstream in(dir_ / "ErrorLog.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  test::TempFolder folder_;
  const fs::path& dir_ = folder_.Path();
};

Bytes Pattern(std::size_t n, std::uint8_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
  return b;
}

std::uint64_t Le(const Bytes& b, std::size_t at, int width) {
  std::uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
  return v;
}

void PutLe(Bytes& b, std::size_t at, std::uint64_t v, int width) {
  for (int i = 0; i < width; ++i) b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Read(CTMLogFileReader& reader, ResultCode (CTMLogFileReader::*read)(std::uint32_t, CTMByteBuffer&),
           std::uint32_t count, ResultCode expected = kOk) {
  CTMByteBuffer out;
  EXPECT_EQ((reader.*read)(count, out), expected);
  return test::ToBytes(out);
}

Bytes Configuration(CTMLogFileReader& reader) {
  CTMByteBuffer out;
  EXPECT_EQ(reader.ReadConfiguration(out), kOk);
  return test::ToBytes(out);
}

TEST_F(ContainerTest, WritesTheHeaderAndSectionsAtTheirPositionsAndReadsThemBack) {
  const Bytes cfg = Pattern(180, 1), notes = Pattern(40, 2), data = Pattern(234, 3);
  const std::string path = WriteLog("a.vxl", cfg, notes, data, "Jürgen", "");
  const Bytes file = test::ReadFileBytes(path);
  ASSERT_EQ(file.size(), 574u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 26), std::string("Tamrel Log File Version 2\0", 26));
  EXPECT_EQ(Le(file, 26, 8), 80u);
  EXPECT_EQ(Le(file, 34, 8), 268u);
  EXPECT_EQ(Le(file, 42, 8), 324u);
  EXPECT_EQ(Le(file, 50, 8), kCreated);
  EXPECT_EQ(Bytes(file.begin() + 58, file.begin() + 80),  // UTF-16LE names, each with one byte of its zero unit
            (Bytes{13, 0, 0, 0, 'J', 0, 0xFC, 0, 'r', 0, 'g', 0, 'e', 0, 'n', 0, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Le(file, 80, 8), 180u);
  EXPECT_EQ(Bytes(file.begin() + 88, file.begin() + 268), cfg);
  EXPECT_EQ(Le(file, 268, 8), 0u);
  EXPECT_EQ(Le(file, 276, 8), 40u);
  EXPECT_EQ(Bytes(file.begin() + 284, file.begin() + 324), notes);
  EXPECT_EQ(Le(file, 324, 8), 0u);
  EXPECT_EQ(Le(file, 332, 8), 234u);
  EXPECT_EQ(Bytes(file.begin() + 340, file.end()), data);

  CTMLogFileReader reader;
  ASSERT_EQ(reader.Open(path), kOk);
  EXPECT_FALSE(reader.IsTextForm());
  EXPECT_EQ(reader.CreatorUserName(), "Jürgen");
  EXPECT_EQ(reader.CreatorComputerName(), "");
  EXPECT_EQ(reader.CreationTime(), kCreated);
  EXPECT_EQ(Configuration(reader), cfg);
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadNotes, 15), Bytes(notes.begin(), notes.begin() + 15));
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadNotes, 25), Bytes(notes.begin() + 15, notes.end()));
  EXPECT_EQ(reader.LogDataStart(), static_cast<std::uint64_t>(reader.LogDataPos()) + 16);
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadLogData, 234), data);
}

TEST_F(ContainerTest, WriterRefusesSectionsOutOfOrderAndTheFileIsReadableOnlyAfterClose) {
  const std::uint8_t byte = 7;
  CTMLogFileWriter writer;
  EXPECT_EQ(writer.Create(nullptr), kMissingArgument);
  EXPECT_EQ(writer.Create(""), kInvalidPath);
  EXPECT_EQ(writer.Close(), kOk);  // nothing open
  ASSERT_EQ(writer.Create(PathOf("a.vxl")), kOk);
  EXPECT_EQ(writer.AppendNotes(&byte, 1), kFail);    // before the configuration
  EXPECT_EQ(writer.AppendLogData(&byte, 1), kFail);  // before the configuration
  EXPECT_EQ(writer.WriteConfiguration(&byte, 0), kFail);
  EXPECT_EQ(writer.WriteConfiguration(&byte, 1), kOk);
  EXPECT_EQ(writer.WriteConfiguration(&byte, 1), kFail);  // only once
  EXPECT_EQ(writer.AppendNotes(&byte, 1), kOk);
  EXPECT_EQ(writer.AppendNotes(&byte, 1), kOk);  // appended to the same section
  EXPECT_EQ(writer.AppendLogData(&byte, 0), kOk);
  EXPECT_EQ(writer.AppendLogData(&byte, 1), kOk);
  EXPECT_EQ(writer.AppendNotes(&byte, 1), kFail);  // LogData started
  EXPECT_EQ(writer.AppendLogData(&byte, 1), kOk);
  CTMLogFileReader reader;
  EXPECT_EQ(reader.Open(PathOf("a.vxl")), kOpenFailed);
  EXPECT_EQ(writer.Close(), kOk);

  ASSERT_EQ(reader.Open(PathOf("a.vxl")), kOk);
  EXPECT_EQ(reader.CreatorUserName(), platform::CurrentUserName());
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadNotes, 2), (Bytes{7, 7}));
  EXPECT_EQ(reader.LogDataSize(), 2u);
}

TEST_F(ContainerTest, OpenReportsArgumentAndFileFailures) {
  CTMLogFileReader reader;
  EXPECT_EQ(reader.Open(nullptr), kMissingArgument);
  EXPECT_EQ(reader.Open(""), kInvalidPath);
  const std::string missing = PathOf("missing.vxl");
  EXPECT_EQ(reader.Open(missing), kOpenFailed);
  EXPECT_EQ(reader.LastError(), ENOENT);
  EXPECT_NE(ErrorLogText().find(": **********  Error: Failed to open log file: " + missing + " - error#: 2\n"),
            std::string::npos);

  const std::string path = WriteLog("a.vxl", Pattern(4, 1), {}, {});
  ASSERT_EQ(reader.Open(path), kOk);
  EXPECT_EQ(reader.Open(path), kFail);  // already open
  reader.Close();
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(reader.CreatorUserName(), "Unavailable");
  EXPECT_EQ(reader.Open(WriteFile("junk.bin", Bytes(300, 'x'))), kBadHeader);
  EXPECT_FALSE(reader.IsOpen());
}

// Header fields patched after writing. Offsets: n1 at 58, n2 at 67, cfgPos 76, notesPos 264, dataPos 320.
TEST_F(ContainerTest, BinaryHeaderEdgeCases) {
  struct Case {
    const char* name;
    std::size_t offset;
    std::uint64_t value;
    int width;
    ResultCode open;
    const char* computer;
    std::uint32_t notesSize;
    std::uint32_t dataSize;
  };
  const Case cases[] = {
      {"computer name length 0", 67, 0, 4, kOk, "Unavailable", 40, 234},
      {"computer name length 256", 67, 256, 4, kOk, "Unavailable", 40, 234},
      {"notes size high bits", 272, 0xFFFFFFFF00000028ULL, 8, kOk, "PC", 40, 234},
      {"data size high bits", 328, 0x00000001000000EAULL, 8, kOk, "PC", 40, 234},
      {"user name longer than the file", 58, 0xFFFFFFF0, 4, kBadHeader, "", 0, 0},
      {"configuration beyond the file", 26, 100000, 8, kBadHeader, "", 0, 0},
      {"data header beyond the file", 42, 565, 8, kBadHeader, "", 0, 0},
      {"damaged magic", 24, '3', 1, kBadHeader, "", 0, 0},
  };
  const std::string written = WriteLog("a.vxl", Pattern(180, 1), Pattern(40, 2), Pattern(234, 3));
  const Bytes original = test::ReadFileBytes(written);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = original;
    PutLe(bytes, c.offset, c.value, c.width);
    CTMLogFileReader reader;
    AllocationWatch watch;
    const ResultCode open = reader.Open(WriteFile("patched.vxl", bytes));
    EXPECT_LT(watch.Largest(), 70000u);
    ASSERT_EQ(open, c.open);
    if (Failed(open)) continue;
    EXPECT_EQ(reader.CreatorUserName(), "ab");
    EXPECT_EQ(reader.CreatorComputerName(), c.computer);
    EXPECT_EQ(reader.NotesSize(), c.notesSize);
    EXPECT_EQ(reader.LogDataSize(), c.dataSize);
    EXPECT_EQ(Configuration(reader), Pattern(180, 1));
    EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadNotes, 40), Pattern(40, 2));
    EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadLogData, 234), Pattern(234, 3));
  }
}

TEST_F(ContainerTest, SizeFieldsBeyondTheFileFailWithoutAllocating) {
  const Bytes original = test::ReadFileBytes(WriteLog("a.vxl", Pattern(18, 1), Pattern(4, 2), Pattern(23, 3)));
  const std::size_t cfgPos = Le(original, 26, 8), notesPos = Le(original, 34, 8), dataPos = Le(original, 42, 8);
  Bytes bytes = original;
  PutLe(bytes, cfgPos, 0xFFFFFFF0, 8);
  PutLe(bytes, notesPos + 8, 0xFFFFFFF0, 8);
  PutLe(bytes, dataPos + 8, 0xFFFFFFF0, 8);
  CTMLogFileReader reader;
  ASSERT_EQ(reader.Open(WriteFile("huge.vxl", bytes)), kOk);
  EXPECT_EQ(reader.ConfigurationSize(), 0xFFFFFFF0u);
  CTMByteBuffer out;
  {
    AllocationWatch watch;
    EXPECT_EQ(reader.ReadConfiguration(out), kFail);
    EXPECT_EQ(reader.ReadNotes(0xFFFFFFF0u, out), kFail);
    EXPECT_EQ(reader.ReadLogData(0xFFFFFF00u, out), kFail);
    EXPECT_LT(watch.Largest(), 70000u);
  }
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadLogData, 23), Pattern(23, 3));
}

TEST_F(ContainerTest, ChunkReadsStopAtTheSectionEnd) {
  const std::string path = WriteLog("a.vxl", Pattern(180, 1), Pattern(40, 2), Pattern(234, 3));
  CTMLogFileReader reader;
  ASSERT_EQ(reader.Open(path), kOk);
  const std::uint64_t start = reader.LogDataStart();
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadLogData, 200).size(), 200u);
  Read(reader, &CTMLogFileReader::ReadLogData, 35, kFail);  // one more than remains
  EXPECT_EQ(reader.LogDataCursor(), start + 200);
  const Bytes data = Pattern(234, 3);
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadLogData, 34), Bytes(data.begin() + 200, data.end()));
  Read(reader, &CTMLogFileReader::ReadNotes, 41, kFail);
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadNotes, 40), Pattern(40, 2));

  struct Seek {
    std::uint64_t position;
    bool accepted;
  };
  const Seek seeks[] = {{start - 1, false}, {start, true}, {start + 234, true}, {start + 235, false}, {0, false}};
  for (const Seek& s : seeks) {
    SCOPED_TRACE(s.position);
    ASSERT_TRUE(reader.SeekLogData(start + 10));
    EXPECT_EQ(reader.SeekLogData(s.position), s.accepted);
    EXPECT_EQ(reader.LogDataCursor(), s.accepted ? s.position : start + 10);
  }
  ASSERT_TRUE(reader.SeekLogData(start + 234));
  Read(reader, &CTMLogFileReader::ReadLogData, 1, kFail);
  ASSERT_TRUE(reader.SeekLogData(start + 233));
  EXPECT_EQ(Read(reader, &CTMLogFileReader::ReadLogData, 1), Bytes{data.back()});
}

TEST_F(ContainerTest, ReaderDeniesWritersButNotOtherReaders) {
  const std::string path = WriteLog("a.vxl", Pattern(180, 1), Pattern(40, 2), Pattern(234, 3));
  const Bytes before = test::ReadFileBytes(path);
  CTMLogFileReader first, second;
  ASSERT_EQ(first.Open(path), kOk);
  ASSERT_EQ(second.Open(path), kOk);
  CTMLogFileWriter writer;
  EXPECT_EQ(writer.Create(path), kOpenFailed);
  EXPECT_EQ(test::ReadFileBytes(path), before);  // not emptied
  first.Close();
  EXPECT_EQ(writer.Create(path), kOpenFailed);
  second.Close();
  EXPECT_EQ(writer.Create(path), kOk);
}

}  // namespace
}  // namespace TMSystem
