#include "engine/DayCache.h"

#include "platform/LocalTimeZone.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTimeZone>

#include <algorithm>
#include <cstring>
#include <functional>
#include <type_traits>
#include <unordered_map>

#include <QScopeGuard>

#include <cerrno>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

constexpr char kMagic[8] = {'K', 'R', 'D', 'A', 'Y', 'S', '\0', '\1'};
// Raised with every change of what is kept or of how a record is packed.
constexpr quint32 kFormatVersion = 1;
constexpr quint32 kByteOrderMark = 0x01020304;
// The fewest bytes a record, a character format, a text and a day take.
constexpr qsizetype kRecordBytes = 76;
constexpr qsizetype kFormatBytes = 24;
constexpr qsizetype kTextBytes = 4;
constexpr qsizetype kDayBytes = 4 + 7 * 8 + 4;
constexpr qsizetype kHeaderBytes = sizeof kMagic + 4 + 4 + 8;

// A checksum of the bytes after the header, against damage (not against a
// maker of hostile files: what is read is checked field by field anyway).
quint64 checksumOf(QByteArrayView bytes) {
  quint64 hash = 0x9e3779b97f4a7c15ULL ^ quint64(bytes.size());
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  for (; end - at >= 8; at += 8) {
    quint64 word = 0;
    std::memcpy(&word, at, 8);
    hash = (hash ^ word) * 0xff51afd7ed558ccdULL;
    hash ^= hash >> 32;
  }
  for (; at < end; ++at)
    hash = (hash ^ quint8(*at)) * 0x100000001b3ULL;
  return hash;
}

class Writer {
public:
  explicit Writer(QByteArray& out) : out_(out) {}
  template <typename T> void put(T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    out_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void putBytes(QByteArrayView bytes) {
    put(quint32(bytes.size()));
    out_.append(bytes.data(), bytes.size());
  }
  // A text as its count of UTF-16 units plus one (0: a null text), then the units.
  void putText(const QString& text) {
    put(quint32(text.isNull() ? 0 : text.size() + 1));
    out_.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  }
  void putStamp(const FileStamp& stamp) {
    for (qint64 value :
         {stamp.modifiedSeconds, stamp.modifiedNanoseconds, stamp.size, qint64(stamp.inode),
          qint64(stamp.device), stamp.changedSeconds, stamp.changedNanoseconds})
      put(value);
  }
  qsizetype size() const { return out_.size(); }

private:
  QByteArray& out_;
};

// Reads what Writer wrote; the first value that does not fit sets failed()
// and every later one reads as zero or empty.
class Reader {
public:
  Reader(const char* at, qsizetype size) : at_(at), end_(at + size) {}
  template <typename T> T get() {
    T value{};
    if (!take(sizeof value))
      return value;
    std::memcpy(&value, at_ - sizeof value, sizeof value);
    return value;
  }
  QByteArrayView bytes() {
    const quint32 count = get<quint32>();
    if (!take(count))
      return {};
    return {at_ - count, qsizetype(count)};
  }
  QString text() {
    const quint32 units = get<quint32>();
    if (units == 0)
      return {};
    if (!take(2 * qsizetype(units - 1)))
      return {};
    QString text(qsizetype(units - 1), Qt::Uninitialized);
    std::memcpy(text.data(), at_ - 2 * qsizetype(units - 1), std::size_t(2 * (units - 1)));
    return text;
  }
  // Skips a text, giving where it starts.
  const char* skipText() {
    const char* const start = at_;
    const quint32 units = get<quint32>();
    if (units > 0)
      take(2 * qsizetype(units - 1));
    return start;
  }
  FileStamp stamp() {
    FileStamp stamp;
    stamp.modifiedSeconds = get<qint64>();
    stamp.modifiedNanoseconds = get<qint64>();
    stamp.size = get<qint64>();
    stamp.inode = quint64(get<qint64>());
    stamp.device = quint64(get<qint64>());
    stamp.changedSeconds = get<qint64>();
    stamp.changedNanoseconds = get<qint64>();
    return stamp;
  }
  // A count of items of at least `itemBytes` each that the bytes left can hold.
  quint32 count(qsizetype itemBytes) {
    const quint32 count = get<quint32>();
    if (qsizetype(count) > left() / itemBytes)
      failed_ = true;
    return failed_ ? 0 : count;
  }
  bool take(qsizetype count) {
    if (failed_ || count < 0 || count > left()) {
      failed_ = true;
      return false;
    }
    at_ += count;
    return true;
  }
  void fail() { failed_ = true; }
  bool failed() const { return failed_; }
  qsizetype left() const { return end_ - at_; }
  const char* at() const { return at_; }

private:
  const char* at_;
  const char* end_;
  bool failed_ = false;
};

void putFormat(Writer& out, const CharFormat& format) {
  out.putText(format.fontFamily);
  out.put(format.fontSize);
  out.put(quint8(format.bold | format.italic << 1 | format.underline << 2 |
                 format.strikeThrough << 3 | format.foreground.has_value() << 4));
  const RgbColor color = format.foreground.value_or(RgbColor());
  out.put(color.red);
  out.put(color.green);
  out.put(color.blue);
  out.putText(format.link);
  out.putText(format.attachment);
}

CharFormat getFormat(Reader& in) {
  CharFormat format;
  format.fontFamily = in.text();
  format.fontSize = in.get<double>();
  const auto flags = in.get<quint8>();
  format.bold = flags & 1;
  format.italic = flags & 2;
  format.underline = flags & 4;
  format.strikeThrough = flags & 8;
  RgbColor color;
  color.red = in.get<quint8>();
  color.green = in.get<quint8>();
  color.blue = in.get<quint8>();
  if (flags & 16)
    format.foreground = color;
  format.link = in.text();
  format.attachment = in.text();
  return format;
}

// A number of the objective block (7-bit groups, the lowest first); false
// when it runs past the end.
bool readBlockNumber(const char*& at, const char* end, quint64& number) {
  number = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= end)
      return false;
    const auto byte = quint8(*at++);
    number |= quint64(byte & 0x7f) << shift;
    if (!(byte & 0x80))
      return true;
  }
  return false;
}

} // namespace

