#pragma once

#include "kit/NiblessViewController.h"
#include "kit/bricks/DatePickerBrick.h"
#include "kit/bricks/PopUpButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/bricks/TagTokenField.h"
#include "stats/FilterFragmentWall.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>

#include <memory>

namespace kr {

class FragmentStackView;
class FragmentWall;
class FullFeaturedStatisticsManager;
class HtmlView;
class LogFileManager;

// The statistics pad: the statistic chooser with the "Filter" switch, the
// date filter row, the tag filter row and the web view that shows the page.
// Every control follows its setting both ways; the page computes nothing.
// Building it creates the program's statistics manager and makes it the
// shared one; the first page is worked out when the pad first shows.
class StatsViewController final : public NiblessViewController {
  Q_OBJECT

public:
  // The items of the statistic pop-up (tag -1: a separator) and of the
  // preset pop-up, in menu order.
  static const QList<QPair<QString, int>>& statisticItems();
  static const QList<QPair<QString, int>>& presetItems();

  // Builds at once unless `delayedBuild`; the log files are the program's
  // when none are given.
  explicit StatsViewController(bool delayedBuild = false, LogFileManager* logFiles = nullptr);
  ~StatsViewController() override;

  void build() override;

  QPointer<FragmentStackView> fragmentStackView;
  QPointer<HtmlView> webView;
  std::unique_ptr<FullFeaturedStatisticsManager> fullFeaturedStatsManager;

  PopUpButtonBrick* statisticPopUp() const { return statisticPopUp_; }
  PushButtonBrick* filterButton() const { return filterButton_; }
  PushButtonBrick* presetRadioButton() const { return presetRadio_; }
  PopUpButtonBrick* presetPopUp() const { return presetPopUp_; }
  PushButtonBrick* fromRadioButton() const { return fromRadio_; }
  DatePickerBrick* fromDatePicker() const { return fromDate_; }
  DatePickerBrick* toDatePicker() const { return toDate_; }
  TagTokenField* tagFilterField() const { return tagField_; }
  FilterFragmentWall* dateFilterRow() const { return dateRow_; }
  FilterFragmentWall* tagFilterRow() const { return tagRow_; }
  FragmentWall* webViewFragment() const { return webFragment_; }

protected:
  // The page is worked out only while the pad is shown.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void buildChooser();
  void buildDateRow();
  void buildTagRow();
  void buildWebView();

  LogFileManager* logFiles_;
  QPointer<PopUpButtonBrick> statisticPopUp_;
  QPointer<PushButtonBrick> filterButton_;
  QPointer<PushButtonBrick> presetRadio_;
  QPointer<PopUpButtonBrick> presetPopUp_;
  QPointer<PushButtonBrick> fromRadio_;
  QPointer<DatePickerBrick> fromDate_;
  QPointer<DatePickerBrick> toDate_;
  QPointer<TagTokenField> tagField_;
  QPointer<FilterFragmentWall> dateRow_;
  QPointer<FilterFragmentWall> tagRow_;
  QPointer<FragmentWall> webFragment_;
};

} // namespace kr
