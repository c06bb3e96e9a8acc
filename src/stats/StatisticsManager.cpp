#include "stats/StatisticsManager.h"

#include "engine/BackingStoreManager.h"
#include "engine/FullDataSet.h"
#include "engine/LogFileManager.h"
#include "kit/KVOResponder.h"
#include "platform/FatalError.h"
#include "platform/MacOSXVersion.h"
#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/services/HtmlView.h"
#include "platform/settings/UserDefaults.h"
#include "stats/Statistic.h"
#include "stats/StatisticPageFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

namespace kr {

namespace {

constexpr double kQuietPeriod = 0.5;

void assertGuiThread() {
  KR_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread(),
            QStringLiteral("The statistics run on the GUI thread only"));
}

} // namespace

StatisticsManager::StatisticsManager(LogFileManager* logFiles, UserDefaults* defaults)
    : logFiles_(logFiles ? logFiles : &LogFileManager::sharedInstance()),
      defaults_(defaults ? defaults : &UserDefaults::standard()),
      fullData_(logFiles_->currentFullDataSet()) {}

StatisticsManager::~StatisticsManager() {
  if (updateTimer_)
    updateTimer_->stop();
  // An export under way stops where it is and leaves the old file; the
  // program never waits for it.
  if (csvExport_)
    dropCsvExport();
}

void StatisticsManager::awakeFromNib() {
  StatisticPageFolder::removeLeftovers(supportFolder());
  auto observe = [this](const QString& key) {
    responders_.push_back(std::make_unique<KVOResponder>(
        key, defaults_,
        [this](UserDefaults*, const QString& keyPath) { observeValueForKeyPath(keyPath); }));
  };
  observe(currentlyDisplayedStatisticKey());
  for (const QString& key : additionalKeyPathsToObserve())
    observe(key);
  logFiles_->addListener(this);
}

QString StatisticsManager::outputDirectoryName() { return QStringLiteral("stats"); }

QString StatisticsManager::outputDirectory() const {
  return supportFolder() + u'/' + outputDirectoryName();
}

QString StatisticsManager::currentlyDisplayedStatisticKey() {
  return QStringLiteral("currentlyDisplayedStatistic");
}

std::unique_ptr<Statistic> StatisticsManager::getCurrentStatistic() {
  KR_FATAL(QStringLiteral("- (Statistic*) getCurrentStatistic of BaseClass called!"));
}

void StatisticsManager::prepareDataSet() {
  fullData_ = logFiles_->currentFullDataSet();
  configureFiltersPreFlight();
}

void StatisticsManager::configureFiltersPreFlight() {}

bool StatisticsManager::timeSliceMatchesFilterCriteria(const RawTimeSlice&) const { return true; }

QStringList StatisticsManager::additionalKeyPathsToObserve() const { return {}; }

void StatisticsManager::load() {
  if (!pageShown_) {
    if (!outOfDate_)
      qn_log(QStringLiteral("the statistics page is not shown: it is worked out when it is"));
    outOfDate_ = true;
    return;
  }
  outOfDate_ = false;
  showCurrentStatistic();
}

void StatisticsManager::setPageShown(bool shown) {
  pageShown_ = shown;
  if (shown && outOfDate_)
    load();
}

void StatisticsManager::showCurrentStatistic() { performCalculations(); }

void StatisticsManager::triggerDelayedUpdate() {
  assertGuiThread();
  if (updateTimer_)
    updateTimer_->stop();
  updateTimer_ = SmartTimerWrapper::wrapTimer(kQuietPeriod, false,
                                              [this](SmartTimerWrapper&) { triggerUpdate(); });
  MacOSXVersion::setTimerToTolerance(updateTimer_.get(), kQuietPeriod);
}

void StatisticsManager::triggerUpdate() { load(); }

void StatisticsManager::logFilesWereUpdated() { triggerDelayedUpdate(); }

void StatisticsManager::observeValueForKeyPath(const QString& keyPath) {
  qn_log(QStringLiteral("StatsManager observeValueForKeyPath: %1").arg(keyPath));
  if (keyPath == currentlyDisplayedStatisticKey())
    load();
  else
    triggerDelayedUpdate();
}

QString StatisticsManager::pageNotWrittenLine() {
  return QStringLiteral("The statistics page could not be written.");
}

void StatisticsManager::performCalculations() {
  assertGuiThread();
  qn_log(QStringLiteral("performCalculations [start]"));
  QElapsedTimer elapsed;
  elapsed.start();

  qn_log(QStringLiteral("select statistic"));
  std::unique_ptr<Statistic> statistic = getCurrentStatistic();
  prepareDataSet();
  if (!statistic) {
    qn_log(QStringLiteral("No statistic is numbered %1: no page written")
               .arg(defaults_->string(currentlyDisplayedStatisticKey())));
    if (statisticsWebView_)
      statisticsWebView_->showBlankPage();
  } else {
    qn_log(QStringLiteral("compute statistic"));
    statistic->computeStatistic(fullData_.get());
    if (!statistic->noDataToShow())
      writePage(*statistic);
  }

  qn_log(QStringLiteral("performCalculations [end]"));
  qn_logf("stats processing took: %f", double(elapsed.nsecsElapsed()) / 1e9);
}

bool StatisticsManager::writePage(const Statistic& statistic) {
  qn_log(QStringLiteral("prepare directory"));
  qn_log(QStringLiteral("create output file"));
  const QString target = outputDirectory() + QStringLiteral("/index.html");
  qn_log(QStringLiteral("render"));
  const QString page = statistic.render();
  qn_log(QStringLiteral("prepare all files"));
  qn_log(QStringLiteral("renderedString: %1").arg(page));

  QString error;
  const QString fresh = StatisticPageFolder::build(supportFolder(), page, &error);
  const bool written =
      !fresh.isEmpty() && StatisticPageFolder::swapIn(fresh, outputDirectory(), &error);
  if (written) {
    qn_log(QStringLiteral("%1 written successfully.").arg(target));
  } else {
    qn_log(QStringLiteral("Error Writing: %1!").arg(target));
    qn_log(error);
  }

  qn_log(QStringLiteral("load frame"));
  if (statisticsWebView_) {
    if (written)
      statisticsWebView_->loadFile(target);
    else
      statisticsWebView_->showBlankPage(pageNotWrittenLine());
  }
  qn_log(QStringLiteral("show"));
  return written;
}

QString StatisticsManager::supportFolder() const {
  return BackingStoreManager::sharedManager().applicationSupportDirectory();
}

} // namespace kr
