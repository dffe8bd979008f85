#pragma once
// The numbered system texts (ids 10000-10762) and the unit table. Loaded on first use, English,
// with the translator's override file "SystemStringTable.txt" in the Translate folder applied.

#include <cstdint>
#include <string>

namespace tvk {

// The text of `id`, or "" when there is none. The reference stays valid until the table is unloaded.
const std::string& GetSystemString(std::uint32_t id);

// Name / abbreviation of a unit id; "Unknown" (string 10045) for an id not in the unit table.
const std::string& GetUnitName(std::uint16_t unitId);
const std::string& GetUnitAbbreviation(std::uint16_t unitId);

void UnloadSystemStringTable();

}  // namespace tvk
