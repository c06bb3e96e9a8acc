#include "platform/settings/StoredSettingsCheck.h"

#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"
#include "platform/settings/IniLines.h"
#include "platform/settings/SettingsFile.h"

#include <chrono>
#include <optional>

namespace kr {

namespace {

// The file is checked as the program starts: another writer's lock is not
// waited for long.
constexpr std::chrono::milliseconds kLockWaitAtRead{300};

// ---- Walking a binary value without allocating ----

enum StreamVersion { Qt4, Qt56 };

class BlobWalker {
public:
  BlobWalker(QByteArrayView bytes, StreamVersion version) : bytes_(bytes), version_(version) {}

  bool variant(int depth) {
    if (depth > kMaximumDepth)
      return false;
    quint32 type = 0;
    if (!u32(type))
      return false;
    if (version_ == Qt56 && !skip(1)) // the null flag
      return false;
    switch (type) {
    case 0: // an invalid value; the old form follows it with a string
      return version_ == Qt56 || string();
    case 1: // bool
      return skip(1);
    case 2: // int
    case 3: // uint
      return skip(4);
    case 4: // long long
    case 5: // unsigned long long
    case 6: // double
      return skip(8);
    case 7: // a character
      return skip(2);
    case 8:  // map
    case 28: // hash
      return map(depth);
    case 9:
      return list(depth);
    case 10:
      return string();
    case 11:
      return stringList();
    case 12:
      return byteArray();
    case 14:
      return date();
    case 15:
      return skip(4);
    case 16:
      return dateTime();
    case 67: // a colour: its kind and five 16-bit channels
      return skip(11);
    case 38: // float, as the newer form writes it
      return version_ == Qt56 && skip(8);
    case 135: // float, as the old form writes it
      return version_ == Qt4 && skip(4);
    default:
      // Types the store never writes (images, user types, …) are not
      // decoded from a file: their readers trust the data even more.
      return false;
    }
  }

private:
  static constexpr int kMaximumDepth = 16;

  qsizetype remaining() const { return bytes_.size() - pos_; }

  bool skip(qsizetype n) {
    if (n < 0 || n > remaining())
      return false;
    pos_ += n;
    return true;
  }

  bool u32(quint32& value) {
    if (remaining() < 4)
      return false;
    value = 0;
    for (int k = 0; k < 4; ++k)
      value = (value << 8) | quint8(bytes_[pos_ + k]);
    pos_ += 4;
    return true;
  }

  // A count of items, each at least `smallest` bytes long.
  bool count(quint32& n, qsizetype smallest) {
    return u32(n) && qsizetype(n) <= remaining() / smallest;
  }

  bool string() {
    quint32 length = 0;
    if (!u32(length))
      return false;
    if (length == 0xffffffffu)
      return true;
    return length % 2 == 0 && skip(qsizetype(length));
  }

  bool byteArray() {
    quint32 length = 0;
    if (!u32(length))
      return false;
    return length == 0xffffffffu || skip(qsizetype(length));
  }

  bool stringList() {
    quint32 n = 0;
    if (!count(n, 4))
      return false;
    for (quint32 k = 0; k < n; ++k) {
      if (!string())
        return false;
    }
    return true;
  }

  qsizetype smallestVariant() const { return version_ == Qt56 ? 5 : 4; }

  bool list(int depth) {
    quint32 n = 0;
    if (!count(n, smallestVariant()))
      return false;
    for (quint32 k = 0; k < n; ++k) {
      if (!variant(depth + 1))
        return false;
    }
    return true;
  }

  bool map(int depth) {
    quint32 n = 0;
    if (!count(n, 4 + smallestVariant()))
      return false;
    for (quint32 k = 0; k < n; ++k) {
      if (!string() || !variant(depth + 1))
        return false;
    }
    return true;
  }

  bool date() { return skip(version_ == Qt56 ? 8 : 4); }

  bool dateTime() {
    if (!date() || !skip(4) || remaining() < 1)
      return false;
    const auto spec = quint8(bytes_[pos_++]);
    if (version_ == Qt4)
      return true;
    switch (spec) {
    case 0: // local time
    case 1: // UTC
      return true;
    case 2: // an offset from UTC
      return skip(4);
    case 3: { // a time zone: its id, and for a fixed offset its details
      const qsizetype idStart = pos_ + 4;
      if (!string())
        return false;
      const QByteArrayView id = bytes_.sliced(idStart, pos_ - idStart);
      static const QByteArray offsetZone = [] {
        QByteArray utf16;
        for (const char c : QByteArrayView("OffsetFromUtc")) {
          utf16.append('\0');
          utf16.append(c);
        }
        return utf16;
      }();
      if (id != offsetZone)
        return true;
      // The id again, the offset, the name, the abbreviation, the
      // territory and the comment.
      return string() && skip(4) && string() && string() && skip(4) && string();
    }
    default:
      return false;
    }
  }

