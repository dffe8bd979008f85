// The pages' own costs under the offscreen platform:
//   - the reference page handling the log-loaded event for a large log, with the page shown and painted
//     (target: under 100 ms; the list makes a line's text only when it is shown);
//   - a time typed into its time picker selecting the nearest row, for a target near the start, the
//     middle and the end of the log (target: under 20 ms);
//   - the "Site Data" scan of a folder of logs plus the log list page's groups and tree (target: under 1 s).
// Usage: bench_pages LOG SITE_DATA_FOLDER [LOGS] [RUNS]
//   LOG from make_large_log; the folder is filled with LOGS small logs (default 1,000) when it holds none.
#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/Calendar.h"
#include "common/LocalTime.h"
#include "correction/CorrectionChoices.h"
#include "correction/LevelCorrector.h"
#include "logfile/LogFile.h"
#include "logfile/notes/UserNotes.h"
#include "wizard/WizPageSelectMode.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace {

using Clock = std::chrono::steady_clock;
using tvk::wizard::CWizSheetPostCorrect;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void WaitFor(const std::function<bool()>& done) {
  while (!done()) QTest::qWait(1);
}

// Logs of 2,000 rows at 100 sites, a few site names in two letter cases.
bool FillSiteData(const std::string& folder, int count) {
  std::filesystem::create_directories(folder);
  TMSystem::CTMLogFile log;
  log.SetLogName("Site Log");
  log.SetLogType(1);
  log.SetTypeVersion(1);
  log.SetPairs({{1, 1}});
  log.SetIntegerValue("LevelMeasurementMode", 3, 4);
  log.SetIntegerValue("LevelUnitId", 3, 35);
  log.SetValue("SpecificGravity", TMSystem::CTMVariant(1.0f));
  log.SetIntegerValue("LevelReferenceMode", 3, 3);
  log.SetValue("LevelReferenceVal", TMSystem::CTMVariant(10.0f));
  log.SetValue("LevelRefPressure", TMSystem::CTMVariant(5.0f));
  log.SetIntegerValue("LevelRefPressureUnitId", 3, 17);
  log.SetChannels({{0, 5, 2, 17, 1}, {1, 5, 4, 35, 1}});
  std::vector<TMSystem::CTMDataRow> rows(2000);
  for (std::uint32_t i = 0; i < rows.size(); ++i) {
    rows[i].time = {1'300'000'000U + 60 * i, 0};
    rows[i].values = {{5.0f + 0.001f * static_cast<float>(i), 0}, {1.0f, 0}};
  }
  log.SetRows(rows);
  TMSystem::CTMUserNote_AllLogNotes marker;
  (void)marker.Build();
  log.SetNotes({marker.GetRecord()});
  for (int i = 0; i < count; ++i) {
    TMSystem::CTMSiteHeader header;
    (void)log.GetSiteHeader(header);
    header.siteName = (i % 7 == 0 ? "WELL " : "Well ") + std::to_string(i % 100);
    log.SetSiteHeader(header);
    char name[32];
    std::snprintf(name, sizeof name, "log%04d.vxl", i);
    if (tvk::Failed(log.SaveAs((std::filesystem::path(folder) / name).string()))) return false;
  }
  return true;
}

struct ReferenceTimes {
  double loaded = 0;
  std::vector<double> picked;  // per target
};

ReferenceTimes ReferencePage(const std::string& logPath) {
  ReferenceTimes t;
  CWizSheetPostCorrect sheet;
  sheet.FileList().push_back(logPath);
  sheet.SetTotalLogCount(1);
  sheet.RemovePage(0);
  sheet.show();
  WaitFor([&sheet] { return !sheet.IsBusy(); });
  tvk::wizard::Control<QAbstractButton>(&sheet.ModePage(), tvk::wizard::CWizPageSelectMode::kIdDepthToWater)->click();
  sheet.OnNextButton();
  auto& page = sheet.ReferencePage();
  QTest::qWait(20);

  auto start = Clock::now();
  page.OnLogLoaded();
  page.repaint();
  t.loaded = Ms(start);

  auto* radio = tvk::wizard::Control<QAbstractButton>(&page, 1002);
  radio->click();
  const auto& times = sheet.Corrector()->GetRowTimes();
  const tvk::DataPointDisplay display(tvk::TakeDisplaySnapshot());
  auto* date = tvk::wizard::Control<QDateEdit>(&page, 1003);
  auto* time = tvk::wizard::Control<QTimeEdit>(&page, 1004);
  for (std::size_t row : {std::size_t{1}, times.size() / 2, times.size() - 2}) {
    TMSystem::CTMDeviceTime target = times[row];
    target.seconds += 20;  // between two rows a few seconds apart
    const tvk::SystemTime s = TMSystem::DeviceTimeToSystemTime(display.ReadBack(target));
    date->setDate(QDate(s.year, s.month, s.day));
    time->setTime(QTime(0, 0, 0));
    start = Clock::now();
    time->setTime(QTime(s.hour, s.minute, s.second));
    t.picked.push_back(Ms(start));
  }
  sheet.done(QDialog::Rejected);
  return t;
}

double ScanAndTree(const std::string& folder, int* shownLogs) {
  CWizSheetPostCorrect sheet;
  sheet.LogListPage().SetFolder(folder);
  const auto start = Clock::now();
  sheet.show();
  WaitFor([&sheet] { return sheet.LogListPage().IsScanned(); });
  const double ms = Ms(start);
  auto* tree = tvk::wizard::Control<QTreeWidget>(&sheet.LogListPage(), 1000);
  *shownLogs = 0;
  if (tree->topLevelItemCount() == 1) {
    for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i) *shownLogs += tree->topLevelItem(0)->child(i)->childCount();
  }
  sheet.done(QDialog::Rejected);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_pages LOG SITE_DATA_FOLDER [LOGS] [RUNS]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const std::string log = argv[1];
  const std::string folder = argv[2];
  const int logs = argc > 3 ? std::atoi(argv[3]) : 1000;
  const int runs = std::max(1, argc > 4 ? std::atoi(argv[4]) : 3);
  std::error_code ec;
  if (std::filesystem::is_empty(folder, ec) || !std::filesystem::exists(folder)) {
    if (!FillSiteData(folder, logs)) {
      std::fprintf(stderr, "bench_pages: cannot write the site data logs\n");
      return 1;
    }
  }

  std::vector<double> loaded, first, middle, last, scan;
  int shown = 0;
  for (int run = 0; run < runs; ++run) {
    const ReferenceTimes t = ReferencePage(log);
    loaded.push_back(t.loaded);
    first.push_back(t.picked[0]);
    middle.push_back(t.picked[1]);
    last.push_back(t.picked[2]);
    scan.push_back(ScanAndTree(folder, &shown));
  }
  std::printf("reference page, log-loaded event:      %8.1f ms (target < 100)\n", Median(loaded));
  std::printf("time picked near the first row:         %8.1f ms (target < 20)\n", Median(first));
  std::printf("time picked near the middle row:        %8.1f ms (target < 20)\n", Median(middle));
  std::printf("time picked near the last row:          %8.1f ms (target < 20)\n", Median(last));
  std::printf("site data scan + log tree (%d logs):  %8.1f ms (target < 1000)\n", shown, Median(scan));
  return 0;
}
