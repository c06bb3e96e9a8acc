#include "engine/FullTimeSlice.h"

#include "engine/BlockNumbers.h"

#include "platform/richtext/RtfdPackage.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kr {

namespace {
const QString& dummy() {
  static const QString text = QStringLiteral("dummy");
  return text;
}

// The RTFD data of an empty text, made once per process.
const QByteArray& emptyRtfd() {
  static const QByteArray data = RtfdPackage::toData(RichText());
  return data;
}

const QStringList& noLinks() {
  static const QStringList none;
  return none;
}
} // namespace

quint32 ObjectiveFormats::indexOf(const CharFormat& format) {
  // A file's objectives mostly use a few formats: those are compared one by
  // one, and hashed only once there are more.
  constexpr std::size_t kCompared = 8;
  if (lookup_.empty()) {
    for (std::size_t i = 0; i < formats_.size(); ++i) {
      if (sameCharFormat(formats_[i], format))
        return quint32(i);
    }
    if (formats_.size() < kCompared) {
      formats_.push_back(format);
      return quint32(formats_.size() - 1);
    }
    for (std::size_t i = 0; i < formats_.size(); ++i)
      lookup_.try_emplace(formats_[i], quint32(i));
  }
  const auto [it, added] = lookup_.try_emplace(format, quint32(formats_.size()));
  if (added)
    formats_.push_back(format);
  return it->second;
}

namespace {
// Equal, and alike in which texts are null.
bool sameFormat(const CharFormat& a, const CharFormat& b) {
  return a == b && a.fontFamily.isNull() == b.fontFamily.isNull() &&
         a.link.isNull() == b.link.isNull() && a.attachment.isNull() == b.attachment.isNull();
}
} // namespace

std::shared_ptr<const ObjectiveFormats>
ObjectiveFormats::shared(const std::shared_ptr<const ObjectiveFormats>& table) {
  // Mostly the table this thread found for the file before.
  thread_local std::weak_ptr<const ObjectiveFormats> lastFound;
  if (std::shared_ptr<const ObjectiveFormats> last = lastFound.lock()) {
    if (last != table && std::equal(last->formats_.begin(), last->formats_.end(),
                                    table->formats_.begin(), table->formats_.end(), sameFormat))
      return last;
  }
  // Never destroyed: a reload still reading when the program exits goes on
  // using them while the exit runs.
  static std::mutex& mutex = *new std::mutex;
  // The tables in use, by the hash of their formats; an entry goes with
  // its table, at the latest when the map has doubled since it was cleaned.
  static auto& tables =
      *new std::unordered_multimap<std::size_t, std::weak_ptr<const ObjectiveFormats>>;
  static std::size_t cleanedAt = 0;
  std::size_t hash = table->formats_.size();
  for (const CharFormat& format : table->formats_)
    hash = hash * 31 + Hash()(format);
  const std::lock_guard<std::mutex> lock(mutex);
  const auto [first, last] = tables.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    if (std::shared_ptr<const ObjectiveFormats> known = it->second.lock()) {
      if (std::equal(known->formats_.begin(), known->formats_.end(), table->formats_.begin(),
                     table->formats_.end(), sameFormat)) {
        lastFound = known;
        return known;
      }
    }
  }
  if (tables.size() >= 2 * cleanedAt + 64) {
    std::erase_if(tables, [](const auto& entry) { return entry.second.expired(); });
    cleanedAt = tables.size();
  }
  tables.emplace(hash, table);
  lastFound = table;
  return table;
}

std::size_t ObjectiveFormats::Hash::operator()(const CharFormat& format) const {
  std::size_t hash =
      qHashMulti(0, format.fontFamily, format.fontSize, format.bold, format.italic,
                 format.underline, format.strikeThrough, format.link, format.attachment);
  if (format.foreground)
    hash =
        qHashMulti(hash, format.foreground->red, format.foreground->green, format.foreground->blue);
  return hash;
}