  QByteArrayView bytes_;
  StreamVersion version_;
  qsizetype pos_ = 0;
};

bool isSafeItem(const QString& s) {
  if (!s.startsWith(u'@') || !s.endsWith(u')'))
    return true;
  StreamVersion version;
  qsizetype offset;
  if (s.startsWith(QLatin1String("@Variant("))) {
    version = Qt4;
    offset = 9;
  } else if (s.startsWith(QLatin1String("@DateTime("))) {
    version = Qt56;
    offset = 10;
  } else {
    return true; // text forms (byte arrays, rectangles, …) allocate only what they hold
  }
  const QByteArray bytes = QStringView(s).sliced(offset).toLatin1();
  return BlobWalker(bytes, version).variant(0);
}

} // namespace

bool StoredSettingsCheck::isSafeToDecode(const QString& unescapedValue) {
  return isSafeItem(unescapedValue);
}

QList<StoredSettingsCheck::UnreadableEntry>
StoredSettingsCheck::unreadableEntries(QByteArrayView data) {
  QList<UnreadableEntry> found;
  qsizetype pos = 0;
  while (const std::optional<IniLines::Line> line = IniLines::next(data, pos)) {
    // Section headers and lines without a key are not decoded.
    if (data[line->start] == '[' || line->equals < 0)
      continue;
    const qsizetype valueStart = line->equals + 1;
    const QByteArrayView value = data.sliced(valueStart, line->start + line->length - valueStart);
    const QStringList items = IniLines::unescapedItems(value);
    for (const QString& item : items) {
      if (!isSafeItem(item)) {
        const QByteArrayView key = data.sliced(line->start, line->equals - line->start).trimmed();
        found.append({QString::fromUtf8(key.first(std::min<qsizetype>(key.size(), 80))),
                      line->start, line->length});
        break;
      }
    }
  }
  return found;
}

QByteArray StoredSettingsCheck::withoutEntries(QByteArrayView data,
                                               const QList<UnreadableEntry>& entries) {
  QByteArray kept;
  kept.reserve(data.size());
  qsizetype from = 0;
  for (const UnreadableEntry& entry : entries) {
    kept.append(data.sliced(from, entry.start - from));
    from = entry.start + entry.length;
  }
  kept.append(data.sliced(from));
  return kept;
}

QStringList StoredSettingsCheck::setAsideUnreadableEntries(const QString& path) {
  RegularFileReadOptions options;
  options.maximumSize = SettingsFile::kLargestFile;
  // A link is read, and written, through.
  const std::optional<QByteArray> data = FileOperations::readRegularFile(path, nullptr, options);
  if (!data)
    return {};
  const QList<UnreadableEntry> entries = unreadableEntries(*data);
  if (entries.isEmpty())
    return {};
  QStringList keys;
  for (const UnreadableEntry& entry : entries) {
    keys.append(entry.key);
    platformLog(QStringLiteral("settings: the stored value of \"%1\" is damaged and is not read")
                    .arg(entry.key));
  }
  // Left as it is when no copy can be kept: the damaged values are not
  // read, and stay for later.
  if (!SettingsFile::keepDamaged(
          path, QStringLiteral("%1 holds values that cannot be read").arg(path), *data))
    return keys;
  // The file as it is by the time its lock is had: another writer may have
  // changed it meanwhile.
  const SettingsFile::WriteResult result = SettingsFile::rewrite(
      path, kLockWaitAtRead, [](const QByteArray& current, QString*) -> std::optional<QByteArray> {
        const QList<UnreadableEntry> damaged = unreadableEntries(current);
        if (damaged.isEmpty())
          return std::nullopt;
        return withoutEntries(current, damaged);
      });
  if (!result.written && !result.why.isEmpty()) {
    platformLog(QStringLiteral("settings: %1 keeps the damaged values, which are not read, as %2")
                    .arg(path, result.why));
  }
  return keys;
}

} // namespace kr
