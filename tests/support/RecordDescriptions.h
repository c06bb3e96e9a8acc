#pragma once

#include "engine/FullTimeSlice.h"
#include "engine/LogFile.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace kr::test {

inline QString describeDate(const QDateTime& date) {
  return date.toString(Qt::ISODateWithMs) + u'|' + QString::number(int(date.timeSpec())) + u'|' +
         QString::fromUtf8(date.timeZone().id()) + u'|' + QString::number(date.offsetFromUtc()) +
         u'|' + QString::number(date.isNull());
}

// Every field a reader fills, the objective's rich text and links included.
inline QString describeRecord(const FullTimeSlice& slice) {
  QStringList fields{slice.uuid(),
                     slice.objective(),
                     describeDate(slice.startDate()),
                     describeDate(slice.endDate()),
                     slice.dayString().value_or(QStringLiteral("<none>")),
                     QString::number(slice.duration(), 'g', 17),
                     QString::number(slice.actualDuration(), 'g', 17),
                     QString::number(slice.actualDurationAsLogged(), 'g', 17),
                     QString::number(slice.completed()),
                     QString::number(slice.success()),
                     slice.focusRating(),
                     slice.tagString(),
                     QString::number(slice.asRawTimeSlice().actualDuration(), 'g', 17),
                     QString::number(slice.asRawTimeSlice().success()),
                     slice.extractedLinks().join(u'\n'),
                     QString::fromLatin1(slice.objectiveAsRTFD().toBase64())};
  if (const std::optional<RichText> text = slice.objectiveRichText()) {
    fields.append(text->plainText());
    for (const RichText::Run& run : text->runs()) {
      const CharFormat& f = run.format;
      fields.append(QStringLiteral("%1+%2 %3 %4 %5%6%7%8 %9 %10 %11")
                        .arg(run.start)
                        .arg(run.length)
                        .arg(f.fontFamily)
                        .arg(f.fontSize)
                        .arg(f.bold)
                        .arg(f.italic)
                        .arg(f.underline)
                        .arg(f.strikeThrough)
                        .arg(f.foreground ? f.foreground->toHex() : QStringLiteral("-"))
                        .arg(f.link, f.attachment));
    }
  } else {
    fields.append(QStringLiteral("<no rich text>"));
  }
  return fields.join(u'\t');
}

// Each file's name, whether it ends cleanly, its tags and its records.
inline QStringList describeFiles(const std::vector<std::shared_ptr<const LogFile>>& files) {
  QStringList lines;
  for (const auto& file : files) {
    lines.append(file->fullPath().section(u'/', -1) + u' ' +
                 QString::number(file->records()->endsCleanly) + u' ' +
                 file->tagStringsInFile().join(u';'));
    for (const FullTimeSlicePtr& slice : file->timeSlicesInFile())
      lines.append(describeRecord(*slice));
  }
  return lines;
}

} // namespace kr::test