namespace {
// Writes `size` characters as bytes, each its low byte; whether all were
// ASCII (otherwise what was written is meaningless).
bool narrowedAscii(const char16_t* text, qsizetype size, char* out) {
  qsizetype i = 0;
  char16_t all = 0;
#if defined(__SSE2__)
  // Sixteen at a time: packed to bytes, a character from U+0080 to U+7FFF
  // sets its byte's high bit; one from U+8000 sets the high bit of its
  // upper byte.
  __m128i wide = _mm_setzero_si128();
  __m128i narrow = _mm_setzero_si128();
  for (; size - i >= 16; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 8));
    const __m128i packed = _mm_packus_epi16(a, b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
    wide = _mm_or_si128(wide, _mm_or_si128(a, b));
    narrow = _mm_or_si128(narrow, packed);
  }
  if (_mm_movemask_epi8(_mm_or_si128(wide, narrow)) != 0)
    return false;
#endif
  for (; i < size; ++i) {
    all |= text[i];
    out[i] = char(text[i]);
  }
  return all < 0x80;
}

template <typename Bytes> void appendNumber(Bytes& block, quint64 number) {
  block_number::append(block, number);
}

// Reads a number at `at`, moving past it; what was read of it at the end of
// the block.
quint64 readNumber(const char*& at, const char* end) {
  quint64 number = 0;
  block_number::read(at, end, number);
  return number;
}

// The objective's text as stored, and where the stretches begin.
QString plainOf(QByteArrayView block, const char** rest = nullptr) {
  const char* at = block.data();
  const char* const end = at + block.size();
  const quint64 length = std::min<quint64>(readNumber(at, end), quint64(end - at));
  if (rest)
    *rest = at + length;
  return QString::fromUtf8(at, qsizetype(length));
}
} // namespace

std::mutex& FullTimeSlice::lazyValuesMutex() {
  // Never destroyed, as the formats' tables above.
  static std::mutex& mutex = *new std::mutex;
  return mutex;
}

FullTimeSlice::Block::Block(QByteArrayView bytes) {
  if (bytes.isEmpty())
    return;
  const auto count = quint32(bytes.size());
  bytes_ = std::make_unique_for_overwrite<char[]>(sizeof count + std::size_t(count));
  std::memcpy(bytes_.get(), &count, sizeof count);
  std::memcpy(bytes_.get() + sizeof count, bytes.data(), std::size_t(count));
}

FullTimeSlice::Block::Block(quint32 count) {
  if (count == 0)
    return;
  bytes_ = std::make_unique_for_overwrite<char[]>(sizeof count + std::size_t(count));
  std::memcpy(bytes_.get(), &count, sizeof count);
}

QByteArrayView FullTimeSlice::Block::view() const {
  if (!bytes_)
    return {};
  quint32 count = 0;
  std::memcpy(&count, bytes_.get(), sizeof count);
  return {bytes_.get() + sizeof count, qsizetype(count)};
}

FullTimeSlice::FullTimeSlice() {
  // The objective reads "dummy" until one is stored (an empty block: every
  // objective stored holds at least its length); readers mostly store one.
  // As setStartDate(distantPast()); the end date is distantPast() already.
  setDistantPastStartOfNewRecord();
}

FullTimeSlice::~FullTimeSlice() = default;

FullTimeSlice::FullTimeSlice(const FullTimeSlice& other)
    : RawTimeSlice(other), kind_(other.kind_), uuidIsBinary_(other.uuidIsBinary_),
      uuid_(other.uuid_), objective_(other.objective_),
      actualDurationAsLogged_(other.actualDurationAsLogged_), formats_(other.formats_) {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  if (other.rare_)
    rare_ = std::make_unique<Rare>(*other.rare_);
  if (other.raw_)
    raw_ = std::make_unique<const RawTimeSlice>(*other.raw_);
}

