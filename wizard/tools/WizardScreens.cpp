// Not part of the plug-in: opens the wizard on one log under the offscreen platform, walks through the
// pages the log's pass shows with the recorded choices, and writes each page as PNG at scale 1 and 2.
//   wizard_screens LOG OUTPUT_FOLDER
//   wizard_screens --logs FOLDER OUTPUT_FOLDER   (the log list page on the logs of FOLDER and its subfolders)
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTreeWidget>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "common/TextUtil.h"
#include "common/Utf.h"
#include "controls/Snapshot.h"
#include "controls/TMCheckTreeCtrl.h"
#include "logfile/LogFile.h"
#include "correction/LevelCorrector.h"
#include "correction/CorrectionPass.h"
#include "wizard/DlgSummary.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace {

using tvk::wizard::CWizSheetPostCorrect;

bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QTest::qWait(10);
  }
  return true;
}

// `settle` lets posted clicks, repaints and worker results arrive first; otherwise only layouts are done,
// so that a state that lasts while a worker runs is caught however soon the worker ends.
bool Save(QWidget& window, const QString& folder, const QString& name, bool settle = true) {
  if (settle) {
    QTest::qWait(20);
  } else {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }
  bool ok = true;
  for (int scale : {1, 2}) {
    const QString path = QStringLiteral("%1/%2@%3x.png").arg(folder, name).arg(scale);
    if (!tvk::SaveSnapshot(window, path, scale)) {
      std::fprintf(stderr, "wizard_screens: cannot write %s\n", qPrintable(path));
      ok = false;
    }
  }
  return ok;
}

// The log list page with the logs of `folder` listed, every site open and the first site checked.
// Three manual readings on the reference page, as a user adds them: the first agrees with the log, the
// later ones show it drifting.
void AddReadings(CWizSheetPostCorrect& sheet) {
  const tvk::CCorrectionPass* pass = sheet.Pass();
  auto& page = sheet.ReferencePage();
  auto* atDataPoint = tvk::wizard::Control<QAbstractButton>(&page, tvk::wizard::CWizPageSetNewReference::kIdAtDataPoint);
  auto* list = tvk::wizard::Control<QListView>(&page, tvk::wizard::CWizPageSetNewReference::kIdDataPoints);
  auto* value = tvk::wizard::Control<QLineEdit>(&page, tvk::wizard::CWizPageSetNewReference::kIdValue);
  auto* add = tvk::wizard::Control<QAbstractButton>(&page, tvk::wizard::CWizPageSetNewReference::kIdAddReading);
  if (pass == nullptr || atDataPoint == nullptr || list == nullptr || value == nullptr || add == nullptr ||
      !atDataPoint->isEnabled()) {
    return;
  }
  const auto& levels = *pass->RecordedLevels();
  atDataPoint->click();
  const std::pair<double, double> readings[] = {{0.1, 0.0}, {0.5, 0.35}, {0.9, -0.2}};
  for (const auto& [share, drift] : readings) {
    const auto row = static_cast<int>(share * static_cast<double>(levels.size()));
    if (row < 0 || static_cast<std::size_t>(row) >= levels.size()) return;
    list->setCurrentIndex(list->model()->index(row, 0));
    value->setText(QString::number(static_cast<double>(levels[static_cast<std::size_t>(row)].value) + drift, 'f', 2));
    add->click();
  }
}

int SaveLogList(const std::string& folder, const QString& output) {
  CWizSheetPostCorrect sheet;
  sheet.LogListPage().SetFolder(folder);
  sheet.show();
  bool ok = Save(sheet, output, QStringLiteral("0-logs-loading"), false);
  if (!WaitFor([&sheet] { return sheet.LogListPage().IsScanned(); })) return 1;
  if (auto* tree = tvk::wizard::Control<tvk::CTMCheckTreeCtrl>(&sheet.LogListPage(), 1000)) {
    tree->expandAll();
    if (QTreeWidgetItem* root = tree->topLevelItem(0); root != nullptr && root->childCount() > 0) {
      tree->ToggleCheck(root->child(0));
      sheet.UpdateButtons();
    }
  }
  ok = Save(sheet, output, QStringLiteral("0-logs")) && ok;
  sheet.done(QDialog::Rejected);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool logList = argc == 4 && std::string(argv[1]) == "--logs";
  if (argc != 3 && !logList) {
    std::fprintf(stderr, "usage: wizard_screens LOG OUTPUT_FOLDER | --logs FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (logList) return SaveLogList(argv[2], QString::fromLocal8Bit(argv[3]));
  const QString folder = QString::fromLocal8Bit(argv[2]);

  CWizSheetPostCorrect sheet;
  sheet.FileList().push_back(argv[1]);
  sheet.SetTotalLogCount(1);
  sheet.RemovePage(0);
  sheet.show();
  if (!WaitFor([&sheet] { return sheet.IsBusy() == 0; })) return 1;

  // The pass as the log's recorded settings preselect it; pressure head has no reference page.
  auto nameOf = [&sheet](const QWidget* page) {
    if (page == &sheet.ModePage()) return QStringLiteral("1-mode");
    if (page == &sheet.ReferencePage()) return QStringLiteral("2-reference");
    if (page == &sheet.SpecificGravityPage()) return QStringLiteral("3-specific-gravity");
    return QStringLiteral("4-processing");
  };
  bool ok = true;
  while (sheet.CurrentPage() != &sheet.ProcessingPage()) {
    auto* page = sheet.CurrentPage();
    if (page == &sheet.ReferencePage()) AddReadings(sheet);
    ok = Save(sheet, folder, nameOf(page)) && ok;
    sheet.OnNextButton();
    if (sheet.CurrentPage() == page) {
      std::fprintf(stderr, "wizard_screens: %s did not let the pass go on\n", qPrintable(nameOf(page)));
      return 1;
    }
  }
  if (!WaitFor([&sheet] { return sheet.Button(tvk::wizard::kIdOk)->isEnabled(); })) return 1;
  ok = Save(sheet, folder, nameOf(sheet.CurrentPage())) && ok;
  // The summary of the corrected file, as the processing page's Summary button shows it.
  if (const tvk::CLevelCorrector* corrector = sheet.Corrector()) {
    const std::string source = corrector->GetPath();
    if (auto summary = tvk::MakeCorrectionSummary(QString::fromStdString(tvk::GetFolderPart(source)),
                                                  QString::fromStdString(corrector->GetOutputName()),
                                                  QString::fromStdString(source), &sheet);
        WaitFor([&summary] { return !summary->IsLoading(); }) && summary->Status().isEmpty()) {
      summary->show();
      ok = Save(*summary, folder, QStringLiteral("5-summary")) && ok;
    } else {
      std::fprintf(stderr, "wizard_screens: the corrected file has no summary\n");
      ok = false;
    }
  }
  sheet.OnOkButton();
  return ok ? 0 : 1;
}