// Packs and unpacks one record; reaches into the records' packed form.
class DayCacheCodec {
public:
  struct Packing {
    std::unordered_map<const QString*, quint32> texts;
    std::vector<const QString*> textList;
    std::unordered_map<quint8, quint8> zones; // code to index of the zone kept
    std::vector<QByteArray> zoneIds;
  };

  static bool canKeep(const FullTimeSlice& slice) {
    // A zone's code is that of a zone met, which stays for the process.
    const auto codeFits = [](quint8 code) { return code != packed_date::kWhole; };
    return slice.kind_ != FullTimeSlice::Kind::Whole &&
           (slice.kind_ != FullTimeSlice::Kind::Stretches || slice.formats_) &&
           codeFits(slice.startCode_) && codeFits(slice.endCode_);
  }

  static const std::vector<CharFormat>& formatsOf(const ObjectiveFormats& table) {
    return table.formats_;
  }

  static std::shared_ptr<const ObjectiveFormats> tableOf(std::vector<CharFormat> formats) {
    auto table = std::make_shared<ObjectiveFormats>();
    table->formats_ = std::move(formats);
    return ObjectiveFormats::shared(table);
  }

  static const ObjectiveFormats* tableOf(const FullTimeSlice& slice) {
    return slice.formats_.get();
  }

  static quint32 textIndex(Packing& packing, const QString* text) {
    const auto [it, added] = packing.texts.try_emplace(text, quint32(packing.textList.size()));
    if (added)
      packing.textList.push_back(text);
    return it->second;
  }

  static quint8 zoneIndex(Packing& packing, quint8 code) {
    if (code < packed_date::kFirstZone)
      return code;
    const auto [it, added] = packing.zones.try_emplace(code, quint8(packing.zoneIds.size()));
    if (added)
      packing.zoneIds.push_back(packed_date::unpack(0, code).timeZone().id());
    return quint8(packed_date::kFirstZone + it->second);
  }