FullTimeSlice::Rare& FullTimeSlice::rare() const {
  if (!rare_)
    rare_ = std::make_unique<Rare>();
  return *rare_;
}

const QString& FullTimeSlice::uuidText() const {
  return rare_ && rare_->uuidText ? *rare_->uuidText : dummy();
}

QString FullTimeSlice::uuid() const {
  return uuidIsBinary_ ? uuid_.toString(QUuid::WithoutBraces).toUpper() : uuidText();
}

namespace {
// Over all 16 bytes: identifiers that differ in a few places only must not
// collide.
std::size_t hashOf(const QUuid& uuid) { return qHashBits(&uuid, sizeof uuid); }

// The identifier of a text as the writer writes it: 32 upper-case
// hexadecimal digits in groups of 8-4-4-4-12; none for any other text.
std::optional<QUuid> writtenUuid(QStringView text) {
  if (text.size() != 36)
    return std::nullopt;
  const char16_t* const c = text.utf16();
  if (c[8] != u'-' || c[13] != u'-' || c[18] != u'-' || c[23] != u'-')
    return std::nullopt;
#if defined(__SSE2__)
  // The 32 digits side by side, in four loads of eight characters (two
  // groups of four are each made of two loads), then sixteen at a time:
  // each character is narrowed to a byte (one above U+00FF to 0 or 0xFF,
  // neither a digit), told a digit by its distance from '0' or 'A', and each
  // pair of digits joined to the byte it writes.
  const auto load = [c](int from) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + from));
  };
  const __m128i upperHalf = _mm_set_epi16(-1, -1, -1, -1, 0, 0, 0, 0);
  const auto joinedFours = [&](int first, int second) {
    // The four characters from `first`, then the four from `second`, the
    // one right after the first four's dash.
    return _mm_or_si128(_mm_andnot_si128(upperHalf, load(first)),
                        _mm_and_si128(upperHalf, load(second - 4)));
  };
  const __m128i digitChars[4] = {load(0), joinedFours(9, 14), joinedFours(19, 24), load(28)};
  // At most `most`, as unsigned bytes.
  const auto atMost = [](__m128i v, char most) {
    return _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(most)), v);
  };
  quint8 bytes[16];
  int allDigits = 0xFFFF;
  for (int half = 0; half < 2; ++half) {
    const __m128i narrow = _mm_packus_epi16(digitChars[2 * half], digitChars[2 * half + 1]);
    const __m128i decimal = _mm_sub_epi8(narrow, _mm_set1_epi8('0'));
    const __m128i letter = _mm_sub_epi8(narrow, _mm_set1_epi8('A'));
    const __m128i isDecimal = atMost(decimal, 9);
    const __m128i isLetter = atMost(letter, 5);
    allDigits &= _mm_movemask_epi8(_mm_or_si128(isDecimal, isLetter));
    const __m128i value =
        _mm_or_si128(_mm_and_si128(isDecimal, decimal),
                     _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
    // Each pair: the first digit in the low byte, the second in the high.
    const __m128i joined = _mm_or_si128(
        _mm_slli_epi16(_mm_and_si128(value, _mm_set1_epi16(0xFF)), 4), _mm_srli_epi16(value, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes + half * 8),
                     _mm_packus_epi16(joined, joined));
  }
  if (allDigits != 0xFFFF)
    return std::nullopt;
  const auto number = [&bytes](int from, int count) {
    quint32 value = 0;
    for (int i = from; i < from + count; ++i)
      value = value << 8 | bytes[i];
    return value;
  };
  return QUuid(number(0, 4), ushort(number(4, 2)), ushort(number(6, 2)), bytes[8], bytes[9],
               bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
#else
  bool digits = true;
  const auto hex = [&](qsizetype from, qsizetype count) {
    quint32 value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
      const char16_t d = c[i];
      const bool decimal = d >= u'0' && d <= u'9';
      digits = digits && (decimal || (d >= u'A' && d <= u'F'));
      value = value << 4 | quint32(decimal ? d - u'0' : d - u'A' + 10);
    }
    return value;
  };
  const QUuid uuid(hex(0, 8), ushort(hex(9, 4)), ushort(hex(14, 4)), uchar(hex(19, 2)),
                   uchar(hex(21, 2)), uchar(hex(24, 2)), uchar(hex(26, 2)), uchar(hex(28, 2)),
                   uchar(hex(30, 2)), uchar(hex(32, 2)), uchar(hex(34, 2)));
  if (!digits)
    return std::nullopt;
  return uuid;
#endif
}
} // namespace

