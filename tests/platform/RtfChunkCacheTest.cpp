#include "platform/richtext/RtfChunkCache.h"

#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/StreamedRichText.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <gtest/gtest.h>

#include <optional>
#include <thread>

using kr::CharFormat;
using kr::RgbColor;
using kr::RichText;
using kr::RichTextDocument;
using kr::RtfChunkCache;
using kr::RtfReader;
using kr::RtfWriter;

namespace {

constexpr double kTabs = 28;

QByteArray pngBytes(Qt::GlobalColor colour) {
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

// Many paragraphs (several chunks) of mixed formats: fonts, sizes, colours,
// bold and italics, links, list items, tabs and line breaks, text beyond
// Latin-1 and beyond the basic plane, paragraphs of their own formats, and
// attachments (in the lines before `attachmentsUpTo`).
RichText mixedText(int attachmentsUpTo = 1500) {
  RichText text;
  for (int line = 0; line < 1500; ++line) {
    CharFormat f;
    switch (line % 7) {
    case 0:
      text.append(QStringLiteral("\t\u2022\titem %1 plain\n").arg(line));
      break;
    case 1:
      f.fontFamily = line % 2 ? QStringLiteral("DejaVu Sans") : QStringLiteral("Serif;{x}");
      f.fontSize = 9 + line % 5;
      f.bold = true;
      text.append(QStringLiteral("bold %1 \\{}").arg(line), f);
      f.bold = false;
      f.italic = true;
      text.append(u" then italic\u2028new line\n", f);
      break;
    case 2:
      f.foreground = RgbColor{quint8(line % 256), 20, 200};
      f.underline = true;
      text.append(QStringLiteral("colour %1 caf\u00e9 \u65e5\u672c \U0001F600\n").arg(line), f);
      break;
    case 3:
      f.link = QStringLiteral("https://example.org/%1?q=\"a\"").arg(line % 3);
      text.append(u"linked ", f);
      f.strikeThrough = true;
      f.doubleStrike = line % 2;
      text.append(u"struck link", f);
      text.append(u"\n");
      break;
    case 4:
      if (line >= attachmentsUpTo) {
        text.append(QStringLiteral("no picture \u00a0%1\n").arg(line));
        break;
      }
      text.append(u"see ");
      text.appendAttachment(QStringLiteral("pic%1.png").arg(line % 4),
                            pngBytes(line % 2 ? Qt::red : Qt::green));
      text.append(u" here\n");
      break;
    default:
      if (line % 14 == 5) {
        kr::ParagraphFormat centred;
        centred.alignment = kr::ParagraphFormat::Alignment::Center;
        centred.leftIndent = 720;
        centred.spaceAfter = 120;
        f.paragraph = centred;
      } else if (line % 14 == 6) {
        kr::ParagraphFormat rightToLeft;
        rightToLeft.direction = kr::ParagraphFormat::Direction::RightToLeft;
        rightToLeft.tabStops = {{1440, kr::ParagraphFormat::TabStop::Kind::Right}};
        f.paragraph = rightToLeft;
        f.background = RgbColor{255, 255, 0};
        f.capitals = true;
        f.letterSpacing = 40;
      }
      text.append(QStringLiteral("%1: a line of notes about the day\n").arg(line), f);
    }
  }
  return text;
}

void expectSameAsWholeDocument(QTextDocument& document, RtfChunkCache& cache, const char* step) {
  RichText whole = RichTextDocument::fromDocument(document);
  whole.setTabInterval(kTabs);
  const kr::EncodedRichText encoded = cache.encoded(kTabs);
  const QByteArray expected = RtfWriter::write(whole);
  const QByteArray got = RtfWriter::write(encoded);
  ASSERT_EQ(got.size(), expected.size()) << step;
  ASSERT_TRUE(got == expected) << step;
  EXPECT_EQ(encoded.attachmentNames(), whole.attachmentNames()) << step;
  EXPECT_EQ(encoded.attachmentData().keys(), whole.attachmentData().keys()) << step;
  for (const QString& name : whole.attachmentNames())
    EXPECT_EQ(encoded.attachmentData().value(name), whole.attachmentData().value(name)) << step;
  EXPECT_EQ(cache.staleBlocks(), 0);
}

} // namespace

TEST(RtfChunkCache, GivesTheWholeDocumentWritersBytesThroughEveryKindOfEdit) {
  QTextDocument document;
  document.setDefaultFont(QFont(QStringLiteral("Pad Font")));
  RichTextDocument::fill(&document, mixedText());
  RtfChunkCache& cache = *RtfChunkCache::of(&document);
  EXPECT_EQ(RtfChunkCache::of(&document), &cache);
  expectSameAsWholeDocument(document, cache, "as filled");
  EXPECT_TRUE(RtfWriter::write(cache.encoded(kTabs)).contains("{\\*\\viewfont}Pad Font;"));
  // The format of a chunk's last paragraph, whose end the next chunk holds.
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  QTextCursor(document.findBlockByNumber(RtfChunkCache::kBlocksPerChunk - 1))
      .setBlockFormat(centred);
  expectSameAsWholeDocument(document, cache, "a paragraph's format at a chunk's edge");

  QTextCursor cursor(&document);
  // A character typed in the middle: one chunk is encoded again.
  cursor.setPosition(document.findBlockByNumber(700).position() + 3);
  cursor.insertText(QStringLiteral("typed"));
  EXPECT_EQ(cache.staleBlocks(), RtfChunkCache::kBlocksPerChunk);
  expectSameAsWholeDocument(document, cache, "typed");

  // New paragraphs, and a paragraph end taken away at a chunk's edge.
  cursor.insertBlock();
  cursor.insertText(QStringLiteral("a new paragraph\nand one more"));
  expectSameAsWholeDocument(document, cache, "paragraphs added");
  cursor.setPosition(document.findBlockByNumber(RtfChunkCache::kBlocksPerChunk).position());
  cursor.deletePreviousChar();
  expectSameAsWholeDocument(document, cache, "joined at a chunk's edge");

  // A selection over several chunks: removed, formatted, replaced at once.
  cursor.setPosition(document.findBlockByNumber(100).position() + 2);
  cursor.setPosition(document.findBlockByNumber(900).position() + 5, QTextCursor::KeepAnchor);
  QTextCharFormat red;
  red.setForeground(QColor(255, 0, 0));
  cursor.mergeCharFormat(red);
  expectSameAsWholeDocument(document, cache, "formatted over chunks");
  cursor.beginEditBlock();
  cursor.insertText(QStringLiteral("replaced \u00fc"));
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QStringLiteral(" at the end"));
  cursor.movePosition(QTextCursor::Start);
  cursor.insertText(QStringLiteral("at the start\n"));
  cursor.endEditBlock();
  expectSameAsWholeDocument(document, cache, "one edit block in three places");

