#pragma once

#include "engine/FullTimeSlice.h"
#include "engine/LogLineSplitter.h"
#include "engine/WallClockTime.h"
#include "platform/LocalTimeZone.h"

#include <QString>
#include <QStringView>
#include <QTimeZone>
#include <QVarLengthArray>

#include <optional>
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
    // The lines (where they are in the text) that make up the objective,
    // joined by line feeds; the record's objective is left to be set from
    // them (an entry without them has an empty objective).
    QVarLengthArray<LogLineSplitter::Line, 4> objectiveLines; // mostly a line or two
  };

  LogEntryParser();

  // The next line of the text, which begins at `start` in it.
  void addLine(QStringView line, qsizetype start);
  // Room for `count` entries, made before the lines come.
  void reserve(std::size_t count) {
    entries_.reserve(count);
    faulty_.reserve(count);
  }
  std::vector<Entry> takeEntries();
  // Entries with a missing identifier or a value that could not be read.
  int faultyEntryCount() const;
  // Whether, before the last line added, the parser waited for no value that
  // a next line would give, nor for more lines of an objective that has some
  // since its keyword. With a text that ends in a line end (its last line is
  // the empty one after it), entries added after the text then read as
  // records after its own, unchanged.
  bool waitedForNothingBeforeLastLine() const { return cleanBeforeLastLine_; }

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
  void applyValue(QStringView line, qsizetype start);
  // Gives the current record the end read near a change of the clocks, now
  // that its start and lengths are known.
  void settleEnd();
  void markFaulty();
  std::vector<Entry> entries_;
  // Made when a value comes before the first "#TimeSlice", which the
  // writer never leaves.
  Entry loose_;
  Entry* current_ = &loose_;
  Pending pending_ = Pending::None;
  std::vector<bool> faulty_;
  bool objectiveHasLines_ = false; // since the last "#objective"
  bool cleanBeforeLastLine_ = true;
  LocalClockTimes times_;               // the system time zone, taken once for all dates of a file
  WallClockTime::SliceLengths lengths_; // of the current record
  std::optional<WallClockTime> endToSettle_;
};

} // namespace kr