FullTimeSlice::UuidKey FullTimeSlice::uuidKey(const QString& uuid) {
  if (const std::optional<QUuid> binary = writtenUuid(uuid))
    return {*binary, {}, true, hashOf(*binary)};
  return {{}, uuid, false, qHash(uuid) ^ 1u};
}

FullTimeSlice::UuidKey FullTimeSlice::uuidKey() const {
  return uuidIsBinary_ ? UuidKey{uuid_, {}, true, hashOf(uuid_)}
                       : UuidKey{{}, uuidText(), false, qHash(uuidText()) ^ 1u};
}

bool FullTimeSlice::hasUuid(const UuidKey& key) const {
  return key.binary == uuidIsBinary_ && (key.binary ? key.uuid == uuid_ : key.text == uuidText());
}

void FullTimeSlice::setUuid(QStringView uuid) {
  const std::optional<QUuid> binary = writtenUuid(uuid);
  uuidIsBinary_ = binary.has_value();
  uuid_ = binary.value_or(QUuid());
  if (!uuidIsBinary_)
    rare().uuidText = uuid.toString();
  else if (rare_)
    rare_->uuidText.reset();
}

QString FullTimeSlice::objective() const {
  if (rare_ && rare_->plain)
    return *rare_->plain;
  const QByteArrayView block = objective_.view();
  return block.isEmpty() ? dummy() : plainOf(block);
}

void FullTimeSlice::storePlainObjective(QStringView objective, QByteArrayView tail) {
  // Mostly ASCII, which is its own UTF-8 and holds no surrogates: written
  // straight into the block.
  const char16_t* const text = objective.utf16();
  const qsizetype size = objective.size();
  {
    QVarLengthArray<char, 10> number;
    appendNumber(number, quint64(size));
    Block block(quint32(number.size() + size + tail.size()));
    char* out = block.data();
    std::memcpy(out, number.constData(), std::size_t(number.size()));
    out += number.size();
    if (narrowedAscii(text, size, out)) {
      if (!tail.isEmpty())
        std::memcpy(out + size, tail.data(), std::size_t(tail.size()));
      objective_ = std::move(block);
      if (rare_)
        rare_->plain.reset();
      return;
    }
  }
  const QByteArray utf8 = objective.toUtf8();
  QByteArray block;
  block.reserve(utf8.size() + tail.size() + 10);
  appendNumber(block, quint64(utf8.size()));
  block.append(utf8);
  block.append(tail);
  objective_ = Block(block);
  if (QString::fromUtf8(utf8) != objective)
    rare().plain = objective.toString(); // unpaired surrogates
  else if (rare_)
    rare_->plain.reset();
}

// Setters run while a record is filled, before anyone else reads it; only
// what is worked out on request takes the lock.
void FullTimeSlice::dropObjectiveText() {
  kind_ = Kind::Empty;
  formats_.reset();
  if (rare_ && rare_->uuidText) {
    const QString uuidText = *rare_->uuidText;
    *rare_ = Rare();
    rare_->uuidText = uuidText;
  } else {
    rare_.reset();
  }
}

