#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/RtfInPlaceAppend.h"
#include "platform/richtext/RtfReader.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using kr::CharFormat;
using kr::RgbColor;
using kr::RichText;
using kr::RtfReader;
using kr::RtfWriter;

namespace {

RichText roundTrip(const RichText& text) {
  const RtfReader::Result result = RtfReader::read(RtfWriter::write(text));
  EXPECT_TRUE(result.wellFormed);
  return result.text;
}

CharFormat font(const QString& family, double size) {
  CharFormat f;
  f.fontFamily = family;
  f.fontSize = size;
  return f;
}

} // namespace

TEST(RtfWriter, RoundTripsEveryAttribute) {
  RichText text;
  text.append(u"plain ");
  CharFormat f = font(QStringLiteral("Helvetica"), 12);
  text.append(u"helvetica ", f);
  f.bold = true;
  text.append(u"bold ", f);
  f.italic = true;
  text.append(u"bold italic ", f);
  f = font(QStringLiteral("Times New Roman"), 18.5);
  f.underline = true;
  text.append(u"underlined\n", f);
  f.underline = false;
  f.strikeThrough = true;
  text.append(u"struck", f);
  f.strikeThrough = false;
  f.foreground = RgbColor{255, 0, 0};
  text.append(u" red", f);
  f.foreground = RgbColor{0, 0, 0};
  text.append(u" black", f);
  f.foreground = RgbColor{255, 0, 0};
  text.append(u" red again", f);
  CharFormat everything = font(QStringLiteral("Menlo"), 9);
  everything.bold = everything.italic = everything.underline = everything.strikeThrough = true;
  everything.foreground = RgbColor{1, 2, 3};
  everything.link = QStringLiteral("https://example.org/");
  text.append(u"all of it", everything);
  text.append(u"\n");
  EXPECT_EQ(roundTrip(text), text);
}

// A text's tab interval is written once, as a dozen stops at the start, and
// read back from them; a text without one (every log entry) writes no
// paragraph codes at all. Of what others wrote, the first paragraph that
// sets stops counts, and only stops at even steps make an interval.
TEST(RtfWriter, TabStopsAreWrittenOnceAndReadBack) {
  RichText list(QStringLiteral("\t\u2022\tone\n\t\u2022\ttwo"));
  list.setTabInterval(28);
  const QByteArray rtf = RtfWriter::write(list);
  EXPECT_EQ(rtf.count("\\pard"), 1);
  EXPECT_TRUE(rtf.contains("\\pard\\tx560\\tx1120\\tx1680")) << rtf.constData();
  EXPECT_TRUE(rtf.contains("\\tx6720\n")) << rtf.constData();
  EXPECT_FALSE(rtf.contains("\\tx7280"));
  EXPECT_EQ(roundTrip(list), list);
  EXPECT_EQ(RtfReader::read(RtfWriter::write(list.mid(3, 4))).text.tabInterval(), 28);

  const RichText entry(QStringLiteral("an entry\twith a tab"));
  EXPECT_FALSE(RtfWriter::write(entry).contains("\\pard"));
  EXPECT_FALSE(RtfWriter::write(entry).contains("\\tx"));
  EXPECT_EQ(roundTrip(entry).tabInterval(), 0);

  const auto interval = [](const QByteArray& rtf) {
    return RtfReader::read(rtf).text.tabInterval();
  };
  // A dozen stops at even steps set the distance between tabs, as writers
  // put them in every paragraph; fewer or others are a paragraph's own.
  const auto dozen = [](int step) {
    QByteArray stops = "\\pard";
    for (int i = 1; i <= 12; ++i)
      stops += "\\tx" + QByteArray::number(step * i);
    return stops;
  };
  EXPECT_EQ(
      interval("{\\rtf1 \\pard\\tx720 a\\par " + dozen(720) + " b\\par " + dozen(560) + " c}"), 36);
  EXPECT_EQ(interval("{\\rtf1 \\pard\\tx560 a}"), 0) << "a stop of the only paragraph's own";
  EXPECT_EQ(interval("{\\rtf1 \\pard\\tx220\\tx720 a\\par \\pard\\tx560 b}"), 0)
      << "a list's own stops are not an interval";
  EXPECT_EQ(interval("{\\rtf1 " + dozen(-560) + " a}"), 0);
  EXPECT_EQ(interval("{\\rtf1 " + dozen(99999999) + " a}"), 0);
  // Any interval read is written back as read.
  for (const int wide : {17001, 31680, 1}) {
    const RichText read = RtfReader::read("{\\rtf1 " + dozen(wide) + " a}").text;
    EXPECT_GT(read.tabInterval(), 0) << wide;
    EXPECT_EQ(roundTrip(read), read) << wide;
  }
  EXPECT_EQ(interval("{\\rtf1 " + dozen(31681) + " a}"), 0) << "wider than the widest page";
  EXPECT_EQ(interval("{\\rtf1 {\\fonttbl\\tx560 x;}\\pard a}"), 0)
      << "a stop outside the text does not count";
  QByteArray many("{\\rtf1 \\pard");
  for (int i = 1; i <= 100000; ++i)
    many += "\\tx" + QByteArray::number(20 * i);
  EXPECT_EQ(interval((many + " a}").constData()), 1) << "the stops kept are bounded";
}

