#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <filesystem>

#include "common/StringTable.h"
#include "correction/OutputNaming.h"
#include "logfile/LogFile.h"
#include "tests/wizard/WizardTestSupport.h"

namespace tvk::test {
namespace {

using wizard::CDlgWizardPage;
using wizard::CWizPageSelectMode;
using wizard::kIdBack;
using wizard::kIdCancel;
using wizard::kIdNext;
using wizard::kIdOk;

std::vector<std::string> CorrectedFiles(const TempFolder& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / kCorrectedFolderName, ec)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// The processing page once the correction has ended: the file it wrote and a summary to open, or that it
// failed, with its reason, no file and no summary.
void ExpectOutcome(wizard::CWizSheetPostCorrect& sheet, const TempFolder& dir, bool written) {
  auto& page = sheet.ProcessingPage();
  EXPECT_EQ(wizard::Control<QLabel>(&page, 1042)->text(),
            written ? "Post correction complete." : "Post correction failed.");
  EXPECT_EQ(wizard::Control<QProgressBar>(&page, 1041)->value() == 100, written);
  EXPECT_EQ(wizard::Control<QWidget>(&page, 1072)->isEnabled(), written);
  EXPECT_EQ(page.findChild<QLabel*>("failure")->text().isEmpty(), written);
  auto* output = page.findChild<QLabel*>("output");
  EXPECT_EQ(output->isHidden(), !written);
  const std::vector<std::string> files = CorrectedFiles(dir);
  ASSERT_EQ(files.size(), written ? 1u : 0u);
  if (!written) return;
  EXPECT_EQ(output->text(), QString::fromStdString("Saved as: " + files.front()));
  EXPECT_EQ(output->toolTip(), QString::fromStdString((dir.Path() / kCorrectedFolderName).string()));
}

TEST(WizardSheet, PressureHeadSkipsTheReferencePageBothWays) {
  TempFolder dir;
  auto sheet = OpenSheet({WriteAcceptedLog(dir)});
  auto& mode = sheet->ModePage();

  EXPECT_EQ(sheet->windowTitle(), "Tavisko");
  EXPECT_EQ(sheet->CurrentPage(), &mode);
  EXPECT_FALSE(sheet->Button(kIdBack)->isEnabled()) << "no log list page before the first mode page";
  EXPECT_FALSE(sheet->Button(kIdOk)->isEnabled());

  struct Row {
    const char* name;
    int radio;
    std::vector<CDlgWizardPage*> forward;
  };
  const Row rows[] = {
      {"pressure head", CWizPageSelectMode::kIdPressureHead, {&sheet->SpecificGravityPage(), &sheet->ProcessingPage()}},
      {"depth to water",
       CWizPageSelectMode::kIdDepthToWater,
       {&sheet->ReferencePage(), &sheet->SpecificGravityPage(), &sheet->ProcessingPage()}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClickControl(mode, row.radio);
    // Forward to the page before processing, then back to the mode page along the same pages.
    for (std::size_t i = 0; i + 1 < row.forward.size(); ++i) {
      Click(*sheet, kIdNext);
      EXPECT_EQ(sheet->CurrentPage(), row.forward[i]);
      EXPECT_FALSE(sheet->Button(kIdOk)->isEnabled()) << "OK only on the last page";
    }
    for (std::size_t i = row.forward.size() - 1; i-- > 0;) {
      EXPECT_EQ(sheet->CurrentPage(), row.forward[i]);
      Click(*sheet, kIdBack);
    }
    EXPECT_EQ(sheet->CurrentPage(), &mode);
  }
}

// An assistive tool checks a radio through its toggle action, without a click.
void ToggleByAccessibility(QAbstractButton* radio) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(radio);
  ASSERT_NE(face, nullptr);
  ASSERT_NE(face->actionInterface(), nullptr);
  face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

TEST(WizardSheet, EveryWayOfCheckingAModeGivesTheSamePass) {
  TempFolder dir;
  const std::string log = WriteAcceptedLog(dir);
  struct Way {
    const char* name;
    std::function<void(QAbstractButton*)> check;
  };
  const Way ways[] = {
      {"click", [](QAbstractButton* r) { QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(8, r->height() / 2)); }},
      {"setChecked", [](QAbstractButton* r) { r->setChecked(true); }},
      {"accessibility", ToggleByAccessibility},
      {"keyboard", [](QAbstractButton* r) {
         r->setFocus();
         QTest::keyClick(r, Qt::Key_Space);
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    auto sheet = OpenSheet({log});
    auto* pressureHead = wizard::Control<QAbstractButton>(&sheet->ModePage(), CWizPageSelectMode::kIdPressureHead);
    way.check(pressureHead);
    EXPECT_TRUE(pressureHead->isChecked());
    EXPECT_EQ(sheet->Pass()->Mode(), 3);
    EXPECT_TRUE(sheet->ReferencePage().IsSkipped());
    EXPECT_TRUE(wizard::Control<QWidget>(&sheet->ModePage(), CWizPageSelectMode::kIdUpperPicture)->isVisible());
    Click(*sheet, kIdNext);
    EXPECT_EQ(sheet->CurrentPage(), &sheet->SpecificGravityPage());
  }
}

TEST(WizardSheet, RecordedModeDecidesWhatTheModePageOffers) {
  struct Row {
    const char* name;
    std::uint16_t mode;
    std::uint16_t referenceMode;
    int checked;
    bool pressureHeadEnabled;
  };
  const Row rows[] = {
      {"depth to water, reference at the start of the test", 4, 1, CWizPageSelectMode::kIdDepthToWater, false},
      {"depth to water, reference at a pressure head", 4, 3, CWizPageSelectMode::kIdDepthToWater, true},
      {"pressure head, start of test", 3, 1, CWizPageSelectMode::kIdPressureHead, true},
      {"elevation", 5, 3, CWizPageSelectMode::kIdElevation, true},
  };
  TempFolder dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LevelLogLayout sample = AcceptedLog();
    sample.levelMode = row.mode;
    SetEntry(sample.entries, "LevelMeasurementMode", TMSystem::CTMVariant(row.mode));
    SetEntry(sample.entries, "LevelReferenceMode", TMSystem::CTMVariant(row.referenceMode));
    const std::string log = dir.File(std::string(row.name) + ".vxl");
    WriteLevelLog(sample, log);
    auto sheet = OpenSheet({log});
    auto* checked = wizard::Control<QRadioButton>(&sheet->ModePage(), row.checked);
    ASSERT_NE(checked, nullptr);
    EXPECT_TRUE(checked->isChecked());
    EXPECT_EQ(wizard::Control<QRadioButton>(&sheet->ModePage(), CWizPageSelectMode::kIdPressureHead)->isEnabled(),
              row.pressureHeadEnabled);
    EXPECT_EQ(sheet->ReferencePage().IsSkipped(), row.mode == 3);
  }
}

TEST(WizardSheet, OkWithLogsLeftStartsTheNextPassAndOkOnTheLastCloses) {
  TempFolder dir;
  std::vector<std::string> logs;
  for (const char* name : {"Well A", "Well B", "Well C"}) {
    LevelLogLayout sample = AcceptedLog();
    sample.logName = name;  // corrected names differ within the same second
    logs.push_back(dir.File(std::string(name) + ".vxl"));
    WriteLevelLog(sample, logs.back());
  }
  auto sheet = OpenSheet(logs);
  for (int pass = 1; pass <= 3; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_EQ(sheet->CurrentPage(), &sheet->ModePage());
    EXPECT_EQ(PassCaption(sheet->ModePage()), QString("Current log being processed (%1 of 3)").arg(pass));
    StartPressureHeadCorrection(*sheet);
    ASSERT_EQ(sheet->CurrentPage(), &sheet->ProcessingPage());
    EXPECT_FALSE(sheet->Button(kIdOk)->isEnabled()) << "disabled while the correction runs";
    EXPECT_FALSE(sheet->Button(kIdCancel)->isEnabled());
    ASSERT_TRUE(WaitForDone(*sheet));
    EXPECT_FALSE(sheet->Button(kIdBack)->isEnabled());
    auto* hint = wizard::Control<QLabel>(&sheet->ProcessingPage(), 1049);
    EXPECT_EQ(hint->text(), pass < 3 ? "Click on the check box to continue." : "Click on the check box to end.");
    Click(*sheet, kIdOk);
    WaitFor([&sheet] { return !sheet->IsBusy(); });
  }
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_EQ(sheet->result(), QDialog::Accepted);
  EXPECT_EQ(CorrectedFiles(dir).size(), 3u);
}

TEST(WizardSheet, ALogThatCannotBeOpenedPassesThroughThePages) {
  TempFolder dir;
  const std::string bad = dir.File("bad.vxl");
  WriteWholeFile(bad, "not a log");
  auto sheet = OpenSheet({bad});

  const std::string expected = "File information\r\n        File name: bad.vxl\r\n"
                               "        Level measurement option: \r\n"
                               "        Level reference: 0.000 " + GetUnitAbbreviation(0) +
                               ", Pressure head:  0 " + GetUnitAbbreviation(0) +
                               "\r\n        Specific gravity: 0.000";
  EXPECT_EQ(sheet->FileInfoText(), expected);

  Click(*sheet, kIdNext);
  EXPECT_EQ(sheet->CurrentPage(), &sheet->ModePage()) << "no mode chosen yet";
  EXPECT_EQ(sheet->Refusal(), "Choose a level measurement mode.");
  ClickControl(sheet->ModePage(), CWizPageSelectMode::kIdDepthToWater);
  for (int i = 0; i < 3; ++i) Click(*sheet, kIdNext);
  ASSERT_EQ(sheet->CurrentPage(), &sheet->ProcessingPage());
  ASSERT_TRUE(WaitForDone(*sheet));
  ExpectOutcome(*sheet, dir, false);
}

TEST(WizardSheet, TheProcessingPageNamesTheFileWrittenOrSaysTheSaveFailed) {
  for (const bool saveBlocked : {false, true}) {
    SCOPED_TRACE(saveBlocked);
    TempFolder dir;
    const std::string log = WriteAcceptedLog(dir);
    if (saveBlocked) WriteWholeFile(dir.Path() / kCorrectedFolderName, "a file where the folder goes");
    auto sheet = OpenSheet({log});
    StartPressureHeadCorrection(*sheet);
    ASSERT_TRUE(WaitForDone(*sheet));
    ExpectOutcome(*sheet, dir, !saveBlocked);
  }
}

TEST(WizardSheet, WhileALogLoadsInputIsIgnoredAndClosingLetsItGo) {
  TempFolder dir;
  const std::string log = WriteAcceptedLog(dir, 200000);
  for (const bool closeWhileLoading : {false, true}) {
    SCOPED_TRACE(closeWhileLoading);
    auto sheet = OpenSheet({log}, false);
    ASSERT_TRUE(sheet->IsBusy()) << "the load reports through the event loop, which has not run yet";
    if (closeWhileLoading) {
      sheet->close();
      EXPECT_FALSE(sheet->isVisible());
      EXPECT_FALSE(sheet->IsBusy());
      QTest::qWait(300);  // the load ends into a closed window
      EXPECT_EQ(sheet->Pass(), nullptr);
      continue;
    }
    auto* pressureHead = wizard::Control<QAbstractButton>(&sheet->ModePage(), CWizPageSelectMode::kIdPressureHead);
    QTest::mouseClick(pressureHead, Qt::LeftButton, {}, QPoint(8, pressureHead->height() / 2));
    ASSERT_TRUE(WaitFor([&sheet] { return !sheet->IsBusy(); }));
    EXPECT_FALSE(pressureHead->isChecked()) << "the click while loading was ignored";
    EXPECT_TRUE(wizard::Control<QAbstractButton>(&sheet->ModePage(), CWizPageSelectMode::kIdDepthToWater)->isChecked());
  }
}

TEST(WizardSheet, ClosingDuringACorrectionLeavesACompleteFileOrNone) {
  TempFolder dir;
  const std::string log = WriteAcceptedLog(dir, 200000);
  for (int delayMs : {0, 20, 80}) {
    SCOPED_TRACE(delayMs);
    auto sheet = OpenSheet({log});
    StartPressureHeadCorrection(*sheet);
    QTest::qWait(delayMs);
    sheet->close();  // the window's close box stays usable during a correction
    // It closes once the stopped correction has reported, without holding up the window meanwhile.
    EXPECT_TRUE(WaitFor([&sheet] { return !sheet->isVisible(); }, 5000));
    EXPECT_FALSE(sheet->ProcessingPage().IsCorrecting());
    sheet.reset();
    for (const std::string& name : CorrectedFiles(dir)) {
      TMSystem::CTMLogFile written;
      EXPECT_FALSE(Failed(written.Load((dir.Path() / kCorrectedFolderName / name).string(), TMSystem::kLoadAll)))
          << name;
    }
  }
}

}  // namespace
}  // namespace tvk::test
