#include "wizard/DlgSummary.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <cmath>
#include <filesystem>

#include "common/TextUtil.h"
#include "controls/ControlId.h"
#include "controls/Label.h"
#include "controls/Snapshot.h"
#include "correction/CorrectionChoices.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelCorrector.h"
#include "correction/OutputNaming.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"
#include "tests/wizard/WizardTestSupport.h"
#include "wizard/LevelChart.h"

namespace tvk {
namespace {

using test::kAllLogNotes;
using test::WaitFor;

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

// Depth to water (m) a quarter metre deeper each minute for 100 rows, corrected to depth to water
// through readings at rows 0, 40 and 80: the ordinary correction puts row k at 10 + 0.25 k, the readings
// leave residuals 0, +1 and -0.5. The corrected file's name.
std::string WriteLogCorrectedWithReadings(const test::TempFolder& dir, const std::string& source,
                                          test::LevelLogLayout& sample) {
  sample = test::AcceptedLevelLog({});
  for (int i = 0; i < 100; ++i) sample.levels.push_back({0.25f * static_cast<float>(i), 0});
  test::WriteLevelLog(sample, source);
  auto corrector = std::make_shared<CLevelCorrector>();
  EXPECT_EQ(corrector->Open(source), 1) << corrector->GetErrorText();
  CCorrectionPass pass(corrector);
  std::string reason;
  EXPECT_TRUE(pass.ChooseMode(4, reason)) << reason;
  EXPECT_TRUE(pass.SetReadings({{test::RowTime(sample, 0), 10.0f}, {test::RowTime(sample, 40), 21.0f},
                                {test::RowTime(sample, 80), 29.5f}},
                               DataPointDisplay(TakeDisplaySnapshot()), reason))
      << reason;
  EXPECT_EQ(pass.Apply(reason), 1) << reason;
  EXPECT_EQ(corrector->Correct(), 1) << corrector->GetErrorText();
  const std::string folder = CombinePath(dir.Path().string(), kCorrectedFolderName);
  std::filesystem::create_directories(folder);
  EXPECT_EQ(corrector->SaveCorrected(folder), 1) << corrector->GetErrorText();
  return corrector->GetOutputName();
}

// A log corrected in a folder of its own: to depth to water through three readings, or else to pressure head.
struct Corrected {
  test::TempFolder dir;
  std::string source = dir.File("Well.vxl");
  test::LevelLogLayout sample;
  std::string output;
  explicit Corrected(bool readings)
      : output(readings ? WriteLogCorrectedWithReadings(dir, source, sample) : WriteCorrectedLog(dir, source)) {}
  QString Folder() const { return QString::fromStdString(dir.Path().string()); }
  // Its summary, read and shown.
  std::unique_ptr<CDlgSummary> Summary() const {
    auto dialog = MakeCorrectionSummary(Folder(), QString::fromStdString(output), QString::fromStdString(source), nullptr);
    EXPECT_TRUE(WaitFor([&dialog] { return !dialog->IsLoading(); }));
    dialog->show();
    QTest::qWait(20);  // laid out as shown
    return dialog;
  }
};

QString ValueOf(CDlgSummary& dialog, int id) {
  CLabel* label = FindControl<CLabel>(dialog, id);
  return label ? label->text() : QStringLiteral("<missing>");
}

TEST(DlgSummary, ShowsTheFourValuesWithTheFileNameOnlyAndDoneCloses) {
  const QString path = QStringLiteral("/data/Site Data/Post Corrected Files/Well_Tavisko_20240102_030405.vxl");
  CDlgSummary dialog(path, QStringLiteral("Depth"), QStringLiteral("N/A"), QStringLiteral("1.024"));
  dialog.open();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Correction summary..."));
  EXPECT_EQ(FindControl<CLabel>(dialog, CDlgSummary::kIdFileName)->ToolTipText(), path);
  // Each value is shown, and a screen reader says it labelled by its caption.
  const std::pair<int, const char*> values[] = {{CDlgSummary::kIdFileName, "Well_Tavisko_20240102_030405.vxl"},
                                                {CDlgSummary::kIdLevelOption, "Depth"},
                                                {CDlgSummary::kIdLevelReference, "N/A"},
                                                {CDlgSummary::kIdSpecificGravity, "1.024"}};
  for (const auto& [id, text] : values) {
    SCOPED_TRACE(id);
    CLabel* value = FindControl<CLabel>(dialog, id);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->text(), text);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(value);
    EXPECT_EQ(face->text(QAccessible::Name), text);
    const auto labels = face->relations(QAccessible::Label);  // labelled by
    ASSERT_EQ(labels.size(), 1);
    EXPECT_TRUE(labels[0].first->text(QAccessible::Name).endsWith(':')) << labels[0].first->text(QAccessible::Name).toStdString();
  }

