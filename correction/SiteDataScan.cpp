#include "correction/SiteDataScan.h"

#include <algorithm>
#include <filesystem>

#include "common/TextUtil.h"
#include "common/Utf.h"
#include "correction/LevelCorrector.h"
#include "logfile/LogFile.h"
#include "platform/Path.h"

namespace tvk {

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(std::memory_order_relaxed); }

}  // namespace

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const std::u16string x = Utf8ToUtf16(a);
  const std::u16string y = Utf8ToUtf16(b);
  const auto folded = std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                                   [](char16_t p, char16_t q) { return FoldAscii(p) < FoldAscii(q); });
  if (folded || std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(), [](char16_t p, char16_t q) {
        return FoldAscii(p) < FoldAscii(q);
      })) {
    return folded;
  }
  return x < y;  // names alike but for case keep one order everywhere
}

std::vector<SiteLog> ScanSiteFolder(const std::string& folder, const std::atomic<bool>* stop) {
  std::vector<std::string> paths;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(platform::PathFromUtf8(folder), ec), end; !ec && it != end && !Stopped(stop); it.increment(ec)) {
    const std::string path = platform::Utf8FromPath(it->path());
    if (it->is_regular_file(ec) && EqualsIgnoreCase(GetExtension(path), "vxl")) paths.push_back(path);
  }
  std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
    return LessIgnoringCase(GetFileNamePart(a), GetFileNamePart(b));
  });

  std::vector<SiteLog> found;
  for (const std::string& path : paths) {
    if (Stopped(stop)) break;
    TMSystem::CTMLogFile log;
    if (Failed(log.Load(path, TMSystem::kLoadOnDemand)) || log.GetRowCount() == 0) continue;
    TMSystem::CTMSiteHeader header;
    if (Failed(log.GetSiteHeader(header))) continue;
    log.Reset();  // the admission check opens the file again
    if (CheckLogFile(path) != 1) continue;
    found.push_back({header.siteName, path});
  }
  return found;
}

std::vector<SiteGroup> GroupBySite(const std::vector<SiteLog>& logs) {
  std::vector<SiteGroup> groups;
  for (const SiteLog& log : logs) {
    auto group = std::find_if(groups.begin(), groups.end(), [&log](const SiteGroup& g) {
      return Utf16Length(g.siteName) == Utf16Length(log.siteName) && EqualsIgnoreCase(g.siteName, log.siteName);
    });
    if (group == groups.end()) group = groups.insert(groups.end(), SiteGroup{log.siteName, {}});
    group->logs.push_back(log);
  }
  return groups;
}

}  // namespace tvk
