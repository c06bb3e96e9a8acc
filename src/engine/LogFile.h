#pragma once

#include "engine/FullTimeSlice.h"
#include "engine/RawDataSet.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace kr {

// One log file of the log folder and the records of its last read. Used only
// on the reload thread.
class LogFile {
public:
  enum class Format { Rtfd, PlainText, Unknown };

  explicit LogFile(QString fullPath);

  // Which reader a file name asks for: "System Log Day yyyy-MM-dd (hex).rtfd"
  // or "System Log yyyy-MM-dd (a-b-c-d).txt", ignoring case.
  static Format formatForName(const QString& fileName);

  // Parses the file unless it is unchanged since the last parse. Returns
  // whether it parsed.
  // `folderFd`, when given, is an open descriptor of the file's folder.
  bool read(const PlainTextStyle& style = {}, int folderFd = -1);

  // What tells a changed file: modification time, size and identity of what
  // is read (the text of a package).
  struct Stamp {
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;
    qint64 size = 0;
    quint64 inode = 0;
    bool operator==(const Stamp&) const = default;
  };
  // The records of one parse. Never changed: a new parse makes new ones, so
  // data sets may keep them alive and point into them.
  struct Records {
    std::vector<FullTimeSlicePtr> timeSlices;
    // Raw records derived from the full ones.
    std::vector<RawTimeSlicePtr> rawTimeSlices;
    // The "#tags" values.
    QStringList tagStrings;
    // Per record, what building a data set needs, kept compact: the start
    // and the hash of the identifier.
    std::vector<qint64> startMSecs;
    std::vector<std::size_t> uuidHashes;
  };

  // One read in its three steps, so that several files can be examined and
  // parsed side by side: beginRead() says whether the file must be parsed and
  // parse() does it; both only read this object and may run on any thread
  // while nothing changes it. finishRead() keeps what was found, on the
  // reload thread. A name of no known format is reported by read() only.
  struct PendingRead {
    std::optional<Stamp> stamp; // taken before the parse
    std::shared_ptr<const Records> records;
    QString problem; // why (part of) the file could not be read
  };
  std::optional<PendingRead> beginRead(int folderFd = -1) const;
  void parse(PendingRead& pending, const PlainTextStyle& style = {}, int folderFd = -1) const;
  void finishRead(PendingRead&& pending);

  const QString& fullPath() const { return fullPath_; }
  Format format() const { return format_; }
  const std::shared_ptr<const Records>& records() const { return records_; }
  const std::vector<FullTimeSlicePtr>& timeSlicesInFile() const { return records_->timeSlices; }
  const std::vector<RawTimeSlicePtr>& rawTimeSlicesInFile() const {
    return records_->rawTimeSlices;
  }
  const QStringList& tagStringsInFile() const { return records_->tagStrings; }

private:
  std::optional<Stamp> currentStamp(int folderFd) const;
  std::optional<QByteArray> readBytes(int folderFd, QString* error) const;

  QString fullPath_;
  QByteArray statName_; // what is stat'ed, relative to the folder
  Format format_;
  bool parsed_ = false;
  std::optional<Stamp> lastRead_;
  bool reportedUnknownName_ = false;
  std::shared_ptr<const Records> records_;
};

} // namespace kr
