#include "window/SheetCaretMemory.h"

#include <QEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace kr {

SheetCaretMemory::SheetCaretMemory(QTextEdit& text, std::function<QString()> shownSheet)
    : QObject(&text), text_(text), shownSheet_(std::move(shownSheet)) {
  text.installEventFilter(this);
}

void SheetCaretMemory::sheetLeaving() {
  if (placed_ && !sheet_.isEmpty())
    carets_.insert(sheet_, text_.textCursor().position());
}

void SheetCaretMemory::sheetShown() {
  sheet_ = shownSheet_();
  placed_ = false;
}

void SheetCaretMemory::placeForKeyboard() {
  if (placed_ || text_.hasFocus())
    return;
  place();
}

void SheetCaretMemory::place() {
  QTextCursor cursor(text_.document());
  const int end = std::max(0, text_.document()->characterCount() - 1);
  cursor.setPosition(std::clamp(carets_.value(sheet_, end), 0, end));
  text_.setTextCursor(cursor);
  placed_ = true;
}

bool SheetCaretMemory::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &text_)
    return false;
  if (event->type() == QEvent::FocusIn)
    placed_ = true;
  else if (event->type() == QEvent::FocusOut)
    sheetLeaving();
  return false;
}

} // namespace kr
