#pragma once

#include "engine/FullTimeSlice.h"
#include "engine/OwnAppend.h"
#include "engine/RawDataSet.h"
#include "platform/files/FileStamp.h"

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
  // A day's entries that could not go into its package (see
  // BackingStoreManager::append()) go to "... (hex) (written aside).rtfd"
  // beside it, or "(written aside 2)" and on: read as days too.
  static Format formatForName(const QString& fileName);
  // The `n`th such package of the day package at `dayPath`.
  static QString writtenAsidePath(const QString& dayPath, int n);
  static Format formatForName(QStringView fileName);

  // Parses the file unless it is unchanged since the last parse. Returns
  // whether it parsed.
  // `folderFd`, when given, is an open descriptor of the file's folder.
  bool read(const PlainTextStyle& style = {}, int folderFd = -1);

  // What tells a changed file: modification time, size and identity of what
  // is read (the text of a package).
  using Stamp = FileStamp;
  // The records of the file. A new parse makes new ones; an entry this
  // program appended only adds at the end. Data sets keep them alive and
  // point to the records themselves, never into these lists, and only the
  // reload thread touches the lists.
  struct Records {
    std::vector<FullTimeSlicePtr> timeSlices;
    // The distinct "#tags" values, in order of first appearance.
    QStringList tagStrings;
    // Whether entries added after the end read as records after these.
    bool endsCleanly = false;

    // Adds the records of a read (each filled already).
    void add(std::vector<FullTimeSlicePtr>&& slices);
  };

  // One read in its three steps, so that several files can be examined and
  // parsed side by side: beginRead() says whether the file must be parsed and
  // parse() does it; both only read this object and may run on any thread
  // while nothing changes it. finishRead() keeps what was found, on the
  // reload thread. A name of no known format is reported by read() only.
  struct PendingRead {
    std::optional<Stamp> stamp; // taken before the parse
    std::shared_ptr<Records> records;
    QString problem;        // why (part of) the file could not be read
    bool unsettled = false; // the file changed while it was read
    // The stamp is taken by parse(), of the file it opens, before reading.
    bool stampWhenOpened = false;
  };
  // With `stampWhenOpened`, a file never parsed is stamped by parse() as it
  // opens it, which spares looking the file up twice; the stamp is then
  // unknown until parse() ran.
  std::optional<PendingRead> beginRead(int folderFd = -1, bool stampWhenOpened = false) const;
  // The console lines of beginRead(), kept apart so that files examined side
  // by side are reported in the order of the folder.
  void traceBeginRead(bool reading) const;
  void parse(PendingRead& pending, const PlainTextStyle& style = {}, int folderFd = -1) const;
  void finishRead(PendingRead&& pending);

  const QString& fullPath() const { return fullPath_; }
  Format format() const { return format_; }
  std::shared_ptr<const Records> records() const { return records_; }
  const std::vector<FullTimeSlicePtr>& timeSlicesInFile() const { return records_->timeSlices; }
  std::vector<const RawTimeSlice*> rawTimeSlicesInFile() const;
  const QStringList& tagStringsInFile() const { return records_->tagStrings; }
  // The stamp of the file as its records were last read in full, without a
  // problem and without the file changing meanwhile; none otherwise (also
  // after records were taken from this program's own appends).
  std::optional<Stamp> settledStamp() const {
    return settled_ ? lastRead_ : std::optional<Stamp>();
  }
  // Whether the records of the last read can be kept in the day cache; set
  // by the cache of files that read it.
  bool keepable() const { return keepable_; }
  void setKeepable(bool keepable) { keepable_ = keepable; }

  // Takes the entries this program appended, in order, as the file's new
  // records without reading the file again: only when the file was last
  // read just as the first of them found it, each found it as the one before
  // left it, and the file is still exactly as the last left it. Returns the
  // "#tags" values of the records added; none when the file must be read.
  std::optional<QStringList> takeOwnAppends(const std::vector<const OwnAppend*>& appends,
                                            int folderFd = -1);

private:
  std::optional<Stamp> currentStamp(int folderFd) const;
  bool stillAsWritten(const WrittenFile& file, int folderFd) const;
  // The file's bytes, and in `stamp` its stamp as the read left it.
  // With `opened`, that is set to the stamp of the file as it was opened.
  std::optional<QByteArray> readBytes(int folderFd, QString* error, std::optional<Stamp>* stamp,
                                      std::optional<Stamp>* opened = nullptr) const;

  QString fullPath_;
  QByteArray statName_; // what is stat'ed, relative to the folder
  Format format_;
  bool parsed_ = false;
  std::optional<Stamp> lastRead_;
  bool settled_ = false;
  bool keepable_ = false;
  bool reportedUnknownName_ = false;
  std::shared_ptr<Records> records_;
};

} // namespace kr
