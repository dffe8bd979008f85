#pragma once
// The plug-in's session: one wizard sheet from TVK_Initialize to TVK_Uninitialize, the Qt application
// object when the host has none, and the site-data scan of a launch without files.

#include <memory>
#include <string>
#include <vector>

#include "wizard/RefusedLogs.h"

class QApplication;

namespace tvk::wizard {
class CWizSheetPostCorrect;
}

namespace tvk::plugin {

class CSession {
 public:
  CSession();
  ~CSession();
  CSession(const CSession&) = delete;
  CSession& operator=(const CSession&) = delete;

  int Initialize();
  int AddFile(const std::string& path);
  int Launch();
  void Uninitialize();

  // The open session's sheet, or null.
  wizard::CWizSheetPostCorrect* Sheet() const { return sheet_.get(); }
  // The logs AddFile refused, with the reasons the wizard shows when it opens.
  const std::vector<wizard::SRefusedLog>& RefusedLogs() const { return refused_; }

 private:
  std::unique_ptr<QApplication> ownApplication_;
  std::unique_ptr<wizard::CWizSheetPostCorrect> sheet_;
  std::vector<wizard::SRefusedLog> refused_;
  bool launched_ = false;
};

// The process's one session, from TVK_Initialize to TVK_Uninitialize: opened on first use, closed
// (sheet and own application object gone) by CloseSession. Without CloseSession it lasts until the
// process ends and is never torn down by an exit handler.
CSession& OpenSession();
// The open session, or null.
CSession* CurrentSession();
void CloseSession();

// Why no window can be shown, or empty when one can: a platform that needs a display server
// without one to talk to. Qt would abort instead of failing.
std::string MissingDisplayReason();

}  // namespace tvk::plugin
