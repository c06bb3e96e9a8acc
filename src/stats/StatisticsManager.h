#pragma once

#include "engine/LogFileManagerListener.h"
#include "platform/services/HtmlView.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kr {

class DetachedJob;
class FullDataSet;
class KVOResponder;
class LogFileManager;
class RawTimeSlice;
class SmartTimerWrapper;
class Statistic;
class UserDefaults;

// Turns the chosen statistic into the page "index.html" of the support
// folder's "stats" folder and shows it in the web view. A change of the chosen
// statistic shows the new page at once; filter changes and log reloads
// refresh it after a quiet half second. Used on the GUI thread only.
//
// The page is never lost before its successor exists: the new "stats" folder
// (chart files and page) is built beside the old one and swapped in.
class StatisticsManager : public QObject, public LogFileManagerListener {
  Q_OBJECT

public:
  // The log files and settings of the program when none are given.
  explicit StatisticsManager(LogFileManager* logFiles = nullptr, UserDefaults* defaults = nullptr);
  ~StatisticsManager() override;

  // Set-up once the web view is attached: observes the settings and the log
  // files, and clears what an interrupted page write left behind.
  virtual void awakeFromNib();

  static QString outputDirectoryName();
  QString outputDirectory() const;
  QString statsOutputDirectoryPath() const { return outputDirectory(); }
  static QString currentlyDisplayedStatisticKey();

  // A new statistic for the chosen number, made by the subclass; none when
  // the number names no statistic.
  virtual std::unique_ptr<Statistic> getCurrentStatistic();
  // Takes the newest data set of the log files and the filter settings.
  void prepareDataSet();
  virtual void configureFiltersPreFlight();
  virtual bool timeSliceMatchesFilterCriteria(const RawTimeSlice& slice) const;
  virtual QStringList additionalKeyPathsToObserve() const;

  // Works out and shows the page; while the page is not shown, only marks it
  // out of date.
  void load();
  void showCurrentStatistic();
  // Whether the page is on screen (so it is taken to be without a view that
  // says otherwise). Nothing is worked out while it is not; a page marked out
  // of date meanwhile is worked out when it shows.
  void setPageShown(bool shown);
  bool isPageShown() const { return pageShown_; }
  bool isPageOutOfDate() const { return outOfDate_; }
  // Restarts the half-second wait before a refresh.
  void triggerDelayedUpdate();
  void triggerUpdate();
  void logFilesWereUpdated() override;
  void observeValueForKeyPath(const QString& keyPath);
  // Computes, writes and shows the page.
  void performCalculations();
  // Writes every slice of the data set, unfiltered, to a CSV file at `path`;
  // on failure tells the user once and returns false.
  bool exportCSVTo(const QString& path);
  // The same on a thread of its own, so that the window goes on with a long
  // log: false, and nothing done, while an export is under way. A failure is
  // told once, on this thread, when the export ends (csvExportFinished).
  bool exportCSVInBackground(const QString& path);
  bool isExportingCSV() const { return csvExport_ != nullptr; }

  // The data set of the last preparation; its records stay valid while held.
  // Exports take the newest one, shown or not.
  const std::shared_ptr<const FullDataSet>& fullData() const { return fullData_; }
  HtmlView* statisticsWebView() const { return statisticsWebView_; }
  void setStatisticsWebView(HtmlView* view) { statisticsWebView_ = view; }
  // The pending delayed refresh; none before the first.
  const std::shared_ptr<SmartTimerWrapper>& updateTimer() const { return updateTimer_; }

  // The line of the blank page shown when the page could not be written.
  static QString pageNotWrittenLine();

protected:
  UserDefaults& defaults() const { return *defaults_; }

Q_SIGNALS:
  void csvExportFinished(bool written);

private:
  void csvExportEnded(bool written, const QString& path, const QString& error);
  // The export's thread stops where it is and tells no one.
  void dropCsvExport();
  QString supportFolder() const;
  bool writePage(const Statistic& statistic);

  LogFileManager* logFiles_;
  UserDefaults* defaults_;
  std::shared_ptr<const FullDataSet> fullData_;
  std::shared_ptr<SmartTimerWrapper> updateTimer_;
  QPointer<HtmlView> statisticsWebView_;
  std::vector<std::unique_ptr<KVOResponder>> responders_;
  // The export under way, shared with its thread.
  std::shared_ptr<DetachedJob> csvExport_;
  bool pageShown_ = true;
  bool outOfDate_ = false;
};

} // namespace kr
