#include "common/StringTable.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/TextUtil.h"
#include "common/Utf.h"
#include "common/WorkingFolders.h"
#include "platform/MessageBox.h"

namespace tvk {
namespace {

namespace fs = std::filesystem;

struct QuotedText {
  std::uint32_t id;
  const char* text;
};

// Texts that notes, units and time displays show by id; a translator's file replaces them by the
// same ids, so they must not move.
constexpr QuotedText kQuotedTexts[] = {
    {10009, "User Name"},
    {10045, "Unknown"},
    {10080, "Interval"},
    {10103, "Specific Gravity"},
    {10110, "Time (UTC)"},
    {10152, "Start Time"},
    {10153, "Stop Time"},
    {10167, "TDS Factor"},
    {10169, "Dynamic Specific Gravity Factor"},
    {10178, "Set new reference"},
    {10186, "Level Reference Head Pressure"},
    {10187, "User Note"},
    {10188, "User Adjusted Time To:"},
    {10189, "Fault Recovery Adjusted Time To (UTC):"},
    {10190, "Device Reset"},
    {10191, "Device Taken Offline"},
    {10192, "Device Put Online"},
    {10193, "Sensor Disabled"},
    {10194, "Sensor Enabled"},
    {10195, "Manual Start Command"},
    {10196, "Restart Command"},
    {10197, "Suspend Command"},
    {10198, "Resume Command"},
    {10199, "Manual Stop Command"},
    {10200, "Log auto-started due to lost clock"},
    {10299, "Temperature"},
    {10301, "Depth"},
    {10302, "Level Depth To Water"},
    {10303, "Level Surface Elevation"},
    {10522, "Pressure Offset"},
    {10531, "Used Battery"},
    {10534, "Used Memory"},
    {10538, "External Voltage"},
    {10539, "Internal Voltage"},
    {10542, "Cell Offset"},
    {10543, "Cell Constant"},
    {10544, "Reference Temperature"},
    {10545, "Temperature Coefficient"},
    {10546, "Curve Coefficient"},
    {10547, "Cache Timeout"},
    {10572, "Log Download"},
    {10579, "Factory calibration has expired."},
    {10581, "Virtual Pellam"},
    {10589, "Ignore DST"},
    {10603, "Sensor SN"},
    {10604, "Pressure sensor reset to factory calibration (offset = 0.0)."},
    {10605, "Level reference reset to factory calibration (0.0)."},
    {10606, "Conductivity sensor reset to factory calibration (K=1.0)."},
    {10607, "Pressure sensor calibration. Pressure reading set to zero."},
    {10608, "Level calibration."},
    {10609, "Conductivity calibration."},
    {10611, "Head calibration"},
    {10612, "Head reference"},
    {10613, "Head reference pressure"},
    {10614, "Head reference reset to factory calibration (0.0)."},
    {10662, "Turbidity calibration."},
    {10663, "Slope"},
    {10664, "Offset"},
    {10665, "Luvo calibration."},
    {10666, "Cap serial number"},
    {10667, "Slope"},
    {10668, "Offset"},
    {10669, "ORP calibration."},
    {10670, "Offset(mV)"},
    {10671, "pH calibration."},
    {10672, "Line segment 1"},
    {10673, "Line segment 2"},
    {10674, "Slope(mV/pH)"},
    {10675, "Offset(mV)"},
    {10676, "pH/ORP sensor reset to factory calibration."},
    {10677, "pH sensor reset to factory calibration."},
    {10678, "ORP sensor reset to factory calibration."},
    {10679, "Luvo sensor reset to factory calibration."},
    {10680, "Turbidity sensor reset to factory calibration."},
    {10727, "Nitrate calibration."},
    {10728, "Line segment 1"},
    {10729, "Line segment 2"},
    {10730, "Slope(mV/decade)"},
    {10731, "Offset(mV)"},
    {10732, "Chloride calibration."},
    {10733, "Line segment 1"},
    {10734, "Line segment 2"},
    {10735, "Slope(mV/decade)"},
    {10736, "Offset(mV)"},
    {10737, "Ammonium calibration"},
    {10738, "Line segment 1"},
    {10739, "Line segment 2"},
    {10740, "Slope(mV/decade)"},
    {10741, "Offset(mV)"},
    {10742, "Nitrate sensor reset to factory calibration."},
    {10743, "Chloride sensor reset to factory calibration."},
    {10744, "Ammonium sensor reset to factory calibration."},
};

// A fresh temporary folder per test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("tvk_strings_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// `text` (UTF-8) as UTF-16LE behind the byte-order mark, the way a translator's editor saves it.
std::string Utf16LeFile(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : Utf8ToUtf16(text)) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// Records every message box shown while it lives.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder() {
    previous_ = platform::SetMessageBoxHook([this](const std::string& text, const std::string& title) {
      shown.push_back({text, title});
    });
  }
  ~MessageBoxRecorder() { platform::SetMessageBoxHook(previous_); }

