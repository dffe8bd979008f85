#pragma once
// The numbered system texts (ids 10000-10762) and the unit table. Loaded on first use, English,
// with the translator's override file "SystemStringTable.txt" in the Translate folder applied.

#include <cstdint>
#include <string>

#include "common/ResultCodes.h"

namespace tvk {

constexpr std::uint32_t kFirstSystemStringId = 10000;
constexpr std::uint32_t kLastSystemStringId = 10762;
constexpr std::uint32_t kUnknownStringId = 10045;

// The text of `id`, or "" when there is none. The reference stays valid until the table is unloaded.
const std::string& GetSystemString(std::uint32_t id);

// Name / abbreviation of a unit id; "Unknown" (string 10045) for an id not in the unit table.
const std::string& GetUnitName(std::uint16_t unitId);
const std::string& GetUnitAbbreviation(std::uint16_t unitId);

void UnloadSystemStringTable();

// Loads the English texts now and applies the override file at `overridePath` when a file exists
// there (an empty path applies none). A file that exists but cannot be applied is reported in a
// warning message box. Returns whether the table is loaded. The first lookup does the same with
// the file in the Translate folder.
bool LoadSystemStringTable(const std::string& overridePath);

// Applies an override file to the loaded table: a UTF-16LE text (with byte-order mark) of lines
// "id<TAB>text". kFail when the table is not loaded or the file cannot be opened; a file without
// the byte-order mark changes nothing and succeeds.
ResultCode ApplySystemStringOverrideFile(const std::string& path);

// Unloads the table and lets the next lookup load it afresh (the override file is read again).
void ReloadSystemStringTableOnNextUse();

}  // namespace tvk
