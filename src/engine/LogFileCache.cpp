#include "engine/LogFileCache.h"

#include "engine/EngineLog.h"
#include "platform/ConsoleText.h"
#include "platform/QnLog.h"
#include "platform/SharedWork.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace kr {

namespace {

// Runs work(0) ... work(count - 1), spread over the processor's cores when
// there is enough of it, and returns when every call has returned. The
// calling thread takes its share.
void parallelFor(std::size_t count, int threadLimit, const std::function<void(std::size_t)>& work) {
  // Below this many files a thread costs more than it saves.
  constexpr std::size_t filesPerThread = 16;
  const std::size_t threads =
      std::min(std::size_t(std::max(1, threadLimit)), count / filesPerThread);
  if (threads <= 1) {
    for (std::size_t i = 0; i < count; ++i)
      work(i);
    return;
  }
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++)
      work(i);
  };
  shareAmongThreads(int(threads), "logFileReader", worker);
}

} // namespace

LogFileCache::FolderRead LogFileCache::readFolder(const QString& folder,
                                                  const PlainTextStyle& style,
                                                  const std::vector<OwnAppend>& ownAppends) {
  FolderRead result;
  // Thousands of files make tens of thousands of trace lines: written together.
  QnLogBatch console;
  const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
  if (folderFd < 0) {
    logFiles_.clear();
    return result; // no folder: no logs
  }
  QStringList names;
  if (DIR* listing = ::fdopendir(::dup(folderFd))) {
    static const QByteArray root = QByteArrayLiteral("System Log");
    while (const dirent* entry = ::readdir(listing)) {
      if (std::strncmp(entry->d_name, root.constData(), std::size_t(root.size())) == 0)
        names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(listing);
  }
  std::sort(names.begin(), names.end());
  // The days kept from the last run, for the first read of the folder.
  std::optional<DayCache> stored;
  if (!dayCachePath_.isEmpty()) {
    const QByteArray inputs = DayCache::inputsOf(folder, style);
    if (!dayCacheConsulted_) {
      dayCacheConsulted_ = true;
      QString why;
      stored = DayCache::read(dayCachePath_, inputs, &why);
      if (stored)
        daysOnDisk_ = stored->digest();
      else if (!why.isEmpty())
        qCInfo(lcEngine).noquote()
            << "log day cache not used, it is made again:" << consoleSafe(why);
    } else if (inputs != dayCacheInputs_) {
      dayCacheStopped_ = true;
    }
    dayCacheInputs_ = inputs;
    dayCacheFolder_ = folder;
  }
  lastFiles_.clear();
  result.files.reserve(std::size_t(names.size()));
  const QString prefix = folder + u'/';
  struct Job {
    LogFile* file;
    QString name;
    std::optional<LogFile::PendingRead> read;
    bool fromDayCache = false;
    bool keepable = false; // its records can go into the day cache
    qsizetype tagStrings = 0;
  };
  std::vector<Job> jobs;
  jobs.reserve(std::size_t(names.size()));
  // Only the files listed now are kept: a removed day, or a folder left,
  // is forgotten.
  QHash<QString, std::shared_ptr<LogFile>> listed;
  listed.reserve(names.size());
  for (const QString& name : names) {
    const QString path = prefix + name;
    // Each path is looked up once in the files known and once put among
    // those listed, which replace them.
    const auto known = logFiles_.constFind(path);
    const std::shared_ptr<LogFile>& kept =
        *listed.insert(path, known != logFiles_.constEnd() ? *known : newLogFile(path));
    LogFile& file = *kept;
    result.files.push_back(kept);
    if (!dayCachePath_.isEmpty())
      lastFiles_.push_back(kept);
    if (file.format() == LogFile::Format::Unknown) {
      file.read(style, folderFd); // only says that it is skipped
      continue;
    }
    std::vector<const OwnAppend*> appends;
    for (const OwnAppend& append : ownAppends) {
      if (append.path == path)
        appends.push_back(&append);
    }
    if (!appends.empty()) {
      if (std::optional<QStringList> tags = file.takeOwnAppends(appends, folderFd)) {
        result.tagStringsParsed.append(*tags);
        continue;
      }
    }
    jobs.push_back({&file, name, std::nullopt});
  }
  logFiles_ = std::move(listed);
  // Examining and parsing only read the LogFile objects, which nothing
  // changes until every file is done.
  parallelFor(jobs.size(), threadLimit_, [&](std::size_t i) {
    Job& job = jobs[i];
    // Without kept days nothing needs the stamp before the file is opened.
    job.read = job.file->beginRead(folderFd, !stored);
    if (!job.read)
      return;
    if (stored && job.read->stamp) {
      if (std::shared_ptr<LogFile::Records> records = stored->records(job.name, *job.read->stamp)) {
        job.read->records = std::move(records);
        job.fromDayCache = job.keepable = true;
        job.tagStrings = job.read->records->tagStrings.size();
        return;
      }
    }
    job.file->parse(*job.read, style, folderFd);
    job.keepable = job.read->records && DayCache::canKeep(*job.read->records);
    // Counted while the records are at hand.
    if (job.read->records)
      job.tagStrings = job.read->records->tagStrings.size();
  });
  QHash<QString, bool> keepableNow;
  qsizetype tagStrings = result.tagStringsParsed.size();
  for (const Job& job : jobs)
    tagStrings += job.tagStrings;
  result.tagStringsParsed.reserve(tagStrings);
  // The files and their records lie far apart: those a few ahead are asked
  // for early.
  constexpr std::size_t kAhead = 4;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (i + kAhead < jobs.size()) {
      const Job& ahead = jobs[i + kAhead];
      __builtin_prefetch(ahead.file);
      if (ahead.read && ahead.read->records)
        __builtin_prefetch(ahead.read->records.get());
    }
    Job& job = jobs[i];
    job.file->traceBeginRead(job.read.has_value());
    if (!job.read)
      continue;
    job.file->finishRead(std::move(*job.read));
    ++result.filesParsed;
    result.filesFromDayCache += job.fromDayCache;
    if (!dayCachePath_.isEmpty())
      keepableNow.insert(job.name, job.keepable);
    result.tagStringsParsed.append(job.file->tagStringsInFile());
  }
  ::close(folderFd);
  if (!dayCachePath_.isEmpty())
    noteDaysToKeep(keepableNow);
  return result;
}

