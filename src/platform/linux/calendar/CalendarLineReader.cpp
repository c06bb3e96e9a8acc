#include "platform/linux/calendar/CalendarLineReader.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace kr {

namespace {
constexpr qint64 kBlockSize = 1 << 20;
} // namespace

CalendarLineReader::CalendarLineReader(int fd, qint64 byteLimit, int maximumLineLength)
    : fd_(fd), byteLimit_(byteLimit), maximumLineLength_(maximumLineLength) {}

CalendarLineReader::Outcome
CalendarLineReader::read(const std::function<bool(const QByteArray&)>& onLine,
                         const std::function<bool()>& shouldStop) {
  QByteArray block(kBlockSize, Qt::Uninitialized);
  for (;;) {
    if (shouldStop())
      return Outcome::Stopped;
    const ssize_t count = ::read(fd_, block.data(), size_t(block.size()));
    if (count < 0) {
      if (errno == EINTR)
        continue;
      error_ = QString::fromLocal8Bit(std::strerror(errno));
      return Outcome::ReadFailed;
    }
    if (count == 0)
      break;
    bytesRead_ += count;
    if (bytesRead_ > byteLimit_)
      return Outcome::PastLimit;
    const char* data = block.constData();
    if (std::memchr(data, '\0', size_t(count)))
      return Outcome::Binary;
    const char* end = data + count;
    while (data < end) {
      const char* newline = static_cast<const char*>(std::memchr(data, '\n', size_t(end - data)));
      const char* stop = newline ? newline : end;
      if (!physicalTooLong_) {
        if (physical_.size() + (stop - data) > maximumLineLength_) {
          physicalTooLong_ = true;
          physical_.clear();
          physical_.squeeze();
        } else {
          physical_.append(data, stop - data);
        }
      }
      if (!newline)
        break;
      data = newline + 1;
      if (physical_.endsWith('\r'))
        physical_.chop(1);
      const bool tooLong = physicalTooLong_;
      physicalTooLong_ = false;
      if (!takePhysicalLine(physical_, tooLong, onLine))
        return Outcome::Done;
      physical_.clear();
    }
  }
  if (!physical_.isEmpty() || physicalTooLong_) {
    if (physical_.endsWith('\r'))
      physical_.chop(1);
    if (!takePhysicalLine(physical_, physicalTooLong_, onLine))
      return Outcome::Done;
  }
  flush(onLine);
  return Outcome::Done;
}

bool CalendarLineReader::takePhysicalLine(const QByteArray& line, bool tooLong,
                                          const std::function<bool(const QByteArray&)>& onLine) {
  // A line that begins with a space or a tab continues the one before.
  if (hasLogical_ && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
    if (tooLong || logical_.size() + line.size() - 1 > maximumLineLength_) {
      logicalTooLong_ = true;
      logical_.clear();
      logical_.squeeze();
    } else if (!logicalTooLong_) {
      logical_.append(line.constData() + 1, line.size() - 1);
    }
    return true;
  }
  if (!flush(onLine))
    return false;
  hasLogical_ = true;
  logicalTooLong_ = tooLong;
  logical_ = tooLong ? QByteArray() : line;
  return true;
}

bool CalendarLineReader::flush(const std::function<bool(const QByteArray&)>& onLine) {
  if (!hasLogical_)
    return true;
  hasLogical_ = false;
  if (logicalTooLong_) {
    ++skippedLines_;
    logicalTooLong_ = false;
    return true;
  }
  if (logical_.isEmpty())
    return true;
  const QByteArray line = std::move(logical_);
  logical_ = QByteArray();
  return onLine(line);
}

} // namespace kr
