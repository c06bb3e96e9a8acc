// The pads' editor: keys typed ahead into a long text, and its layout while
// the program quits.
#include "kit/text/NowAndLaterBoardTextView.h"

#include <QKeyEvent>
#include <QResizeEvent>
#include <QTextCursor>
#include <QTextDocument>

namespace kr {

namespace {

std::function<void()>& beforeTypedAhead() {
  static std::function<void()> serve;
  return serve;
}

bool isReturn(const QKeyEvent& event) {
  return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

bool isDeletion(const QKeyEvent& event) {
  return event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete;
}

} // namespace

void NowAndLaterBoardTextView::setBeforeTypedAhead(std::function<void()> serve) {
  beforeTypedAhead() = std::move(serve);
}

bool NowAndLaterBoardTextView::takeTypedAhead(QKeyEvent* event) {
  if (isReadOnly() ||
      (typedAhead_.empty() && !layoutStopped_ && document()->characterCount() <= kTypeAheadFrom))
    return false;
  // Shift changes what Return, Backspace and Delete do; the other modifiers
  // make commands.
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return false;
  const QString text = event->text();
  const bool takes = isReturn(*event) || isDeletion(*event)
                         ? !(modifiers & Qt::ShiftModifier)
                         : !text.isEmpty() && text.at(0).isPrint();
  if (!takes)
    return false;
  typedAhead_.push_back(std::unique_ptr<QKeyEvent>(static_cast<QKeyEvent*>(event->clone())));
  event->accept();
  if (layoutStopped_ || typeAheadPosted_)
    return true;
  // After the events queued now: the keys among them join this batch.
  typeAheadPosted_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        typeAheadPosted_ = false;
        if (typedAhead_.empty())
          return;
        if (beforeTypedAhead())
          beforeTypedAhead()();
        applyTypedAhead();
      },
      Qt::QueuedConnection);
  return true;
}

void NowAndLaterBoardTextView::applyTypedAhead() {
  if (typedAhead_.empty())
    return;
  if (layoutStopped_) {
    insertTypedAheadUnlaidOut();
    return;
  }
  std::vector<std::unique_ptr<QKeyEvent>> keys;
  keys.swap(typedAhead_);
  // One edit: the document tells its layout of the change once, at the end.
  QTextCursor batch(document());
  batch.beginEditBlock();
  for (const auto& key : keys)
    typeKey(key.get());
  batch.endEditBlock();
  ensureCursorVisible();
}

void NowAndLaterBoardTextView::insertTypedAheadUnlaidOut() {
  std::vector<std::unique_ptr<QKeyEvent>> keys;
  keys.swap(typedAhead_);
  // As the editor would type them, without the typing rules: they would ask
  // the layout where the caret is.
  QTextCursor caret = textCursor();
  caret.beginEditBlock();
  for (const auto& key : keys) {
    if (key->key() == Qt::Key_Backspace)
      caret.deletePreviousChar();
    else if (key->key() == Qt::Key_Delete)
      caret.deleteChar();
    else if (isReturn(*key))
      caret.insertBlock();
    else
      caret.insertText(key->text());
  }
  caret.endEditBlock();
}

void NowAndLaterBoardTextView::stopLayout() {
  if (layoutStopped_)
    return;
  layoutStopped_ = true;
  retireDocument(document());
}

void NowAndLaterBoardTextView::resumeLayout() {
  if (!layoutStopped_)
    return;
  applyTypedAhead();
  layoutStopped_ = false;
  // The editor gives its document the page width again, as after a resize.
  QResizeEvent resized(viewport()->size(), QSize(-1, -1));
  QTextEdit::resizeEvent(&resized);
  ensureCursorVisible();
}

} // namespace kr
