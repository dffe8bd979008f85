#include "common/StringTable.h"

#include <atomic>
#include <filesystem>
#include <limits>
#include <mutex>
#include <new>
#include <string_view>
#include <vector>

#include "common/ErrorLog.h"
#include "common/Format.h"
#include "common/SystemStringsEnglish.h"
#include "common/TextUtil.h"
#include "common/Utf.h"
#include "common/WorkingFolders.h"
#include "platform/MessageBox.h"
#include "platform/RegularFile.h"
#include "platform/Path.h"

namespace tvk {
namespace {

struct Entry {
  std::uint32_t id;
  std::string text;
};

struct TableState {
  std::vector<Entry> entries;
  bool loaded = false;
  bool contiguous = false;
  std::uint32_t firstId = 0;
  std::uint32_t maxId = 0;
  bool loadPending = true;
  // Set once the first load has been tried, so lookups after that take no lock.
  std::atomic<bool> settled{false};
  std::mutex lock;
};

TableState& State() {
  static TableState state;
  return state;
}

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

struct UnitRow {
  std::uint16_t unitId;
  std::uint32_t nameId;
  std::uint32_t abbreviationId;
};

// Names take 10363 upward and abbreviations 10425 upward in row order; units added to the table
// later took free ids at the end of the string table.
constexpr UnitRow kUnitRows[] = {
    {0, 10045, 10045},   {1, 10363, 10425},   {2, 10364, 10426},   {3, 10365, 10427},
    {17, 10366, 10428},  {18, 10367, 10429},  {19, 10368, 10430},  {20, 10369, 10431},
    {21, 10370, 10432},  {22, 10371, 10433},  {23, 10372, 10434},  {24, 10373, 10435},
    {25, 10374, 10436},  {26, 10375, 10437},  {27, 10601, 10602},  {33, 10376, 10438},
    {34, 10377, 10439},  {35, 10378, 10440},  {36, 10379, 10441},  {37, 10380, 10442},
    {38, 10381, 10443},  {49, 10382, 10444},  {50, 10383, 10445},  {51, 10384, 10446},
    {65, 10385, 10447},  {66, 10386, 10448},  {81, 10387, 10449},  {97, 10388, 10450},
    {113, 10389, 10451}, {114, 10390, 10452}, {115, 10391, 10453}, {116, 10392, 10454},
    {117, 10393, 10455}, {118, 10394, 10456}, {119, 10395, 10457}, {129, 10396, 10458},
    {145, 10397, 10459}, {161, 10398, 10460}, {162, 10399, 10461}, {163, 10400, 10462},
    {177, 10401, 10463}, {193, 10402, 10464}, {194, 10403, 10465}, {195, 10404, 10466},
    {209, 10405, 10467}, {210, 10406, 10468}, {211, 10407, 10469}, {212, 10408, 10470},
    {213, 10409, 10471}, {214, 10410, 10472}, {215, 10411, 10473}, {216, 10412, 10474},
    {217, 10413, 10475}, {218, 10414, 10476}, {219, 10415, 10477}, {220, 10416, 10478},
    {221, 10417, 10479}, {222, 10418, 10480}, {225, 10419, 10481}, {226, 10420, 10482},
    {227, 10421, 10483}, {228, 10422, 10484}, {229, 10423, 10485}, {230, 10424, 10486},
    {231, 10657, 10659}, {241, 10658, 10660}, {257, 10725, 10726},
};
static_assert(std::size(kUnitRows) == 67);

const UnitRow* FindUnit(std::uint16_t unitId) {
  for (const UnitRow& row : kUnitRows) {
    if (row.unitId == unitId) return &row;
  }
  return nullptr;
}

void UnloadLocked(TableState& state) {
  std::vector<Entry>().swap(state.entries);
  state.loaded = false;
  state.contiguous = false;
  state.firstId = 0;
  state.maxId = 0;
}

void LoadBuiltInLocked(TableState& state) {
  UnloadLocked(state);
  std::vector<Entry> entries;
  entries.reserve(kSystemStringCount);
  for (const BuiltInString& builtIn : kEnglishSystemStrings) entries.push_back({builtIn.id, builtIn.text});
  if (entries.empty()) return;
  state.entries = std::move(entries);
  state.firstId = state.entries.front().id;
  state.contiguous = true;
  state.maxId = 0;
  for (std::size_t i = 0; i < state.entries.size(); ++i) {
    const std::uint32_t id = state.entries[i].id;
    if (id != state.firstId + i) state.contiguous = false;
    if (id > state.maxId) state.maxId = id;
  }
  state.loaded = true;
}

Entry* FindEntryLocked(TableState& state, std::uint32_t id) {
  if (!state.loaded || id < state.firstId || id > state.maxId) return nullptr;
  if (state.contiguous) return &state.entries[id - state.firstId];
  for (Entry& entry : state.entries) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

// Reads like the C runtime's wide atoi: leading blanks, an optional sign, decimal digits; anything
// else ends the number, and a text without digits reads as 0. Out-of-range values saturate.
std::int32_t ParseId(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) {
      return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    }
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::string Unescape(std::string text) {
  ReplaceAll(text, "\\t", "\t");
  ReplaceAll(text, "\\n", "\n");
  ReplaceAll(text, "\\r", "\r");
  ReplaceAll(text, "\\\"", "\"");
  return text;
}

// Translations are a few hundred kilobytes; anything this large is not one.
constexpr std::size_t kMaxOverrideBytes = 16u << 20;

// The next line of UTF-16LE code units from `pos` up to a line feed or the end, carriage returns
// dropped. A lone trailing byte is not a code unit and is ignored. False at the end.
bool NextLine(std::string_view bytes, std::size_t& pos, std::u16string& line) {
  line.clear();
  if (bytes.size() - pos < 2) return false;
  while (bytes.size() - pos >= 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[pos]) |
                                            (static_cast<unsigned char>(bytes[pos + 1]) << 8));
    pos += 2;
    if (unit == u'\n') return true;
    if (unit != u'\r') line.push_back(unit);
  }
  return true;
}

void ApplyLineLocked(TableState& state, std::u16string_view line) {
  const std::string trimmed = Trim(Utf16ToUtf8(line));
  if (trimmed.empty()) return;
  const std::vector<std::string> fields = SplitText(trimmed, '\t');
  if (fields.size() < 2) return;
  std::string text;
  for (std::size_t i = 1; i < fields.size(); ++i) text += fields[i];
  Entry* entry = FindEntryLocked(state, static_cast<std::uint32_t>(ParseId(fields[0])));
  if (entry != nullptr) entry->text = Unescape(std::move(text));
}

ResultCode ApplyOverrideLocked(TableState& state, const std::string& path) {
  if (!state.loaded || state.entries.empty()) return kFail;
  std::string bytes;
  platform::FileStamp stamp;
  // A FIFO or device in the file's place is refused rather than waited on.
  if (platform::ReadRegularFile(path, kMaxOverrideBytes, bytes, stamp) != platform::ReadFileResult::kOk) {
    return kFail;
  }
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE) {
    return kOk;
  }
  std::size_t pos = 2;
  std::u16string line;
  while (NextLine(bytes, pos, line)) ApplyLineLocked(state, line);
  return kOk;
}

