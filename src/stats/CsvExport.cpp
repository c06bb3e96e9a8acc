#include "stats/CsvExport.h"

#include "engine/FullDataSet.h"
#include "engine/LogFileManager.h"
#include "engine/Logger.h"
#include "platform/DetachedJob.h"
#include "platform/LocalTimeZone.h"
#include "platform/QnLog.h"
#include "platform/services/ErrorPresentation.h"
#include "stats/StatisticsManager.h"

#include <QFileInfo>
#include <QSaveFile>

#include <utility>

#include <cmath>
#include <limits>

namespace kr {

namespace csvexport {

namespace {

QString quoted(QString text) {
  text.replace(u'"', QStringLiteral("\"\""));
  return u'"' + text + u'"';
}

QString boolText(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

// A date as the log writes it, in the local zone: from its instant where it
// has one the form can hold, else through the date itself.
template <typename Date>
QString dateText(std::optional<qint64> instant, LocalClockTimes& clock, Date date) {
  if (instant) {
    if (const std::optional<int> offset = clock.offsetAt(*instant)) {
      if (std::optional<QString> text = LocalInstant{*instant, *offset}.localText())
        return *std::move(text);
    }
  }
  return Logger::formatDateForSystemLog(date());
}

} // namespace

QString header() {
  return QStringLiteral("uuid,start,end,actualDuration,success,completed,tags,objective");
}

int wholeSeconds(double seconds) {
  if (std::isnan(seconds))
    return 0;
  if (seconds >= double(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (seconds <= double(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return int(seconds); // towards zero
}

QString quotedWhereNeeded(const QString& text) {
  // A carriage return is a line end to the programs that read the export,
  // so it is quoted as a line feed is.
  const bool needsQuotes =
      text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r');
  return needsQuotes ? quoted(text) : text;
}

QString objectiveField(const QString& objective) { return quotedWhereNeeded(objective.trimmed()); }

QString record(const FullTimeSlice& slice) {
  LocalClockTimes clock;
  return record(slice, clock);
}

QString record(const FullTimeSlice& slice, LocalClockTimes& clock) {
  // The tags are always quoted, and a quote inside them doubled, so that a
  // quote in a tag cannot end the field early. An identifier is quoted only
  // when a damaged log gave it a comma, a quote or a line end.
  return quotedWhereNeeded(slice.uuid()) + u',' +
         quoted(dateText(slice.startInstant(), clock, [&] { return slice.startDate(); })) + u',' +
         quoted(dateText(slice.endInstant(), clock, [&] { return slice.endDate(); })) + u',' +
         QString::number(wholeSeconds(slice.actualDuration())) + u',' + boolText(slice.success()) +
         u',' + boolText(slice.completed()) + u',' + quoted(slice.tagString()) + u',' +
         objectiveField(slice.objective()) + u'\n';
}

QString text(const std::vector<const FullTimeSlice*>& slices, const std::atomic<bool>* cancelled) {
  QString csv = header() + u'\n';
  csv.reserve(csv.size() + qsizetype(slices.size()) * 160);
  LocalClockTimes clock;
  std::size_t count = 0;
  for (const FullTimeSlice* slice : slices) {
    if (cancelled && ++count % 1024 == 0 && cancelled->load())
      break;
    csv += record(*slice, clock);
  }
  return csv;
}

bool writeFile(const QString& path, const QString& text, QString* error,
               const std::atomic<bool>* cancelled) {
  if (QFileInfo(path).isDir()) {
    *error = QStringLiteral("it is a folder");
    return false;
  }
  QSaveFile file(path);
  const QByteArray bytes = text.toUtf8();
  // The flush is checked on its own: commit() replaces the old file even
  // when the last buffered bytes could not be written.
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
    *error = file.errorString().isEmpty() ? QStringLiteral("unknown error") : file.errorString();
    return false;
  }
  if (cancelled && cancelled->load()) {
    file.cancelWriting();
    *error = QStringLiteral("the export was cancelled");
    return false;
  }
  if (!file.commit()) {
    *error = file.errorString().isEmpty() ? QStringLiteral("unknown error") : file.errorString();
    return false;
  }
  return true;
}

} // namespace csvexport

namespace {

const std::vector<const FullTimeSlice*>& slicesOf(const std::shared_ptr<const FullDataSet>& data) {
  static const std::vector<const FullTimeSlice*> none;
  return data ? data->timeSlices() : none;
}

void tellExportFailed(const QString& path, const QString& error) {
  qn_log(QStringLiteral("Error exporting to %1: %2").arg(path, error));
  ErrorPresentation::present({{QStringLiteral("The log could not be exported."),
                               QStringLiteral("\"%1\" could not be written: %2.").arg(path, error),
                               {QStringLiteral("OK")}},
                              {}});
}

} // namespace

bool StatisticsManager::exportCSVTo(const QString& path) {
  qn_log(QStringLiteral("exportCSVTo [start]"));
  const QString csv = csvexport::text(slicesOf(logFiles_->currentFullDataSet()));
  QString error;
  const bool written = csvexport::writeFile(path, csv, &error);
  if (!written)
    tellExportFailed(path, error);
  qn_log(QStringLiteral("exportCSVTo [end]"));
  return written;
}

bool StatisticsManager::exportCSVInBackground(const QString& path) {
  if (csvExport_)
    return false;
  qn_log(QStringLiteral("exportCSVTo [start]"));
  // The data set is never changed once made: held here, its records stay
  // valid while the thread reads them. The program's quit never waits for it.
  csvExport_ = DetachedJob::start(
      this, "csvExport", [this, data = logFiles_->currentFullDataSet(), path](DetachedJob& job) {
        const std::atomic<bool>* cancelled = job.releasedFlag();
        const QString csv = csvexport::text(slicesOf(data), cancelled);
        QString error;
        const bool written = job.wanted() && csvexport::writeFile(path, csv, &error, cancelled);
        job.handBack([this, written, path, error] { csvExportEnded(written, path, error); });
      });
  return true;
}

void StatisticsManager::dropCsvExport() {
  if (csvExport_)
    std::exchange(csvExport_, nullptr)->release();
}

void StatisticsManager::csvExportEnded(bool written, const QString& path, const QString& error) {
  csvExport_.reset();
  if (!written)
    tellExportFailed(path, error);
  qn_log(QStringLiteral("exportCSVTo [end]"));
  Q_EMIT csvExportFinished(written);
}

} // namespace kr