  // An image and a table pasted in; then undone step by step.
  cursor.setPosition(document.findBlockByNumber(300).position());
  RichTextDocument::insertAttachment(cursor, QStringLiteral("new.png"), pngBytes(Qt::blue));
  QTextTable* table = cursor.insertTable(2, 2);
  table->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("cell"));
  expectSameAsWholeDocument(document, cache, "image and table");
  for (int step = 0; step < 5 && document.isUndoAvailable(); ++step) {
    document.undo();
    expectSameAsWholeDocument(document, cache, "undone");
  }
  document.redo();
  expectSameAsWholeDocument(document, cache, "redone");

  // Everything at once, and an empty document.
  document.setPlainText(QStringLiteral("short\ntext"));
  expectSameAsWholeDocument(document, cache, "set whole");
  document.clear();
  expectSameAsWholeDocument(document, cache, "cleared");
}

TEST(RtfChunkCache, EncodesAStaleTextInStepsAndKeepsWhatDidNotChange) {
  QTextDocument document;
  RichTextDocument::fill(&document, mixedText());
  RtfChunkCache& cache = *RtfChunkCache::of(&document);
  EXPECT_EQ(cache.staleBlocks(), document.blockCount());
  // A zero budget encodes one chunk per call.
  EXPECT_FALSE(cache.encodeFor(0));
  EXPECT_EQ(cache.staleBlocks(), document.blockCount() - RtfChunkCache::kBlocksPerChunk);
  EXPECT_TRUE(cache.encodeFor(60000));
  const kr::EncodedRichText before = cache.encoded(kTabs);
  QTextCursor cursor(document.lastBlock());
  cursor.insertText(QStringLiteral("x"));
  const kr::EncodedRichText after = cache.encoded(kTabs);
  ASSERT_EQ(before.chunks.size(), after.chunks.size());
  // The chunks before the edit are the same bytes, not copies.
  for (std::size_t i = 0; i + 1 < after.chunks.size(); ++i)
    EXPECT_EQ(before.chunks[i], after.chunks[i]) << i;
  EXPECT_NE(before.chunks.back(), after.chunks.back());
}

