#pragma once
// The scan of the "Site Data" folder for a launch without files: fills the site catalogue on its own
// thread, waits for the wizard's window, and posts kCatalogReady to it.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "wizard/SiteLogCatalog.h"

namespace tvk::wizard {
class CWizSheetPostCorrect;
}

namespace tvk::plugin {

// The logs of `folder` itself (not its subfolders) that open and hold rows, in listing order.
std::vector<wizard::SLogInfo> ScanSiteFolder(const std::string& folder);

class CSiteDataScan {
 public:
  // Starts the scan for `sheet`, which must outlive this object.
  explicit CSiteDataScan(wizard::CWizSheetPostCorrect& sheet);
  // Stops waiting for the window and joins: nothing is posted after this returns.
  ~CSiteDataScan();
  CSiteDataScan(const CSiteDataScan&) = delete;
  CSiteDataScan& operator=(const CSiteDataScan&) = delete;

 private:
  void Run();

  wizard::CWizSheetPostCorrect& sheet_;
  std::mutex lock_;
  std::condition_variable stopChanged_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace tvk::plugin
