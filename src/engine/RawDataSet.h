#pragma once

#include "engine/RawTimeSlice.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kr {

class LogFile;
class LogFileCache;

// The look given to the objectives of old plain-text logs.
struct PlainTextStyle {
  QString fontFamily = QStringLiteral("Helvetica");
  double pointSize = 12.0;
  QString textColor = QStringLiteral("#000000"); // "#rrggbb"
};

// Every time slice of the log folder as raw records, in the order of the
// folder listing (by name) and, within a file, of the entries. Built on the
// reload thread, read only after it was handed over.
class RawDataSet {
public:
  RawDataSet() = default;
  virtual ~RawDataSet() = default;
  RawDataSet(const RawDataSet&) = delete;
  RawDataSet& operator=(const RawDataSet&) = delete;

  // Reads every log file of the folder through the cache, which parses only
  // the files changed since their last read.
  void loadFromDisk(const QString& folder, LogFileCache& files, const PlainTextStyle& style = {});
  // Takes the records of files read already (a reload reads the folder once
  // for both data sets).
  void loadFromFiles(const std::vector<std::shared_ptr<const LogFile>>& files,
                     const QStringList& tagStringsParsed);
  // The console line "data set: N time slices loaded in M ms".
  static void logLoaded(std::size_t timeSlices, qint64 milliseconds);

  // The records stay valid while the data set lives. Read on one thread.
  const std::vector<const RawTimeSlice*>& timeSlices() const;
  // The "#tags" values of the files this load parsed (not of cached ones).
  const QStringList& tagStringsParsed() const { return tagStringsParsed_; }

protected:
  // Before the files are appended: they hold `records` records.
  virtual void beginLoading(std::size_t records) { timeSlices_.reserve(records); }
  virtual void appendFile(const LogFile& file);
  virtual void finishLoading() {}
  // Fills timeSlices_ when first asked for, in a data set that keeps its
  // records in a list of its own (and so clears rawViewMade_).
  virtual void makeRawView() const {}

  mutable std::vector<const RawTimeSlice*> timeSlices_;
  mutable bool rawViewMade_ = true;
  // What the record pointers point into.
  std::vector<std::shared_ptr<const void>> keepAlive_;

private:
  QStringList tagStringsParsed_;
};

} // namespace kr