TEST(RtfChunkCache, ChunksSharedAmongThreadsGiveTheWholeDocumentWritersBytes) {
  ASSERT_GT(RtfChunkCache::encodingThreads(), 1) << "one processor: nothing shared to test";
  // Pictures in the first chunk only: the chunks after it go to the helpers.
  QTextDocument document;
  RichTextDocument::fill(&document, mixedText(200));
  RtfChunkCache& cache = *RtfChunkCache::of(&document);
  ASSERT_GT(cache.staleBlocks(), 4 * RtfChunkCache::kBlocksPerChunk);
  // Shared in steps: a zero budget encodes one chunk a call (its picture on
  // this thread), none of them a second time.
  EXPECT_FALSE(cache.encodeSharedFor(0));
  EXPECT_EQ(cache.staleBlocks(), document.blockCount() - RtfChunkCache::kBlocksPerChunk);
  EXPECT_FALSE(cache.encodeSharedFor(0));
  EXPECT_EQ(cache.staleBlocks(), document.blockCount() - 2 * RtfChunkCache::kBlocksPerChunk);
  expectSameAsWholeDocument(document, cache, "as filled");
  // A new format met first by a helper, across most chunks, a table, and a
  // picture in a chunk of its own: each is encoded again, the rest kept.
  const kr::EncodedRichText before = cache.encoded(kTabs);
  QTextCursor cursor(&document);
  cursor.setPosition(document.findBlockByNumber(300).position());
  cursor.setPosition(document.findBlockByNumber(1300).position(), QTextCursor::KeepAnchor);
  QTextCharFormat marked;
  marked.setFontFamilies({QStringLiteral("Marker;Felt")});
  marked.setForeground(QColor(1, 2, 3));
  cursor.mergeCharFormat(marked);
  cursor.setPosition(document.findBlockByNumber(1000).position());
  cursor.insertTable(2, 2)->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("cell"));
  cursor.setPosition(document.findBlockByNumber(1400).position());
  RichTextDocument::insertAttachment(cursor, QStringLiteral("late.png"), pngBytes(Qt::blue));
  expectSameAsWholeDocument(document, cache, "marked over chunks");
  const kr::EncodedRichText after = cache.encoded(kTabs);
  ASSERT_EQ(before.chunks.size(), after.chunks.size());
  EXPECT_EQ(before.chunks.front(), after.chunks.front());
  EXPECT_NE(before.chunks[2], after.chunks[2]);
}

