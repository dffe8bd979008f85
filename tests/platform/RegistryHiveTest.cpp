#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/RegistryHive.h"
#include "support/ScopedEnvironment.h"

namespace tvk::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

// REG_SZ data as stored: UTF-16LE with the terminating zero.
Bytes SzBytes(std::u16string_view text) {
  Bytes bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

const char* const kExport =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n\"Orphan\"=dword:00000001\r\n"
    "[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\SystemSettings]\r\n"
    "; a comment\r\n"
    "\"UseUTC\"=dword:00000002\r\n"
    "\"Short\"=dword:1f\r\n"
    "\"TooLong\"=dword:123456789\r\n"
    "\"NotHex\"=dword:0000000g\r\n"
    "\"Path\"=\"C:\\\\Data \\\"x\\\"\"\r\n"
    "@=\"default\"\r\n"
    "\"Blob\"=hex:01,02,\\\r\n  03,ff\r\n"
    "\"Empty\"=hex:\r\n"
    "\"Expand\"=hex(2):25,00,00,00\r\n"
    "\"BadHex\"=hex:1,2x\r\n"
    "\"Gone\"=\"soon\"\r\n"
    "\"Gone\"=-\r\n"
    "\"Twice\"=\"first\"\r\n"
    "\"twice\"=\"second\"\r\n"
    "\"Unterminated\"=\"abc\r\n"
    "\"NoEquals\" \"x\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\Dropped]\r\n"
    "\"X\"=dword:00000001\r\n"
    "[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\Dropped\\Child]\r\n"
    "\"X\"=dword:00000001\r\n"
    "[-HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\Dropped]\r\n"
    "\"AfterDelete\"=dword:00000001\r\n"
    "[HKEY_CLASSES_ROOT\\Software\\Tamrel\\Dovmark\\SystemSettings]\r\n"
    "\"Foreign\"=dword:00000001\r\n"
    "[HKCU\\Software\\Short]\r\n"
    "\"Alias\"=dword:00000003\r\n";

TEST(RegistryHive, ParsesWhatTheEditorExports) {
  RegistryHive hive;
  ASSERT_EQ(hive.Parse(kExport), kErrorSuccess);
  const std::string dovmark = "HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\";
  const std::string key = dovmark + "SystemSettings";
  struct Row {
    const char* name;
    std::string key;
    const char* value;
    std::optional<RegistryValue> expected;  // nullopt = missing
  };
  const Row rows[] = {
      {"dword", key, "UseUTC", RegistryValue{kRegDword, {2, 0, 0, 0}}},
      {"short dword", key, "Short", RegistryValue{kRegDword, {0x1f, 0, 0, 0}}},
      {"nine-digit dword skipped", key, "TooLong", std::nullopt},
      {"non-hex dword skipped", key, "NotHex", std::nullopt},
      {"escapes", key, "Path", RegistryValue{kRegSz, SzBytes(u"C:\\Data \"x\"")}},
      {"default value", key, "", RegistryValue{kRegSz, SzBytes(u"default")}},
      {"continued hex", key, "Blob", RegistryValue{kRegBinary, {1, 2, 3, 0xff}}},
      {"empty hex", key, "Empty", RegistryValue{kRegBinary, {}}},
      {"expand string keeps its type", key, "Expand", RegistryValue{kRegExpandSz, {0x25, 0, 0, 0}}},
      {"bad hex skipped", key, "BadHex", std::nullopt},
      {"deleted value", key, "Gone", std::nullopt},
      {"later line wins, any case", key, "TWICE", RegistryValue{kRegSz, SzBytes(u"second")}},
      {"unterminated string skipped", key, "Unterminated", std::nullopt},
      {"line without equals skipped", key, "NoEquals", std::nullopt},
      {"value before any key", key, "Orphan", std::nullopt},
      {"key path any case", "hkey_current_user\\SOFTWARE\\tamrel\\dovmark\\systemsettings", "useutc",
       RegistryValue{kRegDword, {2, 0, 0, 0}}},
      {"root alias", "HKEY_CURRENT_USER\\Software\\Short", "Alias", RegistryValue{kRegDword, {3, 0, 0, 0}}},
      {"deleted key", dovmark + "Dropped", "X", std::nullopt},
      {"subkey of deleted key", dovmark + "Dropped\\Child", "X", std::nullopt},
      {"values after a deletion go nowhere", dovmark + "Dropped", "AfterDelete", std::nullopt},
      {"other roots ignored", "HKEY_CLASSES_ROOT\\Software\\Tamrel\\Dovmark\\SystemSettings", "Foreign",
       std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RegistryValue* found = hive.FindValue(row.key, row.value);
    ASSERT_EQ(found != nullptr, row.expected.has_value());
    if (found == nullptr) continue;
    EXPECT_EQ(found->type, row.expected->type);
    EXPECT_EQ(found->data, row.expected->data);
  }
  EXPECT_TRUE(hive.HasKey("HKEY_CURRENT_USER\\Software\\Tamrel"));  // parent of a listed key
  EXPECT_TRUE(hive.HasKey("HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\SystemSettings\\"));
  EXPECT_FALSE(hive.HasKey("HKEY_CURRENT_USER\\Software\\Tam"));
  EXPECT_FALSE(hive.HasKey("HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\Dropped"));
}

TEST(RegistryHive, AcceptsEncodingsAndHeadersOfBothEditorVersions) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n"
      u"\"Sep\"=\"\u00a7\"\r\n";
  struct Row {
    const char* name;
    std::string bytes;
    int result;
  };
  const Row rows[] = {
      {"UTF-16LE with byte-order mark", test::Utf16LeWithBom(text), kErrorSuccess},
      {"UTF-16LE without byte-order mark", test::Utf16LeWithBom(text).substr(2), kErrorSuccess},
      {"UTF-8 with byte-order mark",
       "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
       "[HKEY_CURRENT_USER\\Software\\A]\n\"Sep\"=\"\xC2\xA7\"\n",
       kErrorSuccess},
      {"UTF-8, old header", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"Sep\"=\"\xC2\xA7\"\n",
       kErrorSuccess},
      {"no header", "[HKEY_CURRENT_USER\\Software\\A]\n\"Sep\"=\"\xC2\xA7\"\n", kErrorBadFormat},
      {"empty file", "", kErrorBadFormat},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RegistryHive hive;
    ASSERT_EQ(hive.Parse(row.bytes), row.result);
    if (row.result != kErrorSuccess) continue;
    const RegistryValue* sep = hive.FindValue("HKEY_CURRENT_USER\\Software\\A", "Sep");
    ASSERT_NE(sep, nullptr);
    EXPECT_EQ(sep->data, SzBytes(u"\u00a7"));
  }
}

TEST(RegistryFiles, QueriesReportWin32Codes) {
  test::TempFolder folder;
  test::ScopedEnv registryDir("TAVISKO_REGISTRY_DIR", folder.Path().string());
  test::WriteWholeFile(folder.Path() / "HKEY_CURRENT_USER.reg",
                       "Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark]\r\n\"N\"=dword:7\r\n");
  RegistryValue value;
  EXPECT_EQ(OpenRegistryKey(kCurrentUserRoot, "Software\\Tamrel\\Dovmark"), kErrorSuccess);
  EXPECT_EQ(OpenRegistryKey(kCurrentUserRoot, "software\\TAMREL"), kErrorSuccess);
  EXPECT_EQ(OpenRegistryKey(kCurrentUserRoot, "Software\\Other"), kErrorFileNotFound);
  EXPECT_EQ(OpenRegistryKey(kLocalMachineRoot, "Software\\Tamrel\\Dovmark"), kErrorFileNotFound);
  EXPECT_EQ(OpenRegistryKey("HKEY_USERS", "Software"), kErrorFileNotFound);
  EXPECT_EQ(QueryRegistryValue(kCurrentUserRoot, "Software\\Tamrel\\Dovmark", "N", value), kErrorSuccess);
  EXPECT_EQ(value.data, (Bytes{7, 0, 0, 0}));
  EXPECT_EQ(QueryRegistryValue(kCurrentUserRoot, "Software\\Tamrel\\Dovmark", "M", value),
            kErrorFileNotFound);
  EXPECT_EQ(QueryRegistryValue(kCurrentUserRoot, "Software\\Tamrel", "N", value), kErrorFileNotFound);
  test::WriteWholeFile(folder.Path() / "HKEY_LOCAL_MACHINE.reg", "not an export");
  EXPECT_EQ(OpenRegistryKey(kLocalMachineRoot, "Software"), kErrorBadFormat);
}

TEST(RegistryDirectory, FollowsTheEnvironment) {
  struct Row {
    const char* name;
    std::optional<std::string> registryDir, configHome, home;
    std::string expected;
  };
  const Row rows[] = {
      {"own variable first", "/reg", "/cfg", "/home/u", "/reg"},
      {"config home", std::nullopt, "/cfg", "/home/u", "/cfg/tavisko"},
      {"empty own variable ignored", "", "/cfg", "/home/u", "/cfg/tavisko"},
      {"relative config home ignored", std::nullopt, "cfg", "/home/u", "/home/u/.config/tavisko"},
      {"home", std::nullopt, std::nullopt, "/home/u", "/home/u/.config/tavisko"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    test::ScopedEnv a("TAVISKO_REGISTRY_DIR", row.registryDir);
    test::ScopedEnv b("XDG_CONFIG_HOME", row.configHome);
    test::ScopedEnv c("HOME", row.home);
    EXPECT_EQ(RegistryDirectory(), row.expected);
  }
}

}  // namespace
}  // namespace tvk::platform