  static void write(Writer& out, Packing& packing, const FullTimeSlice& slice,
                    const std::unordered_map<const ObjectiveFormats*, quint32>& tables) {
    out.put(slice.startMSecs_);
    out.put(slice.endMSecs_);
    out.put(slice.duration_);
    out.put(slice.actualDuration_);
    out.put(slice.actualDurationAsLogged_);
    out.put(textIndex(packing, slice.focusRating_));
    out.put(textIndex(packing, slice.tagString_));
    out.put(slice.dayString_ ? textIndex(packing, slice.dayString_) + 1 : 0u);
    out.put(zoneIndex(packing, slice.startCode_));
    out.put(zoneIndex(packing, slice.endCode_));
    out.put(quint8(slice.completed_ | slice.success_ << 1 | slice.uuidIsBinary_ << 2));
    out.put(quint8(slice.kind_));
    // The values made on request are left out: they are made again.
    const std::lock_guard<std::mutex> lock(FullTimeSlice::lazyValuesMutex());
    const FullTimeSlice::Rare* rare = slice.rare_.get();
    if (slice.uuidIsBinary_) {
      const QByteArray uuid = slice.uuid_.toRfc4122();
      out.putBytes(uuid);
    } else {
      out.putText(rare && rare->uuidText ? *rare->uuidText : QString());
    }
    const auto table = slice.formats_ ? tables.find(slice.formats_.get()) : tables.end();
    out.put(table == tables.end() ? 0u : table->second + 1);
    out.putText(rare && rare->plain ? *rare->plain : QString());
    if (rare && rare->data) {
      out.put(quint32(rare->data->size() + 1));
      out.putBytes(*rare->data);
    } else {
      out.put(quint32(0));
    }
    out.putBytes(slice.objective_.view());
  }

  // Whether the stretches of an objective block lie over `plainLength`
  // units of text with formats of the table and links of the block.
  static bool stretchesFit(QByteArrayView block, qsizetype plainLength, std::size_t formatCount) {
    const char* at = block.data();
    const char* const end = at + block.size();
    quint64 number = 0;
    if (!readBlockNumber(at, end, number) || number > quint64(end - at))
      return false;
    at += number;
    quint64 count = 0;
    if (!readBlockNumber(at, end, count) || count > quint64(end - at))
      return false;
    quint64 covered = 0;
    quint64 lastLink = 0;
    for (quint64 i = 0; i < count; ++i) {
      quint64 length = 0;
      quint64 format = 0;
      quint64 link = 0;
      if (!readBlockNumber(at, end, length) || !readBlockNumber(at, end, format) ||
          !readBlockNumber(at, end, link) || format >= formatCount || length > quint64(plainLength))
        return false;
      covered += length;
      lastLink = std::max(lastLink, link);
    }
    quint64 links = 0;
    while (at < end) {
      if (!readBlockNumber(at, end, number) || number > quint64(end - at))
        return false;
      at += number;
      ++links;
    }
    return covered == quint64(plainLength) && lastLink <= links;
  }

  // The length in UTF-16 units of the record's plain objective.
  static qsizetype plainLengthOf(const FullTimeSlice& slice, QByteArrayView block) {
    if (slice.rare_ && slice.rare_->plain)
      return slice.rare_->plain->size();
    const char* at = block.data();
    const char* const end = at + block.size();
    quint64 length = 0;
    if (!readBlockNumber(at, end, length) || length > quint64(end - at))
      return -1;
    const char* const textEnd = at + length;
    // Mostly ASCII, whose bytes are its units.
    if (std::all_of(at, textEnd, [](char c) { return quint8(c) < 0x80; }))
      return qsizetype(length);
    return slice.objective().size();
  }

  using TextOf = std::function<const QString*(quint32)>;

