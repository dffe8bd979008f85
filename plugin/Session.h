#pragma once
// The plug-in's session: one wizard sheet from TVK_Initialize to TVK_Uninitialize, the Qt application
// object when the host has none, and the site-data scan of a launch without files.

#include <memory>
#include <string>

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

  // The process's one session.
  static CSession& Instance();

  int Initialize();
  int AddFile(const std::string& path);
  int Launch();
  void Uninitialize();

  // The open session's sheet, or null.
  wizard::CWizSheetPostCorrect* Sheet() const { return sheet_.get(); }

 private:
  std::unique_ptr<QApplication> ownApplication_;
  std::unique_ptr<wizard::CWizSheetPostCorrect> sheet_;
};

// Why no window can be shown, or empty when one can: a platform that needs a display server
// without one to talk to. Qt would abort instead of failing.
std::string MissingDisplayReason();

}  // namespace tvk::plugin
