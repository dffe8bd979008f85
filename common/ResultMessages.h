#pragma once

#include <cstdint>
#include <string>

namespace tvk {

// The message of a result code; "Unknown Error" for a code the table lacks.
const std::string& GetResultCodeMessage(std::int32_t code);

}  // namespace tvk
