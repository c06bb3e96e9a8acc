#pragma once

#include "engine/FullTimeSlice.h"
#include "engine/RawDataSet.h"

#include <QString>
#include <QStringList>

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

  const QString& fullPath() const { return fullPath_; }
  Format format() const { return format_; }
  const std::vector<FullTimeSlicePtr>& timeSlicesInFile() const { return timeSlicesInFile_; }
  // Raw records derived from the full ones when the file was parsed.
  const std::vector<RawTimeSlicePtr>& rawTimeSlicesInFile() const { return rawTimeSlicesInFile_; }
  // The "#tags" values of the last parse.
  const QStringList& tagStringsInFile() const { return tagStringsInFile_; }

private:
  // What tells a changed file: modification time, size and identity of what
  // is read (the text of a package).
  struct Stamp {
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;
    qint64 size = 0;
    quint64 inode = 0;
    bool operator==(const Stamp&) const = default;
  };
  std::optional<Stamp> currentStamp(int folderFd) const;
  std::optional<QByteArray> readBytes(int folderFd, QString* error) const;

  QString fullPath_;
  QByteArray statName_; // what is stat'ed, relative to the folder
  Format format_;
  bool parsed_ = false;
  std::optional<Stamp> lastRead_;
  bool reportedUnknownName_ = false;
  std::vector<FullTimeSlicePtr> timeSlicesInFile_;
  std::vector<RawTimeSlicePtr> rawTimeSlicesInFile_;
  QStringList tagStringsInFile_;
};

} // namespace kr
