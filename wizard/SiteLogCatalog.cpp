#include "wizard/SiteLogCatalog.h"

namespace tvk::wizard {

std::vector<SLogInfo>& SiteLogCatalog() {
  static std::vector<SLogInfo> catalog;
  return catalog;
}

}  // namespace tvk::wizard
