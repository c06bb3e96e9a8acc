#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace kr {

// What the statistics need of one logged time slice. Filled by the log
// readers, read only afterwards.
class RawTimeSlice {
public:
  RawTimeSlice();
  virtual ~RawTimeSlice() = default;
  RawTimeSlice(const RawTimeSlice&) = default;
  RawTimeSlice& operator=(const RawTimeSlice&) = default;

  // The date that stands for "never": 0001-01-01 00:00:00 UTC.
  static QDateTime distantPast();

  const QDateTime& startDate() const { return startDate_; }
  // Stores the date and sets dayString to its local "yyyy-MM-dd".
  void setStartDate(const QDateTime& date);
  // startDate() as milliseconds since 1970 (UTC), for sorting.
  qint64 startMSecsSinceEpoch() const { return startMSecs_; }
  bool completed() const { return completed_; }
  void setCompleted(bool completed) { completed_ = completed; }
  double duration() const { return duration_; }
  void setDuration(double seconds) { duration_ = seconds; }
  double actualDuration() const { return actualDuration_; }
  void setActualDuration(double seconds) { actualDuration_ = seconds; }
  const QString& focusRating() const { return focusRating_; }
  void setFocusRating(const QString& rating) { focusRating_ = rating; }
  const std::optional<QString>& dayString() const { return dayString_; }
  const QString& tagString() const { return tagString_; }
  void setTagString(const QString& tags) { tagString_ = tags; }
  bool success() const { return success_; }
  void setSuccess(bool success) { success_ = success; }

  // True without a date, or when the slice starts at or after it.
  bool beginsAfter(const std::optional<QDateTime>& date) const;
  // True without a date, or when the slice starts strictly before it.
  bool beginsBefore(const std::optional<QDateTime>& date) const;
  // True when every tag of the filter is among the slice's tags (exact
  // comparison); an absent or empty filter matches every slice.
  bool matchesTagFilter(const std::optional<QStringList>& filter) const;

private:
  QDateTime startDate_;
  qint64 startMSecs_;
  bool completed_ = false;
  double duration_ = 0.0;
  double actualDuration_ = 0.0;
  QString focusRating_;
  std::optional<QString> dayString_;
  QString tagString_;
  bool success_ = false;
};

using RawTimeSlicePtr = std::shared_ptr<RawTimeSlice>;

} // namespace kr