namespace {

// Takes a streamed text's bytes part by part, as a file writer does.
std::optional<QByteArray> readStream(kr::StreamedRichText& stream, QString* error) {
  QByteArray bytes;
  for (bool last = false; !last;) {
    const auto part = stream.next(&last, error);
    if (!part)
      return std::nullopt;
    for (const QByteArrayView piece : *part)
      bytes.append(piece);
  }
  return bytes;
}

} // namespace

TEST(RtfChunkCache, AStreamIsWrittenWhileItsLastChunksAreEncodedAndHoldsTheWholeText) {
  QTextDocument document;
  document.setDefaultFont(QFont(QStringLiteral("Pad Font")));
  RichTextDocument::fill(&document, mixedText(0));
  RtfChunkCache& cache = *RtfChunkCache::of(&document);
  cache.encodeFor(-1);
  EXPECT_EQ(cache.stream(kTabs), nullptr) << "nothing left to encode";
  // A colour over most chunks; the first of them encoded again, the others
  // still stale when the writer starts.
  QTextCursor cursor(&document);
  cursor.setPosition(document.findBlockByNumber(100).position());
  cursor.setPosition(document.findBlockByNumber(1300).position(), QTextCursor::KeepAnchor);
  QTextCharFormat marked;
  marked.setForeground(QColor(1, 2, 3));
  cursor.mergeCharFormat(marked);
  EXPECT_FALSE(cache.encodeFor(0));
  const std::shared_ptr<kr::StreamedRichText> stream = cache.stream(kTabs);
  ASSERT_TRUE(stream);
  EXPECT_GT(stream->missing(), 2u);
  std::optional<QByteArray> written;
  QString error;
  std::thread writer([&] { written = readStream(*stream, &error); });
  EXPECT_TRUE(cache.encodeInto(*stream));
  writer.join();
  ASSERT_TRUE(written) << qPrintable(error);
  EXPECT_TRUE(written->contains("{\\*\\viewfont}Pad Font;"));
  EXPECT_EQ(cache.staleBlocks(), 0);
  EXPECT_EQ(stream->missing(), 0u);
  // Read and written again, it is the whole document's text.
  RichText whole = RichTextDocument::fromDocument(document);
  whole.setTabInterval(kTabs);
  EXPECT_TRUE(RtfWriter::write(RtfReader::read(*written).text) == RtfWriter::write(whole));
  const std::optional<kr::EncodedRichText> streamed = stream->whole();
  ASSERT_TRUE(streamed);
  EXPECT_TRUE(RtfWriter::write(*streamed) == RtfWriter::write(whole));

  // A document with pictures is not streamed: their formats come with them.
  QTextDocument pictures;
  RichTextDocument::fill(&pictures, mixedText(200));
  EXPECT_EQ(RtfChunkCache::of(&pictures)->stream(kTabs), nullptr);
}

TEST(RtfChunkCache, AStreamsWriterWaitingForAChunkIsToldWhenNoneComes) {
  auto chunk = std::make_shared<kr::EncodedRichText::Chunk>();
  chunk->bytes = QByteArrayLiteral("abc");
  chunk->pieces.push_back({0, 3});
  kr::StreamedRichText stream({CharFormat{}}, {}, 0, QString(), {chunk, nullptr, chunk});
  EXPECT_EQ(stream.missing(), 1u);
  bool last = false;
  QString error;
  ASSERT_TRUE(stream.next(&last, &error)); // the header
  const auto first = stream.next(&last, &error);
  ASSERT_TRUE(first);
  EXPECT_FALSE(last);
  QByteArray firstBytes;
  for (const QByteArrayView piece : *first)
    firstBytes.append(piece);
  EXPECT_EQ(firstBytes, QByteArrayLiteral("abc"));
  std::optional<QByteArray> rest = QByteArray();
  std::thread writer([&] { rest = readStream(stream, &error); });
  stream.abandon(QStringLiteral("gone"));
  writer.join();
  EXPECT_FALSE(rest);
  EXPECT_EQ(error, QStringLiteral("gone"));
  EXPECT_FALSE(stream.whole());
}
