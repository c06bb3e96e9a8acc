#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfPlainBytes.h"

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <vector>

using kr::CharFormat;
using kr::RgbColor;
using kr::RichText;
using kr::RtfReader;

namespace {

QByteArray sample(const char* name) {
  QFile file(QStringLiteral(KR_TEST_DATA_DIR "/rtf/") + QLatin1String(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return file.readAll();
}

RichText read(const QByteArray& rtf) { return RtfReader::read(rtf).text; }

// The format of the first occurrence of `piece` in the text.
CharFormat formatOf(const RichText& text, const QString& piece) {
  const qsizetype at = text.plainText().indexOf(piece);
  EXPECT_GE(at, 0) << piece.toStdString();
  return text.formatAt(int(at));
}

} // namespace

TEST(RtfReader, ReadsLogEntryWrittenByTheOtherPlatform) {
  const RtfReader::Result result = RtfReader::read(sample("cocoa-log-entry.rtf"));
  EXPECT_TRUE(result.wellFormed);
  const RichText& text = result.text;
  EXPECT_EQ(text.plainText(), QStringLiteral("#TimeSlice\n\u2039uuid\u203a\n#objective\n"
                                             "Call the dentist today\nurgent and caf\u00e9 \ufffc\n"
                                             "done\u2026\u2028next\tend"));

  const CharFormat keyword = formatOf(text, QStringLiteral("#TimeSlice"));
  EXPECT_EQ(keyword.fontFamily, QStringLiteral("Helvetica")); // face name "Helvetica-Bold"
  EXPECT_TRUE(keyword.bold);
  EXPECT_EQ(keyword.fontSize, 14.0);
  EXPECT_FALSE(keyword.foreground); // \cf0: automatic

  const CharFormat placeholder = formatOf(text, QStringLiteral("\u2039uuid"));
  EXPECT_FALSE(placeholder.bold);
  EXPECT_EQ(placeholder.fontSize, 12.0);

  const CharFormat link = formatOf(text, QStringLiteral("the dentist"));
  EXPECT_EQ(link.link, QStringLiteral("korvaner2things://7F3A-11"));
  EXPECT_TRUE(link.underline);
  EXPECT_EQ(link.foreground, (RgbColor{12, 96, 200}));
  const CharFormat after = formatOf(text, QStringLiteral(" today"));
  EXPECT_TRUE(after.link.isEmpty());
  EXPECT_FALSE(after.underline);

  const CharFormat urgent = formatOf(text, QStringLiteral("urgent"));
  EXPECT_TRUE(urgent.strikeThrough);
  EXPECT_EQ(urgent.foreground, (RgbColor{200, 30, 30}));
  EXPECT_FALSE(formatOf(text, QStringLiteral(" and")).strikeThrough);
  EXPECT_TRUE(formatOf(text, QStringLiteral("caf\u00e9")).italic);

  const CharFormat attachment = formatOf(text, QStringLiteral("\ufffc"));
  EXPECT_EQ(attachment.attachment, QStringLiteral("Pasted Graphic.png"));
  EXPECT_EQ(text.attachmentNames(), QStringList{QStringLiteral("Pasted Graphic.png")});

  const CharFormat code = formatOf(text, QStringLiteral("done"));
  EXPECT_EQ(code.fontFamily, QStringLiteral("Menlo")); // face name "Menlo-Regular"
  EXPECT_EQ(code.fontSize, 11.0);
}

TEST(RtfReader, FontNamesReadAlikeInEveryDocument) {
  // The same table entry names a face in one kind of document and a family
  // in the other, read one after the other and again.
  const QByteArray faces = "{\\rtf1\\cocoartf2639{\\fonttbl\\f0 Helvetica-Bold;}\\f0 a}";
  const QByteArray families = "{\\rtf1{\\fonttbl\\f0 Helvetica-Bold;}\\f0 a}";
  for (int round = 0; round < 2; ++round) {
    const CharFormat face = read(faces).formatAt(0);
    EXPECT_EQ(face.fontFamily, QStringLiteral("Helvetica"));
    EXPECT_TRUE(face.bold);
    const CharFormat family = read(families).formatAt(0);
    EXPECT_EQ(family.fontFamily, QStringLiteral("Helvetica-Bold"));
    EXPECT_FALSE(family.bold);
  }
}

TEST(RtfReader, LineEndsBetweenStretchesOfTextReadAsAnywhereElse) {
  // Documents of random pieces, read as they are and with an empty group
  // before every line end, which makes the reader take each line end on its
  // own: the two read alike.
  const std::vector<QByteArray> text = {
      "word",    " two words ", "x",        "caf\\'e9",    "a\\u8212?b", "\\{",
      "\\b ",    "\\b0 ",       "\\i bold", "{\\cf1 red}", "\\tab ",     "\\tx720 ",
      "\\pard ", "\\par0 ",     "\\par-",   "\\par-1 ",    "\\parx ",    "\\line "};
  const std::vector<QByteArray> lineEnds = {"\\\n",    "\\\r\n", "\\\r", "\\par",  "\\par ",
                                            "\\par\n", "\n",     "\r\n", "\\par  "};
  std::mt19937 random(7);
  int differentFromPlain = 0;
  for (int round = 0; round < 3000; ++round) {
    QByteArray asWritten = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}{\\colortbl;\\red200\\green0"
                           "\\blue0;}\\f0 ";
    QByteArray apart = asWritten;
    const int pieces = int(random() % 24) + 1;
    for (int i = 0; i < pieces; ++i) {
      if (random() % 2) {
        const QByteArray& piece = lineEnds[random() % lineEnds.size()];
        asWritten += piece;
        apart += "{}" + piece;
      } else {
        const QByteArray& piece = text[random() % text.size()];
        asWritten += piece;
        apart += piece;
      }
    }
    // Sometimes cut off, sometimes closed.
    if (random() % 4) {
      asWritten += "}";
      apart += "}";
    }
    const RtfReader::Result read = RtfReader::read(asWritten);
    const RtfReader::Result readApart = RtfReader::read(apart);
    ASSERT_EQ(read.text, readApart.text) << asWritten.toStdString();
    EXPECT_EQ(read.wellFormed, readApart.wellFormed);
    differentFromPlain += read.text.plainText().count(u'\n') > 0 ? 1 : 0;
  }
  EXPECT_GT(differentFromPlain, 2000); // most documents have paragraphs
}

TEST(RtfReader, ReadsPadPageWithListMarkersEmojiAndFallbacks) {
  const RichText text = read(sample("cocoa-pad-page.rtf"));
  EXPECT_EQ(text.plainText(), QStringLiteral("\t\u2022\tBuy \u2039milk\u203a\n"
                                             "\t\u2022\t\U0001F600 party\n\nGr\u00fc\u00dfe"));
  EXPECT_EQ(formatOf(text, QStringLiteral("Buy")).foreground, (RgbColor{0, 0, 0}));
  const CharFormat last = formatOf(text, QStringLiteral("Gr"));
  EXPECT_EQ(last.fontFamily, QStringLiteral("HelveticaNeue"));
  EXPECT_TRUE(last.italic);
  EXPECT_EQ(last.fontSize, 13.0);
}

TEST(RtfReader, DecodesBytesInTheDocumentCodePage) {
  const RichText cyrillic = read(sample("windows-1251.rtf"));
  EXPECT_EQ(cyrillic.plainText(), QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442, "
                                                 "\u043c\u0438\u0440!\n"));
  EXPECT_EQ(formatOf(cyrillic, QStringLiteral("\u043c\u0438\u0440")).fontFamily,
            QStringLiteral("Times New Roman")); // \deff0 without \f
  EXPECT_TRUE(formatOf(cyrillic, QStringLiteral("\u043c\u0438\u0440")).bold);

  // Windows-1252 by default: the template's placeholder quotes.
  EXPECT_EQ(read("{\\rtf1 \\'8bx\\'9b \\'80}").plainText(), QStringLiteral("\u2039x\u203a \u20ac"));
  EXPECT_EQ(read("{\\rtf1\\mac \\'8e\\'a5}").plainText(), QStringLiteral("\u00e9\u2022"));
  // Raw upper-half bytes are read in the code page too.
  EXPECT_EQ(read("{\\rtf1\\ansi \xe9t\xe9}").plainText(), QStringLiteral("\u00e9t\u00e9"));
  // An unknown code page reads as Windows-1252.
  EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg99999 \\'8b\\'e9}").plainText(),
            QStringLiteral("\u2039\u00e9"));
}

