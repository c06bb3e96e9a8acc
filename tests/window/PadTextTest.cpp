#include "window/NowAndLaterBoardManager.h"
#include "window/PadViewController.h"

#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/LongTextDocumentLayout.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/PadTextSettings.h"
#include "kit/text/TextIndicatorsView.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfChunkCache.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "support/FreshDefaults.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace kr;

namespace {

const QString kSeparator = QString(32, QChar(0x2500));

class PadText : public ::testing::Test {
protected:
  PadText() {
    test::freshStandardDefaults();
    UserDefaults::standard().registerDefault(QStringLiteral("textColor"),
                                             QStringLiteral("#000000"));
    UserDefaults::standard().registerDefault(QStringLiteral("defaultFont"),
                                             QFont(QStringLiteral("Helvetica"), 12).toString());
    view.awakeFromNib();
    view.setTextIndicatorsView(&indicators);
    view.resize(400, 300);
    view.show();
    view.setFocus();
  }

  QString text() const { return view.toPlainText(); }
  // An empty text with no format carried over from the last one.
  void reset() {
    view.clear();
    view.setCurrentCharFormat(QTextCharFormat());
  }

  // Types at the caret, one key at a time, as the user does.
  void type(const QString& keys) {
    for (const QChar key : keys) {
      if (key == u'\n')
        QTest::keyClick(&view, Qt::Key_Return);
      else
        QTest::keyClicks(&view, QString(key));
    }
  }
  void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&view, key, modifiers);
  }
  void undo() { press(Qt::Key_Z, Qt::ControlModifier); }
  void redo() { press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

  QTextCharFormat formatAt(int position) const {
    QTextCursor cursor(view.document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
  }
  bool struckAt(int position) const { return formatAt(position).fontStrikeOut(); }
  int caret() const { return view.textCursor().position(); }
  void select(int from, int to) {
    QTextCursor cursor(view.document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
  }

  test::TestClock clock;
  TextIndicatorsView indicators;
  NowAndLaterBoardTextView view;
};

} // namespace

TEST_F(PadText, SeparatorsAtTheStartOfTheTextAndOfALineUndoToTheTypedDashes) {
  type(QStringLiteral("--"));
  EXPECT_EQ(text(), kSeparator + u'\n');
  EXPECT_EQ(caret(), 33);
  undo();
  EXPECT_EQ(text(), QStringLiteral("--"));
  redo();
  EXPECT_EQ(text(), kSeparator + u'\n') << "redo gives the separator back, once";
  type(QStringLiteral("abc"));
  press(Qt::Key_Return);
  type(QStringLiteral("--"));
  EXPECT_EQ(text(), kSeparator + QStringLiteral("\nabc\n") + kSeparator + u'\n');
  // Dashes typed in front of a word that starts a line make a separator too.
  reset();
  type(QStringLiteral("word"));
  view.moveCursor(QTextCursor::Start);
  type(QStringLiteral("--"));
  EXPECT_EQ(text(), kSeparator + QStringLiteral("\nword"));
}

TEST_F(PadText, DoneBecomesACheckMarkAnywhereButOnlyAtTheCaret) {
  type(QStringLiteral("milk done'"));
  EXPECT_EQ(text(), QStringLiteral("milk \u2714"));
  undo();
  EXPECT_EQ(text(), QStringLiteral("milk done'"));
  // Pasted text holding the sequences in its middle stays as it is.
  reset();
  auto* pasted = new QMimeData;
  pasted->setText(QStringLiteral("a done' b\n--\nc"));
  QApplication::clipboard()->setMimeData(pasted);
  press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(text(), QStringLiteral("a done' b\n--\nc"));
  // One that ends at the caret is turned.
  reset();
  auto* ending = new QMimeData;
  ending->setText(QStringLiteral("x done'"));
  QApplication::clipboard()->setMimeData(ending);
  press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(text(), QStringLiteral("x \u2714"));
}

TEST_F(PadText, ALineEndingInTwoDashesIsStruckFromItsFirstLetter) {
  type(QStringLiteral("first\nBuy milk--"));
  EXPECT_EQ(text(), QStringLiteral("first\nBuy milk"));
  EXPECT_FALSE(struckAt(4));
  for (int i = 6; i < 14; ++i)
    EXPECT_TRUE(struckAt(i)) << i;
  EXPECT_EQ(caret(), 14);
  type(QStringLiteral("!"));
  EXPECT_FALSE(struckAt(14)) << "typing goes on unstruck";
  undo();
  EXPECT_EQ(text(), QStringLiteral("first\nBuy milk"));
  undo();
  EXPECT_EQ(text(), QStringLiteral("first\nBuy milk--"));
  EXPECT_FALSE(struckAt(6));
  redo();
  EXPECT_EQ(text(), QStringLiteral("first\nBuy milk"));
  EXPECT_TRUE(struckAt(6));

  reset();
  type(QStringLiteral("x\n  12 apples--"));
  EXPECT_EQ(text(), QStringLiteral("x\n  12 apples"));
  EXPECT_FALSE(struckAt(4)) << "the digits stay";
  EXPECT_TRUE(struckAt(7)) << "from the a of apples";

  // A line with no letter: from the end of the line before.
  reset();
  type(QStringLiteral("x\n12 --"));
  EXPECT_EQ(text(), QStringLiteral("x\n12 "));
  EXPECT_TRUE(struckAt(2));
  EXPECT_FALSE(struckAt(0));

  // Dashes that do not end their line strike nothing.
  reset();
  type(QStringLiteral("tail"));
  view.moveCursor(QTextCursor::StartOfLine);
  type(QStringLiteral("a--"));
  EXPECT_EQ(text(), QStringLiteral("a--tail"));
  EXPECT_FALSE(struckAt(0));
}

TEST_F(PadText, ListsBeginContinueAndEndWithReturn) {
  type(QStringLiteral("* "));
  EXPECT_EQ(text(), QStringLiteral("\t\u2022\t\n"));
  EXPECT_EQ(caret(), 3) << "before the item's newline";
  type(QStringLiteral("milk"));
  press(Qt::Key_Return);
  EXPECT_EQ(text(), QStringLiteral("\t\u2022\tmilk\n\t\u2022\t\n"));
  type(QStringLiteral("eggs"));
  press(Qt::Key_Return);
  press(Qt::Key_Return);
  EXPECT_EQ(text(), QStringLiteral("\t\u2022\tmilk\n\t\u2022\teggs\n\n"))
      << "an empty item ends it";
  undo();
  EXPECT_EQ(text(), QStringLiteral("\t\u2022\tmilk\n\t\u2022\teggs\n\t\u2022\t\n\n"));

  reset();
  type(QStringLiteral("top\n1. "));
  EXPECT_EQ(text(), QStringLiteral("top\n\t(1)\t\n"));
  type(QStringLiteral("a"));
  press(Qt::Key_Return);
  type(QStringLiteral("b"));
  press(Qt::Key_Return);
  EXPECT_EQ(text(), QStringLiteral("top\n\t(1)\ta\n\t(2)\tb\n\t(3)\t\n"));
  undo();
  EXPECT_EQ(text(), QStringLiteral("top\n\t(1)\ta\n\t(2)\tb\n\n"));

  reset();
  type(QStringLiteral("+ "));
  EXPECT_EQ(text(), QStringLiteral("\t\u27a4\t\n"));
  undo();
  EXPECT_EQ(text(), QStringLiteral("+ "));
  // Undo and Redo never run the rules again.
  redo();
  EXPECT_EQ(text(), QStringLiteral("\t\u27a4\t\n"));
  undo();
  undo();
  redo();
  EXPECT_EQ(text(), QStringLiteral("+ "));
}

TEST_F(PadText, BoldItalicStrikeOutAndPlainTextUndoAsOneStep) {
  type(QStringLiteral("one two"));
  // Bold on an empty selection sets only what is typed next.
  press(Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(formatAt(0).fontWeight(), QFont::Normal);
  type(QStringLiteral("!"));
  EXPECT_EQ(formatAt(7).fontWeight(), QFont::Bold);
  // A selection starting on plain text gets bold; one starting bold loses it.
  select(0, 3);
  press(Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(formatAt(0).fontWeight(), QFont::Bold);
  EXPECT_EQ(formatAt(4).fontWeight(), QFont::Normal);
  select(0, 5);
  press(Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(formatAt(0).fontWeight(), QFont::Normal);
  EXPECT_EQ(formatAt(4).fontWeight(), QFont::Normal);
  undo();
  EXPECT_EQ(formatAt(0).fontWeight(), QFont::Bold);
  EXPECT_EQ(formatAt(4).fontWeight(), QFont::Normal);

  // Strike-out goes by the first character of the selection.
  select(4, 7);
  press(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(struckAt(5));
  select(4, 8);
  press(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(struckAt(5));
  EXPECT_FALSE(struckAt(7));
  undo();
  EXPECT_TRUE(struckAt(5));
  EXPECT_FALSE(struckAt(7));

  // Italics change the slant only; the strike-out stays.
  select(4, 7);
  press(Qt::Key_I, Qt::ControlModifier);
  EXPECT_TRUE(formatAt(5).fontItalic());
  EXPECT_TRUE(struckAt(5));
  press(Qt::Key_U, Qt::ControlModifier);
  EXPECT_TRUE(formatAt(5).fontUnderline());
}

TEST_F(PadText, PlainTextGivesExactlyThePadsFontAndColourAndDropsLinks) {
  RichTextDocument::fill(view.document(), RichText(QStringLiteral("see here")));
  QTextCharFormat link;
  link.setAnchor(true);
  link.setAnchorHref(QStringLiteral("https://example.org"));
  link.setFontUnderline(true);
  link.setForeground(Qt::blue);
  link.setFontPointSize(20);
  QTextCursor cursor(view.document());
  cursor.setPosition(4);
  cursor.setPosition(8, QTextCursor::KeepAnchor);
  cursor.mergeCharFormat(link);
  view.setTextCursor(cursor);
  ASSERT_TRUE(formatAt(5).isAnchor());
  press(Qt::Key_Backslash, Qt::ControlModifier);
  const QTextCharFormat plain = formatAt(5);
  EXPECT_FALSE(plain.isAnchor());
  EXPECT_TRUE(plain.anchorHref().isEmpty());
  EXPECT_FALSE(plain.fontUnderline());
  EXPECT_EQ(plain.foreground().color(), QColor(Qt::black));
  EXPECT_EQ(plain.font().family(), QStringLiteral("Helvetica"));
  EXPECT_EQ(plain.font().pointSizeF(), 12.0);
  ASSERT_NE(view.textIndicatorsView(), nullptr);
  EXPECT_TRUE(view.textIndicatorsView()->plainIndicator()->isChecked());
  undo();
  EXPECT_TRUE(formatAt(5).isAnchor());
}

TEST_F(PadText, MarkAsCompletedStrikesTheLineAndGoesOnFieldsAreSelectedByKey) {
  type(QStringLiteral("  call Ann\nwrite report\nlast"));
  select(3, 3);
  press(Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(text(), QStringLiteral("  call Ann\nwrite report\nlast")) << "no newline typed";
  EXPECT_FALSE(struckAt(1));
  EXPECT_TRUE(struckAt(2));
  EXPECT_TRUE(struckAt(9));
  EXPECT_FALSE(struckAt(11));
  EXPECT_EQ(caret(), 23) << "the end of the next line";
  undo();
  EXPECT_FALSE(struckAt(2));

  reset();
  view.insertPlainText(QStringLiteral("a \u2039one\u203a b \u2039two\u203a"));
  select(0, 0);
  press(Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(view.textCursor().selectedText(), QStringLiteral("\u2039one\u203a"));
  press(Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(view.textCursor().selectedText(), QStringLiteral("\u2039two\u203a"));
  press(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(view.textCursor().selectedText(), QStringLiteral("\u2039one\u203a"));
  view.next();
  EXPECT_EQ(caret(), int(text().size()));
  view.previous();
  EXPECT_EQ(caret(), 0);
}

TEST_F(PadText, UserEditsAndBoldArmTheAutosaveUndoStrikeOutAndPlainTextDoNot) {
  FastTypeTextViewDelegate* delegate = view.delegate();
  ASSERT_NE(delegate, nullptr);
  type(QStringLiteral("abc"));
  EXPECT_TRUE(delegate->isWritePending());
  delegate->timerFireMethod();
  ASSERT_FALSE(delegate->isWritePending());
  select(0, 2);
  press(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
  press(Qt::Key_Backslash, Qt::ControlModifier);
  press(Qt::Key_Return, Qt::ControlModifier);
  undo();
  redo();
  EXPECT_FALSE(delegate->isWritePending());
  select(0, 2);
  press(Qt::Key_B, Qt::ControlModifier);
  EXPECT_TRUE(delegate->isWritePending());
}

// Links and spelling marks drawn on the paragraphs on screen change how the
// text looks, not the text: reading and scrolling a sheet saves nothing.
TEST_F(PadText, DrawingLinksAndMarksOnScreenArmsNoAutosave) {
  FastTypeTextViewDelegate* delegate = view.delegate();
  ASSERT_NE(delegate, nullptr);
  RichText sheet;
  CharFormat link;
  link.link = QStringLiteral("https://example.org/");
  for (int line = 0; line < 400; ++line) {
    sheet.append(QStringLiteral("line %1 with a ").arg(line), CharFormat());
    sheet.append(QStringLiteral("link"), link);
    sheet.append(QStringLiteral("\n"), CharFormat());
  }
  view.showSheet(sheet);
  const auto linkDrawnAt = [&](int paragraph) {
    const QTextBlock block = view.document()->findBlockByNumber(paragraph);
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
      if (range.format.fontUnderline())
        return true;
    return false;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return linkDrawnAt(0); }, test::timeLimit(5000)));
  // To the end, as far as the text is laid out so far.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        return linkDrawnAt(399);
      },
      test::timeLimit(5000)));
  EXPECT_FALSE(view.document()->isModified());
  EXPECT_FALSE(delegate->isWritePending());
  type(QStringLiteral("x"));
  EXPECT_TRUE(delegate->isWritePending());
}

// Paragraphs take their direction from their first letter written in either
// direction, whether the text came with such letters or they were typed later.
TEST_F(PadText, ParagraphsReadRightToLeftWhenTheirFirstLetterDoes) {
  const auto direction = [&](int paragraph) {
    const QTextBlock block = view.document()->findBlockByNumber(paragraph);
    view.document()->documentLayout()->blockBoundingRect(block);
    return block.layout()->textOption().textDirection();
  };
  const QString hebrew = QStringLiteral("\u05e9\u05dc\u05d5\u05dd");
  view.showSheet(RichText(QStringLiteral("notes\n12 ") + hebrew + QStringLiteral(" notes\n")));
  EXPECT_EQ(direction(0), Qt::LeftToRight);
  EXPECT_EQ(direction(1), Qt::RightToLeft);

  view.showSheet(RichText(QStringLiteral("notes\n12: \n")));
  EXPECT_EQ(direction(1), Qt::LeftToRight);
  QTextCursor caret(view.document()->findBlockByNumber(1));
  caret.movePosition(QTextCursor::EndOfBlock);
  view.setTextCursor(caret);
  QInputMethodEvent typed;
  typed.setCommitString(hebrew);
  QApplication::sendEvent(&view, &typed);
  EXPECT_EQ(direction(0), Qt::LeftToRight);
  EXPECT_EQ(direction(1), Qt::RightToLeft);
  // Undone, the paragraph reads left to right again.
  undo();
  EXPECT_EQ(direction(1), Qt::LeftToRight);

  // A letter beyond the basic plane counts too (Adlam).
  view.showSheet(RichText(QStringLiteral("\U0001E900 notes\nnotes\n")));
  EXPECT_EQ(direction(0), Qt::RightToLeft);
  EXPECT_EQ(direction(1), Qt::LeftToRight);
}

TEST_F(PadText, KeysTypedAheadIntoALongTextGoInAsTypedAsOneEdit) {
  const QString filler(200, u'w');
  QString lines = QStringLiteral("a line of text\na line\n");
  while (lines.size() <= NowAndLaterBoardTextView::kTypeAheadFrom)
    lines += filler + u'\n';
  view.showSheet(RichText(lines));
  int edits = 0;
  QObject counter;
  QObject::connect(view.document(), &QTextDocument::contentsChange, &counter, [&] { ++edits; });
  const auto post = [&](Qt::Key key, const QString& typed = {}) {
    QCoreApplication::postEvent(&view, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, typed));
  };
  post(Qt::Key_A, QStringLiteral("a"));
  post(Qt::Key_B, QStringLiteral("b"));
  post(Qt::Key_Backspace);
  post(Qt::Key_C, QStringLiteral("c"));
  post(Qt::Key_Return);
  post(Qt::Key_D, QStringLiteral("d"));
  post(Qt::Key_Delete);
  // The batch goes in after the events queued with its keys.
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(view.hasTypedAhead());
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(text().startsWith(QStringLiteral("ac\nd line of text\na line")));
  EXPECT_EQ(caret(), 4);
  EXPECT_EQ(edits, 1) << "the document was laid out again once for the seven keys";
  EXPECT_TRUE(view.delegate()->isWritePending());
  // The typing rules still follow each key of a batch, and a key that is
  // no typing takes the batch in first.
  type(QStringLiteral("\n--x"));
  EXPECT_TRUE(view.hasTypedAhead());
  press(Qt::Key_Home);
  EXPECT_FALSE(view.hasTypedAhead());
  EXPECT_TRUE(text().startsWith(QStringLiteral("ac\nd\n") + kSeparator + QStringLiteral("\nx")))
      << qPrintable(text().left(60));
  // One undo step per batch.
  undo();
  EXPECT_TRUE(text().startsWith(QStringLiteral("ac\nd line of text\n")));
  undo();
  EXPECT_TRUE(text().startsWith(QStringLiteral("a line of text\na line")));
}

TEST_F(PadText, ScrollingUpALongTextKeepsTheTextReadInPlaceWhileParagraphsAreLaidOut) {
  // Paragraphs whose laid-out heights differ from the estimates: some in a
  // large type, some wrapping over many lines.
  RichText sheet;
  CharFormat large;
  large.fontSize = 30;
  const QString words = QStringLiteral("wrapping words ");
  int i = 0;
  while (sheet.plainText().size() <= NowAndLaterBoardTextView::kOwnLayoutFrom) {
    QString chunk;
    for (int j = 0; j < 4; ++j, ++i)
      chunk += words.repeated(i * 13 % 29) + u'\n';
    sheet.append(chunk);
    sheet.append(u"a large line\n", large);
  }
  view.showSheet(sheet);
  ASSERT_TRUE(qobject_cast<LongTextDocumentLayout*>(view.document()->documentLayout()));
  QScrollBar* bar = view.verticalScrollBar();
  QCoreApplication::processEvents();
  ASSERT_GT(bar->maximum(), 100000);

  // A jump with the thumb lands where it was sent.
  const int middle = bar->maximum() / 2;
  bar->setValue(middle);
  EXPECT_EQ(bar->value(), middle);
  view.viewport()->grab();
  QCoreApplication::processEvents();

  // Going up step by step, the text at the top of the view moves down by
  // exactly each step, however wrong the estimates above it were.
  int moved = 0;
  for (int step = 0; step < 40; ++step) {
    const int position = view.cursorForPosition(QPoint(10, 2)).position();
    QTextCursor at(view.document());
    at.setPosition(position);
    const int before = view.cursorRect(at).top();
    const int value = bar->value();
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    view.viewport()->grab();
    QCoreApplication::processEvents();
    const int after = view.cursorRect(at).top();
    EXPECT_NEAR(after - before, bar->singleStep(), 1) << "step " << step;
    moved += bar->value() - (value - bar->singleStep());
  }
  EXPECT_NE(moved, 0) << "the estimates above were all right: nothing was tested";
}

TEST_F(PadText, ALongTextRecolouredIsEncodedInStepsBetweenKeysAndSavedWhole) {
  QString notes;
  for (int line = 0; notes.size() < (768 << 10); ++line)
    notes += QStringLiteral("%1: a line of notes about the work of the day.\n").arg(line);
  view.showSheet(RichText(notes));
  // Saved once: its encoding is kept by paragraphs from then on.
  view.encodedText();
  RtfChunkCache* cache = RtfChunkCache::find(view.document());
  ASSERT_NE(cache, nullptr);
  EXPECT_FALSE(view.isEncodingInSteps());
  // A new text colour changes every paragraph at once.
  UserDefaults::standard().setValue(QStringLiteral("textColor"), QStringLiteral("#204080"));
  ASSERT_TRUE(view.isEncodingInSteps());
  EXPECT_EQ(cache->staleBlocks(), view.document()->blockCount());
  // Each turn of the event loop serves a key queued meanwhile and takes one
  // step: the keys go in while the encoding is still under way.
  view.moveCursor(QTextCursor::End);
  int turns = 0;
  int keysServedMidway = 0;
  while (view.isEncodingInSteps() && turns < 100000) {
    const int staleBefore = cache->staleBlocks();
    if (turns < 3)
      QCoreApplication::postEvent(
          &view, new QKeyEvent(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier, QStringLiteral("k")));
    QCoreApplication::processEvents();
    ++turns;
    if (turns <= 3) {
      EXPECT_TRUE(view.document()->lastBlock().text().endsWith(QString(turns, u'k'))) << turns;
      if (view.isEncodingInSteps())
        ++keysServedMidway;
    }
    // A step encodes a few chunks, never the whole text at once.
    if (turns == 1) {
      EXPECT_LT(staleBefore - cache->staleBlocks(), staleBefore);
    }
  }
  EXPECT_GT(keysServedMidway, 0);
  // The steps left nothing for the save, which writes what the whole-document
  // writer writes.
  EXPECT_FALSE(view.isEncodingInSteps());
  EXPECT_EQ(cache->staleBlocks(), 0);
  RichText whole = RichTextDocument::fromDocument(*view.document());
  whole.setTabInterval(28);
  const QByteArray expected = RtfWriter::write(whole);
  EXPECT_TRUE(expected.contains("\\red32\\green64\\blue128"));
  EXPECT_TRUE(RtfWriter::write(view.encodedText()) == expected);
}

// A selection in an editor without the focus stands back: the pads and the
// objective draw it in inactive colours of their own, in the text's colour.
TEST_F(PadText, ASelectionWithoutTheFocusIsDrawnInTheInactiveColours) {
  using Selection = NowAndLaterBoardTextView::Selection;
  for (const Selection selection : {Selection::pads, Selection::desktop}) {
    NowAndLaterBoardTextView editor(nullptr, selection);
    editor.awakeFromNib();
    const QPalette colours = editor.palette();
    EXPECT_NE(colours.color(QPalette::Inactive, QPalette::Highlight),
              colours.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::HighlightedText), Qt::black);
  }
}
