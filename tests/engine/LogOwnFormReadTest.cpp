// Log texts in the form this program writes are read by a reader of that
// form alone; whatever it reads must give the records the general reader
// gives, and whatever it cannot read must go to the general reader.
#include "engine/FullDataSet.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfInPlaceAppend.h"
#include "platform/richtext/RtfOwnFormReader.h"
#include "platform/richtext/RtfWriter.h"

#include "support/LogFormats.h"

#include <gtest/gtest.h>

#include <random>

using namespace kr;
using kr::test::charFormat;

namespace {

// A day as the logger writes it: keyword lines in one font, values in
// another, objectives in many formats.
RichText writtenDay(int variant) {
  const CharFormat keyword = charFormat(QStringLiteral("Helvetica"), 14, true);
  const CharFormat value = charFormat(QStringLiteral("Helvetica"), 12);
  const QStringList ratings = {QStringLiteral("highly focused"), QStringLiteral("focused"),
                               QStringLiteral("distracted"), QString()};
  RichText day;
  const auto line = [&](const QString& text, const CharFormat& f) {
    day.append(text, f);
    day.append(u"\n", f);
  };
  for (int i = 0; i < 6; ++i) {
    line(QStringLiteral("#TimeSlice"), keyword);
    line(QStringLiteral("%1-1111-4222-8333-00000000000%2")
             .arg(QString::number(0x10000000 + variant * 97, 16).toUpper())
             .arg(i),
         value);
    line(QStringLiteral("#objective"), keyword);
    switch ((i + variant) % 6) {
    case 0: { // bold, italic, colour, a second font, a link
      day.append(u"Write the ", value);
      day.append(u"chapter", charFormat(QStringLiteral("Times; New"), 13.5, true, true));
      day.append(u" in ", value);
      day.append(u"red",
                 charFormat(QStringLiteral("Helvetica"), 12, false, false, RgbColor{200, 30, 30}));
      CharFormat linked = value;
      linked.link = QStringLiteral("korvaner2things://show?id=\"%1\"&x=\u00e9").arg(i);
      linked.underline = true;
      day.append(u" \\see {it}", linked);
      day.append(u"\n", value);
      break;
    }
    case 1: // unicode, emoji, right to left, tabs and line breaks
      day.append(QStringLiteral("Caf\u00e9 \U0001F600 \u05E9\u05DC\u05D5\u05DD\tend") +
                     QChar(RichText::kLineBreak) + QStringLiteral("more \u2013 text"),
                 charFormat(QStringLiteral("Gill \u00df Sans"), 18));
      day.append(u"\n", value);
      break;
    case 2: // empty
      break;
    case 3: { // several lines, one ending in a carriage return, strike-through
      CharFormat struck = value;
      struck.strikeThrough = true;
      day.append(u"first\r\nsecond", struck);
      day.append(u"\n\nthird", value);
      day.append(u"\n", value);
      break;
    }
    case 4: // a control character and a form feed in the text
      day.append(QStringLiteral("odd") + QChar(1) + QStringLiteral("x") + QChar(0x0C) +
                     QStringLiteral("y"),
                 value);
      day.append(u"\n", value);
      break;
    default: // plain, no format at all
      day.append(u"plain objective\n");
      break;
    }
    line(QStringLiteral("#duration"), keyword);
    line(QString::number(1500 - i), value);
    line(QStringLiteral("#actualDuration"), keyword);
    line(QString::number(i % 2 ? -1490 : 1490), value);
    line(QStringLiteral("#startDate"), keyword);
    line(QStringLiteral("2024-03-%1 10:0%2:00 +0100").arg(10 + variant).arg(i), value);
    line(QStringLiteral("#endDate"), keyword);
    line(QStringLiteral("2024-03-%1 10:2%2:00 +0100").arg(10 + variant).arg(i), value);
    line(QStringLiteral("#completed"), keyword);
    line(i % 2 ? QStringLiteral("NO") : QStringLiteral("YES"), value);
    line(QStringLiteral("#success"), keyword);
    line(QStringLiteral("YES"), value);
    line(QStringLiteral("#focusRating"), keyword);
    line(ratings[(i + variant) % ratings.size()], value);
    if (i != 3) {
      line(QStringLiteral("#tags"), keyword);
      line(i % 2 ? QStringLiteral("writing,client-%1").arg(i) : QString(), value);
    }
  }
  if (variant % 2)
    day.setTabInterval(28);
  return day;
}

QString describe(const CharFormat& f) {
  return QStringLiteral("%1/%2/%3%4%5%6/%7/%8/%9")
      .arg(f.fontFamily, QString::number(f.fontSize))
      .arg(f.bold)
      .arg(f.italic)
      .arg(f.underline)
      .arg(f.strikeThrough)
      .arg(f.foreground ? f.foreground->toHex() : QStringLiteral("-"), f.link, f.attachment);
}

// Everything a reader gives, in a form two reads can be compared by.
QStringList describe(const FullDataSet::FileContents& contents) {
  QStringList lines{contents.problem, QString::number(contents.endsCleanly)};
  for (const FullTimeSlicePtr& slice : contents.timeSlices) {
    lines.append(QStringList{
        slice->uuid(), slice->objective(), slice->startDate().toString(Qt::ISODateWithMs),
        slice->endDate().toString(Qt::ISODateWithMs), QString::number(slice->duration()),
        QString::number(slice->actualDurationAsLogged()), QString::number(slice->completed()),
        QString::number(slice->success()), slice->focusRating(), slice->tagString(),
        slice->extractedLinks().join(u' ')}
                     .join(u'|'));
    const std::optional<RichText> text = slice->objectiveRichText();
    if (!text) {
      lines.append(QStringLiteral("no rich text"));
      continue;
    }
    for (const RichText::Run& run : text->runs())
      lines.append(QStringLiteral("  %1+%2 ").arg(run.start).arg(run.length) +
                   describe(run.format));
  }
  return lines;
}

// Reads `rtf` both ways; whether the writer's form was taken.
bool readsAlike(const QByteArray& rtf, const char* what) {
  const QStringList general = describe(FullDataSet::createTimeSlicesFromRtf(rtf, true));
  const QStringList either = describe(FullDataSet::createTimeSlicesFromRtf(rtf));
  EXPECT_EQ(either, general) << what << ":\n" << rtf.constData();
  RtfOwnFormReader reader;
  return reader.read(rtf);
}

// `day` cut off at random points, and with three of `pieces` put in at
// random places, 200 times each: read both ways, never a different record.
template <std::size_t N>
void readsAlikeCutAndEdited(const QByteArray& day, const QByteArray (&pieces)[N],
                            std::mt19937& random) {
  for (int round = 0; round < 400; ++round) {
    QByteArray edited = day;
    if (round % 2 == 0) {
      edited.truncate(qsizetype(random() % quint32(day.size())));
    } else {
      for (int n = 0; n < 3; ++n)
        edited.insert(qsizetype(random() % quint32(edited.size())), pieces[random() % N]);
    }
    readsAlike(edited, "edited");
  }
}

} // namespace

