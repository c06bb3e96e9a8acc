// The log book over 25,000 and 100,000 generated slices, offscreen, in a pad
// 420 x 700: the time from showing the pad (log already read), from a reload
// of the log files (pad shown) and from making the pad narrower to the first
// row drawn at its measured height, and the processor time the window thread
// spends on showing and reloading until it is idle again (no more than 5 ms in
// 100 ms); then the time a jump to the oldest row takes, by the End key and by
// one drag of the scroll thumb to the bottom. Times are milliseconds of the
// window thread, which does all of it; "reached" is 0 when the oldest row was
// not on screen 3 s after the jump, and "row_at_bottom" is the row shown at
// the bottom then.
#include "GeneratedLogFolder.h"
#include "engine/LogFileManager.h"
#include "stats/LogBookTableView.h"
#include "stats/LogBookTableViewController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>

#include <cmath>
#include <functional>
#include <map>
#include <memory>

namespace {

// The log files of `days` generated days, read once per run.
kr::LogFileManager& logFilesOfDays(int days) {
  static std::map<int, std::unique_ptr<kr::LogFileManager>> read;
  std::unique_ptr<kr::LogFileManager>& logFiles = read[days];
  if (!logFiles) {
    const QString path = kr::bench::folderOfDays(days).dir.path();
    logFiles = std::make_unique<kr::LogFileManager>([path] { return path; });
    QEventLoop loop;
    QObject::connect(logFiles.get(), &kr::LogFileManager::reloadFinished, &loop, &QEventLoop::quit);
    logFiles->internalAyncUpdate();
    loop.exec();
  }
  return *logFiles;
}

struct Step {
  double milliseconds = 0;
  bool reached = false;
};

// Does `action`, then runs the event loop until `done`, for at most `limit` ms;
// then draws the list.
Step until(kr::LogBookTableView* table, const std::function<void()>& action,
           const std::function<bool()>& done, int limit = 3000) {
  QElapsedTimer timer;
  timer.start();
  action();
  Step step;
  while (!(step.reached = done()) && timer.elapsed() < limit)
    QApplication::processEvents();
  table->viewport()->repaint();
  step.milliseconds = double(timer.nsecsElapsed()) / 1e6;
  return step;
}

double threadMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// The window thread's processor time from `start` until it idles.
double busyUntilIdle(double start) {
  for (int i = 0; i < 200; ++i) {
    const double before = threadMilliseconds();
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    if (threadMilliseconds() - before < 5.0)
      return before - start;
  }
  return threadMilliseconds() - start;
}

bool firstRowShown(kr::LogBookTableViewController& controller) {
  kr::LogBookTableView* table = controller.tableView();
  const QRect row = table->visualRect(table->model()->index(0, 0));
  return row.top() == 0 && row.height() == int(std::ceil(controller.heightOfRow(0)));
}

bool lastRowShown(kr::LogBookTableView* table) {
  const int rows = table->model()->rowCount();
  const QRect row = table->visualRect(table->model()->index(rows - 1, 0));
  return row.height() > 0 && row.top() >= 0 && row.bottom() < table->viewport()->height() + 1;
}

int rowAtBottom(kr::LogBookTableView* table) {
  return table->indexAt(QPoint(10, table->viewport()->height() - 2)).row();
}

void BM_LogBookOpenAndJumpToTheEnd(benchmark::State& state) {
  const int days = int(state.range(0));
  kr::LogFileManager& logFiles = logFilesOfDays(days);
  double reloadMs = 0, showMs = 0, endMs = 0, thumbMs = 0, showBusy = 0, reloadBusy = 0,
         resizeMs = 0;
  double endReached = 0, thumbReached = 0, endRow = 0, thumbRow = 0;
  auto opened = [&] {
    auto controller = std::make_unique<kr::LogBookTableViewController>(false, &logFiles);
    controller->view()->resize(420, 700);
    return controller;
  };
  for (auto _ : state) {
    {
      // Shown after the log was read, then read again while shown.
      auto controller = opened();
      kr::LogBookTableView* table = controller->tableView();
      double start = threadMilliseconds();
      showMs += until(
                    table, [&] { controller->view()->show(); },
                    [&] { return firstRowShown(*controller); })
                    .milliseconds;
      showBusy += busyUntilIdle(start);
      start = threadMilliseconds();
      reloadMs += until(
                      table, [&] { controller->reloadSystemLog(); },
                      [&] { return firstRowShown(*controller); })
                      .milliseconds;
      reloadBusy += busyUntilIdle(start);
      // A narrower pad: every row estimated again at the new width.
      resizeMs += until(
                      table, [&] { controller->view()->resize(360, 700); },
                      [&] { return firstRowShown(*controller); })
                      .milliseconds;
    }
    {
      // The End key as soon as the rows show.
      auto controller = opened();
      kr::LogBookTableView* table = controller->tableView();
      until(
          table, [&] { controller->view()->show(); }, [&] { return firstRowShown(*controller); });
      const Step byKey = until(
          table,
          [&] {
            QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
            QApplication::sendEvent(table, &end);
          },
          [&] { return lastRowShown(table); });
      endMs += byKey.milliseconds;
      endReached += byKey.reached;
      endRow += rowAtBottom(table);
    }
    {
      // One drag of the thumb to the bottom as soon as the rows show.
      auto controller = opened();
      kr::LogBookTableView* table = controller->tableView();
      until(
          table, [&] { controller->view()->show(); }, [&] { return firstRowShown(*controller); });
      QScrollBar* bar = table->verticalScrollBar();
      const Step byThumb = until(
          table,
          [&] {
            bar->setSliderDown(true);
            bar->setSliderPosition(bar->maximum());
            bar->setSliderDown(false);
          },
          [&] { return lastRowShown(table); });
      thumbMs += byThumb.milliseconds;
      thumbReached += byThumb.reached;
      thumbRow += rowAtBottom(table);
    }
  }
  const double n = double(state.iterations());
  state.counters["rows"] = double(logFiles.currentFullDataSet()->timeSlices().size());
  state.counters["show_ms"] = showMs / n;
  state.counters["reload_ms"] = reloadMs / n;
  state.counters["show_busy_ms"] = showBusy / n;
  state.counters["narrower_ms"] = resizeMs / n;
  state.counters["reload_busy_ms"] = reloadBusy / n;
  state.counters["end_key_ms"] = endMs / n;
  state.counters["end_key_reached"] = endReached / n;
  state.counters["end_key_row_at_bottom"] = endRow / n;
  state.counters["thumb_ms"] = thumbMs / n;
  state.counters["thumb_reached"] = thumbReached / n;
  state.counters["thumb_row_at_bottom"] = thumbRow / n;
}
BENCHMARK(BM_LogBookOpenAndJumpToTheEnd)
    ->Arg(2500)
    ->Arg(10000)
    ->ArgName("days")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
