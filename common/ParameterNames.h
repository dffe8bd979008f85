#pragma once
// Names of the measured parameters a data column can hold.

#include <string>

namespace tvk {

// The name of a channel's parameter ("Pressure", "Depth", ...) from the system string table;
// "Parameter <id>" for an id without a name.
std::string ParameterName(unsigned parameterId);

}  // namespace tvk
