// Appending one entry to a day of 60 MB, held either in pictures beside the
// text or in the text itself. Reports the peak memory the append added.
// The day is written a piece at a time, so that the process's own peak
// (/usr/bin/time -v, with --benchmark_filter=Text) shows the append too:
//   /usr/bin/time -v build/bench/bench_log_append --benchmark_filter=Text
// A day of 60 MB in another word processor's style (with a picture in an
// objective) takes the entry away from the window: window_ms is the time the
// window's thread spends in the call that starts the write (for the waited
// append: in the whole append), window_cpu_ms its processor time from that
// call to the end of the hand-back of the result, peak_added_MB what the
// whole append added to the process's peak, grown_KB what the day grew by.
#include "GeneratedLogFolder.h"
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
#include "engine/FullDataSet.h"
#include "engine/LogFileCache.h"
#include "engine/RawDataSet.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <utility>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <time.h>

namespace {

constexpr qsizetype kDayBytes = 60LL * 1024 * 1024;

kr::RichText entry(int n) {
  return kr::RichText(QStringLiteral("#TimeSlice\n%1\n#objective\nWork on chapter %1 of the "
                                     "report and its notes\n#duration\n1500\n#tags\nwriting\n")
                          .arg(n));
}

// Resident memory at its highest so far, in kilobytes.
long peakKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:"))
      return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return 0;
}

// Resident memory now, in kilobytes.
long residentKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:"))
      return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return 0;
}

// Processor time of the whole process so far, in seconds.
double processorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Lowers the peak to the present use, so that each measurement starts anew.
void resetPeak() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly))
    clear.write("5");
}

struct Day {
  QTemporaryDir dir;
  std::unique_ptr<kr::BackingStoreDescriptor> store;

  explicit Day(bool inText) {
    kr::BackingStoreManager::sharedManager().setMachineIdentifierForTesting(
        QStringLiteral("abc123"));
    store = std::make_unique<kr::BackingStoreDescriptor>();
    store->setFolderPath(dir.path());
    store->setRoot(QStringLiteral("System Log"));
    store->setNamingStrategy(std::make_unique<kr::DailyNamingStrategy>());
    store->finishInitialization();
    const QString package = store->getPathToCurrentFile();
    QDir().mkpath(package);
    QFile rtf(package + QStringLiteral("/TXT.rtf"));
    rtf.open(QIODevice::WriteOnly);
    if (inText) {
      // Entries as the writer writes them, repeated between its header and
      // its closing brace: the file of a day of that many entries.
      const QByteArray one = kr::RtfWriter::write(entry(0));
      const qsizetype bodyStart = one.indexOf("}\n", one.indexOf("{\\colortbl")) + 2;
      const QByteArray body = one.mid(bodyStart, one.size() - 2 - bodyStart);
      rtf.write(one.left(bodyStart));
      for (qsizetype written = 0; written < kDayBytes; written += body.size())
        rtf.write(body);
      rtf.write("}\n");
    } else {
      kr::RichText text;
      for (int n = 0; n < 40; ++n)
        text.append(entry(n));
      rtf.write(kr::RtfWriter::write(text));
      // Pictures the user put into the package, unrelated to the entries.
      for (int i = 0; i < 4; ++i) {
        QFile picture(package + QStringLiteral("/picture %1.png").arg(i));
        picture.open(QIODevice::WriteOnly);
        picture.write(QByteArray(kDayBytes / 4, char('a' + i)));
      }
    }
  }
};

void appendToLargeDay(benchmark::State& state, bool inText) {
  Day day(inText);
  int n = 1000000;
  long addedKilobytes = 0;
  for (auto _ : state) {
    resetPeak();
    const long before = peakKilobytes();
    if (!kr::BackingStoreManager::sharedManager().append(entry(n++), *day.store))
      state.SkipWithError("the append failed");
    addedKilobytes = std::max(addedKilobytes, peakKilobytes() - before);
  }
  state.counters["peak_added_MB"] = double(addedKilobytes) / 1024.0;
}

void BM_AppendToADayOf60MBOfPictures(benchmark::State& state) { appendToLargeDay(state, false); }
void BM_AppendToADayOf60MBOfText(benchmark::State& state) { appendToLargeDay(state, true); }

// What logging one slice into a large day costs the program as a whole: the
// append, then the reload that the log file manager runs after it, with the
// data sets of the last reload held as the program holds them.
void BM_AppendAndReloadADayOf60MBOfText(benchmark::State& state) {
  Day day(true);
  const QString folder = day.dir.path();
  kr::LogFileCache cache;
  std::vector<kr::OwnAppend> appended;
  auto reload = [&](std::shared_ptr<kr::FullDataSet>& full, std::shared_ptr<kr::RawDataSet>& raw) {
    const kr::LogFileCache::FolderRead read =
        cache.readFolder(folder, {}, std::exchange(appended, {}));
    auto newFull = std::make_shared<kr::FullDataSet>();
    newFull->loadFromFiles(read.files, read.tagStringsParsed);
    auto newRaw = std::make_shared<kr::RawDataSet>();
    newRaw->loadFromFiles(read.files, read.tagStringsParsed);
    full = std::move(newFull);
    raw = std::move(newRaw);
  };
  std::shared_ptr<kr::FullDataSet> full;
  std::shared_ptr<kr::RawDataSet> raw;
  reload(full, raw);
  int n = 1000000;
  long addedKilobytes = 0;
  long grownKilobytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    resetPeak();
    const long before = peakKilobytes();
    const long residentBefore = residentKilobytes();
    const double processorBefore = processorSeconds();
    std::optional<kr::OwnAppend> own;
    if (!kr::BackingStoreManager::sharedManager().append(entry(n++), *day.store, nullptr, &own))
      state.SkipWithError("the append failed");
    if (own) // as the writer tells the log file manager
      appended.push_back(std::move(*own));
    reload(full, raw);
    seconds = std::max(seconds, processorSeconds() - processorBefore);
    addedKilobytes = std::max(addedKilobytes, peakKilobytes() - before);
    grownKilobytes = std::max(grownKilobytes, residentKilobytes() - residentBefore);
  }
  state.counters["entries"] = double(full->timeSlices().size());
  state.counters["cpu_s"] = seconds;
  state.counters["peak_added_MB"] = double(addedKilobytes) / 1024.0;
  state.counters["grown_MB"] = double(grownKilobytes) / 1024.0;
}

