#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include "common/TextUtil.h"
#include "common/Utf.h"
#include "controls/TMCheckTreeCtrl.h"
#include "correction/LevelCorrector.h"
#include "plugin/Session.h"
#include "support/PluginModule.h"
#include "tests/wizard/WizardTestSupport.h"

namespace tvk::test {
namespace {

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer's symbolizer reads the list of loaded modules once, at its first use: a module loaded
// later keeps unnamed frames, and the suppressions of Qt's hidden task hand-offs cannot match them. The
// module is loaded before any test runs; the unload test then only checks that nothing breaks.
const void* const kModuleSeenByTheSanitizer = dlopen(TAVISKO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
#endif

using plugin::CSession;

// Closes the wizard's modal window as a user would while TVK_Launch runs: Escape every 50 ms, since the
// wizard ignores input while a log loads. Scoped to the test, so that no press outlives it and closes a
// later test's wizard.
struct WizardCloser {
  QTimer timer;
  explicit WizardCloser(bool now = true) {
    QObject::connect(&timer, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) QTest::keyClick(modal, Qt::Key_Escape);
    });
    if (now) timer.start(50);
  }
  // Once a message box is up over `sheet` (or after 10 s), keeps its text and whether it is window-modal
  // over the open wizard, then closes it and the wizard, without a nested event loop.
  void AfterMessage(QWidget* sheet, QString& text, bool& overTheWizard, int triesLeft = 200) {
    QTimer::singleShot(50, &timer, [this, sheet, &text, &overTheWizard, triesLeft] {
      auto* box = sheet->findChild<QMessageBox*>();
      if ((box == nullptr || !box->isVisible()) && triesLeft > 0) {
        return AfterMessage(sheet, text, overTheWizard, triesLeft - 1);
      }
      if (box != nullptr) {
        text = box->text();
        overTheWizard = box->windowTitle() == "Logs not offered" && box->windowModality() == Qt::WindowModal &&
                        sheet->isVisible();
        box->button(QMessageBox::Ok)->click();
      }
      timer.start(50);
    });
  }
};

// A depth-to-water log without the logger's note, which the engine refuses; its path.
std::string WriteRefusedLog(const TempFolder& dir) {
  LevelLogLayout refused = AcceptedLog();
  refused.notes.clear();
  WriteLevelLog(refused, dir.File("refused.vxl"));
  return dir.File("refused.vxl");
}

TEST(PluginSession, RefusedFilesQueueNoLogAndAcceptedOnesQueueInOrder) {
  TempFolder dir;
  const std::string good = WriteAcceptedLog(dir);
  const std::string refused = WriteRefusedLog(dir);

  CSession session;
  EXPECT_EQ(session.AddFile(good), 0) << "no session yet";
  EXPECT_EQ(session.Launch(), 0);
  ASSERT_EQ(session.Initialize(), 1);
  auto* sheet = session.Sheet();

  struct Row {
    const std::string* path;
    int accepted;
    int total;
  };
  const Row rows[] = {{&good, 1, 1}, {&refused, 0, 1}, {&good, 1, 2}};
  for (const Row& row : rows) {
    EXPECT_EQ(session.AddFile(*row.path), row.accepted) << *row.path;
    EXPECT_EQ(sheet->TotalLogCount(), row.total);
  }
  ASSERT_EQ(session.Initialize(), 1);
  EXPECT_EQ(session.Sheet(), sheet) << "one sheet per session";
  EXPECT_EQ(sheet->TotalLogCount(), 2) << "a repeated Initialize keeps the files";
  EXPECT_EQ(std::vector<std::string>(sheet->FileList().begin(), sheet->FileList().end()),
            (std::vector<std::string>{good, good}));
  session.Uninitialize();
  EXPECT_EQ(session.Sheet(), nullptr);
}

TEST(PluginSession, RefusedLogsAreNamedWithTheirReasonsOverTheOpenWizard) {
  TempFolder dir;
  const std::string refused = WriteRefusedLog(dir);
  const std::string missing = dir.File("missing.vxl");
  std::string expected = "These logs cannot be corrected:";
  for (const std::string& path : {refused, missing}) {
    std::string reason;
    ASSERT_EQ(CheckLogFile(path, reason), 0);
    expected += "\n" + GetFileNamePart(path) + ": " + reason;
  }

  CSession session;
  ASSERT_EQ(session.Initialize(), 1);
  EXPECT_EQ(session.AddFile(refused), 0);
  EXPECT_EQ(session.AddFile(missing), 0);
  EXPECT_EQ(session.AddFile(WriteAcceptedLog(dir)), 1);
  QString text;
  bool overTheWizard = false;
  WizardCloser closer(false);
  closer.AfterMessage(session.Sheet(), text, overTheWizard);
  EXPECT_EQ(session.Launch(), 1);
  EXPECT_EQ(text.toStdString(), expected);
  EXPECT_TRUE(overTheWizard);
}

TEST(PluginSession, LaunchWithoutFilesListsTheSiteDataLogs) {
  TempFolder home;
  ScopedEnv homeEnv("HOME", home.Path().string());
  ScopedEnv config("XDG_CONFIG_HOME", home.File("config"));
  ScopedEnv registry("TAVISKO_REGISTRY_DIR", home.File("registry"));
  const std::filesystem::path siteData = home.Path() / "Documents" / "Dovmark Data" / "Site Data";
  std::filesystem::create_directories(siteData);
  WriteLevelLog(AcceptedLog(), (siteData / "well.vxl").string());

  CSession session;
  ASSERT_EQ(session.Initialize(), 1);
  auto* sheet = session.Sheet();
  bool listed = false;
  QTimer::singleShot(0, [sheet, &listed] {
    EXPECT_EQ(sheet->CurrentPage(), &sheet->LogListPage());
    EXPECT_FALSE(sheet->Button(wizard::kIdNext)->isEnabled());
    auto* tree = wizard::Control<CTMCheckTreeCtrl>(&sheet->LogListPage(), 1000);
    listed = WaitFor([tree] { return tree->topLevelItemCount() == 1 && tree->topLevelItem(0)->childCount() == 1; });
    if (listed) {
      QTreeWidgetItem* log = tree->topLevelItem(0)->child(0)->child(0);
      EXPECT_EQ(log->text(0), "well.vxl");
      tree->expandItem(log->parent());
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->CheckBoxRect(log).center());
      EXPECT_TRUE(WaitFor([sheet] { return sheet->Button(wizard::kIdNext)->isEnabled(); }));
    }
    QTest::keyClick(wizard::Control(&sheet->LogListPage(), 1000), Qt::Key_Escape);
  });
  EXPECT_EQ(session.Launch(), 1);
  EXPECT_TRUE(listed);
}