  auto* done = FindControl<QPushButton>(dialog, kIdOk);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(done->text(), QStringLiteral("Done"));
  QTest::mouseClick(done, Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(CorrectionSummaryDialog, ReadsTheCorrectedFileOffTheUiThreadAndChartsBothLogs) {
  const Corrected log(false);
  const QString output = QString::fromStdString(log.output);

  // Nothing to show is said, not left blank.
  const std::pair<QString, const char*> failures[] = {{QStringLiteral("missing.vxl"), "cannot be found"},
                                                      {QString(), "The correction wrote no file."}};
  for (const auto& [name, reason] : failures) {
    const std::unique_ptr<CDlgSummary> dialog = MakeCorrectionSummary(log.Folder(), name, {}, nullptr);
    ASSERT_TRUE(WaitFor([&dialog] { return !dialog->IsLoading(); }));
    EXPECT_TRUE(dialog->Status().contains(QLatin1String(reason))) << dialog->Status().toStdString();
    dialog->show();
    test::SaveSnapshots(*dialog, QStringLiteral("summary-failed-%1").arg(name.isEmpty()));
  }

  const std::unique_ptr<CDlgSummary> dialog =
      MakeCorrectionSummary(log.Folder(), output, QString::fromStdString(log.source), nullptr);
  EXPECT_TRUE(dialog->IsLoading());
  EXPECT_EQ(dialog->Status(), QStringLiteral("Loading..."));
  EXPECT_EQ(dialog->Chart().Message(), QStringLiteral("Loading..."));
  dialog->show();
  SaveSnapshot(*dialog, QStringLiteral(TAVISKO_TEST_OUTPUT_DIR "/summary-loading.png"), 1);
  ASSERT_TRUE(WaitFor([&dialog] { return !dialog->IsLoading(); }));
  EXPECT_TRUE(dialog->Status().isEmpty());
  EXPECT_EQ(ValueOf(*dialog, CDlgSummary::kIdFileName), output);
  EXPECT_EQ(ValueOf(*dialog, CDlgSummary::kIdLevelReference), QStringLiteral("N/A"));
  EXPECT_EQ(ValueOf(*dialog, CDlgSummary::kIdSpecificGravity), QStringLiteral("1.024"));
  EXPECT_TRUE(dialog->Chart().Message().isEmpty()) << dialog->Chart().Message().toStdString();
  EXPECT_TRUE(dialog->ReadingsTable().isHidden());  // no readings, no table
  // Depth to water corrected to pressure head: an axis each.
  EXPECT_EQ(dialog->Chart().ValueAxisCount(), 2);
  EXPECT_FALSE(dialog->Chart().accessibleDescription().contains(QStringLiteral("one level axis")));

  // The chart tells a reader what it shows: both series with mode and unit, their rows' time span and range.
  QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(&dialog->Chart());
  EXPECT_FALSE(chart->text(QAccessible::Name).isEmpty());
  const QString description = chart->text(QAccessible::Description);
  LevelSeries sourceSeries, correctedSeries;
  ASSERT_TRUE(LoadLevelSeries(log.source, sourceSeries));
  ASSERT_TRUE(LoadLevelSeries(CorrectedFilePath(log.dir.Path().string(), log.output), correctedSeries));
  float low = 0, high = 0;
  ASSERT_TRUE(ValueRange(sourceSeries.values, low, high));
  for (const QString& part : {LevelAxisTitle(sourceSeries), LevelAxisTitle(correctedSeries), QStringLiteral("2000 rows"),
                              QString::number(low, 'g', 6), QString::number(high, 'g', 6)}) {
    EXPECT_TRUE(description.contains(part)) << part.toStdString() << " in " << description.toStdString();
  }

  // Both lines are drawn in their colours, at 100 % and 200 %; the images are kept for looking at.
  dialog->resize(760, 560);
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

  // A source gone since: said in the chart, and the values still show.
  std::filesystem::remove(log.source);
  const std::unique_ptr<CDlgSummary> noSource = log.Summary();
  EXPECT_EQ(ValueOf(*noSource, CDlgSummary::kIdLevelOption), QStringLiteral("Depth"));
  EXPECT_EQ(noSource->Chart().Message(), QStringLiteral("The source log cannot be read; only the corrected log is shown."));
  EXPECT_TRUE(noSource->Chart().accessibleDescription().contains(QStringLiteral("Source log: cannot be read.")));
  noSource->resize(760, 560);
  SaveSnapshot(*noSource, QStringLiteral(TAVISKO_TEST_OUTPUT_DIR "/summary-no-source.png"), 1);
}

// Logs of one mode and unit share the level axis, so an offset shows as a distance between the lines.
TEST(CorrectionSummaryDialog, ShowsTheReadingsInATableAndMarksThemOnTheCorrectedLineOfOneSharedAxis) {
  const Corrected log(true);
  const std::unique_ptr<CDlgSummary> dialog = log.Summary();
  ASSERT_TRUE(dialog->Status().isEmpty()) << dialog->Status().toStdString();

  QTableWidget& table = dialog->ReadingsTable();
  EXPECT_TRUE(table.isVisible());
  const DataPointDisplay display(TakeDisplaySnapshot());
  const std::pair<std::size_t, QStringList> rows[] = {{0, {"10 m", "10 m", "+0 m"}},
                                                      {40, {"21 m", "20 m", "+1 m"}},
                                                      {80, {"29.5 m", "30 m", "-0.5 m"}}};
  ASSERT_EQ(table.rowCount(), static_cast<int>(std::size(rows)));
  for (int r = 0; r < table.rowCount(); ++r) {
    SCOPED_TRACE(r);
    const auto& [row, values] = rows[r];
    QStringList shown;
    for (int c = 0; c < table.columnCount(); ++c) shown << table.item(r, c)->text();
    EXPECT_EQ(shown, QStringList{QString::fromStdString(display.Text(test::RowTime(log.sample, row)))} + values);
  }

  // Named for a screen reader, with column headers, and reached by Tab.
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&table);
  EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Manual readings"));
  ASSERT_NE(face->tableInterface(), nullptr);
  EXPECT_EQ(face->tableInterface()->columnCount(), 4);
  EXPECT_EQ(table.horizontalHeaderItem(CDlgSummary::kColumnDrift)->text(), QStringLiteral("Drift correction"));
  EXPECT_TRUE(table.focusPolicy() & Qt::TabFocus);
  for (const int id : {CDlgSummary::kIdSaveChart, CDlgSummary::kIdExportCsv}) {
    auto* button = FindControl<QPushButton>(*dialog, id);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(button->text().contains('&')) << button->text().toStdString();  // Alt+letter
    EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus);
  }

