#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace kr {

// Reads the content lines of an iCalendar file from an open descriptor, a
// block at a time: folded lines are joined, line ends dropped. A line longer
// than the limit is skipped without being kept, so one huge line costs no
// more memory than a short one.
class CalendarLineReader {
public:
  enum class Outcome { Done, Stopped, ReadFailed, Binary, PastLimit };

  // fd: open for reading, not owned. byteLimit: reading stops with PastLimit
  // once more bytes than this were read.
  CalendarLineReader(int fd, qint64 byteLimit, int maximumLineLength);

  // Calls onLine for each content line until the end of the file or until
  // onLine or shouldStop (asked once per block) answers false.
  Outcome read(const std::function<bool(const QByteArray&)>& onLine,
               const std::function<bool()>& shouldStop);

  qint64 bytesRead() const { return bytesRead_; }
  int skippedLines() const { return skippedLines_; }
  // The system's reason when the read failed.
  QString error() const { return error_; }

private:
  bool takePhysicalLine(const QByteArray& line, bool tooLong,
                        const std::function<bool(const QByteArray&)>& onLine);
  bool flush(const std::function<bool(const QByteArray&)>& onLine);

  int fd_;
  qint64 byteLimit_;
  int maximumLineLength_;
  qint64 bytesRead_ = 0;
  int skippedLines_ = 0;
  QString error_;
  QByteArray physical_;
  bool physicalTooLong_ = false;
  QByteArray logical_;
  bool hasLogical_ = false;
  bool logicalTooLong_ = false;
};

} // namespace kr