TEST(RtfReader, ReadsUnicodeEscapesWithTheirFallbacks) {
  // \uc1 by default: one fallback character skipped, a hex escape counting as one.
  EXPECT_EQ(read("{\\rtf1 a\\u233\\'e9b}").plainText(), QStringLiteral("a\u00e9b"));
  EXPECT_EQ(read("{\\rtf1 \\uc2\\u8364 xyz}").plainText(), QStringLiteral("\u20acz"));
  EXPECT_EQ(read("{\\rtf1 \\uc0\\u8364 xyz}").plainText(), QStringLiteral("\u20acxyz"));
  // \uc is scoped to its group; a group end stops skipping.
  EXPECT_EQ(read("{\\rtf1 {\\uc3 \\u97 }bc\\u98 xd}").plainText(), QStringLiteral("abcbd"));
  // Negative values and surrogate pairs.
  EXPECT_EQ(read("{\\rtf1 \\u-4064?}").plainText(), QStringLiteral("\uf020"));
  EXPECT_EQ(read("{\\rtf1 \\u-10179?\\u-8704?}").plainText(), QStringLiteral("\U0001F600"));
  // Lone halves and values outside 16 bits become the replacement character.
  EXPECT_EQ(read("{\\rtf1 \\u-10179?x}").plainText(), QStringLiteral("\ufffdx"));
  EXPECT_EQ(read("{\\rtf1 \\u-8704?x}").plainText(), QStringLiteral("\ufffdx"));
  EXPECT_EQ(read("{\\rtf1 \\u99999999999?x\\u-70000?}").plainText(),
            QStringLiteral("\ufffdx\ufffd"));
}

