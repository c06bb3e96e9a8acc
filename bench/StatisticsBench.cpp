// The statistics pages over ten years of logs (25,000 slices): each computed,
// rendered and written with its folder swap, with the filters off and on; the
// CSV export of every slice;
// then the time until the chart is drawn in a warm web view (offscreen, or
// under xvfb-run; the engine wants QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox
// --disable-gpu" there).
#include "GeneratedLogFolder.h"
#include "engine/Clock.h"
#include "engine/LogFileManager.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/linux/web/DeferredHtmlView.h"
#include "platform/linux/web/WebEngineHtmlView.h"
#include "platform/services/TestHtmlView.h"
#include "platform/settings/UserDefaults.h"
#include "stats/FullFeaturedStatisticsManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using kr::bench::folder;

// Everything the statistics need, over the generated folder, with "today"
// the last generated day.
struct Setup {
  Setup()
      : defaults(home.path() + QStringLiteral("/settings.conf")),
        logFiles([] { return folder().dir.path(); }) {
    const QDateTime evening(folder().lastDay, QTime(18, 0));
    kr::Clock::setNowFunction([evening] { return kr::Clock::referenceSecondsFromDate(evening); });
    defaults.registerDefaults({{"currentlyDisplayedStatistic", 0}, {"filtering", false}});
    defaults.setValue(QStringLiteral("tagFilter"), QStringLiteral("client-3"));
    QEventLoop loop;
    QObject::connect(&logFiles, &kr::LogFileManager::reloadFinished, &loop, &QEventLoop::quit);
    logFiles.internalAyncUpdate();
    loop.exec();
  }
  QTemporaryDir home;
  kr::UserDefaults defaults;
  kr::LogFileManager logFiles;
};

Setup& setup() {
  static Setup instance;
  return instance;
}

// Computed, rendered, written and swapped in; the test view loads nothing.
void BM_OverviewPageWritten(benchmark::State& state) {
  Setup& s = setup();
  s.defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), qint64(state.range(0)));
  s.defaults.setValue(QStringLiteral("filtering"), state.range(1) != 0);
  kr::FullFeaturedStatisticsManager manager(&s.logFiles, &s.defaults);
  kr::TestHtmlView view;
  manager.setStatisticsWebView(&view);
  for (auto _ : state)
    manager.performCalculations();
  state.counters["slices"] = double(s.logFiles.currentFullDataSet()->timeSlices().size());
}
BENCHMARK(BM_OverviewPageWritten)
    ->ArgNames({"statistic", "filtering"})
    ->ArgsProduct({{0, 1, 3, 4, 5, 6}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Every slice written to one CSV file.
void BM_CsvExport(benchmark::State& state) {
  Setup& s = setup();
  kr::FullFeaturedStatisticsManager manager(&s.logFiles, &s.defaults);
  manager.prepareDataSet();
  const QString path = s.home.path() + QStringLiteral("/export.csv");
  for (auto _ : state) {
    if (!manager.exportCSVTo(path))
      state.SkipWithError("the export failed");
  }
  state.counters["slices"] = double(manager.fullData()->timeSlices().size());
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond);

bool waitFor(const std::function<bool()>& done, int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

int barsDrawn(kr::WebEngineHtmlView& view) {
  int bars = -1;
  bool answered = false;
  view.engineView()->page()->runJavaScript(
      QStringLiteral("document.querySelectorAll('line.ct-bar').length"),
      [&](const QVariant& value) {
        bars = value.toInt();
        answered = true;
      });
  waitFor([&] { return answered; }, 10000);
  return bars;
}

// From the change of a setting to the chart drawn in a view that has shown a
// page before. `delayed`: a filter change, which waits for the quiet period.
void BM_PageShownInWarmView(benchmark::State& state) {
  Setup& s = setup();
  const bool delayed = state.range(0) != 0;
  kr::WebEngineHtmlView view;
  view.resize(900, 560);
  view.show();
  kr::FullFeaturedStatisticsManager manager(&s.logFiles, &s.defaults);
  manager.setStatisticsWebView(&view);
  manager.awakeFromNib();
  s.defaults.setValue(QStringLiteral("filtering"), false);
  manager.load();
  waitFor([&] { return barsDrawn(view) == 28; }, 30000); // warm
  int loads = 0;
  QObject::connect(&view, &kr::HtmlView::loadFinished, [&loads] { ++loads; });
  int round = 0;
  for (auto _ : state) {
    ++round;
    // A change of statistic alternates 7 and 14 days; a filter change
    // switches the filters on the 14-day page.
    const int number = delayed || round % 2 ? 5 : 0;
    const int bars = 4 * (number == 5 ? 14 : 7);
    if (delayed) {
      s.defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), number);
      waitFor([&] { return barsDrawn(view) == bars; }, 30000);
    }
    const int loadsBefore = loads;
    QElapsedTimer timer;
    timer.start();
    if (delayed)
      s.defaults.setValue(QStringLiteral("filtering"), round % 2 == 1);
    else
      s.defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), number);
    if (!waitFor([&] { return loads > loadsBefore && barsDrawn(view) == bars; }, 30000))
      state.SkipWithError("the chart was not drawn");
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
  }
}
BENCHMARK(BM_PageShownInWarmView)
    ->ArgName("filterChange")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
  // Never the real support folder.
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
  if (qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  kr::DeferredHtmlView::prepareApplication();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  folder();
  setup();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