  static FullTimeSlicePtr read(Reader& in, const TextOf& textOf,
                               const std::vector<quint8>& zoneCodes,
                               const std::vector<std::shared_ptr<const ObjectiveFormats>>& tables) {
    auto slice = std::make_shared<FullTimeSlice>(FullTimeSlice::Unfilled());
    FullTimeSlice& s = *slice;
    s.startMSecs_ = in.get<qint64>();
    s.endMSecs_ = in.get<qint64>();
    s.duration_ = in.get<double>();
    s.actualDuration_ = in.get<double>();
    s.actualDurationAsLogged_ = in.get<double>();
    s.focusRating_ = textOf(in.get<quint32>());
    s.tagString_ = textOf(in.get<quint32>());
    const auto day = in.get<quint32>();
    s.dayString_ = day == 0 ? nullptr : textOf(day - 1);
    const auto codeOf = [&](quint8 kept) -> quint8 {
      if (kept < packed_date::kFirstZone)
        return kept;
      const std::size_t index = kept - packed_date::kFirstZone;
      if (index >= zoneCodes.size()) {
        in.fail();
        return packed_date::kUtc;
      }
      return zoneCodes[index];
    };
    s.startCode_ = codeOf(in.get<quint8>());
    s.endCode_ = codeOf(in.get<quint8>());
    const auto flags = in.get<quint8>();
    s.completed_ = flags & 1;
    s.success_ = flags & 2;
    s.uuidIsBinary_ = flags & 4;
    const auto kind = in.get<quint8>();
    if (kind > quint8(FullTimeSlice::Kind::Data) || !s.focusRating_ || !s.tagString_ ||
        (day != 0 && !s.dayString_)) {
      in.fail();
      return nullptr;
    }
    s.kind_ = FullTimeSlice::Kind(kind);
    if (s.uuidIsBinary_) {
      const QByteArrayView uuid = in.bytes();
      if (uuid.size() != 16) {
        in.fail();
        return nullptr;
      }
      s.uuid_ = QUuid::fromRfc4122(uuid);
    } else if (QString uuidText = in.text(); !uuidText.isNull()) {
      s.rare().uuidText = std::move(uuidText);
    }
    const auto table = in.get<quint32>();
    if (table > tables.size()) {
      in.fail();
      return nullptr;
    }
    if (table > 0)
      s.formats_ = tables[table - 1];
    if (QString plain = in.text(); !plain.isNull())
      s.rare().plain = std::move(plain);
    if (const auto data = in.get<quint32>(); data > 0) {
      const QByteArrayView bytes = in.bytes();
      if (qsizetype(data - 1) != bytes.size()) {
        in.fail();
        return nullptr;
      }
      s.rare().data = bytes.toByteArray();
    }
    const QByteArrayView block = in.bytes();
    if (in.failed())
      return nullptr;
    s.objective_ = FullTimeSlice::Block(block);
    switch (s.kind_) {
    case FullTimeSlice::Kind::Stretches:
      if (!s.formats_ || !stretchesFit(block, plainLengthOf(s, block),
                                       DayCacheCodec::formatsOf(*s.formats_).size()))
        return nullptr;
      break;
    case FullTimeSlice::Kind::Data:
      if (!s.rare_ || !s.rare_->data)
        return nullptr;
      break;
    case FullTimeSlice::Kind::Empty:
    case FullTimeSlice::Kind::Whole:
      break;
    }
    return slice;
  }
};

QByteArray DayCache::inputsOf(const QString& folder, const PlainTextStyle& style) {
  QByteArray inputs;
  Writer out(inputs);
  out.putText(folder);
  out.putText(style.fontFamily);
  out.put(style.pointSize);
  out.putText(style.textColor);
  // Dates are read in the system zone: its name, its rules and how it was set.
  const QTimeZone zone = LocalTimeZone::current();
  out.putBytes(zone.id());
  out.putBytes(qgetenv("TZ"));
  const auto stampOf = [&out](const QByteArray& path) {
    struct stat info {};
    out.putStamp(::stat(path.constData(), &info) == 0 ? FileStamp::of(info) : FileStamp());
  };
  stampOf(QFile::encodeName(LocalTimeZone::systemZoneFile()));
  const QByteArray zoneFolder = qEnvironmentVariableIsSet("TZDIR")
                                    ? qgetenv("TZDIR")
                                    : QByteArrayLiteral("/usr/share/zoneinfo");
  stampOf(zoneFolder + '/' + zone.id());
  // Dates the fast reader does not take are read in the user's locale.
  out.putText(QLocale::system().name());
  // Another build may read the same file otherwise.
  stampOf(QByteArrayLiteral("/proc/self/exe"));
  return inputs;
}