// Processor time of the calling thread, in milliseconds.
double threadMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// A day of 60 MB as a Mac word processor writes one, with a picture that
// LibreOffice put into an objective: no day this program's writer wrote.
struct OtherStyleDay {
  QTemporaryDir dir;
  std::unique_ptr<kr::BackingStoreDescriptor> store;
  QString text;

  OtherStyleDay() {
    kr::BackingStoreManager::sharedManager().setMachineIdentifierForTesting(
        QStringLiteral("abc123"));
    store = std::make_unique<kr::BackingStoreDescriptor>();
    store->setFolderPath(dir.path());
    store->setRoot(QStringLiteral("System Log"));
    store->setNamingStrategy(std::make_unique<kr::DailyNamingStrategy>());
    store->finishInitialization();
    const QString package = store->getPathToCurrentFile();
    QDir().mkpath(package);
    text = package + QStringLiteral("/TXT.rtf");
    QFile rtf(text);
    rtf.open(QIODevice::WriteOnly);
    const QByteArray sample = kr::bench::dayText(QDate(2026, 12, 9));
    const qsizetype bodyStart = sample.indexOf("\\f1\\b\\fs28"); // the first entry
    rtf.write(sample.left(sample.lastIndexOf('}')));
    rtf.write("{\\*\\shppict{\\pict\\pngblip\\picw4\\pich3 "
              "89504e470d0a1a0a0000000d4948445200000004000000030806000000}}\\\n");
    const QByteArray body = sample.mid(bodyStart, sample.lastIndexOf('}') - bodyStart);
    for (qsizetype written = sample.size(); written < kDayBytes; written += body.size())
      rtf.write(body);
    rtf.write("}\n");
  }
  qint64 size() const { return QFileInfo(text).size(); }
};

// The append as the program made it before it had a worker for it: the
// window waits for the whole write.
void BM_AppendToAnOtherStyleDayOf60MBWaited(benchmark::State& state) {
  OtherStyleDay day;
  int n = 1000000;
  long addedKilobytes = 0;
  double windowMs = 0;
  double grownBytes = 0;
  for (auto _ : state) {
    resetPeak();
    const long before = peakKilobytes();
    const qint64 sizeBefore = day.size();
    QElapsedTimer wall;
    wall.start();
    if (!kr::BackingStoreManager::sharedManager().append(entry(n++), *day.store))
      state.SkipWithError("the append failed");
    windowMs = std::max(windowMs, double(wall.nsecsElapsed()) / 1e6);
    addedKilobytes = std::max(addedKilobytes, peakKilobytes() - before);
    grownBytes = std::max(grownBytes, double(day.size() - sizeBefore));
  }
  state.counters["window_ms"] = windowMs;
  state.counters["peak_added_MB"] = double(addedKilobytes) / 1024.0;
  state.counters["grown_KB"] = grownBytes / 1024.0;
}

void BM_AppendToAnOtherStyleDayOf60MB(benchmark::State& state) {
  OtherStyleDay day;
  kr::BackingStoreManager& manager = kr::BackingStoreManager::sharedManager();
  QObject context;
  int n = 1000000;
  long addedKilobytes = 0;
  double windowMs = 0;
  double windowCpuMs = 0;
  double grownBytes = 0;
  for (auto _ : state) {
    resetPeak();
    const long before = peakKilobytes();
    const qint64 sizeBefore = day.size();
    bool done = false;
    bool written = false;
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = threadMilliseconds();
    manager.appendLater(entry(n++), *day.store, &context,
                        [&](bool ok, const std::optional<kr::OwnAppend>&) {
                          done = true;
                          written = ok;
                          context.setObjectName(QString::number(n)); // ends the wait
                        });
    const double window = double(wall.nsecsElapsed()) / 1e6;
    // The window's thread sleeps in its event loop meanwhile: its processor
    // time is the call's and the hand-back's.
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
      if (done)
        loop.quit();
    });
    QObject::connect(&context, &QObject::objectNameChanged, &loop, &QEventLoop::quit);
    if (!done)
      loop.exec();
    windowCpuMs = std::max(windowCpuMs, threadMilliseconds() - cpuBefore);
    if (!written)
      state.SkipWithError("the append failed");
    windowMs = std::max(windowMs, window);
    addedKilobytes = std::max(addedKilobytes, peakKilobytes() - before);
    grownBytes = std::max(grownBytes, double(day.size() - sizeBefore));
  }
  state.counters["window_ms"] = windowMs;
  state.counters["window_cpu_ms"] = windowCpuMs;
  state.counters["peak_added_MB"] = double(addedKilobytes) / 1024.0;
  state.counters["grown_KB"] = grownBytes / 1024.0;
}

BENCHMARK(BM_AppendToAnOtherStyleDayOf60MBWaited)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AppendToAnOtherStyleDayOf60MB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AppendToADayOf60MBOfPictures)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_AppendToADayOf60MBOfText)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AppendAndReloadADayOf60MBOfText)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
