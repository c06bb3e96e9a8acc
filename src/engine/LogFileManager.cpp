#include "engine/LogFileManager.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/LogFileManagerListener.h"
#include "engine/Logger.h"
#include "engine/TagManager.h"
#include "platform/FatalError.h"
#include "platform/FreedMemory.h"
#include "platform/QnLog.h"
#include "platform/SerialQueue.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/drawing/RgbColor.h"
#include "platform/files/FolderContentMonitor.h"
#include "platform/files/SupportPaths.h"
#include "platform/settings/UserDefaults.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <utility>

namespace kr {

namespace {
void assertGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  KR_ASSERT(!app || QThread::currentThread() == app->thread(),
            QStringLiteral("LogFileManager used outside the GUI thread"));
}
} // namespace

LogFileManagerListener::~LogFileManagerListener() {
  for (const QPointer<LogFileManager>& manager : managers_) {
    if (manager)
      manager->removeListener(this);
  }
}

LogFileManager& LogFileManager::sharedInstance() {
  static const std::unique_ptr<LogFileManager> instance = [] {
    auto manager = std::make_unique<LogFileManager>(
        [] { return Logger::sharedLogger().systemLogBackingStoreDesc().folderPath(); });
    manager->setPlainTextStyleProvider([] {
      const UserDefaults& defaults = UserDefaults::standard();
      PlainTextStyle style;
      const QStringList font = defaults.string(QStringLiteral("defaultFont")).split(u',');
      bool sizeOk = false;
      const double size = font.value(1).toDouble(&sizeOk);
      if (!font.value(0).isEmpty() && sizeOk && size > 0) {
        style.fontFamily = font.value(0);
        style.pointSize = size;
      }
      if (RgbColor::fromHex(defaults.string(QStringLiteral("textColor"))))
        style.textColor = defaults.string(QStringLiteral("textColor"));
      return style;
    });
    manager->setDayCacheFile(defaultDayCacheFile());
    // Each rebuild of the log store (Dropbox on or off) moves the watch along.
    connect(&Logger::sharedLogger(), &Logger::systemLogBackingStoreChanged, manager.get(),
            &LogFileManager::followLogFolder);
    // An append asks for a reload even where the folder cannot be watched;
    // one made in place spares that reload the reading of its day.
    connect(&Logger::sharedLogger(), &Logger::systemLogAppended, manager.get(),
            &LogFileManager::noteOwnAppend);
    connect(&Logger::sharedLogger(), &Logger::systemLogWritten, manager.get(),
            &LogFileManager::update);
    return manager;
  }();
  return *instance;
}

LogFileManager::LogFileManager(FolderProvider logFolder, TagManager* tags, QObject* parent)
    : QObject(parent), logFolder_(std::move(logFolder)),
      tags_(tags ? tags : &TagManager::sharedInstance()),
      monitor_(new FolderContentMonitor(
          {logFolder_()}, [this](const FileSystemEvent& event) { onFileSystemEvent(event); },
          this)),
      currentFullDataSet_(std::make_shared<FullDataSet>()),
      currentRawDataSet_(std::make_shared<RawDataSet>()),
      oneUpdateAtATimeDispatcherQueue_(
          std::make_unique<SerialQueue>(QStringLiteral("oneUpdateAtATimeDispatcherQueue"))) {}

LogFileManager::~LogFileManager() {
  if (waitOneSecondTimerWrapper_)
    waitOneSecondTimerWrapper_->stop();
  // Waits for a running reload; its hand-over is dropped with this object,
  // and a write of the day cache is abandoned.
  quitting_ = true;
  oneUpdateAtATimeDispatcherQueue_.reset();
  for (LogFileManagerListener* listener : listeners_)
    std::erase(listener->managers_, QPointer<LogFileManager>(this));
}

QString LogFileManager::defaultDayCacheFile() {
  return SupportPaths::cacheFolder() + QStringLiteral("/Log Days.cache");
}

void LogFileManager::setDayCacheFile(const QString& path) {
  assertGuiThread();
  oneUpdateAtATimeDispatcherQueue_->async([this, path] { logFiles_.setDayCacheFile(path); });
}

