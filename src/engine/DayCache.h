#pragma once

#include "engine/LogFile.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace kr {

// The parsed days of a log folder, kept in one file between runs so that a
// start takes the records of unchanged files without parsing them again.
// The file holds a format version, everything besides the files that a parse
// depends on, a checksum, and per log file its name in the folder, its stamp
// and its records in their packed form. A file that does not read back in
// full (damaged, cut short, made for other inputs or by something else) is
// not used at all; every count and length in it is checked before use.
class DayCache {
public:
  // What a parse of `folder` depends on besides its files: the folder, the
  // plain-text style, the system zone and locale, and this program's build.
  static QByteArray inputsOf(const QString& folder, const PlainTextStyle& style);

  // The cache in `bytes` (a file's whole content), made for `inputs`; none
  // when it is not one, with the reason in `why`.
  static std::optional<DayCache> fromBytes(QByteArray bytes, const QByteArray& inputs,
                                           QString* why = nullptr);
  // The same, read from `path` in one go (nothing there: no reason given).
  static std::optional<DayCache> read(const QString& path, const QByteArray& inputs,
                                      QString* why = nullptr);

  // The records kept for the log file `name` (relative to the folder) when
  // it still has `stamp`; none otherwise. Safe to call from several threads.
  std::shared_ptr<LogFile::Records> records(const QString& name, const FileStamp& stamp) const;
  // The files kept and their stamps.
  QHash<QString, FileStamp> stamps() const;

  // What tells one set of days kept from another: their names and stamps,
  // in name order.
  class Digest {
  public:
    void add(const QString& name, const FileStamp& stamp);
    bool operator==(const Digest&) const = default;

  private:
    quint64 value_ = 0x84222325cbf29ce4ULL;
  };
  const Digest& digest() const { return digest_; }

  // Whether records can be kept as they are (the few kept in forms the cache
  // does not hold, such as a rich text with attachments, are parsed each time).
  static bool canKeep(const LogFile::Records& records);

  struct Day {
    QString name; // relative to the folder
    FileStamp stamp;
    std::shared_ptr<const LogFile::Records> records;
  };
  // The cache of `days` (each canKeep()) as bytes; none when `abandon` was
  // set meanwhile or the bytes would pass kMaximumSize.
  static std::optional<QByteArray> toBytes(const QByteArray& inputs, const std::vector<Day>& days,
                                           const std::atomic<bool>& abandon);
  // Writes the cache to `path` through a file beside it that replaces it once
  // complete. Returns false, with the reason, when it could not; a write
  // abandoned leaves nothing behind.
  static bool write(const QString& path, const QByteArray& inputs, const std::vector<Day>& days,
                    const std::atomic<bool>& abandon, QString* why = nullptr);

  // The bytes with their checksum made again after a change, so that checks
  // of the reader against hostile files reach past the checksum.
  static QByteArray resealed(QByteArray bytes);

  static constexpr qint64 kMaximumSize = 256LL * 1024 * 1024;

  DayCache(DayCache&&) noexcept = default;
  DayCache& operator=(DayCache&&) noexcept = default;

private:
  DayCache() = default;
  struct Parts;
  static std::optional<Parts> encode(const QByteArray& inputs, const std::vector<Day>& days,
                                     const std::atomic<bool>& abandon);
  struct Section {
    FileStamp stamp;
    qsizetype offset = 0;
    qsizetype size = 0;
  };
  // The shared text of index `index`, made on first use.
  const QString* sharedText(quint32 index) const;

  QByteArray bytes_;
  std::shared_ptr<void> mapping_; // what bytes_ points into, when it does not own them
  Digest digest_;
  std::vector<std::shared_ptr<const ObjectiveFormats>> tables_;
  std::vector<qsizetype> textOffsets_;
  std::unique_ptr<std::atomic<const QString*>[]> texts_;
  std::vector<quint8> zoneCodes_; // this process's code of each zone kept
  QHash<QString, Section> sections_;
};

} // namespace kr