void LogFileCache::noteDaysToKeep(const QHash<QString, bool>& keepableNow) {
  DayCache::Digest keep;
  for (const std::shared_ptr<LogFile>& file : lastFiles_) {
    const QString name = file->fullPath().mid(dayCacheFolder_.size() + 1);
    const auto now = keepableNow.constFind(name);
    if (now != keepableNow.constEnd())
      file->setKeepable(*now);
    const std::optional<FileStamp> stamp = file->settledStamp();
    if (stamp && file->keepable())
      keep.add(name, *stamp);
  }
  daysToKeep_ = keep;
}

bool LogFileCache::dayCacheOutdated() const {
  return !dayCachePath_.isEmpty() && dayCacheConsulted_ && !dayCacheStopped_ &&
         daysToKeep_ != daysOnDisk_;
}

bool LogFileCache::writeDayCache(const std::atomic<bool>& abandon) {
  if (!dayCacheOutdated())
    return false;
  std::vector<DayCache::Day> days;
  for (const std::shared_ptr<LogFile>& file : lastFiles_) {
    const std::optional<FileStamp> stamp = file->settledStamp();
    if (stamp && file->keepable())
      days.push_back({file->fullPath().mid(dayCacheFolder_.size() + 1), *stamp, file->records()});
  }
  QString why;
  const bool written = DayCache::write(dayCachePath_, dayCacheInputs_, days, abandon, &why);
  if (abandon)
    return false;
  // A cache that cannot be written is tried again once the days change.
  daysOnDisk_ = daysToKeep_;
  if (!written)
    qCWarning(lcEngine).noquote() << "log day cache not written:" << consoleSafe(dayCachePath_)
                                  << consoleSafe(why);
  return written;
}

int LogFileCache::defaultThreadLimit() {
  // Each thread beyond the second costs more processor time than it saves in
  // waiting: the threads contend for the allocator and the shared texts, and
  // each leaves an allocator arena of its own behind.
  constexpr int maximumThreads = 2;
  return std::clamp(QThread::idealThreadCount(), 1, maximumThreads);
}

LogFile& LogFileCache::createOrRetrieveLogFile(const QString& fullPath) {
  auto it = logFiles_.constFind(fullPath);
  if (it == logFiles_.constEnd())
    it = logFiles_.insert(fullPath, newLogFile(fullPath));
  return **it;
}

std::shared_ptr<LogFile> LogFileCache::newLogFile(const QString& fullPath) {
  if (QnLog::isOn()) // a start-up makes thousands
    qn_log(QStringLiteral("reading log file at: ") + fullPath);
  auto file = std::make_shared<LogFile>(fullPath);
  qn_log(QStringLiteral("--everything read."));
  qn_log(QStringLiteral("--stored."));
  return file;
}

} // namespace kr
