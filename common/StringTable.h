#pragma once
// The numbered system texts (ids 10000-10762) and the unit table: English, with the translator's
// override file "SystemStringTable.txt" in the Translate folder applied. Loaded by
// LoadSystemStringTable() at start-up, else by the first lookup. Lookups from any thread are safe.

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

// Loads the English texts now and applies the override file "SystemStringTable.txt" in the Translate
// folder, as the first lookup would otherwise do on whatever thread needs a text first. Call it once
// at start-up on the thread that owns the message-box hook (the plug-in's TVK_Initialize, the command
// line's main): a file that exists but cannot be applied is reported in a warning message box, which
// is shown only after the table's lock is released. Returns whether the table is loaded.
bool LoadSystemStringTable();

// The same with the override file at `overridePath` (an empty path applies none).
bool LoadSystemStringTable(const std::string& overridePath);

// Applies an override file to the loaded table: a UTF-16LE text (with byte-order mark) of lines
// "id<TAB>text". kFail when the table is not loaded or the file cannot be opened; a file without
// the byte-order mark changes nothing and succeeds.
ResultCode ApplySystemStringOverrideFile(const std::string& path);

// Unloads the table and lets the next lookup load it afresh (the override file is read again).
void ReloadSystemStringTableOnNextUse();

}  // namespace tvk
