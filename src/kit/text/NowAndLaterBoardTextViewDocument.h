#pragma once

// How the pads' editor sets up a document it shows: shared by the editor's
// own files, not for use elsewhere.

#include "kit/text/LongTextDocumentLayout.h"
#include "kit/text/NowAndLaterBoardTextView.h"

#include <QChar>
#include <QStringView>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>

namespace kr::board_document {

// Tab stops every 28 points, as in the pads' files.
inline constexpr double kTabInterval = 28.0;

// The text sits 5 points below the top and above the end, flush at the sides.
// Each of these changes has the whole text laid out again at once: a
// document that has them already is left alone.
inline void applyInset(QTextDocument* document, double dpi) {
  QTextOption option = document->defaultTextOption();
  if (option.tabStopDistance() != kTabInterval * dpi / 72.0) {
    option.setTabStopDistance(kTabInterval * dpi / 72.0);
    document->setDefaultTextOption(option);
  }
  if (document->documentMargin() != 0)
    document->setDocumentMargin(0);
  QTextFrameFormat frame = document->rootFrame()->frameFormat();
  if (frame.leftMargin() == 0 && frame.rightMargin() == 0 && frame.topMargin() == 5 &&
      frame.bottomMargin() == 5)
    return;
  frame.setLeftMargin(0);
  frame.setRightMargin(0);
  frame.setTopMargin(5);
  frame.setBottomMargin(5);
  document->rootFrame()->setFrameFormat(frame);
}

// A long text is laid out only where it is seen. Given once the text is in
// and before the editor gives it a width: its paragraphs are counted once.
inline void useLayoutForLength(QTextDocument* document) {
  if (document->characterCount() > NowAndLaterBoardTextView::kOwnLayoutFrom &&
      !document->findChild<LongTextDocumentLayout*>(QString(), Qt::FindDirectChildrenOnly))
    document->setDocumentLayout(new LongTextDocumentLayout(document));
}

// Whether `text` holds a letter written from right to left: the characters
// by which a paragraph without a direction of its own takes that direction.
inline bool writesRightToLeft(QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    const QChar::Direction direction = QChar::direction(c);
    if (direction == QChar::DirR || direction == QChar::DirAL)
      return true;
  }
  return false;
}

// A paragraph without a direction of its own reads it from its first letter
// written in either direction, or runs left to right without one. Qt looks
// for that letter in every paragraph it lays out, and places again every
// paragraph below an edit: in a long text that search is most of a key's
// time. A text without a letter written from right to left has every such
// paragraph run left to right, and says so once for all of them; the first
// such letter hands the choice back to each paragraph. Either change lays
// the whole text out again, so a document already right is left alone.
inline void settleDirection(QTextDocument* document, bool rightToLeftText) {
  const Qt::LayoutDirection direction = rightToLeftText ? Qt::LayoutDirectionAuto : Qt::LeftToRight;
  QTextOption option = document->defaultTextOption();
  if (option.textDirection() == direction)
    return;
  option.setTextDirection(direction);
  document->setDefaultTextOption(option);
}

} // namespace kr::board_document
