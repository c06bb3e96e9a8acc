// The pads' editor: the format commands and the caret's moves.
#include "kit/text/NowAndLaterBoardTextView.h"

#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/PadTextSettings.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace kr {

QTextCharFormat NowAndLaterBoardTextView::referenceFormat() const {
  const QTextCursor selection = textCursor();
  if (!selection.hasSelection())
    return currentCharFormat();
  QTextCursor first(document());
  first.setPosition(selection.selectionStart() + 1);
  return first.charFormat();
}

void NowAndLaterBoardTextView::mergeFormat(const QTextCharFormat& modifier) {
  // A locked editor takes no format change either.
  if (isReadOnly())
    return;
  mergeCurrentCharFormat(modifier);
  updateIndicators();
}

bool NowAndLaterBoardTextView::canMakePlainText() const {
  if (isReadOnly())
    return false;
  const QFont plain = PadTextSettings::defaultFont();
  const QFont base = document()->defaultFont();
  const QColor colour = PadTextSettings::textColor();
  const auto isPlain = [&](const QTextCharFormat& format) {
    const QFont font = format.font().resolve(base);
    const bool ownColour =
        !format.hasProperty(QTextFormat::ForegroundBrush) || format.foreground().color() == colour;
    return ownColour && !format.isAnchor() && !format.fontUnderline() && !format.fontStrikeOut() &&
           font.family() == plain.family() && font.pointSizeF() == plain.pointSizeF() &&
           font.bold() == plain.bold() && font.italic() == plain.italic();
  };
  const QTextCursor cursor = textCursor();
  if (!cursor.hasSelection())
    return !isPlain(currentCharFormat());
  const int from = cursor.selectionStart();
  const int to = cursor.selectionEnd();
  for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() < to;
       block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.position() + fragment.length() > from && fragment.position() < to &&
          !isPlain(fragment.charFormat()))
        return true;
    }
  }
  return false;
}

void NowAndLaterBoardTextView::makePlainText() {
  applyTypedAhead();
  if (isReadOnly())
    return;
  QTextCharFormat plain;
  plain.setFont(PadTextSettings::defaultFont());
  plain.setForeground(PadTextSettings::textColor());
  QTextCursor selection = textCursor();
  if (!selection.hasSelection()) {
    setCurrentCharFormat(plain);
    updateIndicators();
    return;
  }
  quietly([&] {
    selection.beginEditBlock();
    selection.setCharFormat(plain);
    selection.setBlockFormat(QTextBlockFormat());
    selection.endEditBlock();
  });
  updateIndicators();
}

void NowAndLaterBoardTextView::toggleBoldAttribute() {
  applyTypedAhead();
  QTextCharFormat modifier;
  modifier.setFontWeight(referenceFormat().fontWeight() >= QFont::Bold ? QFont::Normal
                                                                       : QFont::Bold);
  mergeFormat(modifier);
}

void NowAndLaterBoardTextView::toggleItalicAttribute() {
  applyTypedAhead();
  QTextCharFormat modifier;
  modifier.setFontItalic(!referenceFormat().fontItalic());
  mergeFormat(modifier);
}

void NowAndLaterBoardTextView::underline() {
  applyTypedAhead();
  QTextCharFormat modifier;
  modifier.setFontUnderline(!referenceFormat().fontUnderline());
  mergeFormat(modifier);
}

void NowAndLaterBoardTextView::toggleStrikeOutAttribute() {
  applyTypedAhead();
  QTextCharFormat modifier;
  modifier.setFontStrikeOut(!referenceFormat().fontStrikeOut());
  quietly([&] { mergeFormat(modifier); });
}

void NowAndLaterBoardTextView::markAsCompleted() {
  applyTypedAhead();
  quietly([this] { FastTypeTextViewDelegate::strikeOutAndContinue(*this); });
  updateIndicators();
}

void NowAndLaterBoardTextView::selectNextField() {
  applyTypedAhead();
  PadTextSettings::selectMarkedText(this, textCursor().selectionEnd(), true);
}

void NowAndLaterBoardTextView::selectPreviousField() {
  applyTypedAhead();
  PadTextSettings::selectMarkedText(this, textCursor().selectionStart(), false);
}

void NowAndLaterBoardTextView::next() {
  applyTypedAhead();
  moveCursor(QTextCursor::EndOfLine);
}

void NowAndLaterBoardTextView::previous() {
  applyTypedAhead();
  moveCursor(QTextCursor::StartOfLine);
}

} // namespace kr
