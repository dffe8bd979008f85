#include "common/ParameterNames.h"

#include "common/Format.h"
#include "common/StringTable.h"

namespace tvk {

std::string ParameterName(unsigned parameterId) {
  // The parameter names follow one another in the string table from Temperature (1) on.
  constexpr unsigned kFirstParameterString = 10299;
  constexpr unsigned kParameterCount = 60;
  const std::string name =
      parameterId >= 1 && parameterId <= kParameterCount ? GetSystemString(kFirstParameterString + parameterId - 1) : "";
  return name.empty() ? StrFormat("Parameter %u", parameterId) : name;
}

}  // namespace tvk
