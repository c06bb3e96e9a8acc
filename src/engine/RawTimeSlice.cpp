#include "engine/RawTimeSlice.h"

#include "engine/Logger.h"
#include "platform/ValueTransformer.h"

namespace kr {

namespace {
const QString& goodRating() {
  static const QString rating = QStringLiteral("good");
  return rating;
}
} // namespace

RawTimeSlice::RawTimeSlice()
    : startDate_(distantPast()), startMSecs_(startDate_.toMSecsSinceEpoch()),
      focusRating_(goodRating()) {}

QDateTime RawTimeSlice::distantPast() {
  static const QDateTime date = Logger::distantPast();
  return date;
}

void RawTimeSlice::setStartDate(const QDateTime& date) {
  startDate_ = date;
  startMSecs_ = date.toMSecsSinceEpoch();
  // toString with a pattern formats in the C locale, so it is safe on the reload thread.
  dayString_ = date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
}

bool RawTimeSlice::beginsAfter(const std::optional<QDateTime>& date) const {
  return !date || startDate_ >= *date;
}

bool RawTimeSlice::beginsBefore(const std::optional<QDateTime>& date) const {
  return !date || startDate_ < *date;
}

bool RawTimeSlice::matchesTagFilter(const std::optional<QStringList>& filter) const {
  if (!filter || filter->isEmpty())
    return true;
  if (tagString_.isEmpty())
    return false;
  static const ValueTransformer splitter = transformers::stringToTokenArray();
  const QStringList tags = splitter.transformedValue(tagString_).toStringList();
  for (const QString& wanted : *filter) {
    if (!tags.contains(wanted))
      return false;
  }
  return true;
}

} // namespace kr