  // Each mark sits on the corrected line at its reading's row, and the legend's reader knows of them.
  CLevelChart& chart = dialog->Chart();
  const std::vector<QPointF> marks = chart.ReadingMarkPositions();
  ASSERT_EQ(marks.size(), std::size(rows));
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const std::optional<QPointF> onLine = chart.ValuePosition(true, rows[i].first);
    ASSERT_TRUE(onLine);
    EXPECT_NEAR(marks[i].x(), onLine->x(), 0.01);
    EXPECT_NEAR(marks[i].y(), onLine->y(), 0.01);
  }
  const QString description = chart.accessibleDescription();
  EXPECT_TRUE(description.contains(QStringLiteral("3 manual readings"))) << description.toStdString();
  EXPECT_TRUE(description.contains(QStringLiteral("21 m at "))) << description.toStdString();

  // Both depth to water, +10 m: one axis. Row 20: source 5 m, corrected 15.5 m on one axis of about 35 m,
  // far apart (two axes scaled to their own ranges would draw them within a few pixels).
  EXPECT_EQ(chart.ValueAxisCount(), 1);
  EXPECT_TRUE(description.contains(QStringLiteral("one level axis")));
  const std::optional<QPointF> before = chart.ValuePosition(false, 20);
  const std::optional<QPointF> after = chart.ValuePosition(true, 20);
  ASSERT_TRUE(before && after);
  EXPECT_GT(after->y() - before->y(), 20);  // deeper is lower
  test::SaveSnapshots(*dialog, "summary-readings");
}

