#include "engine/LogEntryParser.h"

#include "engine/LogEntryValues.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kr {

namespace {
// The texts of value lines that records share (shared_text), found among
// those met last on this thread: the entries of a log mostly repeat a few
// ratings and tag lists. Long lines are not kept here.
class SharedTexts {
public:
  const QString* of(QStringView line) {
    if (line.size() > kLongest)
      return shared_text::of(line.toString());
    for (const Known& known : recent_) {
      // Their last characters tell most of them apart.
      if (known.text.size() == line.size() && known.shared &&
          (line.isEmpty() || known.text.back() == line.back()) && known.text == line)
        return known.shared;
    }
    Known& kept = recent_[next_];
    next_ = (next_ + 1) % recent_.size();
    kept.text = line.toString();
    kept.shared = shared_text::of(kept.text);
    return kept.shared;
  }

private:
  static constexpr qsizetype kLongest = 256;
  struct Known {
    QString text;
    const QString* shared = nullptr;
  };
  std::array<Known, 16> recent_;
  std::size_t next_ = 0;
};

thread_local SharedTexts tagTexts;
thread_local SharedTexts ratingTexts;
} // namespace

LogEntryParser::LogEntryParser() = default;

LogEntryParser::Pending LogEntryParser::keywordOf(QStringView line, bool* isKeyword) {
  *isKeyword = false;
  if (line.size() < 5 || line.front() != u'#')
    return Pending::None;
  // Told apart by length and, among those of one length, by the letter
  // after "#"; then compared whole.
  // The lengths are known here: each comparison is a few word compares.
  const auto is = [&]<std::size_t N>(const char16_t(&keyword)[N], Pending pending) {
    const bool same = std::memcmp(line.utf16(), keyword, (N - 1) * sizeof(char16_t)) == 0;
    *isKeyword = same;
    return same ? pending : Pending::None;
  };
  switch (line.size()) {
  case 5:
    return is(u"#tags", Pending::Tags);
  case 8:
    return line[1] == u'e' ? is(u"#endDate", Pending::EndDate) : is(u"#success", Pending::Success);
  case 9:
    return is(u"#duration", Pending::Duration);
  case 10:
    switch (line[1].unicode()) {
    case u'T':
      return is(u"#TimeSlice", Pending::Identifier);
    case u's':
      return is(u"#startDate", Pending::StartDate);
    case u'c':
      return is(u"#completed", Pending::Completed);
    default:
      return is(u"#objective", Pending::Objective);
    }
  case 12:
    return is(u"#focusRating", Pending::FocusRating);
  case 15:
    return is(u"#actualDuration", Pending::ActualDuration);
  default:
    return Pending::None;
  }
}

void LogEntryParser::addLine(QStringView line, qsizetype start) {
  cleanBeforeLastLine_ =
      pending_ == Pending::None || (pending_ == Pending::Objective && !objectiveHasLines_);
  bool isKeyword = false;
  const Pending keyword = keywordOf(line, &isKeyword);
  // The writer puts the tags on the line after "#tags", always: that line is
  // the tags even when a tag reads like a keyword ("#TimeSlice").
  if (!isKeyword || pending_ == Pending::Tags) {
    applyValue(line, start);
    return;
  }
  if (keyword == Pending::Objective)
    objectiveHasLines_ = false;
  if (pending_ == Pending::Identifier)
    markFaulty(); // "#TimeSlice" without its identifier line
  if (keyword == Pending::Identifier) {
    settleEnd();
    lengths_ = {};
    // The objective is set once the lines are known (takeEntries()).
    auto slice = std::make_shared<FullTimeSlice>();
    entries_.push_back({std::move(slice), {}});
    faulty_.push_back(false);
    current_ = &entries_.back();
  }
  pending_ = keyword;
}

void LogEntryParser::applyValue(QStringView line, qsizetype start) {
  if (pending_ == Pending::None)
    return;
  if (!current_->slice)
    current_->slice = std::make_shared<FullTimeSlice>();
  FullTimeSlice& slice = *current_->slice;
  switch (pending_) {
  case Pending::None:
    return;
  case Pending::Objective:
    // Empty lines before the first one with text are dropped.
    if (!current_->objectiveLines.empty() || !line.isEmpty())
      current_->objectiveLines.push_back({start, line.size()});
    objectiveHasLines_ = objectiveHasLines_ || !line.isEmpty();
    return; // the objective stays pending
  case Pending::Identifier:
    slice.setUuid(line);
    break;
  case Pending::Duration:
  case Pending::ActualDuration: {
    const auto value = LogEntryValues::floatValue(line);
    if (!value)
      markFaulty();
    if (pending_ == Pending::Duration) {
      slice.setDuration(value.value_or(0.0f));
      lengths_.planned = value;
    } else {
      slice.setActualDurationAsLogged(value.value_or(0.0f));
      lengths_.worked = value;
    }
    break;
  }
  case Pending::StartDate: {
    if (const auto instant = LogEntryValues::instantValue(line, times_)) {
      slice.setStartInstant(instant->msecs, instant->offsetSeconds, times_.zone());
      break;
    }
    const auto date = LogEntryValues::dateValue(line, times_.zone());
    if (!date)
      markFaulty();
    slice.setStartDate(date.value_or(RawTimeSlice::distantPast()));
    break;
  }
  case Pending::EndDate: {
    endToSettle_.reset();
    if (const auto instant = LogEntryValues::instantAwayFromTransitions(line, times_)) {
      slice.setEndInstant(instant->msecs, instant->offsetSeconds, times_.zone());
      break;
    }
    // Which instant a reading near a change of the clocks is depends on the
    // start and the lengths, which may come later in the entry.
    endToSettle_ = LogEntryValues::clockValue(line);
    if (!endToSettle_) {
      markFaulty();
      slice.setEndDate(RawTimeSlice::distantPast());
    }
    break;
  }
  case Pending::Completed:
    slice.setCompleted(LogEntryValues::boolValue(line));
    break;
  case Pending::Success:
    slice.setSuccess(LogEntryValues::boolValue(line));
    break;
  case Pending::FocusRating:
    slice.setSharedFocusRating(ratingTexts.of(line));
    break;
  case Pending::Tags:
    slice.setSharedTagString(tagTexts.of(line));
    break;
  }
  pending_ = Pending::None;
}

void LogEntryParser::settleEnd() {
  if (!endToSettle_)
    return;
  FullTimeSlice& slice = *current_->slice;
  const QDateTime end =
      endToSettle_->endDateIn(times_.zone(), slice.startMSecsSinceEpoch(), lengths_);
  endToSettle_.reset();
  if (!end.isValid())
    markFaulty();
  slice.setEndDate(end.isValid() ? end : RawTimeSlice::distantPast());
}

void LogEntryParser::markFaulty() {
  if (current_ != &loose_)
    faulty_[current_ - entries_.data()] = true;
}

std::vector<LogEntryParser::Entry> LogEntryParser::takeEntries() {
  settleEnd();
  for (Entry& entry : entries_) {
    if (entry.objectiveLines.empty())
      entry.slice->setObjective(QString());
  }
  current_ = &loose_;
  pending_ = Pending::None;
  return std::move(entries_);
}

int LogEntryParser::faultyEntryCount() const {
  return static_cast<int>(std::count(faulty_.begin(), faulty_.end(), true));
}

} // namespace kr
