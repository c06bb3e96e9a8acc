// Years of logs from several machines: 2,500 and 10,000 day packages. Measures
// the folder monitor's set-up (start() until every watch stands), and how soon
// the program shows its window with 10,000 packages compared with an empty
// log folder (the program itself, started on the offscreen platform, until it
// says it started).
#include "platform/files/FolderContentMonitor.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

// A folder of `count` day packages, made once per count.
const QString& logFolder(int count) {
  static std::map<int, std::unique_ptr<QTemporaryDir>> made;
  auto& dir = made[count];
  if (!dir) {
    dir = std::make_unique<QTemporaryDir>();
    const QString folder = dir->path() + QStringLiteral("/.local/share/Korvane-R/System Logs");
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
      const QString package =
          folder + QStringLiteral("/System Log Day %1 (%2).rtfd")
                       .arg(QDate(2016, 1, 1).addDays(i % 3650).toString(Qt::ISODate))
                       .arg(0xa0 + i / 3650, 0, 16);
      QDir().mkpath(package);
      QFile text(package + QStringLiteral("/TXT.rtf"));
      if (text.open(QIODevice::WriteOnly))
        text.write("{\\rtf1\\ansi }");
    }
  }
  static QString path;
  path = dir->path();
  return path;
}

void BM_FolderMonitorSetUp(benchmark::State& state) {
  const QString folder =
      logFolder(int(state.range(0))) + QStringLiteral("/.local/share/Korvane-R/System Logs");
  for (auto _ : state) {
    kr::FolderContentMonitor monitor({folder}, [](const kr::FileSystemEvent&) {});
    QEventLoop loop;
    QObject::connect(&monitor, &kr::FolderContentMonitor::setUpFinished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    monitor.start();
    loop.exec();
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    if (!monitor.isWatchingEverything())
      state.SkipWithError("not every package is watched");
  }
}
BENCHMARK(BM_FolderMonitorSetUp)
    ->Arg(2500)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_WindowShown(benchmark::State& state) {
  const QString home = state.range(0) ? logFolder(int(state.range(0))) : [] {
    static QTemporaryDir empty;
    return empty.path();
  }();
  for (auto _ : state) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(KR_PROGRAM_PATH), {});
    QByteArray console;
    bool started = false;
    while (!started && program.waitForReadyRead(20000)) {
      console += program.readAll();
      started = console.contains(" started");
    }
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    program.kill();
    program.waitForFinished();
    if (!started)
      state.SkipWithError("the program did not say it started");
  }
}
BENCHMARK(BM_WindowShown)
    ->Arg(0)
    ->Arg(10000)
    ->Iterations(7)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