std::optional<DayCache> DayCache::read(const QString& path, const QByteArray& inputs,
                                       QString* why) {
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT && why)
      *why = QString::fromLocal8Bit(std::strerror(errno));
    return std::nullopt;
  }
  const auto closeFile = qScopeGuard([fd] { ::close(fd); });
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaximumSize ||
      info.st_size < kHeaderBytes) {
    if (why)
      *why = QStringLiteral("not a regular file of a cache's size");
    return std::nullopt;
  }
  // Read into pages of its own, which go back to the system as soon as the
  // cache is let go, whatever the allocator keeps.
  const auto size = std::size_t(info.st_size);
  void* pages = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) {
    if (why)
      *why = QStringLiteral("no memory for it");
    return std::nullopt;
  }
  std::shared_ptr<void> mapping(pages, [size](void* at) { ::munmap(at, size); });
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, static_cast<char*>(pages) + done, size - done);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break;
    done += std::size_t(got);
  }
  if (done != size) {
    if (why)
      *why = QStringLiteral("cut short while read");
    return std::nullopt;
  }
  std::optional<DayCache> cache = fromBytes(
      QByteArray::fromRawData(static_cast<const char*>(pages), qsizetype(size)), inputs, why);
  if (cache)
    cache->mapping_ = std::move(mapping);
  return cache;
}

std::optional<DayCache> DayCache::fromBytes(QByteArray bytes, const QByteArray& inputs,
                                            QString* why) {
  const auto fail = [why](const char* reason) {
    if (why)
      *why = QString::fromLatin1(reason);
    return std::nullopt;
  };
  if (bytes.size() < kHeaderBytes || std::memcmp(bytes.constData(), kMagic, sizeof kMagic) != 0)
    return fail("not a cache of log days");
  Reader header(bytes.constData() + sizeof kMagic, kHeaderBytes - qsizetype(sizeof kMagic));
  if (header.get<quint32>() != kFormatVersion || header.get<quint32>() != kByteOrderMark)
    return fail("made by another version");
  const QByteArrayView body = QByteArrayView(bytes).sliced(kHeaderBytes);
  if (header.get<quint64>() != checksumOf(body))
    return fail("damaged");
  DayCache cache;
  Reader in(body.data(), body.size());
  if (in.bytes() != QByteArrayView(inputs))
    return fail("made for another folder or setting");
  const quint32 texts = in.count(kTextBytes);
  cache.textOffsets_.reserve(texts);
  for (quint32 i = 0; i < texts; ++i)
    cache.textOffsets_.push_back(in.skipText() - bytes.constData());
  cache.texts_ = std::make_unique<std::atomic<const QString*>[]>(texts);
  const quint32 zones = in.count(kTextBytes);
  if (zones > packed_date::kWhole - packed_date::kFirstZone)
    return fail("damaged");
  // The system zone as the readers take it, not merely one of its name.
  const QTimeZone systemZone = LocalTimeZone::current();
  for (quint32 i = 0; i < zones; ++i) {
    const QByteArray id = in.bytes().toByteArray();
    const QTimeZone zone = id == systemZone.id() ? systemZone : QTimeZone(id);
    const quint8 code = zone.isValid() ? packed_date::codeOfZone(zone) : packed_date::kWhole;
    if (code == packed_date::kWhole)
      return fail("names a zone not known here");
    cache.zoneCodes_.push_back(code);
  }
  const quint32 tables = in.count(4);
  for (quint32 t = 0; t < tables && !in.failed(); ++t) {
    const quint32 count = in.count(kFormatBytes);
    std::vector<CharFormat> formats;
    formats.reserve(count);
    for (quint32 f = 0; f < count; ++f)
      formats.push_back(getFormat(in));
    cache.tables_.push_back(DayCacheCodec::tableOf(std::move(formats)));
  }
  const quint32 days = in.count(kDayBytes);
  cache.sections_.reserve(qsizetype(days));
  for (quint32 i = 0; i < days && !in.failed(); ++i) {
    const QString name = in.text();
    Section section;
    section.stamp = in.stamp();
    section.size = in.get<quint32>();
    section.offset = in.at() - bytes.constData();
    if (in.take(section.size)) {
      cache.sections_.insert(name, section);
      cache.digest_.add(name, section.stamp);
    }
  }
  if (in.failed() || in.left() != 0)
    return fail("damaged");
  cache.bytes_ = std::move(bytes);
  return cache;
}

