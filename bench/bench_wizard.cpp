// The wizard's overhead over the engine on a large log, under the offscreen platform:
//   - entering the mode page until the busy state ends, against CLevelCorrector::Open alone;
//   - the processing page until its Done state, against Correct plus SaveCorrected alone;
//   - the longest time the user-interface thread went without handling events (a 10 ms probe timer).
// Usage: bench_wizard LOG [RUNS]   (LOG from make_large_log; bench/wizard_vs_engine.sh runs it)
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/TextUtil.h"
#include "correction/LevelCorrector.h"
#include "correction/OutputNaming.h"
#include "wizard/WizPageSelectMode.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace {

using Clock = std::chrono::steady_clock;
using tvk::wizard::CWizSheetPostCorrect;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The longest gap between two ticks of a 10 ms timer: how long the event loop was held up.
class CStallProbe {
 public:
  CStallProbe() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.elapsed();
      worst_ = std::max(worst_, now - last_);
      last_ = now;
    });
  }
  void Start() {
    clock_.start();
    last_ = 0;
    timer_.start();
  }
  void Stop() {
    timer_.stop();
    worst_ = std::max(worst_, clock_.elapsed() - last_);
  }
  qint64 WorstMs() const { return worst_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 worst_ = 0;
};

void WaitFor(const std::function<bool()>& done) {
  while (!done()) QTest::qWait(1);
}

struct Times {
  double open = 0;
  double correct = 0;
};

Times EngineAlone(const std::string& log, const std::string& folder) {
  Times t;
  tvk::CLevelCorrector corrector;
  auto start = Clock::now();
  if (corrector.Open(log) != 1) {
    std::fprintf(stderr, "bench_wizard: the engine cannot open the log: %s\n", corrector.GetErrorText().c_str());
  }
  t.open = Seconds(start);
  corrector.SetNewLevelMeasurementMode(3);
  start = Clock::now();
  if (corrector.Correct() != 1 || corrector.SaveCorrected(folder) != 1) {
    std::fprintf(stderr, "bench_wizard: the engine failed: %s\n", corrector.GetErrorText().c_str());
  }
  t.correct = Seconds(start);
  return t;
}

Times Wizard(const std::string& log, CStallProbe& probe) {
  Times t;
  CWizSheetPostCorrect sheet;
  sheet.FileList().push_back(log);
  sheet.SetTotalLogCount(1);
  sheet.RemovePage(0);
  probe.Start();
  auto start = Clock::now();
  sheet.show();  // the mode page is entered and starts loading
  WaitFor([&sheet] { return !sheet.IsBusy(); });
  t.open = Seconds(start);
  if (sheet.Corrector() == nullptr || !sheet.Corrector()->IsLoaded()) {
    std::fprintf(stderr, "bench_wizard: the wizard did not load the log: %s\n",
                 sheet.Corrector() != nullptr ? sheet.Corrector()->GetErrorText().c_str() : "no corrector");
  }
  QTest::qWait(1);
  auto* pressureHead = tvk::wizard::Control<QAbstractButton>(&sheet.ModePage(),
                                                             tvk::wizard::CWizPageSelectMode::kIdPressureHead);
  pressureHead->click();
  sheet.OnNextButton();  // specific gravity page
  start = Clock::now();
  sheet.OnNextButton();  // processing page: the correction starts
  WaitFor([&sheet] { return sheet.Button(tvk::wizard::kIdOk)->isEnabled(); });
  t.correct = Seconds(start);
  probe.Stop();
  if (!sheet.Corrector()->GetErrorText().empty()) {
    std::fprintf(stderr, "bench_wizard: the wizard's correction failed: %s\n", sheet.Corrector()->GetErrorText().c_str());
  }
  sheet.OnOkButton();
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_wizard LOG [RUNS]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const std::string log = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::string outputs = tvk::CombinePath(tvk::GetFolderPart(log), tvk::kCorrectedFolderName);
  const std::string engineOutputs = tvk::CombinePath(tvk::GetFolderPart(log), "bench-engine-output");

  std::vector<double> engineOpen, engineCorrect, wizardOpen, wizardCorrect;
  CStallProbe probe;
  for (int run = 0; run < runs; ++run) {
    std::filesystem::remove_all(engineOutputs);
    std::filesystem::create_directories(engineOutputs);
    const Times engine = EngineAlone(log, engineOutputs);
    engineOpen.push_back(engine.open);
    engineCorrect.push_back(engine.correct);
    std::filesystem::remove_all(outputs);
    const Times wizard = Wizard(log, probe);
    wizardOpen.push_back(wizard.open);
    wizardCorrect.push_back(wizard.correct);
  }
  std::filesystem::remove_all(engineOutputs);
  std::filesystem::remove_all(outputs);

  // The same probe over an idle event loop: what the machine's own scheduling costs.
  CStallProbe idle;
  idle.Start();
  QTest::qWait(1000);
  idle.Stop();

  const double openRatio = Median(wizardOpen) / Median(engineOpen);
  const double correctRatio = Median(wizardCorrect) / Median(engineCorrect);
  std::printf("medians of %d runs\n", runs);
  std::printf("mode page to end of busy  %7.3f s   Open alone              %7.3f s   ratio %.2f (target <= 1.5)\n",
              Median(wizardOpen), Median(engineOpen), openRatio);
  std::printf("processing page to Done   %7.3f s   Correct + SaveCorrected %7.3f s   ratio %.2f (target <= 1.2)\n",
              Median(wizardCorrect), Median(engineCorrect), correctRatio);
  std::printf("longest event-loop stall  %7lld ms  (target < 100; an idle loop on this machine: %lld ms)\n",
              static_cast<long long>(probe.WorstMs()), static_cast<long long>(idle.WorstMs()));
  return 0;
}
