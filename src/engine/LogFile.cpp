#include "engine/LogFile.h"

#include "engine/EngineLog.h"
#include "engine/FullDataSet.h"
#include "engine/LogLineSplitter.h"
#include "engine/LogTextDecoder.h"
#include "platform/ConsoleText.h"
#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"
#include "platform/richtext/RtfWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

// The name after the last slash, as QFileInfo::fileName() gives it.
QStringView fileNameOf(const QString& path) {
  return QStringView(path).mid(path.lastIndexOf(u'/') + 1);
}

bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Whether `text` from `at` starts with the lower-case ASCII `word`, ignoring
// the case of ASCII letters.
bool startsWithWord(QStringView text, qsizetype at, std::string_view word) {
  if (text.size() - at < qsizetype(word.size()))
    return false;
  for (const char c : word) {
    char16_t u = text[at++].unicode();
    if (u >= u'A' && u <= u'Z')
      u += 0x20;
    if (u != char16_t(c))
      return false;
  }
  return true;
}

// "dddd-dd-dd " at `at`.
bool dateAt(QStringView text, qsizetype at) {
  static constexpr std::string_view shape = "dddd-dd-dd ";
  if (text.size() - at < qsizetype(shape.size()))
    return false;
  for (const char c : shape) {
    const char16_t u = text[at++].unicode();
    if (c == 'd' ? !isAsciiDigit(u) : u != char16_t(c))
      return false;
  }
  return true;
}

// formatForName() of a name of printable ASCII, read by hand: the name of
// every log file of a folder is checked on each reload.
LogFile::Format asciiFormatForName(QStringView name) {
  using Format = LogFile::Format;
  if (!startsWithWord(name, 0, "system log "))
    return Format::Unknown;
  // A package of entries written beside the day reads as the day does.
  static const QRegularExpression aside(
      QStringLiteral(R"( \(written aside(?: [1-9]\d?)?\)(\.rtfd)$)"),
      QRegularExpression::CaseInsensitiveOption);
  if (const QRegularExpressionMatch match = name.contains(u"aside", Qt::CaseInsensitive)
                                                ? aside.match(name)
                                                : QRegularExpressionMatch();
      match.hasMatch()) {
    const QString day = name.left(match.capturedStart()).toString() + match.captured(1);
    return asciiFormatForName(day) == Format::Rtfd ? Format::Rtfd : Format::Unknown;
  }
  if (startsWithWord(name, 11, "day ") && dateAt(name, 15) && name.size() > 26 &&
      name[26] == u'(' && name.size() >= 27 + 6 &&
      startsWithWord(name, name.size() - 6, ").rtfd")) {
    // Hexadecimal digits, of either case, between the parentheses.
    const QStringView digits = name.mid(27, name.size() - 6 - 27);
    const bool hex = std::all_of(digits.begin(), digits.end(), [](QChar c) {
      const char16_t u = c.unicode() | 0x20;
      return isAsciiDigit(c.unicode()) || (u >= u'a' && u <= u'f');
    });
    if (hex)
      return Format::Rtfd;
  }
  // "(a-b-c-d).txt": at least three hyphens between the parentheses, the
  // opening one right after the date, the closing one anywhere after it.
  if (dateAt(name, 11) && name.size() > 22 && name[22] == u'(' && name.size() >= 23 + 5 &&
      startsWithWord(name, name.size() - 5, ").txt")) {
    const QStringView inside = name.mid(23, name.size() - 5 - 23);
    if (inside.count(u'-') >= 3)
      return Format::PlainText;
  }
  return Format::Unknown;
}

} // namespace

LogFile::LogFile(QString fullPath)
    : fullPath_(std::move(fullPath)), format_(Format::Unknown),
      records_(std::make_shared<Records>()) {
  const QStringView name = fileNameOf(fullPath_);
  format_ = formatForName(name);
  statName_ = name.toLocal8Bit(); // as QFile::encodeName() encodes it
  if (format_ == Format::Rtfd)
    statName_ += "/TXT.rtf";
  qn_log(QStringLiteral("LogFile - init"));
  qn_log(QStringLiteral("LogFile - init [end]"));
}

QString LogFile::writtenAsidePath(const QString& dayPath, int n) {
  QString base = dayPath;
  if (base.endsWith(QStringLiteral(".rtfd")))
    base.chop(5);
  return base + (n <= 1 ? QStringLiteral(" (written aside).rtfd")
                        : QStringLiteral(" (written aside %1).rtfd").arg(n));
}

LogFile::Format LogFile::formatForName(const QString& fileName) {
  return formatForName(QStringView(fileName));
}

