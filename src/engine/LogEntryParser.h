#pragma once

#include "engine/FullTimeSlice.h"
#include "platform/LocalTimeZone.h"

#include <QString>
#include <QStringView>
#include <QTimeZone>
#include <QVarLengthArray>

#include <vector>

namespace kr {

// The keyword state machine of the log readers. Fed the plain text of a log
// file line by line, it fills one record per "#TimeSlice": each keyword line
// is followed by its value line, and the objective runs over every line up to
// the next keyword line. Lines before the first "#TimeSlice" fill a record
// that is not kept.
class LogEntryParser {
public:
  struct Entry {
    FullTimeSlicePtr slice;
    // The lines (by number) that make up the objective, joined by line feeds;
    // the record's objective is left to be set from them (an entry without
    // them has an empty objective).
    QVarLengthArray<int, 4> objectiveLines; // mostly a line or two
  };

  LogEntryParser();

  void addLine(QStringView line, int lineNumber);
  std::vector<Entry> takeEntries();
  // Entries with a missing identifier or a value that could not be read.
  int faultyEntryCount() const;

private:
  enum class Pending {
    None,
    Identifier,
    Duration,
    ActualDuration,
    StartDate,
    EndDate,
    Completed,
    Success,
    FocusRating,
    Tags,
    Objective
  };
  static Pending keywordOf(QStringView line, bool* isKeyword);
  void applyValue(QStringView line, int lineNumber);
  void markFaulty();

  std::vector<Entry> entries_;
  Entry loose_{std::make_shared<FullTimeSlice>(), {}};
  Entry* current_ = &loose_;
  Pending pending_ = Pending::None;
  std::vector<bool> faulty_;
  LocalClockTimes times_; // the system time zone, taken once for all dates of a file
};

} // namespace kr