void FullTimeSlice::setObjective(const QString& objective) {
  if (kind_ == Kind::Stretches) {
    if (objective == this->objective())
      return;
    // The stretches lie over the plain text: a rich text that no longer
    // reads as the objective is kept whole.
    RichText text = textFromStretches();
    dropObjectiveText();
    kind_ = Kind::Whole;
    rare().text = std::move(text);
  }
  storePlainObjective(objective);
}

const QByteArray& FullTimeSlice::objectiveAsRTFD() const {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  switch (kind_) {
  case Kind::Empty:
    return emptyRtfd();
  case Kind::Data:
    return *rare_->data;
  case Kind::Stretches:
  case Kind::Whole:
    break;
  }
  Rare& values = rare();
  if (!values.madeData)
    values.madeData =
        RtfdPackage::toData(kind_ == Kind::Whole ? *values.text : textFromStretches());
  return *values.madeData;
}

void FullTimeSlice::setObjectiveAsRTFD(const QByteArray& data) {
  const QString plain = objective();
  dropObjectiveText();
  storePlainObjective(plain);
  kind_ = Kind::Data;
  rare().data = data;
}

std::optional<RichText> FullTimeSlice::objectiveRichText() const {
  switch (kind_) {
  case Kind::Empty: {
    static const std::optional<RichText> empty = RtfdPackage::fromData(emptyRtfd());
    return empty;
  }
  case Kind::Stretches:
    return textFromStretches();
  case Kind::Whole:
    return rare_->text;
  case Kind::Data:
    break;
  }
  return RtfdPackage::fromData(objectiveAsRTFD());
}

QStringList FullTimeSlice::linksOfStretches() const {
  const char* at = nullptr;
  const QByteArrayView block = objective_.view();
  plainOf(block, &at);
  const char* const end = block.data() + block.size();
  const quint64 count = readNumber(at, end);
  for (quint64 i = 0; i < count * 3; ++i)
    readNumber(at, end);
  QStringList links;
  while (at < end) {
    const quint64 length = std::min<quint64>(readNumber(at, end), quint64(end - at));
    links.append(QString::fromUtf8(at, qsizetype(length)));
    at += length;
  }
  return links;
}

RichText FullTimeSlice::textFromStretches() const {
  const QStringList links = linksOfStretches();
  const char* at = nullptr;
  const QByteArrayView block = objective_.view();
  const QString plain = rare_ && rare_->plain ? *rare_->plain : plainOf(block, &at);
  if (!at)
    plainOf(block, &at);
  const char* const end = block.data() + block.size();
  RichText text;
  qsizetype start = 0;
  const quint64 count = readNumber(at, end);
  for (quint64 i = 0; i < count; ++i) {
    const quint64 length = readNumber(at, end);
    CharFormat format = formats_->at(quint32(readNumber(at, end)));
    const quint64 link = readNumber(at, end);
    if (link > 0)
      format.link = links.value(qsizetype(link) - 1);
    text.append(QStringView(plain).mid(start, qsizetype(length)), format);
    start += qsizetype(length);
  }
  return text;
}

