// The Windows services behind the platform layer, on the system itself (Wine in CI).

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/File.h"
#include "platform/Path.h"
#include "platform/RegistryHive.h"
#include "platform/SystemInfo.h"
#include "platform/TimeZone.h"
#include "platform/windows/Wide.h"
#include "support/ScopedEnvironment.h"

namespace tvk::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The names in a folder, as Windows spells them.
std::vector<std::wstring> Names(const test::TempFolder& folder) {
  std::vector<std::wstring> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) names.push_back(entry.path().filename().wstring());
  return names;
}

Bytes ReadBack(const std::string& path) {
  CFile file;
  if (!file.OpenForSharedRead(path.c_str())) return {};
  Bytes bytes(static_cast<std::size_t>(file.Size()));
  if (!file.Read(bytes.data(), bytes.size())) return {};
  return bytes;
}

bool WriteNew(const std::string& path, const Bytes& bytes, Placement placement = Placement::kNoReplace) {
  CFile file;
  return file.CreateForWriting(path.c_str(), placement) && file.Write(bytes.data(), bytes.size()) && file.Close();
}

TEST(WindowsRegistry, ReadsValuesAKeyHoldsInTheSystemRegistry) {
  test::ScopedEnv files("TAVISKO_REGISTRY_DIR", std::nullopt);
  const std::wstring subKey = L"Software\\Tavisko Tests\\" + std::to_wstring(GetCurrentProcessId());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring folder = L"C:\\Ĺógger data";
  RegSetValueExW(key, L"WorkingDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  const DWORD on = 1;
  RegSetValueExW(key, L"UseUTC", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
  RegCloseKey(key);
  const std::string sub = windows::Narrow(subKey);

  EXPECT_EQ(OpenRegistryKey(kCurrentUserRoot, sub), kErrorSuccess);
  EXPECT_EQ(OpenRegistryKey(kLocalMachineRoot, sub), kErrorFileNotFound);
  RegistryValue value;
  ASSERT_EQ(QueryRegistryValue(kCurrentUserRoot, sub, "workingdir", value), kErrorSuccess) << "names ignore case";
  EXPECT_EQ(value.type, kRegSz);
  EXPECT_EQ(QueryRegistryValue(kCurrentUserRoot, sub, "Missing", value), kErrorFileNotFound);
  int result = -1;
  const auto hive = LoadRegistryKey(std::string(kCurrentUserRoot) + "\\" + sub, result);
  ASSERT_NE(hive, nullptr);
  const RegistryValue* utc = hive->FindValue(std::string(kCurrentUserRoot) + "\\" + sub, "UseUTC");
  ASSERT_NE(utc, nullptr);
  EXPECT_EQ(utc->type, kRegDword);
  EXPECT_EQ(utc->data, (Bytes{1, 0, 0, 0}));

  RegDeleteTreeW(HKEY_CURRENT_USER, subKey.c_str());
  EXPECT_EQ(OpenRegistryKey(kCurrentUserRoot, sub), kErrorFileNotFound);
}

TEST(WindowsTimeZone, ComesFromTheSystemWithItsDaylightRule) {
  // CTest starts the suite with the Unix TZ=Europe/Helsinki, from which Wine makes its Windows
  // zone; a zone name is no POSIX rule, so the engine asks Windows.
  TIME_ZONE_INFORMATION system{};
  GetTimeZoneInformation(&system);
  if (system.DaylightDate.wMonth == 0) GTEST_SKIP() << "this system's zone keeps no daylight time";
  const TimeZoneInfo zone = CurrentTimeZone();
  ASSERT_TRUE(zone.HasDaylightRule());
  EXPECT_EQ(zone.bias, system.Bias);
  EXPECT_EQ(zone.daylightBias, system.DaylightBias);
  EXPECT_EQ(zone.daylightDate.month, system.DaylightDate.wMonth);
  EXPECT_EQ(zone.daylightDate.occurrence, system.DaylightDate.wDay);
  EXPECT_EQ(zone.standardDate.month, system.StandardDate.wMonth);
  EXPECT_EQ(zone.standardName, windows::Narrow(system.StandardName));
  {
    test::ScopedEnv rule("TZ", "EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(CurrentTimeZone().bias, 300) << "a POSIX rule in TZ wins, as in the C runtime";
  }
}

TEST(WindowsFiles, PathsOutsideTheAnsiCodePageWork) {
  test::TempFolder folder;
  const std::string path = Utf8FromPath(folder.Path()) + "\\Ĺógger ✓.vxl";
  const Bytes bytes{1, 2, 3, 250};
  ASSERT_TRUE(WriteNew(path, bytes));
  EXPECT_EQ(Names(folder), std::vector<std::wstring>{L"Ĺógger ✓.vxl"});
  EXPECT_EQ(ReadBack(path), bytes);
  FileIdentity identity;
  EXPECT_EQ(ReadFileIdentity(path.c_str(), identity), 0);
  EXPECT_EQ(identity.size, 4u);
}

TEST(WindowsFiles, ATakenNameIsNeverReplaced) {
  test::TempFolder folder;
  const std::string path = Utf8FromPath(folder.Path()) + "\\out.vxl";
  ASSERT_TRUE(WriteNew(path, {9}));
  CFile early;
  EXPECT_FALSE(early.CreateForWriting(path.c_str(), Placement::kNoReplace));
  EXPECT_EQ(early.LastError(), EEXIST);
  EXPECT_FALSE(early.CreateForWriting((Utf8FromPath(folder.Path()) + "\\OUT.VXL").c_str(), Placement::kNoReplace))
      << "names compare as the file system does";

  // Taken while the new file was being written: placing it fails, and nothing else changes.
  const std::string later = Utf8FromPath(folder.Path()) + "\\later.vxl";
  CFile file;
  ASSERT_TRUE(file.CreateForWriting(later.c_str(), Placement::kNoReplace));
  ASSERT_TRUE(file.Write("new", 3));
  ASSERT_TRUE(WriteNew(later, {7}));
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(file.LastError(), EEXIST);
  EXPECT_EQ(ReadBack(later), Bytes{7});
  EXPECT_EQ(Names(folder).size(), 2u) << "no temporary file is left";
}

TEST(WindowsFiles, AReaderKeepsWritersOut) {
  test::TempFolder folder;
  const std::string path = Utf8FromPath(folder.Path()) + "\\held.vxl";
  ASSERT_TRUE(WriteNew(path, {1}));
  CFile reader;
  ASSERT_TRUE(reader.OpenForSharedRead(path.c_str()));
  CFile second;
  EXPECT_TRUE(second.OpenForSharedRead(path.c_str())) << "readers share";
  CFile writer;
  EXPECT_FALSE(writer.CreateForWriting(path.c_str(), Placement::kReplace));
  EXPECT_EQ(writer.LastError(), EWOULDBLOCK);
  reader.Close();
  second.Close();
  EXPECT_TRUE(WriteNew(path, {2}, Placement::kReplace));
  EXPECT_EQ(ReadBack(path), Bytes{2});
}

TEST(WindowsFiles, AnInterruptedPlacementLeavesNothing) {
  test::TempFolder folder;
  const std::string path = Utf8FromPath(folder.Path()) + "\\cut.vxl";
  {
    CFile file;
    ASSERT_TRUE(file.CreateForWriting(path.c_str(), Placement::kNoReplace));
    ASSERT_TRUE(file.Write("data", 4));
    EXPECT_FALSE(file.Close([] { return true; }));
    EXPECT_EQ(file.LastError(), ECANCELED);
  }
  EXPECT_TRUE(Names(folder).empty());
  {
    // Written, never closed: the object goes as a crash would take the process.
    CFile file;
    ASSERT_TRUE(file.CreateForWriting(path.c_str(), Placement::kNoReplace));
    ASSERT_TRUE(file.Write(std::string(100'000, 'x').data(), 100'000));
  }
  EXPECT_TRUE(Names(folder).empty());
}

TEST(WindowsProgram, VersionComesFromTheVersionResource) {
  const std::wstring module = windows::Widen(ExecutablePath());
  DWORD ignored = 0;
  EXPECT_GT(GetFileVersionInfoSizeW(module.c_str(), &ignored), 0u);
  EXPECT_EQ(ExecutableVersion(), TAVISKO_TEST_VERSION);
  EXPECT_EQ(ExecutableFileName(), "test_platform.exe");
  EXPECT_FALSE(CurrentUserName().empty());
  EXPECT_FALSE(ComputerName().empty());
}

}  // namespace
}  // namespace tvk::platform
