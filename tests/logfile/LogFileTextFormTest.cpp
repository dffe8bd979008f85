#include <gtest/gtest.h>

#include "common/TextUtil.h"

#include <string>
#include <vector>

#include "logfile/LogFileReader.h"
#include "support/ScopedEnvironment.h"

namespace TMSystem {
namespace {

using namespace tvk;
using Bytes = std::vector<std::uint8_t>;

std::string Section(const std::string& tag, int size, const std::vector<std::string>& hexLines) {
  std::string text = "<" + tag + ">\n<Hdr> Version=1,Size=" + std::to_string(size) + " </Hdr>\n";
  if (!hexLines.empty()) {
    text += "<Bytes>\n";
    for (const std::string& line : hexLines) text += line + "\n";
    text += "</Bytes>\n";
  }
  return text + "</" + tag + ">\n";
}

// The body of a well-formed file: Configuration 01 02 03, Notes A0 B1, LogData FF.
struct TextLog {
  std::string first = "<TamrelLogFile>\n";
  std::string header = "<Hdr> Version=1,Size=6 </Hdr>\n";
  std::string cfg = Section("Configuration", 3, {"0102", "03"});
  std::string notes = Section("Notes", 2, {"a0B1"});
  std::string data = Section("LogData", 1, {"FF"});
  std::string last = "</TamrelLogFile>\n";
  std::string Text() const { return first + header + cfg + notes + data + last; }
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string WithCrLf(std::string text) {
  tvk::ReplaceAll(text, "\n", "\r\n");
  return text;
}

class TextFormTest : public ::testing::Test {
 protected:
  ResultCode Open(const std::string& content) {
    reader_.Close();
    test::WriteWholeFile(path_, content);
    return reader_.Open(path_);
  }

