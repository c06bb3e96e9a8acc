#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <memory>
#include <optional>

namespace kr {

// A date as its milliseconds since 1970 and a one-byte code for its time
// spec and zone. A QDateTime in a zone holds a heap block of its own; the
// records keep the code instead and make the QDateTime when asked, reading
// exactly as the one given (time spec, zone, date, time and offset).
namespace packed_date {
inline constexpr quint8 kNull = 0; // QDateTime()
inline constexpr quint8 kUtc = 1;
inline constexpr quint8 kLocalTime = 2;
inline constexpr quint8 kFirstZone = 3; // kFirstZone + n: the n-th zone met
inline constexpr quint8 kWhole = 255;   // kept as the QDateTime itself
// The code of a date (kWhole for an invalid one other than QDateTime(), a
// fixed offset, or a zone past the 252nd met); `msecs` gets
// date.toMSecsSinceEpoch() in every case.
quint8 pack(const QDateTime& date, qint64& msecs);
// The date of a code other than kWhole.
QDateTime unpack(qint64 msecs, quint8 code);
// The code of the dates in `zone` (kWhole past the 252nd zone met).
quint8 codeOfZone(const QTimeZone& zone);
} // namespace packed_date

// One copy per process of the texts many records share (ratings, tag lists,
// days): a record keeps a pointer to it. The texts stay for the process,
// bounded by the distinct values read.
namespace shared_text {
const QString* of(const QString& text);
const QString* empty();
} // namespace shared_text

// What the statistics need of one logged time slice. Filled by the log
// readers, read only afterwards. Not polymorphic (a full record is deleted as
// what it is: its shared pointer was made for its own type), which spares
// every record a table pointer.
class RawTimeSlice {
public:
  RawTimeSlice();
  ~RawTimeSlice();
  RawTimeSlice(const RawTimeSlice& other);
  RawTimeSlice& operator=(const RawTimeSlice& other);

  // The date that stands for "never": 0001-01-01 00:00:00 UTC.
  static QDateTime distantPast();

  // The date as it was set (same time spec and zone).
  QDateTime startDate() const;
  // Stores the date and sets dayString to its local "yyyy-MM-dd".
  void setStartDate(const QDateTime& date);
  // The same for a date in `zone` given as its instant and the zone's offset
  // from UTC there (seconds), without making the date.
  void setStartInstant(qint64 msecs, int offsetSeconds, const QTimeZone& zone);
  // startDate() as milliseconds since 1970 (UTC), for sorting.
  qint64 startMSecsSinceEpoch() const { return startMSecs_; }
  // Has the start brought near the processor, for a pass over many records
  // that reads it soon.
  void prefetchStart() const { __builtin_prefetch(&startMSecs_); }
  // The start's instant without making the date; nothing when the start is
  // not a valid date.
  std::optional<qint64> startInstant() const;
  bool completed() const { return completed_; }
  void setCompleted(bool completed) { completed_ = completed; }
  double duration() const { return duration_; }
  void setDuration(double seconds) { duration_ = seconds; }
  double actualDuration() const { return actualDuration_; }
  void setActualDuration(double seconds) { actualDuration_ = seconds; }
  const QString& focusRating() const { return *focusRating_; }
  void setFocusRating(const QString& rating) { focusRating_ = shared_text::of(rating); }
  // The same with a text shared_text::of() gave.
  void setSharedFocusRating(const QString* rating) { focusRating_ = rating; }
  std::optional<QString> dayString() const {
    return dayString_ ? std::optional<QString>(*dayString_) : std::nullopt;
  }
  const QString& tagString() const { return *tagString_; }
  void setTagString(const QString& tags) { tagString_ = shared_text::of(tags); }
  void setSharedTagString(const QString* tags) { tagString_ = tags; }
  bool success() const { return success_; }
  void setSuccess(bool success) { success_ = success; }

  // True without a date, or when the slice starts at or after it.
  bool beginsAfter(const std::optional<QDateTime>& date) const;
  // True without a date, or when the slice starts strictly before it.
  bool beginsBefore(const std::optional<QDateTime>& date) const;
  // True when every tag of the filter is among the slice's tags (exact
  // comparison); an absent or empty filter matches every slice.
  bool matchesTagFilter(const std::optional<QStringList>& filter) const;

protected:
  friend class DayCacheCodec; // keeps records between runs in their packed form

  // The end date of a full record, kept here beside the start date: both
  // share the block of dates the packed form cannot keep.
  QDateTime storedEndDate() const;
  // As startInstant(), for the end.
  std::optional<qint64> storedEndInstant() const;
  void storeEndDate(const QDateTime& date);
  void storeEndInstant(qint64 msecs, int offsetSeconds, const QTimeZone& zone);
  // What setStartDate(distantPast()) does to a record just made.
  void setDistantPastStartOfNewRecord();

private:
  struct WholeDates {
    QDateTime start;
    QDateTime end;
  };
  WholeDates& wholeDates();
  void setDayString(const QDate& day);
  // Whether the start compares as its milliseconds (a valid packed date).
  bool startComparesAsMSecs() const;

  qint64 startMSecs_;
  qint64 endMSecs_;
  double duration_ = 0.0;
  double actualDuration_ = 0.0;
  const QString* focusRating_;
  const QString* tagString_;
  const QString* dayString_ = nullptr; // null: none
  std::unique_ptr<WholeDates> wholeDates_;
  quint8 startCode_ = packed_date::kUtc;
  quint8 endCode_ = packed_date::kUtc;
  bool completed_ = false;
  bool success_ = false;
};

using RawTimeSlicePtr = std::shared_ptr<RawTimeSlice>;

} // namespace kr
