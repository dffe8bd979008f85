#include "platform/RegistryHive.h"

#include <cstdlib>
#include <exception>
#include <mutex>

#include "platform/RegularFile.h"

namespace tvk::platform {
namespace {

// Hives are a few kilobytes; anything this large is not one.
constexpr std::size_t kMaxHiveBytes = 16u << 20;

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

std::u16string Fold(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = FoldAscii(c);
  return out;
}

bool StartsWithFolded(std::u16string_view text, std::u16string_view upperPrefix) {
  if (text.size() < upperPrefix.size()) return false;
  for (std::size_t i = 0; i < upperPrefix.size(); ++i) {
    if (FoldAscii(text[i]) != upperPrefix[i]) return false;
  }
  return true;
}

std::u16string FromUtf16(std::string_view bytes, bool littleEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[littleEndian ? i : i + 1]);
    const auto hi = static_cast<unsigned char>(bytes[littleEndian ? i + 1 : i]);
    out.push_back(static_cast<char16_t>(lo | (hi << 8)));
  }
  return out;
}

// Length of the sequence a lead byte starts; 0 for a byte that cannot start one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

// One code point from `i` on, advancing `i`; U+FFFD for one byte of an invalid sequence.
char32_t DecodeUtf8(std::string_view bytes, std::size_t& i) {
  static constexpr char32_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  const auto lead = static_cast<unsigned char>(bytes[i]);
  const std::size_t length = SequenceLength(lead);
  if (length == 0 || bytes.size() - i < length) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = lead & kLeadMask[length];
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (next & 0x3Fu);
  }
  i += length;
  return cp < kMin[length] || cp > 0x10FFFF ? 0xFFFD : cp;
}

std::u16string FromUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char32_t cp = DecodeUtf8(bytes, i);
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::u16string DecodeText(std::string_view bytes) {
  auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
  if (starts("\xFF\xFE")) return FromUtf16(bytes.substr(2), true);
  if (starts("\xFE\xFF")) return FromUtf16(bytes.substr(2), false);
  if (starts("\xEF\xBB\xBF")) return FromUtf8(bytes.substr(3));
  if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) return FromUtf16(bytes, true);
  return FromUtf8(bytes);
}

// Full key path with the root spelled out, folded, without trailing separators; empty when the
// root is not one this stand-in keeps.
std::u16string CanonicalKey(std::u16string_view path) {
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  std::u16string folded = Fold(path);
  const std::size_t cut = folded.find(u'\\');
  const std::u16string root = folded.substr(0, cut);
  const std::u16string rest = cut == std::u16string::npos ? std::u16string() : folded.substr(cut);
  if (root == u"HKEY_CURRENT_USER" || root == u"HKCU") return u"HKEY_CURRENT_USER" + rest;
  if (root == u"HKEY_LOCAL_MACHINE" || root == u"HKLM") return u"HKEY_LOCAL_MACHINE" + rest;
  return {};
}

