#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTimeZone>

#include "engine/WallClockTime.h"
#include "platform/LocalTimeZone.h"

#include <optional>

namespace kr {

// How the log readers read the value lines of a log entry.
class LogEntryValues {
public:
  // The leading decimal number of the line (after white space) as a 32-bit
  // float; nothing when the line does not begin with one.
  static std::optional<float> floatValue(QStringView line);
  // True when the line begins, after white space, with Y, y, T, t or 1 to 9.
  static bool boolValue(QStringView line);
  // A log date "yyyy-MM-dd HH:mm:ss" as the clock's reading (also with the
  // digits of the user's locale); nothing when unreadable.
  static std::optional<WallClockTime> clockValue(QStringView line);
  // A log date read alone (WallClockTime::instantIn) in local time; nothing
  // when unreadable.
  static std::optional<QDateTime> dateValue(QStringView line);
  // The same with the system time zone as taken by the caller, who reads
  // many dates.
  static std::optional<QDateTime> dateValue(QStringView line, const QTimeZone& systemZone);
  // The same for a reader of many dates, as the instant: when the line has the
  // writer's exact form; otherwise nothing, and dateValue() reads it.
  static std::optional<LocalInstant> instantValue(QStringView line, LocalClockTimes& times);
  // The instant of a line in the writer's exact form where the zone keeps
  // one offset for days around it, so that the reading has one instant
  // whatever it is read as; nothing elsewhere.
  static std::optional<LocalInstant> instantAwayFromTransitions(QStringView line,
                                                                LocalClockTimes& times);
  // The system time zone (LocalTimeZone): converting through it avoids the C
  // library's look at the zone file on every local-time conversion.
  static QTimeZone systemTimeZone();
};

} // namespace kr
