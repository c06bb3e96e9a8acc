#pragma once

#include "engine/LogFileManagerListener.h"
#include "kit/NiblessViewController.h"
#include "stats/LogBookColumnView.h"
#include "stats/LogBookTableView.h"

#include <QCache>
#include <QPointer>

#include <memory>
#include <vector>

class QMenu;
class QTextDocument;

namespace kr {

class FullDataSet;
class FullTimeSlice;
class LogFileManager;
class UserDefaults;

// The log book pad: every logged slice, newest first, one row each, as tall
// as its whole objective needs. It keeps the data set it copied at the last
// reload, so the rows (and any open row menu) stay valid until the next one.
//
// Every row gets a height estimated from its objective's length at once; the
// rows that come into view are measured (their objectives laid out at the
// column's width). Measured heights and laid-out objectives are kept per row
// and width, a bounded number of each, until the data set changes.
class LogBookTableViewController final : public NiblessViewController,
                                         public LogFileManagerListener {
  Q_OBJECT

public:
  // Row height beyond the objective's: with a tag line, and without.
  static constexpr double kExtraHeightWithTags = 56.0;
  static constexpr double kExtraHeightWithoutTags = 33.0;

  // The program's log files and settings when none are given.
  explicit LogBookTableViewController(bool delayedBuild = false, LogFileManager* logFiles = nullptr,
                                      UserDefaults* defaults = nullptr);
  ~LogBookTableViewController() override;

  void build() override;

  // Takes the log files' current data set and shows its slices.
  void reloadSystemLog();
  void logFilesWereUpdated() override;

  const std::vector<const FullTimeSlice*>& dataSet() const;
  const std::shared_ptr<const FullDataSet>& fullDataSet() const { return fullDataSet_; }
  int numberOfRows() const { return int(dataSet().size()); }
  LogBookTableView* tableView() const { return tableView_; }

  // The height of a row at the current column width (measured once per width).
  double heightOfRow(int row);
  // The rows whose heights are measured at the current width; the others
  // have estimated heights.
  int measuredRowCount() const;
  // A slice's row height at a column width as estimated from the length of
  // its objective's lines, without laying it out.
  static double estimatedRowHeight(const FullTimeSlice& slice, double columnWidth);
  // A slice's row height at a column width, and its objective's height.
  static double rowHeight(const FullTimeSlice& slice, double columnWidth);
  static double objectiveHeight(const FullTimeSlice& slice, double columnWidth);
  // The laid-out objective of a slice: its rich text less one final line
  // break; an unreadable objective is empty.
  static std::shared_ptr<QTextDocument> objectiveDocument(const FullTimeSlice& slice,
                                                          double columnWidth);

  // The row as drawn (none past the end).
  std::optional<LogBookColumnView> rowView(int row);
  // The row's pull-down menu: "Make current objective" and one item per link
  // of the objective; none past the end. Its items hold the slice they were
  // made for (and the data set it belongs to) for as long as the menu lives.
  std::unique_ptr<QMenu> makeRowMenu(int row);
  // Copies the objective and tags of the row's slice into the settings of the
  // next slice; nothing past the end.
  void makeCurrentObjective(int row);
  void makeCurrentObjective(const FullTimeSlice& slice);

  // The looks of the row texts.
  static QColor labelColor();
  static LogBookTextAttributes objectiveLabelAttributes();
  static LogBookTextAttributes durationLabelAttributes();
  static LogBookTextAttributes tagLabelAttributes();
  static LogBookTextAttributes flowFocusAttributes();
  static LogBookTextAttributes highlyFocusedAttributes();
  static LogBookTextAttributes goodFocusAttributes();
  static LogBookTextAttributes distractedFocusAttributes();
  static LogBookTextAttributes plainAttributes();

private:
  class Model;
  class Delegate;
  class Heights;

  void openRowMenu(int row, const QPoint& anchor);
  double columnWidth() const;
  static quint64 rowAtWidth(int row, double width);
  // The row's laid-out objective at the current width, from the cache or made.
  std::shared_ptr<QTextDocument> documentOfRow(int row);

  LogFileManager* logFiles_;
  UserDefaults* defaults_; // none: the standard settings at the time of use
  std::shared_ptr<const FullDataSet> fullDataSet_;
  QPointer<LogBookTableView> tableView_;
  Model* model_ = nullptr;
  Delegate* delegate_ = nullptr;
  std::unique_ptr<Heights> rowHeights_;
  // Measured row heights and laid-out objectives, by row and width
  // (rowAtWidth()); the documents cost their characters.
  QCache<quint64, double> heights_;
  QCache<quint64, std::shared_ptr<QTextDocument>> documents_;
};

} // namespace kr