namespace {
// A record's stretches and links while they are built: mostly a few, kept on
// the stack until stored.
using Stretches = QVarLengthArray<char, 256>;
using Links = QVarLengthArray<QString, 4>;

// Adds a stretch of one format to a record's stretches, its link to `links`.
void appendStretch(Stretches& stretches, Links& links, ObjectiveFormats& table, int length,
                   const CharFormat& format) {
  quint32 link = 0;
  if (!format.link.isEmpty()) {
    // The position is taken before the append, which may move the links.
    const auto at = std::find(links.begin(), links.end(), format.link) - links.begin();
    if (at == links.size())
      links.append(format.link);
    link = quint32(at + 1);
  }
  appendNumber(stretches, quint64(length));
  if (format.link.isNull()) {
    appendNumber(stretches, table.indexOf(format));
  } else {
    CharFormat withoutLink = format;
    withoutLink.link.clear();
    appendNumber(stretches, table.indexOf(withoutLink));
  }
  appendNumber(stretches, link);
}

const QString& textOf(const QString& link) { return link; }
const QString& textOf(const QString* link) { return *link; }

// Ends the stretches with the links they name, as the block keeps them.
template <typename LinkList> QByteArrayView withLinks(Stretches& stretches, const LinkList& links) {
  for (const auto& each : links) {
    const QString& link = textOf(each);
    // Mostly ASCII, which is its own UTF-8.
    const auto* const text = reinterpret_cast<const char16_t*>(link.constData());
    const qsizetype size = link.size();
    const qsizetype start = stretches.size();
    appendNumber(stretches, quint64(size));
    const qsizetype at = stretches.size();
    stretches.resize(at + size);
    if (narrowedAscii(text, size, stretches.data() + at))
      continue;
    stretches.resize(start);
    const QByteArray utf8 = link.toUtf8();
    appendNumber(stretches, quint64(utf8.size()));
    stretches.append(utf8.constData(), utf8.size());
  }
  return QByteArrayView(stretches.constData(), stretches.size());
}
} // namespace

void FullTimeSlice::setObjectiveText(const RichText& text, int position, int length,
                                     const std::shared_ptr<ObjectiveFormats>& formats) {
  // The runs over the part, clipped to it, neighbours of one format merged,
  // as mid() makes them; a text whose runs do not cover the part one after
  // the other, or that has attachment files, goes through mid().
  const std::vector<RichText::Run>& runs = text.runs();
  const int end = position + length;
  auto first = std::upper_bound(runs.begin(), runs.end(), position,
                                [](int at, const RichText::Run& run) { return at < run.start; });
  bool covered = text.attachmentData().isEmpty() && position >= 0 && length > 0 &&
                 end <= text.length() && first != runs.begin() && formats;
  struct Part {
    int length;
    const CharFormat* format;
  };
  QVarLengthArray<Part, 16> parts;
  if (covered) {
    --first;
    int at = position;
    for (auto run = first; run != runs.end() && at < end; ++run) {
      if (run->start > at || run->length <= 0 || run->start + run->length <= at) {
        covered = false;
        break;
      }
      const int to = std::min(run->start + run->length, end);
      if (!parts.isEmpty() && sameCharFormat(*parts.back().format, run->format))
        parts.back().length += to - at;
      else
        parts.append(Part{to - at, &run->format});
      at = to;
    }
    covered = covered && at == end;
  }
  if (!covered) {
    setObjectiveText(text.mid(position, length), formats);
    return;
  }
  Stretches stretches;
  Links links;
  appendNumber(stretches, quint64(parts.size()));
  for (const Part& part : parts)
    appendStretch(stretches, links, *formats, part.length, *part.format);
  dropObjectiveText();
  storePlainObjective(QStringView(text.plainText()).mid(position, length),
                      withLinks(stretches, links));
  kind_ = Kind::Stretches;
  formats_ = formats;
}

void FullTimeSlice::setObjectiveStretches(QStringView plain, const Stretch* stretches,
                                          std::size_t count,
                                          const std::shared_ptr<ObjectiveFormats>& formats) {
  // Room for the largest numbers is made at once, and each is written
  // straight into it: the count, then three numbers for each stretch, each
  // of up to ten bytes.
  Stretches kept;
  kept.resize(qsizetype(10 + count * 30));
  char* out = kept.data();
  block_number::put(out, quint64(count));
  // A document's stretches mostly name one text for one link.
  QVarLengthArray<const QString*, 4> links;
  for (std::size_t i = 0; i < count; ++i) {
    const Stretch& stretch = stretches[i];
    quint32 link = 0;
    if (stretch.link) {
      const auto at = std::find_if(links.begin(), links.end(),
                                   [&stretch](const QString* known) {
                                     return known == stretch.link || *known == *stretch.link;
                                   }) -
                      links.begin();
      if (at == links.size())
        links.append(stretch.link);
      link = quint32(at + 1);
    }
    block_number::put(out, quint64(stretch.length));
    block_number::put(out, stretch.format);
    block_number::put(out, link);
  }
  kept.resize(out - kept.data());
  dropObjectiveText();
  storePlainObjective(plain, withLinks(kept, links));
  kind_ = Kind::Stretches;
  formats_ = formats;
}

