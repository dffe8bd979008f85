#include "common/StringTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "common/TextUtil.h"
#include "common/Utf.h"
#include "common/WorkingFolders.h"
#include "platform/MessageBox.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

namespace fs = std::filesystem;

using test::WriteWholeFile;

std::string Utf16LeFile(const std::string& text) { return test::Utf16LeWithBom(Utf8ToUtf16(text)); }

// Records every message box shown while it lives.
struct MessageBoxRecorder {
  MessageBoxRecorder() {
    previous = platform::SetMessageBoxHook([this](const std::string& text, const std::string& title) {
      shown.push_back(text + "|" + title);
    });
  }
  ~MessageBoxRecorder() { platform::SetMessageBoxHook(previous); }
  std::vector<std::string> shown;
  platform::MessageBoxHook previous;
};

class SystemStringTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(LoadSystemStringTable("")); }
  void TearDown() override { LoadSystemStringTable(""); }

  // The table reloaded in English, then the file with `content` applied.
  ResultCode ApplyFile(const std::string& content) {
    WriteWholeFile(path_, content);
    LoadSystemStringTable("");
    return ApplySystemStringOverrideFile(path_);
  }

  test::TempFolder folder_;
  const std::string path_ = folder_ / "SystemStringTable.txt";
};

TEST_F(SystemStringTable, BuiltInTextsAndUnitNames) {
  for (std::uint32_t id = kFirstSystemStringId; id <= kLastSystemStringId; ++id) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(GetSystemString(id).empty());
  }
  for (const std::uint32_t id : {0u, 9999u, 10763u, 0xFFFFFFFFu}) EXPECT_EQ(GetSystemString(id), "") << id;
  struct Case {
    std::uint16_t unit;
    const char* name;
    const char* abbreviation;
  };
  const Case cases[] = {
      {17, "pounds per square inch", "PSI"}, {35, "meters", "m"}, {65, "µS/cm", "µS/cm"}, {257, "RFU", "RFU"},
      {4, "Unknown", "Unknown"},  // between rows
      {258, "Unknown", "Unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unit);
    EXPECT_EQ(GetUnitName(c.unit), c.name);
    EXPECT_EQ(GetUnitAbbreviation(c.unit), c.abbreviation);
  }
}

TEST_F(SystemStringTable, UnloadedTableGivesEmptyTextUntilLoadedAgain) {
  UnloadSystemStringTable();
  EXPECT_EQ(GetSystemString(10187), "");
  EXPECT_EQ(GetUnitAbbreviation(17), "");
  EXPECT_EQ(ApplySystemStringOverrideFile(path_), kFail);
  ASSERT_TRUE(LoadSystemStringTable(""));
  EXPECT_EQ(GetSystemString(10187), "User Note");
}

TEST_F(SystemStringTable, OverrideLines) {
  struct Case {
    const char* name;
    const char* line;
    std::uint32_t id;
    const char* expected;
  };
  const Case cases[] = {
      {"keeps non-ASCII text", "10045\tUnbekannt äöü µ", 10045, "Unbekannt äöü µ"},
      {"tabs inside the text are lost", "10187\tA\tB", 10187, "AB"},
      {"an empty field between tabs counts", "10187\t\tB", 10187, "B"},
      {"one field only is skipped", "10187\t", 10187, "User Note"},
      {"no tab is skipped", "10187 Notiz", 10187, "User Note"},
      {"blank ends are trimmed", "  10187\tNotiz \x01 ", 10187, "Notiz"},
      {"blanks inside the text stay", "10187\t Notiz", 10187, " Notiz"},
      {"escapes", "10187\tA\\nB\\tC\\rD\\\"", 10187, "A\nB\tC\rD\""},
      {"double backslash before n", "10187\tA\\\\nB", 10187, "A\\\nB"},
      {"a plus sign is allowed", "+10187\tX", 10187, "X"},
      {"digits end at the first other character", "10187abc\tX", 10187, "X"},
      {"a negative id is not in the table", "-10187\tX", 10187, "User Note"},
      {"an id below the table is ignored", "9999\tX", 10000, "Device"},
      {"an id above the table is ignored", "10763\tX", 10762, "Service Complete"},
      {"a huge id is ignored", "99999999999999999999\tX", 10762, "Service Complete"},
      {"the last id can be replaced", "10762\tX", 10762, "X"},
      {"a leading tab is trimmed like a blank", "\t10187\tX", 10187, "X"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* ending : {"", "\n", "\r\n"}) {
      SCOPED_TRACE(testing::Message() << "line ending " << testing::PrintToString(ending));
      ASSERT_EQ(ApplyFile(Utf16LeFile(std::string(c.line) + ending)), kOk);
      EXPECT_EQ(GetSystemString(c.id), c.expected);
    }
  }
}