void DayCache::Digest::add(const QString& name, const FileStamp& stamp) {
  const auto mix = [this](quint64 value) {
    value_ = (value_ ^ value) * 0xff51afd7ed558ccdULL;
    value_ ^= value_ >> 32;
  };
  mix(quint64(name.size()));
  mix(qHash(name));
  for (qint64 value :
       {stamp.modifiedSeconds, stamp.modifiedNanoseconds, stamp.size, qint64(stamp.inode),
        qint64(stamp.device), stamp.changedSeconds, stamp.changedNanoseconds})
    mix(quint64(value));
}

const QString* DayCache::sharedText(quint32 index) const {
  if (index >= textOffsets_.size())
    return nullptr;
  std::atomic<const QString*>& slot = texts_[index];
  if (const QString* known = slot.load(std::memory_order_acquire))
    return known;
  Reader in(bytes_.constData() + textOffsets_[index], bytes_.size() - textOffsets_[index]);
  // shared_text gives the same copy to every thread asking for one text.
  const QString* text = shared_text::of(in.text());
  slot.store(text, std::memory_order_release);
  return text;
}

QHash<QString, FileStamp> DayCache::stamps() const {
  QHash<QString, FileStamp> stamps;
  stamps.reserve(sections_.size());
  for (auto it = sections_.cbegin(); it != sections_.cend(); ++it)
    stamps.insert(it.key(), it->stamp);
  return stamps;
}

std::shared_ptr<LogFile::Records> DayCache::records(const QString& name,
                                                    const FileStamp& stamp) const {
  const auto found = sections_.constFind(name);
  if (found == sections_.constEnd() || found->stamp != stamp)
    return nullptr;
  Reader in(bytes_.constData() + found->offset, found->size);
  const bool endsCleanly = in.get<quint8>() != 0;
  const quint32 count = in.count(kRecordBytes);
  std::vector<FullTimeSlicePtr> slices;
  slices.reserve(count);
  const DayCacheCodec::TextOf textOf = [this](quint32 index) { return sharedText(index); };
  for (quint32 i = 0; i < count; ++i) {
    FullTimeSlicePtr slice = DayCacheCodec::read(in, textOf, zoneCodes_, tables_);
    if (!slice)
      return nullptr;
    slices.push_back(std::move(slice));
  }
  if (in.failed() || in.left() != 0)
    return nullptr;
  auto records = std::make_shared<LogFile::Records>();
  records->add(std::move(slices));
  records->endsCleanly = endsCleanly;
  return records;
}

bool DayCache::canKeep(const LogFile::Records& records) {
  return std::all_of(records.timeSlices.begin(), records.timeSlices.end(),
                     [](const FullTimeSlicePtr& slice) { return DayCacheCodec::canKeep(*slice); });
}