// What the writer writes, alone and with entries appended in place, is read
// in its own form, and gives what the general reader gives.
TEST(LogOwnFormReadTest, WrittenDaysReadInTheirOwnFormAsTheGeneralReaderReadsThem) {
  for (int variant = 0; variant < 6; ++variant) {
    const RichText day = writtenDay(variant);
    const QByteArray written = RtfWriter::write(day);
    EXPECT_TRUE(readsAlike(written, "written")) << variant;
    const FullDataSet::FileContents contents = FullDataSet::createTimeSlicesFromRtf(written);
    EXPECT_EQ(contents.timeSlices.size(), 6u);
    EXPECT_TRUE(contents.endsCleanly);

    const std::optional<RtfInPlaceAppend::Plan> plan =
        RtfInPlaceAppend::plan(written, writtenDay(variant + 1));
    ASSERT_TRUE(plan) << variant;
    const QByteArray appended =
        RtfInPlaceAppend::applied(written, *plan, RtfInPlaceAppend::Step::Finished);
    EXPECT_TRUE(readsAlike(appended, "appended")) << variant;
    EXPECT_EQ(FullDataSet::createTimeSlicesFromRtf(appended).timeSlices.size(), 12u);
  }
  // No text at all.
  EXPECT_TRUE(readsAlike(RtfWriter::write(RichText()), "empty"));
}

