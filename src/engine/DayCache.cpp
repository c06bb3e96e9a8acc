#include "engine/DayCache.h"

#include "engine/DayCacheCodec.h"
#include "platform/LocalTimeZone.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

constexpr char kMagic[8] = {'K', 'R', 'D', 'A', 'Y', 'S', '\0', '\1'};
// Raised with every change of what is kept or of how a record is packed.
constexpr quint32 kFormatVersion = 2;
constexpr quint32 kByteOrderMark = 0x01020304;
// The fewest bytes a record, a character format, a text and a day take.
constexpr qsizetype kRecordBytes = 76;
constexpr qsizetype kFormatBytes = 31;
constexpr qsizetype kTextBytes = 4;
constexpr qsizetype kDayBytes = 4 + 7 * 8 + 4;
constexpr qsizetype kHeaderBytes = sizeof kMagic + 4 + 4 + 8;

// A checksum of the bytes after the header, against damage (not against a
// maker of hostile files: what is read is checked field by field anyway),
// taken over the parts of those bytes one after another.
class Checksum {
public:
  explicit Checksum(qsizetype totalSize) : hash_(0x9e3779b97f4a7c15ULL ^ quint64(totalSize)) {}
  void add(QByteArrayView bytes) {
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    // A word begun by the part before is finished first.
    while (carried_ > 0 && carried_ < 8 && at < end)
      carry_[carried_++] = *at++;
    if (carried_ == 8) {
      addWord(carry_);
      carried_ = 0;
    }
    for (; end - at >= 8; at += 8)
      addWord(at);
    while (at < end)
      carry_[carried_++] = *at++;
  }
  quint64 value() const {
    quint64 hash = hash_;
    for (int i = 0; i < carried_; ++i)
      hash = (hash ^ quint8(carry_[i])) * 0x100000001b3ULL;
    return hash;
  }

private:
  void addWord(const char* at) {
    quint64 word = 0;
    std::memcpy(&word, at, 8);
    hash_ = (hash_ ^ word) * 0xff51afd7ed558ccdULL;
    hash_ ^= hash_ >> 32;
  }
  quint64 hash_;
  char carry_[8] = {};
  int carried_ = 0;
};

quint64 checksumOf(QByteArrayView bytes) {
  Checksum checksum(bytes.size());
  checksum.add(bytes);
  return checksum.value();
}

} // namespace

// The cache's bytes in two parts, which follow one another in the file: the
// header with everything the days share, and the days.
struct DayCache::Parts {
  QByteArray head;
  QByteArray days;
};

using day_cache::Reader;
using day_cache::Writer;

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
      formats.push_back(day_cache::getFormat(in));
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

std::optional<DayCache::Parts> DayCache::encode(const QByteArray& inputs,
                                                const std::vector<Day>& days,
                                                const std::atomic<bool>& abandon) {
  DayCacheCodec::Packing packing;
  std::unordered_map<const ObjectiveFormats*, quint32> tables;
  std::vector<const ObjectiveFormats*> tableList;
  Parts parts;
  QByteArray& sections = parts.days;
  // Room for the records as they mostly are (a few hundred bytes each), so
  // that tens of megabytes are not moved again and again as they grow.
  std::size_t records = 0;
  for (const Day& day : days)
    records += day.records->timeSlices.size();
  sections.reserve(qsizetype(std::min<std::size_t>(
      std::size_t(kMaximumSize), days.size() * (kDayBytes + 128) + records * 320)));
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
  QByteArray& head = parts.head;
  head.append(kMagic, sizeof kMagic);
  Writer file(head);
  file.put(kFormatVersion);
  file.put(kByteOrderMark);
  file.put(quint64(0));
  file.putBytes(inputs);
  file.put(quint32(packing.textList.size()));
  for (const QString* text : packing.textList)
    file.putText(*text);
  file.put(quint32(packing.zoneIds.size()));
  for (const QByteArray& id : packing.zoneIds)
    file.putBytes(id);
  file.put(quint32(tableList.size()));
  for (const ObjectiveFormats* table : tableList) {
    const std::vector<CharFormat>& formats = DayCacheCodec::formatsOf(*table);
    file.put(quint32(formats.size()));
    for (const CharFormat& format : formats)
      day_cache::putFormat(file, format);
  }
  file.put(quint32(days.size()));
  if (head.size() + sections.size() > kMaximumSize)
    return std::nullopt;
  // The checksum of what follows the header, filled in last.
  const QByteArrayView headBody = QByteArrayView(head).sliced(kHeaderBytes);
  Checksum checksum(headBody.size() + sections.size());
  checksum.add(headBody);
  checksum.add(sections);
  const quint64 sum = checksum.value();
  std::memcpy(head.data() + kHeaderBytes - sizeof sum, &sum, sizeof sum);
  return parts;
}

std::optional<QByteArray> DayCache::toBytes(const QByteArray& inputs, const std::vector<Day>& days,
                                            const std::atomic<bool>& abandon) {
  std::optional<Parts> parts = encode(inputs, days, abandon);
  if (!parts)
    return std::nullopt;
  return parts->head + parts->days;
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
  const std::optional<Parts> parts = encode(inputs, days, abandon);
  if (!parts) {
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
  // own-file: the program's cache of read days, written beside and renamed
  if (!file.open(QIODevice::WriteOnly)) {
    if (why)
      *why = file.errorString();
    return false;
  }
  // Written in pieces, so that a quit waits for one piece at most.
  constexpr qsizetype kPiece = 1 << 20;
  for (const QByteArray* bytes : {&parts->head, &parts->days}) {
    for (qsizetype at = 0; at < bytes->size(); at += kPiece) {
      const qsizetype piece = std::min(kPiece, bytes->size() - at);
      if (abandon.load(std::memory_order_relaxed) ||
          file.write(bytes->constData() + at, piece) != piece) {
        if (why)
          *why = abandon ? QStringLiteral("abandoned") : file.errorString();
        file.cancelWriting();
        return false;
      }
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
