#pragma once

#include "platform/files/FileStamp.h"
#include "platform/richtext/CharFormat.h"

#include <QByteArray>
#include <QString>

#include <cstring>
#include <type_traits>

namespace kr::day_cache {

// The day cache's values as bytes, in the machine's order (the cache says
// which), and back.
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
    // Not utf16(), which makes a null text an empty one in place: the texts
    // written are the records', which other threads read meanwhile.
    out_.append(reinterpret_cast<const char*>(text.constData()), text.size() * 2);
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

inline void putFormat(Writer& out, const CharFormat& format) {
  out.putText(format.fontFamily);
  out.put(format.fontSize);
  out.put(quint8(format.bold | format.italic << 1 | format.underline << 2 |
                 format.strikeThrough << 3 | format.foreground.has_value() << 4 |
                 format.background.has_value() << 5 | format.capitals << 6 |
                 format.doubleStrike << 7));
  for (const std::optional<RgbColor>& given : {format.foreground, format.background}) {
    const RgbColor color = given.value_or(RgbColor());
    out.put(color.red);
    out.put(color.green);
    out.put(color.blue);
  }
  out.put(qint32(format.letterSpacing));
  out.putText(format.link);
  out.putText(format.attachment);
}

inline CharFormat getFormat(Reader& in) {
  CharFormat format;
  format.fontFamily = in.text();
  format.fontSize = in.get<double>();
  const auto flags = in.get<quint8>();
  format.bold = flags & 1;
  format.italic = flags & 2;
  format.underline = flags & 4;
  format.strikeThrough = flags & 8;
  format.capitals = flags & 64;
  format.doubleStrike = flags & 128;
  for (const auto& [given, flag] : {std::pair(&format.foreground, 16), {&format.background, 32}}) {
    RgbColor color;
    color.red = in.get<quint8>();
    color.green = in.get<quint8>();
    color.blue = in.get<quint8>();
    if (flags & flag)
      *given = color;
  }
  format.letterSpacing = in.get<qint32>();
  format.link = in.text();
  format.attachment = in.text();
  return format;
}

} // namespace kr::day_cache