LogFile::Format LogFile::formatForName(QStringView fileName) {
  const bool printableAscii = std::all_of(fileName.begin(), fileName.end(), [](QChar c) {
    return c.unicode() >= 0x20 && c.unicode() < 0x7F;
  });
  if (printableAscii)
    return asciiFormatForName(fileName);
  // Other characters follow the expressions' own reading of digits and case.
  static const QRegularExpression rtfdLogFileRegEx(
      QStringLiteral(R"(^System Log Day \d\d\d\d-\d\d-\d\d \([0123456789abcdef]*\)\.rtfd$)"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression plaintextFileRegEx(
      QStringLiteral(R"(^System Log \d\d\d\d-\d\d-\d\d \(.*-.*-.*-.*\)\.txt$)"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression rtfdAsideFileRegEx(
      QStringLiteral(R"(^System Log Day \d\d\d\d-\d\d-\d\d \([0123456789abcdef]*\) )"
                     R"(\(written aside(?: [1-9]\d?)?\)\.rtfd$)"),
      QRegularExpression::CaseInsensitiveOption);
  if (rtfdLogFileRegEx.match(fileName).hasMatch() || rtfdAsideFileRegEx.match(fileName).hasMatch())
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
  return FileStamp::of(info);
}

void LogFile::Records::add(std::vector<FullTimeSlicePtr>&& slices) {
  // A file mostly repeats a few tag lists, which records share: the last
  // one is compared first, and the others, while few, one by one.
  constexpr qsizetype kCompared = 16;
  QSet<QString> knownTags;
  const QString* last = nullptr;
  for (FullTimeSlicePtr& slice : slices) {
    slice->prepareRawTimeSlice();
    const QString& tags = slice->tagString();
    if (tags.isEmpty() || &tags == last)
      continue;
    last = &tags;
    if (tagStrings.size() < kCompared && knownTags.isEmpty()) {
      if (!tagStrings.contains(tags))
        tagStrings.append(tags);
      continue;
    }
    if (knownTags.isEmpty())
      knownTags = QSet<QString>(tagStrings.begin(), tagStrings.end());
    if (!knownTags.contains(tags)) {
      knownTags.insert(tags);
      tagStrings.append(tags);
    }
  }
  // Kept for as long as the file is: no room beyond the records.
  if (timeSlices.empty()) {
    timeSlices = std::move(slices);
  } else {
    timeSlices.reserve(timeSlices.size() + slices.size());
    std::move(slices.begin(), slices.end(), std::back_inserter(timeSlices));
  }
  timeSlices.shrink_to_fit();
}

std::vector<const RawTimeSlice*> LogFile::rawTimeSlicesInFile() const {
  std::vector<const RawTimeSlice*> raw;
  raw.reserve(records_->timeSlices.size());
  for (const FullTimeSlicePtr& slice : records_->timeSlices)
    raw.push_back(&slice->asRawTimeSlice());
  return raw;
}

bool LogFile::stillAsWritten(const WrittenFile& file, int folderFd) const {
  if (currentStamp(folderFd) != file.after)
    return false;
  // The same size and time could still hide a rewrite of the last bytes.
  const QByteArray path =
      folderFd >= 0 ? statName_
                    : QFile::encodeName(QFileInfo(fullPath_).path()).append('/').append(statName_);
  const int fd = ::openat(folderFd >= 0 ? folderFd : AT_FDCWD, path.constData(),
                          O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return false;
  QByteArray end(file.end.size(), '\0');
  const std::optional<FileStamp> opened = FileStamp::ofDescriptor(fd);
  const bool same =
      opened == file.after &&
      ::pread(fd, end.data(), size_t(end.size()), file.after.size - end.size()) == end.size() &&
      end == file.end;
  ::close(fd);
  return same;
}

std::optional<QStringList> LogFile::takeOwnAppends(const std::vector<const OwnAppend*>& appends,
                                                   int folderFd) {
  if (format_ != Format::Rtfd || !parsed_ || !lastRead_ || !records_->endsCleanly)
    return std::nullopt;
  // The appends this file's last read already holds are passed over.
  auto first = std::find_if(appends.begin(), appends.end(), [this](const OwnAppend* append) {
    return append->file.before == *lastRead_;
  });
  if (first == appends.end())
    return std::nullopt;
  for (auto it = first; it + 1 != appends.end(); ++it) {
    if ((*(it + 1))->file.before != (*it)->file.after)
      return std::nullopt;
  }
  const WrittenFile& last = appends.back()->file;
  if (!stillAsWritten(last, folderFd))
    return std::nullopt;
  // Each entry reads as a document of its own would: the text that was
  // added in place is read in a group of its own.
  std::vector<FullTimeSlicePtr> added;
  bool endsCleanly = true;
  for (auto it = first; it != appends.end(); ++it) {
    const RichText& entry = (*it)->entry;
    if (!entry.plainText().startsWith(QLatin1StringView("#TimeSlice")) || entry.length() <= 10 ||
        !LogLineSplitter::isLineTerminator(entry.plainText().at(10)))
      return std::nullopt;
    FullDataSet::FileContents contents =
        FullDataSet::createTimeSlicesFromRtf(RtfWriter::write(entry));
    if (!contents.problem.isEmpty())
      qCWarning(lcEngine).noquote()
          << "log file" << consoleSafe(fullPath_) << consoleSafe(contents.problem);
    endsCleanly = contents.endsCleanly;
    std::move(contents.timeSlices.begin(), contents.timeSlices.end(), std::back_inserter(added));
  }
  qn_log(QStringLiteral("LogFile - took the entries appended by this program"));
  const qsizetype knownTags = records_->tagStrings.size();
  records_->add(std::move(added));
  records_->endsCleanly = endsCleanly;
  lastRead_ = last.after;
  settled_ = false;
  return records_->tagStrings.mid(knownTags);
}

std::optional<QByteArray> LogFile::readBytes(int folderFd, QString* error,
                                             std::optional<Stamp>* stamp,
                                             std::optional<Stamp>* opened) const {
  // A pipe or device named like a log must not block the reload: only a
  // regular file is read, and a package's text is never taken through a link.
  FileOperations::ReadOptions options;
  options.relativeTo = folderFd;
  options.followLink = format_ != Format::Rtfd;
  options.stampAfterRead = stamp;
  options.stampBeforeRead = opened;
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
  traceBeginRead(pending.has_value());
  if (!pending)
    return false;
  parse(*pending, style, folderFd);
  finishRead(std::move(*pending));
  return true;
}

std::optional<LogFile::PendingRead> LogFile::beginRead(int folderFd, bool stampWhenOpened) const {
  if (format_ == Format::Unknown)
    return std::nullopt;
  // Taken before the parse: a change made while parsing shows at the next read.
  PendingRead pending;
  if (!parsed_ && stampWhenOpened) {
    pending.stampWhenOpened = true;
    return pending;
  }
  pending.stamp = currentStamp(folderFd);
  // A file that could not be examined before and still cannot is not read again.
  if (parsed_ && pending.stamp == lastRead_)
    return std::nullopt;
  return pending;
}

void LogFile::traceBeginRead(bool reading) const {
  qn_log(QStringLiteral("LogFile - read"));
  if (format_ == Format::Unknown)
    return;
  if (!reading)
    qn_log(QStringLiteral("LogFile - skip"));
  else
    qn_log(format_ == Format::Rtfd ? QStringLiteral("LogFile - load as rtfd")
                                   : QStringLiteral("LogFile - load as text"));
}

void LogFile::parse(PendingRead& pending, const PlainTextStyle& style, int folderFd) const {
  FullDataSet::FileContents contents;
  QString error;
  std::optional<Stamp> readStamp;
  std::optional<Stamp> openedStamp;
  std::optional<QByteArray> bytes =
      readBytes(folderFd, &error, &readStamp, pending.stampWhenOpened ? &openedStamp : nullptr);
  if (pending.stampWhenOpened) {
    // A file that could not be opened is stamped as it stands, as
    // beginRead() would have.
    pending.stamp = bytes ? openedStamp : currentStamp(folderFd);
    pending.stampWhenOpened = false;
  }
  if (!bytes) {
    contents.problem = pending.stamp ? QStringLiteral("cannot be read: ") + error
                                     : QStringLiteral("has gone: ") + error;
  } else if (format_ == Format::Rtfd) {
    contents = FullDataSet::createTimeSlicesFromRtf(std::move(*bytes));
  } else {
    contents = FullDataSet::createTimeSlicesFromText(LogTextDecoder::decode(*bytes), style);
  }
  auto records = std::make_shared<Records>();
  records->add(std::move(contents.timeSlices));
  records->endsCleanly = contents.endsCleanly;
  // A file that changed while it was read may hold more than its stamp says:
  // it counts as never read, and is read again, in full, next time. The
  // stamp is that of the file the bytes came from, as the read left it: a
  // file put in its place afterwards has a stamp of its own, which the next
  // read finds changed.
  if (bytes && readStamp != pending.stamp) {
    pending.stamp.reset();
    pending.unsettled = true;
  }
  pending.records = std::move(records);
  pending.problem = std::move(contents.problem);
}

void LogFile::finishRead(PendingRead&& pending) {
  // Reported here, on the reload thread, in the order of the folder.
  if (!pending.problem.isEmpty())
    qCWarning(lcEngine).noquote() << "log file" << consoleSafe(fullPath_)
                                  << consoleSafe(pending.problem);
  records_ = pending.records ? std::move(pending.records) : std::make_shared<Records>();
  qn_log(QStringLiteral("LogFile - setting last read"));
  lastRead_ = pending.stamp;
  parsed_ = !pending.unsettled;
  settled_ = parsed_ && pending.stamp && pending.problem.isEmpty();
  qn_log(QStringLiteral("LogFile - read end"));
}

} // namespace kr
