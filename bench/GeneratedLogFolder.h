#pragma once

// Ten years of generated logs: 2,500 day packages holding 25,000 entries with
// rich objectives, links and tags, all rated "highly focused" and tagged
// "writing" and one of "client-0" to "client-6", as another editor saved
// them; the same days as this program writes them. Longer logs, of any number
// of days, for the benchmarks that need more entries.
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace kr::bench {

inline constexpr int kDays = 2500;
inline constexpr int kEntriesPerDay = 10;

inline QByteArray entry(const QDate& day, int index) {
  const QByteArray uuid =
      QString::asprintf("%08X-1111-4222-8333-%012d", unsigned(day.toJulianDay() % 100000000), index)
          .toLatin1();
  const QByteArray start = day.toString(QStringLiteral("yyyy-MM-dd")).toLatin1() +
                           QString::asprintf(" %02d:%02d:00", 8 + index, index * 3).toLatin1();
  const QByteArray end = day.toString(QStringLiteral("yyyy-MM-dd")).toLatin1() +
                         QString::asprintf(" %02d:%02d:00", 8 + index, index * 3 + 25).toLatin1();
  QByteArray text;
  text += "\\f1\\b\\fs28 \\cf0 #TimeSlice\\\n\\f0\\b0\\fs24 " + uuid + "\\\n";
  text += "#objective\\\nWork on the \\b chapter " + QByteArray::number(index) +
          "\\b0  draft of the \\cf2 quarterly\\cf0  report\\\nsee {\\field{\\*\\fldinst{HYPERLINK "
          "\"korvaner2things://show?id=" +
          uuid + "\"}}{\\fldrslt the task}} and notes\\\n";
  text += "#duration\\\n1500\\\n#actualDuration\\\n1490\\\n";
  text += "#startDate\\\n" + start + "\\\n#endDate\\\n" + end + "\\\n";
  text += "#completed\\\nYES\\\n#focusRating\\\nhighly focused\\\n";
  text += "#tags\\\nwriting,client-" + QByteArray::number(index % 7) + "\\\n";
  return text;
}

inline QByteArray dayText(const QDate& day) {
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n"
                   "{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f1\\fswiss\\fcharset0 "
                   "Helvetica-Bold;}\n"
                   "{\\colortbl;\\red255\\green255\\blue255;\\red200\\green30\\blue30;}\n"
                   "\\pard\\tx566\\pardirnatural\\partightenfactor0\n";
  for (int i = 0; i < kEntriesPerDay; ++i)
    rtf += entry(day, i);
  rtf += "}\n";
  return rtf;
}

// The day as this program's own writer writes it.
inline QByteArray ownFormDayText(const QDate& day) {
  return kr::RtfWriter::write(kr::RtfReader::read(dayText(day)).text);
}

inline QString packagePath(const QString& folder, const QDate& day) {
  return folder + QStringLiteral("/System Log Day %1 (a4836e8b9f2).rtfd")
                      .arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

// The generated folder, made once per run.
struct LogFolder {
  explicit LogFolder(int days = kDays, bool ownForm = false) {
    QDate day(2015, 1, 1);
    for (int i = 0; i < days; ++i, day = day.addDays(1)) {
      const QString package = packagePath(dir.path(), day);
      QDir().mkpath(package);
      QFile file(package + QStringLiteral("/TXT.rtf"));
      if (file.open(QIODevice::WriteOnly))
        bytes += file.write(ownForm ? ownFormDayText(day) : dayText(day));
    }
    lastDay = day.addDays(-1);
  }
  QTemporaryDir dir;
  QDate lastDay;
  qint64 bytes = 0;
};

inline LogFolder& folder() {
  static LogFolder instance;
  return instance;
}

// The same folder with the days as this program writes them.
inline LogFolder& ownFormFolder() {
  static LogFolder instance(kDays, true);
  return instance;
}

// A folder of `days` generated days (kEntriesPerDay entries each), made on
// first use and kept for the run.
inline LogFolder& folderOfDays(int days) {
  static std::map<int, std::unique_ptr<LogFolder>> folders;
  std::unique_ptr<LogFolder>& made = folders[days];
  if (!made)
    made = std::make_unique<LogFolder>(days);
  return *made;
}

} // namespace kr::bench
