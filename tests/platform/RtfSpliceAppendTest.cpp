// An entry spliced into a day another word processor wrote: the day keeps
// every byte of its body (pictures, fields, groups no reader here knows),
// reads back with the entry after its old text, and a day whose end cannot
// be found for certain is declined.
#include "platform/richtext/RtfSpliceAppend.h"
#include "platform/richtext/RtfReader.h"

#include "support/LogFormats.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace kr;
using kr::test::charFormat;

namespace {

QByteArray sample(const QString& relative) {
  QFile file(QStringLiteral(KR_TEST_DATA_DIR "/") + relative);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray cocoaDay() { return sample(QStringLiteral("rtf/cocoa-log-entry.rtf")); }
QByteArray libreOfficePictureDay() {
  return sample(
      QStringLiteral("rtfd-logs-libreoffice/System Log Day 2020-03-07 (a4836e8b9f2).rtfd/TXT.rtf"));
}

// An entry in a font and a colour neither day's tables hold, and in one they do.
RichText entry() {
  RichText text;
  text.append(RichText(QStringLiteral("#TimeSlice\nU-NEW\n#objective\n"),
                       charFormat(QStringLiteral("Helvetica"), 12)));
  text.append(
      RichText(QStringLiteral("spliced work"),
               charFormat(QStringLiteral("Courier Prime"), 13, true, false, RgbColor{1, 2, 3})));
  text.append(
      RichText(QStringLiteral("\n#tags\nsplice\n"), charFormat(QStringLiteral("Helvetica"), 12)));
  return text;
}

// The body between the colour tables and the closing brace: what the splice
// must carry over byte for byte.
QByteArray bodyOf(const QByteArray& day) {
  const qsizetype expanded = day.indexOf("{\\*\\expandedcolortbl");
  const qsizetype colours = expanded >= 0 ? expanded : day.indexOf("{\\colortbl");
  const qsizetype start = day.indexOf('}', colours) + 1;
  return day.mid(start, day.lastIndexOf('}') - start);
}

TEST(RtfSpliceAppend, ADayFromElsewhereKeepsItsBytesAndReadsBackWithTheEntry) {
  // The Cocoa day's last line has no line end: the entry starts a line of
  // its own all the same. LibreOffice's ends in one, and gets no empty line.
  for (const auto& [day, lineEndAdded] :
       {std::pair{cocoaDay(), true}, std::pair{libreOfficePictureDay(), false}}) {
    ASSERT_FALSE(day.isEmpty());
    QString why;
    const std::optional<QByteArray> spliced = RtfSpliceAppend::spliced(day, entry(), &why);
    ASSERT_TRUE(spliced) << why.toStdString();
    EXPECT_TRUE(spliced->contains(bodyOf(day))) << "the body is carried over byte for byte";
    EXPECT_LT(spliced->size(), day.size() + 600) << "nothing but the entry and its tables grew";

    const RtfReader::Result before = RtfReader::read(day);
    const RtfReader::Result after = RtfReader::read(*spliced);
    EXPECT_TRUE(after.wellFormed);
    EXPECT_FALSE(after.textAfterEnd);
    EXPECT_EQ(after.unkept, before.unkept) << "what our writer cannot keep is still there";
    const int old = before.text.length() + (lineEndAdded ? 1 : 0);
    EXPECT_EQ(after.text.plainText().mid(old - 1, 1), QStringLiteral("\n"));
    EXPECT_EQ(after.text.mid(0, before.text.length()), before.text)
        << "the old text reads as it did";
    // The new fonts and colours came into the tables; nothing of the day's
    // last paragraph reaches the entry.
    const RichText added = after.text.mid(old);
    EXPECT_EQ(added.plainText(), entry().plainText());
    EXPECT_EQ(added.runs(), entry().runs());
    // The other platform's expanded colour table keeps one entry per colour.
    const auto entries = [&](const char* table) {
      const qsizetype start = spliced->indexOf(table);
      return start < 0 ? -1 : spliced->mid(start, spliced->indexOf('}', start) - start).count(';');
    };
    if (day.contains("expandedcolortbl")) {
      EXPECT_EQ(entries("{\\*\\expandedcolortbl"), entries("{\\colortbl"));
    }
  }
  // The picture LibreOffice kept of the objective is still in the day.
  const QByteArray day = libreOfficePictureDay();
  const qsizetype picture = day.indexOf("{\\*\\shppict");
  ASSERT_GE(picture, 0);
  const QByteArray pictureGroup = day.mid(picture, day.indexOf("}}", picture) + 2 - picture);
  EXPECT_TRUE(RtfSpliceAppend::spliced(day, entry())->contains(pictureGroup));
}

TEST(RtfSpliceAppend, BinaryDataAndEscapedBracesDoNotEndTheDayAtAnyBlockBoundary) {
  // Raw bytes after \bin may hold braces; so may escapes. Neither closes a
  // group, wherever the blocks of the copy happen to split them.
  QByteArray day =
      "{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;}{\\colortbl;\\red9\\green9\\blue9;}"
      "\n\\pard ";
  day += QByteArray(150, 'x');
  day += "\\par {\\*\\shppict{\\pict\\pngblip\\bin6 }}{{}\\}} a \\{ b\\par\n}\n\r\n";
  const std::optional<QByteArray> whole = RtfSpliceAppend::spliced(day, entry());
  ASSERT_TRUE(whole);
  EXPECT_TRUE(whole->contains("\\bin6 }}{{}\\}} a \\{ b\\par\n{\\pard\\plain"));
  for (qsizetype block = 128; block < 200; ++block)
    EXPECT_EQ(RtfSpliceAppend::spliced(day, entry(), nullptr, block), whole) << block;
  const RtfReader::Result read = RtfReader::read(*whole);
  EXPECT_TRUE(read.text.plainText().endsWith(entry().plainText()));
}

TEST(RtfSpliceAppend, ADayWhoseEndIsNotCertainIsDeclined) {
  const QByteArray day = cocoaDay();
  const QByteArray withoutEnd = day.left(day.lastIndexOf('}'));
  const struct {
    const char* what;
    QByteArray document;
  } cases[] = {
      {"groups that do not close", withoutEnd},
      {"text after the end", day + "#TimeSlice\\\n"},
      {"a closing brace too many", withoutEnd + "}}\n"},
      {"binary data cut off", withoutEnd + "{\\pict\\bin900 abc}}"},
      {"a negative binary length", withoutEnd + "{\\pict\\bin-5 abc}}"},
      {"no RTF", "#TimeSlice\nU\n"},
      {"no font table for the new fonts", "{\\rtf1\\ansi\\pard text\\par}"},
      {"an empty file", QByteArray()},
  };
  for (const auto& [what, document] : cases) {
    QString why;
    EXPECT_FALSE(RtfSpliceAppend::spliced(document, entry(), &why)) << what;
    EXPECT_FALSE(why.isEmpty()) << what;
  }
}

TEST(RtfSpliceAppend, ACancelledCopyStopsBeforeTheNextBlock) {
  const QByteArray day = libreOfficePictureDay();
  qsizetype written = 0;
  const RtfSpliceAppend::Result result = RtfSpliceAppend::splice(
      [&day](qint64 offset, char* buffer, qsizetype length) {
        std::memcpy(buffer, day.constData() + offset, size_t(length));
        return true;
      },
      day.size(), entry(),
      [&written](const char*, qsizetype length) {
        written += length;
        return true;
      },
      [] { return true; });
  EXPECT_EQ(result.outcome, RtfSpliceAppend::Outcome::Cancelled);
  EXPECT_LT(written, day.size());
}

} // namespace