TEST(RtfReader, ReadsParagraphsBreaksAndSpecialCharacters) {
  EXPECT_EQ(read("{\\rtf1 a\\par b\\\nc\\\r\nd\\line e\\tab f}").plainText(),
            QStringLiteral("a\nb\nc\nd\u2028e\tf"));
  // Raw line ends are not text; one space after a control word is its delimiter.
  EXPECT_EQ(read("{\\rtf1 a\r\nb\\b  c}").plainText(), QStringLiteral("ab c"));
  EXPECT_EQ(read("{\\rtf1 \\{\\}\\\\\\~\\_\\-\\emdash\\endash\\bullet\\lquote\\rquote"
                 "\\ldblquote\\rdblquote}")
                .plainText(),
            QStringLiteral("{}\\\u00a0\u2011\u2014\u2013\u2022\u2018\u2019\u201c\u201d"));
}

TEST(RtfReader, AppliesAndScopesCharacterFormatting) {
  const RichText text = read("{\\rtf1{\\fonttbl{\\f0 Times;}{\\f1\\fswiss Arial;}}"
                             "{\\colortbl;\\red1\\green2\\blue3;}"
                             "\\f1\\fs30 A{\\b B{\\i\\ul C}\\ul D\\ulnone E}\\strike F\\strike0 "
                             "G\\cf1 H\\plain I\\b J\\b0 K}");
  EXPECT_EQ(text.plainText(), QStringLiteral("ABCDEFGHIJK"));
  auto at = [&text](QChar c) { return text.formatAt(int(text.plainText().indexOf(c))); };
  EXPECT_EQ(at(u'A').fontFamily, QStringLiteral("Arial"));
  EXPECT_EQ(at(u'A').fontSize, 15.0);
  EXPECT_TRUE(at(u'B').bold);
  EXPECT_TRUE(at(u'C').bold && at(u'C').italic && at(u'C').underline);
  EXPECT_TRUE(at(u'D').underline);
  EXPECT_FALSE(at(u'D').italic);
  EXPECT_FALSE(at(u'E').underline);
  EXPECT_FALSE(at(u'F').bold);
  EXPECT_TRUE(at(u'F').strikeThrough);
  EXPECT_FALSE(at(u'G').strikeThrough);
  EXPECT_EQ(at(u'H').foreground, (RgbColor{1, 2, 3}));
  EXPECT_EQ(at(u'I'), CharFormat{});
  EXPECT_TRUE(at(u'J').bold);
  EXPECT_FALSE(at(u'K').bold);
}

