// The pads' editor: keys typed ahead into a long text or while a long sheet
// is read, and its layout while the program quits.
#include "kit/text/NowAndLaterBoardTextView.h"

#include <QKeyEvent>
#include <QResizeEvent>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>

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

int NowAndLaterBoardTextView::charactersOf(const std::unique_ptr<QKeyEvent>& key) {
  return std::max(1, static_cast<int>(key->text().size()));
}

bool NowAndLaterBoardTextView::holdForSheet(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return false;
  const QString text = event->text();
  if (event->key() == Qt::Key_Backspace && !typedAhead_.empty()) {
    // Takes back the last key held, which nobody has seen yet.
    typedAhead_.pop_back();
  } else if (isDeletion(*event)) {
    // It would delete from a text not seen yet.
    ++keysNotKept_;
  } else if (isReturn(*event) ||
             (!text.isEmpty() && (text.at(0).isPrint() || text.at(0) == u'\t'))) {
    typedAhead_.push_back(std::unique_ptr<QKeyEvent>(static_cast<QKeyEvent*>(event->clone())));
    holdsForSheet_ = true;
  } else {
    return false;
  }
  event->accept();
  return true;
}

void NowAndLaterBoardTextView::holdCommittedText(const QString& text) {
  typedAhead_.push_back(std::make_unique<QKeyEvent>(QEvent::KeyPress, 0, Qt::NoModifier, text));
  holdsForSheet_ = true;
}

int NowAndLaterBoardTextView::applyKeysHeldForSheet() {
  const int notKept = std::exchange(keysNotKept_, 0);
  if (loading_)
    return notKept;
  holdsForSheet_ = false;
  applyTypedAhead();
  return notKept;
}

int NowAndLaterBoardTextView::dropKeysHeldForSheet() {
  int notKept = std::exchange(keysNotKept_, 0);
  if (!holdsForSheet_)
    return notKept;
  for (const auto& key : typedAhead_)
    notKept += charactersOf(key);
  typedAhead_.clear();
  holdsForSheet_ = false;
  return notKept;
}

bool NowAndLaterBoardTextView::takeTypedAhead(QKeyEvent* event) {
  if (loading_)
    return holdForSheet(event);
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
  // Keys held for a sheet still read wait for it.
  if (typedAhead_.empty() || holdsForSheet_)
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