TEST(CorrectionSummaryDialog, SavesTheChartAsPngOrSvgAndExportsTheLevelsAsCsv) {
  const Corrected log(true);
  const std::unique_ptr<CDlgSummary> dialog = log.Summary();
  const QString folder = log.Folder();
  const auto contents = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  QString reason;

  ASSERT_TRUE(dialog->SaveChart(folder + "/chart.png", reason)) << reason.toStdString();
  const QImage png(folder + "/chart.png");
  EXPECT_EQ(png.size(), dialog->Chart().size() * dialog->Chart().devicePixelRatioF());
  ASSERT_TRUE(dialog->SaveChart(folder + "/chart.svg", reason)) << reason.toStdString();
  const QByteArray svg = contents(folder + "/chart.svg");
  EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
  EXPECT_TRUE(svg.contains("<polyline") || svg.contains("<path")) << "no line drawn";

  ASSERT_TRUE(dialog->ExportCsv(folder + "/levels.csv", reason)) << reason.toStdString();
  const QList<QByteArray> lines = contents(folder + "/levels.csv").split('\n');
  ASSERT_EQ(lines.size(), 1 + 100 + 1);  // header, rows, the empty rest after the last line feed
  EXPECT_EQ(lines[0], "Time,Source: Level Depth To Water (m),Corrected: Level Depth To Water (m)");
  const DataPointDisplay display(TakeDisplaySnapshot());
  EXPECT_EQ(lines[41], QByteArray::fromStdString(display.Text(test::RowTime(log.sample, 40)) + ",10,21"));

  // A folder that is not there: the reason, and no file left anywhere.
  for (const QString& name : {QStringLiteral("chart.png"), QStringLiteral("chart.svg"), QStringLiteral("levels.csv")}) {
    SCOPED_TRACE(name.toStdString());
    const QString path = folder + "/missing/" + name;
    reason.clear();
    EXPECT_FALSE(name.endsWith(".csv") ? dialog->ExportCsv(path, reason) : dialog->SaveChart(path, reason));
    EXPECT_FALSE(reason.isEmpty());
  }
  EXPECT_FALSE(QDir(folder + "/missing").exists());

  // The button's export runs on a worker: the buttons wait, and a failure is told without blocking.
  auto* exportButton = FindControl<QPushButton>(*dialog, CDlgSummary::kIdExportCsv);
  auto* saveButton = FindControl<QPushButton>(*dialog, CDlgSummary::kIdSaveChart);
  QSignalSpy ended(dialog.get(), &CDlgSummary::csvExported);
  for (const QString& name : {QStringLiteral("worker.csv"), QStringLiteral("missing/worker.csv")}) {
    SCOPED_TRACE(name.toStdString());
    dialog->StartCsvExport(folder + "/" + name);
    EXPECT_FALSE(exportButton->isEnabled() || saveButton->isEnabled());
    ASSERT_TRUE(ended.wait(10000));
    const QString failure = ended.takeFirst().at(1).toString();
    EXPECT_TRUE(exportButton->isEnabled() && saveButton->isEnabled());
    EXPECT_EQ(exportButton->text(), "Export CSV...");
    auto* box = dialog->findChild<QMessageBox*>();
    if (name.startsWith("missing")) {
      EXPECT_FALSE(failure.isEmpty());
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(box->isVisible() && box->text().contains(failure)) << box->text().toStdString();
      box->close();
    } else {
      EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
      EXPECT_EQ(box, nullptr);
      EXPECT_EQ(contents(folder + "/" + name), contents(folder + "/levels.csv"));
    }
  }
}

// The Summary button's dialog opens without blocking and may be closed while it still reads: it is
// deleted and the reading that arrives later is dropped.
TEST(CorrectionSummaryDialog, ClosingWhileReadingIsSafe) {
  const Corrected log(false);
  QWidget page;
  for (int round = 0; round < 3; ++round) {
    ShowCorrectionSummary(log.Folder(), QString::fromStdString(log.output), QString::fromStdString(log.source), &page);
    QPointer<CDlgSummary> dialog = page.findChild<CDlgSummary*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    if (round == 0) {
      ASSERT_TRUE(WaitFor([&dialog] { return !dialog->IsLoading(); }));
      EXPECT_EQ(ValueOf(*dialog, CDlgSummary::kIdSpecificGravity), QStringLiteral("1.024"));
    }
    QTest::mouseClick(FindControl<QPushButton>(*dialog, kIdOk), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&dialog] { return dialog.isNull(); }));
  }
  QTest::qWait(200);  // any reading still running arrives with no dialog left
}

}  // namespace
}  // namespace tvk