// The same days as other editors or damage leave them: whatever the reader
// of the writer's form takes must read the same, and what it must not take
// (another header, words and groups the writer does not write, hex and
// unicode escapes it would not write, binary data) it leaves.
TEST(LogOwnFormReadTest, EditedAndDamagedDaysReadAsTheGeneralReaderReadsThem) {
  const QByteArray written = RtfWriter::write(writtenDay(0));
  const qsizetype bodyStart = written.indexOf("}\n", written.indexOf("{\\colortbl")) + 2;
  struct Edit {
    const char* what;
    QByteArray bytes;
    bool ownForm;
  };
  const auto replaced = [&](const char* from, const char* to) {
    return QByteArray(written).replace(from, to);
  };
  const auto inserted = [&](const char* text) {
    return QByteArray(written).insert(bodyStart, text);
  };
  // Put at the start of the first objective.
  const auto inObjective = [&](const char* text) {
    const qsizetype at = written.indexOf("#objective\\par\n}") + 16;
    return QByteArray(written).insert(at, text);
  };
  const QByteArray withParagraphs =
      replaced("\\par\n", "\\qc\\rtlpar\\li720\\fi-360\\sb20\\sl-300\\tqr\\tx99\\par\n");
  const std::vector<Edit> edits = {
      {"another header", replaced("\\uc1", "\\uc1\\cocoartf2639"), false},
      {"a default font", replaced("\\uc1", "\\uc1\\deff0"), false},
      {"CR LF line ends in the text",
       written.left(bodyStart) + written.mid(bodyStart).replace("\n", "\r\n"), true},
      {"CR LF line ends in the header", replaced("\n", "\r\n"), false},
      {"a space after \\u", replaced("\\u233\\'e9", "\\u233 \\'e9"), true},
      // Words the general reader ignores, and escapes it reads alike.
      {"another control word", replaced("\\b ", "\\b\\kerning1\\expnd0 "), true},
      {"a hex escape in the text", inserted("caf\\'e9\\par\n"), true},
      {"two fallback characters", inserted("{\\uc2\\u233??}\\par\n"), false},
      {"a zero-skip \\u", inserted("{\\uc0\\u233 x}\\par\n"), true},
      {"binary data", inserted("{\\bin3 }}}}\\par\n"), false},
      {"an ignorable destination", inserted("{\\*\\expandedcolortbl;;}"), false},
      {"a nested destination", inserted("{\\info{\\title x}}"), false},
      {"an attachment", inserted("{{\\NeXTGraphic a.png}\\'ac}\\par\n"), false},
      {"a lone surrogate", inserted("\\u-10179?\\par\n"), false},
      {"a pair written apart", inserted("\\u-10179?{\\u-8704?}\\par\n"), false},
      {"a field that is no link", inserted("{\\field{\\*\\fldinst{PAGE}}{\\fldrslt 3}}\\par\n"),
       true},
      // Links as other writers put them: more quotes, switches, spaces,
      // another case, no target, no closing quote.
      {"links written otherwise",
       inObjective("{\\field{\\*\\fldinst{HYPERLINK \"a\" \"b\"}}{\\fldrslt 1}}"
                   "{\\field{\\*\\fldinst{HYPERLINK \"c\" \\\\o \"tip\"}}{\\fldrslt 2}}"
                   "{\\field{\\*\\fldinst{ HYPERLINK \"d\" }}{\\fldrslt 3}}"
                   "{\\field{\\*\\fldinst{hyperlink \"e\"}}{\\fldrslt 4}}"
                   "{\\field{\\*\\fldinst{HYPERLINK \"\"}}{\\fldrslt 5}}"
                   "{\\field{\\*\\fldinst{HYPERLINK \"f}}{\\fldrslt 6}}"
                   "{\\field{\\*\\fldinst{HYPERLINK g}}{\\fldrslt 7}}\\par\n"),
       true},
      // Words after a line's text that begin like the end of a paragraph.
      {"paragraph words after text",
       inObjective("a\\pard b\\par1 c\\par-d\\par\r\ne\\par\n\nf\\par\n"), true},
      // Lines of one group one after the other, their paragraphs ended in
      // every way, the next line beginning otherwise than with plain text.
      {"lines that follow one another",
       inObjective("one\\par\ntwo\\par three\\par\n\tfour\\par\n\nfive\\par\r\nsix\\par\n"
                   "\\\\seven\\par\n{eight}\\par\nnine\\par\n{ten\\par\neleven\\par\n}"),
       true},
      {"a word with a parameter off", inserted("{\\b0\\i1\\ul0 x}\\par\n"), true},
      {"an unknown font and colour", inserted("{\\f99\\cf42 x}\\par\n"), true},
      // Groups that open with the same attribute words read alike only
      // while the document's own attributes stay, and only the same words.
      {"attributes of the document between like groups",
       inObjective("{\\b\\fs30 x}\\i {\\b\\fs30 x}\\i0\\cf1 {\\b\\fs30 x}\\cf0\\par\n"), true},
      {"like groups with more words or another number",
       inObjective("{\\b\\fs30 x}{\\b\\fs300 y}{\\b\\fs30\\i z}{\\b\\fs30\\par\n}{\\b\\fs30{\\i "
                   "w}}\\par\n"),
       true},
      {"text after the end", written + "#TimeSlice\\par\n", true},
      // Records keep no paragraph formats: a day that has them reads as one
      // without; characters of a format the own form knows no word for go
      // to the general reader.
      {"paragraph formats", withParagraphs, true},
      {"a background", inObjective("{\\cb1\\chcbpat1 x}\\par\n"), false},
      {"deleted text", inObjective("{\\deleted gone}\\par\n"), false},
  };
  for (const Edit& edit : edits)
    EXPECT_EQ(readsAlike(edit.bytes, edit.what), edit.ownForm) << edit.what;
  EXPECT_EQ(describe(FullDataSet::createTimeSlicesFromRtf(withParagraphs, true)),
            describe(FullDataSet::createTimeSlicesFromRtf(written, true)))
      << "the same records with paragraph formats";

  // Cut off at many points, and with pieces of other documents put in at
  // random places: never a different record.
  std::mt19937 random(20240310);
  const QByteArray pieces[] = {"{",      "}",         "\\",   "\\par ", "\\u-3?",
                               "\\'3b",  "\\b0 ",     "{\\*", "\\fs0 ", "\\f1 ",
                               "\\line", "\\u55357?", "\r\n", "\t",     "\\cf1 "};
  readsAlikeCutAndEdited(written, pieces, random);
}