TEST_F(SystemStringTable, OverrideFileAppliesLinesOneByOne) {
  const std::string content =
      "\r\n10187\tNotiz\r\ngarbage\r\n10187\r\n   \r\n"
      "10009\tBenutzer\n10009\tBenutzername\n"  // a later line for the same id wins
      "10378\tMeter\n10440\tm (Meter)";
  ASSERT_EQ(ApplyFile(Utf16LeFile(content) + "\x41"), kOk);  // an odd trailing byte is ignored
  EXPECT_EQ(GetSystemString(10187), "Notiz");
  EXPECT_EQ(GetSystemString(10009), "Benutzername");
  EXPECT_EQ(GetSystemString(10301), "Depth");
  EXPECT_EQ(GetUnitName(35), "Meter");
  EXPECT_EQ(GetUnitAbbreviation(35), "m (Meter)");
}

TEST_F(SystemStringTable, FilesWithoutTheByteOrderMarkChangeNothing) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"UTF-8", "10187\tNotiz\r\n"},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" "10187\tNotiz\r\n"},
      {"UTF-16 big-endian", std::string("\xFE\xFF\0" "1\0" "0\0" "1\0" "8\0" "7\0\t\0X", 16)},
      {"one byte", "\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ApplyFile(c.bytes), kOk);
    EXPECT_EQ(GetSystemString(10187), "User Note");
  }
}

TEST_F(SystemStringTable, LoadShowsAMessageOnlyForAFileThatCannotBeRead) {
  MessageBoxRecorder recorder;
  WriteWholeFile(path_, Utf16LeFile("10187\tNotiz\n"));
  ASSERT_TRUE(LoadSystemStringTable(path_));
  EXPECT_EQ(GetSystemString(10187), "Notiz");
  EXPECT_EQ(ApplySystemStringOverrideFile(folder_ / "missing.txt"), kFail);
  ASSERT_TRUE(LoadSystemStringTable(folder_ / "missing.txt"));
  EXPECT_EQ(GetSystemString(10187), "User Note");
  EXPECT_TRUE(recorder.shown.empty());

  const std::string folder = folder_ / "folder.txt";  // exists, but cannot be read as a file
  std::filesystem::create_directory(folder);
  EXPECT_EQ(ApplySystemStringOverrideFile(folder), kFail);
  ASSERT_TRUE(LoadSystemStringTable(folder));
  EXPECT_EQ(recorder.shown,
            std::vector<std::string>{"Failed to override system string table from file:\n" + folder +
                                     "|System String Table Error"});
}

TEST_F(SystemStringTable, WarningFromAnotherThreadGoesToTheErrorLogNotTheHook) {
  MessageBoxRecorder recorder;  // bound to this thread
  test::ScopedEnv state("XDG_STATE_HOME", folder_ / "state");
  const std::string folder = folder_ / "folder.txt";
  std::filesystem::create_directory(folder);
  std::thread worker([&] { LoadSystemStringTable(folder); });
  worker.join();
  EXPECT_TRUE(recorder.shown.empty());
  std::ifstream log(folder_ / "state/tavisko/ErrorLog.txt");
  const std::string text((std::istreambuf_iterator<char>(log)), {});
  EXPECT_NE(text.find("System String Table Error: Failed to override system string table from file:"),
            std::string::npos)
      << text;
}

TEST_F(SystemStringTable, FirstLookupAppliesTheFileInTheTranslateFolder) {
  test::ScopedEnv home("HOME", folder_.Path().string());
  test::ScopedEnv registry("TAVISKO_REGISTRY_DIR", folder_ / "registry");
  test::ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
  const std::string file = CombinePath(GetTranslateDir(), "SystemStringTable.txt");
  ASSERT_EQ(file.rfind(folder_.Path().string(), 0), 0u) << file;
  WriteWholeFile(file, Utf16LeFile("10187\tNotiz\r\n"));

  ReloadSystemStringTableOnNextUse();
  EXPECT_EQ(GetSystemString(10187), "Notiz");
  // Read once: a changed file takes effect only at the next load.
  WriteWholeFile(file, Utf16LeFile("10187\tAndere\r\n"));
  EXPECT_EQ(GetSystemString(10187), "Notiz");
}

}  // namespace
}  // namespace tvk