std::optional<QByteArray> DayCache::toBytes(const QByteArray& inputs, const std::vector<Day>& days,
                                            const std::atomic<bool>& abandon) {
  DayCacheCodec::Packing packing;
  std::unordered_map<const ObjectiveFormats*, quint32> tables;
  std::vector<const ObjectiveFormats*> tableList;
  QByteArray sections;
  Writer out(sections);
  for (const Day& day : days) {
    if (abandon.load(std::memory_order_relaxed) || out.size() > kMaximumSize)
      return std::nullopt;
    out.putText(day.name);
    out.putStamp(day.stamp);
    const qsizetype sizeAt = out.size();
    out.put(quint32(0));
    const qsizetype start = out.size();
    out.put(quint8(day.records->endsCleanly));
    // Days mostly share one table of formats: each table is kept once.
    for (const FullTimeSlicePtr& slice : day.records->timeSlices) {
      const ObjectiveFormats* table = DayCacheCodec::tableOf(*slice);
      if (table && tables.try_emplace(table, quint32(tableList.size())).second)
        tableList.push_back(table);
    }
    out.put(quint32(day.records->timeSlices.size()));
    for (const FullTimeSlicePtr& slice : day.records->timeSlices)
      DayCacheCodec::write(out, packing, *slice, tables);
    const auto size = quint32(out.size() - start);
    std::memcpy(sections.data() + sizeAt, &size, sizeof size);
  }
  QByteArray body;
  Writer head(body);
  head.putBytes(inputs);
  head.put(quint32(packing.textList.size()));
  for (const QString* text : packing.textList)
    head.putText(*text);
  head.put(quint32(packing.zoneIds.size()));
  for (const QByteArray& id : packing.zoneIds)
    head.putBytes(id);
  head.put(quint32(tableList.size()));
  for (const ObjectiveFormats* table : tableList) {
    const std::vector<CharFormat>& formats = DayCacheCodec::formatsOf(*table);
    head.put(quint32(formats.size()));
    for (const CharFormat& format : formats)
      putFormat(head, format);
  }
  head.put(quint32(days.size()));
  if (body.size() + sections.size() + kHeaderBytes > kMaximumSize)
    return std::nullopt;
  // Put together once, the checksum filled in last.
  QByteArray bytes;
  bytes.reserve(kHeaderBytes + body.size() + sections.size());
  bytes.append(kMagic, sizeof kMagic);
  Writer file(bytes);
  file.put(kFormatVersion);
  file.put(kByteOrderMark);
  file.put(quint64(0));
  bytes.append(body);
  body = QByteArray();
  bytes.append(sections);
  sections = QByteArray();
  return resealed(std::move(bytes));
}

QByteArray DayCache::resealed(QByteArray bytes) {
  if (bytes.size() >= kHeaderBytes) {
    const quint64 checksum = checksumOf(QByteArrayView(bytes).sliced(kHeaderBytes));
    std::memcpy(bytes.data() + kHeaderBytes - sizeof checksum, &checksum, sizeof checksum);
  }
  return bytes;
}

bool DayCache::write(const QString& path, const QByteArray& inputs, const std::vector<Day>& days,
                     const std::atomic<bool>& abandon, QString* why) {
  std::optional<QByteArray> bytes = toBytes(inputs, days, abandon);
  if (!bytes) {
    if (why)
      *why = abandon ? QStringLiteral("abandoned") : QStringLiteral("too large");
    return false;
  }
  if (!QDir().mkpath(QFileInfo(path).path())) {
    if (why)
      *why = QStringLiteral("cannot make the folder ") + QFileInfo(path).path();
    return false;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (why)
      *why = file.errorString();
    return false;
  }
  // Written in parts, so that a quit waits for one part at most.
  constexpr qsizetype kPart = 1 << 20;
  for (qsizetype at = 0; at < bytes->size(); at += kPart) {
    const qsizetype part = std::min(kPart, bytes->size() - at);
    if (abandon.load(std::memory_order_relaxed) ||
        file.write(bytes->constData() + at, part) != part) {
      if (why)
        *why = abandon ? QStringLiteral("abandoned") : file.errorString();
      file.cancelWriting();
      return false;
    }
  }
  if (!file.commit()) {
    if (why)
      *why = file.errorString();
    return false;
  }
  return true;
}

} // namespace kr
