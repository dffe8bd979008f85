#include "plugin/Session.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <new>

#include "common/ErrorLog.h"
#include "correction/LevelCorrector.h"
#include "common/StringTable.h"
#include "platform/MessageBox.h"
#include "wizard/RefusedLogs.h"
#include "wizard/WizSheetPostCorrect.h"

namespace tvk::plugin {

namespace {

// The engine formats numbers with the C runtime ("%g", "%0.3f"): a full stop as decimal point, whatever
// the host's locale. Held for the wizard's run and given back afterwards.
class CNumericLocaleScope {
 public:
  CNumericLocaleScope() {
    if (const char* current = std::setlocale(LC_NUMERIC, nullptr)) saved_ = current;
    std::setlocale(LC_NUMERIC, "C");
  }
  ~CNumericLocaleScope() {
    if (!saved_.empty()) std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  CNumericLocaleScope(const CNumericLocaleScope&) = delete;
  CNumericLocaleScope& operator=(const CNumericLocaleScope&) = delete;

 private:
  std::string saved_;
};

// Qt keeps pointers to these for the application object's whole life.
int g_argc = 1;
char g_programName[] = "tavisko";
char* g_argv[] = {g_programName, nullptr};

}  // namespace

std::string MissingDisplayReason() {
  if (QCoreApplication::instance() != nullptr) return {};
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  const bool hasX = !qEnvironmentVariableIsEmpty("DISPLAY");
  const bool hasWayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (platform.isEmpty()) {
    return hasX || hasWayland ? std::string() : "no display: DISPLAY and WAYLAND_DISPLAY are not set";
  }
  if (platform.startsWith("xcb") && !hasX) return "no display: DISPLAY is not set";
  if (platform.startsWith("wayland") && !hasWayland) return "no display: WAYLAND_DISPLAY is not set";
  return {};
}

CSession::CSession() = default;

CSession::~CSession() { Uninitialize(); }

namespace {

// Never destroyed by an exit handler: when a host exits without closing the session, Qt's globals and
// the dialog registry are gone by the time a static's destructor would tear the sheet down. What the
// host leaves open stays reachable from here until the process ends.
CSession* g_session = nullptr;

}  // namespace

CSession& OpenSession() {
  if (g_session == nullptr) g_session = new CSession;
  return *g_session;
}

CSession* CurrentSession() { return g_session; }

void CloseSession() {
  delete g_session;
  g_session = nullptr;
}

int CSession::Initialize() {
  if (sheet_ == nullptr) {
    if (QCoreApplication::instance() == nullptr) {
      const std::string missing = MissingDisplayReason();
      if (!missing.empty()) {
        WriteErrorLog("The wizard cannot start: " + missing);
        return 0;
      }
      ownApplication_ = std::make_unique<QApplication>(g_argc, g_argv);
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
      WriteErrorLog("The wizard cannot start: the host's application object has no widgets");
      return 0;
    }
    // On the host's thread, where the message box of a damaged override file may be shown.
    LoadSystemStringTable();
    sheet_ = std::make_unique<wizard::CWizSheetPostCorrect>();
  }
  return 1;
}

int CSession::AddFile(const std::string& path) {
  if (sheet_ == nullptr || launched_) return 0;
  if (std::string reason; CheckLogFile(path, reason) != 1) {
    refused_.push_back({path, reason.empty() ? std::string("refused") : reason});
    return 0;
  }
  sheet_->SetTotalLogCount(sheet_->TotalLogCount() + 1);
  sheet_->FileList().push_back(path);
  return 1;
}

int CSession::Launch() {
  // The sheet runs its pass once; a second run would start on a finished sheet.
  if (sheet_ == nullptr || launched_) return 0;
  launched_ = true;
  {
    const CNumericLocaleScope numbers;
    // Without files the wizard starts on the log list, which scans the site folder itself.
    if (!sheet_->FileList().empty()) sheet_->RemovePage(0);
    if (!refused_.empty()) {
      // Once the window is up, over it, without holding up the wizard's own loop.
      QTimer::singleShot(0, sheet_.get(), [this] { wizard::ShowRefusedLogs(sheet_.get(), refused_); });
    }
    sheet_->exec();
  }
  return 1;
}

void CSession::Uninitialize() {
  launched_ = false;
  refused_.clear();
  sheet_.reset();
  ownApplication_.reset();
}

}  // namespace tvk::plugin
