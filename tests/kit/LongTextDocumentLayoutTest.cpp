#include "kit/text/LongTextDocumentLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace kr;

namespace {

// Paragraphs of one to about six lines at 300 pixels.
QString paragraphs(int count) {
  QString text;
  for (int i = 0; i < count; ++i) {
    if (i > 0)
      text += u'\n';
    text += QStringLiteral("%1:").arg(i);
    for (int word = 0; word < (i * 7) % 40; ++word)
      text += QStringLiteral(" word%1").arg(word);
  }
  return text;
}

struct LongText {
  explicit LongText(const QString& text, double width = 300) {
    document.setPlainText(text);
    layout = new LongTextDocumentLayout(&document);
    document.setDocumentLayout(layout);
    document.setPageSize(QSizeF(width, -1));
  }
  void measureAll() {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
      layout->blockBoundingRect(block);
  }
  QTextDocument document;
  LongTextDocumentLayout* layout = nullptr;
};

// Every paragraph's top in `a` and `b`, all measured.
void expectSamePlaces(LongText& a, LongText& b) {
  a.measureAll();
  b.measureAll();
  ASSERT_EQ(a.document.blockCount(), b.document.blockCount());
  for (int i = 0; i <= a.document.blockCount(); ++i)
    ASSERT_DOUBLE_EQ(a.layout->blockTop(i), b.layout->blockTop(i)) << "paragraph " << i;
  EXPECT_EQ(a.layout->documentSize(), b.layout->documentSize());
}

} // namespace

TEST(LongTextDocumentLayout, EstimatesTheWholeTextAtOnceAndMeasuresParagraphsAsQtWould) {
  const QString text = paragraphs(400);
  LongText own(text);
  // Qt's layout of the same text, for the measured heights.
  QTextDocument reference;
  reference.setPlainText(text);
  reference.setPageSize(QSizeF(300, -1));
  QAbstractTextDocumentLayout* qt = reference.documentLayout();

  // The size covers every paragraph before any is drawn; only the first
  // few are laid out.
  EXPECT_LE(own.layout->measuredCount(), 100);
  const double estimated = own.layout->documentSize().height();
  const double exact = qt->documentSize().height();
  EXPECT_GT(estimated, 0.8 * exact);
  EXPECT_LT(estimated, 1.25 * exact);
  EXPECT_EQ(own.layout->blockAt(estimated - 1).blockNumber(), 399);

  // A paragraph asked about is measured as Qt measures it.
  const QTextBlock far = own.document.findBlockByNumber(365);
  EXPECT_FALSE(own.layout->isMeasured(365));
  const QRectF rect = own.layout->blockBoundingRect(far);
  EXPECT_TRUE(own.layout->isMeasured(365));
  EXPECT_EQ(rect.height(), qt->blockBoundingRect(reference.findBlockByNumber(365)).height());
  EXPECT_GT(far.layout()->lineCount(), 3);
  EXPECT_DOUBLE_EQ(rect.top(), own.layout->blockTop(365));

  // Measured throughout, the text stands where Qt puts it.
  QSignalSpy sized(own.layout, &QAbstractTextDocumentLayout::documentSizeChanged);
  own.measureAll();
  for (int i = 0; i < 400; i += 37)
    EXPECT_DOUBLE_EQ(own.layout->blockTop(i),
                     qt->blockBoundingRect(reference.findBlockByNumber(i)).top())
        << "paragraph " << i;
  EXPECT_DOUBLE_EQ(own.layout->documentSize().height(), exact);
  // Corrections found while measuring are announced once the events run.
  EXPECT_EQ(sized.count(), 0);
  EXPECT_TRUE(sized.wait(1000));
  EXPECT_DOUBLE_EQ(sized.last().at(0).toSizeF().height(), exact);
}

