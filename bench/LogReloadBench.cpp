// Reloading ten years of logs: 2,500 day packages holding 25,000 entries with
// rich objectives and tags. Compares a full reload with merely reading the
// same bytes, and measures the reload after one package changed.
#include "GeneratedLogFolder.h"
#include "engine/FullDataSet.h"
#include "engine/LogFileCache.h"
#include "engine/RawDataSet.h"
#include "platform/richtext/RtfReader.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

using kr::bench::dayText;
using kr::bench::folder;
using kr::bench::packagePath;

void reload(const QString& path, kr::LogFileCache& cache, std::size_t* count = nullptr) {
  // As the log file manager reloads: one listing and parse for both data sets.
  const kr::LogFileCache::FolderRead read = cache.readFolder(path);
  kr::FullDataSet full;
  full.loadFromFiles(read.files, read.tagStringsParsed);
  kr::RawDataSet raw;
  raw.loadFromFiles(read.files, read.tagStringsParsed);
  if (count)
    *count = full.timeSlices().size();
  benchmark::DoNotOptimize(raw.timeSlices().data());
}

qint64 heapInUse() { return qint64(mallinfo2().uordblks); }

// The floor: list the folder, then open and read each package's text.
// Argument 1: the folder of days as this program writes them.
kr::bench::LogFolder& folderOf(const benchmark::State& state, int argument) {
  return state.range(argument) ? kr::bench::ownFormFolder() : folder();
}

void BM_ReadBytesOnly(benchmark::State& state) {
  const QByteArray path = QFile::encodeName(folderOf(state, 0).dir.path());
  std::vector<char> buffer(1 << 20);
  for (auto _ : state) {
    qint64 total = 0;
    const int folderFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
    DIR* listing = ::fdopendir(::dup(folderFd));
    while (const dirent* entry = ::readdir(listing)) {
      if (entry->d_name[0] == '.')
        continue;
      const int fd = ::openat(folderFd, (QByteArray(entry->d_name) + "/TXT.rtf").constData(),
                              O_RDONLY | O_CLOEXEC);
      for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
        total += n;
      ::close(fd);
    }
    ::closedir(listing);
    ::close(folderFd);
    benchmark::DoNotOptimize(total);
  }
  state.counters["MB"] = double(folderOf(state, 0).bytes) / 1e6;
}
BENCHMARK(BM_ReadBytesOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What the rich-text reader alone takes of a full reload: the same bytes
// read and parsed into rich text, no records made.
void BM_ReadBytesAndParseRtfOnly(benchmark::State& state) {
  const QString path = folder().dir.path();
  const QStringList packages = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (auto _ : state) {
    qint64 characters = 0;
    for (const QString& package : packages) {
      QFile file(path + u'/' + package + QStringLiteral("/TXT.rtf"));
      if (file.open(QIODevice::ReadOnly))
        characters += kr::RtfReader::read(file.readAll()).text.length();
    }
    benchmark::DoNotOptimize(characters);
  }
}
BENCHMARK(BM_ReadBytesAndParseRtfOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A full reload with an empty cache. Dropping the records afterwards is not
// part of it (the application keeps them), so it is left out of the timing.
// The CPU column is the whole process's: every thread's time.
void BM_FullReload(benchmark::State& state) {
  const QString path = folderOf(state, 1).dir.path();
  std::size_t count = 0;
  for (auto _ : state) {
    auto cache = std::make_unique<kr::LogFileCache>();
    cache->setThreadLimit(int(state.range(0)));
    reload(path, *cache, &count);
    state.PauseTiming();
    cache.reset();
    state.ResumeTiming();
  }
  state.counters["entries"] = double(count);
  state.counters["threads"] = double(kr::LogFileCache::defaultThreadLimit());
}
BENCHMARK(BM_FullReload)
    ->Name("BM_FullReload/oneThread")
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_FullReload)
    ->Name("BM_FullReload/allCores")
    ->Args({2, 0})
    ->Args({4, 0})
    ->Args({6, 0})
    ->Args({kr::LogFileCache::defaultThreadLimit(), 0})
    ->Args({kr::LogFileCache::defaultThreadLimit(), 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ReloadAfterOnePackageChanged(benchmark::State& state) {
  const QString path = folder().dir.path();
  kr::LogFileCache cache;
  reload(path, cache);
  const QString text = packagePath(path, folder().lastDay) + QStringLiteral("/TXT.rtf");
  QByteArray original = dayText(folder().lastDay);
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QFile file(text);
    if (file.open(QIODevice::WriteOnly))
      file.write(original + QByteArray(++round % 2, ' ')); // another size, another time
    file.close();
    state.ResumeTiming();
    reload(path, cache);
  }
}
BENCHMARK(BM_ReloadAfterOnePackageChanged)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DataSetMemory(benchmark::State& state) {
  const QString path = folder().dir.path();
  for (auto _ : state) {
    const qint64 before = heapInUse();
    auto cache = std::make_unique<kr::LogFileCache>();
    auto full = std::make_unique<kr::FullDataSet>();
    full->loadFromDisk(path, *cache);
    auto raw = std::make_unique<kr::RawDataSet>();
    raw->loadFromDisk(path, *cache);
    // The cache, both data sets and every record they hold.
    state.counters["MB_held"] = double(heapInUse() - before) / 1e6;
    state.counters["entries"] = double(full->timeSlices().size());
  }
}
BENCHMARK(BM_DataSetMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  folder(); // generated before any timing
  kr::bench::ownFormFolder();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