// Reads a quoted text starting after its opening quote; `pos` ends after the closing quote.
bool ReadQuoted(std::u16string_view line, std::size_t& pos, std::u16string& text) {
  while (pos < line.size()) {
    const char16_t c = line[pos++];
    if (c == u'"') return true;
    if (c == u'\\' && pos < line.size() && (line[pos] == u'\\' || line[pos] == u'"')) {
      text.push_back(line[pos++]);
      continue;
    }
    text.push_back(c);
  }
  return false;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// One to `maxDigits` hexadecimal digits and nothing else.
bool ParseHexNumber(std::u16string_view text, std::size_t maxDigits, std::uint32_t& number) {
  text = TrimBlanks(text);
  if (text.empty() || text.size() > maxDigits) return false;
  number = 0;
  for (char16_t c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    number = (number << 4) | static_cast<std::uint32_t>(digit);
  }
  return true;
}

// "aa,bb,..." (possibly empty, a trailing comma allowed).
bool ParseHexBytes(std::u16string_view text, std::vector<std::uint8_t>& bytes) {
  text = TrimBlanks(text);
  while (!text.empty()) {
    const std::size_t comma = text.find(u',');
    std::uint32_t byte = 0;
    if (!ParseHexNumber(text.substr(0, comma), 2, byte)) return false;
    bytes.push_back(static_cast<std::uint8_t>(byte));
    if (comma == std::u16string_view::npos) break;
    text = TrimBlanks(text.substr(comma + 1));
  }
  return true;
}

void AppendUtf16Le(std::u16string_view text, std::vector<std::uint8_t>& bytes) {
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
}

// The data after "=": false when it is not understood; `erase` for "-".
bool ParseData(std::u16string_view data, RegistryValue& value, bool& erase) {
  erase = false;
  data = TrimBlanks(data);
  if (data == u"-") {
    erase = true;
    return true;
  }
  if (!data.empty() && data.front() == u'"') {
    std::size_t pos = 1;
    std::u16string text;
    if (!ReadQuoted(data, pos, text)) return false;
    value.type = kRegSz;
    AppendUtf16Le(text, value.data);
    AppendUtf16Le(std::u16string_view(u"\0", 1), value.data);
    return true;
  }
  if (StartsWithFolded(data, u"DWORD:")) {
    std::uint32_t number = 0;
    if (!ParseHexNumber(data.substr(6), 8, number)) return false;
    value.type = kRegDword;
    for (int shift = 0; shift < 32; shift += 8) {
      value.data.push_back(static_cast<std::uint8_t>(number >> shift));
    }
    return true;
  }
  if (StartsWithFolded(data, u"HEX:")) {
    value.type = kRegBinary;
    return ParseHexBytes(data.substr(4), value.data);
  }
  if (StartsWithFolded(data, u"HEX(")) {
    const std::size_t close = data.find(u"):");
    if (close == std::u16string_view::npos) return false;
    if (!ParseHexNumber(data.substr(4, close - 4), 8, value.type)) return false;
    return ParseHexBytes(data.substr(close + 2), value.data);
  }
  return false;
}

bool IsValueLine(std::u16string_view line) {
  return !line.empty() && (line.front() == u'"' || line.front() == u'@');
}

bool IsKnownRoot(std::string_view root) { return root == kCurrentUserRoot || root == kLocalMachineRoot; }

int ErrorOf(ReadFileResult result) {
  switch (result) {
    case ReadFileResult::kOk: return kErrorSuccess;
    case ReadFileResult::kAccessDenied: return kErrorAccessDenied;
    case ReadFileResult::kTooLarge: return kErrorBadFormat;
    default: return kErrorFileNotFound;  // missing, or not a file a hive can be read from
  }
}

struct CachedHive {
  FileStamp stamp;
  bool settled = false;
  int result = kErrorFileNotFound;
  std::shared_ptr<const RegistryHive> hive;
};

// Parsed hives by file path. Entries are replaced whole, never changed, so a hive handed out stays
// valid and unchanged for as long as its holder keeps it.
class HiveCache {
 public:
  std::shared_ptr<const RegistryHive> Load(const std::string& path, int& result) {
    FileStamp now;
    if (!StampOfFile(path, now)) {
      result = kErrorFileNotFound;
      return nullptr;
    }
    {
      std::lock_guard guard(lock_);
      const auto it = entries_.find(path);
      if (it != entries_.end() && it->second.settled && it->second.stamp == now) {
        result = it->second.result;
        return it->second.hive;
      }
    }
    CachedHive entry = Read(path);
    result = entry.result;
    std::shared_ptr<const RegistryHive> hive = entry.hive;
    std::lock_guard guard(lock_);
    if (entries_.size() >= kMaxEntries) entries_.clear();  // only tests switch folders
    entries_[path] = std::move(entry);
    return hive;
  }

 private:
  static constexpr std::size_t kMaxEntries = 16;

  static CachedHive Read(const std::string& path) {
    CachedHive entry;
    std::string bytes;
    entry.result = ErrorOf(ReadRegularFile(path, kMaxHiveBytes, bytes, entry.stamp));
    if (entry.result != kErrorSuccess) return entry;  // not cached: the stamp was not taken
    entry.settled = StampIsSettled(entry.stamp);
    auto hive = std::make_shared<RegistryHive>();
    entry.result = hive->Parse(bytes);
    if (entry.result == kErrorSuccess) entry.hive = std::move(hive);
    return entry;
  }

  std::mutex lock_;
  std::map<std::string, CachedHive> entries_;
};

HiveCache& Cache() {
  static HiveCache cache;
  return cache;
}

}  // namespace

