#include "engine/RawTimeSlice.h"

#include "engine/LogEntryValues.h"
#include "engine/Logger.h"
#include "platform/settings/ValueTransformer.h"

#include <QHash>
#include <QTimeZone>

#include <array>
#include <atomic>
#include <mutex>
#include <unordered_set>

namespace kr {

namespace packed_date {
namespace {
constexpr int kZoneCount = kWhole - kFirstZone;

// The zones met, each once; an entry is written before the count covers it
// and never changes afterwards, so readers take no lock.
struct Zones {
  std::mutex mutex;
  std::array<QTimeZone, kZoneCount> zones;
  std::atomic<int> count{0};
};

Zones& zones() {
  static Zones* const table = new Zones; // records may outlive the statics
  return *table;
}
} // namespace

quint8 codeOfZone(const QTimeZone& zone) {
  // A reader meets one zone for thousands of dates.
  thread_local QTimeZone lastZone;
  thread_local quint8 lastCode = kWhole;
  if (lastCode != kWhole && zone == lastZone)
    return lastCode;
  Zones& table = zones();
  const std::lock_guard<std::mutex> lock(table.mutex);
  const int count = table.count.load(std::memory_order_relaxed);
  int index = 0;
  while (index < count && !(table.zones[std::size_t(index)] == zone))
    ++index;
  if (index == count) {
    if (count == kZoneCount)
      return kWhole;
    table.zones[std::size_t(index)] = zone;
    table.count.store(count + 1, std::memory_order_release);
  }
  lastZone = zone;
  lastCode = quint8(kFirstZone + index);
  return lastCode;
}

quint8 pack(const QDateTime& date, qint64& msecs) {
  msecs = date.toMSecsSinceEpoch();
  if (!date.isValid())
    return date.isNull() && date.timeSpec() == Qt::LocalTime ? kNull : kWhole;
  switch (date.timeSpec()) {
  case Qt::UTC:
    return kUtc;
  case Qt::LocalTime: {
    // Rare (the readers give dates in a zone): checked rather than trusted.
    const QDateTime again = QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
    const bool same = again.date() == date.date() && again.time() == date.time() &&
                      again.offsetFromUtc() == date.offsetFromUtc();
    return same ? kLocalTime : kWhole;
  }
  case Qt::TimeZone:
    return codeOfZone(date.timeZone());
  case Qt::OffsetFromUTC:
    break;
  }
  return kWhole;
}

QDateTime unpack(qint64 msecs, quint8 code) {
  switch (code) {
  case kNull:
    return QDateTime();
  case kUtc:
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
  case kLocalTime:
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
  default:
    break;
  }
  Zones& table = zones();
  const int index = code - kFirstZone;
  // Pairs with the release that published the entry.
  if (index >= table.count.load(std::memory_order_acquire))
    return QDateTime();
  return QDateTime::fromMSecsSinceEpoch(msecs, table.zones[std::size_t(index)]);
}
} // namespace packed_date

namespace shared_text {
namespace {
struct Hasher {
  std::size_t operator()(const QString& text) const { return qHash(text); }
};

struct TextPool {
  std::mutex mutex;
  std::unordered_set<QString, Hasher> texts;
};

TextPool& pool() {
  static TextPool* const instance = new TextPool; // records may outlive the statics
  return *instance;
}
} // namespace

const QString* empty() {
  static const QString* const none = new QString();
  return none;
}

const QString* of(const QString& text) {
  if (text.isNull())
    return empty();
  // The records of a file mostly repeat a few texts.
  thread_local std::array<const QString*, 8> recent{};
  thread_local std::size_t next = 0;
  for (const QString* known : recent) {
    if (known && *known == text)
      return known;
  }
  TextPool& texts = pool();
  const QString* kept = nullptr;
  {
    const std::lock_guard<std::mutex> lock(texts.mutex);
    auto found = texts.texts.find(text);
    if (found == texts.texts.end())
      found = texts.texts.insert(QString(text.constData(), text.size())).first; // owns its data
    kept = &*found;
  }
  recent[next] = kept;
  next = (next + 1) % recent.size();
  return kept;
}
} // namespace shared_text

namespace {
// "yyyy-MM-dd" of a day of years 0 to 9999.
QString dayStringOf(const QDate& day) {
  if (!day.isValid() || day.year() < 0 || day.year() > 9999)
    return day.toString(QStringLiteral("yyyy-MM-dd"));
  char text[10];
  const auto put = [&text](int at, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
      text[at + i] = char('0' + value % 10);
  };
  put(0, day.year(), 4);
  text[4] = '-';
  put(5, day.month(), 2);
  text[7] = '-';
  put(8, day.day(), 2);
  return QString::fromLatin1(text, 10);
}

const QString* goodRating() {
  static const QString* const rating = shared_text::of(QStringLiteral("good"));
  return rating;
}

qint64 distantPastMSecs() {
  static const qint64 msecs = RawTimeSlice::distantPast().toMSecsSinceEpoch();
  return msecs;
}
} // namespace

RawTimeSlice::RawTimeSlice()
    : startMSecs_(distantPastMSecs()), endMSecs_(distantPastMSecs()), focusRating_(goodRating()),
      tagString_(shared_text::empty()) {}

RawTimeSlice::~RawTimeSlice() = default;

RawTimeSlice::RawTimeSlice(const RawTimeSlice& other)
    : startMSecs_(other.startMSecs_), endMSecs_(other.endMSecs_), duration_(other.duration_),
      actualDuration_(other.actualDuration_), focusRating_(other.focusRating_),
      tagString_(other.tagString_), dayString_(other.dayString_),
      wholeDates_(other.wholeDates_ ? std::make_unique<WholeDates>(*other.wholeDates_) : nullptr),
      startCode_(other.startCode_), endCode_(other.endCode_), completed_(other.completed_),
      success_(other.success_) {}

RawTimeSlice& RawTimeSlice::operator=(const RawTimeSlice& other) {
  if (this != &other) {
    RawTimeSlice copy(other);
    startMSecs_ = copy.startMSecs_;
    endMSecs_ = copy.endMSecs_;
    duration_ = copy.duration_;
    actualDuration_ = copy.actualDuration_;
    focusRating_ = copy.focusRating_;
    tagString_ = copy.tagString_;
    dayString_ = copy.dayString_;
    wholeDates_ = std::move(copy.wholeDates_);
    startCode_ = copy.startCode_;
    endCode_ = copy.endCode_;
    completed_ = copy.completed_;
    success_ = copy.success_;
  }
  return *this;
}

QDateTime RawTimeSlice::distantPast() {
  static const QDateTime date = Logger::distantPast();
  return date;
}

RawTimeSlice::WholeDates& RawTimeSlice::wholeDates() {
  if (!wholeDates_)
    wholeDates_ = std::make_unique<WholeDates>();
  return *wholeDates_;
}

QDateTime RawTimeSlice::startDate() const {
  return startCode_ == packed_date::kWhole ? wholeDates_->start
                                           : packed_date::unpack(startMSecs_, startCode_);
}

std::optional<qint64> RawTimeSlice::startInstant() const {
  if (startComparesAsMSecs())
    return startMSecs_;
  if (startCode_ == packed_date::kWhole && wholeDates_->start.isValid())
    return startMSecs_;
  return std::nullopt;
}

std::optional<qint64> RawTimeSlice::storedEndInstant() const {
  if (endCode_ != packed_date::kNull && endCode_ != packed_date::kWhole)
    return endMSecs_;
  if (endCode_ == packed_date::kWhole && wholeDates_->end.isValid())
    return endMSecs_;
  return std::nullopt;
}

QDateTime RawTimeSlice::storedEndDate() const {
  return endCode_ == packed_date::kWhole ? wholeDates_->end
                                         : packed_date::unpack(endMSecs_, endCode_);
}

void RawTimeSlice::storeEndDate(const QDateTime& date) {
  endCode_ = packed_date::pack(date, endMSecs_);
  if (endCode_ == packed_date::kWhole)
    wholeDates().end = date;
  else if (startCode_ != packed_date::kWhole)
    wholeDates_.reset();
}

namespace {
constexpr qint64 kMSecsPerDay = 86400000;

// The local date and time of an instant at `offsetSeconds` from UTC.
QDateTime clockOf(qint64 msecs, int offsetSeconds) {
  return QDateTime::fromMSecsSinceEpoch(msecs + qint64(offsetSeconds) * 1000, Qt::UTC);
}

QDate localDayOf(qint64 msecs, int offsetSeconds) {
  const qint64 local = msecs + qint64(offsetSeconds) * 1000;
  const qint64 days = local >= 0 ? local / kMSecsPerDay : -((-local - 1) / kMSecsPerDay) - 1;
  return QDate::fromJulianDay(days + 2440588); // 1970-01-01
}

// A date kept whole, made from its clock time in the zone as the reader made
// it: such a date holds a fifth of the memory of one made from the instant.
QDateTime wholeDateOf(qint64 msecs, int offsetSeconds, const QTimeZone& zone) {
  const QDateTime clock = clockOf(msecs, offsetSeconds);
  return QDateTime(clock.date(), clock.time(), zone);
}

const QString* distantPastDay() {
  static const QString* const day =
      shared_text::of(dayStringOf(RawTimeSlice::distantPast().toLocalTime().date()));
  return day;
}
} // namespace

void RawTimeSlice::storeEndInstant(qint64 msecs, int offsetSeconds, const QTimeZone& zone) {
  endCode_ = packed_date::codeOfZone(zone);
  endMSecs_ = msecs;
  if (endCode_ == packed_date::kWhole)
    wholeDates().end = wholeDateOf(msecs, offsetSeconds, zone);
  else if (startCode_ != packed_date::kWhole)
    wholeDates_.reset();
}

void RawTimeSlice::setStartInstant(qint64 msecs, int offsetSeconds, const QTimeZone& zone) {
  startCode_ = packed_date::codeOfZone(zone);
  startMSecs_ = msecs;
  if (startCode_ == packed_date::kWhole)
    wholeDates().start = wholeDateOf(msecs, offsetSeconds, zone);
  else if (endCode_ != packed_date::kWhole)
    wholeDates_.reset();
  if (msecs == distantPastMSecs())
    dayString_ = distantPastDay();
  else
    setDayString(localDayOf(msecs, offsetSeconds));
}

void RawTimeSlice::setStartDate(const QDateTime& date) {
  startCode_ = packed_date::pack(date, startMSecs_);
  if (startCode_ == packed_date::kWhole)
    wholeDates().start = date;
  else if (endCode_ != packed_date::kWhole)
    wholeDates_.reset();
  if (startMSecs_ == distantPastMSecs() && date.isValid()) {
    dayString_ = distantPastDay();
    return;
  }
  // Dates read from logs are in the system zone already; converting others
  // through the zone object keeps the C library's zone file out of it.
  const QTimeZone zone = LogEntryValues::systemTimeZone();
  const bool inZone = date.timeSpec() == Qt::TimeZone && date.timeZone() == zone;
  setDayString(inZone ? date.date() : date.toTimeZone(zone).date());
}

void RawTimeSlice::setDistantPastStartOfNewRecord() {
  // A new record starts there already, as a date in UTC; only its day is set.
  dayString_ = distantPastDay();
}

void RawTimeSlice::setDayString(const QDate& day) {
  // The slices of a log file mostly share their day.
  thread_local QDate lastDay;
  thread_local const QString* lastDayString = nullptr;
  if (day == lastDay && lastDayString) {
    dayString_ = lastDayString;
    return;
  }
  // A thread that reads the same days again, as a reload does, keeps the
  // texts of the days it met by their number, each in a place of its own for
  // eleven years of days running, so that finding one compares no text. They
  // are kept once the thread met more days than that: one that reads a
  // folder once keeps nothing.
  struct KnownDay {
    qint64 number = 0;
    const QString* text = nullptr;
  };
  constexpr std::size_t kKnownDays = 4096;
  thread_local std::unique_ptr<std::array<KnownDay, kKnownDays>> knownDays;
  thread_local std::size_t daysMet = 0;
  const QString* text = nullptr;
  if (knownDays) {
    const qint64 number = day.toJulianDay();
    KnownDay& known = (*knownDays)[std::size_t(number) % kKnownDays];
    if (known.number != number || !known.text)
      known = {number, shared_text::of(dayStringOf(day))};
    text = known.text;
  } else {
    text = shared_text::of(dayStringOf(day));
    if (++daysMet > kKnownDays)
      knownDays = std::make_unique<std::array<KnownDay, kKnownDays>>();
  }
  lastDay = day;
  lastDayString = text;
  dayString_ = text;
}

bool RawTimeSlice::startComparesAsMSecs() const {
  return startCode_ != packed_date::kNull && startCode_ != packed_date::kWhole;
}

bool RawTimeSlice::beginsAfter(const std::optional<QDateTime>& date) const {
  if (!date)
    return true;
  // Two valid dates compare as their instants.
  if (startComparesAsMSecs() && date->isValid())
    return startMSecs_ >= date->toMSecsSinceEpoch();
  return startDate() >= *date;
}

bool RawTimeSlice::beginsBefore(const std::optional<QDateTime>& date) const {
  if (!date)
    return true;
  if (startComparesAsMSecs() && date->isValid())
    return startMSecs_ < date->toMSecsSinceEpoch();
  return startDate() < *date;
}

bool RawTimeSlice::matchesTagFilter(const std::optional<QStringList>& filter) const {
  if (!filter || filter->isEmpty())
    return true;
  if (tagString_->isEmpty())
    return false;
  static const ValueTransformer splitter = transformers::stringToTokenArray();
  const QStringList tags = splitter.transformedValue(*tagString_).toStringList();
  for (const QString& wanted : *filter) {
    if (!tags.contains(wanted))
      return false;
  }
  return true;
}

} // namespace kr