TEST(LongTextDocumentLayout, KeepsPlacesAndHitsRightThroughEditsAtTheTopMiddleAndEnd) {
  LongText edited(paragraphs(600));
  edited.measureAll();
  QTextCursor cursor(&edited.document);
  // At the top: a paragraph split, and a word typed.
  cursor.setPosition(2);
  cursor.insertText(QStringLiteral("split\nhere"));
  cursor.setPosition(0);
  cursor.insertText(QStringLiteral("typed "));
  // In the middle: two paragraphs joined, and a long paste.
  cursor.setPosition(edited.document.findBlockByNumber(300).position());
  cursor.deletePreviousChar();
  cursor.insertText(paragraphs(50));
  // At the end: paragraphs added, then a stretch over three of them removed.
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QStringLiteral("\nlast one\nand another"));
  cursor.setPosition(edited.document.findBlockByNumber(500).position() + 1);
  cursor.setPosition(edited.document.findBlockByNumber(503).position() + 1,
                     QTextCursor::KeepAnchor);
  cursor.removeSelectedText();

  LongText fresh(edited.document.toPlainText());
  expectSamePlaces(edited, fresh);

  // Each paragraph's box and the hits in it agree.
  for (const int number : {0, 1, 2, 299, 300, 320, 500, edited.document.blockCount() - 1}) {
    const QTextBlock block = edited.document.findBlockByNumber(number);
    const QRectF rect = edited.layout->blockBoundingRect(block);
    EXPECT_EQ(edited.layout->blockAt(rect.center().y()).blockNumber(), number);
    const int hit = edited.layout->hitTest(rect.topLeft() + QPointF(1, 1), Qt::FuzzyHit);
    EXPECT_EQ(hit, block.position()) << "paragraph " << number;
    const int inside = edited.layout->hitTest(rect.topLeft() + QPointF(3, 5), Qt::ExactHit);
    EXPECT_GE(inside, block.position());
    EXPECT_LT(inside, block.position() + block.length());
  }
  // Below the text: its end, or nothing for an exact hit.
  const double below = edited.layout->documentSize().height() + 50;
  EXPECT_EQ(edited.layout->hitTest(QPointF(10, below), Qt::FuzzyHit),
            edited.document.characterCount() - 1);
  EXPECT_EQ(edited.layout->hitTest(QPointF(10, below), Qt::ExactHit), -1);
}

TEST(LongTextDocumentLayout, AWidthChangeDropsTheMeasuresWithoutLayingOutAgain) {
  LongText text(paragraphs(300));
  text.measureAll();
  EXPECT_EQ(text.layout->measuredCount(), 300);
  const double wide = text.layout->documentSize().height();

  text.document.setPageSize(QSizeF(150, -1));
  EXPECT_EQ(text.layout->measuredCount(), 0);
  EXPECT_GT(text.layout->documentSize().height(), 1.5 * wide);
  EXPECT_EQ(text.layout->documentSize().width(), 150);
  const QTextBlock block = text.document.findBlockByNumber(200);
  EXPECT_LE(text.layout->blockBoundingRect(block).right(), 150);

  // The same width again changes nothing.
  text.document.setPageSize(QSizeF(150, -1));
  EXPECT_TRUE(text.layout->isMeasured(200));

  LongText narrow(text.document.toPlainText(), 150);
  expectSamePlaces(text, narrow);
}

TEST(LongTextDocumentLayout, DrawsOnlyTheParagraphsInTheClipWithTheSelectionAndCaret) {
  LongText text(paragraphs(2000));
  const int before = text.layout->measuredCount();
  const double top = text.layout->blockTop(1500);
  QImage image(300, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.translate(0, -top);
  QAbstractTextDocumentLayout::PaintContext context;
  context.clip = QRectF(0, top, 300, 200);
  context.palette.setColor(QPalette::Text, Qt::black);
  QTextCursor selected(text.document.findBlockByNumber(1500));
  selected.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  QAbstractTextDocumentLayout::Selection selection;
  selection.cursor = selected;
  selection.format.setBackground(Qt::blue);
  selection.format.setForeground(Qt::white);
  context.selections.append(selection);
  context.cursorPosition = text.document.findBlockByNumber(1502).position();
  text.layout->draw(&painter, context);
  painter.end();

  EXPECT_LE(text.layout->measuredCount() - before, 20);
  EXPECT_TRUE(text.layout->isMeasured(1500));
  EXPECT_FALSE(text.layout->isMeasured(1000));
  // The selected paragraph is blue at its start; the caret is drawn.
  const QRectF first = text.layout->blockBoundingRect(text.document.findBlockByNumber(1500));
  int blue = 0;
  for (int x = int(first.left()); x < 290; ++x)
    blue += image.pixelColor(x, 1) == QColor(Qt::blue) ? 1 : 0;
  EXPECT_GT(blue, 200);
  const QRectF caretLine = text.layout->blockBoundingRect(text.document.findBlockByNumber(1502));
  const int caretY = int(caretLine.top() - top) + 5;
  ASSERT_LT(caretY, 200);
  EXPECT_EQ(image.pixelColor(int(caretLine.left()), caretY), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(int(caretLine.left()) + 1, caretY), QColor(Qt::white));
}
