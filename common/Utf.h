#pragma once
// UTF-8 inside the engine, UTF-16 at the byte boundary.
//
// The conversion is lossless in both directions: an unpaired surrogate read from a file is kept as
// its own three-byte sequence (the generalised UTF-8 form), so a text read and written back gives the
// same code units. Invalid UTF-8 bytes become U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace tvk {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Number of UTF-16 code units the text takes.
std::size_t Utf16Length(std::string_view text);

// The text cut to at most `units` UTF-16 code units.
std::string TruncateUtf16(std::string_view text, std::size_t units);

// ASCII-only case folding, used for key names and paths compared without regard to case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view text);

}  // namespace tvk