TEST(RtfWriter, FontNamesSurviveAWriteAndAReadUnchanged) {
  RichText text;
  for (const char* family : {"x-Italic", "Menlo-Regular", "Helvetica-Bold", "Foo-BoldOblique"})
    text.append(QString::fromLatin1(family) + u' ', font(QString::fromLatin1(family), 12));
  const RichText back = roundTrip(roundTrip(text));
  EXPECT_EQ(back, text);
  // A face name of the other platform still reads as its family and traits.
  const RichText face = RtfReader::read("{\\rtf1\\ansi\\cocoartf2709{\\fonttbl\\f0\\fnil "
                                        "x-Italic;}\\f0 a}")
                            .text;
  EXPECT_EQ(face.formatAt(0).fontFamily, QStringLiteral("x"));
  EXPECT_TRUE(face.formatAt(0).italic);
}

TEST(RtfWriter, RoundTripsNonAsciiAndCharactersRtfGivesAMeaning) {
  const QString special = QStringLiteral("caf\u00e9 \u2039uuid\u203a \U0001F600 \u20ac \u00a0"
                                         "\u4e2d\u6587 {braces} back\\slash ;semi\tTab\u2028"
                                         "break\npara\r\u0001 \ufffc end ");
  CharFormat italic;
  italic.italic = true;
  RichText text(special);
  text.append(special, italic);
  EXPECT_EQ(roundTrip(text), text);

  const QByteArray rtf = RtfWriter::write(RichText(QStringLiteral("\u00e9\u2039{\\}\U0001F600")));
  for (const char c : rtf)
    EXPECT_LT(quint8(c), 0x80) << "the writer writes ASCII only";
  EXPECT_TRUE(rtf.contains("\\u233\\'e9")) << rtf.constData();  // Windows-1252 fallback
  EXPECT_TRUE(rtf.contains("\\u8249\\'8b")) << rtf.constData(); // the placeholder quote
  EXPECT_TRUE(rtf.contains("\\{\\\\\\}")) << rtf.constData();
  EXPECT_TRUE(rtf.contains("\\u-10179\\'3f\\u-8704\\'3f"))
      << rtf.constData(); // surrogates, an escaped "?"
}

TEST(RtfWriter, RoundTripsLinksAsHyperlinkFields) {
  RichText text(QStringLiteral("Call "));
  CharFormat link;
  link.link = QStringLiteral("korvaner2things://A1B2");
  text.append(u"the ", link);
  link.bold = true;
  text.append(u"dentist", link); // two runs, one link
  CharFormat other;
  other.link = QStringLiteral("https://example.org/?q=\"quoted\"&x=\u00e9{}\\");
  text.append(u" now", other); // a different link right after
  text.append(u" \U0001F600", CharFormat{});

  const QByteArray rtf = RtfWriter::write(text);
  EXPECT_EQ(rtf.count("HYPERLINK"), 2) << rtf.constData();
  EXPECT_TRUE(rtf.contains("{\\field{\\*\\fldinst{HYPERLINK \"korvaner2things://A1B2\"}}"));

  RichText expected = text;
  expected.updateFormat(int(text.plainText().indexOf(u" now")), 4, [](CharFormat& f) {
    f.link = QStringLiteral("https://example.org/?q=%22quoted%22&x=\u00e9{}\\");
  });
  EXPECT_EQ(roundTrip(text), expected); // quotes cannot stand inside the field's quotes
}