// Loads the table; returns the warning to show once the table's lock is released, if any.
std::string LoadLocked(TableState& state, const std::string& overridePath, bool& loaded) {
  LoadBuiltInLocked(state);
  loaded = state.loaded;
  std::error_code error;
  if (!loaded || overridePath.empty() || !std::filesystem::exists(platform::PathFromUtf8(overridePath), error)) return {};
  if (Succeeded(ApplyOverrideLocked(state, overridePath))) return {};
  return StrFormat("Failed to override system string table from file:\n%s", overridePath.c_str());
}

constexpr const char* kWarningTitle = "System String Table Error";

// Never called with the table's lock held: a message box may wait for another thread that is itself
// looking up a text.
void ShowWarning(const std::string& text) {
  if (text.empty()) return;
  if (!platform::ShowWarningMessageBox(text, kWarningTitle)) WriteErrorLog(std::string(kWarningTitle) + ": " + text);
}

std::string DefaultOverridePath() { return CombinePath(GetTranslateDir(), "SystemStringTable.txt"); }

void EnsureLoaded() {
  TableState& state = State();
  if (state.settled.load(std::memory_order_acquire)) return;
  std::string warning;
  {
    std::lock_guard guard(state.lock);
    // Cleared before loading, so a lookup made while the load is under way does not load again.
    if (!state.loadPending) return;
    state.loadPending = false;
    try {
      bool loaded = false;
      warning = LoadLocked(state, DefaultOverridePath(), loaded);
    } catch (...) {
      UnloadLocked(state);
    }
    state.settled.store(true, std::memory_order_release);
  }
  ShowWarning(warning);
}

const std::string& LookUp(std::uint32_t id) {
  EnsureLoaded();
  Entry* entry = FindEntryLocked(State(), id);
  return entry == nullptr ? EmptyText() : entry->text;
}

}  // namespace

const std::string& GetSystemString(std::uint32_t id) { return LookUp(id); }

const std::string& GetUnitName(std::uint16_t unitId) {
  const UnitRow* row = FindUnit(unitId);
  return LookUp(row == nullptr ? kUnknownStringId : row->nameId);
}

const std::string& GetUnitAbbreviation(std::uint16_t unitId) {
  const UnitRow* row = FindUnit(unitId);
  return LookUp(row == nullptr ? kUnknownStringId : row->abbreviationId);
}

void UnloadSystemStringTable() {
  TableState& state = State();
  std::lock_guard guard(state.lock);
  UnloadLocked(state);
}

bool LoadSystemStringTable(const std::string& overridePath) {
  TableState& state = State();
  bool loaded = false;
  std::string warning;
  {
    std::lock_guard guard(state.lock);
    state.loadPending = false;
    try {
      warning = LoadLocked(state, overridePath, loaded);
    } catch (...) {
      UnloadLocked(state);
      loaded = false;
    }
    state.settled.store(true, std::memory_order_release);
  }
  ShowWarning(warning);
  return loaded;
}

bool LoadSystemStringTable() {
  try {
    return LoadSystemStringTable(DefaultOverridePath());
  } catch (...) {
    return false;
  }
}

ResultCode ApplySystemStringOverrideFile(const std::string& path) {
  TableState& state = State();
  std::lock_guard guard(state.lock);
  try {
    return ApplyOverrideLocked(state, path);
  } catch (...) {
    return kUnexpected;
  }
}

void ReloadSystemStringTableOnNextUse() {
  TableState& state = State();
  std::lock_guard guard(state.lock);
  UnloadLocked(state);
  state.loadPending = true;
  state.settled.store(false, std::memory_order_release);
}

}  // namespace tvk
