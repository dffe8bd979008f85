#include "platform/Locale.h"

#include <new>

namespace tvk::platform {
namespace {

struct Conversion {
  char letter;
  const char* padded;    // "%X"
  const char* unpadded;  // "%-X" (glibc), null when the picture has no such form
};

// Only fields the picture formatter turns back into the same strftime output.
constexpr Conversion kConversions[] = {
    {'Y', "yyyy", nullptr}, {'y', "yy", nullptr},  {'m', "MM", "M"},   {'b', "MMM", nullptr},
    {'h', "MMM", nullptr},  {'B', "MMMM", nullptr}, {'d', "dd", "d"},   {'H', "HH", "H"},
    {'I', "hh", "h"},       {'M', "mm", "m"},       {'S', "ss", "s"},   {'p', "tt", nullptr},
};

// Composite conversions, expanded before mapping; "%r" is the locale's own.
const char* CompositeOf(char letter) {
  switch (letter) {
    case 'D': return "%m/%d/%y";
    case 'F': return "%Y-%m-%d";
    case 'T': return "%H:%M:%S";
    case 'R': return "%H:%M";
    default: return nullptr;
  }
}

// Picture letters would be read as fields, and the formatter knows no quoting, so literal text
// may hold neither letters nor quotes nor a '%'.
bool IsPlainLiteral(char c) {
  const bool asciiLetter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  return !asciiLetter && c != '\'' && c != '%';
}

bool AppendPicture(std::string_view format, std::string_view ampm, int depth, std::string& out) {
  if (depth > 2) return false;  // "%r" defined through itself
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%') {
      if (!IsPlainLiteral(c)) return false;
      out += c;
      continue;
    }
    if (++i == format.size()) return false;
    const bool unpadded = format[i] == '-';
    if (unpadded && ++i == format.size()) return false;
    const char letter = format[i];
    if (letter == 'r' && !unpadded) {
      if (!AppendPicture(ampm, ampm, depth + 1, out)) return false;
      continue;
    }
    if (const char* composite = CompositeOf(letter); composite != nullptr && !unpadded) {
      if (!AppendPicture(composite, ampm, depth + 1, out)) return false;
      continue;
    }
    const char* picture = nullptr;
    for (const Conversion& conv : kConversions) {
      if (conv.letter == letter) picture = unpadded ? conv.unpadded : conv.padded;
    }
    if (picture == nullptr) return false;
    out += picture;
  }
  return true;
}

}  // namespace

std::string PictureFromStrftime(std::string_view format, std::string_view ampmFormat) {
  try {
    std::string picture;
    if (!AppendPicture(format, ampmFormat, 0, picture)) return {};
    // "ms" is the formatter's milliseconds field, so "%M%S" cannot be said as a picture.
    if (picture.find("ms") != std::string::npos) return {};
    return picture;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace tvk::platform
