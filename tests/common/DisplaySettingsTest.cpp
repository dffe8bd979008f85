#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/DisplaySettings.h"
#include "common/RegistryReader.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

constexpr const char* kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
constexpr const char* kSettingsKey = "[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\SystemSettings]\r\n";

class UserHive : public ::testing::Test {
 protected:
  test::TempFolder folder_;
  test::ScopedEnv registryDir_{"TAVISKO_REGISTRY_DIR", folder_.Path().string()};

  void SetUp() override { ResetDisplaySettingsCache(); }
  void TearDown() override { ResetDisplaySettingsCache(); }

  std::filesystem::path HivePath() const { return folder_.Path() / "HKEY_CURRENT_USER.reg"; }
  void WriteUserHive(const std::string& body) { test::WriteWholeFile(HivePath(), kHeader + body); }
  void WriteSettings(const std::string& values) { test::WriteDisplaySettingsHive(folder_.Path(), values); }
};

class DisplaySettings : public UserHive {};
class RegistryKeyReader : public UserHive {};

TEST_F(RegistryKeyReader, ReturnsWin32Codes) {
  WriteSettings(
      "\"Dword\"=dword:0000002a\r\n"
      "\"Text\"=\"abc\"\r\n"
      "\"Short\"=hex(4):01,02\r\n"
      "\"Long\"=hex(4):01,02,03,04,05\r\n"
      "\"Binary\"=hex:01,02,03,04\r\n"
      "\"Expand\"=hex(2):41,00,00,00\r\n"
      "\"Embedded\"=hex(1):41,00,00,00,42,00,00,00\r\n");
  RegistryReader reader;
  std::uint32_t number = 0;
  std::string text;
  EXPECT_EQ(reader.ReadDword("Dword", number), 6) << "not open";
  EXPECT_EQ(reader.Open(RegistryRoot::CurrentUser, ""), 87);
  EXPECT_EQ(reader.Open(RegistryRoot::CurrentUser, "Software\\Missing"), 2);
  EXPECT_EQ(reader.Open(RegistryRoot::LocalMachine, "Software\\Tamrel"), 2) << "no machine hive";
  ASSERT_EQ(reader.Open(RegistryRoot::CurrentUser, "Software\\Tamrel\\Dovmark\\SystemSettings"), 0);

  struct Row {
    const char* name;
    const char* value;
    int dwordResult;
    int stringResult;
  };
  const Row rows[] = {
      {"dword", "Dword", 0, 11},      {"string", "Text", 11, 0},      {"missing", "Nothing", 2, 2},
      {"short dword", "Short", 13, 11}, {"long dword", "Long", 234, 11}, {"binary", "Binary", 11, 11},
      {"expand string", "Expand", 11, 11}, {"string with a zero inside", "Embedded", 11, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(reader.ReadDword(row.value, number), row.dwordResult);
    EXPECT_EQ(reader.ReadString(row.value, text), row.stringResult);
  }
  EXPECT_EQ(reader.ReadDword("dword", number), 0);
  EXPECT_EQ(number, 42u);
  EXPECT_EQ(reader.ReadString("TEXT", text), 0);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(reader.ReadString("Embedded", text), 0);
  EXPECT_EQ(text, "A");

  // A failed open keeps the key held before.
  EXPECT_EQ(reader.Open(RegistryRoot::CurrentUser, "Software\\Missing"), 2);
  EXPECT_EQ(reader.ReadDword("Dword", number), 0);
  reader.Close();
  EXPECT_EQ(reader.ReadDword("Dword", number), 6);
}

TEST_F(DisplaySettings, ReadsEverySettingFromTheUserHive) {
  WriteSettings(
      "\"ShowDateAndTime\"=dword:00000000\r\n"
      "\"TwoColsDateAndTime\"=dword:00000001\r\n"
      "\"UseUTC\"=dword:00000002\r\n"
      "\"IgnoreDST\"=dword:ffffffff\r\n"
      "\"UseCustomDateFormat\"=dword:00000001\r\n"
      "\"UseCustomTimeFormat\"=dword:00000001\r\n"
      "\"CustomDateFormat\"=\"dd.MM.yyyy\"\r\n"
      "\"CustomTimeFormat\"=\"HH:mm:ss.ms\"\r\n"
      "\"CustomListSeparator\"=\"\\\\t\"\r\n");
  EXPECT_FALSE(GetShowDateAndTime());
  EXPECT_TRUE(GetTwoColsDateAndTime());
  EXPECT_TRUE(GetUseUTC()) << "any non-zero number is on";
  EXPECT_TRUE(GetIgnoreDST());
  EXPECT_TRUE(GetUseCustomDateFormat());
  EXPECT_TRUE(GetUseCustomTimeFormat());
  EXPECT_EQ(GetCustomDateFormat(), "dd.MM.yyyy");
  EXPECT_EQ(GetCustomTimeFormat(), "HH:mm:ss.ms");
  EXPECT_EQ(GetCustomListSeparator(), "\\t");
}

TEST_F(DisplaySettings, DeletedKeyOrWrongTypeKeepsTheLastValuesRead) {
  const std::string wrongTypes = "\"UseUTC\"=\"0\"\r\n\"CustomTimeFormat\"=dword:00000000\r\n";
  struct Row {
    const char* name;
    std::string after;  // hive body after the deletion; empty = file removed
  };
  const Row rows[] = {
      {"file removed", ""},
      {"key removed", "[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark]\r\n"},
      {"key deleted by a later line",
       std::string(kSettingsKey) + "\"UseUTC\"=dword:0\r\n" +
           "[-HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark]\r\n"},
      {"value deleted", std::string(kSettingsKey) + "\"UseUTC\"=-\r\n\"CustomTimeFormat\"=-\r\n"},
      {"values of the wrong type", kSettingsKey + wrongTypes},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ResetDisplaySettingsCache();
    WriteSettings("\"ShowDateAndTime\"=dword:0\r\n\"UseUTC\"=dword:1\r\n\"CustomTimeFormat\"=\"h:mm\"\r\n");
    ASSERT_TRUE(GetUseUTC());
    ASSERT_FALSE(GetShowDateAndTime());
    ASSERT_EQ(GetCustomTimeFormat(), "h:mm");
    if (row.after.empty()) {
      std::filesystem::remove(HivePath());
    } else {
      WriteUserHive(row.after);
    }
    EXPECT_TRUE(GetUseUTC());
    EXPECT_EQ(GetCustomTimeFormat(), "h:mm");
  }
  std::filesystem::remove(HivePath());
  EXPECT_FALSE(GetShowDateAndTime());

  ResetDisplaySettingsCache();
  WriteSettings(wrongTypes);
  EXPECT_FALSE(GetUseUTC()) << "wrong type with nothing read before gives the default";
  EXPECT_EQ(GetCustomTimeFormat(), "");
}

}  // namespace
}  // namespace tvk
