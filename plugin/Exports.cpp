// The four exports: each is a trampoline into the session that lets no exception out.
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <exception>

#include "common/ErrorLog.h"
#include "common/Utf.h"
#include "platform/MessageBox.h"
#include "plugin/Session.h"
#include "plugin/Tavisko.h"

namespace {

template <class F>
auto Guarded(const char* name, F&& body, decltype(body()) failed) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    tvk::WriteErrorLog(std::string(name) + ": " + e.what());
  } catch (...) {
    tvk::WriteErrorLog(std::string(name) + ": unexpected failure");
  }
  return failed;
}

// While the library is loaded, the engine's owner-less message box is a Qt one whenever a Qt
// application runs on the calling thread; otherwise the text goes to stderr as before.
class CMessageBoxHookInstaller {
 public:
  CMessageBoxHookInstaller() {
    previous_ = tvk::platform::SetMessageBoxHook([](const std::string& text, const std::string& title) {
      QCoreApplication* app = QCoreApplication::instance();
      if (qobject_cast<QApplication*>(app) != nullptr && QThread::currentThread() == app->thread()) {
        QMessageBox::warning(nullptr, QString::fromStdString(title), QString::fromStdString(text));
      } else {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
      }
    });
  }
  ~CMessageBoxHookInstaller() { tvk::platform::SetMessageBoxHook(std::move(previous_)); }
  CMessageBoxHookInstaller(const CMessageBoxHookInstaller&) = delete;
  CMessageBoxHookInstaller& operator=(const CMessageBoxHookInstaller&) = delete;

 private:
  tvk::platform::MessageBoxHook previous_;
};

const CMessageBoxHookInstaller g_messageBoxHook;

}  // namespace

extern "C" {

TVK_API int TVK_Initialize(void) {
  return Guarded(
      "TVK_Initialize",
      [] {
        const int ready = tvk::plugin::OpenSession().Initialize();
        if (ready != 1) tvk::plugin::CloseSession();
        return ready;
      },
      0);
}

TVK_API int TVK_AddFile(const char16_t* path) {
  if (path == nullptr) return 0;
  return Guarded(
      "TVK_AddFile",
      [path] {
        tvk::plugin::CSession* session = tvk::plugin::CurrentSession();
        return session != nullptr ? session->AddFile(tvk::Utf16ToUtf8(path)) : 0;
      },
      0);
}

TVK_API int TVK_Launch(void) {
  return Guarded(
      "TVK_Launch",
      [] {
        tvk::plugin::CSession* session = tvk::plugin::CurrentSession();
        return session != nullptr ? session->Launch() : 0;
      },
      0);
}

TVK_API void TVK_Uninitialize(void) {
  Guarded(
      "TVK_Uninitialize",
      [] {
        tvk::plugin::CloseSession();
        return 0;
      },
      0);
}

}  // extern "C"
