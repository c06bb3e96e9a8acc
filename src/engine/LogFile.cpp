#include "engine/LogFile.h"

#include "engine/EngineLog.h"
#include "engine/FullDataSet.h"
#include "engine/LogTextDecoder.h"
#include "platform/ConsoleText.h"
#include "platform/FileOperations.h"
#include "platform/QnLog.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

LogFile::LogFile(QString fullPath)
    : fullPath_(std::move(fullPath)), format_(formatForName(QFileInfo(fullPath_).fileName())),
      records_(std::make_shared<Records>()) {
  statName_ = QFile::encodeName(QFileInfo(fullPath_).fileName());
  if (format_ == Format::Rtfd)
    statName_ += "/TXT.rtf";
  qn_log(QStringLiteral("LogFile - init"));
  qn_log(QStringLiteral("LogFile - init [end]"));
}

LogFile::Format LogFile::formatForName(const QString& fileName) {
  static const QRegularExpression rtfdLogFileRegEx(
      QStringLiteral(R"(^System Log Day \d\d\d\d-\d\d-\d\d \([0123456789abcdef]*\)\.rtfd$)"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression plaintextFileRegEx(
      QStringLiteral(R"(^System Log \d\d\d\d-\d\d-\d\d \(.*-.*-.*-.*\)\.txt$)"),
      QRegularExpression::CaseInsensitiveOption);
  if (rtfdLogFileRegEx.match(fileName).hasMatch())
    return Format::Rtfd;
  if (plaintextFileRegEx.match(fileName).hasMatch())
    return Format::PlainText;
  return Format::Unknown;
}

std::optional<LogFile::Stamp> LogFile::currentStamp(int folderFd) const {
  struct stat info {};
  const int result =
      folderFd >= 0
          ? ::fstatat(folderFd, statName_.constData(), &info, 0)
          : ::stat(QFile::encodeName(QFileInfo(fullPath_).path()).append('/').append(statName_),
                   &info);
  if (result != 0)
    return std::nullopt;
  return Stamp{qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec), qint64(info.st_size),
               quint64(info.st_ino)};
}

std::optional<QByteArray> LogFile::readBytes(int folderFd, QString* error) const {
  // A pipe or device named like a log must not block the reload: only a
  // regular file is read, and a package's text is never taken through a link.
  FileOperations::ReadOptions options;
  options.relativeTo = folderFd;
  options.followLink = format_ != Format::Rtfd;
  const QByteArray path =
      folderFd >= 0 ? statName_
                    : QFile::encodeName(QFileInfo(fullPath_).path()).append('/').append(statName_);
  QString reason;
  std::optional<QByteArray> bytes = FileOperations::readRegularFile(path, &reason, options);
  if (!bytes)
    *error = folderFd >= 0 ? reason : reason.mid(QFileInfo(fullPath_).path().size() + 1);
  return bytes;
}

bool LogFile::read(const PlainTextStyle& style, int folderFd) {
  if (format_ == Format::Unknown) {
    if (!reportedUnknownName_)
      qCInfo(lcEngine).noquote() << "not a log file name, skipped:" << consoleSafe(fullPath_);
    reportedUnknownName_ = true;
    return false;
  }
  std::optional<PendingRead> pending = beginRead(folderFd);
  if (!pending)
    return false;
  parse(*pending, style, folderFd);
  finishRead(std::move(*pending));
  return true;
}

std::optional<LogFile::PendingRead> LogFile::beginRead(int folderFd) const {
  qn_log(QStringLiteral("LogFile - read"));
  if (format_ == Format::Unknown)
    return std::nullopt;
  // Taken before the parse: a change made while parsing shows at the next read.
  PendingRead pending;
  pending.stamp = currentStamp(folderFd);
  // A file that could not be examined before and still cannot is not read again.
  if (parsed_ && pending.stamp == lastRead_) {
    qn_log(QStringLiteral("LogFile - skip"));
    return std::nullopt;
  }
  qn_log(format_ == Format::Rtfd ? QStringLiteral("LogFile - load as rtfd")
                                 : QStringLiteral("LogFile - load as text"));
  return pending;
}

void LogFile::parse(PendingRead& pending, const PlainTextStyle& style, int folderFd) const {
  FullDataSet::FileContents contents;
  QString error;
  const std::optional<QByteArray> bytes = readBytes(folderFd, &error);
  if (!bytes) {
    contents.problem = pending.stamp ? QStringLiteral("cannot be read: ") + error
                                     : QStringLiteral("has gone: ") + error;
  } else if (format_ == Format::Rtfd) {
    contents = FullDataSet::createTimeSlicesFromRtf(*bytes);
  } else {
    contents = FullDataSet::createTimeSlicesFromText(LogTextDecoder::decode(*bytes), style);
  }
  auto records = std::make_shared<Records>();
  records->timeSlices = std::move(contents.timeSlices);
  records->rawTimeSlices.reserve(records->timeSlices.size());
  records->startMSecs.reserve(records->timeSlices.size());
  records->uuidHashes.reserve(records->timeSlices.size());
  for (const FullTimeSlicePtr& slice : records->timeSlices) {
    records->rawTimeSlices.push_back(slice->toRawTimeSlice());
    records->startMSecs.push_back(slice->startMSecsSinceEpoch());
    records->uuidHashes.push_back(qHash(slice->uuid()));
    if (!slice->tagString().isEmpty())
      records->tagStrings.append(slice->tagString());
  }
  pending.records = std::move(records);
  pending.problem = std::move(contents.problem);
}

void LogFile::finishRead(PendingRead&& pending) {
  // Reported here, on the reload thread, in the order of the folder.
  if (!pending.problem.isEmpty())
    qCWarning(lcEngine).noquote() << "log file" << consoleSafe(fullPath_)
                                  << consoleSafe(pending.problem);
  records_ = pending.records ? std::move(pending.records) : std::make_shared<const Records>();
  qn_log(QStringLiteral("LogFile - setting last read"));
  lastRead_ = pending.stamp;
  parsed_ = true;
  qn_log(QStringLiteral("LogFile - read end"));
}

} // namespace kr