TEST(RtfReader, LongPlainStretchesReadLikeTheirEscapedForms) {
  // Stretches longer than sixteen bytes, with an escape, a code-page byte or
  // a brace right at and beside every position of a block.
  const QByteArray letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int cut = 0; cut < 40; ++cut) {
    for (const char* breaker : {"\\'e9", "\\u8364?", "{\\b}", "\\\\", "\xe9", "\t"}) {
      const QByteArray body = letters.left(cut) + breaker + letters.mid(cut);
      QByteArray escaped;
      for (const char c : letters.left(cut))
        escaped += "\\'" + QByteArray::number(quint8(c), 16);
      escaped += breaker;
      for (const char c : letters.mid(cut))
        escaped += "\\'" + QByteArray::number(quint8(c), 16);
      const RichText plain = read("{\\rtf1\\ansi\\ansicpg1252 " + body + "}");
      EXPECT_EQ(plain, read("{\\rtf1\\ansi\\ansicpg1252 " + escaped + "}")) << body.constData();
      EXPECT_EQ(plain.length(), letters.size() + (QByteArray(breaker) == "{\\b}" ? 0 : 1));
    }
  }
}

TEST(RtfReader, FormatsFollowTablesThatComeAfterText) {
  // A format met before the font and colour tables is found again after them
  // with the tables' fonts and colours, and runs merge only where the whole
  // formats are the same.
  const RichText text = read("{\\rtf1\\cocoartf1\\deff0 a{\\b b}c"
                             "{\\fonttbl\\f0 Times-Italic;\\f1 Times-Italic;}"
                             "{\\colortbl;\\red9\\green8\\blue7;}"
                             "d{\\b e}f\\f1 g\\f0\\cf1 h\\cf0 i}");
  EXPECT_EQ(text.plainText(), QStringLiteral("abcdefghi"));
  EXPECT_EQ(text.formatAt(0), CharFormat{});
  EXPECT_TRUE(text.formatAt(1).bold);
  EXPECT_EQ(text.formatAt(3).fontFamily, QStringLiteral("Times"));
  EXPECT_TRUE(text.formatAt(3).italic);
  EXPECT_TRUE(text.formatAt(4).bold && text.formatAt(4).italic);
  EXPECT_EQ(text.formatAt(7).foreground, (RgbColor{9, 8, 7}));
  // d..i: "d", bold "e", then "fg" (fonts 0 and 1 are alike), coloured "h", "i".
  std::vector<int> lengths;
  for (const RichText::Run& run : text.runs())
    lengths.push_back(run.length);
  EXPECT_EQ(lengths, (std::vector<int>{1, 1, 1, 1, 1, 2, 1, 1}));
}

