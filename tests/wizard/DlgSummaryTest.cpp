#include "wizard/DlgSummary.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <filesystem>

#include "common/TextUtil.h"
#include "controls/ControlId.h"
#include "controls/Label.h"
#include "controls/Snapshot.h"
#include "correction/LevelCorrector.h"
#include "correction/OutputNaming.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"
#include "wizard/LevelChart.h"

namespace tvk {
namespace {

constexpr std::uint32_t kAllLogNotes = 20;

// A day and a half of depth to water falling and recovering, with a one-row spike and a gap, corrected
// to pressure head in `dir`/Post Corrected Files. The corrected file's name.
std::string WriteCorrectedLog(const test::TempFolder& dir, const std::string& source) {
  test::LevelLogLayout sample;
  sample.entries = test::DepthToWaterSettings();
  for (int i = 0; i < 2000; ++i) {
    const float level = 10.0f - 2.5f * static_cast<float>(std::sin(i / 400.0)) + (i == 700 ? 1.5f : 0.0f);
    sample.levels.push_back({level, static_cast<std::uint16_t>(i >= 1200 && i < 1260 ? 7 : 0)});
  }
  sample.notes = {test::UserNoteRecord(kAllLogNotes)};
  test::WriteLevelLog(sample, source);
  CLevelCorrector corrector;
  EXPECT_EQ(corrector.Open(source), 1) << corrector.GetErrorText();
  EXPECT_EQ(corrector.SetNewLevelMeasurementMode(3), 1);
  EXPECT_EQ(corrector.SetNewSpecificGravity(1.024f), 1);
  EXPECT_EQ(corrector.Correct(), 1) << corrector.GetErrorText();
  const std::string folder = CombinePath(dir.Path().string(), kCorrectedFolderName);
  std::filesystem::create_directories(folder);
  EXPECT_EQ(corrector.SaveCorrected(folder), 1) << corrector.GetErrorText();
  return corrector.GetOutputName();
}

QString ValueOf(CDlgSummary& dialog, int id) {
  CLabel* label = FindControl<CLabel>(dialog, id);
  return label ? label->text() : QStringLiteral("<missing>");
}

TEST(DlgSummary, ShowsTheFourValuesWithTheFileNameOnlyAndDoneCloses) {
  CDlgSummary dialog(QStringLiteral("/data/Site Data/Post Corrected Files/Well_Tavisko_20240102_030405.vxl"),
                     QStringLiteral("Depth"), QStringLiteral("N/A"), QStringLiteral("1.024"));
  dialog.open();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Correction summary..."));
  EXPECT_EQ(ValueOf(dialog, CDlgSummary::kIdFileName), QStringLiteral("Well_Tavisko_20240102_030405.vxl"));
  EXPECT_EQ(FindControl<CLabel>(dialog, CDlgSummary::kIdFileName)->ToolTipText(),
            QStringLiteral("/data/Site Data/Post Corrected Files/Well_Tavisko_20240102_030405.vxl"));
  EXPECT_EQ(ValueOf(dialog, CDlgSummary::kIdLevelOption), QStringLiteral("Depth"));
  EXPECT_EQ(ValueOf(dialog, CDlgSummary::kIdLevelReference), QStringLiteral("N/A"));
  EXPECT_EQ(ValueOf(dialog, CDlgSummary::kIdSpecificGravity), QStringLiteral("1.024"));

  auto* done = FindControl<QPushButton>(dialog, kIdOk);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(done->text(), QStringLiteral("Done"));
  QTest::mouseClick(done, Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(CorrectionSummaryDialog, ReadsTheCorrectedFileAndChartsBothLogs) {
  test::TempFolder dir;
  const std::string source = dir.File("Well.vxl");
  const QString output = QString::fromStdString(WriteCorrectedLog(dir, source));
  const QString folder = QString::fromStdString(dir.Path().string());

  EXPECT_EQ(MakeCorrectionSummary(folder, QStringLiteral("missing.vxl"), {}, nullptr), nullptr);
  EXPECT_EQ(MakeCorrectionSummary(folder, {}, {}, nullptr), nullptr);

  const std::unique_ptr<CDlgSummary> dialog = MakeCorrectionSummary(folder, output, QString::fromStdString(source), nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ValueOf(*dialog, CDlgSummary::kIdFileName), output);
  EXPECT_EQ(ValueOf(*dialog, CDlgSummary::kIdLevelReference), QStringLiteral("N/A"));
  EXPECT_EQ(ValueOf(*dialog, CDlgSummary::kIdSpecificGravity), QStringLiteral("1.024"));
  EXPECT_TRUE(dialog->Chart().Message().isEmpty()) << dialog->Chart().Message().toStdString();
  EXPECT_FALSE(dialog->Chart().accessibleName().isEmpty());
  EXPECT_TRUE(dialog->Chart().accessibleDescription().contains(QStringLiteral("2000 rows")));

  // Both lines are drawn in their colours, at 100 % and 200 %; the images are kept for looking at.
  dialog->resize(760, 560);
  dialog->show();
  QDir().mkpath(QStringLiteral(TAVISKO_TEST_OUTPUT_DIR));
  for (const qreal ratio : {1.0, 2.0}) {
    SCOPED_TRACE(ratio);
    const QImage image = Snapshot(*dialog, ratio);
    ASSERT_FALSE(image.isNull());
    image.save(QStringLiteral(TAVISKO_TEST_OUTPUT_DIR "/summary@%1x.png").arg(ratio));
    int blue = 0, vermillion = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        blue += p == qRgb(0x00, 0x72, 0xB2);
        vermillion += p == qRgb(0xD5, 0x5E, 0x00);
      }
    }
    EXPECT_GT(blue, 100);
    EXPECT_GT(vermillion, 100);
  }
}

TEST(CorrectionSummaryDialog, AGoneSourceIsSaidInTheChartAndTheValuesStillShow) {
  test::TempFolder dir;
  const std::string source = dir.File("Well.vxl");
  const QString output = QString::fromStdString(WriteCorrectedLog(dir, source));
  std::filesystem::remove(source);

  const std::unique_ptr<CDlgSummary> dialog =
      MakeCorrectionSummary(QString::fromStdString(dir.Path().string()), output, QString::fromStdString(source), nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ValueOf(*dialog, CDlgSummary::kIdLevelOption), QStringLiteral("Depth"));
  EXPECT_EQ(dialog->Chart().Message(), QStringLiteral("The source log cannot be read; only the corrected log is shown."));
  EXPECT_TRUE(dialog->Chart().accessibleDescription().contains(QStringLiteral("Source log: cannot be read.")));
  dialog->resize(760, 560);
  dialog->show();
  SaveSnapshot(*dialog, QStringLiteral(TAVISKO_TEST_OUTPUT_DIR "/summary-no-source.png"), 1);
}

}  // namespace
}  // namespace tvk