TEST(PluginExports, AHostLoadsTheLibraryAndCallsTheFourExports) {
  const auto [handle, initialize, addFile, launch, uninitialize] = LoadPluginModule();
  ASSERT_TRUE(handle && initialize && addFile && launch && uninitialize);

  TempFolder dir;
  const std::u16string good = Utf8ToUtf16(WriteAcceptedLog(dir));
  const std::u16string missing = Utf8ToUtf16(dir.File("missing.vxl"));

  EXPECT_EQ(addFile(good.c_str()), 0) << "before TVK_Initialize";
  EXPECT_EQ(launch(), 0);
  uninitialize();
  ASSERT_EQ(initialize(), 1);
  EXPECT_EQ(addFile(nullptr), 0);
  EXPECT_EQ(addFile(missing.c_str()), 0);
  EXPECT_EQ(addFile(good.c_str()), 1);
  WizardCloser closer;
  EXPECT_EQ(launch(), 1) << "runs on the test's own application object and returns when closed";
  uninitialize();
  EXPECT_NE(QCoreApplication::instance(), nullptr) << "the host's application object stays";
}

// A Qt host's application outlives the module: unloading it while a log that the closed wizard let go
// still loads must wait for that load rather than unmap the code it runs.
TEST(PluginExports, UnloadingWhileALogStillLoadsWaitsForTheLoad) {
  TempFolder dir;
  const std::u16string large = Utf8ToUtf16(WriteAcceptedLog(dir, 1000000));
  const auto [handle, initialize, addFile, launch, uninitialize] = LoadPluginModule();
  ASSERT_TRUE(handle && initialize && addFile && launch && uninitialize);
  ASSERT_EQ(initialize(), 1);
  ASSERT_EQ(addFile(large.c_str()), 1);
  // The close box, which stays usable while the log loads.
  QTimer::singleShot(0, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  EXPECT_EQ(launch(), 1);
  uninitialize();
  EXPECT_EQ(dlclose(handle), 0);
  QThreadPool::globalInstance()->waitForDone();  // a load left running in unmapped code ends the process
  QTest::qWait(100);
}

}  // namespace
}  // namespace tvk::test