TEST(RtfReader, SkipsDestinationsAndUnknownWords) {
  const RichText text =
      read("{\\rtf1\\cocoartf2709\\cocoatextscaling0{\\*\\expandedcolortbl;;\\csgray\\c0;}"
           "{\\info{\\title Hidden}}{\\stylesheet{\\s0 Normal;}}{\\*\\generator Something;}"
           "{\\pict\\pngblip 89504e47}{\\*\\unknownthing hidden}\\madeupword12 shown"
           "{\\unknowngroup also shown}\\bin4 {}\\x}");
  EXPECT_EQ(text.plainText(), QStringLiteral("shownalso shown"));
}

TEST(RtfReader, KeepsHyperlinkTextAndTarget) {
  const RichText text =
      read("{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a?b=1\"}}"
           "{\\fldrslt{\\b here} too}} and {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}"
           "{\\field{\\*\\fldinst{ hyperlink \\\\l \"anchor\" }}{\\fldrslt x}}}");
  EXPECT_EQ(text.plainText(), QStringLiteral("see here too and 7x"));
  EXPECT_EQ(formatOf(text, QStringLiteral("here")).link,
            QStringLiteral("https://example.org/a?b=1"));
  EXPECT_TRUE(formatOf(text, QStringLiteral("here")).bold);
  EXPECT_EQ(formatOf(text, QStringLiteral(" too")).link,
            QStringLiteral("https://example.org/a?b=1"));
  EXPECT_TRUE(formatOf(text, QStringLiteral(" and")).link.isEmpty());
  EXPECT_TRUE(formatOf(text, QStringLiteral("7")).link.isEmpty());
  EXPECT_EQ(formatOf(text, QStringLiteral("x")).link, QStringLiteral("anchor"));
}

TEST(RtfReader, ReadsAttachmentGroupsAndDropsTheirPlaceholder) {
  const RichText text = read("{\\rtf1 a{{\\NeXTGraphic one.png \\width20 \\height20\n}\\'ac}b"
                             "{{\\NeXTGraphic two.tiff}}\\'acc}");
  EXPECT_EQ(text.plainText(), QStringLiteral("a\ufffcb\ufffc\u00acc"));
  EXPECT_EQ(text.attachmentNames(),
            (QStringList{QStringLiteral("one.png"), QStringLiteral("two.tiff")}));
}

TEST(RtfReader, CapsOverlongNamesAndFieldInstructions) {
  // Names and instructions are read in stretches; the caps hold wherever an
  // escaped character falls.
  const QByteArray half(800, 'n');
  const RichText fonts = read("{\\rtf1{\\fonttbl{\\f0 " + half + "\\'41" + half +
                              ";}{\\f1 Ti\\'e9mes;}}\\f0 a\\f1 b}");
  const QString family = fonts.formatAt(0).fontFamily;
  EXPECT_EQ(family, QString(800, u'n') + u'A' + QString(223, u'n'));
  EXPECT_EQ(fonts.formatAt(1).fontFamily, QStringLiteral("Ti\u00e9mes"));

  const QByteArray part(40000, 'u');
  const RichText link = read("{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"" + part + "\\'41" + part +
                             "\"}}{\\fldrslt x}}}");
  ASSERT_EQ(link.plainText(), QStringLiteral("x"));
  const QString target = link.formatAt(0).link;
  // "HYPERLINK \"" takes 11 of the 65,536 characters kept; the closing quote is lost.
  EXPECT_EQ(target, QString(40000, u'u') + u'A' + QString(65536 - 11 - 40001, u'u'));
}

