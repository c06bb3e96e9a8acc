#pragma once

#include "engine/FullDataSet.h"
#include "engine/LogFileCache.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

#include <ctime>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace kr::test {

// Every date of the statistics tests is wall-clock time in Berlin, which
// changes to summer time on 2026-03-29 and back on 2026-10-25.
inline bool useBerlinTime() {
  static const bool done = [] {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    return true;
  }();
  return done;
}

inline QDateTime berlin(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  useBerlinTime();
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// One logged slice as a plain-text log entry.
struct LoggedSlice {
  QDateTime start;
  double actualSeconds = 600;
  QString rating = QStringLiteral("good");
  QString tags;
};

// A log folder of plain-text logs, one file per slice.
class LogFolderFixture {
public:
  LogFolderFixture() : folder_(dir_.path() + QStringLiteral("/System Logs")) {
    QDir().mkpath(folder_);
  }

  const QString& folder() const { return folder_; }

  bool add(const QDateTime& start, double actualSeconds, const QString& rating,
           const QString& tags = {}) {
    return add(LoggedSlice{start, actualSeconds, rating, tags});
  }
  bool add(const LoggedSlice& slice) {
    const QString name = QStringLiteral("/System Log %1 (1-2-3-%2).txt")
                             .arg(slice.start.toString(QStringLiteral("yyyy-MM-dd")))
                             .arg(++count_);
    QFile file(folder_ + name);
    const QByteArray text = "#TimeSlice\n" + QByteArray::number(count_) + "\n#startDate\n" +
                            slice.start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() +
                            "\n#actualDuration\n" +
                            QByteArray::number(slice.actualSeconds, 'g', 17) + "\n#focusRating\n" +
                            slice.rating.toUtf8() + "\n#tags\n" + slice.tags.toUtf8() + "\n";
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
  }

  std::shared_ptr<FullDataSet> dataSet() const {
    auto full = std::make_shared<FullDataSet>();
    LogFileCache cache;
    full->loadFromDisk(folder_, cache);
    return full;
  }

private:
  QTemporaryDir dir_;
  QString folder_;
  int count_ = 0;
};

} // namespace kr::test
