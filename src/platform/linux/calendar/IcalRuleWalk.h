#pragma once

#include <QtGlobal>

#include <libical/ical.h>

#include <cstddef>
#include <functional>
#include <optional>

namespace kr::IcalOccurrences {

// How many values a BY list of a rule holds.
template <std::size_t N> int countOf(const short (&values)[N]) {
  int n = 0;
  while (std::size_t(n) < N && values[n] != ICAL_RECURRENCE_ARRAY_MAX)
    ++n;
  return n;
}

// Seconds of a time's own clock: its date and time of day read as if they
// were UTC. A rule steps on this clock, whatever its zone.
qint64 wallAsUtc(const icaltimetype& time);
// An instant on the clock of times like `like`: in its zone, UTC, or (a
// floating time or a date) local time.
qint64 clockOf(const icaltimetype& like, qint64 instant);

// Follows one repeating rule (RRULE) over stretches of its clock, a piece of
// at most about a thousand of its steps at a time: libical searches a rule
// that matches seldom in one call, without bound, so each piece is searched
// by an iterator of its own that ends with the piece, and a stop is asked for
// between pieces. A stretch may begin anywhere after the event's start: an
// iterator is jumped there (or, for a rule repeating within a day, started at
// the last whole step before it), so that the work grows with the stretch
// asked for, not with the event's age. A rule repeating within a day is
// searched only on the days, hours and minutes its limits leave open.
class RuleWalk {
public:
  RuleWalk(const icalrecurrencetype& rule, const icaltimetype& dtstart);

  // The number of occurrences the rule counts (COUNT), or 0. The walk does
  // not count: a caller of a counted rule walks from the start and counts.
  int count() const { return count_; }
  // Whether the rule must be followed from the event's start: it counts, or
  // libical steps it in a way that depends on where it started (see plain_).
  bool followedFromStart() const { return count_ > 0 || plain_; }
  // The event's start on the rule's clock.
  qint64 start() const { return start_; }
  // The length of one piece on the rule's clock.
  qint64 pieceLength() const { return pieceLength_; }

  enum class Outcome { Done, Ended, Stopped };
  // Calls `visit` with each time of the rule whose clock lies in [from, to),
  // in order, until it returns false (Ended; also when libical can follow the
  // rule no further). `stop` is asked before each piece and every few hundred
  // steps (Stopped). Adds the work done to `work`: steps of the rule, days,
  // hours and minutes looked at, and iterators made.
  Outcome walk(qint64 from, qint64 to, const std::function<bool(const icaltimetype&)>& visit,
               const std::function<bool()>& stop, qint64& work) const;

private:
  bool limitsParts() const;
  bool mayHoldDay(qint64 day) const;
  template <typename Open> void eachOpenPart(qint64 day, Open open, qint64& work) const;
  Outcome piece(qint64 from, qint64 to, const std::function<bool(const icaltimetype&)>& visit,
                const std::function<bool()>& stop, qint64& work) const;

  // The rule as libical follows it, and with the limits the walk applies.
  icalrecurrencetype rule_;
  icalrecurrencetype limits_;
  icaltimetype dtstart_;
  int count_ = 0;
  qint64 start_ = 0;
  qint64 step_ = 1;
  // The rule's UNTIL on the event's clock, for a rule repeating within a day.
  std::optional<qint64> until_;
  qint64 pieceLength_ = 1;
  // Stepped on a grid of whole steps from the start (within a day).
  bool gridded_ = false;
  bool never_ = false;
  // Followed by one iterator from the event's start, neither jumped nor
  // stepped on a grid.
  bool plain_ = false;
};

} // namespace kr::IcalOccurrences