namespace {

// A day as the other platform's editors save it: their header, attributes
// set in the document's own group, lines ended by escaped line ends, faces
// named in the font table.
QByteArray otherPlatformDay(const char* objective, const char* lineEnd = "\n") {
  QByteArray day =
      "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2709\n"
      "\\cocoatextscaling0\\cocoaplatform0{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;"
      "\\f1\\fswiss\\fcharset0 Helvetica-Bold;\\f2\\fnil\\fcharset204 Menlo-Italic;\n}\n"
      "{\\colortbl;\\red255\\green255\\blue255;\\red200\\green30\\blue30;}\n"
      "{\\*\\expandedcolortbl;;\\cssrgb\\c82000\\c18000\\c15000;}\n"
      "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww12000\\viewh15840\\viewkind0\n"
      "\\pard\\tx566\\tx1133\\pardirnatural\\partightenfactor0\n\n";
  for (int i = 0; i < 3; ++i) {
    const QByteArray n = QByteArray::number(i);
    day += "\\f1\\b\\fs28 \\cf0 #TimeSlice\\@\\f0\\b0\\fs24 0A0B0C0D-1111-4222-8333-00000000000" +
           n + "\\@#objective\\@" + objective + "\\@#duration\\@1500\\@#startDate\\@2020-03-0" +
           QByteArray::number(i + 1) + " 10:00:00 +0100\\@#endDate\\@2020-03-0" +
           QByteArray::number(i + 1) + " 10:25:00 +0100\\@#completed\\@YES\\@#focusRating\\@" +
           "highly focused\\@#tags\\@writing,client-" + n + "\\@";
  }
  day += "}\n";
  return day.replace("\\@", QByteArray("\\") + lineEnd);
}

} // namespace

