#include "platform/settings/StoredSettingsCheck.h"

#include "platform/HexDigit.h"
#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"
#include "platform/settings/SettingsFile.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <optional>

namespace kr {

namespace {

// ---- How the INI reader splits a file into entries ----

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isSpecial(char c) {
  return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

struct Line {
  qsizetype start = 0;
  qsizetype length = 0;
  qsizetype equals = -1; // position in the data, or -1
};

// One logical line from `pos`: quotes and a backslash before a line end
// carry it over; a ';' at its start makes it a comment, elsewhere ends it.
std::optional<Line> nextLine(QByteArrayView data, qsizetype& pos) {
  const qsizetype size = data.size();
  bool inQuotes = false;
  Line line;
  line.start = pos;
  while (line.start < size && isSpace(data[line.start]))
    ++line.start;
  qsizetype i = line.start;
  while (i < size) {
    char ch = data[i];
    while (!isSpecial(ch)) {
      if (++i == size)
        goto done;
      ch = data[i];
    }
    ++i;
    if (ch == '=') {
      if (!inQuotes && line.equals == -1)
        line.equals = i - 1;
    } else if (ch == '\n' || ch == '\r') {
      if (i == line.start + 1) {
        ++line.start;
      } else if (!inQuotes) {
        --i;
        goto done;
      }
    } else if (ch == '\\') {
      if (i < size) {
        const char escaped = data[i++];
        if (i < size) {
          const char next = data[i];
          if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
            ++i;
        }
      }
    } else if (ch == '"') {
      inQuotes = !inQuotes;
    } else { // ';'
      if (i == line.start + 1) {
        // A comment runs to the end of its line. Stopping at either line
        // end reads the shorter comment, so nothing after it goes unchecked.
        while (i < size && data[i] != '\n' && data[i] != '\r')
          ++i;
        while (i < size && isSpace(data[i]))
          ++i;
        line.start = i;
      } else if (!inQuotes) {
        --i;
        goto done;
      }
    }
  }
done:
  pos = i;
  line.length = i - line.start;
  if (line.length <= 0)
    return std::nullopt;
  return line;
}

int octValue(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

void chopTrailingSpaces(QString& s, qsizetype limit) {
  while (s.size() > limit && (s.back() == u' ' || s.back() == u'\t'))
    s.chop(1);
}

// A value as the INI reader unescapes it: one string, or the items of a
// comma-separated list.
QStringList unescapedItems(QByteArrayView text) {
  static constexpr std::array<std::pair<char, char>, 11> simpleEscapes{{{'a', '\a'},
                                                                        {'b', '\b'},
                                                                        {'f', '\f'},
                                                                        {'n', '\n'},
                                                                        {'r', '\r'},
                                                                        {'t', '\t'},
                                                                        {'v', '\v'},
                                                                        {'"', '"'},
                                                                        {'?', '?'},
                                                                        {'\'', '\''},
                                                                        {'\\', '\\'}}};
  QStringList items;
  QString current;
  bool isList = false;
  bool inQuotes = false;
  bool currentQuoted = false;
  QStringDecoder fromUtf8(QStringDecoder::Utf8);
  qsizetype i = 0;
  const qsizetype size = text.size();
  auto skipSpaces = [&] {
    while (i < size && (text[i] == ' ' || text[i] == '\t'))
      ++i;
  };
  // Reads a numeric escape's digits; the value wraps at 16 bits as the
  // reader's does.
  auto numericEscape = [&](char16_t value, int shift, int (*digit)(char)) {
    while (i < size) {
      const int d = digit(text[i]);
      if (d < 0)
        break;
      value = char16_t((value << shift) + d);
      ++i;
    }
    current += QChar(value);
  };

  skipSpaces();
  qsizetype chopLimit = 0;
  bool endedEarly = false; // a lone escape at the end keeps trailing spaces
  while (i < size) {
    const char c = text[i];
    if (c == '\\') {
      ++i;
      if (i >= size) {
        endedEarly = true;
        break;
      }
      const char e = text[i++];
      bool simple = false;
      for (const auto& [code, value] : simpleEscapes) {
        if (e == code) {
          current += QLatin1Char(value);
          simple = true;
          break;
        }
      }
      if (simple) {
        chopLimit = current.size();
        continue;
      }
      if (e == 'x') {
        if (i >= size) {
          endedEarly = true;
          break;
        }
        if (hexDigitValue(text[i]) >= 0)
          numericEscape(0, 4, hexDigitValue);
      } else if (octValue(e) >= 0) {
        numericEscape(char16_t(octValue(e)), 3, octValue);
      } else if (e == '\n' || e == '\r') {
        if (i < size && (text[i] == '\n' || text[i] == '\r') && text[i] != e)
          ++i;
      }
      chopLimit = current.size();
    } else if (c == '"') {
      ++i;
      currentQuoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) {
        skipSpaces();
        chopLimit = current.size();
      }
    } else if (c == ',' && !inQuotes) {
      if (!currentQuoted)
        chopTrailingSpaces(current, chopLimit);
      isList = true;
      items.append(current);
      current.clear();
      currentQuoted = false;
      ++i;
      skipSpaces();
      chopLimit = 0;
    } else {
      qsizetype j = i + 1;
      while (j < size && text[j] != '\\' && text[j] != '"' && text[j] != ',')
        ++j;
      current += fromUtf8(text.sliced(i, j - i));
      i = j;
    }
  }
  if (!endedEarly && !currentQuoted)
    chopTrailingSpaces(current, chopLimit);
  if (isList)
    items.append(current);
  else
    items = QStringList{current};
  return items;
}

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
  while (const std::optional<Line> line = nextLine(data, pos)) {
    // Section headers and lines without a key are not decoded.
    if (data[line->start] == '[' || line->equals < 0)
      continue;
    const qsizetype valueStart = line->equals + 1;
    const QByteArrayView value = data.sliced(valueStart, line->start + line->length - valueStart);
    const QStringList items = unescapedItems(value);
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
  const QFileInfo info(path);
  // A link is read, and written, through.
  const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
  RegularFileReadOptions options;
  options.maximumSize = SettingsFile::kLargestFile;
  const std::optional<QByteArray> data = FileOperations::readRegularFile(target, nullptr, options);
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
  const QString damagedPath = path + QStringLiteral(".damaged");
  QString why;
  if (!SettingsFile::replace(damagedPath, *data, &why)) {
    // Left as it is: the damaged values are not read, and stay for later.
    platformLog(QStringLiteral("settings: %1 could not be kept aside (%2) and is left as it is")
                    .arg(path, why));
    return keys;
  }
  platformLog(QStringLiteral("settings: the file as it was is kept as %1").arg(damagedPath));
  if (!SettingsFile::replace(target, withoutEntries(*data, entries), &why))
    platformLog(QStringLiteral("settings: %1 could not be written without the damaged values: %2")
                    .arg(path, why));
  return keys;
}

} // namespace kr
