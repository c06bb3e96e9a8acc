#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfChunkCache.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/RtfdPackage.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

using kr::CharFormat;
using kr::RgbColor;
using kr::RichText;
using kr::RichTextDocument;

namespace {

QByteArray pngBytes() {
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(Qt::blue);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

} // namespace

TEST(RichTextDocument, RoundTripsEveryAttributeThroughADocument) {
  RichText text(QStringLiteral("plain \u00e9 "));
  CharFormat f;
  f.fontFamily = QStringLiteral("DejaVu Sans");
  f.fontSize = 14.5;
  f.bold = true;
  text.append(u"bold\n", f); // the paragraph end keeps its format
  f.bold = false;
  f.italic = f.underline = f.strikeThrough = true;
  f.foreground = RgbColor{200, 10, 20};
  text.append(u"styled\u2028line\tbreak", f);
  CharFormat link;
  link.link = QStringLiteral("korvaner2things://X");
  text.append(u" task", link);
  text.append(u"\n\n\U0001F600 end\n");

  QTextDocument document;
  RichTextDocument::fill(&document, text);
  EXPECT_EQ(document.blockCount(), 5);
  EXPECT_EQ(document.firstBlock().text(), QStringLiteral("plain \u00e9 bold"));
  EXPECT_EQ(document.findBlockByNumber(1).text(), QStringLiteral("styled\u2028line\tbreak task"));
  EXPECT_EQ(RichTextDocument::fromDocument(document), text);

  const QTextCharFormat q = RichTextDocument::toCharFormat(f);
  EXPECT_EQ(q.fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Sans")});
  EXPECT_EQ(q.foreground().color(), QColor(200, 10, 20));
  EXPECT_TRUE(q.fontStrikeOut());
  EXPECT_EQ(RichTextDocument::fromCharFormat(q), f);
}

TEST(RichTextDocument, ShowsAttachmentsAsImagesAndKeepsTheirBytes) {
  const QByteArray png = pngBytes();
  RichText text(QStringLiteral("see "));
  text.appendAttachment(QStringLiteral("Pasted Graphic.png"), png);
  text.append(u" and a file without an image ");
  text.appendAttachment(QStringLiteral("notes.pdf"), "%PDF-1.4");

  QTextDocument document;
  RichTextDocument::fill(&document, text);
  int images = 0;
  for (auto it = document.firstBlock().begin(); !it.atEnd(); ++it)
    images += it.fragment().charFormat().isImageFormat() ? 1 : 0;
  EXPECT_EQ(images, 2);
  EXPECT_EQ(RichTextDocument::fromDocument(document), text);

  // An image put in by the editor (not from a package) is stored as PNG.
  QTextDocument edited;
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  edited.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pasted")), image);
  QTextCursor(&edited).insertImage(QStringLiteral("pasted"));
  const RichText fromEditor = RichTextDocument::fromDocument(edited);
  ASSERT_EQ(fromEditor.attachmentNames(), QStringList{QStringLiteral("pasted.png")});
  QImage stored;
  ASSERT_TRUE(stored.loadFromData(fromEditor.attachmentData().value(QStringLiteral("pasted.png"))));
  EXPECT_EQ(stored.size(), QSize(4, 4));
}

TEST(RichTextDocument, FillingReplacesThePreviousContent) {
  QTextDocument document;
  document.setPlainText(QStringLiteral("old\ntext"));
  RichTextDocument::fill(&document, RichText(QStringLiteral("new")));
  EXPECT_EQ(document.toPlainText(), QStringLiteral("new"));
  RichTextDocument::fill(&document, RichText());
  EXPECT_TRUE(RichTextDocument::fromDocument(document).isEmpty());
}

TEST(RichTextDocument, PicturesOtherWordProcessorsWriteAreShownAndSavedAfterTyping) {
  QByteArray first;
  for (const char* name : {"libreoffice-picture.rtf", "pandoc-picture.rtf", "picture-bin.rtf"}) {
    QFile file(QStringLiteral(KR_TEST_DATA_DIR "/rtf/") + QLatin1String(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const kr::RtfReader::Result read = kr::RtfReader::read(file.readAll());
    EXPECT_EQ(read.unkept, 0u) << name;
    ASSERT_EQ(read.text.attachmentNames().size(), 1) << name;
    const QByteArray picture = read.text.attachmentData().value(read.text.attachmentNames()[0]);
    EXPECT_EQ(QImage::fromData(picture).size(), QSize(2, 2)) << name;
    if (first.isEmpty())
      first = picture;
    EXPECT_EQ(picture, first) << name;
    // Typed into and saved as a sheet is saved, the picture is in the sheet.
    QTextDocument document;
    RichTextDocument::fill(&document, read.text);
    QTextCursor(&document).insertText(QStringLiteral("typed "));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.rtfd"));
    ASSERT_TRUE(kr::RtfdPackage::write(path, kr::RtfChunkCache::of(&document)->encoded(0)));
    const kr::RtfdPackage::ReadResult saved = kr::RtfdPackage::read(path);
    ASSERT_EQ(saved.status, kr::RtfdPackage::Status::Ok) << name;
    EXPECT_TRUE(saved.text.plainText().contains(
        QStringLiteral("typed Before the picture \uFFFC after it.")))
        << name << saved.text.plainText().toStdString();
    ASSERT_EQ(saved.text.attachmentNames().size(), 1) << name;
    EXPECT_EQ(saved.text.attachmentData().value(saved.text.attachmentNames()[0]), picture) << name;
  }
}

// A sheet of this program's with each paragraph and character format that
// other word processors write: written and read, shown in a document and
// taken back, it is the same text, and the same bytes by either writer.
TEST(RichTextDocument, EachFormatOfASheetRoundTripsExactly) {
  using P = kr::ParagraphFormat;
  using Kind = P::TabStop::Kind;
  const std::pair<const char*, std::function<void(CharFormat&, P&)>> formats[] = {
      {"centred", [](CharFormat&, P& p) { p.alignment = P::Alignment::Center; }},
      {"on the right", [](CharFormat&, P& p) { p.alignment = P::Alignment::Right; }},
      {"justified", [](CharFormat&, P& p) { p.alignment = P::Alignment::Justified; }},
      {"right to left", [](CharFormat&, P& p) { p.direction = P::Direction::RightToLeft; }},
      {"left to right", [](CharFormat&, P& p) { p.direction = P::Direction::LeftToRight; }},
      {"indents",
       [](CharFormat&, P& p) {
         p.leftIndent = 1440;
         p.rightIndent = 720;
         p.firstLineIndent = -360;
       }},
      {"spacing",
       [](CharFormat&, P& p) {
         p.spaceBefore = 240;
         p.spaceAfter = 130;
       }},
      {"lines 1.5 apart",
       [](CharFormat&, P& p) {
         p.lineSpacing = 360;
         p.lineSpacingMultiple = true;
       }},
      {"lines exactly apart", [](CharFormat&, P& p) { p.lineSpacing = -432; }},
      {"lines at least apart", [](CharFormat&, P& p) { p.lineSpacing = 300; }},
      {"tab stops",
       [](CharFormat&, P& p) {
         p.tabStops = {
             {1440, Kind::Left}, {3600, Kind::Center}, {5760, Kind::Right}, {7201, Kind::Decimal}};
       }},
      {"background",
       [](CharFormat& f, P&) {
         f.background = RgbColor{255, 255, 0};
       }},
      {"capitals", [](CharFormat& f, P&) { f.capitals = true; }},
      {"spaced out", [](CharFormat& f, P&) { f.letterSpacing = 63; }},
      {"condensed", [](CharFormat& f, P&) { f.letterSpacing = -20; }},
      {"struck twice", [](CharFormat& f, P&) { f.strikeThrough = f.doubleStrike = true; }}};
  for (const auto& [name, change] : formats) {
    SCOPED_TRACE(name);
    RichText text(QStringLiteral("Before\n"));
    CharFormat format;
    format.bold = true;
    P paragraph;
    change(format, paragraph);
    format.paragraph = paragraph;
    text.append(u"formatted\tand ", format);
    format.link = QStringLiteral("https://example.org");
    text.append(u"linked", format);
    format.link.clear();
    text.append(u"\n", format);
    text.append(u"After");
    text.setTabInterval(28);
    const QByteArray rtf = kr::RtfWriter::write(text);
    const kr::RtfReader::Result read = kr::RtfReader::read(rtf);
    EXPECT_EQ(read.unkept, 0u);
    EXPECT_EQ(read.text, text) << rtf.constData();
    EXPECT_EQ(kr::RtfWriter::write(read.text), rtf);
    QTextDocument document;
    RichTextDocument::setDotsPerInch(&document, 120);
    RichTextDocument::fill(&document, read.text);
    RichText shown = RichTextDocument::fromDocument(document);
    shown.setTabInterval(28);
    EXPECT_EQ(shown, text);
    EXPECT_EQ(kr::RtfWriter::write(kr::RtfChunkCache::of(&document)->encoded(28)), rtf);
  }
}