// Days saved by the other platform's editors in their plain form are read
// without the general reader where nothing in them needs it, and give the
// same records; what needs more goes to the general reader.
TEST(LogOwnFormReadTest, DaysOfTheOtherPlatformReadAsTheGeneralReaderReadsThem) {
  struct Day {
    const char* what;
    QByteArray bytes;
    bool ownForm;
  };
  const std::vector<Day> days = {
      {"a link, bold and a colour in a line",
       otherPlatformDay("Work on the \\b chapter\\b0  draft of the \\cf2 quarterly\\cf0  report\\\n"
                        "see {\\field{\\*\\fldinst{HYPERLINK \"korvaner2things://show?id=7\"}}"
                        "{\\fldrslt the task}} and notes"),
       true},
      {"CR LF line ends", otherPlatformDay("one\\\r\ntwo", "\r\n"), true},
      // A face that is bold or italic by its name, in a code page of its own.
      {"faces and code pages",
       otherPlatformDay("\\f1 bold \\f2 \\'e0\\'e1 \\f0 caf\\'e9 \\'80\\'09x\\'01y"), true},
      {"unicode escapes",
       otherPlatformDay("\\uc0\\u8230 \\u55357 \\u56832  {\\uc1\\u8212 -}\\u8211 - \\emdash  "
                        "\\lquote x\\rquote "),
       true},
      {"underlines and strike-through as these editors write them",
       otherPlatformDay("\\ul \\ulc2 under\\ulnone  \\strike \\strikec0 gone\\strike0  "
                        "\\uldb twice\\ul0  \\i\\expnd0\\expndtw0\\kerning0 \\outl0\\strokewidth0 "
                        "\\strokec2 it\\i0 "),
       true},
      {"a default font", otherPlatformDay("x").replace("\\cocoartf2709", "\\cocoartf2709\\deff2"),
       true},
      {"a double-byte code page",
       otherPlatformDay("\\f2 \\'82\\'a0").replace("\\fcharset204", "\\fcharset128"), false},
      {"an attachment", otherPlatformDay("{{\\NeXTGraphic a.png \\width10 \\height10}\\'ac}"),
       false},
      {"a word that changes the group's defaults in the header",
       otherPlatformDay("x").replace("\\cocoaplatform0", "\\cocoaplatform0\\uc0"), false},
      {"a word the general reader takes otherwise", otherPlatformDay("a \\plain b"), false},
      {"two fallback characters", otherPlatformDay("{\\uc2\\u233 ??}"), false},
      // An ignorable word that only begins like a link's instruction.
      {"a longer word marked ignorable",
       otherPlatformDay("{\\field{\\*\\fldinstX{HYPERLINK \"a\"}}{\\fldrslt b}}"), false},
      {"a table group cut off", otherPlatformDay("x").left(120), false},
  };
  for (const Day& day : days) {
    EXPECT_EQ(readsAlike(day.bytes, day.what), day.ownForm) << day.what;
    EXPECT_EQ(FullDataSet::createTimeSlicesFromRtf(day.bytes).timeSlices.size(),
              day.bytes.size() > 200 ? 3u : 0u)
        << day.what;
  }
  // The face's name makes the first slice's keyword line bold, as the
  // general reader reads it.
  const FullDataSet::FileContents faces = FullDataSet::createTimeSlicesFromRtf(days[2].bytes);
  ASSERT_EQ(faces.timeSlices.size(), 3u);
  const std::optional<RichText> objective = faces.timeSlices[0]->objectiveRichText();
  ASSERT_TRUE(objective);
  EXPECT_EQ(objective->plainText(), QStringLiteral("bold \u0430\u0431 caf\u00e9 \u20ac\txy"));
  EXPECT_TRUE(objective->runs().front().format.bold);
  EXPECT_EQ(objective->runs().front().format.fontFamily, QStringLiteral("Helvetica"));

  // Cut off and with pieces put in at random places: never a different record.
  std::mt19937 random(20261209);
  const QByteArray day = days[0].bytes;
  const QByteArray pieces[] = {"{",       "}",        "\\",     "\\\n",     "\\'e9", "\\uc0 ",
                               "\\u233",  "\\ulnone", "\\b0 ",  "{\\*",     "\\f1 ", "\\'8",
                               "\\deff1", "\r\n",     "\\cf2 ", "\\fonttbl"};
  readsAlikeCutAndEdited(day, pieces, random);
}