TEST(RtfReader, SurvivesDamagedInput) {
  // Truncated in the middle of a group, a word, a hex escape.
  const RtfReader::Result truncated = RtfReader::read("{\\rtf1 {\\b bold} plain {\\i ital");
  EXPECT_FALSE(truncated.wellFormed);
  EXPECT_EQ(truncated.text.plainText(), QStringLiteral("bold plain ital"));
  EXPECT_EQ(read("{\\rtf1 ab\\'e").plainText(), QStringLiteral("ab"));
  EXPECT_EQ(read("{\\rtf1 ab\\").plainText(), QStringLiteral("ab"));
  EXPECT_EQ(read("{\\rtf1 ab\\'zz c}").plainText(), QStringLiteral("abzz c"));
  // Unbalanced closing braces are ignored; text after the document's end is not read.
  EXPECT_EQ(read("}}{\\rtf1 a}}b").plainText(), QStringLiteral("a"));
  EXPECT_TRUE(RtfReader::read("{\\rtf1 a}}b").textAfterEnd);
  EXPECT_FALSE(RtfReader::read(QByteArray("{\\rtf1 a}\r\n \t\0\n", 15)).textAfterEnd);
  EXPECT_FALSE(truncated.textAfterEnd);
  // \bin longer than the input.
  EXPECT_EQ(read("{\\rtf1 a\\bin2147483647 xyz").plainText(), QStringLiteral("a"));
  EXPECT_EQ(read("{\\rtf1 a\\bin99999999999999999999 xyz").plainText(), QStringLiteral("a"));
  EXPECT_EQ(read("{\\rtf1 a\\bin-5 xyz}").plainText(), QStringLiteral("axyz"));
  // Font tables, colour tables and fields pointing nowhere.
  EXPECT_EQ(
      read("{\\rtf1 \\f99\\cf1000000\\fs-4\\deff-3 a{\\fldrslt b}{\\*\\fldinst c}}").plainText(),
      QStringLiteral("ab"));
  // Garbage that is not RTF at all.
  const RtfReader::Result garbage = RtfReader::read(QByteArray("\x00\xff\x01{{\\\\}\x80", 10));
  EXPECT_FALSE(garbage.wellFormed);
  EXPECT_FALSE(RtfReader::looksLikeRtf("hello"));
  EXPECT_TRUE(RtfReader::looksLikeRtf("\xEF\xBB\xBF \n{\\rtf1}"));
}

TEST(RtfReader, HandlesExtremeNestingWithoutRecursion) {
  const int depth = 100000;
  QByteArray deep = "{\\rtf1 start";
  deep.append(QByteArray(depth, '{'));
  deep.append("\\b deep");
  deep.append(QByteArray(depth, '}'));
  deep.append(" end}");
  const auto begin = std::chrono::steady_clock::now();
  const RtfReader::Result result = RtfReader::read(deep);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
  EXPECT_TRUE(result.wellFormed);
  EXPECT_EQ(result.text.plainText(), QStringLiteral("startdeep end"));
  EXPECT_TRUE(formatOf(result.text, QStringLiteral("deep")).bold);
  EXPECT_FALSE(formatOf(result.text, QStringLiteral(" end")).bold);

  // Never closed: reads what is there.
  const QByteArray open = QByteArray("{\\rtf1 x") + QByteArray(depth, '{') + "y";
  EXPECT_EQ(read(open).plainText(), QStringLiteral("xy"));
}

// A stretch of plain bytes widened as its end is looked for, from every
// length up to past sixteen bytes and ended by each kind of byte, or by the
// end of the input itself: exactly the bytes up to that end are written.
TEST(RtfReader, PlainBytesWidenUpToTheFirstOtherByte) {
  for (const char stop : {'\\', '{', '}', '\n', '\t', '\x7f', '\x80', '\0'}) {
    for (int length = 0; length <= 40; ++length) {
      QByteArray input(length, 'a');
      for (int i = 0; i < length; ++i)
        input[i] = char('!' + (i * 7) % 90 == '\\' ? 'x' : '!' + (i * 7) % 90);
      input.replace('{', 'y').replace('}', 'z');
      if (stop != '\0')
        input.append(stop).append("trailing bytes after the stop");
      std::vector<char16_t> out(std::size_t(input.size()) + 16, u'#');
      char16_t* written = out.data();
      const char* end =
          kr::rtf_plain::widenText(input.constData(), input.constData() + input.size(), written);
      ASSERT_EQ(end - input.constData(), length) << int(stop) << " " << length;
      ASSERT_EQ(written - out.data(), length);
      for (int i = 0; i < length; ++i)
        ASSERT_EQ(out[std::size_t(i)], char16_t(quint8(input[i]))) << i;
    }
  }
}

