#include "common/Guid.h"

#include "common/Format.h"
#include "common/TextUtil.h"
#include "common/Utf.h"

namespace tvk {

std::string GuidToText(const Guid& g) {
  return StrFormat("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1, g.data2, g.data3,
                   g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6],
                   g.data4[7]);
}

bool TextToGuid(std::string_view text, Guid& guid) {
  guid = Guid{};
  const std::string upper = ToUpperAscii(text);
  if (upper.size() != 38 || upper.front() != '{' || upper.back() != '}' || upper[9] != '-' ||
      upper[14] != '-' || upper[19] != '-' || upper[24] != '-') {
    return false;
  }
  const std::string_view s(upper);
  Guid parsed;
  bool ok = ParseHex32(s.substr(1), parsed.data1) && ParseHex16(s.substr(10), parsed.data2) &&
            ParseHex16(s.substr(15), parsed.data3);
  static constexpr std::size_t kPairs[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; ok && i < 8; ++i) ok = ParseHex8(s.substr(kPairs[i]), parsed.data4[i]);
  if (!ok) return false;
  guid = parsed;
  return true;
}

}  // namespace tvk
