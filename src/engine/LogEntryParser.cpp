#include "engine/LogEntryParser.h"

#include "engine/LogEntryValues.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace kr {

namespace {
// The four ratings the writer uses share one text each.
QString focusRatingText(QStringView line) {
  static const QString known[] = {QStringLiteral("distracted"), QStringLiteral("good"),
                                  QStringLiteral("highly focused"),
                                  QStringLiteral("experienced flow"), QStringLiteral("undefined")};
  for (const QString& rating : known) {
    if (line == rating)
      return rating;
  }
  return line.toString();
}
} // namespace

LogEntryParser::LogEntryParser() : zone_(LogEntryValues::systemTimeZone()) {}

LogEntryParser::Pending LogEntryParser::keywordOf(QStringView line, bool* isKeyword) {
  *isKeyword = false;
  if (line.size() < 5 || line.front() != u'#')
    return Pending::None;
  static constexpr std::pair<std::string_view, Pending> keywords[] = {
      {"#TimeSlice", Pending::Identifier},
      {"#duration", Pending::Duration},
      {"#actualDuration", Pending::ActualDuration},
      {"#startDate", Pending::StartDate},
      {"#endDate", Pending::EndDate},
      {"#completed", Pending::Completed},
      {"#success", Pending::Success},
      {"#focusRating", Pending::FocusRating},
      {"#tags", Pending::Tags},
      {"#objective", Pending::Objective},
  };
  for (const auto& [text, pending] : keywords) {
    if (line.size() == qsizetype(text.size()) &&
        std::equal(text.begin() + 1, text.end(), line.utf16() + 1,
                   [](char a, char16_t b) { return char16_t(a) == b; })) {
      *isKeyword = true;
      return pending;
    }
  }
  return Pending::None;
}

void LogEntryParser::addLine(QStringView line, int lineNumber) {
  bool isKeyword = false;
  const Pending keyword = keywordOf(line, &isKeyword);
  // The writer puts the tags on the line after "#tags", always: that line is
  // the tags even when a tag reads like a keyword ("#TimeSlice").
  if (!isKeyword || pending_ == Pending::Tags) {
    applyValue(line, lineNumber);
    return;
  }
  if (pending_ == Pending::Identifier)
    markFaulty(); // "#TimeSlice" without its identifier line
  if (keyword == Pending::Identifier) {
    auto slice = std::make_shared<FullTimeSlice>();
    slice->setObjective(QString());
    entries_.push_back({std::move(slice), {}});
    faulty_.push_back(false);
    current_ = &entries_.back();
  }
  pending_ = keyword;
}

void LogEntryParser::applyValue(QStringView line, int lineNumber) {
  FullTimeSlice& slice = *current_->slice;
  switch (pending_) {
  case Pending::None:
    return;
  case Pending::Objective:
    // Empty lines before the first one with text are dropped.
    if (!current_->objectiveLines.empty() || !line.isEmpty())
      current_->objectiveLines.push_back(lineNumber);
    return; // the objective stays pending
  case Pending::Identifier:
    slice.setUuid(line.toString());
    break;
  case Pending::Duration:
  case Pending::ActualDuration: {
    const auto value = LogEntryValues::floatValue(line);
    if (!value)
      markFaulty();
    if (pending_ == Pending::Duration)
      slice.setDuration(value.value_or(0.0f));
    else
      slice.setActualDurationAsLogged(value.value_or(0.0f));
    break;
  }
  case Pending::StartDate:
  case Pending::EndDate: {
    const auto date = LogEntryValues::dateValue(line, zone_);
    if (!date)
      markFaulty();
    if (pending_ == Pending::StartDate)
      slice.setStartDate(date.value_or(RawTimeSlice::distantPast()));
    else
      slice.setEndDate(date.value_or(RawTimeSlice::distantPast()));
    break;
  }
  case Pending::Completed:
    slice.setCompleted(LogEntryValues::boolValue(line));
    break;
  case Pending::Success:
    slice.setSuccess(LogEntryValues::boolValue(line));
    break;
  case Pending::FocusRating:
    slice.setFocusRating(focusRatingText(line));
    break;
  case Pending::Tags:
    slice.setTagString(line.toString());
    break;
  }
  pending_ = Pending::None;
}

void LogEntryParser::markFaulty() {
  if (current_ != &loose_)
    faulty_[current_ - entries_.data()] = true;
}

std::vector<LogEntryParser::Entry> LogEntryParser::takeEntries() {
  current_ = &loose_;
  pending_ = Pending::None;
  return std::move(entries_);
}

int LogEntryParser::faultyEntryCount() const {
  return static_cast<int>(std::count(faulty_.begin(), faulty_.end(), true));
}

} // namespace kr