// A paragraph takes the format in effect at its end, wherever its words
// stand; characters take theirs as words and groups set them.
TEST(RtfReader, ReadsTheFormatsOfParagraphsAndCharacters) {
  using P = kr::ParagraphFormat;
  struct Case {
    const char* body;
    const char* piece;
    std::function<bool(const CharFormat&)> holds;
  };
  const auto centred = [](const CharFormat& f) {
    return f.paragraph->alignment == P::Alignment::Center;
  };
  const auto left = [](const CharFormat& f) { return f.paragraph->isDefault(); };
  const QList<P::TabStop> ownStops = {{100, P::TabStop::Kind::Left},
                                      {300, P::TabStop::Kind::Right}};
  const Case cases[] = {
      {"a\\qc\\par b", "a", centred},
      {"a\\qc\\par\\pard b", "b", left},
      {"\\qc{\\pard x}y\\par", "x", centred},
      {"{\\pard\\qc a\\par}b", "b", left},
      {"\\qr last", "last",
       [](const CharFormat& f) { return f.paragraph->alignment == P::Alignment::Right; }},
      {"\\li720\\fi-360\\ri-20\\sb99\\sa1\\sl-300 x\\par", "x",
       [](const CharFormat& f) {
         const P& p = *f.paragraph;
         return p.leftIndent == 720 && p.firstLineIndent == -360 && p.rightIndent == -20 &&
                p.spaceBefore == 99 && p.spaceAfter == 1 && p.lineSpacing == -300 &&
                !p.lineSpacingMultiple;
       }},
      {"\\pard\\tx560\\tx1120\\tx1680\\tx2240\\tx2800\\tx3360\\tx3920\\tx4480\\tx5040\\tx5600"
       "\\tx6160\\tx6720 x",
       "x", left},
      {"\\pard\\tx100\\tqr\\tx300 x", "x",
       [&](const CharFormat& f) { return f.paragraph->tabStops == ownStops; }},
      {"\\slmult1 x", "x", left},
      {"\\rtlpar x\\par\\pardirnatural y", "x",
       [](const CharFormat& f) { return f.paragraph->direction == P::Direction::RightToLeft; }},
      {"{\\expnd4\\expndtw21 x}", "x", [](const CharFormat& f) { return f.letterSpacing == 21; }},
      {"{\\expnd-4 x}", "x", [](const CharFormat& f) { return f.letterSpacing == -20; }},
      {"{\\striked1 x}", "x",
       [](const CharFormat& f) { return f.doubleStrike && f.strikeThrough; }},
      {"{\\striked1\\strike x}", "x",
       [](const CharFormat& f) { return !f.doubleStrike && f.strikeThrough; }},
      {"{\\highlight1 x}", "x",
       [](const CharFormat& f) {
         return f.background == RgbColor{1, 2, 3};
       }},
      {"{\\cb1\\caps x\\plain y}", "y",
       [](const CharFormat& f) { return !f.background && !f.capitals; }},
  };
  for (const Case& c : cases) {
    const RichText text =
        read(QByteArray("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}") + c.body + "}");
    EXPECT_TRUE(c.holds(formatOf(text, QString::fromLatin1(c.piece))))
        << c.body << " at " << c.piece;
  }
  // Text deleted under change tracking is no text; text inserted so is.
  EXPECT_EQ(read("{\\rtf1 Keep {\\deleted gone \\par }{\\revised new }words.}").plainText(),
            QStringLiteral("Keep new words."));
}