void FullTimeSlice::setObjectiveText(const RichText& text,
                                     const std::shared_ptr<ObjectiveFormats>& formats) {
  // Only runs that cover the text one after the other, without attachment
  // files, give back the same rich text; anything else is kept whole.
  bool fits = text.attachmentData().isEmpty();
  std::shared_ptr<ObjectiveFormats> table =
      formats ? formats : std::make_shared<ObjectiveFormats>();
  Stretches stretches;
  Links links;
  appendNumber(stretches, quint64(text.runs().size()));
  int expectedStart = 0;
  for (const RichText::Run& run : text.runs()) {
    if (!fits || run.start != expectedStart || run.length <= 0) {
      fits = false;
      break;
    }
    expectedStart += run.length;
    appendStretch(stretches, links, *table, run.length, run.format);
  }
  fits = fits && expectedStart == text.length();
  if (!formats)
    table->finish();

  dropObjectiveText();
  if (fits) {
    storePlainObjective(text.plainText(), withLinks(stretches, links));
    kind_ = Kind::Stretches;
    formats_ = std::move(table);
  } else {
    storePlainObjective(text.plainText());
    kind_ = Kind::Whole;
    rare().text = text;
  }
}

void FullTimeSlice::shareFormats(const std::shared_ptr<const ObjectiveFormats>& filled,
                                 const std::shared_ptr<const ObjectiveFormats>& same) {
  if (formats_ == filled)
    formats_ = same;
}

QStringList FullTimeSlice::linksOf(const RichText& text) {
  QStringList links;
  for (const RichText::Run& run : text.runs()) {
    if (!run.format.link.isEmpty() && !links.contains(run.format.link))
      links.append(run.format.link);
  }
  return links;
}

const QStringList& FullTimeSlice::extractedLinks() const {
  if (kind_ == Kind::Empty)
    return noLinks();
  {
    const std::lock_guard<std::mutex> lock(lazyValuesMutex());
    if (rare_ && rare_->links)
      return *rare_->links;
  }
  QStringList links;
  if (kind_ == Kind::Stretches) {
    links = linksOfStretches();
  } else {
    const std::optional<RichText> text = objectiveRichText();
    links = text ? linksOf(*text) : QStringList();
  }
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  if (!rare().links)
    rare().links = std::move(links);
  return *rare_->links;
}

void FullTimeSlice::setActualDurationAsLogged(double seconds) {
  actualDurationAsLogged_ = seconds;
  setActualDuration(std::fabs(seconds));
}

bool FullTimeSlice::readsAsRawTimeSlice() const {
  return !success() && !std::signbit(actualDurationAsLogged_) &&
         actualDuration() == actualDurationAsLogged_;
}

void FullTimeSlice::prepareRawTimeSlice() {
  if (readsAsRawTimeSlice()) {
    raw_.reset();
    return;
  }
  auto raw = std::make_unique<RawTimeSlice>(static_cast<const RawTimeSlice&>(*this));
  raw->setActualDuration(actualDurationAsLogged_);
  raw->setSuccess(false);
  raw_ = std::move(raw);
}

const RawTimeSlice& FullTimeSlice::asRawTimeSlice() const {
  if (raw_)
    return *raw_;
  return *this;
}

RawTimeSlicePtr FullTimeSlice::toRawTimeSlice() const {
  auto raw = std::make_shared<RawTimeSlice>(static_cast<const RawTimeSlice&>(*this));
  raw->setActualDuration(actualDurationAsLogged_);
  raw->setSuccess(false);
  return raw;
}

} // namespace kr
