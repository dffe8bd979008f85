#pragma once
// Helpers of the wizard suite: sample logs on disk, a sheet opened on host-given files, and waiting
// for the wizard without blocking its event loop.

#include <QAbstractButton>
#include <QGroupBox>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/Snapshot.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"
#include "correction/CorrectionPass.h"

namespace tvk::test {

constexpr std::uint32_t kAllLogNotes = 20;

// A depth-to-water log (reference 10 m at a pressure head) that the engine accepts.
inline LevelLogLayout AcceptedLog(std::size_t rows = 5) {
  LevelLogLayout sample;
  sample.entries = DepthToWaterSettings();
  std::vector<float> levels;
  for (std::size_t i = 0; i < rows; ++i) levels.push_back(1.0f + 0.01f * static_cast<float>(i % 100));
  sample.levels = Levels(levels);
  sample.notes = {UserNoteRecord(kAllLogNotes)};
  return sample;
}

// An accepted log of `rows` rows written as `dir`/well.vxl; its path.
inline std::string WriteAcceptedLog(const TempFolder& dir, std::size_t rows = 5) {
  const std::string log = dir.File("well.vxl");
  WriteLevelLog(AcceptedLog(rows), log);
  return log;
}

// Runs the event loop until `done` holds or `ms` have passed.
inline bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QTest::qWait(5);
  }
  return true;
}

// A sheet on `files` as TVK_Launch opens it: the log list page removed, shown, the first log loaded
// unless told not to wait for it.
inline std::unique_ptr<wizard::CWizSheetPostCorrect> OpenSheet(const std::vector<std::string>& files,
                                                               bool waitForLoad = true) {
  auto sheet = std::make_unique<wizard::CWizSheetPostCorrect>();
  for (const std::string& file : files) sheet->FileList().push_back(file);
  sheet->SetTotalLogCount(static_cast<int>(files.size()));
  sheet->RemovePage(0);
  sheet->open();
  if (waitForLoad) WaitFor([&sheet] { return !sheet->IsBusy(); });
  return sheet;
}

inline void Click(wizard::CWizSheetPostCorrect& sheet, int buttonId) {
  QTest::mouseClick(sheet.Button(buttonId), Qt::LeftButton);
}

inline void ClickControl(QWidget& page, int controlId) {
  QAbstractButton* button = wizard::Control<QAbstractButton>(&page, controlId);
  ASSERT_NE(button, nullptr) << controlId;
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Pressure head chosen and Next twice: the correction starts.
inline void StartPressureHeadCorrection(wizard::CWizSheetPostCorrect& sheet) {
  ClickControl(sheet.ModePage(), wizard::CWizPageSelectMode::kIdPressureHead);
  Click(sheet, wizard::kIdNext);
  Click(sheet, wizard::kIdNext);
}

// Kept for looking at, at 100 % and 200 %.
inline void SaveSnapshots(QWidget& widget, const QString& name) {
  for (const qreal ratio : {1.0, 2.0}) {
    SaveSnapshot(widget, QStringLiteral(TAVISKO_TEST_OUTPUT_DIR "/%1@%2x.png").arg(name).arg(ratio), ratio);
  }
}

inline QString PassCaption(QWidget& page) {
  auto* box = wizard::Control<QGroupBox>(&page, 1037);
  return box != nullptr ? box->title() : QString();
}

// Next from the processing page's Done state: the OK button is enabled again.
inline bool WaitForDone(wizard::CWizSheetPostCorrect& sheet) {
  return WaitFor([&sheet] { return !sheet.ProcessingPage().IsCorrecting() && sheet.Button(wizard::kIdOk)->isEnabled(); });
}

}  // namespace tvk::test