  struct Shown {
    std::string text;
    std::string title;
  };
  std::vector<Shown> shown;

 private:
  platform::MessageBoxHook previous_;
};

class SystemStringTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(LoadSystemStringTable("")); }
  void TearDown() override { LoadSystemStringTable(""); }

  // The table reloaded in English, then the file with `content` applied.
  ResultCode ApplyFile(const std::string& content) {
    const std::string path = folder_.File("SystemStringTable.txt");
    WriteBytes(path, content);
    LoadSystemStringTable("");
    return ApplySystemStringOverrideFile(path);
  }

  TempFolder folder_;
};

TEST_F(SystemStringTable, QuotedTextsAreVerbatim) {
  for (const QuotedText& quoted : kQuotedTexts) {
    SCOPED_TRACE(quoted.id);
    EXPECT_EQ(GetSystemString(quoted.id), quoted.text);
  }
}

TEST_F(SystemStringTable, EveryIdHasText) {
  for (std::uint32_t id = kFirstSystemStringId; id <= kLastSystemStringId; ++id) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(GetSystemString(id).empty());
  }
}

TEST_F(SystemStringTable, IdsOutsideTheTableGiveEmptyText) {
  for (const std::uint32_t id : {0u, 1u, 9999u, 10763u, 20000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(GetSystemString(id), "");
  }
}

TEST_F(SystemStringTable, UnitNamesAndAbbreviations) {
  struct Case {
    std::uint16_t unit;
    const char* name;
    const char* abbreviation;
  };
  const Case cases[] = {
      {0, "Unknown", "Unknown"},
      {1, "celsius", "C"},
      {3, "kelvin", "K"},
      {17, "pounds per square inch", "PSI"},
      {22, "millimeters of Mercury (0°C)", "mmHg"},
      {25, "inches of water (4°C)", "inH2O"},
      {26, "Torr", "Torr"},
      {27, "Atmospheres", "atm"},
      {33, "millimeters", "mm"},
      {35, "meters", "m"},
      {38, "feet", "ft"},
      {65, "µS/cm", "µS/cm"},
      {119, "micro-moles per liter", "µM/L"},
      {177, "%Sat", "%Sat"},
      {216, "Million U.S. Gallons Per Day", "MGD"},
      {222, "Acre Feet Per Day", "acre-ft/day"},
      {225, "Cubic Feet", "ft3"},
      {230, "Acre Feet", "acre-ft"},
      {231, "milli liters", "ml"},
      {241, "percent", "%"},
      {257, "RFU", "RFU"},
      {4, "Unknown", "Unknown"},  // between rows
      {258, "Unknown", "Unknown"},
      {0xFFFF, "Unknown", "Unknown"},
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
  EXPECT_EQ(ApplySystemStringOverrideFile(folder_.File("any.txt")), kFail);
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
      {"replaces the text", "10187\tBenutzernotiz", 10187, "Benutzernotiz"},
      {"keeps non-ASCII text", "10045\tUnbekannt äöü µ", 10045, "Unbekannt äöü µ"},
      {"tabs inside the text are lost", "10187\tA\tB", 10187, "AB"},
      {"an empty field between tabs counts", "10187\t\tB", 10187, "B"},
      {"one field only is skipped", "10187\t", 10187, "User Note"},
      {"no tab is skipped", "10187 Notiz", 10187, "User Note"},
      {"blank ends are trimmed", "  10187\tNotiz \x01 ", 10187, "Notiz"},
      {"blanks inside the text stay", "10187\t Notiz", 10187, " Notiz"},
      {"escaped line feed", "10187\tA\\nB", 10187, "A\nB"},
      {"escaped tab", "10187\tA\\tB", 10187, "A\tB"},
      {"escaped carriage return", "10187\tA\\rB", 10187, "A\rB"},
      {"escaped quotation mark", "10187\tsay \\\"hi\\\"", 10187, "say \"hi\""},
      {"double backslash before n", "10187\tA\\\\nB", 10187, "A\\\nB"},
      {"a plus sign is allowed", "+10187\tX", 10187, "X"},
      {"digits end at the first other character", "10187abc\tX", 10187, "X"},
      {"a non-numeric id reads as 0", "abc\tX", 10187, "User Note"},
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

TEST_F(SystemStringTable, OverrideLinesApplyOneByOne) {
  const std::string content =
      "\r\n"
      "10187\tNotiz\r\n"
      "garbage\r\n"
      "10187\r\n"
      "   \r\n"
      "10009\tBenutzer\n"
      "10009\tBenutzername\n"  // a later line for the same id wins
      "10299\tTemperatur";
  ASSERT_EQ(ApplyFile(Utf16LeFile(content)), kOk);
  EXPECT_EQ(GetSystemString(10187), "Notiz");
  EXPECT_EQ(GetSystemString(10009), "Benutzername");
  EXPECT_EQ(GetSystemString(10299), "Temperatur");
  EXPECT_EQ(GetSystemString(10301), "Depth");
}

TEST_F(SystemStringTable, OverrideReplacesUnitTexts) {
  ASSERT_EQ(ApplyFile(Utf16LeFile("10378\tMeter\n10440\tm (Meter)\n")), kOk);
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
      {"empty", ""},
      {"one byte", "\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ApplyFile(c.bytes), kOk);
    EXPECT_EQ(GetSystemString(10187), "User Note");
  }
}

TEST_F(SystemStringTable, OddTrailingByteIsIgnored) {
  ASSERT_EQ(ApplyFile(Utf16LeFile("10187\tNotiz") + "\x41"), kOk);
  EXPECT_EQ(GetSystemString(10187), "Notiz");
}

TEST_F(SystemStringTable, LoadingAppliesAnExistingFileSilently) {
  MessageBoxRecorder recorder;
  const std::string path = folder_.File("SystemStringTable.txt");
  WriteBytes(path, Utf16LeFile("10187\tNotiz\n"));
  ASSERT_TRUE(LoadSystemStringTable(path));
  EXPECT_EQ(GetSystemString(10187), "Notiz");
  ASSERT_TRUE(LoadSystemStringTable(""));
  EXPECT_EQ(GetSystemString(10187), "User Note");
  EXPECT_TRUE(recorder.shown.empty());
}

TEST_F(SystemStringTable, MissingOrUnmarkedFileShowsNothing) {
  MessageBoxRecorder recorder;
  const std::string missing = folder_.File("missing.txt");
  EXPECT_EQ(ApplySystemStringOverrideFile(missing), kFail);
  ASSERT_TRUE(LoadSystemStringTable(missing));
  const std::string unmarked = folder_.File("SystemStringTable.txt");
  WriteBytes(unmarked, "10187\tNotiz\n");
  ASSERT_TRUE(LoadSystemStringTable(unmarked));
  EXPECT_EQ(GetSystemString(10187), "User Note");
  EXPECT_TRUE(recorder.shown.empty());
}

TEST_F(SystemStringTable, FileThatCannotBeOpenedShowsTheMessageBox) {
  MessageBoxRecorder recorder;
  // A folder under the file's name exists but cannot be read as a file.
  const std::string path = folder_.File("SystemStringTable.txt");
  fs::create_directory(path);
  EXPECT_EQ(ApplySystemStringOverrideFile(path), kFail);
  ASSERT_TRUE(LoadSystemStringTable(path));
  ASSERT_EQ(recorder.shown.size(), 1u);
  EXPECT_EQ(recorder.shown[0].text, "Failed to override system string table from file:\n" + path);
  EXPECT_EQ(recorder.shown[0].title, "System String Table Error");
  EXPECT_EQ(GetSystemString(10187), "User Note");
}

// Points the working folders at a temporary home for the test's lifetime.
class ScopedHome {
 public:
  explicit ScopedHome(const fs::path& home) {
    Save("HOME");
    Save("TAVISKO_REGISTRY_DIR");
    Save("XDG_CONFIG_HOME");
    fs::create_directories(home / "registry");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("TAVISKO_REGISTRY_DIR", (home / "registry").c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
  }
  ~ScopedHome() {
    for (const auto& [name, value] : saved_) {
      if (value.has_value) {
        ::setenv(name.c_str(), value.text.c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  struct Value {
    bool has_value;
    std::string text;
  };
  void Save(const char* name) {
    const char* value = std::getenv(name);
    saved_.push_back({name, {value != nullptr, value != nullptr ? value : ""}});
  }
  std::vector<std::pair<std::string, Value>> saved_;
};

TEST_F(SystemStringTable, FirstLookupAppliesTheFileInTheTranslateFolder) {
  ScopedHome home(folder_.Path());
  const std::string translateDir = GetTranslateDir();
  ASSERT_EQ(translateDir.rfind(folder_.Path().string(), 0), 0u) << translateDir;
  WriteBytes(CombinePath(translateDir, "SystemStringTable.txt"), Utf16LeFile("10187\tNotiz\r\n"));

  ReloadSystemStringTableOnNextUse();
  EXPECT_EQ(GetSystemString(10187), "Notiz");
  // Read once: a changed file takes effect only at the next load.
  WriteBytes(CombinePath(translateDir, "SystemStringTable.txt"), Utf16LeFile("10187\tAndere\r\n"));
  EXPECT_EQ(GetSystemString(10187), "Notiz");
  EXPECT_EQ(GetUnitAbbreviation(17), "PSI");
}

}  // namespace
}  // namespace tvk
