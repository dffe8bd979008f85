#include "plugin/SiteDataScan.h"

#include <QCoreApplication>
#include <chrono>
#include <filesystem>

#include "common/TextUtil.h"
#include "common/Utf.h"
#include "common/WorkingFolders.h"
#include "logfile/LogFile.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::plugin {

std::vector<wizard::SLogInfo> ScanSiteFolder(const std::string& folder) {
  std::vector<wizard::SLogInfo> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string path = it->path().string();
    if (!it->is_regular_file(ec) || !EqualsIgnoreCase(GetExtension(path), "vxl")) continue;
    TMSystem::CTMLogFile log;
    if (Failed(log.Load(path, TMSystem::kLoadOnDemand)) || log.GetRowCount() == 0) continue;
    TMSystem::CTMSiteHeader header;
    if (Failed(log.GetSiteHeader(header))) continue;
    found.push_back({header.siteName, path});
  }
  return found;
}

CSiteDataScan::CSiteDataScan(wizard::CWizSheetPostCorrect& sheet) : sheet_(sheet) {
  thread_ = std::thread([this] { Run(); });
}

CSiteDataScan::~CSiteDataScan() {
  {
    std::lock_guard guard(lock_);
    stop_ = true;
  }
  stopChanged_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CSiteDataScan::Run() {
  wizard::SiteLogCatalog().clear();
  wizard::SiteLogCatalog() = ScanSiteFolder(GetSiteDataDir());
  std::unique_lock guard(lock_);
  // The window may not be up yet; the wizard may also close before it ever is.
  while (!stop_ && !sheet_.IsShownForWorkers()) {
    stopChanged_.wait_for(guard, std::chrono::milliseconds(200));
  }
  if (!stop_) QCoreApplication::postEvent(&sheet_, new wizard::CWizardEvent(wizard::kCatalogReady));
}

}  // namespace tvk::plugin