void LogFileManager::onFileSystemEvent(const FileSystemEvent& event) {
  qn_log(QStringLiteral("FileSystemFlag: ") + FileSystemEvent::flagNames(event.eventFlags));
  // The folder monitor asks for the reload here rather than sending the
  // shell's "forceLogRead" action (the engine does not call the shell); the
  // effect is the same as choosing "Read Log Files Again".
  if (event.isContentChange())
    update();
}

void LogFileManager::update() {
  assertGuiThread();
  followLogFolder();
  // A timer stopped from outside (its clock went away) no longer holds the
  // next reload back.
  if (isReloadPending())
    return;
  waitOneSecondTimerWrapper_ = SmartTimerWrapper::wrapTimer(1.0, false, [this](SmartTimerWrapper&) {
    waitOneSecondTimerWrapper_.reset();
    internalAyncUpdate();
  });
}

bool LogFileManager::isReloadPending() const {
  return waitOneSecondTimerWrapper_ && waitOneSecondTimerWrapper_->isValid();
}

void LogFileManager::followLogFolder() {
  assertGuiThread();
  monitor_->setPathsToWatch({logFolder_()});
}

void LogFileManager::internalAyncUpdate() {
  assertGuiThread();
  ++reloadsStarted_;
  const QString folder = logFolder_();
  const PlainTextStyle style = plainTextStyle_ ? plainTextStyle_() : PlainTextStyle();
  oneUpdateAtATimeDispatcherQueue_->async(
      [this, folder, style, appends = std::exchange(ownAppends_, {})] {
        QElapsedTimer timer;
        timer.start();
        // The folder is listed and each changed file parsed once, for both data sets.
        const LogFileCache::FolderRead read = logFiles_.readFolder(folder, style, appends);
        auto full = std::make_shared<FullDataSet>();
        full->loadFromFiles(read.files, read.tagStringsParsed);
        auto raw = std::make_shared<RawDataSet>();
        raw->loadFromFiles(read.files, read.tagStringsParsed);
        // What parsing used and let go goes back to the system: the program
        // holds the records, not the heap of the biggest read it ever made.
        if (read.filesParsed > 0)
          returnFreedMemoryToSystem();
        // The whole reload: listing, parsing and both data sets.
        RawDataSet::logLoaded(full->timeSlices().size(), timer.elapsed());
        QStringList tagStrings = read.tagStringsParsed;
        tagStrings.removeDuplicates();
        QMetaObject::invokeMethod(
            this,
            [this, full = std::move(full), raw = std::move(raw), tagStrings,
             parsed = read.filesParsed > 0, fromCache = read.filesFromDayCache] {
              daysFromCacheAtLastReload_ = fromCache;
              handOver(full, raw, tagStrings);
              // The listeners built their views of the new records and let
              // the old ones go: that memory goes back too.
              if (parsed)
                returnFreedMemoryToSystem();
            },
            Qt::QueuedConnection);
        // Once the data sets are on their way: the next start reads the
        // days read now without parsing them.
        if (logFiles_.dayCacheOutdated()) {
          logFiles_.writeDayCache(quitting_);
          returnFreedMemoryToSystem(); // what the cache's bytes took
        }
      });
}

void LogFileManager::noteOwnAppend(const OwnAppend& append) {
  assertGuiThread();
  ownAppends_.push_back(append);
}

void LogFileManager::handOver(std::shared_ptr<const FullDataSet> full,
                              std::shared_ptr<const RawDataSet> raw,
                              const QStringList& tagStrings) {
  currentFullDataSet_ = std::move(full);
  currentRawDataSet_ = std::move(raw);
  ++reloadsFinished_;
  for (const QString& tags : tagStrings)
    tags_->addTagsFromString(tags);
  signalToListeners();
  Q_EMIT reloadFinished();
}

void LogFileManager::signalToListeners() {
  assertGuiThread();
  // A listener may remove another (or itself) while being told.
  const std::vector<LogFileManagerListener*> listeners = listeners_;
  for (LogFileManagerListener* listener : listeners) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
      listener->logFilesWereUpdated();
  }
}

void LogFileManager::addListener(LogFileManagerListener* listener) {
  assertGuiThread();
  listeners_.push_back(listener);
  listener->managers_.emplace_back(this);
}

void LogFileManager::removeListener(LogFileManagerListener* listener) {
  std::erase(listeners_, listener);
}

} // namespace kr