TEST(RtfWriter, WritesAttachmentsAsGraphicGroups) {
  RichText text(QStringLiteral("before "));
  text.appendAttachment(QStringLiteral("Pasted Graphic.png"), QByteArray());
  text.appendAttachment(QStringLiteral("Pasted Graphic.png"), QByteArray());
  CharFormat bold;
  bold.bold = true;
  text.appendAttachment(QStringLiteral("b{r}ace.tiff"), QByteArray(), bold);
  text.append(u"\u00ac after");
  const QByteArray rtf = RtfWriter::write(text);
  EXPECT_EQ(rtf.count("\\NeXTGraphic Pasted Graphic.png}"), 2) << rtf.constData();
  RichText withoutData(QStringLiteral("before "));
  for (int i = 0; i < 2; ++i) {
    CharFormat f;
    f.attachment = QStringLiteral("Pasted Graphic.png");
    withoutData.append(u"\ufffc", f);
  }
  bold.attachment = QStringLiteral("b{r}ace.tiff");
  withoutData.append(u"\ufffc", bold);
  withoutData.append(u"\u00ac after");
  EXPECT_EQ(roundTrip(text), withoutData); // the bytes live in the package, not in the RTF
}

TEST(RtfWriter, ReadWriteReadKeepsTheSamples) {
  const QDir samples(QStringLiteral(KR_TEST_DATA_DIR "/rtf"));
  const QStringList names = samples.entryList({QStringLiteral("*.rtf")}, QDir::Files);
  ASSERT_GE(names.size(), 3);
  for (const QString& name : names) {
    QFile file(samples.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const RichText first = RtfReader::read(file.readAll()).text;
    EXPECT_FALSE(first.isEmpty()) << name.toStdString();
    // The pictures' bytes live in the package, not in the RTF: the rest is the same.
    const RichText again = roundTrip(first);
    EXPECT_EQ(again.plainText(), first.plainText()) << name.toStdString();
    EXPECT_EQ(again.runs(), first.runs()) << name.toStdString();
    EXPECT_EQ(again.tabInterval(), first.tabInterval()) << name.toStdString();
  }
  // Paragraph formats set where they seem to say more than they do.
  for (const char* odd : {"{{{}}a\\NeXTGraphic\\tx7}", "{\\rtf1\\slmult1 a\\par b}",
                          "{0{\\fonttbl{\\f\\fcharset136}}\\f\\'a4\\a\\sl-432}",
                          "{\\rtf1\\pard\\tx10\\tx33 a\\par\\pard\\tx560\\tx1120\\tx1680 b}"}) {
    const RichText first = RtfReader::read(odd).text;
    EXPECT_EQ(roundTrip(first), first) << odd;
  }
}

TEST(RtfWriter, WritesAnEmptyTextAsAValidDocument) {
  const QByteArray rtf = RtfWriter::write(RichText());
  EXPECT_TRUE(RtfReader::looksLikeRtf(rtf));
  const RtfReader::Result result = RtfReader::read(rtf);
  EXPECT_TRUE(result.wellFormed);
  EXPECT_TRUE(result.text.isEmpty());
}

TEST(RtfWriter, TheDefaultFontIsForOtherReadersAndRunsWithoutAFontKeepNone) {
  RichText text;
  text.setDefaultFontFamily(QStringLiteral("Pad;Font"));
  text.append(u"typed without a font ");
  text.append(u"in Courier ", font(QStringLiteral("Courier"), 0));
  text.append(u"and in the pad's font by name", font(QStringLiteral("Pad;Font"), 0));
  const QByteArray rtf = RtfWriter::write(text);
  // Other readers show runs without a font in the pad's.
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff2\\uc1\n{\\fonttbl"));
  EXPECT_TRUE(rtf.contains("\\f2\\fnil\\fcharset0 {\\*\\viewfont}Pad\\'3bFont;}"));
  const RtfReader::Result read = RtfReader::read(rtf);
  EXPECT_TRUE(read.wellFormed);
  EXPECT_EQ(read.text.runs(), text.runs());
  EXPECT_EQ(read.text.defaultFontFamily(), text.defaultFontFamily());
  EXPECT_EQ(RtfWriter::write(read.text), rtf);

  const auto header = RtfWriter::readHeader(rtf);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->first.fonts, QStringList({"Courier", "Pad;Font"}));
  EXPECT_EQ(header->first.defaultFont, QStringLiteral("Pad;Font"));
  // A day written so takes an entry in place, and the entry's runs keep
  // their (absent) fonts too.
  const RichText entry(QStringLiteral("\nlogged"));
  const auto plan = kr::RtfInPlaceAppend::plan(rtf, entry);
  ASSERT_TRUE(plan);
  const QByteArray appended =
      kr::RtfInPlaceAppend::applied(rtf, *plan, kr::RtfInPlaceAppend::Step::Finished);
  RichText whole = text;
  whole.append(entry);
  EXPECT_EQ(RtfReader::read(appended).text.runs(), whole.runs());
  // Without a default font, nothing of it is written.
  text.setDefaultFontFamily({});
  EXPECT_FALSE(RtfWriter::write(text).contains("deff"));
}
