#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QFile>

#include <gtest/gtest.h>

using kr::RichText;
using kr::RtfReader;
using kr::RtfWriter;

namespace {

QByteArray sample(const QString& name) {
  QFile file(QStringLiteral(KR_TEST_DATA_DIR "/rtf/") + name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
  return file.readAll();
}

QString textOf(const QByteArray& rtf) { return RtfReader::read(rtf).text.plainText(); }

QByteArray inCodePage(int codePage, const char* body) {
  return "{\\rtf1\\ansi\\ansicpg" + QByteArray::number(codePage) + " " + body + "}";
}

} // namespace

TEST(RtfForeignDocuments, ReadsTheDoubleBytePagesOfEastAsianText) {
  // 日本 and a half-width katakana; 0x5c and 0x7b as trail bytes, escaped or
  // literal, and the pair split over two lines.
  EXPECT_EQ(textOf(inCodePage(932, "\\'93\\'fa\\'96{\\'7b}\\'b1 \\'83\\'5c\\'83\\\\\\'83\n\\'5c")),
            QStringLiteral("日本ｱ ソソソ"));
  EXPECT_EQ(textOf(inCodePage(932, "\\'83@")), QStringLiteral("ァ")); // a literal trail byte
  EXPECT_EQ(textOf(inCodePage(936, "\\'d6\\'d0\\'ce\\'c4")), QStringLiteral("中文"));
  EXPECT_EQ(textOf(inCodePage(949, "\\'c7\\'d1\\'b1\\'db")), QStringLiteral("한글"));
  EXPECT_EQ(textOf(inCodePage(950, "\\'a4\\'a4\\'a4\\'e5")), QStringLiteral("中文"));
  // A lead byte without its trail byte is one replacement character; the
  // text goes on.
  EXPECT_EQ(textOf(inCodePage(932, "a\\'93\\par b\\'93")), QStringLiteral("a\uFFFD\nb\uFFFD"));
  // A fallback after \u is skipped whole when \uc counts both of its bytes.
  EXPECT_EQ(textOf(inCodePage(932, "\\uc2\\u26085\\'93\\'fa!")), QStringLiteral("日!"));
  // Word processors on Japanese systems write such files.
  const QString japanese = textOf(sample(QStringLiteral("shift-jis.rtf")));
  EXPECT_TRUE(japanese.contains(QStringLiteral("日本語のテキスト"))) << japanese.toStdString();
}

TEST(RtfForeignDocuments, BytesTakeTheCharsetOfTheirFont) {
  const RtfReader::Result result = RtfReader::read(sample(QStringLiteral("font-charsets.rtf")));
  const QString text = result.text.plainText();
  EXPECT_TRUE(text.contains(QStringLiteral("Привет"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Γειά"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Łódź"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("שלום"))) << text.toStdString();
  // The document's page for a font without a charset, and for the symbol
  // charset; a font name in its own charset.
  EXPECT_TRUE(text.contains(QStringLiteral("café ©"))) << text.toStdString();
  EXPECT_EQ(result.text.formatAt(int(text.indexOf(QStringLiteral("Привет")))).fontFamily,
            QStringLiteral("Шрифт"));
  EXPECT_EQ(result.unkept, 0u);
}

TEST(RtfForeignDocuments, QuestionMarkFallbacksAreWrittenEscapedAndBothFormsRead) {
  RichText text;
  text.append(QStringLiteral("Ωmega 😀?"), kr::CharFormat{});
  const QByteArray rtf = RtfWriter::write(text);
  EXPECT_TRUE(rtf.contains("\\u937\\'3fmega \\u-10179\\'3f\\u-8704\\'3f?")) << rtf.constData();
  EXPECT_EQ(textOf(rtf), text.plainText());
  EXPECT_EQ(textOf("{\\rtf1\\ansi\\uc1\\u937?mega \\u937\\'3fmega}"),
            QStringLiteral("Ωmega Ωmega"));
}

TEST(RtfForeignDocuments, NamesWhatTheTextLeavesOut) {
  const auto unkept = [](const QByteArray& body) {
    return RtfReader::unkeptNames(RtfReader::read("{\\rtf1\\ansi " + body + "}").unkept);
  };
  EXPECT_EQ(unkept("a{\\super\\chftn}{\\*\\footnote\\pard note}"),
            QStringList({QStringLiteral("footnotes"), QStringLiteral("superscript or subscript")}));
  EXPECT_EQ(unkept("{\\header h}{\\footerl f}a"),
            QStringList{QStringLiteral("headers or footers")});
  EXPECT_EQ(unkept("hy\\-phen"), QStringList{QStringLiteral("soft hyphens")});
  EXPECT_EQ(unkept("a\\page b\\sect c"), QStringList{QStringLiteral("page or section breaks")});
  EXPECT_EQ(
      unkept("{\\v hidden}\\v0 {\\up6 x}{\\dn0 y}"),
      QStringList({QStringLiteral("hidden text"), QStringLiteral("superscript or subscript")}));
  EXPECT_EQ(unkept("{\\listtext 1.\\tab}\\ls1\\ilvl1 item"), QStringList{QStringLiteral("lists")});
  EXPECT_EQ(unkept("{\\object\\objemb{\\*\\objdata 01}}{\\*\\do\\dobxcolumn}"),
            QStringList({QStringLiteral("embedded objects"), QStringLiteral("drawings")}));
  EXPECT_EQ(unkept("{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}"),
            QStringList{QStringLiteral("fields other than links")});
  // Pictures no editor here draws: not PNG or JPEG, or not what they claim.
  EXPECT_EQ(unkept("{\\*\\shppict{\\pict\\pngblip 89}}{\\nonshppict{\\pict\\wmetafile8 01}}"),
            QStringList{QStringLiteral("pictures")});
  EXPECT_EQ(unkept("{\\pict\\wmetafile8 0100}"), QStringList{QStringLiteral("pictures")});
  EXPECT_EQ(unkept("{\\pict\\jpegblip\\bin4 \x89PNG}"), QStringList{QStringLiteral("pictures")});
  EXPECT_EQ(unkept("\\trowd\\cellx100 a\\cell\\row"), QStringList{QStringLiteral("tables")});
  EXPECT_EQ(unkept("{\\*\\atnid A}{\\*\\atnauthor Ada}\\chatn{\\*\\annotation{\\*\\atnref 0} x}"),
            QStringList{QStringLiteral("comments")});
  EXPECT_EQ(unkept("{\\deleted\\revauthdel1 gone}{\\revised new}"),
            QStringList{QStringLiteral("tracked changes")});
  EXPECT_EQ(unkept("{\\*\\bkmkstart m}x{\\*\\bkmkend m}"),
            QStringList{QStringLiteral("bookmarks")});
  EXPECT_EQ(unkept("\\pagebb x"), QStringList{QStringLiteral("page or section breaks")});
  // Whatever the reader does not know, a word or a destination.
  for (const char* other : {"{\\scaps x}", "{\\*\\unheardof y}", "\\uldb z", "\\charscalex90 a"})
    EXPECT_EQ(unkept(other), QStringList{QStringLiteral("other formatting")}) << other;
  // Words that change nothing a user sees, and others that are turned off.
  EXPECT_EQ(unkept("\\sectd\\pgwsxn12240\\lang1033\\loch\\hich\\kerning1\\insrsid5 {\\scaps0\\v0"
                   "\\up0\\itap0\\charscalex100\\deleted0\\pagebb0 a}"),
            QStringList{});
  // What is kept, and formatting of tables that are no text, leaves nothing
  // out; highlighting is kept as the text's background.
  EXPECT_EQ(unkept("{\\stylesheet{\\s1\\super\\v\\highlight2 Note;}}{\\field{\\*\\fldinst "
                   "HYPERLINK \"https://example.org\"}{\\fldrslt link}}{\\b\\i\\ul\\strike x}\\~\\_"
                   "{\\highlight3 x}{\\highlight0 y}"),
            QStringList{});
}

TEST(RtfForeignDocuments, ReadsWhatLibreOfficeAndPandocWrite) {
  const RtfReader::Result plain =
      RtfReader::read(sample(QStringLiteral("libreoffice-plain-unicode.rtf")));
  EXPECT_EQ(plain.unkept, 0u);
  EXPECT_EQ(plain.text.plainText(),
            QStringLiteral("日本語のテキスト ソフト\n中文 한글\nПривет Γειά\n"));
  // A sheet of ours that LibreOffice saved again holds nothing we leave out.
  const RtfReader::Result resaved =
      RtfReader::read(sample(QStringLiteral("libreoffice-resaved-sheet.rtf")));
  EXPECT_EQ(resaved.unkept, 0u);
  EXPECT_EQ(resaved.text.plainText(), QStringLiteral("Ωmega 😀? café\n"));
  for (const char* name : {"pandoc-footnote.rtf", "libreoffice-footnote.rtf"}) {
    const RtfReader::Result noted = RtfReader::read(sample(QLatin1String(name)));
    EXPECT_TRUE(noted.unkept & RtfReader::Footnotes) << name;
    EXPECT_TRUE(noted.text.plainText().contains(QStringLiteral("Notes with a footnote")));
    EXPECT_TRUE(noted.text.plainText().contains(QStringLiteral("Ωmega 😀"))) << name;
  }
}