int RegistryHive::Parse(std::string_view bytes) {
  keys_.clear();
  const std::u16string text = DecodeText(bytes);
  std::u16string_view rest = text;
  auto nextLine = [&rest]() {
    const std::size_t end = rest.find(u'\n');
    const std::u16string_view line = rest.substr(0, end);
    rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
    return TrimBlanks(line);
  };
  const std::u16string_view header = nextLine();
  if (header != kHeader5 && header != kHeader4) return kErrorBadFormat;
  Values* current = nullptr;
  while (!rest.empty()) {
    std::u16string line(nextLine());
    // Long hex data is wrapped with a trailing backslash.
    while (IsValueLine(line) && line.back() == u'\\' && !rest.empty()) {
      line.pop_back();
      line += nextLine();
    }
    ParseLine(line, current);
  }
  return kErrorSuccess;
}

void RegistryHive::ParseLine(std::u16string_view line, Values*& current) {
  if (line.empty() || line.front() == u';') return;
  if (line.front() == u'[') {
    const std::size_t close = line.rfind(u']');
    if (close == std::u16string_view::npos) return;
    std::u16string_view inner = line.substr(1, close - 1);
    current = nullptr;
    if (!inner.empty() && inner.front() == u'-') {
      const std::u16string path = CanonicalKey(inner.substr(1));
      if (!path.empty()) DeleteKey(path);
      return;
    }
    const std::u16string path = CanonicalKey(inner);
    if (!path.empty()) current = &keys_[path];
    return;
  }
  if (current == nullptr || !IsValueLine(line)) return;
  std::size_t pos = 1;
  std::u16string name;
  if (line.front() == u'"' && !ReadQuoted(line, pos, name)) return;
  const std::u16string_view afterName = TrimBlanks(line.substr(pos));
  if (afterName.empty() || afterName.front() != u'=') return;
  RegistryValue value;
  bool erase = false;
  if (!ParseData(afterName.substr(1), value, erase)) return;
  if (erase) {
    current->erase(Fold(name));
  } else {
    (*current)[Fold(name)] = std::move(value);
  }
}

void RegistryHive::DeleteKey(const std::u16string& path) {
  keys_.erase(path);
  const std::u16string prefix = path + u'\\';
  auto it = keys_.lower_bound(prefix);
  while (it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0) it = keys_.erase(it);
}

bool RegistryHive::SetValue(std::string_view keyPath, std::string_view name, RegistryValue value) {
  const std::u16string path = CanonicalKey(FromUtf8(keyPath));
  if (path.empty()) return false;
  keys_[path][Fold(FromUtf8(name))] = std::move(value);
  return true;
}

bool RegistryHive::HasKey(std::string_view keyPath) const {
  const std::u16string path = CanonicalKey(FromUtf8(keyPath));
  if (path.empty()) return false;
  if (keys_.count(path) != 0) return true;
  const std::u16string prefix = path + u'\\';
  const auto it = keys_.lower_bound(prefix);
  return it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

const RegistryValue* RegistryHive::FindValue(std::string_view keyPath, std::string_view name) const {
  const auto key = keys_.find(CanonicalKey(FromUtf8(keyPath)));
  if (key == keys_.end()) return nullptr;
  const auto value = key->second.find(Fold(FromUtf8(name)));
  return value == key->second.end() ? nullptr : &value->second;
}

std::shared_ptr<const RegistryHive> LoadRegistryHive(std::string_view root, int& result) {
  try {
    if (!IsKnownRoot(root)) {
      result = kErrorFileNotFound;
      return nullptr;
    }
    return Cache().Load(RegistryDirectory() + "/" + std::string(root) + ".reg", result);
  } catch (const std::exception&) {
    result = kErrorNotEnoughMemory;
    return nullptr;
  }
}

}  // namespace tvk::platform