  test::TempFolder folder_;
  const std::string path_ = folder_ / "t.vxl";
  CTMLogFileReader reader_;
};

TEST_F(TextFormTest, ReadsSectionsOfAWellFormedFile) {
  ASSERT_EQ(Open(TextLog().Text()), kOk);
  EXPECT_TRUE(reader_.IsTextForm());
  EXPECT_EQ(reader_.CreatorUserName(), "Unavailable");
  EXPECT_EQ(reader_.CreatorComputerName(), "Unavailable");
  EXPECT_EQ(reader_.CreationTime(), kUnixEpochFileTime);
  CTMByteBuffer out;
  ASSERT_EQ(reader_.ReadConfiguration(out), kOk);
  EXPECT_EQ(Bytes(out.Data(), out.Data() + out.Size()), (Bytes{1, 2, 3}));
  ASSERT_EQ(reader_.ReadNotes(2, out), kOk);
  EXPECT_EQ(Bytes(out.Data(), out.Data() + out.Size()), (Bytes{0xA0, 0xB1}));
  EXPECT_EQ(reader_.LogDataStart(), 0u);
  EXPECT_EQ(reader_.ReadLogData(2, out), kFail);
  ASSERT_EQ(reader_.ReadLogData(1, out), kOk);
  EXPECT_EQ(out.Data()[0], 0xFF);
  EXPECT_TRUE(reader_.SeekLogData(0));
  EXPECT_TRUE(reader_.SeekLogData(1));
  EXPECT_FALSE(reader_.SeekLogData(2));
  EXPECT_EQ(reader_.ReadLogData(1, out), kFail);
}

TEST_F(TextFormTest, LayoutRules) {
  const std::string line98(98, 'A'), line99(99, 'x'), line100(100, 'A');
  TextLog longHex;
  longHex.header = "<Hdr> Version=1,Size=52 </Hdr>\n";
  longHex.cfg = Section("Configuration", 49, {line98});

  struct Case {
    const char* name;
    std::string text;
    ResultCode expected;
  };
  const TextLog ok;
  const Case cases[] = {
      {"well formed", ok.Text(), kOk},
      {"no final line break", Replace(ok.Text(), "</TamrelLogFile>\n", "</TamrelLogFile>"), kOk},
      {"hex line of 98 characters", longHex.Text(), kOk},
      {"hex line of 100 characters",
       Replace(Replace(longHex.Text(), line98, line100), "Size=49", "Size=50"), kBadConfiguration},
      {"other line of 99 characters", Replace(ok.Text(), "</Notes>", "</Notes>" + std::string(91, ' ')), kOk},
      {"100 characters in the notes", Replace(ok.Text(), "</Notes>", "</Notes>" + std::string(92, ' ')), kBadNotes},
      {"100 characters in the data", Replace(ok.Text(), "<LogData>", std::string(100, ' ') + "\n<LogData>"), kBadData},
      {"100 characters in the first line", std::string(85, ' ') + ok.Text(), kBadHeader},
      {"100 characters as the closing line", Replace(ok.Text(), "</TamrelLogFile>", line99 + "z"), kNoEndMarker},
      {"CR LF line ends", WithCrLf(ok.Text()), kBadHeader},
      {"sizes add up to one less", Replace(ok.Text(), "Size=6", "Size=7"), kBadSize},
      {"sizes add up to one more", Replace(ok.Text(), "Size=6", "Size=5"), kBadSize},
      {"notes of size 0 need no bytes",
       Replace(Replace(ok.Text(), ok.notes, Section("Notes", 0, {})), "Size=6", "Size=4"), kOk},
      {"empty configuration", Replace(Replace(ok.Text(), ok.cfg, Section("Configuration", 0, {})), "Size=6", "Size=3"),
       kBadConfiguration},
      {"lines before a tag are skipped", Replace(ok.Text(), "<Notes>", "junk\n\n<Notes>"), kOk},
      {"empty hex lines add nothing", Replace(ok.Text(), "a0B1", "\na0\n\nB1"), kOk},
      {"odd hex line", Replace(ok.Text(), "a0B1", "a0B"), kBadNotes},
      {"more bytes than the size", Replace(ok.Text(), "a0B1", "a0B1C2"), kBadNotes},
      {"pair with a blank", Replace(ok.Text(), "a0B1", " 0B1"), kBadNotes},
      {"pair with a sign", Replace(ok.Text(), "a0B1", "+0B1"), kBadNotes},
      {"pair with 0x", Replace(ok.Text(), "a0B1", "0xB1"), kBadNotes},
      {"no <Bytes> line", Replace(ok.Text(), "<Bytes>\na0B1", "a0B1"), kBadNotes},
      {"no </Bytes> line", Replace(ok.Text(), "a0B1\n</Bytes>", "a0B1"), kBadNotes},
      {"header not on the next line", Replace(ok.Text(), "<LogData>\n", "<LogData>\n\n"), kBadData},
      {"header not at the line start", Replace(ok.Text(), "<LogData>\n<Hdr>", "<LogData>\n <Hdr>"), kBadData},
      {"end of file in the data", ok.first + ok.header + ok.cfg + ok.notes + "<LogData>\n", kBadData},
      {"end of file before the configuration", ok.first + ok.header, kBadConfiguration},
      {"no closing tag of the notes", Replace(ok.Text(), "</Notes>", "</Note>"), kBadNotes},
      {"no end marker", ok.first + ok.header + ok.cfg + ok.notes + ok.data, kNoEndMarker},
      {"end marker not next", Replace(ok.Text(), "</TamrelLogFile>", "\n</TamrelLogFile>"), kNoEndMarker},
      {"first line without the tag", Replace(ok.Text(), "<TamrelLogFile>\n", "<Tamrel>\n"), kBadHeader},
      {"outer header malformed", Replace(ok.Text(), "Version=1,Size=6", "Version=1;Size=6"), kBadHeader},
      {"empty file", "", kBadHeader},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Open(c.text), c.expected);
    EXPECT_EQ(reader_.IsOpen(), Succeeded(c.expected));
    EXPECT_EQ(reader_.IsTextForm(), Succeeded(c.expected));
  }
}

}  // namespace
}  // namespace TMSystem
